#include "db/modMySQL_Func_lite.h"

#include "db/DbWait.h"
#include "db/modScheduleInsert.h"
#include "support/Config.h"
#include "support/Cp949.h"
#include "support/MsgBox.h"
#include "support/VbError.h"

#include <QCoreApplication>

#include <mysql.h>

using namespace Qt::StringLiterals;

namespace worktide {

std::unique_ptr<cMySQL> gDB;

namespace {

ClientVersionSource& VersionSource() {
    static ClientVersionSource source;
    return source;
}

// The leading number of a text: digits, at most one point, digits ("3.3" -> 3.3, "10." -> 10).
double LeadingNumber(const QString& text) {
    QString digits;
    bool point = false;
    for (QChar ch : text) {
        if (ch.isDigit() && ch.unicode() < 0x80)
            digits += ch;
        else if (ch == u'.' && !point)
            point = true, digits += ch;
        else
            break;
    }
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace

void SetClientVersionSource(ClientVersionSource source) {
    VersionSource() = std::move(source);
}

QString GetMDACVersion() {
    if (const ClientVersionSource& source = VersionSource())
        return source();
    const char* info = mysql_get_client_info();
    return info ? FromAnsiTrimmed(info, static_cast<qsizetype>(qstrlen(info))) : QString();
}

bool ClientVersionPasses(const QString& version) {
    return LeadingNumber(version.left(3)) >= kMinClientVersion;
}

QString MDACDownloadUrl() {
    return u"http://"_s + DownloadSiteHost() + u"/inc/download.php?type=etc_store&filename=mdac.EXE"_s;
}

DbInitResult DBInit(const QString& host, const QString& user, const QString& password, const QString& db) {
    DbInitResult result;
    try {
        const QString version = GetMDACVersion();
        if (!ClientVersionPasses(version)) {
            gDB.reset();
            const QString text =
                u"MDAC(Microsoft Data Access Components)가 설치 되어 있지 않거나 버전이 낮습니다.(현재Ver:"_s +
                version + u")"_s + u"\r\n"_s +
                u"당사 홈페이지 자료실 8번[데이타전송/임대회원용 설치파일]에서 다운로드하여 설치하세요."_s + u"\r\n"_s +
                u"지금 다운로드 하시겠습니까?"_s;
            result.message = {text, vbYesNo | vbQuestion, u"MDAC누락"_s};
            result.offersDownload = true;
            return result;
        }
        gDB = std::make_unique<cMySQL>();
        result.connected = gDB->real_connect(host, user, password, db, cMySQL::kDefaultPort, {}, 0, false, {});
        // A refused connect has left its message with the connection's failures.
        if (!result.connected)
            gDB.reset();
        return result;
    } catch (const std::exception& e) {
        gDB.reset();
        result.connected = false;
        result.message = {
            FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), u"DBInit"_s, u"Module"_s, u"modMySQL_Func"_s),
            vbOKOnly,
            {}};
        return result;
    }
}

void DBClose() {
    if (IsWaiting()) {
        // A worker may still use the connection record: closed once the wait has ended.
        CancelWaiting();
        RunOutsideWaits(QCoreApplication::instance(), [] { DBClose(); });
        return;
    }
    ForgetUnsettledInsert();
    if (gDB) {
        gDB->free_result();
        gDB.reset();
    }
}

qint32 ExecuteSQL(const QString& sql, bool silent) {
    if (!gDB)
        return -1;
    RecordsetPtr rs = gDB->query(sql, silent);
    const qint32 affected = gDB->affected_rows();
    CloseRecordset(rs);
    return affected;
}

qint32 OpenRecordset(RecordsetPtr& rs, const QString& sql) {
    rs.reset();
    if (!gDB)
        return -1;
    rs = gDB->query(sql, false);
    return gDB->affected_rows();
}

qint32 GetRowCount(const QString& table, const QString& where) {
    if (!gDB)
        return 0;
    QString sql = u"SELECT COUNT(*) FROM "_s + table;
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    RecordsetPtr rs = gDB->query(sql, false);
    qint32 count = 0;
    if (rs && !rs->isEOF() && rs->FieldCount() > 0)
        count = rs->Value(0).toInt();
    CloseRecordset(rs);
    return count;
}

QString EscapeSQL(const QString& text) {
    QString out = text;
    const qsizetype nul = out.indexOf(QChar(0));
    if (nul >= 0)
        out.truncate(nul);
    out.replace(u"'"_s, u"''"_s);
    out.replace(u"\\"_s, u"\\\\"_s);
    return out;
}

qint32 GetLastInsertId() {
    return gDB ? gDB->insert_id() : 0;
}

} // namespace worktide
