// The main window kept current while it stays open: a coworker's edits (made on a second
// connection) appear on the next check with the cursor kept, nothing is rebuilt when nothing
// changed, no check runs under an editor or a box, a new day moves "[오늘]", an unreachable
// server marks the status bar without a box and recovers, and the day's agenda.
#include "common/DbFailureLog.h"
#include "common/FaultProxy.h"
#include "common/TestDb.h"

#include "db/DbWait.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "support/ProcessExit.h"
#include "support/UserSettings.h"
#include "ui/calendar/CalendarTab.h"
#include "ui/team/TeamTab.h"
#include "ui/list/ListTab.h"
#include "ui/list/ScheduleListModel.h"
#include "ui/list/ScheduleListView.h"
#include "ui/grid/SpreadGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/main/LiveRefresh.h"
#include "ui/team/TeamLayout.h"
#include "ui/team/TeamSheet.h"
#include "ui/shared/DbWaitNotice.h"
#include "ui/shared/FrmFloatMsg.h"
#include "ui/shared/modFloatMsg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace worktide;
using namespace Qt::StringLiterals;

namespace {

using Outcome = LiveRefresh::Outcome;
const QString kMe = u"김하늘"_s;
const QString kOther = u"박서준"_s;

// Answers every box like the scripted seam and runs a check while the box is "open".
class CheckingMessageBoxes : public ScriptedMessageBoxes {
public:
    std::function<void()> whileOpen;
    int msgBox(const QString& text, int style, const QString& title) override {
        if (whileOpen)
            whileOpen();
        return ScriptedMessageBoxes::msgBox(text, style, title);
    }
};

class LiveRefreshTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = std::make_unique<test::ScratchDatabase>(u"liverefresh"_s); }
    static void TearDownTestSuite() {
        DBClose();
        s_db.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(s_db->connectGlobal());
        s_db->truncateAll();
        s_db->exec(u"INSERT INTO user (id, name, password2, hidden, groupcode) VALUES "
                   "('sky', '김하늘', '', 0, 1), ('seo', '박서준', '', 0, 1);"
                   "INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('개발', '*', 1)"_s);
        ASSERT_TRUE(m_settings.isValid());
        SetLoginSettingsFile(m_settings.filePath(u"settings.ini"_s));
        SetToday(QDate(2009, 1, 14)); // a Wednesday
        gUserId = u"sky"_s;
        gUserName = kMe;
        SetExitHandler([](int) {});
    }

    void TearDown() override {
        form.reset();
        delete CurrentFloatMsg();
        DBClose();
        SetExitHandler({});
        SetToday({});
        SetLoginSettingsFile({});
    }

    // Written by the coworker, on a connection of its own.
    int AddEntry(const QString& owner, const QString& title, const QString& sdate, const QString& edate,
                 int finished = 0) const {
        s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) "
                   "VALUES ('2009-01-01', '%1', '%2', '%2 내용', '%3', '%4', %5, '개발')"_s.arg(
                       owner, title, sdate, edate, QString::number(finished)));
        return s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }

    FrmMain& Open() {
        form = std::make_unique<FrmMain>();
        form->Form_Load();
        return *form;
    }
    QString Cell(int col, int row) const { return form->tabCalendar->spCalendar->Text(col, row); }
    QString Status() const { return form->lblStatus->text(); }
    bool StatusRed() const { return form->lblStatus->property("alarm").toBool(); }
    int ListRowOf(int seq) const {
        for (int r = 1; r <= form->tabList->spList->MaxRows(); ++r)
            if (form->tabList->spList->Text(10, r) == QString::number(seq))
                return r;
        return 0;
    }

    static inline std::unique_ptr<test::ScratchDatabase> s_db;
    QTemporaryDir m_settings;
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<FrmMain> form;
};

const QRegularExpression kLoaded(u"^최종 갱신 \\d\\d:\\d\\d:\\d\\d$"_s);

