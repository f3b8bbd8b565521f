#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// The widget-free rules of the team view: which people and days it shows, which
// bar each entry becomes, on which stacked line of its owner's row, what the bar
// says, and where a point of the sheet lands. The sheet widget and the printer
// only draw what these give them; tests call them directly.
namespace worktide::team {

// Width of one day column in CP949 units (Hangul 2, ASCII 1): a bar's title is cut
// to the days it covers times this, less its two end pieces.
constexpr int kDayUnits = 6;

// One schedule entry as the month query returns it.
struct Entry {
    int seq = 0;
    QString owner;
    QString title;
    QString sdate;
    QString edate;
    QString category;
    QString details;
    bool finished = false;
};

// One entry drawn across the days it covers in the shown month.
struct Bar {
    int entry = -1;            // index into Layout::entries
    int person = -1;           // row
    int line = 0;              // stacked line inside the row, from 0
    int firstDay = 0;          // day column, from 0 (the 1st of the month)
    int days = 1;              // day columns it covers
    bool clippedStart = false; // begins before the 1st of the month
    bool clippedEnd = false;   // ends after the last day of the month
};

struct Layout {
    QDate first; // the 1st of the shown month
    int dayCount = 0;
    QStringList people;
    std::vector<int> lineCount; // per person, at least 1
    std::vector<Entry> entries;
    std::vector<Bar> bars; // row by row, then by first day and line
    int unlisted = 0;      // entries whose owner has no row, not drawn
    int undatable = 0;     // entries whose dates are not real dates, not drawn

    QDate DayDate(int day) const { return first.addDays(day); }
};

// The month of a month key "YYYYMM" (as the calendar's date label carries it):
// its 1st, or an invalid date for anything else.
QDate MonthOfKey(const QString& key);
// The days of that month, "YYYY-MM-DD", as the range query's bounds.
QString FirstDayText(const QDate& monthFirst);
QString LastDayText(const QDate& monthFirst);

// Places the entries of one month: every entry of a listed owner becomes one bar,
// clipped at the month's edges, on the first line of its owner's row that is free
// over all its days (entries in the order given, which is the query's sdate, seq).
Layout LayOut(const QStringList& people, std::vector<Entry> entries, const QDate& monthFirst);

// What a bar shows: start piece, title (centred by the painter) and end piece.
// Markers as on the calendar: "◀"/"▶" unfinished, "◁"/"▷" finished, ".." where
// the bar continues beyond the month. The title is cut by the calendar's byte rule.
// A one-day bar whose title does not fit beside the markers drops them (the bar's own ends
// show where it starts and stops) and shows the title cut to the whole bar; finished then says
// how to tell a finished entry without its hollow markers.
struct BarText {
    QString start;
    QString title;
    QString end;
    bool finished = false;
};
BarText MakeBarText(const Bar& bar, const Entry& entry, int units);
inline BarText MakeBarText(const Layout& layout, const Bar& bar) {
    return MakeBarText(bar, layout.entries[static_cast<std::size_t>(bar.entry)], bar.days * kDayUnits);
}

// Hover text: title, period, category and details, one per line.
QString ToolTipText(const Entry& entry);

// The weekday line of the day header ("일" ... "토") and the date line ("1" ... "31").
QString WeekdayText(const QDate& date);
// Text colour kinds of a day: Sunday, Saturday or an ordinary day.
enum class DayKind { Weekday, Saturday, Sunday };
DayKind KindOfDay(const QDate& date);

// The bar the Up (direction -1) or Down (+1) key moves to from a bar shown on day:
// in the nearest row that way with any bars, the one covering that day, else the one
// starting closest to it. The same bar when there is none.
int VerticalNeighbour(const Layout& layout, int bar, int day, int direction);

// The editor opens one's own entries, and everybody's for the two privileged
// users; anybody else's open in the viewer.
bool OpensInEditor(const QString& owner, const QString& userName);

// Pixel geometry of the sheet: the people column, the two-line day header, and
// the rows whose height follows the number of stacked lines.
struct Geometry {
    double nameWidth = 110;
    double dayWidth = 48;
    double headerHeight = 36;
    double lineHeight = 18;
    double rowPadding = 3;
    // Latin cells of the bar font a day holds (a Hangul syllable takes two).
    int dayUnits = kDayUnits;

    double RowHeight(int lines) const { return lines * lineHeight + 2 * rowPadding; }
};
// Top of each row below the header, plus the total height at the end (size = people + 1).
std::vector<double> RowTops(const Layout& layout, const Geometry& geometry);

// What lies under a point of the sheet given in body coordinates (x from the first
// day column, y from the first row).
struct Hit {
    int person = -1;
    int day = -1;
    int bar = -1; // index into Layout::bars
};
Hit HitTest(const Layout& layout, const Geometry& geometry, const std::vector<double>& rowTops, double x, double y);

// The same layout with every row of more than maxLines lines cut into rows of at most
// maxLines (the later pieces named "<name> (계속)"), for pages that cannot hold a row.
Layout SplitTallRows(const Layout& layout, int maxLines);

// Splits items of the given heights into pages of at most pageHeight each (every page
// takes at least one item); returns the first item of each page and, last, the count.
std::vector<int> PageBreaks(const std::vector<double>& heights, double pageHeight);

} // namespace worktide::team
