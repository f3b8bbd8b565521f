#pragma once

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

} // namespace worktide
