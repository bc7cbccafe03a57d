#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "platform/io/file.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/util/vector.h"
#include "tests/platform/io/files_fixture.h"

namespace mrc::test {
namespace {

using JFile = javax_microedition_io_File;

// A stream that promises more than it ever gives, or fails, and records the lengths asked of it.
class ScriptedStream : public java_io_InputStream {
public:
    using Base = java_io_InputStream;
    static constexpr uint16_t kClassId = kClass_java_io_InputStream;

    int32_t read(ByteArray*, int32_t, int32_t len) override {
        asked.push_back(len);
        if (failing) raise(kClass_java_io_IOException);
        return 0;
    }
    int32_t read() override { return -1; }
    int32_t available() override { return 5; }

    std::vector<int32_t> asked;
    bool failing;
};

// A data stream over a file stream that records the counts its block reads got.
class CountingStream : public java_io_DataInputStream {
public:
    using Base = java_io_DataInputStream;
    static constexpr uint16_t kClassId = kClass_java_io_DataInputStream;

    int32_t read(ByteArray* b, int32_t off, int32_t len) override {
        int32_t n = java_io_DataInputStream::read(b, off, len);
        got.push_back(n);
        return n;
    }
    int32_t read(ByteArray* b) override { return read(b, 0, b->length); }

    std::vector<int32_t> got;
};

std::size_t openFileCount() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator()));
}

class FileTest : public FilesTest {
protected:
    JFile* file(std::string_view name) { return JFile::newInstance(string(device(name))); }
    void writeData(std::string_view name, const Bytes& content) { test_support::writeBytes(dataDir() / name, content); }
};

TEST_F(FileTest, PathIsKeptLowerCasedAndNamesOneFileInAnyCase) {
    JFile* upper = file("Saves\\GAME.Txt");
    EXPECT_EQ(text(upper->path), "\\program files\\veltrano\\wrath of kelos\\saves\\game.txt");
    writeData("saves/game.txt", bytesOf("abc"));
    JFile* lower = file("saves\\game.txt");
    EXPECT_TRUE(upper->exists());
    EXPECT_TRUE(lower->exists());
    EXPECT_EQ(upper->length(), 3);
    // Only A-Z fold: other letters stay as they are.
    EXPECT_EQ(text(JFile::newInstance(string("\xc9T\xc9"))->path), "\xc3\x89t\xc3\x89");
}

TEST_F(FileTest, CreateAndOpenOutputStreamTruncate) {
    writeData("a.txt", bytesOf("0123456789"));
    writeData("b.txt", bytesOf("0123456789"));
    JFile* a = file("a.txt");
    EXPECT_EQ(a->length(), 10);
    EXPECT_TRUE(a->create());
    EXPECT_EQ(a->length(), 0);
    EXPECT_EQ(saved("a.txt"), Bytes{});  // written to the save folder, the data folder's file hidden
    JFile* b = file("b.txt");
    java_io_OutputStream* out = b->openOutputStream();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(b->length(), 0);
    out->close();
    EXPECT_TRUE(file("new.txt")->create());
    EXPECT_TRUE(savedExists("new.txt"));
}

TEST_F(FileTest, MissingFilesAndFixedAnswers) {
    writeData("x.txt", bytesOf("x"));
    writeData("y.txt", bytesOf("y"));
    JFile* missing = file("missing.txt");
    EXPECT_FALSE(missing->exists());
    EXPECT_EQ(missing->length(), 0);
    EXPECT_EQ(missing->openInputStream(), nullptr);
    EXPECT_EQ(missing->readAll(), nullptr);
    EXPECT_EQ(JFile::newInstance(string("\\Windows\\x.txt"))->openOutputStream(), nullptr);  // unmapped
    EXPECT_FALSE(JFile::newInstance(string("\\Windows\\x.txt"))->create());
    EXPECT_EQ(missing->availableSize(), 2147483647);
    java_util_Vector* names = JFile::newInstance(string(std::string(host::fs::kInstallFolder)))->list();
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->size(), 0);  // the folder is never read
    EXPECT_EQ(takePending(), 0);
}

TEST_F(FileTest, FileWithoutPathIsReportedAndServesNothing) {
    host::LogCapture log;
    JFile* none = newObject<JFile>();
    none->File();
    EXPECT_EQ(none->openInputStream(), nullptr);
    EXPECT_EQ(none->openOutputStream(), nullptr);
    EXPECT_FALSE(none->exists());
    EXPECT_FALSE(none->create());
    EXPECT_EQ(none->length(), 0);
    EXPECT_TRUE(log.contains("NullPointer"));
    EXPECT_EQ(takePending(), 0);
}

TEST_F(FileTest, InputStreamPositionMarkSkipAndEnd) {
    writeData("ten.bin", bytesOf("0123456789"));
    java_io_InputStream* in = file("ten.bin")->openInputStream();
    ASSERT_NE(in, nullptr);
    ByteArray* b = array(Bytes(4));
    EXPECT_TRUE(in->markSupported());
    EXPECT_EQ(in->available(), 10);
    EXPECT_EQ(in->read(b, 0, 4), 4);
    EXPECT_EQ(bytes(b), bytesOf("0123"));
    EXPECT_EQ(in->available(), 6);
    in->mark(0);
    EXPECT_EQ(in->read(), '4');
    EXPECT_EQ(in->read(), '5');
    in->reset();
    EXPECT_EQ(in->available(), 6);
    EXPECT_EQ(in->skip(0), 0);
    EXPECT_EQ(in->skip(-5), -5);
    EXPECT_EQ(in->available(), 6);
    EXPECT_EQ(in->read(b, 0, 0), 0);
    EXPECT_EQ(in->skip(100), 100);
    EXPECT_EQ(in->available(), -94);  // the position lies past the end
    EXPECT_EQ(in->read(b, 0, 4), 0);  // 0 at the end, never -1
    EXPECT_EQ(in->read(), -1);
    EXPECT_EQ(in->skip(0x100000002LL), 0x100000002LL);  // the low 32 bits move
    EXPECT_EQ(in->available(), -96);
    in->reset();
    EXPECT_EQ(in->available(), 6);
    EXPECT_EQ(in->read(b), 4);
    EXPECT_EQ(bytes(b), bytesOf("4567"));
    in->close();
    in->close();
    EXPECT_EQ(in->read(), -1);
    EXPECT_EQ(in->read(b, 0, 4), 0);
    EXPECT_EQ(in->available(), 0);
    EXPECT_EQ(takePending(), 0);
}

