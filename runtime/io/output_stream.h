// java.io.OutputStream: the abstract base of every output stream, the runtime's file and
// connection streams included. Its virtual slots, after Object's six, are close, flush,
// write(int), write(byte[], int, int) and write(byte[]), in that order. Failures are raised as
// the pending exception (java_io_IOException and its subclasses).
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;

class java_io_OutputStream : public Object {
public:
    MRC_CLASS(java_io_OutputStream, Object);

    virtual void close();                                       // slot 6: nothing
    virtual void flush();                                       // slot 7: nothing
    virtual void write(int32_t b) = 0;                          // slot 8: the low 8 bits
    // Slot 9: byte by byte through write(int), stopping at the first failure. Null `b` is
    // reported; a range outside it raises java_lang_IndexOutOfBoundsException.
    virtual void write(ByteArray* b, int32_t off, int32_t len);
    virtual void write(ByteArray* b);                           // slot 10: write(b, 0, b.length)
};
