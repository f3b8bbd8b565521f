#include "db/modSchedule.h"

#include "db/Recordset.h"
#include "db/modMySQL_Func_lite.h"

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
QString RangeSQL(const QString& from, const QString& to, const std::optional<QString>& owner, FinishedFilter finished,
                 const std::optional<QString>& category) {
    QString sql = u"SELECT * FROM worktide"_s + u" WHERE sdate <= '"_s + to + u"'"_s + u" AND sdate <> ''"_s +
                  u" AND edate >= '"_s + from + u"'"_s;
    if (owner)
        sql += u" AND devname = '"_s + EscapeSQL(*owner) + u"'"_s;
    sql += FinishedCondition(finished);
    if (category)
        sql += u" AND catename = '"_s + EscapeSQL(*category) + u"'"_s;
    return sql + u" ORDER BY sdate, seq"_s;
}
} // namespace

QString MakeScheduleRangeSQL(const QString& from, const QString& to, const QString& owner, FinishedFilter finished,
                             const std::optional<QString>& category) {
    return RangeSQL(from, to, owner, finished, category);
}

QString MakeScheduleTeamRangeSQL(const QString& from, const QString& to, FinishedFilter finished,
                                 const std::optional<QString>& category) {
    return RangeSQL(from, to, std::nullopt, finished, category);
}

QString MakeScheduleListSQL(const QString& owner, const QString& keyword, FinishedFilter finished,
                            const std::optional<QString>& category) {
    QString sql = u"SELECT * FROM worktide"_s + u" WHERE devname = '"_s + EscapeSQL(owner) + u"'"_s;
    if (!keyword.isEmpty())
        sql += u" AND title LIKE '%"_s + EscapeSQL(LikeLiteral(keyword)) + u"%'"_s;
    sql += FinishedCondition(finished);
    if (category)
        sql += u" AND catename = '"_s + EscapeSQL(*category) + u"'"_s;
    return sql + u" ORDER BY if(edate='','9999-99-99',edate), sdate, seq"_s;
}

int ToggledFinished(int finished) {
    return finished != 0 ? 0 : 1;
}

qint32 SetScheduleFinished(qint32 seq, int finished) {
    return ExecuteSQL(u"UPDATE worktide SET finished = "_s + QString::number(finished) + u" WHERE seq = "_s +
                      QString::number(seq));
}

} // namespace worktide