TEST_F(LiveRefreshTest, CalendarFollowsCoworkerEditsKeepingTheCursor) {
    FrmMain& f = Open();
    LiveRefresh* live = f.Live();
    EXPECT_TRUE(kLoaded.match(Status()).hasMatch()) << Status().toStdString();
    EXPECT_FALSE(StatusRed());
    f.tabCalendar->spCalendar->SetActiveCell(6, 6); // Friday 16 January
    EXPECT_EQ(live->Tick(), Outcome::Unchanged);

    // Added elsewhere: drawn on the next check, the cursor stays.
    const int seq = AddEntry(kMe, u"회의"_s, u"2009-01-16"_s, u"2009-01-16"_s);
    EXPECT_EQ(live->Tick(), Outcome::Refreshed);
    EXPECT_TRUE(Cell(6, 6).contains(u"회의"_s));
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveCol(), 6);
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveRow(), 6);
    EXPECT_EQ(live->Rebuilds(), 1);
    // Nothing new: not rebuilt; another owner's entry is not in the shown rows either.
    EXPECT_EQ(live->Tick(), Outcome::Unchanged);
    AddEntry(kOther, u"남의 일"_s, u"2009-01-16"_s, u"2009-01-16"_s);
    EXPECT_EQ(live->Tick(), Outcome::Unchanged);
    EXPECT_EQ(live->Rebuilds(), 1);

    // Changed in place (same count, same highest seq), then finished, then deleted.
    s_db->exec(u"UPDATE worktide SET title = '회의 변경' WHERE seq = "_s + QString::number(seq));
    EXPECT_EQ(live->Tick(), Outcome::Refreshed);
    EXPECT_TRUE(Cell(6, 6).contains(u"회의 변경"_s));
    s_db->exec(u"UPDATE worktide SET finished = 1 WHERE seq = "_s + QString::number(seq));
    EXPECT_EQ(live->Tick(), Outcome::Refreshed);
    EXPECT_TRUE(Cell(6, 6).startsWith(u"◁"_s));
    s_db->exec(u"DELETE FROM worktide WHERE seq = "_s + QString::number(seq));
    EXPECT_EQ(live->Tick(), Outcome::Refreshed);
    EXPECT_EQ(Cell(6, 6), QString());
    EXPECT_EQ(f.tabCalendar->spCalendar->ActiveRow(), 6);

    // Coming back to the window checks at once.
    AddEntry(kMe, u"복귀"_s, u"2009-01-17"_s, u"2009-01-17"_s);
    live->SetAwayBeforeCheck(0);
    QEvent leave(QEvent::WindowDeactivate);
    QApplication::sendEvent(&f, &leave);
    QEvent back(QEvent::WindowActivate);
    QApplication::sendEvent(&f, &back);
    QTest::qWait(20);
    EXPECT_TRUE(Cell(7, 6).contains(u"복귀"_s));
    EXPECT_EQ(live->Rebuilds(), 5);

    // And by itself on its timer.
    live->SetInterval(10);
    AddEntry(kMe, u"주기"_s, u"2009-01-13"_s, u"2009-01-13"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(3, 6).contains(u"주기"_s); }, 2000));
    EXPECT_TRUE(boxes.shown().isEmpty());
}

