#include "support/modServerAddressUtil.h"

#include "support/AppPaths.h"
#include "support/MsgBox.h"

#include "common/LoopbackHttpServer.h"
#include "common/ScopedState.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace worktide;
using worktide::test::LoopbackHttpServer;

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kEndpoint = QStringLiteral("/serverinfo/server-address-checker.php");

const QByteArray kAnswer = "{\"success\": true, \"data\": {\"ver\": 8, \"servers\": ["
                           "{\"name\": \"자동업데이트_런처\", \"host\": \"10.0.0.5\"},"
                           "{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.6\"}]}}";

class ServerAddress : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ServerAddressSetting = JsonValue();
    }
    void TearDown() override { ServerAddressSetting = JsonValue(); }

    QString cachePath() const { return m_dir.filePath(QStringLiteral("server_address_setting.json")); }
    void writeCache(const QByteArray& bytes) {
        QFile f(cachePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readCache() const {
        QFile f(cachePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    ScopedProgramFolder m_programFolder{m_dir.path()};
    LoopbackHttpServer m_server;
    test::ScopedEnv m_infoHost{"WORKTIDE_SERVERINFO_HOST", m_server.hostPort()};
    ScopedScriptedMessageBoxes m_boxes;
    UserMessages m_messages;
};

} // namespace

TEST_F(ServerAddress, RequestUrlCarriesCachedVersionAndUser) {
    struct Case {
        QByteArray cache; // empty: no cache file
        QString user;
        QString target;
    };
    const Case cases[] = {
        {{}, {}, kEndpoint},
        {"{\"ver\": 7}", {}, kEndpoint + QStringLiteral("?ver=7")},
        {"{\"ver\": 7}", QStringLiteral("u01"), kEndpoint + QStringLiteral("?ver=7&user=u01")},
        {{}, QStringLiteral("u01"), kEndpoint + QStringLiteral("?user=u01")},
        {"{\"servers\": []}", QStringLiteral("u01"), kEndpoint + QStringLiteral("?user=u01")},
        {"{\"ver\": \"1.2&x=y\"}", QStringLiteral("홍 길동"),
         kEndpoint + QStringLiteral("?ver=1.2%26x%3Dy&user=%ED%99%8D%20%EA%B8%B8%EB%8F%99")},
        {"{\"ver\": 1.50}", {}, kEndpoint + QStringLiteral("?ver=1.5")},
    };
    m_server.setResponse(kEndpoint, 200, "{\"success\": false}");
    for (const auto& c : cases) {
        QFile::remove(cachePath());
        if (!c.cache.isEmpty())
            writeCache(c.cache);
        m_server.clearRequests();
        EXPECT_TRUE(RefreshServerAddressSetting(c.user, m_messages)) << c.target.toStdString();
        ASSERT_EQ(m_server.requestCount(), 1);
        EXPECT_EQ(m_server.requestTargets().first(), c.target);
        EXPECT_EQ(m_server.requests().first().path, kEndpoint);
    }
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ServerAddress, SuccessfulAnswerReplacesTheCacheWithItsData) {
    writeCache("{\"ver\": 7, \"servers\": []}");
    m_server.setResponse(kEndpoint, 200, kAnswer);
    EXPECT_TRUE(RefreshServerAddressSetting(QString(), m_messages));
    EXPECT_EQ(QString::fromUtf8(readCache()),
              QStringLiteral("{\"ver\": 8,\"servers\": [{\"name\": \"자동업데이트_런처\",\"host\": \"10.0.0.5\"},"
                             "{\"name\": \"사내메신저DB서버\",\"host\": \"10.0.0.6\"}]}"));
    // The cache reads back to the answer's data.
    EXPECT_EQ(ParseJson(QString::fromUtf8(readCache())),
              ParseJson(QString::fromUtf8(kAnswer)).member(QStringLiteral("data")));

    LoadServerAddressSetting();
    EXPECT_EQ(GetServerHost(QStringLiteral("자동업데이트_런처")), QStringLiteral("10.0.0.5"));
    EXPECT_EQ(GetServerHost(QStringLiteral("사내메신저DB서버")), QStringLiteral("10.0.0.6"));
    EXPECT_EQ(GetServerHost(QStringLiteral("사내메신저db서버")), QString()); // exact match only
    EXPECT_EQ(GetServerHost(QStringLiteral("없는서버")), QString());

    // The next refresh sends the version now cached.
    m_server.clearRequests();
    EXPECT_TRUE(RefreshServerAddressSetting(QString(), m_messages));
    EXPECT_EQ(m_server.requestTargets().value(0), kEndpoint + QStringLiteral("?ver=8"));
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left
}

TEST_F(ServerAddress, AnswersThatLeaveTheCacheAlone) {
    struct Case {
        int status;
        QByteArray body;
        bool result;
    };
    const Case cases[] = {
        {200, "{\"success\": false, \"data\": {\"ver\": 9, \"servers\": []}}", true},
        {200, "{\"success\": \"true\", \"data\": {\"ver\": 9, \"servers\": []}}", true},
        {200, "{\"success\": 1, \"data\": {\"ver\": 9}}", true},
        {200, "{\"data\": {\"ver\": 9}}", true},
        // A success without a usable data object must not leave an unreadable cache behind.
        {200, "{\"success\": true}", true},
        {200, "{\"success\": true, \"data\": [1, 2]}", true},
        {200, "{\"success\": true, \"data\": \"x\"}", true},
        {500, kAnswer, false},
        {404, kAnswer, false},
        {200, "not json", false},
        {200, "", false},
        {200, "[{\"success\": true}]", false},
    };
    const QByteArray original = "{\"ver\": 7, \"servers\": [{\"name\": \"a\", \"host\": \"h\"}]}";
    for (const auto& c : cases) {
        writeCache(original);
        m_server.setResponse(kEndpoint, c.status, c.body);
        EXPECT_EQ(RefreshServerAddressSetting(QString(), m_messages), c.result)
            << c.status << " " << c.body.toStdString();
        EXPECT_EQ(readCache(), original) << c.status << " " << c.body.toStdString();
    }
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ServerAddress, UnreachableOrHungEndpointGivesUpQuietly) {
    m_server.setHang(kEndpoint);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(RefreshServerAddressSetting(QString(), m_messages));
    EXPECT_LT(timer.elapsed(), kServerInfoTotalTimeoutMs + 3000);
    EXPECT_EQ(m_server.requestCount(), 1);
    EXPECT_EQ(readCache(), QByteArray("<missing>"));

    quint16 deadPort;
    {
        LoopbackHttpServer gone;
        deadPort = gone.port();
    }
    qputenv("WORKTIDE_SERVERINFO_HOST", QByteArray("127.0.0.1:") + QByteArray::number(deadPort));
    EXPECT_FALSE(RefreshServerAddressSetting(QStringLiteral("u01"), m_messages));
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ServerAddress, CacheThatIsNotAnObjectStopsBeforeSending) {
    m_server.setResponse(kEndpoint, 200, kAnswer);
    for (const QByteArray& cache : {QByteArray("[{\"name\": \"a\", \"host\": \"h\"}]"), QByteArray("garbage"),
                                    QByteArray("{\"ver\": null}"), QByteArray("{\"ver\": {}}")}) {
        writeCache(cache);
        m_server.clearRequests();
        EXPECT_FALSE(RefreshServerAddressSetting(QString(), m_messages)) << cache.toStdString();
        EXPECT_EQ(m_server.requestCount(), 0) << cache.toStdString();
        EXPECT_EQ(readCache(), cache);
    }
    writeCache("[{\"servers\": [{\"name\": \"a\", \"host\": \"h\"}]}]");
    LoadServerAddressSetting();
    EXPECT_TRUE(ServerAddressSetting.isList());
    EXPECT_EQ(GetServerHost(QStringLiteral("a")), QString());
}

TEST_F(ServerAddress, LookupTakesTheFirstMatchAndToleratesOddEntries) {
    writeCache("{\"servers\": [\"x\", {\"name\": null}, {\"host\": \"nameless\"}, {\"name\": 5, \"host\": 42},"
               "{\"name\": \"db\", \"host\": \"first\"}, {\"name\": \"db\", \"host\": \"second\"},"
               "{\"name\": \"nohost\"}]}");
    LoadServerAddressSetting();
    EXPECT_EQ(GetServerHost(QStringLiteral("db")), QStringLiteral("first"));
    EXPECT_EQ(GetServerHost(QStringLiteral("5")), QStringLiteral("42"));
    EXPECT_EQ(GetServerHost(QStringLiteral("nohost")), QString());
    EXPECT_EQ(GetServerHost(QString()), QString());

    writeCache("{\"servers\": {\"name\": \"db\", \"host\": \"h\"}}");
    LoadServerAddressSetting();
    EXPECT_EQ(GetServerHost(QStringLiteral("db")), QString());
}

TEST_F(ServerAddress, LoadWithoutCacheKeepsWhatWasThere) {
    LoadServerAddressSetting();
    EXPECT_TRUE(ServerAddressSetting.isEmpty());
    EXPECT_EQ(GetServerHost(QStringLiteral("db")), QString());

    writeCache("{\"servers\": [{\"name\": \"db\", \"host\": \"h\"}]}");
    LoadServerAddressSetting();
    QFile::remove(cachePath());
    LoadServerAddressSetting();
    EXPECT_EQ(GetServerHost(QStringLiteral("db")), QStringLiteral("h"));
    EXPECT_TRUE(m_boxes.shown().isEmpty());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ServerAddress, FileExistsOnlyForVisibleOrdinaryFiles) {
    QFile(m_dir.filePath(QStringLiteral("f"))).open(QIODevice::WriteOnly);
    QFile(m_dir.filePath(QStringLiteral(".hidden"))).open(QIODevice::WriteOnly);
    QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
    EXPECT_TRUE(FileExists(m_dir.filePath(QStringLiteral("f"))));
    EXPECT_FALSE(FileExists(m_dir.filePath(QStringLiteral(".hidden"))));
    EXPECT_FALSE(FileExists(m_dir.filePath(QStringLiteral("folder"))));
    EXPECT_FALSE(FileExists(m_dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(FileExists(QString()));
}
