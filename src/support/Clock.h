#pragma once

#include <QDate>
#include <QDateTime>

// "Today" for the whole program comes from here, so tests can pin the date.
namespace worktide {

QDate Today();
QDateTime Now();
// An invalid date goes back to the system clock.
void SetToday(const QDate& pinned);

// Pins today's date for its lifetime and then puts back the date pinned before.
class ScopedToday {
public:
    explicit ScopedToday(const QDate& pinned);
    ~ScopedToday();
    ScopedToday(const ScopedToday&) = delete;
    ScopedToday& operator=(const ScopedToday&) = delete;

private:
    QDate m_previous;
};

} // namespace worktide
