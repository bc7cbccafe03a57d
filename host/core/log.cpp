#include "host/core/log.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include "host/core/sync.h"

namespace host {
namespace {

struct LogState {
    std::mutex mutex;
    LogSink sink;
    bool echo = true;
    FILE* file = nullptr;
};

LogState& state() {
    static LogState s;
    return s;
}

// Counts as a held lock: a thread stopped for the collector while holding the log's lock would
// keep the collector from logging.
struct LogLock {
    HeldLockScope held;
    std::lock_guard<std::mutex> guard{state().mutex};
};

}  // namespace

LogSink setLogSink(LogSink sink) {
    LogLock lock;
    LogSink previous = std::move(state().sink);
    state().sink = std::move(sink);
    return previous;
}

void setLogEcho(bool echo) {
    LogLock lock;
    state().echo = echo;
}

namespace {
std::atomic<bool> g_traceStates{false};
}

void setTraceStates(bool on) { g_traceStates.store(on, std::memory_order_relaxed); }
bool traceStates() { return g_traceStates.load(std::memory_order_relaxed); }

bool setLogFile(const std::string& path) {
    LogLock lock;
    if (state().file) {
        std::fclose(state().file);
        state().file = nullptr;
    }
    if (path.empty()) return true;
    state().file = std::fopen(path.c_str(), "a");
    return state().file != nullptr;
}

struct LogCapture::State {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
};

LogCapture::LogCapture(bool echo) : m_state(new State) {
    State* s = m_state;
    m_previous = setLogSink([s](std::string_view line) {
        std::lock_guard lock(s->mutex);
        s->lines.emplace_back(line);
    });
    setLogEcho(echo);
}

LogCapture::~LogCapture() {
    setLogSink(std::move(m_previous));
    setLogEcho(true);
    delete m_state;
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->lines;
}

bool LogCapture::contains(std::string_view needle) const {
    std::lock_guard lock(m_state->mutex);
    for (const auto& l : m_state->lines)
        if (l.find(needle) != std::string::npos) return true;
    return false;
}

void LogCapture::clear() {
    std::lock_guard lock(m_state->mutex);
    m_state->lines.clear();
}

}  // namespace host

void mrc_vlog(const char* format, va_list args) {
    char line[host::kLogLineMax];
    int n = std::vsnprintf(line, sizeof line, format, args);
    if (n < 0) return;
    std::size_t len = static_cast<std::size_t>(n) < sizeof line ? static_cast<std::size_t>(n) : sizeof line - 1;

    auto& s = host::state();
    host::LogLock lock;
    if (s.echo) {
        std::fwrite(line, 1, len, stderr);
        std::fputc('\n', stderr);
    }
    if (s.file) {
        std::fwrite(line, 1, len, s.file);
        std::fputc('\n', s.file);
        std::fflush(s.file);
    }
    if (s.sink) s.sink(std::string_view(line, len));
}

void mrc_log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    mrc_vlog(format, args);
    va_end(args);
}
