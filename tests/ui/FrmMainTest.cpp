// The main window against the real database, offscreen: month layout, entry bars,
// filters, month buttons, the cursor rule, who opens what, and the password change.
#include "common/ScopedState.h"
#include "common/ActiveWindow.h"
#include "common/TestDb.h"

#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/ProcessExit.h"
#include "support/WorktideVersion.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/calendar/CalendarLayout.h"
#include "ui/main/FrmMain.h"
#include "ui/schedule/FrmSave.h"
#include "ui/schedule/FrmViewer.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

const QString kMe = u"김하늘"_s;
const QString kOther = u"박서준"_s;
const QString kPrivileged2 = u"최민결"_s;
const QString kCrLf = u"\r\n"_s;

using test::RunClosingModal;

class FrmMainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_db = std::make_unique<test::ScratchDatabase>(u"frmmain"_s);
        ASSERT_TRUE(s_db->connectGlobal());
    }
    static void TearDownTestSuite() {
        DBClose();
        s_db.reset();
    }

    void SetUp() override {
        // Closing the window ends the program, which may close the connection.
        if (!gDB) {
            ASSERT_TRUE(s_db->connectGlobal());
        }
        s_db->truncateAll();
        s_db->exec(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES "
                   "('sky', '김하늘', SHA1('oldPass1234'), 0, 1), ('seo', '박서준', '', 0, 1), "
                   "('choi', '최민결', '', 0, 1), ('obrien', 'O''Brien', '', 0, 1), "
                   "('gone', '숨은사람', '', 1, 1);"
                   "INSERT INTO worktide_cate (catename, devname, ordpos) VALUES "
                   "('개발', '*', 1), ('영업', '*', 2)"_s);
    }

    void TearDown() override { form.reset(); }

    void AddEntry(const QString& owner, const QString& title, const QString& sdate, const QString& edate,
                  int finished = 0, const QString& category = u"개발"_s) {
        s_db->exec(
            u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
            "VALUES ('2009-01-01', '%1', '%2', '', '%3', '%4', %5, '%6')"_s.arg(
                QString(owner).replace(u"'"_s, u"''"_s), title, sdate, edate, QString::number(finished), category));
    }

    // Builds and starts the window the way start-up does.
    FrmMain& Open() {
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        // The keyboard's keys reach the active window only.
        EXPECT_TRUE(test::ActivateWindow(form.get()));
        return *form;
    }

    void SelectOwner(const QString& name) {
        const int i = form->cmbUser[0]->findText(name);
        ASSERT_GE(i, 0) << name.toStdString();
        form->cmbUser[0]->setCurrentIndex(i);
    }

    QString Cell(int col, int row) const { return form->tabCalendar->spCalendar->Text(col, row); }
    QStringList Lines(int col, int row) const { return Cell(col, row).split(kCrLf); }
    // Content cell of a date among the shown weeks.
    std::pair<int, int> CellOf(const QDate& date) const {
        const qint64 d = form->FirstShownDate().daysTo(date);
        return {static_cast<int>(d % 7) + 1, static_cast<int>(d / 7 + 1) * 2};
    }
    QString CellOfDate(const QDate& date) const {
        const auto [col, row] = CellOf(date);
        return Cell(col, row);
    }

    static std::unique_ptr<test::ScratchDatabase> s_db;
    std::vector<int> exitCodes;
    ScopedToday today{QDate(2009, 1, 14)}; // a Wednesday; January 2009 starts on a Thursday
    ScopedSignedInUser user{kMe, u"sky"_s};
    ScopedExitHandler exitHandler{[this](int code) { exitCodes.push_back(code); }};
    std::unique_ptr<FrmMain> form;
};

std::unique_ptr<test::ScratchDatabase> FrmMainTest::s_db;

