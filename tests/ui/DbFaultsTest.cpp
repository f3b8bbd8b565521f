// Database faults for real: a loopback proxy that stalls or cuts the connection, and a
// throwaway second server that is restarted. Nothing may hang without bound, double an
// entry, report a save that did not happen, or lose what was typed.
#include "common/DbFailureLog.h"
#include "db/modDodamDBConsts.h"
#include "common/ActiveWindow.h"
#include "common/FaultProxy.h"
#include "common/QueuedInput.h"
#include "common/ScopedState.h"
#include "common/TestDb.h"
#include "db/DbWait.h"
#include "db/StatementKind.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modScheduleInsert.h"
#include "support/Clock.h"
#include "support/Config.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "ui/schedule/FrmSave.h"
#include "ui/shared/FrmFloatMsg.h"
#include "ui/shared/modFloatMsg.h"
#include "ui/shared/DbWaitNotice.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::DbServer;
using test::FaultProxy;
using test::ScratchDatabase;

const QString kNoConnection = u"데이터베이스 서버에 접속할 수 없습니다."_s;
const QString kUnsettled = u"저장되었는지 확인하지 못했습니다. 연결이 돌아오면 다시 확인합니다."_s;
const QString kSaved = u"자료가 저장되었습니다."_s;

// Short bounds, so a test waits a second where the program waits half a minute.
DbTimeouts ShortBounds() {
    DbTimeouts t;
    t.connectSeconds = 1;
    t.readSeconds = 2;
    t.writeSeconds = 2;
    t.cursorDelayMs = 100;
    t.noticeDelayMs = 300;
    return t;
}

// Presses the notice's "취소" as a person would, once it has come up.
class CancelPresser : public QObject {
public:
    CancelPresser() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != u"frmDbWait"_s || !w->isVisible())
                    continue;
                auto* button = w->findChild<QPushButton*>(u"cmdCancel"_s);
                noticeText = w->findChild<QWidget*>(u"lblMessage"_s)->property("text").toString();
                buttonText = button->text();
                modal = w->isModal();
                QTest::mouseClick(button, Qt::LeftButton);
                ++presses;
                m_timer.stop();
                return;
            }
        });
        m_timer.start();
    }
    int presses = 0;
    bool modal = false;
    QString noticeText;
    QString buttonText;

private:
    QTimer m_timer;
};

class DbFaultTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = new ScratchDatabase(u"dbfaults"_s); }
    static void TearDownTestSuite() {
        delete s_db;
        s_db = nullptr;
    }
    void SetUp() override {
        s_db->truncateAll();
        s_db->exec(u"INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('업무','*',1)"_s);
        InstallDbWaitNotice();
    }
    void TearDown() override {
        form.reset();
        delete CurrentFloatMsg();
        DBClose();
        SetDbWaitUi(nullptr);
        SetDBName({});
    }

    // gDB through the proxy on its own port.
    void ConnectThrough(const FaultProxy& proxy) {
        gDB = std::make_unique<cMySQL>();
        ASSERT_TRUE(
            gDB->real_connect(proxy.host(), DbServer::user(), DbServer::password(), s_db->name(), proxy.port()));
    }
    int Rows() const { return s_db->scalar(u"SELECT COUNT(*) FROM worktide"_s).toInt(); }
    // Until the held bytes of a released link have reached the server and run there.
    bool RowsBecome(int n) const {
        QElapsedTimer clock;
        clock.start();
        while (Rows() != n && clock.elapsed() < 5000)
            QTest::qWait(20);
        return Rows() == n;
    }
    // The text of the floating notice while it is open (read from inside its modal loop).
    void WatchFloatMsg() {
        floatSeen.clear();
        m_floatWatch = std::make_unique<QTimer>();
        m_floatWatch->setInterval(20);
        QObject::connect(m_floatWatch.get(), &QTimer::timeout, [this] {
            if (FrmFloatMsg* f = CurrentFloatMsg(); f && f->isVisible())
                floatSeen = f->message();
        });
        m_floatWatch->start();
    }

    FrmSave& OpenEditor(const QString& title) {
        form = std::make_unique<FrmSave>();
        QObject::connect(form.get(), &FrmSave::ScheduleChanged, form.get(), [this] { changed = true; });
        form->SetParam(u"2026-12-08"_s, true, 0, {});
        form->show();
        form->txtTitle->setText(title);
        form->cmbCategory->setCurrentText(u"업무"_s);
        return *form;
    }

    // The editor on an existing entry of the day, its title retyped.
    FrmSave& OpenExisting(int seq, const QString& title) {
        form = std::make_unique<FrmSave>();
        form->SetParam(u"2026-12-08"_s, false, seq, {});
        form->show();
        form->txtTitle->setText(title);
        return *form;
    }
    int AddEntry(const QString& title) const {
        s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "
                   "(curdate(),'김하늘','%1','','2026-12-08','2026-12-08',0,'업무')"_s.arg(title));
        return s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }
    QString Title(int seq) const {
        return s_db->scalar(u"SELECT title FROM worktide WHERE seq = "_s + QString::number(seq));
    }

    static inline ScratchDatabase* s_db = nullptr;
    ScopedSignedInUser user{u"김하늘"_s};
    ScopedScriptedMessageBoxes boxes;
    ScopedDbTimeouts bounds{ShortBounds()};
    std::unique_ptr<FrmSave> form;
    bool changed = false;
    QString floatSeen;

