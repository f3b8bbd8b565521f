#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <deque>
#include <memory>

class QEvent;
class QWidget;

// What the user types while a modal wait notice blocks the windows: the keys are held
// and handed to the window they were typed into once the wait is over, so nothing typed
// is lost. Clicks meanwhile are dropped: a second click on a button must not act twice.
namespace worktide {

class TypeAhead : public QObject {
public:
    TypeAhead();
    ~TypeAhead() override;

    // Starts holding: input already queued is taken in now, before own (the notice,
    // shown right after) blocks the other windows. Input for own passes.
    void Hold();
    void SetOwnWindow(QWidget* own) { m_own = own; }
    // Stops holding; the held keys are typed again once no wait is under way. When own
    // had the keyboard, the window typed into gets it back first.
    void Release(bool giveKeyboardBack);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        QPointer<QWidget> window; // top-level widget the key was typed into
        std::unique_ptr<QEvent> event;
    };
    bool IsOwn(QObject* object) const;
    void Replay();
    void ReplayLater(int ms);

    std::deque<Held> m_held;
    QPointer<QWidget> m_own;
    QPointer<QWidget> m_typedInto; // the active window when holding began
    QElapsedTimer m_released;
    bool m_holding = false;
    bool m_replaying = false;
};

} // namespace worktide
