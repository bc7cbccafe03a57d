#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

#include "host/core/log.h"
#include "platform/io/device_path.h"
#include "platform/rms/record_store_files.h"
#include "tools/formats/byte_writer.h"
#include "tests/host/fs_test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;
using host::fs::Fault;
using mrc::rms::RecordStatus;
using mrc::rms::RecordStoreFiles;
using mrc::rms::StoreIndex;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes indexBytes(int32_t lastId, std::vector<int32_t> ids) {
    formats::ByteWriter w;
    w.writeI32BE(lastId).writeI32BE(static_cast<int32_t>(ids.size()));
    for (int32_t id : ids) w.writeI32BE(id);
    return w.take();
}

const mrc::rms::StoreFileNames kNames{u"\\", u"RMS_", u".dat", u"_"};

class RecordStoreFilesTest : public fs_test::FsTest {
protected:
    RecordStoreFiles store(std::u16string_view name = u"Game") const {
        std::string path = mrc::io::devicePathOf(mrc::rms::storePath(kNames, name));
        return RecordStoreFiles(path, "_", ".dat");
    }
    RecordStoreFiles reopened(std::u16string_view name = u"Game") const {
        RecordStoreFiles s = store(name);
        s.load();
        return s;
    }
    Bytes saved(std::string_view file) const { return test_support::readBytes(saveDir() / file); }
    bool savedExists(std::string_view file) const { return std::filesystem::exists(saveDir() / file); }
};

TEST(RecordStoreNames, StorePathsAndTheirForbiddenCharacters) {
    struct Case {
        std::u16string name, vendor, suite, path;
    };
    const Case cases[] = {
        {u"Game", u"", u"", u"\\Program Files\\Veltrano\\Wrath Of Kelos\\RMS_Game.dat"},
        {u"a/b:c*d?e<f>g|h\\i", u"", u"", u"\\Program Files\\Veltrano\\Wrath Of Kelos\\RMS_a_b_c_d_e_f_g_h\\i.dat"},
        {u"Game", u"Vendor", u"", u"\\Program Files\\Veltrano\\Wrath Of Kelos\\RMS_Game.dat"},
        {u"Game", u"Ven:dor", u"Suite", u"\\Program Files\\Ven_dor\\Suite\\RMS_Game.dat"},
    };
    for (const auto& c : cases) EXPECT_EQ(mrc::rms::storePath(kNames, c.name, c.vendor, c.suite), c.path);
    EXPECT_EQ(mrc::io::devicePathOf(u"\\Program Files\\RMS_\u00c9\u0141.DAT"), "\\program files\\rms_\xC9\x41.dat");
}

TEST(RecordStoreIndex, EncodesBigEndianAndDecodesWhatIsComplete) {
    EXPECT_EQ(mrc::rms::encodeIndex({3, {1, 2}}), indexBytes(3, {1, 2}));
    EXPECT_EQ(mrc::rms::encodeIndex({0x01020304, {-1}}), (Bytes{1, 2, 3, 4, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF}));
    struct Case {
        Bytes bytes;
        StoreIndex index;
    };
    Bytes full = indexBytes(7, {2, 5, 7});
    const Case cases[] = {
        {full, {7, {2, 5, 7}}},
        {Bytes(full.begin(), full.end() - 1), {7, {2, 5}}},
        {Bytes(full.begin(), full.begin() + 6), {7, {}}},
        {Bytes(full.begin(), full.begin() + 3), {0, {}}},
        {{}, {0, {}}},
        {indexBytes(4, {}), {4, {}}},
        {[] { Bytes b = indexBytes(9, {1}); b[4] = 0x80; return b; }(), {9, {}}},  // negative count
        {[] { Bytes b = indexBytes(9, {1, 2}); b[7] = 1; return b; }(), {9, {1}}},  // count below the ids
    };
    for (const auto& c : cases) EXPECT_EQ(mrc::rms::decodeIndex(c.bytes), c.index);
}

