#include <gtest/gtest.h>

#include <fstream>

#include "host/core/log.h"
#include "platform/io/archive_index.h"
#include "tools/formats/archive_file.h"
#include "tests/host/fs_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;
using mrc::io::ArchiveIndex;

const std::string kArchive = fs_test::kInstall + "data.bar";

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

class ArchiveIndexTest : public fs_test::FsTest {
protected:
    ArchiveIndex save(const formats::ArchiveWriter& archive) {
        EXPECT_TRUE(archive.save(dataDir() / "data.bar"));
        return ArchiveIndex::load(kArchive);
    }
};

TEST(ArchiveNames, RequestsMatchWholeNamesInAnyCaseAfterOneSlash) {
    struct Case {
        std::u16string stored, requested;
        bool match;
    };
    const Case cases[] = {
        {u"constants.bin", u"/constants.bin", true},
        {u"constants.bin", u"constants.bin", true},
        {u"constants.bin", u"/CONSTANTS.BIN", true},
        {u"constants.bin", u"//constants.bin", false},  // only one '/' is dropped
        {u"/constants.bin", u"/constants.bin", false},  // the stored name is taken as it is
        {u"/constants.bin", u"//constants.bin", true},
        {u"constants.bin", u"constants.bi", false},
        {u"constants.bi", u"constants.bin", false},
        {u"img/a.png", u"/IMG/A.PNG", true},
        {u"\u00e9.png", u"\u00c9.png", false},  // only A-Z fold
        {u"", u"/", true},
        {u"a", u"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mrc::io::archiveNameMatches(c.stored, c.requested), c.match)
            << std::string(c.stored.begin(), c.stored.end()) << " / " << std::string(c.requested.begin(), c.requested.end());
}

TEST(ArchiveNames, ModifiedUtf8DecodesAsReadUtfDoes) {
    struct Case {
        Bytes in;
        std::optional<std::u16string> out;
    };
    const Case cases[] = {
        {{0x61, 0xC3, 0xA9}, u"a\u00e9"},
        {{0x00, 0xC0, 0x80}, std::u16string(2, u'\0')},
        {{0xE2, 0x82, 0xAC}, u"\u20ac"},
        {{}, u""},
        {{0xC3, 0x41}, std::nullopt},        // bad continuation
        {{0xC3}, std::nullopt},              // cut
        {{0xE2, 0x82}, std::nullopt},        // cut
        {{0x80}, std::nullopt},              // a lone continuation byte
        {{0xF0, 0x9F, 0x98, 0x80}, std::nullopt},  // four-byte forms are not modified UTF-8
    };
    for (const auto& c : cases) EXPECT_EQ(mrc::io::decodeModifiedUtf8(c.in.data(), c.in.size()), c.out);
}

TEST_F(ArchiveIndexTest, FindsTheFirstOfDuplicateNamesAndReadsEntries) {
    formats::ArchiveWriter archive;
    archive.addText("constants.bin", "constants");
    archive.addText("Twin.txt", "first");
    archive.addText("twin.TXT", "second");
    archive.add("empty", {});
    archive.add(u"\u00e9t\u00e9", bytesOf("summer"));
    ArchiveIndex index = save(archive);
    ASSERT_TRUE(index.archiveFound());
    ASSERT_EQ(index.entries().size(), 5u);
    EXPECT_EQ(index.find(u"/CONSTANTS.BIN"), 0);
    EXPECT_EQ(index.find(u"/twin.txt"), 1);
    EXPECT_EQ(index.readEntry(kArchive, 1), bytesOf("first"));
    EXPECT_EQ(index.readEntry(kArchive, 0), bytesOf("constants"));
    EXPECT_EQ(index.find(u"empty"), 3);
    EXPECT_EQ(index.readEntry(kArchive, 3), Bytes{});
    EXPECT_EQ(index.find(u"/\u00e9t\u00e9"), 4);
    EXPECT_EQ(index.readEntry(kArchive, 4), bytesOf("summer"));
    EXPECT_EQ(index.find(u"missing"), -1);
    EXPECT_EQ(index.readEntry(kArchive, 5), std::nullopt);
    EXPECT_EQ(index.readEntry(kArchive, -1), std::nullopt);
}

TEST_F(ArchiveIndexTest, EntryRunningPastTheEndComesBackShort) {
    formats::ArchiveWriter archive;
    archive.addText("a", "0123456789");
    archive.addText("b", "xyz").size = 1000;
    archive.addText("c", "").offset = 100000;
    archive.addText("d", "").offset = -5;
    ArchiveIndex index = save(archive);
    host::LogCapture capture;
    EXPECT_EQ(index.readEntry(kArchive, 1), bytesOf("xyz"));
    EXPECT_TRUE(capture.contains("runs past the end of the archive: 3 of 1000 bytes"));
    EXPECT_EQ(index.readEntry(kArchive, 2), Bytes{});
    EXPECT_EQ(index.readEntry(kArchive, 3), std::nullopt);
    EXPECT_TRUE(capture.contains("has offset -5"));
}

TEST_F(ArchiveIndexTest, ADeclaredSizeAllocatesNoMoreThanTheFileHolds) {
    // The fuzzer's 13-byte archive: one unnamed entry at offset 0 claiming 0x46800000 bytes.
    const Bytes found = {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x80, 0x00, 0x00, 0x2A};
    std::ofstream(dataDir() / "data.bar", std::ios::binary).write(reinterpret_cast<const char*>(found.data()),
                                                                  std::streamsize(found.size()));
    ArchiveIndex index = ArchiveIndex::load(kArchive);
    ASSERT_EQ(index.entries().size(), 1u);
    host::LogCapture capture;
    auto bytes = index.readEntry(kArchive, 0);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, found);
    EXPECT_LE(bytes->capacity(), found.size());
    EXPECT_TRUE(capture.contains("runs past the end of the archive: 13 of 1182793728 bytes"));
}

TEST_F(ArchiveIndexTest, TruncatedIndexEndsAtTheLastCompleteRecord) {
    formats::ArchiveWriter archive;
    archive.addText("first", "1");
    archive.addText("second", "2");
    archive.addText("third", "3");
    // Cut inside each field of the third record: its length, name, offset and size.
    const std::size_t third = 2 + (2 + 5 + 8) + (2 + 6 + 8);
    for (std::size_t cut : {third, third + 1, third + 4, third + 2 + 5 + 2, third + 2 + 5 + 7}) {
        archive.options().truncateAt = cut;
        host::LogCapture capture;
        ArchiveIndex index = save(archive);
        ASSERT_EQ(index.entries().size(), 2u) << cut;
        EXPECT_EQ(index.find(u"second"), 1);
        EXPECT_EQ(index.find(u"third"), -1);
        EXPECT_TRUE(capture.contains("data archive index cut short: 2 of 3 entries")) << cut;
    }
    for (std::size_t cut : {0, 1}) {
        archive.options().truncateAt = cut;
        host::LogCapture capture;
        EXPECT_TRUE(save(archive).entries().empty());
        EXPECT_TRUE(capture.contains("no entry count"));
    }
}

TEST_F(ArchiveIndexTest, MalformedNameEndsTheIndex) {
    formats::ArchiveWriter archive;
    archive.addText("good", "1");
    archive.addText("bad", "2").rawName = Bytes{0xC3, 0x41};
    archive.addText("after", "3");
    ArchiveIndex index = save(archive);
    EXPECT_EQ(index.entries().size(), 1u);
    EXPECT_EQ(index.find(u"after"), -1);
}

TEST_F(ArchiveIndexTest, CountsOfZeroOrBelowServeNothing) {
    for (int16_t count : {int16_t(0), int16_t(-32768), int16_t(-1)}) {
        formats::ArchiveWriter archive;
        archive.addText("a", "1");
        archive.options().declaredCount = count;
        ArchiveIndex index = save(archive);
        EXPECT_TRUE(index.archiveFound());
        EXPECT_TRUE(index.entries().empty()) << count;
        EXPECT_EQ(index.find(u"a"), -1);
    }
}

TEST_F(ArchiveIndexTest, MissingArchiveServesNothing) {
    host::LogCapture capture;
    ArchiveIndex index = ArchiveIndex::load(kArchive);
    EXPECT_FALSE(index.archiveFound());
    EXPECT_EQ(index.find(u"/constants.bin"), -1);
    EXPECT_EQ(index.readEntry(kArchive, 0), std::nullopt);
    EXPECT_TRUE(capture.contains("data archive missing"));
}

TEST_F(ArchiveIndexTest, ArchiveIsFoundInAnyCaseOfItsFileName) {
    formats::ArchiveWriter archive;
    archive.addText("x", "y");
    ASSERT_TRUE(archive.save(dataDir() / "DATA.BAR"));
    ArchiveIndex index = ArchiveIndex::load("\\Program Files\\Veltrano\\Wrath Of Kelos\\Data.Bar");
    EXPECT_EQ(index.readEntry("\\program files\\veltrano\\wrath of kelos\\data.bar", index.find(u"X")), bytesOf("y"));
}

}  // namespace
