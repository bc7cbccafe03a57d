#include "platform/app/launcher.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/fs/paths.h"
#include "platform/io/files.h"

namespace mrc {

namespace {

constexpr const char* kUsage =
    "Usage: veltrano [options]\n"
    "\n"
    "  --data DIR          folder holding data.bar (default: ./data)\n"
    "  --save-dir DIR      writable folder for record stores\n"
    "  --headless          run without a window (frames kept in memory)\n"
    "  --display MODE      gdi | ddraw | auto (default: gdi)\n"
    "  --frames N          exit after N frames\n"
    "  --screenshot FILE   write the last frame as PNG on exit\n"
    "  --input FILE        scripted input events\n"
    "  --log FILE          append log lines to FILE\n"
    "  --fixed-step MS     the clock starts at 0 and moves MS milliseconds per presented frame,\n"
    "                      with no pacing sleep: a run repeats exactly\n"
    "  --frame-hashes FILE write \"N HASH\" for every presented frame N (HASH: 64 bits in hex)\n"
    "  --trace-states      log a line at each change of the game's state\n"
    "  --help              this text\n"
    "  --version           the version\n"
    "\n"
    "Without --headless the game opens a window when there is a display, and runs headless\n"
    "otherwise.\n";

bool nonEmptyEnv(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

std::optional<std::u16string> displayType(std::string_view mode) {
    std::string lower = host::fs::asciiLower(mode);
    if (lower == "gdi") return u"GDI";
    if (lower == "ddraw") return u"DDRAW";
    if (lower == "auto") return u"AUTO";
    return std::nullopt;
}

// A positive decimal number up to `max`.
std::optional<uint64_t> positiveNumber(const std::string& text, uint64_t max) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        return std::nullopt;
    uint64_t n = std::stoull(text);
    if (n == 0 || n > max) return std::nullopt;
    return n;
}

constexpr uint64_t kMaxFixedStepMs = 60000;
// 2026-01-01 00:00:00 UTC.
constexpr int64_t kFixedStepWallClockStart = 1767225600000;

}  // namespace

bool displayAvailable() { return nonEmptyEnv("DISPLAY") || nonEmptyEnv("WAYLAND_DISPLAY"); }

std::optional<LaunchOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error) {
    static const std::vector<std::string> kWithValue = {"--data",  "--save-dir", "--display",      "--frames",
                                                        "--screenshot", "--input", "--log",   "--fixed-step",
                                                        "--frame-hashes"};
    LaunchOptions o;
    bool headless = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        std::string v;
        const bool takesValue = std::find(kWithValue.begin(), kWithValue.end(), a.substr(0, a.find('='))) != kWithValue.end();
        if (std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            if (!takesValue) {
                error = a.substr(0, eq) + " takes no value (try --help)";
                return std::nullopt;
            }
            v = a.substr(eq + 1);
            a.resize(eq);
        } else if (takesValue) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            v = args[++i];
        }
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--headless") {
            headless = true;
        } else if (a == "--data") {
            o.dataDir = v;
        } else if (a == "--save-dir") {
            o.saveDir = v;
        } else if (a == "--display") {
            std::optional<std::u16string> type = displayType(v);
            if (!type) {
                error = "--display takes gdi, ddraw or auto, not \"" + v + "\"";
                return std::nullopt;
            }
            o.shell.displayType = *type;
        } else if (a == "--frames") {
            std::optional<uint64_t> n = positiveNumber(v, UINT64_MAX);
            if (!n) {
                error = "--frames takes a positive number, not \"" + v + "\"";
                return std::nullopt;
            }
            o.shell.frameLimit = *n;
        } else if (a == "--screenshot") {
            o.shell.screenshotPath = v;
        } else if (a == "--input") {
            o.shell.script = host::ScriptedInput::load(v);
            if (!o.shell.script) {
                error = "cannot read the input script " + v;
                return std::nullopt;
            }
        } else if (a == "--log") {
            o.logFile = v;
        } else if (a == "--fixed-step") {
            std::optional<uint64_t> n = positiveNumber(v, kMaxFixedStepMs);
            if (!n) {
                error = "--fixed-step takes milliseconds from 1 to " + std::to_string(kMaxFixedStepMs) + ", not \"" + v + "\"";
                return std::nullopt;
            }
            o.fixedStepMs = static_cast<uint32_t>(*n);
        } else if (a == "--frame-hashes") {
            o.frameHashesFile = v;
        } else if (a == "--trace-states") {
            o.traceStates = true;
        } else {
            error = "unknown option " + a + " (try --help)";
            return std::nullopt;
        }
    }
    if (headless) {
        o.shell.backend = host::Backend::Headless;
    } else {
        o.shell.backend = displayAvailable() ? host::Backend::Sdl : host::Backend::Headless;
        o.shell.backendChosen = true;
    }
    return o;
}

int veltranoMain(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string error;
    std::optional<LaunchOptions> options = parseCommandLine(args, error);
    if (!options) {
        std::fprintf(stderr, "veltrano: %s\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options->version) {
        std::printf("veltrano %s\n", kVersion);
        return 0;
    }
    if (!options->logFile.empty() && !host::setLogFile(options->logFile)) {
        std::fprintf(stderr, "veltrano: cannot open the log file %s\n", options->logFile.c_str());
        return 2;
    }
    host::setTraceStates(options->traceStates);
    // A fixed clock start gives the game a fixed random seed; the wall clock stands at a fixed date
    // and moves with the frames too. They live until the process ends.
    std::optional<host::ManualClock> clock;
    std::optional<host::ManualWallClock> wallClock;
    if (options->fixedStepMs != 0) {
        clock.emplace(0);
        clock->setFrameStep(options->fixedStepMs);
        wallClock.emplace(kFixedStepWallClockStart);
    }
    if (!options->frameHashesFile.empty()) {
        std::shared_ptr<FILE> file(std::fopen(options->frameHashesFile.c_str(), "w"), [](FILE* f) {
            if (f) std::fclose(f);
        });
        if (!file) {
            std::fprintf(stderr, "veltrano: cannot write the frame hashes to %s: %s\n", options->frameHashesFile.c_str(),
                         std::strerror(errno));
            return 2;
        }
        options->shell.frameHashSink = [file](uint64_t frame, uint64_t hash) {
            std::fprintf(file.get(), "%llu %016llx\n", static_cast<unsigned long long>(frame),
                         static_cast<unsigned long long>(hash));
        };
    }
    platform::initFiles(options->dataDir, options->saveDir);
    if (options->shell.backendChosen && options->shell.backend == host::Backend::Headless)
        mrc_log("veltrano: no display to open a window on; running headless");
    return WinMain(options->shell);
}

}  // namespace mrc
