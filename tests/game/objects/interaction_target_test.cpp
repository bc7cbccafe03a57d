// The interaction target, the goal arrow, the camera target's offset, the switch groups' signals
// and the random start offset.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/pending_seams.h"
#include "game/objects/motion_seams.h"
#include "game/pending.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/sprite_file.h"

namespace {

using namespace mrc;

// Frame 0 is 20 x 10, frame 1 (the arrow's frame 68 is frame 1 of a 69-frame sprite) 40 x 20.
formats::SpriteData boxes() {
    formats::SpriteData s;
    s.modules.push_back({formats::ModuleKind::Filled, 20, 10, 0, 0, 0xFFFF0000u, {}, {}});
    s.modules.push_back({formats::ModuleKind::Filled, 40, 20, 0, 0, 0xFF00FF00u, {}, {}});
    s.modules.push_back({formats::ModuleKind::Filled, 10, 40, 0, 0, 0xFF0000FFu, {}, {}});
    for (int f = 0; f < 69; ++f) s.frames.push_back({{{f == 68 ? 1 : f == 67 ? 2 : 0, 0, 0, 0}}, {}, {}});
    s.animations.assign(21, {{0, 1, 0, 0, 0}});
    s.animations[5] = {{68, 1, 0, 0, 0}};  // the 40 x 20 frame
    s.animations[6] = {{67, 1, 0, 0, 0}};  // a 10 x 40 one
    s.palettes = {{0xFF000000u}};
    return s;
}

std::vector<std::pair<int32_t, int32_t>> g_events;  // event, object id

class InteractionTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        Game::interaction = InteractionStatics{};
        Game::interaction.s_indicatorPointX = -1;
        // The sprite table roots the sprite before the next allocation can collect.
        Game::stateStatics.sprites = om()->newObjectArray(kClass_ASprite, 60);
        m_sprite = newObject<ASprite>();
        Game::stateStatics.sprites->elements()[16] = m_sprite;
        std::vector<uint8_t> bytes = formats::spriteFile(boxes());
        ByteArray* data = om()->newByteArray(int32_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(data->elements()));
        m_sprite->load(data, 0);
        Game::stateStatics.hudInstances = om()->newObjectArray(kClass_ASpriteInstance, 34);
        for (int32_t i : {1, 14}) {
            auto* h = newObject<ASpriteInstance>();
            h->init(m_sprite, 0, 0, nullptr);
            Game::stateStatics.hudInstances->elements()[i] = h;
        }
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        g_events.clear();
        motionSeams().onEvent = [](int32_t event, CObject* o) { g_events.push_back({event, o->m_id}); };
    }
    void TearDown() override {
        motionSeams() = {};
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        Game::interaction = InteractionStatics{};
        WorldTest::TearDown();
    }
    // An object showing the 20 x 10 frame at (x, y) pixels with its sort key.
    CObject* at(int32_t id, int32_t type, int32_t x, int32_t y, std::map<int32_t, int32_t> values = {}) {
        CObject* o = object(id, type, std::move(values), 50, x, y);
        o->m_sprite->setSprite(m_sprite);
        o->m_sprite->setAnim(0);
        o->m_sortKey = y * 256 + x;
        return o;
    }
    void view(std::initializer_list<CObject*> objects) {
        Game::interaction.s_viewInteractables = list(objects);
        Game::interaction.s_viewInteractableCount = static_cast<int32_t>(objects.size());
    }
    static ASpriteInstance* hud(int32_t i) {
        return static_cast<ASpriteInstance*>(Game::stateStatics.hudInstances->elements()[i]);
    }

    ASprite* m_sprite = nullptr;
};

