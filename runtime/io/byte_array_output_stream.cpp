#include "runtime/io/byte_array_output_stream.h"

#include <algorithm>
#include <cstring>

#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {

ByteArray* newBytes(int32_t n) { return ApplicationImpl::getApplication()->objectManager->newByteArray(n); }

int32_t lengthOf(ByteArray* b) { return isNull(b) ? 0 : b->length; }

}  // namespace

java_io_ByteArrayOutputStream* java_io_ByteArrayOutputStream::newInstance(int32_t size) {
    auto* s = newObject<java_io_ByteArrayOutputStream>();
    if (!s) return nullptr;
    s->ByteArrayOutputStream(size);
    return isNull(s->buf) ? nullptr : s;
}

void java_io_ByteArrayOutputStream::ByteArrayOutputStream() { ByteArrayOutputStream(kDefaultSize); }

void java_io_ByteArrayOutputStream::ByteArrayOutputStream(int32_t size) {
    if (size < 0) {
        raise(kClass_java_lang_IllegalArgumentException);
        return;
    }
    buf = newBytes(size);
}

bool java_io_ByteArrayOutputStream::ensureRoom(int64_t needed) {
    int32_t old = lengthOf(buf);
    if (needed <= old) return true;
    if (needed > INT32_MAX) {
        mrc_log("ByteArrayOutputStream: %lld bytes exceed an array", static_cast<long long>(needed));
        return false;
    }
    int32_t n = static_cast<int32_t>(std::clamp<int64_t>(2 * int64_t{old}, needed, INT32_MAX));
    ByteArray* grown = newBytes(n);
    if (isNull(grown) || !grown->data) {
        mrc_log("ByteArrayOutputStream: no memory for %d bytes", n);
        return false;
    }
    if (count > 0) std::memcpy(grown->elements(), buf->elements(), static_cast<std::size_t>(count));
    buf = grown;
    return true;
}

void java_io_ByteArrayOutputStream::write(int32_t b) {
    Synchronized lock(this);
    if (!ensureRoom(int64_t{count} + 1)) return;
    buf->elements()[count++] = static_cast<int8_t>(b);
}

void java_io_ByteArrayOutputStream::write(ByteArray* b, int32_t off, int32_t len) {
    Synchronized lock(this);
    if (!lib::rangeOk(b, off, len) || len == 0) return;
    if (!ensureRoom(int64_t{count} + len)) return;
    std::memmove(buf->elements() + count, b->elements() + off, static_cast<std::size_t>(len));
    count += len;
}

void java_io_ByteArrayOutputStream::close() {
    Synchronized lock(this);
    closed = true;
}

void java_io_ByteArrayOutputStream::reset() {
    Synchronized lock(this);
    count = 0;
}

ByteArray* java_io_ByteArrayOutputStream::toByteArray() {
    Synchronized lock(this);
    if (closed && !isNull(buf) && buf->length == count) return buf;
    ByteArray* copy = newBytes(count);
    if (isNull(copy)) return nullptr;
    if (count > 0) std::memcpy(copy->elements(), buf->elements(), static_cast<std::size_t>(count));
    return copy;
}

String* java_io_ByteArrayOutputStream::toString() {
    String* s = newObject<String>();
    if (s) s->initFromBytes(buf, 0, count);
    return s;
}
