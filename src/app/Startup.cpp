// The entry procedure, the connection and the exit routine.
#include "app/CommandLine.h"
#include "app/modMain.h"

#include "ui/shared/QtMessageBoxes.h"
#include "app/Startup.h"
#include "app/frmLogin.h"
#include "db/DbWait.h"
#include "db/modDodamDBConsts.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Config.h"
#include "support/Globals.h"
#include "support/InstanceLock.h"
#include "support/MsgBox.h"
#include "support/ProcessExit.h"
#include "support/VbError.h"
#include "support/modAutoUpdateV1_Launcher.h"
#include "support/modServerAddressUtil.h"
#include "support/modWaitProc.h"
#include "ui/grid/Fonts.h"
#include "ui/main/FrmMain.h"
#include "ui/shared/DbWaitNotice.h"
#include "ui/shared/ShowMessages.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace worktide {
namespace {

// Longest wait of any statement or connect from the connection to the main window.
constexpr int kStartupWaitSeconds = 10;
StartupObserver g_observer;
QString g_lockFolder;
// Held from the first start-up step to the end of the process.
std::unique_ptr<QLockFile> g_instanceLock;

void Step(const char* name) {
    if (g_observer)
        g_observer(QString::fromLatin1(name));
}
} // namespace

QString AppTitle() {
    return QStringLiteral("업무일정");
}

void SetStartupObserver(StartupObserver observer) {
    g_observer = std::move(observer);
}

void SetInstanceLockFolder(const QString& folder) {
    g_lockFolder = folder;
}

QString InstanceLockPath() {
    if (g_lockFolder.isEmpty())
        return DefaultInstanceLockPath();
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QStringLiteral("user");
    return g_lockFolder + QStringLiteral("/worktide-") + user + QStringLiteral(".lock");
}

bool AcquireInstanceLock() {
    if (g_instanceLock)
        return true;
    auto lock = std::make_unique<QLockFile>(InstanceLockPath());
    // Never stale by age: a copy that has run for hours still holds it. A lock left
    // by a crashed copy is recognised by its dead process and taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        // Process numbers come round again (after a restart, at once in a new Wine
        // session): a lock left under this very process's number is not held by anyone,
        // since this copy has not taken it yet, yet the check by number calls it alive.
        // (The folder is this computer's own, so the number is this computer's too.)
        qint64 pid = 0;
        QString host;
        QString app;
        if (lock->error() != QLockFile::LockFailedError || !lock->getLockInfo(&pid, &host, &app) ||
            pid != QCoreApplication::applicationPid() || !lock->removeStaleLockFile() || !lock->tryLock(0))
            return false;
    }
    g_instanceLock = std::move(lock);
    return true;
}

void ReleaseInstanceLock() {
    g_instanceLock.reset();
}

void Main() {
    try {
        Step("InstanceCheck");
        if (!AcquireInstanceLock()) {
            MsgBox(QStringLiteral("이미 프로그램이 실행중입니다."), vbOKOnly | vbInformation, AppTitle());
            EndProcess(0);
            return;
        }
        gAppTitle = AppTitle();
        gUpdateServerHost = DefaultServerAddress();
        gDBServerHost = gUpdateServerHost;

        Step("RefreshServerAddressSetting");
        UserMessages cacheMessages;
        RefreshServerAddressSetting(QString(), cacheMessages);
        ShowMessages(cacheMessages);
        Step("LoadServerAddressSetting");
        ShowMessages(LoadServerAddressSetting());
        const QString updateHost = GetServerHost(QStringLiteral("자동업데이트_런처"));
        const QString dbHost = GetServerHost(QStringLiteral("사내메신저DB서버"));
        if (!updateHost.isEmpty())
            gUpdateServerHost = updateHost;
        if (!dbHost.isEmpty())
            gDBServerHost = dbHost;

        Step("RunAutoUpdate");
        // When an update is to be installed the process ends here.
        CarryOutAutoUpdate(RunAutoUpdate(false));

        // A server that lets us in and then stalls: the first message comes within this,
        // not after the read bound of every statement.
        const ScopedWaitBound startupBound(kStartupWaitSeconds);
        Step("ConnectDatabase");
        ConnectDatabase();

        Step("frmLogin");
        bool succeeded = false;
        {
            frmLogin login;
            // WORKTIDE_EXIT_AT_LOGIN=1: a scripted run (the start-up benchmark) ends once
            // the login window is up, as if 취소 were pressed.
            if (qEnvironmentVariableIntValue("WORKTIDE_EXIT_AT_LOGIN") == 1)
                QTimer::singleShot(0, &login, [&login] {
                    std::fprintf(stderr, "worktide: login window shown; closing\n");
                    std::fflush(stderr);
                    login.cmdCancel->click();
                });
            login.exec();
            succeeded = login.LoginSucceeded;
        }
        if (!succeeded) {
            ExitProgram();
            return;
        }
        Step("FrmMain");
        ShowMainWindow();
    } catch (const std::exception& e) {
        ReportProcError(e, QStringLiteral("Main"), QStringLiteral("Module"), QStringLiteral("modMain"));
    }
}

void CarryOutAutoUpdate(const AutoUpdateRun& run) {
    ShowMessages(run.messages);
    if (!run.folderToOpen.isEmpty())
        OpenInDesktop(run.folderToOpen);
    if (run.endProcess)
        EndProcess(0);
}

void ConnectDatabase() {
    const DbInitResult result =
        DBInit(GetDBServerHost(), QString::fromLatin1(kDbUser), QString::fromLatin1(kDbPassword), GetDBName());
    ShowDbFailures();
    if (!result.message.isEmpty() && ShowMessage(result.message) == vbYes && result.offersDownload)
        OpenInDesktop(MDACDownloadUrl());
}

int RunProgram(int argc, char** argv) {
    // Answered without a display: packaging checks and administrators run these.
    if (const int rc = HandleInfoOption(argc, argv, stdout); rc >= 0)
        return rc;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--print-mac") == 0) {
            // Needs no window system: administrators run it to fill user_mac.
            const QString mac = GetMyMacAddress();
            ShowDbFailures();
            std::fputs(mac.toUtf8().constData(), stdout);
            std::fputs("\n", stdout);
            std::fflush(stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("도담 스케줄관리"));
    gAppTitle = AppTitle();
    InstallQtKoreanTranslation();
    InstallProgramFonts();
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.worktide.Worktide"));
    // WORKTIDE_CONSOLE_MESSAGES=1 answers every box on standard error with its
    // default button, for runs without a person (scripted checks of the program).
    if (qEnvironmentVariableIntValue("WORKTIDE_CONSOLE_MESSAGES") != 1)
        InstallQtMessageBoxes();
    InstallDbWaitNotice();
    Main();
    if (MainWindow() && MainWindow()->isVisible()) {
        // WORKTIDE_DEMO_EXIT_AFTER_SIGNIN=1: a scripted run of the whole start-up (the
        // fresh-machine check) sees the signed-in window come up, then the program ends
        // by itself, as if closed.
        if (qEnvironmentVariableIntValue("WORKTIDE_DEMO_EXIT_AFTER_SIGNIN") == 1)
            QTimer::singleShot(2000, &app, [] {
                const FrmMain* w = MainWindow();
                std::fprintf(stderr, "worktide: signed in, main window shown (%s); closing\n",
                             w ? w->windowTitle().toUtf8().constData() : "");
                std::fflush(stderr);
                QCoreApplication::exit(0);
            });
        return QApplication::exec();
    }
    return 0;
}

} // namespace worktide