TEST_F(LiveRefreshTest, ListKeepsTheSelectedEntryAndScrollPosition) {
    for (int i = 0; i < 60; ++i)
        AddEntry(kMe, u"항목 %1"_s.arg(i, 2, 10, QChar(u'0')), u"2009-01-20"_s,
                 u"2009-02-%1"_s.arg(i % 28 + 1, 2, 10, QChar(u'0')));
    FrmMain& f = Open();
    // Compared by fingerprint, as a list of thousands of entries is.
    f.Live()->SetCompareRowsUpTo(10);
    f.resize(900, 400);
    f.SSTab1->setCurrentIndex(1);
    QApplication::processEvents();
    const int picked = f.tabList->spList->Text(10, 40).toInt();
    f.tabList->spList->SetActiveCell(3, 40);
    f.tabList->spList->verticalScrollBar()->setValue(25);
    const int scroll = f.tabList->spList->verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);
    const QString topSeq = f.tabList->spList->Text(10, f.tabList->spList->rowAt(0) + 1);

    // An entry due earlier than all others lands on top: the selection follows its entry.
    AddEntry(kMe, u"급한 일"_s, u"2009-01-10"_s, u"2009-01-12"_s);
    s_db->exec(u"UPDATE worktide SET details = '바뀐 내용' WHERE seq = "_s + QString::number(picked));
    // Updated by entry: one row inserted, one changed, no reset of the whole list.
    QSignalSpy resets(f.tabList->Model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(f.tabList->Model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(f.tabList->Model(), &QAbstractItemModel::dataChanged);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(inserted.size(), 1);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(f.tabList->spList->Text(3, 1), u"급한 일"_s);
    EXPECT_EQ(f.tabList->spList->ActiveRow(), ListRowOf(picked));
    EXPECT_EQ(f.tabList->spList->ActiveRow(), 41);
    EXPECT_EQ(f.tabList->spList->ActiveCol(), 3);
    EXPECT_EQ(f.tabList->txtMemo->toPlainText(), u"바뀐 내용"_s);
    // The rows shown stay in place: the top one is the same entry, one row further down.
    EXPECT_EQ(f.tabList->spList->Text(10, f.tabList->spList->rowAt(0) + 1), topSeq);

    // Deleted elsewhere: gone, the cursor stays on the row that took its place.
    s_db->exec(u"DELETE FROM worktide WHERE seq = "_s + QString::number(picked));
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(ListRowOf(picked), 0);
    EXPECT_EQ(f.tabList->spList->ActiveRow(), 41);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    // F5 reads no fingerprint: the first check after it compares the rows once.
    f.RefreshTab(1);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    s_db->exec(u"UPDATE worktide SET title = '바뀐 제목' WHERE seq = "_s + f.tabList->spList->Text(10, 5));
    f.RefreshTab(1);
    s_db->exec(u"UPDATE worktide SET title = '또 바뀐 제목' WHERE seq = "_s + f.tabList->spList->Text(10, 5));
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(f.tabList->spList->Text(3, 5), u"또 바뀐 제목"_s);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    EXPECT_EQ(f.Live()->Rebuilds(), 3);
    EXPECT_TRUE(boxes.shown().isEmpty());
}

// Entries added above the rows shown: the entry under the pointer stays under it, so a
// click aimed at it (queued while the list was rebuilt) reaches it; with the pointer
// elsewhere the top row stays the top row.
TEST_F(LiveRefreshTest, ARebuildKeepsTheEntryUnderThePointer) {
    for (int i = 0; i < 60; ++i)
        AddEntry(kMe, u"항목 %1"_s.arg(i, 2, 10, QChar(u'0')), u"2009-01-20"_s,
                 u"2009-02-%1"_s.arg(i % 28 + 1, 2, 10, QChar(u'0')));
    FrmMain& f = Open();
    f.resize(900, 400);
    f.SSTab1->setCurrentIndex(1);
    QApplication::processEvents();
    f.tabList->spList->verticalScrollBar()->setValue(25);
    QWidget* viewport = f.tabList->spList->viewport();
    const int aimedRow = f.tabList->spList->rowAt(0) + 4; // model row, the fifth shown
    const QPoint at(f.tabList->spList->columnViewportPosition(0) + 5,
                    f.tabList->spList->rowViewportPosition(aimedRow) + f.tabList->spList->rowHeight(aimedRow) / 2);
    QTest::mouseMove(viewport, at);
    const QString aimed = f.tabList->spList->Text(10, aimedRow + 1);
    const QString aimedTitle = f.tabList->spList->Text(3, aimedRow + 1);

    for (int i = 0; i < 3; ++i)
        AddEntry(kMe, u"앞선 일 %1"_s.arg(i), u"2009-01-10"_s, u"2009-01-12"_s);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(f.tabList->spList->Text(3, 1), u"앞선 일 0"_s);
    EXPECT_EQ(f.tabList->spList->Text(10, f.tabList->spList->rowAt(at.y()) + 1), aimed);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    EXPECT_EQ(s_db->scalar(u"SELECT finished FROM worktide WHERE seq = "_s + aimed), u"1"_s)
        << aimedTitle.toStdString();
    EXPECT_EQ(s_db->scalar(u"SELECT SUM(finished) FROM worktide"_s), u"1"_s);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(viewport, &leave);
    const QString top = f.tabList->spList->Text(10, f.tabList->spList->rowAt(0) + 1);
    for (int i = 0; i < 2; ++i)
        AddEntry(kMe, u"더 앞선 일 %1"_s.arg(i), u"2009-01-08"_s, u"2009-01-09"_s);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(f.tabList->spList->Text(10, f.tabList->spList->rowAt(0) + 1), top);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

TEST_F(LiveRefreshTest, NoCheckUnderAnEditorOrABox) {
    FrmMain& f = Open();
    AddEntry(kMe, u"편집중 추가"_s, u"2009-01-15"_s, u"2009-01-15"_s);
    // The editor of a day, modal: a check from inside its loop does nothing.
    Outcome underEditor = Outcome::Refreshed;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        underEditor = f.Live()->Tick();
        qobject_cast<QDialog*>(modal)->reject();
    });
    timer.start();
    f.OpenSchedule(u"2009-01-14"_s, false, 0, 0);
    timer.stop();
    EXPECT_EQ(underEditor, Outcome::Busy);
    EXPECT_FALSE(Cell(5, 6).contains(u"편집중 추가"_s));

    // A message box (any box of the program, here the scripted one) holds checks too.
    CheckingMessageBoxes checking;
    SetMessageBoxes(&checking);
    Outcome underBox = Outcome::Refreshed;
    checking.whileOpen = [&] { underBox = f.Live()->Tick(); };
    MsgBox(u"열린 상자"_s);
    SetMessageBoxes(&boxes);
    EXPECT_EQ(underBox, Outcome::Busy);
    EXPECT_FALSE(Cell(5, 6).contains(u"편집중 추가"_s));

    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_TRUE(Cell(5, 6).contains(u"편집중 추가"_s));
}

