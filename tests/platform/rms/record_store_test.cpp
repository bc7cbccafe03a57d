#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <functional>
#include <map>
#include <numeric>

#include "platform/rms/record_store.h"
#include "runtime/util/vector.h"
#include "tools/formats/byte_writer.h"
#include "tests/platform/io/files_fixture.h"

namespace mrc::test {
namespace {

using Store = javax_microedition_rms_RecordStore;
using Enumeration = javax_microedition_rms_RecordEnumerationImpl;
using host::fs::Fault;

Bytes indexBytes(int32_t lastId, const std::vector<int32_t>& ids) {
    formats::ByteWriter w;
    w.writeI32BE(lastId).writeI32BE(static_cast<int32_t>(ids.size()));
    for (int32_t id : ids) w.writeI32BE(id);
    return w.take();
}

// What a store object holds, or what a fresh one reads from the files.
struct State {
    int32_t lastId = 0;
    std::vector<int32_t> ids;
    std::map<int32_t, Bytes> records;
    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& os, const State& s) {
    os << "last " << s.lastId << ", ids";
    for (int32_t id : s.ids) os << ' ' << id << "=" << std::string(s.records.at(id).begin(), s.records.at(id).end());
    return os;
}

class RecordStoreTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        loadFileConstants();
    }

public:

    Store* open(std::string_view name = "Game", bool create = true) {
        return Store::openRecordStore(string(name), create);
    }
    int32_t add(Store* s, std::string_view data) {
        return s->addRecord(array(bytesOf(data)), 0, static_cast<int32_t>(data.size()));
    }
    void set(Store* s, int32_t id, std::string_view data) {
        s->setRecord(id, array(bytesOf(data)), 0, static_cast<int32_t>(data.size()));
    }
    std::string record(Store* s, int32_t id) {
        ByteArray* b = s->getRecord(id);
        if (!b) return "<null>";
        Bytes v = bytes(b);
        return std::string(v.begin(), v.end());
    }
    State state(Store* s) {
        State out{s->lastId, {}, {}};
        for (int32_t i = 0; i < s->getNumRecords(); ++i) {
            int32_t id = s->idAt(i);
            out.ids.push_back(id);
            ByteArray* b = s->getRecord(id);
            out.records[id] = b ? bytes(b) : bytesOf("<missing>");
        }
        return out;
    }
    State onDisk(std::string_view name = "Game") {
        Store* s = open(name, false);
        return s ? state(s) : State{-1, {}, {}};
    }
};

TEST_F(RecordStoreTest, NewStoreWritesNothingUntilItsFirstRecord) {
    Store* s = open();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->classId(), kClass_javax_microedition_rms_RecordStore);
    EXPECT_EQ(text(s->getName()), "\\Program Files\\Veltrano\\Wrath Of Kelos\\RMS_Game.dat");
    EXPECT_EQ(s->getNumRecords(), 0);
    EXPECT_EQ(s->getNextRecordID(), 1);
    EXPECT_EQ(s->getSize(), 0);
    EXPECT_EQ(s->records->capacity(), 10);
    EXPECT_EQ(s->opened, 1);
    EXPECT_FALSE(std::filesystem::exists(saveDir()));
    EXPECT_EQ(add(s, "one"), 1);
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(1, {1}));
    EXPECT_EQ(saved("rms_game.dat_1.dat"), bytesOf("one"));
    EXPECT_EQ(test_support::folderEntries(saveDir()), (std::vector<std::string>{"rms_game.dat", "rms_game.dat_1.dat"}));
}

