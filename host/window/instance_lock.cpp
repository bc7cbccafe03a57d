#include "host/window/instance_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/core/clock.h"
#include "host/core/log.h"

namespace host {
namespace {

// A folder we may keep a lock and a socket in: ours, private, not a link to somewhere else.
bool usableFolder(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        mrc_log("InstanceLock: cannot create %s: %s", dir.c_str(), std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        mrc_log("InstanceLock: %s is not a folder of this user", dir.c_str());
        return false;
    }
    return true;
}

bool socketAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        mrc_log("InstanceLock: socket path %s is too long", path.c_str());
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Asks the holder to come to the front. It may be between taking the lock and listening, so a
// refused connection is tried again for a while.
bool signalHolder(const std::string& socketPath) {
    sockaddr_un addr;
    if (!socketAddress(socketPath, addr)) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::close(fd);
        if (rc == 0) return true;
        if (errno != ENOENT && errno != ECONNREFUSED && errno != EAGAIN) break;
        sleepMs(10);
    }
    mrc_log("InstanceLock: the running instance does not answer on %s", socketPath.c_str());
    return false;
}

}  // namespace

std::string defaultRuntimeDir() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && xdg[0] == '/') return xdg;
    return "/tmp/veltrano-" + std::to_string(::getuid());
}

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& name, std::function<void()> onFrontRequest,
                                                    Result* result, const std::string& dirIn) {
    auto report = [result](Result r) {
        if (result) *result = r;
    };
    report(Result::Failed);
    std::string dir = dirIn.empty() ? defaultRuntimeDir() : dirIn;
    if (name.empty() || name.find('/') != std::string::npos) {
        mrc_log("InstanceLock: bad name \"%s\"", name.c_str());
        return nullptr;
    }
    if (!usableFolder(dir)) return nullptr;

    std::unique_ptr<InstanceLock> lock(new InstanceLock);
    lock->m_lockPath = dir + "/" + name + ".lock";
    lock->m_socketPath = dir + "/" + name + ".sock";
    lock->m_onFrontRequest = std::move(onFrontRequest);

    lock->m_lockFd = ::open(lock->m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock->m_lockFd < 0) {
        mrc_log("InstanceLock: cannot open %s: %s", lock->m_lockPath.c_str(), std::strerror(errno));
        return nullptr;
    }
    if (::flock(lock->m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            mrc_log("InstanceLock: cannot lock %s: %s", lock->m_lockPath.c_str(), std::strerror(errno));
            return nullptr;
        }
        mrc_log("InstanceLock: another instance is running; asking it to come to the front");
        signalHolder(lock->m_socketPath);
        report(Result::AnotherRunning);
        return nullptr;
    }

    // Holding the lock, any socket file left behind is a crashed run's.
    sockaddr_un addr;
    ::unlink(lock->m_socketPath.c_str());
    lock->m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (lock->m_listenFd < 0 || !socketAddress(lock->m_socketPath, addr) ||
        ::bind(lock->m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(lock->m_listenFd, 4) != 0 || ::pipe2(lock->m_wake, O_CLOEXEC) != 0) {
        // The lock alone still keeps a second instance out; it just cannot call us to the front.
        mrc_log("InstanceLock: cannot listen on %s: %s", lock->m_socketPath.c_str(), std::strerror(errno));
        if (lock->m_listenFd >= 0) ::close(lock->m_listenFd);
        lock->m_listenFd = -1;
    } else {
        lock->m_thread = std::thread([l = lock.get()] { l->listen(); });
    }
    report(Result::Acquired);
    return lock;
}

void InstanceLock::listen() {
    pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            mrc_log("InstanceLock: poll failed: %s", std::strerror(errno));
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        // The connection itself is the request; nothing is read from it.
        int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ::close(client);
        m_requests.fetch_add(1);
        if (m_onFrontRequest) m_onFrontRequest();
    }
}

InstanceLock::~InstanceLock() {
    if (m_thread.joinable()) {
        char byte = 1;
        while (::write(m_wake[1], &byte, 1) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    for (int fd : {m_wake[0], m_wake[1]})
        if (fd >= 0) ::close(fd);
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(m_socketPath.c_str());
    }
    if (m_lockFd >= 0) ::close(m_lockFd);
}

}  // namespace host
