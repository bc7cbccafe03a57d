#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/game_base.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "game/flow/game_statics.h"
#include "host/core/clock.h"
#include "runtime/core/arrays.h"
#include "tests/framework/framework_fixture.h"
#include "tests/runtime/lang/constants_support.h"

namespace {

constexpr uint32_t kStartTick = 1234567;

// The elements of an int[]; empty for anything else.
std::vector<int32_t> elementsOf(Object* o) {
    auto* a = static_cast<IntArray*>(o);
    if (isNull(a) || a->m_classId != mrc::kClass_IntArray) return {};
    return std::vector<int32_t>(a->elements(), a->elements() + a->length);
}

// The Game initialiser run as start-up runs it: after the framework's own, with the string
// constants loaded.
class GameStaticsTest : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        mrc::registerGameStatics();
        FrameworkTest::SetUp();
        std::map<int, std::string> texts;
        for (int n = GameStatics::kConstantTextsFirst; n < GameStatics::kPackNamesFirst + GameStatics::kPackNameCount;
             ++n)
            texts[n] = "constant " + std::to_string(n);
        mrc::test::installConstants(texts);
        GameStatics::clinit();
    }

    static std::vector<int32_t> bytes(Object* o) {
        auto* a = static_cast<ByteArray*>(o);
        if (isNull(a) || a->m_classId != mrc::kClass_ByteArray) return {};
        return std::vector<int32_t>(a->elements(), a->elements() + a->length);
    }
    static ObjectArray* objects(Object* o) {
        auto* a = static_cast<ObjectArray*>(o);
        return isNull(a) || a->m_classId != mrc::kClass_ObjectArray ? nullptr : a;
    }
    static Object* at(ObjectArray* a, int32_t i) { return a && i < a->length ? a->elements()[i] : nullptr; }

    host::ManualClock clock{kStartTick};
};

using Ints = std::vector<int32_t>;

// Per list: the lengths of its actions in order (one digit each), its first and its last action.
struct ActionList {
    std::string_view lengths;
    Ints first, last;
};
const ActionList kActionLists[] = {
        {"6663", {3, 1, 0, 14, -1, 2}, {6, 1, 3}},  // 0
        {"33633", {0, 4, 3}, {6, 1, 3}},  // 1
        {"26", {8, 17}, {3, 1, 2, 20, -1, 2}},  // 2
        {"626666666623333366666666666666666662222223", {3, 21, 1, 3, -1, 2}, {6, 3, 1}},  // 3
        {"266222", {8, 10}, {18, 6}},  // 4
        {"666", {3, -1, -1, 15, -1, -1}, {5, -1, -1, 5, -1, -1}},  // 5
        {"23332222", {8, 5}, {18, 4}},  // 6
        {"3222222", {0, 8, 7}, {18, 5}},  // 7
        {"32222", {13, 20, -1}, {18, 4}},  // 8
        {"2222", {18, 1}, {18, 5}},  // 9
        {"6", {3, -1, -1, 18, -1, -1}, {3, -1, -1, 18, -1, -1}},  // 10
        {"666666666666666666666", {4, 1, 16, 0, 0, -1}, {4, 24, 8, 0, 0, -1}},  // 11
        {"6", {5, 24, 0, 5, 2, 0}, {5, 24, 0, 5, 2, 0}},  // 12
        {"6666", {5, 24, 1, 0, 1, 0}, {5, 24, 4, 3, 1, 0}},  // 13
        {"6666666666666666666", {5, 24, 5, 4, 1, 7}, {5, 25, 13, 23, 0, 15}},  // 14
        {"6666666666666", {5, 27, 0, 24, 1, 15}, {5, 27, 12, 36, 0, 15}},  // 15
        {"33", {0, 1, 0}, {0, 0, 1}},  // 16
        {"66", {3, -1, -1, 14, -1, -1}, {4, 0, -1, -1, -1, -1}},  // 17
        {"2662", {8, 5}, {18, 17}},  // 18
        {"66", {3, -1, -1, 12, -1, -1}, {3, -1, -1, 13, -1, -1}},  // 19
};