TEST_F(RecordStoreTest, AddSetAndDeleteLeaveExactFiles) {
    Store* s = open();
    EXPECT_EQ(add(s, "one"), 1);
    EXPECT_EQ(add(s, "two"), 2);
    EXPECT_EQ(s->addRecord(nullptr, 0, 7), 3);  // no data: an empty record
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(3, {1, 2, 3}));
    EXPECT_EQ(saved("rms_game.dat_3.dat"), Bytes{});
    EXPECT_EQ(s->getRecordSize(3), 0);

    set(s, 2, "TWO, longer");
    EXPECT_EQ(saved("rms_game.dat_2.dat"), bytesOf("TWO, longer"));
    s->setRecord(1, array(bytesOf("xONEx")), 1, 3);
    EXPECT_EQ(saved("rms_game.dat_1.dat"), bytesOf("ONE"));
    EXPECT_EQ(s->getSize(), 3 + 11 + 0);

    s->deleteRecord(3);
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(3, {1, 2}));
    EXPECT_TRUE(savedExists("rms_game.dat_3.dat"));  // emptied, not removed
    EXPECT_EQ(saved("rms_game.dat_3.dat"), Bytes{});
    s->deleteRecord(3);
    s->deleteRecord(42);
    EXPECT_EQ(takePending(), 0);
    EXPECT_EQ(add(s, "four"), 4);  // ids are never reused
    s->deleteRecord(1);
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(4, {2, 4}));
    EXPECT_EQ(s->getNumRecords(), 2);
    EXPECT_EQ(s->getNextRecordID(), 5);
    EXPECT_EQ(record(s, 4), "four");
    EXPECT_EQ(takePending(), 0);
}

TEST_F(RecordStoreTest, StoreNamesAndPaths) {
    EXPECT_EQ(add(open("Save:Game"), "x"), 1);
    EXPECT_EQ(record(open("save?game", false), 1), "x");  // ':' and '?' become '_', case folds
    EXPECT_EQ(record(open("SAVE_GAME", false), 1), "x");
    EXPECT_TRUE(savedExists("rms_save_game.dat"));

    EXPECT_EQ(Store::openRecordStore(string("Game"), string("Ven:dor"), string("Suite")), nullptr);
    EXPECT_EQ(pendingMessage(), "\\Program Files\\Ven_dor\\Suite\\RMS_Game.dat");
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreNotFoundException);
    // Without both names: the install folder.
    Store* s = Store::openRecordStore(string("Game"), string("Vendor"), nullptr, true);
    EXPECT_EQ(text(s->getName()), "\\Program Files\\Veltrano\\Wrath Of Kelos\\RMS_Game.dat");
    EXPECT_EQ(Store::openRecordStore(string("Game"), false, 0, true), nullptr);
    EXPECT_EQ(pendingMessage(), "\\Program Files\\Veltrano\\Wrath Of Kelos\\RMS_Game.dat");
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreNotFoundException);

    ObjectArray* names = Store::listRecordStores();
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->length, 0);  // even with stores there
}

TEST_F(RecordStoreTest, UnknownIdsRaiseWithTheIdAsMessage) {
    Store* s = open();
    add(s, "one");
    ByteArray* buffer = array(Bytes(8));
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"getRecord", [&] { s->getRecord(7); }},
        {"getRecord(buffer)", [&] { s->getRecord(7, buffer, 0); }},
        {"getRecordSize", [&] { s->getRecordSize(7); }},
        {"setRecord", [&] { set(s, 7, "x"); }},
    };
    for (const auto& [what, call] : calls) {
        call();
        EXPECT_EQ(pendingMessage(), "7") << what;
        EXPECT_EQ(takePending(), kClass_javax_microedition_rms_InvalidRecordIDException) << what;
    }
    s->deleteRecord(7);
    EXPECT_EQ(takePending(), 0);
    EXPECT_FALSE(savedExists("rms_game.dat_7.dat"));
}

TEST_F(RecordStoreTest, RecordIntoABufferStaysInsideIt) {
    Store* s = open();
    add(s, "abc");
    ByteArray* buffer = array(bytesOf("......"));
    EXPECT_EQ(s->getRecord(1, buffer, 2), 3);
    EXPECT_EQ(bytes(buffer), bytesOf("..abc."));
    for (int32_t offset : {4, -1}) {
        ByteArray* small = array(bytesOf("......"));
        EXPECT_EQ(s->getRecord(1, small, offset), 0);
        EXPECT_EQ(takePending(), kClass_java_lang_ArrayIndexOutOfBoundsException) << offset;
        EXPECT_EQ(bytes(small), bytesOf("......"));
    }
    // A listed record whose file is gone.
    std::filesystem::remove(saveDir() / "rms_game.dat_1.dat");
    EXPECT_EQ(s->getRecord(1, buffer, 0), 0);
    EXPECT_EQ(s->getRecord(1), nullptr);
    EXPECT_EQ(s->getRecordSize(1), 0);
    EXPECT_EQ(takePending(), 0);
}

