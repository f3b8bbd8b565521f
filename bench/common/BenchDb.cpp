#include "common/BenchDb.h"

#include "support/Config.h"
#include "support/Cp949.h"

#include <QDate>
#include <QFile>

#include <memory>
#include <stdexcept>
#include <string>

using namespace Qt::StringLiterals;

namespace worktide::bench {

MYSQL* ConnectAdmin(const QString& db, const char* host) {
    MYSQL* h = mysql_init(nullptr);
    mysql_options(h, MYSQL_SET_CHARSET_NAME, "euckr");
    const QByteArray dbName = db.toLatin1();
    if (!mysql_real_connect(h, host, kDbUser, kDbPassword, db.isEmpty() ? nullptr : dbName.constData(), 3306, nullptr,
                            CLIENT_MULTI_STATEMENTS)) {
        const std::string error = mysql_error(h);
        mysql_close(h);
        throw std::runtime_error(std::string("database server ") + host + " not reachable: " + error);
    }
    return h;
}

void Run(MYSQL* connection, const QString& sql) {
    const QByteArray bytes = ToAnsi(sql);
    if (mysql_real_query(connection, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0)
        throw std::runtime_error(std::string("SQL failed: ") + mysql_error(connection));
    do {
        if (MYSQL_RES* r = mysql_store_result(connection))
            mysql_free_result(r);
    } while (mysql_next_result(connection) == 0);
}

void RunAdmin(const QString& sql, const QString& db, const char* host) {
    std::unique_ptr<MYSQL, decltype(&mysql_close)> h(ConnectAdmin(db, host), &mysql_close);
    Run(h.get(), sql);
}

void CreateBenchDatabase(const QString& name, const char* host) {
    RunAdmin(
        u"DROP DATABASE IF EXISTS `%1`; CREATE DATABASE `%1` CHARACTER SET euckr COLLATE euckr_korean_ci"_s.arg(name),
        {}, host);
    QFile schema(QStringLiteral(WORKTIDE_SCHEMA_SQL));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the schema");
    RunAdmin(QString::fromUtf8(schema.readAll()), name, host);
}

void DropBenchDatabase(const QString& name, const char* host) {
    RunAdmin(u"DROP DATABASE IF EXISTS `%1`"_s.arg(name), {}, host);
}

QString ListEntryRows(const QString& owner, int from, int count) {
    static const QString titles[] = {u"주간회의"_s, u"release build"_s, u"고객사 방문 상담"_s, u"서버 점검 및 백업"_s,
                                     u"문서 정리"_s};
    const QDate base(2008, 1, 1);
    QString sql = u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "_s;
    for (int i = from; i < from + count; ++i) {
        const QDate s = base.addDays((i * 37) % 1100);
        const QDate e = s.addDays(i % 9);
        const bool noDates = i % 25 == 0;
        if (i > from)
            sql += u","_s;
        sql += u"('2008-01-01', '%1', '%2 %3', '첫째 줄 내용\r\n둘째 줄', '%4', '%5', %6, '개발')"_s.arg(
            owner, titles[i % 5], QString::number(i), noDates ? QString() : s.toString(u"yyyy-MM-dd"_s),
            noDates || i % 11 == 0 ? QString() : e.toString(u"yyyy-MM-dd"_s), QString::number(i % 3 == 0));
    }
    return sql;
}

} // namespace worktide::bench
