// The program on a three-node Galera cluster behind HAProxy (scripts/cluster): a node
// lost between two actions and during a save, the same entry saved on two nodes at once,
// a node that rejoins, and a node that is not ready. The program's own connection goes
// through the proxy (127.0.0.10) or straight to a node (127.0.0.11-13); what was stored
// is read on every node directly. Skipped when the cluster is not running.
#include "common/ClusterNodes.h"
#include "common/TestDb.h"
#include "db/DbWait.h"
#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "db/modSchedule.h"
#include "support/Clock.h"
#include "support/Globals.h"
#include "support/MsgBox.h"
#include "ui/shared/ShowMessages.h"
#include "ui/schedule/FrmSave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>
#include <mysql.h>
#include <poll.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::Cluster;
using test::DbServer;
using test::ScratchDatabase;

const QString kOwner = u"김하늘"_s;
const QString kDay = u"2026-12-08"_s;

// Runs a check every 20 ms while the program waits for the server (timers fire inside
// its wait), until the check says it is done.
class WhileWaiting : public QObject {
public:
    explicit WhileWaiting(std::function<bool()> step) : m_step(std::move(step)) {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (m_step())
                m_timer.stop();
        });
        m_timer.start();
    }

private:
    std::function<bool()> m_step;
    QTimer m_timer;
};

class ClusterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_skip = Cluster::UnavailableReason();
        if (!s_skip.isEmpty())
            return;
        // A failure here fails every test (a skip would hide it).
        try {
            if (!Cluster::Start())
                throw std::runtime_error("scripts/cluster start failed");
            s_db = Cluster::MakeScratchDatabase(u"cluster"_s).release();
            // Saves whose memo starts with "slow" spend three seconds in the server with the
            // row locked, so a node can be killed, or another node can write, while they run.
            // Made by the node's root (with Galera a trigger needs more than the program's
            // account), run as the program's account so that it can watch them sleep.
            for (const QString& when : {u"INSERT"_s, u"UPDATE"_s}) {
                if (!Cluster::RootSql(1, u"CREATE DEFINER = 'dd_inhouse'@'127.0.0.1' TRIGGER `%1`.slow_%2 BEFORE %2 "
                                         "ON `%1`.worktide FOR EACH ROW "
                                         "DO IF(NEW.details LIKE 'slow%', SLEEP(3), 0)"_s.arg(s_db->name(), when)))
                    throw std::runtime_error("cannot make the slow triggers");
            }
        } catch (const std::exception& e) {
            s_error = QString::fromUtf8(e.what());
        }
    }
    static void TearDownTestSuite() {
        delete s_db;
        s_db = nullptr;
    }

    void SetUp() override {
        if (!s_skip.isEmpty())
            GTEST_SKIP() << s_skip.toStdString();
        ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString();
        // A node an earlier test left down comes back first.
        ASSERT_TRUE(Cluster::Start());
        s_db->exec(u"DELETE FROM worktide; DELETE FROM worktide_cate"_s);
        s_db->exec(u"INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('업무','*',1)"_s);
        m_user.emplace(kOwner);
    }
    void TearDown() override {
        form.reset();
        DBClose();
        m_user.reset();
    }

    // gDB on the proxy or on one node.
    static bool Connect(const QString& host) {
        return DBInit(host, DbServer::user(), DbServer::password(), s_db->name()).connected;
    }
    // The node serving gDB's connection (1..3), asked on that connection.
    static int ServingNode() {
        RecordsetPtr rs;
        if (OpenRecordset(rs, u"SELECT @@wsrep_node_name"_s) != 1 || !rs)
            return 0;
        return rs->Value(0).mid(4).toInt();
    }
    static QString Field(int node, int seq, const QString& column) {
        return Cluster::Scalar(node, s_db->name(),
                               u"SELECT "_s + column + u" FROM worktide WHERE seq = "_s + QString::number(seq));
    }
    static int Rows(int node, const QString& where = u"1"_s) {
        return Cluster::Scalar(node, s_db->name(), u"SELECT COUNT(*) FROM worktide WHERE "_s + where).toInt();
    }
    static int InsertEntry(const QString& title) {
        ScheduleValues v;
        v.owner = kOwner;
        v.title = title;
        v.details = u"메모"_s;
        v.sdate = kDay;
        v.edate = kDay;
        v.category = u"업무"_s;
        Cluster::Exec(1, s_db->name(), MakeScheduleInsertSQL(v));
        return Cluster::Scalar(1, s_db->name(), u"SELECT MAX(seq) FROM worktide"_s).toInt();
    }

    void MakeEditor() {
        form = std::make_unique<FrmSave>();
        QObject::connect(form.get(), &FrmSave::ScheduleChanged, [this] { refreshNeeded = true; });
    }
    FrmSave& NewEntryEditor(const QString& title, const QString& memo) {
        MakeEditor();
        form->SetParam(kDay, true, 0, {});
        form->show();
        form->txtTitle->setText(title);
        form->txtMemo->setPlainText(memo);
        form->cmbCategory->setCurrentText(u"업무"_s);
        form->chkDate->setChecked(true);
        form->DTPicker1[0]->setDate(QDate(2026, 12, 8));
        form->DTPicker1[1]->setDate(QDate(2026, 12, 9));
        return *form;
    }
    FrmSave& EntryEditor(int seq, const QString& title, const QString& memo) {
        MakeEditor();
        form->SetParam(kDay, false, seq, kOwner);
        form->show();
        form->txtTitle->setText(title);
        form->txtMemo->setPlainText(memo);
        return *form;
    }

    // The statement id of a save of ours asleep in the slow trigger on node (the row
    // locked), 0 when none is. A repeated statement gets a new id.
    static qint64 SleepingOn(int node) {
        return Cluster::Scalar(node, {},
                               u"SELECT IFNULL(MAX(QUERY_ID), 0) FROM information_schema.PROCESSLIST "
                               "WHERE STATE = 'User sleep' AND DB = '"_s +
                                   s_db->name() + u"'"_s,
                               false)
            .toLongLong();
    }

    static inline ScratchDatabase* s_db = nullptr;
    static inline QString s_skip;
    static inline QString s_error;
    // The entries end on 2026-12-09; a new entry that has already ended is stored finished,
    // so "today" is pinned before them whatever day the suite runs.
    ScopedToday today{QDate(2026, 12, 1)};
    ScopedScriptedMessageBoxes boxes;
    std::unique_ptr<FrmSave> form;
    bool refreshNeeded = false;

