// Interface layouts: the definitions pack read by the loader's layout action (a cut record, a
// short sprite record, extra records), the record accessors, the layout painter's filter, the
// rows of the upgrade list and the kind-checked accessors' traces.
#include <gtest/gtest.h>

#include <string>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/objects/cobject.h"
#include "game/objects/factory_seams.h"
#include "host/core/log.h"
#include "host/fs/paths.h"
#include "platform/graphics/pixels.h"
#include "platform/io/files.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/static_class.h"
#include "tests/game/archive_game_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tools/formats/definitions_file.h"
#include "tools/formats/pack_file.h"
#include "tools/formats/sprite_file.h"

namespace {

using namespace mrc;
using formats::DefinitionRecord;
using Image = javax_microedition_lcdui_Image;

// A panel with 12 values: [14] (value 11) is its item count.
DefinitionRecord panelRecord(int16_t items) {
    DefinitionRecord r{5, 10, 20, {}};
    r.values.assign(12, 0);
    r.values[11] = items;
    return r;
}

// Sprite 3: frame f is a 4 x (f + 2) red block.
formats::SpriteData blockSprite() {
    formats::SpriteData s;
    for (int f = 0; f < 4; ++f) {
        s.modules.push_back({formats::ModuleKind::Filled, 4, int16_t(f + 2), 0, 0, 0xFFFF0000u, {}, {}});
        s.frames.push_back({{{f, 0, 0, 0}}, {}, {}});
    }
    s.animations.push_back({{0, 1, 0, 0, 0}, {1, 1, 0, 0, 0}});
    s.palettes = {{0xFFFF0000u}};
    return s;
}

class LayoutTest : public test::ArchiveGameTest {
protected:
    LayoutTest() : ArchiveGameTest("veltrano-layouts") {}

    void SetUp() override {
        ArchiveGameTest::SetUp();
        auto* sprite = newObject<ASprite>();
        std::vector<uint8_t> bytes = formats::spriteFile(blockSprite());
        ByteArray* data = om()->newByteArray(int32_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(data->elements()));
        sprite->load(data, 0);
        sprite->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        st.sprites->elements()[3] = sprite;
    }
    void saveData() override {
        std::vector<std::string> constants(538);
        constants[Game::kPackPathText] = "/pk/";
        constants[Game::kDefinitionsPackText] = "/pk/defs";
        constants[406] = " element ";
        constants[407] = "not a sprite element: layout ";
        constants[409] = "no frame field: layout ";
        constants[410] = " element ";
        constants[411] = "no frame: layout ";
        for (int i = 0; i < 28; ++i) constants[std::size_t(510 + i)] = "p" + std::to_string(i);
        formats::ArchiveWriter archive;
        archive.add("constants.bin", formats::writeConstantsFile(constants));
        std::vector<std::vector<uint8_t>> sets(20);
        // Layout 0: a panel of four items, an animated sprite element, a short sprite record and
        // a value element.
        sets[0] = formats::definitionSet({panelRecord(4),
                                          {0, 30, 40, {3, -1, 1, 1, 0, 0}},
                                          {0, 50, 60, {3, -1, 0}},
                                          {1, 5, 6, {7, 8}}});
        // Layout 1: the second record is cut by the end of the entry.
        std::vector<uint8_t> cut = formats::definitionSet({{0, 1, 2, {3, 0, -1, 1}}, {2, 3, 4, {9, 9, 9}}});
        cut.resize(cut.size() - 3);
        sets[1] = cut;
        // Layout 2: only extra records.
        DefinitionRecord ten{10, 7, 8, {5}};
        ten.p = 33;
        DefinitionRecord eleven{11, 1, 2, {1, 2, 3, 4, 5, 6}};
        eleven.p = -4;
        sets[2] = formats::definitionSet({ten, eleven});
        archive.add("pk/defs", formats::definitionsPack(sets));
        formats::PackWriter tiles;
        tiles.add(formats::spriteFile(blockSprite()));
        tiles.add(formats::spriteFile(blockSprite()));
        archive.add("pk/p6", tiles.build());
        formats::PackWriter mappings;
        for (int m = 0; m < 10; ++m) mappings.add({0, 0, uint8_t(m % 4), 0});
        archive.add("pk/p16", mappings.build());
        ASSERT_TRUE(archive.save(m_root / "data" / "data.bar"));
    }

