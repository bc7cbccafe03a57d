// The java.io streams: byte-array streams, the base-class defaults, the data streams and the
// print stream, each over the real streams of the runtime.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/core/log.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/throwable.h"
#include "tests/runtime/util/library_fixture.h"

namespace {

using namespace mrc::test;

// An input stream that serves the bytes of a C++ string and raises java_io_IOException when it
// reaches byte `failAt`; it implements only read(), so every other operation is the default.
class ScriptedInput : public java_io_InputStream {
public:
    using Base = java_io_InputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_InputStream;

    static ScriptedInput* create(std::string_view bytes, int32_t failAt = -1) {
        auto* s = mrc::newObject<ScriptedInput>();
        s->data = bytes.data();
        s->size = static_cast<int32_t>(bytes.size());
        s->failAt = failAt;
        return s;
    }
    int32_t read() override {
        if (pos == failAt) {
            mrc::raise(mrc::kClass_java_io_IOException);
            return -1;
        }
        return pos < size ? static_cast<uint8_t>(data[pos++]) : -1;
    }
    using java_io_InputStream::read;

    const char* data;
    int32_t size;
    int32_t pos;
    int32_t failAt;
};

// An output stream that appends each byte of write(int) to a test-owned string and raises
// java_io_IOException at byte `failAt`.
class ScriptedOutput : public java_io_OutputStream {
public:
    using Base = java_io_OutputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_OutputStream;

    static ScriptedOutput* create(std::string* sink, int32_t failAt = -1) {
        auto* s = mrc::newObject<ScriptedOutput>();
        s->sink = sink;
        s->failAt = failAt;
        return s;
    }
    void write(int32_t b) override {
        if (static_cast<int32_t>(sink->size()) == failAt) {
            mrc::raise(mrc::kClass_java_io_IOException);
            return;
        }
        sink->push_back(static_cast<char>(b));
    }
    using java_io_OutputStream::write;

