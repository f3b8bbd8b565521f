#include "FaultProxy.h"

#include "TestDb.h"

#include <chrono>
#include <deque>
#include <stdexcept>
#include <string>

namespace worktide::test {
namespace {

using Clock = std::chrono::steady_clock;

net::Socket ConnectUpstream() {
    return net::Connect(DbServer::host(), DbServer::port());
}

} // namespace

// One client connection and its server connection; bytes read wait in a queue until
// their time has come (latency), then go out.
struct FaultProxy::Pipe {
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
    };
    net::Socket fd[2] = {net::kNoSocket, net::kNoSocket}; // 0 = client, 1 = server
    std::deque<Chunk> toward[2];
    bool open = true;

    void Close() {
        for (net::Socket& f : fd)
            if (f != net::kNoSocket) {
                net::Close(f);
                f = net::kNoSocket;
            }
        open = false;
    }
};

FaultProxy::FaultProxy(const QString& bindHost, int bindPort) : m_host(bindHost) {
    m_listen = net::Listen(bindHost, bindPort, &m_port);
    if (m_listen == net::kNoSocket)
        throw std::runtime_error("fault proxy cannot listen on " + bindHost.toStdString() + ":" +
                                 std::to_string(bindPort));
    m_thread = std::thread([this] { Run(); });
}

FaultProxy::~FaultProxy() {
    m_stop = true;
    Wake();
    m_thread.join();
    net::Close(m_listen);
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
    m_wake.Wake();
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
                    const long n = net::Send(p->fd[d], bytes.data(), bytes.size());
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

        std::vector<net::PollFd> fds{net::Readable(m_wake.reader), net::Readable(m_listen)};
        if (mode != Mode::Stall)
            for (auto& p : pipes)
                for (int side = 0; side < 2; ++side)
                    fds.push_back(net::Readable(p->fd[side]));
        if (net::Poll(fds, timeoutMs) < 0)
            break;
        if (fds[0].revents)
            m_wake.Drain();
        if (fds[1].revents & POLLIN) {
            const net::Socket client = net::Accept(m_listen);
            if (client != net::kNoSocket) {
                ++m_accepted;
                const net::Socket server = ConnectUpstream();
                if (server == net::kNoSocket) {
                    net::Close(client);
                } else {
                    net::SetNoDelay(client);
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
                const long n = net::Recv(p.fd[side], buffer, sizeof buffer);
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
