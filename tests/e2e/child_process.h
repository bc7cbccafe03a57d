// Runs an executable as a child process with a changed environment, its standard output and error
// going to a file (or its error to a second file), in a given working folder; waits for it with a
// time-out, or signals it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace e2e {

// Environment changes: a value sets the variable, nullopt removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

class ChildProcess {
public:
    // errors: "" for standard error into `output` too; workingDir: "" for the test's own.
    ChildProcess(const std::string& executable, const std::vector<std::string>& args, const EnvChanges& env,
                 const std::filesystem::path& output, const std::filesystem::path& errors = {},
                 const std::filesystem::path& workingDir = {})
        : m_output(output), m_errors(errors) {
        std::vector<std::string> argStrings{executable};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<std::string> envStrings;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            std::string name = entry.substr(0, entry.find('='));
            if (!env.count(name)) envStrings.push_back(entry);
        }
        for (const auto& [name, value] : env)
            if (value) envStrings.push_back(name + "=" + *value);
        // Everything the child needs is built before fork: after it only exec follows.
        std::vector<char*> argv, envp;
        for (auto& s : argStrings) argv.push_back(s.data());
        argv.push_back(nullptr);
        for (auto& s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
        const std::string dir = workingDir.string();
        int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;
        int errorFd = errors.empty() ? fd : ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (errorFd < 0) {
            ::close(fd);
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::dup2(fd, 1) < 0 || ::dup2(errorFd, 2) < 0) ::_exit(126);
            if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(125);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(fd);
        if (errorFd != fd) ::close(errorFd);
    }
    ~ChildProcess() {
        if (m_pid > 0 && !m_exitCode) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }

    // The exit code (128 + n for a signal n), or nullopt when it is still running at the time-out.
    std::optional<int> wait(std::chrono::milliseconds timeout) {
        if (m_exitCode) return m_exitCode;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            int status = 0;
            pid_t r = ::waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return m_exitCode;
            }
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void signal(int sig) {
        if (m_pid > 0 && !m_exitCode) ::kill(m_pid, sig);
    }

    // Standard output, and standard error unless it has a file of its own.
    std::string output() const { return read(m_output); }
    // Standard error when it has a file of its own.
    std::string errors() const { return m_errors.empty() ? std::string() : read(m_errors); }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(output());
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    // Waits until the output holds a line containing `needle`.
    bool waitForLine(const std::string& needle, std::chrono::milliseconds timeout) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (output().find(needle) != std::string::npos) return true;
            if (wait(std::chrono::milliseconds(0))) return output().find(needle) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    static std::string read(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    pid_t m_pid = -1;
    std::optional<int> m_exitCode;
    std::filesystem::path m_output;
    std::filesystem::path m_errors;
};

}  // namespace e2e
