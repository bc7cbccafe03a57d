// The object painters over the sample data: the sprites that the loading lists and the object
// sprite ids read come out of the written data.bar with the frames and animations the painters
// index, and the marker, the arrow and the kinds' painters draw them where they belong.
#include <gtest/gtest.h>

#include "framework/core/game_timers.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"
#include "runtime/core/static_class.h"
#include "tests/game/archive_game_fixture.h"
#include "tools/sample_data/object_paint_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

using namespace mrc;
using namespace sample_data;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

constexpr int32_t kFirstObjectSlot = 40;  // the object sprites' slots in these tests
constexpr int32_t kFaceRight = 0x1010;

class ObjectPaintDataTest : public test::ArchiveGameTest {
protected:
    ObjectPaintDataTest() : ArchiveGameTest("veltrano-object-paint") {}

    void saveData() override {
        ASSERT_TRUE(buildArchive().save(m_root / "data" / formats::kArchiveFileName));
    }
    void SetUp() override {
        ArchiveGameTest::SetUp();
        // The layouts, the object sprites, then sprites 16, 22 and 35 and the HUD instances as
        // start-up's list loads them (each pack's entries in ascending order).
        std::vector<std::vector<int32_t>> commands = {{18, 12}};
        for (int32_t k = 0; k < kObjectSpriteCount; ++k) commands.push_back({3, kObjectSpritePack, k, kFirstObjectSlot + k, -1, 2});
        for (std::vector<int32_t> c : {std::vector<int32_t>{3, 21, 0, 16, -1, 2}, {3, 21, 2, 22, -1, 2}, {3, 21, 4, 35, 0, 2}, {14, 11}})
            commands.push_back(c);
        st.loadScript = script(commands);
        st.loadIndex = 0;
        for (int i = 0; i < 100 && (Game::loadStep() & Game::kLoadFinished) == 0; ++i) {
        }
        Game::initTimers(0);
        Game::timerStatics.gameTime = 10000;
        ASpriteInstance::statics.logicStepsThisFrame = 1;
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        m_image = Image::createBlankImage(800, 480);
        m_g = m_image->getGraphics();
        app()->staticClass->addRoot(&m_image);
        app()->staticClass->addRoot(&m_g);
        clear();
    }
    void TearDown() override {
        Game::objects.s_player = nullptr;
        Game::objects.s_selectedObject = nullptr;
        Game::objects.s_templates = nullptr;
        Game::interaction = InteractionStatics{};
        CObject::statics.s_layerMaps = CObject::statics.s_layerGroupValues = nullptr;
        CObject::statics.s_effectInstances = nullptr;
        CObject::statics.s_markerCount = 0;
        ArchiveGameTest::TearDown();
    }

    static ASprite* objectSprite(int32_t k) { return Game::spriteSlot(kFirstObjectSlot + k); }
    static ASpriteInstance* hud(int32_t i) { return static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, i)); }
    // An object of the type at pixel (x, y) showing animation `anim` of object sprite k.
    static CObject* object(int32_t type, int32_t k, int32_t anim, int32_t x, int32_t y,
                           std::initializer_list<std::pair<int32_t, int32_t>> values = {}) {
        CObject* o = CObject::create(1, type, x, y, om()->newIntArray(60));
        for (const auto& [i, v] : values) o->setParam(i, v);
        o->m_sprite->setSprite(objectSprite(k));
        o->m_sprite->setAnim(anim);
        o->m_sortKey = y * 256 + x;
        return o;
    }
    void clear() {
        m_g->setClip(0, 0, 800, 480);
        m_g->setColor(0);
        m_g->fillRect(0, 0, 800, 480);
    }
    uint16_t at(int32_t x, int32_t y) const { return m_image->pixels16()[y * (m_image->stride / 2) + x]; }
    bool is(int32_t x, int32_t y, uint32_t argb) const { return at(x, y) == gfx::argbToRgb565(argb); }
    static int32_t frameCount(ASprite* s) { return s == nullptr || isNull(s->frameModuleCount) ? 0 : s->frameModuleCount->length; }
    static int32_t animCount(ASprite* s) { return s == nullptr || isNull(s->animFrameCount) ? 0 : s->animFrameCount->length; }

    Image* m_image = nullptr;
    Graphics* m_g = nullptr;
};

