// The helper routines on the global connection: escaping hostile texts, counts, the
// missing connection, and the client library check of DBInit.
#include "common/DbFailureLog.h"
#include "common/TestDb.h"
#include "db/modMySQL_Func_lite.h"
#include "support/Config.h"
#include "support/MsgBox.h"
#include "support/modWaitProc.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace worktide {
namespace {

using test::DbServer;
using test::ScratchDatabase;

class HelperTest : public ::testing::Test {
protected:
    HelperTest() : db(u"helpers"_s) {}
    void TearDown() override { EXPECT_TRUE(boxes.shown().isEmpty()) << boxes.texts().join(u'|').toStdString(); }
    ~HelperTest() override {
        DBClose();
        SetClientVersionSource({});
    }

    // The layer below the windows never shows a box itself; it leaves its messages in failures.
    ScopedScriptedMessageBoxes boxes;
    test::DbFailureLog failures;
    ScratchDatabase db;
};

TEST(EscapeSQLTest, DoublesQuotesDoublesBackslashesAndCutsAtNul) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {u"O'Brien"_s, u"O''Brien"_s},
        {u"C:\\temp"_s, u"C:\\\\temp"_s},
        {u"\\'"_s, u"\\\\''"_s},
        {u"앞"_s + QChar(0) + u"' 뒤"_s, u"앞"_s},
        {u"평범한 제목"_s, u"평범한 제목"_s},
    };
    for (const auto& k : cases)
        EXPECT_EQ(EscapeSQL(k.in), k.out) << k.in.toStdString();
}

TEST_F(HelperTest, HostileTextsAreStoredAndReadBackUnchanged) {
    ASSERT_TRUE(db.connectGlobal());
    const struct {
        QString typed;
        QString stored;
    } cases[] = {
        {u"'; DROP TABLE worktide; --"_s, u"'; DROP TABLE worktide; --"_s},
        {u"김's \"회의\""_s, u"김's \"회의\""_s},
        {u"경로 C:\\업무\\"_s, u"경로 C:\\업무\\"_s},
        {u"\\'); DELETE FROM worktide; -- \\"_s, u"\\'); DELETE FROM worktide; -- \\"_s},
        {u"''\\\\''"_s, u"''\\\\''"_s},
        {u"줄1\r\n줄2\t탭 %_"_s, u"줄1\r\n줄2\t탭 %_"_s},
        {u"앞부분"_s + QChar(0) + u"'); DROP TABLE user; --"_s, u"앞부분"_s},
    };
    int stored = 0;
    for (const auto& k : cases) {
        const QString t = EscapeSQL(k.typed);
        ASSERT_EQ(ExecuteSQL(u"INSERT INTO worktide (devname, title, details) VALUES ('서도윤', '"_s + t + u"', '"_s +
                             t + u"')"_s),
                  1)
            << k.typed.toStdString();
        ++stored;
        const qint32 seq = GetLastInsertId();
        ASSERT_GT(seq, 0);
        RecordsetPtr rs;
        ASSERT_EQ(OpenRecordset(rs, u"SELECT title, details FROM worktide WHERE seq = "_s + QString::number(seq)), 1);
        EXPECT_EQ(rs->Value(u"title"_s), k.stored);
        EXPECT_EQ(rs->Value(u"details"_s), k.stored);
        EXPECT_EQ(GetRowCount(u"worktide"_s, u"title = '"_s + t + u"'"_s), 1);
        CloseRecordset(rs);
    }
    EXPECT_EQ(GetRowCount(u"worktide"_s, {}), stored);
    EXPECT_EQ(GetRowCount(u"user"_s, u""_s), 0); // the table is still there
    EXPECT_TRUE(failures.shown().isEmpty()) << failures.texts().join(u'|').toStdString();
}

