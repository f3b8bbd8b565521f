#include "AppTestSupport.h"

#include "app/Startup.h"
#include "app/frmLogin.h"
#include "app/modMain.h"
#include "common/LoopbackHttpServer.h"
#include "common/ScopedState.h"
#include "db/modMySQL_Func_lite.h"
#include "support/AppPaths.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/modServerAddressUtil.h"
#include "ui/main/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace worktide::test {
namespace {

const QString kEndpoint = QStringLiteral("/serverinfo/server-address-checker.php");
const QString kVersionFile = QStringLiteral("/download/자동업데이트_v1/UpdateProbeV1_lastver.txt");
const QString kAlreadyRunning = QStringLiteral("이미 프로그램이 실행중입니다.");
const QString kUnregistered = QStringLiteral("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다.");

// Presses Cancel on the login window once it is up (Main shows it modally).
void CancelLoginWhenShown() {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        if (auto* login = qobject_cast<frmLogin*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            login->cmdCancel->click();
        }
    });
    poll->start(20);
}

class StartupTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        m_programFolder.emplace(m_dir->path(), QStringLiteral("worktide"));
        SetInstanceLockFolder(m_dir->path());
        ServerAddressSetting = JsonValue();
        addUser(QStringLiteral("kim"), QStringLiteral("김철수"), 3, QStringLiteral("pw1"));
        registerMac(QStringLiteral("001A2B3C4D5E"), QStringLiteral("kim"));
        ASSERT_TRUE(QDir().mkpath(m_updates.path() + QStringLiteral("/자동업데이트_v1")));
        QFile version(m_updates.path() + QStringLiteral("/자동업데이트_v1/UpdateProbeV1_lastver.txt"));
        ASSERT_TRUE(version.open(QIODevice::WriteOnly));
        version.write("0");
        version.close();
        m_http.serveFolder(QStringLiteral("/download/"), m_updates.path());
        SetStartupObserver([this](const QString& step) { onStep(step); });
    }
    void TearDown() override {
        SetStartupObserver({});
        if (MainWindow())
            delete MainWindow();
        ReleaseInstanceLock();
        SetInstanceLockFolder({});
        m_programFolder.reset();
        ServerAddressSetting = JsonValue();
        AppTest::TearDown();
    }

    void serveServerList(const QString& dbHost, const QString& updateHost) {
        QByteArray servers;
        if (!dbHost.isEmpty())
            servers += "{\"name\": \"사내메신저DB서버\", \"host\": \"" + dbHost.toUtf8() + "\"}";
        if (!updateHost.isEmpty())
            servers += QByteArray(servers.isEmpty() ? "" : ", ") + "{\"name\": \"자동업데이트_런처\", \"host\": \"" +
                       updateHost.toUtf8() + "\"}";
        m_http.setResponse(kEndpoint, 200,
                           "{\"success\": true, \"data\": {\"ver\": 1, \"servers\": [" + servers + "]}}");
    }

    void onStep(const QString& step) {
        m_steps << step;
        if (step == QLatin1String("RunAutoUpdate")) {
            m_hostsAtUpdate = {gDBServerHost, gUpdateServerHost};
            m_requestsAtUpdate = m_http.requestCount();
        } else if (step == QLatin1String("ConnectDatabase")) {
            m_requestsAtConnect = m_http.requestTargets();
            m_connectedBeforeConnect = gDB != nullptr;
        } else if (step == QLatin1String("frmLogin")) {
            m_connectedAtLogin = gDB && gDB->isConnected();
        }
    }

    QTemporaryDir m_updates;
    LoopbackHttpServer m_http;
    std::optional<ScopedProgramFolder> m_programFolder; // the test's own folder (m_dir)
    QStringList m_steps;
    QStringList m_hostsAtUpdate;
    int m_requestsAtUpdate = -1;
    QList<QString> m_requestsAtConnect;
    bool m_connectedBeforeConnect = true;
    bool m_connectedAtLogin = false;
};