    static void loadLayouts() {
        Game::startSequence(script({{18, 12}}), false, 0, 100);
        Game::loadStep();
    }
    static std::vector<int32_t> record(int32_t layout, int32_t element) {
        ShortArray* e = Game::layoutElement(layout, element);
        if (isNull(e)) return {};
        return {e->elements(), e->elements() + e->length};
    }
    // Layout 19 replaced by records built here.
    static void install(const std::vector<std::vector<int32_t>>& records) {
        ObjectArray* set = om()->newObjectArray(kClass_ShortArray, int32_t(records.size()));
        ObjectArray* origins = om()->newObjectArray(kClass_ShortArray, int32_t(records.size()));
        for (std::size_t i = 0; i < records.size(); ++i) {
            ShortArray* r = om()->newShortArray(16);
            for (std::size_t k = 0; k < records[i].size(); ++k) r->elements()[k] = int16_t(records[i][k]);
            set->elements()[i] = r;
            ShortArray* o = om()->newShortArray(2);
            o->elements()[0] = r->elements()[1];
            o->elements()[1] = r->elements()[2];
            origins->elements()[i] = o;
        }
        Game::layouts.s_layouts->elements()[kTestLayout] = set;
        Game::layouts.s_layoutDefaults->elements()[kTestLayout] = origins;
        Game::flowStatics.s_layoutSelection->elements()[kTestLayout] = -1;
    }
    static constexpr int32_t kTestLayout = 19;
};

TEST_F(LayoutTest, TheLayoutActionReadsEachSetIntoRecordsDefaultsAndInstances) {
    host::LogCapture log;
    loadLayouts();
    EXPECT_EQ(count("Game::refreshUpgradeTableValues"), 1);
    EXPECT_EQ(count("Game::updateAnimatedTiles"), 1);

    EXPECT_EQ(Game::flowStatics.s_layoutSelection->elements()[0], 0);
    EXPECT_EQ(Game::getEntryValue(0), 4);
    EXPECT_EQ(Game::layoutElementCount(0), 4);
    EXPECT_EQ(record(0, 1), (std::vector<int32_t>{0, 30, 40, 3, 0, 1, 1, 0, 0, 0, 0}))
        << "the animated element's field 4 is its instance";
    // Three values: d5 counts as none, so the set has one instance slot and the second animated
    // record finds the tables full.
    EXPECT_EQ(record(0, 2), (std::vector<int32_t>{0, 50, 60, 3, -1, -1, 0, 0}));
    EXPECT_EQ(record(0, 3), (std::vector<int32_t>{1, 5, 6, 7, 8, 0, 0}));
    auto* instances = static_cast<ObjectArray*>(Game::layouts.s_layoutInstances->elements()[0]);
    ASSERT_EQ(instances->length, 1);
    auto* instance = static_cast<ASpriteInstance*>(instances->elements()[0]);
    EXPECT_EQ(instance->sprite, Game::spriteSlot(3));
    EXPECT_EQ(static_cast<ShortArray*>(Game::layouts.s_layoutValuesA->elements()[0])->elements()[0], 3);
    EXPECT_EQ(static_cast<ShortArray*>(Game::layouts.s_layoutValuesB->elements()[0])->elements()[0], 1);

    // The cut record ends the set; the record before it stays.
    EXPECT_EQ(Game::layoutElementCount(1), 1);
    EXPECT_EQ(record(1, 0), (std::vector<int32_t>{0, 1, 2, 3, 0, -1, 1, 0, 0}));
    EXPECT_FALSE(Game::isEntryPresent(1));
    EXPECT_TRUE(log.contains("set 1: a record at byte 16 runs past its 27 bytes"));

    // Extra records only: no records, the extra table fresh.
    EXPECT_EQ(Game::layoutElementCount(2), 0);
    auto* extras = Game::layouts.s_defExtraRecords;
    ASSERT_EQ(extras->length, 2);
    auto values = [](Object* o) {
        auto* a = static_cast<IntArray*>(o);
        return std::vector<int32_t>(a->elements(), a->elements() + a->length);
    };
    EXPECT_EQ(values(extras->elements()[0]), (std::vector<int32_t>{33, 7, 8, 5, -1, -1, 1, -1, -1, -1}));
    EXPECT_EQ(values(extras->elements()[1]), (std::vector<int32_t>{-4, 1, 2, 1, -1, 2, 3, 4, 5, 6}));
    // Sets the pack does not hold are traced and stay empty.
    EXPECT_EQ(Game::layoutElementCount(5), 0);

    // Moved elements go back to their defaults.
    Game::setLayoutElementX(0, 1, 400);
    Game::setLayoutElementY(0, 1, 401);
    Game::startListAnim(0);
    EXPECT_EQ(Game::getTableEntry1(0, 1), 30);
    EXPECT_EQ(Game::getTableEntry2(0, 1), 40);

    Game::releaseLayout(0);
    EXPECT_EQ(Game::layoutElementCount(0), 0);
    EXPECT_EQ(instance->sprite, nullptr);
    EXPECT_TRUE(isNull(Game::layouts.s_layoutInstances->elements()[0]));
}

TEST_F(LayoutTest, AccessorsAnswerByKindAndPanel) {
    loadLayouts();
    install({{2, 0, 0, 0, 0, 3, 3}, {2, 0, 0, 0, 0, 1, 2}, {0, 0, 0, 9, 9}, {1, 0, 0, 11, 12}, {7, 0, 0, 13}});
    EXPECT_EQ(Game::getLayoutElementAnchor(kTestLayout, 0), 0);
    EXPECT_EQ(Game::getLayoutElementAnchor(kTestLayout, 1), 8 | 2);
    EXPECT_EQ(Game::getKind1Field3(kTestLayout, 2), 0);
    EXPECT_EQ(Game::getKind1Field3(kTestLayout, 3), 11);
    EXPECT_EQ(Game::getKind1Field4(kTestLayout, 3), 12);
    EXPECT_EQ(Game::getLayoutKind7Value(kTestLayout, 3), 0);
    EXPECT_EQ(Game::getLayoutKind7Value(kTestLayout, 4), 13);
    Game::setLayoutElementField3(kTestLayout, 3, 50);
    EXPECT_EQ(Game::getTableEntry3(kTestLayout, 3), 50);
    // Without a panel the item count is -1 whatever [14] holds.
    Game::layoutElement(kTestLayout, 0)->elements()[14] = 6;
    EXPECT_EQ(Game::getEntryValue(kTestLayout), -1);
    EXPECT_FALSE(Game::isSelectedField5One(kTestLayout));
    Game::flowStatics.s_layoutSelection->elements()[kTestLayout] = 0;
    EXPECT_EQ(Game::getEntryValue(kTestLayout), 6);
    EXPECT_FALSE(Game::isSelectedField5One(kTestLayout));
    Game::layoutElement(kTestLayout, 0)->elements()[5] = 1;
    EXPECT_TRUE(Game::isSelectedField5One(kTestLayout));
}

TEST_F(LayoutTest, FillFromPairsChangesOnlyValueRecords) {
    loadLayouts();
    // kind, -, -, -, -, ..., [11], [12], [13], [14], [15]
    install({{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 200, -1, 77},
             {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, -1, 77},
             {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 30, 77},
             {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 200, -1, 77}});
    auto* set = static_cast<ObjectArray*>(Game::layouts.s_layouts->elements()[kTestLayout]);
    Game::fillFromPairs(set, true);
    auto f = [](int32_t e, int32_t i) { return Game::layoutElement(kTestLayout, e)->elements()[i]; };
    EXPECT_EQ(f(0, 14), 1000);
    EXPECT_EQ(f(0, 15), 1200);
    EXPECT_EQ(f(1, 14), 0);
    EXPECT_EQ(f(1, 15), 77) << "no timing inputs: [15] keeps its value";
    EXPECT_EQ(f(2, 15), 230);
    EXPECT_EQ(f(3, 14), -1) << "other kinds are not touched";
    Game::fillFromPairs(set, false);
    EXPECT_EQ(f(0, 15), 0);
    EXPECT_EQ(f(3, 15), 77);
}

TEST_F(LayoutTest, ThePainterDrawsShownSpriteElementsOfTheGroupAndSubId) {
    loadLayouts();
    // kind, x, y, slot, frame, anim, shown, buffered, group, sub-id
    install({{0, 0, 0, 3, 0, -1, 1, 0, 1, 0},
             {0, 10, 0, 3, 0, -1, 0, 0, 1, 0},
             {0, 20, 0, 3, 0, -1, 1, 0, 2, 0},
             {0, 30, 0, 3, 0, -1, 1, 0, 1, 4},
             {1, 40, 0, 3, 0, -1, 1, 0, 1, 0},
             {3, 50, 0, 3, 0, -1, 1, 0, 1, 1, 0, 1}});
    const struct {
        int32_t group, subId;
        std::vector<bool> painted;  // at x 0, 10, 20, 30, 40
    } cases[] = {
        {1, 0, {true, false, false, false, false}},
        {2, 0, {false, false, true, false, false}},
        {-1, 0, {true, false, true, false, false}},
        {-1, 4, {false, false, false, true, false}},
        {3, 0, {false, false, false, false, false}},
    };
    for (const auto& c : cases) {
        Image* image = Image::createBlankImage(60, 10);
        Game::paintLayout(image->getGraphics(), kTestLayout, 0, 2, false, c.group, c.subId);
        for (int32_t k = 0; k < 5; ++k) {
            const uint16_t px = image->pixels16()[2 * (image->stride / 2) + k * 10 + 1];
            EXPECT_EQ(px == gfx::argbToRgb565(0xFFFF0000u), c.painted[std::size_t(k)])
                << "group " << c.group << " sub-id " << c.subId << " element " << k;
        }
    }
    // A buffered element is left to the background painter.
    Game::layoutElement(kTestLayout, 0)->elements()[7] = 1;
    Image* image = Image::createBlankImage(60, 10);
    Game::paintLayout(image->getGraphics(), kTestLayout, 0, 2, false, 1, 0);
    EXPECT_NE(image->pixels16()[2 * (image->stride / 2) + 1], gfx::argbToRgb565(0xFFFF0000u));
}

TEST_F(LayoutTest, HeightsComeFromTheFrameOrTheRecord) {
    loadLayouts();
    install({{0, 0, 0, 3, 2}, {2, 0, 0, 3, 17}, {0, 0, 0, 3, -1}});
    host::LogCapture log;
    EXPECT_EQ(Game::getLayoutElementHeight(kTestLayout, 0), 4);
    EXPECT_EQ(Game::getLayoutElementHeight(kTestLayout, 1), 17);
    EXPECT_EQ(Game::getLayoutElementHeight(kTestLayout, 2), -1);
    EXPECT_TRUE(log.contains("no frame: layout 19 element 2"));
}

TEST_F(LayoutTest, AnExpandedRowMovesTheRowsBelowIt) {
    loadLayouts();
    // Layout 10: rows 8-14 of height 20 at y 100 + 20 r, the panel elements 19 (height 30) to 34
    // with 25 of height 40, row tops 1-7, labels 36-40 and 41-45 (kind 0).
    std::vector<std::vector<int32_t>> records(46, std::vector<int32_t>{2, 0, 0, 0, 0});
    for (int r = 0; r < 7; ++r) {
        records[std::size_t(8 + r)] = {2, 0, 100 + 20 * r, 0, 20};
        records[std::size_t(1 + r)] = {2, 0, 0, 0, 0};
    }
    records[19][4] = 30;
    records[25][4] = 40;
    for (int e = 36; e < 46; ++e) records[std::size_t(e)] = {0, 0, 5, 3, 0, -1, 1};
    install(records);
    Game::layouts.s_layouts->elements()[10] = Game::layouts.s_layouts->elements()[kTestLayout];
    Game::layouts.s_layoutDefaults->elements()[10] = Game::layouts.s_layoutDefaults->elements()[kTestLayout];
    CObject::statics.s_countedItems = om()->newIntArray(5);
    for (int i = 0; i < 5; ++i) CObject::statics.s_countedItems->elements()[i] = i;

    std::vector<int32_t> results;
    for (int32_t row = 0; row < 7; ++row) results.push_back(Game::layoutExpandRow(row == 0, row, row == 2));
    EXPECT_EQ(results, (std::vector<int32_t>{0, 0, 2, 0, 0, 0, 0}));
    EXPECT_EQ(Game::getTableEntry2(10, 8 + 2), 140) << "rows up to the expanded one keep their places";
    for (int32_t r = 3; r < 7; ++r) {
        EXPECT_EQ(Game::getTableEntry2(10, 8 + r), 100 + 20 * r + 30 + 40 - 40) << r;
        EXPECT_EQ(Game::getTableEntry2(10, 1 + r), Game::getTableEntry2(10, 8 + r)) << r;
    }
    EXPECT_TRUE(Game::isElementVisible(10, 41 + 2));
    EXPECT_FALSE(Game::isElementVisible(10, 36 + 2));
    EXPECT_EQ(Game::getTableEntry2(10, 41 + 2), 5 + 40) << "moved by the offset of rows 0 and 1";
    EXPECT_EQ(Game::getTableEntry2(10, 19), 40);
    // Rows 5 and 6 lie past the counted items: empty rows that touch no label (36 + 5 and 36 + 6
    // are the expanded labels of rows 0 and 1).
    for (int32_t row : {5, 6}) EXPECT_EQ(Game::layoutExpandRow(false, row, false), 0) << row;
    Game::layoutExpandRow(true, 0, true);
    Game::layoutExpandRow(false, 5, false);
    Game::layoutExpandRow(false, 6, false);
    EXPECT_TRUE(Game::isElementVisible(10, 41)) << "row 0's expanded label stays";
    // A row whose counted item is not 0-9 has its labels hidden.
    CObject::statics.s_countedItems->elements()[3] = -1;
    Game::setElementVisible(10, 36 + 3, true);
    EXPECT_EQ(Game::layoutExpandRow(false, 3, true), 0);
    EXPECT_FALSE(Game::isElementVisible(10, 36 + 3));
    EXPECT_FALSE(Game::isElementVisible(10, 41 + 3));
}

TEST_F(LayoutTest, MisfitsAreTracedAndAnswerNeutrally) {
    loadLayouts();
    install({{1, 0, 0, 0, 0, 0, 1, 9}, {3, 0, 0}, {0, 0, 0, 3, 0, -1, 1, 0}});
    host::LogCapture log;
    Game::setElementVisible(kTestLayout, 0, false);
    EXPECT_FALSE(Game::isElementVisible(kTestLayout, 0)) << "a value element is never visible";
    EXPECT_EQ(Game::layoutElement(kTestLayout, 0)->elements()[6], 1) << "nothing changed";
    EXPECT_TRUE(log.contains("not a sprite element: layout 19 element 0"));
    log.clear();
    Game::setElementFrame(kTestLayout, 1, 5);
    EXPECT_TRUE(log.contains("no frame field: layout 19 element 1"));
    Game::setElementFrame(kTestLayout, 0, 5);
    Game::setElementFrame(kTestLayout, 2, 6);
    EXPECT_EQ(Game::layoutElement(kTestLayout, 0)->elements()[9], 5);
    EXPECT_EQ(Game::layoutElement(kTestLayout, 2)->elements()[10], 6);
    Game::setElementValue(kTestLayout, 0, 44);
    EXPECT_EQ(Game::layoutElement(kTestLayout, 0)->elements()[7], 44);
    EXPECT_EQ(Game::getElementNumber(kTestLayout, 0), -1);
    EXPECT_EQ(Game::getElementNumber(kTestLayout, 2), -1);
    EXPECT_TRUE(log.contains("no frame: layout 19 element 2"));
    // A still frame past the sprite's frames is reported and draws nothing.
    log.clear();
    Game::layoutElement(kTestLayout, 2)->elements()[4] = 4;
    Image* image = Image::createBlankImage(10, 10);
    Game::paintLayoutSprite(image->getGraphics(), kTestLayout, 2, 1, 1, false);
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_NE(image->pixels16()[1 * (image->stride / 2) + 1], gfx::argbToRgb565(0xFFFF0000u));
}

}  // namespace