TEST_F(InteractionTest, TheNearestReachableObjectInFrontIsSelectedAndMarked) {
    Game::objects.s_player = at(0, 0, 320, 320);  // cell (10, 10)
    CObject::statics.s_inputDirection = 0x1010;   // facing right
    CObject* ahead = at(1, 20, 352, 320);         // cell (11, 10), size 0 x 0: one cell
    CObject* twin = at(2, 20, 288 + 64, 320);     // the same key: the earlier one wins
    CObject* charge = at(3, 61, 330, 320, {{14, 0}});  // an idle charge is never chosen
    view({charge, ahead, twin});
    Game::selectInteractionTarget();
    EXPECT_EQ(Game::objects.s_selectedObject, ahead);
    EXPECT_EQ(hud(1)->getX(), 352 + 10) << "centred over the object's frame";
    EXPECT_EQ(hud(1)->getY(), 320);
    EXPECT_EQ(hud(1)->anim, 1);

    // Each facing reaches its own side only.
    const struct {
        int32_t facing, x, y;
        bool reached;
    } cases[] = {{0x1010, 384, 320, true},        {0x1010, 416, 320, false},      {0x408, 288 - 32, 320, true},
                 {0x408, 352, 320, false},       {0x102, 320, 320 - 64, true},  {0x102, 320, 320 - 96, false},
                 {0x4004, 320, 320 + 64, true},  {0x4004, 320, 320 - 64, false},
                 // The sides of each box: up and down one cell to either side, right and left one row.
                 {0x102, 320 + 32, 320 - 64, true}, {0x102, 320 + 64, 320 - 64, false},
                 {0x4004, 320 - 32, 320 + 64, true}, {0x4004, 320 - 64, 320 + 64, false},
                 {0x1010, 384, 320 + 32, true},     {0x1010, 384, 320 + 64, false},
                 {0x408, 256, 320 - 32, true},      {0x408, 256, 320 - 64, false},
                 // A diagonal facing takes up first: its box, not right's, decides.
                 {0x1112, 352, 320, true},          {0x1112, 384, 320, false},
                 {0x4414, 256, 320 + 32, false},    {0x4414, 320, 320 + 64, true}};
    for (const auto& c : cases) {
        CObject::statics.s_inputDirection = c.facing;
        view({at(4, 20, c.x, c.y)});
        Game::selectInteractionTarget();
        EXPECT_EQ(Game::objects.s_selectedObject != nullptr, c.reached) << c.facing << " " << c.x << " " << c.y;
    }
    view({});
    Game::selectInteractionTarget();
    EXPECT_EQ(Game::objects.s_selectedObject, nullptr);
}

TEST_F(InteractionTest, AGoalObjectIsAimedAtItsPictureUnlessItIsTheSelectedOne) {
    Game::overlayStatics.gameState = 7;
    Game::interaction.s_indicatorMargins = params(4, {{0, 10}, {1, 10}, {2, 10}, {3, 10}});
    GameMath::mathStatics.cameraX = 1000 << 14;
    GameMath::mathStatics.cameraY = 1000 << 14;
    CObject* goal = at(3, 20, 1500, 1200);  // the 20 x 10 frame: its centre at (1510, 1205)
    Game::interaction.s_indicatorTarget = goal;
    Game::updateTargetIndicator();
    EXPECT_EQ(hud(14)->anim, 20);
    EXPECT_EQ(hud(14)->getX(), 510);
    EXPECT_EQ(hud(14)->getY(), 205);
    // The working rectangle keeps the centre less half the arrow's half size (the arrow frame is 40 x 20).
    IntArray* r = Game::interaction.s_indicatorRect;
    ASSERT_FALSE(isNull(r));
    EXPECT_EQ((std::vector<int32_t>(r->elements(), r->elements() + 4)), (std::vector<int32_t>{1500, 1200, 1510, 1205}));
    // The selected object is no goal of the arrow: without a goal point nothing moves.
    Game::objects.s_selectedObject = goal;
    hud(14)->setPosition(1, 1);
    Game::updateTargetIndicator();
    EXPECT_EQ(hud(14)->getX(), 1);
    Game::objects.s_selectedObject = nullptr;
    Game::interaction.s_indicatorTarget = nullptr;
}