TEST_F(FrmMainTest, StartUpShowsCaptionOwnerAndTodaysMonth) {
    const test::ScopedValue<QString> host(gDBServerHost, u"db.example"_s);
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    EXPECT_EQ(f.windowTitle(), u"업무일정 v%1.%2.%3 (HOST: db.example)"_s.arg(WORKTIDE_VERSION_MAJOR)
                                   .arg(WORKTIDE_VERSION_MINOR)
                                   .arg(WORKTIDE_VERSION_REVISION));
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.SSTab1->currentIndex(), 0);
    EXPECT_EQ(f.cmbUser[0]->currentText(), kMe);
    EXPECT_EQ(f.cmbUser[0]->findText(u"숨은사람"_s), -1);
    EXPECT_EQ(f.cmbCategory[0]->currentText(), u"(전체구분)"_s);
    EXPECT_EQ(f.cmbFinish[0]->currentIndex(), 0);
    EXPECT_EQ(f.cmbFinish[1]->currentIndex(), 1);
    EXPECT_EQ(f.tabCalendar->lblWorkDate->text(), u"2009년 01월"_s);
    EXPECT_EQ(f.WorkDateTag(), u"200901"_s);
    EXPECT_EQ(f.FirstShownDate(), QDate(2008, 12, 28));
    // The cursor sits on today's content cell.
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveCol(), 4);
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveRow(), 6);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(FrmMainTest, MonthLayoutDatesColoursAndToday) {
    FrmMain& f = Open();
    SpreadGrid* g = f.tabCalendar->spCalendar;
    EXPECT_EQ(Cell(1, 1), u"12.28"_s);
    EXPECT_EQ(Cell(5, 1), u"01.01"_s);
    EXPECT_EQ(Cell(7, 11), u"02.07"_s);
    EXPECT_EQ(Cell(4, 5), u"01.14   [오늘]"_s);
    EXPECT_EQ(g->BackColor(4, 5), QColor(255, 210, 76));
    for (int row = 1; row <= 11; row += 2) {
        EXPECT_EQ(g->ForeColor(1, row), QColor(255, 0, 0));
        EXPECT_EQ(g->ForeColor(7, row), QColor(0, 0, 255));
        EXPECT_EQ(g->BackColor(3, row), QColor(240, 240, 240));
    }
    // The same month again changes nothing; another month moves today's mark away.
    g->SetText(2, 2, u"kept"_s);
    EXPECT_FALSE(f.SetSheetMonth(2009, 1));
    EXPECT_EQ(Cell(2, 2), u"kept"_s);
    EXPECT_TRUE(f.SetSheetMonth(2009, 2));
    EXPECT_EQ(f.FirstShownDate(), QDate(2009, 2, 1));
    EXPECT_EQ(Cell(1, 1), u"02.01"_s);
    EXPECT_EQ(Cell(2, 2), QString());
    for (int row = 1; row <= 11; row += 2)
        for (int col = 1; col <= 7; ++col)
            EXPECT_FALSE(Cell(col, row).contains(u"[오늘]"_s));
    EXPECT_EQ(f.GetCellDate(1, 2), QDate(2009, 2, 1));
    EXPECT_EQ(f.GetCellDate(7, 12), QDate(2009, 3, 14));
}

TEST_F(FrmMainTest, EntryCrossingBothEdgesShowsContinuationEverywhereButSundays) {
    AddEntry(kMe, u"abc"_s, u"2008-12-01"_s, u"2009-03-01"_s);
    FrmMain& f = Open();
    const QString line = u".."_s + QString(8, u'.') + u"abc"_s + QString(9, u'.') + u".."_s;
    for (int row = 2; row <= 12; row += 2) {
        EXPECT_EQ(Cell(1, row), QString()) << row;
        EXPECT_FALSE(f.tabCalendar->spCalendar->BackColor(1, row).isValid());
        for (int col = 2; col <= 7; ++col) {
            EXPECT_EQ(Cell(col, row), line + kCrLf) << col << "," << row;
            EXPECT_EQ(f.tabCalendar->spCalendar->BackColor(col, row), QColor(255, 255, 192));
        }
    }
}

