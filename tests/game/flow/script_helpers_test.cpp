#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/game_timers.h"
#include "framework/sprite/sprite.h"
#include "game/objects/action_seams.h"
#include "game/objects/object_action_seams.h"
#include "game/pending.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/sprite_file.h"

namespace {

using namespace mrc;

std::vector<std::string> g_log;
std::vector<std::string> g_pending;  // the services not built yet that were called, in order
void note(std::string what, int32_t v) {
    what.append(" ").append(std::to_string(v));
    g_log.push_back(what);
}

class ScriptHelpersTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        GameTimers::initTimers(0);
        GameTimers::updateGameTime();
        g_log.clear();
        g_pending.clear();
        game_pending::observer = [](const char* name) { g_pending.emplace_back(name); };
        actionSeams().requestEffectSound = [](int32_t s) { note("sound", s); };
        ObjectActionSeams& a = objectActionSeams();
        a.runSequence = [](IntArray*, int32_t x, int32_t y) { note("sequence", x * 1000 + y); };
        a.setCameraOnObject = [](int32_t x, int32_t y, int32_t w, int32_t h, int32_t e, int32_t f, int32_t flag) {
            std::string s = "camera";
            for (int32_t v : {x, y, w, h, e, f, flag}) s.append(" ").append(std::to_string(v));
            g_log.push_back(s);
        };
        Game::objects.s_player = object(1, 0, {}, 50, 96, 96);
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        actionSeams() = {};
        objectActionSeams() = {};
        WorldTest::TearDown();
    }
    static std::vector<std::string> pendingCalls() { return g_pending; }
};

TEST_F(ScriptHelpersTest, TriggerZonesOpenTheirPopupAndRunWhenThePlayerIsInside) {
    Game::initPopups();
    const int32_t timer = Game::timerAlloc();
    // Zone at (60, 60) of 20 x 20; params: [1] player-triggered, [4] limit, [5] runs, [6] delay,
    // [12] 1 with [17] > 0, [19] < [4] and [22] < 0: a popup.
    IntArray* p = params(30, {{1, 1}, {2, 20}, {3, 20}, {4, 3}, {5, 5}, {6, 200}, {12, 1}, {17, 1}, {18, 0},
                              {19, 0}, {21, timer}, {22, -1}, {23, 0}});
    CObject* o = object(7, 31, {}, 50, 60, 60);
    Game::checkTriggerZone(p, 60, 60, o);
    auto* record = static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, Game::layouts.s_currentPopup));
    EXPECT_EQ(JArray::getInt(record, 0), 2);  // current
    EXPECT_EQ(JArray::getInt(record, 1), 4);
    EXPECT_EQ(JArray::getInt(record, 2), 4);
    // The player at (96, 96) is on the zone's margin of 16 around (60..80): it runs once its
    // timer has run the delay.
    EXPECT_EQ(pendingCalls(), std::vector<std::string>{"Game::bindCurrentRecordToObject"});
    clock.advance(200);
    GameTimers::updateGameTime();
    g_log.clear();
    p->elements()[12] = 0;
    Game::checkTriggerZone(p, 60, 60, o);
    EXPECT_EQ(g_log, std::vector<std::string>{"sequence 60060"});
    // One pixel further it is outside; a forced zone ([23] == 1) runs anyway.
    Game::objects.s_player->m_sprite->x = 97 << 14;
    clock.advance(200);
    GameTimers::updateGameTime();
    g_log.clear();
    Game::checkTriggerZone(p, 60, 60, o);
    EXPECT_TRUE(g_log.empty());
    p->elements()[23] = 1;
    Game::checkTriggerZone(p, 60, 60, o);
    EXPECT_EQ(g_log, std::vector<std::string>{"sequence 60060"});
}

