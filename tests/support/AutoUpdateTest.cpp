#include "support/modAutoUpdateV1_Launcher.h"

#include "app/Startup.h"

#include "common/LoopbackHttpServer.h"
#include "common/PeWriter.h"
#include "common/ScopedState.h"
#include "support/AppPaths.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/Config.h"
#include "support/ProcessExit.h"
#include "support/WorktideVersion.h"
#include "support/modAutoUpdateV1_Download.h"
#include "support/modWaitProc.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace worktide;
using namespace worktide::test;

namespace {

const QString kProgram = QStringLiteral("업무일정.exe");
const QString kServerPath = QStringLiteral("/download/자동업데이트_v1/");
const QString kVersionFile = QStringLiteral("UpdateProbeV1_lastver.txt");
const QString kCannotReadVersion = QStringLiteral("UpdateProbeV1.exe의 최신버전 정보를 읽어올 수 없습니다!");

// A sibling program as a shell script: it writes its argument count, arguments and
// working directory to <log> beside itself, and with a file "make_new" in its
// working directory leaves the New_ copy named after its argument.
QByteArray SiblingScript(const char* log) {
    return QByteArray("#!/bin/sh\n"
                      "here=$(dirname \"$0\")\n"
                      "{ echo \"argc=$#\"; echo \"arg=$1\"; echo \"cwd=$(pwd)\"; } > \"$here/") +
           log + ".tmp\"\n" + "mv \"$here/" + log + ".tmp\" \"$here/" + log + "\"\n" +
           "if [ -f make_new ]; then : > \"New_${1#*;}\"; fi\n"
           "exit 0\n";
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AutoUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_program.isValid() && m_server.isValid());
        ASSERT_TRUE(WriteBytes(local(kProgram), "old program"));
        m_http.serveFolder(kServerPath, m_server.path() + QLatin1Char('/'));
    }
    QString folder() const { return m_program.path(); }
    QString local(const QString& name) const { return m_program.filePath(name); }
    QString served(const QString& name) const { return m_server.filePath(name); }

    void serveVersion(const QByteArray& text) { ASSERT_TRUE(WriteBytes(served(kVersionFile), text)); }
    void serveSiblings() {
        ASSERT_TRUE(WriteBytes(served(kUpdateCheckerName), SiblingScript("checker.log")));
        ASSERT_TRUE(WriteBytes(served(kFileSwapperName), SiblingScript("swapper.log")));
    }
    void putScript(const QString& name, const char* log) {
        ASSERT_TRUE(WriteBytes(local(name), SiblingScript(log)));
        QFile::setPermissions(local(name), QFile::permissions(local(name)) | QFileDevice::ExeOwner);
    }
    void putVersionedChecker(const QString& fileVersion) {
        ASSERT_TRUE(WriteBytes(local(kUpdateCheckerName),
                               BuildPeWithVersion(BuildVersionInfo({StandardStrings(fileVersion)})).bytes));
    }
    QString checkerLog() const { return QString::fromUtf8(ReadAll(local(QStringLiteral("checker.log")))); }
    QString expectedLog() const {
        return QStringLiteral("argc=1\narg=") + QString::number(WORKTIDE_VERSION_REVISION) + QLatin1Char(';') +
               kProgram + QStringLiteral("\ncwd=") + folder() + QLatin1Char('\n');
    }
    // The request paths (decoded) without the folder prefix, in order.
    QStringList requestedFiles() const {
        QStringList names;
        for (const auto& r : m_http.requests())
            names.append(r.path.startsWith(kServerPath) ? r.path.mid(kServerPath.size()) : r.path);
        return names;
    }
    // The launcher, then start-up carrying out what it handed back. The launcher itself
    // shows, opens and ends nothing: each of those is start-up's.
    void runUpdate(bool skipSelfUpdate) {
        const qsizetype boxes = m_boxes.shown().size();
        const qsizetype opened = m_openedFolders.size();
        const qsizetype exits = m_exits.size();
        const AutoUpdateRun run = RunAutoUpdate(skipSelfUpdate);
        EXPECT_EQ(m_boxes.shown().size(), boxes);
        EXPECT_EQ(m_openedFolders.size(), opened);
        EXPECT_EQ(m_exits.size(), exits);
        CarryOutAutoUpdate(run);
    }
    QStringList leftoverTempFiles() const {
        QStringList names = QDir(folder()).entryList(QDir::Files | QDir::Hidden);
        const QStringList known{kProgram,
                                kUpdateCheckerName,
                                kFileSwapperName,
                                QStringLiteral("checker.log"),
                                QStringLiteral("swapper.log"),
                                QStringLiteral("make_new"),
                                QStringLiteral("New_") + kProgram};
        for (const QString& k : known)
            names.removeAll(k);
        return names;
    }

    QTemporaryDir m_program;
    ScopedProgramFolder m_programFolder{m_program.path(), kProgram};
    QTemporaryDir m_server;
    LoopbackHttpServer m_http;
    test::ScopedValue<QString> m_updateHost{gUpdateServerHost, m_http.hostPort()};
    ScopedScriptedMessageBoxes m_boxes;
    QList<int> m_exits;
    ScopedExitHandler m_exitHandler{[this](int code) { m_exits.append(code); }};
    QStringList m_openedFolders;
    ScopedDesktopOpener m_opener{[this](const QString& f) { m_openedFolders.append(f); }};
};

} // namespace

