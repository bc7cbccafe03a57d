#include "tests/support/java_oracle.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace test_support {
namespace {

namespace fs = std::filesystem;

// A JVM that has not answered by then is stuck; the whole test program must stay well under a minute.
constexpr auto kTimeout = std::chrono::seconds(45);

bool isExecutable(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "java_oracle.XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_path.empty()) fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// Waits for the child, killing it when it overstays; returns its exit code or -1.
int waitWithTimeout(pid_t pid) {
    auto deadline = std::chrono::steady_clock::now() + kTimeout;
    int status = 0;
    for (;;) {
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::vector<std::string> JavaRun::lines() const {
    std::vector<std::string> result;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(std::move(line));
    }
    return result;
}

std::string findJava() {
    if (const char* home = std::getenv("JAVA_HOME"); home && *home) {
        fs::path p = fs::path(home) / "bin" / "java";
        if (isExecutable(p)) return p.string();
    }
    if (const char* path = std::getenv("PATH")) {
        std::istringstream dirs(path);
        for (std::string dir; std::getline(dirs, dir, ':');) {
            if (dir.empty()) continue;
            fs::path p = fs::path(dir) / "java";
            if (isExecutable(p)) return p.string();
        }
    }
    return {};
}

std::optional<JavaRun> runJavaProgram(const fs::path& source, std::string_view input) {
    std::string java = findJava();
    if (java.empty()) return std::nullopt;

    JavaRun run;
    TempDir dir;
    if (dir.path().empty()) {
        run.err = "cannot create a temporary folder";
        return run;
    }
    // The launcher compiles in memory; a copy keeps the source tree untouched whatever it does.
    fs::path copy = dir.path() / source.filename();
    std::error_code ec;
    if (!fs::copy_file(source, copy, ec)) {
        run.err = "cannot copy " + source.string() + ": " + ec.message();
        return run;
    }
    fs::path in = dir.path() / "input.txt", out = dir.path() / "out.txt", err = dir.path() / "err.txt";
    std::ofstream(in, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    // Quick start-up matters more than peak speed for programs this small.
    std::vector<std::string> args = {java, "-XX:TieredStopAtLevel=1", "-XX:+UseSerialGC",
                                     "-Dfile.encoding=UTF-8", copy.string()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, java.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        run.err = "cannot start " + java;
        return run;
    }
    run.exitCode = waitWithTimeout(pid);
    run.out = readFile(out);
    run.err = readFile(err);
    if (run.exitCode < 0) run.err += "\n(java did not finish normally)";
    return run;
}

std::string oracleInput(const std::vector<OracleCase>& cases) {
    std::string input;
    for (const OracleCase& c : cases) input += c.line + "\n";
    return input;
}

std::string oracleMismatches(const std::vector<OracleCase>& cases, const std::vector<std::string>& expected) {
    if (expected.size() != cases.size())
        return std::to_string(expected.size()) + " answers to " + std::to_string(cases.size()) + " cases";
    int mismatches = 0;
    std::string report;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].ours == expected[i]) continue;
        if (++mismatches <= 30) report += cases[i].line + ": jdk " + expected[i] + ", ours " + cases[i].ours + "\n";
    }
    if (mismatches == 0) return {};
    return std::to_string(mismatches) + " of " + std::to_string(cases.size()) + " cases differ:\n" + report;
}

}  // namespace test_support
