// java.io.ByteArrayInputStream: reads a byte array between pos and count; mark and reset move
// within it. The block operations run under the stream's monitor (mark does not).
#pragma once

#include <cstdint>

#include "runtime/io/input_stream.h"

class java_io_ByteArrayInputStream : public java_io_InputStream {
public:
    MRC_CLASS(java_io_ByteArrayInputStream, java_io_InputStream);
    MRC_REF_FIELDS(&java_io_ByteArrayInputStream::buf);

    // A new stream over the whole array, or over `length` bytes from `offset`; null when the
    // object heap is exhausted.
    static java_io_ByteArrayInputStream* newInstance(ByteArray* buf);
    static java_io_ByteArrayInputStream* newInstance(ByteArray* buf, int32_t offset, int32_t length);

    // The constructors: the whole array; or pos = mark = offset and count = min(offset + length,
    // buf.length). A null array is reported and leaves an empty stream.
    void ByteArrayInputStream(ByteArray* buf);
    void ByteArrayInputStream(ByteArray* buf, int32_t offset, int32_t length);

    using java_io_InputStream::read;
    // -1 at the end; a range outside `b` raises java_lang_IndexOutOfBoundsException first.
    int32_t read(ByteArray* b, int32_t off, int32_t len) override;
    int32_t read() override;
    int64_t skip(int64_t n) override;  // cut to what is left; 0 for a negative n
    int32_t available() override;      // count - pos
    void close() override;
    void mark(int32_t readlimit) override;  // mark = pos
    void reset() override;                  // pos = mark
    bool markSupported() override;          // true

    ByteArray* buf;
    int32_t pos;
    int32_t markPos;  // the Java field `mark`, renamed apart from the method
    int32_t count;
};