TEST_F(StartupTest, ServerListThenUpdaterThenConnectionThenLoginThenMainWindow) {
    ScopedEnv info("WORKTIDE_SERVERINFO_HOST", m_http.hostPort());
    ScopedEnv fallback("WORKTIDE_DEFAULT_SERVER", QStringLiteral("127.0.0.254"));
    serveServerList(DbServer::host(), m_http.hostPort());
    writeSettings(QStringLiteral("kim"), QStringLiteral("pw1"), QStringLiteral("1"));
    ScopedScriptedMessageBoxes boxes;

    Main();

    EXPECT_EQ(m_steps,
              (QStringList{QStringLiteral("InstanceCheck"), QStringLiteral("RefreshServerAddressSetting"),
                           QStringLiteral("LoadServerAddressSetting"), QStringLiteral("RunAutoUpdate"),
                           QStringLiteral("ConnectDatabase"), QStringLiteral("frmLogin"), QStringLiteral("FrmMain")}));
    // The real effects behind the steps: the list was asked for and cached before
    // the updater ran, the updater read its version file before the connection.
    EXPECT_EQ(m_requestsAtUpdate, 1);
    ASSERT_EQ(m_requestsAtConnect.size(), 2);
    EXPECT_TRUE(m_requestsAtConnect[0].startsWith(kEndpoint));
    EXPECT_EQ(QUrl::fromPercentEncoding(m_requestsAtConnect[1].toUtf8()), kVersionFile);
    EXPECT_TRUE(QFileInfo::exists(ProgramPath(QString::fromLatin1(kServerAddressFileName))));
    EXPECT_FALSE(m_connectedBeforeConnect);
    EXPECT_TRUE(m_connectedAtLogin);
    EXPECT_EQ(m_hostsAtUpdate, (QStringList{DbServer::host(), m_http.hostPort()}));

    EXPECT_EQ(gAppTitle, QStringLiteral("업무일정"));
    EXPECT_EQ(gUserId, QStringLiteral("kim"));
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    ASSERT_TRUE(MainWindow());
    EXPECT_TRUE(MainWindow()->isVisible());
    EXPECT_TRUE(m_exitCodes.isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the login window is gone";

    // Closing the main window ends the program through ExitProgram.
    MainWindow()->close();
    QTest::qWait(10);
    EXPECT_EQ(m_exitCodes, QList<int>{0});
    EXPECT_FALSE(gDB);
}

// Process numbers come round again (at once in a new Wine session): a lock a dead copy left
// under this process's own number is taken over, not taken for a copy already running.
TEST(InstanceLock, ALockLeftUnderThisProcesssOwnNumberIsTakenOver) {
    QTemporaryDir dir;
    SetInstanceLockFolder(dir.path());
    QByteArray leftover;
    {
        QLockFile earlier(InstanceLockPath());
        ASSERT_TRUE(earlier.tryLock(0));
        QFile file(InstanceLockPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        leftover = file.readAll();
    }
    QFile file(InstanceLockPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(leftover);
    file.close();
    EXPECT_TRUE(AcquireInstanceLock());
    QLockFile other(InstanceLockPath());
    EXPECT_FALSE(other.tryLock(0)) << "the lock is held again";
    ReleaseInstanceLock();
    SetInstanceLockFolder({});
}

TEST_F(StartupTest, CancellingTheLoginEndsWithoutMainWindow) {
    ScopedEnv info("WORKTIDE_SERVERINFO_HOST", m_http.hostPort());
    serveServerList(DbServer::host(), m_http.hostPort());
    ScopedScriptedMessageBoxes boxes;
    CancelLoginWhenShown();
    Main();
    EXPECT_EQ(m_steps.last(), QStringLiteral("frmLogin"));
    EXPECT_EQ(m_exitCodes, QList<int>{0});
    EXPECT_FALSE(MainWindow());
    EXPECT_FALSE(gDB);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

// Each host falls back to the built-in address on its own.
TEST_F(StartupTest, HostsFallBackToTheDefaultOneByOne) {
    struct Case {
        const char* what;
        bool endpointUp;
        QString dbHost;
        QString updateHost;
        QStringList expected; // db host, update host
    };
    // An address where nothing listens (127.0.0.2 is the private server's).
    const QString def = QStringLiteral("127.0.0.254");
    const QString db = DbServer::host();
    const Case cases[] = {
        {"no endpoint, no cache", false, {}, {}, {def, def}},
        {"only the database server named", true, db, {}, {db, def}},
        {"only the update server named", true, {}, m_http.hostPort(), {def, m_http.hostPort()}},
    };
    ScopedEnv fallback("WORKTIDE_DEFAULT_SERVER", def);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(ProgramPath(QString::fromLatin1(kServerAddressFileName)));
        ServerAddressSetting = JsonValue();
        m_steps.clear();
        m_exitCodes.clear();
        serveServerList(c.dbHost, c.updateHost);
        ScopedEnv info("WORKTIDE_SERVERINFO_HOST", c.endpointUp ? m_http.hostPort() : QStringLiteral("127.0.0.1:1"));
        ScopedScriptedMessageBoxes boxes;
        CancelLoginWhenShown();
        Main();
        EXPECT_EQ(m_hostsAtUpdate, c.expected);
        EXPECT_EQ(m_steps.last(), QStringLiteral("frmLogin"));
        EXPECT_FALSE(MainWindow());
        EXPECT_FALSE(m_exitCodes.isEmpty());
    }
}

// --- real processes -------------------------------------------------------

struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // A copy of the program in a folder of its own: nothing it writes beside
        // itself lands in the build tree.
        m_program = m_dir.filePath(QStringLiteral("bin/worktide" WORKTIDE_EXE_SUFFIX));
        ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("bin"))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(WORKTIDE_BINARY_DIR "/src/worktide" WORKTIDE_EXE_SUFFIX), m_program))
            << "build the program first";
        QDir().mkpath(m_dir.filePath(QStringLiteral("home")));
        QDir().mkpath(m_dir.filePath(QStringLiteral("run")));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QProcessEnvironment env(bool consoleMessages) const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/.config")));
        e.insert(QStringLiteral("USER"), m_user);
        e.insert(QStringLiteral("USERNAME"), m_user);
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Nothing answers: no server list, no update folder, no database.
        e.insert(QStringLiteral("WORKTIDE_SERVERINFO_HOST"), QStringLiteral("127.0.0.1:1"));
        e.insert(QStringLiteral("WORKTIDE_DEFAULT_SERVER"), QStringLiteral("127.0.0.254"));
        if (consoleMessages)
            e.insert(QStringLiteral("WORKTIDE_CONSOLE_MESSAGES"), QStringLiteral("1"));
        else
            e.remove(QStringLiteral("WORKTIDE_CONSOLE_MESSAGES"));
        return e;
    }

    ProcessRun runToEnd(const QStringList& args = {}) const {
        QProcess p;
        p.setProcessEnvironment(env(true));
        p.start(m_program, args);
        ProcessRun r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

#ifdef _WIN32
    // The local application data folder is the Windows user's own, whatever the environment
    // says, and so outlives the test and is shared with the tests running beside it: a
    // user name of the test's own, and no lock of it left behind.
    void TearDown() override {
        QFile::remove(lockPath());
    }
    // (Not through QStandardPaths: in a test program it names a test folder instead.)
    QString lockPath() const {
        return QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA")) + QStringLiteral("/worktide-") +
               m_user + QStringLiteral(".lock");
    }
#else
    QString lockPath() const {
        return m_dir.filePath(QStringLiteral("run/worktide-") + m_user + QStringLiteral(".lock"));
    }
#endif

    const QString m_user = QStringLiteral("wttest%1").arg(QCoreApplication::applicationPid());
    QTemporaryDir m_dir;
    QString m_program;
};

