#pragma once

#include <QString>

// The statement that reads the entries whose period overlaps a range of days, for one
// owner or (owner "") for everybody, with the finished and category filters.
namespace worktide {

// finishedFilter is the list position of a finished filter box: 1 unfinished only,
// 2 finished only, anything else all. category "(전체구분)" means every category.
QString MakeScheduleRangeSQL(const QString& from, const QString& to, const QString& owner, int finishedFilter,
                             const QString& category);

} // namespace worktide