TEST(AutoUpdateTexts, ParameterTexts) {
    EXPECT_EQ(UpdateCheckerParameters(37, QStringLiteral("업무일정.exe")), QStringLiteral("37;업무일정.exe"));
    EXPECT_EQ(FileSwapperParameters(QStringLiteral("업무일정.exe")), QStringLiteral("업무일정.exe;New_업무일정.exe"));
}

TEST_F(AutoUpdateTest, OutdatedOrMissingCheckerIsFetchedThenRun) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"no checker in the folder", [] {}},
        {"checker 1.0.0.15, server 16", [this] { putVersionedChecker(QStringLiteral("1.0.0.15")); }},
        // A script has no version block: it counts as build 0, silently.
        {"checker without a version block", [this] { putScript(kUpdateCheckerName, "old-checker.log"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(local(kUpdateCheckerName));
        QFile::remove(local(kFileSwapperName));
        QFile::remove(local(QStringLiteral("checker.log")));
        m_http.clearRequests();
        m_boxes.clear();
        serveVersion("16\r\n");
        serveSiblings();
        c.prepare();

        runUpdate(false);

        EXPECT_EQ(requestedFiles(), (QStringList{kVersionFile, kUpdateCheckerName, kFileSwapperName}));
        EXPECT_EQ(ReadAll(local(kUpdateCheckerName)), SiblingScript("checker.log"));
        EXPECT_EQ(ReadAll(local(kFileSwapperName)), SiblingScript("swapper.log"));
        EXPECT_TRUE(QFileInfo(local(kFileSwapperName)).isExecutable());
        EXPECT_EQ(checkerLog(), expectedLog());
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("old-checker.log"))));
        EXPECT_TRUE(m_boxes.shown().isEmpty());
        EXPECT_TRUE(m_exits.isEmpty());
        EXPECT_TRUE(leftoverTempFiles().isEmpty()) << leftoverTempFiles().join(u' ').toStdString();
    }
    EXPECT_EQ(UpdateDownloadBase(), QStringLiteral("http://") + m_http.hostPort() + kServerPath);
}

TEST_F(AutoUpdateTest, RequestsAreEncodedAndBypassCaches) {
    serveVersion("0");
    putScript(kUpdateCheckerName, "checker.log");
    runUpdate(false);
    ASSERT_EQ(m_http.requestCount(), 1);
    const auto req = m_http.requests().first();
    EXPECT_EQ(req.target, QStringLiteral("/download/%EC%9E%90%EB%8F%99%EC%97%85%EB%8D%B0%EC%9D%B4%ED%8A%B8_v1/"
                                         "UpdateProbeV1_lastver.txt"));
    const QString head = QString::fromLatin1(req.head).toLower();
    EXPECT_TRUE(head.contains(QStringLiteral("cache-control: no-cache"))) << req.head.toStdString();
    EXPECT_TRUE(head.contains(QStringLiteral("pragma: no-cache")));
}

