#pragma once

#include "db/cMySQL.h"

#include <QStringList>

namespace worktide::test {

// The messages failed statements and connects leave for the windows, read the way
// ScriptedMessageBoxes reads shown boxes: whatever arrived since the last look is added.
// Starts empty: what an earlier test left behind is dropped.
class DbFailureLog {
public:
    DbFailureLog() { TakeDbFailures(); }
    ~DbFailureLog() { TakeDbFailures(); }
    DbFailureLog(const DbFailureLog&) = delete;
    DbFailureLog& operator=(const DbFailureLog&) = delete;

    const UserMessages& shown() {
        m_seen += TakeDbFailures();
        return m_seen;
    }
    QStringList texts() {
        QStringList out;
        for (const UserMessage& m : shown())
            out << m.text;
        return out;
    }
    void clear() {
        TakeDbFailures();
        m_seen.clear();
    }

private:
    UserMessages m_seen;
};

} // namespace worktide::test
