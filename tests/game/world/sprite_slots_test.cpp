// The level's sprite slot tables: the modules a frame or an animation marks, the slot plan of the
// player's sprite sets, and the interface sprite kept in its slot (over a written archive, and
// over the sample data).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/game/archive_game_fixture.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/pack_file.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

using namespace mrc;
using formats::ModuleKind;
using formats::SpriteData;

std::vector<int32_t> marked(BoolArray* used) {
    std::vector<int32_t> modules;
    for (int32_t m = 0; m < used->length; ++m)
        if (used->elements()[m] != 0) modules.push_back(m);
    return modules;
}

// 300 one-pixel modules; frame f shows module f, except frame 257, which shows modules 258 and 2
// (indices above 255 need the high bits of the flag bytes). Animation 0 runs frames 257 and 1,
// animation 1 frame 3.
SpriteData manyModules() {
    SpriteData s;
    for (int32_t m = 0; m < 300; ++m) s.modules.push_back({ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    for (int32_t f = 0; f < 260; ++f) s.frames.push_back({{{f, 0, 0, 0}}, {}, {}});
    s.frames[257] = {{{258, 0, 0, 0}, {2, 1, 0, 0}}, {}, {}};
    s.animations.push_back({{257, 1, 0, 0, 0}, {1, 1, 0, 0, 0}});
    s.animations.push_back({{3, 1, 0, 0, 0}});
    s.palettes = {{0xFF00FF00u}};
    return s;
}

class SpriteMarksTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        auto texts = test::saveConstants();
        texts[499] = "frame marks: used too short";
        texts[500] = "animation marks: used too short";
        test::installConstants(texts);
        captured = java_io_ByteArrayOutputStream::newInstance(1024);
        systemStatics.out = java_io_PrintStream::newInstance(captured);
    }
    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), std::size_t(data->length));
    }
    java_io_ByteArrayOutputStream* captured = nullptr;
};

TEST_F(SpriteMarksTest, FramesAndAnimationsMarkTheirModules) {
    ASprite* sprite = newSprite(manyModules());
    // Mapping 0 sends module 2 to 7 and module 258 to 4.
    sprite->applyModuleMapping(0, bytes({2, 0, 7, 0, 2, 1, 4, 0}));
    struct Case {
        bool animation;
        int32_t n, remap;
        std::vector<int32_t> modules;
    };
    const Case cases[] = {
        {false, 5, -1, {5}},
        {false, 257, -1, {2, 258}},
        {false, 257, 0, {4, 7}},        // through the mapping
        {false, 257, 3, {2, 258}},      // a mapping the sprite lacks: the modules themselves
        {false, 260, -1, {}},           // no such frame
        {false, -1, -1, {}},
        {true, 0, -1, {1, 2, 258}},     // frames 257 and 1
        {true, 0, 0, {1, 4, 7}},
        {true, 1, -1, {3}},
        {true, 2, -1, {}},              // no such animation
        {true, -1, -1, {}},
    };
    for (const Case& c : cases) {
        BoolArray* used = om()->newBoolArray(300);
        if (c.animation) Game::copyFrameData(used, sprite, c.n, c.remap);
        else Game::copyFrameRects(used, sprite, c.n, c.remap);
        EXPECT_EQ(marked(used), c.modules) << (c.animation ? "animation " : "frame ") << c.n << " remap " << c.remap;
    }
    EXPECT_EQ(printed(), "");

    // Marks add to what is marked already.
    BoolArray* used = om()->newBoolArray(300);
    Game::copyFrameData(used, sprite, 1, -1);
    Game::copyFrameRects(used, sprite, 9, -1);
    EXPECT_EQ(marked(used), (std::vector<int32_t>{3, 9}));
}