private:
    std::unique_ptr<QTimer> m_floatWatch;
};

TEST(StatementKindTest, OnlyStatementsThatCannotChangeDataTwiceAreRepeatable) {
    EXPECT_TRUE(IsRepeatableStatement(u"SELECT * FROM worktide"_s));
    EXPECT_TRUE(IsRepeatableStatement(u"  show variables"_s));
    EXPECT_TRUE(IsRepeatableStatement(u"UPDATE worktide SET title = 'a',details = '' WHERE seq = 42"_s));
    EXPECT_TRUE(IsRepeatableStatement(u"UPDATE worktide SET finished = 1 WHERE seq = 7"_s));
    EXPECT_TRUE(IsRepeatableStatement(u"DELETE FROM worktide WHERE seq = 7"_s));
    EXPECT_TRUE(IsRepeatableStatement(u"UPDATE user SET password2 = SHA1('x''y') WHERE id = 'sky'"_s));
    EXPECT_TRUE(IsRepeatableStatement(
        u"UPDATE user SET password2 = 'a9993e364706816aba3e25717850c26c9cd0d89d' WHERE id = 'sky'"_s));
    EXPECT_FALSE(IsRepeatableStatement(
        u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES ( "
        "curdate(),'a','WHERE seq = 1','','','', 0,'b' )"_s));
    EXPECT_FALSE(IsRepeatableStatement(u"DELETE FROM worktide WHERE devname = 'a'"_s));
    EXPECT_FALSE(IsRepeatableStatement(u"UPDATE worktide SET finished = 1 WHERE seq = 7 OR seq = 8"_s));
    {
        // Inside a transaction nothing is sent twice: it would run outside the transaction.
        const ScopedTransactionStatements inTransaction;
        EXPECT_FALSE(IsRepeatableStatement(u"SELECT * FROM worktide"_s));
        EXPECT_FALSE(IsRepeatableStatement(u"UPDATE worktide SET finished = 1 WHERE seq = 7"_s));
    }
    EXPECT_TRUE(IsRepeatableStatement(u"UPDATE worktide SET finished = 1 WHERE seq = 7"_s));
}

// A host that accepts the connection and never answers ends in the connection message
// within the connect bound, with the program's default bounds as well as short ones.
TEST_F(DbFaultTest, HungAtConnectEndsInTheConnectionMessageWithinTheBound) {
    // Called below the windows: the message is handed back, not shown.
    test::DbFailureLog failures;
    auto proxy = FaultProxy::OnDefaultPort();
    proxy->setMode(FaultProxy::Mode::Stall);
    for (const DbTimeouts& t : {ShortBounds(), DbTimeouts{}}) {
        ScopedDbTimeouts scoped(t);
        failures.clear();
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(DBInit(proxy->host(), DbServer::user(), DbServer::password(), s_db->name()));
        const qint64 ms = clock.elapsed();
        EXPECT_LT(ms, t.connectSeconds * 1000 + 3000);
        EXPECT_GE(ms, t.connectSeconds * 1000 - 200);
        EXPECT_FALSE(gDB);
        ASSERT_EQ(failures.texts().size(), 1);
        EXPECT_TRUE(failures.texts()[0].startsWith(u"Error 2013 "_s)) << failures.texts()[0].toStdString();
        EXPECT_TRUE(failures.texts()[0].endsWith(kNoConnection)) << failures.texts()[0].toStdString();
    }
}

// A server that lets us in and then stalls (the first statement on the new connection is
// held): the connect ends within its whole bound with the connection message, not after
// the read bound.
TEST_F(DbFaultTest, ServerThatStallsAfterTheLoginEndsWithinTheConnectBound) {
    // Called below the windows: the message is handed back, not shown.
    test::DbFailureLog failures;
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    DbTimeouts t = ShortBounds();
    t.readSeconds = 30;
    t.writeSeconds = 30;
    t.connectWholeSeconds = 2;
    ScopedDbTimeouts scoped(t);
    SetDbWaitUi(nullptr);
    gDB = std::make_unique<cMySQL>();
    // Past the login packet, the next thing the program sends is held.
    proxy.holdOnNextFrom(FaultProxy::Side::Client, 1);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(gDB->real_connect(proxy.host(), DbServer::user(), DbServer::password(), s_db->name(), proxy.port()));
    const qint64 ms = clock.elapsed();
    EXPECT_GE(ms, 1800);
    EXPECT_LT(ms, 2000 + 1500);
    ASSERT_FALSE(failures.texts().isEmpty());
    EXPECT_TRUE(failures.texts().last().startsWith(u"Error 2013 "_s)) << failures.texts().last().toStdString();
    EXPECT_TRUE(failures.texts().last().endsWith(kNoConnection)) << failures.texts().last().toStdString();
}

// A month query stalled behind the proxy: the notice comes, its Cancel ends the statement
// as a lost connection, it is not sent again, and the next query works on a new connection.
// Without a Cancel the read bound ends it.
TEST_F(DbFaultTest, StalledMonthQueryIsBoundedAndCancelled) {
    // Called below the windows: the message is handed back, not shown.
    test::DbFailureLog failures;
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "
               "(curdate(),'김하늘','하나','','2026-12-01','2026-12-02',0,'업무')"_s);
    const QString month = u"SELECT * FROM worktide WHERE sdate <= '2026-12-31' AND edate >= '2026-12-01'"_s;
    proxy.setMode(FaultProxy::Mode::Stall);
    {
        CancelPresser cancel;
        RecordsetPtr rs;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(OpenRecordset(rs, month), -1);
        EXPECT_LT(clock.elapsed(), 1500);
        EXPECT_FALSE(rs);
        EXPECT_EQ(cancel.presses, 1);
        EXPECT_TRUE(cancel.modal);
        EXPECT_EQ(cancel.noticeText, u"서버 응답을 기다리는 중입니다..."_s);
        EXPECT_EQ(cancel.buttonText, u"취소"_s);
        ASSERT_EQ(failures.texts().size(), 1);
        EXPECT_TRUE(failures.texts()[0].startsWith(u"Error 2013 ("_s)) << failures.texts()[0].toStdString();
        EXPECT_EQ(gDB->reconnectCount(), 0); // not repeated
    }
    {
        // No one cancels: the read bound (2 s here) ends it, again without a repeat.
        SetDbWaitUi(nullptr);
        proxy.setMode(FaultProxy::Mode::Pass);
        EXPECT_EQ(GetRowCount(u"worktide"_s, {}), 1); // reconnects after the cancel
        proxy.setMode(FaultProxy::Mode::Stall);
        failures.clear();
        RecordsetPtr rs;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(OpenRecordset(rs, month), -1);
        const qint64 ms = clock.elapsed();
        EXPECT_GE(ms, 1800);
        EXPECT_LT(ms, 2000 + 1500); // one read, not repeated
        EXPECT_TRUE(failures.texts().value(0).startsWith(u"Error 2013 ("_s)) << failures.texts().value(0).toStdString();
    }
    proxy.setMode(FaultProxy::Mode::Pass);
    RecordsetPtr rs;
    EXPECT_EQ(OpenRecordset(rs, month), 1);
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Value(u"title"_s), u"하나"_s);
}

