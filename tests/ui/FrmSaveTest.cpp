// The schedule editor on a real scratch database: saving, validating, deleting, the
// completion toggle, the unsaved-changes question and what loading a row may not do.
#include "ui/shared/modFloatMsg.h"
#include "common/ActiveWindow.h"
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/shared/FrmFloatMsg.h"
#include "ui/schedule/FrmSave.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::ScratchDatabase;

const QString kMe = u"김하늘"_s;
const QString kUnsaved = u"수정된 자료가 저장되지 않았습니다. 지금 저장하시겠습니까?"_s;
const QString kNoChange = u"수정된 내용이 없거나, 자료저장을 실패하였습니다."_s;
const QDate kToday(2026, 12, 8);

class FrmSaveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = new ScratchDatabase(u"frmsave"_s); }
    static void TearDownTestSuite() {
        delete s_db;
        s_db = nullptr;
    }

    void SetUp() override {
        db().truncateAll();
        db().exec(u"INSERT INTO worktide_cate (catename, devname, ordpos) VALUES "
                  "('(공란)','*',0), ('업무','*',1), ('ABC','*',2), ('R&D''s \\\\ 팀','*',3), ('개발','김하늘',1)"_s);
        ASSERT_TRUE(db().connectGlobal());
    }

    void TearDown() override {
        form.reset();
        DBClose();
    }

    static ScratchDatabase& db() { return *s_db; }

    int AddEntry(const QString& owner, const QString& title, const QString& sdate, const QString& edate,
                 int finished = 0, const QString& details = {}, const QString& category = u"업무"_s) {
        db().exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                  "VALUES (curdate(),'%1','%2','%3','%4','%5',%6,'%7')"_s.arg(owner, title, details, sdate, edate)
                      .arg(finished)
                      .arg(category));
        return db().scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }

    int RowCount() const { return db().scalar(u"SELECT COUNT(*) FROM worktide"_s).toInt(); }
    QString Field(int seq, const QString& column) const {
        return db().scalar(u"SELECT %1 FROM worktide WHERE seq = %2"_s.arg(column).arg(seq));
    }

    // Opened as the main window opens it: parameters first, then shown.
    FrmSave& Open(const QString& day, bool isNew = false, int seq = 0, const QString& owner = {}) {
        Create();
        form->SetParam(day, isNew, seq, owner);
        form->show();
        // The keyboard's keys reach the active window only.
        EXPECT_TRUE(test::ActivateWindow(form.get()));
        return *form;
    }

    // A new window whose change reports are counted in changes.
    FrmSave& Create() {
        form = std::make_unique<FrmSave>();
        changes = 0;
        QObject::connect(form.get(), &FrmSave::ScheduleChanged, form.get(), [this] { ++changes; });
        return *form;
    }

    // A new entry typed into the fields (the window must be shown).
    void TypeEntry(const QString& title, const QString& category = u"업무"_s, QDate first = {}, QDate last = {}) {
        form->txtTitle->setText(title);
        form->cmbCategory->setCurrentText(category);
        form->chkDate->setChecked(first.isValid());
        if (first.isValid()) {
            form->DTPicker1[0]->setDate(first);
            form->DTPicker1[1]->setDate(last.isValid() ? last : first);
        }
    }

    void ClickCell(int col, int row) {
        SpreadGrid* grid = form->spList;
        const QRect r = grid->visualRect(grid->model()->index(row - 1, col - 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    }

    // The text of the floating notice while it is open (read from inside its modal loop).
    void WatchFloatMsg() {
        floatSeen.clear();
        // Tied to the fixture: a notice that never comes must not fire into a later test.
        QTimer::singleShot(100, &timerContext, [this] {
            if (FrmFloatMsg* f = CurrentFloatMsg())
                floatSeen = f->message();
        });
    }

    static inline ScratchDatabase* s_db = nullptr;
    ScopedToday today{kToday};
    ScopedSignedInUser user{kMe};
    ScopedScriptedMessageBoxes boxes;
    int changes = -1; // reports of the window made by Create()
    std::unique_ptr<FrmSave> form;
    QString floatSeen;
    QObject timerContext;
};

TEST(ScheduleStatementTest, InsertAndUpdateTextsPieceByPiece) {
    ScheduleValues v;
    v.owner = u"owner"_s;
    v.title = u"title"_s;
    v.details = u"details"_s;
    v.sdate = u"2024-03-04"_s;
    v.edate = u"2024-03-08"_s;
    v.category = u"category"_s;
    EXPECT_EQ(MakeScheduleInsertSQL(v),
              u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES ( "
              "curdate(),'owner','title','details','2024-03-04','2024-03-08', 0,'category' )"_s);
    EXPECT_EQ(MakeScheduleUpdateSQL(v, 42), u"UPDATE worktide SET title = 'title',details = 'details',sdate = "
                                            "'2024-03-04',edate = '2024-03-08',catename = 'category' WHERE seq = 42"_s);

    // Every text value is escaped; dates empty when there is no period.
    ScheduleValues q{u"O'Neil"_s, u"it's \\n"_s, u"a'b"_s, {}, {}, u"c\\"_s, 1};
    EXPECT_EQ(MakeScheduleInsertSQL(q),
              u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES ( "
              "curdate(),'O''Neil','it''s \\\\n','a''b','','', 1,'c\\\\' )"_s);
    EXPECT_EQ(MakeScheduleUpdateSQL(q, 7), u"UPDATE worktide SET title = 'it''s \\\\n',details = 'a''b',sdate = "
                                           "'',edate = '',catename = 'c\\\\' WHERE seq = 7"_s);
}

TEST(ScheduleStatementTest, UnstorableTextNamesTheField) {
    ScheduleValues ok{kMe, u"회의 준비"_s, u"똠방각하 ①"_s, {}, {}, u"업무"_s, 0};
    EXPECT_EQ(UnstorableTextMessage(ok), QString());
    const struct {
        QString ScheduleValues::*field;
        QString text;
        QString message;
    } cases[] = {
        {&ScheduleValues::title, u"회의 😀"_s, u"제목에 저장할 수 없는 문자가 있습니다: 😀"_s},
        {&ScheduleValues::details, u"𠜎 확인"_s, u"내용에 저장할 수 없는 문자가 있습니다: 𠜎"_s},
        {&ScheduleValues::category, u"업무✅"_s, u"구분에 저장할 수 없는 문자가 있습니다: ✅"_s},
    };
    for (const auto& k : cases) {
        ScheduleValues v = ok;
        v.*(k.field) = k.text;
        EXPECT_EQ(UnstorableTextMessage(v), k.message) << k.text.toStdString();
    }
}

TEST_F(FrmSaveTest, CaptionPickersAndOwnerFromSetParam) {
    Open(u"2026-12-08"_s, true);
    EXPECT_EQ(form->windowTitle(), u"스케줄 추가 / 수정 ( 2026-12-08 화 )"_s);
    EXPECT_EQ(form->Owner(), kMe);
    form->chkDate->setChecked(true);
    EXPECT_EQ(form->DTPicker1[0]->text(), u"2026.12.08 (화)"_s);
    EXPECT_TRUE(form->DTPicker1[0]->calendarPopup());
    // The owner's own categories first, then the shared ones; no "(전체구분)".
    QStringList items;
    for (int i = 0; i < form->cmbCategory->count(); ++i)
        items << form->cmbCategory->itemText(i);
    EXPECT_EQ(items, (QStringList{u"개발"_s, u"(공란)"_s, u"업무"_s, u"ABC"_s, u"R&D's \\ 팀"_s}));
    EXPECT_EQ(form->cmbCategory->currentText(), u"(공란)"_s);
    EXPECT_EQ(changes, 0); // loading changes nothing

    // No day: today's entries, caption left alone.
    const int seq = AddEntry(kMe, u"오늘 일"_s, u"2026-12-01"_s, u"2026-12-31"_s);
    Open(QString());
    EXPECT_EQ(form->windowTitle(), u"스케줄 추가 / 수정"_s);
    EXPECT_EQ(form->WorkDate(), u"2026-12-08"_s);
    EXPECT_EQ(form->CurrentSeq(), seq);
}

TEST_F(FrmSaveTest, NewEntryIsInsertedMirroredAndThenUpdated) {
    Open(u"2026-12-08"_s, true);
    TypeEntry(u"  앞 공백 제목"_s, u"개발"_s, QDate(2026, 12, 8), QDate(2026, 12, 10));
    form->txtMemo->setPlainText(u"첫줄\n둘째줄"_s);
    ASSERT_TRUE(form->IsModified());
    ASSERT_TRUE(form->btnSave->isEnabled());

    WatchFloatMsg();
    ASSERT_TRUE(form->ProcSave()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(floatSeen, u"자료가 저장되었습니다."_s);
    const int seq = form->CurrentSeq();
    ASSERT_GT(seq, 0);
    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(Field(seq, u"devname"_s), kMe);
    EXPECT_EQ(Field(seq, u"title"_s), u"  앞 공백 제목"_s);
    EXPECT_EQ(Field(seq, u"details"_s), u"첫줄\r\n둘째줄"_s);
    EXPECT_EQ(Field(seq, u"sdate"_s), u"2026-12-08"_s);
    EXPECT_EQ(Field(seq, u"edate"_s), u"2026-12-10"_s);
    EXPECT_EQ(Field(seq, u"finished"_s), u"0"_s);
    EXPECT_EQ(Field(seq, u"catename"_s), u"개발"_s);
    EXPECT_EQ(Field(seq, u"wdate = curdate()"_s), u"1"_s);

    SpreadGrid* list = form->spList;
    ASSERT_EQ(list->MaxRows(), 1);
    EXPECT_EQ(list->Text(2, 1), u"개발"_s);
    EXPECT_EQ(list->Text(3, 1), u"  앞 공백 제목"_s);
    EXPECT_EQ(list->Text(4, 1), u"2026-12-08"_s);
    EXPECT_EQ(list->Text(5, 1), u"2026-12-10"_s);
    EXPECT_EQ(list->Text(6, 1), QString::number(seq));
    EXPECT_EQ(list->Text(7, 1), u"첫줄\r\n둘째줄"_s);
    EXPECT_EQ(list->ActiveRow(), 1);
    EXPECT_EQ(list->ActiveCol(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(form->IsModified());
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_TRUE(form->btnNew->isEnabled());
    EXPECT_TRUE(form->btnRecDel->isEnabled());

    // The second save of the same entry updates it.
    form->txtTitle->setText(u"바뀐 제목"_s);
    ASSERT_TRUE(form->ProcSave());
    EXPECT_EQ(RowCount(), 1);
    EXPECT_EQ(form->CurrentSeq(), seq);
    EXPECT_EQ(Field(seq, u"title"_s), u"바뀐 제목"_s);
    EXPECT_EQ(list->MaxRows(), 1);
    EXPECT_EQ(list->Text(3, 1), u"바뀐 제목"_s);

    // Saving again without a change: the server changes no row.
    boxes.clear();
    EXPECT_FALSE(form->ProcSave());
    EXPECT_EQ(boxes.texts(), QStringList{kNoChange});
}

TEST_F(FrmSaveTest, RefusedInputSendsNothing) {
    const struct {
        const char* name;
        QString title;
        QString category;
        QDate first;
        QDate last;
        QString details;
        QString message;
    } cases[] = {
        {"blank title", u"   "_s, u"업무"_s, {}, {}, {}, u"제목이 입력되지 않았습니다."_s},
        {"end before start",
         u"제목"_s,
         u"업무"_s,
         QDate(2026, 12, 9),
         QDate(2026, 12, 8),
         {},
         u"종료일자가 시작일자보다 작습니다."_s},
        {"category case", u"제목"_s, u"abc"_s, {}, {}, {}, u"존재하지 않는 [구분]입니다."_s},
        {"unknown category", u"제목"_s, u"없는구분"_s, {}, {}, {}, u"존재하지 않는 [구분]입니다."_s},
        {"emoji title", u"회의 😀"_s, u"업무"_s, {}, {}, {}, u"제목에 저장할 수 없는 문자가 있습니다: 😀"_s},
        {"ideograph details", u"제목"_s, u"업무"_s, {}, {}, u"𠜎"_s, u"내용에 저장할 수 없는 문자가 있습니다: 𠜎"_s},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Open(u"2026-12-08"_s, true);
        TypeEntry(k.title, k.category, k.first, k.last);
        form->txtMemo->setPlainText(k.details);
        boxes.clear();
        EXPECT_FALSE(form->ProcSave());
        EXPECT_EQ(boxes.texts(), QStringList{k.message});
        EXPECT_EQ(RowCount(), 0);
        EXPECT_EQ(form->CurrentSeq(), 0);
        EXPECT_TRUE(form->IsModified());
        EXPECT_EQ(form->txtTitle->text(), k.title); // input left as typed
        EXPECT_EQ(form->spList->MaxRows(), 0);
    }
}

TEST_F(FrmSaveTest, QuotesBackslashesAndPeriodRules) {
    const struct {
        const char* name;
        QDate first;
        QDate last;
        QString finished;
    } periods[] = {
        {"ended yesterday", QDate(2026, 12, 1), QDate(2026, 12, 7), u"1"_s},
        {"ends today", QDate(2026, 12, 8), QDate(2026, 12, 8), u"1"_s},
        {"ends tomorrow", QDate(2026, 12, 8), QDate(2026, 12, 9), u"0"_s},
        {"no period", {}, {}, u"0"_s},
    };
    for (const auto& k : periods) {
        SCOPED_TRACE(k.name);
        Open(u"2026-12-08"_s, true);
        const QString title = u"O'Brien \\ 'x' \\'"_s;
        TypeEntry(title, u"R&D's \\ 팀"_s, k.first, k.last);
        form->txtMemo->setPlainText(u"경로 C:\\temp\\ 'q'"_s);
        ASSERT_TRUE(form->ProcSave()) << boxes.texts().join(u'|').toStdString();
        const int seq = form->CurrentSeq();
        EXPECT_EQ(Field(seq, u"title"_s), title);
        EXPECT_EQ(Field(seq, u"details"_s), u"경로 C:\\temp\\ 'q'"_s);
        EXPECT_EQ(Field(seq, u"catename"_s), u"R&D's \\ 팀"_s);
        EXPECT_EQ(Field(seq, u"finished"_s), k.finished);
        EXPECT_EQ(form->spList->Text(1, 1), k.finished);
        EXPECT_EQ(Field(seq, u"sdate"_s), k.first.isValid() ? k.first.toString(u"yyyy-MM-dd"_s) : QString());
        EXPECT_EQ(Field(seq, u"edate"_s), k.last.isValid() ? k.last.toString(u"yyyy-MM-dd"_s) : QString());
    }
    // With no period the end-before-start check does not apply.
    Open(u"2026-12-08"_s, true);
    TypeEntry(u"기간 없음"_s);
    form->DTPicker1[0]->setDate(QDate(2026, 12, 9));
    form->DTPicker1[1]->setDate(QDate(2026, 12, 1));
    EXPECT_TRUE(form->ProcSave());
}

TEST_F(FrmSaveTest, FailedStatementIsAFailure) {
    const int seq = AddEntry(kMe, u"원래 제목"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Open(u"2026-12-08"_s);
    ASSERT_EQ(form->CurrentSeq(), seq);
    form->txtTitle->setText(u"새 제목"_s);
    db().exec(u"RENAME TABLE worktide TO worktide_away"_s);
    boxes.clear();
    WatchFloatMsg();
    const bool saved = form->ProcSave();
    db().exec(u"RENAME TABLE worktide_away TO worktide"_s);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(floatSeen.isEmpty());
    ASSERT_EQ(boxes.shown().size(), 1); // only the server's own message
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(u"Error "_s)) << boxes.shown()[0].text.toStdString();
    EXPECT_EQ(form->CurrentSeq(), seq);
    EXPECT_EQ(form->spList->Text(3, 1), u"원래 제목"_s);
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(changes, 0);

    // A new entry: no row appears in the list and it stays new.
    Open(u"2026-12-08"_s, true);
    TypeEntry(u"새 일정"_s);
    db().exec(u"RENAME TABLE worktide TO worktide_away"_s);
    const bool inserted = form->ProcSave();
    db().exec(u"RENAME TABLE worktide_away TO worktide"_s);
    EXPECT_FALSE(inserted);
    EXPECT_EQ(form->CurrentSeq(), 0);
    EXPECT_EQ(form->spList->MaxRows(), 0);
}

TEST_F(FrmSaveTest, LoadingRowsNeverDirtiesTheWindow) {
    const int a = AddEntry(kMe, u"첫째"_s, u"2026-12-01"_s, u"2026-12-09"_s, 0, u"내용1\r\n둘"_s, u"개발"_s);
    const int b = AddEntry(kMe, u"둘째"_s, u"2026-12-08"_s, u"2026-12-08"_s, 1, u"내용2"_s);
    AddEntry(u"다른사람"_s, u"남의 일"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    AddEntry(kMe, u"지난 일"_s, u"2026-11-01"_s, u"2026-11-02"_s);
    const int undated = AddEntry(kMe, u"날짜 없음"_s, QString(), QString());

    Open(u"2026-12-08"_s);
    SpreadGrid* list = form->spList;
    ASSERT_EQ(list->MaxRows(), 2);
    EXPECT_EQ(list->Text(6, 1), QString::number(a));
    EXPECT_EQ(list->Text(6, 2), QString::number(b));
    EXPECT_EQ(form->CurrentSeq(), a);
    EXPECT_EQ(form->txtTitle->text(), u"첫째"_s);
    EXPECT_EQ(form->cmbCategory->currentText(), u"개발"_s);
    EXPECT_TRUE(form->chkDate->isChecked());
    EXPECT_EQ(form->DTPicker1[0]->date(), QDate(2026, 12, 1));
    EXPECT_EQ(form->DTPicker1[1]->date(), QDate(2026, 12, 9));
    EXPECT_FALSE(form->IsModified());
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_TRUE(form->btnNew->isEnabled());
    EXPECT_TRUE(form->btnRecDel->isEnabled());

    // Moving within the row reloads nothing; moving down loads row 2, still clean.
    form->txtMemo->setFocus();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Right);
    EXPECT_EQ(form->CurrentSeq(), a);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->ActiveRow(), 2);
    EXPECT_EQ(form->CurrentSeq(), b);
    EXPECT_EQ(form->txtTitle->text(), u"둘째"_s);
    EXPECT_FALSE(form->IsModified());
    EXPECT_FALSE(form->btnSave->isEnabled());

    // Loaded details come back unchanged: an untouched save changes nothing.
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(form->CurrentSeq(), a);
    boxes.clear();
    EXPECT_FALSE(form->ProcSave());
    EXPECT_EQ(boxes.texts(), QStringList{kNoChange});

    // The first keystroke dirties it.
    QTest::keyClick(form->txtTitle, Qt::Key_X);
    EXPECT_TRUE(form->IsModified());
    EXPECT_TRUE(form->btnSave->isEnabled());

    // One entry by seq, whatever its dates; without sdate the period is off and hidden.
    Open(u"2026-12-08"_s, false, undated);
    ASSERT_EQ(form->spList->MaxRows(), 1);
    EXPECT_EQ(form->CurrentSeq(), undated);
    EXPECT_FALSE(form->chkDate->isChecked());
    EXPECT_TRUE(form->DTPicker1[0]->isHidden());
    EXPECT_TRUE(form->DTPicker1[1]->isHidden());
    EXPECT_TRUE(form->btnToday->isHidden());
    EXPECT_FALSE(form->IsModified());
}

TEST_F(FrmSaveTest, EmptyDayFloatsOnlyWhileVisible) {
    Create();
    form->SetParam(u"2026-12-08"_s);
    EXPECT_EQ(boxes.shown().size(), 0);
    form->show();
    form->txtTitle->setText(u"입력중"_s);
    WatchFloatMsg();
    form->RefreshSheet(0);
    EXPECT_EQ(floatSeen, u"검색된 결과가 없습니다."_s);
    EXPECT_TRUE(form->txtTitle->text().isEmpty());
    EXPECT_EQ(form->cmbCategory->currentText(), u"(공란)"_s);
    EXPECT_FALSE(form->IsModified());
}

TEST_F(FrmSaveTest, CompletionToggleInTheList) {
    const int a = AddEntry(kMe, u"첫째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    const int b = AddEntry(kMe, u"둘째"_s, u"2026-12-08"_s, u"2026-12-09"_s);
    Open(u"2026-12-08"_s);
    form->txtTitle->setText(u"첫째 수정중"_s);

    ClickCell(1, 1);
    EXPECT_EQ(Field(a, u"finished"_s), u"1"_s);
    EXPECT_EQ(form->spList->Text(1, 1), u"1"_s);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(form->IsModified()); // the toggle leaves the input alone
    EXPECT_EQ(form->txtTitle->text(), u"첫째 수정중"_s);
    ClickCell(1, 1);
    EXPECT_EQ(Field(a, u"finished"_s), u"0"_s);
    EXPECT_EQ(form->spList->Text(1, 1), u"0"_s);

    // An entry deleted behind the window's back: said so, and the cell stays.
    db().exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(b));
    boxes.clear();
    boxes.queueAnswer(vbNo); // leave the typed input unsaved when the cursor moves
    ClickCell(1, 2);
    EXPECT_EQ(boxes.texts(), (QStringList{kUnsaved, u"다른 곳에서 삭제된 일정입니다."_s}));
    EXPECT_EQ(form->spList->Text(1, 2), u"0"_s);
}

TEST_F(FrmSaveTest, DeleteAsksWithNoAsDefaultAndCloses) {
    const int a = AddEntry(kMe, u"첫째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    const int b = AddEntry(kMe, u"둘째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Open(u"2026-12-08"_s);
    form->setFocus();

    // Enter on the question means No.
    QTest::keyClick(form->txtTitle, Qt::Key_F4);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, u"선택된 자료를 정말로 삭제 하시겠습니까?"_s);
    EXPECT_EQ(MsgDefaultOf(boxes.shown()[0].style), vbDefaultButton2);
    EXPECT_EQ(RowCount(), 2);
    EXPECT_TRUE(form->isVisible());

    // Unsaved edits answered No: the entry goes, and nothing asks about it again.
    form->txtTitle->setText(u"고쳤지만 지울 것"_s);
    boxes.clear();
    boxes.queueAnswer(vbNo);
    boxes.queueAnswer(vbYes);
    form->btnRecDel_Click();
    EXPECT_EQ(boxes.texts(), (QStringList{kUnsaved, u"선택된 자료를 정말로 삭제 하시겠습니까?"_s}));
    EXPECT_EQ(Field(a, u"seq"_s), QString());
    EXPECT_EQ(Field(b, u"seq"_s), QString::number(b));
    EXPECT_EQ(form->spList->MaxRows(), 1);
    EXPECT_EQ(form->spList->Text(6, 1), QString::number(b));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FrmSaveTest, F4OnANewEntryDeletesNothing) {
    AddEntry(kMe, u"남는 일정"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Open(u"2026-12-08"_s, true);
    EXPECT_FALSE(form->btnRecDel->isEnabled());
    boxes.queueAnswer(vbYes);
    QTest::keyClick(form->txtTitle, Qt::Key_F4);
    EXPECT_EQ(boxes.texts(), (QStringList{u"선택된 자료를 정말로 삭제 하시겠습니까?"_s,
                                          u"자료를 삭제 할 수 없습니다.\r\n\r\n이미 삭제되었거나, 삭제할 수 없는 "
                                          "경우가 발생했습니다."_s}));
    EXPECT_EQ(RowCount(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(changes, 0);
}

TEST_F(FrmSaveTest, UnsavedQuestionFromNewDeleteAndClose) {
    const int seq = AddEntry(kMe, u"원래"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    auto dirty = [&](const QString& title) {
        Open(u"2026-12-08"_s);
        form->txtTitle->setText(title);
        ASSERT_TRUE(form->IsModified());
        boxes.clear();
    };
    auto asked = [&] {
        ASSERT_FALSE(boxes.shown().isEmpty());
        EXPECT_EQ(boxes.shown()[0].text, kUnsaved);
        EXPECT_EQ(boxes.shown()[0].style, vbYesNoCancel | vbQuestion);
        EXPECT_EQ(boxes.shown()[0].title, gAppTitle);
    };

    // New: Cancel keeps everything, No drops the edit, Yes saves first.
    dirty(u"고친 제목"_s);
    boxes.queueAnswer(vbCancel);
    form->btnNew_Click();
    asked();
    EXPECT_EQ(form->CurrentSeq(), seq);
    EXPECT_EQ(form->txtTitle->text(), u"고친 제목"_s);
    boxes.clear();
    boxes.queueAnswer(vbNo);
    form->btnNew_Click();
    asked();
    EXPECT_EQ(form->CurrentSeq(), 0);
    EXPECT_TRUE(form->txtTitle->text().isEmpty());
    EXPECT_FALSE(form->btnNew->isEnabled());
    EXPECT_FALSE(form->btnRecDel->isEnabled());
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_FALSE(form->IsModified());
    EXPECT_EQ(Field(seq, u"title"_s), u"원래"_s);
    dirty(u"새로 만들기 전 저장"_s);
    boxes.queueAnswer(vbYes);
    form->btnNew_Click();
    asked();
    EXPECT_EQ(Field(seq, u"title"_s), u"새로 만들기 전 저장"_s);
    EXPECT_EQ(form->CurrentSeq(), 0);

    // Delete: Cancel stops before the delete question; Yes with a failing save stops too.
    dirty(u"삭제 전"_s);
    boxes.queueAnswer(vbCancel);
    form->btnRecDel_Click();
    asked();
    EXPECT_EQ(boxes.shown().size(), 1);
    form->txtTitle->setText(u"  "_s);
    boxes.clear();
    boxes.queueAnswer(vbYes);
    form->btnRecDel_Click();
    asked();
    EXPECT_EQ(boxes.texts(), (QStringList{kUnsaved, u"제목이 입력되지 않았습니다."_s}));
    EXPECT_EQ(RowCount(), 1);

    // Close: Cancel stays, a failed save stays with the text as typed, No closes unsaved.
    dirty(u"닫기 전"_s);
    boxes.queueAnswer(vbCancel);
    form->close();
    asked();
    EXPECT_TRUE(form->isVisible());
    form->txtTitle->setText(u"회의 😀"_s);
    boxes.clear();
    boxes.queueAnswer(vbYes);
    QTest::keyClick(form->txtMemo, Qt::Key_Escape);
    asked();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->txtTitle->text(), u"회의 😀"_s);
    EXPECT_TRUE(form->IsModified());
    boxes.clear();
    boxes.queueAnswer(vbNo);
    form->btnClose_Click();
    asked();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"새로 만들기 전 저장"_s);

    // Close with Yes saves, then closes.
    dirty(u"닫으며 저장"_s);
    boxes.queueAnswer(vbYes);
    form->close();
    asked();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"닫으며 저장"_s);

    // A clean window closes without a question.
    Open(u"2026-12-08"_s);
    boxes.clear();
    form->close();
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FrmSaveTest, MovingToAnotherRowAsksBeforeDroppingInput) {
    const int a = AddEntry(kMe, u"첫째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    const int b = AddEntry(kMe, u"둘째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Open(u"2026-12-08"_s);
    form->txtTitle->setText(u"첫째 고침"_s);
    form->spList->setFocus();

    boxes.queueAnswer(vbCancel);
    QTest::keyClick(form->spList, Qt::Key_Down);
    EXPECT_EQ(form->spList->ActiveRow(), 1);
    EXPECT_EQ(form->txtTitle->text(), u"첫째 고침"_s);

    boxes.queueAnswer(vbYes);
    QTest::keyClick(form->spList, Qt::Key_Down);
    EXPECT_EQ(Field(a, u"title"_s), u"첫째 고침"_s);
    EXPECT_EQ(form->spList->Text(3, 1), u"첫째 고침"_s);
    EXPECT_EQ(form->spList->ActiveRow(), 2);
    EXPECT_EQ(form->CurrentSeq(), b);
    EXPECT_EQ(form->txtTitle->text(), u"둘째"_s);
    EXPECT_FALSE(form->IsModified());
}

TEST_F(FrmSaveTest, F2SavesAndClosesEnterMovesOn) {
    Open(u"2026-12-08"_s, true);
    form->txtTitle->setFocus();
    TypeEntry(u"키보드로 저장"_s, u"업무"_s, QDate(2026, 12, 10), QDate(2026, 12, 11));

    // Enter in the title goes on to the next field instead of pressing a button.
    QTest::keyClick(form->txtTitle, Qt::Key_Return);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_NE(QApplication::focusWidget(), form->txtTitle);
    // So it does in the fields that type into a line edit of their own, and in no other.
    const QList<QWidget*> fields{form->cmbCategory->lineEdit(), form->DTPicker1[0], form->DTPicker1[1]};
    for (QWidget* field : fields) {
        field->setFocus();
        QWidget* before = QApplication::focusWidget();
        QTest::keyClick(before, Qt::Key_Return);
        EXPECT_NE(QApplication::focusWidget(), before) << field->objectName().toStdString();
    }
    EXPECT_EQ(form->cmbCategory->count(), 5); // the typed category was not added to the list
    form->txtMemo->setFocus();
    QTest::keyClick(form->txtMemo, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->txtMemo);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"\n"_s);
    form->txtMemo->clear();
    EXPECT_EQ(RowCount(), 0);

    QTest::keyClick(form->txtTitle, Qt::Key_F2);
    EXPECT_EQ(RowCount(), 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(changes, 1);

    // btnToday puts both pickers on today and counts as an edit.
    Open(u"2026-12-20"_s, true);
    form->chkDate->setChecked(true);
    form->btnToday->click();
    EXPECT_EQ(form->DTPicker1[0]->date(), kToday);
    EXPECT_EQ(form->DTPicker1[1]->date(), kToday);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

// A coworker on a second connection (an older client: plain statements of its own).
const QString kChanged = u"다른 곳에서 이 일정이 수정되었습니다. 덮어쓸까요?"_s;
const QString kGone = u"다른 곳에서 삭제된 일정입니다."_s;

// Rows read back exactly as loaded are not "changed" (Korean text, trailing blanks the
// connection drops, NULL details, no period), nor after this editor's own save of them.
TEST_F(FrmSaveTest, UnchangedEntriesSaveWithoutAQuestion) {
    const int a = AddEntry(kMe, u"회의 준비  "_s, u"2026-12-08"_s, u"2026-12-08"_s, 0, u"첫 줄\r\n똠방각하 "_s);
    const int b = AddEntry(kMe, u"기간 없음"_s, {}, {});
    db().exec(u"UPDATE worktide SET details = NULL WHERE seq = %1"_s.arg(b));
    for (const int seq : {a, b}) {
        Open(u"2026-12-08"_s, false, seq);
        for (const QString& add : {u" 수정  "_s, u"또 "_s}) {
            form->txtTitle->setText(form->txtTitle->text() + add);
            boxes.clear();
            EXPECT_TRUE(form->ProcSave());
            EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
            EXPECT_TRUE(Field(seq, u"title"_s).endsWith(add));
        }
    }
}

// Every column an update writes is compared; completion (never written here) is not.
TEST_F(FrmSaveTest, AChangeElsewhereToAnyWrittenColumnIsCaught) {
    const struct {
        const char* set;
        bool caught;
    } edits[] = {{"title = '남이 고친 제목'", true}, {"details = NULL", true},   {"sdate = '2026-12-07'", true},
                 {"edate = '2026-12-09'", true},     {"catename = 'ABC'", true}, {"finished = 1", false},
                 {"title = '원래 제목 '", false}}; // trailing blanks never survive a read
    for (const auto& k : edits) {
        SCOPED_TRACE(k.set);
        db().exec(u"DELETE FROM worktide"_s);
        const int seq = AddEntry(kMe, u"원래 제목"_s, u"2026-12-08"_s, u"2026-12-08"_s, 0, u"내용"_s);
        Open(u"2026-12-08"_s, false, seq);
        form->txtMemo->setPlainText(u"내가 쓴 내용"_s);
        db().exec(u"UPDATE worktide SET %1 WHERE seq = %2"_s.arg(QString::fromUtf8(k.set)).arg(seq));
        boxes.clear();
        boxes.queueAnswer(vbCancel);
        EXPECT_EQ(form->ProcSave(), !k.caught);
        EXPECT_EQ(boxes.texts(), k.caught ? QStringList{kChanged} : QStringList{});
        EXPECT_EQ(Field(seq, u"details"_s) == u"내가 쓴 내용"_s, !k.caught);
    }
}

TEST_F(FrmSaveTest, TheThreeAnswersToAnEntryChangedElsewhere) {
    const int seq = AddEntry(kMe, u"주간 회의"_s, u"2026-12-08"_s, u"2026-12-08"_s, 0, u"안건"_s, u"개발"_s);
    const QString theirs = u"UPDATE worktide SET title = '주간 회의 (장소 변경)', details = '3층', "
                           "sdate = '2026-12-09', edate = '2026-12-10', catename = '업무' WHERE seq = %1"_s.arg(seq);
    auto typeMineThenTheirs = [&] {
        db().exec(u"UPDATE worktide SET title = '주간 회의', details = '안건', sdate = '2026-12-08', "
                  "edate = '2026-12-08', catename = '개발' WHERE seq = %1"_s.arg(seq));
        Open(u"2026-12-08"_s, false, seq);
        form->txtTitle->setText(u"주간 회의 - 내 메모"_s);
        form->txtMemo->setPlainText(u"안건\n자료 준비"_s);
        db().exec(theirs);
        boxes.clear();
        QGuiApplication::clipboard()->setText(u"전에 복사한 것"_s);
    };

    // Cancel: nothing written, my input stays unsaved. Cancel is the default button.
    typeMineThenTheirs();
    form->btnSave_Click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, kChanged);
    EXPECT_EQ(boxes.shown()[0].style, vbYesNoCancel | vbQuestion | vbDefaultButton3);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 (장소 변경)"_s);
    EXPECT_EQ(form->txtTitle->text(), u"주간 회의 - 내 메모"_s);
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"전에 복사한 것"_s);

    // Yes: mine is stored as an ordinary save stores it.
    boxes.queueAnswer(vbYes);
    form->btnSave_Click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 - 내 메모"_s);
    EXPECT_EQ(Field(seq, u"details"_s), u"안건\r\n자료 준비"_s);
    EXPECT_EQ(Field(seq, u"sdate"_s) + Field(seq, u"catename"_s), u"2026-12-08개발"_s);

    // No: theirs is loaded, clean; mine is on the clipboard and repeated in the notice.
    typeMineThenTheirs();
    boxes.queueAnswer(vbNo);
    form->btnSave_Click();
    EXPECT_EQ(boxes.texts(), (QStringList{kChanged, u"입력하신 제목과 내용은 클립보드에 복사해 두었습니다.\r\n\r\n"
                                                    "주간 회의 - 내 메모\r\n안건\r\n자료 준비"_s}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 (장소 변경)"_s);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"주간 회의 - 내 메모\n안건\n자료 준비"_s);
    EXPECT_EQ(form->txtTitle->text(), u"주간 회의 (장소 변경)"_s);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"3층"_s);
    EXPECT_EQ(form->cmbCategory->currentText(), u"업무"_s);
    EXPECT_EQ(form->DTPicker1[0]->date(), QDate(2026, 12, 9));
    EXPECT_EQ(form->DTPicker1[1]->date(), QDate(2026, 12, 10));
    EXPECT_EQ(form->spList->Text(3, 1), u"주간 회의 (장소 변경)"_s);
    EXPECT_FALSE(form->IsModified());
    // Theirs is now what was loaded: an edit on top of it saves without a question.
    form->txtTitle->setText(u"확인함"_s);
    boxes.clear();
    EXPECT_TRUE(form->ProcSave());
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(Field(seq, u"title"_s) + Field(seq, u"details"_s), u"확인함3층"_s);
}

// Message boxes that let a coworker act while one is open, as a person takes a while to answer.
class BoxesWhileOpen : public ScriptedMessageBoxes {
public:
    std::function<void(const QString&)> onOpen;
    int msgBox(const QString& text, int style, const QString& title) override {
        if (onOpen)
            onOpen(text);
        return ScriptedMessageBoxes::msgBox(text, style, title);
    }
};

// A coworker saves the entry again while "덮어쓸까요?" is open. Nothing is held while the
// question is open (their save goes through at once), and a Yes overwrites only what was
// shown: the newer change is found and asked about again, never silently overwritten.
TEST_F(FrmSaveTest, AChangeLandingWhileTheQuestionIsOpenIsAskedAgain) {
    const int seq = AddEntry(kMe, u"회의"_s, u"2026-12-08"_s, u"2026-12-08"_s, 0, u"안건"_s);
    BoxesWhileOpen hooked;
    SetMessageBoxes(&hooked);
    int coworkerSaves = 0;
    const auto coworkerSavesAgain = [&](const QString& text) {
        // Their client gives up after a second if the row is held.
        if (text == kChanged && coworkerSaves < 2)
            db().exec(u"SET SESSION innodb_lock_wait_timeout = 1; UPDATE worktide SET title = '회의 (변경 %1)' "
                      "WHERE seq = %2"_s.arg(++coworkerSaves + 1)
                          .arg(seq));
    };
    for (const int lastAnswer : {vbNo, vbYes}) {
        SCOPED_TRACE(lastAnswer);
        coworkerSaves = 0;
        db().exec(u"UPDATE worktide SET title = '회의' WHERE seq = %1"_s.arg(seq));
        Open(u"2026-12-08"_s, false, seq);
        form->txtTitle->setText(u"회의 - 내 것"_s);
        db().exec(u"UPDATE worktide SET title = '회의 (변경 1)' WHERE seq = %1"_s.arg(seq));
        hooked.clear();
        hooked.onOpen = coworkerSavesAgain;
        // Yes to "(변경 1)", Yes to "(변경 2)" that came meanwhile, then the last answer to "(변경 3)".
        hooked.queueAnswer(vbYes);
        hooked.queueAnswer(vbYes);
        hooked.queueAnswer(lastAnswer);
        EXPECT_EQ(form->ProcSave(), lastAnswer == vbYes);
        hooked.onOpen = nullptr;
        EXPECT_EQ(coworkerSaves, 2);
        const QStringList texts = hooked.texts();
        ASSERT_GE(texts.size(), 3);
        EXPECT_EQ(texts.mid(0, 3), (QStringList{kChanged, kChanged, kChanged}));
        if (lastAnswer == vbNo) {
            // Theirs, the latest, is what the editor shows now; mine went to the clipboard.
            EXPECT_EQ(Field(seq, u"title"_s), u"회의 (변경 3)"_s);
            EXPECT_EQ(form->txtTitle->text(), u"회의 (변경 3)"_s);
            EXPECT_EQ(QGuiApplication::clipboard()->text(), u"회의 - 내 것\n안건"_s);
        } else {
            EXPECT_EQ(texts.size(), 3);
            EXPECT_EQ(Field(seq, u"title"_s), u"회의 - 내 것"_s);
        }
        EXPECT_EQ(RowCount(), 1);
    }
    SetMessageBoxes(&boxes);
}

TEST_F(FrmSaveTest, AnEntryDeletedElsewhereCanBeSavedAgainAsNew) {
    const int other = AddEntry(kMe, u"남는 일정"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    const int seq = AddEntry(kMe, u"지워질 일정"_s, u"2026-12-08"_s, u"2026-12-08"_s, 0, u"내용"_s);
    Open(u"2026-12-08"_s);
    form->spList->SetActiveCell(1, 2);
    form->ShowRow(2);
    ASSERT_EQ(form->CurrentSeq(), seq);
    form->txtTitle->setText(u"고친 일정"_s);
    db().exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(seq));
    const QString asked = kGone + u"\r\n\r\n새 일정으로 저장하시겠습니까?"_s;

    // Declined: nothing written, the editor keeps the typed entry.
    boxes.queueAnswer(vbNo);
    form->btnSave_Click();
    EXPECT_EQ(boxes.texts(), QStringList{asked});
    EXPECT_EQ(RowCount(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->txtTitle->text(), u"고친 일정"_s);
    EXPECT_TRUE(form->IsModified());

    // Accepted: exactly one new row with my text, in the old row's place in the list.
    boxes.clear();
    boxes.queueAnswer(vbYes);
    ASSERT_TRUE(form->ProcSave());
    EXPECT_EQ(boxes.texts(), QStringList{asked});
    EXPECT_EQ(RowCount(), 2);
    const int again = form->CurrentSeq();
    EXPECT_EQ(db().scalar(u"SELECT seq FROM worktide WHERE title = '고친 일정'"_s), QString::number(again));
    EXPECT_EQ(Field(again, u"devname"_s) + Field(again, u"details"_s), kMe + u"내용"_s);
    EXPECT_EQ(Field(again, u"finished"_s), u"1"_s); // as any new entry ending today
    EXPECT_EQ(Field(other, u"title"_s), u"남는 일정"_s);
    ASSERT_EQ(form->spList->MaxRows(), 2);
    EXPECT_EQ(form->spList->Text(6, 2), QString::number(again));
    EXPECT_EQ(form->spList->Text(1, 2), u"1"_s);
    form->txtTitle->setText(u"다시 고침"_s);
    boxes.clear();
    EXPECT_TRUE(form->ProcSave());
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(RowCount(), 2);
}

TEST_F(FrmSaveTest, ToggleAndDeleteOfARowAlreadyGoneOrAlreadySet) {
    const int a = AddEntry(kMe, u"첫째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    AddEntry(kMe, u"둘째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    const int c = AddEntry(kMe, u"셋째"_s, u"2026-12-08"_s, u"2026-12-08"_s);
    Open(u"2026-12-08"_s);
    // Completed elsewhere already: the cell shows the stored state, nothing to report.
    db().exec(u"UPDATE worktide SET finished = 1 WHERE seq = %1"_s.arg(a));
    ClickCell(1, 1);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(form->spList->Text(1, 1), u"1"_s);

    // Deleted elsewhere: the delete says so, with no "deleted" notice, and nothing else goes.
    form->spList->SetActiveCell(1, 3);
    form->ShowRow(3);
    ASSERT_EQ(form->CurrentSeq(), c);
    db().exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(c));
    boxes.queueAnswer(vbYes);
    WatchFloatMsg();
    form->btnRecDel_Click();
    EXPECT_EQ(boxes.texts(), (QStringList{u"선택된 자료를 정말로 삭제 하시겠습니까?"_s, kGone}));
    EXPECT_TRUE(floatSeen.isEmpty()) << floatSeen.toStdString();
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(form->spList->MaxRows(), 2);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace worktide
