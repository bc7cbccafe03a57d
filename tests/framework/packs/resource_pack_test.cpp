#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "framework/packs/lzma_alone.h"
#include "host/fs/paths.h"
#include "platform/io/files.h"
#include "platform/io/resource_archive.h"
#include "runtime/core/application.h"
#include "runtime/io/input_stream.h"
#include "runtime/lang/throwable.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/pack_file.h"
#include "tools/formats/sprite_file.h"
#include "tests/framework/framework_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using formats::PackWriter;

// How a test resource behaves: delivered a few bytes a call, skipping little or nothing, failing
// at a position or on close.
struct Resource {
    std::vector<uint8_t> bytes;
    int32_t readChunk = 1 << 30;
    int32_t skipChunk = 1 << 30;  // 0: skip never moves
    int32_t failAt = -1;          // reading at this position raises IOException
    bool failClose = false;
};

class TestStream : public java_io_InputStream {
public:
    using Base = java_io_InputStream;
    static constexpr uint16_t kClassId = mrc::kClass_java_io_InputStream;
    using java_io_InputStream::read;

    int32_t read() override {
        if (failing()) return -1;
        return pos < size() ? r->bytes[std::size_t(pos++)] : -1;
    }
    int32_t read(ByteArray* b, int32_t off, int32_t len) override {
        if (failing()) return -1;
        if (pos >= size()) return -1;
        int32_t n = std::min({len, r->readChunk, size() - pos});
        if (r->failAt >= 0 && pos < r->failAt) n = std::min(n, r->failAt - pos);
        std::memcpy(b->elements() + off, r->bytes.data() + pos, std::size_t(n));
        pos += n;
        return n;
    }
    int64_t skip(int64_t n) override {
        int64_t k = std::min<int64_t>({n, r->skipChunk, size() - pos});
        pos += static_cast<int32_t>(k);
        skipped += k;
        return k;
    }
    void close() override {
        if (r->failClose) mrc::raise(mrc::kClass_java_io_IOException);
        closed = true;
    }

    const Resource* r;
    int32_t pos;
    int64_t skipped;
    bool closed;

private:
    int32_t size() const { return static_cast<int32_t>(r->bytes.size()); }
    bool failing() {
        if (r->failAt < 0 || pos < r->failAt) return false;
        mrc::raise(mrc::kClass_java_io_IOException);
        return true;
    }
};

std::vector<uint8_t> entryBytes(int i, std::size_t size) {
    std::vector<uint8_t> v(size);
    for (std::size_t k = 0; k < size; ++k) v[k] = static_cast<uint8_t>(i * 31 + k * 7);
    return v;
}

// Packs are read from a real data archive; streams that misbehave on purpose are put in place
// of the open pack's stream.
class ResourcePacks : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        m_previous = host::fs::folders();
        std::filesystem::create_directories(m_root / "data");
        mrc::platform::initFiles(m_root / "data", m_root / "save");
        FrameworkTest::SetUp();
    }
    void TearDown() override {
        FrameworkTest::TearDown();
        host::fs::setFolders(m_previous);
        mrc::StaticClass::setResourceOpener(nullptr);
    }

    // data.bar holding the packs; the archive's index is read at the first open.
    void savePacks(const std::map<std::string, std::vector<uint8_t>>& packs) {
        formats::ArchiveWriter archive;
        for (const auto& [name, bytes] : packs) archive.add(name, bytes);
        ASSERT_TRUE(archive.save(m_root / "data" / "data.bar"));
    }
    void open(const std::string& name) { GameBase::loadResourceFile(string(name.c_str())); }
    // The open pack's stream replaced by one over `r` standing where the real one stands.
    TestStream* substitute(const Resource& r) {
        auto* s = mrc::newObject<TestStream>();
        s->r = &r;
        s->pos = 2 + 4 * GameBase::statics.packOffsetCount;
        GameBase::statics.packStream = s;
        return s;
    }
    static int32_t position() {
        return static_cast<javax_microedition_io_ResourceInputStream*>(GameBase::statics.packStream)->position;
    }
    static std::vector<uint8_t> read(int32_t n) {
        ByteArray* b = QXLibBase::readPackEntry(n);
        if (!b) return {};
        auto* p = reinterpret_cast<const uint8_t*>(b->elements());
        return std::vector<uint8_t>(p, p + b->length);
    }
    static bool readsNull(int32_t n) { return QXLibBase::readPackEntry(n) == nullptr; }
    // Six entries of 5, 9, 0, 13, 3 and 21 bytes.
    static PackWriter sixEntries(bool compressed = false) {
        PackWriter w(compressed);
        for (int i = 0; const std::size_t size : {5, 9, 0, 13, 3, 21}) w.add(entryBytes(i++, size));
        return w;
    }
    static std::vector<uint8_t> sixEntry(int i) {
        static const std::size_t sizes[] = {5, 9, 0, 13, 3, 21};
        return entryBytes(i, sizes[i]);
    }
    static constexpr int32_t kSixTable = 2 + 4 * 7;

    test_support::TempFolder m_root{"veltrano-packs"};

