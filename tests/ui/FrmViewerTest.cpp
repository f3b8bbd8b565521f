// The read-only schedule viewer on a real scratch database.
#include "ui/shared/modFloatMsg.h"
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/MsgBox.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/shared/FrmFloatMsg.h"
#include "ui/schedule/FrmViewer.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::ScratchDatabase;

class FrmViewerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = new ScratchDatabase(u"frmviewer"_s); }
    static void TearDownTestSuite() {
        delete s_db;
        s_db = nullptr;
    }

    void SetUp() override {
        s_db->truncateAll();
        ASSERT_TRUE(s_db->connectGlobal());
    }
    void TearDown() override {
        form.reset();
        DBClose();
    }

    int AddEntry(const QString& owner, const QString& title, const QString& sdate, const QString& edate,
                 const QString& details = {}, int finished = 0) {
        s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                   "VALUES (curdate(),'%1','%2','%3','%4','%5',%6,'업무')"_s.arg(owner, title, details, sdate, edate)
                       .arg(finished));
        return s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }

    FrmViewer& Open(const QString& day, const QString& owner) {
        form = std::make_unique<FrmViewer>();
        form->SetParam(day, owner);
        form->show();
        return *form;
    }

    QStringList Titles() const {
        QStringList out;
        for (int r = 1; r <= form->spList->MaxRows(); ++r)
            out << form->spList->Text(3, r);
        return out;
    }

    static inline ScratchDatabase* s_db = nullptr;
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<FrmViewer> form;
    QObject timerContext;
};

TEST_F(FrmViewerTest, ListsTheDayForOneOwnerOrEverybody) {
    AddEntry(u"박서준"_s, u"B 늦게 시작"_s, u"2026-12-08"_s, u"2026-12-08"_s, u"B 내용"_s);
    AddEntry(u"이지은"_s, u"A 먼저 시작"_s, u"2026-12-01"_s, u"2026-12-20"_s, u"A 내용\r\n둘째 줄"_s, 1);
    AddEntry(u"O''Neil"_s, u"C 따옴표 주인"_s, u"2026-12-08"_s, u"2026-12-09"_s);
    AddEntry(u"박서준"_s, u"날짜 없음"_s, QString(), QString());
    AddEntry(u"박서준"_s, u"끝 없음"_s, u"2026-12-01"_s, QString());
    AddEntry(u"박서준"_s, u"지난 일"_s, u"2026-12-01"_s, u"2026-12-07"_s);

    Open(u"2026-12-08"_s, QString());
    EXPECT_EQ(form->windowTitle(), u"스케줄 자세히 보기 ( 2026-12-08 화 )"_s);
    EXPECT_EQ(Titles(), (QStringList{u"A 먼저 시작"_s, u"B 늦게 시작"_s, u"C 따옴표 주인"_s}));
    SpreadGrid* list = form->spList;
    EXPECT_EQ(list->Text(1, 1), u"1"_s);
    EXPECT_EQ(list->Text(2, 1), u"업무"_s);
    EXPECT_EQ(list->Text(4, 1), u"2026-12-01"_s);
    EXPECT_EQ(list->Text(5, 1), u"2026-12-20"_s);
    EXPECT_EQ(list->ActiveRow(), 1);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"A 내용\n둘째 줄"_s);

    Open(u"2026-12-08"_s, u"박서준"_s);
    EXPECT_EQ(Titles(), QStringList{u"B 늦게 시작"_s});
    Open(u"2026-12-08"_s, u"O'Neil"_s);
    EXPECT_EQ(Titles(), QStringList{u"C 따옴표 주인"_s});
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(FrmViewerTest, NoCellCanBeEdited) {
    const int seq = AddEntry(u"박서준"_s, u"읽기 전용"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Open(u"2026-12-08"_s, u"박서준"_s);
    SpreadGrid* list = form->spList;
    ASSERT_EQ(list->MaxRows(), 1);
    EXPECT_TRUE(list->IsReadOnly());
    for (int c = 1; c <= 7; ++c) {
        const QTableWidgetItem* it = list->item(0, c - 1);
        ASSERT_NE(it, nullptr);
        EXPECT_FALSE(it->flags() & Qt::ItemIsEditable) << c;
    }
    // Typing or double-clicking on the completion column changes nothing.
    list->setFocus();
    list->SetActiveCell(1, 1);
    QTest::keyClicks(list, u"1"_s);
    QTest::keyClick(list, Qt::Key_F2);
    const QRect r = list->visualRect(list->model()->index(0, 0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(list->Text(1, 1), u"0"_s);
    EXPECT_EQ(list->findChild<QLineEdit*>(), nullptr); // no cell editor was opened
    EXPECT_EQ(s_db->scalar(u"SELECT finished FROM worktide WHERE seq = %1"_s.arg(seq)), u"0"_s);
    EXPECT_TRUE(form->txtMemo->isReadOnly());
}

TEST_F(FrmViewerTest, DetailsFollowTheRow) {
    AddEntry(u"박서준"_s, u"첫째"_s, u"2026-12-08"_s, u"2026-12-08"_s, u"첫째 내용"_s);
    AddEntry(u"박서준"_s, u"둘째"_s, u"2026-12-08"_s, u"2026-12-08"_s, u"둘째 내용"_s);
    Open(u"2026-12-08"_s, u"박서준"_s);
    SpreadGrid* list = form->spList;
    list->setFocus();
    EXPECT_EQ(form->txtMemo->toPlainText(), u"첫째 내용"_s);

    // Another column of the same row leaves the box alone.
    form->txtMemo->setPlainText(u"표시"_s);
    QTest::keyClick(list, Qt::Key_Right);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"표시"_s);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"둘째 내용"_s);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"첫째 내용"_s);
}

TEST_F(FrmViewerTest, EmptyDayFloatsOnlyWhileVisible) {
    form = std::make_unique<FrmViewer>();
    form->SetParam(u"2026-12-08"_s, u"박서준"_s);
    EXPECT_EQ(form->spList->MaxRows(), 0);
    EXPECT_TRUE(form->txtMemo->toPlainText().isEmpty());

    AddEntry(u"박서준"_s, u"내일 일"_s, u"2026-12-09"_s, u"2026-12-09"_s, u"내용"_s);
    form->show();
    form->txtMemo->setPlainText(u"남은 글"_s);
    QString seen;
    QTimer::singleShot(100, &timerContext, [&seen] {
        if (FrmFloatMsg* f = CurrentFloatMsg())
            seen = f->message();
    });
    form->RefreshSheet();
    EXPECT_EQ(seen, u"검색된 결과가 없습니다."_s);
    EXPECT_TRUE(form->txtMemo->toPlainText().isEmpty());
    EXPECT_EQ(form->spList->MaxRows(), 0);
}

} // namespace
} // namespace worktide