TEST_F(SpriteMarksTest, FlagsShorterThanTheModulesMarkNothing) {
    ASprite* sprite = newSprite(manyModules());
    BoolArray* shortFlags = om()->newBoolArray(299);
    Game::copyFrameRects(shortFlags, sprite, 5, -1);
    EXPECT_EQ(printed(), "frame marks: used too short\n");
    Game::copyFrameData(shortFlags, sprite, 1, -1);
    EXPECT_EQ(printed(), "frame marks: used too short\nanimation marks: used too short\n");
    EXPECT_TRUE(marked(shortFlags).empty());
    Game::copyFrameData(nullptr, sprite, 1, -1);
    EXPECT_EQ(printed(), "frame marks: used too short\nanimation marks: used too short\n"
                         "animation marks: used too short\n");
    Game::copyFrameData(om()->newBoolArray(300), nullptr, 1, -1);  // no sprite: nothing at all
    // Missing flags are refused also for a sprite without modules, whose frames may name some.
    SpriteData bare = manyModules();
    bare.modules.clear();
    Game::copyFrameRects(nullptr, newSprite(bare), 5, -1);
    EXPECT_EQ(printed(), "frame marks: used too short\nanimation marks: used too short\n"
                         "animation marks: used too short\nframe marks: used too short\n");
}

// ---- the player's sprite-set plan ----

class SpriteSetPlanTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        // The fixture's tables and player outlive every allocation of a test.
        app()->staticClass->addRoot(&slotMap);
        app()->staticClass->addRoot(&plan);
        app()->staticClass->addRoot(&player);
        Game::stateStatics.sprites = om()->newObjectArray(kClass_ASprite, Game::kSpriteSlots);
        makeTables();
        // The player: its own row (params[2]) 4, palette (params[3]) 1.
        player = object(1, 0, {{2, 4}, {3, 1}});
        Game::objects.s_playerFlags = 0;
    }
    // An empty slot map (byte[120]) and plan (byte[60][10][3]).
    void makeTables() {
        slotMap = om()->newByteArray(120);
        std::fill_n(slotMap->elements(), 120, int8_t(-1));
        plan = om()->newObjectArray(kClass_ObjectArray, 60);
        for (int32_t r = 0; r < 60; ++r) {
            ObjectArray* row = om()->newObjectArray(kClass_ByteArray, 10);
            plan->elements()[r] = row;
            for (int32_t j = 0; j < 10; ++j) {
                ByteArray* palettes = om()->newByteArray(3);
                std::fill_n(palettes->elements(), 3, int8_t(-1));
                row->elements()[j] = palettes;
            }
        }
    }
    static void setTableEntry(int32_t table, int32_t i, int32_t v) {
        static_cast<IntArray*>(CObject::statics.s_rowTable3x9->elements()[table])->elements()[i] = v;
    }
    void occupy(int32_t slot) { Game::stateStatics.sprites->elements()[slot] = newObject<ASprite>(); }
    int32_t planned(int32_t set, int32_t row, int32_t palette) const {
        auto* rows = static_cast<ObjectArray*>(plan->elements()[30 + set]);
        return static_cast<ByteArray*>(rows->elements()[row])->elements()[palette];
    }
    // (set, row, palette, slot) of every planned byte, in order.
    std::vector<std::vector<int32_t>> plannedBytes() const {
        std::vector<std::vector<int32_t>> out;
        for (int32_t set = 0; set < 30; ++set)
            for (int32_t row = 0; row < 10; ++row)
                for (int32_t p = 0; p < 3; ++p)
                    if (planned(set, row, p) >= 0) out.push_back({set, row, p, planned(set, row, p)});
        return out;
    }
    int32_t slotOf(int32_t set) const { return slotMap->elements()[60 + set]; }

    ByteArray* slotMap = nullptr;
    ObjectArray* plan = nullptr;
    CObject* player = nullptr;
};