namespace {

TEST_F(LayoutTest, ButtonLabelsSlideAndStayInsideTheClip) {
    loadLayouts();
    // kind, x, y, w, h, v-align, h-align, font, -, palette, -, [11] slide x, [12] slide y, -, [14], [15]
    install({{2, 100, 50, 80, 20, 1, 1, 0, 0, 0, 0, 40, 0, 0, 100, 50},
             {2, 100, 50, 80, 20, 1, 1, 0, 0, 0, 0, 40, 10, 0, 100, 150},
             {2, 600, 50, 80, 20, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}});
    Image* image = Image::createBlankImage(400, 200);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    Game::drawButton(g, kTestLayout, 0, -1, 0, 0, 0, 0, 0, 0, -1, -1);
    EXPECT_EQ(Game::layouts.s_buttonOffsetX, 20);
    EXPECT_EQ(Game::layouts.s_buttonOffsetY, 0);
    Game::drawButton(g, kTestLayout, 1, -1, 0, 0, 0, 0, 0, 0, -1, -1);
    EXPECT_EQ(Game::layouts.s_buttonOffsetX, 40) << "past its length the slide is whole";
    EXPECT_EQ(Game::layouts.s_buttonOffsetY, 10);
    EXPECT_FALSE(Game::drawButton(g, kTestLayout, 2, -1, 0, 0, 0, 0, 0, 0, -1, -1)) << "outside the clip";
    g->setClip(10, 10, 50, 50);
    EXPECT_FALSE(Game::drawButton(g, kTestLayout, 0, -1, 0, 0, 0, 0, 0, 0, -1, -1));
    EXPECT_EQ(g->getClipX(), 10) << "the clip is restored";
    EXPECT_EQ(g->getClipWidth(), 50);
    EXPECT_EQ(Game::getLayoutElementAnchor(kTestLayout, 0), 1 | 2);
}

}  // namespace

