// Files by device path (see paths.h for the mapping): what the file natives, the data archive and
// the record stores call. Reads come from the save or the data folder, writes go to the save folder.
//
// Every step that changes a file passes a fault check first, so that tests can make any chosen
// write fail, or stop as a crash would (nothing cleaned up, a write left half done).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace host::fs {

// The steps that change files, in the order an atomic replacement takes them.
enum class WriteStep { Open, Write, Sync, Rename, Remove };
const char* writeStepName(WriteStep step);

enum class Fault {
    None,
    Fail,   // the step fails; the operation cleans up and reports failure
    Crash,  // as if the process died here: a write stops half way and nothing is cleaned up
};

// A buffered file handle. Read opens the existing file; Write creates it or truncates it to
// length 0 and allows reading too. Closed by its destructor.
class File {
public:
    enum class Mode { Read, Write };
    enum class Origin { Begin, Current, End };

    // Nothing when the file cannot be opened (missing, unmapped, a folder, a failed step).
    static std::unique_ptr<File> open(std::string_view devicePath, Mode mode);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Bytes read; 0 at the end of the file or on an error.
    std::size_t read(void* buffer, std::size_t size);
    // The next byte 0-255, or -1.
    int readByte();
    // False unless every byte was written (a Write step).
    bool write(const void* data, std::size_t size);
    // Positions past the end are allowed, as with the C runtime; a negative result is not.
    bool seek(int64_t offset, Origin origin);
    int64_t position();
    // Length in bytes; the position is kept.
    int64_t size();
    const std::filesystem::path& realPath() const { return m_path; }

private:
    File(std::FILE* handle, std::filesystem::path path, Mode mode);
    std::FILE* m_handle;
    std::filesystem::path m_path;
    Mode m_mode;
};

bool exists(std::string_view devicePath);
// Length of the file, nothing when it does not exist.
std::optional<int64_t> length(std::string_view devicePath);
// The whole file; nothing when it cannot be opened.
std::optional<std::vector<uint8_t>> readFile(std::string_view devicePath);
// Creates an empty file or truncates the existing one (Open step).
bool createEmpty(std::string_view devicePath);
// Removes the save folder's file (Remove step); a file only in the data folder stays (false).
bool remove(std::string_view devicePath);
// Moves a save folder file to another device path (Rename step).
bool rename(std::string_view fromDevicePath, std::string_view toDevicePath);

// Replaces the file's content as one change: the bytes go to a new file beside it, which is
// synced and then renamed over it (Open, Write, Sync, Rename steps). Whenever it stops, the file
// holds the old content or the new one; on failure a leftover temporary file is removed (unless
// a crash is simulated). `data` may be null when `size` is 0.
bool replaceFile(std::string_view devicePath, const void* data, std::size_t size);
inline bool replaceFile(std::string_view devicePath, const std::vector<uint8_t>& bytes) {
    return replaceFile(devicePath, bytes.data(), bytes.size());
}

// Removes the temporary files that replaceFile leaves when a crash stops it, beside the device
// path's file in the save folder, for the real file names `owned` accepts (as replaceFile named
// them; compare with asciiLower). Each removal is a Remove step. The number removed.
int removeLeftoverTemporaries(std::string_view devicePath, const std::function<bool(std::string_view name)>& owned);

// ---- Fault injection (tests) ----------------------------------------------------------------

// Asked before every write step, with the real file it touches.
using FaultHook = std::function<Fault(WriteStep step, const std::filesystem::path& file)>;
void setFaultHook(FaultHook hook);
// The write step `n` steps from now (0: the next) gets `fault`; the ones before and after succeed.
void failWriteStep(int n, Fault fault = Fault::Fail);
// Write steps checked since the start or the last clearFaults().
int writeStepsTaken();
// Removes the hook and the pending fault, and restarts the step count.
void clearFaults();

}  // namespace host::fs