TEST_F(HelperTest, ExecuteSqlReportsAffectedRowsAndMinusOneOnFailure) {
    ASSERT_TRUE(db.connectGlobal());
    EXPECT_EQ(ExecuteSQL(u"INSERT INTO worktide_cate (catename, devname, ordpos) VALUES ('회의', '*', 1), "
                         u"('출장', '*', 2), ('개발', '최민결', 1)"_s),
              3);
    EXPECT_EQ(ExecuteSQL(u"UPDATE worktide_cate SET ordpos = 5 WHERE devname = '*'"_s), 2);
    EXPECT_EQ(ExecuteSQL(u"SELECT * FROM worktide_cate"_s), 3); // a result is closed again
    EXPECT_EQ(GetRowCount(u"worktide_cate"_s, u"devname IN ('*', '최민결')"_s), 3);

    EXPECT_EQ(ExecuteSQL(u"UPDATE worktide_cate SET nosuch = 1"_s, true), -1);
    EXPECT_TRUE(failures.shown().isEmpty());
    EXPECT_EQ(ExecuteSQL(u"UPDATE worktide_cate SET nosuch = 1"_s), -1);
    EXPECT_EQ(failures.shown().size(), 1);

    RecordsetPtr rs;
    EXPECT_EQ(OpenRecordset(rs, u"SELECT nosuch FROM worktide_cate"_s), -1);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(GetRowCount(u"no_such_table"_s, {}), 0);
    EXPECT_EQ(failures.shown().size(), 3);
}

TEST_F(HelperTest, MissingConnectionNeverFailsAndShowsNothingMore) {
    // A failed DBInit shows the connection's message once and leaves no connection.
    EXPECT_FALSE(DBInit(DbServer::host(), DbServer::user(), u"not-the-password"_s, db.name()));
    EXPECT_EQ(gDB, nullptr);
    ASSERT_EQ(failures.shown().size(), 1);
    EXPECT_TRUE(failures.shown().first().text.startsWith(u"Error 1045 "_s));

    RecordsetPtr rs = std::make_shared<Recordset>();
    EXPECT_EQ(ExecuteSQL(u"DELETE FROM worktide"_s), -1);
    EXPECT_EQ(OpenRecordset(rs, u"SELECT * FROM worktide"_s), -1);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(GetRowCount(u"worktide"_s, {}), 0);
    EXPECT_EQ(GetLastInsertId(), 0);
    CloseRecordset(rs);
    DBClose();
    EXPECT_EQ(failures.shown().size(), 1);
}

TEST(ClientVersionTest, FloorIsConnectorC3) {
    const struct {
        const char* version;
        bool passes;
    } cases[] = {
        {"3.3.20", true}, {"3.0.0", true}, {"3.1", true}, {"10.6.1", true}, {"2.81.1117.0", false},
        {"2.3.7", false}, {"1.5", false},  {"", false},   {"abc", false},   {".3.0", false},
    };
    for (const auto& k : cases)
        EXPECT_EQ(ClientVersionPasses(QString::fromLatin1(k.version)), k.passes) << k.version;
    EXPECT_TRUE(ClientVersionPasses(GetMDACVersion())) << GetMDACVersion().toStdString();
}

TEST_F(HelperTest, OldClientLibraryAsksToDownloadAndDoesNotConnect) {
    QStringList opened;
    const ScopedDesktopOpener opener([&](const QString& url) { opened << url; });
    SetClientVersionSource([] { return u"2.3.7"_s; });
    const QString question =
        u"MDAC(Microsoft Data Access Components)가 설치 되어 있지 않거나 버전이 낮습니다.(현재Ver:2.3.7)"_s
        u"\r\n당사 홈페이지 자료실 8번[데이타전송/임대회원용 설치파일]에서 다운로드하여 설치하세요."_s
        u"\r\n지금 다운로드 하시겠습니까?"_s;

    // The question comes back to the caller; nothing is shown or opened here.
    const DbInitResult result = DBInit(DbServer::host(), DbServer::user(), DbServer::password(), db.name());
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(gDB, nullptr);
    EXPECT_TRUE(result.offersDownload);
    EXPECT_EQ(result.message.title, u"MDAC누락"_s);
    EXPECT_EQ(result.message.text, question);
    EXPECT_EQ(MsgButtonsOf(result.message.style), vbYesNo);
    EXPECT_EQ(MsgIconOf(result.message.style), vbQuestion);
    EXPECT_TRUE(failures.shown().isEmpty());
    EXPECT_TRUE(opened.isEmpty());

    SetClientVersionSource({});
    failures.clear();
    const DbInitResult connected = DBInit(DbServer::host(), DbServer::user(), DbServer::password(), db.name());
    EXPECT_TRUE(connected.connected);
    EXPECT_TRUE(connected.message.isEmpty());
    EXPECT_NE(gDB, nullptr);
    EXPECT_TRUE(failures.shown().isEmpty());
}

} // namespace
} // namespace worktide