TEST_F(RecordStoreTest, RangesOutsideTheDataAddNothing) {
    Store* s = open();
    ByteArray* data = array(bytesOf("abc"));
    struct Range {
        int32_t offset, length;
    };
    for (Range r : {Range{0, 4}, Range{-1, 1}, Range{2, -1}, Range{INT32_MAX, 1}}) {
        EXPECT_EQ(s->addRecord(data, r.offset, r.length), 0);
        EXPECT_EQ(takePending(), kClass_java_lang_IndexOutOfBoundsException);
    }
    EXPECT_EQ(add(s, "ok"), 1);
    s->setRecord(1, data, 1, 3);
    EXPECT_EQ(takePending(), kClass_java_lang_IndexOutOfBoundsException);
    EXPECT_EQ(record(s, 1), "ok");
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(1, {1}));
}

TEST_F(RecordStoreTest, EnumerationWalksTheLiveListInOrder) {
    Store* s = open();
    for (const char* r : {"a", "b", "c", "d"}) add(s, r);
    s->deleteRecord(2);
    Enumeration* e = s->enumerateRecords(nullptr, nullptr, true);
    ASSERT_NE(e, nullptr);
    auto* records = static_cast<javax_microedition_rms_RecordEnumeration*>(
        e->getInterface(kClass_javax_microedition_rms_RecordEnumeration));
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(e->getInterface(kClass_java_util_Enumeration), nullptr);
    EXPECT_EQ(records->numRecords(), 3);
    EXPECT_FALSE(records->hasPreviousElement());
    EXPECT_FALSE(records->isKeptUpdated());
    std::vector<std::string> seen;
    while (records->hasNextElement()) {
        Bytes b = bytes(records->nextRecord());
        seen.emplace_back(b.begin(), b.end());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(records->nextRecord(), nullptr);
    EXPECT_EQ(pendingMessage(), "3");  // string constant 1 (empty here), then the cursor
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_InvalidRecordIDException);
    EXPECT_TRUE(records->hasPreviousElement());

    records->reset();
    EXPECT_EQ(records->nextRecordId(), 1);
    EXPECT_EQ(records->nextRecordId(), 3);
    add(s, "e");  // the enumeration sees the store's list as it is now
    EXPECT_EQ(records->numRecords(), 4);
    EXPECT_EQ(records->nextRecordId(), 4);
    EXPECT_EQ(records->nextRecordId(), 5);
    EXPECT_FALSE(records->hasNextElement());

    records->reset();
    EXPECT_EQ(records->previousRecordId(), 1);
    EXPECT_EQ(e->cursor, -1);
    EXPECT_EQ(records->previousRecord(), nullptr);
    EXPECT_EQ(pendingMessage(), "-1");
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_InvalidRecordIDException);
    e->cursor = 2;
    EXPECT_EQ(bytes(records->previousRecord()), bytesOf("d"));
    EXPECT_EQ(e->cursor, 1);
    records->rebuild();
    records->keepUpdated(true);
    records->destroy();
    EXPECT_EQ(e->cursor, 1);
    EXPECT_EQ(takePending(), 0);
}

TEST_F(RecordStoreTest, ClosedStoresReopenAndDeletedStoresStartAgain) {
    Store* s = open();
    add(s, "one");
    add(s, "two");
    s->deleteRecord(1);
    s->closeRecordStore();
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(2, {2}));
    EXPECT_EQ(add(s, "three"), 3);  // still usable after close
    Store* again = open("GAME", false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(state(again), (State{3, {2, 3}, {{2, bytesOf("two")}, {3, bytesOf("three")}}}));

    Store::deleteRecordStore(string("game"));
    EXPECT_EQ(takePending(), 0);
    EXPECT_EQ(saved("rms_game.dat"), Bytes{});
    EXPECT_EQ(saved("rms_game.dat_2.dat"), Bytes{});
    EXPECT_EQ(saved("rms_game.dat_3.dat"), Bytes{});
    Store* fresh = open("Game", false);  // the empty index file still names the store
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->getNumRecords(), 0);
    EXPECT_EQ(add(fresh, "new"), 1);

    Store::deleteRecordStore(string("never made"));
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreNotFoundException);
}

