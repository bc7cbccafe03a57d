#include <gtest/gtest.h>

#include <utility>

#include <functional>
#include "tests/host/fs_test_support.h"

namespace {

using fs_test::FsTest;
using Bytes = std::vector<uint8_t>;
using host::fs::Fault;
using host::fs::File;
using host::fs::WriteStep;
namespace fs = host::fs;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

using FsFile = FsTest;

TEST_F(FsFile, ReadsSeeksAndMeasures) {
    test_support::writeText(dataDir() / "ten.bin", "0123456789");
    auto f = File::open(device("TEN.BIN"), File::Mode::Read);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size(), 10);
    char buf[8] = {};
    EXPECT_EQ(f->read(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(f->position(), 4);
    EXPECT_EQ(f->readByte(), '4');
    EXPECT_TRUE(f->seek(-2, File::Origin::End));
    EXPECT_EQ(f->read(buf, 8), 2u);
    EXPECT_EQ(f->read(buf, 8), 0u);
    EXPECT_EQ(f->readByte(), -1);
    EXPECT_TRUE(f->seek(100, File::Origin::Current));  // past the end is allowed
    EXPECT_EQ(f->position(), 110);
    EXPECT_EQ(f->read(buf, 1), 0u);
    EXPECT_FALSE(f->seek(-1, File::Origin::Begin));
    EXPECT_TRUE(f->seek(0, File::Origin::Begin));
    EXPECT_EQ(f->readByte(), '0');
    EXPECT_FALSE(f->write("x", 1));  // opened for reading
}

TEST_F(FsFile, WriteModeCreatesOrTruncatesInTheSaveFolder) {
    test_support::writeText(dataDir() / "game.sav", "from the data folder");
    auto f = File::open(device("game.sav"), File::Mode::Write);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size(), 0);
    EXPECT_TRUE(f->write("abc", 3));
    EXPECT_TRUE(f->seek(0, File::Origin::Begin));
    char buf[3];
    EXPECT_EQ(f->read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "abc");
    f.reset();
    EXPECT_EQ(test_support::readBytes(saveDir() / "game.sav"), bytesOf("abc"));
    EXPECT_EQ(test_support::readBytes(dataDir() / "game.sav"), bytesOf("from the data folder"));
    EXPECT_EQ(fs::readFile(device("GAME.SAV")), bytesOf("abc"));  // the saved copy hides the data one
}

TEST_F(FsFile, WholeFileQueries) {
    test_support::writeText(dataDir() / "a.txt", "hello");
    EXPECT_TRUE(fs::exists(device("A.TXT")));
    EXPECT_EQ(fs::length(device("a.txt")), 5);
    EXPECT_FALSE(fs::exists(device("b.txt")));
    EXPECT_EQ(fs::length(device("b.txt")), std::nullopt);
    EXPECT_EQ(fs::readFile(device("b.txt")), std::nullopt);
    EXPECT_FALSE(fs::exists(std::string(fs::kInstallFolder)));  // a folder
}

TEST_F(FsFile, CreateEmptyTruncates) {
    test_support::writeText(saveDir() / "x.dat", "content");
    EXPECT_TRUE(fs::createEmpty(device("X.DAT")));
    EXPECT_EQ(fs::length(device("x.dat")), 0);
    EXPECT_TRUE(fs::createEmpty(device("new.dat")));
    EXPECT_TRUE(fs::exists(device("new.dat")));
    EXPECT_FALSE(fs::createEmpty("\\Windows\\new.dat"));
}

TEST_F(FsFile, RemoveAndRenameTouchOnlyTheSaveFolder) {
    test_support::writeText(dataDir() / "shipped.bin", "data");
    test_support::writeText(saveDir() / "mine.bin", "save");
    EXPECT_FALSE(fs::remove(device("shipped.bin")));
    EXPECT_TRUE(fs::exists(device("shipped.bin")));
    EXPECT_FALSE(fs::rename(device("shipped.bin"), device("moved.bin")));
    EXPECT_TRUE(fs::rename(device("MINE.BIN"), device("moved.bin")));
    EXPECT_EQ(fs::readFile(device("moved.bin")), bytesOf("save"));
    EXPECT_FALSE(fs::exists(device("mine.bin")));
    EXPECT_TRUE(fs::remove(device("Moved.Bin")));
    EXPECT_FALSE(fs::exists(device("moved.bin")));
    EXPECT_FALSE(fs::remove(device("moved.bin")));
}

TEST_F(FsFile, ReplaceSwapsTheContentAndLeavesNoTemporaryFile) {
    EXPECT_TRUE(fs::replaceFile(device("store.idx"), bytesOf("first")));
    EXPECT_TRUE(fs::replaceFile(device("STORE.IDX"), bytesOf("second, longer")));
    EXPECT_TRUE(fs::replaceFile(device("empty"), nullptr, 0));
    EXPECT_EQ(test_support::readBytes(saveDir() / "store.idx"), bytesOf("second, longer"));
    EXPECT_EQ(fs::length(device("empty")), 0);
    EXPECT_EQ(test_support::folderEntries(saveDir()), (std::vector<std::string>{"empty", "store.idx"}));
    EXPECT_FALSE(fs::replaceFile("\\Windows\\x", bytesOf("x")));
}

TEST_F(FsFile, ReplaceTakesItsStepsInOrder) {
    std::vector<std::pair<WriteStep, std::string>> seen;
    fs::setFaultHook([&](WriteStep step, const std::filesystem::path& file) {
        seen.emplace_back(step, file.filename().string());
        return Fault::None;
    });
    ASSERT_TRUE(fs::replaceFile(device("a.dat"), bytesOf("x")));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], std::make_pair(WriteStep::Open, std::string("a.dat")));
    EXPECT_EQ(seen[1].first, WriteStep::Write);
    EXPECT_EQ(seen[1].second.rfind(".a.dat.", 0), 0u);  // the temporary file beside it
    EXPECT_EQ(seen[2].first, WriteStep::Sync);
    EXPECT_EQ(seen[3], std::make_pair(WriteStep::Rename, std::string("a.dat")));
    EXPECT_EQ(fs::writeStepsTaken(), 4);
}