// The INSERT of a save cut in flight, once before it reached the server and once after
// the server stored it but before the answer came back: the new connection asks whether
// the row landed. Not landed: the failure, the editor keeps the text, the next save stores
// it once. Landed: reported as saved, and the next save updates that row.
TEST_F(DbFaultTest, InsertCutInFlightIsSettledAndReportedTruly) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    {
        FrmSave& f = OpenEditor(u"잘린 저장"_s);
        // Past the read of the highest seq, onto the INSERT.
        proxy.cutOnNextFrom(FaultProxy::Side::Client, FaultProxy::Mode::Pass, 1);
        EXPECT_FALSE(f.ProcSave());
        EXPECT_EQ(Rows(), 0);
        EXPECT_FALSE(changed);
        ASSERT_EQ(boxes.texts().size(), 1);
        EXPECT_TRUE(boxes.texts()[0].startsWith(u"Error 2013 ("_s)) << boxes.texts()[0].toStdString();
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.txtTitle->text(), u"잘린 저장"_s);
        EXPECT_FALSE(HasUnsettledInsert());
        boxes.clear();
        EXPECT_TRUE(f.ProcSave());
        EXPECT_EQ(Rows(), 1);
        EXPECT_TRUE(boxes.texts().isEmpty());
    }
    s_db->exec(u"DELETE FROM worktide"_s);
    changed = false;
    boxes.clear();
    FrmSave& f = OpenEditor(u"잘린 저장"_s);
    WatchFloatMsg();
    proxy.cutOnNextFrom(FaultProxy::Side::Server, FaultProxy::Mode::Pass, 1);
    EXPECT_TRUE(f.ProcSave());
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(changed);
    EXPECT_EQ(floatSeen, kSaved);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    EXPECT_EQ(QString::number(f.CurrentSeq()), s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s));
}

