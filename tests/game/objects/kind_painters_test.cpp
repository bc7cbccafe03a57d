// The per-kind object painters on a real Image, with the routines they reach that are not built
// yet recorded through the stand-ins' seam: dispatch by type, the placement undone whatever ran,
// palettes, the player's clip, effects switched around single calls, progress frames, strips,
// prompt objects and the HUD marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/game_timers.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/pending.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/sprite_file.h"

namespace {

using namespace mrc;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

constexpr uint32_t kColours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};

// Frame f is a 10 x 10 block of colour f; animation 0 shows frame 0, animation 1 frames 0-3.
formats::SpriteData blocks() {
    formats::SpriteData s;
    for (int f = 0; f < 4; ++f) {
        s.modules.push_back({formats::ModuleKind::Filled, 10, 10, 0, 0, kColours[f], {}, {}});
        s.frames.push_back({{{f, 0, 0, 0}}, {}, {}});
    }
    // Frame 0 has a rectangle record: where the template sides and the overlay are placed.
    s.frames[0].rects = {{2, 3, 4, 5}};
    s.rectSection = true;
    s.animations.push_back({{0, 1, 0, 0, 0}});
    s.animations.push_back({{0, 1, 0, 0, 0}, {1, 1, 0, 0, 0}, {2, 1, 0, 0, 0}, {3, 1, 0, 0, 0}});
    // The template sides: animation 74 shows frame 1, 75 frame 2.
    s.animations.resize(76, {{3, 1, 0, 0, 0}});
    s.animations[74] = {{1, 1, 0, 0, 0}};
    s.animations[75] = {{2, 1, 0, 0, 0}};
    s.palettes = {{0xFF000000u}, {0xFFFFFFFFu}};
    return s;
}

// What the stand-ins were asked, without their class prefix.
std::vector<std::string> g_standInCalls;
Graphics* g_graphics = nullptr;
std::vector<int32_t> g_clipSeen;
void record(const char* name) {
    std::string n(name);
    n = n.substr(n.find("::") + 2);
    g_standInCalls.push_back(n);
    if (n == "paintWithShadow" && g_graphics != nullptr)
        g_clipSeen = {g_graphics->getClipX(), g_graphics->getClipY(), g_graphics->getClipWidth(),
                      g_graphics->getClipHeight()};
}

class KindPaintersTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        GameOverlay::overlayStatics.boxRects = om()->newIntArray(8);
        Game::createOverlayBuffer();
        Game::initPaintEffects();
        Game::kindPaint = KindPaintStatics{};
        Game::hudGauges = HudGaugeStatics{};
        Game::stateStatics.playMode = 0;
        CObject::statics.s_playerState = 0;
        CObject::statics.s_itemSequence = 0;
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        // The sprite table roots the sprite before the next allocation can collect.
        Game::stateStatics.sprites = om()->newObjectArray(kClass_ASprite, 60);
        m_sprite = newObject<ASprite>();
        Game::stateStatics.sprites->elements()[0] = m_sprite;
        std::vector<uint8_t> bytes = formats::spriteFile(blocks());
        ByteArray* data = om()->newByteArray(int32_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(data->elements()));
        m_sprite->load(data, 0);
        m_sprite->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        Game::stateStatics.hudInstances = om()->newObjectArray(kClass_ASpriteInstance, 34);
        m_image = Image::createBlankImage(800, 100);
        g_graphics = m_image->getGraphics();
        // The picture and its Graphics live in the fixture: roots of their own.
        app()->staticClass->addRoot(&m_image);
        app()->staticClass->addRoot(&g_graphics);
        g_standInCalls.clear();
        g_clipSeen.clear();
        game_pending::observer = &record;
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        g_graphics = nullptr;
        WorldTest::TearDown();
    }

    // An object of the type at pixel (x, y) showing animation 0 of the block sprite.
    CObject* shown(int32_t type, std::map<int32_t, int32_t> values = {}, int32_t x = 20, int32_t y = 20) {
        CObject* o = object(1, type, std::move(values), 50, x, y);
        o->m_sprite->setSprite(m_sprite);
        o->m_sprite->setAnim(0);
        return o;
    }
    ASpriteInstance* instance(int32_t anim) {
        auto* i = newObject<ASpriteInstance>();
        i->init(m_sprite, 0, 0, nullptr);
        i->setAnim(anim);
        return i;
    }
    uint16_t at(int32_t x, int32_t y) const { return m_image->pixels16()[y * (m_image->stride / 2) + x]; }
    static uint16_t colour(int32_t f) { return gfx::argbToRgb565(kColours[f]); }
    void clear() {
        g_graphics->setColor(0);
        g_graphics->fillRect(0, 0, 800, 100);
        g_standInCalls.clear();
    }
    using Calls = std::vector<std::string>;
    // The stand-ins a drawing of a player-like object asks: its region frame when framed, then its painter.
    static Calls framedCalls(bool region, const char* painter) {
        Calls c{"computeLayerOffset"};
        if (region) c.push_back("paintFrameAndCheckRegion");
        c.insert(c.end(), {painter, "computeLayerOffsetAlt"});
        return c;
    }

    ASprite* m_sprite = nullptr;
    Image* m_image = nullptr;
};

