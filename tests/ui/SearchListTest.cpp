// The search list tab on a real database: which entries it finds for the filters,
// their order, the day counts and row colours, the completion mark, the details
// beside the list and the notice when nothing is found.
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
#include "ui/shared/FrmFloatMsg.h"
#include "ui/shared/modFloatMsg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

const QString kMe = u"김하늘"_s;
const QString kHint = u"(검색어: 제목)"_s;
const QString kAllCategories = u"(전체구분)"_s;
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

class SearchListTest : public ::testing::Test {
protected:
    SearchListTest() : db(u"searchlist"_s) {}

    void SetUp() override {
        ASSERT_TRUE(db.connectGlobal());
        form = std::make_unique<FrmMain>();
        SetFilters(kMe, kAllCategories, 0, kHint);
    }

    void TearDown() override {
        form.reset();
        DBClose();
    }

    // The tab-1 filters as a person would leave them, without raising their events.
    void SetFilters(const QString& owner, const QString& category, int finish, const QString& keyword) {
        for (QComboBox* combo : {form->cmbUser[1], form->cmbCategory[1], form->cmbFinish[1]})
            combo->blockSignals(true);
        form->cmbUser[1]->clear();
        form->cmbUser[1]->addItems({u"대구개발"_s, kMe, u"O'Neil"_s});
        form->cmbUser[1]->setCurrentText(owner);
        form->cmbCategory[1]->clear();
        form->cmbCategory[1]->addItems({kAllCategories, u"개발"_s, u"회의"_s, u"고객's"_s});
        form->cmbCategory[1]->setCurrentText(category);
        form->cmbFinish[1]->setCurrentIndex(finish);
        for (QComboBox* combo : {form->cmbUser[1], form->cmbCategory[1], form->cmbFinish[1]})
            combo->blockSignals(false);
        form->tabList->txtKeyWord->setText(keyword);
    }

    // title, sdate, edate, finished, category; texts are SQL literal bodies.
    void Add(const QString& title, const QString& sdate, const QString& edate, int finished = 0,
             const QString& category = u"개발"_s, const QString& owner = kMe, const QString& details = QString()) {
        db.exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                u"VALUES ('2009-01-02', '%1', '%2', '%3', '%4', '%5', %6, '%7')"_s.arg(
                    owner, title, details, sdate, edate, QString::number(finished), category));
    }

    QStringList Titles() const {
        QStringList out;
        for (int r = 1; r <= form->tabList->spList->MaxRows(); ++r)
            out << form->tabList->spList->Text(3, r);
        return out;
    }

    int RowOf(const QString& title) const { return static_cast<int>(Titles().indexOf(title)) + 1; }

    ScopedToday today{QDate(2009, 1, 14)};
    ScopedSignedInUser user{kMe};
    test::ScratchDatabase db;
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<FrmMain> form;
};

