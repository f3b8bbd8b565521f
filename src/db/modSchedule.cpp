#include "db/modSchedule.h"

#include "db/Recordset.h"
#include "db/StatementKind.h"
#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Cp949.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

// The title keyword as a LIKE pattern that matches literally: "%" and "_" are
// wildcards to LIKE, and "\" is its escape character, so all three are escaped
// before the text is escaped for the string literal.
QString LikeLiteral(const QString& keyword) {
    QString out;
    out.reserve(keyword.size() + 8);
    for (const QChar c : keyword) {
        if (c == u'\\' || c == u'%' || c == u'_')
            out += u'\\';
        out += c;
    }
    return out;
}

QString FinishedCondition(FinishedFilter finished) {
    switch (finished) {
    case FinishedFilter::Open:
        return u" AND finished = 0"_s;
    case FinishedFilter::Done:
        return u" AND finished = 1"_s;
    case FinishedFilter::All:
        break;
    }
    return {};
}

} // namespace

namespace {
// The position of a column that must be there.
int RequiredField(const Recordset& rs, const QString& name) {
    const int index = rs.FieldIndex(name);
    if (index < 0)
        rs.Value(name); // raises the record set's "item cannot be found"
    return index;
}
} // namespace

ScheduleRowReader::ScheduleRowReader(const Recordset& rs)
    : m_seq(RequiredField(rs, u"seq"_s)), m_wdate(RequiredField(rs, u"wdate"_s)),
      m_owner(RequiredField(rs, u"devname"_s)), m_title(RequiredField(rs, u"title"_s)),
      m_details(RequiredField(rs, u"details"_s)), m_sdate(RequiredField(rs, u"sdate"_s)),
      m_edate(RequiredField(rs, u"edate"_s)), m_finished(RequiredField(rs, u"finished"_s)),
      m_category(RequiredField(rs, u"catename"_s)) {}

ScheduleRow ScheduleRowReader::Read(const Recordset& rs) const {
    ScheduleRow row;
    row.seq = rs.Value(m_seq);
    row.wdate = rs.Value(m_wdate);
    row.owner = rs.Value(m_owner);
    row.title = rs.Value(m_title);
    row.details = rs.Value(m_details);
    row.sdate = rs.Value(m_sdate);
    row.edate = rs.Value(m_edate);
    row.finished = rs.Value(m_finished);
    row.category = rs.Value(m_category);
    return row;
}

QString MakeScheduleInsertSQL(const ScheduleValues& v) {
    return u"INSERT INTO worktide"_s + u" (wdate, devname, title, details, sdate, edate, finished, catename)"_s +
           u" VALUES ("_s + u" curdate()"_s + u",'"_s + EscapeSQL(v.owner) + u"'"_s + u",'"_s + EscapeSQL(v.title) +
           u"'"_s + u",'"_s + EscapeSQL(v.details) + u"'"_s + u",'"_s + EscapeSQL(v.sdate) + u"'"_s + u",'"_s +
           EscapeSQL(v.edate) + u"'"_s + u", "_s + QString::number(v.finished) + u",'"_s + EscapeSQL(v.category) +
           u"'"_s + u" )"_s;
}

QString MakeScheduleUpdateSQL(const ScheduleValues& v, qint32 seq) {
    return u"UPDATE worktide SET"_s + u" title = '"_s + EscapeSQL(v.title) + u"'"_s + u",details = '"_s +
           EscapeSQL(v.details) + u"'"_s + u",sdate = '"_s + EscapeSQL(v.sdate) + u"'"_s + u",edate = '"_s +
           EscapeSQL(v.edate) + u"'"_s + u",catename = '"_s + EscapeSQL(v.category) + u"'"_s + u" WHERE seq = "_s +
           QString::number(seq);
}

QString MakeScheduleDeleteSQL(qint32 seq) {
    return u"DELETE FROM worktide WHERE seq = "_s + QString::number(seq);
}

QString MakeScheduleDaySQL(const QString& wDate, const QString& owner) {
    QString sql = u"SELECT * FROM worktide"_s + u" WHERE sdate <= '"_s + EscapeSQL(wDate) + u"'"_s +
                  u" AND sdate <> ''"_s + u" AND edate >= '"_s + EscapeSQL(wDate) + u"'"_s;
    // Owner names come from the user table and may hold an apostrophe.
    if (!owner.isEmpty())
        sql += u" AND devname = '"_s + EscapeSQL(owner) + u"'"_s;
    return sql + u" ORDER BY sdate, seq"_s;
}

