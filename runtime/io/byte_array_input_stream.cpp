#include "runtime/io/byte_array_input_stream.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/arrays.h"
#include "runtime/core/synchronized.h"
#include "runtime/util/library_support.h"

using namespace mrc;

java_io_ByteArrayInputStream* java_io_ByteArrayInputStream::newInstance(ByteArray* buf) {
    auto* s = newObject<java_io_ByteArrayInputStream>();
    if (s) s->ByteArrayInputStream(buf);
    return s;
}

java_io_ByteArrayInputStream* java_io_ByteArrayInputStream::newInstance(ByteArray* buf, int32_t offset,
                                                                        int32_t length) {
    auto* s = newObject<java_io_ByteArrayInputStream>();
    if (s) s->ByteArrayInputStream(buf, offset, length);
    return s;
}

void java_io_ByteArrayInputStream::ByteArrayInputStream(ByteArray* b) {
    buf = b;
    pos = 0;
    markPos = 0;
    count = lib::isNullReported(b) ? 0 : b->length;
}

void java_io_ByteArrayInputStream::ByteArrayInputStream(ByteArray* b, int32_t offset, int32_t length) {
    buf = b;
    pos = offset;
    markPos = offset;
    count = lib::isNullReported(b) ? 0 : static_cast<int32_t>(std::min<int64_t>(int64_t{offset} + length, b->length));
}

int32_t java_io_ByteArrayInputStream::read() {
    Synchronized lock(this);
    if (pos >= count) return -1;
    // A negative offset given to the constructor leaves pos before the array.
    if (!arrayAccessOk(buf, pos)) return -1;
    return static_cast<uint8_t>(buf->elements()[pos++]);
}

int32_t java_io_ByteArrayInputStream::read(ByteArray* b, int32_t off, int32_t len) {
    Synchronized lock(this);
    if (!lib::rangeOk(b, off, len)) return -1;
    if (pos >= count) return -1;
    if (len > count - pos) len = count - pos;
    if (len <= 0) return 0;
    if (!lib::rangeOk(buf, pos, len)) return -1;
    std::memmove(b->elements() + off, buf->elements() + pos, static_cast<std::size_t>(len));
    pos += len;
    return len;
}

int64_t java_io_ByteArrayInputStream::skip(int64_t n) {
    Synchronized lock(this);
    if (n > int64_t{count} - pos) n = int64_t{count} - pos;
    if (n < 0) return 0;
    pos += static_cast<int32_t>(n);
    return n;
}

int32_t java_io_ByteArrayInputStream::available() {
    Synchronized lock(this);
    return count - pos;
}

void java_io_ByteArrayInputStream::close() { Synchronized lock(this); }

void java_io_ByteArrayInputStream::mark(int32_t) { markPos = pos; }

void java_io_ByteArrayInputStream::reset() {
    Synchronized lock(this);
    pos = markPos;
}

bool java_io_ByteArrayInputStream::markSupported() { return true; }
