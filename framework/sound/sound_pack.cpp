#include "framework/sound/sound_pack.h"

#include <algorithm>
#include <string>

#include "framework/sound/sound_support.h"
#include "host/core/log.h"
#include "runtime/core/static_class.h"
#include "runtime/io/input_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"

WM_JSound_IO::Statics WM_JSound_IO::statics;

using mrc::sound::callFailed;
using mrc::sound::objects;

namespace {

std::string textOf(String* s) { return isNull(s) ? std::string("(null)") : s->toUtf8(); }

// A table is never longer than the pack's 16-bit entry count allows.
constexpr int32_t kMaxTable = 0x10000 + 1;

}  // namespace

String* WM_JSound_IO::partName(int32_t part) const {
    if (part == 0) return name;
    return mrc::newString((textOf(name) + kPartSeparator + std::to_string(part)).c_str());
}

int32_t WM_JSound_IO::entriesOfPart(int32_t part) const {
    ShortArray* starts = statics.partStarts;
    if (isNull(starts) || part < 0 || part >= starts->length) return 0;
    int32_t first = uint16_t(starts->elements()[part]);
    int32_t end = part + 1 < starts->length ? int32_t(uint16_t(starts->elements()[part + 1]))
                                            : int32_t(uint16_t(entryTotal));
    return std::max(0, end - first);
}

void WM_JSound_IO::open(String* packName) {
    if (!isNull(name) && !isNull(packName) && name->compareTo(packName) == 0) return;
    release();
    name = packName;
    statics.partStarts = nullptr;
    partOffsets = nullptr;
    stream = isNull(packName) ? nullptr : Class::getResourceAsStream(packName);
    if (isNull(stream)) {
        stream = nullptr;
        mrc_log("WM_JSound_IO::open: no resource %s", textOf(packName).c_str());
        return;
    }
    entryTotal = static_cast<int16_t>(readU16());
    partCount = static_cast<int16_t>(readU16());
    if (partCount < 1) {
        mrc_log("WM_JSound_IO::open: %s declares %d parts", textOf(packName).c_str(), partCount);
        return;
    }
    ShortArray* starts = objects()->newShortArray(partCount);
    if (!starts) return;
    statics.partStarts = starts;
    for (int32_t k = 0; k < partCount; ++k) starts->elements()[k] = static_cast<int16_t>(readU16());
    statics.currentPart = 0;
    readIntTable();
}

void WM_JSound_IO::release() {
    if (!isNull(stream)) {
        stream->close();
        if (callFailed()) mrc_log("WM_JSound_IO::release: closing %s failed", textOf(name).c_str());
    }
    stream = nullptr;
    position = 0;
    java_lang_System::gc();
}

void WM_JSound_IO::reopenPart() {
    release();
    String* file = partName(statics.currentPart);
    stream = isNull(file) ? nullptr : Class::getResourceAsStream(file);
    if (isNull(stream)) {
        stream = nullptr;
        mrc_log("WM_JSound_IO: no resource %s", textOf(file).c_str());
    }
}

int32_t WM_JSound_IO::seekEntry(int32_t n) {
    ShortArray* starts = statics.partStarts;
    if (isNull(starts) || n < 0 || n >= int32_t(uint16_t(entryTotal))) {
        mrc_log("WM_JSound_IO::seekEntry: %s has no entry %d", textOf(name).c_str(), n);
        return -1;
    }
    int32_t part = -1;
    for (int32_t k = starts->length - 1; k >= 0; --k)
        if (int32_t(uint16_t(starts->elements()[k])) <= n) {
            part = k;
            break;
        }
    if (part < 0) {
        mrc_log("WM_JSound_IO::seekEntry: no part of %s holds entry %d", textOf(name).c_str(), n);
        return -1;
    }
    if (part != statics.currentPart) {
        statics.currentPart = part;
        if (part == 0) {
            String* pack = name;
            release();
            name = nullptr;
            open(pack);
        } else {
            reopenPart();
            partOffsets = nullptr;
            if (!isNull(stream)) readIntTable();
        }
    } else if (isNull(stream)) {
        if (part == 0) {
            String* pack = name;
            name = nullptr;
            open(pack);
        } else {
            reopenPart();
        }
    }
    // From the table read before: reopening the first part reads it again, or, failing, drops it.
    int32_t j = n - int32_t(uint16_t(starts->elements()[part]));
    IntArray* offsets = partOffsets;
    if (isNull(stream) || isNull(offsets) || j + 1 >= offsets->length) {
        mrc_log("WM_JSound_IO::seekEntry: entry %d of %s cannot be reached", n, textOf(name).c_str());
        return -1;
    }
    int32_t start = offsets->elements()[j];
    int32_t size = offsets->elements()[j + 1] - start;
    if (!mrc::sound::fitsDataHeap(size)) {
        mrc_log("WM_JSound_IO::seekEntry: entry %d of %s claims %d bytes", n, textOf(name).c_str(), size);
        return -1;
    }
    seek(start);
    if (size < 1) return size;
    entryKind = readByte();
    return size - 1;
}

