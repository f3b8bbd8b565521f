// The search list as a person uses it in the shown main window: the keyword box,
// the filters, "< My", the completion toggle by click, and opening an entry by
// double-click or Enter.
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/schedule/FrmSave.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

const QString kMe = u"김하늘"_s;
const QString kOther = u"박서준"_s;

// Stops the test when the window could not be opened.
#define OPEN_LIST_TAB(...)                                                                                             \
    do {                                                                                                               \
        Open(__VA_ARGS__);                                                                                             \
        if (HasFatalFailure())                                                                                         \
            return;                                                                                                    \
    } while (0)

class SearchListWindowTest : public ::testing::Test {
protected:
    SearchListWindowTest() : db(u"searchlist_window"_s) {}

    void SetUp() override {
        ASSERT_TRUE(db.connectGlobal());
        db.exec(u"INSERT INTO user (id, name, hidden, groupcode) VALUES ('sky', '김하늘', 0, 1), "
                u"('park', '박서준', 0, 1);"
                u"INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('개발', '*', 1), ('회의', '*', 2)"_s);
        Add(kMe, u"지난 회의"_s, u"2009-01-05"_s, u"2009-01-10"_s, u"회의"_s, u"회의록\r\n정리"_s); // red
        Add(kMe, u"다음 달 개발"_s, u"2009-02-10"_s, u"2009-02-20"_s, u"개발"_s, u"설계"_s);
        Add(kMe, u"끝난 개발"_s, u"2009-01-02"_s, u"2009-01-03"_s, u"개발"_s, u"완료함"_s, 1);
        Add(kOther, u"남의 일"_s, u"2009-01-05"_s, u"2009-01-30"_s, u"개발"_s, u"남의 메모"_s);
    }

    void TearDown() override {
        form.reset();
        DBClose();
        user.reset();
    }