// The link stalls with the INSERT on its way and recovers later, delivering it: after a
// cancel, and after the read bound ran out. The outcome cannot be learned while the link
// is down, and the editor says so and keeps the text; the held statement then arrives and
// runs; the next save finds that row instead of storing a second one.
TEST_F(DbFaultTest, HeldInsertDeliveredAfterACancelOrTimeOutIsStoredOnce) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    for (const bool cancelled : {true, false}) {
        SCOPED_TRACE(cancelled ? "cancelled" : "timed out");
        s_db->exec(u"DELETE FROM worktide"_s);
        boxes.clear();
        changed = false;
        FrmSave& f = OpenEditor(u"멈췄다 풀린 저장"_s);
        // The link stalls with the INSERT on it (past the read of the highest seq).
        proxy.holdOnNextFrom(FaultProxy::Side::Client, 1);
        {
            std::unique_ptr<CancelPresser> cancel;
            if (cancelled)
                cancel = std::make_unique<CancelPresser>();
            QElapsedTimer clock;
            clock.start();
            EXPECT_FALSE(f.ProcSave());
            // The statement's wait, then one connect bound for the attempt to ask.
            EXPECT_LT(clock.elapsed(), cancelled ? 4000 : 6000);
            if (cancel) {
                EXPECT_EQ(cancel->presses, 1);
            }
        }
        ASSERT_EQ(boxes.texts().size(), 1) << boxes.texts().join(u"\n"_s).toStdString();
        EXPECT_EQ(boxes.texts()[0].toStdString(), kUnsettled.toStdString());
        EXPECT_FALSE(changed);
        EXPECT_EQ(f.txtTitle->text(), u"멈췄다 풀린 저장"_s);
        EXPECT_TRUE(HasUnsettledInsert());

        // The link recovers: the held INSERT reaches the server and runs there.
        proxy.setMode(FaultProxy::Mode::Pass);
        ASSERT_TRUE(RowsBecome(1));
        boxes.clear();
        WatchFloatMsg();
        EXPECT_TRUE(f.ProcSave());
        EXPECT_EQ(Rows(), 1);
        EXPECT_EQ(floatSeen, kSaved);
        EXPECT_TRUE(changed);
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
        EXPECT_FALSE(HasUnsettledInsert());
        EXPECT_EQ(QString::number(f.CurrentSeq()), s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s));
    }
}

// The held INSERT never arrives: once the old session has been ended on the server, bytes
// still on their way cannot run, the next save learns that nothing landed and stores the
// entry once; the link recovering later adds nothing.
TEST_F(DbFaultTest, HeldInsertThatNeverRanIsSentOnceMore) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    FrmSave& f = OpenEditor(u"사라진 저장"_s);
    proxy.holdOnNextFrom(FaultProxy::Side::Client, 1);
    {
        CancelPresser cancel;
        EXPECT_FALSE(f.ProcSave());
    }
    EXPECT_EQ(boxes.texts().value(0).toStdString(), kUnsettled.toStdString());
    // The stalled connections go without delivering anything.
    proxy.cutAll();
    proxy.setMode(FaultProxy::Mode::Pass);
    boxes.clear();
    EXPECT_TRUE(f.ProcSave());
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    EXPECT_FALSE(RowsBecome(2));
}

