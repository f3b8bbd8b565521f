#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

// Keys and clicks put on the window system's queue, the way a platform delivers what a
// person types: handled at the next event processing, not sent straight to a widget.
namespace worktide::test {

using QueuedDelivery = QWindowSystemInterface::AsynchronousDelivery;

// Pressed and released.
inline void QueueKey(QWindow* window, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWindowSystemInterface::handleKeyEvent<QueuedDelivery>(window, QEvent::KeyPress, key, mods, text);
    QWindowSystemInterface::handleKeyEvent<QueuedDelivery>(window, QEvent::KeyRelease, key, mods, text);
}

// One key a character; Hangul and other characters without a key of their own come with
// Qt::Key_unknown and their text, as a keyboard layout sends them.
inline void QueueText(QWindow* window, const QString& text) {
    for (const QChar c : text) {
        int key = Qt::Key_unknown;
        if (c == u' ')
            key = Qt::Key_Space;
        else if (c.unicode() < 0x80 && c.isLetterOrNumber())
            key = c.toUpper().unicode();
        QueueKey(window, key, c);
    }
}

inline void QueueClick(QWidget* widget) {
    QWindow* window = widget->window()->windowHandle();
    const QPointF local = widget->mapTo(widget->window(), widget->rect().center());
    const QPointF global = widget->mapToGlobal(widget->rect().center());
    QWindowSystemInterface::handleMouseEvent<QueuedDelivery>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                                             QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QueuedDelivery>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                                             QEvent::MouseButtonRelease);
}

} // namespace worktide::test