QString MakeScheduleBySeqSQL(qint32 seq) {
    return u"SELECT * FROM worktide"_s + u" WHERE seq = "_s + QString::number(seq) + u" ORDER BY sdate, seq"_s;
}

namespace {
QString RangeWhere(const QString& from, const QString& to, const std::optional<QString>& owner, FinishedFilter finished,
                   const std::optional<QString>& category) {
    QString where = u"sdate <= '"_s + to + u"'"_s + u" AND sdate <> ''"_s + u" AND edate >= '"_s + from + u"'"_s;
    if (owner)
        where += u" AND devname = '"_s + EscapeSQL(*owner) + u"'"_s;
    where += FinishedCondition(finished);
    if (category)
        where += u" AND catename = '"_s + EscapeSQL(*category) + u"'"_s;
    return where;
}

const QString kSelectAll = u"SELECT * FROM worktide WHERE "_s;
const QString kRangeOrder = u" ORDER BY sdate, seq"_s;
} // namespace

QString MakeScheduleRangeWhere(const QString& from, const QString& to, const QString& owner, FinishedFilter finished,
                               const std::optional<QString>& category) {
    return RangeWhere(from, to, owner, finished, category);
}

QString MakeScheduleRangeSQL(const QString& from, const QString& to, const QString& owner, FinishedFilter finished,
                             const std::optional<QString>& category) {
    return kSelectAll + RangeWhere(from, to, owner, finished, category) + kRangeOrder;
}

QString MakeScheduleTeamRangeWhere(const QString& from, const QString& to, FinishedFilter finished,
                                   const std::optional<QString>& category) {
    return RangeWhere(from, to, std::nullopt, finished, category);
}

QString MakeScheduleTeamRangeSQL(const QString& from, const QString& to, FinishedFilter finished,
                                 const std::optional<QString>& category) {
    return kSelectAll + MakeScheduleTeamRangeWhere(from, to, finished, category) + kRangeOrder;
}

QString MakeScheduleListWhere(const QString& owner, const QString& keyword, FinishedFilter finished,
                              const std::optional<QString>& category) {
    QString where = u"devname = '"_s + EscapeSQL(owner) + u"'"_s;
    if (!keyword.isEmpty())
        where += u" AND title LIKE '%"_s + EscapeSQL(LikeLiteral(keyword)) + u"%'"_s;
    where += FinishedCondition(finished);
    if (category)
        where += u" AND catename = '"_s + EscapeSQL(*category) + u"'"_s;
    return where;
}

QString MakeScheduleListSQL(const QString& owner, const QString& keyword, FinishedFilter finished,
                            const std::optional<QString>& category) {
    return kSelectAll + MakeScheduleListWhere(owner, keyword, finished, category) +
           u" ORDER BY if(edate='','9999-99-99',edate), sdate, seq"_s;
}

int ToggledFinished(int finished) {
    return finished != 0 ? 0 : 1;
}

qint32 SetScheduleFinished(qint32 seq, int finished) {
    return ExecuteSQL(u"UPDATE worktide SET finished = "_s + QString::number(finished) + u" WHERE seq = "_s +
                      QString::number(seq));
}

QString MakeScheduleStoredSQL(qint32 seq) {
    return u"SELECT seq, devname, title, details, sdate, edate, finished, catename FROM worktide WHERE seq = "_s +
           QString::number(seq);
}

namespace {
StoredSchedule ReadStoredFrom(const QString& sql, bool silent) {
    StoredSchedule stored;
    if (!gDB)
        return stored;
    RecordsetPtr rs = gDB->query(sql, silent);
    // Only a read that answered may say the row is gone; a failed one knows nothing.
    if (!rs || gDB->affected_rows() < 0) {
        CloseRecordset(rs);
        return stored;
    }
    if (rs->isEOF()) {
        stored.state = StoredSchedule::State::Gone;
    } else {
        stored.state = StoredSchedule::State::Found;
        ScheduleValues& v = stored.values;
        v.owner = rs->Value(u"devname"_s);
        v.title = rs->Value(u"title"_s);
        v.details = rs->Value(u"details"_s);
        v.sdate = rs->Value(u"sdate"_s);
        v.edate = rs->Value(u"edate"_s);
        v.finished = rs->Value(u"finished"_s).toInt();
        v.category = rs->Value(u"catename"_s);
    }
    CloseRecordset(rs);
    return stored;
}
} // namespace

StoredSchedule ReadStoredSchedule(qint32 seq, bool silent) {
    return ReadStoredFrom(MakeScheduleStoredSQL(seq), silent);
}