TEST_F(SpriteSetPlanTest, NineSetsTakeSlotsAndPlanTheirRows) {
    // Sets in order: 0 (own row 4), 1 (row 3), then the set tables' entries 2-8: sets 1, 2, 5, 3,
    // 8, 6, 8 with rows 3, 8, 2, 5, 8, 6, 8 and second rows 0, 7, 3, 7, 3, 6, 8.
    const int32_t next = Game::planObjectSpriteSlots(slotMap, nullptr, 37, plan, player);
    EXPECT_EQ(slotOf(0), 37);
    EXPECT_EQ(slotOf(1), 38);
    EXPECT_EQ(slotOf(2), 39);
    EXPECT_EQ(slotOf(5), 40);
    EXPECT_EQ(slotOf(3), 41);
    EXPECT_EQ(slotOf(8), 42);
    EXPECT_EQ(slotOf(6), 43);
    EXPECT_EQ(next, 44);
    for (int32_t set : {4, 7, 9}) EXPECT_EQ(slotOf(set), -1) << set;
    EXPECT_EQ(plannedBytes(), (std::vector<std::vector<int32_t>>{
                                  {0, 4, 1, 37},
                                  {1, 0, 1, 38}, {1, 3, 1, 38},
                                  {2, 7, 1, 39}, {2, 8, 1, 39},
                                  {3, 5, 1, 41}, {3, 7, 1, 41},
                                  {5, 2, 1, 40}, {5, 3, 1, 40},
                                  {6, 6, 1, 43},
                                  {8, 3, 1, 42}, {8, 8, 1, 42},
                              }));
}

TEST_F(SpriteSetPlanTest, TheItemSetsRowsFollowTheAbilityFlags) {
    struct Case {
        int32_t flags;
        std::vector<int32_t> rows;  // rows of set 1 planned by set 1 alone
    };
    const Case cases[] = {{0, {3}}, {0x80, {7}}, {0x400, {3, 7}}, {0x480, {7}}};
    for (int32_t i = 2; i < 9; ++i) setTableEntry(0, i, -1);  // set 1 alone
    for (const Case& c : cases) {
        makeTables();
        Game::objects.s_playerFlags = c.flags;
        Game::planObjectSpriteSlots(slotMap, nullptr, 37, plan, player);
        std::vector<int32_t> rows;
        for (int32_t row = 0; row < 10; ++row)
            if (planned(1, row, 1) >= 0) rows.push_back(row);
        EXPECT_EQ(rows, c.rows) << c.flags;
    }
}

TEST_F(SpriteSetPlanTest, NegativeSetsAreSkippedAndTheCounterSkipsUsedSlots) {
    // Entries 2-8 of the set tables: only entry 4 (set 5) stays; the others are negative.
    for (int32_t i = 2; i < 9; ++i)
        if (i != 4) setTableEntry(0, i, -1 - i);
    occupy(38);
    occupy(39);
    occupy(41);
    const int32_t next = Game::planObjectSpriteSlots(slotMap, nullptr, 37, plan, player);
    EXPECT_EQ(slotOf(0), 37);
    EXPECT_EQ(slotOf(1), 40) << "38 and 39 hold sprites";
    EXPECT_EQ(slotOf(5), 42) << "41 holds a sprite";
    EXPECT_EQ(next, 43);
    EXPECT_EQ(plannedBytes().size(), 4u);  // set 0 once, set 1 once, set 5 twice

    // Sprites up to the end of the table: the counter stops at 60, where nothing more is given.
    for (int32_t s = 43; s < 60; ++s) occupy(s);
    std::fill_n(slotMap->elements(), 120, int8_t(-1));
    host::LogCapture log;
    EXPECT_EQ(Game::planObjectSpriteSlots(slotMap, nullptr, 59, plan, player), 60);
    EXPECT_EQ(slotOf(0), 59);
    EXPECT_EQ(slotOf(1), -1);
    EXPECT_EQ(slotOf(5), -1);
    EXPECT_TRUE(log.contains("no free sprite slot"));
}

