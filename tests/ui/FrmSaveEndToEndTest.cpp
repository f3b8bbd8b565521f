// From the calendar to the editor and the viewer and back: the month redraws with
// what the editor saved, completed or deleted; a coworker's day opens read-only.
#include "common/ActiveWindow.h"
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/ProcessExit.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/schedule/FrmSave.h"
#include "ui/schedule/FrmViewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

const QString kMe = u"김하늘"_s;
const QString kOther = u"박서준"_s;

// Runs action; the first modal window that opens meanwhile is handed to onOpen (which
// must end it). Returns that window's class name, "" when none opened.
QString WithModal(const std::function<void()>& action, const std::function<void(QWidget*)>& onOpen) {
    QString opened;
    const QPointer<QWidget> active = QApplication::activeWindow();
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !opened.isEmpty())
            return;
        opened = QString::fromLatin1(modal->metaObject()->className());
        // The window that opens gets the keyboard, as on the desktop.
        EXPECT_TRUE(test::ActivateWindow(modal));
        onOpen(modal);
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

class ScheduleEndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = new test::ScratchDatabase(u"frmsave_e2e"_s); }
    static void TearDownTestSuite() {
        DBClose();
        delete s_db;
        s_db = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_db->connectGlobal());
        s_db->truncateAll();
        s_db->exec(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES "
                   "('sky', '김하늘', '', 0, 1), ('seo', '박서준', '', 0, 1);"
                   "INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('업무', '*', 1), ('개발', '*', 2)"_s);
    }

    void TearDown() override { main.reset(); }

    FrmMain& OpenMain() {
        main = std::make_unique<FrmMain>();
        main->Form_Load();
        // The keyboard's keys reach the active window only.
        EXPECT_TRUE(test::ActivateWindow(main.get()));
        return *main;
    }

    // Every calendar cell that shows the text.
    int CalendarCellsWith(const QString& text) const {
        int n = 0;
        for (int r = 1; r <= main->tabCalendar->spCalendar->MaxRows(); ++r)
            for (int c = 1; c <= main->tabCalendar->spCalendar->MaxCols(); ++c)
                if (main->tabCalendar->spCalendar->Text(c, r).contains(text))
                    ++n;
        return n;
    }

    static inline test::ScratchDatabase* s_db = nullptr;
    ScopedToday today{QDate(2026, 12, 8)};
    ScopedSignedInUser user{kMe, u"sky"_s};
    ScopedExitHandler exitHandler{[](int) {}};
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<FrmMain> main;
};