ByteArray* WM_JSound_IO::readEntry(int32_t n) {
    int32_t size = seekEntry(n);
    if (size < 0) return nullptr;
    ByteArray* bytes = objects()->newByteArray(size);
    if (!bytes) return nullptr;
    readBytes(bytes, 0, size);
    return bytes;
}

int32_t WM_JSound_IO::readByte() {
    if (isNull(stream)) return -1;
    int32_t b = stream->read();
    if (callFailed()) {
        mrc_log("WM_JSound_IO::readByte: reading %s failed", textOf(name).c_str());
        return 0;
    }
    ++position;
    return b;
}

int32_t WM_JSound_IO::readU16() {
    int32_t lo = readByte() & 0xFF;
    return lo | (readByte() & 0xFF) << 8;
}

int32_t WM_JSound_IO::readInt() {
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) value |= uint32_t(readByte() & 0xFF) << shift;
    return static_cast<int32_t>(value);
}

int32_t WM_JSound_IO::readBytes(ByteArray* b, int32_t off, int32_t len) {
    if (isNull(stream) || isNull(b) || off < 0 || len < 0 || off > b->length - len) return 0;
    int32_t got = 0;
    while (got < len) {
        int32_t n = stream->read(b, off + got, len - got);
        if (callFailed()) {
            mrc_log("WM_JSound_IO::readBytes: reading %s failed", textOf(name).c_str());
            return 0;
        }
        // A stream that has ended answers -1 (or 0) for ever.
        if (n <= 0) {
            mrc_log("WM_JSound_IO::readBytes: %s ends %d bytes short", textOf(name).c_str(), len - got);
            break;
        }
        got += n;
    }
    position += got;
    return got;
}

void WM_JSound_IO::skip(int32_t n) {
    position += n;
    if (isNull(stream)) return;
    int64_t remaining = n;
    while (remaining > 0) {
        int64_t skipped = stream->skip(remaining);
        if (callFailed()) {
            mrc_log("WM_JSound_IO::skip: skipping in %s failed", textOf(name).c_str());
            return;
        }
        if (skipped > 0) {
            remaining -= std::min(skipped, remaining);
            continue;
        }
        // Skip may refuse to move; one byte read tells a pause from the end of the stream.
        int32_t b = stream->read();
        if (callFailed() || b < 0) {
            mrc_log("WM_JSound_IO::skip: %s ends %lld bytes short", textOf(name).c_str(),
                    static_cast<long long>(remaining));
            return;
        }
        --remaining;
    }
}

void WM_JSound_IO::seek(int32_t pos) {
    if (pos == position) return;
    if (position > pos) {
        reopenPart();
        skip(pos);
        return;
    }
    skip(pos - position);
}

void WM_JSound_IO::readIntTable() {
    int32_t count = entriesOfPart(statics.currentPart) + 1;
    if (count > kMaxTable) count = kMaxTable;
    IntArray* table = objects()->newIntArray(count);
    partOffsets = table;
    if (!table) return;
    for (int32_t i = 0; i < count; ++i) table->elements()[i] = readInt();
}

java_io_InputStream* WM_JSound_IO::openResource(String* resourceName) {
    if (isNull(resourceName)) return nullptr;
    return Class::getResourceAsStream(resourceName);
}
