#include "db/modLiveData.h"

#include "db/modMySQL_Func_lite.h"

using namespace Qt::StringLiterals;

namespace worktide {

RangeFingerprint ReadRangeFingerprint(const QString& where) {
    RangeFingerprint fp;
    // CHAR(31) separates the columns so that moving text from one column to the next
    // changes the checksum; IFNULL keeps a NULL details from dropping out of CONCAT_WS.
    QString sql = u"SELECT COUNT(*), IFNULL(MAX(seq), 0), IFNULL(BIT_XOR(CRC32(CONCAT_WS(CHAR(31), seq, "
                  u"IFNULL(wdate, ''), devname, title, IFNULL(details, ''), sdate, edate, finished, catename))), 0) "
                  u"FROM worktide"_s;
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    RecordsetPtr rs;
    if (OpenRecordset(rs, sql) != 1 || !rs)
        return fp;
    fp.count = rs->Value(0).toLongLong();
    fp.maxSeq = rs->Value(1).toLongLong();
    fp.checksum = rs->Value(2).toLongLong();
    fp.ok = true;
    CloseRecordset(rs);
    return fp;
}

AgendaCounts ReadAgendaCounts(const QString& devname, const QDate& today) {
    AgendaCounts counts;
    const QString d = today.toString(u"yyyy-MM-dd"_s);
    // Dates are ten-character texts; the empty text means "no date" and never counts.
    const QString sql = u"SELECT IFNULL(SUM(sdate <> '' AND edate <> '' AND sdate <= '"_s + d + u"' AND edate >= '"_s +
                        d + u"'), 0), IFNULL(SUM(finished = 0 AND edate <> '' AND edate < '"_s + d +
                        u"'), 0) FROM worktide WHERE devname = '"_s + EscapeSQL(devname) + u"'"_s;
    RecordsetPtr rs;
    if (OpenRecordset(rs, sql) != 1 || !rs)
        return counts;
    counts.today = rs->Value(0).toLongLong();
    counts.overdue = rs->Value(1).toLongLong();
    counts.ok = true;
    CloseRecordset(rs);
    return counts;
}

QString AgendaText(const AgendaCounts& counts) {
    return u"오늘 일정 %1건, 기한 지난 일정 %2건"_s.arg(counts.today).arg(counts.overdue);
}

} // namespace worktide