private:
    host::fs::Folders m_previous;
};

TEST_F(ResourcePacks, EntriesReadForwardSkippingExactlyTheBytesBetween) {
    PackWriter w = sixEntries();
    w.options().firstOffset = 16;  // offsets are relative: bytes 10 00 00 00 start the table
    std::vector<uint8_t> file = w.build();
    EXPECT_EQ(file[2], 0x10);
    savePacks({{"pack", file}});
    open("/pack");
    EXPECT_EQ(GameBase::statics.packOffsetCount, 7);
    EXPECT_FALSE(GameBase::statics.packCompressed);
    EXPECT_EQ(position(), kSixTable);

    EXPECT_EQ(read(1), sixEntry(1));
    EXPECT_EQ(position(), kSixTable + 5 + 9);
    EXPECT_EQ(read(5), sixEntry(5));
    EXPECT_EQ(position(), kSixTable + 5 + 9 + (0 + 13 + 3) + 21) << "skipped offset[5] - offset[2]";
    EXPECT_TRUE(readsNull(5)) << "the cursor does not go back";
    EXPECT_TRUE(readsNull(3));
    EXPECT_TRUE(readsNull(6)) << "six entries";
    EXPECT_TRUE(readsNull(-1));
    EXPECT_FALSE(app()->getPendingException());

    open("/pack");  // again from the start
    EXPECT_EQ(read(3), sixEntry(3));
    EXPECT_TRUE(readsNull(3)) << "an entry reads once";
}

TEST_F(ResourcePacks, ReadsAndSkipsLoopUntilDone) {
    savePacks({{"pack", sixEntries().build()}});
    struct Case {
        int32_t readChunk, skipChunk;
    } cases[] = {{1, 1}, {3, 0}, {4, 2}, {1 << 30, 0}, {2, 1 << 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "read " << c.readChunk << ", skip " << c.skipChunk);
        Resource r{sixEntries().build(), c.readChunk, c.skipChunk};
        open("/pack");
        TestStream* s = substitute(r);
        EXPECT_EQ(read(0), sixEntry(0));
        EXPECT_EQ(read(3), sixEntry(3));
        EXPECT_EQ(read(5), sixEntry(5));
        EXPECT_EQ(s->skipped + (c.skipChunk ? 0 : 9 + 3), 9 + 3) << "a stream that does not skip is read instead";
    }
}

TEST_F(ResourcePacks, EmptyEntryReadsNullWithoutMovingTheStream) {
    savePacks({{"pack", sixEntries().build()}});
    open("/pack");
    EXPECT_TRUE(readsNull(2));
    EXPECT_EQ(GameBase::statics.packNextEntry, 0);
    EXPECT_EQ(position(), kSixTable);
    EXPECT_EQ(read(0), sixEntry(0));
}

