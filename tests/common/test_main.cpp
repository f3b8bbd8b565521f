// Test entry point: one QApplication for every test of the program, offscreen.
#include "db/cMySQL.h"
#include "ui/grid/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A test program started as a sibling program (tests/support/SiblingProgramTest): after a
// short pause it writes its parameter text and its working folder to the file named by
// WORKTIDE_TEST_ECHO_TO and ends, so the starter can tell what arrived and whether it waited.
int EchoParameters(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QThread::msleep(300);
    QStringList parameters = QCoreApplication::arguments();
    parameters.removeFirst();
    QFile file(qEnvironmentVariable("WORKTIDE_TEST_ECHO_TO"));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write((parameters.join(QLatin1Char(' ')) + QLatin1Char('\n') + QDir::currentPath()).toUtf8());
    return 0;
}

// Every test starts with no message of a failed statement waiting for a window; one a
// test leaves behind (nobody showed it) is named, so it cannot turn up in the next test.
class UnshownDbFailures : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { worktide::TakeDbFailures(); }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        for (const worktide::UserMessage& m : worktide::TakeDbFailures())
            std::fprintf(stderr, "%s.%s left a database message nobody showed: %s\n", test.test_suite_name(),
                         test.name(), m.text.toUtf8().constData());
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty("WORKTIDE_TEST_ECHO_TO"))
        return EchoParameters(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    // Only a run inside a session bus of its own (scripts/secret-session) may meet a secret
    // service; any other run must never reach the keyring of the user running the tests.
    // The runtime folder is replaced too: a bus is also found through its "bus" socket.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("WORKTIDE_TEST_SECRET_SESSION")) {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    QApplication app(argc, argv);
    // As the program does before its first window (the fonts beside the test programs).
    worktide::InstallProgramFonts();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnshownDbFailures);
    return RUN_ALL_TESTS();
}