TEST_F(ObjectPaintDataTest, TheSpritesLoadWithTheFramesAndAnimationsThePaintersIndex) {
    ASprite* hudSprite = Game::spriteSlot(16);
    ASSERT_NE(hudSprite, nullptr);
    IntArray* arrow = Game::getFrameRectTemp(hudSprite, kArrowFrame, 0, 0, 0);
    EXPECT_EQ(arrow->elements()[2] - arrow->elements()[0], 32) << "the arrow frame's width";
    EXPECT_EQ(arrow->elements()[3] - arrow->elements()[1], 32);
    for (int32_t a : {0, 1, 12, 13, 14, 15, 16, 17, 18, 19, 20}) EXPECT_EQ(hudSprite->getAnimLength(a), 2) << "animation " << a;
    for (int32_t i : {1, 5, 14, 15}) {
        ASSERT_NE(hud(i), nullptr) << "HUD instance " << i;
        EXPECT_EQ(hud(i)->sprite, hudSprite) << "HUD instance " << i;
    }
    EXPECT_EQ(frameCount(Game::spriteSlot(22)), kRegionFrames);
    ASprite* effects = Game::spriteSlot(CObject::kEffectInstanceSprite);
    ASSERT_EQ(animCount(effects), kEffectAnims);
    for (int32_t a = 0; a < kEffectAnims; ++a) EXPECT_EQ(effects->getAnimLength(a), 3) << "burst " << a;

    for (int32_t k = 0; k < kObjectSpriteCount; ++k) ASSERT_NE(objectSprite(k), nullptr) << "object sprite " << k;
    EXPECT_EQ(objectSprite(kTileLayerSprite)->paletteCount, 2);
    EXPECT_EQ(objectSprite(kChargeSprite)->getAnimLength(0), kChargeFrames);
    EXPECT_EQ(frameCount(objectSprite(kPromptObjectSprite)), kFirstMarkFrame + kMarkFrames);
    for (int32_t a = 36; a <= 38; ++a) EXPECT_EQ(objectSprite(kPromptObjectSprite)->getFlippedItemCount(a, 0), 2);
    EXPECT_EQ(objectSprite(kTemplateSprite)->getAnimLength(kTemplateSideAnim + 1), 2);
    EXPECT_EQ(objectSprite(kPoolSprite)->paletteCount, 3);
}

TEST_F(ObjectPaintDataTest, TheMarkerStandsOnTheFacedObjectAndTheArrowAtTheEdgeTowardTheGoal) {
    CObject* player = CObject::create(1, 0, 400, 300, om()->newIntArray(60));
    player->m_sortKey = 300 * 256 + 400;
    Game::objects.s_player = player;
    CObject::statics.s_inputDirection = kFaceRight;
    // A crate (type 82) two cells ahead, and a chest (type 1) behind the player.
    CObject* crate = object(82, kPropSprite, 0, 464, 300);
    CObject* chest = object(1, kPropSprite, 1, 336, 300);
    ObjectArray* view = om()->newObjectArray(kClass_CObject, 2);
    view->elements()[0] = chest;
    view->elements()[1] = crate;
    Game::interaction.s_viewInteractables = view;
    Game::interaction.s_viewInteractableCount = 2;
    Game::selectInteractionTarget();
    ASSERT_EQ(Game::objects.s_selectedObject, crate);
    EXPECT_EQ(hud(1)->anim, kLookMarkerAnim);
    Game::paintHudInstance(m_g);
    EXPECT_TRUE(is(464, 268 - 22, kMarkerColour)) << "the ring over the crate's top (y 268)";
    EXPECT_FALSE(is(464, 268 - 18, kMarkerColour)) << "the ring's hole";

    // A goal beyond the right edge, then beyond the left and the top.
    state(7, 0);
    Game::interaction.s_indicatorMargins = om()->newIntArray(4);
    std::fill_n(Game::interaction.s_indicatorMargins->elements(), 4, 24);
    Game::interaction.s_indicatorAnim = -1;
    Game::interaction.s_indicatorPointX = 1200;
    Game::interaction.s_indicatorPointY = 240;
    Game::updateTargetIndicator();
    EXPECT_EQ(Game::interaction.s_indicatorAnim, 15);
    EXPECT_EQ(hud(14)->x >> 14, 800 - 24);
    hud(14)->paint(m_g);
    EXPECT_TRUE(is(776, 240, kArrowColour)) << "the arrow's middle on the right edge";
    EXPECT_TRUE(is(776 + 10, 240, kArrowColour)) << "its head toward the goal";
    EXPECT_FALSE(is(776 - 10, 240 - 10, kArrowColour)) << "no head behind the shaft";

    clear();
    Game::interaction.s_indicatorPointX = -1;
    CObject* far = object(82, kPropSprite, 0, -200, -100);
    Game::interaction.s_indicatorTarget = far;
    Game::updateTargetIndicator();
    EXPECT_EQ(Game::interaction.s_indicatorAnim, 16) << "up and left";
    EXPECT_EQ(hud(14)->x >> 14, 24 + 16) << "moved in by half the arrow frame";
    EXPECT_EQ(hud(14)->y >> 14, kArrowAreaTop) << "then kept in layout 6's arrow area";
    hud(14)->paint(m_g);
    EXPECT_TRUE(is(40, kArrowAreaTop, kArrowColour));
    EXPECT_TRUE(is(40 - 8, kArrowAreaTop - 8, kArrowColour)) << "pointing up-left";
}