// Per menu: its length, title, message, first item and back action; every definition is
// {0, title, message, items ..., 2, back}.
struct MenuShape {
    int32_t length, title, message, firstItem, back;
};
const MenuShape kMenus[] = {
        {9, -1, -1, 2, -1},  // 0
        {12, -1, -1, 7, -1},  // 1
        {7, 6, 12, 10, -1},  // 2
        {7, 6, 12, 10, -1},  // 3
        {7, 8, 12, 10, -1},  // 4
        {7, -1, 13, 10, -1},  // 5
        {7, 16, 12, 10, -1},  // 6
        {9, 3, -1, 77, 0},  // 7
        {7, 25, -1, 26, -1},  // 8
        {19, 28, -1, 29, 0},  // 9
        {10, -1, -1, 48, 0},  // 10
        {7, 42, 44, 10, -1},  // 11
        {7, 42, 45, 10, -1},  // 12
        {12, 63, -1, 64, 0},  // 13
        {7, 2, 86, 10, -1},  // 14
        {8, 3, -1, 77, 0},  // 15
        {7, -1, -1, 96, 0},  // 16
};

void expectEventActions(ObjectArray* table) {
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->length, GameStatics::kEventActionLists);
    for (int32_t i = 0; i < table->length; ++i) {
        SCOPED_TRACE("list " + std::to_string(i));
        const ActionList& want = kActionLists[i];
        auto* list = static_cast<ObjectArray*>(table->elements()[i]);
        ASSERT_FALSE(isNull(list));
        ASSERT_EQ(list->m_classId, mrc::kClass_ObjectArray);
        ASSERT_EQ(list->length, static_cast<int32_t>(want.lengths.size()));
        for (int32_t k = 0; k < list->length; ++k) {
            auto* action = static_cast<IntArray*>(list->elements()[k]);
            ASSERT_FALSE(isNull(action));
            EXPECT_EQ(action->length, want.lengths[static_cast<std::size_t>(k)] - '0') << "action " << k;
        }
        EXPECT_EQ(elementsOf(list->elements()[0]), want.first);
        EXPECT_EQ(elementsOf(list->elements()[list->length - 1]), want.last);
    }
}

void expectMenus(ObjectArray* table) {
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->length, GameStatics::kMenuCount);
    for (int32_t i = 0; i < table->length; ++i) {
        SCOPED_TRACE("menu " + std::to_string(i));
        const MenuShape& want = kMenus[i];
        auto* menu = static_cast<IntArray*>(table->elements()[i]);
        ASSERT_FALSE(isNull(menu));
        ASSERT_EQ(menu->length, want.length);
        const int32_t* m = menu->elements();
        EXPECT_EQ(m[0], 0);
        EXPECT_EQ(m[1], want.title);
        EXPECT_EQ(m[2], want.message);
        EXPECT_EQ(m[3], want.firstItem);
        EXPECT_EQ(m[want.length - 2], 2);
        EXPECT_EQ(m[want.length - 1], want.back);
    }
}

TEST_F(GameStaticsTest, EventActionListsHoldTheirActionsInOrder) {
    ObjectArray* table = GameOverlay::overlayStatics.eventActions;
    expectEventActions(table);
    auto action = [&](int32_t list, int32_t k) { return elementsOf(at(objects(at(table, list)), k)); };
    EXPECT_EQ(action(3, 19), (Ints{3, 3, 0, 15, 0, 2}));
    EXPECT_EQ(action(3, 16), (Ints{2, 2, 1, 0, 1, 2}));
    EXPECT_EQ(action(11, 16), (Ints{4, 13, 25, 0, 0, -1}));
    EXPECT_EQ(action(14, 5), (Ints{5, 25, 0, 10, 0, 15}));
    EXPECT_EQ(action(6, 3), (Ints{13, 20, -1}));
    EXPECT_EQ(GameStatics::flowStatics.eventActionFlags[0], 1);
    EXPECT_EQ(GameStatics::flowStatics.eventActionFlags[1], 1);
}