TEST_F(InteractionTest, TheMarkerShowsAnimationZeroOverTypesOneAndThree) {
    Game::objects.s_player = at(0, 0, 320, 320);
    CObject::statics.s_inputDirection = 0x1010;
    for (int32_t type : {1, 3, 2, 20}) {
        view({at(1, type, 352, 320)});
        Game::selectInteractionTarget();
        ASSERT_NE(Game::objects.s_selectedObject, nullptr) << type;
        EXPECT_EQ(hud(1)->anim, type == 1 || type == 3 ? 0 : 1) << type;
    }
}

// Types below 10 reach with their picture's cells unless it stands taller than wide; the others with
// their size in cells from the anchor.
TEST_F(InteractionTest, AnObjectsCellBoxComesFromItsPictureOrItsSize) {
    Game::objects.s_player = at(0, 0, 320, 320);  // cell (10, 10)
    const struct {
        const char* what;
        int32_t type, anim, facing, x, y, width;
        bool reached;
    } cases[] = {
        {"a wide picture reaching into the left box", 5, 5, 0x408, 224, 320, 0, true},
        {"a tall picture counts its anchor cell only", 5, 6, 0x102, 320, 224, 0, false},
        {"the same reach from a tall picture's anchor", 5, 6, 0x102, 320, 256, 0, true},
        {"type 10 and above ignore the picture", 20, 5, 0x408, 224, 320, 0, false},
        {"and reach with their width", 20, 5, 0x408, 224, 320, 2, true},
    };
    for (const auto& c : cases) {
        CObject::statics.s_inputDirection = c.facing;
        CObject* o = at(4, c.type, c.x, c.y, {{2, c.width}});
        o->m_sprite->setAnim(c.anim);
        view({o});
        Game::selectInteractionTarget();
        EXPECT_EQ(Game::objects.s_selectedObject == o, c.reached) << c.what;
    }
}

TEST_F(InteractionTest, TheArrowStandsOnAVisibleGoalAndAtTheEdgeTowardsAnOtherOne) {
    Game::overlayStatics.gameState = 7;
    Game::interaction.s_indicatorMargins = params(4, {{0, 10}, {1, 10}, {2, 10}, {3, 10}});
    GameMath::mathStatics.cameraX = 1000 << 14;
    GameMath::mathStatics.cameraY = 1000 << 14;
    // Element 11 of layout 6, the area the arrow is clamped to: x from 50 to 650, y from 40 to 340 (its
    // height). Parked as element 10 while a case runs without it.
    Game::layouts.s_layouts = om()->newObjectArray(kClass_Object, 7);
    ObjectArray* set = om()->newObjectArray(kClass_ShortArray, 12);
    Game::layouts.s_layouts->elements()[6] = set;
    ShortArray* area = om()->newShortArray(5);
    set->elements()[10] = area;
    const int16_t fields[] = {1, 50, 40, 600, 300};
    std::copy(std::begin(fields), std::end(fields), area->elements());
    const struct {
        bool inArea;
        int32_t px, py;
        int32_t anim, ax, ay;
    } cases[] = {
        {false, 1009, 1009, 20, 9, 9},            // on the margin line (one pixel of slack): visible
        {false, 1500, 2000, 13, 500, 470},        // below: the bottom edge
        {false, 500, 1200, 14, 10, 200},          // left
        {false, 500, 500, 16, 10 + 20, 10 + 10},  // beyond the left and above the top: shifted inwards
        {false, 3000, 3000, 18, 790 - 20, 470 - 10},
        {true, 1100, 1100, 20, 100, 100},  // inside the area: untouched
        {true, 500, 1200, 14, 50, 200},    // the left edge moves in to the area
        {true, 500, 500, 16, 50, 40},      // the corner too, after its shift
        {true, 1500, 2000, 13, 500, 340},  // the bottom edge moves up
        {true, 1785, 1300, 20, 650, 300},  // a visible goal right of the area
    };
    for (const auto& c : cases) {
        set->elements()[11] = c.inArea ? area : nullptr;
        Game::interaction.s_indicatorPointX = c.px;
        Game::interaction.s_indicatorPointY = c.py;
        Game::updateTargetIndicator();
        EXPECT_EQ(hud(14)->anim, c.anim) << c.px << " " << c.py;
        EXPECT_EQ(hud(14)->getX(), c.ax) << c.px << " " << c.py;
        EXPECT_EQ(hud(14)->getY(), c.ay) << c.px << " " << c.py;
    }
    Game::layouts.s_layouts = nullptr;
    // Outside gameplay, or without a goal, nothing moves.
    hud(14)->setPosition(1, 1);
    Game::overlayStatics.gameState = 4;
    Game::updateTargetIndicator();
    Game::overlayStatics.gameState = 7;
    Game::interaction.s_indicatorPointX = -1;
    Game::updateTargetIndicator();
    EXPECT_EQ(hud(14)->getX(), 1);
}