TEST_F(FrmMainTest, EntriesAsBarsWithMarkersAndSundayRule) {
    AddEntry(kMe, u"주일"_s, u"2009-01-11"_s, u"2009-01-11"_s);     // a Sunday only: nothing drawn
    AddEntry(kMe, u"A"_s, u"2009-01-13"_s, u"2009-01-13"_s);        // Tuesday
    AddEntry(kMe, u"B"_s, u"2009-01-13"_s, u"2009-01-14"_s, 1);     // Tuesday-Wednesday, finished
    AddEntry(kMe, u"주말넘김"_s, u"2009-01-17"_s, u"2009-01-19"_s); // Saturday over Sunday to Monday
    AddEntry(kMe, u"bad"_s, u"2009-01-2x"_s, u"2009-01-30"_s);      // not a date: skipped
    Open();
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 11)), QString());
    const QStringList tue = CellOfDate(QDate(2009, 1, 13)).split(kCrLf);
    ASSERT_EQ(tue.size(), 3);
    EXPECT_EQ(tue[0], u"◀"_s + QString(9, u' ') + u"A"_s + QString(10, u' ') + u"▶"_s);
    EXPECT_EQ(tue[1], u"◁"_s + QString(9, u'.') + u"B"_s + QString(10, u'.') + u".."_s);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 14)),
              kCrLf + u".."_s + QString(9, u'.') + u"B"_s + QString(10, u'.') + u"▷"_s + kCrLf);
    // The bar over the weekend keeps its line; Sunday itself stays empty.
    const QString mid = QString(6, u'.') + u"주말넘김"_s + QString(6, u'.');
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 17)), u"◀"_s + mid + u".."_s + kCrLf);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 18)), QString());
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 19)), u".."_s + mid + u"▶"_s + kCrLf);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 30)), QString());
}

TEST_F(FrmMainTest, FiltersRedrawTheCalendar) {
    AddEntry(kMe, u"open"_s, u"2009-01-05"_s, u"2009-01-05"_s, 0, u"개발"_s);
    AddEntry(kMe, u"done"_s, u"2009-01-06"_s, u"2009-01-06"_s, 1, u"영업"_s);
    AddEntry(kOther, u"theirs"_s, u"2009-01-07"_s, u"2009-01-07"_s);
    FrmMain& f = Open();
    auto shown = [&](const char* day) {
        return !CellOfDate(QDate::fromString(QString::fromLatin1(day), u"yyyy-MM-dd"_s)).isEmpty();
    };
    EXPECT_TRUE(shown("2009-01-05"));
    EXPECT_TRUE(shown("2009-01-06"));
    EXPECT_FALSE(shown("2009-01-07"));

    f.cmbFinish[0]->setCurrentIndex(1); // unfinished only
    EXPECT_TRUE(shown("2009-01-05"));
    EXPECT_FALSE(shown("2009-01-06"));
    f.cmbFinish[0]->setCurrentIndex(2); // finished only
    EXPECT_FALSE(shown("2009-01-05"));
    EXPECT_TRUE(shown("2009-01-06"));
    f.cmbFinish[0]->setCurrentIndex(0);
    f.cmbCategory[0]->setCurrentIndex(f.cmbCategory[0]->findText(u"영업"_s));
    EXPECT_FALSE(shown("2009-01-05"));
    EXPECT_TRUE(shown("2009-01-06"));

    // Another owner: categories refilled with "(전체구분)" chosen, his entries drawn.
    SelectOwner(kOther);
    EXPECT_EQ(f.cmbCategory[0]->currentText(), u"(전체구분)"_s);
    EXPECT_TRUE(shown("2009-01-07"));
    EXPECT_FALSE(shown("2009-01-05"));

    // "< My" goes back to oneself and redraws.
    QTest::mouseClick(f.btnMyName[0], Qt::LeftButton);
    EXPECT_EQ(f.cmbUser[0]->currentText(), kMe);
    EXPECT_TRUE(shown("2009-01-05"));
    EXPECT_FALSE(shown("2009-01-07"));
}

TEST_F(FrmMainTest, OwnerAndCategoryWithApostropheAreEscaped) {
    AddEntry(u"O'Brien"_s, u"quoted"_s, u"2009-01-08"_s, u"2009-01-08"_s, 0, u"개발"_s);
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    SelectOwner(u"O'Brien"_s);
    EXPECT_TRUE(CellOfDate(QDate(2009, 1, 8)).contains(u"quoted"_s));
    f.cmbCategory[0]->addItem(u"it's"_s);
    f.cmbCategory[0]->setCurrentIndex(f.cmbCategory[0]->count() - 1);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 8)), QString());
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u" | "_s).toStdString();
}

TEST_F(FrmMainTest, MyNameMissingIsReportedOnlyWhenVisible) {
    gUserName = u"없는사람"_s;
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    EXPECT_TRUE(boxes.shown().isEmpty()); // start-up runs hidden
    EXPECT_EQ(f.cmbUser[0]->currentIndex(), 0);
    QTest::mouseClick(f.btnMyName[0], Qt::LeftButton);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, u"내이름이 등록되어 있지 않습니다."_s);
    EXPECT_EQ(f.cmbUser[0]->currentIndex(), 0);
}

