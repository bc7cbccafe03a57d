#include <gtest/gtest.h>

#include "runtime/io/byte_array_input_stream.h"
#include "tests/framework/sound/sound_fixture.h"

namespace {

using formats::SoundPackWriter;

class SoundPackReader : public mrc::test::SoundTest {
protected:
    WM_JSound_IO* openPack() {
        WM_JSound_IO* io = mrc::newObject<WM_JSound_IO>();
        io->open(string(mrc::test::kPackName));
        return io;
    }
    // Entries 0-5 in three parts: {WAVE, Ogg}, {MIDI, unknown, a kind byte alone}, {WAVE again}.
    static SoundPackWriter threeParts() {
        using namespace mrc::test;
        SoundPackWriter w;
        w.add(waveSound(), 1).add(oggSound(), 2).newPart();
        w.add(midiSound(), 3).add(unknownSound(), 4).add({}, 5).newPart();
        w.add(waveSound(), 6);
        return w;
    }
    static const std::vector<uint8_t>& expected(int n) {
        using namespace mrc::test;
        static const std::vector<uint8_t> none;
        const std::vector<uint8_t>* table[] = {&waveSound(), &oggSound(), &midiSound(), &unknownSound(), &none,
                                               &waveSound()};
        return *table[n];
    }
};

TEST_F(SoundPackReader, EveryEntryOfAMultiPartPackInAnyOrder) {
    savePack(threeParts());
    WM_JSound_IO* io = openPack();
    ASSERT_FALSE(isNull(io->stream));
    EXPECT_EQ(io->entryTotal, 6);
    EXPECT_EQ(io->partCount, 3);
    // Forward, backward within a part, across parts both ways, and the same entry twice.
    for (int n : {0, 1, 2, 3, 4, 5, 3, 2, 0, 5, 1, 1, 4, 0}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(bytesOf(io->readEntry(n)), expected(n));
        EXPECT_EQ(io->entryKind, n + 1);
        EXPECT_EQ(WM_JSound_IO::statics.currentPart, n < 2 ? 0 : n < 5 ? 1 : 2);
    }
    io->release();
    EXPECT_TRUE(isNull(io->stream));
    EXPECT_EQ(io->position, 0);
    // A released reader reopens on demand.
    EXPECT_EQ(bytesOf(io->readEntry(5)), expected(5));
}

TEST_F(SoundPackReader, APackOfOnePartServesAllFromTheFirstFile) {
    SoundPackWriter w;
    w.add(mrc::test::midiSound(), 9).add(mrc::test::waveSound(), 8).addEmpty();
    savePack(w);
    WM_JSound_IO* io = openPack();
    EXPECT_EQ(io->partCount, 1);
    EXPECT_EQ(bytesOf(io->readEntry(1)), mrc::test::waveSound());
    EXPECT_EQ(bytesOf(io->readEntry(0)), mrc::test::midiSound());
    // Size 0: not even a kind byte, so the size itself comes back and the kind stays.
    EXPECT_EQ(io->seekEntry(2), 0);
    EXPECT_EQ(io->entryKind, 9);
    EXPECT_EQ(WM_JSound_IO::statics.currentPart, 0);
}

TEST_F(SoundPackReader, OpeningTheOpenPackAgainReadsNothing) {
    savePack(threeParts());
    WM_JSound_IO* io = openPack();
    java_io_InputStream* stream = io->stream;
    int32_t position = io->position;
    io->open(string(mrc::test::kPackName));
    EXPECT_EQ(io->stream, stream);
    EXPECT_EQ(io->position, position);
}

TEST_F(SoundPackReader, EntriesThePackDoesNotHaveAreTracedNotRead) {
    savePack(threeParts());
    WM_JSound_IO* io = openPack();
    for (int n : {-1, 6, 11, 70000}) {
        log.clear();
        EXPECT_EQ(io->readEntry(n), nullptr) << n;
        EXPECT_TRUE(log.contains("has no entry")) << n;
    }
}

TEST_F(SoundPackReader, AMissingPartFileIsTracedAndTheOtherPartsStillServe) {
    formats::ArchiveWriter archive;
    archive.add(std::string(mrc::test::kPackName + 1), threeParts().build()[0]);
    ASSERT_TRUE(archive.save(m_root.path() / "data" / "data.bar"));
    WM_JSound_IO* other = openPack();
    EXPECT_EQ(other->readEntry(2), nullptr);
    EXPECT_TRUE(log.contains("no resource"));
    EXPECT_EQ(bytesOf(other->readEntry(1)), mrc::test::oggSound());
}

// Going back to the first part opens the pack again; when that fails the entry is traced, not
// read through the part table the failed open dropped.
TEST_F(SoundPackReader, AFailedReopeningOfTheFirstPartIsTraced) {
    savePack(threeParts());
    WM_JSound_IO* io = openPack();
    EXPECT_EQ(bytesOf(io->readEntry(2)), expected(2));
    const std::filesystem::path archive = m_root.path() / "data" / "data.bar";
    std::filesystem::rename(archive, m_root.path() / "away.bar");
    EXPECT_EQ(io->readEntry(0), nullptr);
    EXPECT_TRUE(log.contains("cannot be reached"));
}

// A stream that answers -1 for ever once it has ended: the read and skip loops stop there.
TEST_F(SoundPackReader, ReadingAndSkippingStopAtTheEndOfTheStream) {
    std::vector<uint8_t> pack = SoundPackWriter().add(mrc::test::waveSound()).add(mrc::test::oggSound()).build()[0];
    struct Case {
        std::size_t keep;  // bytes of the pack the stream holds
        int entry;
    } cases[] = {{pack.size() - 100, 1}, {40, 1}, {40, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keep);
        std::vector<uint8_t> cut(pack.begin(), pack.begin() + std::ptrdiff_t(c.keep));
        savePack(SoundPackWriter().add(mrc::test::waveSound()).add(mrc::test::oggSound()));
        WM_JSound_IO* io = openPack();
        io->stream = java_io_ByteArrayInputStream::newInstance(byteArray(cut));
        io->stream->skip(io->position);
        log.clear();
        ByteArray* entry = io->readEntry(c.entry);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(log.contains("bytes short"));
    }
}

}  // namespace
