#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace worktide::test {

// Makes window the one the keyboard types into, as the desktop does for the window a
// person works in, and waits until the application agrees: keys and window shortcuts
// then go to it. (A window's own "is active" also counts a dialog whose parent is
// active, so it is not what is waited for.)
inline bool ActivateWindow(QWidget* window, int timeoutMs = 5000) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, timeoutMs);
}

// Runs action and closes every modal window that opens meanwhile; returns the class
// name of the first one ("" when none opened). onOpen runs before it is closed.
inline QString RunClosingModal(const std::function<void()>& action, const std::function<void(QWidget*)>& onOpen = {}) {
    QString opened;
    const QPointer<QWidget> active = QApplication::activeWindow();
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (opened.isEmpty()) {
            opened = QString::fromLatin1(modal->metaObject()->className());
            // The window that opens gets the keyboard, as on the desktop.
            EXPECT_TRUE(test::ActivateWindow(modal));
            if (onOpen)
                onOpen(modal);
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer.start();
    action();
    timer.stop();
    // As the desktop does, the window on top gives the keyboard back when it closes.
    if (active && active->isVisible() && QApplication::activeWindow() != active) {
        EXPECT_TRUE(test::ActivateWindow(active));
    }
    return opened;
}

} // namespace worktide::test
