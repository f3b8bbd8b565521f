// What the user types and clicks while a long database wait holds the windows: typed keys
// are kept and reach the window after the wait, clicks never act twice. The input is queued
// the way a platform delivers it, so it meets the wait exactly as typing does.
#include "ui/shared/DbWaitNotice.h"

#include "common/ActiveWindow.h"
#include "common/QueuedInput.h"
#include "db/DbWait.h"

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::QueueClick;
using test::QueueKey;
using test::QueueText;

DbTimeouts ShortDelays() {
    DbTimeouts t;
    t.cursorDelayMs = 50;
    t.noticeDelayMs = 150;
    return t;
}

QWidget* VisibleNotice() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"frmDbWait"_s && w->isVisible())
            return w;
    }
    return nullptr;
}

// An editor-like window with two fields, a button and a window shortcut (F5), and a wait
// the user started whose statement ends when the test lets it.
class DbWaitTypeAhead : public ::testing::Test {
protected:
    void SetUp() override {
        InstallDbWaitNotice();
        auto* layout = new QVBoxLayout(&window);
        title = new QLineEdit(&window);
        memo = new QLineEdit(&window);
        save = new QPushButton(u"저장"_s, &window);
        layout->addWidget(title);
        layout->addWidget(memo);
        layout->addWidget(save);
        QObject::connect(save, &QPushButton::clicked, [this] { ++clicks; });
        auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), &window);
        QObject::connect(f5, &QShortcut::activated, [this] {
            ++shortcuts;
            if (IsWaiting())
                ++shortcutsInWait;
        });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(test::ActivateWindow(&window));
        title->setFocus();
    }
    void TearDown() override { SetDbWaitUi(nullptr); }
    QWindow* handle() { return window.windowHandle(); }

    // During runs once the wait processes events, before the notice; onNotice once the
    // notice is up and has the keyboard (by default it lets the statement end).
    WaitEnd Wait(const std::function<void()>& during, const std::function<void(QWidget*)>& onNotice = {}) {
        std::atomic<bool> done{false};
        QTimer::singleShot(0, &window, during);
        bool seen = false;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* shown = VisibleNotice();
            if (seen || !shown || QApplication::activeWindow() != shown)
                return;
            seen = true;
            noticeSeen = true;
            textAtNotice = title->text();
            if (onNotice)
                onNotice(shown);
            else
                done = true;
        });
        watch.start();
        const WaitEnd end = RunWaiting(
            [&done] {
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (!done && std::chrono::steady_clock::now() < until)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            },
            [&done] { done = true; });
        watch.stop();
        return end;
    }

    ScopedDbTimeouts bounds{ShortDelays()};
    QWidget window;
    QLineEdit* title = nullptr;
    QLineEdit* memo = nullptr;
    QPushButton* save = nullptr;
    int clicks = 0;
    int shortcuts = 0;
    int shortcutsInWait = 0;
    bool noticeSeen = false;
    QString textAtNotice;
};

// Typed before the notice came: nothing acts during the wait (the shortcut neither), and
// after it the keys arrive in order where the focus then is, the Tab moving them on and
// the shortcut acting once.
TEST_F(DbWaitTypeAhead, KeysTypedBeforeTheNoticeArriveAfterTheWait) {
    const WaitEnd end = Wait([this] {
        QueueText(handle(), u"가a1"_s);
        QueueKey(handle(), Qt::Key_Tab);
        QueueText(handle(), u"xy"_s);
        QueueKey(handle(), Qt::Key_F5);
    });
    EXPECT_EQ(end, WaitEnd::Done);
    EXPECT_TRUE(noticeSeen);
    EXPECT_EQ(textAtNotice, QString());
    EXPECT_TRUE(QTest::qWaitFor([this] { return memo->text() == u"xy"_s && shortcuts == 1; }, 3000));
    EXPECT_EQ(title->text(), u"가a1"_s);
    EXPECT_EQ(memo->text(), u"xy"_s);
    EXPECT_EQ(shortcuts, 1);
    EXPECT_EQ(shortcutsInWait, 0);
    EXPECT_EQ(QApplication::activeWindow(), &window) << "the keyboard comes back from the notice";
    // Nothing left over: what is typed now goes straight in.
    QTest::keyClicks(memo, u"z"_s);
    EXPECT_EQ(memo->text(), u"xyz"_s);
}

// A click on the button and a request to close the window during the wait are dropped;
// the notice still takes its own keys (Esc cancels), and what was typed into the window
// is kept after a cancel too.
TEST_F(DbWaitTypeAhead, ClicksAndClosingAreDroppedTheNoticeKeepsItsKeys) {
    const WaitEnd end = Wait(
        [this] {
            QueueText(handle(), u"ab"_s);
            QueueClick(save);
            QWindowSystemInterface::handleCloseEvent<test::QueuedDelivery>(handle());
        },
        [](QWidget* shown) { QueueKey(shown->windowHandle(), Qt::Key_Escape); });
    EXPECT_EQ(end, WaitEnd::Cancelled);
    EXPECT_TRUE(QTest::qWaitFor([this] { return title->text() == u"ab"_s; }, 3000));
    QTest::qWait(50);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(VisibleNotice(), nullptr);
}

// A wait that ends before the notice takes nothing in: the input stays queued and
// arrives as usual, after the wait.
TEST_F(DbWaitTypeAhead, ShortWaitLeavesTheInputQueued) {
    std::atomic<bool> done{false};
    QTimer::singleShot(0, &window, [&] {
        QueueText(handle(), u"ok"_s);
        QueueClick(save);
        done = true;
    });
    RunWaiting(
        [&done] {
            while (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        },
        {});
    EXPECT_EQ(title->text(), QString()) << "nothing reaches the window during the wait";
    EXPECT_TRUE(QTest::qWaitFor([this] { return title->text() == u"ok"_s && clicks == 1; }, 3000));
    EXPECT_EQ(VisibleNotice(), nullptr);
}

// Composed text (a Hangul input method) is kept as the keys are; nothing is typed into a
// window while a modal window blocks it, and a window closed meanwhile loses its keys.
TEST_F(DbWaitTypeAhead, HeldTextWaitsForAModalWindowAndNotForAClosedOne) {
    QWidget other;
    auto* otherEdit = new QLineEdit(&other);
    other.show();
    otherEdit->setFocus();
    TypeAhead typeAhead;
    typeAhead.Hold();
    QInputMethodEvent composed(QString(), {});
    composed.setCommitString(u"한글"_s);
    QApplication::sendEvent(title, &composed);
    QApplication::sendEvent(otherEdit, &composed);
    EXPECT_EQ(title->text(), QString());
    QDialog box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    other.hide();
    typeAhead.Release(false);
    QTest::qWait(400);
    EXPECT_EQ(title->text(), QString()) << "blocked by the modal window";
    box.hide();
    EXPECT_TRUE(QTest::qWaitFor([this] { return title->text() == u"한글"_s; }, 3000));
    EXPECT_EQ(otherEdit->text(), QString());
}

} // namespace
} // namespace worktide