TEST_F(SearchListTest, DayCountsAndRowColoursFollowTheDueAndStartDates) {
    // Today is 2009-01-14.
    const struct {
        QString title, sdate, edate;
        int finished;
        QString sdays, edays;
        QColor color; // invalid = default
    } cases[] = {
        {u"어제 마감"_s, u"2009-01-10"_s, u"2009-01-13"_s, 0, u"-4"_s, u"-1"_s, kRed},
        {u"오늘 마감"_s, u"2009-01-10"_s, u"2009-01-14"_s, 0, u"-4"_s, u"0"_s, kBlue},
        {u"7일 뒤 시작"_s, u"2009-01-21"_s, u"2009-01-30"_s, 0, u"7"_s, u"16"_s, kBlue},
        {u"8일 뒤 시작"_s, u"2009-01-22"_s, u"2009-01-30"_s, 0, u"8"_s, u"16"_s, QColor()},
        {u"오래전 시작"_s, u"2008-03-01"_s, u"2009-06-30"_s, 0, u"-319"_s, u"167"_s, kBlue},
        {u"완료된 지연"_s, u"2008-12-01"_s, u"2009-01-02"_s, 1, u"-44"_s, u"-12"_s, QColor()},
        {u"날짜 없음"_s, QString(), QString(), 0, QString(), QString(), QColor()},
        {u"마감만 지남"_s, QString(), u"2009-01-01"_s, 0, QString(), u"-13"_s, kRed},
        {u"시작만 지남"_s, u"2009-01-01"_s, QString(), 0, u"-13"_s, QString(), kBlue},
        {u"없는 날짜"_s, u"2009-02-30"_s, u"2009-13-01"_s, 0, QString(), QString(), QColor()},
    };
    for (const auto& k : cases)
        Add(k.title, k.sdate, k.edate, k.finished);
    form->Refresh_Sheet2();
    ASSERT_EQ(form->tabList->spList->MaxRows(), static_cast<int>(std::size(cases)));

    for (const auto& k : cases) {
        SCOPED_TRACE(k.title.toStdString());
        const int r = RowOf(k.title);
        ASSERT_GT(r, 0);
        EXPECT_EQ(form->tabList->spList->Text(5, r), k.sdate);
        EXPECT_EQ(form->tabList->spList->Text(6, r), k.sdays);
        EXPECT_EQ(form->tabList->spList->Text(7, r), k.edate);
        EXPECT_EQ(form->tabList->spList->Text(8, r), k.edays);
        for (int c = 1; c <= 10; ++c)
            EXPECT_EQ(form->tabList->spList->ForeColor(c, r), k.color) << "column " << c;
    }
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(SearchListTest, RowsAreOrderedByDueDateWithOpenEndedEntriesLast) {
    Add(u"열린 끝 B"_s, u"2009-01-05"_s, QString());
    Add(u"2월 마감"_s, u"2009-01-20"_s, u"2009-02-01"_s);
    Add(u"날짜 없음"_s, QString(), QString());
    Add(u"1월 마감, 늦게 시작"_s, u"2009-01-12"_s, u"2009-01-15"_s);
    Add(u"1월 마감, 일찍 시작"_s, u"2009-01-03"_s, u"2009-01-15"_s);
    Add(u"열린 끝 A"_s, u"2009-01-01"_s, QString());
    Add(u"1월 마감, 일찍 시작 2"_s, u"2009-01-03"_s, u"2009-01-15"_s);
    form->Refresh_Sheet2();
    EXPECT_EQ(Titles(), (QStringList{u"1월 마감, 일찍 시작"_s, u"1월 마감, 일찍 시작 2"_s, u"1월 마감, 늦게 시작"_s,
                                     u"2월 마감"_s, u"날짜 없음"_s, u"열린 끝 A"_s, u"열린 끝 B"_s}));
}

TEST_F(SearchListTest, ColumnsCarryTheEntryAndTheFinishedColumnShowsAMark) {
    Add(u"끝난 일"_s, u"2009-01-02"_s, u"2009-01-03"_s, 1, u"회의"_s, kMe, u"첫 줄\r\n둘째 줄"_s);
    Add(u"남은 일"_s, u"2009-01-05"_s, u"2009-01-20"_s, 0, u"개발"_s, kMe, u"메모"_s);
    form->Refresh_Sheet2();
    ASSERT_EQ(form->tabList->spList->MaxRows(), 2);
    const QString seq = db.scalar(u"SELECT seq FROM worktide WHERE title = '끝난 일'"_s);
    ScheduleListView* grid = form->tabList->spList;
    EXPECT_EQ(grid->Text(1, 1), u"1"_s);
    EXPECT_EQ(grid->Text(1, 2), u"0"_s);
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), u"✔"_s);
    EXPECT_EQ(grid->model()->index(1, 0).data().toString(), QString());
    EXPECT_EQ(grid->Text(2, 1), u"회의"_s);
    EXPECT_EQ(grid->Text(4, 1), u"첫 줄\r\n둘째 줄"_s);
    EXPECT_EQ(grid->Text(9, 1), u"2009-01-02"_s);
    EXPECT_EQ(grid->Text(10, 1), seq);

    // The first row is active and its details show beside the list.
    EXPECT_EQ(grid->ActiveRow(), 1);
    EXPECT_EQ(grid->ActiveCol(), 1);
    EXPECT_EQ(form->tabList->txtMemo->toPlainText(), u"첫 줄\n둘째 줄"_s);
    form->tabList->ShowRowMemo(2);
    EXPECT_EQ(form->tabList->txtMemo->toPlainText(), u"메모"_s);
}