private:
    std::optional<ScopedSignedInUser> m_user;
};

// The node serving the session dies between two saves: the second save goes out once on a
// new connection that the proxy gives to a live node, and every entry is on both survivors.
// The node then rejoins, catches up with what it missed, and a month query on it shows all.
TEST_F(ClusterTest, ServingNodeKilledBetweenTwoSavesThenRejoins) {
    ASSERT_TRUE(Connect(Cluster::ProxyHost()));
    ASSERT_TRUE(NewEntryEditor(u"첫 저장"_s, u"하나"_s).ProcSave()) << boxes.texts().join(u'|').toStdString();
    const int first = form->CurrentSeq();
    const int dead = ServingNode();
    ASSERT_GE(dead, 1);
    ASSERT_EQ(gDB->reconnectCount(), 0);

    ASSERT_TRUE(Cluster::Kill(dead));
    // The next action comes once the proxy has closed the session, as it does within
    // milliseconds; one sent in that instant is lost with the node (the in-flight test).
    pollfd session{static_cast<int>(mysql_get_socket(gDB->nativeHandle())), POLLIN, 0};
    ASSERT_EQ(::poll(&session, 1, 3000), 1);
    EXPECT_TRUE(NewEntryEditor(u"둘째 저장"_s, u"둘"_s).ProcSave()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(gDB->reconnectCount(), 1);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_NE(ServingNode(), dead);
    // A change to the first entry and the completion toggle, while the node is down.
    ScheduleValues v;
    v.title = u"첫 저장 고침"_s;
    v.details = u"하나"_s;
    v.sdate = kDay;
    v.edate = kDay;
    v.category = u"업무"_s;
    EXPECT_EQ(ExecuteSQL(MakeScheduleUpdateSQL(v, first)), 1);
    EXPECT_EQ(SetScheduleFinished(first, 1), 1);
    EXPECT_EQ(gDB->reconnectCount(), 1);

    for (int node = 1; node <= 3; ++node) {
        if (node == dead)
            continue;
        EXPECT_EQ(Rows(node), 2) << "node" << node;
        EXPECT_EQ(Rows(node, u"title = '둘째 저장'"_s), 1) << "node" << node;
        EXPECT_EQ(Field(node, first, u"CONCAT(title, '/', finished)"_s), u"첫 저장 고침/1"_s) << "node" << node;
    }

    // Back in the cluster: it caught up, and the program's month query on it shows every entry.
    ASSERT_TRUE(Cluster::Restart(dead));
    EXPECT_EQ(Cluster::State(dead), u"Synced 3"_s);
    ASSERT_TRUE(Connect(Cluster::NodeHost(dead)));
    RecordsetPtr rs;
    ASSERT_EQ(OpenRecordset(rs, MakeScheduleRangeSQL(u"2026-12-01"_s, u"2026-12-31"_s, kOwner, FinishedFilter::All,
                                                     std::nullopt)),
              2);
    QStringList titles;
    for (; !rs->isEOF(); rs->MoveNext())
        titles << rs->Value(u"title"_s) + u'/' + rs->Value(u"finished"_s);
    titles.sort();
    EXPECT_EQ(titles, (QStringList{u"둘째 저장/0"_s, u"첫 저장 고침/1"_s}));
}

// A node dies while a save runs on it. A new entry is not repeated: none is stored, the save
// says it failed, the editor keeps the text, and the next save stores it once. A change to an
// entry is repeated on a live node (its second run changes nothing more) and is saved once.
TEST_F(ClusterTest, NodeKilledWhileASaveIsInFlight) {
    ASSERT_TRUE(Connect(Cluster::ProxyHost()));
    int dead = ServingNode();
    ASSERT_GE(dead, 1);
    int kills = 0;
    const auto killWhenAsleep = [&] {
        return std::make_unique<WhileWaiting>([&] {
            if (SleepingOn(dead) == 0)
                return false;
            kills += Cluster::Kill(dead) ? 1 : 0;
            return true;
        });
    };
    {
        FrmSave& f = NewEntryEditor(u"날아간 저장"_s, u"slow 새 일정"_s);
        auto killer = killWhenAsleep();
        EXPECT_FALSE(f.ProcSave());
        ASSERT_EQ(kills, 1);
        ASSERT_EQ(boxes.texts().size(), 1);
        EXPECT_TRUE(boxes.texts()[0].startsWith(u"Error 2013 (Lost connection to server during query) "
                                                "in procedure query of Module cMySQL"_s))
            << boxes.texts()[0].toStdString();
        EXPECT_EQ(gDB->reconnectCount(), 1);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.txtTitle->text(), u"날아간 저장"_s);
        EXPECT_EQ(f.CurrentSeq(), 0);
        EXPECT_FALSE(refreshNeeded);
        for (int node = 1; node <= 3; ++node) {
            if (node == dead)
                continue;
            EXPECT_EQ(Rows(node), 0) << "node" << node;
        }
        // Saved again as it stands: once.
        boxes.clear();
        EXPECT_TRUE(f.ProcSave()) << boxes.texts().join(u'|').toStdString();
        for (int node = 1; node <= 3; ++node) {
            if (node == dead)
                continue;
            EXPECT_EQ(Rows(node, u"title = '날아간 저장'"_s), 1) << "node" << node;
        }
    }
    ASSERT_TRUE(Cluster::Restart(dead));
    DBClose();
    boxes.clear();
    {
        const int seq = InsertEntry(u"고칠 일정"_s);
        ASSERT_TRUE(Connect(Cluster::ProxyHost()));
        dead = ServingNode();
        FrmSave& f = EntryEditor(seq, u"고친 일정"_s, u"slow 고친 메모"_s);
        ASSERT_EQ(f.CurrentSeq(), seq);
        auto killer = killWhenAsleep();
        EXPECT_TRUE(f.ProcSave()) << boxes.texts().join(u'|').toStdString();
        EXPECT_EQ(kills, 2);
        EXPECT_EQ(gDB->reconnectCount(), 1);
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
        for (int node = 1; node <= 3; ++node) {
            if (node == dead)
                continue;
            EXPECT_EQ(Rows(node), 2) << "node" << node;
            EXPECT_EQ(Field(node, seq, u"CONCAT(title, '/', details)"_s), u"고친 일정/slow 고친 메모"_s);
        }
    }
    EXPECT_TRUE(Cluster::Restart(dead));
}

