#pragma once

#include "ui/team/TeamLayout.h"

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class QPrinter;

// Paints the three views on A4 landscape pages of a printer (paper, preview or PDF).
// The data come ready from the window; these only draw.
namespace worktide::print {

struct Cell {
    QString text;
    QColor fore; // invalid = black
    QColor back; // invalid = white
};

// The calendar as on screen: the weekday header and rows 1..12 of 7 cells.
struct CalendarPage {
    QString title;
    QStringList weekdays;
    std::vector<std::vector<Cell>> rows;
};

// The list as on screen: its column headers and widths, and the rows as shown with
// each row's text colour.
struct ListPages {
    QString title;
    QStringList headers;
    std::vector<int> widths;
    std::vector<QStringList> rows;
    std::vector<QColor> rowColors;
    // The column printed whole, its lines wrapped in its width (the details); -1 for none.
    int wrapColumn = -1;
};

struct TeamPages {
    QString title;
    team::Layout layout;
    QDate today;
};

// A4, landscape, 10 mm margins, 72 dots per inch so that one unit is one point.
void SetUpPrinter(QPrinter& printer);

// Each paints every page and returns false when the printer could not be started
// (for a PDF: the file could not be written).
bool PaintCalendar(QPrinter& printer, const CalendarPage& page);
bool PaintList(QPrinter& printer, const ListPages& list);
bool PaintTeam(QPrinter& printer, const TeamPages& team);

// The pages PaintTeam produces for a shown layout: the first printed row of each and,
// last, the printed row count (a person taller than a page counts once per piece).
std::vector<int> TeamPageBreaks(const team::Layout& layout);

} // namespace worktide::print