// The files after each step of a sequence, byte for byte.
TEST_F(RecordStoreFilesTest, AddSetDeleteLeaveExactFiles) {
    RecordStoreFiles s = store();
    EXPECT_FALSE(s.indexExists());
    EXPECT_FALSE(std::filesystem::exists(saveDir()));  // nothing written yet

    EXPECT_EQ(s.add(bytesOf("one")), 1);
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(1, {1}));
    EXPECT_EQ(saved("rms_game.dat_1.dat"), bytesOf("one"));

    EXPECT_EQ(s.add(bytesOf("two")), 2);
    EXPECT_EQ(s.add({}), 3);
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(3, {1, 2, 3}));
    EXPECT_EQ(saved("rms_game.dat_3.dat"), Bytes{});

    EXPECT_EQ(s.set(2, bytesOf("TWO, longer")), RecordStatus::Ok);
    EXPECT_EQ(saved("rms_game.dat_2.dat"), bytesOf("TWO, longer"));
    EXPECT_EQ(s.set(9, bytesOf("x")), RecordStatus::InvalidId);
    EXPECT_FALSE(savedExists("rms_game.dat_9.dat"));

    EXPECT_TRUE(s.remove(3));
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(3, {1, 2}));
    EXPECT_TRUE(savedExists("rms_game.dat_3.dat"));  // emptied, not removed
    EXPECT_EQ(saved("rms_game.dat_3.dat"), Bytes{});
    EXPECT_TRUE(s.remove(3));  // no longer there: nothing happens
    EXPECT_TRUE(s.remove(42));

    EXPECT_EQ(s.add(bytesOf("four")), 4);  // ids are never reused
    EXPECT_TRUE(s.remove(1));
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(4, {2, 4}));
    EXPECT_EQ(s.read(2), bytesOf("TWO, longer"));
    EXPECT_EQ(s.recordSize(4), 4);
    EXPECT_EQ(s.read(1), Bytes{});

    RecordStoreFiles again = reopened();
    EXPECT_TRUE(again.indexExists());
    EXPECT_EQ(again.state(), (StoreIndex{4, {2, 4}}));
    EXPECT_TRUE(again.writeIndex());
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(4, {2, 4}));

    EXPECT_TRUE(again.destroy());
    EXPECT_EQ(saved("rms_game.dat"), Bytes{});
    EXPECT_EQ(saved("rms_game.dat_2.dat"), Bytes{});
    EXPECT_EQ(saved("rms_game.dat_4.dat"), Bytes{});
    RecordStoreFiles fresh = reopened();
    EXPECT_TRUE(fresh.indexExists());
    EXPECT_EQ(fresh.state(), StoreIndex{});
    EXPECT_EQ(fresh.add(bytesOf("new")), 1);  // ids start again
}