TEST_F(LiveRefreshTest, NewDayMovesTodayKeepsTheMonthAndShowsTheAgenda) {
    AddEntry(kMe, u"내일 일"_s, u"2009-01-15"_s, u"2009-01-15"_s);
    FrmMain& f = Open();
    EXPECT_EQ(Cell(4, 5), u"01.14   [오늘]"_s);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);

    SetToday(QDate(2009, 1, 15)); // past midnight
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(Cell(4, 5), u"01.14"_s);
    EXPECT_FALSE(f.tabCalendar->spCalendar->BackColor(4, 5) == QColor(255, 210, 76));
    EXPECT_EQ(Cell(5, 5), u"01.15   [오늘]"_s);
    EXPECT_EQ(f.tabCalendar->spCalendar->BackColor(5, 5), QColor(255, 210, 76));
    EXPECT_TRUE(Cell(5, 6).contains(u"내일 일"_s)); // the entries are drawn again too
    ASSERT_TRUE(CurrentFloatMsg());
    EXPECT_EQ(CurrentFloatMsg()->message(), u"오늘 일정 1건, 기한 지난 일정 0건"_s);

    // Looking at another month, the next day changes only the captions of that month.
    f.btnMoveMonth_Click(1);
    EXPECT_EQ(f.WorkDateTag(), u"200902"_s);
    SetToday(QDate(2009, 2, 2));
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(f.WorkDateTag(), u"200902"_s);
    EXPECT_EQ(Cell(2, 1), u"02.02   [오늘]"_s);
    // The list's day counts are from the new day once it is shown.
    f.SSTab1->setCurrentIndex(1);
    EXPECT_EQ(f.tabList->spList->Text(8, 1), u"-18"_s);
    SetToday(QDate(2009, 2, 3));
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(f.tabList->spList->Text(8, 1), u"-19"_s);
}

TEST_F(LiveRefreshTest, UnreachableServerMarksTheStatusSilentlyAndRecovers) {
    const ScopedDbTimeouts bounds([] {
        DbTimeouts t;
        t.connectSeconds = 1;
        t.readSeconds = 2;
        t.writeSeconds = 2;
        return t;
    }());
    auto proxy = std::make_unique<test::FaultProxy>(u"127.0.0.1"_s, 0);
    const int port = proxy->port();
    DBClose();
    gDB = std::make_unique<cMySQL>();
    ASSERT_TRUE(
        gDB->real_connect(proxy->host(), test::DbServer::user(), test::DbServer::password(), s_db->name(), port));
    AddEntry(kMe, u"보이는 일"_s, u"2009-01-15"_s, u"2009-01-15"_s);
    FrmMain& f = Open();
    const QString drawn = Cell(5, 6);
    ASSERT_TRUE(drawn.contains(u"보이는 일"_s));

    proxy->cutAll();
    proxy.reset(); // the server cannot be reached any more
    EXPECT_EQ(f.Live()->Tick(), Outcome::Failed);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    EXPECT_TRUE(StatusRed());
    EXPECT_TRUE(QRegularExpression(u"^연결 끊김 — \\d\\d:\\d\\d 기준 자료$"_s).match(Status()).hasMatch())
        << Status().toStdString();
    EXPECT_EQ(Cell(5, 6), drawn); // what was shown stays
    EXPECT_EQ(f.Live()->Tick(), Outcome::Failed);
    EXPECT_TRUE(boxes.shown().isEmpty());

    // F5 still refreshes at once and reports the failure with the connection's own message;
    // the month stays drawn, marked stale.
    f.RefreshTab(0);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(u"Error 2003 "_s)) << boxes.texts()[0].toStdString();
    EXPECT_TRUE(StatusRed());
    EXPECT_EQ(Cell(5, 6), drawn);

    // The server is back: the next check finds the rows drawn still true, and the status
    // bar is plain again.
    boxes.clear();
    proxy = std::make_unique<test::FaultProxy>(u"127.0.0.1"_s, port);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    EXPECT_TRUE(Cell(5, 6).contains(u"보이는 일"_s));
    EXPECT_FALSE(StatusRed());
    EXPECT_TRUE(kLoaded.match(Status()).hasMatch()) << Status().toStdString();
    EXPECT_TRUE(boxes.shown().isEmpty());
    form.reset();
    DBClose();
}