TEST_F(SpriteSetPlanTest, KnownSlotsAndSetPlanBytesAreKept) {
    slotMap->elements()[60] = 10;  // set 0 is loaded in slot 10
    slotMap->elements()[61] = 11;
    auto* rows = static_cast<ObjectArray*>(plan->elements()[31]);
    static_cast<ByteArray*>(rows->elements()[3])->elements()[1] = 20;  // set 1, row 3 already planned
    static_cast<ByteArray*>(rows->elements()[3])->elements()[0] = -2;  // another palette marked for release
    const int32_t next = Game::planObjectSpriteSlots(slotMap, nullptr, 37, plan, player);
    EXPECT_EQ(slotOf(0), 10);
    EXPECT_EQ(slotOf(1), 11);
    EXPECT_EQ(planned(0, 4, 1), 10);
    EXPECT_EQ(planned(1, 3, 1), 20) << "a set byte is not overwritten";
    EXPECT_EQ(planned(1, 3, 0), -2) << "other palettes are not touched";
    EXPECT_EQ(planned(1, 0, 1), 11) << "entry 2's second row of set 1";
    EXPECT_EQ(slotOf(2), 37) << "the first new set takes the first free slot";
    EXPECT_EQ(next, 42);
    // Nothing to plan into, or nobody to plan for: the counter comes back unchanged.
    EXPECT_EQ(Game::planObjectSpriteSlots(nullptr, nullptr, 45, plan, player), 45);
    EXPECT_EQ(Game::planObjectSpriteSlots(slotMap, nullptr, 45, plan, nullptr), 45);
}

// ---- the interface sprite ----

// Ten image modules of distinct widths; frame f shows module f % 10; animation a runs frame
// (a + 6) % 12, so animations 4-11 use modules 0-5 (frames 4-11 would use 0, 1 and 4-9).
SpriteData interfaceLike() {
    SpriteData s;
    for (int32_t m = 0; m < 10; ++m)
        s.modules.push_back({ModuleKind::Image, m + 1, 1, 0, 0, 0, std::vector<uint8_t>(std::size_t(m + 1), 0), {}});
    for (int32_t f = 0; f < 12; ++f) s.frames.push_back({{{f % 10, 0, 0, 0}}, {}, {}});
    for (int32_t a = 0; a < 12; ++a) s.animations.push_back({{(a + 6) % 12, 1, 0, 0, 0}});
    s.palettes = {{0xFF336699u}};
    return s;
}

std::vector<int32_t> cachedModules(ASprite* sprite) {
    std::vector<int32_t> modules;
    auto* images = elementOrNull<ObjectArray>(sprite->moduleImageCache, 0);
    for (int32_t m = 0; images != nullptr && m < images->length; ++m)
        if (elementOrNull<Object>(images, m) != nullptr) modules.push_back(m);
    return modules;
}

class InterfaceSpriteTest : public test::ArchiveGameTest {
protected:
    InterfaceSpriteTest() : ArchiveGameTest("veltrano-interface-sprite") {}

    // Pack 2 ("/pk/p2"): entries 0-4 filler, entry 5 the interface sprite.
    void saveData() override {
        formats::ArchiveWriter archive;
        archive.add("constants.bin", formats::writeConstantsFile(packConstants()));
        formats::PackWriter pack;
        for (int e = 0; e < 5; ++e) pack.add({1, 2, 3});
        pack.add(formats::spriteFile(interfaceLike()));
        archive.add("pk/p2", pack.build());
        ASSERT_TRUE(archive.save(m_root / "data" / "data.bar"));
    }
    static ASprite* slot(int32_t n) { return Game::spriteIn(Game::stateStatics.sprites, n); }
    static int32_t interfaceSlot() { return Game::objects.s_spriteSlots->elements()[32]; }
    static int32_t lastSlot() { return Game::objects.s_lastSpriteSlot->elements()[0]; }
};

