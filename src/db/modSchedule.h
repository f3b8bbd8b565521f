#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Every statement on the worktide table, built in one place so that the windows
// only say what they want. Every text goes through EscapeSQL.
namespace worktide {

// The values one save writes to the worktide table. Dates are "YYYY-MM-DD" or "".
struct ScheduleValues {
    QString owner;
    QString title;
    QString details;
    QString sdate;
    QString edate;
    QString category;
    int finished = 0;
};

// Which entries a finished filter lets through: the order of the "완료" pick lists.
enum class FinishedFilter { All = 0, Open = 1, Done = 2 };

// The statements ProcSave sends.
QString MakeScheduleInsertSQL(const ScheduleValues& v);
QString MakeScheduleUpdateSQL(const ScheduleValues& v, qint32 seq);
QString MakeScheduleDeleteSQL(qint32 seq);

// Entries running on wDate; an empty owner means everyone's.
QString MakeScheduleDaySQL(const QString& wDate, const QString& owner);
// The one entry seq, in the day list's order.
QString MakeScheduleBySeqSQL(qint32 seq);
// The conditions (the text after WHERE) of the month and list selections. Their
// statements are built from these, so a fingerprint over the same condition covers
// exactly the rows a view shows.
QString MakeScheduleRangeWhere(const QString& from, const QString& to, const QString& owner, FinishedFilter finished,
                               const std::optional<QString>& category);
QString MakeScheduleListWhere(const QString& owner, const QString& keyword, FinishedFilter finished,
                              const std::optional<QString>& category);

// owner's entries overlapping from..to; no category means every category.
QString MakeScheduleRangeSQL(const QString& from, const QString& to, const QString& owner, FinishedFilter finished,
                             const std::optional<QString>& category);
// Everybody's entries overlapping from..to (the team view); no category means every category.
QString MakeScheduleTeamRangeSQL(const QString& from, const QString& to, FinishedFilter finished,
                                 const std::optional<QString>& category);
// owner's entries for the search list; keyword (empty: none) is matched inside titles
// literally, no category means every category.
QString MakeScheduleListSQL(const QString& owner, const QString& keyword, FinishedFilter finished,
                            const std::optional<QString>& category);

// The completion toggle: finished 0 becomes 1, anything else 0.
int ToggledFinished(int finished);
// Sets an entry's completion; returns the rows changed (0, or -1 for a failed statement).
qint32 SetScheduleFinished(qint32 seq, int finished);

// One aggregate over the rows a view shows: how many, the highest seq and a checksum of
// every column, so an edit that keeps the row count and the highest seq is still caught.
// It answers in one row whatever the number of entries, which makes it much cheaper
// than reading the rows again to see whether anything changed.
struct RangeFingerprint {
    bool ok = false;
    qint64 count = 0;
    qint64 maxSeq = 0;
    qint64 checksum = 0;
    bool operator==(const RangeFingerprint&) const = default;
};

QString MakeScheduleFingerprintSQL(const QString& where);
// where: a condition of the Make...Where routines; empty means all rows. A failure shows
// no message box (the caller decides what to say) and gives ok false.
RangeFingerprint ReadScheduleFingerprint(const QString& where);

struct AgendaCounts {
    bool ok = false;
    qint64 today = 0;   // entries whose sdate..edate holds today
    qint64 overdue = 0; // unfinished entries whose edate lies before today
};

// owner's entries running on today and the unfinished ones past their due date. A
// failure shows no message box and gives ok false.
AgendaCounts ReadAgendaCounts(const QString& devname, const QDate& today);
// "오늘 일정 N건, 기한 지난 일정 M건"
QString AgendaText(const AgendaCounts& counts);

} // namespace worktide