TEST_F(FrmMainTest, MonthButtonsRollOverTheYear) {
    FrmMain& f = Open();
    QTest::mouseClick(f.tabCalendar->btnMoveMonth[0], Qt::LeftButton);
    EXPECT_EQ(f.tabCalendar->lblWorkDate->text(), u"2008년 12월"_s);
    EXPECT_EQ(f.WorkDateTag(), u"200812"_s);
    QTest::mouseClick(f.tabCalendar->btnMoveMonth[3], Qt::LeftButton);
    QTest::mouseClick(f.tabCalendar->btnMoveMonth[1], Qt::LeftButton);
    EXPECT_EQ(f.WorkDateTag(), u"200902"_s);
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveCol(), 2);
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveRow(), 2);
    f.SetSheetMonth(2009, 12);
    QTest::mouseClick(f.tabCalendar->btnMoveMonth[1], Qt::LeftButton);
    EXPECT_EQ(f.tabCalendar->lblWorkDate->text(), u"2010년 01월"_s);
    QTest::mouseClick(f.tabCalendar->btnMoveMonth[2], Qt::LeftButton);
    EXPECT_EQ(f.WorkDateTag(), u"200912"_s);

    // Today: back to January 2009 with the cursor on the 14th; pressing it again
    // while January is shown redraws nothing.
    AddEntry(kMe, u"later"_s, u"2009-01-20"_s, u"2009-01-20"_s);
    QTest::mouseClick(f.tabCalendar->btnToday, Qt::LeftButton);
    EXPECT_EQ(f.WorkDateTag(), u"200901"_s);
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveCol(), 4);
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveRow(), 6);
    EXPECT_TRUE(CellOfDate(QDate(2009, 1, 20)).contains(u"later"_s));
    AddEntry(kMe, u"unseen"_s, u"2009-01-21"_s, u"2009-01-21"_s);
    f.tabCalendar->spCalendar->SetActiveCell(2, 2);
    QTest::mouseClick(f.tabCalendar->btnToday, Qt::LeftButton);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 21)), QString());
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveRow(), 6);
    // F5 redraws.
    QTest::keyClick(f.tabCalendar->spCalendar, Qt::Key_F5);
    EXPECT_TRUE(CellOfDate(QDate(2009, 1, 21)).contains(u"unseen"_s));
}

TEST_F(FrmMainTest, TabSwitchRefreshesOnlyOnFirstShowAndKeysReachTheWindowFirst) {
    FrmMain& f = Open();
    AddEntry(kMe, u"later"_s, u"2009-01-20"_s, u"2009-01-20"_s);
    f.SSTab1->setCurrentIndex(1);
    f.SSTab1->setCurrentIndex(0);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 20)), QString()); // tab 0 was shown already: no reload
    // F5 pressed while a filter combo has the focus still refreshes the current tab.
    QTest::keyClick(f.cmbFinish[0], Qt::Key_F5);
    EXPECT_TRUE(CellOfDate(QDate(2009, 1, 20)).contains(u"later"_s));
    EXPECT_EQ(f.cmbFinish[0]->currentIndex(), 0);
    // Enter in the category combo refreshes too.
    AddEntry(kMe, u"enter"_s, u"2009-01-22"_s, u"2009-01-22"_s);
    QTest::keyClick(f.cmbCategory[0], Qt::Key_Return);
    EXPECT_TRUE(CellOfDate(QDate(2009, 1, 22)).contains(u"enter"_s));
}

TEST_F(FrmMainTest, CursorNeverRestsOnADateRow) {
    FrmMain& f = Open();
    SpreadGrid* g = f.tabCalendar->spCalendar;
    g->setFocus();
    g->SetActiveCell(3, 2);
    QTest::keyClick(g, Qt::Key_Down);
    EXPECT_EQ(g->ActiveRow(), 4);
    QTest::keyClick(g, Qt::Key_Down);
    EXPECT_EQ(g->ActiveRow(), 6);
    QTest::keyClick(g, Qt::Key_Up);
    EXPECT_EQ(g->ActiveRow(), 4);
    EXPECT_EQ(g->ActiveCol(), 3);
    QTest::keyClick(g, Qt::Key_Up);
    EXPECT_EQ(g->ActiveRow(), 2);
    QTest::keyClick(g, Qt::Key_Up); // from the first content row: stays put
    EXPECT_EQ(g->ActiveRow(), 2);
    EXPECT_EQ(g->ActiveCol(), 3);
    QTest::keyClick(g, Qt::Key_Right);
    EXPECT_EQ(g->ActiveCol(), 4);
    EXPECT_EQ(g->ActiveRow(), 2);
    // A click on a date row after a non-Up key lands on the content cell below.
    QTest::keyClick(g, Qt::Key_Right);
    const QRect r = g->visualItemRect(g->item(2, 1)); // row 3, column 2
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(g->ActiveCol(), 2);
    EXPECT_EQ(g->ActiveRow(), 4);
}

