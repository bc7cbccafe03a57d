// The resource-pack reader: one pack open at a time, its entries read forward only, stored plain
// or as LZMA-alone streams.
//
// Pack layout (little-endian): compression flag (1 = every entry is LZMA-alone), offset count N,
// N 32-bit offsets; entry i spans offsets i to i + 1, its data starting offset[i] - offset[0]
// bytes after the table.
#include <algorithm>
#include <string>

#include "framework/config/qxlib_config.h"
#include "framework/core/game_base.h"
#include "framework/packs/lzma_alone.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/heap/memory_manager.h"
#include "runtime/io/input_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"

using mrc::ApplicationImpl;

namespace {

mrc::Application* app() { return ApplicationImpl::getApplication(); }

// After a stream call: false when it left an exception. An Exception is caught here (and traced
// by the caller); anything else stays pending for the game's handlers.
bool streamOk() {
    Object* pending = app()->getPendingException();
    if (!pending) return true;
    if (Object::instanceOf(pending, mrc::kClass_java_lang_Exception)) app()->clearPendingException();
    return false;
}

// Sizes a pack claims are trusted only as far as the data heap could hold them.
bool fitsDataHeap(int64_t size) {
    mrc::MemoryManager* heap = app()->dataHeap;
    return heap && size <= int64_t(heap->size()) - heap->used();
}

std::string nameOf(String* name) { return isNull(name) ? std::string("(null)") : name->toUtf8(); }

// Skips exactly n bytes; a stream that will not skip is read byte by byte.
bool skipFully(java_io_InputStream* stream, int64_t n) {
    while (n > 0) {
        int64_t skipped = stream->skip(n);
        if (!streamOk()) return false;
        if (skipped > 0) {
            n -= std::min(skipped, n);
            continue;
        }
        int32_t b = stream->read();
        if (!streamOk() || b < 0) return false;
        --n;
    }
    return true;
}

// Fills the whole array, however many reads it takes.
bool readFully(java_io_InputStream* stream, ByteArray* bytes) {
    int32_t got = 0;
    while (got < bytes->length) {
        int32_t n = stream->read(bytes, got, bytes->length - got);
        if (!streamOk() || n <= 0) return false;
        got += n;
    }
    return true;
}

void requestCollection() { java_lang_System::gc(); }

}  // namespace

void GameBase::loadResourceFile(String* name) {
    QXLibBase::closePack();
    Statics& s = statics;
    s.packName = name;
    s.packStream = isNull(name) ? nullptr : Class::getResourceAsStream(name);
    if (isNull(s.packStream)) {
        s.packStream = nullptr;
        mrc_log("Game::loadResourceFile: no resource %s", nameOf(name).c_str());
        return;
    }
    java_io_InputStream* stream = s.packStream;
    int32_t flag = stream->read();
    if (!streamOk()) {
        mrc_log("Game::loadResourceFile: %s: reading the header failed", nameOf(name).c_str());
        return;
    }
    int32_t count = flag < 0 ? -1 : stream->read();
    if (!streamOk() || count < 0) {
        mrc_log("Game::loadResourceFile: %s ends inside its header", nameOf(name).c_str());
        return;
    }
    s.packCompressed = flag == 1;
    IntArray* offsets = app()->objectManager->newIntArray(count);
    if (!offsets) return;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            int32_t b = stream->read();
            if (!streamOk() || b < 0) {
                // No table at all rather than one of guessed offsets.
                mrc_log("Game::loadResourceFile: %s ends inside its table (%d of %d offsets)", nameOf(name).c_str(),
                        i, count);
                return;
            }
            value |= uint32_t(b) << shift;
        }
        offsets->elements()[i] = static_cast<int32_t>(value);
    }
    s.packOffsets = offsets;
    s.packOffsetCount = count;
    s.packNextEntry = 0;
    requestCollection();
}