TEST_F(RecordStoreTest, ShortOrDamagedIndexGivesWhatIsComplete) {
    const Bytes whole = indexBytes(9, {4, 9, 6});
    test_support::writeBytes(saveDir() / "rms_game.dat", Bytes(whole.begin(), whole.end() - 2));
    Store* s = open("Game", false);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->lastId, 9);
    EXPECT_EQ(s->getNumRecords(), 2);
    EXPECT_EQ(s->idAt(1), 9);
    EXPECT_EQ(s->getRecord(4), nullptr);  // listed, no file
    EXPECT_EQ(s->getNextRecordID(), 10);
    EXPECT_EQ(add(s, "x"), 10);
    EXPECT_EQ(saved("rms_game.dat"), indexBytes(10, {4, 9, 10}));

    // An index at the last id there is: nothing more can be added.
    test_support::writeBytes(saveDir() / "rms_game.dat", indexBytes(INT32_MAX, {}));
    s = open("Game", false);
    ASSERT_NE(s, nullptr);
    host::LogCapture log;
    EXPECT_EQ(s->getNextRecordID(), 0);
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreException);
    EXPECT_EQ(add(s, "y"), 0);
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreException);
    EXPECT_TRUE(log.contains("record store: no record id left"));
}

class SmallHeapRecordStoreTest : public RecordStoreTest {
protected:
    uint32_t objectHeapSize() const override { return 256u << 10; }
};

// An index that the object heap cannot list whole: a store opened with part of the list would
// write that part back at its next change, and drop the rest.
TEST_F(SmallHeapRecordStoreTest, AnIndexTooLongToListIsRefusedAndKept) {
    std::vector<int32_t> ids(20000);
    std::iota(ids.begin(), ids.end(), 1);
    const Bytes index = indexBytes(20000, ids);
    test_support::writeBytes(saveDir() / "rms_game.dat", index);
    host::LogCapture log;
    EXPECT_EQ(open("Game", false), nullptr);
    // Raised when the dropped part of the list has left room for the exception: whether it has
    // depends on what the conservative scan still finds of it.
    const uint16_t raised = takePending();
    EXPECT_TRUE(raised == kClass_javax_microedition_rms_RecordStoreException || raised == 0) << raised;
    EXPECT_TRUE(log.contains("record store: no room for the 20000 ids of"));
    EXPECT_EQ(saved("rms_game.dat"), index);
}