// Two people save the same entry at the same moment on two nodes. The save on node 2 holds
// the row when node 1's change arrives, so Galera rolls the save's transaction back. The
// save is never sent again on its own (outside its transaction it would overwrite node 1's
// change unseen): it is run again from its read, which finds node 1's change and asks.
// - No: nothing of mine is written; the editor shows node 1's change.
// - Yes: mine is written over what was shown, on a second run of the transaction.
// Never a mix of the two, never a second row.
TEST_F(ClusterTest, SameEntrySavedOnTwoNodesAtOnce) {
    const QString kChanged = u"다른 곳에서 이 일정이 수정되었습니다. 덮어쓸까요?"_s;
    int rounds = 0;
    for (const int answer : {vbNo, vbYes}) {
        SCOPED_TRACE(answer);
        ++rounds;
        boxes.clear();
        const int seq = InsertEntry(u"같은 일정"_s);
        ASSERT_TRUE(Connect(Cluster::NodeHost(2)));
        const int abortsBefore = Cluster::StatusValue(2, u"wsrep_local_bf_aborts"_s).toInt();
        FrmSave& f = EntryEditor(seq, u"둘째 노드의 제목"_s, u"slow 둘째 노드의 메모"_s);
        ASSERT_EQ(f.CurrentSeq(), seq);

        int sent = 0;
        WhileWaiting other([&] {
            if (sent == 0 && SleepingOn(2) != 0) {
                ++sent;
                ScheduleValues v;
                v.title = u"첫째 노드의 제목"_s;
                v.details = u"첫째 노드의 메모"_s;
                v.sdate = kDay;
                v.edate = kDay;
                v.category = u"업무"_s;
                EXPECT_EQ(Cluster::Exec(1, s_db->name(), MakeScheduleUpdateSQL(v, seq)), 1);
            }
            return false;
        });
        boxes.queueAnswer(answer);
        const bool saved = f.ProcSave();
        EXPECT_EQ(sent, 1);
        EXPECT_GE(Cluster::StatusValue(2, u"wsrep_local_bf_aborts"_s).toInt() - abortsBefore, 1);
        // No also shows where my text went (the clipboard).
        EXPECT_EQ(boxes.texts().size(), answer == vbNo ? 2 : 1) << boxes.texts().join(u'|').toStdString();
        EXPECT_EQ(boxes.texts().value(0), kChanged);
        QString expected;
        if (answer == vbYes) {
            EXPECT_TRUE(saved);
            expected = u"둘째 노드의 제목/slow 둘째 노드의 메모"_s;
        } else {
            EXPECT_FALSE(saved);
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(f.txtTitle->text(), u"첫째 노드의 제목"_s);
            expected = u"첫째 노드의 제목/첫째 노드의 메모"_s;
        }
        for (int node = 1; node <= 3; ++node) {
            EXPECT_EQ(Field(node, seq, u"CONCAT(title, '/', details)"_s), expected) << "node" << node;
            EXPECT_EQ(Rows(node), rounds) << "node" << node; // one entry per round, never a second one
        }
        form.reset();
        DBClose();
    }
}

