#include "db/DbSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cerrno>

namespace worktide {

namespace {

// The wake socket of the ScopedWakeableWaits on this thread.
thread_local SOCKET t_wake = INVALID_SOCKET;

// A datagram socket on loopback that sends to itself: one byte written to it makes it
// readable, which every select sees, also Wine's.
SOCKET MakeWakeSocket() {
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// The library's own wait (select on the one socket, its time-out in milliseconds, below zero
// for none), with the thread's wake socket beside it. Same results: above zero when the
// socket is ready, otherwise SOCKET_ERROR with the reason as the socket error and errno.
int WaitIo(my_socket socket, my_bool isRead, int timeout) {
    fd_set ready;
    fd_set wake;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&wake);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    const SOCKET own = t_wake;
    fd_set* reads = isRead ? &ready : &wake;
    if (own != INVALID_SOCKET)
        FD_SET(own, reads);
    timeval tv{timeout / 1000, (timeout % 1000) * 1000};
    int rc = ::select(0, reads, isRead ? nullptr : &ready, &failed, timeout >= 0 ? &tv : nullptr);
    if (rc == SOCKET_ERROR) {
        errno = WSAGetLastError();
        return rc;
    }
    int error = 0;
    if (rc == 0) {
        error = WSAETIMEDOUT;
    } else if (own != INVALID_SOCKET && FD_ISSET(own, reads)) {
        error = WSAEINTR;
    } else if (FD_ISSET(socket, &failed)) {
        int length = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == SOCKET_ERROR ||
            error == 0)
            error = WSAECONNRESET;
    } else {
        return rc;
    }
    WSASetLastError(error);
    errno = error == WSAETIMEDOUT ? ETIMEDOUT : error;
    return SOCKET_ERROR;
}

} // namespace

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
    if (m_wake >= 0) {
        const char byte = 0;
        ::send(static_cast<SOCKET>(m_wake), &byte, 1, 0);
    }
}

void SocketHandle::close() {
    if (m_value >= 0)
        ::closesocket(static_cast<SOCKET>(m_value));
    if (m_wake >= 0)
        ::closesocket(static_cast<SOCKET>(m_wake));
    m_value = -1;
    m_wake = -1;
}

SocketHandle DuplicateSocket(my_socket socket) {
    if (socket == INVALID_SOCKET)
        return SocketHandle();
    // Winsock's way to a second handle for the same connection inside one process.
    WSAPROTOCOL_INFOW info{};
    if (WSADuplicateSocketW(socket, GetCurrentProcessId(), &info) != 0)
        return SocketHandle();
    const SOCKET own = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0, 0);
    if (own == INVALID_SOCKET)
        return SocketHandle();
    const SOCKET wake = MakeWakeSocket();
    return SocketHandle(static_cast<long long>(own), wake == INVALID_SOCKET ? -1 : static_cast<long long>(wake));
}

ScopedWakeableWaits::ScopedWakeableWaits(const SocketHandle& handle) {
    t_wake = handle.m_wake >= 0 ? static_cast<SOCKET>(handle.m_wake) : INVALID_SOCKET;
}

ScopedWakeableWaits::~ScopedWakeableWaits() {
    t_wake = INVALID_SOCKET;
}

void UseWakeableWaits(MYSQL* record) {
    mysql_optionsv(record, MARIADB_OPT_IO_WAIT, &WaitIo);
    // The library leaves a connected socket blocking here and reads with the socket's own
    // time-out, never reaching its wait: non-blocking, each read that would block waits in
    // WaitIo. Its writes wait there already.
    const my_socket socket = mysql_get_socket(record);
    u_long nonBlocking = 1;
    if (socket != INVALID_SOCKET)
        ioctlsocket(socket, FIONBIO, &nonBlocking);
}

} // namespace worktide
