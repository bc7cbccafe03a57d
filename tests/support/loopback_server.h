// A TCP server on 127.0.0.1 for network tests, written straight over POSIX so that it does not
// share code with the clients it checks. Each accepted connection runs the handler on the
// server thread, one after the other. Every wait is bounded.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testsupport {

// What handlers want the test to see (requests as received), in arrival order.
class RecordLog {
public:
    void add(std::string text) {
        std::lock_guard lock(m_mutex);
        m_records.push_back(std::move(text));
    }
    std::vector<std::string> all() const {
        std::lock_guard lock(m_mutex);
        return m_records;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_records;
};

// The server's end of one connection.
class LoopbackPeer {
public:
    LoopbackPeer(int fd, RecordLog& records) : m_fd(fd), m_records(records) {}
    ~LoopbackPeer() { close(); }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    // One receive: what arrived, "" when the client closed or nothing came in time.
    std::string readSome(int timeoutMs = 5000) {
        if (m_fd < 0 || !waitReadable(timeoutMs)) return {};
        char buf[65536];
        ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }

    // Reads until `terminator` arrived (included in the result), the client closed, maxBytes
    // were read or timeoutMs passed.
    std::string readUntil(std::string_view terminator, size_t maxBytes = 65536, int timeoutMs = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string got;
        while (got.find(terminator) == std::string::npos && got.size() < maxBytes) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            std::string more = readSome(static_cast<int>(left.count()));
            if (more.empty()) break;
            got += more;
        }
        return got;
    }

    bool write(std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t n = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    void shutdownWrite() { ::shutdown(m_fd, SHUT_WR); }

    void record(std::string text) { m_records.add(std::move(text)); }

    void close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    bool waitReadable(int timeoutMs) {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, timeoutMs) > 0;
    }
    int m_fd;
    RecordLog& m_records;
};

class LoopbackServer {
public:
    using Handler = std::function<void(LoopbackPeer&)>;

    explicit LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof at;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&at), sizeof at) < 0 ||
            ::listen(m_listen, 16) < 0 || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&at), &len) < 0 ||
            ::pipe(m_wake) < 0) {
            throw std::runtime_error("loopback server cannot listen");
        }
        m_port = ntohs(at.sin_port);
        m_thread = std::thread([this] { run(); });
    }

    ~LoopbackServer() {
        char stop = 1;
        (void)!::write(m_wake[1], &stop, 1);
        m_thread.join();
        ::close(m_listen);
        ::close(m_wake[0]);
        ::close(m_wake[1]);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t port() const { return m_port; }
    int accepted() const { return m_accepted.load(); }

    std::vector<std::string> records() const { return m_records.all(); }

private:
    void run() {
        for (;;) {
            pollfd p[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            if (::poll(p, 2, -1) < 0) continue;
            if (p[1].revents) return;
            int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ++m_accepted;
            LoopbackPeer peer(fd, m_records);
            m_handler(peer);
        }
    }

    Handler m_handler;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    uint16_t m_port = 0;
    std::atomic<int> m_accepted{0};
    RecordLog m_records;
    std::thread m_thread;
};

// A loopback port nothing listens on: bound once to learn a free number, then released.
inline uint16_t unusedLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof at;
    ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &len);
    ::close(fd);
    return ntohs(at.sin_port);
}

}  // namespace testsupport
