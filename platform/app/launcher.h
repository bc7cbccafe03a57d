// The command line of the `veltrano` executable: its options read into the shell's start-up
// options and the host's folders, the checks of what they name, then the shell's entry.
//
// Standard output carries only what the user asked for (--help, --version); the trace lines go to
// standard error, or to --log FILE; a start-up that cannot go on says why in one line on standard
// error, naming the path as the user gave it, and exits with one of the codes below.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/app/shell.h"

namespace mrc {

inline constexpr const char* kVersion = "0.1.0";

// Exit codes besides the shell's (kExitOk, kExitFailed, kExitAnotherInstance).
// A bad command line, or a file it names cannot be used (input script, log, frame hashes,
// screenshot).
inline constexpr int kExitUsage = 2;
// The data folder holds no data.bar, or its index cannot be read.
inline constexpr int kExitNoData = 3;

struct LaunchOptions {
    ShellOptions shell;
    std::string dataDir = "data";
    std::string saveDir;  // "" for the host's default save folder
    std::string logFile;
    std::string inputFile;
    // Fixed-step runs: the tick count starts at 0 and advances this many milliseconds per presented
    // frame; 0 for the real clock.
    uint32_t fixedStepMs = 0;
    // "N HASH" per presented frame (HASH: 16 hex digits of host::frameHash); "" for none.
    std::string frameHashesFile;
    bool traceStates = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Reads the options ("--opt value" or "--opt=value"); nullopt, with the reason in `error`, for a
// bad command line. Names no file: the files are checked by veltranoMain.
std::optional<LaunchOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error);

// The text of --help: options with their defaults, keys, exit codes.
std::string usageText();

// "" when `dataDir`/data.bar is a file whose index reads whole (every record complete, every name
// well formed); else the reason, naming the archive by `dataDir` as given.
std::string checkDataArchive(const std::string& dataDir);

// Whether a window can be opened here: an X11 or Wayland display is named in the environment.
bool displayAvailable();

// The whole program: options, checks, folders, log, then WinMain. Returns the process's exit code.
int veltranoMain(int argc, char** argv);

}  // namespace mrc
