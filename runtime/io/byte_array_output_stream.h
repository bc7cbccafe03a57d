// java.io.ByteArrayOutputStream: collects bytes in a growing array (each growth to at least
// twice the old length). The operations that touch the buffer run under the stream's monitor.
#pragma once

#include <cstdint>

#include "runtime/io/output_stream.h"

class String;

class java_io_ByteArrayOutputStream : public java_io_OutputStream {
public:
    MRC_CLASS(java_io_ByteArrayOutputStream, java_io_OutputStream);
    MRC_REF_FIELDS(&java_io_ByteArrayOutputStream::buf);
    static constexpr int32_t kDefaultSize = 32;

    // A new stream with a buffer of `size` bytes; null when the heap is exhausted or the size is
    // negative (the exception is then pending).
    static java_io_ByteArrayOutputStream* newInstance(int32_t size = kDefaultSize);

    // The constructors. A negative size raises java_lang_IllegalArgumentException, as the API
    // says, instead of making an array of negative length.
    void ByteArrayOutputStream();
    void ByteArrayOutputStream(int32_t size);

    using java_io_OutputStream::write;
    void write(int32_t b) override;
    // A range outside `b` raises java_lang_IndexOutOfBoundsException and writes nothing.
    void write(ByteArray* b, int32_t off, int32_t len) override;
    // Sets `closed`; writes are still accepted afterwards.
    void close() override;
    // The text of the first count bytes, each byte one character (ISO-8859-1).
    String* toString() override;

    void reset();  // count = 0, the buffer kept
    int32_t size() { return count; }
    // A copy of the first count bytes; once closed with an exactly full buffer, the buffer itself.
    ByteArray* toByteArray();

    ByteArray* buf;
    int32_t count;
    bool closed;

private:
    // Makes room for `needed` bytes; false (traced) when memory runs out.
    bool ensureRoom(int64_t needed);
};