TEST_F(AutoUpdateTest, CurrentCheckerIsRunWithoutDownload) {
    // A script counts as build 0, so a server build of 0 makes it current.
    putScript(kUpdateCheckerName, "checker.log");
    serveVersion("  0 \r\n");
    serveSiblings();
    runUpdate(false);
    EXPECT_EQ(requestedFiles(), QStringList{kVersionFile});
    EXPECT_EQ(checkerLog(), expectedLog());
    EXPECT_FALSE(QFile::exists(local(kFileSwapperName)));
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_exits.isEmpty());
}

TEST_F(AutoUpdateTest, RevisionIsTheLastPartOfTheProgramsOwnFileVersion) {
    // A Windows build reads its revision from its own version resource, not from what
    // it was compiled as: a copy whose resource says 1.0.0.0042 reports 42.
    ASSERT_TRUE(WriteBytes(
        local(kProgram), BuildPeWithVersion(BuildVersionInfo({StandardStrings(QStringLiteral("1.0.0.0042"))})).bytes));
    putScript(kUpdateCheckerName, "checker.log");
    serveVersion("0");
    runUpdate(false);
    EXPECT_EQ(checkerLog(),
              QStringLiteral("argc=1\narg=42;") + kProgram + QStringLiteral("\ncwd=") + folder() + QLatin1Char('\n'));
    EXPECT_TRUE(m_boxes.shown().isEmpty());
}

TEST_F(AutoUpdateTest, VersionedCheckerEqualOrNewerIsNotDownloaded) {
    // A PE checker cannot run here: the start failure is reported and start-up goes on.
    for (const char* latest : {"15\r\n", "14.4", "15.5000000000000000000"}) {
        SCOPED_TRACE(latest);
        m_http.clearRequests();
        m_boxes.clear();
        putVersionedChecker(QStringLiteral("1.0.0.0015"));
        const QByteArray before = ReadAll(local(kUpdateCheckerName));
        serveVersion(latest);
        serveSiblings();
        runUpdate(false);
        if (QByteArray(latest).startsWith("15.5")) {
            // 15.5 rounds to 16 (half to even), which is newer.
            EXPECT_EQ(requestedFiles(), (QStringList{kVersionFile, kUpdateCheckerName, kFileSwapperName}));
            EXPECT_EQ(checkerLog(), expectedLog());
            continue;
        }
        EXPECT_EQ(requestedFiles(), QStringList{kVersionFile});
        EXPECT_EQ(ReadAll(local(kUpdateCheckerName)), before);
        ASSERT_EQ(m_boxes.shown().size(), 1);
        EXPECT_TRUE(m_boxes.shown()[0].text.startsWith(QStringLiteral("프로그램을 실행할 수 없습니다.\r\n\r\n") +
                                                       local(kUpdateCheckerName)))
            << m_boxes.shown()[0].text.toStdString();
        EXPECT_TRUE(m_exits.isEmpty());
    }
}

TEST_F(AutoUpdateTest, UnreadableVersionShowsTheMessageAndSkipsTheChecker) {
    putScript(kUpdateCheckerName, "checker.log");
    serveSiblings();
    UpdateHttpTimeouts quick;
    quick.connectMs = 1000;
    quick.headTotalMs = 1000;
    const ScopedUpdateHttpTimeouts shorter(quick);

    struct Case {
        const char* what;
        std::function<void()> prepare;
    };
    quint16 deadPort = 0;
    {
        LoopbackHttpServer gone;
        deadPort = gone.port();
    }
    const Case cases[] = {
        {"empty file", [this] { serveVersion(""); }},
        {"only a line end", [this] { serveVersion(" \r\n"); }},
        {"missing file (404 page)", [this] { QFile::remove(served(kVersionFile)); }},
        {"server error", [this] { m_http.setResponse(kServerPath + kVersionFile, 500, "16"); }},
        {"host refuses", [deadPort] { gUpdateServerHost = QStringLiteral("127.0.0.1:%1").arg(deadPort); }},
        {"host never answers", [this] { m_http.setHang(kServerPath + kVersionFile); }},
        {"no host", [] { gUpdateServerHost.clear(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_boxes.clear();
        m_http.clearResponses();
        m_http.serveFolder(kServerPath, m_server.path() + QLatin1Char('/'));
        gUpdateServerHost = m_http.hostPort();
        serveVersion("16");
        c.prepare();

        runUpdate(false);

        ASSERT_EQ(m_boxes.shown().size(), 1);
        EXPECT_EQ(m_boxes.shown()[0].text, kCannotReadVersion);
        EXPECT_EQ(m_boxes.shown()[0].style, vbCritical);
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("checker.log"))));
        EXPECT_FALSE(QFile::exists(local(kFileSwapperName)));
        EXPECT_TRUE(m_exits.isEmpty());
    }
}

