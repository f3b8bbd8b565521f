#pragma once

#include <QDate>
#include <QString>

// The day the editor and the viewer are opened for, their caption, and their
// shared seven-column entry list.
namespace worktide {

class Recordset;
class SpreadGrid;

// "yyyy-MM-dd" (the form dates travel in); other ISO forms and the system's short
// date are accepted too. Invalid when none fits.
QDate ParseWorkDate(const QString& text);

// base + " ( " + wDate + " " + Korean abbreviated weekday + " )", e.g.
// "스케줄 추가 / 수정 ( 2026-12-08 화 )". An unreadable date gets no weekday.
QString DayCaption(const QString& base, const QString& wDate);

// The columns of the entry list both windows share.
namespace entry_list {
inline constexpr int kFinished = 1;
inline constexpr int kCategory = 2;
inline constexpr int kTitle = 3;
inline constexpr int kSdate = 4;
inline constexpr int kEdate = 5;
inline constexpr int kSeq = 6;
inline constexpr int kDetails = 7;
inline constexpr int kColumns = 7;
} // namespace entry_list

// The seven-column layout both windows share: headers, widths, the fixed-pitch font
// and whole-row selection in the list highlight colour.
void SetupEntryList(SpreadGrid* list);

// Writes the records from the current one on into rows 1, 2, ... of the list,
// growing it as needed. Returns the number of rows written.
int FillEntryList(SpreadGrid* list, Recordset& rs);

} // namespace worktide
