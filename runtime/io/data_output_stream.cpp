#include "runtime/io/data_output_stream.h"

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {

int32_t utfLength(char16_t c) { return c >= 1 && c <= 0x7F ? 1 : c <= 0x7FF ? 2 : 3; }

}  // namespace

java_io_DataOutputStream* java_io_DataOutputStream::newInstance(java_io_OutputStream* out) {
    auto* s = newObject<java_io_DataOutputStream>();
    if (s) s->DataOutputStream(out);
    return s;
}

void java_io_DataOutputStream::DataOutputStream(java_io_OutputStream* stream) { out = stream; }

void java_io_DataOutputStream::close() {
    if (!lib::isNullReported(out)) out->close();
}

void java_io_DataOutputStream::flush() {
    if (!lib::isNullReported(out)) out->flush();
}

void java_io_DataOutputStream::write(int32_t b) {
    if (!lib::isNullReported(out)) out->write(b);
}

void java_io_DataOutputStream::write(ByteArray* b, int32_t off, int32_t len) {
    if (!lib::isNullReported(out)) out->write(b, off, len);
}

void java_io_DataOutputStream::write(ByteArray* b) {
    if (!lib::isNullReported(out)) out->write(b);
}

bool java_io_DataOutputStream::writeBigEndian(int n, uint64_t value) {
    for (int i = n - 1; i >= 0; --i) {
        write(static_cast<int32_t>((value >> (8 * i)) & 0xFF));
        if (lib::exceptionPending()) return false;
    }
    return true;
}

void java_io_DataOutputStream::writeBoolean(bool v) { writeBigEndian(1, v ? 1 : 0); }
void java_io_DataOutputStream::writeByte(int32_t v) { writeBigEndian(1, static_cast<uint32_t>(v)); }
void java_io_DataOutputStream::writeShort(int32_t v) { writeBigEndian(2, static_cast<uint32_t>(v)); }
void java_io_DataOutputStream::writeChar(int32_t v) { writeBigEndian(2, static_cast<uint32_t>(v)); }
void java_io_DataOutputStream::writeInt(int32_t v) { writeBigEndian(4, static_cast<uint32_t>(v)); }
void java_io_DataOutputStream::writeLong(int64_t v) { writeBigEndian(8, static_cast<uint64_t>(v)); }

void java_io_DataOutputStream::writeChars(String* s) {
    if (lib::isNullReported(s)) return;
    // Writing may allocate (a growing byte-array stream): the characters are read afresh.
    for (int32_t i = 0; i < s->count(); ++i)
        if (!writeBigEndian(2, s->chars[i])) return;
}

void java_io_DataOutputStream::writeUTF(String* s) {
    if (lib::isNullReported(s)) return;
    const int32_t n = s->count();
    int64_t encoded = 0;
    for (int32_t i = 0; i < n; ++i) encoded += utfLength(s->chars[i]);
    if (encoded > kMaxUtfBytes) {
        raise(kClass_java_io_UTFDataFormatException);
        return;
    }
    ByteArray* bytes = ApplicationImpl::getApplication()->objectManager->newByteArray(static_cast<int32_t>(encoded) + 2);
    if (isNull(bytes)) return;
    // No allocation from here to the write: the characters and elements stay where they are.
    auto* p = reinterpret_cast<uint8_t*>(bytes->elements());
    *p++ = static_cast<uint8_t>(encoded >> 8);
    *p++ = static_cast<uint8_t>(encoded);
    for (int32_t i = 0; i < n; ++i) {
        const char16_t c = s->chars[i];
        switch (utfLength(c)) {
        case 1:
            *p++ = static_cast<uint8_t>(c);
            break;
        case 2:
            *p++ = static_cast<uint8_t>(0xC0 | ((c >> 6) & 0x1F));
            *p++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
            break;
        default:
            *p++ = static_cast<uint8_t>(0xE0 | ((c >> 12) & 0x0F));
            *p++ = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
            break;
        }
    }
    write(bytes);
}