// Settled later: the answer to a stored INSERT is cut and the server stays unreachable
// for the reconnect; the editor says it could not find out and keeps the text. With the
// server back, the next save settles it first: one row.
TEST_F(DbFaultTest, InsertCutWhileTheServerStaysAwayIsSettledOnTheNextSave) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    FrmSave& f = OpenEditor(u"나중에 확인"_s);
    proxy.cutOnNextFrom(FaultProxy::Side::Server, FaultProxy::Mode::Stall, 1);
    EXPECT_FALSE(f.ProcSave());
    EXPECT_EQ(Rows(), 1);
    ASSERT_EQ(boxes.texts().size(), 1) << boxes.texts().join(u"\n"_s).toStdString();
    EXPECT_EQ(boxes.texts()[0].toStdString(), kUnsettled.toStdString());
    EXPECT_FALSE(changed);
    // Still away: asked again, still not known, nothing sent.
    boxes.clear();
    EXPECT_FALSE(f.ProcSave());
    EXPECT_EQ(boxes.texts().value(0).toStdString(), kUnsettled.toStdString());
    EXPECT_EQ(Rows(), 1);

    proxy.setMode(FaultProxy::Mode::Pass);
    boxes.clear();
    // Typed on meanwhile: the stored row takes the new text.
    f.txtTitle->setText(u"나중에 확인 (고침)"_s);
    EXPECT_TRUE(f.ProcSave());
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(s_db->scalar(u"SELECT title FROM worktide"_s), u"나중에 확인 (고침)"_s);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
}

// A handler reached from inside a statement's wait (a posted event, as a tray click
// arrives): a statement it starts itself is refused with the connection's internal error,
// without a box and without disturbing the statement waited for; work handed to
// RunOutsideWaits runs once the wait is over, and its statement succeeds.
TEST_F(DbFaultTest, APostedEventDuringAWaitNeverNestsAStatement) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "
               "(curdate(),'김하늘','하나','','','',0,'업무')"_s);
    proxy.setMode(FaultProxy::Mode::Latency, 400);
    QObject context;
    bool outerDone = false;
    bool nestedRefused = false;
    bool nestedConnectRefused = false;
    bool ranAfter = false;
    int countAfter = -1;
    QTimer::singleShot(100, &context, [&] {
        EXPECT_TRUE(IsWaiting());
        nestedRefused = !gDB->query(u"SELECT 1"_s) && gDB->lastErrorNumber() == cMySQL::kErrNested;
        // A reconnect from inside the wait would free the record the worker reads from.
        nestedConnectRefused = !gDB->real_connect({}, {}, {}, {}) && gDB->lastErrorNumber() == cMySQL::kErrNested;
        RunOutsideWaits(&context, [&] {
            ranAfter = outerDone;
            countAfter = GetRowCount(u"worktide"_s, {});
        });
    });
    EXPECT_EQ(GetRowCount(u"worktide"_s, {}), 1);
    outerDone = true;
    EXPECT_TRUE(nestedRefused);
    EXPECT_TRUE(nestedConnectRefused);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    QElapsedTimer clock;
    clock.start();
    while (countAfter < 0 && clock.elapsed() < 5000)
        QTest::qWait(10);
    EXPECT_TRUE(ranAfter);
    EXPECT_EQ(countAfter, 1);
    EXPECT_EQ(gDB->reconnectCount(), 0);
}

// The completion toggle cut after the server applied it: repeated on the new connection,
// it changes nothing the second time, yet it is reported as done because the row holds it.
TEST_F(DbFaultTest, UpdateCutAfterItLandedIsRepeatedAndReportedAsDone) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    s_db->exec(u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES "
               "(curdate(),'김하늘','토글','','','',0,'업무')"_s);
    const int seq = s_db->scalar(u"SELECT MAX(seq) FROM worktide"_s).toInt();
    proxy.cutOnNextFrom(FaultProxy::Side::Server);
    EXPECT_EQ(ExecuteSQL(u"UPDATE worktide SET finished = 1 WHERE seq = "_s + QString::number(seq)), 1);
    EXPECT_EQ(gDB->reconnectCount(), 1);
    EXPECT_EQ(s_db->scalar(u"SELECT finished FROM worktide WHERE seq = "_s + QString::number(seq)), u"1"_s);
    EXPECT_TRUE(boxes.texts().isEmpty());
}

