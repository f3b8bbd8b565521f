// Test entry point: one QApplication for every test of the program, offscreen.
#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
