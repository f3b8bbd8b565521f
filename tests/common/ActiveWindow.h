#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace worktide::test {

// Makes window the one the keyboard types into, as the desktop does for the window a
// person works in, and waits until the application agrees: keys and window shortcuts
// then go to it. (A window's own "is active" also counts a dialog whose parent is
// active, so it is not what is waited for.)
inline bool ActivateWindow(QWidget* window, int timeoutMs = 5000) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, timeoutMs);
}

} // namespace worktide::test