TEST_F(ResourcePacks, OddTablesGiveNoEntries) {
    PackWriter countOne = sixEntries();
    countOne.options().declaredCount = 1;
    PackWriter cutTable = sixEntries();
    cutTable.options().truncateAt = 2 + 4 * 3 + 2;
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int32_t offsetCount;
        const char* trace;
    };
    std::vector<Case> cases = {
        {"no bytes", {}, 0, "ends inside its header"},
        {"flag only", {0}, 0, "ends inside its header"},
        {"no offsets", {0, 0}, 0, nullptr},
        {"one offset", PackWriter().build(), 1, nullptr},
        {"count 1 before six entries", countOne.build(), 1, nullptr},
        {"cut inside the table", cutTable.build(), 0, "ends inside its table (3 of 7 offsets)"},
    };
    std::map<std::string, std::vector<uint8_t>> packs;
    for (const Case& c : cases) packs[c.name] = c.file;
    savePacks(packs);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        open(c.name);
        EXPECT_EQ(GameBase::statics.packOffsetCount, c.offsetCount);
        for (int32_t n = -1; n < 8; ++n) EXPECT_TRUE(readsNull(n)) << n;
        EXPECT_FALSE(app()->getPendingException());
        if (c.trace) {
            EXPECT_TRUE(log.contains(c.trace));
        }
    }

    log.clear();
    open("/missing");
    EXPECT_TRUE(log.contains("no resource /missing"));
    EXPECT_TRUE(readsNull(0));
}

TEST_F(ResourcePacks, NegativeSizesAndOffsets) {
    // Descending offsets give negative sizes; negative offsets themselves are fine.
    PackWriter negative, backwards, wrapping;
    for (int i = 0; i < 3; ++i) {
        negative.add(entryBytes(i, 4));
        backwards.add(entryBytes(i, 4));
    }
    negative.options().offsets = std::vector<int32_t>{-100, -96, -92, -88};
    backwards.options().offsets = std::vector<int32_t>{0, 4, 0, 8};
    wrapping.add(entryBytes(0, 4));
    wrapping.options().offsets = std::vector<int32_t>{INT32_MIN, INT32_MAX};
    savePacks({{"negative", negative.build()}, {"backwards", backwards.build()}, {"wrapping", wrapping.build()}});

    open("/negative");
    EXPECT_EQ(read(0), entryBytes(0, 4));
    EXPECT_EQ(read(2), entryBytes(2, 4));

    log.clear();
    open("/backwards");
    EXPECT_TRUE(readsNull(1));
    EXPECT_TRUE(log.contains("negative size"));
    EXPECT_EQ(read(0), entryBytes(0, 4)) << "a refused entry leaves the cursor where it was";

    log.clear();
    open("/wrapping");
    EXPECT_TRUE(readsNull(0));
    EXPECT_TRUE(log.contains("claims"));
}

TEST_F(ResourcePacks, AShortReadGivesNullAndNothingAfterIt) {
    std::vector<uint8_t> file = sixEntries().build();
    // The archive's entry ends inside entry 3, or before it.
    savePacks({{"inside", std::vector<uint8_t>(file.begin(), file.begin() + kSixTable + 5 + 9 + 4)},
               {"before", std::vector<uint8_t>(file.begin(), file.begin() + kSixTable + 5 + 2)}});
    for (const char* name : {"/inside", "/before"}) {
        SCOPED_TRACE(name);
        open(name);
        log.clear();
        EXPECT_EQ(read(0), sixEntry(0));
        EXPECT_TRUE(readsNull(3));
        EXPECT_TRUE(log.contains("entry 3 of " + std::string(name) + " failed"));
        EXPECT_FALSE(app()->getPendingException()) << "the reader catches what the stream raised";
        EXPECT_TRUE(readsNull(4));
        EXPECT_TRUE(readsNull(5));
    }
}

TEST_F(ResourcePacks, AnIOExceptionGivesNullAndNothingAfterIt) {
    savePacks({{"pack", sixEntries().build()}});
    for (int32_t failAt : {kSixTable + 5 + 9 + 4, kSixTable + 5 + 1}) {
        SCOPED_TRACE(failAt);
        Resource r{sixEntries().build(), 4, 0, failAt};
        open("/pack");
        substitute(r);
        log.clear();
        EXPECT_EQ(read(0), sixEntry(0));
        EXPECT_TRUE(readsNull(3));
        EXPECT_TRUE(log.contains("entry 3 of /pack failed"));
        EXPECT_FALSE(app()->getPendingException());
        EXPECT_TRUE(readsNull(5));
    }
}

