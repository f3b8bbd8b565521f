// The connection class against the private server: connect settings, the Korean
// messages, the one transparent reconnect, the character set and refused texts.
#include "common/DbFailureLog.h"
#include "common/TestDb.h"
#include "db/DbWait.h"
#include "db/cMySQL.h"
#include "db/modMySQL_Func_lite.h"
#include "support/MsgBox.h"
#include "support/VbError.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::DbServer;
using test::ScratchDatabase;

const QString kCrLf = u"\r\n"_s;
const QString kCannotConnect = u"데이터베이스 서버에 접속할 수 없습니다."_s;

class cMySQLTest : public ::testing::Test {
protected:
    cMySQLTest() : db(u"cmysql"_s) {}
    void TearDown() override { EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString(); }

    bool Connect(cMySQL& c, int port, int flags = 0, bool silent = false, const QString& password = {}) {
        return c.real_connect(DbServer::host(), DbServer::user(), password.isEmpty() ? DbServer::password() : password,
                              db.name(), port, {}, flags, silent);
    }

    // The server's own view of a stored text: its UTF-8 bytes, so a wrongly declared
    // connection character set cannot hide behind a byte-for-byte round trip.
    QString ServerUtf8Hex(const QString& where) {
        return db.scalar(u"SELECT HEX(CONVERT(title USING utf8mb4)) FROM worktide WHERE "_s + where);
    }

    // The layer below the windows never shows a box itself; it leaves its messages in failures.
    ScopedScriptedMessageBoxes boxes;
    test::DbFailureLog failures;
    ScratchDatabase db;
};

TEST_F(cMySQLTest, FlagsAlwaysCarryCompressionAndTheConnectionIsCompressed) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port(), 0));
    EXPECT_EQ(c.ClientFlags(), 32);
    RecordsetPtr rs = c.query(u"SHOW SESSION STATUS LIKE 'Compression'"_s);
    ASSERT_TRUE(rs && !rs->isEOF());
    EXPECT_EQ(rs->Value(1), u"ON"_s);

    cMySQL found;
    ASSERT_TRUE(Connect(found, DbServer::port(), 2 /* CLIENT_FOUND_ROWS */));
    EXPECT_EQ(found.ClientFlags(), 34);
    EXPECT_TRUE(failures.shown().isEmpty());
}

TEST_F(cMySQLTest, Port3306KeepsTheStoredPortButConnectsTo3306) {
    if (DbServer::port() != 3306)
        GTEST_SKIP() << "the test server does not listen on 3306";
    cMySQL c;
    c.setPort(4406);
    ASSERT_TRUE(Connect(c, 3306));
    EXPECT_EQ(c.port(), 4406);
    EXPECT_TRUE(c.isConnected());

    cMySQL fresh;
    ASSERT_TRUE(Connect(fresh, 3306));
    EXPECT_EQ(fresh.port(), 0); // a reconnect passes 0, the library's default
}

TEST_F(cMySQLTest, UnreachableServerShowsTheLongKoreanMessage) {
    cMySQL c;
    EXPECT_FALSE(Connect(c, 1)); // nothing listens on the loopback port 1
    EXPECT_FALSE(c.isConnected());
    EXPECT_EQ(c.port(), 1);
    ASSERT_EQ(failures.shown().size(), 1);
    const auto& box = failures.shown().first();
    EXPECT_EQ(box.style, vbOKOnly);
    EXPECT_TRUE(box.text.startsWith(u"Error 2003 "_s)) << box.text.toStdString();
    EXPECT_TRUE(box.text.endsWith(
        kCrLf + kCrLf + kCannotConnect + kCrLf + kCrLf + u"인터넷이 연결되어 있는지 확인 해 주세요."_s + kCrLf + kCrLf +
        u"인터넷이 연결되어 있다면 방화벽이나 각종 스파이웨어 차단 프로그램이 가동중인지 확인해 주세요."_s + kCrLf +
        u"관련 프로그램이 데이터베이스 접속을 방해하는 경우 일 수도 있습니다."_s))
        << box.text.toStdString();
}

TEST_F(cMySQLTest, WrongPasswordShowsOnlyTheShortLineAndSilentShowsNothing) {
    cMySQL c;
    EXPECT_FALSE(Connect(c, DbServer::port(), 0, false, u"wrong-password"_s));
    ASSERT_EQ(failures.shown().size(), 1);
    const QString text = failures.shown().first().text;
    EXPECT_TRUE(text.startsWith(u"Error 1045 Access denied"_s)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(kCrLf + kCrLf + kCannotConnect)) << text.toStdString();

    failures.clear();
    cMySQL quiet;
    EXPECT_FALSE(Connect(quiet, DbServer::port(), 0, true, u"wrong-password"_s));
    EXPECT_FALSE(Connect(quiet, 1, 0, true));
    EXPECT_TRUE(failures.shown().isEmpty());
}