TEST_F(ScriptHelpersTest, CameraZonesHalfOpen) {
    ShortArray* zones = om()->newShortArray(12);
    const int16_t values[] = {0, 0, 10, 10, 7, 8, 200, 0, 50, 50, 1, 2};
    for (int32_t i = 0; i < 12; ++i) zones->elements()[i] = values[i];
    Game::objectActions.s_cameraZones = zones;
    Game::applyCameraZoneAt(220, 49);
    EXPECT_EQ(g_log, std::vector<std::string>{"camera 200 0 50 50 1 2 1"});
    g_log.clear();
    Game::applyCameraZoneAt(250, 10);  // the right edge is outside
    Game::applyCameraZoneAt(5, 10);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(ScriptHelpersTest, ScriptParamsBySoundAndTimer) {
    Game::menuStatics.soundEffectsOn = 1;
    Game::objects.s_scriptObjects =
        list({object(1, 34, {{7, 3}}), object(2, 23), object(3, 34, {{7, 1}}), object(4, 31)});
    g_pending.clear();
    Game::scriptSetObjectParam(0, 9);
    Game::scriptSetObjectParam(1, 1);
    Game::scriptSetObjectParam(2, 6);
    Game::scriptSetObjectParam(3, 4);
    Game::scriptSetObjectParam(9, 4);  // no such object
    EXPECT_EQ(JArray::getInt(static_cast<CObject*>(Game::objects.s_scriptObjects->elements()[0])->m_params, 3), 9);
    CObject* timed = static_cast<CObject*>(Game::objects.s_scriptObjects->elements()[1]);
    EXPECT_EQ(timed->param(0), 1);
    EXPECT_TRUE(Game::isTimerSet(timed->param(7)));  // its timer restarted
    EXPECT_EQ(static_cast<CObject*>(Game::objects.s_scriptObjects->elements()[2])->param(3), 6);
    EXPECT_EQ(static_cast<CObject*>(Game::objects.s_scriptObjects->elements()[3])->param(0), 4);
    EXPECT_EQ(g_log, std::vector<std::string>{"sound 7"});
}

TEST_F(ScriptHelpersTest, PlacingABlockingObjectLiftsAndSetsItsMarks) {
    CObject* rail = object(5, 15, {{22, 9}, {23, 9}}, 50, 0, 0);
    CObject* post = object(6, 15, {}, 50, 300, 40);
    Game::objects.s_type15Objects = list({rail, post});
    g_pending.clear();
    Game::scriptPlaceObject(2, 0, 2, 3, 2, -1, 0, false);
    EXPECT_EQ(rail->m_sprite->x, 80 << 14);
    EXPECT_EQ(rail->m_sprite->y, 112 << 14);
    EXPECT_EQ(rail->param(22), -1);
    EXPECT_EQ(rail->param(23), -1);
    EXPECT_EQ(pendingCalls(),
              (std::vector<std::string>{"Game::clearTarget", "Game::selectTarget", "Game::displaceKind5Objects"}));
    // Beside another object, attached to it.
    Game::scriptPlaceObject(2, 0, 0, 0, 2, 1, 0, true);
    EXPECT_EQ(rail->m_sprite->x, 299 << 14);
    EXPECT_EQ(rail->m_sprite->y, 40 << 14);
    EXPECT_EQ(rail->param(22), 1);
    EXPECT_EQ(rail->param(23), 2);
    // At a range point.
    ObjectArray* ranges = om()->newObjectArray(kClass_ShortArray, 1);
    ShortArray* point = om()->newShortArray(3);
    point->elements()[0] = 64;
    point->elements()[1] = 32;
    ranges->elements()[0] = point;
    Game::tables.s_rangeEntries = ranges;
    Game::scriptPlaceObject(2, 0, 0, 0, 4, 0, 1, false);
    EXPECT_EQ(rail->m_sprite->x, 64 << 14);
    EXPECT_EQ(rail->m_sprite->y, 32 << 14);
}

TEST_F(ScriptHelpersTest, ObjectAnimResetClearsTheLowHalfAndRestarts) {
    CObject* o = object(1, 31, {{21, 4}, {18, 0x30005}, {13, 2}});
    Game::resetObjectAnim(0, 0, o);
    EXPECT_EQ(o->param(21), -1);
    EXPECT_EQ(o->param(18), 0x30000);
    EXPECT_EQ(o->m_sprite->anim, 2);
}

// ---- module marks ----

// Animation a shows frames 2a and 2a + 1.
// Frame f shows module f; animation a runs frames 2a and 2a + 1.
formats::SpriteData twoFramesPerAnimation(int32_t count) {
    formats::SpriteData s;
    for (int32_t f = 0; f < 2 * count; ++f) {
        s.modules.push_back({formats::ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
        s.frames.push_back({{{f, 0, 0, 0}}, {}, {}});
    }
    for (int32_t a = 0; a < count; ++a) s.animations.push_back({{2 * a, 1, 0, 0, 0}, {2 * a + 1, 1, 0, 0, 0}});
    s.palettes = {{0xFF00FF00u}};
    return s;
}

std::vector<int32_t> marked(ObjectArray* used, int32_t entry) {
    auto* u = static_cast<BoolArray*>(used->elements()[entry]);
    std::vector<int32_t> modules;
    for (int32_t m = 0; m < u->length; ++m)
        if (u->elements()[m] != 0) modules.push_back(m);
    return modules;
}

TEST_F(ScriptHelpersTest, ModulesAreMarkedByTypeForTheLoadingSlotOnly) {
    ASprite* sprite = newSprite(twoFramesPerAnimation(8));
    Game::stateStatics.sprites = om()->newObjectArray(kClass_ObjectArray, 2);
    Game::stateStatics.sprites->elements()[1] = sprite;
    Game::objects.s_spriteSlots = om()->newByteArray(60);
    Game::objects.s_spriteSlots->elements()[35] = 1;
    ObjectArray* used = om()->newObjectArray(kClass_BoolArray, 4);
    for (int32_t i = 0; i < 4; ++i) used->elements()[i] = om()->newBoolArray(16);
    ObjectArray* objects = list({
        object(1, 99, {{1, 5}}),                             // its own slot, nothing to mark
        object(2, 30, {{4, 0}, {6, 1}, {7, 3}}),             // slot of object 0: animations 1 and 3
        object(3, 10, {{1, 5}, {9, 2}, {4, -1}, {5, 4}}),    // entry 2, animation 4
        object(4, 11, {{1, 5}, {9, 1}, {4, 7}}),             // entry 1, still frame 7
        object(5, 20, {{0, 26}, {1, 5}, {9, 1}, {4, 3}}),    // type 20 of kind 26: nothing
        object(6, 34, {{1, 6}, {2, 1}}),                     // another slot
        object(7, 62, {{1, 5}, {13, 3}, {9, 0}, {10, 2}, {11, -1}, {12, 9}}),  // -1 and 9 missing
    });
    Game::markObjectModules(used, objects, 35);
    EXPECT_EQ(marked(used, 0), (std::vector<int32_t>{2, 3, 6, 7}));
    EXPECT_EQ(marked(used, 1), (std::vector<int32_t>{7}));
    EXPECT_EQ(marked(used, 2), (std::vector<int32_t>{8, 9}));
    EXPECT_EQ(marked(used, 3), (std::vector<int32_t>{0, 1, 4, 5}));
}

}  // namespace
