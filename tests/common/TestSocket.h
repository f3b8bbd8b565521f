#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

// The few socket calls the loopback test servers need, on BSD sockets and on Winsock alike,
// so the same servers run beside the Linux build and the Windows build under Wine.
namespace worktide::test::net {

#ifdef _WIN32
using Socket = SOCKET;
inline constexpr Socket kNoSocket = INVALID_SOCKET;
using PollFd = WSAPOLLFD;
#else
using Socket = int;
inline constexpr Socket kNoSocket = -1;
using PollFd = pollfd;
#endif

// A listening TCP socket on host:port (0 = any free port); kNoSocket when the address is
// taken. *boundPort gets the port it listens on.
Socket Listen(const QString& host, int port, int* boundPort);
// A connected TCP socket with Nagle off, or kNoSocket.
Socket Connect(const QString& host, int port);
Socket Accept(Socket listening);
void SetNoDelay(Socket s);
// Ends both directions: a reader blocked on another thread sees the end.
void Shutdown(Socket s);
void ShutdownAndClose(Socket s);
void Close(Socket s);
// Like send/recv; a peer gone never raises a signal. <= 0: the connection is over.
long Send(Socket s, const char* data, std::size_t size);
long Recv(Socket s, char* data, std::size_t size);
// poll() over the entries; < 0 on an error other than an interruption.
int Poll(std::vector<PollFd>& fds, int timeoutMs);
inline PollFd Readable(Socket s) {
    PollFd p{};
    p.fd = s;
    p.events = POLLIN;
    return p;
}

// Two connected sockets: writing a byte to the second one wakes a poll on the first (a
// thread blocked in Poll is told to look again). The first one reads without blocking.
struct WakePair {
    WakePair();
    ~WakePair();
    WakePair(const WakePair&) = delete;
    WakePair& operator=(const WakePair&) = delete;
    void Wake();
    // Reads every pending wake byte.
    void Drain();
    Socket reader = kNoSocket;
    Socket writer = kNoSocket;
};

} // namespace worktide::test::net
