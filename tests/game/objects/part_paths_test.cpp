#include <gtest/gtest.h>

#include <vector>

#include "framework/sprite/sprite.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/lang/construct.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/sprite_file.h"

namespace {

using Ints = std::vector<int32_t>;

// Frame 0 places module j of 19 at (j, 2j), frame 1 at (j + 30, 2j + 40), frame 2 at (j + 200, 2j).
// Animation 0: frames 0, 1, 1 (times 4, 2, 3); 1: frames 0, 1 (times 0, 5); 2: frames 0, 2 (4, 4).
// Frame 1 also has two rectangle records.
formats::SpriteData machineSprite() {
    formats::SpriteData s;
    s.modules.push_back({formats::ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    s.rectSection = true;
    const int16_t dx[] = {0, 30, 200}, dy[] = {0, 40, 0};
    for (int f = 0; f < 3; ++f) {
        formats::SpriteFrame frame;
        for (int16_t j = 0; j < 19; ++j)
            frame.modules.push_back({0, static_cast<int16_t>(j + dx[f]), static_cast<int16_t>(2 * j + dy[f]), 0});
        if (f == 1) frame.rects = {{-3, -5, 10, 12}, {2, 1, 200, 7}};
        s.frames.push_back(frame);
    }
    s.animations = {{{0, 4, 0, 0, 0}, {1, 2, 7, 9, 0}, {1, 3, 0, 0, 0}},
                    {{0, 0, 0, 0, 0}, {1, 5, 0, 0, 0}},
                    {{0, 4, 0, 0, 0}, {2, 4, 0, 0, 0}}};
    s.palettes = {{0xFF000000u}};
    return s;
}

class PartPathsTest : public mrc::test::WorldTest {
protected:
    ASprite* loadSprite() {
        const std::vector<uint8_t> bytes = formats::spriteFile(machineSprite());
        ByteArray* data = om()->newByteArray(static_cast<int32_t>(bytes.size()));
        for (size_t i = 0; i < bytes.size(); ++i) data->elements()[i] = static_cast<int8_t>(bytes[i]);
        ASprite* sprite = mrc::newObject<ASprite>();
        EXPECT_TRUE(sprite->load(data, 0));
        return sprite;
    }
    static int32_t entry(int32_t row, int32_t i) {
        return static_cast<ShortArray*>(Game::tables.s_rangeEntries->elements()[row])->elements()[i];
    }
};

TEST_F(PartPathsTest, PartsFollowTheirFrameModulesAndMeasureTheWayToTheNextFrame) {
    // 19 layer objects of one template 4 x 2 cells (128 x 64 pixels).
    CObject::statics.s_layerMaps = om()->newObjectArray(mrc::kClass_Object, 1);
    CObject::statics.s_layerMaps->elements()[0] = om()->newObjectArray(mrc::kClass_ShortArray, 4);
    for (int32_t c = 0; c < 4; ++c)
        static_cast<ObjectArray*>(CObject::statics.s_layerMaps->elements()[0])->elements()[c] = om()->newShortArray(2);
    Game::objects.s_layerObjects = om()->newObjectArray(mrc::kClass_CObject, 19);
    for (int32_t j = 0; j < 19; ++j) Game::objects.s_layerObjects->elements()[j] = CObject::create(j, 50, 0, 0, params(30));
    constexpr int32_t kFirstRow = 5, kRows = kFirstRow + 19 * (3 + 2 + 2);
    Game::tables.s_rangeEntries = om()->newObjectArray(mrc::kClass_ShortArray, kRows);
    for (int32_t r = 0; r < kRows; ++r) Game::tables.s_rangeEntries->elements()[r] = om()->newShortArray(7);

    CObject* machine = CObject::create(1, 83, 100, 200, params(70, {{69, kFirstRow}}));
    for (int32_t j = 0; j < 19; ++j) machine->setParam(50 + j, j);
    machine->m_sprite->sprite = loadSprite();
    machine->buildPartPaths();

    struct Row {
        int32_t anim, part, frame;
        int32_t x, y, speed;
    };
    const int32_t x0 = 100 + 64, y0 = 200 + 32;
    const Row rows[] = {
        {0, 0, 0, x0, y0, 200},                 // 50 pixels in 4: 16 x 50 / 4
        {0, 0, 1, x0 + 30, y0 + 40, 0},         // the next frame stands on the same spot
        {0, 0, 2, x0 + 30, y0 + 40, 266},       // the last frame measures back to the first
        {0, 18, 0, x0 + 18, y0 + 36, 200},
        {1, 3, 0, x0 + 3, y0 + 6, 0},           // a frame time of 0
        {1, 3, 1, x0 + 33, y0 + 46, 160},
        {2, 5, 0, x0 + 5, y0 + 10, 799},        // a long way, measured at reduced precision
        {2, 5, 1, x0 + 205, y0 + 10, 799},
    };
    const int32_t animFirst[] = {kFirstRow, kFirstRow + 19 * 3, kFirstRow + 19 * 5};
    const int32_t animLength[] = {3, 2, 2};
    for (const Row& r : rows) {
        const int32_t row = animFirst[r.anim] + animLength[r.anim] * r.part + r.frame;
        EXPECT_EQ((Ints{entry(row, 0), entry(row, 1), entry(row, 4)}), (Ints{r.x, r.y, r.speed}))
            << "animation " << r.anim << " part " << r.part << " frame " << r.frame;
    }
    EXPECT_EQ(entry(kFirstRow - 1, 0), 0) << "rows before the object's block stay";
}

TEST_F(PartPathsTest, FrameRectanglesComeFromTheCurrentAnimFrame) {
    CObject* o = CObject::create(1, 20, 0, 0, params(20));
    o->m_sprite->sprite = loadSprite();
    o->m_sprite->anim = 0;
    o->m_sprite->aframe = 1;  // frame 1, offset (7, 9)
    IntArray* rect = o->getFrameRectRecord(0);
    EXPECT_EQ(rect, ASprite::statics.sharedRect);
    EXPECT_EQ(Ints(rect->elements(), rect->elements() + 4), (Ints{4, 4, 10, 12}));
    o->getFrameRectRecord(1);
    EXPECT_EQ(Ints(rect->elements(), rect->elements() + 4), (Ints{7 - 254, 9 - 255, 200, 7}));
}

TEST_F(PartPathsTest, ColourRectanglesNeedAllThreeSwitches) {
    javax_microedition_lcdui_Image* image = javax_microedition_lcdui_Image::createBlankImage(8, 8);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    struct Case {
        int32_t s0, s7, s12;
        bool painted;
    };
    for (const Case& c : {Case{1, 1, 1, true}, Case{0, 1, 1, false}, Case{1, 2, 1, false}, Case{1, 1, 0, false}}) {
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 8, 8);
        IntArray* record = params(13, {{0, c.s0}, {2, 3}, {3, 2}, {7, c.s7}, {8, 255}, {9, 0}, {10, 0}, {12, c.s12}});
        CObject::paintColourRect(g, record, 1, 1);
        IntArray* pixels = om()->newIntArray(64);
        image->getRGB(pixels, 0, 8, 0, 0, 8, 8);
        EXPECT_EQ(static_cast<uint32_t>(pixels->elements()[1 * 8 + 1]), c.painted ? 0xFFFF0000u : 0xFFFFFFFFu);
        EXPECT_EQ(static_cast<uint32_t>(pixels->elements()[2 * 8 + 3]), c.painted ? 0xFFFF0000u : 0xFFFFFFFFu);
        EXPECT_EQ(static_cast<uint32_t>(pixels->elements()[3 * 8 + 1]), 0xFFFFFFFFu);
    }
}

TEST_F(PartPathsTest, ObjectBoxesTurnAroundTheAnchorByFacing) {
    Game::levelSetup.s_kindAnchors = om()->newObjectArray(mrc::kClass_ShortArray, 3);
    ShortArray* anchor = om()->newShortArray(2);
    Game::levelSetup.s_kindAnchors->elements()[2] = anchor;
    anchor->elements()[0] = 4, anchor->elements()[1] = 6;
    Game::objects.s_actionRecords = om()->newObjectArray(mrc::kClass_ObjectArray, 3);
    ObjectArray* records = om()->newObjectArray(mrc::kClass_ShortArray, 1);
    Game::objects.s_actionRecords->elements()[2] = records;
    ShortArray* action = om()->newShortArray(4);
    records->elements()[0] = action;
    const int16_t b[] = {2, 3, 10, 20};
    for (int32_t i = 0; i < 4; ++i) action->elements()[i] = b[i];

    javax_microedition_lcdui_Image* image = javax_microedition_lcdui_Image::createBlankImage(120, 120);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    // The object at (50, 60): anchor point (54, 66). Corners of the box, and one point inside it.
    struct Case {
        int32_t facing;
        int32_t cornerX, cornerY, farX, farY;
    };
    const Case cases[] = {
        {CObject::kRight, 52, 63, 62, 83},
        {CObject::kLeft, 46, 63, 56, 83},  // mirrored around the anchor
        {CObject::kDown, 44, 64, 64, 74},
        {CObject::kUp, 44, 58, 64, 68},
    };
    IntArray* pixels = om()->newIntArray(120 * 120);
    auto at = [&](int32_t x, int32_t y) { return static_cast<uint32_t>(pixels->elements()[y * 120 + x]); };
    for (const Case& c : cases) {
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 120, 120);
        CObject* o = CObject::create(1, 20, 60, 70, params(20, {{3, 2}, {16, c.facing}}));
        Game::paintObjectBoxes(g, 10, 10, o, 0xFF0000);
        image->getRGB(pixels, 0, 120, 0, 0, 120, 120);
        EXPECT_EQ(at(c.cornerX, c.cornerY), 0xFFFF0000u) << c.facing;
        EXPECT_EQ(at(c.farX, c.farY), 0xFFFF0000u) << c.facing;
        EXPECT_EQ(at(c.cornerX + 1, c.cornerY + 1), 0xFFFFFFFFu) << c.facing;
        EXPECT_EQ(at(22, 34), 0xFFFF0000u) << "the 64 x 64 square about the anchor";
        EXPECT_EQ(at(86, 98), 0xFFFF0000u);
    }
}

TEST_F(PartPathsTest, EffectInstancesStartFree) {
    Game::stateStatics.sprites = om()->newObjectArray(mrc::kClass_Object, Game::kSpriteSlots);
    ASprite* sprite = mrc::newObject<ASprite>();
    Game::stateStatics.sprites->elements()[35] = sprite;
    Game::createEffectInstances();
    ASSERT_EQ(CObject::statics.s_effectInstances->length, 10);
    for (int32_t i = 0; i < 10; ++i) {
        auto* s = static_cast<ASpriteInstance*>(CObject::statics.s_effectInstances->elements()[i]);
        EXPECT_EQ(s->sprite, sprite);
        EXPECT_EQ(s->anim, -1);
        EXPECT_EQ(s->x, 0);
    }
}

}  // namespace
