#pragma once

#include <QDate>
#include <QString>

#include <vector>

// The widget-free rules of the printed pages: A4 landscape in points, the header
// line, the page label, how many list rows a page holds and how the screen's column
// widths are fitted to the paper. The page painters draw with them.
namespace worktide::print {

// A4 landscape in points (1/72 inch) and the margin around the printed area (10 mm).
constexpr double kPageWidth = 841.89;
constexpr double kPageHeight = 595.28;
constexpr double kMargin = 28.35;
constexpr double kAreaWidth = kPageWidth - 2 * kMargin;
constexpr double kAreaHeight = kPageHeight - 2 * kMargin;

// Heights of the parts of a list page.
constexpr double kTitleHeight = 24;
constexpr double kFooterHeight = 16;
constexpr double kListHeaderHeight = 16;
constexpr double kListRowHeight = 14;

// "n / N".
QString PageLabel(int page, int pageCount);
// The header line of a page: what is printed, for whom and when.
QString PageTitle(const QString& what, const QString& owner, const QString& month, const QDate& printed);

int ListRowsPerPage();
// At least one page, also for an empty list (it still shows its header).
int ListPageCount(int rows);

// The screen widths scaled so that together they fill the given width.
std::vector<double> FitWidths(const std::vector<int>& screenWidths, double width);

// The point size of the calendar's fixed-pitch text: a full entry line (two markers
// and the 20-unit title, 24 units) fits the column width, and the most lines any
// day holds fit the content row, never below 4 points.
// Line height of the calendar's day cells as a share of the font height (the fixed-pitch
// font has no leading, and Hangul lines would touch).
constexpr double kCalendarLineSpacing = 1.2;
double CalendarFontSize(double columnWidth, double contentHeight, int mostLines);

} // namespace worktide::print
