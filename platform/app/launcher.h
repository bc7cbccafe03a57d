// The command line of the `veltrano` executable: its options read into the shell's start-up
// options and the host's folders, then the shell's entry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/app/shell.h"

namespace mrc {

inline constexpr const char* kVersion = "0.1.0";

struct LaunchOptions {
    ShellOptions shell;
    std::string dataDir = "data";
    std::string saveDir;  // "" for the host's default save folder
    std::string logFile;
    // Fixed-step runs: the tick count starts at 0 and advances this many milliseconds per presented
    // frame; 0 for the real clock.
    uint32_t fixedStepMs = 0;
    // "N HASH" per presented frame (HASH: 16 hex digits of host::frameHash); "" for none.
    std::string frameHashesFile;
    bool traceStates = false;
    bool help = false;
    bool version = false;
};

// Reads the options; nullopt, with the reason in `error`, for a bad command line.
std::optional<LaunchOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error);

// Whether a window can be opened here: an X11 or Wayland display is named in the environment.
bool displayAvailable();

// The whole program: options, folders, log, then WinMain. Returns the process's exit code
// (2 for a bad command line).
int veltranoMain(int argc, char** argv);

}  // namespace mrc
