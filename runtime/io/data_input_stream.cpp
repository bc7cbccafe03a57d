#include "runtime/io/data_input_stream.h"

#include <string>
#include <vector>

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {

// Decodes modified UTF-8; false at the first malformed sequence.
bool decodeModifiedUtf8(const std::vector<uint8_t>& bytes, std::u16string& out) {
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const uint32_t c = bytes[i];
        switch (c >> 4) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7:
            out.push_back(static_cast<char16_t>(c));
            i += 1;
            break;
        case 12: case 13: {
            if (i + 2 > n) return false;
            const uint32_t c2 = bytes[i + 1];
            if ((c2 & 0xC0) != 0x80) return false;
            out.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (c2 & 0x3F)));
            i += 2;
            break;
        }
        case 14: {
            if (i + 3 > n) return false;
            const uint32_t c2 = bytes[i + 1];
            const uint32_t c3 = bytes[i + 2];
            if ((c2 & 0xC0) != 0x80 || (c3 & 0xC0) != 0x80) return false;
            out.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((c2 & 0x3F) << 6) | (c3 & 0x3F)));
            i += 3;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

}  // namespace

java_io_DataInputStream* java_io_DataInputStream::newInstance(java_io_InputStream* in) {
    auto* s = newObject<java_io_DataInputStream>();
    if (s) s->DataInputStream(in);
    return s;
}

void java_io_DataInputStream::DataInputStream(java_io_InputStream* stream) { in = stream; }

void java_io_DataInputStream::DataInputStream() { in = nullptr; }

// ---- passed to the wrapped stream ------------------------------------------------------------

int32_t java_io_DataInputStream::read(ByteArray* b, int32_t off, int32_t len) {
    if (lib::isNullReported(in)) return -1;
    return in->read(b, off, len);
}

int32_t java_io_DataInputStream::read(ByteArray* b) {
    if (lib::isNullReported(in) || lib::isNullReported(b)) return -1;
    return in->read(b, 0, b->length);
}

int32_t java_io_DataInputStream::read() {
    if (lib::isNullReported(in)) return -1;
    return in->read();
}

int64_t java_io_DataInputStream::skip(int64_t n) {
    if (lib::isNullReported(in)) return 0;
    return in->skip(n);
}

int32_t java_io_DataInputStream::available() {
    if (lib::isNullReported(in)) return 0;
    return in->available();
}

void java_io_DataInputStream::close() {
    if (!lib::isNullReported(in)) in->close();
}

void java_io_DataInputStream::mark(int32_t readlimit) {
    Synchronized lock(this);
    if (!lib::isNullReported(in)) in->mark(readlimit);
}

void java_io_DataInputStream::reset() {
    Synchronized lock(this);
    if (!lib::isNullReported(in)) in->reset();
}

bool java_io_DataInputStream::markSupported() {
    if (lib::isNullReported(in)) return false;
    return in->markSupported();
}

// ---- readers ---------------------------------------------------------------------------------

void java_io_DataInputStream::readFully(ByteArray* b) {
    if (lib::isNullReported(b)) return;
    readFully(b, 0, b->length);
}

void java_io_DataInputStream::readFully(ByteArray* b, int32_t off, int32_t len) {
    if (!lib::rangeOk(b, off, len)) return;
    int32_t n = 0;
    while (n < len) {
        int32_t got = read(b, off + n, len - n);
        if (lib::exceptionPending()) return;
        // A stream that gives nothing would otherwise be asked forever.
        if (got < 1) {
            raise(kClass_java_io_EOFException);
            return;
        }
        n += got;
    }
}

int32_t java_io_DataInputStream::skipBytes(int32_t n) {
    int32_t total = 0;
    while (total < n) {
        int64_t skipped = skip(n - total);
        if (lib::exceptionPending() || skipped <= 0) break;
        total += static_cast<int32_t>(skipped);
    }
    return total;
}

bool java_io_DataInputStream::readBigEndian(int n, uint32_t& value) {
    value = 0;
    bool ended = false;
    for (int i = 0; i < n; ++i) {
        int32_t c = read();
        if (lib::exceptionPending()) return false;
        ended |= c < 0;
        value = (value << 8) | (static_cast<uint32_t>(c) & 0xFF);
    }
    if (ended) {
        raise(kClass_java_io_EOFException);
        return false;
    }
    return true;
}

bool java_io_DataInputStream::readBoolean() {
    uint32_t v;
    return readBigEndian(1, v) && v != 0;
}

int8_t java_io_DataInputStream::readByte() {
    uint32_t v;
    return readBigEndian(1, v) ? static_cast<int8_t>(v) : 0;
}

int32_t java_io_DataInputStream::readUnsignedByte() {
    uint32_t v;
    return readBigEndian(1, v) ? static_cast<int32_t>(v) : 0;
}

int16_t java_io_DataInputStream::readShort() { return static_cast<int16_t>(readUnsignedShort()); }

int32_t java_io_DataInputStream::readUnsignedShort() {
    uint32_t v;
    return readBigEndian(2, v) ? static_cast<int32_t>(v) : 0;
}

char16_t java_io_DataInputStream::readChar() { return static_cast<char16_t>(readUnsignedShort()); }

int32_t java_io_DataInputStream::readInt() {
    uint32_t v;
    return readBigEndian(4, v) ? static_cast<int32_t>(v) : 0;
}

int64_t java_io_DataInputStream::readLong() {
    uint32_t high;
    uint32_t low;
    if (!readBigEndian(4, high) || !readBigEndian(4, low)) return 0;
    return static_cast<int64_t>((uint64_t{high} << 32) | low);
}

String* java_io_DataInputStream::readUTF() {
    const int32_t utflen = readUnsignedShort();
    if (lib::exceptionPending()) return nullptr;
    ByteArray* raw = ApplicationImpl::getApplication()->objectManager->newByteArray(utflen);
    if (isNull(raw)) return nullptr;
    readFully(raw, 0, utflen);
    if (lib::exceptionPending()) return nullptr;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(utflen));
    for (int32_t i = 0; i < utflen; ++i) bytes[i] = static_cast<uint8_t>(raw->elements()[i]);
    std::u16string text;
    if (!decodeModifiedUtf8(bytes, text)) {
        raise(kClass_java_io_UTFDataFormatException);
        return nullptr;
    }
    return newString(text.data(), static_cast<int32_t>(text.size()));
}
