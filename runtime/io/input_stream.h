// java.io.InputStream: the abstract base of every input stream, the runtime's file, resource and
// connection streams included. Its virtual slots, after Object's six, are read(byte[], int, int),
// read(byte[]), read(), skip, available, close, mark, reset and markSupported, in that order.
// Failures are raised as the pending exception (java_io_IOException and its subclasses); the
// caller tests for one after each call.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;

class java_io_InputStream : public Object {
public:
    MRC_CLASS(java_io_InputStream, Object);

    // Bytes through read() until `len` are stored or read() gives -1: the count stored, or -1
    // when the stream ended before the first. Null `b` is reported; a range outside it raises
    // java_lang_IndexOutOfBoundsException.
    virtual int32_t read(ByteArray* b, int32_t off, int32_t len);  // slot 6
    virtual int32_t read(ByteArray* b);                             // slot 7: read(b, 0, b.length)
    virtual int32_t read() = 0;                                     // slot 8: 0-255, or -1 at the end
    virtual int64_t skip(int64_t n);                                // slot 9: through read()
    virtual int32_t available();                                    // slot 10: 0
    virtual void close();                                           // slot 11: nothing
    virtual void mark(int32_t readlimit);                           // slot 12: nothing
    virtual void reset();                                           // slot 13: nothing
    virtual bool markSupported();                                   // slot 14: false
};