// The seq of the team view's selected bar (0 for none) and the titles of its entries.
int SelectedTeamSeq(const FrmMain& f) {
    const team::Layout& layout = f.tabTeam->spTeam->Layout();
    const int bar = f.tabTeam->spTeam->SelectedBar();
    if (bar < 0)
        return 0;
    return layout.entries[static_cast<std::size_t>(layout.bars[static_cast<std::size_t>(bar)].entry)].seq;
}
QStringList TeamTitles(const FrmMain& f) {
    QStringList titles;
    for (const team::Entry& e : f.tabTeam->spTeam->Layout().entries)
        titles << e.title;
    titles.sort();
    return titles;
}

// The team tab by the same rules as the other two: a coworker's change appears on the
// next check with the selected entry kept; an unreachable server marks the status bar red
// and leaves the view as drawn, after a check and after F5 alike.
TEST_F(LiveRefreshTest, TeamTabIsLiveAndKeepsItsViewWhenTheServerIsGone) {
    const ScopedDbTimeouts bounds([] {
        DbTimeouts t;
        t.connectSeconds = 1;
        t.readSeconds = 2;
        t.writeSeconds = 2;
        return t;
    }());
    auto proxy = std::make_unique<test::FaultProxy>(u"127.0.0.1"_s, 0);
    const int port = proxy->port();
    DBClose();
    gDB = std::make_unique<cMySQL>();
    ASSERT_TRUE(
        gDB->real_connect(proxy->host(), test::DbServer::user(), test::DbServer::password(), s_db->name(), port));
    AddEntry(kMe, u"내 일"_s, u"2009-01-05"_s, u"2009-01-06"_s);
    const int theirs = AddEntry(kOther, u"남의 일"_s, u"2009-01-12"_s, u"2009-01-13"_s);
    FrmMain& f = Open();
    f.SSTab1->setCurrentIndex(2);
    ASSERT_EQ(TeamTitles(f), (QStringList{u"남의 일"_s, u"내 일"_s}));
    for (int bar = 0; bar < static_cast<int>(f.tabTeam->spTeam->Layout().bars.size()); ++bar) {
        f.tabTeam->spTeam->SelectBar(bar);
        if (SelectedTeamSeq(f) == theirs)
            break;
    }
    ASSERT_EQ(SelectedTeamSeq(f), theirs);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    EXPECT_TRUE(kLoaded.match(Status()).hasMatch()) << Status().toStdString();

    // A coworker adds an entry in the month and changes another.
    AddEntry(kOther, u"새 일"_s, u"2009-01-02"_s, u"2009-01-02"_s);
    s_db->exec(u"UPDATE worktide SET title = '남의 일 변경' WHERE seq = %1"_s.arg(theirs));
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(TeamTitles(f), (QStringList{u"남의 일 변경"_s, u"내 일"_s, u"새 일"_s}));
    EXPECT_EQ(SelectedTeamSeq(f), theirs);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    EXPECT_EQ(f.Live()->Rebuilds(), 1);

    proxy->cutAll();
    proxy.reset();
    EXPECT_EQ(f.Live()->Tick(), Outcome::Failed);
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    EXPECT_TRUE(StatusRed());
    EXPECT_TRUE(QRegularExpression(u"^연결 끊김 — \\d\\d:\\d\\d 기준 자료$"_s).match(Status()).hasMatch())
        << Status().toStdString();
    EXPECT_EQ(TeamTitles(f).size(), 3);
    // F5 reports the failure and still leaves the view as drawn.
    f.RefreshTab(2);
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(TeamTitles(f), (QStringList{u"남의 일 변경"_s, u"내 일"_s, u"새 일"_s}));
    EXPECT_EQ(SelectedTeamSeq(f), theirs);
    EXPECT_TRUE(StatusRed());

    boxes.clear();
    proxy = std::make_unique<test::FaultProxy>(u"127.0.0.1"_s, port);
    EXPECT_EQ(f.Live()->Tick(), Outcome::Unchanged);
    EXPECT_FALSE(StatusRed());
    s_db->exec(u"DELETE FROM worktide WHERE seq = %1"_s.arg(theirs));
    EXPECT_EQ(f.Live()->Tick(), Outcome::Refreshed);
    EXPECT_EQ(TeamTitles(f), (QStringList{u"내 일"_s, u"새 일"_s}));
    EXPECT_TRUE(boxes.shown().isEmpty());
    form.reset();
    DBClose();
}