// A node that refuses statements ("WSREP has not yet prepared node for application use"):
// a read is tried once more and succeeds when the node is ready by then; otherwise, and for
// a new entry, which is never sent twice, the statement fails with the server's message.
TEST_F(ClusterTest, NodeNotReadyForStatements) {
    InsertEntry(u"준비 안 된 노드"_s);
    ASSERT_TRUE(Connect(Cluster::NodeHost(3)));
    const QString month =
        MakeScheduleRangeSQL(u"2026-12-01"_s, u"2026-12-31"_s, kOwner, FinishedFilter::All, std::nullopt);
    ASSERT_TRUE(Cluster::RootSql(3, u"SET GLOBAL wsrep_reject_queries = ALL"_s));
    RecordsetPtr rs;
    EXPECT_EQ(OpenRecordset(rs, month), -1);
    // The statement's failure waits for the window that ran it, as a tab's load shows it.
    ShowDbFailures();
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(u"Error 1047 (WSREP has not yet prepared node for application use) "
                                            "in procedure query of Module cMySQL"_s))
        << boxes.texts()[0].toStdString();
    boxes.clear();
    FrmSave& f = NewEntryEditor(u"거절된 저장"_s, u"메모"_s);
    EXPECT_FALSE(f.ProcSave());
    EXPECT_TRUE(boxes.texts().value(0).startsWith(u"Error 1047 "_s)) << boxes.texts().value(0).toStdString();
    EXPECT_EQ(f.txtTitle->text(), u"거절된 저장"_s);
    EXPECT_EQ(Rows(1), 1);

    // Ready again within the pause before the second run: the read succeeds, silently.
    boxes.clear();
    bool released = false;
    WhileWaiting release([&] {
        released = Cluster::RootSql(3, u"SET GLOBAL wsrep_reject_queries = NONE"_s);
        return true;
    });
    EXPECT_EQ(OpenRecordset(rs, month), 1);
    EXPECT_TRUE(released);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    Cluster::RootSql(3, u"SET GLOBAL wsrep_reject_queries = NONE"_s);
}