// A change to an entry whose connection is cut inside its transaction (before its first
// statement reached the server, and after the server answered it): nothing of it is sent
// again on its own, the transaction runs again from its read on the new connection, and
// the change is saved once without a message.
TEST_F(DbFaultTest, UpdateCutInsideItsTransactionRunsAgainFromItsRead) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    for (const FaultProxy::Side side : {FaultProxy::Side::Client, FaultProxy::Side::Server}) {
        SCOPED_TRACE(static_cast<int>(side));
        const int seq = AddEntry(u"원래 제목"_s);
        boxes.clear();
        FrmSave& f = OpenExisting(seq, u"고친 제목"_s);
        const int reconnects = gDB->reconnectCount();
        proxy.cutOnNextFrom(side);
        EXPECT_TRUE(f.ProcSave()) << boxes.texts().join(u'|').toStdString();
        EXPECT_EQ(gDB->reconnectCount(), reconnects + 1);
        EXPECT_EQ(Title(seq), u"고친 제목"_s);
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
        EXPECT_FALSE(f.IsModified());
    }
}

// Cancel while a change to an entry waits: its transaction is not run again (the wait is
// never doubled), the failure is said once, nothing is written and the input stays.
TEST_F(DbFaultTest, CancelDuringAStalledUpdateIsNotRunAgain) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    const int seq = AddEntry(u"원래 제목"_s);
    FrmSave& f = OpenExisting(seq, u"멈춘 수정"_s);
    proxy.setMode(FaultProxy::Mode::Stall);
    CancelPresser cancel;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(f.ProcSave());
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(cancel.presses, 1);
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(u"Error 2013 "_s)) << boxes.texts()[0].toStdString();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.txtTitle->text(), u"멈춘 수정"_s);
    EXPECT_TRUE(f.IsModified());
    proxy.cutAll();
    proxy.setMode(FaultProxy::Mode::Pass);
    EXPECT_EQ(Title(seq), u"원래 제목"_s);
    // Saved on the next try.
    boxes.clear();
    EXPECT_TRUE(f.ProcSave()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(Title(seq), u"멈춘 수정"_s);
}

// Cancel during a stalled save: the statement ends, the editor stays open as typed.
TEST_F(DbFaultTest, CancelDuringStalledSaveKeepsTheEditorAndItsText) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    FrmSave& f = OpenEditor(u"멈춘 저장"_s);
    proxy.setMode(FaultProxy::Mode::Stall);
    CancelPresser cancel;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(f.ProcSave());
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(cancel.presses, 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.txtTitle->text(), u"멈춘 저장"_s);
    EXPECT_TRUE(f.btnSave->isEnabled() || !f.btnNew->isEnabled());
    // The held statement must not arrive later either: drop it with the connection.
    proxy.cutAll();
    proxy.setMode(FaultProxy::Mode::Pass);
    EXPECT_EQ(Rows(), 0);
    // Saved on the next try, once.
    boxes.clear();
    EXPECT_TRUE(f.ProcSave());
    EXPECT_EQ(Rows(), 1);
}

// Typed on while a save waits on a stalled link, with a second click on "저장": once the
// notice is up the link recovers. The entry is stored once, without what was typed after
// the save began; that text reaches the editor once the "saved" notice has gone, and the
// editor counts it as a change still to save.
TEST_F(DbFaultTest, TypedWhileASaveWaitsIsKeptAndNotSavedWithIt) {
    FaultProxy proxy(u"127.0.0.1"_s, 0);
    ConnectThrough(proxy);
    FrmSave& f = OpenEditor(u"기다린 저장"_s);
    ASSERT_TRUE(test::ActivateWindow(&f));
    f.txtMemo->setFocus();
    WatchFloatMsg();
    // Past the read of the highest seq, the INSERT is held.
    proxy.holdOnNextFrom(FaultProxy::Side::Client, 1);
    QTimer::singleShot(0, &f, [&f] {
        test::QueueText(f.windowHandle(), u"이어서 쓴 내용"_s);
        test::QueueClick(f.btnSave);
    });
    bool noticeUp = false;
    QString memoAtNotice;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (noticeUp || w->objectName() != u"frmDbWait"_s || !w->isVisible() || QApplication::activeWindow() != w)
                continue;
            noticeUp = true;
            memoAtNotice = f.txtMemo->toPlainText();
            proxy.setMode(FaultProxy::Mode::Pass);
        }
    });
    watch.start();
    EXPECT_TRUE(f.ProcSave()) << boxes.texts().join(u"\n"_s).toStdString();
    watch.stop();
    EXPECT_TRUE(noticeUp);
    EXPECT_EQ(memoAtNotice, QString());
    EXPECT_EQ(floatSeen, kSaved);
    EXPECT_TRUE(QTest::qWaitFor([&f] { return f.txtMemo->toPlainText() == u"이어서 쓴 내용"_s; }, 5000))
        << f.txtMemo->toPlainText().toStdString();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.IsModified());
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(s_db->scalar(u"SELECT details FROM worktide"_s), QString());
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
}