QString MakeScheduleLockSQL(qint32 seq) {
    return MakeScheduleStoredSQL(seq) + u" FOR UPDATE"_s;
}

namespace {
// A few runs of the whole transaction: a second conflict in a row is rare, and the user
// is told when they run out.
constexpr int kGuardedUpdateRuns = 3;

// Whether a new run of the transaction is sound after a failure: the server rolled the
// transaction back (a deadlock, a cluster's certification conflict, a lock wait that ran
// out, a node not ready), or the connection broke and the library has already opened a
// new one. A wait the user cancelled or that ran out of time is never run again.
bool RunAgainAfter(int number, int connectionBefore) {
    if (number == cMySQL::kErrDeadlock || number == 1205 /* lock wait timeout */ || number == cMySQL::kErrNodeNotReady)
        return true;
    return cMySQL::IsConnectionError(number) && gDB->isConnected() && gDB->reconnectCount() != connectionBefore;
}

void Fail(GuardedUpdate& out, const QString& sql) {
    out.state = GuardedUpdate::State::Failed;
    out.errorNumber = gDB->lastErrorNumber();
    out.errorText = gDB->err_description();
    out.failedSql = sql;
}

// Ends the transaction without its changes. A connection that was closed has none left
// to end (the server ends it with the session), and is not opened again for it.
void RollBack() {
    if (gDB->isConnected())
        ExecuteSQL(u"ROLLBACK"_s, true);
}
} // namespace

GuardedUpdate UpdateScheduleIfUnchanged(qint32 seq, const ScheduleValues& expected, const ScheduleValues& mine) {
    GuardedUpdate out;
    if (!gDB)
        return out;
    const ScopedQuietDbErrors quiet;
    const ScopedTransactionStatements inTransaction;
    const QString begin = u"START TRANSACTION"_s;
    const QString lock = MakeScheduleLockSQL(seq);
    const QString update = MakeScheduleUpdateSQL(mine, seq);
    const QString commit = u"COMMIT"_s;
    for (int run = 1; run <= kGuardedUpdateRuns; ++run) {
        out = {};
        const bool lastRun = run == kGuardedUpdateRuns;
        int connection = gDB->reconnectCount();
        if (ExecuteSQL(begin, true) < 0) {
            Fail(out, begin);
            if (!lastRun && RunAgainAfter(out.errorNumber, connection))
                continue;
            return out;
        }
        // A reconnect from here on means that what followed it ran outside the
        // transaction, on a connection that does not hold the row.
        connection = gDB->reconnectCount();
        const StoredSchedule stored = ReadStoredFrom(lock, true);
        if (stored.state == StoredSchedule::State::Failed || gDB->reconnectCount() != connection) {
            Fail(out, lock);
            RollBack();
            if (!lastRun && RunAgainAfter(out.errorNumber, connection))
                continue;
            return out;
        }
        if (stored.state == StoredSchedule::State::Gone) {
            RollBack();
            out.state = GuardedUpdate::State::Gone;
            return out;
        }
        if (!SameStoredText(expected, stored.values)) {
            // Let go before anybody is asked: a coworker's save never waits on a question.
            RollBack();
            out.state = GuardedUpdate::State::Changed;
            out.stored = stored.values;
            return out;
        }
        const qint32 affected = ExecuteSQL(update, true);
        if (affected < 0) {
            Fail(out, update);
            RollBack();
            if (!lastRun && RunAgainAfter(out.errorNumber, connection))
                continue;
            return out;
        }
        if (ExecuteSQL(commit, true) < 0) {
            Fail(out, commit);
            const GuardedUpdate failed = out;
            RollBack();
            if (cMySQL::IsConnectionError(failed.errorNumber) && gDB->isConnected()) {
                // The COMMIT may have landed before the connection broke: the row says.
                const StoredSchedule after = ReadStoredFrom(MakeScheduleStoredSQL(seq), true);
                if (after.state == StoredSchedule::State::Found && SameStoredText(mine, after.values)) {
                    out = {};
                    out.state = GuardedUpdate::State::Written;
                    out.affected = affected;
                    return out;
                }
                if (after.state == StoredSchedule::State::Failed)
                    return failed;
            }
            if (!lastRun && RunAgainAfter(failed.errorNumber, connection))
                continue;
            return failed;
        }
        out.state = GuardedUpdate::State::Written;
        out.affected = affected;
        return out;
    }
    return out;
}

