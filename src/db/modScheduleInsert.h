#pragma once

#include "db/modSchedule.h"

// A new entry is stored at most once, and the user is told the truth about it. When the
// fate of its INSERT is unknown (the wait was cancelled or ran out, the connection broke
// after it was sent) the old session is ended on the server, so that bytes still on their
// way can no longer run, and the table is asked whether the row landed. Until that answer
// is known no second INSERT goes out.
namespace worktide {

enum class InsertOutcome {
    Stored,    // the row is in the table (seq)
    NotStored, // it is not, and never will be
    Unknown,   // the server could not be asked; asked again on the next save or refresh
};

struct InsertResult {
    InsertOutcome outcome = InsertOutcome::NotStored;
    qint32 seq = 0;
    // NotStored by a failure the server reported: the statement's usual message ("" otherwise).
    QString failure;
};

// Reads the highest seq, then sends MakeScheduleInsertSQL(v) unchanged and settles an
// unknown outcome at once. A failure the server reported (nothing stored) hands back the
// statement's usual message in failure; so does an outcome settled as not stored. An
// Unknown result is kept (HasUnsettledInsert) and has none: the caller says so.
InsertResult InsertScheduleOnce(const ScheduleValues& v);

// An INSERT whose fate could not be learned yet.
bool HasUnsettledInsert();
const ScheduleValues& UnsettledInsertValues();
// Asks again (silently). Stored or NotStored forget it; Unknown keeps it.
InsertResult SettleUnsettledInsert();
// Forgets it without asking (tests; a closed connection).
void ForgetUnsettledInsert();

// The statement that finds the row a lost INSERT of v stored above seq floor: every value
// compared byte for byte (the table's collation ignores letter case and trailing blanks).
QString MakeLandedRowSQL(const ScheduleValues& v, qint32 floor);

} // namespace worktide