TEST_F(GameStaticsTest, MenuTableAndItsPerMenuTables) {
    const GameStatics::FlowStatics& s = GameStatics::flowStatics;
    expectMenus(s.s_menuTable);
    EXPECT_EQ(elementsOf(at(s.s_menuTable, 1)), (Ints{0, -1, -1, 7, 46, 79, 3, 4, 8, 6, 2, -1}));
    EXPECT_EQ(elementsOf(at(s.s_menuTable, 9)),
              (Ints{0, 28, -1, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 2, 0}));
    EXPECT_EQ(elementsOf(at(s.s_menuTable, 13)), (Ints{0, 63, -1, 64, 66, 68, 69, 70, 71, 73, 2, 0}));
    EXPECT_EQ(elementsOf(s.s_menuLayouts), (Ints{0, 1, 2, 3, 3, 14, 2, 4, 8, 5, 10, 3, 3, 12, 2, 18, 19}));
    EXPECT_EQ(elementsOf(s.s_menuFirstElement), (Ints{9, 0, 4, 3, 3, 2, 4, 3, 2, 2, 8, 3, 3, 1, 4, 2, 3}));
    EXPECT_EQ(elementsOf(s.s_menuTitleElement), (Ints{-1, -1, 2, 1, 1, -1, 2, 2, 1, 1, -1, 1, 1, -1, 2, 1, 2}));
    EXPECT_EQ(elementsOf(s.s_menuMessageElement), (Ints{-1, -1, 3, 2, 2, 1, 3, -1, 1, 1, -1, 2, 2, -1, 3, -1, -1}));
    EXPECT_EQ(elementsOf(s.s_inGameMenus), (Ints{1, 3, 4, 10, 12, 15}));
    ASSERT_NE(objects(s.menuExtraTable), nullptr);
    EXPECT_EQ(s.menuExtraTable->length, 2);
    EXPECT_EQ(elementsOf(at(s.menuExtraTable, 0)), (Ints{0, 0, 0, 1, 240, 12}));
    EXPECT_EQ(elementsOf(at(s.menuExtraTable, 1)), (Ints{0, 1, 0, 1, 240, 8}));
}

TEST_F(GameStaticsTest, InputAndTouchStartValues) {
    const GameInput::Statics& in = GameInput::inputStatics;
    const GameStatics::FlowStatics& s = GameStatics::flowStatics;
    EXPECT_EQ(elementsOf(s.propertyDigits), (Ints{0, 0, 0}));
    EXPECT_TRUE(in.keyReleasedFlag);
    EXPECT_EQ(elementsOf(in.keyQueue), (Ints{0, 0, 0, 0, 0}));
    EXPECT_EQ(in.keyQueueCount, 0);
    EXPECT_FALSE(in.keyQueueEnabled);
    EXPECT_EQ(in.currentKeyCode, -1000);
    EXPECT_EQ(in.lastKeyCode, -256);
    EXPECT_EQ(in.pointerDownTime, kStartTick);
    EXPECT_FALSE(in.pointerDown);
    EXPECT_EQ(in.softKeyBarHeight, 60);
    EXPECT_EQ(in.touchGridTop, 268);
    EXPECT_EQ(in.touchCellWidth, 70);
    EXPECT_EQ(in.touchCellHeight, 70);
    ObjectArray* grid = objects(in.touchGridCodes);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->length, 3);
    EXPECT_EQ(elementsOf(at(grid, 0)), (Ints{'1', '2', '3'}));
    EXPECT_EQ(elementsOf(at(grid, 1)), (Ints{'4', '5', '6'}));
    EXPECT_EQ(elementsOf(at(grid, 2)), (Ints{'7', '8', '9'}));
    EXPECT_EQ((Ints{s.s_softZoneWidth, s.s_touchHalfSize, s.s_padButtonWidth, s.s_padButtonHeight, s.s_padWidth, s.s_padHeight}),
              (Ints{250, 70, 100, 100, 210, 212}));
}