TEST_F(ScheduleEndToEndTest, AddEditCompleteAndDeleteFromTheCalendar) {
    FrmMain& f = OpenMain();
    ASSERT_EQ(f.cmbUser[0]->currentText(), kMe);
    f.tabCalendar->spCalendar->setFocus();

    // F2 on today's cell: a new entry for that day; F2 in the editor saves and closes it.
    QString caption;
    int changes = 0;
    const QString opened = WithModal([&] { QTest::keyClick(f.tabCalendar->spCalendar, Qt::Key_F2); },
                                     [&](QWidget* w) {
                                         auto* save = qobject_cast<FrmSave*>(w);
                                         ASSERT_NE(save, nullptr);
                                         QObject::connect(save, &FrmSave::ScheduleChanged, [&] { ++changes; });
                                         caption = save->windowTitle();
                                         save->txtTitle->setText(u"달력에서 추가"_s);
                                         save->cmbCategory->setCurrentText(u"개발"_s);
                                         save->chkDate->setChecked(true);
                                         save->DTPicker1[1]->setDate(QDate(2026, 12, 10));
                                         QTest::keyClick(save->txtTitle, Qt::Key_F2);
                                     });
    ASSERT_EQ(opened, u"worktide::FrmSave"_s);
    EXPECT_EQ(caption, u"스케줄 추가 / 수정 ( 2026-12-08 화 )"_s);
    EXPECT_EQ(s_db->scalar(u"SELECT CONCAT(devname,'|',sdate,'|',edate,'|',finished) FROM worktide"_s),
              u"김하늘|2026-12-08|2026-12-10|0"_s);
    EXPECT_EQ(changes, 1);
    EXPECT_GE(CalendarCellsWith(u"달력에서 추가"_s), 1);

    // Enter on the day opens it with the entry; the title is changed and saved.
    WithModal([&] { QTest::keyClick(f.tabCalendar->spCalendar, Qt::Key_Return); },
              [&](QWidget* w) {
                  auto* save = qobject_cast<FrmSave*>(w);
                  ASSERT_NE(save, nullptr);
                  EXPECT_EQ(save->txtTitle->text(), u"달력에서 추가"_s);
                  save->txtTitle->setText(u"고친 제목"_s);
                  save->btnSave_Click();
              });
    EXPECT_EQ(CalendarCellsWith(u"달력에서 추가"_s), 0);
    EXPECT_GE(CalendarCellsWith(u"고친 제목"_s), 1);

    // Completing it in the editor's list redraws the bar as finished.
    WithModal([&] { QTest::keyClick(f.tabCalendar->spCalendar, Qt::Key_Return); },
              [&](QWidget* w) {
                  auto* save = qobject_cast<FrmSave*>(w);
                  ASSERT_NE(save, nullptr);
                  const QRect r = save->spList->visualRect(save->spList->model()->index(0, 0));
                  QTest::mouseClick(save->spList->viewport(), Qt::LeftButton, {}, r.center());
                  save->btnClose_Click();
              });
    EXPECT_EQ(s_db->scalar(u"SELECT finished FROM worktide"_s), u"1"_s);
    EXPECT_GE(CalendarCellsWith(u"◁"_s), 1);

    // F4 with Yes deletes it; the month no longer shows it.
    boxes.queueAnswer(vbYes);
    WithModal([&] { QTest::keyClick(f.tabCalendar->spCalendar, Qt::Key_Return); },
              [&](QWidget* w) { QTest::keyClick(qobject_cast<FrmSave*>(w)->txtTitle, Qt::Key_F4); });
    EXPECT_EQ(s_db->scalar(u"SELECT COUNT(*) FROM worktide"_s), u"0"_s);
    EXPECT_EQ(CalendarCellsWith(u"고친 제목"_s), 0);
}

TEST_F(ScheduleEndToEndTest, CoworkersDayOpensTheViewer) {
    s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "
               "(curdate(), '박서준', '남의 일정', '자세한 내용', '2026-12-08', '2026-12-09', 0, '업무')"_s);
    FrmMain& f = OpenMain();
    const int i = f.cmbUser[0]->findText(kOther);
    ASSERT_GE(i, 0);
    f.cmbUser[0]->setCurrentIndex(i);
    f.ShowTodayCell();
    f.tabCalendar->spCalendar->setFocus();

    QString caption, title, details;
    bool readOnly = false;
    const QString opened = WithModal([&] { QTest::keyClick(f.tabCalendar->spCalendar, Qt::Key_Return); },
                                     [&](QWidget* w) {
                                         auto* viewer = qobject_cast<FrmViewer*>(w);
                                         ASSERT_NE(viewer, nullptr);
                                         caption = viewer->windowTitle();
                                         title = viewer->spList->Text(3, 1);
                                         details = viewer->txtMemo->toPlainText();
                                         readOnly = viewer->spList->IsReadOnly();
                                         viewer->reject();
                                     });
    EXPECT_EQ(opened, u"worktide::FrmViewer"_s);
    EXPECT_EQ(caption, u"스케줄 자세히 보기 ( 2026-12-08 화 )"_s);
    EXPECT_EQ(title, u"남의 일정"_s);
    EXPECT_EQ(details, u"자세한 내용"_s);
    EXPECT_TRUE(readOnly);
}

} // namespace
} // namespace worktide