ByteArray* QXLibBase::readPackEntry(int32_t n) {
    GameBase::Statics& s = GameBase::statics;
    if (n < 0 || n >= s.packOffsetCount - 1 || isNull(s.packOffsets) || s.packOffsets->length < s.packOffsetCount)
        return nullptr;
    const int32_t* offsets = s.packOffsets->elements();
    int64_t size = int64_t(offsets[n + 1]) - offsets[n];
    if (size == 0) return nullptr;
    if (size < 0) {
        mrc_log("QXLib::readPackEntry: entry %d of %s has a negative size (%lld)", n, nameOf(s.packName).c_str(),
                static_cast<long long>(size));
        return nullptr;
    }
    if (n < s.packNextEntry) return nullptr;
    int64_t gap = int64_t(offsets[n]) - offsets[s.packNextEntry];
    if (gap < 0) {
        mrc_log("QXLib::readPackEntry: entry %d of %s lies before entry %d", n, nameOf(s.packName).c_str(),
                s.packNextEntry);
        return nullptr;
    }
    if (!fitsDataHeap(size)) {
        mrc_log("QXLib::readPackEntry: entry %d of %s claims %lld bytes", n, nameOf(s.packName).c_str(),
                static_cast<long long>(size));
        return nullptr;
    }
    java_io_InputStream* stream = s.packStream;
    if (isNull(stream)) return nullptr;

    // Once the stream has moved, a failure leaves it nowhere the table knows of: nothing more of
    // this pack is read.
    auto fail = [&](const char* what) -> ByteArray* {
        mrc_log("QXLib::readPackEntry: %s entry %d of %s failed", what, n, nameOf(s.packName).c_str());
        s.packNextEntry = s.packOffsetCount;
        requestCollection();
        return nullptr;
    };
    if (gap > 0 && !skipFully(stream, gap)) return fail("skipping to");
    s.packNextEntry = n;
    ByteArray* bytes = app()->objectManager->newByteArray(static_cast<int32_t>(size));
    if (!bytes) return nullptr;
    if (!readFully(stream, bytes)) return fail("reading");
    s.packNextEntry = n + 1;
    if (!s.packCompressed) {
        requestCollection();
        return bytes;
    }
    lzmaUnpack(bytes);
    ByteArray* result = s.lzmaOutput;
    s.lzmaOutput = nullptr;
    requestCollection();
    return result;
}

void QXLibBase::closePack() {
    GameBase::Statics& s = GameBase::statics;
    if (!isNull(s.packStream)) {
        s.packStream->close();
        if (streamOk()) s.packStream = nullptr;
        else mrc_log("QXLib::closePack: closing %s failed", nameOf(s.packName).c_str());
    }
    s.packName = nullptr;
    s.packOffsets = nullptr;
    s.packOffsetCount = 0;
}

void QXLibBase::lzmaUnpack(ByteArray* data) {
    if (!QXLibConfig::packsUseLzma()) return;
    if (isNull(data)) {
        app()->reportError("NullPointer");
        return;
    }
    if (std::size_t(data->length) < mrc::packs::kLzmaHeaderSize) {
        mrc_log("QXLib::lzmaUnpack: %d bytes are shorter than the header", data->length);
        return;
    }
    const auto* header = reinterpret_cast<const uint8_t*>(data->elements());
    mrc::packs::LzmaProperties properties = mrc::packs::lzmaProperties(header[0]);
    uint32_t size = uint32_t(header[5]) | uint32_t(header[6]) << 8 | uint32_t(header[7]) << 16 |
                    uint32_t(header[8]) << 24;
    if (size > uint32_t(INT32_MAX) || !fitsDataHeap(size)) {
        mrc_log("QXLib::lzmaUnpack: the stream claims %u bytes", size);
        return;
    }
    ByteArray* out = app()->objectManager->newByteArray(static_cast<int32_t>(size));
    if (!out) return;
    // The allocation may have moved the input: its bytes are taken from the array now.
    const auto* body = reinterpret_cast<const uint8_t*>(data->elements()) + mrc::packs::kLzmaHeaderSize;
    std::size_t bodySize = std::size_t(data->length) - mrc::packs::kLzmaHeaderSize;
    if (size > 0 &&
        !mrc::packs::lzmaDecode(properties, body, bodySize, reinterpret_cast<uint8_t*>(out->elements()), size)) {
        mrc_log("QXLib::lzmaUnpack: damaged stream (%zu bytes for %u)", bodySize, size);
        out = nullptr;
    }
    GameBase::statics.lzmaOutput = out;
    if (QXLibConfig::gcAfterRelease()) requestCollection();
}
