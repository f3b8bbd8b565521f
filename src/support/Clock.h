#pragma once

#include <QDate>
#include <QDateTime>

// "Today" for the whole program comes from here, so tests can pin the date.
namespace worktide {

QDate Today();
QDateTime Now();
// An invalid date goes back to the system clock.
void SetToday(const QDate& pinned);

} // namespace worktide