EntryWrite ExplainNoRowChanged(qint32 seq) {
    switch (ReadStoredSchedule(seq, true).state) {
    case StoredSchedule::State::Found:
        return EntryWrite::Unchanged;
    case StoredSchedule::State::Gone:
        return EntryWrite::Gone;
    case StoredSchedule::State::Failed:
        break;
    }
    return EntryWrite::Failed;
}

EntryWrite EntryWriteOutcome(qint32 seq, qint32 affected) {
    if (affected > 0)
        return EntryWrite::Done;
    // seq 0 (a new entry, an empty list row) was never stored: nothing can have deleted it.
    if (affected < 0 || seq <= 0)
        return EntryWrite::Failed;
    return ExplainNoRowChanged(seq);
}

QString StoredText(const QString& text) {
    const QByteArray bytes = ToAnsi(text);
    return FromAnsiTrimmed(bytes.constData(), bytes.size());
}

bool SameStoredText(const ScheduleValues& a, const ScheduleValues& b) {
    // Both sides in their read-back form: values the editor wrote itself (trailing
    // blanks, characters CP949 maps one way) then equal what the next read returns.
    const auto same = [](const QString& x, const QString& y) { return x == y || StoredText(x) == StoredText(y); };
    return same(a.title, b.title) && same(a.details, b.details) && same(a.sdate, b.sdate) && same(a.edate, b.edate) &&
           same(a.category, b.category);
}

namespace {
// One row of numbers, read without a message box; empty when the statement failed.
QList<qint64> ReadNumbers(const QString& sql, int count) {
    if (!gDB)
        return {};
    RecordsetPtr rs = gDB->query(sql, true);
    QList<qint64> out;
    if (rs && !rs->isEOF() && rs->FieldCount() >= count)
        for (int i = 0; i < count; ++i)
            out.append(rs->Value(i).toLongLong());
    CloseRecordset(rs);
    return out;
}
} // namespace

QString MakeScheduleFingerprintSQL(const QString& where) {
    // Each row's hash is the first 15 hex digits (60 bits) of the MD5 of its columns, seq
    // among them, and the hashes are added up modulo 2^60. Unlike an XOR of CRC32s, where
    // the same edit to two rows of one shape cancels (CRC32 is linear), a sum of unrelated
    // hashes only repeats by chance: two entries marked finished, two titles swapped or
    // two dates moved alike all change it. CHAR(31) separates the columns so that moving
    // text from one column to the next changes the hash; IFNULL keeps a NULL from
    // dropping out of CONCAT_WS.
    QString sql = u"SELECT COUNT(*), IFNULL(MAX(seq), 0), IFNULL(MOD(SUM(CAST(CONV(LEFT(MD5(CONCAT_WS(CHAR(31), "
                  u"seq, IFNULL(wdate, ''), devname, title, IFNULL(details, ''), sdate, edate, finished, catename)), "
                  u"15), 16, 10) AS UNSIGNED)), 1152921504606846976), 0) "
                  u"FROM worktide"_s;
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    return sql;
}

RangeFingerprint ReadScheduleFingerprint(const QString& where) {
    RangeFingerprint fp;
    const QList<qint64> n = ReadNumbers(MakeScheduleFingerprintSQL(where), 3);
    if (n.size() != 3)
        return fp;
    fp.count = n[0];
    fp.maxSeq = n[1];
    fp.checksum = n[2];
    fp.ok = true;
    return fp;
}

AgendaCounts ReadAgendaCounts(const QString& devname, const QDate& today) {
    AgendaCounts counts;
    const QString d = today.toString(u"yyyy-MM-dd"_s);
    // Dates are ten-character texts; the empty text means "no date" and never counts. Only open
    // entries count for today too: a click on the notice shows the open entries, and a finished
    // one would be counted there but never shown.
    const QString sql = u"SELECT IFNULL(SUM(finished = 0 AND sdate <> '' AND edate <> '' AND sdate <= '"_s + d +
                        u"' AND edate >= '"_s + d + u"'), 0), IFNULL(SUM(finished = 0 AND edate <> '' AND edate < '"_s +
                        d + u"'), 0) FROM worktide WHERE devname = '"_s + EscapeSQL(devname) + u"'"_s;
    const QList<qint64> n = ReadNumbers(sql, 2);
    if (n.size() != 2)
        return counts;
    counts.today = n[0];
    counts.overdue = n[1];
    counts.ok = true;
    return counts;
}

QString AgendaText(const AgendaCounts& counts) {
    return u"오늘 일정 %1건, 기한 지난 일정 %2건"_s.arg(counts.today).arg(counts.overdue);
}

} // namespace worktide