TEST_F(AutoUpdateTest, FirstTwentyBytesAreEnough) {
    putScript(kUpdateCheckerName, "checker.log");
    // A long answer whose head holds the build; the rest is never needed.
    serveVersion("0" + QByteArray(20, ' ') + QByteArray(100000, 'x'));
    runUpdate(false);
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_EQ(checkerLog(), expectedLog());
}

TEST_F(AutoUpdateTest, FailedDownloadKeepsTheOldFilesAndSkipsTheChecker) {
    UpdateHttpTimeouts quick;
    quick.downloadTotalMs = 800;
    const ScopedUpdateHttpTimeouts shorter(quick);
    struct Case {
        const char* what;
        std::function<void()> prepare;
        QStringList requested;
    };
    const Case cases[] = {
        {"checker missing on the server",
         [this] { QFile::remove(served(kUpdateCheckerName)); },
         {kVersionFile, kUpdateCheckerName}},
        {"checker download times out",
         [this] {
             LoopbackHttpServer::Response slow;
             slow.body = "#!/bin/sh\nexit 0\n";
             slow.delayMs = 3000;
             m_http.setResponse(kServerPath + kUpdateCheckerName, slow);
         },
         {kVersionFile, kUpdateCheckerName}},
        {"swapper answers 500",
         [this] { m_http.setResponse(kServerPath + kFileSwapperName, 500, "#!/bin/sh\n"); },
         {kVersionFile, kUpdateCheckerName, kFileSwapperName}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_http.clearResponses();
        m_http.clearRequests();
        m_http.serveFolder(kServerPath, m_server.path() + QLatin1Char('/'));
        putScript(kUpdateCheckerName, "checker.log");
        putScript(kFileSwapperName, "swapper.log");
        const QByteArray oldChecker = ReadAll(local(kUpdateCheckerName));
        const QByteArray oldSwapper = ReadAll(local(kFileSwapperName));
        serveVersion("16");
        ASSERT_TRUE(WriteBytes(served(kUpdateCheckerName), "#!/bin/sh\necho new > new-checker-ran\n"));
        ASSERT_TRUE(WriteBytes(served(kFileSwapperName), "#!/bin/sh\necho new\n"));
        c.prepare();

        runUpdate(false);

        EXPECT_EQ(requestedFiles(), c.requested);
        EXPECT_TRUE(m_boxes.shown().isEmpty());
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("checker.log"))));
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("new-checker-ran"))));
        if (c.requested.size() == 2) {
            EXPECT_EQ(ReadAll(local(kUpdateCheckerName)), oldChecker);
        }
        EXPECT_EQ(ReadAll(local(kFileSwapperName)), oldSwapper);
        EXPECT_TRUE(leftoverTempFiles().isEmpty()) << leftoverTempFiles().join(u' ').toStdString();
    }
}

TEST_F(AutoUpdateTest, NewCopyIsHandedToTheSwapperAndTheProgramEnds) {
    putScript(kUpdateCheckerName, "checker.log");
    putScript(kFileSwapperName, "swapper.log");
    ASSERT_TRUE(WriteBytes(local(QStringLiteral("make_new")), ""));
    serveVersion("0");

    runUpdate(false);

    EXPECT_EQ(checkerLog(), expectedLog());
    EXPECT_TRUE(QFile::exists(local(QStringLiteral("New_") + kProgram)));
    EXPECT_EQ(m_exits, QList<int>{0});
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_openedFolders.isEmpty());
    // The swapper runs on its own; wait for its record.
    const QString swapperLog = local(QStringLiteral("swapper.log"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(swapperLog); }, 10000));
    EXPECT_EQ(QString::fromUtf8(ReadAll(swapperLog)),
              QStringLiteral("argc=1\narg=업무일정.exe;New_업무일정.exe\ncwd=") + folder() + QLatin1Char('\n'));
}