namespace {

TEST_F(LayoutTest, LevelSpritesTakeOnlyTheMappingsTheLevelUses) {
    CObject::statics.s_itemAnims = om()->newIntArray(1);
    CObject::statics.s_itemAnims->elements()[0] = 3;
    CObject::statics.s_pair37 = om()->newIntArray(2);
    CObject::statics.s_pair37->elements()[0] = 7;
    CObject::statics.s_pair37->elements()[1] = 12;  // not a mapping
    Game::startSequence(script({{18, 15}}), false, 0, 100);
    Game::loadStep();
    ASprite* b = Game::spriteSlot(11);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(Game::spriteSlot(10), nullptr);
    for (int32_t m = 0; m < 10; ++m) EXPECT_EQ(ASprite::hasModuleMapping(b, m), m == 3 || m == 7) << m;
    EXPECT_EQ(b->getModuleMapping(), 0);
    EXPECT_EQ(count("Game::updateAnimatedTiles"), 1);
}

}  // namespace

namespace {

TEST_F(LayoutTest, TheUpgradePanelShowsItsColumnAndBuysByTheHeldTime) {
    loadLayouts();
    std::vector<std::vector<int32_t>> records(35, std::vector<int32_t>{2, 0, 0});
    for (int e : {22, 23, 28, 29}) records[std::size_t(e)] = {1, 0, 0};
    for (int e : {20, 26}) records[std::size_t(e)] = {0, 0, 0, 3, 0, -1, 0};
    install(records);
    Game::layouts.s_layouts->elements()[10] = Game::layouts.s_layouts->elements()[kTestLayout];
    Game::objects.s_player = CObject::create(1, 0, 0, 0, om()->newIntArray(30));
    Game::objects.s_player->m_params->elements()[16] = 50 << 14;
    auto frame = [](int32_t e) { return int32_t(Game::layoutElement(10, e)->elements()[9]); };
    const struct {
        int32_t mode;
        std::vector<int32_t> frames;  // of 22, 23, 28, 29
        bool columnA, columnB;
    } cases[] = {{0, {2, 2, 1, 1}, true, false}, {1, {1, 1, 2, 2}, false, true}, {2, {1, 1, 1, 1}, false, false}};
    for (const auto& c : cases) {
        Game::layouts.s_upgradeAvailable = 0;
        Game::showUpgradePanel(c.mode);
        EXPECT_EQ((std::vector<int32_t>{frame(22), frame(23), frame(28), frame(29)}), c.frames) << c.mode;
        EXPECT_EQ(Game::isElementVisible(10, 20), c.columnA) << c.mode;
        EXPECT_EQ(Game::isElementVisible(10, 26), c.columnB) << c.mode;
        EXPECT_EQ(bool(Game::layouts.s_upgradeAvailable), c.mode != 2) << c.mode;
        EXPECT_EQ(Game::upgradeMode(), c.mode);
    }
    // The step grows by 10 points per 300 ms held, up to 200 points.
    Game::initTimers(0);
    Game::timerStatics.gameTime = 5000;
    Game::layouts.s_upgradeHoldTimer = Game::timerAlloc();
    const struct {
        int32_t heldMs, points;
    } holds[] = {{0, 10}, {299, 10}, {300, 20}, {5700, 200}, {9000, 200}};
    for (const auto& h : holds) {
        Game::timerStatics.gameTime = 5000 + h.heldMs;
        Game::stepUpgradePurchase();
        EXPECT_EQ(Game::layouts.s_upgradeStep, h.points << 14) << h.heldMs;
    }
    // Without points the upgrade is not available in either column.
    Game::objects.s_player->m_params->elements()[16] = 0;
    for (int32_t mode : {0, 1}) {
        Game::layouts.s_upgradeAvailable = 1;
        Game::showUpgradePanel(mode);
        EXPECT_FALSE(Game::layouts.s_upgradeAvailable) << mode;
    }
    Game::objects.s_player = nullptr;
}

// The upgrade services as a table: whether the upgrade is complete, what it still needs, and the
// progress bought.
struct UpgradeServices {
    bool complete = false;
    int32_t gap = 0;
    std::vector<std::vector<int32_t>> bought;  // {kind, step, column}
};
UpgradeServices g_upgrades;

TEST_F(LayoutTest, APurchaseStepIsCutToWhatTheUpgradeStillNeeds) {
    levelPartSeams().getUpgradeValue = [](int32_t, int32_t) { return g_upgrades.complete; };
    levelPartSeams().getUpgradeCounterGap = [](int32_t, int32_t) { return g_upgrades.gap; };
    levelPartSeams().addUpgradeProgress = [](int32_t kind, int32_t step, int32_t column) {
        g_upgrades.bought.push_back({kind, step, column});
    };
    Game::objects.s_player = CObject::create(1, 0, 0, 0, om()->newIntArray(30));
    int32_t* p = Game::objects.s_player->m_params->elements();
    Game::layouts.s_menuCursor = 5;  // upgrade kind 2
    Game::layouts.s_upgradeMode = 1;
    Game::initTimers(0);
    Game::timerStatics.gameTime = 5000;
    Game::layouts.s_upgradeHoldTimer = Game::timerAlloc();
    Game::timerStatics.gameTime = 5300;  // held 300 ms: a step of 20 points
    const struct {
        bool complete;
        int32_t gap, points;  // points before the step
        int32_t step;         // bought, points; 0: nothing bought
        int32_t pointsAfter;
        bool available;
    } cases[] = {
        {false, 15, 500, 15, 485, true},  // cut to the gap
        {false, 0, 500, 20, 480, true},   // no gap known: the whole step
        {false, 20, 500, 20, 480, true},  // a gap equal to the step cuts nothing
        {false, 25, 500, 20, 480, true},
        {true, 15, 500, 0, 500, false},   // complete: nothing bought, not available
        {false, 0, 10, 0, 0, false},      // too few points: the gauge stops at 0, no progress
    };
    for (const auto& c : cases) {
        g_upgrades = UpgradeServices{c.complete, c.gap << 14, {}};
        p[16] = c.points << 14;
        p[19] = 1000 << 14;
        Game::layouts.s_upgradeAvailable = 1;
        Game::stepUpgradePurchase();
        const auto expected = c.step == 0 ? std::vector<std::vector<int32_t>>{}
                                          : std::vector<std::vector<int32_t>>{{2, c.step << 14, 1}};
        EXPECT_EQ(g_upgrades.bought, expected) << c.gap << " " << c.complete;
        EXPECT_EQ(p[16], c.pointsAfter << 14) << c.gap;
        EXPECT_EQ(bool(Game::layouts.s_upgradeAvailable), c.available) << c.gap << " " << c.complete;
    }
    levelPartSeams() = {};
    Game::objects.s_player = nullptr;
}

}  // namespace