    std::string* sink;
    int32_t failAt;
};

std::string range(int from, int to) {
    std::string s;
    for (int i = from; i < to; ++i) s.push_back(static_cast<char>(i));
    return s;
}

class ByteArrayStreams : public LibraryTest {};
class StreamDefaults : public LibraryTest {};
class DataStreams : public LibraryTest {};
class PrintStreams : public LibraryTest {};

TEST_F(ByteArrayStreams, InputServesItsRangeAndReturnsToTheMark) {
    auto* s = java_io_ByteArrayInputStream::newInstance(byteArray(range(0, 20)), 5, 100);
    EXPECT_EQ(s->count, 20);
    std::string got;
    for (int32_t c; (c = s->read()) != -1;) got.push_back(static_cast<char>(c));
    EXPECT_EQ(got, range(5, 20));
    EXPECT_EQ(s->available(), 0);
    s->reset();
    EXPECT_EQ(s->read(), 5);
    EXPECT_EQ(s->read(), 6);
    s->mark(0);
    EXPECT_EQ(s->skip(3), 3);
    EXPECT_EQ(s->skip(-4), 0);
    s->reset();
    EXPECT_EQ(s->read(), 7);
    EXPECT_EQ(s->skip(1000), 12);
    EXPECT_TRUE(s->markSupported());
    EXPECT_EQ(takePending(), "");
    EXPECT_FALSE(impl()->monitors.heldByCurrentThread(s));
}

TEST_F(ByteArrayStreams, BlockReadsCheckTheRangeBeforeTheEnd) {
    struct Case {
        int32_t skipFirst, off, len, destLength;
        int32_t result;
        const char* dest;  // hex of the destination afterwards
        const char* pending;
    } cases[] = {
        {0, 0, 4, 4, 4, "61626364", ""},
        {0, 1, 10, 12, 6, "006162636465660000000000", ""},
        {0, 0, 0, 4, 0, "00000000", ""},
        {6, 0, 0, 4, -1, "00000000", ""},
        {6, 0, 2, 4, -1, "00000000", ""},
        {4, 1, 3, 4, 2, "00656600", ""},
        {0, -1, 2, 4, -1, "00000000", "IndexOutOfBoundsException"},
        {0, 3, 2, 4, -1, "00000000", "IndexOutOfBoundsException"},
        {0, 0, -1, 4, -1, "00000000", "IndexOutOfBoundsException"},
        {6, 2147483647, 1, 4, -1, "00000000", "IndexOutOfBoundsException"},
    };
    for (const Case& c : cases) {
        auto* s = java_io_ByteArrayInputStream::newInstance(byteArray("abcdef"));
        s->skip(c.skipFirst);
        ByteArray* dest = om()->newByteArray(c.destLength);
        const int32_t before = s->pos;
        EXPECT_EQ(s->read(dest, c.off, c.len), c.result) << c.off << "," << c.len;
        std::string expected = c.dest;
        if (expected.size() > 2u * c.destLength) expected.resize(2u * c.destLength);
        EXPECT_EQ(hexOfBytes(dest), expected == "" ? "_" : expected) << c.off << "," << c.len;
        EXPECT_EQ(takePending(), c.pending) << c.off << "," << c.len;
        if (c.result < 0) {
            EXPECT_EQ(s->pos, before);
        }
        EXPECT_FALSE(impl()->monitors.heldByCurrentThread(s));
    }
}

TEST_F(ByteArrayStreams, InputOutsideItsArrayNeverReadsOutside) {
    host::LogCapture log;
    auto* before = java_io_ByteArrayInputStream::newInstance(byteArray("abc"), -2, 3);
    EXPECT_EQ(before->read(), -1);
    EXPECT_EQ(takePending(), "ArrayIndexOutOfBoundsException");
    ByteArray* dest = om()->newByteArray(4);
    EXPECT_EQ(before->read(dest, 0, 4), -1);
    EXPECT_EQ(takePending(), "IndexOutOfBoundsException");

    auto* none = java_io_ByteArrayInputStream::newInstance(nullptr);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(none->read(), -1);
    EXPECT_EQ(none->read(nullptr, 0, 1), -1);
    EXPECT_EQ(takePending(), "");
}

TEST_F(ByteArrayStreams, OutputGrowsToTwiceItsLengthOrWhatIsNeeded) {
    struct Case {
        int32_t initial;
        int32_t singles;   // single bytes written first
        int32_t block;     // then one block of this many bytes (0: none)
        std::vector<int32_t> lengths;  // buffer length after the singles, then after the block
    } cases[] = {
        {32, 32, 0, {32}},
        {32, 33, 0, {64}},
        {10, 10, 100, {10, 110}},
        {10, 10, 5, {10, 20}},
        {0, 1, 0, {1}},
        {0, 2, 0, {2}},
        {0, 3, 0, {4}},
        {0, 0, 7, {0, 7}},
    };
    for (const Case& c : cases) {
        auto* s = java_io_ByteArrayOutputStream::newInstance(c.initial);
        for (int32_t i = 0; i < c.singles; ++i) s->write(i + 1);
        EXPECT_EQ(s->buf->length, c.lengths[0]) << c.initial << "/" << c.singles;
        if (c.block) {
            ByteArray* block = byteArray(std::string(static_cast<std::size_t>(c.block), 'x'));
            s->write(block, 0, c.block);
            EXPECT_EQ(s->buf->length, c.lengths[1]) << c.initial << "/" << c.singles << "+" << c.block;
        }
        EXPECT_EQ(s->size(), c.singles + c.block);
        std::string expected = range(1, c.singles + 1) + std::string(static_cast<std::size_t>(c.block), 'x');
        EXPECT_EQ(hexOfBytes(s->toByteArray()), hexOfBytes(byteArray(expected)));
    }
    java_io_ByteArrayOutputStream* s = mrc::newObject<java_io_ByteArrayOutputStream>();
    s->ByteArrayOutputStream();
    EXPECT_EQ(s->buf->length, 32);
}

TEST_F(ByteArrayStreams, ToByteArrayHandsOutTheBufferOnlyWhenClosedAndFull) {
    auto* s = java_io_ByteArrayOutputStream::newInstance(3);
    s->write(byteArray("abc"));
    ByteArray* open = s->toByteArray();
    EXPECT_NE(open, s->buf);
    EXPECT_EQ(hexOfBytes(open), "616263");
    s->close();
    EXPECT_EQ(s->toByteArray(), s->buf);
    s->write('d');  // accepted after close; the buffer is no longer exactly full
    ByteArray* grown = s->toByteArray();
    EXPECT_NE(grown, s->buf);
    EXPECT_EQ(hexOfBytes(grown), "61626364");
    s->reset();
    EXPECT_EQ(s->size(), 0);
    EXPECT_EQ(s->buf->length, 6);
    EXPECT_EQ(hexOfBytes(s->toByteArray()), "_");
}

TEST_F(ByteArrayStreams, OutputRejectsBadRangesAndSizes) {
    auto* s = java_io_ByteArrayOutputStream::newInstance();
    s->write(byteArray("A\xE9"));
    EXPECT_EQ(units(s->toString()), u"A\u00e9");
    ByteArray* src = byteArray("xyz");
    for (auto [off, len] : {std::pair{-1, 2}, {2, 2}, {0, -1}, {4, 0}}) {
        s->write(src, off, len);
        EXPECT_EQ(takePending(), "IndexOutOfBoundsException") << off << "," << len;
        EXPECT_EQ(s->size(), 2);
    }
    s->write(src, 3, 0);
    EXPECT_EQ(takePending(), "");
    EXPECT_EQ(java_io_ByteArrayOutputStream::newInstance(-1), nullptr);
    EXPECT_EQ(takePending(), "IllegalArgumentException");
    EXPECT_FALSE(impl()->monitors.heldByCurrentThread(s));
}

TEST_F(StreamDefaults, InputBlockReadAndSkipGoThroughRead) {
    ByteArray* dest = om()->newByteArray(5);
    auto* in = ScriptedInput::create("abc");
    EXPECT_EQ(in->read(dest, 1, 4), 3);
    EXPECT_EQ(hexOfBytes(dest), "0061626300");
    EXPECT_EQ(in->read(dest, 0, 5), -1);
    EXPECT_EQ(in->read(dest, 0, 0), 0);
    EXPECT_EQ(in->read(dest, 4, 2), -1);
    EXPECT_EQ(takePending(), "IndexOutOfBoundsException");

    auto* whole = ScriptedInput::create("hello");
    EXPECT_EQ(whole->read(dest), 5);
    EXPECT_EQ(hexOfBytes(dest), "68656c6c6f");

    auto* skipping = ScriptedInput::create("abcdef");
    EXPECT_EQ(skipping->skip(2), 2);
    EXPECT_EQ(skipping->skip(-1), 0);
    EXPECT_EQ(skipping->read(), 'c');
    EXPECT_EQ(skipping->skip(100), 3);
    EXPECT_EQ(skipping->available(), 0);
    EXPECT_FALSE(skipping->markSupported());
    skipping->mark(1);
    skipping->reset();
    skipping->close();
    EXPECT_EQ(takePending(), "");
}

TEST_F(StreamDefaults, InputFailureEndsTheBlockAfterTheFirstByte) {
    ByteArray* dest = om()->newByteArray(4);
    EXPECT_EQ(ScriptedInput::create("abcd", 0)->read(dest, 0, 4), -1);
    EXPECT_EQ(takePending(), "IOException");

    auto* late = ScriptedInput::create("abcd", 2);
    EXPECT_EQ(late->read(dest, 0, 4), 2);
    EXPECT_EQ(takePending(), "");
    EXPECT_EQ(late->read(), -1);
    EXPECT_EQ(takePending(), "IOException");
}

TEST_F(StreamDefaults, OutputBlockWriteGoesThroughWriteInt) {
    std::string sink;
    auto* out = ScriptedOutput::create(&sink);
    out->write(byteArray("abcd"), 1, 2);
    out->write(byteArray("xy"));
    out->flush();
    out->close();
    EXPECT_EQ(sink, "bcxy");
    out->write(byteArray("xy"), 1, 2);
    EXPECT_EQ(takePending(), "IndexOutOfBoundsException");

    std::string partial;
    ScriptedOutput::create(&partial, 1)->write(byteArray("abc"));
    EXPECT_EQ(partial, "a");
    EXPECT_EQ(takePending(), "IOException");
}

TEST_F(DataStreams, ReadersOfTheDocumentedCases) {
    using namespace std::literals;
    auto in = [](std::string_view raw) {
        return java_io_DataInputStream::newInstance(java_io_ByteArrayInputStream::newInstance(byteArray(raw)));
    };
    EXPECT_EQ(in("\x80\x00\x00\x01"sv)->readInt(), -2147483647);
    EXPECT_EQ(in("\xFF\xFE"sv)->readShort(), -2);
    EXPECT_EQ(in("\xFF\xFE"sv)->readUnsignedShort(), 65534);
    EXPECT_EQ(in("\xFF\xFE"sv)->readChar(), 0xFFFE);
    EXPECT_EQ(units(in("\x00\x03\x61\xC3\xA9"sv)->readUTF()), u"a\u00e9");
    EXPECT_EQ(units(in("\x00\x00"sv)->readUTF()), u"");
    EXPECT_EQ(takePending(), "");
    EXPECT_EQ(in("\x00\x02\xC3\x41"sv)->readUTF(), nullptr);
    EXPECT_EQ(takePending(), "UTFDataFormatException");
    EXPECT_EQ(in("\x00\x00\x01"sv)->readInt(), 0);
    EXPECT_EQ(takePending(), "EOFException");
}

TEST_F(DataStreams, ReadFullyEndsWithEofAndSkipBytesStopsAtTheEnd) {
    auto* data = java_io_DataInputStream::newInstance(java_io_ByteArrayInputStream::newInstance(byteArray("abcde")));
    ByteArray* dest = om()->newByteArray(8);
    data->readFully(dest, 1, 3);
    EXPECT_EQ(hexOfBytes(dest), "0061626300000000");
    EXPECT_EQ(takePending(), "");
    data->readFully(dest);
    EXPECT_EQ(takePending(), "EOFException");
    data->readFully(dest, 6, 3);
    EXPECT_EQ(takePending(), "IndexOutOfBoundsException");

    auto* skipping = java_io_DataInputStream::newInstance(java_io_ByteArrayInputStream::newInstance(byteArray("abcde")));
    EXPECT_EQ(skipping->skipBytes(3), 3);
    EXPECT_EQ(skipping->skipBytes(5), 2);
    EXPECT_EQ(skipping->skipBytes(1), 0);
    EXPECT_EQ(skipping->read(), -1);

    // A stream that yields 0 bytes forever ends readFully instead of being asked again.
    auto* empty = java_io_DataInputStream::newInstance(ScriptedInput::create(""));
    empty->readFully(dest, 0, 0);
    EXPECT_EQ(takePending(), "");
    empty->readFully(dest, 0, 1);
    EXPECT_EQ(takePending(), "EOFException");
}

TEST_F(DataStreams, PassOnToTheWrappedStreamAndReportAMissingOne) {
    auto* source = java_io_ByteArrayInputStream::newInstance(byteArray("abcdef"));
    auto* data = java_io_DataInputStream::newInstance(source);
    EXPECT_TRUE(data->markSupported());
    EXPECT_EQ(data->read(), 'a');
    data->mark(10);
    EXPECT_EQ(data->skip(2), 2);
    EXPECT_EQ(data->available(), 3);
    data->reset();
    ByteArray* dest = om()->newByteArray(3);
    EXPECT_EQ(data->read(dest), 3);
    EXPECT_EQ(hexOfBytes(dest), "626364");
    EXPECT_FALSE(impl()->monitors.heldByCurrentThread(data));

    host::LogCapture log;
    auto* none = mrc::newObject<java_io_DataInputStream>();
    none->DataInputStream();
    EXPECT_EQ(none->read(), -1);
    EXPECT_EQ(none->readInt(), 0);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(takePending(), "EOFException");
}

TEST_F(DataStreams, WritersFailAtTheFirstFailingByte) {
    std::string sink;
    auto* data = java_io_DataOutputStream::newInstance(ScriptedOutput::create(&sink, 2));
    data->writeInt(0x01020304);
    EXPECT_EQ(sink, std::string("\x01\x02", 2));
    EXPECT_EQ(takePending(), "IOException");
}

TEST_F(DataStreams, WriteUtfRefusesEncodingsLongerThanALengthCanSay) {
    for (auto [units3, accepted] : {std::pair{21845, true}, {21846, false}}) {
        auto* bytes = java_io_ByteArrayOutputStream::newInstance();
        auto* data = java_io_DataOutputStream::newInstance(bytes);
        String* text = str(std::u16string(static_cast<std::size_t>(units3), u'\u0800'));
        data->writeUTF(text);
        if (!accepted) {
            EXPECT_EQ(takePending(), "UTFDataFormatException");
            EXPECT_EQ(bytes->size(), 0);
            continue;
        }
        EXPECT_EQ(takePending(), "");
        ASSERT_EQ(bytes->size(), 65537);
        auto* back = java_io_DataInputStream::newInstance(java_io_ByteArrayInputStream::newInstance(bytes->toByteArray()));
        String* read = back->readUTF();
        ASSERT_NE(read, nullptr);
        EXPECT_TRUE(read->equals(text));
    }
}

TEST_F(DataStreams, EveryValueReadsBackAsWritten) {
    auto* bytes = java_io_ByteArrayOutputStream::newInstance(0);
    auto* out = java_io_DataOutputStream::newInstance(bytes);
    const std::u16string text = u"\u0000a\u00e9\u20ac\U0001F600";
    out->writeBoolean(true);
    out->writeByte(-2);
    out->writeShort(-300);
    out->writeChar(0xFEDC);
    out->writeInt(INT32_MIN);
    out->writeLong(-81985529216486896LL);
    out->writeUTF(str(text));
    out->writeChars(str(u"\u1234"));
    out->flush();
    auto* in = java_io_DataInputStream::newInstance(java_io_ByteArrayInputStream::newInstance(bytes->toByteArray()));
    EXPECT_TRUE(in->readBoolean());
    EXPECT_EQ(in->readByte(), -2);
    EXPECT_EQ(in->readShort(), -300);
    EXPECT_EQ(in->readChar(), 0xFEDC);
    EXPECT_EQ(in->readInt(), INT32_MIN);
    EXPECT_EQ(in->readLong(), -81985529216486896LL);
    EXPECT_EQ(units(in->readUTF()), text);
    EXPECT_EQ(in->readUnsignedByte(), 0x12);
    EXPECT_EQ(in->readUnsignedByte(), 0x34);
    EXPECT_EQ(in->read(), -1);
    EXPECT_EQ(takePending(), "");
}

TEST_F(PrintStreams, PrintNarrowedTextAndDropIoFailures) {
    auto* bytes = java_io_ByteArrayOutputStream::newInstance();
    auto* p = java_io_PrintStream::newInstance(bytes);
    p->print(str(u"h\u0101"));
    p->print(static_cast<String*>(nullptr));
    p->print(static_cast<Object*>(str(u"o")));
    p->print(static_cast<Object*>(nullptr));
    p->print(u'\u0141');
    CharArray* chars = om()->newCharArray(2);
    chars->elements()[0] = u'c';
    chars->elements()[1] = u'\u0164';
    p->print(chars);
    p->print(int32_t{-5});
    p->print(int64_t{4294967296});
    p->print(true);
    p->println(false);
    p->println();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes->toByteArray()->elements()), bytes->size()),
              "h\x01nullonullAcd-54294967296truefalse\n\n");
    EXPECT_EQ(takePending(), "");

    std::string sink;
    auto* failing = java_io_PrintStream::newInstance(ScriptedOutput::create(&sink, 0));
    failing->println(str(u"lost"));
    failing->write('x');
    failing->write(byteArray("ab"), 0, 2);
    failing->flush();
    failing->close();
    EXPECT_EQ(sink, "");
    EXPECT_EQ(takePending(), "");
}

TEST_F(PrintStreams, ConsoleOutputIsDiscarded) {
    auto* console = java_io_PrintStream::newInstance(java_io_ConsoleOutputStream::newInstance());
    console->println(str(u"nowhere"));
    console->print(int32_t{1});
    console->write(byteArray("abc"));
    console->write(byteArray("abc"), 5, 5);
    console->flush();
    console->close();
    EXPECT_EQ(takePending(), "");
}

}  // namespace
