#include "ui/shared/modFloatMsg.h"
#include "ui/shared/FrmFloatMsg.h"

#include "common/ActiveWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

// Runs action on the open notice once it is up (ShowFloatMsg blocks while modal).
void WhenShown(std::function<void(FrmFloatMsg*)> action) {
    QTimer::singleShot(50, qApp, [action] {
        if (FrmFloatMsg* f = CurrentFloatMsg())
            action(f);
    });
}

TEST(FloatMsg, ModalNoticeClosesByItselfAfterItsDelay) {
    QElapsedTimer clock;
    clock.start();
    QString seen;
    WhenShown([&](FrmFloatMsg* f) { seen = f->message(); });
    ShowFloatMsg(QStringLiteral("자료가 저장되었습니다."), 300, true);
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(seen, QStringLiteral("자료가 저장되었습니다."));
    EXPECT_GE(waited, 250);
    EXPECT_LT(waited, 5000);
    QTest::qWait(10);
    EXPECT_EQ(CurrentFloatMsg(), nullptr);
}

TEST(FloatMsg, EnterOrClickClosesEarlyWhileTheTimerRuns) {
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        QElapsedTimer clock;
        clock.start();
        WhenShown([how](FrmFloatMsg* f) {
            if (how == 0)
                QTest::keyClick(f, Qt::Key_Return);
            else if (how == 1)
                QTest::mouseClick(f, Qt::LeftButton);
            else
                QTest::mouseClick(f->findChild<QLabel*>(QStringLiteral("lblMsg")), Qt::LeftButton);
        });
        ShowFloatMsg(QStringLiteral("자료를 삭제하였습니다."), 10000, true);
        EXPECT_LT(clock.elapsed(), 5000);
    }
}

TEST(FloatMsg, WithoutATimerEnterAndClicksDoNothing) {
    FrmFloatMsg form;
    form.InitForm(QStringLiteral("x"), 0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_FALSE(form.timerRunning());
    QTest::keyClick(&form, Qt::Key_Return);
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::mouseClick(&form, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
}

TEST(FloatMsg, ModelessNoticeStaysOnTopAndANewOneReplacesIt) {
    ShowFloatMsg(QStringLiteral("첫째"), 5000, false);
    QPointer<FrmFloatMsg> first = CurrentFloatMsg();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ShowFloatMsg(QStringLiteral("둘째"), 5000, false);
    QPointer<FrmFloatMsg> second = CurrentFloatMsg();
    ASSERT_TRUE(second);
    EXPECT_NE(first.data(), second.data());
    EXPECT_EQ(second->message(), QStringLiteral("둘째"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 2000)) << "only one notice at a time";
    QTest::keyClick(second, Qt::Key_Enter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.isNull(); }, 2000));
    EXPECT_EQ(CurrentFloatMsg(), nullptr);
}

TEST(FloatMsg, IsDrawnYellowWithABrownFrame) {
    FrmFloatMsg form;
    form.InitForm(QStringLiteral("자료가 저장되었습니다."), 0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QImage shot = form.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    // Inside the margin, away from the text, and on the outermost line of pixels.
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, 4).name(), u"#fff8d0");
    EXPECT_EQ(shot.pixelColor(6, shot.height() / 2).name(), u"#fff8d0");
    EXPECT_EQ(shot.pixelColor(0, shot.height() / 2).name(), u"#a08000");
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() - 1).name(), u"#a08000");
}

TEST(FloatMsg, ModelessNoticeLeavesTheKeyboardWhereItWas) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    ASSERT_TRUE(test::ActivateWindow(&window));
    edit->setFocus();
    ShowFloatMsg(QStringLiteral("오늘 일정 1건, 기한 지난 일정 0건"), 5000, false);
    QPointer<FrmFloatMsg> notice = CurrentFloatMsg();
    ASSERT_TRUE(notice);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(notice));
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeWindow(), &window);
    QTest::keyClicks(QApplication::focusWidget(), u"abc"_s);
    EXPECT_EQ(edit->text(), u"abc"_s) << "keys typed while the notice is up reach the window";
    // A click still answers it.
    QTest::mouseClick(notice, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice.isNull(); }, 2000));
}

} // namespace
} // namespace worktide
