#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The widget-free rules of the month calendar: which day the six shown weeks start
// on, the text line an entry gets in one day cell, and where a line goes inside the
// multi-line text of a cell. FrmMain draws with them; tests call them directly.
namespace worktide::calendar {

constexpr int kShownWeeks = 6;
constexpr int kShownDays = kShownWeeks * 7;
// Titles are centred in this many CP949 bytes and cut after twice as many.
constexpr int kTitleUnits = 20;

// The Sunday on or before the 1st of the month.
QDate FirstShownDate(int year, int month);

// "mm.dd".
QString DayCaption(const QDate& date);
// A schedule date text "YYYY-MM-DD" as a date; invalid for anything else.
QDate ParseDateText(QStringView text);

// What one entry shows over the shown weeks: its clipped range decides the
// markers, the fill character and the pieces of each day.
struct EntrySpan {
    QString title;
    bool finished = false;
    bool clippedStart = false; // begins before the first shown day
    bool clippedEnd = false;   // ends after the last shown day
    int days = 1;              // shown days it covers, from its first shown day
};

// The title centred in kTitleUnits with the fill character, or cut when wider.
QString CentredTitle(const QString& title, bool multiDay);
// The line of the entry on its k-th shown day (1-based).
QString EntryLine(const EntrySpan& span, int dayIndex);
// Same as EntryLine with the centred title already built (saves the work per day).
QString EntryLine(const EntrySpan& span, const QString& centredTitle, int dayIndex);

// Result of putting one line into a cell's text.
struct LinePlacement {
    QString cellText;
    int line = -1;         // line number the text went to
    bool conflict = false; // the requested line was taken; the text went to the end
};

// Puts text into the CR LF separated cell text: line -1 takes the first free line,
// a line number keeps a bar on the line its first day chose.
LinePlacement PlaceLine(const QString& cellText, const QString& text, int line);

// The same on a cell kept split at CR LF (an empty list is an empty cell), for
// drawing many lines without re-splitting; JoinCellLines gives the cell text back.
int PlaceLine(QStringList& pieces, const QString& text, int line, bool& conflict);
QString JoinCellLines(const QStringList& pieces);

} // namespace worktide::calendar
