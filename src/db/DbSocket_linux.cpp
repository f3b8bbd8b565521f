#include "db/DbSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace worktide {

bool SocketReadableNow(my_socket socket) {
    const int fd = static_cast<int>(socket);
    if (fd < 0)
        return true;
    pollfd p{fd, POLLIN | POLLPRI, 0};
    return ::poll(&p, 1, 0) != 0;
}

void SocketHandle::shutdown() const {
    if (m_value >= 0)
        ::shutdown(static_cast<int>(m_value), SHUT_RDWR);
}

void SocketHandle::close() {
    if (m_value >= 0)
        ::close(static_cast<int>(m_value));
    m_value = -1;
}

SocketHandle DuplicateSocket(my_socket socket) {
    const int fd = static_cast<int>(socket);
    return SocketHandle(fd >= 0 ? ::dup(fd) : -1);
}

// Shutting the socket down wakes a poll on it here.
ScopedWakeableWaits::ScopedWakeableWaits(const SocketHandle&) {}
ScopedWakeableWaits::~ScopedWakeableWaits() = default;
void UseWakeableWaits(MYSQL*) {}

} // namespace worktide
