#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Every statement on the worktide table, built in one place so that the windows
// only say what they want. Every text goes through EscapeSQL.
namespace worktide {

class Recordset;

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

// One row of the worktide table as a SELECT * statement returns it, every column by
// name. The values are the texts the server sent (NULL reads as "").
struct ScheduleRow {
    QString seq;
    QString wdate;
    QString owner; // devname
    QString title;
    QString details;
    QString sdate;
    QString edate;
    QString finished;
    QString category; // catename

    int Seq() const { return seq.toInt(); }
    bool IsFinished() const { return finished.toInt() != 0; }
};

// Reads ScheduleRows from the record set of a statement below. The columns are looked
// up once, when the reader is made; a missing one raises the record set's error 3265.
class ScheduleRowReader {
public:
    explicit ScheduleRowReader(const Recordset& rs);
    // The record set's current record (error 3021 at its end).
    ScheduleRow Read(const Recordset& rs) const;

private:
    int m_seq;
    int m_wdate;
    int m_owner;
    int m_title;
    int m_details;
    int m_sdate;
    int m_edate;
    int m_finished;
    int m_category;
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
// The condition of MakeScheduleTeamRangeSQL.
QString MakeScheduleTeamRangeWhere(const QString& from, const QString& to, FinishedFilter finished,
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

// Said when the entry a window holds has been deleted by somebody else meanwhile.
inline constexpr QStringView kDeletedElsewhere = u"다른 곳에서 삭제된 일정입니다.";

// One entry as it is stored now, read by seq just before a write or after one that
// changed no row. Failed means the read itself failed: nothing is known about the row.
struct StoredSchedule {
    enum class State { Found, Gone, Failed };
    State state = State::Failed;
    ScheduleValues values; // every field, finished included, when Found
};

// The columns ScheduleValues holds, of the one entry seq.
QString MakeScheduleStoredSQL(qint32 seq);
// silent: a failed read shows no message box (the caller reports the failure itself).
StoredSchedule ReadStoredSchedule(qint32 seq, bool silent = false);

// An update of entry seq that cannot lose a change made elsewhere: in one transaction on
// one connection the row is read and held (SELECT ... FOR UPDATE), compared with the
// values the user last saw (expected), and only when they still match is the UPDATE of
// MakeScheduleUpdateSQL sent and committed. Nothing waits for the user while the row is
// held: a changed or vanished row is rolled back at once and handed to the caller, which
// asks and tries again with the new values as expected. A transaction the server rolled
// back (a deadlock, a cluster's certification conflict at COMMIT, a lock wait that ran
// out) or that lost its connection is tried again from its first read, a few times.
struct GuardedUpdate {
    enum class State {
        Written, // committed; affected holds the UPDATE's changed rows (0: values already stored)
        Changed, // stored differs from expected; nothing written
        Gone,    // the entry is no longer stored; nothing written
        Failed,  // a statement failed; nothing written (or nothing known: see errorNumber)
    };
    State state = State::Failed;
    qint32 affected = 0;
    ScheduleValues stored; // when Changed: the values stored now
    int errorNumber = 0;   // when Failed: the connection's error number
    QString errorText;     // and its description
    QString failedSql;     // and the statement that failed
};
// The read that holds the row.
QString MakeScheduleLockSQL(qint32 seq);
// Shows no message box: a failure is returned for the caller to report once the row is
// no longer held.
GuardedUpdate UpdateScheduleIfUnchanged(qint32 seq, const ScheduleValues& expected, const ScheduleValues& mine);

// What became of a write that names one entry by seq.
enum class EntryWrite {
    Done,      // rows changed
    Unchanged, // the entry is there and already held the values written
    Gone,      // the entry is no longer stored
    Failed,    // the statement (or the read that followed it) failed
};
// A write by seq that changed no row is told apart by reading the entry (silently):
// an UPDATE to values already stored changes no row either, so the count alone
// cannot say that the entry is gone.
EntryWrite ExplainNoRowChanged(qint32 seq);
// The outcome of a write by seq from the rows it changed (-1: the statement failed);
// a seq that was never stored (0) cannot be gone, so no row changed there is Failed.
EntryWrite EntryWriteOutcome(qint32 seq, qint32 affected);

// The text a read of stored text gives back: its CP949 form decoded again, trailing
// blanks removed (as every text comes back from the connection).
QString StoredText(const QString& text);
// Whether two sets of values hold the same stored text in the columns an update
// writes (title, details, sdate, edate, catename).
bool SameStoredText(const ScheduleValues& a, const ScheduleValues& b);

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