// The PC allowance check at start-up against a host that never answers: Cancel ends its
// own connection attempt at once, the check gives "" and says why.
TEST_F(DbFaultTest, CancelDuringThePcAllowanceCheck) {
    // Called below the windows: the message is handed back, not shown.
    test::DbFailureLog failures;
    auto proxy = FaultProxy::OnDefaultPort();
    proxy->setMode(FaultProxy::Mode::Stall);
    ScopedDbTimeouts longer([] {
        DbTimeouts t = ShortBounds();
        t.connectSeconds = 30;
        return t;
    }());
    s_db->exec(u"INSERT INTO user_mac (mac_addr, user_id, block) VALUES ('001A2B3C4D5E', 'sky', 0)"_s);
    const ScopedAdapterSource adapter([] { return QList<NetworkAdapter>{{u"eth0"_s, u"00:1A:2B:3C:4D:5E"_s}}; });
    SetDBName(s_db->name());
    const test::ScopedValue<QString> host(gDBServerHost, proxy->host());
    CancelPresser cancel;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(GetAllowMyPC(), QString());
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(cancel.presses, 1);
    ASSERT_EQ(failures.texts().size(), 1);
    EXPECT_TRUE(failures.texts()[0].startsWith(u"Error 2013 "_s)) << failures.texts()[0].toStdString();
    EXPECT_TRUE(failures.texts()[0].endsWith(kNoConnection));
    // With the host answering again the same check lets the computer in.
    proxy->setMode(FaultProxy::Mode::Pass);
    failures.clear();
    EXPECT_EQ(GetAllowMyPC(), u"sky"_s);
}

// A second, throwaway server restarted between two actions: the next action, an INSERT,
// goes out once on a new connection (one reconnect) and is stored once.
TEST_F(DbFaultTest, ServerRestartedBetweenTwoActions) {
    const QString script = QStringLiteral(WORKTIDE_SOURCE_DIR) + u"/scripts/dbserver"_s;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"WORKTIDE_DB_BIND"_s, u"127.0.0.9"_s);
    env.insert(u"WORKTIDE_DB_PORT"_s, u"3307"_s);
    env.insert(u"WORKTIDE_DB_DIR"_s, QStringLiteral(WORKTIDE_BINARY_DIR) + u"/restart-db"_s);
    const auto run = [&](const QString& action) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(script, {action});
        p.waitForFinished(120000);
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    ASSERT_TRUE(run(u"start"_s));
    gDB = std::make_unique<cMySQL>();
    ASSERT_TRUE(gDB->real_connect(u"127.0.0.9"_s, DbServer::user(), DbServer::password(), u"dd_inhouse"_s, 3307));
    ExecuteSQL(u"DELETE FROM worktide"_s);
    const QString insert =
        u"INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES ( "
        "curdate(),'김하늘','재시작','','','', 0,'업무' )"_s;
    EXPECT_EQ(ExecuteSQL(insert), 1);
    ASSERT_TRUE(run(u"stop"_s));
    ASSERT_TRUE(run(u"start"_s));
    EXPECT_EQ(ExecuteSQL(insert), 1);
    EXPECT_EQ(gDB->reconnectCount(), 1);
    EXPECT_EQ(GetRowCount(u"worktide"_s, u"title = '재시작'"_s), 2);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u"\n"_s).toStdString();
    DBClose();
    run(u"stop"_s);
}

} // namespace
} // namespace worktide