TEST_F(AutoUpdateTest, NewCopyWithoutSwapperShowsTheFolderAndEnds) {
    putScript(kUpdateCheckerName, "checker.log");
    ASSERT_TRUE(WriteBytes(local(QStringLiteral("make_new")), ""));
    serveVersion("0");

    runUpdate(false);

    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_EQ(m_boxes.shown()[0].text,
              QStringLiteral("파일교체 프로그램을 찾을 수 없습니다.\r\n\r\n") + local(kFileSwapperName));
    EXPECT_EQ(m_boxes.shown()[0].style, vbOKOnly);
    EXPECT_EQ(m_openedFolders, QStringList{folder()});
    EXPECT_EQ(m_exits, QList<int>{0});
}

TEST_F(AutoUpdateTest, SwapperThatCannotStartIsReportedAndTheProgramEnds) {
    putScript(kUpdateCheckerName, "checker.log");
    ASSERT_TRUE(WriteBytes(local(kFileSwapperName), "not a program")); // not executable
    ASSERT_TRUE(WriteBytes(local(QStringLiteral("make_new")), ""));
    serveVersion("0");

    runUpdate(false);

    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_EQ(m_boxes.shown()[0].text,
              QStringLiteral("파일교체 프로그램을 실행할 수 없습니다.\r\n\r\n") + local(kFileSwapperName));
    EXPECT_EQ(m_openedFolders, QStringList{folder()});
    EXPECT_EQ(m_exits, QList<int>{0});
}

TEST_F(AutoUpdateTest, NothingMoreWhenTheProgramFileIsNotInItsFolder) {
    putScript(kUpdateCheckerName, "checker.log");
    serveVersion("0");
    SetProgramFileName(QStringLiteral("다른이름.exe"));
    runUpdate(false);
    EXPECT_FALSE(QFile::exists(local(QStringLiteral("checker.log"))));
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_exits.isEmpty());
}

TEST_F(AutoUpdateTest, SkippingTheSelfUpdateAsksNothing) {
    putScript(kUpdateCheckerName, "checker.log");
    serveVersion("99");
    serveSiblings();
    runUpdate(true);
    EXPECT_EQ(m_http.requestCount(), 0);
    EXPECT_EQ(checkerLog(), expectedLog());
}

