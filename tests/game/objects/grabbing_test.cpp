#include <gtest/gtest.h>

#include <set>

#include "tests/game/objects/object_actions_fixture.h"

namespace mrc::test {
namespace {

using Strings = std::vector<std::string>;

std::set<CObject*>& faced() {
    static std::set<CObject*> objects;
    return objects;
}

// Row 0 can be grabbed (aux record 1, held with aux record 0); row 1 cannot (field 29 is -1).
// Both rows' grab boxes: record 0 (-16, -40, 32 x 40), record 1 for play mode 2 (-16, -120, 32 x 80).
// The player stands at (160, 160) with a 40 x 60 box: the grab window is x 108-212, y 68-192.
class Grabbing : public ObjectActionsTest {
protected:
    void SetUp() override {
        ObjectActionsTest::SetUp();
        packedKinds({{{12, 0}, {29, 1}}, {{12, 0}, {29, -1}}});
        ShortArray* aux0 = shorts({0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 2});
        ShortArray* aux1 = shorts({0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0});
        Game::grids.s_auxRecords = om()->newObjectArray(kClass_ShortArray, 2);
        Game::grids.s_auxRecords->elements()[0] = aux0;
        Game::grids.s_auxRecords->elements()[1] = aux1;
        Game::motionTables.s_kindBoxes = om()->newObjectArray(kClass_ObjectArray, 2);
        for (int32_t row = 0; row < 2; ++row) {
            ObjectArray* records = om()->newObjectArray(kClass_ShortArray, 2);
            Game::motionTables.s_kindBoxes->elements()[row] = records;
            records->elements()[0] = shorts({-16, -40, 32, 40});
            records->elements()[1] = shorts({-16, -120, 32, 80});
        }
        player = placePlayer(160, 160);
        Game::objects.s_playerFlags = 0x100;
        Game::stateStatics.playMode = 0;
        CObject::statics.s_inputDirection = CObject::kRight;
        CObject::statics.s_effectObject = nullptr;
        faced().clear();
        interactionSeams().isFacing = [](CObject*, CObject* o) { return faced().contains(o); };
    }
    static ShortArray* shorts(std::initializer_list<int16_t> values) {
        ShortArray* a = om()->newShortArray(static_cast<int32_t>(values.size()));
        int32_t i = 0;
        for (int16_t v : values) a->elements()[i++] = v;
        return a;
    }
    CObject* grabbable(int32_t id, int32_t row, int32_t x, int32_t y, bool isFaced = true) {
        CObject* o = object(id, 5, {{3, row}, {38, 3}}, 50, x, y);
        if (isFaced) faced().insert(o);
        return o;
    }

