#include "host/net/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/net/net.h"

namespace host {
namespace {

// Owns the descriptor: it is closed when the last call using it returns, so a descriptor
// number is never reused under a call that is still blocked on it.
struct Socket {
    explicit Socket(int descriptor) : fd(descriptor) {}
    ~Socket() { ::close(fd); }
    int fd;
};

std::mutex g_mutex;
std::unordered_map<SocketHandle, std::shared_ptr<Socket>> g_sockets;
SocketHandle g_nextHandle = 1;
int g_libraryUsers = 0;

uint32_t errorFor(int err) {
    switch (err) {
        case EINTR: return kSockErrInterrupted;
        case EBADF: return kSockErrBadHandle;
        case EACCES:
        case EPERM: return kSockErrAccess;
        case EFAULT: return kSockErrFault;
        case EINVAL: return kSockErrInvalidArgument;
        case EMFILE:
        case ENFILE: return kSockErrTooManySockets;
        case EWOULDBLOCK: return kSockErrWouldBlock;
        case EINPROGRESS: return kSockErrInProgress;
        case EALREADY: return kSockErrAlready;
        case ENOTSOCK: return kSockErrNotSocket;
        case EMSGSIZE: return kSockErrMessageSize;
        case EOPNOTSUPP: return kSockErrOperationNotSupported;
        case EAFNOSUPPORT: return kSockErrAddressFamily;
        case EADDRINUSE: return kSockErrAddressInUse;
        case EADDRNOTAVAIL: return kSockErrAddressNotAvailable;
        case ENETDOWN: return kSockErrNetworkDown;
        case ENETUNREACH: return kSockErrNetworkUnreachable;
        case ECONNABORTED: return kSockErrConnectionAborted;
        case ECONNRESET:
        case EPIPE: return kSockErrConnectionReset;
        case ENOBUFS:
        case ENOMEM: return kSockErrNoBuffers;
        case EISCONN: return kSockErrAlreadyConnected;
        case ENOTCONN: return kSockErrNotConnected;
        case ESHUTDOWN: return kSockErrShutdown;
        case ETIMEDOUT: return kSockErrTimedOut;
        case ECONNREFUSED: return kSockErrConnectionRefused;
        case EHOSTUNREACH:
        case EHOSTDOWN: return kSockErrHostUnreachable;
        default: return kSockErrNetworkDown;
    }
}

int failWith(uint32_t error) {
    setNetLastError(error);
    return kSocketError;
}

int failFromErrno() { return failWith(errorFor(errno)); }

std::shared_ptr<Socket> find(SocketHandle handle) {
    std::lock_guard lock(g_mutex);
    auto it = g_sockets.find(handle);
    if (it == g_sockets.end()) {
        setNetLastError(kSockErrNotSocket);
        return nullptr;
    }
    return it->second;
}

SocketHandle adopt(int fd) {
    std::lock_guard lock(g_mutex);
    SocketHandle handle = g_nextHandle;
    do {
        if (++g_nextHandle == kInvalidSocket) g_nextHandle = 1;
    } while (g_sockets.count(g_nextHandle));
    g_sockets.emplace(handle, std::make_shared<Socket>(fd));
    return handle;
}

bool toPosixFlags(int flags, int& posix) {
    if (flags & ~(kSocketFlagOutOfBand | kSocketFlagPeek | kSocketFlagDontRoute)) return false;
    posix = MSG_NOSIGNAL;
    if (flags & kSocketFlagOutOfBand) posix |= MSG_OOB;
    if (flags & kSocketFlagPeek) posix |= MSG_PEEK;
    if (flags & kSocketFlagDontRoute) posix |= MSG_DONTROUTE;
    return true;
}

// A connect interrupted by a signal goes on in the background; wait for its outcome.
int finishInterruptedConnect(int fd) {
    pollfd p{fd, POLLOUT, 0};
    while (::poll(&p, 1, -1) < 0) {
        if (errno != EINTR) return errno;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) return errno;
    return err;
}

}  // namespace

int socketLibraryStartup(uint16_t version) {
    int major = version & 0xFF;
    int minor = version >> 8;
    if (major < 1 || (major == 1 && minor < 1)) {
        mrc_log("sockets: version %d.%d not supported", major, minor);
        return static_cast<int>(kSockErrInvalidArgument);
    }
    std::lock_guard lock(g_mutex);
    ++g_libraryUsers;
    return 0;
}

int socketLibraryCleanup() {
    std::lock_guard lock(g_mutex);
    if (g_libraryUsers == 0) return failWith(kSockErrInvalidArgument);
    --g_libraryUsers;
    return 0;
}

SocketHandle socketCreate() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        failFromErrno();
        return kInvalidSocket;
    }
    return adopt(fd);
}

