#pragma once

#include <mysql.h>

// The connection's socket, for the two things the library does not offer: a look at an
// idle connection without blocking, and ending a stalled read or write from another
// thread. One implementation per platform (POSIX descriptors, Winsock sockets).
namespace worktide {

// True when the idle connection's socket has anything to read (end of file after a
// server restart or its idle time-out, an error packet sent before closing), or when
// there is no socket at all: either way the connection is gone.
bool SocketReadableNow(my_socket socket);

// A socket of our own for the same connection: shutting it down ends the library's
// blocked read or write at once, and it stays ours even when the library closes its
// own meanwhile (so its number, reused, never hits someone else's).
class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(long long value) : m_value(value) {}
    ~SocketHandle() { close(); }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;

    // Both may be called from another thread than the one that made the handle, once each.
    void shutdown() const;
    void close();

private:
    long long m_value = -1;
};

// Empty (shutdown and close do nothing) when the socket is invalid or cannot be duplicated.
SocketHandle DuplicateSocket(my_socket socket);

} // namespace worktide