TEST_F(InteractionTest, GroupSignalsMapTheirEventsAndReachGeneratedBlocksAndMembers) {
    CObject* a = at(10, 5, 0, 0);
    CObject* b = at(11, 5, 0, 0);
    CObject* c = at(12, 5, 0, 0);
    Game::objects.s_type5Objects = list({a, b, c, nullptr});
    Game::objects.s_scriptObjects = list({at(20, 29, 0, 0, {{9, 2}, {20, 0}, {5, 2}}), at(21, 29, 0, 0, {{9, 3}})});
    Game::interaction.s_groupMembers = om()->newObjectArray(kClass_ByteArray, 3);
    ByteArray* members = om()->newByteArray(2);
    members->elements()[0] = 2;
    members->elements()[1] = 3;  // an empty entry: nobody
    Game::interaction.s_groupMembers->elements()[2] = members;
    Game::interaction.s_groupCounts = params(3, {{2, 2}});
    const struct {
        int32_t event;
        std::vector<std::pair<int32_t, int32_t>> delivered;
    } cases[] = {{0, {{7, 10}, {7, 11}, {7, 12}}}, {10, {{11, 10}, {11, 11}, {11, 12}}}, {5, {}}};
    for (const auto& k : cases) {
        g_events.clear();
        Game::signalGroup(2, k.event);
        EXPECT_EQ(g_events, k.delivered) << k.event;
    }
    g_events.clear();
    Game::signalGroupB(1, 0);  // a group without members or generators
    EXPECT_TRUE(g_events.empty());
    a->signalEvent9();
    EXPECT_EQ(g_events, (std::vector<std::pair<int32_t, int32_t>>{{9, 10}}));
}

TEST_F(InteractionTest, AGeneratorSignalsExactlyItsBlockAndEveryGeneratorOfTheGroupIsFound) {
    Game::objects.s_type5Objects = list({at(10, 5, 0, 0), at(11, 5, 0, 0), nullptr, at(13, 5, 0, 0), at(14, 5, 0, 0)});
    using Events = std::vector<std::pair<int32_t, int32_t>>;
    const struct {
        int32_t first, count, event;
        Events delivered;
    } cases[] = {
        {1, 3, 0, {{7, 11}, {7, 13}}},    // an empty entry in the block is passed over
        {3, 5, 10, {{11, 13}, {11, 14}}},  // a block running past the list stops at its end
        {-1, 2, 0, {{7, 10}}},             // and one starting before it at its start
        {0, 0, 0, {}},                     // an empty block
        {0, 5, 9, {}},                     // an event the signals do not carry
    };
    for (const auto& c : cases) {
        g_events.clear();
        Game::signalLinkedRange(at(20, 29, 0, 0, {{20, c.first}, {5, c.count}}), c.event);
        EXPECT_EQ(g_events, c.delivered) << c.first << " " << c.count << " " << c.event;
    }
    g_events.clear();
    Game::signalLinkedRange(nullptr, 0);
    EXPECT_TRUE(g_events.empty());

    // Two generators of group 4 around one of another group and an object of another type.
    Game::objects.s_scriptObjects = list({at(20, 29, 0, 0, {{9, 4}, {20, 4}, {5, 1}}), at(21, 29, 0, 0, {{9, 5}, {5, 4}}),
                                          at(22, 16, 0, 0, {{9, 4}, {5, 4}}), at(23, 29, 0, 0, {{9, 4}, {20, 0}, {5, 2}})});
    Game::interaction.s_groupCounts = params(6);
    Game::interaction.s_groupMembers = om()->newObjectArray(kClass_ByteArray, 6);
    g_events.clear();
    Game::signalGroup(4, 0);
    EXPECT_EQ(g_events, (Events{{7, 14}, {7, 10}, {7, 11}}));
}