// Whatever step fails or crashes, the file holds the old content or the new one, never a mix.
TEST_F(FsFile, ReplaceNeverTearsTheFile) {
    const Bytes before = bytesOf("the old content of the file");
    const Bytes after = bytesOf("new");
    for (Fault fault : {Fault::Fail, Fault::Crash}) {
        for (int step = 0; step < 4; ++step) {
            SCOPED_TRACE(testing::Message() << (fault == Fault::Fail ? "fail" : "crash") << " at step " << step);
            std::filesystem::remove_all(saveDir());
            ASSERT_TRUE(fs::replaceFile(device("f.dat"), before));
            fs::clearFaults();
            fs::failWriteStep(step, fault);
            EXPECT_FALSE(fs::replaceFile(device("f.dat"), after));
            EXPECT_EQ(test_support::readBytes(saveDir() / "f.dat"), before);
            auto entries = test_support::folderEntries(saveDir());
            if (fault == Fault::Fail) {
                EXPECT_EQ(entries, std::vector<std::string>{"f.dat"});
            }
            // The next replacement works and is not disturbed by a crash's leftovers.
            EXPECT_TRUE(fs::replaceFile(device("f.dat"), after));
            EXPECT_EQ(test_support::readBytes(saveDir() / "f.dat"), after);
        }
    }
}

TEST_F(FsFile, InjectedFaultsHitTheChosenStepOnly) {
    struct Case {
        const char* what;
        std::function<bool()> run;
    };
    auto writer = [this] {
        auto f = File::open(device("w.dat"), File::Mode::Write);
        return f && f->write("ab", 2) && f->write("cd", 2);
    };
    const Case cases[] = {
        {"open for writing", [this] { return File::open(device("w.dat"), File::Mode::Write) != nullptr; }},
        {"create", [this] { return fs::createEmpty(device("w.dat")); }},
        {"remove", [this] { return fs::replaceFile(device("r.dat"), nullptr, 0) && fs::remove(device("r.dat")); }},
        {"rename", [this] { return fs::replaceFile(device("r.dat"), nullptr, 0) && fs::rename(device("r.dat"), device("s.dat")); }},
    };
    for (const auto& c : cases) {
        fs::clearFaults();
        ASSERT_TRUE(c.run()) << c.what;
        int steps = fs::writeStepsTaken();
        fs::clearFaults();
        fs::failWriteStep(steps - 1);
        EXPECT_FALSE(c.run()) << c.what;
        EXPECT_TRUE(c.run()) << c.what << " once the fault is spent";
    }
    fs::clearFaults();
    fs::failWriteStep(2);  // open, "ab", then "cd" fails
    EXPECT_FALSE(writer());
    EXPECT_EQ(test_support::readBytes(saveDir() / "w.dat"), bytesOf("ab"));
    fs::failWriteStep(1, Fault::Crash);  // a crash in the middle of "ab" leaves half of it
    EXPECT_FALSE(writer());
    EXPECT_EQ(test_support::readBytes(saveDir() / "w.dat"), bytesOf("a"));
}

TEST_F(FsFile, FoldersAreNeitherReadNorReplaced) {
    std::filesystem::create_directories(saveDir() / "folder.dat");
    EXPECT_FALSE(fs::replaceFile(device("folder.dat"), bytesOf("x")));  // a folder stands there
    EXPECT_FALSE(File::open(device("folder.dat"), File::Mode::Write));
    EXPECT_FALSE(File::open(device("folder.dat"), File::Mode::Read));
}

}  // namespace