namespace {

const QString kBadSignature = QStringLiteral("업데이트 파일의 서명이 올바르지 않습니다.");

// Runs scripts/sign-update; its standard output.
QString SignUpdate(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(WORKTIDE_SOURCE_DIR "/scripts/sign-update"), args);
    p.waitForFinished(30000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The office signs its update programs: a key made with the script, its public half in the
// office file, the served programs signed.
class SignedUpdateTest : public AutoUpdateTest {
protected:
    void SetUp() override {
        AutoUpdateTest::SetUp();
        ASSERT_TRUE(m_keys.isValid() && m_office.isValid());
        const QString line = SignUpdate({QStringLiteral("--new-key"), key()});
        ASSERT_TRUE(line.startsWith(QStringLiteral("UpdatePublicKey="))) << line.toStdString();
        const QString other = SignUpdate({QStringLiteral("--new-key"), m_keys.filePath(QStringLiteral("other.pem"))});
        ASSERT_FALSE(other.isEmpty());
        writeOfficeFile(line.toUtf8());
        serveSignedSiblings();
    }
    QString key() const { return m_keys.filePath(QStringLiteral("office.pem")); }
    void writeOfficeFile(const QByteArray& line) {
        ASSERT_TRUE(QDir(m_office.path()).mkpath(QStringLiteral("Worktide")));
        ASSERT_TRUE(
            WriteBytes(m_office.filePath(QStringLiteral("Worktide/Worktide.conf")), "[General]\n" + line + "\n"));
    }
    void sign(const QString& path, const QString& keyFile = {}) {
        SignUpdate({keyFile.isEmpty() ? key() : keyFile, path});
    }
    void serveSignedSiblings() {
        serveSiblings();
        sign(served(kUpdateCheckerName));
        sign(served(kFileSwapperName));
    }
    // Old programs of the folder, signed as a previous update left them.
    void putSignedScripts() {
        putScript(kUpdateCheckerName, "checker.log");
        putScript(kFileSwapperName, "swapper.log");
        sign(local(kUpdateCheckerName));
        sign(local(kFileSwapperName));
    }
    QStringList leftovers() const {
        QStringList names = leftoverTempFiles();
        names.removeAll(kUpdateCheckerName + QStringLiteral(".sig"));
        names.removeAll(kFileSwapperName + QStringLiteral(".sig"));
        return names;
    }
    static QStringList AllFour() {
        return {kVersionFile, kUpdateCheckerName, kUpdateCheckerName + QStringLiteral(".sig"), kFileSwapperName,
                kFileSwapperName + QStringLiteral(".sig")};
    }

    QTemporaryDir m_keys;
    QTemporaryDir m_office;
    ScopedOfficeSettingsFolder m_officeFolder{m_office.path()};
};

} // namespace

TEST_F(SignedUpdateTest, GoodSignaturesRunTheFetchedChecker) {
    serveVersion("16");
    runUpdate(false);
    EXPECT_EQ(requestedFiles(), AllFour());
    EXPECT_EQ(ReadAll(local(kUpdateCheckerName)), SiblingScript("checker.log"));
    EXPECT_EQ(ReadAll(local(kUpdateCheckerName + QStringLiteral(".sig"))),
              ReadAll(served(kUpdateCheckerName + QStringLiteral(".sig"))));
    EXPECT_EQ(checkerLog(), expectedLog());
    EXPECT_TRUE(m_boxes.shown().isEmpty()) << m_boxes.texts().join(u'|').toStdString();
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();

    // Current and still signed: run again without fetching anything.
    QFile::remove(local(QStringLiteral("checker.log")));
    m_http.clearRequests();
    serveVersion("0");
    runUpdate(false);
    EXPECT_EQ(requestedFiles(), QStringList{kVersionFile});
    EXPECT_EQ(checkerLog(), expectedLog());
    EXPECT_TRUE(m_boxes.shown().isEmpty());
}

TEST_F(SignedUpdateTest, BadOrMissingSignaturesRunNothingAndKeepTheOldFiles) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        QString named; // what the message names
    };
    const QString checkerSig = served(kUpdateCheckerName + QStringLiteral(".sig"));
    const QString swapperSig = served(kFileSwapperName + QStringLiteral(".sig"));
    const Case cases[] = {
        {"checker signed with another key",
         [&] { sign(served(kUpdateCheckerName), m_keys.filePath(QStringLiteral("other.pem"))); }, kUpdateCheckerName},
        {"checker's signature missing", [&] { QFile::remove(checkerSig); },
         kUpdateCheckerName + QStringLiteral(".sig")},
        {"checker's signature is noise", [&] { WriteBytes(checkerSig, QByteArray(64, '\x5a')); }, kUpdateCheckerName},
        {"checker's signature cut short", [&] { WriteBytes(checkerSig, ReadAll(checkerSig).left(63)); },
         kUpdateCheckerName},
        {"checker changed, old signature kept",
         [&] { WriteBytes(served(kUpdateCheckerName), "#!/bin/sh\necho new > new-checker-ran\n"); },
         kUpdateCheckerName},
        {"swapper changed, old signature kept",
         [&] { WriteBytes(served(kFileSwapperName), "#!/bin/sh\necho new > new-swapper-ran\n"); }, kFileSwapperName},
        {"swapper's signature missing", [&] { QFile::remove(swapperSig); }, kFileSwapperName + QStringLiteral(".sig")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_http.clearRequests();
        m_boxes.clear();
        putSignedScripts();
        const QByteArray oldChecker = ReadAll(local(kUpdateCheckerName));
        const QByteArray oldCheckerSig = ReadAll(local(kUpdateCheckerName + QStringLiteral(".sig")));
        const QByteArray oldSwapper = ReadAll(local(kFileSwapperName));
        serveVersion("16");
        serveSignedSiblings();
        c.prepare();

        runUpdate(false);

        ASSERT_EQ(m_boxes.shown().size(), 1);
        EXPECT_TRUE(m_boxes.shown()[0].text.startsWith(kBadSignature + QStringLiteral("\r\n\r\n")));
        EXPECT_TRUE(m_boxes.shown()[0].text.contains(kServerPath + c.named)) << m_boxes.shown()[0].text.toStdString();
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("checker.log"))));
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("new-checker-ran"))));
        EXPECT_EQ(ReadAll(local(kUpdateCheckerName)), oldChecker);
        EXPECT_EQ(ReadAll(local(kUpdateCheckerName + QStringLiteral(".sig"))), oldCheckerSig);
        EXPECT_EQ(ReadAll(local(kFileSwapperName)), oldSwapper);
        EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();
        EXPECT_TRUE(m_exits.isEmpty());
    }
}

