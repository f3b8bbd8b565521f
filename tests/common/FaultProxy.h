#pragma once

#include "TestSocket.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A real TCP proxy on loopback between the program and the test database server that a
// test can slow down, stall (accept, forward nothing either way) or cut. It runs on a
// thread of its own, so it keeps working while the test's thread waits in a statement.
namespace worktide::test {

class FaultProxy {
public:
    enum class Mode { Pass, Latency, Stall };

    // Listens on bindHost:bindPort (0 = any free port) and forwards to the test server.
    // Throws when it cannot listen.
    FaultProxy(const QString& bindHost, int bindPort);
    ~FaultProxy();
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    // The first free address 127.0.0.3 .. 127.0.0.9 on port 3306, so a test can point
    // the program's fixed port at the proxy while other test programs do the same
    // (127.0.0.2 is the private server's own).
    static std::unique_ptr<FaultProxy> OnDefaultPort();

    const QString& host() const { return m_host; }
    int port() const { return m_port; }

    void setMode(Mode mode, int latencyMs = 0);
    // Closes every connection made so far (both sides); new ones are accepted as before.
    void cutAll();
    // Cuts every connection when the next bytes come from the client (the statement never
    // reaches the server) or from the server (its answer never reaches the client), after
    // letting skip reads from that side through, then goes on in mode after (Stall: the
    // server stays unreachable for the reconnect).
    enum class Side { Client = 0, Server = 1 };
    void cutOnNextFrom(Side side, Mode after = Mode::Pass, int skip = 0) {
        m_afterCut = after;
        m_hold = false;
        m_skip = skip;
        m_cutOn = static_cast<int>(side);
    }
    // The same, but instead of a cut the proxy stalls with those bytes held. Stall holds
    // whatever was sent: switched back to Pass, the proxy delivers it, as a link that
    // recovers does.
    void holdOnNextFrom(Side side, int skip = 0) {
        m_hold = true;
        m_skip = skip;
        m_cutOn = static_cast<int>(side);
    }
    int accepted() const { return m_accepted.load(); }

private:
    struct Pipe;
    void Run();
    void Wake();

    QString m_host;
    int m_port = 0;
    net::Socket m_listen = net::kNoSocket;
    net::WakePair m_wake;
    std::atomic<Mode> m_mode{Mode::Pass};
    std::atomic<int> m_latencyMs{0};
    std::atomic<bool> m_cut{false};
    std::atomic<int> m_cutOn{-1};
    std::atomic<Mode> m_afterCut{Mode::Pass};
    std::atomic<bool> m_hold{false};
    std::atomic<int> m_skip{0};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

} // namespace worktide::test
