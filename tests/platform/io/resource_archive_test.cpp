#include <gtest/gtest.h>

#include "platform/io/file.h"
#include "platform/io/resource_archive.h"
#include "platform/lcdui/image.h"
#include "runtime/io/data_input_stream.h"
#include "tests/platform/io/files_fixture.h"
#include "tools/formats/png_file.h"

namespace mrc::test {
namespace {

using ResourceStream = javax_microedition_io_ResourceInputStream;

class ResourceArchiveTest : public FilesTest {
protected:
    ResourceStream* open(std::string_view name) { return ResourceArchive::open(string(name)); }
    // The resource's bytes, or "<none>" when there is no such resource.
    std::string resource(std::string_view name) {
        java_io_InputStream* in = Class::getResourceAsStream(string(name));
        if (!in) return "<none>";
        Bytes b = bytes(readAllBytes(in));
        return std::string(b.begin(), b.end());
    }
};

TEST_F(ResourceArchiveTest, NamesMatchAfterOneSlashInAnyCaseAndTheFirstDuplicateWins) {
    formats::ArchiveWriter archive;
    archive.addText("constants.bin", "constants");
    archive.addText("img/Hero.png", "hero");
    archive.addText("twin", "first");
    archive.addText("TWIN", "second");
    archive.addText("/rooted", "rooted");
    archive.addText("long.txt", "long");
    saveArchive(archive);
    struct Case {
        const char* name;
        const char* served;
    };
    const Case cases[] = {
        {"/constants.bin", "constants"}, {"constants.bin", "constants"}, {"/CONSTANTS.BIN", "constants"},
        {"//constants.bin", "<none>"},   {"/IMG/HERO.PNG", "hero"},      {"img\\hero.png", "<none>"},
        {"/twin", "first"},              {"Twin", "first"},              {"//rooted", "rooted"},
        {"/rooted", "<none>"},           {"/long.tx", "<none>"},         {"/long.txt2", "<none>"},
        {"", "<none>"},                  {"/", "<none>"},
    };
    for (const Case& c : cases) EXPECT_EQ(resource(c.name), c.served) << c.name;
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ResourceArchiveTest, EntryStreamEndsAtTheEntry) {
    formats::ArchiveWriter archive;
    archive.addText("ten", "0123456789");
    archive.addText("next", "NEXTNEXT");
    archive.addText("empty", "");
    archive.add("ints", {0, 0, 0, 7, 0xFF, 0xFF});
    saveArchive(archive);

    ResourceStream* ten = open("ten");
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(ten->classId(), kClass_javax_microedition_io_ResourceInputStream);
    EXPECT_EQ(ten->available(), 10);
    ByteArray* b = array(Bytes(16));
    EXPECT_EQ(ten->read(b, 0, 16), 10);  // only the entry's bytes
    EXPECT_EQ(bytes(b), bytesOf(std::string("0123456789") + std::string(6, '\0')));
    EXPECT_EQ(ten->available(), 0);
    EXPECT_EQ(ten->read(), -1);
    EXPECT_EQ(ten->read(b, 0, 1), -1);
    EXPECT_EQ(takePending(), kClass_java_io_EOFException);

    ResourceStream* empty = open("/EMPTY");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->available(), 0);
    EXPECT_EQ(empty->read(), -1);
    empty->read(b, 0, 1);
    EXPECT_EQ(takePending(), kClass_java_io_EOFException);

