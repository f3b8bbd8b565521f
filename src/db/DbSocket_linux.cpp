#include "db/DbSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace worktide {

bool SocketHasInput(my_socket socket) {
    if (socket < 0)
        return true;
    pollfd p{socket, POLLIN | POLLPRI, 0};
    return ::poll(&p, 1, 0) != 0;
}

SocketInterrupter::SocketInterrupter(my_socket socket) : m_socket(socket >= 0 ? ::dup(socket) : -1) {
    m_valid = m_socket >= 0;
}

SocketInterrupter::~SocketInterrupter() {
    if (m_valid)
        ::close(m_socket);
}

void SocketInterrupter::interrupt() const {
    if (m_valid)
        ::shutdown(m_socket, SHUT_RDWR);
}

} // namespace worktide
