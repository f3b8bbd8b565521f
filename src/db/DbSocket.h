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
    explicit SocketHandle(long long value, long long wake = -1) : m_value(value), m_wake(wake) {}
    ~SocketHandle() { close(); }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;

    // Both may be called from another thread than the one that made the handle, once each.
    // shutdown() also wakes the waits of a ScopedWakeableWaits made with this handle.
    void shutdown() const;
    void close();

private:
    friend class ScopedWakeableWaits;
    long long m_value = -1;
    // Where shutting a socket down does not wake a thread waiting on it (Wine's select
    // sleeps on until its time-out), a loopback datagram socket that shutdown() writes to.
    long long m_wake = -1;
};

// Empty (shutdown and close do nothing) when the socket is invalid or cannot be duplicated.
SocketHandle DuplicateSocket(my_socket socket);

// While one exists, the library's waits for the socket on this thread end as soon as the
// handle is shut down, also where the platform would not wake them by itself. Needs
// UseWakeableWaits on the record.
class ScopedWakeableWaits {
public:
    explicit ScopedWakeableWaits(const SocketHandle& handle);
    ~ScopedWakeableWaits();
    ScopedWakeableWaits(const ScopedWakeableWaits&) = delete;
    ScopedWakeableWaits& operator=(const ScopedWakeableWaits&) = delete;
};

// Makes the library wait for the connected socket in our own way, so ScopedWakeableWaits
// can end a wait. Before each exchange (a reconnect inside the library makes a new socket);
// does nothing where shutting the socket down is enough.
void UseWakeableWaits(MYSQL* record);

} // namespace worktide