// Every write step of every change fails once, and once more as a crash: the files always hold
// the store before the change or after it, with all its records; after a failure the object
// agrees with them, and a change that did not happen raised RecordStoreException.
TEST_F(RecordStoreTest, FailureAtAnyWriteStepLosesNothingStored) {
    struct Change {
        const char* what;
        std::function<void(RecordStoreTest&, Store*)> run;
        uint16_t failure;  // what a failed change raises
        State after;
    };
    const State before{2, {1, 2}, {{1, bytesOf("first")}, {2, bytesOf("second")}}};
    const Change changes[] = {
        {"add", [](RecordStoreTest& t, Store* s) { t.add(s, "third"); },
         kClass_javax_microedition_rms_RecordStoreException,
         {3, {1, 2, 3}, {{1, bytesOf("first")}, {2, bytesOf("second")}, {3, bytesOf("third")}}}},
        {"set", [](RecordStoreTest& t, Store* s) { t.set(s, 1, "FIRST!"); },
         kClass_javax_microedition_rms_RecordStoreException,
         {2, {1, 2}, {{1, bytesOf("FIRST!")}, {2, bytesOf("second")}}}},
        {"delete", [](RecordStoreTest&, Store* s) { s->deleteRecord(1); },
         kClass_javax_microedition_rms_RecordStoreException, {2, {2}, {{2, bytesOf("second")}}}},
        {"close", [](RecordStoreTest&, Store* s) { s->closeRecordStore(); },
         kClass_javax_microedition_rms_RecordStoreException, before},
    };
    auto prepare = [&] {
        std::filesystem::remove_all(saveDir());
        Store* s = open();
        add(s, "first");
        add(s, "second");
        return open("Game", false);
    };
    for (const Change& change : changes) {
        Store* probe = prepare();
        host::fs::clearFaults();
        change.run(*this, probe);
        const int steps = host::fs::writeStepsTaken();
        ASSERT_EQ(takePending(), 0) << change.what;
        ASSERT_EQ(onDisk(), change.after) << change.what;
        ASSERT_GT(steps, 0) << change.what;
        for (Fault fault : {Fault::Fail, Fault::Crash}) {
            for (int step = 0; step < steps; ++step) {
                SCOPED_TRACE(testing::Message() << change.what << (fault == Fault::Fail ? ": fail" : ": crash")
                                                << " at step " << step << " of " << steps);
                Store* s = prepare();
                host::fs::clearFaults();
                host::fs::failWriteStep(step, fault);
                host::LogCapture log;
                change.run(*this, s);
                uint16_t raised = takePending();
                host::fs::clearFaults();
                State disk = onDisk();
                if (disk != before) {
                    EXPECT_EQ(disk, change.after);
                }
                if (fault == Fault::Fail) {
                    EXPECT_EQ(state(s), disk);  // the object agrees with the files
                    if (disk == before) {
                        // Not done: the caller hears of it.
                        EXPECT_EQ(raised, change.failure);
                        EXPECT_TRUE(log.contains("record store: cannot"));
                    } else {
                        // Done, perhaps with a later step failing (a set's index rewrite).
                        EXPECT_TRUE(raised == 0 || raised == change.failure) << raised;
                    }
                }
            }
        }
    }
    // A failed add does not use its id up.
    Store* s = prepare();
    host::fs::failWriteStep(0);
    add(s, "lost");
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreException);
    EXPECT_EQ(s->getNextRecordID(), 3);
    EXPECT_EQ(add(s, "kept"), 3);
}

// A real full disk: a small tmpfs as the save folder (where this process may mount one; the
// fault-injected equivalents are in the files' own tests).
class MountedTmpfs {
public:
    explicit MountedTmpfs(const std::filesystem::path& at, const char* size) : m_at(at) {
        std::filesystem::create_directories(at);
        std::string options = std::string("size=") + size;
        m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~MountedTmpfs() {
        if (m_mounted) ::umount2(m_at.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    std::filesystem::path m_at;
    bool m_mounted = false;
};

// Bytes written to `file` until the disk refuses more.
std::size_t fillUp(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return 0;
    std::vector<char> block(512, 'f');
    std::size_t total = 0;
    for (ssize_t n; (n = ::write(fd, block.data(), block.size())) > 0;) total += std::size_t(n);
    ::close(fd);
    return total;
}

TEST_F(RecordStoreTest, AFullDiskKeepsTheStoreUsable) {
    std::filesystem::path volume = saveDir().parent_path() / "tmpfs";
    // 25 pages: seven 10 KB records (three pages each) and the index leave room for the eighth
    // record's file but not for the index's new copy.
    MountedTmpfs disk(volume, "100k");
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    host::fs::setFolders({dataDir(), volume});
    Store* s = open();
    const std::string ten(10 * 1024, 'r');
    int32_t added = 0;
    host::LogCapture log;
    while (add(s, ten) > 0) ++added;
    ASSERT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreException);
    ASSERT_EQ(added, 7);
    std::vector<std::string> lines = log.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "record store: cannot write \\program files\\veltrano\\wrath of kelos\\rms_game.dat"), lines.end())
        << "the index write is the one that fails";
    // The add that failed left nothing: the index and the listed records only.
    EXPECT_EQ(test_support::folderEntries(volume).size(), std::size_t(added) + 1);
    EXPECT_EQ(onDisk().ids.size(), std::size_t(added));

