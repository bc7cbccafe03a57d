#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/game_math.h"
#include "framework/core/game_overlay.h"
#include "framework/core/game_timers.h"
#include "framework/sprite/sprite.h"
#include "game/flow/pending_seams.h"
#include "game/objects/action_seams.h"
#include "game/objects/factory_seams.h"
#include "game/objects/interaction_seams.h"
#include "game/objects/object_action_seams.h"
#include "game/pending.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/sprite_file.h"

namespace {

using namespace mrc;

constexpr int32_t kPercent = 100 << 14;

// A sprite of `count` animations of four frames each (all the one frame).
formats::SpriteData fourFrameAnimations(int32_t count) {
    formats::SpriteData s;
    s.modules.push_back({formats::ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    s.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
    for (int32_t i = 0; i < count; ++i) s.animations.push_back({{0, 1, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 1, 0, 0, 0}});
    s.palettes = {{0xFF00FF00u}};
    return s;
}

class ObjectReferencesTest : public test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        GameTimers::initTimers(0);
        GameTimers::updateGameTime();
        Game::stateStatics.playMode = 0;
        Game::stateStatics.frameTime = 100;
        GameMath::mathStatics.cameraX = GameMath::mathStatics.cameraY = 0;
        GameOverlay::overlayStatics.currentRoom = nullptr;
    }
    void TearDown() override {
        objectActionSeams() = {};
        interactionSeams() = {};
        actionSeams() = {};
        levelPartSeams() = {};
        WorldTest::TearDown();
    }
    static ShortArray* shorts(std::initializer_list<int16_t> values) {
        ShortArray* a = om()->newShortArray(static_cast<int32_t>(values.size()));
        int32_t i = 0;
        for (int16_t v : values) a->elements()[i++] = v;
        return a;
    }
    static ObjectArray* rows(std::initializer_list<Object*> values) {
        ObjectArray* a = om()->newObjectArray(kClass_ObjectArray, static_cast<int32_t>(values.size()));
        int32_t i = 0;
        for (Object* v : values) a->elements()[i++] = v;
        return a;
    }
};

TEST_F(ObjectReferencesTest, PowerByTypeAndThePlayersUpgradedItem) {
    struct Case {
        int32_t type, index, power;
    };
    for (const Case& c : {Case{50, 36, 7}, Case{80, 8, 7}, Case{300, 8, 7}, Case{34, 8, 7}, Case{20, 6, 7},
                          Case{305, 12, 7}, Case{21, 16, 7}, Case{86, 7, 7}, Case{88, 7, 7}, Case{3, 8, 0}}) {
        EXPECT_EQ(CObject::getProperty(object(1, c.type, {{c.index, 7}}), 0), c.power) << c.type;
    }
    // A type-5 object: field 5 of its chosen action record.
    Game::objects.s_actionRecords = rows({rows({shorts({0, 0, 0, 0, 0, 11}), shorts({0, 0, 0, 0, 0, 13})})});
    EXPECT_EQ(CObject::getProperty(object(2, 5, {{CObject::PARAM_KIND, 0}, {42, 1}}), 0), 13);

    // The player: item 1's record n, field 5 = 10, record 0's field 9 = 4 per combo level.
    Game::objects.s_currentItem = 1;
    ObjectArray* records = rows({shorts({0, 0, 0, 0, 0, 10, 0, 0, 0, 4}), shorts({0, 0, 0, 0, 0, 10})});
    Game::objects.s_itemSequenceTable = rows({nullptr, records});
    CObject* player = object(3, 0);
    CObject::statics.s_comboLevel = 2;
    static int32_t level;
    levelPartSeams().getUpgradeLevel = [](int32_t) { return level; };
    struct PlayerCase {
        int32_t n, level, chain, power;
    };
    for (const PlayerCase& c : {PlayerCase{1, 0, 0, 10}, PlayerCase{0, 0, 0, 18}, PlayerCase{1, 5, 0, 20},
                                PlayerCase{0, 5, 0, 28}, PlayerCase{0, 5, 50, 42}, PlayerCase{1, 1, 33, 15}}) {
        level = c.level;
        Game::hudStatics.s_chainCount = c.chain;
        EXPECT_EQ(CObject::getProperty(player, c.n), c.power) << c.n << " " << c.level << " " << c.chain;
    }
}

TEST_F(ObjectReferencesTest, FacingTargetsAreType5AndTheInputComesBack) {
    static std::vector<int32_t> inputs;
    inputs.clear();
    interactionSeams().isFacing = [](CObject*, CObject* other) {
        inputs.push_back(CObject::statics.s_inputDirection);
        return other->m_id == 2;
    };
    CObject::statics.s_inputDirection = CObject::kLeft;
    CObject* o = object(1, 0);
    ObjectArray* l = list({object(5, 7), object(2, 5), object(3, 5)});
    EXPECT_FALSE(CObject::hasFacingTarget(o, CObject::kUp, l, 0));
    EXPECT_FALSE(CObject::hasFacingTarget(o, CObject::kUp, l, 1));  // not type 5: not asked
    EXPECT_TRUE(inputs.empty());
    EXPECT_TRUE(CObject::hasFacingTarget(o, CObject::kUp, l, 3));
    EXPECT_EQ(inputs, std::vector<int32_t>{CObject::kUp});  // the first found ends the search
    EXPECT_EQ(CObject::statics.s_inputDirection, CObject::kLeft);
}

TEST_F(ObjectReferencesTest, TheHeldSwingShowsItsFrameOnlyWhileFalling) {
    CObject* held = object(1, 21, {{CObject::PARAM_FLAGS, 1}}, 50);
    held->m_sprite->sprite = newSprite(fourFrameAnimations(60));
    CObject::statics.s_heldObject = held;
    static int32_t factor;
    objectActionSeams().getRangeFactor = [](CObject*) { return factor; };
    int32_t& level = CObject::statics.s_swingLevel;

    // 60 %: target 0; rate 100 % + 60 % x 60 / 100 = 136 % a second, 13.6 % in 100 ms.
    factor = 60 * kPercent / 100;
    level = kPercent / 2;
    CObject::updateHeld(held);
    const int32_t step = static_cast<int32_t>(100LL * (kPercent + static_cast<int64_t>(factor) * (factor >> 14) / 100) / 1000);
    EXPECT_EQ(level, kPercent / 2 - step);
    EXPECT_EQ(held->m_sprite->anim, 56);
    EXPECT_EQ(held->m_sprite->aframe, 1);  // 36 % of four frames

    // Rising toward 100 %: the frame stays as it is.
    factor = -60 * kPercent / 100;
    held->m_sprite->aframe = 3;
    const int32_t before = level;
    CObject::updateHeld(held);
    EXPECT_EQ(level, before + step);
    EXPECT_EQ(held->m_sprite->anim, 56);
    EXPECT_EQ(held->m_sprite->aframe, 3);
    // Past 100 % it stops there on animation 59; at the target nothing moves.
    level = kPercent - 1;
    CObject::updateHeld(held);
    EXPECT_EQ(level, kPercent);
    EXPECT_EQ(held->m_sprite->anim, 59);
    CObject::updateHeld(held);
    EXPECT_EQ(level, kPercent);
    // Below 0 it stops at 0 on animation 58.
    factor = 2 * kPercent;  // the rate is capped at 200 %
    level = 10 * kPercent / 100;
    CObject::updateHeld(held);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(held->m_sprite->anim, 58);
    // Without a factor, or not swinging, nothing happens.
    factor = 0;
    level = 5;
    CObject::updateHeld(held);
    EXPECT_EQ(level, 5);
}

TEST_F(ObjectReferencesTest, LinkOffsetsResolveTheLinkedIdFirst) {
    CObject* o = object(1, 16, {{CObject::PARAM_LIST_INDEX, -1}}, 50, 40, 50);
    CObject::computeLinkOffset(o);
    EXPECT_EQ(o->param(CObject::PARAM_MODE), 1);
    EXPECT_EQ(o->param(8), 40 << 14);
    EXPECT_EQ(o->param(9), 50 << 14);

    Game::objects.s_type5Objects = list({object(70, 5, {}, 50, 0, 0), object(77, 5, {}, 50, 30, 20)});
    CObject* linked = object(2, 16, {{CObject::PARAM_KIND, 2}, {CObject::PARAM_LIST_INDEX, 77}}, 50, 40, 50);
    CObject::computeLinkOffset(linked);
    EXPECT_EQ(linked->param(CObject::PARAM_LIST_INDEX), 1);
    EXPECT_EQ(linked->param(8), 10 << 14);
    EXPECT_EQ(linked->param(9), 30 << 14);
    // An id that is not listed stays, and there is no linked object to measure from.
    CObject* lost = object(3, 16, {{CObject::PARAM_KIND, 2}, {CObject::PARAM_LIST_INDEX, 99}, {8, 5}}, 50, 40, 50);
    CObject::computeLinkOffset(lost);
    EXPECT_EQ(lost->param(CObject::PARAM_LIST_INDEX), 99);
    EXPECT_EQ(lost->param(8), 5);
}

TEST_F(ObjectReferencesTest, RecordIdsBecomeTemplateIndices) {
    Game::objects.s_templates = list({object(5, 80), object(0x1234, 81)});
    ByteArray* data = om()->newByteArray(12);
    auto put = [&](int32_t at, int32_t v) {
        data->elements()[at] = static_cast<int8_t>(v);
        data->elements()[at + 1] = static_cast<int8_t>(v >> 8);
    };
    put(2, 0);
    put(4, 0x1234);
    Game::resolveRecordIdInData(data, 170, 2, nullptr, nullptr);
    EXPECT_EQ(data->elements()[4], 1);
    EXPECT_EQ(data->elements()[5], 0);
    put(4, 6);  // no template has id 6: -1, little-endian
    Game::resolveRecordIdInData(data, 170, 2, nullptr, nullptr);
    EXPECT_EQ(data->elements()[4], -1);
    EXPECT_EQ(data->elements()[5], -1);
    // Code 167 with record kind 2 also remaps the type-15 id at p + 4.
    Game::objects.s_type15Objects = list({object(9, 15), object(44, 15)});
    put(2, 2);
    put(4, 5);
    put(6, 44);
    Game::resolveRecordIdInData(data, 167, 2, nullptr, nullptr);
    EXPECT_EQ(data->elements()[4], 0);
    EXPECT_EQ(data->elements()[6], 1);
}

TEST_F(ObjectReferencesTest, OwnedTimersPauseResumeAndRelease) {
    Game::initPopups();
    const int32_t own = Game::timerAlloc(), popupTimer = Game::timerAlloc();
    const int32_t popup = Game::openPopup();
    JArray::setInt(static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, popup)), 18, popupTimer);
    CObject* o = object(1, 60, {{7, own}, {9, popup}});
    CObject::pauseObjectTimers(o);
    EXPECT_TRUE(Game::isTimerBelowMinusTwo(own));
    EXPECT_TRUE(Game::isTimerBelowMinusTwo(popupTimer));
    CObject::resumeObjectTimers(o);
    EXPECT_FALSE(Game::isTimerBelowMinusTwo(own));
    EXPECT_FALSE(Game::isTimerBelowMinusTwo(popupTimer));

    Game::objectActions.s_releaseFlag = 1;
    CObject* r = object(2, 27, {{20, own}, {21, popup}});
    CObject::releaseSlot(r);
    EXPECT_EQ(r->param(20), -1);
    EXPECT_FALSE(Game::isTimerSet(own));
    EXPECT_FALSE(Game::isTimerSet(popupTimer));  // the popup went with its timer
    EXPECT_EQ(Game::objectActions.s_releaseFlag, 0);
}

