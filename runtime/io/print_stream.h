// java.io.PrintStream: text onto another output stream, each character narrowed to its low
// 8 bits. Every operation drops a java_io_IOException of the wrapped stream: there is no error
// flag. System.out and System.err are one PrintStream over a java_io_ConsoleOutputStream, which
// discards what it gets.
#pragma once

#include <cstdint>

#include "runtime/io/output_stream.h"

class CharArray;
class String;

class java_io_PrintStream : public java_io_OutputStream {
public:
    MRC_CLASS(java_io_PrintStream, java_io_OutputStream);
    MRC_REF_FIELDS(&java_io_PrintStream::out);
    // String constants of print(boolean).
    static constexpr int32_t kTrueConstant = 594;
    static constexpr int32_t kFalseConstant = 595;

    // A new stream onto `out`; null when the object heap is exhausted.
    static java_io_PrintStream* newInstance(java_io_OutputStream* out);

    void PrintStream(java_io_OutputStream* out);  // the constructor

    // Passed to the wrapped stream.
    void close() override;
    void flush() override;
    void write(int32_t b) override;
    void write(ByteArray* b, int32_t off, int32_t len) override;
    using java_io_OutputStream::write;

    // A String in one write(byte[]) of its narrowed characters; null prints "null".
    void print(String* s);
    void print(Object* o);  // its toString(); null prints "null"
    void print(char16_t c);
    void print(CharArray* s);
    void print(int32_t i);
    void print(int64_t l);
    void print(bool b);
    void print(const char*) = delete;  // would convert to bool
    void println();  // the byte 10
    template <class T>
    void println(T value) {
        print(value);
        println();
    }

    java_io_OutputStream* out;

private:
    // One write(byte[]) of `count` narrowed units, read through `unit` after the array exists.
    template <class Units>
    void writeNarrowed(int32_t count, Units unit);
};

class java_io_ConsoleOutputStream : public java_io_OutputStream {
public:
    MRC_CLASS(java_io_ConsoleOutputStream, java_io_OutputStream);

    static java_io_ConsoleOutputStream* newInstance();

    // The console natives: the bytes are discarded.
    void write(int32_t b) override;
    void write(ByteArray* b) override;
    void write(ByteArray* b, int32_t off, int32_t len) override;
    void close() override;
    void flush() override;
};