TEST_F(FrmMainTest, HighlightIsAlwaysTheActiveCell) {
    FrmMain& f = Open();
    SpreadGrid* g = f.tabCalendar->spCalendar;
    g->setFocus();
    const auto click = [g](int col, int row) {
        const QRect r = g->visualRect(g->model()->index(row - 1, col - 1));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.topLeft() + QPoint(3, 3));
    };
    // The one highlighted cell, as (col,row) counted from 1.
    const auto highlighted = [g] {
        const QModelIndexList sel = g->selectionModel()->selectedIndexes();
        return sel.size() == 1 ? QPoint(sel[0].column() + 1, sel[0].row() + 1) : QPoint();
    };
    // Click today's cell (Wednesday 2009-01-14, row 6), then Up skips the date row.
    click(4, 6);
    EXPECT_EQ(highlighted(), QPoint(4, 6));
    QTest::keyClick(g, Qt::Key_Up);
    EXPECT_EQ(QPoint(g->ActiveCol(), g->ActiveRow()), QPoint(4, 4));
    EXPECT_EQ(highlighted(), QPoint(4, 4));
    QTest::keyClick(g, Qt::Key_Down);
    EXPECT_EQ(highlighted(), QPoint(4, 6));
    // A click on a date row highlights the content cell the cursor went to.
    click(2, 3);
    EXPECT_EQ(QPoint(g->ActiveCol(), g->ActiveRow()), QPoint(2, 4));
    EXPECT_EQ(highlighted(), QPoint(2, 4));
}

TEST_F(FrmMainTest, LineConflictIsReportedAndPlacedAtTheEnd) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    f.SetSheetMonth(2009, 2);
    EXPECT_EQ(f.PutCellLine(3, 2, u"X"_s, -1), 0);
    EXPECT_EQ(f.tabCalendar->spCalendar->BackColor(3, 2), QColor(255, 255, 192));
    EXPECT_EQ(f.PutCellLine(1, 2, u"Sunday"_s, 4), 4);
    EXPECT_EQ(Cell(1, 2), QString());
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(f.PutCellLine(3, 2, u"Y"_s, 0), 2);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, u"줄수 계산오류 개발자에게 연락바랍니다."_s);
    EXPECT_EQ(Cell(3, 2), u"X\r\n\r\nY\r\n"_s);
}

TEST_F(FrmMainTest, NormalUserEditsOwnAndViewsOthers) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    SpreadGrid* g = f.tabCalendar->spCalendar;
    // The offscreen platform delivers no double-click through QTest, so the table's own
    // signal stands in for it (0-based: content row 6, Wednesday).
    EXPECT_EQ(RunClosingModal([&] { emit g->cellDoubleClicked(5, 3); }), u"worktide::FrmSave"_s);
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(g, Qt::Key_F2); }), u"worktide::FrmSave"_s);

    SelectOwner(kOther);
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(g, Qt::Key_Return); }), u"worktide::FrmViewer"_s);
    f.cmbUser[1]->setCurrentIndex(f.cmbUser[1]->findText(kOther)); // the list tab shows the other person too
    EXPECT_EQ(RunClosingModal([&] { f.OpenSchedule(QString(), false, 1, 7); }), QString()); // list tab: nothing
    EXPECT_TRUE(boxes.shown().isEmpty());
    // The empty list's notice had the keyboard; the desktop gives it back when the notice goes.
    ASSERT_TRUE(test::ActivateWindow(&f));
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(g, Qt::Key_F2); }), QString());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, u"다른 사람의 스케줄은 입력할 수 없습니다."_s);
}