TEST_F(ResourcePacks, CloseForgetsThePackAndKeepsAStreamThatFailedToClose) {
    savePacks({{"pack", sixEntries().build()}});
    open("/pack");
    QXLibBase::closePack();
    EXPECT_EQ(GameBase::statics.packStream, nullptr);
    EXPECT_EQ(GameBase::statics.packName, nullptr);
    EXPECT_EQ(GameBase::statics.packOffsets, nullptr);
    EXPECT_EQ(GameBase::statics.packOffsetCount, 0);
    EXPECT_TRUE(readsNull(0));

    open("/pack");
    Resource r{sixEntries().build()};
    TestStream* s = substitute(r);
    open("/pack");  // opening closes the previous pack
    EXPECT_TRUE(s->closed);

    r.failClose = true;
    s = substitute(r);
    log.clear();
    QXLibBase::closePack();
    EXPECT_TRUE(log.contains("closing /pack failed"));
    EXPECT_EQ(GameBase::statics.packStream, s);
    EXPECT_EQ(GameBase::statics.packOffsetCount, 0);
    EXPECT_FALSE(app()->getPendingException());
}

TEST_F(ResourcePacks, CompressedEntriesUnpackWhenTheSwitchIsOn) {
    QXLibConfig::statics.PACKS_USE_LZMA = 1;
    PackWriter w(true);
    std::vector<uint8_t> big(40000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>((i * i) >> 7);
    w.add(entryBytes(0, 300)).add(big).add({}).add(entryBytes(3, 1));
    savePacks({{"lzma", w.build()}});
    open("/lzma");
    EXPECT_TRUE(GameBase::statics.packCompressed);
    EXPECT_EQ(read(0), entryBytes(0, 300));
    EXPECT_EQ(read(1), big);
    ByteArray* empty = QXLibBase::readPackEntry(2);
    ASSERT_NE(empty, nullptr) << "an empty stream still has its header";
    EXPECT_EQ(empty->length, 0);
    EXPECT_EQ(read(3), entryBytes(3, 1));
    EXPECT_EQ(GameBase::statics.lzmaOutput, nullptr);
}

TEST_F(ResourcePacks, TheLzmaSwitchDecidesForCompressedPacksOnly) {
    std::map<std::string, std::vector<uint8_t>> packs;
    for (uint8_t flag : {0, 1, 2}) {
        PackWriter w(flag == 1);
        w.add(entryBytes(0, 40));
        w.options().flagByte = flag;
        packs["flag" + std::to_string(flag)] = w.build();
    }
    savePacks(packs);
    for (uint8_t flag : {0, 1, 2}) {
        SCOPED_TRACE(int(flag));
        open("/flag" + std::to_string(flag));
        if (flag == 1) EXPECT_TRUE(readsNull(0)) << "the switch is off in the shipped configuration";
        else EXPECT_EQ(read(0), entryBytes(0, 40));
    }
}

TEST_F(ResourcePacks, BadLzmaStreamsGiveNull) {
    QXLibConfig::statics.PACKS_USE_LZMA = 1;
    std::vector<uint8_t> good = formats::lzmaAlone(entryBytes(0, 5000));
    std::vector<uint8_t> huge = good;
    huge[8] = 0x7F;  // two gigabytes
    std::vector<uint8_t> damaged = good;
    for (std::size_t i = 20; i < damaged.size(); i += 3) damaged[i] ^= 0x5A;
    std::vector<uint8_t> badProperties = good;
    badProperties[0] = 225;
    struct Case {
        const char* name;
        std::vector<uint8_t> entry;
        const char* trace;
    } cases[] = {
        {"short", std::vector<uint8_t>(good.begin(), good.begin() + 12), "shorter than the header"},
        {"huge", huge, "claims"},
        {"cut", std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2)), "damaged"},
        {"damaged", damaged, "damaged"},
        {"properties", badProperties, "damaged"},
    };
    std::map<std::string, std::vector<uint8_t>> packs;
    for (const Case& c : cases) {
        PackWriter w(true);
        w.addStored(c.entry).add(entryBytes(1, 10));
        packs[c.name] = w.build();
    }
    savePacks(packs);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.name);
        log.clear();
        EXPECT_TRUE(readsNull(0));
        EXPECT_TRUE(log.contains(c.trace));
        EXPECT_EQ(read(1), entryBytes(1, 10)) << "the stream stays where the next entry begins";
    }
}