    void Add(const QString& owner, const QString& title, const QString& sdate, const QString& edate,
             const QString& category, const QString& details, int finished = 0) {
        db.exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                u"VALUES ('2009-01-02', '%1', '%2', '%3', '%4', '%5', %6, '%7')"_s.arg(
                    owner, title, details, sdate, edate, QString::number(finished), category));
    }

    // Signs in as user, opens the main window and brings up the list tab.
    void Open(const QString& name, const QString& userId = u"sky"_s) {
        user.emplace(name, userId);
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        ASSERT_GT(form->cmbUser[0]->count(), 0) << "the owner list was not filled";
        form->SSTab1->setCurrentIndex(1);
    }

    QStringList Titles() const {
        QStringList out;
        for (int r = 1; r <= form->tabList->spList->MaxRows(); ++r)
            out << form->tabList->spList->Text(3, r);
        return out;
    }
    int RowOf(const QString& title) const { return static_cast<int>(Titles().indexOf(title)) + 1; }
    QString Finished(const QString& title) const {
        return db.scalar(u"SELECT finished FROM worktide WHERE title = '"_s + title + u"'"_s);
    }

    void ClickCell(int col, int row) {
        ScheduleListView* grid = form->tabList->spList;
        const QRect rect = grid->visualRect(grid->model()->index(row - 1, col - 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Runs action and returns the class name of the modal window it opened ("" for
    // none), closing that window.
    QString ModalOpenedBy(const std::function<void()>& action) {
        QString opened;
        QTimer::singleShot(100, form.get(), [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        action();
        QTest::qWait(150);
        return opened;
    }

    ScopedToday today{QDate(2009, 1, 14)};
    test::ScratchDatabase db;
    ScopedScriptedMessageBoxes boxes;
    std::optional<ScopedSignedInUser> user; // set by Open
    std::unique_ptr<FrmMain> form;
};

TEST_F(SearchListWindowTest, FirstVisitListsMyUnfinishedEntriesAndTheKeywordRefreshesOnEnter) {
    OPEN_LIST_TAB(kMe);
    // The list tab starts with unfinished entries only.
    EXPECT_EQ(Titles(), (QStringList{u"지난 회의"_s, u"다음 달 개발"_s}));
    EXPECT_EQ(form->tabList->txtMemo->toPlainText(), u"회의록\n정리"_s);
    EXPECT_EQ(form->tabList->spList->ForeColor(3, 1), QColor(255, 0, 0));

    // Focus selects the whole hint, so typing replaces it.
    form->tabList->txtKeyWord->setFocus();
    QTest::qWait(20);
    EXPECT_EQ(form->tabList->txtKeyWord->selectedText(), u"(검색어: 제목)"_s);
    form->tabList->txtKeyWord->insert(u"개발"_s); // typed text replaces the selection
    EXPECT_EQ(form->tabList->txtKeyWord->text(), u"개발"_s);
    QTest::keyClick(form->tabList->txtKeyWord, Qt::Key_Return);
    EXPECT_EQ(Titles(), (QStringList{u"다음 달 개발"_s}));
    EXPECT_EQ(form->tabList->txtMemo->toPlainText(), u"설계"_s);

    // Moving through the list shows each row's details.
    form->tabList->txtKeyWord->setText(QString());
    form->cmbFinish[1]->setCurrentIndex(0); // 예정.완료: refreshes at once
    ASSERT_EQ(Titles(), (QStringList{u"끝난 개발"_s, u"지난 회의"_s, u"다음 달 개발"_s}));
    form->tabList->spList->setFocus();
    QTest::keyClick(form->tabList->spList, Qt::Key_Down);
    EXPECT_EQ(form->tabList->spList->ActiveRow(), 2);
    EXPECT_EQ(form->tabList->txtMemo->toPlainText(), u"회의록\n정리"_s);

    form->cmbCategory[1]->setCurrentText(u"회의"_s);
    EXPECT_EQ(Titles(), (QStringList{u"지난 회의"_s}));
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(SearchListWindowTest, ClickOnColumnOneTogglesMyOwnEntriesOnly) {
    OPEN_LIST_TAB(kMe);
    const int r = RowOf(u"지난 회의"_s);
    ASSERT_GT(r, 0);
    ClickCell(1, r);
    EXPECT_EQ(Finished(u"지난 회의"_s), u"1"_s);
    EXPECT_EQ(form->tabList->spList->Text(1, r), u"1"_s);
    EXPECT_EQ(form->tabList->spList->model()->index(r - 1, 0).data().toString(), u"✔"_s);
    // A finished entry is not overdue any more.
    EXPECT_FALSE(form->tabList->spList->ForeColor(3, r).isValid());
    ClickCell(1, r);
    EXPECT_EQ(Finished(u"지난 회의"_s), u"0"_s);
    EXPECT_EQ(form->tabList->spList->Text(1, r), u"0"_s);
    EXPECT_EQ(form->tabList->spList->ForeColor(3, r), QColor(255, 0, 0));
    // Other columns do not toggle.
    ClickCell(3, r);
    EXPECT_EQ(Finished(u"지난 회의"_s), u"0"_s);

    // Another person's list: nothing changes, whoever clicks.
    form->cmbUser[1]->setCurrentText(kOther);
    ASSERT_EQ(Titles(), (QStringList{u"남의 일"_s}));
    ClickCell(1, 1);
    EXPECT_EQ(Finished(u"남의 일"_s), u"0"_s);
    EXPECT_EQ(form->tabList->spList->Text(1, 1), u"0"_s);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(SearchListWindowTest, AToggleThatChangesNothingOrFailsIsReportedAndLeavesTheRow) {
    OPEN_LIST_TAB(kMe);
    const int r = RowOf(u"지난 회의"_s);
    ASSERT_GT(r, 0);
    // Deleted elsewhere meanwhile: no row changes, and the message says why.
    db.exec(u"DELETE FROM worktide WHERE title = '지난 회의'"_s);
    ClickCell(1, r);
    EXPECT_EQ(form->tabList->spList->Text(1, r), u"0"_s);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown().back().text, u"다른 곳에서 삭제된 일정입니다."_s);

    // Completed elsewhere already: no row changes either, but the entry is in the state
    // asked for, so the row shows it and nothing is reported.
    boxes.clear();
    const int r3 = RowOf(u"다음 달 개발"_s);
    db.exec(u"UPDATE worktide SET finished = 1 WHERE title = '다음 달 개발'"_s);
    ClickCell(1, r3);
    EXPECT_EQ(form->tabList->spList->Text(1, r3), u"1"_s);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    ClickCell(1, r3); // and back, by this program
    EXPECT_EQ(Finished(u"다음 달 개발"_s), u"0"_s);

    // A failed statement (-1) is no success either.
    boxes.clear();
    const int r2 = RowOf(u"다음 달 개발"_s);
    db.exec(u"DROP TABLE worktide"_s);
    ClickCell(1, r2);
    EXPECT_EQ(form->tabList->spList->Text(1, r2), u"0"_s);
    ASSERT_FALSE(boxes.shown().isEmpty());
    EXPECT_EQ(boxes.shown().back().text, u"완료처리도중 오류가 발생하였습니다."_s);
}

TEST_F(SearchListWindowTest, DoubleClickOrEnterOpensTheEditorForThoseAllowed) {
    OPEN_LIST_TAB(kMe);
    ASSERT_GT(form->tabList->spList->MaxRows(), 0);
    EXPECT_EQ(ModalOpenedBy([this] {
                  const QRect rect = form->tabList->spList->visualRect(form->tabList->spList->model()->index(0, 2));
                  // A double-click arrives after the press and release of its first click.
                  QTest::mouseClick(form->tabList->spList->viewport(), Qt::LeftButton, {}, rect.center());
                  QTest::mouseDClick(form->tabList->spList->viewport(), Qt::LeftButton, {}, rect.center());
              }),
              u"worktide::FrmSave"_s);
    form->tabList->spList->setFocus();
    EXPECT_EQ(ModalOpenedBy([this] { QTest::keyClick(form->tabList->spList, Qt::Key_Return); }),
              u"worktide::FrmSave"_s);

    // Another person's entries open nothing for a normal user.
    form->cmbUser[1]->setCurrentText(kOther);
    ASSERT_EQ(Titles(), (QStringList{u"남의 일"_s}));
    form->tabList->spList->setFocus();
    EXPECT_EQ(ModalOpenedBy([this] { QTest::keyClick(form->tabList->spList, Qt::Key_Return); }), QString());
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(SearchListWindowTest, PrivilegedUserOpensAnotherPersonsEntryButCannotToggleIt) {
    db.exec(u"INSERT INTO user (id, name, hidden, groupcode) VALUES ('seo', '서도윤', 0, 1)"_s);
    OPEN_LIST_TAB(u"서도윤"_s, u"seo"_s);
    form->cmbUser[1]->setCurrentText(kOther);
    ASSERT_EQ(Titles(), (QStringList{u"남의 일"_s}));
    form->tabList->spList->setFocus();
    EXPECT_EQ(ModalOpenedBy([this] { QTest::keyClick(form->tabList->spList, Qt::Key_Return); }),
              u"worktide::FrmSave"_s);
    ClickCell(1, 1);
    EXPECT_EQ(Finished(u"남의 일"_s), u"0"_s);
}

TEST_F(SearchListWindowTest, MyButtonWithoutMyNameSaysSoAndKeepsTheOwner) {
    OPEN_LIST_TAB(u"없는사람"_s, u"nobody"_s);
    boxes.clear();
    form->cmbUser[1]->setCurrentText(kOther);
    ASSERT_EQ(Titles(), (QStringList{u"남의 일"_s}));
    QTest::mouseClick(form->btnMyName[1], Qt::LeftButton);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown().front().text, u"내이름이 등록되어 있지 않습니다."_s);
    EXPECT_EQ(form->cmbUser[1]->currentText(), kOther);
    EXPECT_EQ(Titles(), (QStringList{u"남의 일"_s}));

    // With the name listed, "< My" brings back one's own entries.
    gUserName = kMe;
    boxes.clear();
    QTest::mouseClick(form->btnMyName[1], Qt::LeftButton);
    EXPECT_EQ(form->cmbUser[1]->currentText(), kMe);
    EXPECT_EQ(Titles(), (QStringList{u"지난 회의"_s, u"다음 달 개발"_s}));
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

} // namespace
} // namespace worktide
