#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/byte_writer.h"
#include "tools/formats/constants_file.h"
#include "tests/support/java_oracle.h"

namespace {

using Bytes = std::vector<uint8_t>;

// "00 03 61" -> {0x00, 0x03, 0x61}; spaces are for the reader only.
Bytes unhex(std::string_view text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits.push_back(c);
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hex(const Bytes& bytes) {
    std::string out;
    char buf[3];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        out += buf;
    }
    return out;
}

TEST(ByteWriter, WritesEachWidthInBothByteOrders) {
    formats::ByteWriter w;
    w.writeU8(0xAB)
        .writeU16BE(0x1234).writeU16LE(0x1234)
        .writeU32BE(0x89ABCDEF).writeU32LE(0x89ABCDEF)
        .writeU64BE(0x0102030405060708).writeU64LE(0x0102030405060708)
        .writeI16BE(-2).writeI16LE(-2)
        .writeI32BE(-2147483647).writeI32LE(-2)
        .writeBytes("xy", 2);
    EXPECT_EQ(w.bytes(), unhex("ab 1234 3412 89abcdef efcdab89 0102030405060708 0807060504030201"
                               "fffe feff 80000001 feffffff 7879"));
}

TEST(ByteWriter, ModifiedUtf8EncodesNulAndSurrogatesSeparately) {
    const struct {
        std::u16string text;
        const char* bytes;
    } cases[] = {
        {u"", ""},
        {u"a", "61"},
        {std::u16string(1, u'\0'), "c0 80"},
        {u"\u00e9\u07ff", "c3 a9 df bf"},
        {u"\u0800\uffff", "e0 a0 80 ef bf bf"},
        {u"\U0001F600", "ed a0 bd ed b8 80"},  // U+1F600 as the surrogates D83D DE00
        {u"\xdc00", "ed b0 80"},               // a lone surrogate passes through as it is
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formats::modifiedUtf8(c.text), unhex(c.bytes)) << c.bytes;
        formats::ByteWriter w;
        EXPECT_TRUE(w.writeUTF(c.text));
        Bytes expected = unhex(c.bytes);
        expected.insert(expected.begin(), {static_cast<uint8_t>(expected.size() >> 8), static_cast<uint8_t>(expected.size())});
        EXPECT_EQ(w.bytes(), expected) << c.bytes;
    }
}

TEST(ByteWriter, Utf8InputBecomesUtf16WithMalformedBytesReplaced) {
    EXPECT_EQ(formats::utf16FromUtf8("a\xc3\xa9\xf0\x9f\x98\x80"), u"a\u00e9\U0001F600");
    host::LogCapture capture;
    // A stray continuation byte, a cut sequence, an overlong NUL and an encoded surrogate.
    EXPECT_EQ(formats::utf16FromUtf8("\x80x\xe2\x82"), u"\ufffdx\ufffd\ufffd");
    EXPECT_EQ(formats::utf16FromUtf8("\xc0\x80\xed\xa0\x80"), u"\ufffd\ufffd\ufffd\ufffd\ufffd");
    EXPECT_TRUE(capture.contains("malformed UTF-8"));

    formats::ByteWriter w;
    EXPECT_TRUE(w.writeUTF(std::string_view("\xc3\xa9")));
    EXPECT_EQ(w.bytes(), unhex("0002 c3a9"));
}

TEST(ByteWriter, WriteUtfRefusesAnEncodingPastTheLengthField) {
    host::LogCapture capture;
    formats::ByteWriter w;
    EXPECT_TRUE(w.writeUTF(std::u16string(formats::kMaxUtfLength, u'a')));
    EXPECT_EQ(w.size(), 2 + formats::kMaxUtfLength);
    EXPECT_FALSE(w.writeUTF(std::u16string(formats::kMaxUtfLength / 2 + 1, u'\u00e9')));
    EXPECT_EQ(w.size(), 2 + formats::kMaxUtfLength);
    EXPECT_TRUE(capture.contains("more than a UTF length holds"));
}

TEST(ByteWriter, WriteUtfMatchesTheJdkDataOutputStream) {
    const std::vector<std::u16string> strings = {
        u"", u"constants.bin", std::u16string(u"a\0b", 3), u"caf\u00e9 \u20ac",
        u"\U0001F600 and \U00010000", std::u16string(1, u'\0') + u"\U0010FFFF", u"\u07ff\u0800\uffff"};
    std::string input;
    for (const auto& s : strings) {
        if (s.empty()) input += "-";
        for (char16_t c : s) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%x ", static_cast<unsigned>(c));
            input += buf;
        }
        input += "\n";
    }
    JAVA_ORACLE_RUN(run, test_support::testSource("tools/oracle/WriteUtfOracle.java"), input);
    std::vector<std::string> expected = run.lines();
    ASSERT_EQ(expected.size(), strings.size());
    for (std::size_t i = 0; i < strings.size(); ++i) {
        formats::ByteWriter w;
        w.writeUTF(strings[i]);
        EXPECT_EQ(hex(w.bytes()), expected[i]) << "string " << i;
    }
}

