// The editor against a coworker on a second connection: a save notices an entry changed
// or deleted since it was loaded, and the toggle and delete name a row already gone.
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/shared/FrmFloatMsg.h"
#include "ui/shared/modFloatMsg.h"
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

#include <memory>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::ScratchDatabase;

const QString kMe = u"김하늘"_s;
const QString kChanged = u"다른 곳에서 이 일정이 수정되었습니다. 덮어쓸까요?"_s;
const QString kGone = u"다른 곳에서 삭제된 일정입니다."_s;
const QString kGoneSaveAsNew = u"다른 곳에서 삭제된 일정입니다.\r\n\r\n새 일정으로 저장하시겠습니까?"_s;
const QString kOnClipboard = u"입력하신 제목과 내용은 클립보드에 복사해 두었습니다."_s;
const QString kNoChange = u"수정된 내용이 없거나, 자료저장을 실패하였습니다."_s;

class FrmSaveConflictTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = new ScratchDatabase(u"frmsave_conflict"_s); }
    static void TearDownTestSuite() {
        delete s_db;
        s_db = nullptr;
    }

    void SetUp() override {
        coworker().truncateAll();
        coworker().exec(u"INSERT INTO worktide_cate (catename, devname, ordpos) VALUES "
                        "('(공란)','*',0), ('업무','*',1), ('개발','김하늘',1)"_s);
        ASSERT_TRUE(coworker().connectGlobal());
        SetToday(QDate(2026, 12, 8));
        m_savedUser = gUserName;
        gUserName = kMe;
        QGuiApplication::clipboard()->setText(u"전에 복사한 것"_s);
    }

    void TearDown() override {
        form.reset();
        DBClose();
        SetToday({});
        gUserName = m_savedUser;
    }

    // The coworker's own connection, never the program's gDB.
    static ScratchDatabase& coworker() { return *s_db; }

    int AddEntry(const QString& title, const QString& details = u"'내용'"_s, const QString& sdate = u"2026-12-08"_s,
                 const QString& edate = u"2026-12-08"_s) {
        // details is SQL: a quoted text or NULL.
        coworker().exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                        "VALUES (curdate(),'%1','%2',%3,'%4','%5',0,'개발')"_s.arg(kMe, title, details, sdate, edate));
        return coworker().scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }
    QString Field(int seq, const QString& column) const {
        return coworker().scalar(u"SELECT %1 FROM worktide WHERE seq = %2"_s.arg(column).arg(seq));
    }
    int Count(const QString& where = u"1"_s) const {
        return coworker().scalar(u"SELECT COUNT(*) FROM worktide WHERE "_s + where).toInt();
    }

    FrmSave& Open(int seq = 0) {
        form = std::make_unique<FrmSave>(nullptr);
        form->SetParam(u"2026-12-08"_s, false, seq);
        form->show();
        return *form;
    }

    void ClickCell(int col, int row) {
        SpreadGrid* grid = form->spList;
        const QRect r = grid->visualRect(grid->model()->index(row - 1, col - 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    }

    void WatchFloatMsg() {
        floatSeen.clear();
        QTimer::singleShot(100, &timerContext, [this] {
            if (FrmFloatMsg* f = CurrentFloatMsg())
                floatSeen = f->message();
        });
    }

    static inline ScratchDatabase* s_db = nullptr;
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<FrmSave> form;
    QString floatSeen;
    QObject timerContext;

private:
    QString m_savedUser;
};

// Rows read back exactly as the editor loaded them are not "changed": Korean text,
// trailing blanks (which the connection drops), NULL details, CR LF, no period; also
// after the editor's own save of such text.
TEST_F(FrmSaveConflictTest, UnchangedEntriesSaveWithoutAQuestion) {
    const int a = AddEntry(u"회의 준비  "_s, u"'첫 줄\r\n둘째 줄 똠방각하 '"_s);
    const int b = AddEntry(u"내용 없음"_s, u"NULL"_s, QString(), QString());
    for (const int seq : {a, b}) {
        SCOPED_TRACE(seq);
        Open(seq);
        ASSERT_EQ(form->CurrentSeq(), seq);
        form->txtTitle->setText(form->txtTitle->text() + u" 수정  "_s);
        boxes.clear();
        ASSERT_TRUE(form->ProcSave()) << boxes.texts().join(u'|').toStdString();
        EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
        EXPECT_TRUE(Field(seq, u"title"_s).endsWith(u" 수정  "_s));

        // A second save: what this editor stored itself is what it compares with.
        form->txtTitle->setText(form->txtTitle->text() + u"또 "_s);
        ASSERT_TRUE(form->ProcSave()) << boxes.texts().join(u'|').toStdString();
        EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
        EXPECT_TRUE(Field(seq, u"title"_s).endsWith(u" 수정  또 "_s));
    }
    EXPECT_EQ(Field(a, u"details"_s), u"첫 줄\r\n둘째 줄 똠방각하"_s);
    // Nothing changed at all: still today's answer, no question.
    Open(AddEntry(u"변경 없음"_s, u"'그대로\r\n둘째 줄'"_s));
    boxes.clear();
    EXPECT_FALSE(form->ProcSave());
    EXPECT_EQ(boxes.texts(), QStringList{kNoChange});
}

// Each column an update writes is compared, whoever changed it; completion is not one
// of them (the editor never writes it).
TEST_F(FrmSaveConflictTest, AChangeToAnyWrittenColumnIsCaught) {
    const struct {
        const char* set;
        bool caught;
    } changes[] = {
        {"title = '남이 고친 제목'", true},
        {"details = '남이 고친 내용'", true},
        {"details = NULL", true},
        {"sdate = '2026-12-07'", true},
        {"edate = '2026-12-09'", true},
        {"catename = '업무'", true},
        {"title = '원래 제목 '", false}, // trailing blanks do not survive a read: the same text
        {"finished = 1", false},
    };
    for (const auto& k : changes) {
        SCOPED_TRACE(k.set);
        coworker().exec(u"DELETE FROM worktide"_s);
        const int seq = AddEntry(u"원래 제목"_s);
        Open(seq);
        form->txtMemo->setPlainText(u"내가 쓴 내용"_s);
        // An older client: one plain UPDATE of its own.
        coworker().exec(u"UPDATE worktide SET "_s + QString::fromUtf8(k.set) + u" WHERE seq = "_s +
                        QString::number(seq));
        boxes.clear();
        boxes.queueAnswer(vbCancel);
        const bool saved = form->ProcSave();
        EXPECT_EQ(saved, !k.caught);
        EXPECT_EQ(boxes.texts(), k.caught ? QStringList{kChanged} : QStringList{});
        EXPECT_EQ(Field(seq, u"details"_s) == u"내가 쓴 내용"_s, !k.caught);
    }
}

TEST_F(FrmSaveConflictTest, TheThreeAnswersToAChangedEntry) {
    const int seq = AddEntry(u"주간 회의"_s, u"'안건 정리'"_s);
    const QString theirs = u"UPDATE worktide SET title = '주간 회의 (장소 변경)', details = '3층 회의실', "
                           "sdate = '2026-12-09', edate = '2026-12-10', catename = '업무' WHERE seq = %1"_s.arg(seq);
    auto typeMine = [&] {
        Open(seq);
        form->txtTitle->setText(u"주간 회의 - 내 메모"_s);
        form->txtMemo->setPlainText(u"안건 정리\n자료 준비"_s);
        boxes.clear();
    };

    // Cancel: nothing written, my input stays and stays unsaved.
    typeMine();
    coworker().exec(theirs);
    boxes.queueAnswer(vbCancel);
    form->btnSave_Click();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown()[0].text, kChanged);
    EXPECT_EQ(boxes.shown()[0].style, vbYesNoCancel | vbQuestion | vbDefaultButton3);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 (장소 변경)"_s);
    EXPECT_EQ(form->txtTitle->text(), u"주간 회의 - 내 메모"_s);
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"전에 복사한 것"_s);

    // Yes: mine is stored, exactly as an ordinary save stores it.
    boxes.clear();
    boxes.queueAnswer(vbYes);
    form->btnSave_Click();
    EXPECT_EQ(boxes.texts(), QStringList{kChanged});
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 - 내 메모"_s);
    EXPECT_EQ(Field(seq, u"details"_s), u"안건 정리\r\n자료 준비"_s);
    EXPECT_EQ(Field(seq, u"sdate"_s), u"2026-12-08"_s);
    EXPECT_EQ(Field(seq, u"catename"_s), u"개발"_s);

    // No: theirs is loaded, clean; mine is on the clipboard and in the notice.
    coworker().exec(u"UPDATE worktide SET title = '주간 회의', details = '안건 정리', sdate = '2026-12-08', "
                    "edate = '2026-12-08', catename = '개발' WHERE seq = %1"_s.arg(seq));
    typeMine();
    coworker().exec(theirs);
    boxes.queueAnswer(vbNo);
    form->btnSave_Click();
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[0].text, kChanged);
    EXPECT_EQ(boxes.shown()[1].text, kOnClipboard + u"\r\n\r\n주간 회의 - 내 메모\r\n안건 정리\r\n자료 준비"_s);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 (장소 변경)"_s);
    EXPECT_EQ(Field(seq, u"details"_s), u"3층 회의실"_s);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"주간 회의 - 내 메모\n안건 정리\n자료 준비"_s);
    EXPECT_EQ(form->CurrentSeq(), seq);
    EXPECT_EQ(form->txtTitle->text(), u"주간 회의 (장소 변경)"_s);
    EXPECT_EQ(form->txtMemo->toPlainText(), u"3층 회의실"_s);
    EXPECT_EQ(form->cmbCategory->currentText(), u"업무"_s);
    EXPECT_EQ(form->DTPicker1[0]->date(), QDate(2026, 12, 9));
    EXPECT_EQ(form->DTPicker1[1]->date(), QDate(2026, 12, 10));
    EXPECT_EQ(form->spList->Text(3, 1), u"주간 회의 (장소 변경)"_s);
    EXPECT_FALSE(form->IsModified());
    EXPECT_FALSE(form->btnSave->isEnabled());

    // Theirs is now what was loaded: an edit on top of it saves without a question.
    form->txtTitle->setText(u"주간 회의 (장소 변경) 확인"_s);
    boxes.clear();
    EXPECT_TRUE(form->ProcSave());
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(Field(seq, u"title"_s), u"주간 회의 (장소 변경) 확인"_s);
    EXPECT_EQ(Field(seq, u"details"_s), u"3층 회의실"_s);
}