TEST_F(FrmMainTest, FunctionKeysRestWhileTheEditorOrTheViewerIsOpenOnTop) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    SpreadGrid* g = f.tabCalendar->spCalendar;
    // The keys go to the window on top, and even a key sent at the main window's own
    // grid meanwhile is not the main window's: F5 reloads nothing, F2 adds nothing.
    const auto pressAll = [&](QWidget* top, QWidget* focus, const QList<Qt::Key>& keys) {
        EXPECT_TRUE(test::ActivateWindow(top));
        for (QWidget* target : {focus, static_cast<QWidget*>(g)})
            for (Qt::Key key : keys)
                QTest::keyClick(target, key);
    };
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(g, Qt::Key_Return); },
                              [&](QWidget* w) {
                                  AddEntry(kMe, u"meanwhile"_s, u"2009-01-20"_s, u"2009-01-20"_s);
                                  auto* editor = qobject_cast<FrmSave*>(w);
                                  ASSERT_NE(editor, nullptr);
                                  pressAll(editor, editor->cmbCategory, {Qt::Key_F5}); // F2 is its own save
                              }),
              u"worktide::FrmSave"_s);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 20)), QString());

    SelectOwner(kOther);
    EXPECT_EQ(RunClosingModal([&] { QTest::keyClick(g, Qt::Key_Return); },
                              [&](QWidget* w) {
                                  pressAll(w, qobject_cast<FrmViewer*>(w)->spList, {Qt::Key_F5, Qt::Key_F2});
                              }),
              u"worktide::FrmViewer"_s);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();

    // With the window on top closed, the keys are the main window's again.
    QTest::keyClick(g, Qt::Key_F2);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, u"다른 사람의 스케줄은 입력할 수 없습니다."_s);
}

TEST_F(FrmMainTest, PrivilegedUserEditsOthersButNeverAddsForThem) {
    gUserName = kPrivileged2;
    gUserId = u"choi"_s;
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    SelectOwner(kOther);
    EXPECT_EQ(RunClosingModal([&] { f.OpenSchedule(u"2009-01-14"_s, false, 0, 0); }), u"worktide::FrmSave"_s);
    EXPECT_EQ(RunClosingModal([&] { f.OpenSchedule(QString(), false, 1, 3); }), u"worktide::FrmSave"_s);
    EXPECT_EQ(RunClosingModal([&] { QTest::mouseClick(f.cmdAdd[0], Qt::LeftButton); }), QString());
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, u"다른 사람의 스케줄은 입력할 수 없습니다."_s);
    EXPECT_EQ(QApplication::focusWidget() == f.cmbUser[0] || !f.isActiveWindow(), true);
}

TEST_F(FrmMainTest, CalendarRedrawsAfterTheEditorChangedData) {
    FrmMain& f = Open();
    EXPECT_EQ(RunClosingModal([&] { f.OpenSchedule(u"2009-01-22"_s, true, 0, 0); },
                              [&](QWidget* w) {
                                  AddEntry(kMe, u"saved"_s, u"2009-01-22"_s, u"2009-01-22"_s);
                                  emit qobject_cast<FrmSave*>(w)->ScheduleChanged();
                              }),
              u"worktide::FrmSave"_s);
    EXPECT_TRUE(CellOfDate(QDate(2009, 1, 22)).contains(u"saved"_s));

    // Without the flag nothing is reloaded.
    EXPECT_EQ(RunClosingModal([&] { f.OpenSchedule(u"2009-01-23"_s, true, 0, 0); },
                              [&](QWidget*) { AddEntry(kMe, u"quiet"_s, u"2009-01-23"_s, u"2009-01-23"_s); }),
              u"worktide::FrmSave"_s);
    EXPECT_EQ(CellOfDate(QDate(2009, 1, 23)), QString());
}

TEST_F(FrmMainTest, DoubleClickOnADateRowOpensThatDay) {
    FrmMain& f = Open();
    // The editor shell does not show its date; the double-click handler computes it
    // with GetCellDate, which maps a date row to its own day.
    EXPECT_EQ(f.GetCellDate(4, 5), QDate(2009, 1, 14));
    EXPECT_EQ(f.GetCellDate(4, 6), QDate(2009, 1, 14));
    EXPECT_EQ(f.GetCellDate(7, 11), QDate(2009, 2, 7));
    SpreadGrid* g = f.tabCalendar->spCalendar;
    EXPECT_EQ(RunClosingModal([&] { emit g->cellDoubleClicked(4, 3); }), u"worktide::FrmSave"_s);
    // The header row opens nothing.
    EXPECT_EQ(RunClosingModal([&] { emit g->DblClick(4, 0); }), QString());
}