    // A data reader built on an entry ends there, never in the next entry's bytes.
    java_io_DataInputStream* data = java_io_DataInputStream::newInstance(open("ints"));
    EXPECT_EQ(data->readInt(), 7);
    EXPECT_EQ(data->readShort(), -1);
    data->readInt();
    EXPECT_EQ(takePending(), kClass_java_io_EOFException);
    data->close();
}

TEST_F(ResourceArchiveTest, SkipMarkAndResetStayInsideTheEntry) {
    formats::ArchiveWriter archive;
    archive.addText("before", "BEFORE");
    archive.addText("ten", "0123456789");
    archive.addText("after", "AFTER");
    saveArchive(archive);
    ResourceStream* in = open("ten");
    ASSERT_NE(in, nullptr);
    EXPECT_TRUE(in->markSupported());
    EXPECT_EQ(in->skip(3), 3);
    EXPECT_EQ(in->read(), '3');
    EXPECT_EQ(in->skip(-5), 0);  // never backwards
    EXPECT_EQ(in->skip(0), 0);
    EXPECT_EQ(in->available(), 6);
    in->mark(100);
    EXPECT_EQ(in->read(), '4');
    EXPECT_EQ(in->skip(100), 5);  // shortened to the entry's end
    EXPECT_EQ(in->available(), 0);
    EXPECT_EQ(in->skip(1), 0);
    in->reset();
    EXPECT_EQ(in->available(), 6);
    EXPECT_EQ(in->read(), '4');
    // Reset without a mark goes back to the entry's start, not to the archive's.
    ResourceStream* fresh = open("ten");
    fresh->skip(4);
    fresh->reset();
    EXPECT_EQ(fresh->available(), 10);
    EXPECT_EQ(bytes(readAllBytes(fresh)), bytesOf("0123456789"));
    in->close();
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ResourceArchiveTest, EntriesHaveTheirOwnHandles) {
    formats::ArchiveWriter archive;
    archive.addText("a", "aaaa");
    archive.addText("b", "bbbb");
    saveArchive(archive);
    ResourceStream* a = open("a");
    ResourceStream* b = open("b");
    ResourceStream* a2 = open("a");
    EXPECT_EQ(a->read(), 'a');
    EXPECT_EQ(b->read(), 'b');
    EXPECT_EQ(a2->read(), 'a');
    EXPECT_EQ(a->available(), 3);
    EXPECT_EQ(a2->available(), 3);
    EXPECT_EQ(b->available(), 3);
}

// The entry's stream raises at its end instead of answering -1: the image reader stops where
// available() does, so a picture (here over 512 bytes, two reads) loads whole.
TEST_F(ResourceArchiveTest, AnImageEntryLoadsThroughTheImageReader) {
    std::vector<uint32_t> pixels(40 * 30);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    formats::ArchiveWriter archive;
    archive.add("ui/picture.png", formats::pngFile(40, 30, pixels));
    saveArchive(archive);
    ASSERT_GT(formats::pngFile(40, 30, pixels).size(), 512u);
    javax_microedition_lcdui_Image* image =
        javax_microedition_lcdui_Image::readAllBytes(Class::getResourceAsStream(string("/ui/picture.png")));
    EXPECT_EQ(takePending(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 40);
    EXPECT_EQ(image->height, 30);
}

TEST_F(ResourceArchiveTest, EntryRunningPastTheEndIsCutToWhatTheArchiveHolds) {
    formats::ArchiveWriter archive;
    archive.addText("whole", "whole");
    archive.addText("beyond", "").offset = 100000;
    archive.addText("negative", "x").offset = -4;
    archive.addText("negative size", "x").size = -1;
    archive.addText("cut", "cut").size = 1000;  // the last bytes of the file
    saveArchive(archive);
    host::LogCapture log;
    ResourceStream* cut = open("cut");
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->available(), 3);
    EXPECT_EQ(bytes(readAllBytes(cut)), bytesOf("cut"));
    EXPECT_TRUE(log.contains("entry cut runs past the end of the archive: 3 of 1000 bytes"));
    ResourceStream* beyond = open("beyond");
    ASSERT_NE(beyond, nullptr);
    EXPECT_EQ(beyond->available(), 0);
    EXPECT_EQ(open("negative"), nullptr);
    EXPECT_EQ(open("negative size"), nullptr);
    EXPECT_TRUE(log.contains("entry negative has offset -4 and size 1"));
    EXPECT_EQ(resource("whole"), "whole");
}

TEST_F(ResourceArchiveTest, TruncatedIndexServesItsCompleteRecords) {
    formats::ArchiveWriter archive;
    archive.addText("first", "1");
    archive.addText("second", "2");
    archive.addText("third", "3");
    // Cut inside the third index record: the two before it are listed, their bytes cut off.
    archive.options().truncateAt = archive.indexSize() - (2 + 5 + 8) + 4;
    saveArchive(archive);
    host::LogCapture log;
    EXPECT_EQ(resource("second"), "");
    EXPECT_EQ(resource("third"), "<none>");
    EXPECT_TRUE(log.contains("data archive index cut short: 2 of 3 entries"));
    EXPECT_TRUE(log.contains("entry second runs past the end of the archive: 0 of 1 bytes"));
}

TEST_F(ResourceArchiveTest, ArchiveCutInsideTheConstantsStillStarts) {
    formats::ArchiveWriter archive;
    archive.add("constants.bin", constantsFile());
    archive.options().truncateAt = archive.indexSize() + 100;
    saveArchive(archive);
    host::LogCapture log;
    statics()->initialize();
    EXPECT_GT(statics()->constantCount(), 0);
    EXPECT_EQ(text(statics()->getStringConstant(0)), "");
    EXPECT_EQ(statics()->getStringConstant(170), nullptr);
    EXPECT_TRUE(log.contains("runs past the end of the archive: 100 of"));
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ResourceArchiveTest, MissingArchiveOrNoEntriesServeNothing) {
    {
        host::LogCapture log;
        EXPECT_EQ(resource("/constants.bin"), "<none>");
        EXPECT_EQ(resource("anything"), "<none>");
        EXPECT_FALSE(statics()->loadConstants());
        EXPECT_EQ(statics()->stringConstants, nullptr);
        // The archive is looked for once per run.
        std::size_t missing = 0;
        for (const std::string& line : log.lines()) missing += line.find("data archive missing") != std::string::npos;
        EXPECT_EQ(missing, 1u);
    }
    // An archive arriving later is not read in this run.
    formats::ArchiveWriter archive;
    archive.addText("late", "late");
    saveArchive(archive);
    EXPECT_EQ(resource("late"), "<none>");
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ResourceArchiveTest, CountOfZeroOrBelowServesNothing) {
    for (int16_t count : {int16_t(0), int16_t(-1), int16_t(-32768)}) {
        formats::ArchiveWriter archive;
        archive.addText("a", "a");
        archive.options().declaredCount = count;
        saveArchive(archive);
        ResourceArchive::statics = {};  // a fresh run's index
        EXPECT_EQ(resource("a"), "<none>") << count;
    }
}

TEST_F(ResourceArchiveTest, LooseBarFilesComeFirstOnlyForTheExactSuffix) {
    formats::ArchiveWriter archive;
    archive.addText("level.bar", "archived level");
    archive.addText("only.bar", "archived only");
    archive.addText("LEVEL.BAR", "archived upper");
    saveArchive(archive);
    test_support::writeText(dataDir() / "level.bar", "loose level");
    test_support::writeText(dataDir() / "notes.txt", "loose notes");
    EXPECT_EQ(resource("level.bar"), "loose level");
    EXPECT_EQ(resource("Level.bar"), "loose level");  // the path is lower-cased
    EXPECT_EQ(resource("LEVEL.BAR"), "archived level");  // no ".bar" ending: the archive, first match
    EXPECT_EQ(resource("only.bar"), "archived only");
    EXPECT_EQ(resource("notes.txt"), "<none>");
    java_io_InputStream* loose = Class::getResourceAsStream(string("level.bar"));
    EXPECT_EQ(loose->classId(), kClass_java_io_InputStream);
    EXPECT_EQ(loose->available(), 11);
    host::LogCapture log;
    EXPECT_EQ(Class::getResourceAsStream(nullptr), nullptr);
    EXPECT_TRUE(log.contains("NullPointer"));
}

TEST_F(ResourceArchiveTest, StartUpReadsTheConstantsFromTheArchive) {
    formats::ArchiveWriter archive;
    archive.add("constants.bin", formats::writeConstantsFile(std::vector<std::string>{"zero", "one", "\xc3\xa9t\xc3\xa9"}));
    saveArchive(archive);
    statics()->initialize();
    ASSERT_EQ(statics()->constantCount(), 3);
    EXPECT_EQ(text(statics()->getStringConstant(0)), "zero");
    EXPECT_EQ(text(statics()->getStringConstant(2)), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(takePending(), 0);
}

TEST_F(ResourceArchiveTest, IndexOutlivesCollectionsAsStaticRoots) {
    formats::ArchiveWriter archive;
    for (int i = 0; i < 50; ++i) archive.addText("entry" + std::to_string(i), "bytes of " + std::to_string(i));
    saveArchive(archive);
    EXPECT_EQ(resource("entry0"), "bytes of 0");
    EXPECT_EQ(statics()->checkRoots(), 0);
    om()->gc(kGcForced);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(resource("ENTRY" + std::to_string(i)), "bytes of " + std::to_string(i));
    ASSERT_NE(ResourceArchive::statics.archive, nullptr);
    EXPECT_EQ(text(ResourceArchive::statics.archive->path), "\\program files\\veltrano\\wrath of kelos\\data.bar");
}

}  // namespace
}  // namespace mrc::test