TEST_F(FrmSaveConflictTest, AnEntryDeletedElsewhereCanBeSavedAgainAsNew) {
    const int other = AddEntry(u"남는 일정"_s);
    const int seq = AddEntry(u"지워질 일정"_s);
    Open();
    form->spList->SetActiveCell(1, 2);
    form->ShowRow(2);
    ASSERT_EQ(form->CurrentSeq(), seq);
    form->txtTitle->setText(u"지워질 일정 - 고침"_s);

    // Declined: nothing written, the editor keeps the typed entry.
    coworker().exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(seq));
    boxes.queueAnswer(vbNo);
    form->btnSave_Click();
    EXPECT_EQ(boxes.texts(), QStringList{kGoneSaveAsNew});
    EXPECT_EQ(MsgDefaultOf(boxes.shown()[0].style), vbDefaultButton1);
    EXPECT_EQ(Count(), 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->txtTitle->text(), u"지워질 일정 - 고침"_s);
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(form->CurrentSeq(), seq);

    // Accepted: exactly one new row with my text, in the old row's place in the list.
    boxes.clear();
    boxes.queueAnswer(vbYes);
    ASSERT_TRUE(form->ProcSave());
    EXPECT_EQ(boxes.texts(), QStringList{kGoneSaveAsNew});
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Count(u"title = '지워질 일정 - 고침'"_s), 1);
    const int again = form->CurrentSeq();
    EXPECT_GT(again, seq);
    EXPECT_EQ(Field(again, u"devname"_s), kMe);
    EXPECT_EQ(Field(again, u"details"_s), u"내용"_s);
    EXPECT_EQ(Field(again, u"finished"_s), u"1"_s); // a new entry ending today
    EXPECT_EQ(Field(other, u"title"_s), u"남는 일정"_s);
    ASSERT_EQ(form->spList->MaxRows(), 2);
    EXPECT_EQ(form->spList->Text(6, 2), QString::number(again));
    EXPECT_EQ(form->spList->Text(1, 2), u"1"_s);
    EXPECT_FALSE(form->IsModified());

    // From then on it is an ordinary stored entry.
    form->txtTitle->setText(u"다시 고침"_s);
    boxes.clear();
    EXPECT_TRUE(form->ProcSave());
    EXPECT_TRUE(boxes.shown().isEmpty());
    EXPECT_EQ(Count(), 2);
}

