#include "host/window/system.h"

#include <spawn.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "host/core/log.h"
#include "host/window/window.h"

extern char** environ;

namespace host {
namespace {

struct SystemState {
    std::mutex mutex;
    Backend backend = Backend::Headless;
    PowerState power = PowerState::Attended;
    uint32_t orientation = orientation::Default;
    std::optional<uint16_t> language;
    std::vector<std::string> urls;
    std::string opener = "xdg-open";
};

SystemState& state() {
    static SystemState s;
    return s;
}

constexpr std::size_t kUrlMax = 8192;

struct Language {
    const char* code;
    uint16_t primary;
};

constexpr Language kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06}, {"de", 0x07},
    {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C}, {"he", 0x0D}, {"hu", 0x0E},
    {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14},
    {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"uk", 0x22},
};

constexpr uint16_t kEnglish = 0x0409;

uint16_t languageFromEnvironment() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return languageIdFromLocale(v);
    }
    return kEnglish;
}

bool urlIsSafe(const std::string& url) {
    if (url.empty()) {
        mrc_log("openUrl: empty URL");
        return false;
    }
    if (url.size() > kUrlMax) {
        mrc_log("openUrl: URL of %zu characters is too long", url.size());
        return false;
    }
    if (url[0] == '-') {
        mrc_log("openUrl: URL \"%s\" would read as an option", url.c_str());
        return false;
    }
    for (unsigned char c : url) {
        if (c < 0x20 || c == 0x7F) {
            mrc_log("openUrl: URL with control character 0x%02X refused", c);
            return false;
        }
    }
    return true;
}

bool launch(const std::string& program, const std::string& url) {
    std::string arg0 = program;
    std::string arg1 = url;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ);
    if (rc != 0) {
        mrc_log("openUrl: cannot start %s: %s", program.c_str(), std::strerror(rc));
        return false;
    }
    // The opener may outlive a browser start or exit at once; reap it without blocking the caller.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}  // namespace

void selectBackend(Backend backend) {
    std::lock_guard lock(state().mutex);
    state().backend = backend;
}

Backend selectedBackend() {
    std::lock_guard lock(state().mutex);
    return state().backend;
}

PowerState powerState() {
    std::lock_guard lock(state().mutex);
    return state().power;
}

void setPowerState(PowerState power) {
    std::lock_guard lock(state().mutex);
    state().power = power;
}

uint32_t displayOrientation() {
    std::lock_guard lock(state().mutex);
    return state().orientation;
}

bool setDisplayOrientation(uint32_t code) {
    if (code != orientation::Default && code != orientation::Rotated90 && code != orientation::Rotated180 &&
        code != orientation::Rotated270) {
        mrc_log("setDisplayOrientation: unknown orientation %u", code);
        return false;
    }
    bool changed;
    {
        std::lock_guard lock(state().mutex);
        changed = state().orientation != code;
        state().orientation = code;
    }
    if (changed) announceSettingChange();
    return true;
}

void announceSettingChange() { postToMainWindow({MessageId::SettingChange, 0, 0, 0, 0}); }

uint16_t userInterfaceLanguage() {
    Backend backend;
    {
        std::lock_guard lock(state().mutex);
        if (state().language) return *state().language;
        backend = state().backend;
    }
    return backend == Backend::Sdl ? languageFromEnvironment() : kEnglish;
}

void setUserInterfaceLanguage(std::optional<uint16_t> languageId) {
    std::lock_guard lock(state().mutex);
    state().language = languageId;
}

uint16_t languageIdFromLocale(std::string_view locale) {
    std::size_t end = 0;
    while (end < locale.size() && std::isalpha(static_cast<unsigned char>(locale[end]))) ++end;
    std::string lang(locale.substr(0, end));
    for (auto& c : lang) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string region;
    if (end < locale.size() && locale[end] == '_') {
        std::size_t r = end + 1;
        while (r < locale.size() && std::isalpha(static_cast<unsigned char>(locale[r]))) ++r;
        region = locale.substr(end + 1, r - end - 1);
    }
    for (const auto& l : kLanguages) {
        if (lang != l.code) continue;
        // Sublanguage 1 is each language's default; Portugal and Britain are the second ones.
        uint16_t sub = ((lang == "pt" && region == "PT") || (lang == "en" && region == "GB")) ? 2 : 1;
        return static_cast<uint16_t>(sub << 10 | l.primary);
    }
    return kEnglish;
}

MemoryStatus memoryStatus() {
    MemoryStatus status;
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        status.totalPhysical = uint64_t(info.totalram) * info.mem_unit;
        status.availablePhysical = uint64_t(info.freeram + info.bufferram) * info.mem_unit;
    }
    // MemAvailable counts reclaimable caches too, which is what "available" means to a program.
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kb = 0;
    std::string unit;
    while (meminfo >> key >> kb) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:") {
            status.availablePhysical = kb * 1024;
            break;
        }
    }
    return status;
}

bool openUrl(const std::string& url) {
    if (!urlIsSafe(url)) return false;
    std::string opener;
    {
        std::lock_guard lock(state().mutex);
        if (state().backend == Backend::Headless) {
            state().urls.push_back(url);
            mrc_log("openUrl: recorded %s", url.c_str());
            return true;
        }
        opener = state().opener;
    }
    return launch(opener, url);
}

std::vector<std::string> urlRequests() {
    std::lock_guard lock(state().mutex);
    return state().urls;
}

void clearUrlRequests() {
    std::lock_guard lock(state().mutex);
    state().urls.clear();
}

void setUrlOpener(std::string program) {
    std::lock_guard lock(state().mutex);
    state().opener = std::move(program);
}

void resetSystemState() {
    std::lock_guard lock(state().mutex);
    state().backend = Backend::Headless;
    state().power = PowerState::Attended;
    state().orientation = orientation::Default;
    state().language.reset();
    state().urls.clear();
    state().opener = "xdg-open";
}

}  // namespace host