TEST_F(InteractionTest, APickUpKeepsTheBoxItShowedAndLoopsItsKindsAnimation) {
    Game::levelSetup.s_typeRecords = om()->newObjectArray(kClass_ShortArray, 3);
    for (int32_t kind : {1, 2}) {
        ShortArray* record = om()->newShortArray(9);
        record->elements()[3] = static_cast<int16_t>(kind == 1 ? 5 : 0);
        Game::levelSetup.s_typeRecords->elements()[kind] = record;
    }
    // The box is measured on what the object showed before the restart.
    const struct {
        int32_t kind, shown, anim, w, h;
    } cases[] = {{1, 0, 5, 20, 10}, {2, 5, 0, 40, 20}};
    for (const auto& c : cases) {
        CObject* o = at(1, 16, 100, 50, {{2, c.kind}, {10, 1}});
        o->m_sprite->setAnimWithStep(c.shown, 2, 0);  // backwards, played once
        o->storeSpriteRect();
        EXPECT_EQ(o->param(5), 100) << c.kind;
        EXPECT_EQ(o->param(6), 50) << c.kind;
        EXPECT_EQ(o->param(7), c.w) << c.kind;
        EXPECT_EQ(o->param(8), c.h) << c.kind;
        EXPECT_EQ(o->param(10), 0) << c.kind;
        ASpriteInstance* i = o->m_sprite;
        EXPECT_EQ(i->anim, c.anim) << c.kind;
        EXPECT_EQ(i->aframe, 0) << c.kind;
        EXPECT_EQ(i->time, 0) << c.kind;
        EXPECT_EQ(i->step, 1) << c.kind;
        EXPECT_EQ(i->ended, 0) << c.kind;
        EXPECT_EQ(i->lastFrame, 0) << c.kind;
        EXPECT_EQ(i->loops, -1) << "loops for ever " << c.kind;
    }
}

TEST_F(InteractionTest, TheCameraTargetsOffsetIsItsCentreOrThePlayersHandPoint) {
    Game::camera.s_cameraTarget = at(1, 20, 100, 50);
    Game::updateCameraTargetOffset(0, 0);
    EXPECT_EQ(Game::interaction.s_cameraTargetOffsetX, -10 << 14);
    EXPECT_EQ(Game::interaction.s_cameraTargetOffsetY, -5 << 14);
    Game::camera.s_cameraTarget = at(0, 0, 100, 50);
    Game::motionTables.s_itemOffsets = om()->newObjectArray(kClass_ShortArray, 2);
    ShortArray* q = om()->newShortArray(2);
    q->elements()[0] = 3;
    q->elements()[1] = -4;
    Game::motionTables.s_itemOffsets->elements()[1] = q;
    Game::objects.s_currentItem = 1;
    Game::updateCameraTargetOffset(2, 1);
    EXPECT_EQ(Game::interaction.s_cameraTargetOffsetX, -5 << 14);
    EXPECT_EQ(Game::interaction.s_cameraTargetOffsetY, 3 << 14);
    Game::camera.s_cameraTarget = nullptr;
}

// From -20 pixels to the width - 1: ((seed >>> 16) mod (width + 20)) - 20.
TEST_F(InteractionTest, TheRandomOffsetStaysWithinTheWidthWhateverTheSeed) {
    for (int32_t seed : {0, 1, -1, int32_t(0x80000000u), 123456789, -987654321}) {
        GameMath::mathStatics.randomSeed = seed;
        CObject* o = at(1, 16, 0, 0);
        o->randomizeOffset();
        EXPECT_EQ(o->param(25), 20);
        EXPECT_GE(o->param(24), -20 << 14) << seed;
        EXPECT_LE(o->param(24), (20 - 1) << 14) << seed;
    }
    CObject* fixed = at(1, 16, 0, 0, {{11, 1}, {24, 77}});
    fixed->randomizeOffset();
    EXPECT_EQ(fixed->param(24), 77) << "only objects with params[11] 0";
}

