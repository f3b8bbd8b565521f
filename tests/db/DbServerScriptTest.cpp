// scripts/dbserver as the test run's fixture uses it, on a throwaway server of its own
// (own folder, address and port): the fixture's stop ends only a server its start began,
// never one that ran before (scripts/test's, a developer's, the one other programs use).
#include "common/TestDb.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

class DbServerScriptTest : public ::testing::Test {
protected:
    // Each test its own server: ctest runs them at the same time.
    void useServer(int port) {
        m_port = port;
        m_dir = QStringLiteral(WORKTIDE_BINARY_DIR) + u"/fixture-db-"_s + QString::number(port);
        QDir(m_dir).removeRecursively();
    }
    void TearDown() override {
        run({u"stop"_s});
        QDir(m_dir).removeRecursively();
    }

    // The script's exit status; -1 when it did not end in time. Its errors go to m_err.
    int run(const QStringList& args, const QString& bind = u"127.0.0.8"_s) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"WORKTIDE_DB_BIND"_s, bind);
        env.insert(u"WORKTIDE_DB_PORT"_s, QString::number(m_port));
        env.insert(u"WORKTIDE_DB_DIR"_s, m_dir);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(WORKTIDE_SOURCE_DIR) + u"/scripts/dbserver"_s, args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        m_err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    bool running() { return run({u"status"_s}) == 0; }

    int m_port = 0;
    QString m_dir;
    QString m_err;
};

TEST_F(DbServerScriptTest, TheFixtureStopsOnlyTheServerItStarted) {
    useServer(3308);
    // Started by the fixture: stopped by it.
    ASSERT_EQ(run({u"start"_s, u"--fixture"_s}), 0);
    ASSERT_TRUE(running());
    EXPECT_EQ(run({u"stop"_s, u"--fixture"_s}), 0);
    EXPECT_FALSE(running()) << "the run left its own server running";

    // Running before the run: the fixture's start finds it, its stop leaves it.
    ASSERT_EQ(run({u"start"_s}), 0);
    EXPECT_EQ(run({u"start"_s, u"--fixture"_s}), 0);
    EXPECT_EQ(run({u"stop"_s, u"--fixture"_s}), 0);
    EXPECT_TRUE(running()) << "the fixture stopped a server it did not start";

    // Started by a fixture, then asked for by hand while it runs: it is the person's now.
    ASSERT_EQ(run({u"stop"_s}), 0);
    ASSERT_EQ(run({u"start"_s, u"--fixture"_s}), 0);
    ASSERT_EQ(run({u"start"_s}), 0);
    EXPECT_EQ(run({u"stop"_s, u"--fixture"_s}), 0);
    EXPECT_TRUE(running());
}

// A server of the folder that listens elsewhere (started with another address, as an
// older default did) is not taken for ours: start says so instead of pointing the tests
// at nothing, and leaves it running.
TEST_F(DbServerScriptTest, StartRefusesTheFoldersServerOnAnotherAddress) {
    useServer(3309);
    ASSERT_EQ(run({u"start"_s}), 0);
    EXPECT_EQ(run({u"start"_s}, u"127.0.0.7"_s), 1);
    EXPECT_TRUE(m_err.contains(u"but not on 127.0.0.7:3309"_s)) << m_err.toStdString();
    EXPECT_TRUE(running());
}

} // namespace
} // namespace worktide
