#include "db/modScheduleInsert.h"

#include "db/Recordset.h"
#include "db/modMySQL_Func_lite.h"

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

struct Unsettled {
    bool active = false;
    ScheduleValues values;
    qint32 floor = 0;
    cMySQL::OldSession session;
};

Unsettled& Pending() {
    static Unsettled pending;
    return pending;
}

QString Bytes(const QString& column, const QString& value) {
    return u"BINARY "_s + column + u" = BINARY '"_s + EscapeSQL(value) + u"'"_s;
}

// Ends the session the INSERT went out on, then looks for its row.
InsertResult Settle(const Unsettled& lost) {
    if (!gDB)
        return {InsertOutcome::Unknown, 0, {}};
    const ScopedQuietDbErrors quiet;
    // Another cluster node cannot end the old one's session; if that node is gone its
    // write either reached the cluster or it did not, which the read tells.
    if (gDB->EndSession(lost.session) == cMySQL::SessionEnd::Unsure)
        return {InsertOutcome::Unknown, 0, {}};
    RecordsetPtr rs = gDB->query(MakeLandedRowSQL(lost.values, lost.floor), true);
    if (!rs) {
        const bool failed = gDB->lastErrorNumber() != 0;
        CloseRecordset(rs);
        return {failed ? InsertOutcome::Unknown : InsertOutcome::NotStored, 0, {}};
    }
    const qint32 seq = !rs->isEOF() && rs->FieldCount() > 0 ? rs->Value(0).toInt() : 0;
    CloseRecordset(rs);
    return {seq > 0 ? InsertOutcome::Stored : InsertOutcome::NotStored, seq, {}};
}

} // namespace

QString MakeLandedRowSQL(const ScheduleValues& v, qint32 floor) {
    return u"SELECT seq FROM worktide WHERE seq > "_s + QString::number(floor) + u" AND "_s +
           Bytes(u"devname"_s, v.owner) + u" AND "_s + Bytes(u"title"_s, v.title) + u" AND "_s +
           Bytes(u"details"_s, v.details) + u" AND "_s + Bytes(u"sdate"_s, v.sdate) + u" AND "_s +
           Bytes(u"edate"_s, v.edate) + u" AND finished = "_s + QString::number(v.finished) + u" AND "_s +
           Bytes(u"catename"_s, v.category) + u" ORDER BY seq LIMIT 1"_s;
}

InsertResult InsertScheduleOnce(const ScheduleValues& v) {
    if (!gDB)
        return {};
    const QString sql = MakeScheduleInsertSQL(v);
    // The floor for finding the row later, read on the same hand-over as the INSERT: one
    // more round trip to the server, no extra wait.
    QString top;
    {
        // Nothing is reported before the outcome is known, a failed reconnect neither.
        const ScopedQuietDbErrors quiet;
        RecordsetPtr rs = gDB->QueryAfterRead(u"SELECT MAX(seq) FROM worktide"_s, top, sql, true);
        CloseRecordset(rs);
    }
    const qint32 floor = top.toInt();
    if (gDB->affected_rows() > 0)
        return {InsertOutcome::Stored, gDB->insert_id(), {}};
    const QString failure = DbErrorsQuiet() ? QString() : gDB->LastFailureText(sql);
    if (!gDB->lastOutcomeUnknown())
        return {InsertOutcome::NotStored, 0, failure};
    Unsettled lost{true, v, floor, gDB->lastSession()};
    InsertResult settled = Settle(lost);
    if (settled.outcome == InsertOutcome::Unknown)
        Pending() = lost;
    else if (settled.outcome == InsertOutcome::NotStored)
        settled.failure = failure; // the statement's own failure, now that it is certain
    return settled;
}

bool HasUnsettledInsert() {
    return Pending().active;
}

const ScheduleValues& UnsettledInsertValues() {
    return Pending().values;
}

InsertResult SettleUnsettledInsert() {
    if (!Pending().active)
        return {};
    const InsertResult settled = Settle(Pending());
    if (settled.outcome != InsertOutcome::Unknown)
        Pending() = {};
    return settled;
}

void ForgetUnsettledInsert() {
    Pending() = {};
}

} // namespace worktide
