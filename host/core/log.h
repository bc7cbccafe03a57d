// The trace routine of the system: one printf-style line at a time on standard error (standard
// output stays for what the user asked for).
#pragma once

#include <cstdarg>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Formats into a bounded buffer (longer lines are cut, never overflow) and prints "%s\n".
void mrc_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void mrc_vlog(const char* format, va_list args);

namespace host {

// Longest line mrc_log emits; the rest of a longer line is dropped.
inline constexpr std::size_t kLogLineMax = 1024;

// Where log lines go besides standard error. Used by tests.
using LogSink = std::function<void(std::string_view line)>;

// Replaces the sink; returns the previous one. An empty sink leaves standard error and the file.
LogSink setLogSink(LogSink sink);
// Whether lines go to standard error (on by default; --log, --quiet and tests switch it off).
void setLogEcho(bool echo);
// Appends every line to a file as well; an empty path closes it. False when it cannot be opened.
bool setLogFile(const std::string& path);

// Diagnostic switch of `--trace-states`: the game logs a line at each change of its state.
void setTraceStates(bool on);
bool traceStates();

// Collects every line logged while it lives (thread-safe); the test hook.
class LogCapture {
public:
    explicit LogCapture(bool echo = false);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string_view needle) const;
    void clear();

private:
    struct State;
    State* m_state;
    LogSink m_previous;
};

}  // namespace host