namespace {

class MenuPaintTest : public LayoutTest {
protected:
    // Menu 3 on the test layout: a panel of five places at element 0, labels 3-7 at y 100, 150 ...
    // 300 (height 40), title 1, message 2; its row holds the given items.
    void menu(std::vector<int32_t> items) {
        loadLayouts();
        std::vector<std::vector<int32_t>> records(8);
        records[0] = {5, 0, 0, 500, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
        records[1] = records[2] = {1, 0, 0, 100, 40};
        for (int k = 0; k < 5; ++k) records[std::size_t(3 + k)] = {1, 100, 100 + 50 * k, 300, 40, 1, 1};
        install(records);
        Game::flowStatics.s_layoutSelection->elements()[kTestLayout] = 0;
        Game::flowStatics.s_menuLayouts->elements()[3] = kTestLayout;
        Game::flowStatics.s_menuFirstElement->elements()[3] = 3;
        IntArray* row = om()->newIntArray(int32_t(items.size()) + 5);
        row->elements()[1] = row->elements()[2] = -1;
        for (std::size_t i = 0; i < items.size(); ++i) row->elements()[3 + i] = items[i];
        row->elements()[row->length - 2] = 2;
        row->elements()[row->length - 1] = -1;
        Game::flowStatics.s_menuTable->elements()[3] = row;
        Game::layouts.s_menu = 3;
        Game::layouts.s_menuPhase = 1;
        for (int32_t i : {18, 23}) {
            auto* h = newObject<ASpriteInstance>();
            h->init(Game::spriteSlot(3), 0, 0, nullptr);
            st.hudInstances->elements()[i] = h;
        }
    }
    // The place of the selected item, from the highlight's height.
    static int32_t selectedPlace() {
        auto* h = static_cast<ASpriteInstance*>(Game::stateStatics.hudInstances->elements()[18]);
        return (h->getY() - 20 - 100) / 50;
    }
    void paint(int32_t cursor) {
        Game::layouts.s_menuCursor = cursor;
        st.redraw = 1;
        Game::paintMenu(Image::createBlankImage(800, 480)->getGraphics(), false);
    }
};

TEST_F(MenuPaintTest, SevenItemsScrollThroughFivePlaces) {
    menu({20, 21, 22, 23, 24, 25, 26});
    const struct {
        int32_t cursor, place;
    } cases[] = {{3, 0}, {5, 2}, {7, 4}, {8, 4}, {9, 4}};
    for (const auto& c : cases) {
        paint(c.cursor);
        EXPECT_EQ(selectedPlace(), c.place) << "cursor " << c.cursor;
    }
}

TEST_F(MenuPaintTest, AnUnlabelledRowTakesAPlaceAndHiddenItemsTakeNone) {
    menu({20, -5, 21, 22, -3});
    // Only the -3 place has a slide: its label would leave the offset at 40.
    for (int k = 0; k < 5; ++k) Game::layoutElement(kTestLayout, 3 + k)->elements()[11] = 0;
    Game::layoutElement(kTestLayout, 6)->elements()[11] = 40;
    Game::layoutElement(kTestLayout, 6)->elements()[14] = 1;
    Game::layoutElement(kTestLayout, 6)->elements()[15] = 2;
    paint(7);
    EXPECT_EQ(selectedPlace(), 3) << "the hidden item takes no place";
    EXPECT_EQ(Game::layouts.s_buttonOffsetX, 0) << "the -3 row draws no label";
    // Four visible items in five places: the labels moved down by 30 px.
    EXPECT_EQ(Game::getTableEntry2(kTestLayout, 3), 130);
}

TEST_F(MenuPaintTest, OnlyARaisedRedrawRebuildsThePicture) {
    menu({20, 21});
    paint(3);
    EXPECT_EQ(st.redraw, 0);
    Game::Graphics* buffer = st.bufferGraphics;
    buffer->setColor(int32_t(0xFFFF0000u));
    buffer->fillRect(0, 0, 800, 480);
    Image* fresh = Image::createBlankImage(800, 480);
    Game::paintMenu(fresh->getGraphics(), false);
    EXPECT_NE(fresh->pixels16()[0], gfx::argbToRgb565(0xFFFF0000u)) << "no copy of the buffer without a redraw";
    EXPECT_EQ(st.bufferImage->pixels16()[0], gfx::argbToRgb565(0xFFFF0000u)) << "the buffer is not rebuilt";
    st.redraw = 1;
    Game::paintMenu(fresh->getGraphics(), false);
    EXPECT_EQ(fresh->pixels16()[0], st.bufferImage->pixels16()[0]) << "a redraw copies the rebuilt buffer";
}

TEST_F(MenuPaintTest, TheUpgradeMenuLabelsEveryEntryAroundTheExpandedRow) {
    loadLayouts();
    // Layout 10: its panel (element 0) asks for expanded rows and would hold two places only;
    // rows 1-14 of height 20 at y 100 + 20 r (8-14 the label places), the option panel's
    // elements 19 (height 30) and 25 (40), the sprite labels 36-45.
    std::vector<std::vector<int32_t>> records(46, std::vector<int32_t>{1, 0, 0, 0, 0});
    records[0] = {5, 0, 0, 500, 300, 0, 0, 71, 81, 91, 101, 1, 0, 0, 2};
    for (int r = 0; r < 7; ++r) records[std::size_t(8 + r)] = {1, 0, 100 + 20 * r, 300, 20};
    records[19][4] = 30;
    records[25][4] = 40;
    for (int e = 36; e < 46; ++e) records[std::size_t(e)] = {0, 0, 5, 3, 0, -1, 1};
    install(records);
    for (ObjectArray* table : {Game::layouts.s_layouts, Game::layouts.s_layoutDefaults})
        table->elements()[10] = table->elements()[kTestLayout];
    Game::flowStatics.s_layoutSelection->elements()[10] = 0;
    Game::flowStatics.s_menuLayouts->elements()[10] = 10;
    Game::flowStatics.s_menuFirstElement->elements()[10] = 8;
    IntArray* row = om()->newIntArray(10);
    const int32_t items[] = {0, -1, -1, 48, 49, 50, 51, 52, 2, 0};
    std::copy(std::begin(items), std::end(items), row->elements());
    Game::flowStatics.s_menuTable->elements()[10] = row;
    CObject::statics.s_countedItems = om()->newIntArray(5);
    for (int i = 0; i < 5; ++i) CObject::statics.s_countedItems->elements()[i] = i;
    Game::layouts.s_menu = 10;
    Game::layouts.s_menuPhase = 1;
    Game::layouts.s_upgradeMode = 0;
    auto* highlight = newObject<ASpriteInstance>();
    highlight->init(Game::spriteSlot(3), 0, 0, nullptr);
    st.hudInstances->elements()[18] = highlight;
    auto frameOf = [](int32_t e) { return int32_t(Game::layoutElement(10, e)->elements()[9]); };

    const struct {
        int32_t cursor;
        std::vector<int32_t> frames;  // of the places 8-14: 101 unselected, 81 selected, 0 untouched
        int32_t highlightY;
    } cases[] = {
        {4, {101, 81, 0, 0, 101, 101, 101}, 130},  // entry 1 expanded: its options take places 10 and 11
        {7, {101, 101, 101, 101, 81, 0, 0}, 190},  // the last entry expanded: nothing below it
    };
    for (const auto& c : cases) {
        for (int32_t e = 8; e < 15; ++e) Game::layoutElement(10, e)->elements()[9] = 0;
        paint(c.cursor);
        std::vector<int32_t> frames;
        for (int32_t e = 8; e < 15; ++e) frames.push_back(frameOf(e));
        EXPECT_EQ(frames, c.frames) << "cursor " << c.cursor;
        EXPECT_EQ(highlight->getY(), c.highlightY) << "cursor " << c.cursor;
        EXPECT_TRUE(Game::isElementVisible(10, 41 + c.cursor - 3)) << "the expanded row's label";
        EXPECT_FALSE(Game::isElementVisible(10, 36 + c.cursor - 3));
        EXPECT_EQ(st.redraw, 0);
    }
    CObject::statics.s_countedItems = nullptr;
}

}  // namespace

namespace {

TEST_F(LayoutTest, PopupsPaintByStateAndStyleAndTheIconByItsAnimation) {
    ObjectArray* popups = om()->newObjectArray(kClass_IntArray, 10);
    for (int i = 0; i < 10; ++i) popups->elements()[i] = om()->newIntArray(21);
    Game::layouts.s_popups = popups;
    Game::objects.s_player = CObject::create(1, 0, 0, 0, om()->newIntArray(30));
    // The row places the newest icon (HUD instance 8); the markers' style places the player.
    auto* newest = newObject<ASpriteInstance>();
    newest->init(Game::spriteSlot(3), -50, -50, nullptr);
    st.hudInstances->elements()[8] = newest;
    Image* image = Image::createBlankImage(800, 480);
    Game::Graphics* g = image->getGraphics();
    auto record = [&](int32_t state, int32_t style) {
        auto* r = static_cast<IntArray*>(Game::layouts.s_popups->elements()[2]);
        const int32_t fields[][2] = {{0, state}, {20, style}, {2, style == 1 ? 1 : 2}, {6, 1}, {7, 1}, {10, 3}};
        for (const auto& f : fields) r->elements()[f[0]] = f[1];
    };
    const struct {
        int32_t current, state, style;
        std::vector<int> calls;  // row painted, player placed
    } cases[] = {{-1, 1, 0, {0, 0}}, {2, 0, 0, {0, 0}}, {2, 4, 0, {0, 0}},
                 {2, 1, 0, {1, 0}},  {2, 2, 1, {0, 2}}, {2, 3, 2, {0, 0}}};
    for (const auto& c : cases) {
        test::g_pendingCalls.clear();
        newest->setPosition(-50, -50);
        Game::layouts.s_currentPopup = c.current;
        record(c.state, c.style);
        Game::paintPopup(g);
        EXPECT_EQ((std::vector<int>{newest->getX() != -50, count("Game::computeLayerOffset")}), c.calls)
            << c.current << " " << c.state << " " << c.style;
    }
    Game::objects.s_player = nullptr;
    // Icons: frames 80-88 are 2 x 2 blocks 4 px apart; frame 0 has the three places, all at 0.
    formats::SpriteData d;
    d.rectSection = true;
    d.modules.push_back({formats::ModuleKind::Filled, 2, 2, 0, 0, 0xFFFF0000u, {}, {}});
    d.frames.resize(89);
    d.frames[0].rects = {{0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}};
    for (int f = 80; f < 89; ++f) d.frames[f].modules = {{0, int16_t((f - 80) * 4), 0, 0}};
    d.palettes = {{0xFFFF0000u}};
    auto* iconSprite = newObject<ASprite>();
    std::vector<uint8_t> bytes = formats::spriteFile(d);
    ByteArray* data = om()->newByteArray(int32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(data->elements()));
    iconSprite->load(data, 0);
    iconSprite->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
    auto* icon = newObject<ASpriteInstance>();
    icon->init(iconSprite, 100, 400, nullptr);
    ASpriteInstance::showFrame(icon, 0);
    st.hudInstances->elements()[11] = icon;
    Game::objects.s_previousItem = 3;
    auto red = [&](int32_t x) { return image->pixels16()[90 * 800 + x] == gfx::argbToRgb565(0xFFFF0000u); };
    for (int32_t anim : {0, 63}) {
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 800, 480);
        icon->anim = anim;
        Game::paintPopupIcon(g, 1, 2);
        // Kind 1 is frame 80, kind 3 (the previous item) 83, kind 2 88; at (120, 90).
        EXPECT_EQ((std::vector<bool>{red(120), red(132), red(152)}),
                  (anim == 63 ? std::vector<bool>{true, true, true} : std::vector<bool>{true, false, false}))
            << anim;
    }
}

}  // namespace