TEST_F(KindPaintersTest, EachTypeReachesItsPainterAndThePlacementIsUndone) {
    const struct {
        int32_t type;
        std::map<int32_t, int32_t> params;
        Calls between;  // what runs between the placement and its undoing
        bool instanceShown;
    } cases[] = {
        {82, {}, {}, true},  // the plain instance
        {83, {}, {"paintByKind80To88"}, false},
        {80, {}, {"paintByKind80To88"}, false},
        {16, {}, {}, false},  // the list painter: nothing for an object not collected into a list
        {301, {}, {"startObjectSound"}, false},
        {303, {{0, 2}}, {"paintParticles"}, false},
        {303, {{0, -1}}, {}, false},  // no emitter
        {50, {}, {}, false},          // no layer map yet
        {5, {{14, 7}}, {"paintByType"}, false},  // not visible: no remap, no region frame
    };
    for (const auto& c : cases) {
        CObject* o = shown(c.type, c.params);
        clear();
        o->drawByKind(g_graphics, true);
        Calls expected{"computeLayerOffset"};
        expected.insert(expected.end(), c.between.begin(), c.between.end());
        expected.push_back("computeLayerOffsetAlt");
        EXPECT_EQ(g_standInCalls, expected) << c.type;
        EXPECT_EQ(at(20, 20) == colour(0), c.instanceShown) << c.type;
    }
}

TEST_F(KindPaintersTest, ObjectsWithoutWhatTheyNeedAreNotDrawnExceptThePoolsThatNeedNoSprite) {
    CObject* bare = object(1, 82, {}, 50, 20, 20);
    bare->m_sprite = nullptr;
    bare->drawByKind(g_graphics, false);
    EXPECT_EQ(g_standInCalls, Calls{}) << "no instance";
    CObject* five = object(1, 5, {}, 50, 20, 20);  // an instance without a sprite
    five->drawByKind(g_graphics, false);
    EXPECT_EQ(g_standInCalls, Calls{}) << "type 5 without a sprite";
    CObject* sound = object(1, 301, {{0, 1}}, 50, 20, 20);
    sound->drawByKind(g_graphics, false);
    EXPECT_EQ(g_standInCalls, (Calls{"computeLayerOffset", "startObjectSound", "computeLayerOffsetAlt"}));
}

TEST_F(KindPaintersTest, ThePlayersRegionFrameDependsOnItsStateAndThePlayMode) {
    const struct {
        int32_t playMode, state, sequence;
        bool region;
    } cases[] = {{0, 0, 0, true}, {2, 0, 0, false}, {0, 9, 0, false}, {0, 10, 0, false}, {0, 25, 0, false},
                 {0, 7, 7, false}, {0, 7, 8, false}, {0, 7, 3, true}};
    for (const auto& c : cases) {
        Game::stateStatics.playMode = c.playMode;
        CObject::statics.s_playerState = c.state;
        CObject::statics.s_itemSequence = c.sequence;
        CObject* player = shown(0, {{2, 1}, {3, 1}});
        clear();
        player->drawByKind(g_graphics, false);
        EXPECT_EQ(g_standInCalls, framedCalls(c.region, "paintWithShadow")) << c.playMode << " " << c.state << " " << c.sequence;
        EXPECT_EQ(m_sprite->getModuleMapping(), 1) << "the remap from params[2]";
        EXPECT_EQ(m_sprite->getPalette(), 1) << "the palette from the type property";
    }
    // A type-1 object only with params[10] 1.
    for (int32_t flag : {0, 1}) {
        clear();
        shown(1, {{10, flag}})->drawByKind(g_graphics, false);
        EXPECT_EQ(g_standInCalls.size(), flag == 1 ? 3u : 2u) << flag;
    }
}

