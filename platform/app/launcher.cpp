#include "platform/app/launcher.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/fs/paths.h"
#include "host/window/instance_lock.h"
#include "platform/io/archive_index.h"
#include "platform/io/files.h"

namespace mrc {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxFixedStepMs = 60000;
// 2026-01-01 00:00:00 UTC.
constexpr int64_t kFixedStepWallClockStart = 1767225600000;
constexpr const char* kArchiveName = "data.bar";

struct OptionSpec {
    const char* name;
    const char* value;  // null for a switch
    const char* help;
};

constexpr OptionSpec kOptions[] = {
    {"--data", "DIR", "folder holding data.bar (default: ./data)"},
    {"--save-dir", "DIR", "writable folder for the record stores (default: %SAVE%)"},
    {"--headless", nullptr, "run without a window (frames kept in memory)"},
    {"--display", "MODE", "gdi | ddraw | auto (default: gdi)"},
    {"--frames", "N", "exit after N frames"},
    {"--screenshot", "FILE", "write the last frame as PNG on exit"},
    {"--input", "FILE", "scripted input events (format in host/window/script.h)"},
    {"--fixed-step", "MS", "the clock starts at 0 and moves MS milliseconds per presented frame, with no pacing sleep: a run repeats exactly (the sound is mixed for each frame's time, not played)"},
    {"--record-audio", "FILE", "with --fixed-step: the sound is mixed for each presented frame's time instead of played, and written to FILE (WAV, 16-bit stereo, 44100 Hz)"},
    {"--frame-hashes", "FILE", "write \"N HASH\" for every presented frame N (HASH: 64 bits in hex)"},
    {"--trace-states", nullptr, "log a line at each change of the game's state"},
    {"--log", "FILE", "append the log to FILE instead of standard error"},
    {"--quiet", nullptr, "no log on standard error (errors still show)"},
    {"--help", nullptr, "this text"},
    {"--version", nullptr, "the version"},
};

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& o : kOptions)
        if (name == o.name) return &o;
    return nullptr;
}

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
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    uint64_t n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n == 0 || n > max) return std::nullopt;
    return n;
}

// `dir`/`name` as the user would write it: no "./" added, no doubled separator.
std::string joinAsGiven(const std::string& dir, const char* name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string reasonOf(int error) { return std::strerror(error); }

// "" when the file can be created or appended to (a file made only for the check is removed).
std::string checkWritableFile(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return "it is a folder";
    bool existed = fs::exists(path, ec);
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return reasonOf(errno);
    std::fclose(f);
    if (!existed) fs::remove(path, ec);
    return "";
}

// "" when the folder exists or can be made, and a file can be written in it.
std::string checkWritableFolder(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return "cannot be created: " + ec.message();
    if (!fs::is_directory(dir, ec)) return "is not a folder";
    if (::access(dir.c_str(), W_OK | X_OK) != 0) return "cannot be written: " + reasonOf(errno);
    return "";
}

// Big-endian fields of the archive index; any short read marks the reader as cut.
class IndexReader {
public:
    explicit IndexReader(std::ifstream& in) : m_in(in) {}
    bool read(uint8_t* out, std::size_t n) {
        m_in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(m_in.gcount()) == n;
    }
    std::optional<int64_t> be(int bytes) {
        uint8_t b[4] = {};
        if (!read(b, std::size_t(bytes))) return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | b[i];
        return bytes == 2 ? int64_t(int16_t(v)) : int64_t(int32_t(v));
    }

private:
    std::ifstream& m_in;
};

}  // namespace

bool displayAvailable() { return nonEmptyEnv("DISPLAY") || nonEmptyEnv("WAYLAND_DISPLAY"); }

std::string usageText() {
    std::string text = "Usage: veltrano [options]   (--opt VALUE or --opt=VALUE)\n\n";
    for (const OptionSpec& o : kOptions) {
        std::string left = std::string("  ") + o.name + (o.value ? std::string(" ") + o.value : "");
        left.resize(std::max<std::size_t>(left.size() + 1, 22), ' ');
        std::string help = o.help;
        if (std::size_t at = help.find("%SAVE%"); at != std::string::npos)
            help.replace(at, 6, host::fs::defaultSaveFolder().string());
        text += left + help + "\n";
    }
    text += "\nWithout --headless the game opens a window when there is a display ($DISPLAY or\n"
            "$WAYLAND_DISPLAY), and runs headless otherwise. One window run at a time: a second one\n"
            "brings the first to the front and exits; its lock is in " +
            host::defaultRuntimeDir() +
            ".\n"
            "Headless runs take no lock.\n"
            "\n"
            "Keys: arrows; Enter (fire); F1, F2 (soft keys); 0-9 and the numpad; * or F8; # or F9;\n"
            "F6, F7 (volume); Escape, Home, F3, F4 (the system's: the game steps aside). The mouse is\n"
            "the pen. Closing the window, Ctrl+C or SIGTERM end the run.\n"
            "\n"
            "Exit codes: 0 done; 1 the run failed (window, display or runtime could not start, or the\n"
            "screenshot or sound recording could not be written); 2 bad command line, or a file it\n"
            "names cannot be used; 3 no data.bar in the data folder, or its index cannot be read;\n"
            "4 another window run is running.\n";
    return text;
}

