#include "LoopbackHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    int listenFd = -1;
    int wakeFd[2] = {-1, -1};
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::map<QString, Response> responses;
    std::vector<std::pair<QString, QString>> folders; // prefix, directory
    Response fallback;
    QList<Request> requests;
    std::set<int> openFds;
    std::vector<std::thread> workers;
    std::thread acceptor;

    Impl() {
        fallback.status = 404;
        fallback.body = "not found";
        fallback.contentType = "text/plain";
    }

    void acceptLoop();
    void serve(int fd);
    bool readHead(int fd, QByteArray& head);
    Response answerFor(const Request& req);
    void sendAll(int fd, const QByteArray& data);
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
    d->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (d->listenFd < 0)
        throw std::runtime_error("LoopbackHttpServer: socket failed");
    int one = 1;
    ::setsockopt(d->listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(d->listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(d->listenFd, 64) != 0)
        throw std::runtime_error("LoopbackHttpServer: bind/listen failed");
    socklen_t len = sizeof addr;
    ::getsockname(d->listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    d->port = ntohs(addr.sin_port);
    if (::pipe2(d->wakeFd, O_CLOEXEC) != 0)
        throw std::runtime_error("LoopbackHttpServer: pipe failed");
    d->acceptor = std::thread([this] { d->acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        // Under the lock, so a worker cannot miss the wake-up between its check and its wait.
        std::lock_guard lock(d->mutex);
        d->stopping = true;
        for (int fd : d->openFds)
            ::shutdown(fd, SHUT_RDWR);
    }
    d->changed.notify_all();
    const char c = 'x';
    [[maybe_unused]] auto w = ::write(d->wakeFd[1], &c, 1);
    if (d->acceptor.joinable())
        d->acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(d->mutex);
        workers.swap(d->workers);
    }
    for (auto& t : workers)
        t.join();
    ::close(d->listenFd);
    ::close(d->wakeFd[0]);
    ::close(d->wakeFd[1]);
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
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeFd[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (stopping || (fds[1].revents & POLLIN))
            break;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex);
        openFds.insert(fd);
        workers.emplace_back([this, fd] { serve(fd); });
    }
}

bool LoopbackHttpServer::Impl::readHead(int fd, QByteArray& head) {
    char buf[4096];
    while (!stopping) {
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, 100);
        if (r == 0)
            continue;
        if (r < 0)
            return false;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
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

void LoopbackHttpServer::Impl::sendAll(int fd, const QByteArray& data) {
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

void LoopbackHttpServer::Impl::serve(int fd) {
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
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

} // namespace worktide::test
