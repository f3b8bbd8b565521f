#include "db/ScheduleRangeQuery.h"

#include "db/modMySQL_Func_lite.h"

using namespace Qt::StringLiterals;

namespace worktide {

QString MakeScheduleRangeSQL(const QString& from, const QString& to, const QString& owner, int finishedFilter,
                             const QString& category) {
    QString sql = u"SELECT * FROM worktide"_s + u" WHERE sdate <= '"_s + EscapeSQL(to) + u"'"_s +
                  u" AND sdate <> ''"_s + u" AND edate >= '"_s + EscapeSQL(from) + u"'"_s;
    if (!owner.isEmpty())
        sql += u" AND devname = '"_s + EscapeSQL(owner) + u"'"_s;
    if (finishedFilter == 1)
        sql += u" AND finished = 0"_s;
    else if (finishedFilter == 2)
        sql += u" AND finished = 1"_s;
    if (category != u"(전체구분)"_s)
        sql += u" AND catename = '"_s + EscapeSQL(category) + u"'"_s;
    sql += u" ORDER BY sdate, seq"_s;
    return sql;
}

} // namespace worktide