TEST_F(SearchListTest, FiltersNarrowTheListAndTypedTextMatchesLiterally) {
    Add(u"O''Brien 회의"_s, u"2009-01-02"_s, u"2009-01-03"_s);
    Add(u"100% 달성"_s, u"2009-01-02"_s, u"2009-01-04"_s, 1);
    Add(u"1000건 처리"_s, u"2009-01-02"_s, u"2009-01-05"_s);
    Add(u"a_b 정리"_s, u"2009-01-02"_s, u"2009-01-06"_s, 0, u"회의"_s);
    Add(u"axb 정리"_s, u"2009-01-02"_s, u"2009-01-07"_s, 1, u"회의"_s);
    Add(u"경로 C:\\\\temp"_s, u"2009-01-02"_s, u"2009-01-08"_s, 0, u"고객''s"_s);
    Add(u"다른 사람 회의"_s, u"2009-01-02"_s, u"2009-01-09"_s, 0, u"회의"_s, u"대구개발"_s);
    Add(u"따옴표 주인"_s, u"2009-01-02"_s, u"2009-01-09"_s, 0, u"개발"_s, u"O''Neil"_s);

    const QStringList mine{u"O'Brien 회의"_s, u"100% 달성"_s, u"1000건 처리"_s,
                           u"a_b 정리"_s,     u"axb 정리"_s,  u"경로 C:\\temp"_s};
    const struct {
        QString owner, category;
        int finish;
        QString keyword;
        QStringList expected;
    } cases[] = {
        {kMe, kAllCategories, 0, kHint, mine},
        {kMe, kAllCategories, 0, QString(), mine},
        {kMe, kAllCategories, 0, u"회의"_s, {u"O'Brien 회의"_s}},
        {kMe, kAllCategories, 0, u"O'Brien"_s, {u"O'Brien 회의"_s}},
        {kMe, kAllCategories, 0, u"100%"_s, {u"100% 달성"_s}},
        {kMe, kAllCategories, 0, u"%"_s, {u"100% 달성"_s}},
        {kMe, kAllCategories, 0, u"a_b"_s, {u"a_b 정리"_s}},
        {kMe, kAllCategories, 0, u"C:\\temp"_s, {u"경로 C:\\temp"_s}},
        {kMe, kAllCategories, 0, u"'; DROP TABLE worktide; --"_s, {}},
        {kMe, kAllCategories, 1, kHint, {u"O'Brien 회의"_s, u"1000건 처리"_s, u"a_b 정리"_s, u"경로 C:\\temp"_s}},
        {kMe, kAllCategories, 2, kHint, {u"100% 달성"_s, u"axb 정리"_s}},
        {kMe, u"회의"_s, 0, kHint, {u"a_b 정리"_s, u"axb 정리"_s}},
        {kMe, u"회의"_s, 1, u"정리"_s, {u"a_b 정리"_s}},
        {kMe, u"고객's"_s, 0, kHint, {u"경로 C:\\temp"_s}},
        {u"대구개발"_s, kAllCategories, 0, kHint, {u"다른 사람 회의"_s}},
        {u"O'Neil"_s, kAllCategories, 0, kHint, {u"따옴표 주인"_s}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE((k.owner + u" / "_s + k.category + u" / "_s + QString::number(k.finish) + u" / "_s + k.keyword)
                         .toStdString());
        SetFilters(k.owner, k.category, k.finish, k.keyword);
        form->Refresh_Sheet2();
        QStringList got = Titles();
        QStringList want = k.expected;
        got.sort();
        want.sort();
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM worktide"_s), u"8"_s);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(SearchListTest, ARefreshReusesRowsWithoutKeepingTheirColours) {
    Add(u"지난 일"_s, u"2009-01-01"_s, u"2009-01-02"_s);  // red
    Add(u"먼 일"_s, u"2009-03-01"_s, u"2009-03-02"_s);    // default
    Add(u"곧 할 일"_s, u"2009-01-15"_s, u"2009-03-03"_s); // blue
    form->Refresh_Sheet2();
    ASSERT_EQ(form->tabList->spList->ForeColor(3, 1), kRed);
    // Finishing the red one moves every entry up a row in the unfinished-only list.
    db.exec(u"UPDATE worktide SET finished = 1 WHERE title = '지난 일'"_s);
    SetFilters(kMe, kAllCategories, 1, kHint);
    form->Refresh_Sheet2();
    ASSERT_EQ(Titles(), (QStringList{u"먼 일"_s, u"곧 할 일"_s}));
    for (int c = 1; c <= 10; ++c) {
        EXPECT_FALSE(form->tabList->spList->ForeColor(c, 1).isValid()) << c;
        EXPECT_EQ(form->tabList->spList->ForeColor(c, 2), kBlue) << c;
    }
    EXPECT_EQ(form->tabList->spList->Text(1, 1), u"0"_s);
}

TEST_F(SearchListTest, NothingFoundEmptiesTheListAndFloatsANoticeWhenShown) {
    Add(u"하나"_s, u"2009-01-02"_s, u"2009-01-03"_s);
    form->Refresh_Sheet2();
    ASSERT_EQ(form->tabList->spList->MaxRows(), 1);

    // Hidden (during start-up): the list empties without a notice.
    SetFilters(kMe, kAllCategories, 0, u"없는 제목"_s);
    form->Refresh_Sheet2();
    EXPECT_EQ(form->tabList->spList->MaxRows(), 0);
    EXPECT_EQ(form->tabList->txtMemo->toPlainText(), QString());

    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QString floated;
    QTimer::singleShot(50, form.get(), [&floated] {
        if (FrmFloatMsg* msg = CurrentFloatMsg())
            floated = msg->message();
    });
    form->Refresh_Sheet2();
    EXPECT_EQ(floated, u"검색된 결과가 없습니다."_s);
    EXPECT_EQ(form->tabList->spList->MaxRows(), 0);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

// The same list refreshed (F5) keeps its rows, marked stale; a list of other filters is
// emptied rather than show rows that are not its own.
TEST_F(SearchListTest, AFailedQueryIsReportedAndKeepsTheSameListMarkedStale) {
    Add(u"하나"_s, u"2009-01-02"_s, u"2009-01-03"_s);
    form->Refresh_Sheet2();
    ASSERT_EQ(form->tabList->spList->MaxRows(), 1);
    db.exec(u"DROP TABLE worktide"_s);
    form->Refresh_Sheet2();
    EXPECT_EQ(form->tabList->spList->MaxRows(), 1);
    EXPECT_EQ(form->tabList->spList->Text(3, 1), u"하나"_s);
    EXPECT_TRUE(form->lblStatus->property("alarm").toBool());
    EXPECT_TRUE(form->lblStatus->text().startsWith(u"갱신 실패"_s)) << form->lblStatus->text().toStdString();
    // The connection reports the failed statement; the list adds no error of its own.
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_FALSE(boxes.shown().front().text.contains(u"Refresh_Sheet2"_s)) << boxes.shown().front().text.toStdString();

    SetFilters(kMe, kAllCategories, 0, u"다른 검색"_s);
    form->Refresh_Sheet2();
    EXPECT_EQ(form->tabList->spList->MaxRows(), 0);
    EXPECT_TRUE(form->lblStatus->property("alarm").toBool());
}

TEST_F(SearchListTest, AnErrorInsideTheRefreshNamesTheViewerFormAndEmptiesTheList) {
    Add(u"하나"_s, u"2009-01-02"_s, u"2009-01-03"_s);
    form->Refresh_Sheet2();
    ASSERT_EQ(form->tabList->spList->MaxRows(), 1);
    // A table without the written-on column: the query runs, reading the rows fails.
    db.exec(u"ALTER TABLE worktide DROP COLUMN wdate"_s);
    form->Refresh_Sheet2();
    EXPECT_EQ(form->tabList->spList->MaxRows(), 0);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown().front().text.startsWith(u"Error 3265 ("_s)) << boxes.shown().front().text.toStdString();
    EXPECT_TRUE(boxes.shown().front().text.endsWith(u") in procedure Refresh_Sheet2 of Form FrmViewer"_s));
}

TEST(CopyComboListTest, CopiesItemsAndSelectionAndRaisesOneSelectionEvent) {
    QComboBox source, target;
    source.addItems({u"(전직원)"_s, u"김하늘"_s, u"대구개발"_s});
    source.setCurrentIndex(2);
    target.addItems({u"옛 항목"_s});
    int events = 0;
    QObject::connect(&target, &QComboBox::currentIndexChanged, &target, [&events] { ++events; });
    FrmMain::CopyComboList(&source, &target);
    ASSERT_EQ(target.count(), 3);
    EXPECT_EQ(target.itemText(0), u"(전직원)"_s);
    EXPECT_EQ(target.itemText(2), u"대구개발"_s);
    EXPECT_EQ(target.currentIndex(), 2);
    EXPECT_EQ(events, 1);

    // The first item chosen still counts as a choice (the owner's categories follow it).
    source.setCurrentIndex(0);
    events = 0;
    FrmMain::CopyComboList(&source, &target);
    EXPECT_EQ(target.currentIndex(), 0);
    EXPECT_EQ(events, 1);
}

} // namespace
} // namespace worktide

