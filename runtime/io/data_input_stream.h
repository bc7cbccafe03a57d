// java.io.DataInputStream: big-endian primitive values and modified UTF-8 strings over another
// input stream. Every record format of the system (string constants, the archive index, the
// record-store index, the game's data) is read through it.
//
// The readers raise java_io_EOFException when the stream ends inside a value and
// java_io_UTFDataFormatException for malformed UTF data; a failure of the wrapped stream stays
// pending as it was raised. A reader that fails returns 0 (null for readUTF).
#pragma once

#include <cstdint>

#include "runtime/io/input_stream.h"

class String;

class java_io_DataInputStream : public java_io_InputStream {
public:
    MRC_CLASS(java_io_DataInputStream, java_io_InputStream);
    MRC_REF_FIELDS(&java_io_DataInputStream::in);

    // A new stream over `in`; null when the object heap is exhausted.
    static java_io_DataInputStream* newInstance(java_io_InputStream* in);

    // The constructors: the wrapped stream, or none.
    void DataInputStream(java_io_InputStream* in);
    void DataInputStream();

    // Passed to the wrapped stream (read(b) as its read(b, 0, b.length)); mark and reset under
    // this stream's monitor. A missing wrapped stream is reported ("NullPointer").
    int32_t read(ByteArray* b, int32_t off, int32_t len) override;
    int32_t read(ByteArray* b) override;
    int32_t read() override;
    int64_t skip(int64_t n) override;
    int32_t available() override;
    void close() override;
    void mark(int32_t readlimit) override;
    void reset() override;
    bool markSupported() override;

    // Exactly len bytes, or java_io_EOFException once a read yields none. A range outside `b`
    // raises java_lang_IndexOutOfBoundsException.
    void readFully(ByteArray* b);
    void readFully(ByteArray* b, int32_t off, int32_t len);
    // Skips until n bytes are skipped or a skip gives none; the number skipped.
    int32_t skipBytes(int32_t n);

    bool readBoolean();
    int8_t readByte();
    int32_t readUnsignedByte();
    int16_t readShort();
    int32_t readUnsignedShort();
    char16_t readChar();
    int32_t readInt();
    int64_t readLong();
    // A 16-bit length, then that many bytes of modified UTF-8.
    String* readUTF();

    java_io_InputStream* in;

private:
    // `n` bytes (at most 4) through read(), most significant first; false when a read failed
    // or, after raising java_io_EOFException, when the stream ended.
    bool readBigEndian(int n, uint32_t& value);
};