std::optional<LaunchOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error) {
    LaunchOptions o;
    bool headless = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        std::optional<std::string> inlineValue;
        if (std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = a.substr(eq + 1);
            a.resize(eq);
        }
        const OptionSpec* spec = a == "-h" ? findOption("--help") : findOption(a);
        if (!spec) {
            error = "unknown option " + a + " (try --help)";
            return std::nullopt;
        }
        std::string v;
        if (spec->value) {
            if (inlineValue) {
                v = *inlineValue;
            } else if (i + 1 < args.size()) {
                v = args[++i];
            } else {
                error = a + " needs a value (" + spec->value + ")";
                return std::nullopt;
            }
        } else if (inlineValue) {
            error = a + " takes no value";
            return std::nullopt;
        }
        const std::string_view name = spec->name;
        if (name == "--help") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "--headless") {
            headless = true;
        } else if (name == "--quiet") {
            o.quiet = true;
        } else if (name == "--trace-states") {
            o.traceStates = true;
        } else if (v.empty()) {
            error = a + " needs a value (" + spec->value + "), not an empty one";
            return std::nullopt;
        } else if (name == "--data") {
            o.dataDir = v;
        } else if (name == "--save-dir") {
            o.saveDir = v;
        } else if (name == "--display") {
            std::optional<std::u16string> type = displayType(v);
            if (!type) {
                error = "--display takes gdi, ddraw or auto, not \"" + v + "\"";
                return std::nullopt;
            }
            o.shell.displayType = *type;
        } else if (name == "--frames") {
            std::optional<uint64_t> n = positiveNumber(v, UINT64_MAX);
            if (!n) {
                error = "--frames takes a positive number, not \"" + v + "\"";
                return std::nullopt;
            }
            o.shell.frameLimit = *n;
        } else if (name == "--screenshot") {
            o.shell.screenshotPath = v;
        } else if (name == "--input") {
            o.inputFile = v;
        } else if (name == "--log") {
            o.logFile = v;
        } else if (name == "--fixed-step") {
            std::optional<uint64_t> n = positiveNumber(v, kMaxFixedStepMs);
            if (!n) {
                error = "--fixed-step takes milliseconds from 1 to " + std::to_string(kMaxFixedStepMs) + ", not \"" + v +
                        "\"";
                return std::nullopt;
            }
            o.fixedStepMs = static_cast<uint32_t>(*n);
        } else if (name == "--frame-hashes") {
            o.frameHashesFile = v;
        } else if (name == "--record-audio") {
            o.shell.audioRecordPath = v;
        }
    }
    if (!o.shell.audioRecordPath.empty() && o.fixedStepMs == 0) {
        error = "--record-audio needs --fixed-step (the sound is recorded as the frames pace it)";
        return std::nullopt;
    }
    o.shell.audioPacedByFrames = o.fixedStepMs != 0;
    if (headless) {
        o.shell.backend = host::Backend::Headless;
    } else {
        o.shell.backend = displayAvailable() ? host::Backend::Sdl : host::Backend::Headless;
        o.shell.backendChosen = true;
    }
    return o;
}

std::string checkDataArchive(const std::string& dataDir) {
    const std::string archive = joinAsGiven(dataDir, kArchiveName);
    std::error_code ec;
    if (!fs::exists(dataDir, ec)) return "the data folder " + dataDir + " does not exist (give it with --data DIR)";
    if (!fs::is_regular_file(archive, ec))
        return "no " + std::string(kArchiveName) + " in the data folder " + dataDir + " (give it with --data DIR)";
    std::ifstream in(archive, std::ios::binary);
    if (!in) return "cannot read " + archive + ": " + reasonOf(errno);
    const std::string unreadable = "the index of " + archive + " cannot be read: ";
    IndexReader reader(in);
    std::optional<int64_t> count = reader.be(2);
    if (!count) return unreadable + "the file is too short";
    if (*count < 0) return unreadable + "it declares " + std::to_string(*count) + " entries";
    for (int64_t i = 0; i < *count; ++i) {
        std::optional<int64_t> length = reader.be(2);
        std::vector<uint8_t> name(length ? std::size_t(uint16_t(*length)) : 0);
        std::optional<int64_t> size;
        if (length && reader.read(name.data(), name.size()) && reader.be(4)) size = reader.be(4);
        if (!size) return unreadable + "it ends in entry " + std::to_string(i + 1) + " of " + std::to_string(*count);
        if (!io::decodeModifiedUtf8(name.data(), name.size()))
            return unreadable + "the name of entry " + std::to_string(i + 1) + " is malformed";
    }
    return "";
}

