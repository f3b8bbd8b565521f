#include "LoopbackHttpServer.h"

#include "TestSocket.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace worktide::test {

struct LoopbackHttpServer::Impl {
    net::Socket listenFd = net::kNoSocket;
    net::WakePair wake;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::map<QString, Response> responses;
    std::vector<std::pair<QString, QString>> folders; // prefix, directory
    Response fallback;
    QList<Request> requests;
    std::set<net::Socket> openFds;
    std::vector<std::thread> workers;
    std::thread acceptor;

    Impl() {
        fallback.status = 404;
        fallback.body = "not found";
        fallback.contentType = "text/plain";
    }

    void acceptLoop();
    void serve(net::Socket fd);
    bool readHead(net::Socket fd, QByteArray& head);
    Response answerFor(const Request& req);
    void sendAll(net::Socket fd, const QByteArray& data);
};

namespace {
QByteArray ReasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}
} // namespace

LoopbackHttpServer::LoopbackHttpServer() : d(std::make_unique<Impl>()) {
    int port = 0;
    d->listenFd = net::Listen(QStringLiteral("127.0.0.1"), 0, &port);
    if (d->listenFd == net::kNoSocket)
        throw std::runtime_error("LoopbackHttpServer: bind/listen failed");
    d->port = static_cast<std::uint16_t>(port);
    d->acceptor = std::thread([this] { d->acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        // Under the lock, so a worker cannot miss the wake-up between its check and its wait.
        std::lock_guard lock(d->mutex);
        d->stopping = true;
        for (net::Socket fd : d->openFds)
            net::Shutdown(fd);
    }
    d->changed.notify_all();
    d->wake.Wake();
    if (d->acceptor.joinable())
        d->acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(d->mutex);
        workers.swap(d->workers);
    }
    for (auto& t : workers)
        t.join();
    net::Close(d->listenFd);
}

std::uint16_t LoopbackHttpServer::port() const {
    return d->port;
}

QString LoopbackHttpServer::hostPort() const {
    return QStringLiteral("127.0.0.1:") + QString::number(d->port);
}

QString LoopbackHttpServer::url(const QString& path) const {
    return QStringLiteral("http://") + hostPort() + path;
}

void LoopbackHttpServer::setResponse(const QString& key, const Response& response) {
    std::lock_guard lock(d->mutex);
    d->responses[key] = response;
}

void LoopbackHttpServer::setResponse(const QString& key, int status, const QByteArray& body,
                                     const QByteArray& contentType) {
    Response r;
    r.status = status;
    r.body = body;
    r.contentType = contentType;
    setResponse(key, r);
}

void LoopbackHttpServer::setHang(const QString& key) {
    Response r;
    r.hang = true;
    setResponse(key, r);
}

void LoopbackHttpServer::serveFolder(const QString& prefix, const QString& directory) {
    std::lock_guard lock(d->mutex);
    d->folders.emplace_back(prefix, directory);
}

void LoopbackHttpServer::setFallback(const Response& response) {
    std::lock_guard lock(d->mutex);
    d->fallback = response;
}

void LoopbackHttpServer::clearResponses() {
    std::lock_guard lock(d->mutex);
    d->responses.clear();
    d->folders.clear();
    d->fallback = Response{};
    d->fallback.status = 404;
    d->fallback.body = "not found";
    d->fallback.contentType = "text/plain";
}

QList<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
    std::lock_guard lock(d->mutex);
    return d->requests;
}

QList<QString> LoopbackHttpServer::requestTargets() const {
    std::lock_guard lock(d->mutex);
    QList<QString> out;
    for (const auto& r : d->requests)
        out.append(r.target);
    return out;
}

int LoopbackHttpServer::requestCount() const {
    std::lock_guard lock(d->mutex);
    return static_cast<int>(d->requests.size());
}

void LoopbackHttpServer::clearRequests() {
    std::lock_guard lock(d->mutex);
    d->requests.clear();
}

bool LoopbackHttpServer::waitForRequests(int n, int timeoutMs) const {
    std::unique_lock lock(d->mutex);
    return d->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return d->requests.size() >= n; });
}

