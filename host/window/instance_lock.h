// One running instance per user. The first start holds an exclusive lock on "<dir>/<name>.lock"
// and listens on "<dir>/<name>.sock"; a later start finds the lock taken, connects to the socket
// to ask the first to come to the front, and is told to exit.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace host {

class InstanceLock {
public:
    enum class Result { Acquired, AnotherRunning, Failed };

    // dir: "" for defaultRuntimeDir(). onFrontRequest runs on the lock's own thread for each
    // request of a later start (Window::bringToFront is safe there). Null unless Acquired; Failed
    // (with a trace) when the folder or the lock file cannot be used.
    static std::unique_ptr<InstanceLock> acquire(const std::string& name, std::function<void()> onFrontRequest,
                                                 Result* result = nullptr, const std::string& dir = "");
    // Stops listening and releases the lock.
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    const std::string& lockPath() const { return m_lockPath; }
    uint64_t frontRequests() const { return m_requests.load(); }

private:
    InstanceLock() = default;
    void listen();

    std::string m_lockPath;
    std::string m_socketPath;
    int m_lockFd = -1;
    int m_listenFd = -1;
    int m_wake[2] = {-1, -1};
    std::function<void()> m_onFrontRequest;
    std::atomic<uint64_t> m_requests{0};
    std::thread m_thread;
};

// $XDG_RUNTIME_DIR when set to an absolute path, else /tmp/veltrano-<uid> (created private).
std::string defaultRuntimeDir();

}  // namespace host
