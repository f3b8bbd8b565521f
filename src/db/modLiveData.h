#pragma once

#include <QDate>
#include <QString>

// Cheap reads that tell whether the shown rows changed elsewhere, and the counts of the
// day's agenda. Reads only: nothing here writes to the worktide table.
namespace worktide {

// One aggregate over the rows a view shows. The checksum covers every shown column, so an
// edit that keeps the row count and the highest seq is still caught.
struct RangeFingerprint {
    bool ok = false;
    qint64 count = 0;
    qint64 maxSeq = 0;
    qint64 checksum = 0;
    bool operator==(const RangeFingerprint&) const = default;
};

// where: the condition the view itself selects with (without "WHERE"); empty means all rows.
RangeFingerprint ReadRangeFingerprint(const QString& where);

struct AgendaCounts {
    bool ok = false;
    qint64 today = 0;   // entries whose sdate..edate holds today
    qint64 overdue = 0; // unfinished entries whose edate lies before today
};

AgendaCounts ReadAgendaCounts(const QString& devname, const QDate& today);
// "오늘 일정 N건, 기한 지난 일정 M건"
QString AgendaText(const AgendaCounts& counts);

} // namespace worktide