TEST_F(FrmSaveConflictTest, ToggleAndDeleteOfARowAlreadyGone) {
    const int a = AddEntry(u"첫째"_s);
    const int b = AddEntry(u"둘째"_s);
    const int c = AddEntry(u"셋째"_s);
    Open();
    ASSERT_EQ(form->spList->MaxRows(), 3);

    // Completed elsewhere already: the cell shows the stored state, nothing to report.
    coworker().exec(u"UPDATE worktide SET finished = 1 WHERE seq = %1"_s.arg(a));
    ClickCell(1, 1);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(form->spList->Text(1, 1), u"1"_s);

    // Deleted elsewhere: said so; the cell keeps its value.
    coworker().exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(b));
    ClickCell(1, 2);
    EXPECT_EQ(boxes.texts(), QStringList{kGone});
    EXPECT_EQ(form->spList->Text(1, 2), u"0"_s);

    // Delete of an entry deleted elsewhere: said so, no "deleted" notice, nothing else goes.
    form->spList->SetActiveCell(1, 3);
    form->ShowRow(3);
    ASSERT_EQ(form->CurrentSeq(), c);
    coworker().exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(c));
    boxes.clear();
    boxes.queueAnswer(vbYes);
    WatchFloatMsg();
    form->btnRecDel_Click();
    EXPECT_EQ(boxes.texts(), (QStringList{u"선택된 자료를 정말로 삭제 하시겠습니까?"_s, kGone}));
    EXPECT_TRUE(floatSeen.isEmpty()) << floatSeen.toStdString();
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Field(a, u"seq"_s), QString::number(a));
    EXPECT_EQ(form->spList->MaxRows(), 2);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace worktide
