// The protected database link against real servers with certificates made here: one
// server offering TLS on two addresses (its certificate names only the first), and the
// shared test server, which offers none.
#include "common/DbFailureLog.h"
#include "common/ScopedState.h"
#include "common/TestCertificates.h"
#include "common/TestDb.h"
#include "db/cMySQL.h"
#include "support/Config.h"
#include "support/MsgBox.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::DbServer;
using test::ScopedEnv;

const QString kTlsHost = u"127.0.0.26"_s;   // named in the certificate
const QString kOtherName = u"127.0.0.27"_s; // the same server under a name the certificate lacks
const QString kRefused = u"데이터베이스 연결을 암호화하지 못했습니다 (DatabaseTls="_s;

QString Folder() {
    return QStringLiteral(WORKTIDE_BINARY_DIR) + u"/tls-db"_s;
}
QString Cert(const QString& name) {
    return Folder() + u"/certs/"_s + name;
}

bool RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QProcessEnvironment ServerEnv() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"WORKTIDE_DB_BIND"_s, kTlsHost + u","_s + kOtherName);
    env.insert(u"WORKTIDE_DB_PORT"_s, u"3306"_s);
    env.insert(u"WORKTIDE_DB_DIR"_s, Folder());
    env.insert(u"WORKTIDE_DB_TLS_CERT"_s, Cert(u"server.pem"_s));
    env.insert(u"WORKTIDE_DB_TLS_KEY"_s, Cert(u"server.key"_s));
    return env;
}
QString DbServerScript() {
    return QStringLiteral(WORKTIDE_SOURCE_DIR) + u"/scripts/dbserver"_s;
}

class DatabaseTlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // ctest runs each test as a process of its own, maybe at the same time: one at a
        // time owns the server on these addresses.
        s_lock = std::make_unique<QLockFile>(QDir::tempPath() + u"/worktide-tls-test-server.lock"_s);
        s_lock->setStaleLockTime(0);
        if (!s_lock->tryLock(100000))
            return;
        // A server left by an earlier run would hold that run's certificates.
        RunTool(DbServerScript(), {u"stop"_s}, ServerEnv());
        s_ready = test::MakeTestCertificates(Folder() + u"/certs"_s, kTlsHost) &&
                  RunTool(DbServerScript(), {u"start"_s}, ServerEnv());
    }
    static void TearDownTestSuite() {
        if (s_ready)
            RunTool(DbServerScript(), {u"stop"_s}, ServerEnv());
        s_lock.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_ready) << "openssl or the TLS server failed"; }
    void TearDown() override { EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString(); }

    // Connects as the program does; the cipher the server reports for the session, or
    // "<refused>" when the connect failed.
    QString Connect(const QString& host, int port = 3306) {
        cMySQL db;
        if (!db.real_connect(host, DbServer::user(), DbServer::password(), {}, port))
            return u"<refused>"_s;
        RecordsetPtr rs = db.query(u"SHOW SESSION STATUS LIKE 'Ssl_cipher'"_s);
        const QString serverSide = rs && !rs->isEOF() ? rs->Value(1) : u"<no row>"_s;
        EXPECT_EQ(serverSide, db.ssl_cipher()) << "the server and the library agree";
        return serverSide;
    }
    QString LastBox() { return failures.texts().isEmpty() ? QString() : failures.texts().last(); }

    static bool s_ready;
    static std::unique_ptr<QLockFile> s_lock;
    // The layer below the windows never shows a box itself; it leaves its messages in failures.
    ScopedScriptedMessageBoxes boxes;
    test::DbFailureLog failures;
    QTemporaryDir office;
    ScopedOfficeSettingsFolder officeFolder{office.path()};
    ScopedEnv tls{"WORKTIDE_DATABASE_TLS", QByteArray()};
    ScopedEnv ca{"WORKTIDE_DATABASE_CA", QByteArray()};
};
bool DatabaseTlsTest::s_ready = false;
std::unique_ptr<QLockFile> DatabaseTlsTest::s_lock;

