#include "runtime/io/input_stream.h"

#include "runtime/core/arrays.h"
#include "runtime/util/library_support.h"

using namespace mrc;

int32_t java_io_InputStream::read(ByteArray* b, int32_t off, int32_t len) {
    if (!lib::rangeOk(b, off, len)) return -1;
    if (len == 0) return 0;
    int32_t c = read();
    if (lib::exceptionPending() || c == -1) return -1;
    b->elements()[off] = static_cast<int8_t>(c);
    int32_t i = 1;
    for (; i < len; ++i) {
        c = read();
        // A failure after the first byte ends the block without an error, as the API's loop
        // does; the next read meets it again.
        if (lib::dropPending(kClass_java_io_IOException) || lib::exceptionPending() || c == -1) break;
        b->elements()[off + i] = static_cast<int8_t>(c);
    }
    return i;
}

int32_t java_io_InputStream::read(ByteArray* b) {
    if (lib::isNullReported(b)) return -1;
    return read(b, 0, b->length);
}

int64_t java_io_InputStream::skip(int64_t n) {
    int64_t left = n;
    while (left > 0) {
        int32_t c = read();
        if (lib::exceptionPending() || c < 0) break;
        --left;
    }
    return n > 0 ? n - left : 0;
}

int32_t java_io_InputStream::available() { return 0; }
void java_io_InputStream::close() {}
void java_io_InputStream::mark(int32_t) {}
void java_io_InputStream::reset() {}
bool java_io_InputStream::markSupported() { return false; }
