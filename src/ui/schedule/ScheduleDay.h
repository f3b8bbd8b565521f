#pragma once

#include <QDate>
#include <QString>

// The day the editor and the viewer are opened for: its text and their caption.
namespace worktide {

// "yyyy-MM-dd" (the form dates travel in); other ISO forms and the system's short
// date are accepted too. Invalid when none fits.
QDate ParseWorkDate(const QString& text);

// base + " ( " + wDate + " " + Korean abbreviated weekday + " )", e.g.
// "스케줄 추가 / 수정 ( 2026-12-08 화 )". An unreadable date gets no weekday.
QString DayCaption(const QString& base, const QString& wDate);

} // namespace worktide