TEST_F(cMySQLTest, FailedStatementReportsOnceOrStaysSilent) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    const QString sql = u"SELECT * FROM no_such_table"_s;

    EXPECT_EQ(c.query(sql, true), nullptr);
    EXPECT_EQ(c.affected_rows(), -1);
    EXPECT_TRUE(failures.shown().isEmpty());

    EXPECT_EQ(c.query(sql), nullptr);
    ASSERT_EQ(failures.shown().size(), 1);
    EXPECT_EQ(failures.shown().first().text,
              u"Error 1146 (Table '"_s + db.name() +
                  u".no_such_table' doesn't exist) in procedure query of Module cMySQL"_s + kCrLf + kCrLf + sql);
    EXPECT_EQ(c.reconnectCount(), 0);
}

TEST_F(cMySQLTest, KilledConnectionIsReplacedExactlyOnceAndKeepsKoreanText) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    const unsigned long oldThread = c.thread_id();
    db.exec(u"KILL "_s + QString::number(oldThread)); // from a second connection

    RecordsetPtr none = c.query(u"INSERT INTO worktide (devname, title) VALUES ('서도윤', '똠얌꿍 회의')"_s);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(c.affected_rows(), 1);
    EXPECT_EQ(c.reconnectCount(), 1);
    EXPECT_NE(c.thread_id(), oldThread);
    EXPECT_TRUE(failures.shown().isEmpty()) << failures.texts().join(u'|').toStdString();

    RecordsetPtr rs = c.query(u"SELECT devname, title FROM worktide"_s);
    ASSERT_TRUE(rs && !rs->isEOF());
    EXPECT_EQ(rs->Value(u"devname"_s), u"서도윤"_s);
    EXPECT_EQ(rs->Value(u"title"_s), u"똠얌꿍 회의"_s);
    EXPECT_EQ(ServerUtf8Hex(u"devname = '서도윤'"_s), QString::fromLatin1(u"똠얌꿍 회의"_s.toUtf8().toHex().toUpper()));
    EXPECT_EQ(c.reconnectCount(), 1);
}

// A statement that ran into the read bound is left running on the server when its
// connection is closed; the next statement's new connection, on the same server, ends it.
TEST_F(cMySQLTest, StatementLeftRunningAfterATimeOutIsKilledOnTheSameServer) {
    DbTimeouts shortRead;
    shortRead.readSeconds = 1;
    shortRead.writeSeconds = 1;
    ScopedDbTimeouts bounds(shortRead);
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    const QString oldThread = QString::number(c.thread_id());
    const QString running = u"SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = "_s + oldThread;

    // The server itself notices the closed connection only between five-second slices of
    // the sleep: the thread gone before that was killed.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(c.query(u"SELECT SLEEP(20), 'left running'"_s, true), nullptr);
    EXPECT_EQ(db.scalar(running), u"1"_s) << "the server still runs it after the time-out";
    RecordsetPtr rs = c.query(u"SELECT 1"_s, true);
    ASSERT_TRUE(rs && !rs->isEOF());
    EXPECT_EQ(c.reconnectCount(), 1);
    while (db.scalar(running) != u"0"_s && clock.elapsed() < 4000)
        QThread::msleep(20);
    EXPECT_EQ(db.scalar(running), u"0"_s) << "the old thread was not killed";
    EXPECT_TRUE(failures.shown().isEmpty()) << failures.texts().join(u'|').toStdString();
}

TEST_F(cMySQLTest, ReconnectThatCannotReachTheServerGivesUp) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    c.setHost(u"127.0.0.1"_s);
    c.setPort(1); // the reconnect goes to a port where nobody listens
    db.exec(u"KILL "_s + QString::number(c.thread_id()));

    EXPECT_EQ(c.query(u"SELECT 1"_s, true), nullptr);
    EXPECT_EQ(c.affected_rows(), -1);
    EXPECT_EQ(c.reconnectCount(), 1);
    // The connection message is the only one; the statement adds none.
    ASSERT_EQ(failures.shown().size(), 1);
    EXPECT_TRUE(failures.shown().first().text.startsWith(u"Error 2003 "_s));
}

TEST_F(cMySQLTest, KoreanTextRoundTripsAsTheServerUnderstandsIt) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    // 가/한 from the EUC-KR base set, 똠/뷁 from the CP949 extension, a hanja, symbols.
    const QStringList texts = {u"가나다 한글"_s, u"똠"_s, u"뷁쀍"_s, u"乫 漢字"_s, u"①€ mixed ASCII"_s};
    for (const QString& t : texts) {
        c.query(u"INSERT INTO worktide (title) VALUES ('"_s + t + u"')"_s);
        ASSERT_EQ(c.affected_rows(), 1) << t.toStdString();
        const QString seq = QString::number(c.insert_id());
        RecordsetPtr rs = c.query(u"SELECT title FROM worktide WHERE seq = "_s + seq);
        ASSERT_TRUE(rs && !rs->isEOF());
        EXPECT_EQ(rs->Value(0), t);
        EXPECT_EQ(ServerUtf8Hex(u"seq = "_s + seq), QString::fromLatin1(t.toUtf8().toHex().toUpper()))
            << t.toStdString();
    }
    EXPECT_TRUE(failures.shown().isEmpty());
}