TEST_F(ProgramProcessTest, SecondCopyIsRefusedAndACrashedCopysLockIsTakenOver) {
    // The first copy stops at its first message box (the update folder cannot be
    // read), with the lock held.
    QProcess first;
    first.setProcessEnvironment(env(false));
    first.start(m_program);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(lockPath()); }, 20000));
    QTest::qWait(200);
    ASSERT_EQ(first.state(), QProcess::Running);

    const ProcessRun second = runToEnd();
    EXPECT_EQ(second.exitCode, 0);
    // Exactly one box, and nothing after it: no updater, no connection.
    EXPECT_EQ(second.err.trimmed(), QStringLiteral("[업무일정] ") + kAlreadyRunning);
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy is not touched";

    first.kill();
    first.waitForFinished();
    ASSERT_TRUE(QFileInfo::exists(lockPath())) << "a killed copy leaves its lock behind";

    // The next start takes the stale lock over and runs the whole way: no
    // database, so the allowance check refuses the computer and the program ends.
    const ProcessRun third = runToEnd();
    EXPECT_EQ(third.exitCode, 0);
    EXPECT_FALSE(third.err.contains(kAlreadyRunning)) << third.err.toStdString();
    EXPECT_TRUE(third.err.contains(kUnregistered)) << third.err.toStdString();
    EXPECT_EQ(third.err.count(kUnregistered), 1);
}

TEST_F(ProgramProcessTest, PrintMacPrintsTheAdapterAddressAndStops) {
    SetAdapterSource({});
    const ProcessRun r = runToEnd({QStringLiteral("--print-mac")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.trimmed(), GetMyMacAddress());
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(lockPath())) << "nothing else ran";
}

} // namespace
} // namespace worktide::test
