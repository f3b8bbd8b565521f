#include "db/DbSocket.h"

#include <winsock2.h>

namespace worktide {

bool SocketHasInput(my_socket socket) {
    if (socket == INVALID_SOCKET)
        return true;
    // WSAPoll refuses POLLPRI; out-of-band data is read as normal data here anyway.
    WSAPOLLFD p{socket, POLLRDNORM | POLLRDBAND, 0};
    return WSAPoll(&p, 1, 0) != 0;
}

// A socket cannot be duplicated within one process on Windows; the library closes it only
// after the exchange the interrupter belongs to has ended. Shutting it down here does not
// wake the library's own select() by itself (tried under Wine): it sends the end of the
// stream, and the wait ends when the server closes its side in answer. A peer that never
// answers is left to the statement's read time-out.
SocketInterrupter::SocketInterrupter(my_socket socket) : m_socket(socket), m_valid(socket != INVALID_SOCKET) {}

SocketInterrupter::~SocketInterrupter() = default;

void SocketInterrupter::interrupt() const {
    if (m_valid)
        ::shutdown(m_socket, SD_BOTH);
}

} // namespace worktide
