#include "FaultProxy.h"

#include "TestDb.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <deque>
#include <stdexcept>
#include <string>

namespace worktide::test {
namespace {

using Clock = std::chrono::steady_clock;

int Listen(const QString& host, int port, int* boundPort) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, host.toLatin1().constData(), &a.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    *boundPort = ntohs(a.sin_port);
    return fd;
}

int ConnectUpstream() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(DbServer::port()));
    ::inet_pton(AF_INET, DbServer::host().toLatin1().constData(), &a.sin_addr);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

} // namespace

// One client connection and its server connection; bytes read wait in a queue until
// their time has come (latency), then go out.
struct FaultProxy::Pipe {
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
    };
    int fd[2] = {-1, -1}; // 0 = client, 1 = server
    std::deque<Chunk> toward[2];
    bool open = true;

    void Close() {
        for (int& f : fd)
            if (f >= 0) {
                ::close(f);
                f = -1;
            }
        open = false;
    }
};

FaultProxy::FaultProxy(const QString& bindHost, int bindPort) : m_host(bindHost) {
    m_listen = Listen(bindHost, bindPort, &m_port);
    if (m_listen < 0)
        throw std::runtime_error("fault proxy cannot listen on " + bindHost.toStdString() + ":" +
                                 std::to_string(bindPort));
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(m_listen);
        throw std::runtime_error("fault proxy: pipe failed");
    }
    m_thread = std::thread([this] { Run(); });
}

FaultProxy::~FaultProxy() {
    m_stop = true;
    Wake();
    m_thread.join();
    ::close(m_listen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::unique_ptr<FaultProxy> FaultProxy::OnDefaultPort() {
    for (int last = 3; last <= 9; ++last) {
        try {
            return std::make_unique<FaultProxy>(QStringLiteral("127.0.0.%1").arg(last), 3306);
        } catch (const std::runtime_error&) {
            // Taken by a test program running at the same time: try the next address.
        }
    }
    throw std::runtime_error("fault proxy: 127.0.0.3-9:3306 are all taken");
}

void FaultProxy::setMode(Mode mode, int latencyMs) {
    m_latencyMs = latencyMs;
    m_mode = mode;
    Wake();
}

void FaultProxy::cutAll() {
    m_cut = true;
    Wake();
    while (m_cut.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void FaultProxy::Wake() {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(m_wake[1], &c, 1);
}

void FaultProxy::Run() {
    std::vector<std::unique_ptr<Pipe>> pipes;
    char buffer[65536];
    while (!m_stop) {
        if (m_cut) {
            for (auto& p : pipes)
                p->Close();
            pipes.clear();
            m_cut = false;
        }
        const Mode mode = m_mode;
        const auto now = Clock::now();
        // Send what is due; a stalled proxy moves nothing in either direction.
        int timeoutMs = 100;
        for (auto& p : pipes) {
            for (int d = 0; d < 2 && p->open && mode != Mode::Stall; ++d) {
                auto& q = p->toward[d];
                while (!q.empty() && q.front().due <= now) {
                    std::string& bytes = q.front().bytes;
                    const ssize_t n = ::send(p->fd[d], bytes.data(), bytes.size(), MSG_NOSIGNAL);
                    if (n <= 0) {
                        p->Close();
                        break;
                    }
                    bytes.erase(0, static_cast<size_t>(n));
                    if (!bytes.empty())
                        break;
                    q.pop_front();
                }
                if (p->open && !q.empty()) {
                    const auto wait =
                        std::chrono::duration_cast<std::chrono::milliseconds>(q.front().due - now).count();
                    timeoutMs = std::min<int>(timeoutMs, wait > 0 ? static_cast<int>(wait) : 1);
                }
            }
        }
        std::erase_if(pipes, [](const auto& p) { return !p->open; });

        std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        if (mode != Mode::Stall)
            for (auto& p : pipes)
                for (int side = 0; side < 2; ++side)
                    fds.push_back({p->fd[side], POLLIN, 0});
        if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR)
            break;
        if (fds[0].revents) {
            while (::read(m_wake[0], buffer, sizeof buffer) > 0) {
            }
        }
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                ++m_accepted;
                const int server = ConnectUpstream();
                if (server < 0) {
                    ::close(client);
                } else {
                    int one = 1;
                    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                    auto p = std::make_unique<Pipe>();
                    p->fd[0] = client;
                    p->fd[1] = server;
                    pipes.push_back(std::move(p));
                }
            }
        }
        if (mode == Mode::Stall)
            continue;
        size_t k = 2;
        const auto due = Clock::now() + std::chrono::milliseconds(mode == Mode::Latency ? m_latencyMs.load() : 0);
        for (size_t i = 0; i < pipes.size() && k < fds.size(); ++i) {
            Pipe& p = *pipes[i];
            for (int side = 0; side < 2; ++side, ++k) {
                if (!p.open || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = ::recv(p.fd[side], buffer, sizeof buffer, 0);
                if (n <= 0) {
                    p.Close();
                    continue;
                }
                if (m_cutOn.load() == side && m_skip.fetch_sub(1) <= 0) {
                    m_cutOn = -1;
                    if (m_hold) {
                        p.toward[1 - side].push_back({due, std::string(buffer, static_cast<size_t>(n))});
                        m_mode = Mode::Stall;
                        break;
                    }
                    m_cut = true;
                    m_mode = m_afterCut.load();
                    break;
                }
                p.toward[1 - side].push_back({due, std::string(buffer, static_cast<size_t>(n))});
            }
        }
    }
    for (auto& p : pipes)
        p->Close();
}

} // namespace worktide::test
