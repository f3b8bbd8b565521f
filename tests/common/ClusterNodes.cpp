#include "ClusterNodes.h"

#include "TestDb.h"
#include "support/Config.h"
#include "support/Cp949.h"

#include <QFile>
#include <QProcess>

#include <mysql.h>

#include <stdexcept>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace worktide::test {
namespace {

using MysqlPtr = std::unique_ptr<MYSQL, decltype(&mysql_close)>;

QString Script() {
    return QStringLiteral(WORKTIDE_SOURCE_DIR) + u"/scripts/cluster"_s;
}

bool RunScript(const QStringList& args, int timeoutMs = 180000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(Script(), args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

MysqlPtr Open(const QString& host, const QString& db) {
    MysqlPtr h(mysql_init(nullptr), &mysql_close);
    mysql_options(h.get(), MYSQL_SET_CHARSET_NAME, "euckr");
    const unsigned int timeout = 10;
    mysql_options(h.get(), MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    mysql_options(h.get(), MYSQL_OPT_READ_TIMEOUT, &timeout);
    const QByteArray hostBytes = host.toLatin1();
    const QByteArray dbBytes = db.toLatin1();
    if (!mysql_real_connect(h.get(), hostBytes.constData(), kDbUser, kDbPassword,
                            db.isEmpty() ? nullptr : dbBytes.constData(), 3306, nullptr, 0))
        throw std::runtime_error("cluster node " + host.toStdString() + " not reachable: " + mysql_error(h.get()));
    return h;
}

void Send(MYSQL* h, const QString& sql) {
    const QByteArray bytes = ToAnsi(sql);
    if (mysql_real_query(h, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0)
        throw std::runtime_error(std::string("cluster SQL failed: ") + mysql_error(h) + " in: " + sql.toStdString());
}

} // namespace

QString Cluster::NodeHost(int node) {
    return u"127.0.0.1%1"_s.arg(node);
}

QString Cluster::UnavailableReason() {
    try {
        Open(QString::fromLatin1(kProxyHost), {});
        return {};
    } catch (const std::exception& e) {
        return u"cluster not running (start it with scripts/cluster start): "_s + QString::fromUtf8(e.what());
    }
}

bool Cluster::Start() {
    return RunScript({u"start"_s});
}

bool Cluster::Kill(int node) {
    return RunScript({u"kill"_s, QString::number(node)}, 30000);
}

bool Cluster::Restart(int node) {
    return RunScript({u"restart"_s, QString::number(node)});
}

bool Cluster::RootSql(int node, const QString& sql) {
    return RunScript({u"sql"_s, QString::number(node), u"-e"_s, sql}, 30000);
}

qint64 Cluster::NodePid(int node) {
    QString folder = qEnvironmentVariable("WORKTIDE_CLUSTER_DIR");
    if (folder.isEmpty())
        folder = u"/var/tmp/worktide-cluster-%1"_s.arg(::getuid());
    QFile file(u"%1/node%2/mysqld.pid"_s.arg(folder).arg(node));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toLongLong();
}

QString Cluster::State(int node) {
    return StatusValue(node, u"wsrep_local_state_comment"_s) + u' ' + StatusValue(node, u"wsrep_cluster_size"_s);
}

QString Cluster::StatusValue(int node, const QString& name) {
    return Scalar(node, {},
                  u"SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = '"_s + name +
                      u"'"_s,
                  false);
}

std::unique_ptr<ScratchDatabase> Cluster::MakeScratchDatabase(const QString& suite) {
    // Made on node 1: through the proxy the schema could reach a node that has not yet
    // applied the CREATE DATABASE. Its later connections go through the proxy.
    qputenv("WORKTIDE_TEST_DB_HOST", NodeHost(1).toLatin1());
    qputenv("WORKTIDE_TEST_DB_PORT", "3306");
    auto db = std::make_unique<ScratchDatabase>(suite);
    for (int node = 1; node <= 3; ++node)
        Scalar(node, db->name(), u"SELECT COUNT(*) FROM worktide"_s);
    qputenv("WORKTIDE_TEST_DB_HOST", kProxyHost);
    return db;
}

QString Cluster::Scalar(int node, const QString& db, const QString& sql, bool causal) {
    MysqlPtr h = Open(NodeHost(node), db);
    if (causal)
        Send(h.get(), u"SET SESSION wsrep_sync_wait = 15"_s);
    Send(h.get(), sql);
    std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> r(mysql_store_result(h.get()), &mysql_free_result);
    MYSQL_ROW row = r ? mysql_fetch_row(r.get()) : nullptr;
    if (!row)
        return {};
    if (!row[0])
        return u"<NULL>"_s;
    return FromAnsi(row[0], static_cast<qsizetype>(mysql_fetch_lengths(r.get())[0]));
}

long Cluster::Exec(int node, const QString& db, const QString& sql) {
    MysqlPtr h = Open(NodeHost(node), db);
    Send(h.get(), sql);
    return static_cast<long>(mysql_affected_rows(h.get()));
}

} // namespace worktide::test
