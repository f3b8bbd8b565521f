#include "db/DbSocket.h"

#include <winsock2.h>

namespace worktide {

bool SocketReadableNow(my_socket socket) {
    if (socket == INVALID_SOCKET)
        return true;
    WSAPOLLFD p{};
    p.fd = socket;
    p.events = POLLRDNORM | POLLRDBAND;
    return WSAPoll(&p, 1, 0) != 0;
}

void SocketHandle::shutdown() const {
    if (m_value >= 0)
        ::shutdown(static_cast<SOCKET>(m_value), SD_BOTH);
}

void SocketHandle::close() {
    if (m_value >= 0)
        ::closesocket(static_cast<SOCKET>(m_value));
    m_value = -1;
}

SocketHandle DuplicateSocket(my_socket socket) {
    if (socket == INVALID_SOCKET)
        return SocketHandle();
    // Winsock's way to a second handle for the same connection inside one process.
    WSAPROTOCOL_INFOW info{};
    if (WSADuplicateSocketW(socket, GetCurrentProcessId(), &info) != 0)
        return SocketHandle();
    const SOCKET own = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0, 0);
    return own == INVALID_SOCKET ? SocketHandle() : SocketHandle(static_cast<long long>(own));
}

} // namespace worktide