TEST_F(FileTest, InputStreamsHaveTheirOwnPositions) {
    writeData("ab.bin", bytesOf("ab"));
    JFile* f = file("ab.bin");
    java_io_InputStream* first = f->openInputStream();
    java_io_InputStream* second = f->openInputStream();
    EXPECT_EQ(first->read(), 'a');
    EXPECT_EQ(second->read(), 'a');
    EXPECT_EQ(first->read(), 'b');
    EXPECT_EQ(second->available(), 1);
}

TEST_F(FileTest, StreamRangesAreCheckedBeforeAnyByteMoves) {
    writeData("src.bin", bytesOf("0123456789"));
    java_io_InputStream* in = file("src.bin")->openInputStream();
    java_io_OutputStream* out = file("dst.bin")->openOutputStream();
    ByteArray* b = array(bytesOf("abcd"));
    struct Range {
        int32_t off, len;
    };
    for (Range r : {Range{-1, 2}, Range{3, 2}, Range{0, 5}, Range{4, 1}, Range{INT32_MAX, 2}}) {
        SCOPED_TRACE(testing::Message() << r.off << ", " << r.len);
        EXPECT_EQ(in->read(b, r.off, r.len), 0);
        EXPECT_EQ(takePending(), kClass_java_lang_IndexOutOfBoundsException);
        out->write(b, r.off, r.len);
        EXPECT_EQ(takePending(), kClass_java_lang_IndexOutOfBoundsException);
    }
    EXPECT_EQ(in->available(), 10);
    EXPECT_EQ(bytes(b), bytesOf("abcd"));
    host::LogCapture log;
    EXPECT_EQ(in->read(nullptr, 0, 1), 0);
    out->write(nullptr, 0, 1);
    EXPECT_TRUE(log.contains("NullPointer"));
    out->close();
    EXPECT_EQ(saved("dst.bin"), Bytes{});
}

TEST_F(FileTest, OutputStreamWritesBytesAndClosesOnce) {
    java_io_OutputStream* out = file("Out.bin")->openOutputStream();
    ASSERT_NE(out, nullptr);
    out->write(0x141);  // the low 8 bits
    out->write(array(bytesOf("xyz")), 1, 2);
    out->write(array(bytesOf("!")));
    out->write(array({}), 0, 0);
    out->flush();
    out->close();
    out->close();
    out->write('?');  // closed: nothing happens
    EXPECT_EQ(saved("out.bin"), bytesOf("Ayz!"));
    EXPECT_EQ(takePending(), 0);
}

__attribute__((noinline)) void forgetStreams(JFile* in, JFile* out) {
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(in->openInputStream(), nullptr);
        ASSERT_NE(out->openOutputStream(), nullptr);
    }
}

TEST_F(FileTest, CollectorClosesForgottenStreams) {
    writeData("in.bin", bytesOf("k"));
    const std::size_t before = openFileCount();
    forgetStreams(file("in.bin"), file("out.bin"));
    scrubStack();
    om()->gc(kGcForced);
    EXPECT_LE(openFileCount(), before + 4);  // a stale stack word may keep one or two
}

TEST_F(FileTest, ReadAllBytesReadsWhatAvailablePromisesInPiecesOf512) {
    struct Case {
        std::size_t size;
        std::vector<int32_t> pieces;
    };
    for (const Case& c : {Case{0, {}}, Case{1300, {512, 512, 276}}, Case{512, {512}}}) {
        Bytes content(c.size);
        for (std::size_t i = 0; i < c.size; ++i) content[i] = static_cast<uint8_t>(i * 7);
        writeData("all.bin", content);
        auto* counting = newObject<CountingStream>();
        counting->DataInputStream(file("all.bin")->openInputStream());
        ByteArray* all = readAllBytes(counting);
        ASSERT_NE(all, nullptr);
        EXPECT_EQ(bytes(all), content);
        EXPECT_EQ(counting->got, c.pieces);
        EXPECT_EQ(counting->in->read(), -1);  // still open, at the end
        EXPECT_EQ(bytes(file("all.bin")->readAll()), content);
    }
    EXPECT_EQ(readAllBytes(nullptr), nullptr);
}

TEST_F(FileTest, ReadAllBytesStopsAtAReadThatGivesNothingOrFails) {
    auto* empty = newObject<ScriptedStream>();
    ByteArray* none = readAllBytes(empty);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->length, 0);
    EXPECT_EQ(empty->asked, std::vector<int32_t>{512});
    auto* failing = newObject<ScriptedStream>();
    failing->failing = true;
    EXPECT_EQ(readAllBytes(failing), nullptr);
    EXPECT_EQ(takePending(), kClass_java_io_IOException);
}

TEST_F(FileTest, DataArchivePathIsInTheInstallFolder) {
    EXPECT_EQ(text(getDataArchivePath()), "\\Program Files\\Veltrano\\Wrath Of Kelos\\data.bar");
}

}  // namespace
}  // namespace mrc::test
