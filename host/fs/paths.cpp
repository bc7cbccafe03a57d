#include "host/fs/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <system_error>

#include "host/core/log.h"

namespace host::fs {

namespace stdfs = std::filesystem;

namespace {

std::mutex g_mutex;
Folders g_folders;
bool g_configured = false;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::vector<std::string> splitParts(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && isSeparator(path[i])) ++i;
        std::size_t start = i;
        while (i < path.size() && !isSeparator(path[i])) ++i;
        if (i > start) parts.emplace_back(path.substr(start, i - start));
    }
    return parts;
}

const std::vector<std::string>& installParts() {
    static const std::vector<std::string> parts = [] {
        std::vector<std::string> lowered;
        for (auto& p : splitParts(kInstallFolder)) lowered.push_back(asciiLower(p));
        return lowered;
    }();
    return parts;
}

// The entry of `folder` named `name` in any case: the exact name first, then the first match in
// name order, so that a folder holding two case variants always answers the same one.
std::optional<stdfs::path> findEntry(const stdfs::path& folder, const std::string& name) {
    std::error_code ec;
    stdfs::path exact = folder / name;
    if (stdfs::exists(stdfs::symlink_status(exact, ec))) return exact;
    std::string wanted = asciiLower(name);
    std::optional<std::string> best;
    for (stdfs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (asciiLower(entry) == wanted && (!best || entry < *best)) best = entry;
    }
    if (!best) return std::nullopt;
    return folder / *best;
}

// The real path of `parts` below `root`, every part matched in any case; nothing when a part is
// missing. The last part must be a directory when `lastIsFolder`, else a regular file.
std::optional<stdfs::path> walk(const stdfs::path& root, const std::vector<std::string>& parts, std::size_t count,
                                bool lastIsFolder) {
    std::error_code ec;
    stdfs::path at = root;
    if (!stdfs::is_directory(at, ec)) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        auto next = findEntry(at, parts[i]);
        if (!next) return std::nullopt;
        bool last = i + 1 == count;
        bool folder = stdfs::is_directory(*next, ec);
        if ((!last || lastIsFolder) ? !folder : !stdfs::is_regular_file(*next, ec)) return std::nullopt;
        at = *next;
    }
    return at;
}

}  // namespace

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

stdfs::path defaultSaveFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') return stdfs::path(xdg) / "veltrano";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) home = pw->pw_dir;
    }
    if (home && *home) return stdfs::path(home) / ".local" / "share" / "veltrano";
    return stdfs::path("veltrano-save");
}

void setFolders(Folders folders) {
    std::lock_guard lock(g_mutex);
    g_folders = std::move(folders);
    g_configured = true;
}

Folders folders() {
    std::lock_guard lock(g_mutex);
    if (!g_configured) {
        g_folders = Folders{"data", defaultSaveFolder()};
        g_configured = true;
    }
    return g_folders;
}

std::optional<std::vector<std::string>> installRelativeParts(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.find('\0') != std::string_view::npos ||
        devicePath.find(':') != std::string_view::npos)
        return std::nullopt;
    std::vector<std::string> parts;
    for (auto& p : splitParts(devicePath)) {
        if (p == ".") continue;
        if (p == "..") {
            mrc_log("fs: path leaves its folder: %.*s", static_cast<int>(devicePath.size()), devicePath.data());
            return std::nullopt;
        }
        parts.push_back(std::move(p));
    }
    if (!isSeparator(devicePath.front())) return parts;
    const auto& install = installParts();
    if (parts.size() < install.size()) return std::nullopt;
    for (std::size_t i = 0; i < install.size(); ++i)
        if (asciiLower(parts[i]) != install[i]) return std::nullopt;
    parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(install.size()));
    return parts;
}

std::optional<stdfs::path> resolveForRead(std::string_view devicePath) {
    auto parts = installRelativeParts(devicePath);
    if (!parts || parts->empty()) return std::nullopt;
    Folders f = folders();
    if (auto saved = walk(f.save, *parts, parts->size(), false)) return saved;
    return walk(f.data, *parts, parts->size(), false);
}

std::optional<stdfs::path> resolveSaved(std::string_view devicePath) {
    auto parts = installRelativeParts(devicePath);
    if (!parts || parts->empty()) return std::nullopt;
    return walk(folders().save, *parts, parts->size(), false);
}

std::optional<stdfs::path> savedFolderOf(std::string_view devicePath) {
    auto parts = installRelativeParts(devicePath);
    if (!parts || parts->empty()) return std::nullopt;
    return walk(folders().save, *parts, parts->size() - 1, true);
}

std::optional<stdfs::path> resolveForWrite(std::string_view devicePath) {
    auto parts = installRelativeParts(devicePath);
    if (!parts || parts->empty()) return std::nullopt;
    Folders f = folders();
    std::error_code ec;
    stdfs::create_directories(f.save, ec);
    if (!stdfs::is_directory(f.save, ec)) {
        mrc_log("fs: cannot create the save folder %s", f.save.c_str());
        return std::nullopt;
    }
    stdfs::path at = f.save;
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
        const std::string& name = (*parts)[i];
        if (auto existing = findEntry(at, name); existing && stdfs::is_directory(*existing, ec)) {
            at = *existing;
            continue;
        }
        auto shipped = walk(f.data, *parts, i + 1, true);
        if (!shipped) return std::nullopt;
        at /= shipped->filename();
        if (!stdfs::create_directory(at, ec) && !stdfs::is_directory(at, ec)) {
            mrc_log("fs: cannot create %s", at.c_str());
            return std::nullopt;
        }
    }
    const std::string& name = parts->back();
    if (auto existing = findEntry(at, name)) {
        if (stdfs::is_directory(*existing, ec)) return std::nullopt;
        return existing;
    }
    return at / name;
}

}  // namespace host::fs
