#include "TestDb.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Config.h"
#include "support/Cp949.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <mysql.h>

#include <memory>
#include <stdexcept>

namespace worktide::test {
namespace {

using MysqlPtr = std::unique_ptr<MYSQL, decltype(&mysql_close)>;

MysqlPtr Connect(const QString& db) {
    MysqlPtr h(mysql_init(nullptr), &mysql_close);
    mysql_options(h.get(), MYSQL_SET_CHARSET_NAME, "euckr");
    const QByteArray host = DbServer::host().toLatin1();
    const QByteArray user = DbServer::user().toLatin1();
    const QByteArray pass = DbServer::password().toLatin1();
    const QByteArray dbName = db.toLatin1();
    if (!mysql_real_connect(h.get(), host.constData(), user.constData(), pass.constData(),
                            db.isEmpty() ? nullptr : dbName.constData(), static_cast<unsigned>(DbServer::port()),
                            nullptr, CLIENT_MULTI_STATEMENTS))
        throw std::runtime_error(std::string("test database server not reachable (run scripts/dbserver start): ") +
                                 mysql_error(h.get()));
    return h;
}

void Run(MYSQL* h, const QByteArray& sql) {
    if (mysql_real_query(h, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
        throw std::runtime_error(std::string("test SQL failed: ") + mysql_error(h) + " in: " + sql.toStdString());
    do {
        if (MYSQL_RES* r = mysql_store_result(h))
            mysql_free_result(r);
    } while (mysql_next_result(h) == 0);
}

QByteArray Encode(const QString& sql) {
    return ToAnsi(sql);
}

} // namespace

QString DbServer::host() {
    const QString v = qEnvironmentVariable("WORKTIDE_TEST_DB_HOST");
    return v.isEmpty() ? QStringLiteral("127.0.0.2") : v;
}
int DbServer::port() {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue("WORKTIDE_TEST_DB_PORT", &ok);
    return ok ? v : 3306;
}
QString DbServer::user() {
    return QString::fromLatin1(kDbUser);
}
QString DbServer::password() {
    return QString::fromLatin1(kDbPassword);
}

ScratchDatabase::ScratchDatabase(const QString& suite) {
    QString clean = suite.toLower();
    clean.replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")), QStringLiteral("_"));
    m_name = QStringLiteral("wt_%1_%2").arg(clean.left(40)).arg(QCoreApplication::applicationPid());
    MysqlPtr h = Connect({});
    Run(h.get(), "DROP DATABASE IF EXISTS `" + m_name.toLatin1() + "`");
    Run(h.get(), "CREATE DATABASE `" + m_name.toLatin1() + "` CHARACTER SET euckr COLLATE euckr_korean_ci");
    loadFile(QStringLiteral(WORKTIDE_SCHEMA_SQL));
}

ScratchDatabase::~ScratchDatabase() {
    try {
        MysqlPtr h = Connect({});
        Run(h.get(), "DROP DATABASE IF EXISTS `" + m_name.toLatin1() + "`");
    } catch (...) {
        // A server that went away leaves a stale scratch database behind; harmless.
    }
}

void ScratchDatabase::exec(const QString& sql) const {
    MysqlPtr h = Connect(m_name);
    Run(h.get(), Encode(sql));
}

QString ScratchDatabase::scalar(const QString& sql) const {
    MysqlPtr h = Connect(m_name);
    const QByteArray bytes = Encode(sql);
    if (mysql_real_query(h.get(), bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0)
        throw std::runtime_error(std::string("test SQL failed: ") + mysql_error(h.get()));
    std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> r(mysql_store_result(h.get()), &mysql_free_result);
    if (!r)
        return {};
    MYSQL_ROW row = mysql_fetch_row(r.get());
    if (!row)
        return {};
    if (!row[0])
        return QStringLiteral("<NULL>");
    unsigned long* len = mysql_fetch_lengths(r.get());
    return FromAnsi(row[0], static_cast<qsizetype>(len[0]));
}

void ScratchDatabase::truncateAll() const {
    exec(QStringLiteral("DELETE FROM user; DELETE FROM user_mac; DELETE FROM worktide; DELETE FROM worktide_cate"));
}

void ScratchDatabase::loadFile(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    exec(QString::fromUtf8(f.readAll()));
}

bool ScratchDatabase::connectGlobal() const {
    return DBInit(DbServer::host(), DbServer::user(), DbServer::password(), m_name).connected;
}

} // namespace worktide::test