    CObject* player = nullptr;
};

TEST_F(Grabbing, OnlyAFacedFreeObjectWithAHoldRecordInTheWindowIsGrabbed) {
    CObject* behind = grabbable(1, 0, 150, 160, false);
    CObject* noHold = grabbable(2, 1, 170, 160);
    CObject* far = grabbable(3, 0, 229, 160);  // its box starts at 213
    CObject* busy = grabbable(4, 0, 180, 160);
    busy->setParam(CObject::PARAM_STATE, 7);
    CObject* edge = grabbable(5, 0, 228, 160);  // its box starts at 212, the window's edge
    ObjectArray* objects = list({behind, noHold, far, busy, edge});

    Game::objects.s_playerFlags = 0;
    EXPECT_EQ(CObject::tryGrabObject(player, objects, 5), 0);
    Game::objects.s_playerFlags = 0x100;
    EXPECT_EQ(CObject::tryGrabObject(player, objects, 0), 0);
    EXPECT_EQ(CObject::tryGrabObject(player, objects, 4), 0);  // all but the last fail a test
    EXPECT_EQ(CObject::statics.s_effectObject, nullptr);
    EXPECT_TRUE(logged("Game::resetAllObjects").empty());

    CObject::statics.s_stepIndex = CObject::statics.s_stepSpeed = CObject::statics.s_stepExtra = 9;
    EXPECT_EQ(CObject::tryGrabObject(player, objects, 5), 1);
    EXPECT_EQ(CObject::statics.s_effectObject, edge);
    EXPECT_EQ(logged("Game::resetAllObjects").size(), 1u);
    EXPECT_EQ(std::vector<int32_t>({edge->param(14), edge->param(15), edge->param(16), edge->m_sprite->x >> 14,
                                    edge->m_sprite->y >> 14}),
              std::vector<int32_t>({2, 0, CObject::kRight, 161, 160}));
    EXPECT_EQ(std::vector<int32_t>({CObject::statics.s_stepIndex, CObject::statics.s_stepSpeed,
                                    CObject::statics.s_stepExtra}),
              std::vector<int32_t>({0, 0, 0}));
}

TEST_F(Grabbing, PlayModeTwoUsesTheSecondBox) {
    CObject* low = grabbable(1, 0, 200, 240);  // box y 220-260 in record 0, 160-240 in record 1
    ObjectArray* objects = list({low});
    EXPECT_EQ(CObject::tryGrabObject(player, objects, 1), 0);
    Game::stateStatics.playMode = 2;
    EXPECT_EQ(CObject::tryGrabObject(player, objects, 1), 1);
}

TEST_F(Grabbing, TheHoldRaisesTheFilterAndTheReleaseFadesIt) {
    Game::initPopups();
    Game::initPaintEffects();
    for (ObjectArray** table : {&CObject::statics.s_kindTables, &CObject::statics.s_kindHitTables}) {
        *table = om()->newObjectArray(kClass_ObjectArray, 1);
        (*table)->elements()[0] = om()->newObjectArray(kClass_CObject, 4);
    }
    Game::stateStatics.savedCounters->elements()[4] = static_cast<int8_t>(249);
    Game::hudStatics.s_chainTimerC = Game::timerAlloc();
    CObject::statics.s_comboTimer = Game::timerAlloc();
    advance(300);
    CObject* held = grabbable(1, 0, 200, 160);

    for (int round = 0; round < 2; ++round) {
        log().clear();
        CObject::statics.s_effectObject = held;
        CObject::statics.s_playerStateParam = 3;
        CObject::statics.s_effectIndex = 5;
        Game::enterHoldState(player);
        EXPECT_EQ(Game::stateStatics.savedCounters->elements()[4] & 0xFF, 250);  // stops at 250
        EXPECT_EQ(log(), Strings({"Game::resetAllObjects", "CObject::positionRelativeTo", "Game::runOnActiveObjects"}));
        EXPECT_EQ(CObject::statics.s_popupIndex, 0);
        auto* popup = static_cast<IntArray*>(Game::layouts.s_popups->elements()[0]);
        EXPECT_EQ(std::vector<int32_t>({popup->elements()[0], popup->elements()[1], popup->elements()[2],
                                        popup->elements()[20]}),
                  std::vector<int32_t>({4, 1, 1, 1}));
        EXPECT_EQ(Game::getTimerElapsed(CObject::statics.s_comboTimer), 0);  // restarted
        EXPECT_EQ(CObject::statics.s_playerStateParam, 0);
        EXPECT_EQ(CObject::statics.s_effectIndex, 0);
        EXPECT_NE(GameBase::statics.paintEffectFlags & 128, 0);
        EXPECT_NE(Game::stateStatics.overlayFlags & 128, 0);
        IntArray* filter = Game::paintEffectRow(4);
        EXPECT_EQ(std::vector<int32_t>(filter->elements(), filter->elements() + 4),
                  std::vector<int32_t>({0, 100, 0, 0}));
        EXPECT_EQ(held->param(46), 1);
        EXPECT_TRUE(Game::isTimerBelowMinusTwo(Game::hudStatics.s_chainTimerC));  // paused

        log().clear();
        advance(100);
        Game::leaveHoldState();
        EXPECT_EQ(log(), Strings({"Game::updateAllObjectsB"}));
        EXPECT_EQ(held->param(38), 2 - round);
        EXPECT_EQ(popup->elements()[0], 0);
        EXPECT_EQ(CObject::statics.s_popupIndex, -1);
        EXPECT_EQ(CObject::statics.s_effectObject, nullptr);
        EXPECT_EQ(filter->elements()[3], 2);  // fading out; the bits go when it has
        EXPECT_NE(GameBase::statics.paintEffectFlags & 128, 0);
        EXPECT_TRUE(Game::isTimerSet(Game::hudStatics.s_chainTimerC));
        EXPECT_FALSE(Game::isTimerBelowMinusTwo(Game::hudStatics.s_chainTimerC));
        filter->elements()[3] = 3;  // the fade ends
        Game::clearFlag(128);
        EXPECT_EQ(Game::stateStatics.overlayFlags & 128, 0);
    }
}

TEST_F(Grabbing, TheSwingFillsBy600Or300PerSecond) {
    struct Case {
        int32_t playMode;
        int frames;  // until full at 100 ms a frame
        Strings end;
        int32_t stepSpeed;
    };
    for (const Case& c : {Case{2, 2, {"Game::initCameraFromObject"}, 0}, Case{1, 4, {"Game::initCameraFromObject"}, 0},
                          Case{0, 4, {}, 0x320000}}) {
        Game::stateStatics.playMode = c.playMode;
        CObject::statics.s_swingLevel = 0;
        CObject::statics.s_stepSpeed = 0;
        CObject::statics.s_playerStateParam = 7;
        frame(100);
        for (int f = 1; f < c.frames; ++f) {
            Game::updateTimedMode(player);
            EXPECT_EQ(CObject::statics.s_swingLevel, (f * (c.playMode == 2 ? 60 : 30)) << 14);
            EXPECT_EQ(CObject::statics.s_playerStateParam, 7);
        }
        log().clear();
        Game::updateTimedMode(player);
        EXPECT_EQ(CObject::statics.s_swingLevel, 100 << 14) << c.playMode;
        EXPECT_EQ(CObject::statics.s_playerStateParam, 1);
        EXPECT_EQ(logged("Game::initCamera"), c.end);
        EXPECT_EQ(CObject::statics.s_stepSpeed, c.stepSpeed);
    }
}

TEST_F(Grabbing, SubStateFourHoldsTheEndedAnimationElseTheObjectIsLetGo) {
    CObject* held = grabbable(1, 0, 200, 160);
    CObject::statics.s_effectObject = held;
    CObject::statics.s_playerStateParam = 4;
    player->m_sprite->ended = 1;
    CObject::updateInMode4(player);
    EXPECT_EQ(CObject::statics.s_effectObject, held);
    EXPECT_TRUE(log().empty());

    player->m_sprite->ended = 0;
    CObject::updateInMode4(player);
    EXPECT_EQ(log(), Strings({"event 10", "Game::updateAllObjectsB"}));
    EXPECT_EQ(CObject::statics.s_effectObject, nullptr);
}

}  // namespace
}  // namespace mrc::test