TEST_F(KindPaintersTest, AVisibleTypeFiveIsRemappedAndFramedOnlyOutOfStateFiveWithItsModeZero) {
    const struct {
        int32_t state, substate, mode;
        bool remapped, region;
    } cases[] = {{0, 0, 0, true, true},   {5, 0, 0, true, false},  {0, 0, 1, true, false},
                 {7, 0, 0, false, false}, {13, 0, 0, false, false}, {5, 2, 0, false, false}};
    for (const auto& c : cases) {
        m_sprite->setModuleMapping(-1);
        m_sprite->setPalette(0);
        CObject* o = shown(5, {{2, 1}, {14, c.state}, {15, c.substate}, {40, c.mode}});
        clear();
        o->drawByKind(g_graphics, false);
        EXPECT_EQ(g_standInCalls, framedCalls(c.region, "paintByType")) << c.state << " " << c.substate << " " << c.mode;
        EXPECT_EQ(m_sprite->getModuleMapping(), c.remapped ? 1 : -1) << c.state << " " << c.substate;
        if (!c.remapped) {
            EXPECT_EQ(m_sprite->getPalette(), 0) << "no palette change when not visible";
        }
    }
}

TEST_F(KindPaintersTest, APaletteIsTakenOnlyBelowTheCount) {
    m_sprite->setPalette(0);
    shown(12, {{10, 1}})->drawByKind(g_graphics, false);  // type 12 keys its palette on params[10]
    EXPECT_EQ(m_sprite->getPalette(), 1);
    shown(12, {{10, 2}})->drawByKind(g_graphics, false);  // equal to the count: left
    EXPECT_EQ(m_sprite->getPalette(), 1);
    shown(12, {{10, -1}})->drawByKind(g_graphics, false);
    EXPECT_EQ(m_sprite->getPalette(), 1);
}

TEST_F(KindPaintersTest, ThePlayersClipNeedsBothSidesAndIsRestored) {
    Game::setPlayerClipRect(30, 40, 0, 100);
    EXPECT_FALSE(Game::kindPaint.s_playerClipOn) << "width 0 never switches it on";
    GameMath::mathStatics.cameraX = 10 << 14;
    shown(0)->drawByKind(g_graphics, false);
    EXPECT_EQ(g_clipSeen, (std::vector<int32_t>{0, 0, 800, 100}));
    Game::setPlayerClipRect(30, 40, 50, 20);
    ASSERT_TRUE(Game::kindPaint.s_playerClipOn);
    shown(0)->drawByKind(g_graphics, false);
    EXPECT_EQ(g_clipSeen, (std::vector<int32_t>{20, 40, 50, 20})) << "narrowed in screen pixels";
    EXPECT_EQ((std::vector<int32_t>{g_graphics->getClipX(), g_graphics->getClipY(), g_graphics->getClipWidth(),
                                    g_graphics->getClipHeight()}),
              (std::vector<int32_t>{0, 0, 800, 100}))
        << "restored after the painter";
}

TEST_F(KindPaintersTest, EffectBitsRaisedAroundASingleCallAreClearedAgain) {
    // Type 15 glints only with params[11] 0: row 2 takes params[24] and the band width 20.
    for (int32_t state : {0, 1}) {
        Game::paintEffectRow(2)->elements()[0] = Game::paintEffectRow(2)->elements()[1] = 0;
        clear();
        shown(15, {{11, state}, {24, 3 << 14}})->drawByKind(g_graphics, false);
        EXPECT_EQ(Game::paintEffectRow(2)->elements()[0], state == 0 ? 3 << 14 : 0);
        EXPECT_EQ(Game::paintEffectRow(2)->elements()[1], state == 0 ? 20 : 0);
        EXPECT_EQ(GameBase::statics.paintEffectFlags & 4, 0);
        EXPECT_NE(at(25, 25), 0) << "drawn either way";
    }
    Game::hudStatics.s_chainCount = 6;
    shown(306, {{0, 1}})->drawByKind(g_graphics, false);
    EXPECT_EQ(Game::paintEffectRow(8)->elements()[0], 12) << "twice the chain count";
    shown(300, {{0, 1}, {11, 1}, {17, 0}, {18, 1}})->drawByKind(g_graphics, false);
    shown(302, {{0, 1}, {1, -1}, {6, 16}, {7, -1}, {8, -1}})->drawByKind(g_graphics, false);
    EXPECT_EQ(GameBase::statics.paintEffectFlags & (16 | 0x100 | 0x800), 0);
    // Pools drawn only while in use.
    for (int32_t type : {300, 302, 306}) {
        clear();
        shown(type, {{0, 0}})->drawByKind(g_graphics, false);
        EXPECT_EQ(at(25, 25), 0) << type;
    }
}