TEST_F(FrmMainTest, PasswordChangeLoop) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    boxes.queueInput(u"wrong'pass"_s); // does not match (and is escaped)
    boxes.queueInput(u"oldPass1234"_s);
    boxes.queueInput(u"short1"_s);       // rule 3
    boxes.queueInput(u"onlyletterss"_s); // rule 4
    boxes.queueInput(u"newPass56789"_s);
    // The success notice floats in its own modal window.
    EXPECT_EQ(RunClosingModal([&] { f.mnuFile_cngpasswd->trigger(); }), u"worktide::FrmFloatMsg"_s);
    const auto& shown = boxes.shown();
    ASSERT_EQ(shown.size(), 8) << boxes.texts().join(u" | "_s).toStdString();
    EXPECT_TRUE(shown[0].isInput);
    EXPECT_EQ(shown[0].text, u"현재 암호를 입력하세요."_s);
    EXPECT_EQ(shown[1].text, u"암호가 일치하지 않습니다."_s);
    EXPECT_EQ(shown[2].text, u"현재 암호를 입력하세요."_s);
    EXPECT_EQ(shown[3].text, u"변경할 암호를 입력하세요."_s);
    EXPECT_EQ(shown[4].text, u"암호길이는 최소 10자에서 최대 15자까지 가능합니다."_s);
    EXPECT_EQ(shown[4].style & 0x7, vbOKOnly);
    EXPECT_EQ(shown[5].text, u"변경할 암호를 입력하세요."_s);
    EXPECT_EQ(shown[6].text, u"암호는 숫자와 영문을 같이 사용해야 합니다."_s);
    EXPECT_EQ(shown[7].text, u"변경할 암호를 입력하세요."_s);
    EXPECT_FALSE(shown[0].title.contains(u"Pass"_s));
    EXPECT_FALSE(shown[7].title.contains(u"letters"_s));
    EXPECT_EQ(s_db->scalar(u"SELECT password2 = SHA1('newPass56789') FROM user WHERE id = 'sky'"_s), u"1"_s);
}

TEST_F(FrmMainTest, PasswordChangeCancelsOnBlankAnswers) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    boxes.queueInput(u"   "_s);
    f.mnuFile_cngpasswd_Click();
    ASSERT_EQ(boxes.shown().size(), 1);

    boxes.clear();
    boxes.queueInput(u"oldPass1234"_s);
    boxes.queueInput(u"    "_s);
    f.mnuFile_cngpasswd_Click();
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[1].text, u"변경할 암호를 입력하세요."_s);
    EXPECT_EQ(s_db->scalar(u"SELECT password2 = SHA1('oldPass1234') FROM user WHERE id = 'sky'"_s), u"1"_s);
}

TEST_F(FrmMainTest, PasswordChangeReportsSuccessOnlyWhenTheUpdateRan) {
    ScopedScriptedMessageBoxes boxes;
    FrmMain& f = Open();
    // The same password again changes no row and is still a success.
    boxes.queueInput(u"oldPass1234"_s);
    boxes.queueInput(u"oldPass1234"_s);
    EXPECT_EQ(RunClosingModal([&] { f.mnuFile_cngpasswd_Click(); }), u"worktide::FrmFloatMsg"_s);

    // A failing UPDATE shows the database error and no success notice.
    s_db->exec(u"CREATE TRIGGER user_locked BEFORE UPDATE ON user FOR EACH ROW "
               "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'locked'"_s);
    boxes.clear();
    boxes.queueInput(u"oldPass1234"_s);
    boxes.queueInput(u"newPass56789"_s);
    const QString opened = RunClosingModal([&] { f.mnuFile_cngpasswd_Click(); });
    s_db->exec(u"DROP TRIGGER user_locked"_s);
    EXPECT_EQ(opened, QString());
    ASSERT_EQ(boxes.shown().size(), 3);
    EXPECT_TRUE(boxes.shown()[2].text.contains(u"locked"_s)) << boxes.shown()[2].text.toStdString();
    EXPECT_EQ(s_db->scalar(u"SELECT password2 = SHA1('oldPass1234') FROM user WHERE id = 'sky'"_s), u"1"_s);
}

TEST_F(FrmMainTest, ExitMenuClosesTheWindow) {
    FrmMain& f = Open();
    f.mnuFile_Exit->trigger();
    EXPECT_FALSE(f.isVisible());
}

} // namespace