TEST_F(cMySQLTest, CharactersOutsideCp949AreRefusedAndNothingIsSent) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    c.query(u"INSERT INTO worktide (title) VALUES ('a'), ('b'), ('c')"_s);
    ASSERT_EQ(c.affected_rows(), 3);

    struct Case {
        QString bad;
        QString codePoint;
    };
    const Case cases[] = {{u"😀"_s, u"U+1F600"_s}, {u"丂"_s, u"U+4E02"_s}, {u"𠀀"_s, u"U+20000"_s}};
    for (const Case& k : cases) {
        failures.clear();
        const QString sql = u"INSERT INTO worktide (title) VALUES ('회의 "_s + k.bad + u"')"_s;
        EXPECT_EQ(c.query(sql), nullptr);
        EXPECT_EQ(c.affected_rows(), -1) << "not the 3 of the statement before";
        ASSERT_EQ(failures.shown().size(), 1);
        const QString text = failures.shown().first().text;
        EXPECT_TRUE(text.startsWith(u"Error 5 ("_s)) << text.toStdString();
        EXPECT_TRUE(text.contains(u"'"_s + k.bad + u"'"_s)) << text.toStdString();
        EXPECT_TRUE(text.contains(k.codePoint)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(kCrLf + kCrLf + sql));
    }
    failures.clear();
    EXPECT_EQ(c.query(u"DELETE FROM worktide WHERE title <> '😀'"_s, true), nullptr);
    EXPECT_TRUE(failures.shown().isEmpty());
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM worktide"_s), u"3"_s);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM worktide WHERE title LIKE '%?%'"_s), u"0"_s);
}

TEST_F(cMySQLTest, NulInsideAStatementNeverCutsItShort) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));
    c.query(u"INSERT INTO worktide (title, finished) VALUES ('a', 0), ('b', 0)"_s);
    // Cut at the NUL this would finish every entry; sent whole it is a syntax error.
    QString sql = u"UPDATE worktide SET finished = 1 "_s;
    sql += QChar(0);
    sql += u"WHERE title = 'a'"_s;
    EXPECT_EQ(c.query(sql, true), nullptr);
    EXPECT_EQ(c.affected_rows(), -1);
    EXPECT_EQ(db.scalar(u"SELECT SUM(finished) FROM worktide"_s), u"0"_s);
}

TEST_F(cMySQLTest, WrappersRaiseTypedErrorsAndReplaceMissingLibraryCalls) {
    cMySQL c;
    ASSERT_TRUE(Connect(c, DbServer::port()));

    // create_db has no library call left: a statement does it, and a repeat fails typed.
    const QString extra = db.name() + u"_x"_s;
    EXPECT_EQ(c.create_db(extra), 0);
    try {
        c.create_db(extra);
        ADD_FAILURE() << "second create_db did not raise";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 1007);
        EXPECT_EQ(e.source(), u"cMysql::create_db"_s);
        EXPECT_TRUE(e.description().contains(extra));
    }
    db.exec(u"DROP DATABASE `"_s + extra + u"`"_s);

    try {
        c.dump_debug_info(); // needs a privilege the program's account does not have
        ADD_FAILURE() << "dump_debug_info did not raise";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 1227);
        EXPECT_EQ(e.source(), u"cMysql::dump_debug_info"_s);
    }
    EXPECT_THROW(c.select_db(u"wt_no_such_database"_s), VbError);

    // Kill by statement ends another connection, whatever size its thread id has.
    cMySQL other;
    ASSERT_TRUE(Connect(other, DbServer::port()));
    EXPECT_EQ(c.Kill(other.thread_id()), 0);
    // Once the server has let the killed thread go, a second kill reports the
    // library's error number ("unknown thread"); the thread may linger briefly.
    int again = 0;
    for (int i = 0; i < 100 && again == 0; ++i) {
        again = c.Kill(other.thread_id());
        if (again == 0)
            QThread::msleep(20);
    }
    EXPECT_NE(again, 0);

    RecordsetPtr tables = c.list_tables();
    ASSERT_TRUE(tables);
    EXPECT_EQ(tables->RecordCount(), 4);
    RecordsetPtr fields = c.list_fields(u"user"_s);
    ASSERT_TRUE(fields);
    EXPECT_GE(fields->FieldIndex(u"password2"_s), 0);
    RecordsetPtr processes = c.list_processes();
    ASSERT_TRUE(processes);
    bool ownThreadListed = false;
    for (; !processes->isEOF(); processes->MoveNext())
        ownThreadListed = ownThreadListed || processes->Value(u"Id"_s) == QString::number(c.thread_id());
    EXPECT_TRUE(ownThreadListed);
    EXPECT_EQ(c.thread_safe(), 1);
    c.setDoMemFree(true);
    c.free_result(); // the native result is gone already: nothing to free twice
    c.free_result();
    EXPECT_FALSE(c.escape_string(u"it's \"x\"\\"_s).contains(u"''"_s));
    EXPECT_EQ(c.escape_string(u"끝'😀 "_s), u"끝\\'😀 "_s); // nothing turns into '?'
    EXPECT_TRUE(failures.shown().isEmpty());
}

} // namespace
} // namespace worktide