TEST_F(ObjectReferencesTest, PositionValuesFollowTheCameraAndThePlayersColumn) {
    GameMath::mathStatics.cameraX = 1000 << 14;
    Game::objects.s_player = object(9, 0, {}, 50, -10, 0);
    CObject* o = object(1, 60, {{14, -1}, {16, -1}, {CObject::PARAM_RECORD, -1}, {9, 3}}, 50, 1300, 70);
    CObject::updatePosition(o);
    EXPECT_EQ(o->param(35), 1300);
    EXPECT_EQ(o->param(34), 70);
    EXPECT_EQ(o->param(15), 1000);
    EXPECT_EQ(o->param(17), -1);  // rounds toward minus infinity
    EXPECT_EQ(o->param(9), 3);
    Game::objects.s_player->m_sprite->x = 95 << 14;
    CObject::updatePosition(o);
    EXPECT_EQ(o->param(17), 2);
}

TEST_F(ObjectReferencesTest, RailModesAndTheLinkedTable) {
    // Range records: 0 at x 40 with base 1; 1 at (100, 64).
    Game::tables.s_rangeEntries = rows({shorts({40, 0, 1}), shorts({100, 64, 1})});
    CObject* rail = object(8, 15, {}, 50, 7, 9);
    Game::objects.s_type15Objects = list({object(7, 15), rail});
    CObject* player = object(9, 0, {}, 50, 500, 300);
    Game::objects.s_player = player;
    CObject* o = object(1, 60, {{CObject::PARAM_MODE, 1}, {CObject::PARAM_FLAGS, 0}, {8, 1}});
    static std::vector<std::string> calls;
    calls.clear();
    actionSeams().requestEffectSound = [](int32_t v) { calls.push_back("sound " + std::to_string(v)); };
    objectActionSeams().setPlayerState = [](int32_t state, int32_t, CObject*) {
        calls.push_back("state " + std::to_string(state));
    };
    CObject::statics.s_stepIndex = 3;
    CObject::setMode2(o);
    EXPECT_EQ(o->m_sprite->anim, 6);  // facing animation 2, second side
    EXPECT_EQ(o->param(CObject::PARAM_FACING), 60);
    EXPECT_EQ(CObject::statics.s_stepIndex, 0);
    EXPECT_EQ(CObject::statics.s_stepSpeed, 280 << 14);
    EXPECT_EQ(player->m_sprite->x, 7 << 14);
    EXPECT_EQ(calls, std::vector<std::string>{"state 20"});  // the interaction starts
    calls.clear();
    CObject::setMode3(o);
    EXPECT_EQ(o->m_sprite->anim, 7);
    EXPECT_EQ(calls, std::vector<std::string>{"sound 10"});

    CObject::updateLinkedTable(o);
    EXPECT_EQ(rail->m_sprite->x, 100 << 14);
    EXPECT_EQ(rail->m_sprite->y, 64 << 14);
    EXPECT_EQ(rail->m_sprite->anim, 17);
    o->setParam(8, 0);
    CObject::updateLinkedTable(o);
    EXPECT_EQ(rail->m_sprite->anim, 16);
}