// A damaged index must not hand out the id of a record still stored: its file would be replaced.
TEST_F(RecordStoreFilesTest, AddNeverTakesTheIdOfAStoredRecord) {
    struct Case {
        const char* what;
        Bytes index;
        std::map<int32_t, std::string> files;  // record files on disk
        std::optional<int32_t> added;
    };
    auto cut = [](Bytes bytes, std::size_t size) {
        bytes.resize(size);
        return bytes;
    };
    const Case cases[] = {
        {"last id below a listed one", indexBytes(0, {1}), {{1, "kept"}}, 2},
        {"index cut inside its last id", cut(indexBytes(2, {1, 2}), 3), {{1, "a"}, {2, "b"}}, 3},
        {"listed ids lost, their files not", cut(indexBytes(1, {1, 2, 3}), 12), {{1, "a"}, {2, "b"}, {3, "c"}}, 4},
        {"an emptied record's file is taken again", indexBytes(0, {}), {{1, ""}}, 1},
        {"a negative last id", indexBytes(-7, {}), {}, 1},
        {"no id left", indexBytes(INT32_MAX, {5}), {{5, "e"}}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(saveDir());
        std::filesystem::create_directories(saveDir());
        test_support::writeBytes(saveDir() / "rms_game.dat", c.index);
        for (const auto& [id, text] : c.files)
            test_support::writeText(saveDir() / ("rms_game.dat_" + std::to_string(id) + ".dat"), text);
        RecordStoreFiles s = reopened();
        host::LogCapture capture;
        EXPECT_EQ(s.nextId(), c.added);
        EXPECT_EQ(s.add(bytesOf("new")), c.added);
        for (const auto& [id, text] : c.files) {
            if (c.added != id) {
                EXPECT_EQ(saved("rms_game.dat_" + std::to_string(id) + ".dat"), bytesOf(text)) << id;
            }
        }
        if (c.added) {
            EXPECT_EQ(saved("rms_game.dat_" + std::to_string(*c.added) + ".dat"), bytesOf("new"));
            EXPECT_EQ(reopened().state().lastId, *c.added);
        } else {
            EXPECT_TRUE(capture.contains("record store: no record id left"));
            EXPECT_EQ(saved("rms_game.dat"), c.index);
        }
    }
}

TEST_F(RecordStoreFilesTest, NamesDifferingInCaseOrForbiddenCharactersShareAStore) {
    EXPECT_EQ(store(u"Save:Game").add(bytesOf("x")), 1);
    EXPECT_EQ(reopened(u"save?game").state(), (StoreIndex{1, {1}}));
    EXPECT_EQ(reopened(u"SAVE_GAME").read(1), bytesOf("x"));
    EXPECT_TRUE(savedExists("rms_save_game.dat"));
}

// Every write step of every change fails once, and once more as a crash: what was stored before
// the change is never lost, and what the store object believes matches the files.
TEST_F(RecordStoreFilesTest, FailureAtAnyWriteStepKeepsWhatWasStored) {
    struct Change {
        const char* what;
        std::function<bool(RecordStoreFiles&)> run;
        StoreIndex after;
        std::map<int32_t, Bytes> recordsAfter;
    };
    const StoreIndex before{2, {1, 2}};
    const std::map<int32_t, Bytes> recordsBefore{{1, bytesOf("first")}, {2, bytesOf("second")}};
    const Change changes[] = {
        {"add", [](RecordStoreFiles& s) { return s.add(bytesOf("third")) == 3; }, {3, {1, 2, 3}},
         {{1, bytesOf("first")}, {2, bytesOf("second")}, {3, bytesOf("third")}}},
        {"set", [](RecordStoreFiles& s) { return s.set(1, bytesOf("FIRST!")) == RecordStatus::Ok; }, before,
         {{1, bytesOf("FIRST!")}, {2, bytesOf("second")}}},
        {"remove", [](RecordStoreFiles& s) { return s.remove(1); }, {2, {2}}, {{2, bytesOf("second")}}},
        {"close", [](RecordStoreFiles& s) { return s.writeIndex(); }, before, recordsBefore},
    };
    auto prepare = [&] {
        std::filesystem::remove_all(saveDir());
        RecordStoreFiles s = store();
        ASSERT_EQ(s.add(bytesOf("first")), 1);
        ASSERT_EQ(s.add(bytesOf("second")), 2);
    };
    auto records = [&](const StoreIndex& index) {
        std::map<int32_t, Bytes> out;
        for (int32_t id : index.ids) out[id] = reopened().read(id).value_or(bytesOf("<missing>"));
        return out;
    };
    for (const Change& change : changes) {
        prepare();
        RecordStoreFiles probe = reopened();
        host::fs::clearFaults();
        ASSERT_TRUE(change.run(probe)) << change.what;
        const int steps = host::fs::writeStepsTaken();
        for (Fault fault : {Fault::Fail, Fault::Crash}) {
            for (int step = 0; step < steps; ++step) {
                SCOPED_TRACE(testing::Message() << change.what << (fault == Fault::Fail ? ": fail" : ": crash")
                                                << " at step " << step << " of " << steps);
                prepare();
                RecordStoreFiles s = reopened();
                host::fs::clearFaults();
                host::fs::failWriteStep(step, fault);
                bool ok = change.run(s);
                host::fs::clearFaults();
                StoreIndex onDisk = reopened().state();
                if (fault == Fault::Fail) {
                    EXPECT_EQ(s.state(), onDisk);  // the object agrees with the files
                }
                // The files hold the state before the change or after it, with all its records.
                if (onDisk == before && records(onDisk) == recordsBefore) {
                    if (change.recordsAfter != recordsBefore) {
                        EXPECT_FALSE(ok);
                    }
                } else {
                    EXPECT_EQ(onDisk, change.after);
                    EXPECT_EQ(records(onDisk), change.recordsAfter);
                }
            }
        }
    }
}

TEST_F(RecordStoreFilesTest, FailedAddDoesNotUseUpTheId) {
    RecordStoreFiles s = store();
    ASSERT_EQ(s.add(bytesOf("a")), 1);
    for (int step : {0, 4}) {  // the record file, then the index
        host::fs::clearFaults();
        host::fs::failWriteStep(step);
        host::LogCapture capture;
        EXPECT_EQ(s.add(bytesOf("b")), std::nullopt);
        EXPECT_TRUE(capture.contains("record store: cannot write"));
        EXPECT_EQ(s.state(), (StoreIndex{1, {1}}));
    }
    EXPECT_EQ(s.add(bytesOf("b")), 2);
    EXPECT_EQ(reopened().state(), (StoreIndex{2, {1, 2}}));
}

TEST_F(RecordStoreFilesTest, FailedDeleteKeepsTheRecord) {
    RecordStoreFiles s = store();
    ASSERT_EQ(s.add(bytesOf("keep")), 1);
    // The index cannot be written at all: the record is put back as it was.
    host::fs::setFaultHook([](host::fs::WriteStep step, const std::filesystem::path& file) {
        return step == host::fs::WriteStep::Open && file.filename() == "rms_game.dat" ? Fault::Fail : Fault::None;
    });
    EXPECT_FALSE(s.remove(1));
    host::fs::clearFaults();
    EXPECT_EQ(s.state(), (StoreIndex{1, {1}}));
    EXPECT_EQ(reopened().read(1), bytesOf("keep"));
    // Failing once (no room for the new index), it empties the record to make room and retries.
    host::fs::failWriteStep(0);
    EXPECT_TRUE(s.remove(1));
    EXPECT_EQ(s.state(), (StoreIndex{1, {}}));
    EXPECT_EQ(reopened().state(), (StoreIndex{1, {}}));
    EXPECT_EQ(saved("rms_game.dat_1.dat"), Bytes{});
}

TEST_F(RecordStoreFilesTest, AFailedAddOrSetTakesBackWhatItWrote) {
    RecordStoreFiles s = store();
    ASSERT_EQ(s.add(bytesOf("one")), 1);
    host::fs::failWriteStep(4);  // the index, after the record file's four steps
    EXPECT_EQ(s.add(bytesOf("two")), std::nullopt);
    EXPECT_FALSE(savedExists("rms_game.dat_2.dat"));
    host::fs::clearFaults();
    host::fs::failWriteStep(4);
    EXPECT_EQ(s.set(1, bytesOf("ONE, longer")), RecordStatus::WriteFailed);
    host::fs::clearFaults();
    EXPECT_EQ(saved("rms_game.dat_1.dat"), bytesOf("one"));
    EXPECT_EQ(test_support::folderEntries(saveDir()), (std::vector<std::string>{"rms_game.dat", "rms_game.dat_1.dat"}));
}

TEST_F(RecordStoreFilesTest, OpeningRemovesOnlyTheStoresOwnLeftovers) {
    RecordStoreFiles s = store();
    ASSERT_EQ(s.add(bytesOf("one")), 1);
    // Crashes in the middle of each kind of save leave their temporary files.
    host::fs::failWriteStep(1, Fault::Crash);  // the record file's write
    EXPECT_EQ(s.add(bytesOf("two")), std::nullopt);
    host::fs::clearFaults();
    host::fs::failWriteStep(5, Fault::Crash);  // the index's write
    EXPECT_EQ(s.set(1, bytesOf("ONE")), RecordStatus::WriteFailed);
    host::fs::clearFaults();
    RecordStoreFiles other = store(u"Other");
    ASSERT_EQ(other.add(bytesOf("x")), 1);
    host::fs::failWriteStep(1, Fault::Crash);
    EXPECT_EQ(other.add(bytesOf("y")), std::nullopt);
    host::fs::clearFaults();
    // Files that only look alike, or belong to nobody, stay.
    for (const char* name : {".rms_game.dat_x.dat.abcdef", ".rms_game.dat.abc", "rms_game.dat.abcdef",
                             ".rms_game.datx.abcdef", ".notes.txt.abcdef"})
        std::ofstream(saveDir() / name) << "keep";
    std::vector<std::string> before = test_support::folderEntries(saveDir());
    ASSERT_EQ(before.size(), 12u);

    host::LogCapture log;
    EXPECT_EQ(s.removeLeftovers(), 2);
    EXPECT_TRUE(log.contains("left by an interrupted save"));
    std::vector<std::string> after = test_support::folderEntries(saveDir());
    EXPECT_EQ(after.size(), 10u);
    for (const std::string& name : after) EXPECT_FALSE(name.rfind(".rms_game.dat.", 0) == 0 && name.size() == 20) << name;
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [](const std::string& n) { return n.rfind(".rms_other", 0) == 0; }), 1);
    EXPECT_EQ(s.removeLeftovers(), 0);
    EXPECT_EQ(reopened().state(), (StoreIndex{1, {1}}));
}

TEST_F(RecordStoreFilesTest, RecordSurvivesTheProcessThatWroteIt) {
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        RecordStoreFiles s = store();
        bool ok = s.add(bytesOf("from the first run")) == 1;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    RecordStoreFiles second = reopened();
    EXPECT_EQ(second.state(), (StoreIndex{1, {1}}));
    EXPECT_EQ(second.read(1), bytesOf("from the first run"));
}

}  // namespace