void LoopbackHttpServer::Impl::acceptLoop() {
    while (!stopping) {
        std::vector<net::PollFd> fds{net::Readable(listenFd), net::Readable(wake.reader)};
        if (net::Poll(fds, -1) < 0)
            continue;
        if (stopping || (fds[1].revents & POLLIN))
            break;
        if (!(fds[0].revents & POLLIN))
            continue;
        const net::Socket fd = net::Accept(listenFd);
        if (fd == net::kNoSocket)
            continue;
        std::lock_guard lock(mutex);
        openFds.insert(fd);
        workers.emplace_back([this, fd] { serve(fd); });
    }
}

bool LoopbackHttpServer::Impl::readHead(net::Socket fd, QByteArray& head) {
    char buf[4096];
    while (!stopping) {
        std::vector<net::PollFd> p{net::Readable(fd)};
        const int r = net::Poll(p, 100);
        if (r == 0)
            continue;
        if (r < 0)
            return false;
        const long n = net::Recv(fd, buf, sizeof buf);
        if (n <= 0)
            return false;
        head.append(buf, n);
        const auto end = head.indexOf("\r\n\r\n");
        if (end >= 0) {
            head.truncate(end + 4); // GET carries no body worth reading
            return true;
        }
        if (head.size() > 1024 * 1024)
            return false;
    }
    return false;
}

LoopbackHttpServer::Response LoopbackHttpServer::Impl::answerFor(const Request& req) {
    std::lock_guard lock(mutex);
    if (auto it = responses.find(req.target); it != responses.end())
        return it->second;
    if (auto it = responses.find(req.path); it != responses.end())
        return it->second;
    for (const auto& [prefix, directory] : folders) {
        if (!req.path.startsWith(prefix))
            continue;
        const QString rest = req.path.mid(prefix.size());
        Response r;
        r.contentType = "application/octet-stream";
        if (rest.split(QLatin1Char('/')).contains(QStringLiteral(".."))) {
            r.status = 403;
            r.body = "forbidden";
            return r;
        }
        QFile file(QDir(directory).filePath(rest));
        if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
            r.body = file.readAll();
            return r;
        }
        r.status = 404;
        r.body = "not found";
        return r;
    }
    return fallback;
}

void LoopbackHttpServer::Impl::sendAll(net::Socket fd, const QByteArray& data) {
    qsizetype sent = 0;
    while (sent < data.size()) {
        const long n = net::Send(fd, data.constData() + sent, static_cast<size_t>(data.size() - sent));
        if (n <= 0)
            return;
        sent += n;
    }
}

void LoopbackHttpServer::Impl::serve(net::Socket fd) {
    QByteArray head;
    if (readHead(fd, head)) {
        Request req;
        req.head = head;
        const QByteArray line = head.left(head.indexOf("\r\n"));
        const QList<QByteArray> parts = line.split(' ');
        req.method = QString::fromLatin1(parts.value(0));
        req.target = QString::fromUtf8(parts.value(1));
        const QByteArray rawTarget = parts.value(1);
        const auto q = rawTarget.indexOf('?');
        const QByteArray rawPath = q >= 0 ? rawTarget.left(q) : rawTarget;
        req.query = q >= 0 ? QString::fromUtf8(rawTarget.mid(q + 1)) : QString();
        req.path = QString::fromUtf8(QByteArray::fromPercentEncoding(rawPath));
        const Response resp = answerFor(req);
        {
            std::lock_guard lock(mutex);
            requests.append(req);
        }
        changed.notify_all();

        if (resp.hang) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return stopping.load(); });
        } else {
            if (resp.delayMs > 0) {
                std::unique_lock lock(mutex);
                changed.wait_for(lock, std::chrono::milliseconds(resp.delayMs), [&] { return stopping.load(); });
            }
            QByteArray out = "HTTP/1.1 " + QByteArray::number(resp.status) + ' ' + ReasonOf(resp.status) + "\r\n";
            out += "Content-Type: " + resp.contentType + "\r\n";
            out += "Content-Length: " + QByteArray::number(resp.body.size()) + "\r\n";
            out += "Connection: close\r\n\r\n";
            if (req.method != QStringLiteral("HEAD"))
                out += resp.body;
            sendAll(fd, out);
        }
    }
    {
        std::lock_guard lock(mutex);
        openFds.erase(fd);
    }
    net::ShutdownAndClose(fd);
}

} // namespace worktide::test
