#include <gtest/gtest.h>

#include "tests/game/world_fixture.h"

namespace {

class PlayerItemsTest : public mrc::test::WorldTest {
protected:
    static void own(std::initializer_list<int32_t> items) {
        Game::objects.s_playerFlags = 0;
        for (int32_t i : items) Game::objects.s_playerFlags |= 1 << i;
    }
};

TEST_F(PlayerItemsTest, RingSearchesSkipItemsFiveAndSix) {
    struct Case {
        std::initializer_list<int32_t> owned;
        int32_t from, next, previous;
    };
    const Case cases[] = {
        {{1, 3}, 3, 1, 1},   // wraps past 4, 5, 6, 0
        {{1, 3}, 1, 3, 1},   // abs(-1) mod 7 comes back to 1
        {{3}, 3, -1, 3},     // only itself: the forward search never meets it, abs(-3) does
        {{5, 6}, 0, -1, -1}, // never in the ring
        {{2, 4}, 0, 2, 2},   // previous from 0 examines |−1|, |−2|, ... : 1, 2, 3, 4
        {{4}, 0, 4, 4},
        {{0, 4}, 2, 4, 0},
    };
    for (const Case& c : cases) {
        own(c.owned);
        EXPECT_EQ(CObject::nextEnabledItem(c.from), c.next) << c.from;
        EXPECT_EQ(CObject::previousEnabledItem(c.from), c.previous) << c.from;
    }
    own({5, 6});
    EXPECT_EQ(CObject::countFlagged(), 0);
    own({0, 2, 4, 5, 6});
    EXPECT_EQ(CObject::countFlagged(), 3);
}

TEST_F(PlayerItemsTest, PendingAbilitiesBecomeAppliedAndReachThePlayer) {
    GameObjectStatics& g = Game::objects;
    g.s_playerFlags = 0x1400 | 0x3;
    CObject::commitPendingFlags();
    EXPECT_EQ(g.s_playerFlags, 0x280 | 0x3);
    g.s_playerFlags = 0x800 | 0x100;
    CObject::commitPendingFlags();
    EXPECT_EQ(g.s_playerFlags, 0x100);

    g.s_player = object(0, 0, {{2, 9}, {3, 9}});
    g.s_currentItem = 2;
    g.s_playerFlags = 0x80;
    CObject::applyAbilityFlags(5);  // n >= 0: nothing
    EXPECT_EQ(g.s_player->param(2), 9);
    CObject::applyAbilityFlags(-1);
    EXPECT_EQ(g.s_player->param(2), 6);  // item anim 2 + 7
    EXPECT_EQ(g.s_player->param(3), 9);
    g.s_playerFlags = 0x200;
    CObject::applyAbilityFlags(-1);
    EXPECT_EQ(g.s_player->param(3), 2);
}

TEST_F(PlayerItemsTest, ItemSpritesComeFromLoadedSlotsOnly) {
    GameObjectStatics& g = Game::objects;
    Game::stateStatics.sprites = om()->newObjectArray(mrc::kClass_ASprite, 4);
    ASprite* sprites[4];
    for (int32_t i = 0; i < 4; ++i) Game::stateStatics.sprites->elements()[i] = sprites[i] = mrc::newObject<ASprite>();
    g.s_spriteSlots = om()->newByteArray(80);
    for (int32_t i = 0; i < 80; ++i) g.s_spriteSlots->elements()[i] = -1;
    CObject::statics.s_itemSpriteOffsets->elements()[3] = 2;
    g.s_spriteSlots->elements()[60] = 0;
    g.s_spriteSlots->elements()[61] = 1;  // items with offset 1
    g.s_spriteSlots->elements()[62] = 3;  // item 3
    g.s_currentItem = 3;
    g.s_nextItem = 1;
    CObject::refreshItemSprites();
    ObjectArray* shown = CObject::statics.s_itemSprites;
    EXPECT_EQ(shown->elements()[0], sprites[0]);
    EXPECT_EQ(shown->elements()[1], sprites[3]);
    EXPECT_EQ(shown->elements()[2], sprites[1]);
    EXPECT_EQ(CObject::statics.s_itemMarks->elements()[3], 1);
    EXPECT_EQ(CObject::statics.s_itemMarks->elements()[1], 2);

    // Not loaded: the previous sprite stays, the mark is still given.
    g.s_spriteSlots->elements()[61] = -1;
    g.s_currentItem = 4;
    g.s_nextItem = -1;
    CObject::refreshItemSprites();
    EXPECT_EQ(shown->elements()[1], sprites[3]);
    EXPECT_EQ(shown->elements()[2], sprites[1]);
    EXPECT_EQ(CObject::statics.s_itemMarks->elements()[4], 1);
}

TEST_F(PlayerItemsTest, SequenceStepsOfTheCurrentActionRecord) {
    GameObjectStatics& g = Game::objects;
    ShortArray* record = om()->newShortArray(14);
    const int16_t entries[] = {-1, 5, 0};  // entries 11, 12, 13
    for (int32_t i = 0; i < 3; ++i) record->elements()[11 + i] = entries[i];
    ObjectArray* kinds = om()->newObjectArray(mrc::kClass_ShortArray, 2);
    kinds->elements()[1] = record;
    g.s_itemSequenceTable = om()->newObjectArray(mrc::kClass_ObjectArray, 3);
    g.s_itemSequenceTable->elements()[2] = kinds;
    g.s_currentItem = 2;
    CObject::statics.s_itemSequence = 1;
    EXPECT_EQ(CObject::nextSequenceStep(-1), 1);
    EXPECT_EQ(CObject::nextSequenceStep(1), 2);
    EXPECT_EQ(CObject::nextSequenceStep(2), -1);
    EXPECT_EQ(CObject::countSequenceSteps(0), 0);
    EXPECT_EQ(CObject::countSequenceSteps(1), 0);
    EXPECT_EQ(CObject::countSequenceSteps(3), 2);
}

TEST_F(PlayerItemsTest, CinematicAnimationByCurrentItem) {
    const std::pair<int32_t, int32_t> cases[] = {{1, 204}, {2, 4}, {3, 120}, {4, 300}, {0, 4}};
    for (auto [item, anim] : cases) {
        Game::objects.s_currentItem = item;
        CObject::setCinematicPlayerAnim(30);
        EXPECT_EQ(CObject::statics.s_cinematicAnim, anim) << item;
    }
    CObject::setCinematicPlayerAnim(25);
    EXPECT_EQ(CObject::statics.s_cinematicAnim, 4);
}

TEST_F(PlayerItemsTest, StepsAndTheAnchorBehindThePlayer) {
    CObject::Statics& s = CObject::statics;
    s.s_stepSpeeds->elements()[2] = 300;
    CObject::setStep(2);
    EXPECT_EQ(s.s_stepIndex, 2);
    EXPECT_EQ(s.s_stepSpeed, 300 << 14);
    Game::objects.s_player = object(0, 0, {}, 50, 100, 200);
    struct Case {
        int32_t direction, x, y;
    };
    const int32_t d = 3 << 19;  // step 2: three tiles
    const Case cases[] = {{4112, (100 << 14) - d, 200 << 14}, {1032, (100 << 14) + d, 200 << 14},
                          {258, 100 << 14, (200 << 14) + d}, {16388, 100 << 14, (200 << 14) - d}};
    for (const Case& c : cases) {
        s.s_inputDirection = c.direction;
        CObject::placeAnchorBehindPlayer();
        EXPECT_EQ(s.s_anchorX, c.x);
        EXPECT_EQ(s.s_anchorY, c.y);
    }
    s.s_inputDirection = 1290;  // a diagonal: unchanged
    CObject::placeAnchorBehindPlayer();
    EXPECT_EQ(s.s_anchorY, (200 << 14) - d);
    CObject::setStep(0);
    s.s_inputDirection = 4112;
    CObject::placeAnchorBehindPlayer();
    EXPECT_EQ(s.s_anchorX, 100 << 14);

    s.s_stepIndex = 1;
    CObject::setAnchorAtObject(object(3, 5, {}, 50, -7, 9));
    EXPECT_EQ(s.s_stepSpeed, 280 << 14);
    EXPECT_EQ(s.s_anchorX, -7 << 14);
    EXPECT_EQ(s.s_anchorY, 9 << 14);
}

TEST_F(PlayerItemsTest, PlayerBoxFromTheObjectsTiles) {
    CObject::Statics& s = CObject::statics;
    CObject* o = object(1, 86, {{7, 3}, {8, 2}, {9, 5}, {10, 1}});
    CObject::setPlayerBox(o, false);
    EXPECT_EQ((std::vector<int32_t>{s.s_playerCollisionMask, s.s_boxWidth, s.s_boxHeight, s.s_boxOffsetX, s.s_boxOffsetY}),
              (std::vector<int32_t>{0x26FA, 64, 96, 32, 48}));
    CObject::setPlayerBox(o, true);
    EXPECT_EQ((std::vector<int32_t>{s.s_playerCollisionMask, s.s_boxWidth, s.s_boxHeight, s.s_boxOffsetX, s.s_boxOffsetY}),
              (std::vector<int32_t>{0x69A, 32, 160, 16, 160}));
}

TEST_F(PlayerItemsTest, InteractionTargetAndItsAnimationOffsets) {
    CObject::Statics& s = CObject::statics;
    Game::objects.s_templates = list({object(5, 81), object(7, 80), object(7, 81)});
    CObject::startInteraction(1, 3, object(7, 20));
    EXPECT_EQ(s.s_interactionTarget, 1);
    EXPECT_EQ(s.s_interactionKind, 1);
    EXPECT_EQ(s.s_interactionMode, 3);
    EXPECT_EQ(CObject::interactionAnimOffset(10), 163);
    s.s_interactionMode = 6;
    EXPECT_EQ(CObject::interactionAnimOffset(10), 10);
    CObject::startInteraction(1, 2, object(5, 20));  // a type-81 template
    EXPECT_EQ(CObject::interactionAnimOffset(10), 10);
    CObject::startInteraction(1, 2, object(99, 20));
    EXPECT_EQ(s.s_interactionTarget, -1);
    EXPECT_EQ(CObject::interactionAnimOffset(10), 10);

    const std::pair<int32_t, int32_t> kind0[] = {{0, 14}, {1, 99}, {2, 151}, {5, 151}, {3, 103}, {4, 167}, {6, 10}};
    for (auto [mode, anim] : kind0) {
        CObject::startInteraction(0, mode, nullptr);
        EXPECT_EQ(CObject::interactionAnimOffset(10), anim) << mode;
    }
    CObject::startInteraction(2, 0, nullptr);
    EXPECT_EQ(CObject::interactionAnimOffset(10), 10);
}

TEST_F(PlayerItemsTest, StatesThePlayerMayMoveIn) {
    struct Case {
        int32_t state, sub, playMode, blocked;
        bool allowed;
    };
    const Case cases[] = {
        {6, 0, 1, 0, false}, {10, 0, 1, 0, false}, {22, 0, 1, 0, false}, {9, 0, 0, 0, false}, {9, 0, 2, 0, true},
        {21, 7, 0, 0, false}, {21, 6, 0, 0, true}, {21, 0, 0, 0, true}, {25, 0, 0, 1, false}, {25, 0, 0, 0, true},
        {0, 7, 0, 1, true},
    };
    for (const Case& c : cases) {
        Game::stateStatics.playMode = c.playMode;
        CObject::statics.s_state25Blocked = c.blocked;
        EXPECT_EQ(CObject::canPlayerMoveInState(c.state, c.sub), c.allowed) << c.state << "/" << c.sub;
    }
}

TEST_F(PlayerItemsTest, CancellingAPendingReleaseClearsTheStep) {
    CObject::Statics& s = CObject::statics;
    s.s_stepIndex = 2, s.s_stepSpeed = 5, s.s_stepExtra = 6;
    CObject::cancelPendingRelease(nullptr);  // nothing pending
    EXPECT_EQ(s.s_stepIndex, 2);
    s.s_pendingRelease = 1;
    CObject::cancelPendingRelease(nullptr);
    EXPECT_EQ((std::vector<int32_t>{s.s_pendingRelease, s.s_stepIndex, s.s_stepSpeed, s.s_stepExtra}),
              (std::vector<int32_t>{0, 0, 0, 0}));
}

}  // namespace
