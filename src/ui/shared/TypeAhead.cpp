#include "ui/shared/TypeAhead.h"

#include "db/DbWait.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace worktide {
namespace {

// The window that had the keyboard may take a moment to get it back from the notice:
// until then a window shortcut would not act, so the keys wait for it that long.
constexpr int kActivationMs = 300;
// Longest time the input already queued may take to come in before the notice.
constexpr int kFlushMs = 100;
// How often held keys look again whether the window they belong to is still blocked
// (a message box about the wait's outcome is open over it).
constexpr int kBlockedRetryMs = 50;

QWidget* WindowOf(QObject* object) {
    if (object->isWidgetType())
        return static_cast<QWidget*>(object)->window();
    if (object->isWindowType()) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowHandle() == object)
                return w;
        }
    }
    return nullptr;
}

// Keys are never handed to a window a modal window blocks: its handlers may be waiting
// on that very modal window (the save that shows the failure).
bool BlockedByModal(QWidget* window) {
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* w = window; w; w = w->parentWidget()) {
        if (w == modal)
            return false;
    }
    return modal != nullptr;
}

bool IsPointerInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// A copy of its own: Qt's event goes away once the filter has swallowed it.
std::unique_ptr<QEvent> Copy(const QEvent* event) {
    if (event->type() == QEvent::InputMethod) {
        const auto* ime = static_cast<const QInputMethodEvent*>(event);
        auto copy = std::make_unique<QInputMethodEvent>(ime->preeditString(), ime->attributes());
        copy->setCommitString(ime->commitString(), ime->replacementStart(), ime->replacementLength());
        return copy;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    auto copy = std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                                            key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                                            key->isAutoRepeat(), static_cast<quint16>(key->count()), key->device());
    copy->setTimestamp(key->timestamp());
    return copy;
}

} // namespace

TypeAhead::TypeAhead() {
    m_released.start();
}

TypeAhead::~TypeAhead() {
    if (m_holding && qApp)
        qApp->removeEventFilter(this);
}

void TypeAhead::Hold() {
    if (m_holding || !qApp)
        return;
    m_holding = true;
    m_typedInto = QApplication::activeWindow();
    qApp->installEventFilter(this);
    // Until now the wait has left the user's input queued. Once the notice is up, Qt
    // would hand it to windows the notice blocks, and those drop it: so it is taken in
    // here, while nothing is blocked yet. An event loop may look at the queue left over
    // only when woken (GLib's does), and one round may leave some for the next.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
    QCoreApplication::processEvents(QEventLoop::AllEvents, kFlushMs);
}

void TypeAhead::Release(bool giveKeyboardBack) {
    if (!m_holding)
        return;
    m_holding = false;
    qApp->removeEventFilter(this);
    m_own = nullptr;
    m_released.start();
    if (m_held.empty())
        return;
    // As the desktop does when a modal window goes, though it may give the keyboard to
    // another window: the keys typed again go to the window typed into, and its window
    // shortcuts act only while it has the keyboard.
    if (giveKeyboardBack && m_typedInto && m_typedInto->isVisible())
        m_typedInto->activateWindow();
    RunOutsideWaits(this, [this] { Replay(); });
}

bool TypeAhead::IsOwn(QObject* object) const {
    return m_own && WindowOf(object) == m_own;
}

bool TypeAhead::eventFilter(QObject* watched, QEvent* event) {
    if (!m_holding)
        return false;
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::ShortcutOverride:
        if (IsOwn(watched))
            return false;
        // Accepted, no shortcut acts now: the key itself is held below and acts, shortcut
        // or not, when it is typed again.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod: {
        // Keys the program sends itself are not the user's typing.
        if ((type != QEvent::InputMethod && !event->spontaneous()) || IsOwn(watched))
            return false;
        QWidget* window = WindowOf(watched);
        if (!window)
            return false;
        m_held.push_back({window, Copy(event)});
        return true;
    }
    case QEvent::Close:
        // A window closed meanwhile would run its closing inside the wait.
        if (!event->spontaneous() || IsOwn(watched))
            return false;
        event->ignore();
        return true;
    default:
        if (IsPointerInput(type) && event->spontaneous() && !IsOwn(watched))
            return true;
        return false;
    }
}

void TypeAhead::ReplayLater(int ms) {
    QTimer::singleShot(ms, this, [this] { Replay(); });
}

void TypeAhead::Replay() {
    // A later wait holds keys again; its end types them all, in order.
    if (m_holding || m_replaying)
        return;
    if (IsWaiting()) {
        RunOutsideWaits(this, [this] { Replay(); });
        return;
    }
    m_replaying = true;
    while (!m_held.empty()) {
        QWidget* window = m_held.front().window;
        // A window closed meanwhile (an editor after its save) loses what was typed into it.
        if (!window || !window->isVisible()) {
            m_held.pop_front();
            continue;
        }
        if (BlockedByModal(window)) {
            ReplayLater(kBlockedRetryMs);
            break;
        }
        if (QApplication::activeWindow() != window && m_released.elapsed() < kActivationMs) {
            ReplayLater(10);
            break;
        }
        // The focus as it is now: a Tab or Enter typed before moves the keys after it on.
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        const std::unique_ptr<QEvent> event = std::move(m_held.front().event);
        m_held.pop_front();
        QCoreApplication::sendEvent(target, event.get());
        if (m_holding)
            break;
    }
    m_replaying = false;
}

} // namespace worktide