TEST_F(GameStaticsTest, StateMovementAndServiceValues) {
    const GameStatics::FlowStatics& s = GameStatics::flowStatics;
    const GameOverlay::OverlayStatics& o = GameOverlay::overlayStatics;
    EXPECT_FALSE(s.pendingResume);
    ASSERT_FALSE(isNull(o.stateHistory));
    EXPECT_EQ(o.stateHistory->length, 10);
    EXPECT_EQ(o.stateHistoryIndex, 0);
    EXPECT_EQ(bytes(o.menuHistory), Ints(10, 0));
    EXPECT_EQ(o.menuHistoryIndex, 0);
    EXPECT_EQ(o.pendingMenuSelection, -1);
    EXPECT_EQ(elementsOf(s.s_itemMasks), (Ints{0x10000, 128, 512, 8192, 32768}));
    EXPECT_EQ(s.stateValues[0], 2);
    EXPECT_EQ(s.stateValues[1], -1);
    EXPECT_EQ(elementsOf(o.boxRects), Ints(8, 0));
    EXPECT_EQ(elementsOf(s.directionCodes), (Ints{258, 16388, 1032, 4112, 2080}));
    EXPECT_EQ(elementsOf(s.moveTableA), (Ints{34, 33, 21}));
    EXPECT_EQ(elementsOf(s.moveTableB), (Ints{31, 32, 27}));
    EXPECT_EQ(s.farDistance, 0x140000);
    EXPECT_EQ(s.nearDistance, 819200);
    EXPECT_EQ(s.moveDuration, 3000);
    EXPECT_EQ((Ints{s.s_loadPack, s.s_loadPackEntry, s.s_promoEntryState}), (Ints{-1, -1, -1}));
    EXPECT_EQ(bytes(GameText::textStatics.digitChars),
              (Ints{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(GameText::textStatics.textCachedPack, -1);
    Long64Array* timers = GameTimers::timerStatics.timerTable;
    ASSERT_FALSE(isNull(timers));
    EXPECT_EQ(timers->length, 230);
    EXPECT_EQ(GameMath::mathStatics.randomSeed, static_cast<int32_t>(kStartTick));
    EXPECT_EQ(GameMath::mathStatics.angleTable, nullptr);
}

// Every new array of the initialiser, its class and length (the ones listed above aside).
TEST_F(GameStaticsTest, ArraysHaveTheirLengths) {
    const GameStatics::FlowStatics& s = GameStatics::flowStatics;
    struct Case {
        const char* name;
        JArray* array;
        uint16_t classId;
        int32_t length;
    };
    const Case cases[] = {
        {"stateTripleA", s.stateTripleA, mrc::kClass_IntArray, 3},
        {"stateTripleB", s.stateTripleB, mrc::kClass_IntArray, 3},
        {"stateRect", s.stateRect, mrc::kClass_IntArray, 4},
        {"s_layoutSelection", s.s_layoutSelection, mrc::kClass_IntArray, 21},
        {"moveValues", s.moveValues, mrc::kClass_IntArray, 10},
        {"s_settings", s.s_settings, mrc::kClass_ByteArray, 7},
        {"s_bestCompletion", s.s_bestCompletion, mrc::kClass_ByteArray, 20},
        {"saveValues", s.saveValues, mrc::kClass_IntArray, 50},
        {"s_displayList", s.s_displayList, mrc::kClass_ObjectArray, 110},
        {"objectPool40", s.objectPool40, mrc::kClass_ObjectArray, 40},
        {"objectPool15", s.objectPool15, mrc::kClass_ObjectArray, 15},
        {"objectPool20A", s.objectPool20A, mrc::kClass_ObjectArray, 20},
        {"objectPool20B", s.objectPool20B, mrc::kClass_ObjectArray, 20},
        {"objectPool60A", s.objectPool60A, mrc::kClass_ObjectArray, 60},
        {"objectPool30", s.objectPool30, mrc::kClass_ObjectArray, 30},
        {"objectPool60B", s.objectPool60B, mrc::kClass_ObjectArray, 60},
        {"objectPool200", s.objectPool200, mrc::kClass_ObjectArray, 200},
        {"s_levelProgress", s.s_levelProgress, mrc::kClass_ByteArray, 1280},
        {"s_doneObjectBits", s.s_doneObjectBits, mrc::kClass_ByteArray, 10},
        {"s_type29Values", s.s_type29Values, mrc::kClass_ByteArray, 40},
        {"textScratch", s.textScratch, mrc::kClass_ByteArray, 2},
        {"edgeSegment", GameMath::mathStatics.edgeSegment, mrc::kClass_IntArray, 4},
        {"serviceBytes", s.serviceBytes, mrc::kClass_ByteArray, 4},
        {"serviceRect", s.serviceRect, mrc::kClass_IntArray, 4},
        {"textPackData", GameText::textStatics.textPackData, mrc::kClass_ObjectArray, 30},
        {"textPackOffsets", GameText::textStatics.textPackOffsets, mrc::kClass_ObjectArray, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(isNull(c.array));
        EXPECT_EQ(c.array->m_classId, c.classId);
        EXPECT_EQ(c.array->length, c.length);
    }
}

TEST_F(GameStaticsTest, TextTablesHoldConsecutiveStringConstants) {
    struct Case {
        ObjectArray* table;
        int32_t first, count;
    };
    const GameStatics::FlowStatics& s = GameStatics::flowStatics;
    for (const Case& c : {Case{s.constantTexts, 503, 7}, Case{s.s_packNames, 510, 28}}) {
        SCOPED_TRACE(c.first);
        ASSERT_NE(objects(c.table), nullptr);
        ASSERT_EQ(c.table->length, c.count);
        for (int32_t i = 0; i < c.count; ++i) {
            String* text = statics()->getStringConstant(c.first + i);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(c.table->elements()[i], text) << i;
        }
    }
}

// Every reference the initialiser stores is a collector root: a full collection keeps the tables
// whole, and no word of the game's blocks points at an object without being a root.
TEST_F(GameStaticsTest, TablesSurviveAFullCollection) {
    EXPECT_EQ(statics()->checkRoots(), 0);
    om()->gc(mrc::kGcForced);
    om()->gc(mrc::kGcForced);
    expectEventActions(GameOverlay::overlayStatics.eventActions);
    expectMenus(GameStatics::flowStatics.s_menuTable);
    const GameStatics::FlowStatics& s = GameStatics::flowStatics;
    EXPECT_EQ(elementsOf(at(s.menuExtraTable, 1)), (Ints{0, 1, 0, 1, 240, 8}));
    EXPECT_EQ(elementsOf(s.directionCodes), (Ints{258, 16388, 1032, 4112, 2080}));
    EXPECT_EQ(elementsOf(at(objects(GameInput::inputStatics.touchGridCodes), 2)), (Ints{'7', '8', '9'}));
    EXPECT_EQ(objects(s.s_packNames)->elements()[27], statics()->getStringConstant(537));
    EXPECT_FALSE(isNull(s.objectPool200));
    EXPECT_FALSE(isNull(GameTimers::timerStatics.timerTable));
}

// Start-up runs every initialiser in its fixed order: the game's runs before QXLib's, so inside it
// the frame budget still reads 0, and QXLib's own values follow.
TEST_F(GameStaticsTest, StartUpRunsTheGameInitialiserBeforeQXLibs) {
    static int32_t budgetSeenByGame;
    budgetSeenByGame = -1;
    QXLib::canvasStatics.frameBudget = 0;
    auto recordingGameInit = [] {
        budgetSeenByGame = QXLib::canvasStatics.frameBudget;
        GameStatics::clinit();
    };
    auto previous = mrc::StaticClass::setInitialiser(mrc::StaticInit::Game, recordingGameInit);
    statics()->runStaticInitialisers();
    mrc::StaticClass::setInitialiser(mrc::StaticInit::Game, previous);

    EXPECT_EQ(budgetSeenByGame, 0);
    EXPECT_EQ(QXLib::canvasStatics.frameBudget, 1000 / QXLibConfig::statics.TARGET_FPS);
    EXPECT_EQ(QXLib::keyStatics.heldKeyCode, QXLib::kNoHeldKey);
    EXPECT_EQ(GameInput::inputStatics.pointerDownTime, kStartTick);
    expectMenus(GameStatics::flowStatics.s_menuTable);
}

}  // namespace
