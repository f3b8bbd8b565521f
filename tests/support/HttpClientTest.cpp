#include "support/HttpClient.h"

#include "common/LoopbackHttpServer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QFile>

#include <gtest/gtest.h>

using worktide::HttpGet;
using worktide::test::LoopbackHttpServer;

TEST(HttpGet, ReturnsStatusAndBodyAndRecordsTheTarget) {
    LoopbackHttpServer server;
    server.setResponse(QStringLiteral("/a"), 200, "hello");
    server.setResponse(QStringLiteral("/e"), 500, "boom");
    const auto ok = HttpGet(server.url(QStringLiteral("/a?x=1%20y")));
    EXPECT_TRUE(ok.ok);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.body, QByteArray("hello"));
    const auto err = HttpGet(server.url(QStringLiteral("/e")));
    EXPECT_TRUE(err.ok); // an answer arrived, even if it is an error status
    EXPECT_EQ(err.status, 500);
    EXPECT_EQ(err.body, QByteArray("boom"));
    const auto missing = HttpGet(server.url(QStringLiteral("/nothing")));
    EXPECT_EQ(missing.status, 404);
    ASSERT_EQ(server.requestCount(), 3);
    const auto req = server.requests().first();
    EXPECT_EQ(req.method, QStringLiteral("GET"));
    EXPECT_EQ(req.target, QStringLiteral("/a?x=1%20y"));
    EXPECT_EQ(req.path, QStringLiteral("/a"));
    EXPECT_EQ(req.query, QStringLiteral("x=1%20y"));
}

TEST(HttpGet, GivesUpOnAServerThatNeverAnswers) {
    LoopbackHttpServer server;
    server.setHang(QStringLiteral("/slow"));
    QElapsedTimer timer;
    timer.start();
    const auto r = HttpGet(server.url(QStringLiteral("/slow")), 500, 800);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_LT(timer.elapsed(), 4000);
    EXPECT_EQ(server.requestCount(), 1);
}

TEST(HttpGet, RefusedConnectionAndOversizedBodyFail) {
    quint16 port;
    {
        LoopbackHttpServer gone;
        port = gone.port();
    }
    const auto refused = HttpGet(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.error.isEmpty());

    LoopbackHttpServer server;
    server.setResponse(QStringLiteral("/big"), 200, QByteArray(100000, 'x'));
    const auto big = HttpGet(server.url(QStringLiteral("/big")), 2000, 5000, 1000);
    EXPECT_FALSE(big.ok);
    EXPECT_TRUE(big.body.isEmpty());
    const auto fits = HttpGet(server.url(QStringLiteral("/big")), 2000, 5000, 100000);
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.body.size(), 100000);
}

TEST(LoopbackHttpServer, ServesFilesFromAFolderUnderAPrefix) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("업데이트.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("content\x01\x02");
    f.close();
    LoopbackHttpServer server;
    server.serveFolder(QStringLiteral("/download/자동/"), dir.path());
    const auto r = HttpGet(server.url(QString::fromLatin1(
        QByteArray("/download/") + QStringLiteral("자동/업데이트.txt").toUtf8().toPercentEncoding("/"))));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, QByteArray("content\x01\x02"));
    EXPECT_EQ(HttpGet(server.url(QStringLiteral("/download/%EC%9E%90%EB%8F%99/none"))).status, 404);
    // Sent by hand: Qt Network removes dot segments before sending, libcurl does not.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(raw.waitForConnected(5000));
    raw.write("GET /download/%EC%9E%90%EB%8F%99/%2E%2E/x HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    while (!answer.contains("\r\n") && raw.waitForReadyRead(5000))
        answer += raw.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 403") || answer.startsWith("HTTP/1.0 403")) << answer.constData();
}