TEST_F(KindPaintersTest, TheStripRepeatsToTheScreenEdgeOnlyWithAStepOfAPixelOrMore) {
    CObject* strip = shown(12, {{11, 301 << 14}}, 5, 5);
    clear();
    strip->drawByKind(g_graphics, false);
    for (int32_t x : {5, 305, 605}) EXPECT_EQ(at(x, 5), colour(0)) << x;
    EXPECT_EQ(at(305 - 1, 5), 0);
    EXPECT_EQ(strip->m_sprite->getX(), 5) << "the instance is put back";
    for (int32_t s : {1, 0}) {
        strip->setParam(11, s << 14);
        clear();
        strip->drawByKind(g_graphics, false);
        EXPECT_EQ(at(5, 5), colour(0));
        EXPECT_EQ(at(15, 5), 0) << "the first copy only, step " << s - 1;
    }
}

TEST_F(KindPaintersTest, AChargeRunsItsAnimationOnceOverItsTime) {
    Game::initTimers(0);
    Game::timerStatics.gameTime = 1000;
    const int32_t timer = Game::timerAlloc();
    const struct {
        int32_t state, elapsed, frame;  // -1: nothing
    } cases[] = {{1, 0, 0}, {1, 500, 1}, {1, 999, 2}, {1, 1000, 3}, {1, 5000, 3}, {2, 0, 0}, {0, 0, -1}};
    for (const auto& c : cases) {
        Game::timerStatics.gameTime = 1000 + c.elapsed;
        CObject* charge = shown(61, {{14, c.state}, {5, 1}, {15, timer}, {8, 1000}});
        clear();
        charge->drawByKind(g_graphics, false);
        EXPECT_EQ(at(25, 25), c.frame < 0 ? 0 : colour(c.frame)) << c.state << " " << c.elapsed;
    }
}

TEST_F(KindPaintersTest, PromptObjectsDrawByTheirStep) {
    // The prompt box itself (steps 4 and 5) is the prompt boxes' painter, tested with them; here
    // the object's own instance by its step.
    const struct {
        int32_t show, step;
        bool instance;
    } cases[] = {{0, 0, true},  {1, 1, true},  {1, 2, true}, {1, 3, true},  {1, 4, true},
                 {1, 5, true},  {1, 6, true},  {1, 7, true}, {1, 8, false}, {2, 1, false}};
    for (const auto& c : cases) {
        CObject* prompt = shown(69, {{4, c.show}, {5, c.step}});
        clear();
        CObject::paintKind69(g_graphics, prompt);
        EXPECT_EQ(at(25, 25) == colour(0), c.instance) << c.show << " " << c.step;
    }
}

TEST_F(KindPaintersTest, AnEndedEffectIsPaintedOnceMoreThenForgotten) {
    CObject::statics.s_effectInstances = om()->newObjectArray(kClass_ASpriteInstance, 10);
    ASpriteInstance* effect = instance(1);
    effect->setAnimLoop(1, 0);
    CObject::statics.s_effectInstances->elements()[3] = effect;
    Game::kindPaint.s_kindRects = om()->newObjectArray(kClass_ShortArray, 2);
    ShortArray* rect = om()->newShortArray(4);
    const int16_t r[] = {2, 4, 10, -6};
    std::copy(std::begin(r), std::end(r), rect->elements());
    Game::kindPaint.s_kindRects->elements()[1] = rect;
    CObject* owner = shown(5, {{3, 1}});
    EXPECT_EQ(owner->paintPart(-1, 0, 0, g_graphics), -1);
    clear();
    EXPECT_EQ(owner->paintPart(3, 100 << 14, 50 << 14, g_graphics), 3);
    EXPECT_EQ(effect->getX(), 100 + 5 + 2);
    EXPECT_EQ(effect->getY(), 50 + 4 - 3);
    EXPECT_EQ(at(107, 51), colour(0));
    effect->ended = 1;
    clear();
    EXPECT_EQ(owner->paintPart(3, 100 << 14, 50 << 14, g_graphics), -1);
    EXPECT_NE(at(107, 51), 0) << "painted once more";
    EXPECT_EQ(effect->anim, -1);
}

