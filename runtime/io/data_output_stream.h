// java.io.DataOutputStream: big-endian primitive values and modified UTF-8 strings onto another
// output stream. The multi-byte writers go byte by byte through write(int) and stop at the first
// byte whose write raised an exception, leaving it pending.
#pragma once

#include <cstdint>

#include "runtime/io/output_stream.h"

class String;

class java_io_DataOutputStream : public java_io_OutputStream {
public:
    MRC_CLASS(java_io_DataOutputStream, java_io_OutputStream);
    MRC_REF_FIELDS(&java_io_DataOutputStream::out);
    // The longest encoding a 16-bit length can announce.
    static constexpr int32_t kMaxUtfBytes = 65535;

    // A new stream onto `out`; null when the object heap is exhausted.
    static java_io_DataOutputStream* newInstance(java_io_OutputStream* out);

    void DataOutputStream(java_io_OutputStream* out);  // the constructor

    // Passed to the wrapped stream; a missing one is reported ("NullPointer").
    void close() override;
    void flush() override;
    void write(int32_t b) override;
    void write(ByteArray* b, int32_t off, int32_t len) override;
    void write(ByteArray* b) override;

    void writeBoolean(bool v);  // 1 or 0
    void writeByte(int32_t v);  // the low 8 bits
    void writeShort(int32_t v);
    void writeChar(int32_t v);
    void writeInt(int32_t v);
    void writeLong(int64_t v);
    void writeChars(String* s);  // each character as two bytes, high first
    // The encoded length in two bytes, then modified UTF-8 (the character 0 as 0xC0 0x80),
    // written with one write(byte[]). An encoding longer than 65535 bytes could not be read back:
    // it raises java_io_UTFDataFormatException and writes nothing.
    void writeUTF(String* s);

    java_io_OutputStream* out;

private:
    // The low `n` bytes of `value`, most significant first; false once a write failed.
    bool writeBigEndian(int n, uint64_t value);
};