    // Full to the last byte: a delete still goes through and makes room.
    fillUp(volume / "filler");
    EXPECT_EQ(add(s, "x"), 0);
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreException);
    s->deleteRecord(1);
    EXPECT_EQ(takePending(), 0);
    EXPECT_EQ(s->getNumRecords(), added - 1);
    EXPECT_EQ(onDisk().ids.size(), std::size_t(added - 1));
    EXPECT_EQ(add(s, "small"), added + 1);
    EXPECT_EQ(record(s, added + 1), "small");

    // A delete that cannot be written raises and keeps the record, here and on disk.
    fillUp(volume / "filler");
    host::fs::setFaultHook([](host::fs::WriteStep step, const std::filesystem::path& file) {
        return step == host::fs::WriteStep::Open && file.filename() == "rms_game.dat" ? Fault::Fail : Fault::None;
    });
    s->deleteRecord(2);
    host::fs::clearFaults();
    EXPECT_EQ(takePending(), kClass_javax_microedition_rms_RecordStoreException);
    EXPECT_EQ(record(s, 2), ten);
    EXPECT_EQ(onDisk().records.at(2), bytesOf(ten));
    EXPECT_EQ(onDisk().ids.size(), std::size_t(added));
}

TEST_F(RecordStoreTest, OpeningCleansUpAfterASaveStoppedByACrash) {
    Store* s = open();
    add(s, "one");
    host::fs::failWriteStep(1, Fault::Crash);  // mid-way through the record file
    add(s, "two");
    host::fs::clearFaults();
    takePending();
    std::ofstream(saveDir() / ".notes.txt.abcdef") << "not the store's";
    ASSERT_EQ(test_support::folderEntries(saveDir()).size(), 4u);
    open("Game", false);
    EXPECT_EQ(test_support::folderEntries(saveDir()),
              (std::vector<std::string>{".notes.txt.abcdef", "rms_game.dat", "rms_game.dat_1.dat"}));
}

// The first run of the program stores a record and ends; the second finds it.
TEST(RecordStoreRuns, TwoRunsOfTheProgramKeepARecord) {
    test_support::TempFolder root("veltrano-runs");
    std::filesystem::create_directories(root / "data");
    formats::ArchiveWriter archive;
    archive.add("constants.bin", constantsFile());
    ASSERT_TRUE(archive.save(root / "data" / "data.bar"));
    const host::fs::Folders previous = host::fs::folders();
    // One run: start as the program does, read the store, add a record, close it, shut down.
    auto run = [&](const char* data, std::vector<std::string>* seen) {
        mrc::platform::initFiles(root / "data", root / "save");
        ApplicationImpl* impl = ApplicationImpl::getInstance();
        if (!impl->initRuntime(false, 1u << 20, 2u << 20)) return false;
        impl->application->staticClass->initialize();
        Store* s = Store::openRecordStore(newString("Saves"), true);
        bool ok = s != nullptr;
        for (int32_t i = 0; ok && seen && i < s->getNumRecords(); ++i) {
            ByteArray* b = s->getRecord(s->idAt(i));
            seen->emplace_back(reinterpret_cast<const char*>(b->elements()), static_cast<std::size_t>(b->length));
        }
        if (ok) {
            auto length = static_cast<int32_t>(std::strlen(data));
            ByteArray* bytes = impl->application->objectManager->newByteArray(length);
            std::memcpy(bytes->elements(), data, static_cast<std::size_t>(length));
            ok = s->addRecord(bytes, 0, length) > 0;
            s->closeRecordStore();
            ok = ok && impl->application->getPendingException() == nullptr;
        }
        impl->shutdownRuntime();
        StaticClass::setResourceOpener(nullptr);
        return ok;
    };
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) ::_exit(run("from the first run", nullptr) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::vector<std::string> seen;
    EXPECT_TRUE(run("from the second run", &seen));
    host::fs::setFolders(previous);
    EXPECT_EQ(seen, std::vector<std::string>{"from the first run"});
    EXPECT_EQ(test_support::readBytes(root / "save" / "rms_saves.dat"), indexBytes(2, {1, 2}));
}

}  // namespace
}  // namespace mrc::test