TEST_F(KindPaintersTest, TheHudMarkerFollowsTheObjectsParametersAndThePlayMode) {
    auto* marker = instance(0);
    Game::stateStatics.hudInstances->elements()[5] = marker;
    const struct {
        int32_t mode;
        std::map<int32_t, int32_t> params;
        bool blockA, state0;
        bool shown;
    } cases[] = {
        {0, {{0, 1}, {1, 1}}, false, true, true},
        {0, {{0, 1}, {1, 1}}, true, true, false},
        {2, {{0, 1}, {1, 1}, {4, 1}}, false, true, true},
        {2, {{0, 1}, {1, 1}, {4, 1}}, false, false, false},
        {2, {{4, 0}, {10, 1}}, false, true, true},
        {2, {{4, 0}, {10, 0}}, false, true, false},
        {1, {{0, 1}, {1, 1}}, false, true, false},
    };
    GameMath::mathStatics.cameraX = 10 << 14;
    for (const auto& c : cases) {
        Game::stateStatics.playMode = c.mode;
        Game::kindPaint.s_markerBlockA = c.blockA;
        CObject::statics.s_playerState = c.state0 ? 0 : 3;
        auto params = c.params;
        params[2] = 40;  // the object's width
        CObject* o = shown(69, params, 100, 30);
        clear();
        Game::paintHudObject(g_graphics, o);
        EXPECT_EQ(at(100 + 20 - 10, 30) == colour(0), c.shown) << c.mode;
    }
}

TEST_F(KindPaintersTest, TheShadowIsPlacedForTheCameraOnlyWhileThePlayerCastsOne) {
    Game::stateStatics.hudInstances->elements()[13] = instance(0);
    CObject::statics.s_shadowIndex = -1;
    Game::paintPlayerShadow(g_graphics);
    EXPECT_EQ(g_standInCalls, Calls{});
    CObject::statics.s_shadowIndex = 0;
    Game::paintPlayerShadow(g_graphics);
    EXPECT_EQ(g_standInCalls, (Calls{"computeLayerOffset", "computeLayerOffsetAlt"}));
    EXPECT_EQ(at(0, 0), colour(0));
}

TEST_F(KindPaintersTest, TemplateSidesAndTheOverlayOfTemplatesFollowTheirParameters) {
    CObject* side0 = shown(80, {{8, 0}});
    CObject* side1 = shown(80, {{8, 1}});
    Game::objects.s_templates = list({side0, side1});
    const struct {
        int32_t templ, kind;
        int32_t colourAtCorner;  // -1: the instance's own colour
    } cases[] = {{0, 0, 1}, {1, 0, 2}, {-1, 0, -1}, {1, 9, -1}};
    for (const auto& c : cases) {
        CObject* o = shown(80, {{27, c.templ}, {9, c.kind}}, 100, 50);
        clear();
        CObject::paintKind80(g_graphics, o);
        EXPECT_EQ(at(100, 50), colour(0)) << "the instance first";
        EXPECT_EQ(at(110, 56), c.colourAtCorner < 0 ? 0 : colour(c.colourAtCorner)) << c.templ << " " << c.kind;
    }
    // Kind 10 outside an interaction: the overlay at the object, lowered to its first rectangle.
    Game::stateStatics.hudInstances->elements()[15] = instance(1);
    static_cast<ASpriteInstance*>(Game::stateStatics.hudInstances->elements()[15])->aframe = 3;
    for (int32_t mode : {0, 1}) {
        CObject::statics.s_interactionMode = mode;
        clear();
        CObject::paintKind80(g_graphics, shown(80, {{27, -1}, {9, 10}}, 100, 50));
        EXPECT_EQ(at(100, 53) == colour(3), mode == 0) << mode;
    }
    CObject::statics.s_interactionMode = 0;
}