bool lookupHost(const char* name, uint32_t& address) {
    if (name == nullptr || name[0] == '\0' || std::strlen(name) > 255) {
        setNetLastError(kSockErrHostNotFound);
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc;
    {
        BlockingRegion blocking;
        rc = ::getaddrinfo(name, nullptr, &hints, &found);
    }
    if (rc != 0 || found == nullptr) {
        setNetLastError(rc == EAI_AGAIN ? kSockErrTryAgain : kSockErrHostNotFound);
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
}

uint32_t parseAddress(const char* text) {
    if (text == nullptr) return kAddressNone;
    return ::inet_addr(text);
}

int socketConnect(SocketHandle socket, uint32_t address, uint16_t port) {
    auto s = find(socket);
    if (!s) return kSocketError;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(remappedPort(port));
    int err = 0;
    {
        BlockingRegion blocking;
        if (::connect(s->fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
            err = errno == EINTR ? finishInterruptedConnect(s->fd) : errno;
        }
    }
    return err ? failWith(errorFor(err)) : 0;
}

int socketBind(SocketHandle socket, uint16_t port) {
    auto s = find(socket);
    if (!s) return kSocketError;
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_ANY);
    at.sin_port = htons(port);
    if (::bind(s->fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) < 0) return failFromErrno();
    return 0;
}

int socketListen(SocketHandle socket, int backlog) {
    auto s = find(socket);
    if (!s) return kSocketError;
    if (::listen(s->fd, backlog) < 0) return failFromErrno();
    return 0;
}

SocketHandle socketAccept(SocketHandle socket) {
    auto s = find(socket);
    if (!s) return kInvalidSocket;
    int fd;
    {
        BlockingRegion blocking;
        do {
            fd = ::accept4(s->fd, nullptr, nullptr, SOCK_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
    }
    if (fd < 0) {
        failFromErrno();
        return kInvalidSocket;
    }
    return adopt(fd);
}

int socketSend(SocketHandle socket, const void* buffer, int length, int flags) {
    auto s = find(socket);
    if (!s) return kSocketError;
    int posixFlags = 0;
    if (!toPosixFlags(flags, posixFlags)) return failWith(kSockErrOperationNotSupported);
    if (length < 0) return failWith(kSockErrInvalidArgument);
    if (buffer == nullptr && length > 0) return failWith(kSockErrFault);
    // The device's blocking send returns once everything is queued; POSIX may stop short.
    auto* bytes = static_cast<const char*>(buffer);
    int sent = 0;
    BlockingRegion blocking;
    while (sent < length) {
        ssize_t n = ::send(s->fd, bytes + sent, static_cast<size_t>(length - sent), posixFlags);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (sent > 0) break;
            return failFromErrno();
        }
        sent += static_cast<int>(n);
    }
    return sent;
}

int socketRecv(SocketHandle socket, void* buffer, int length, int flags) {
    auto s = find(socket);
    if (!s) return kSocketError;
    int posixFlags = 0;
    if (!toPosixFlags(flags, posixFlags) || (flags & kSocketFlagDontRoute)) {
        return failWith(kSockErrOperationNotSupported);
    }
    posixFlags &= ~MSG_NOSIGNAL;
    if (length < 0) return failWith(kSockErrInvalidArgument);
    if (buffer == nullptr && length > 0) return failWith(kSockErrFault);
    ssize_t n;
    {
        BlockingRegion blocking;
        do {
            n = ::recv(s->fd, buffer, static_cast<size_t>(length), posixFlags);
        } while (n < 0 && errno == EINTR);
    }
    if (n < 0) return failFromErrno();
    return static_cast<int>(n);
}

int socketShutdown(SocketHandle socket, int how) {
    auto s = find(socket);
    if (!s) return kSocketError;
    int posixHow;
    switch (how) {
        case kShutdownReceive: posixHow = SHUT_RD; break;
        case kShutdownSend: posixHow = SHUT_WR; break;
        case kShutdownBoth: posixHow = SHUT_RDWR; break;
        default: return failWith(kSockErrInvalidArgument);
    }
    if (::shutdown(s->fd, posixHow) < 0) return failFromErrno();
    return 0;
}

int socketClose(SocketHandle socket) {
    std::shared_ptr<Socket> s;
    {
        std::lock_guard lock(g_mutex);
        auto it = g_sockets.find(socket);
        if (it == g_sockets.end()) return failWith(kSockErrNotSocket);
        s = std::move(it->second);
        g_sockets.erase(it);
    }
    // Another thread still blocked in a call on it: wake it, the descriptor closes when it returns.
    if (s.use_count() > 1) ::shutdown(s->fd, SHUT_RDWR);
    return 0;
}

void shutdownAllSockets() {
    std::lock_guard lock(g_mutex);
    for (const auto& [handle, socket] : g_sockets) ::shutdown(socket->fd, SHUT_RDWR);
}

uint16_t socketLocalPort(SocketHandle socket) {
    auto s = find(socket);
    if (!s) return 0;
    sockaddr_in at{};
    socklen_t len = sizeof at;
    if (::getsockname(s->fd, reinterpret_cast<sockaddr*>(&at), &len) < 0) return 0;
    return ntohs(at.sin_port);
}

int openSocketCount() {
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_sockets.size());
}

}  // namespace host
