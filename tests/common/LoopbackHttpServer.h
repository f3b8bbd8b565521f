#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

// A tiny HTTP/1.1 server on 127.0.0.1 for tests, on threads of its own (plain
// sockets, no event loop needed). It records every request, answers from
// canned responses per path, serves files from folders, and can accept a
// connection and never answer, so that client time-outs can be tested.
namespace worktide::test {

class LoopbackHttpServer {
public:
    struct Request {
        QString method;  // "GET"
        QString target;  // the request target exactly as sent, e.g. "/a/b.php?ver=7&user=u%20x"
        QString path;    // the target's path part, percent-decoded as UTF-8, without the query
        QString query;   // the raw text after '?', empty when there is none
        QByteArray head; // the whole request head as received (request line and headers)
    };

    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json; charset=utf-8";
        int delayMs = 0;   // wait this long before answering
        bool hang = false; // accept, read the request, never answer (until the server stops)
    };

    // Binds a free port on 127.0.0.1 and starts accepting at once.
    LoopbackHttpServer();
    // Stops accepting, drops hung connections and joins every thread.
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t port() const;
    // "127.0.0.1:<port>", the form WORKTIDE_SERVERINFO_HOST takes.
    QString hostPort() const;
    // "http://127.0.0.1:<port>" + path.
    QString url(const QString& path) const;

    // Canned answers. A key is matched against the full target first (with its
    // query, exactly as sent), then against the decoded path. Setting a key again
    // replaces its answer.
    void setResponse(const QString& key, const Response& response);
    void setResponse(const QString& key, int status, const QByteArray& body,
                     const QByteArray& contentType = "application/json; charset=utf-8");
    // Accept requests for the key and never answer them.
    void setHang(const QString& key);
    // Serve files: a request whose decoded path starts with prefix (e.g. "/download/")
    // gets the file at directory + the rest of the path (404 when missing, 403 for
    // "..", never outside the folder). Canned answers win over folders.
    void serveFolder(const QString& prefix, const QString& directory);
    // The answer for anything else (default: 404 with body "not found").
    void setFallback(const Response& response);
    // Forget all canned answers, folders and the fallback.
    void clearResponses();

    // Every request received so far, in arrival order.
    QList<Request> requests() const;
    // Just the targets (path and query as sent), in arrival order.
    QList<QString> requestTargets() const;
    int requestCount() const;
    void clearRequests();
    // Waits (without an event loop) until at least n requests arrived; false on time-out.
    bool waitForRequests(int n, int timeoutMs) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace worktide::test
