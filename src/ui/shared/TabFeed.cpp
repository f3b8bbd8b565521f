#include "ui/shared/TabFeed.h"

#include "db/modMySQL_Func_lite.h"
#include "ui/shared/ShowMessages.h"

namespace worktide {

bool OpenTabRows(TabFeed* feed, int tab, const QString& where, const QString& sql, RecordsetPtr& rs, qint32& found) {
    found = feed ? feed->OpenRows(rs, sql) : OpenRecordset(rs, sql);
    ShowDbFailures();
    if (found < 0 && feed && feed->KeepsShownOnFailure(tab, where)) {
        CloseRecordset(rs);
        feed->NoteFailed(tab);
        return false;
    }
    return true;
}

} // namespace worktide
