#include "platform/rms/record_store_files.h"

#include <algorithm>
#include <limits>

#include "host/core/log.h"
#include "host/fs/file.h"
#include "host/fs/paths.h"
#include "platform/io/device_path.h"

namespace mrc::rms {

namespace {

// The last part of a device path: its file name.
std::string devicePathName(std::string_view path) {
    std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void putI32(std::vector<uint8_t>& out, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    out.insert(out.end(), {uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)});
}

std::optional<int32_t> getI32(const std::vector<uint8_t>& in, std::size_t at) {
    if (in.size() < at + 4) return std::nullopt;
    return static_cast<int32_t>(uint32_t(in[at]) << 24 | uint32_t(in[at + 1]) << 16 | uint32_t(in[at + 2]) << 8 |
                                in[at + 3]);
}

}  // namespace

std::vector<uint8_t> encodeIndex(const StoreIndex& index) {
    std::vector<uint8_t> out;
    out.reserve(8 + 4 * index.ids.size());
    putI32(out, index.lastId);
    putI32(out, static_cast<int32_t>(index.ids.size()));
    for (int32_t id : index.ids) putI32(out, id);
    return out;
}

StoreIndex decodeIndex(const std::vector<uint8_t>& bytes) {
    StoreIndex index;
    index.lastId = getI32(bytes, 0).value_or(0);
    int32_t count = getI32(bytes, 4).value_or(0);
    for (int32_t i = 0; i < count; ++i) {
        auto id = getI32(bytes, 8 + 4 * static_cast<std::size_t>(i));
        if (!id) break;
        index.ids.push_back(*id);
    }
    return index;
}

std::u16string storePath(const StoreFileNames& names, std::u16string_view storeName, std::u16string_view vendor,
                         std::u16string_view suite) {
    std::u16string path;
    if (vendor.empty() || suite.empty()) {
        path = io::widenPath(host::fs::kInstallFolder);
    } else {
        path = io::widenPath(host::fs::kProgramFilesFolder);
        path.append(names.separator).append(vendor).append(names.separator).append(suite);
    }
    path.append(names.separator).append(names.prefix).append(storeName).append(names.suffix);
    for (char16_t& c : path)
        if (std::u16string_view(u"/:*?<>|").find(c) != std::u16string_view::npos) c = u'_';
    return path;
}

RecordStoreFiles::RecordStoreFiles(std::string indexPath, std::string recordSeparator, std::string suffix,
                                   StoreIndex state)
    : m_indexPath(std::move(indexPath)),
      m_recordSeparator(std::move(recordSeparator)),
      m_suffix(std::move(suffix)),
      m_state(std::move(state)) {}

bool RecordStoreFiles::indexExists() const { return host::fs::exists(m_indexPath); }

void RecordStoreFiles::load() { m_state = decodeIndex(host::fs::readFile(m_indexPath).value_or(std::vector<uint8_t>{})); }

std::string RecordStoreFiles::recordPath(int32_t id) const {
    return m_indexPath + m_recordSeparator + std::to_string(id) + m_suffix;
}

bool RecordStoreFiles::contains(int32_t id) const {
    return std::find(m_state.ids.begin(), m_state.ids.end(), id) != m_state.ids.end();
}

bool RecordStoreFiles::writeIndex(const StoreIndex& state) {
    if (host::fs::replaceFile(m_indexPath, encodeIndex(state))) return true;
    mrc_log("record store: cannot write %s", m_indexPath.c_str());
    return false;
}

bool RecordStoreFiles::writeIndex() { return writeIndex(m_state); }

bool RecordStoreFiles::writeRecord(int32_t id, const std::vector<uint8_t>& data) {
    if (host::fs::replaceFile(recordPath(id), data)) return true;
    mrc_log("record store: cannot write %s", recordPath(id).c_str());
    return false;
}

std::optional<int32_t> RecordStoreFiles::nextId() const {
    int32_t id = std::max(m_state.lastId, 0);
    for (int32_t listed : m_state.ids) id = std::max(id, listed);
    do {
        if (id == std::numeric_limits<int32_t>::max()) return std::nullopt;
        ++id;
    } while (host::fs::length(recordPath(id)).value_or(0) > 0);
    return id;
}

std::optional<int32_t> RecordStoreFiles::add(const std::vector<uint8_t>& data) {
    std::optional<int32_t> id = nextId();
    if (!id) {
        mrc_log("record store: no record id left in %s", m_indexPath.c_str());
        return std::nullopt;
    }
    StoreIndex next = m_state;
    next.lastId = *id;
    next.ids.push_back(*id);
    if (!writeRecord(*id, data)) return std::nullopt;
    if (!writeIndex(next)) {
        // Unlisted, the file would only hold room the next save needs.
        if (!host::fs::remove(recordPath(*id))) mrc_log("record store: cannot remove %s", recordPath(*id).c_str());
        return std::nullopt;
    }
    m_state = std::move(next);
    return id;
}

RecordStatus RecordStoreFiles::set(int32_t id, const std::vector<uint8_t>& data) {
    if (!contains(id)) return RecordStatus::InvalidId;
    std::optional<std::vector<uint8_t>> old = read(id);
    if (!writeRecord(id, data)) return RecordStatus::WriteFailed;
    if (writeIndex()) return RecordStatus::Ok;
    if (old) writeRecord(id, *old);
    return RecordStatus::WriteFailed;
}

bool RecordStoreFiles::remove(int32_t id) {
    auto at = std::find(m_state.ids.rbegin(), m_state.ids.rend(), id);
    if (at == m_state.ids.rend()) return true;
    StoreIndex next = m_state;
    next.ids.erase(next.ids.begin() + (std::prev(at.base()) - m_state.ids.begin()));
    if (!writeIndex(next)) {
        // Perhaps a full disk: the record's own room lets the smaller index be written.
        std::optional<std::vector<uint8_t>> kept = read(id);
        if (!kept || kept->empty() || !writeRecord(id, {})) return false;
        if (!writeIndex(next)) {
            writeRecord(id, *kept);
            return false;
        }
        m_state = std::move(next);
        return true;
    }
    m_state = std::move(next);
    if (!host::fs::replaceFile(recordPath(id), nullptr, 0))
        mrc_log("record store: cannot empty %s", recordPath(id).c_str());
    return true;
}

int RecordStoreFiles::removeLeftovers() {
    // Real names as replaceFile gave them: the index's, and "<index><separator><id><suffix>".
    std::string index = host::fs::asciiLower(devicePathName(m_indexPath));
    std::string records = index + host::fs::asciiLower(m_recordSeparator);
    std::string suffix = host::fs::asciiLower(m_suffix);
    return host::fs::removeLeftoverTemporaries(m_indexPath, [&](std::string_view real) {
        std::string name = host::fs::asciiLower(real);
        if (name == index) return true;
        if (name.size() <= records.size() + suffix.size() || name.compare(0, records.size(), records) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            return false;
        std::string_view id = std::string_view(name).substr(records.size(), name.size() - records.size() - suffix.size());
        if (!id.empty() && id.front() == '-') id.remove_prefix(1);
        return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
    });
}

bool RecordStoreFiles::destroy() {
    std::vector<int32_t> ids = m_state.ids;
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) remove(*it);
    if (host::fs::replaceFile(m_indexPath, nullptr, 0)) {
        m_state = {};
        return true;
    }
    mrc_log("record store: cannot empty %s", m_indexPath.c_str());
    return false;
}

std::optional<std::vector<uint8_t>> RecordStoreFiles::read(int32_t id) const { return host::fs::readFile(recordPath(id)); }

std::optional<int64_t> RecordStoreFiles::recordSize(int32_t id) const { return host::fs::length(recordPath(id)); }

}  // namespace mrc::rms
