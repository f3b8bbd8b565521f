#include "support/Clock.h"

namespace worktide {
namespace {
QDate g_pinned;
}

QDate Today() {
    return g_pinned.isValid() ? g_pinned : QDate::currentDate();
}

QDateTime Now() {
    const QDateTime now = QDateTime::currentDateTime();
    return g_pinned.isValid() ? QDateTime(g_pinned, now.time()) : now;
}

void SetToday(const QDate& pinned) {
    g_pinned = pinned;
}

ScopedToday::ScopedToday(const QDate& pinned) : m_previous(g_pinned) {
    g_pinned = pinned;
}

ScopedToday::~ScopedToday() {
    g_pinned = m_previous;
}

} // namespace worktide