// Records, every few milliseconds, whether anything took the window: a modal widget or the
// wait cursor.
class WindowWatch {
public:
    WindowWatch() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            ++polls;
            if (QApplication::activeModalWidget())
                ++modal;
            if (QApplication::overrideCursor())
                ++cursor;
        });
        m_timer.start();
    }
    int polls = 0;
    int modal = 0;
    int cursor = 0;

private:
    QTimer m_timer;
};

// The minute's check against a server that hangs (accepts, never answers), with the wait
// notice installed as in the program: never a modal widget nor the wait cursor at any
// moment, the check ends within the background bound, the status bar turns red, and the
// next check after the server is back draws as usual.
TEST_F(LiveRefreshTest, IdleCheckAgainstAHungServerNeverTakesTheWindow) {
    const ScopedDbTimeouts bounds([] {
        DbTimeouts t;
        t.connectSeconds = 1;
        t.cursorDelayMs = 50;
        t.noticeDelayMs = 100;
        t.backgroundSeconds = 1;
        return t;
    }());
    InstallDbWaitNotice();
    test::FaultProxy proxy(u"127.0.0.1"_s, 0);
    DBClose();
    gDB = std::make_unique<cMySQL>();
    ASSERT_TRUE(gDB->real_connect(proxy.host(), test::DbServer::user(), test::DbServer::password(), s_db->name(),
                                  proxy.port()));
    AddEntry(kMe, u"보이는 일"_s, u"2009-01-15"_s, u"2009-01-15"_s);
    FrmMain& f = Open();
    const QString drawn = Cell(5, 6);
    proxy.setMode(test::FaultProxy::Mode::Stall);
    {
        WindowWatch watch;
        for (int i = 0; i < 2; ++i) { // a statement on the hung link, then a connect to it
            QElapsedTimer clock;
            clock.start();
            EXPECT_EQ(f.Live()->Tick(), Outcome::Failed);
            EXPECT_LT(clock.elapsed(), 2500);
        }
        EXPECT_GT(watch.polls, 50);
        EXPECT_EQ(watch.modal, 0);
        EXPECT_EQ(watch.cursor, 0);
    }
    EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    EXPECT_TRUE(StatusRed());
    EXPECT_TRUE(QRegularExpression(u"^연결 끊김 — \\d\\d:\\d\\d 기준 자료$"_s).match(Status()).hasMatch())
        << Status().toStdString();
    EXPECT_EQ(Cell(5, 6), drawn);

    proxy.setMode(test::FaultProxy::Mode::Pass);
    EXPECT_NE(f.Live()->Tick(), Outcome::Failed);
    EXPECT_FALSE(StatusRed());
    SetDbWaitUi(nullptr);
}