namespace worktide {
namespace {

TEST(SpreadGridDisplayMapTest, MarkShowsWhileTheCellKeepsItsValueThroughColourChanges) {
    SpreadGrid grid;
    grid.SetMaxCols(3);
    grid.SetMaxRows(2);
    grid.SetText(1, 1, u"1"_s);
    grid.SetColDisplayMap(1, {{u"1"_s, u"✔"_s}, {u"0"_s, QString()}}); // re-renders existing cells
    grid.SetText(1, 2, u"0"_s);
    EXPECT_EQ(grid.item(0, 0)->text(), u"✔"_s);
    EXPECT_EQ(grid.item(1, 0)->text(), QString());

    // Colour changes announce the cell as changed; its value must survive that.
    grid.SetForeColor(-1, 1, QColor(255, 0, 0));
    EXPECT_EQ(grid.Text(1, 1), u"1"_s);
    EXPECT_EQ(grid.ForeColor(3, 1), QColor(255, 0, 0));
    grid.SetForeColor(-1, 1, QColor());
    EXPECT_FALSE(grid.ForeColor(1, 1).isValid());
    EXPECT_EQ(grid.Text(1, 1), u"1"_s);
    EXPECT_EQ(grid.item(0, 0)->text(), u"✔"_s);
}

} // namespace
} // namespace worktide
