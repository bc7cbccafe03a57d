// The files of a record store: one index file and one file per record, in the install folder.
//
// Index file (big-endian): the last id given out, the record count C, then C record ids in the
// order they were added. Record file: the record's bytes alone. Every file is replaced whole and
// atomically, so a store interrupted at any moment keeps each file's old or new content; and each
// change is ordered so that the index never lists a record whose file was not written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mrc::rms {

struct StoreIndex {
    int32_t lastId = 0;
    std::vector<int32_t> ids;
    bool operator==(const StoreIndex&) const = default;
};

std::vector<uint8_t> encodeIndex(const StoreIndex& index);
// As much as the bytes hold: a short file gives fewer ids (or a last id of 0), a negative count none.
StoreIndex decodeIndex(const std::vector<uint8_t>& bytes);

// The texts the file names are made of (string constants 167, 168, 169 and 171 of the data).
struct StoreFileNames {
    std::u16string separator;
    std::u16string prefix;
    std::u16string suffix;
    std::u16string recordSeparator;
};

// The store path, which is also the index file's path and the store's name: the install folder,
// separator, prefix, name, suffix; or, when vendor and suite are both non-empty, the Program Files
// folder, separator, vendor, separator, suite, separator, prefix, name, suffix. Then each of
// / : * ? < > | becomes '_'.
std::u16string storePath(const StoreFileNames& names, std::u16string_view storeName, std::u16string_view vendor = {},
                         std::u16string_view suite = {});

enum class RecordStatus { Ok, InvalidId, WriteFailed };

// One store's state and its file operations. The paths are device paths (see devicePathOf).
class RecordStoreFiles {
public:
    // Record file of id N: indexPath + recordSeparator + N in decimal + suffix.
    RecordStoreFiles(std::string indexPath, std::string recordSeparator, std::string suffix,
                     StoreIndex state = {});

    bool indexExists() const;
    // The index file's content (see decodeIndex); an empty state without one.
    void load();

    const StoreIndex& state() const { return m_state; }
    const std::string& indexPath() const { return m_indexPath; }
    std::string recordPath(int32_t id) const;
    bool contains(int32_t id) const;

    // The id the next add takes: above every listed id and the last one, with no record stored
    // under it (a damaged or cut index may list ids above its last one, or have lost ids whose
    // records are still on disk; the emptied file of a deleted record may be taken again).
    // Nothing when no id is left.
    std::optional<int32_t> nextId() const;
    // Writes the record file, then the index listing it. The new id, or nothing when either file
    // could not be written: then the state is as before, the id is not used up and the record
    // file written is removed again (a full disk keeps its room).
    std::optional<int32_t> add(const std::vector<uint8_t>& data);
    // Replaces the record file, then rewrites the index. When the index cannot be written the
    // record's old bytes are put back, as far as the disk allows.
    RecordStatus set(int32_t id, const std::vector<uint8_t>& data);
    // Writes the index without the id, then empties its record file (the file stays). An id not in
    // the store is no error. When the index cannot be written (a full disk has no room for its new
    // copy), the record file is emptied first to make room and the index written again; if that
    // fails too the record's bytes are put back. False then: the record is kept.
    bool remove(int32_t id);
    // Removes the temporary files an interrupted save of this store left beside its index and
    // record files; no other file. The number removed.
    int removeLeftovers();
    // Rewrites the index from the state.
    bool writeIndex();
    // Deletes every record from the last to the first, then empties the index file.
    bool destroy();

    // The record file's bytes; nothing when it is missing.
    std::optional<std::vector<uint8_t>> read(int32_t id) const;
    std::optional<int64_t> recordSize(int32_t id) const;

private:
    bool writeIndex(const StoreIndex& state);
    bool writeRecord(int32_t id, const std::vector<uint8_t>& data);

    std::string m_indexPath;
    std::string m_recordSeparator;
    std::string m_suffix;
    StoreIndex m_state;
};

}  // namespace mrc::rms