int veltranoMain(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    auto fail = [](int code, const std::string& line) {
        std::fprintf(stderr, "veltrano: %s\n", line.c_str());
        return code;
    };
    std::string error;
    std::optional<LaunchOptions> options = parseCommandLine(args, error);
    if (!options) return fail(kExitUsage, error);
    if (options->help) {
        std::fputs(usageText().c_str(), stdout);
        return kExitOk;
    }
    if (options->version) {
        std::printf("veltrano %s\n", kVersion);
        return kExitOk;
    }

    // The files the command line names, before anything runs.
    if (!options->logFile.empty()) {
        if (std::string why = checkWritableFile(options->logFile); !why.empty())
            return fail(kExitUsage, "cannot write the log " + options->logFile + ": " + why);
    }
    if (!options->shell.screenshotPath.empty()) {
        if (std::string why = checkWritableFile(options->shell.screenshotPath); !why.empty())
            return fail(kExitUsage, "cannot write the screenshot " + options->shell.screenshotPath + ": " + why);
    }
    if (!options->shell.audioRecordPath.empty()) {
        if (std::string why = checkWritableFile(options->shell.audioRecordPath); !why.empty())
            return fail(kExitUsage, "cannot write the sound recording " + options->shell.audioRecordPath + ": " + why);
    }
    if (!options->inputFile.empty()) {
        std::error_code ec;
        if (!fs::is_regular_file(options->inputFile, ec)) {
            std::string why = fs::is_directory(options->inputFile, ec) ? "it is a folder"
                              : fs::exists(options->inputFile, ec)  ? "it is not a file"
                                                                     : "no such file";
            return fail(kExitUsage, "cannot read the input script " + options->inputFile + ": " + why);
        }
        if (::access(options->inputFile.c_str(), R_OK) != 0)
            return fail(kExitUsage, "cannot read the input script " + options->inputFile + ": " + reasonOf(errno));
    }
    std::shared_ptr<FILE> hashes;
    if (!options->frameHashesFile.empty()) {
        hashes.reset(std::fopen(options->frameHashesFile.c_str(), "w"), [](FILE* f) {
            if (f) std::fclose(f);
        });
        if (!hashes)
            return fail(kExitUsage, "cannot write the frame hashes " + options->frameHashesFile + ": " + reasonOf(errno));
    }
    if (std::string why = checkDataArchive(options->dataDir); !why.empty()) return fail(kExitNoData, why);
    const std::string saveDir =
        options->saveDir.empty() ? host::fs::defaultSaveFolder().string() : options->saveDir;
    if (std::string why = checkWritableFolder(saveDir); !why.empty())
        std::fprintf(stderr, "veltrano: the save folder %s %s; nothing will be saved\n", saveDir.c_str(), why.c_str());

    // The log: standard error unless --log or --quiet.
    host::setLogEcho(!options->quiet && options->logFile.empty());
    if (!options->logFile.empty() && !host::setLogFile(options->logFile))
        return fail(kExitUsage, "cannot write the log " + options->logFile + ": " + reasonOf(errno));
    if (!options->inputFile.empty()) {
        options->shell.script = host::ScriptedInput::load(options->inputFile);
        if (!options->shell.script) return fail(kExitUsage, "cannot read the input script " + options->inputFile);
    }
    if (hashes) {
        options->shell.frameHashSink = [hashes](uint64_t frame, uint64_t hash) {
            std::fprintf(hashes.get(), "%llu %016llx\n", static_cast<unsigned long long>(frame),
                         static_cast<unsigned long long>(hash));
        };
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

    platform::initFiles(options->dataDir, saveDir);
    if (options->shell.backendChosen && options->shell.backend == host::Backend::Headless)
        mrc_log("veltrano: no display to open a window on; running headless");
    return WinMain(options->shell);
}

}  // namespace mrc
