// Starting the update launcher's sibling programs: this test program stands in for them
// (tests/common/test_main.cpp writes what reached it when WORKTIDE_TEST_ECHO_TO is set).
#include "support/AppPaths.h"
#include "support/MsgBox.h"
#include "support/modWaitProc.h"

#include "common/ScopedState.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace worktide;
using worktide::test::ScopedEnv;

namespace {

class SiblingProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString echoFile() const { return m_folder.filePath(QStringLiteral("echo.txt")); }
    // The parameter text and the working folder the sibling reported, one per line.
    QStringList echoed() const {
        QFile file(echoFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    }

    QTemporaryDir m_folder;
    ScopedEnv m_echo{"WORKTIDE_TEST_ECHO_TO", QDir::toNativeSeparators(echoFile())};
    const QString m_self = QCoreApplication::applicationFilePath();
};

TEST_F(SiblingProgram, GetsTheParameterTextAndFolderAndIsWaitedFor) {
    ScopedScriptedMessageBoxes boxes;
    // The checker's parameters, with a program file name holding Korean and a blank.
    const QString parameters = QStringLiteral("37;업무 일정.exe");
    UserMessages failures;
    ASSERT_TRUE(ShellExecuteAndWait(m_self, nullptr, parameters, m_folder.path(), false, false, failures));
    EXPECT_TRUE(failures.isEmpty());
    // Waited for: the sibling wrote only after a pause, and its file is there already.
    const QStringList got = echoed();
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0], parameters);
    EXPECT_EQ(QDir(got[1]).canonicalPath(), QDir(m_folder.path()).canonicalPath());
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(SiblingProgram, StartedDetachedItRunsOnWithoutUs) {
    const QString parameters = QStringLiteral("업무일정.exe;New_업무일정.exe");
    ASSERT_TRUE(ShellExecuteDetached(m_self, parameters, m_folder.path()));
    QDeadlineTimer deadline(20000);
    while (echoed().size() < 2 && !deadline.hasExpired())
        QThread::msleep(50);
    const QStringList got = echoed();
    ASSERT_EQ(got.size(), 2) << "the detached program never reported";
    EXPECT_EQ(got[0], parameters);
}

TEST_F(SiblingProgram, OneThatCannotStartIsReportedOnlyWhenWaitedFor) {
    ScopedScriptedMessageBoxes boxes;
    UserMessages failures;
    const QString missing = m_folder.filePath(QStringLiteral("UpdateProbeV1.exe"));
    EXPECT_FALSE(
        ShellExecuteAndWait(missing, nullptr, QStringLiteral("37;a.exe"), m_folder.path(), false, false, failures));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].text.startsWith(QStringLiteral("프로그램을 실행할 수 없습니다.\r\n\r\n") +
                                            QDir::toNativeSeparators(missing)))
        << qPrintable(failures[0].text);
    EXPECT_EQ(failures[0].style, vbExclamation);

    EXPECT_FALSE(ShellExecuteDetached(missing, QStringLiteral("a.exe;New_a.exe"), m_folder.path()));
    EXPECT_EQ(failures.size(), 1);
    EXPECT_TRUE(boxes.shown().isEmpty()) << "the caller shows it";
    EXPECT_FALSE(QFile::exists(echoFile()));
}

// The update launcher finds its siblings beside the executable the system started.
TEST(RunningExecutable, IsTheProgramTheSystemStarted) {
    const QFileInfo reported(RunningExecutablePath());
    EXPECT_TRUE(reported.isAbsolute()) << qPrintable(reported.filePath());
    EXPECT_EQ(reported.canonicalFilePath(), QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    EXPECT_EQ(ProgramFileName(), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

} // namespace