TEST_F(KindPaintersTest, TheLinkedObjectIsDrawnAtItsPlaceAndPutBack) {
    CObject* linked = shown(15, {}, 0, 0);
    linked->m_sprite->setAnim(1);
    linked->m_sprite->aframe = 1;
    CObject* place = shown(15, {}, 300, 40);
    Game::objects.s_type15Objects = list({linked, place});
    clear();
    CObject::paintKind81(g_graphics, shown(81, {{9, 0}, {15, 1}, {10, 1}}, 100, 20));
    EXPECT_EQ(at(100, 20), colour(0)) << "the object's own instance";
    EXPECT_EQ(at(300, 40), colour(1)) << "the linked object at the other's place";
    EXPECT_EQ(g_standInCalls, (Calls{"computeLayerOffset", "computeLayerOffsetAlt"}));
}

TEST_F(KindPaintersTest, TemplateKinds86To88DrawOnlyInTheirStates) {
    const struct {
        int32_t type;
        std::map<int32_t, int32_t> params;
        bool drawn;
    } cases[] = {{86, {{18, 1}}, true},         {86, {{18, 0x10002}}, true}, {86, {{18, 3}}, false},
                 {87, {{10, 5}}, true},          {87, {{10, 6}}, false},      {88, {{5, 1}}, true},
                 {88, {{5, 0}}, false}};
    for (const auto& c : cases) {
        CObject* o = shown(c.type, c.params);
        clear();
        if (c.type == 86) CObject::paintKind86(g_graphics, o);
        else if (c.type == 87) CObject::paintKind87(g_graphics, o);
        else CObject::paintKind88(g_graphics, o);
        EXPECT_EQ(at(25, 25) == colour(0), c.drawn) << c.type;
        EXPECT_EQ(GameBase::statics.paintEffectFlags & 0x800, 0) << c.type;
    }
}

TEST_F(KindPaintersTest, ATileLayerIsDrawnThroughItsWindowInEitherTileMode) {
    ObjectArray* grid = om()->newObjectArray(kClass_ShortArray, 3);
    for (int32_t c = 0; c < 3; ++c) {
        grid->elements()[c] = om()->newShortArray(1);
        static_cast<ShortArray*>(grid->elements()[c])->elements()[0] = int16_t(c == 2 ? -1 : c);
    }
    CObject::statics.s_layerMaps = om()->newObjectArray(kClass_ObjectArray, 1);
    CObject::statics.s_layerMaps->elements()[0] = grid;
    CObject::statics.s_layerGroupValues = om()->newObjectArray(kClass_ASprite, 1);
    CObject::statics.s_layerGroupValues->elements()[0] = m_sprite;
    const struct {
        int32_t x;
        bool tileMode;
        int32_t screenX, colour;
    } cases[] = {
        {-32, false, 0, 1},   // the source starts at 32: cell 1 at the screen's left edge
        {100, false, 100, 0}, // the screen starts at 100
        {-32, true, 0, 2},    // animated tiles: cell 1 shows animation 1 at the clock's frame 2
    };
    for (const auto& c : cases) {
        m_sprite->tileMode = c.tileMode;
        CObject* layer = shown(50, {{16, 0}, {18, 0}, {2, 0}}, 0, 0);
        layer->m_sprite->x = c.x << 14;
        layer->m_sprite->aframe = 2;
        clear();
        layer->drawByKind(g_graphics, false);
        EXPECT_EQ(at(c.screenX, 0), colour(c.colour)) << c.x << " " << c.tileMode;
        EXPECT_EQ(at(64 + 5 + std::max(c.x, 0) + std::min(c.x, 0), 0), 0) << "the empty cell";
    }
    m_sprite->tileMode = 0;
}

TEST_F(KindPaintersTest, EmittersPaintTheirParticlesUpToTheirRecordsLimit) {
    Game::objects.s_slotRecords = om()->newObjectArray(kClass_IntArray, 2);
    Game::objects.s_slotRecords->elements()[1] = params(14, {{13, 7}});
    static std::vector<int32_t> asked;
    asked.clear();
    game_pending::observer = [](const char* name) {
        if (std::string(name) == "Game::paintParticles") asked.push_back(1);
    };
    Game::paintEmitter(g_graphics, 1);
    CObject::paintEmitterParticles(g_graphics, nullptr, params(1, {{0, 1}}));
    CObject::paintEmitterParticles(g_graphics, nullptr, params(1, {{0, -1}}));
    EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
