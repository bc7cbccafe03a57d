#include "host/fs/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>

#include "host/core/log.h"
#include "host/core/sync.h"
#include "host/fs/paths.h"

namespace host::fs {

namespace stdfs = std::filesystem;

namespace {

struct FaultState {
    std::mutex mutex;
    FaultHook hook;
    int countdown = -1;
    Fault pending = Fault::None;
    int steps = 0;
};

FaultState& faults() {
    static FaultState state;
    return state;
}

Fault checkStep(WriteStep step, const stdfs::path& file) {
    FaultState& s = faults();
    FaultHook hook;
    {
        std::lock_guard lock(s.mutex);
        ++s.steps;
        if (s.countdown == 0) {
            s.countdown = -1;
            return s.pending;
        }
        if (s.countdown > 0) --s.countdown;
        hook = s.hook;
    }
    return hook ? hook(step, file) : Fault::None;
}

// write(2) until done; false on an error.
bool writeAll(int fd, const uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const stdfs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::FILE* openReal(const stdfs::path& path, File::Mode mode) {
    return std::fopen(path.c_str(), mode == File::Mode::Read ? "rb" : "wb+");
}

}  // namespace

const char* writeStepName(WriteStep step) {
    switch (step) {
        case WriteStep::Open: return "open";
        case WriteStep::Write: return "write";
        case WriteStep::Sync: return "sync";
        case WriteStep::Rename: return "rename";
        case WriteStep::Remove: return "remove";
    }
    return "?";
}

// ---- File -------------------------------------------------------------------------------------

File::File(std::FILE* handle, stdfs::path path, Mode mode) : m_handle(handle), m_path(std::move(path)), m_mode(mode) {}

File::~File() { std::fclose(m_handle); }

std::unique_ptr<File> File::open(std::string_view devicePath, Mode mode) {
    auto real = mode == Mode::Read ? resolveForRead(devicePath) : resolveForWrite(devicePath);
    if (!real) return nullptr;
    if (mode == Mode::Write && checkStep(WriteStep::Open, *real) != Fault::None) return nullptr;
    std::FILE* handle = openReal(*real, mode);
    if (!handle) return nullptr;
    // Unbuffered writes: each write reaches the file when it returns, as a failure would show it.
    if (mode == Mode::Write) std::setvbuf(handle, nullptr, _IONBF, 0);
    return std::unique_ptr<File>(new File(handle, std::move(*real), mode));
}

std::size_t File::read(void* buffer, std::size_t size) {
    if (size == 0) return 0;
    if (m_mode == Mode::Write) std::fflush(m_handle);
    std::size_t n = std::fread(buffer, 1, size, m_handle);
    std::clearerr(m_handle);
    return n;
}

int File::readByte() {
    uint8_t b;
    return read(&b, 1) == 1 ? b : -1;
}

bool File::write(const void* data, std::size_t size) {
    if (m_mode != Mode::Write) return false;
    if (size == 0) return true;
    switch (checkStep(WriteStep::Write, m_path)) {
        case Fault::None: break;
        case Fault::Fail: return false;
        case Fault::Crash: std::fwrite(data, 1, size / 2, m_handle); return false;
    }
    bool ok = std::fwrite(data, 1, size, m_handle) == size;
    std::clearerr(m_handle);
    return ok;
}

bool File::seek(int64_t offset, Origin origin) {
    int whence = origin == Origin::Begin ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
    return ::fseeko(m_handle, static_cast<off_t>(offset), whence) == 0;
}

int64_t File::position() { return static_cast<int64_t>(::ftello(m_handle)); }

int64_t File::size() {
    struct stat st {};
    if (m_mode == Mode::Write) std::fflush(m_handle);
    return ::fstat(::fileno(m_handle), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

// ---- Whole-file operations --------------------------------------------------------------------

bool exists(std::string_view devicePath) { return resolveForRead(devicePath).has_value(); }

std::optional<int64_t> length(std::string_view devicePath) {
    auto real = resolveForRead(devicePath);
    if (!real) return std::nullopt;
    std::error_code ec;
    auto n = stdfs::file_size(*real, ec);
    if (ec) return std::nullopt;
    return static_cast<int64_t>(n);
}

std::optional<std::vector<uint8_t>> readFile(std::string_view devicePath) {
    auto file = File::open(devicePath, File::Mode::Read);
    if (!file) return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    while (std::size_t n = file->read(chunk, sizeof chunk)) bytes.insert(bytes.end(), chunk, chunk + n);
    return bytes;
}

bool createEmpty(std::string_view devicePath) { return File::open(devicePath, File::Mode::Write) != nullptr; }

bool remove(std::string_view devicePath) {
    auto real = resolveSaved(devicePath);
    if (!real || checkStep(WriteStep::Remove, *real) != Fault::None) return false;
    if (::unlink(real->c_str()) != 0) return false;
    syncFolder(real->parent_path());
    return true;
}

bool rename(std::string_view fromDevicePath, std::string_view toDevicePath) {
    auto from = resolveSaved(fromDevicePath);
    if (!from) return false;
    auto to = resolveForWrite(toDevicePath);
    if (!to || checkStep(WriteStep::Rename, *to) != Fault::None) return false;
    if (::rename(from->c_str(), to->c_str()) != 0) return false;
    syncFolder(to->parent_path());
    return true;
}

namespace {

// replaceFile's temporary beside `name`: "." + name + "." + the six characters mkstemp picks.
constexpr std::size_t kTempTail = 7;

std::string temporaryName(const stdfs::path& target) { return "." + target.filename().string() + ".XXXXXX"; }

}  // namespace

int removeLeftoverTemporaries(std::string_view devicePath, const std::function<bool(std::string_view name)>& owned) {
    auto folder = savedFolderOf(devicePath);
    if (!folder) return 0;
    std::vector<stdfs::path> stale;
    std::error_code ec;
    for (stdfs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() < 2 + kTempTail || name[0] != '.' || name[name.size() - kTempTail] != '.') continue;
        if (!it->is_regular_file(ec)) continue;
        if (owned(std::string_view(name).substr(1, name.size() - 1 - kTempTail))) stale.push_back(it->path());
    }
    int removed = 0;
    for (const stdfs::path& path : stale) {
        if (checkStep(WriteStep::Remove, path) != Fault::None || ::unlink(path.c_str()) != 0) continue;
        mrc_log("fs: removed %s, left by an interrupted save", path.c_str());
        ++removed;
    }
    if (removed) syncFolder(*folder);
    return removed;
}

bool replaceFile(std::string_view devicePath, const void* data, std::size_t size) {
    auto target = resolveForWrite(devicePath);
    if (!target) return false;
    stdfs::path folder = target->parent_path();
    if (checkStep(WriteStep::Open, *target) != Fault::None) return false;
    std::string temp = (folder / temporaryName(*target)).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        mrc_log("fs: cannot create a file beside %s: %s", target->c_str(), std::strerror(errno));
        return false;
    }
    auto fail = [&](bool removeTemp) {
        if (fd >= 0) ::close(fd);
        if (removeTemp) ::unlink(temp.c_str());
        return false;
    };
    const auto* bytes = static_cast<const uint8_t*>(data);
    switch (checkStep(WriteStep::Write, temp)) {
        case Fault::None: break;
        case Fault::Fail: return fail(true);
        case Fault::Crash: writeAll(fd, bytes, size / 2); return fail(false);
    }
    if (!writeAll(fd, bytes, size)) {
        mrc_log("fs: cannot write %s: %s", temp.c_str(), std::strerror(errno));
        return fail(true);
    }
    if (Fault f = checkStep(WriteStep::Sync, temp); f != Fault::None) return fail(f == Fault::Fail);
    {
        BlockingRegion blocking;
        if (::fsync(fd) != 0) {
            mrc_log("fs: cannot sync %s: %s", temp.c_str(), std::strerror(errno));
            return fail(true);
        }
    }
    bool closed = ::close(fd) == 0;
    fd = -1;
    if (!closed) return fail(true);
    if (Fault f = checkStep(WriteStep::Rename, *target); f != Fault::None) return fail(f == Fault::Fail);
    if (::rename(temp.c_str(), target->c_str()) != 0) {
        mrc_log("fs: cannot replace %s: %s", target->c_str(), std::strerror(errno));
        return fail(true);
    }
    BlockingRegion blocking;
    syncFolder(folder);
    return true;
}

// ---- Fault injection --------------------------------------------------------------------------

void setFaultHook(FaultHook hook) {
    std::lock_guard lock(faults().mutex);
    faults().hook = std::move(hook);
}

void failWriteStep(int n, Fault fault) {
    std::lock_guard lock(faults().mutex);
    faults().countdown = n;
    faults().pending = fault;
}

int writeStepsTaken() {
    std::lock_guard lock(faults().mutex);
    return faults().steps;
}

void clearFaults() {
    std::lock_guard lock(faults().mutex);
    faults().hook = nullptr;
    faults().countdown = -1;
    faults().pending = Fault::None;
    faults().steps = 0;
}

}  // namespace host::fs