TEST_F(ObjectPaintDataTest, TheKindsPaintersDrawTheirPictures) {
    // A charge starting now shows its first step; after params[8] ms the full column.
    const int32_t timer = Game::timerAlloc();
    CObject* charge = object(61, kChargeSprite, 0, 100, 200, {{14, 1}, {5, 0}, {8, 1000}, {15, timer}});
    charge->drawByKind(m_g, true);
    EXPECT_TRUE(is(100, 200 - 3, 0xFF52A0E0u)) << "the first eighth filled";
    EXPECT_TRUE(is(100, 200 - 40, 0xFF20242Cu)) << "the housing above it";
    Game::timerStatics.gameTime += 1000;
    charge->drawByKind(m_g, true);
    EXPECT_TRUE(is(100, 200 - 40, 0xFF52A0E0u)) << "filled to the top";

    // An orb of the pools in palette 1 (red).
    CObject* orb = object(300, kPoolSprite, 0, 200, 200, {{0, 1}, {17, -1}, {18, 1}});
    orb->drawByKind(m_g, true);
    EXPECT_TRUE(is(200 + 7, 200, 0xFFB03A2Fu)) << "the red orb's body";

    // A tablet with two marks (markers 1: the first place from the animation, the second from the frame).
    CObject::statics.s_markerCount = 1;
    CObject* tablet = object(69, kPromptObjectSprite, 37, 300, 200, {{4, 1}, {5, 3}, {0, 2}});
    tablet->drawByKind(m_g, true);
    EXPECT_TRUE(is(300 - 10 + 3, 200 - 40 + 3, 0xFF60C060u)) << "mark 2 on the first place";
    EXPECT_TRUE(is(300 + 4 + 3, 200 - 40 + 3, 0xFF60C060u)) << "and on the second";
    EXPECT_TRUE(is(300, 200 - 20, 0xFF8A8A9Au)) << "the tablet under them";

    // A gate whose template's side is 0: the lock plate of animation 74 at the lock's place.
    CObject* templ = CObject::create(2, 80, 0, 0, om()->newIntArray(60));
    Game::objects.s_templates = om()->newObjectArray(kClass_CObject, 1);
    Game::objects.s_templates->elements()[0] = templ;
    CObject* gate = object(80, kTemplateSprite, 0, 400, 200, {{27, 0}, {9, 0}, {32, 0}});
    CObject::paintKind80(m_g, gate);
    EXPECT_TRUE(is(400 - 6 + 6, 200 - 34 + 6, 0xFFE0A526u)) << "the shut plate";
    EXPECT_TRUE(is(400 - 20, 200 - 30, 0xFF5A3A1Au)) << "the gate's post";

    // A tile layer at the screen's corner, moss palette: tile 1 (bricks) in cell (1, 0).
    CObject::statics.s_layerMaps = om()->newObjectArray(kClass_ObjectArray, 1);
    ObjectArray* grid = om()->newObjectArray(kClass_ShortArray, 2);
    CObject::statics.s_layerMaps->elements()[0] = grid;
    for (int32_t c = 0; c < 2; ++c) {
        ShortArray* column = om()->newShortArray(1);
        column->elements()[0] = int16_t(c);
        grid->elements()[c] = column;
    }
    CObject::statics.s_layerGroupValues = om()->newObjectArray(kClass_ASprite, 1);
    CObject::statics.s_layerGroupValues->elements()[0] = objectSprite(kTileLayerSprite);
    CObject* layer = object(50, kTileLayerSprite, 0, 0, 0, {{16, 0}, {18, 0}, {2, 1}});
    layer->drawByKind(m_g, true);
    EXPECT_TRUE(is(10, 10, 0xFF3E5A2Eu)) << "the block's face in moss";
    EXPECT_TRUE(is(32 + 10, 0, 0xFF223418u)) << "the bricks' mortar";
}

TEST_F(ObjectPaintDataTest, AnEffectBurstPlaysThroughOnceAndIsForgotten) {
    Game::createEffectInstances();
    CObject* owner = object(82, kPropSprite, 0, 0, 0);
    const int32_t i = CObject::showDirectionEffect(kFaceRight);
    ASSERT_GE(i, 0);
    int32_t paints = 0;
    for (int32_t result = i; result >= 0 && paints < 10; ++paints) result = owner->paintPart(result, 300 << 14, 200 << 14, m_g);
    EXPECT_EQ(paints, 4) << "three frames, the last painted once more as the burst ends";
    int32_t lit = 0;
    for (int32_t x = 300; x < 330; ++x) lit += at(x, 200) != 0 ? 1 : 0;
    EXPECT_GT(lit, 10) << "the streak thrown to the right";
}

}  // namespace