// Handlers the event processing of a wait reaches: the agenda's click (posted, as the tray
// delivers it) is answered after the statement, and closing the main window cancels the
// statement and closes once its wait is over.
TEST_F(LiveRefreshTest, ClicksAndCloseDuringAWaitRunAfterIt) {
    test::FaultProxy proxy(u"127.0.0.1"_s, 0);
    DBClose();
    gDB = std::make_unique<cMySQL>();
    ASSERT_TRUE(gDB->real_connect(proxy.host(), test::DbServer::user(), test::DbServer::password(), s_db->name(),
                                  proxy.port()));
    AddEntry(kMe, u"열린 일"_s, u"2009-01-13"_s, u"2009-01-16"_s);
    FrmMain& f = Open();
    proxy.setMode(test::FaultProxy::Mode::Latency, 300);
    QTimer::singleShot(50, f.Live(), [&f] { emit f.Live()->agendaClicked(); });
    EXPECT_EQ(GetRowCount(u"worktide"_s, {}), 1);
    EXPECT_EQ(f.SSTab1->currentIndex(), 0); // not inside the wait
    EXPECT_EQ(gDB->lastErrorNumber(), 0);
    for (int i = 0; i < 500 && f.SSTab1->currentIndex() != 1; ++i)
        QTest::qWait(10);
    EXPECT_EQ(f.SSTab1->currentIndex(), 1);
    EXPECT_EQ(f.tabList->spList->MaxRows(), 1);

    // Closed during a statement that would take seconds: cancelled, then closed.
    test::DbFailureLog failures; // the count below is asked below the windows
    proxy.setMode(test::FaultProxy::Mode::Stall);
    QTimer::singleShot(50, &f, [&f] { f.close(); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(GetRowCount(u"worktide"_s, {}), 0);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(gDB); // still there while the wait ran
    for (int i = 0; i < 200 && gDB; ++i)
        QTest::qWait(10);
    EXPECT_FALSE(gDB); // closed with the window, after the wait
    EXPECT_FALSE(f.isVisible());
    ASSERT_EQ(failures.texts().size(), 1) << failures.texts().join(u'|').toStdString();
    EXPECT_TRUE(failures.texts()[0].startsWith(u"Error 2013 ("_s)) << failures.texts()[0].toStdString();
}

TEST_F(LiveRefreshTest, AgendaAtSignInLeadsToOpenEntriesAndCanBeTurnedOff) {
    AddEntry(kMe, u"오늘 걸침"_s, u"2009-01-13"_s, u"2009-01-16"_s);
    AddEntry(kMe, u"오늘 하루"_s, u"2009-01-14"_s, u"2009-01-14"_s, 1); // finished: not counted, not shown
    AddEntry(kMe, u"지난 미완료"_s, u"2009-01-05"_s, u"2009-01-09"_s);
    AddEntry(kMe, u"지난 완료"_s, u"2009-01-05"_s, u"2009-01-09"_s, 1);
    AddEntry(kOther, u"남의 일"_s, u"2009-01-14"_s, u"2009-01-14"_s);
    form.reset(ShowMainWindow());
    FrmMain& f = *form;
    ASSERT_TRUE(CurrentFloatMsg());
    EXPECT_EQ(CurrentFloatMsg()->message(), u"오늘 일정 1건, 기한 지난 일정 1건"_s);
    EXPECT_FALSE(CurrentFloatMsg()->isModal()); // it does not hold the window
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &f; }, 2000))
        << "F2 right after sign-in goes to the main window, not to the notice";
    EXPECT_TRUE(f.mnuView_Agenda->isChecked());

    // A click shows my unfinished entries on the list tab, through its own filters.
    f.cmbFinish[1]->setCurrentIndex(2);
    QTest::mouseClick(CurrentFloatMsg(), Qt::LeftButton);
    EXPECT_EQ(f.SSTab1->currentIndex(), 1);
    EXPECT_EQ(f.cmbUser[1]->currentText(), kMe);
    EXPECT_EQ(f.cmbFinish[1]->currentIndex(), 1);
    EXPECT_EQ(f.cmbCategory[1]->currentText(), u"(전체구분)"_s);
    ASSERT_EQ(f.tabList->spList->MaxRows(), 2);
    EXPECT_EQ(f.tabList->spList->Text(3, 1), u"지난 미완료"_s);
    EXPECT_EQ(f.tabList->spList->Text(3, 2), u"오늘 걸침"_s);
    QTest::qWait(10);
    EXPECT_FALSE(CurrentFloatMsg());

    // Turned off in the program: kept in the settings, no notice at the next sign-in.
    f.mnuView_Agenda->setChecked(false);
    EXPECT_EQ(LoginSetting(u"ShowAgenda"_s), u"0"_s);
    form.reset(ShowMainWindow());
    EXPECT_FALSE(form->mnuView_Agenda->isChecked());
    EXPECT_FALSE(CurrentFloatMsg());
    EXPECT_TRUE(boxes.shown().isEmpty());
}

} // namespace