TEST_F(ObjectReferencesTest, LayerKeysAreBoundOnlyInPlayModeZero) {
    CObject* a = object(1, 50, {}, 50, 10, 20);
    CObject* b = object(2, 50, {}, 50, 30, 40);
    Game::objects.s_layerObjects = list({a, b});
    std::map<int32_t, int32_t> indices;
    for (int32_t i = 50; i < 69; ++i) indices[i] = -1;
    indices[50] = 1;
    indices[68] = 0;
    CObject* o = object(3, 50, indices, 70);
    a->m_sortKey = b->m_sortKey = -5;
    Game::stateStatics.playMode = 2;
    Game::bindObjectArrays(o);
    EXPECT_EQ(a->m_sortKey, -5);
    Game::stateStatics.playMode = 0;
    Game::bindObjectArrays(o);
    EXPECT_EQ(a->m_sortKey, Game::objectAnchorY(a, true));
    EXPECT_EQ(b->m_sortKey, Game::objectAnchorY(b, true));
}

TEST_F(ObjectReferencesTest, ListIdsResolveByType) {
    static std::vector<std::string> calls;
    calls.clear();
    game_pending::observer = [](const char* name) { calls.emplace_back(name); };
    CObject::resolveListIds(list({object(1, 25), object(2, 36), object(3, 24), nullptr}));
    game_pending::observer = nullptr;
    EXPECT_EQ(calls, (std::vector<std::string>{"CObject::resolveObjectIdParam", "CObject::resolveEntryIdParam"}));
}

}  // namespace