// The game's sprite loader, as the sprite table runs it: the pack entry read and loaded when the
// sprite has no pixel data, the module caches built unless present, the pixel data dropped.
ASprite* loadSpriteFromPack(ASprite* sprite, int32_t resource, int32_t entry, int32_t palette, int32_t mode, bool) {
    static const char* const kPacks[] = {"/sprites", "/sprites_lzma"};
    if (!sprite) sprite = mrc::newObject<ASprite>();
    if (isNull(sprite->pixelData)) {
        String* name = mrc::newObject<String>();
        name->initFromCString(kPacks[resource]);
        GameBase::loadResourceFile(name);
        ByteArray* data = QXLibBase::readPackEntry(entry);
        QXLibBase::closePack();
        if (data) sprite->load(data, 0);
    }
    for (int32_t p = palette < 0 ? 0 : palette; p < (palette < 0 ? sprite->paletteCount : palette + 1); ++p)
        if (!sprite->hasCachedPalette(p)) sprite->buildModuleCache(p, 0, -1, -1, -1, mode);
    if (!(mode & ASprite::kKeepPixelData)) sprite->releasePixelData();
    return sprite;
}

TEST_F(ResourcePacks, SpritesLoadFromPackEntriesThroughTheGamesLoader) {
    QXLibConfig::statics.PACKS_USE_LZMA = 1;
    formats::SpriteData d;
    d.modules = {{formats::ModuleKind::Image, 3, 2, 0, 0, 0, {1, 2, 0, 2, 1, 1}, std::nullopt},
                 {formats::ModuleKind::Filled, 2, 2, 0, 0, 0x00FF00, {}, std::nullopt}};
    d.frames = {{{{0, 1, 1, 0}, {1, 4, 0, 0}}, {}, std::nullopt}};
    d.palettes = {{0, 0xFFFF0000, 0xFF0000FF}, {0, 0xFF00FF00, 0xFFFFFF00}};
    d.pixelFormat = 0x0400;
    std::vector<uint8_t> sprite = formats::spriteFile(d);
    PackWriter plain, compressed(true);
    for (PackWriter* w : {&plain, &compressed}) w->add(entryBytes(0, 17)).add(sprite);
    savePacks({{"sprites", plain.build()}, {"sprites_lzma", compressed.build()}});
    gameHooks().loadSprite = loadSpriteFromPack;

    std::vector<std::vector<uint16_t>> painted;
    for (int32_t resource : {0, 1}) {
        ASprite* s = GameBase::loadSprite(nullptr, resource, 1, -1, ASprite::kCacheImages, false);
        ASSERT_NE(s, nullptr);
        EXPECT_TRUE(s->hasCachedPalette(0));
        EXPECT_TRUE(s->hasCachedPalette(1));
        EXPECT_EQ(s->pixelData, nullptr);
        for (int32_t palette : {0, 1}) {
            javax_microedition_lcdui_Image* target = javax_microedition_lcdui_Image::createBlankImage(8, 4);
            ASprite::setGraphics(target->getGraphics());
            s->setPalette(palette);
            s->paintFrame(0, 0, 0, 0);
            painted.push_back(pixelsOf(target));
        }
    }
    EXPECT_EQ(painted[0], painted[2]);
    EXPECT_EQ(painted[1], painted[3]);
    EXPECT_NE(painted[0], painted[1]);
    EXPECT_EQ(painted[0][1 * 8 + 1], mrc::gfx::argbToRgb565(0xFFFF0000));
    EXPECT_EQ(painted[1][1 * 8 + 2], mrc::gfx::argbToRgb565(0xFFFFFF00));
}

TEST_F(ResourcePacks, LzmaPropertiesSplitAsLcLpPb) {
    for (auto [byte, lc, lp, pb] : {std::tuple{0x5D, 3u, 0u, 2u}, {0, 0u, 0u, 0u}, {224, 8u, 4u, 4u}, {9, 0u, 1u, 0u}}) {
        mrc::packs::LzmaProperties p = mrc::packs::lzmaProperties(static_cast<uint8_t>(byte));
        EXPECT_EQ(p.lc, lc);
        EXPECT_EQ(p.lp, lp);
        EXPECT_EQ(p.pb, pb);
    }
}

}  // namespace
