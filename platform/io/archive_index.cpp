#include "platform/io/archive_index.h"

#include <algorithm>

#include "host/core/log.h"
#include "host/fs/file.h"

namespace mrc::io {

namespace {

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Big-endian fields from the file; any short read marks the reader as cut.
class IndexReader {
public:
    explicit IndexReader(host::fs::File& file) : m_file(file) {}

    bool bytes(uint8_t* out, std::size_t n) {
        if (m_cut || m_file.read(out, n) != n) m_cut = true;
        return !m_cut;
    }
    std::optional<uint16_t> u16() {
        uint8_t b[2];
        if (!bytes(b, 2)) return std::nullopt;
        return static_cast<uint16_t>(b[0] << 8 | b[1]);
    }
    std::optional<int32_t> i32() {
        uint8_t b[4];
        if (!bytes(b, 4)) return std::nullopt;
        return static_cast<int32_t>(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
    }

private:
    host::fs::File& m_file;
    bool m_cut = false;
};

std::optional<ArchiveEntry> readRecord(IndexReader& in) {
    auto length = in.u16();
    if (!length) return std::nullopt;
    std::vector<uint8_t> raw(*length);
    if (!in.bytes(raw.data(), raw.size())) return std::nullopt;
    auto name = decodeModifiedUtf8(raw.data(), raw.size());
    auto offset = in.i32();
    auto size = in.i32();
    if (!name || !offset || !size) return std::nullopt;
    return ArchiveEntry{std::move(*name), *offset, *size};
}

}  // namespace

std::optional<std::u16string> decodeModifiedUtf8(const uint8_t* bytes, std::size_t size) {
    std::u16string out;
    out.reserve(size);
    auto continuation = [&](std::size_t i) { return i < size && (bytes[i] & 0xC0) == 0x80; };
    for (std::size_t i = 0; i < size;) {
        uint8_t b = bytes[i];
        switch (b >> 4) {
            case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7:
                out.push_back(b);
                i += 1;
                break;
            case 12: case 13:
                if (!continuation(i + 1)) return std::nullopt;
                out.push_back(static_cast<char16_t>((b & 0x1F) << 6 | (bytes[i + 1] & 0x3F)));
                i += 2;
                break;
            case 14:
                if (!continuation(i + 1) || !continuation(i + 2)) return std::nullopt;
                out.push_back(static_cast<char16_t>((b & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 | (bytes[i + 2] & 0x3F)));
                i += 3;
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

bool archiveNameMatches(std::u16string_view stored, std::u16string_view requested) {
    if (!requested.empty() && requested.front() == u'/') requested.remove_prefix(1);
    return stored.size() == requested.size() &&
           std::equal(stored.begin(), stored.end(), requested.begin(),
                      [](char16_t a, char16_t b) { return foldAscii(a) == foldAscii(b); });
}

ArchiveIndex ArchiveIndex::load(std::string_view archivePath) {
    ArchiveIndex index;
    auto file = host::fs::File::open(archivePath, host::fs::File::Mode::Read);
    if (!file) {
        mrc_log("data archive missing: %.*s", static_cast<int>(archivePath.size()), archivePath.data());
        return index;
    }
    index.m_found = true;
    IndexReader in(*file);
    auto count = in.u16();
    if (!count) mrc_log("data archive index cut short: no entry count");
    int32_t declared = count ? static_cast<int16_t>(*count) : 0;
    for (int32_t i = 0; i < declared; ++i) {
        auto entry = readRecord(in);
        if (!entry) {
            mrc_log("data archive index cut short: %d of %d entries", i, declared);
            break;
        }
        index.m_entries.push_back(std::move(*entry));
    }
    return index;
}

int32_t ArchiveIndex::find(std::u16string_view requested) const {
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (archiveNameMatches(m_entries[i].name, requested)) return static_cast<int32_t>(i);
    return -1;
}

std::optional<std::vector<uint8_t>> ArchiveIndex::readEntry(std::string_view archivePath, int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return std::nullopt;
    const ArchiveEntry& e = m_entries[static_cast<std::size_t>(index)];
    if (e.offset < 0 || e.size < 0) {
        mrc_log("data archive entry %d has offset %d and size %d", index, e.offset, e.size);
        return std::nullopt;
    }
    auto file = host::fs::File::open(archivePath, host::fs::File::Mode::Read);
    if (!file || !file->seek(e.offset, host::fs::File::Origin::Begin)) return std::nullopt;
    // The declared size is only a claim: never allocate past what the file holds after the offset.
    int64_t held = std::max<int64_t>(0, file->size() - e.offset);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(std::min<int64_t>(e.size, held)));
    std::size_t got = 0;
    while (got < bytes.size()) {
        std::size_t n = file->read(bytes.data() + got, bytes.size() - got);
        if (n == 0) break;
        got += n;
    }
    if (got < std::size_t(e.size)) {
        mrc_log("data archive entry %d runs past the end of the archive: %zu of %d bytes", index, got, e.size);
        bytes.resize(got);
    }
    return bytes;
}

}  // namespace mrc::io