TEST_F(DatabaseTlsTest, RequiredEncryptsOnlyAVerifiedServer) {
    ScopedEnv mode("WORKTIDE_DATABASE_TLS", "required");
    ScopedEnv file("WORKTIDE_DATABASE_CA", Cert(u"ca.pem"_s));
    EXPECT_FALSE(Connect(kTlsHost).isEmpty());
    EXPECT_NE(Connect(kTlsHost), u"<refused>"_s);
    EXPECT_TRUE(failures.texts().isEmpty()) << failures.texts().join(u'|').toStdString();

    // The same server under a name its certificate does not carry.
    EXPECT_EQ(Connect(kOtherName), u"<refused>"_s);
    EXPECT_TRUE(LastBox().startsWith(u"Error 2026 "_s + kRefused + u"required): "_s)) << LastBox().toStdString();
    EXPECT_TRUE(LastBox().contains(u"environment variable WORKTIDE_DATABASE_TLS"_s)) << LastBox().toStdString();

    // A server without TLS is refused, never used in the clear.
    EXPECT_EQ(Connect(DbServer::host(), DbServer::port()), u"<refused>"_s);
    EXPECT_TRUE(LastBox().contains(kRefused + u"required)"_s)) << LastBox().toStdString();

    // A certificate the given CA did not sign.
    ScopedEnv other("WORKTIDE_DATABASE_CA", Cert(u"other-ca.pem"_s));
    failures.clear();
    EXPECT_EQ(Connect(kTlsHost), u"<refused>"_s);
    EXPECT_TRUE(LastBox().contains(kRefused + u"required)"_s)) << LastBox().toStdString();
    EXPECT_TRUE(LastBox().contains(u"DatabaseCa="_s + Cert(u"other-ca.pem"_s))) << LastBox().toStdString();
}

TEST_F(DatabaseTlsTest, TheOfficeFileSetsItAndAnUnknownValueConnectsNowhere) {
    ASSERT_TRUE(QDir(office.path()).mkpath(u"Worktide"_s));
    QFile conf(office.filePath(u"Worktide/Worktide.conf"_s));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[General]\nDatabaseTls=required\nDatabaseCa=" + Cert(u"ca.pem"_s).toUtf8() + "\n");
    conf.close();
    EXPECT_EQ(DatabaseTlsSetting().source, conf.fileName());
    EXPECT_FALSE(Connect(kTlsHost).isEmpty());
    EXPECT_EQ(Connect(kOtherName), u"<refused>"_s);
    EXPECT_TRUE(LastBox().contains(conf.fileName())) << LastBox().toStdString();

    ScopedEnv mode("WORKTIDE_DATABASE_TLS", "yes");
    failures.clear();
    EXPECT_EQ(Connect(DbServer::host(), DbServer::port()), u"<refused>"_s);
    EXPECT_TRUE(LastBox().contains(u"DatabaseTls 설정값 'yes'"_s)) << LastBox().toStdString();
}

TEST_F(DatabaseTlsTest, PreferredEncryptsWhenOfferedAndVerifiesWithACa) {
    ScopedEnv mode("WORKTIDE_DATABASE_TLS", "preferred");
    EXPECT_FALSE(Connect(kTlsHost).isEmpty());
    EXPECT_EQ(Connect(DbServer::host(), DbServer::port()), QString()) << "no TLS offered: plain";
    EXPECT_TRUE(failures.texts().isEmpty()) << failures.texts().join(u'|').toStdString();

    ScopedEnv file("WORKTIDE_DATABASE_CA", Cert(u"ca.pem"_s));
    EXPECT_FALSE(Connect(kTlsHost).isEmpty());
    EXPECT_EQ(Connect(DbServer::host(), DbServer::port()), QString()) << "no TLS offered: plain";
    EXPECT_TRUE(failures.texts().isEmpty()) << failures.texts().join(u'|').toStdString();
    // Offered, but with the wrong name or a foreign CA: refused, not used in the clear instead.
    EXPECT_EQ(Connect(kOtherName), u"<refused>"_s);
    EXPECT_TRUE(LastBox().contains(kRefused + u"preferred)"_s)) << LastBox().toStdString();
    ScopedEnv other("WORKTIDE_DATABASE_CA", Cert(u"other-ca.pem"_s));
    failures.clear();
    EXPECT_EQ(Connect(kTlsHost), u"<refused>"_s);
    EXPECT_TRUE(LastBox().contains(kRefused + u"preferred)"_s)) << LastBox().toStdString();
}

TEST_F(DatabaseTlsTest, OffConnectsInTheClearAsBefore) {
    EXPECT_EQ(DatabaseTlsSetting().value, u"off"_s);
    EXPECT_EQ(Connect(DbServer::host(), DbServer::port()), QString());
    EXPECT_EQ(Connect(kTlsHost), QString()) << "off asks for no TLS even where it is offered";
    EXPECT_TRUE(failures.texts().isEmpty()) << failures.texts().join(u'|').toStdString();
}

} // namespace
} // namespace worktide