namespace {

class TimedRecordTest : public ObjectReferencesTest {};

TEST_F(TimedRecordTest, EnabledRecordsTakeATimerAndAMessageDisabledOnesLetGo) {
    Game::initPopups();
    GameMath::mathStatics.randomSeed = 0;  // the next value is 15470
    CObject* o = object(1, 60, {{0, 1}, {1, 3}, {2, 7}, {5, 1}, {7, -1}, {9, -1}});
    o->initTimers();
    const int32_t timer = o->param(7);
    EXPECT_TRUE(Game::isTimerSet(timer));
    EXPECT_EQ(o->param(8), 3000 + 15470 % 7);
    const int32_t popup = o->param(9);
    ASSERT_GE(popup, 0);
    auto* record = static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, popup));
    EXPECT_EQ(JArray::getInt(record, 1), 1);
    EXPECT_EQ(JArray::getInt(record, 2), 0);
    EXPECT_EQ(JArray::getInt(record, 3), o->param(8));
    // Restarting frees the old timer and message before taking new ones.
    const int32_t other = Game::timerAlloc();
    o->initTimers();
    EXPECT_EQ(o->param(7), timer);
    EXPECT_EQ(o->param(9), popup);
    EXPECT_TRUE(Game::isTimerSet(other));
    for (int32_t i = 0; i < Game::layouts.s_popups->length; ++i) {
        if (i == popup) continue;
        EXPECT_EQ(JArray::getInt(static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, i)), 0), 0) << i;
    }
    // Disabled: the message and the timer go.
    o->setParam(0, 0);
    o->initTimers();
    EXPECT_EQ(o->param(7), -1);
    EXPECT_EQ(o->param(9), -1);
    EXPECT_FALSE(Game::isTimerSet(timer));
    EXPECT_EQ(JArray::getInt(record, 0), 0);  // the popup record is free
}

}  // namespace

namespace {

TEST_F(ObjectReferencesTest, ViewSearchesCoverTheObjectsInView) {
    static ObjectArray* seenList;
    static int32_t seenTo;
    static bool seenOption, seenFirst;
    Game::grids.s_viewObjects = list({object(1, 5), object(2, 5)});
    Game::grids.s_viewObjectCount = 2;
    CObject* found = object(3, 5);
    static CObject* answer;
    answer = found;
    gamePendingSeams().findObjectInRange = [](int32_t, int32_t, ObjectArray* objects, int32_t from, int32_t to,
                                              bool option, bool stopAtFirst) -> CObject* {
        EXPECT_EQ(from, 0);
        seenList = objects;
        seenTo = to;
        seenOption = option;
        seenFirst = stopAtFirst;
        return answer;
    };
    EXPECT_EQ(CObject::findObjectInView(10, 20, true), found);
    gamePendingSeams() = {};
    EXPECT_EQ(seenList, Game::grids.s_viewObjects);
    EXPECT_EQ(seenTo, 2);
    EXPECT_TRUE(seenOption);
    EXPECT_FALSE(seenFirst);
}

}  // namespace