TEST_F(SignedUpdateTest, ALocalProgramChangedAfterSigningIsNeverRun) {
    putSignedScripts();
    // Changed in the folder; its signature is the one of the old bytes.
    ASSERT_TRUE(WriteBytes(local(kUpdateCheckerName), "#!/bin/sh\necho changed > changed-ran\n"));
    QFile::setPermissions(local(kUpdateCheckerName),
                          QFile::permissions(local(kUpdateCheckerName)) | QFileDevice::ExeOwner);
    serveVersion("0"); // nothing newer on the server
    runUpdate(false);
    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_EQ(m_boxes.shown()[0].text, kBadSignature + QStringLiteral("\r\n\r\n") + local(kUpdateCheckerName));
    EXPECT_FALSE(QFile::exists(local(QStringLiteral("changed-ran"))));

    // With a signed one on the server, the changed copy counts as outdated and is replaced.
    m_boxes.clear();
    serveVersion("1");
    runUpdate(false);
    EXPECT_TRUE(m_boxes.shown().isEmpty()) << m_boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(checkerLog(), expectedLog());
    EXPECT_FALSE(QFile::exists(local(QStringLiteral("changed-ran"))));
}

TEST_F(SignedUpdateTest, AnUnsignedSwapperIsNotStartedAndStartUpGoesOn) {
    putSignedScripts();
    ASSERT_TRUE(WriteBytes(local(kFileSwapperName + QStringLiteral(".sig")), QByteArray(64, '\0')));
    ASSERT_TRUE(WriteBytes(local(QStringLiteral("make_new")), ""));
    serveVersion("0");
    // The swapper's bad signature makes the local pair outdated; the server has none newer.
    runUpdate(false);
    EXPECT_EQ(checkerLog(), expectedLog());
    EXPECT_TRUE(QFile::exists(local(QStringLiteral("New_") + kProgram)));
    ASSERT_EQ(m_boxes.shown().size(), 1);
    EXPECT_EQ(m_boxes.shown()[0].text, kBadSignature + QStringLiteral("\r\n\r\n") + local(kFileSwapperName));
    EXPECT_TRUE(m_exits.isEmpty());
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(local(QStringLiteral("swapper.log"))));
}

TEST_F(SignedUpdateTest, AKeyThatIsNotAKeyRunsNothing) {
    putSignedScripts();
    for (const QByteArray& line : {QByteArray("UpdatePublicKey=not base64!"), QByteArray("UpdatePublicKey=AAAA")}) {
        SCOPED_TRACE(line.constData());
        m_boxes.clear();
        writeOfficeFile(line);
        serveVersion("0");
        runUpdate(false);
        EXPECT_EQ(m_http.requestCount(), 0);
        ASSERT_EQ(m_boxes.shown().size(), 1);
        EXPECT_TRUE(m_boxes.shown()[0].text.startsWith(
            QStringLiteral("업데이트 서명 키(UpdatePublicKey)가 올바르지 않습니다.")));
        EXPECT_FALSE(QFile::exists(local(QStringLiteral("checker.log"))));
    }
}