// The program's own connection straight to a node, with the library alone (not counted
// by anything of the program's).
using MysqlPtr = std::unique_ptr<MYSQL, decltype(&mysql_close)>;
MysqlPtr OpenOn(int node) {
    MysqlPtr h(mysql_init(nullptr), &mysql_close);
    const QByteArray host = Cluster::NodeHost(node).toLatin1();
    const QByteArray user = DbServer::user().toLatin1();
    const QByteArray password = DbServer::password().toLatin1();
    if (!mysql_real_connect(h.get(), host.constData(), user.constData(), password.constData(), nullptr, 3306, nullptr,
                            0))
        throw std::runtime_error(std::string("cannot connect to the node: ") + mysql_error(h.get()));
    return h;
}

// After a time-out the next statement's new connection may land on another node, where the
// dropped connection's thread id belongs to somebody else's connection, running the very
// same statement (everyone shares the account and the team view): it is left alone. On the
// node the dropped connection was on, a statement left running is still ended.
TEST_F(ClusterTest, StatementLeftRunningIsKilledOnlyOnItsOwnNode) {
    DbTimeouts shortRead;
    shortRead.readSeconds = 1;
    shortRead.writeSeconds = 1;
    ScopedDbTimeouts bounds(shortRead);
    const QString teamView = u"SELECT SLEEP(4), 'team view'"_s;

    // Thread ids are counted by each node; take the two nodes whose counts are closest.
    int ids[4] = {0, 0, 0, 0};
    for (int node = 1; node <= 3; ++node)
        ids[node] = static_cast<int>(mysql_thread_id(OpenOn(node).get()));
    int own = 1, other = 2;
    for (const auto& [a, b] : {std::pair{1, 3}, std::pair{2, 3}})
        if (std::abs(ids[a] - ids[b]) < std::abs(ids[own] - ids[other]))
            own = a, other = b;
    cMySQL c;
    const auto connect = [&] {
        return c.real_connect(Cluster::NodeHost(own), DbServer::user(), DbServer::password(), s_db->name());
    };
    ASSERT_TRUE(connect());
    // The coworker's connection on the other node, with the same thread id as ours.
    MysqlPtr coworker = OpenOn(other);
    for (int step = 0; step < 20000 && mysql_thread_id(coworker.get()) != c.thread_id(); ++step) {
        if (mysql_thread_id(coworker.get()) < c.thread_id())
            coworker = OpenOn(other);
        else
            ASSERT_TRUE(connect());
    }
    const unsigned long sharedId = c.thread_id();
    ASSERT_EQ(mysql_thread_id(coworker.get()), sharedId);

    std::atomic<int> coworkerError{-1};
    QByteArray coworkerSlept;
    std::thread coworkerQuery([&] {
        const QByteArray sql = teamView.toLatin1();
        if (mysql_real_query(coworker.get(), sql.constData(), static_cast<unsigned long>(sql.size())) != 0) {
            coworkerError = static_cast<int>(mysql_errno(coworker.get()));
            return;
        }
        MYSQL_RES* result = mysql_store_result(coworker.get());
        MYSQL_ROW row = result ? mysql_fetch_row(result) : nullptr;
        coworkerSlept = row && row[0] ? QByteArray(row[0]) : QByteArray("?");
        if (result)
            mysql_free_result(result);
        coworkerError = static_cast<int>(mysql_errno(coworker.get()));
    });
    const QString coworkerRunning =
        u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1 AND INFO LIKE 'SELECT SLEEP(4)%'"_s.arg(
            sharedId);
    QElapsedTimer clock;
    clock.start();
    while (Cluster::Scalar(other, {}, coworkerRunning, false) != u"1"_s && clock.elapsed() < 3000)
        QThread::msleep(10);

    // Ours runs into the read bound and is dropped; the next statement goes to the other node.
    EXPECT_EQ(c.query(teamView, true), nullptr);
    c.setHost(Cluster::NodeHost(other));
    RecordsetPtr rs = c.query(u"SELECT @@wsrep_node_name"_s, true);
    ASSERT_TRUE(rs && !rs->isEOF());
    EXPECT_EQ(rs->Value(0), u"node%1"_s.arg(other));
    EXPECT_EQ(c.reconnectCount(), 1);
    coworkerQuery.join();
    EXPECT_EQ(coworkerError.load(), 0) << "the coworker's statement was killed";
    EXPECT_EQ(coworkerSlept, QByteArray("0"));

    // On its own node the statement left running is ended (the server would notice the
    // closed connection only at the end of the sleep's five-second slice).
    const QString ownThread = QString::number(c.thread_id());
    const QString ownRunning = u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = "_s + ownThread;
    clock.restart();
    EXPECT_EQ(c.query(u"SELECT SLEEP(20), 'left running'"_s, true), nullptr);
    rs = c.query(u"SELECT @@wsrep_node_name"_s, true);
    ASSERT_TRUE(rs && !rs->isEOF());
    EXPECT_EQ(rs->Value(0), u"node%1"_s.arg(other));
    EXPECT_EQ(c.reconnectCount(), 2);
    while (Cluster::Scalar(other, {}, ownRunning, false) != u"0"_s && clock.elapsed() < 4000)
        QThread::msleep(20);
    EXPECT_EQ(Cluster::Scalar(other, {}, ownRunning, false), u"0"_s) << "the statement left running was not killed";
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

} // namespace
} // namespace worktide