TEST_F(InterfaceSpriteTest, TheSpriteTakesASlotOnceAndIsReloadedThere) {
    GameObjectStatics& g = Game::objects;
    ASSERT_EQ(interfaceSlot(), -1);
    ASSERT_EQ(g.s_nextSpriteSlot, 37);
    Game::rebuildInterfaceSprite();
    EXPECT_EQ(interfaceSlot(), 37);
    EXPECT_EQ(lastSlot(), 37);
    EXPECT_EQ(g.s_nextSpriteSlot, 38);
    ASprite* sprite = slot(37);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->moduleCount, 10);
    EXPECT_EQ(JArray::getInt(sprite->paletteCacheMode, 0), ASprite::kCacheImages);
    EXPECT_EQ(cachedModules(sprite), (std::vector<int32_t>{0, 1, 2, 3, 4, 5})) << "the modules of animations 4-11";
    EXPECT_NE(sprite->pixelData, nullptr) << "loaded with its raw data kept";

    // Again: the recorded slot, the same sprite, no slot used up.
    g.s_lastSpriteSlot->elements()[0] = 12;
    Game::rebuildInterfaceSprite();
    EXPECT_EQ(interfaceSlot(), 37);
    EXPECT_EQ(lastSlot(), 37);
    EXPECT_EQ(g.s_nextSpriteSlot, 38);
    EXPECT_EQ(slot(37), sprite);

    // Released with the level's sprites, it is read again into its slot and its modules rebuilt.
    sprite->unload();
    ASSERT_TRUE(cachedModules(sprite).empty());
    Game::rebuildInterfaceSprite();
    EXPECT_EQ(slot(37), sprite);
    EXPECT_EQ(sprite->moduleCount, 10);
    EXPECT_EQ(cachedModules(sprite), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(g.s_nextSpriteSlot, 38);
}

TEST_F(InterfaceSpriteTest, FreshTablesGiveTheNextEmptySlot) {
    Game::rebuildInterfaceSprite();
    ASprite* first = slot(37);
    // A new level's tables: slot 37 still holds a sprite, so the next free one is 38.
    Game::allocSpriteSlotTables();
    EXPECT_EQ(interfaceSlot(), -1);
    EXPECT_EQ(lastSlot(), -1);
    EXPECT_EQ(Game::objects.s_nextSpriteSlot, 38);
    Game::rebuildInterfaceSprite();
    EXPECT_EQ(interfaceSlot(), 38);
    EXPECT_EQ(Game::objects.s_nextSpriteSlot, 39);
    ASSERT_NE(slot(38), nullptr);
    EXPECT_NE(slot(38), first) << "a free slot takes a sprite of its own";
    EXPECT_EQ(slot(37), first);
}

TEST_F(InterfaceSpriteTest, WithoutTablesOrFreeSlotsNothingIsLoaded) {
    host::LogCapture log;
    Game::objects.s_spriteSlots = nullptr;
    Game::rebuildInterfaceSprite();
    EXPECT_TRUE(log.contains("slot tables are missing"));
    EXPECT_EQ(slot(37), nullptr);

    Game::allocSpriteSlotTables();
    Game::objects.s_nextSpriteSlot = Game::kSpriteSlots;  // every slot used
    Game::rebuildInterfaceSprite();
    EXPECT_TRUE(log.contains("no sprite slot 60"));
    EXPECT_EQ(interfaceSlot(), -1);
    EXPECT_EQ(Game::objects.s_nextSpriteSlot, Game::kSpriteSlots);
}

class SampleInterfaceSpriteTest : public test::ArchiveGameTest {
protected:
    SampleInterfaceSpriteTest() : ArchiveGameTest("veltrano-sample-interface") {}
    void saveData() override {
        ASSERT_TRUE(sample_data::buildArchive().save(m_root / "data" / formats::kArchiveFileName));
    }
};

TEST_F(SampleInterfaceSpriteTest, TheSampleInterfaceSpriteIsLoaded) {
    Game::rebuildInterfaceSprite();
    const int32_t n = Game::objects.s_spriteSlots->elements()[32];
    ASSERT_GE(n, 0);
    ASprite* sprite = Game::spriteIn(Game::stateStatics.sprites, n);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->frameModuleCount->length, int32_t(sample_data::interfaceSprite().frames.size()));
    // Its animations 4-11 show the one-pixel image module 0: that one image is built.
    EXPECT_EQ(cachedModules(sprite), (std::vector<int32_t>{0}));
}

}  // namespace