TEST(ConstantsFile, CountThenEachStringAsWriteUtf) {
    EXPECT_EQ(formats::writeConstantsFile(std::vector<std::string>{}), unhex("00000000"));
    EXPECT_EQ(formats::writeConstantsFile({"ok", "", "\xc3\xa9"}),
              unhex("00000003 0002 6f6b 0000 0002 c3a9"));
    EXPECT_EQ(formats::writeConstantsFile({std::u16string(1, u'\0')}), unhex("00000001 0002 c080"));
    // A declared count beyond the strings written makes the short file the reader must survive.
    EXPECT_EQ(formats::writeConstantsFile({"a"}, 5), unhex("00000005 0001 61"));
    EXPECT_EQ(formats::writeConstantsFile({"a"}, -1), unhex("ffffffff 0001 61"));
}

TEST(ConstantsFile, OverlongStringIsWrittenEmptyKeepingLaterNumbers) {
    host::LogCapture capture;
    Bytes bytes = formats::writeConstantsFile({std::u16string(40000, u'\u00e9'), u"b"});
    EXPECT_EQ(bytes, unhex("00000002 0000 0001 62"));
    EXPECT_TRUE(capture.contains("constant 0 written empty"));
}

TEST(ArchiveFile, IndexThenEntriesBackToBack) {
    formats::ArchiveWriter archive;
    archive.addText("/constants.bin", "AB");
    archive.add(u"\u00e9", Bytes{});
    archive.add("x", Bytes{0x01, 0x02, 0x03});
    // Index: 2 + (2+14+8) + (2+2+8) + (2+1+8) = 49 bytes; entries at 49, 51 and 51.
    EXPECT_EQ(archive.indexSize(), 49u);
    EXPECT_EQ(archive.build(), unhex("0003"
                                     "000e 2f636f6e7374616e74732e62696e 00000031 00000002"
                                     "0002 c3a9 00000033 00000000"
                                     "0001 78 00000033 00000003"
                                     "4142 010203"));
    EXPECT_EQ(formats::ArchiveWriter().build(), unhex("0000"));
}

TEST(ArchiveFile, OddRecordsAreWrittenAsGiven) {
    struct Case {
        const char* what;
        void (*shape)(formats::ArchiveWriter&);
        const char* bytes;
    };
    const Case cases[] = {
        {"entry running past the end of the file",
         [](formats::ArchiveWriter& a) { a.addText("a", "xy").size = 100; }, "0001 0001 61 0000000d 00000064 7879"},
        {"offset beyond the file and a negative size",
         [](formats::ArchiveWriter& a) {
             auto& e = a.addText("a", "");
             e.offset = 0x7fffffff;
             e.size = -1;
         },
         "0001 0001 61 7fffffff ffffffff"},
        {"count of 0x8000 reads as negative",
         [](formats::ArchiveWriter& a) {
             a.addText("a", "z");
             a.options().declaredCount = static_cast<int16_t>(0x8000);
         },
         "8000 0001 61 0000000d 00000001 7a"},
        {"more records announced than written",
         [](formats::ArchiveWriter& a) {
             a.addText("a", "");
             a.options().declaredCount = 3;
         },
         "0003 0001 61 0000000d 00000000"},
        {"index cut inside the second record",
         [](formats::ArchiveWriter& a) {
             a.addText("a", "1");
             a.addText("b", "2");
             a.options().truncateAt = 18;
         },
         "0002 0001 61 00000018 00000001 0001 62 0000"},
        {"name bytes given raw (a broken sequence)",
         [](formats::ArchiveWriter& a) { a.addText("ignored", "q").rawName = Bytes{0xc3, 0x41}; },
         "0001 0002 c341 0000000e 00000001 71"},
    };
    for (const Case& c : cases) {
        formats::ArchiveWriter archive;
        c.shape(archive);
        EXPECT_EQ(hex(archive.build()), hex(unhex(c.bytes))) << c.what;
    }
}

TEST(ArchiveFile, SavesToAFile) {
    formats::ArchiveWriter archive;
    archive.addText("app.jad", "MIDlet-Name: Veltrano\n");
    auto path = std::filesystem::temp_directory_path() / ("fixtures_test_" + std::to_string(::getpid()) + ".bar");
    ASSERT_TRUE(archive.save(path));
    std::ifstream in(path, std::ios::binary);
    Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    EXPECT_EQ(written, archive.build());

    host::LogCapture capture;
    EXPECT_FALSE(archive.save("/nonexistent-folder/data.bar"));
    EXPECT_TRUE(capture.contains("cannot write /nonexistent-folder/data.bar"));
}

}  // namespace
