#pragma once

#include "db/Recordset.h"

#include <QString>

#include <cstddef>

// Where a tab of the main window reads its rows and reports what it drew. The live refresh
// stands behind it: during a check it hands over the rows it has just read, and it keeps the
// status bar and the baseline of each tab.
namespace worktide {

class TabFeed {
public:
    virtual ~TabFeed() = default;

    // The rows of sql: those the running check has just read, otherwise from the database.
    virtual qint32 OpenRows(RecordsetPtr& rs, const QString& sql) = 0;
    // The condition of the rows drawn, the hash of their values and their number.
    virtual void NoteLoaded(int tab, const QString& where, size_t rowsHash, qint32 rowCount) = 0;
    // Whether a failed refresh of tab for the rows of where keeps what the tab shows.
    virtual bool KeepsShownOnFailure(int tab, const QString& where) const = 0;
    // A refresh of tab failed; cleared: it has emptied what the tab showed.
    virtual void NoteFailed(int tab, bool cleared = false) = 0;
    // A refresh running for a check: no focus moves, no notices, nothing cleared on failure.
    virtual bool InBackground() const = 0;
};

// The first step of every tab's refresh: the rows of sql through feed (straight from the
// database without one), the connection's failures shown. False when the database did not
// answer and the tab keeps what it shows, marked stale: the refresh then ends there.
bool OpenTabRows(TabFeed* feed, int tab, const QString& where, const QString& sql, RecordsetPtr& rs, qint32& found);

} // namespace worktide
