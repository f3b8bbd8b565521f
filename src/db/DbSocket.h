#pragma once

#include <mysql.h>

// The connection's socket, one implementation per platform: whether an idle connection
// has something to read, and ending a stalled exchange from the waiting thread.
namespace worktide {

// True when the socket has anything to read (or is gone); it never waits.
bool SocketHasInput(my_socket socket);

// Lets the waiting thread end a stalled read or write on the socket at once. It stays
// safe to use when the library closes its own descriptor meanwhile (on Linux it holds a
// duplicate of its own).
class SocketInterrupter {
public:
    explicit SocketInterrupter(my_socket socket);
    ~SocketInterrupter();
    SocketInterrupter(const SocketInterrupter&) = delete;
    SocketInterrupter& operator=(const SocketInterrupter&) = delete;

    void interrupt() const;

private:
    my_socket m_socket;
    bool m_valid;
};

} // namespace worktide
