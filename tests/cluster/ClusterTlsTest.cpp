// TLS through HAProxy: a second cluster of scripts/cluster, beside the default one, whose
// nodes offer TLS with a certificate made here for the proxy's address. The proxy passes
// the TLS session through (mode tcp); the program verifies the name it dialled.
#include "common/ScopedState.h"
#include "common/TestCertificates.h"
#include "common/TestDb.h"
#include "db/cMySQL.h"
#include "support/MsgBox.h"
#include "ui/shared/ShowMessages.h"

#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::DbServer;
using test::ScopedEnv;

const QString kPrefix = u"127.0.2.1"_s;
const QString kProxy = kPrefix + u"0"_s;

QString CertDir() {
    return QStringLiteral(WORKTIDE_BINARY_DIR) + u"/tls-cluster-certs"_s;
}

int RunTool(const QString& program, const QStringList& args, int timeoutMs = 240000) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"WORKTIDE_CLUSTER_PREFIX"_s, kPrefix);
    env.insert(u"WORKTIDE_CLUSTER_DIR"_s, u"/var/tmp/worktide-cluster-tls-%1"_s.arg(::getuid()));
    env.insert(u"WORKTIDE_CLUSTER_TLS_DIR"_s, CertDir());
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
int Cluster(const QStringList& args) {
    return RunTool(QStringLiteral(WORKTIDE_SOURCE_DIR) + u"/scripts/cluster"_s, args);
}

QString Value(cMySQL& db, const QString& sql) {
    RecordsetPtr rs = db.query(sql);
    return rs && !rs->isEOF() ? rs->Value(rs->FieldCount() - 1) : u"<none>"_s;
}

TEST(ClusterTls, RequiredThroughTheProxyReachesEveryNodeEncryptedAndSurvivesANodeDying) {
    ASSERT_TRUE(test::MakeTestCertificates(CertDir(), kProxy));
    // A cluster left by an earlier run holds that run's certificates.
    Cluster({u"stop"_s});
    const int started = Cluster({u"start"_s});
    if (started == 4)
        GTEST_SKIP() << "the cluster packages are not installed";
    ASSERT_EQ(started, 0);
    struct Stop {
        ~Stop() { Cluster({u"stop"_s}); }
    } stopAtEnd;

    ScopedScriptedMessageBoxes boxes;
    ScopedEnv tls("WORKTIDE_DATABASE_TLS", "required");
    ScopedEnv ca("WORKTIDE_DATABASE_CA", CertDir() + u"/ca.pem"_s);

    // Round robin: new connections land on different nodes, each of them encrypted.
    QSet<QString> nodes;
    for (int i = 0; i < 4; ++i) {
        cMySQL db;
        ASSERT_TRUE(db.real_connect(kProxy, DbServer::user(), DbServer::password(), u"dd_inhouse"_s))
            << boxes.texts().join(u'|').toStdString();
        EXPECT_FALSE(Value(db, u"SHOW SESSION STATUS LIKE 'Ssl_cipher'"_s).isEmpty());
        nodes.insert(Value(db, u"SELECT @@wsrep_node_name"_s));
    }
    EXPECT_GE(nodes.size(), 2) << QStringList(nodes.values()).join(u' ').toStdString();

    // The serving node dies: the statement goes out again on a new connection to a live
    // node, verified and encrypted like the first.
    cMySQL db;
    ASSERT_TRUE(db.real_connect(kProxy, DbServer::user(), DbServer::password(), u"dd_inhouse"_s));
    const QString serving = Value(db, u"SELECT @@wsrep_node_name"_s);
    ASSERT_TRUE(serving.startsWith(u"node"_s)) << serving.toStdString();
    ASSERT_EQ(Cluster({u"kill"_s, serving.mid(4)}), 0);
    const QString after = Value(db, u"SELECT @@wsrep_node_name"_s);
    EXPECT_NE(after, serving);
    EXPECT_TRUE(after.startsWith(u"node"_s)) << after.toStdString();
    EXPECT_EQ(db.reconnectCount(), 1);
    EXPECT_FALSE(Value(db, u"SHOW SESSION STATUS LIKE 'Ssl_cipher'"_s).isEmpty());
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();

    // A CA that did not sign the nodes' certificate: refused through the proxy too.
    ScopedEnv other("WORKTIDE_DATABASE_CA", CertDir() + u"/other-ca.pem"_s);
    cMySQL refused;
    EXPECT_FALSE(refused.real_connect(kProxy, DbServer::user(), DbServer::password(), u"dd_inhouse"_s));
    ShowDbFailures();
    ASSERT_FALSE(boxes.texts().isEmpty());
    EXPECT_TRUE(boxes.texts().last().contains(u"데이터베이스 연결을 암호화하지 못했습니다 (DatabaseTls=required)"_s))
        << boxes.texts().last().toStdString();
}

} // namespace
} // namespace worktide
