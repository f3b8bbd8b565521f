#include "TestSocket.h"

#include <stdexcept>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace worktide::test::net {
namespace {

#ifdef _WIN32
// Winsock needs starting once per process before the first socket.
struct WinsockStarted {
    WinsockStarted() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

Socket NewTcpSocket() {
    static WinsockStarted started;
    // Not inheritable, as SOCK_CLOEXEC makes it on Linux: a child program started by a
    // test must not keep a test server's port open.
    return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                        WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}
#else
Socket NewTcpSocket() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
#endif

sockaddr_in Address(const QString& host, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, host.toLatin1().constData(), &a.sin_addr);
    return a;
}

} // namespace

Socket Listen(const QString& host, int port, int* boundPort) {
    const Socket s = NewTcpSocket();
    if (s == kNoSocket)
        return kNoSocket;
#ifndef _WIN32
    // On Linux this only lets a port in TIME_WAIT be bound again; on Windows it would let
    // two listeners share one address, so it stays off there.
    int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
    sockaddr_in a = Address(host, port);
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 64) != 0) {
        Close(s);
        return kNoSocket;
    }
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    *boundPort = ntohs(a.sin_port);
    return s;
}

Socket Connect(const QString& host, int port) {
    const Socket s = NewTcpSocket();
    if (s == kNoSocket)
        return kNoSocket;
    sockaddr_in a = Address(host, port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        Close(s);
        return kNoSocket;
    }
    SetNoDelay(s);
    return s;
}

Socket Accept(Socket listening) {
#ifdef _WIN32
    // Accepted sockets take the listening socket's attributes, non-inheritable included.
    return ::accept(listening, nullptr, nullptr);
#else
    return ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
#endif
}

void SetNoDelay(Socket s) {
    int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

void Shutdown(Socket s) {
#ifdef _WIN32
    ::shutdown(s, SD_BOTH);
#else
    ::shutdown(s, SHUT_RDWR);
#endif
}

void ShutdownAndClose(Socket s) {
    Shutdown(s);
    Close(s);
}

void Close(Socket s) {
    if (s == kNoSocket)
        return;
#ifdef _WIN32
    ::closesocket(s);
#else
    ::close(s);
#endif
}

long Send(Socket s, const char* data, std::size_t size) {
#ifdef _WIN32
    return ::send(s, data, static_cast<int>(size), 0);
#else
    return ::send(s, data, size, MSG_NOSIGNAL);
#endif
}

long Recv(Socket s, char* data, std::size_t size) {
#ifdef _WIN32
    return ::recv(s, data, static_cast<int>(size), 0);
#else
    return ::recv(s, data, size, 0);
#endif
}

int Poll(std::vector<PollFd>& fds, int timeoutMs) {
#ifdef _WIN32
    const int r = ::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs);
    return r == SOCKET_ERROR ? -1 : r;
#else
    const int r = ::poll(fds.data(), fds.size(), timeoutMs);
    return r < 0 && errno == EINTR ? 0 : r;
#endif
}

WakePair::WakePair() {
#ifdef _WIN32
    // Winsock has no socketpair: a loopback connection made to ourselves.
    int port = 0;
    const Socket listening = Listen(QStringLiteral("127.0.0.1"), 0, &port);
    if (listening != kNoSocket) {
        writer = Connect(QStringLiteral("127.0.0.1"), port);
        if (writer != kNoSocket)
            reader = Accept(listening);
        Close(listening);
    }
    u_long nonBlocking = 1;
    if (reader != kNoSocket)
        ::ioctlsocket(reader, FIONBIO, &nonBlocking);
#else
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0) {
        reader = pair[0];
        writer = pair[1];
        ::fcntl(reader, F_SETFL, ::fcntl(reader, F_GETFL) | O_NONBLOCK);
    }
#endif
    if (reader == kNoSocket || writer == kNoSocket) {
        Close(reader);
        Close(writer);
        throw std::runtime_error("test sockets: cannot make a wake-up pair");
    }
}

WakePair::~WakePair() {
    Close(reader);
    Close(writer);
}

void WakePair::Wake() {
    const char c = 1;
    Send(writer, &c, 1);
}

void WakePair::Drain() {
    char buffer[256];
    while (Recv(reader, buffer, sizeof buffer) > 0) {
    }
}

} // namespace worktide::test::net