std::vector<std::string> g_standIns;

TEST_F(InteractionTest, APickUpIsCollectedByThePlayersLowerTwoThirdsInGameplayStepZeroOnly) {
    game_pending::observer = [](const char* name) { g_standIns.emplace_back(name); };
    Game::objects.s_player = at(0, 0, 100, 100);  // frame 0: 20 x 10 at (100, 100)
    Game::levelSetup.s_typeRecords = om()->newObjectArray(kClass_ShortArray, 1);
    ShortArray* record = om()->newShortArray(9);
    record->elements()[8] = 1;
    Game::levelSetup.s_typeRecords->elements()[0] = record;
    // The lower two thirds of a 10-pixel-high player begin at 110 - 6 = 104.
    const struct {
        int32_t state, sub, boxY;
        bool collected;
    } cases[] = {{7, 0, 100, true}, {7, 0, 96, true}, {7, 0, 95, false}, {7, 1, 100, false}, {4, 0, 100, false}};
    for (const auto& c : cases) {
        Game::overlayStatics.gameState = c.state;
        Game::overlayStatics.gameSubState = c.sub;
        Game::operations.s_lastPickup = nullptr;
        CObject* pickup = at(5, 16, 0, 0, {{4, 1}, {5, 100}, {6, c.boxY}, {7, 10}, {8, 8}});
        pickup->updateTouchTrigger();
        EXPECT_EQ(Game::operations.s_lastPickup == pickup, c.collected) << c.state << " " << c.sub << " " << c.boxY;
    }
    // A collected one (params[10] 1) is put away once its animation has ended, in gameplay step 0 only.
    Game::overlayStatics.gameState = 7;
    ASpriteInstance::statics.logicStepsThisFrame = 1;
    for (int32_t sub : {1, 0}) {
        Game::overlayStatics.gameSubState = sub;
        CObject* taken = at(6, 16, 0, 0, {{4, 1}, {10, 1}});
        taken->m_sprite->setAnimLoop(0, 0);  // one frame of one step, played once
        taken->updateTouchTrigger();
        EXPECT_EQ(taken->param(4), sub == 0 ? 0 : 1) << sub;
    }
    ASpriteInstance::statics.logicStepsThisFrame = 0;
    game_pending::observer = nullptr;
}

TEST_F(InteractionTest, OnlyTheFirstAttachingObjectIsLinkedAndCollisionsFollowThePlayersState) {
    game_pending::observer = [](const char* name) { g_standIns.emplace_back(name); };
    gamePendingSeams().updatePlayerAttachment = [](CObject* o) { return o->m_id >= 2; };
    g_standIns.clear();
    Game::attachFirstTouching(list({at(1, 20, 0, 0), at(2, 20, 0, 0), at(3, 20, 0, 0)}), 3);
    EXPECT_EQ(g_standIns, (std::vector<std::string>{"CObject::updatePlayerAttachment", "CObject::updatePlayerAttachment",
                                                    "Game::updatePlayerLink"}));
    static bool free;
    gamePendingSeams().canMoveTo = [](CObject*, int32_t, int32_t, int32_t, int32_t, int32_t) { return free; };
    const struct {
        int32_t state, param;
        bool free, responds;
    } cases[] = {{0, 0, true, true},  {10, 0, false, false}, {9, 0, true, false}, {9, 0, false, true},
                 {25, 1, false, false}, {25, 2, false, true}};
    for (const auto& c : cases) {
        CObject::statics.s_playerState = c.state;
        CObject::statics.s_playerStateParam = c.param;
        free = c.free;
        g_standIns.clear();
        Game::checkPlayerCollision(at(1, 5, 0, 0));
        EXPECT_EQ(!g_standIns.empty() && g_standIns.back() == "CObject::findNearestInView", c.responds) << c.state;
    }
    CObject::statics.s_playerState = 0;
    gamePendingSeams() = {};
    game_pending::observer = nullptr;
}

}  // namespace
