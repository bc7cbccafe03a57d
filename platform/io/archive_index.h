// The index of the data archive "data.bar" and the entry lookup.
//
// Layout (big-endian, offsets from the start of the file): a signed 16-bit entry count N, then N
// records of a 16-bit name length, the name in modified UTF-8, a signed 32-bit offset and a signed
// 32-bit size; the entries' bytes lie wherever the offsets point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mrc::io {

struct ArchiveEntry {
    std::u16string name;
    int32_t offset = 0;
    int32_t size = 0;
};

class ArchiveIndex {
public:
    // Reads the index of the archive at a device path. A missing archive gives an empty index; an
    // index cut short (or holding a malformed name) ends at the last complete record. Both traced.
    static ArchiveIndex load(std::string_view archivePath);

    // The first entry the requested name matches, or -1.
    int32_t find(std::u16string_view requested) const;
    const std::vector<ArchiveEntry>& entries() const { return m_entries; }
    // Whether the archive file could be opened at all.
    bool archiveFound() const { return m_found; }

    // The entry's bytes as far as the file holds them (an entry running past the end of the file
    // comes back short, with a trace). Nothing for a missing archive or an entry whose offset or
    // size is negative.
    std::optional<std::vector<uint8_t>> readEntry(std::string_view archivePath, int32_t index) const;

private:
    std::vector<ArchiveEntry> m_entries;
    bool m_found = false;
};

// Whether a request names a stored entry: one leading '/' of the request is dropped, then both must
// have the same length and be equal with the letters A-Z compared in either case.
bool archiveNameMatches(std::u16string_view stored, std::u16string_view requested);

// Modified UTF-8 as readUTF decodes it (one, two or three bytes per unit, 0x00 allowed in one byte);
// nothing for a malformed or cut sequence.
std::optional<std::u16string> decodeModifiedUtf8(const uint8_t* bytes, std::size_t size);

}  // namespace mrc::io
