#include "game/flow/game_statics.h"
#include "game/flow/paint_statics.h"

#include <algorithm>
#include <cstddef>
#include <span>

#include "framework/core/game_base.h"
#include "framework/core/game_input.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "game/flow/game_state_statics.h"
#include "host/core/clock.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

GameStatics::FlowStatics GameStatics::flowStatics;

namespace {

// ---- constant tables ----------------------------------------------------------------------------

// Per list: its action count, then per action its length and elements.
constexpr int32_t kEventActionData[] = {
    // 0
    4,  6, 3, 1, 0, 14, -1, 2,  6, 3, 1, 1, 0, -1, 2,  6, 4, 0, 14, 400, 240, -1,  3, 6, 1, 3,
    // 1
    5,  3, 0, 4, 3,  3, 0, 2, 2,  6, 2, 2, 1, 0, 0, 10,  3, 1, 2, 0,  3, 6, 1, 3,
    // 2
    2,  2, 8, 17,  6, 3, 1, 2, 20, -1, 2,
    // 3
    42,  6, 3, 21, 1, 3, -1, 2,  2, 18, 15,  6, 3, 26, 0, 1, -1, 2,  6, 3, 26, 1, 2, -1, 2,  6, 3, 26, 2, 4, -1, 2,
    6, 3, 26, 3, 5, -1, 2,  6, 3, 26, 4, 6, -1, 2,  6, 3, 26, 5, 7, -1, 2,  6, 3, 26, 6, 8, -1, 2,
    6, 3, 26, 7, 9, -1, 2,  2, 18, 12,  3, 0, 1, 0,  3, 0, 0, 1,  3, 0, 3, 4,  3, 0, 5, 5,  3, 0, 6, 6,
    6, 2, 2, 1, 0, 1, 2,  6, 2, 2, 1, 0, 2, 2,  6, 2, 2, 2, 1, -1, 4,  6, 3, 3, 0, 15, 0, 2,
    6, 3, 21, 0, 16, -1, 2,  6, 3, 21, 2, 22, -1, 2,  6, 3, 21, 3, 17, -1, 2,  6, 3, 21, 4, 35, 0, 2,
    6, 3, 21, 5, 34, -1, 4,  6, 3, 22, 0, 21, -1, 2,  6, 3, 22, 1, 36, -1, 2,  6, 3, 22, 2, 33, -1, 4,
    6, 3, 8, 0, 24, 0, 2,  6, 3, 8, 1, 25, -1, 2,  6, 3, 8, 2, 26, -1, 2,  6, 3, 8, 3, 27, -1, 2,
    6, 3, 8, 4, 28, -1, 2,  6, 3, 8, 5, 29, -1, 2,  6, 3, 8, 6, 30, -1, 2,  2, 14, 11,  2, 18, 3,  2, 14, 12,
    2, 14, 13,  2, 14, 14,  2, 14, 15,  3, 6, 3, 1,
    // 4
    6,  2, 8, 10,  6, 3, 3, 0, 15, 0, 2,  6, 3, 26, 1, 2, -1, 2,  2, 14, 12,  2, 18, 15,  2, 18, 6,
    // 5
    3,  6, 3, -1, -1, 15, -1, -1,  6, 3, -1, -1, 2, -1, -1,  6, 5, -1, -1, 5, -1, -1,
    // 6
    8,  2, 8, 5,  3, 11, -1, -1,  3, 12, -1, -1,  3, 13, 20, -1,  2, 18, 14,  2, 18, 10,  2, 18, 9,  2, 18, 4,
    // 7
    7,  3, 0, 8, 7,  2, 18, 1,  2, 18, 11,  2, 18, 16,  2, 18, 2,  2, 18, 15,  2, 18, 5,
    // 8
    5,  3, 13, 20, -1,  2, 18, 14,  2, 18, 10,  2, 18, 9,  2, 18, 4,
    // 9
    4,  2, 18, 1,  2, 18, 16,  2, 18, 2,  2, 18, 5,
    // 10
    1,  6, 3, -1, -1, 18, -1, -1,
    // 11
    21,  6, 4, 1, 16, 0, 0, -1,  6, 4, 2, 16, 0, 0, -1,  6, 4, 5, 16, 0, 0, -1,  6, 4, 7, 16, 0, 0, -1,
    6, 4, 10, 16, 0, 0, -1,  6, 4, 6, 16, 0, 0, -1,  6, 4, 4, 3, 0, 0, -1,  6, 4, 11, 3, 0, 0, -1,
    6, 4, 18, 3, 0, 0, -1,  6, 4, 19, 3, 0, 0, -1,  6, 4, 9, 3, 0, 0, -1,  6, 4, 20, 3, 0, 0, -1,
    6, 4, 21, 3, 0, 0, -1,  6, 4, 22, 3, 0, 0, -1,  6, 4, 12, 16, 0, 0, -1,  6, 4, 15, 16, 0, 0, -1,
    6, 4, 13, 25, 0, 0, -1,  6, 4, 14, 16, 0, 0, -1,  6, 4, 16, 7, 0, 0, -1,  6, 4, 23, 6, 0, 0, -1,
    6, 4, 24, 8, 0, 0, -1,
    // 12
    1,  6, 5, 24, 0, 5, 2, 0,
    // 13
    4,  6, 5, 24, 1, 0, 1, 0,  6, 5, 24, 2, 1, 1, 0,  6, 5, 24, 3, 2, 1, 0,  6, 5, 24, 4, 3, 1, 0,
    // 14
    19,  6, 5, 24, 5, 4, 1, 7,  6, 5, 24, 6, 6, 1, 7,  6, 5, 24, 8, 8, 1, 7,  6, 5, 24, 8, 9, 1, 7,
    6, 5, 24, 7, 7, 1, 0,  6, 5, 25, 0, 10, 0, 15,  6, 5, 25, 1, 11, 0, 7,  6, 5, 25, 2, 12, 0, 7,
    6, 5, 25, 3, 13, 0, 15,  6, 5, 25, 4, 14, 0, 15,  6, 5, 25, 5, 15, 0, 15,  6, 5, 25, 6, 16, 0, 15,
    6, 5, 25, 7, 17, 0, 15,  6, 5, 25, 8, 18, 0, 15,  6, 5, 25, 9, 19, 0, 15,  6, 5, 25, 10, 20, 0, 15,
    6, 5, 25, 11, 21, 0, 15,  6, 5, 25, 12, 22, 0, 15,  6, 5, 25, 13, 23, 0, 15,
    // 15
    13,  6, 5, 27, 0, 24, 1, 15,  6, 5, 27, 1, 25, 1, 15,  6, 5, 27, 2, 26, 0, 15,  6, 5, 27, 3, 27, 0, 15,
    6, 5, 27, 4, 28, 0, 15,  6, 5, 27, 5, 29, 0, 15,  6, 5, 27, 6, 30, 0, 15,  6, 5, 27, 7, 31, 0, 15,
    6, 5, 27, 8, 32, 0, 15,  6, 5, 27, 9, 33, 0, 15,  6, 5, 27, 10, 34, 0, 15,  6, 5, 27, 11, 35, 0, 15,
    6, 5, 27, 12, 36, 0, 15,
    // 16
    2,  3, 0, 1, 0,  3, 0, 0, 1,
    // 17
    2,  6, 3, -1, -1, 14, -1, -1,  6, 4, 0, -1, -1, -1, -1,
    // 18
    4,  2, 8, 5,  6, 3, 26, 8, 12, -1, 2,  6, 3, 26, 9, 13, -1, 2,  2, 18, 17,
    // 19
    2,  6, 3, -1, -1, 12, -1, -1,  6, 3, -1, -1, 13, -1, -1,
};

// The menu count, then per menu its length and elements.
constexpr int32_t kMenuData[] = {
    17,
    9, 0, -1, -1, 2, 9, 3, 6, 2, -1,
    12, 0, -1, -1, 7, 46, 79, 3, 4, 8, 6, 2, -1,
    7, 0, 6, 12, 10, 11, 2, -1,
    7, 0, 6, 12, 10, 11, 2, -1,
    7, 0, 8, 12, 10, 11, 2, -1,
    7, 0, -1, 13, 10, 11, 2, -1,
    7, 0, 16, 12, 10, 11, 2, -1,
    9, 0, 3, -1, 77, 75, 16, 4, 2, 0,
    7, 0, 25, -1, 26, 27, 2, -1,
    19, 0, 28, -1, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 2, 0,
    10, 0, -1, -1, 48, 49, 50, 51, 52, 2, 0,
    7, 0, 42, 44, 10, 11, 2, -1,
    7, 0, 42, 45, 10, 11, 2, -1,
    12, 0, 63, -1, 64, 66, 68, 69, 70, 71, 73, 2, 0,
    7, 0, 2, 86, 10, 11, 2, -1,
    8, 0, 3, -1, 77, 75, 105, 2, 0,
    7, 0, -1, -1, 96, 97, 2, 0,
};

constexpr int32_t kMenuExtraData[] = {
    2,  6, 0, 0, 0, 1, 240, 12,  6, 0, 1, 0, 1, 240, 8,
};
constexpr int32_t kMenuLayouts[] = {0, 1, 2, 3, 3, 14, 2, 4, 8, 5, 10, 3, 3, 12, 2, 18, 19};
constexpr int32_t kMenuFirstElement[] = {9, 0, 4, 3, 3, 2, 4, 3, 2, 2, 8, 3, 3, 1, 4, 2, 3};
constexpr int32_t kMenuTitleElement[] = {-1, -1, 2, 1, 1, -1, 2, 2, 1, 1, -1, 1, 1, -1, 2, 1, 2};
constexpr int32_t kMenuMessageElement[] = {-1, -1, 3, 2, 2, 1, 3, -1, 1, 1, -1, 2, 2, -1, 3, -1, -1};
constexpr int32_t kInGameMenus[] = {1, 3, 4, 10, 12, 15};
constexpr int32_t kItemMasks[] = {0x10000, 128, 512, 8192, 32768};
constexpr int32_t kDirectionCodes[] = {258, 16388, 1032, 4112, 2080};
constexpr int32_t kMoveTableA[] = {34, 33, 21};
constexpr int32_t kMoveTableB[] = {31, 32, 27};

// ---- builders (a failed allocation is traced by the heap and leaves the static null) ----------------

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

IntArray* newInts(int32_t length) { return om()->newIntArray(length); }
ByteArray* newBytes(int32_t length) { return om()->newByteArray(length); }
ObjectArray* newObjects(int32_t length) { return om()->newObjectArray(mrc::kClass_CObject, length); }

IntArray* newInts(std::span<const int32_t> values) {
    IntArray* a = newInts(static_cast<int32_t>(values.size()));
    if (a && !values.empty()) std::copy(values.begin(), values.end(), a->elements());
    return a;
}

// int[][] from rows in the tables' form; `cursor` is left after them. Each row is complete before
// it is stored.
ObjectArray* newIntRows(const int32_t*& cursor) {
    const int32_t count = *cursor++;
    ObjectArray* rows = om()->newObjectArray(mrc::kClass_IntArray, count);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t length = *cursor++;
        IntArray* row = newInts({cursor, static_cast<std::size_t>(length)});
        cursor += length;
        if (rows) rows->elements()[i] = row;
    }
    return rows;
}

ObjectArray* newIntRows(std::span<const int32_t> data) {
    const int32_t* cursor = data.data();
    return newIntRows(cursor);
}

ObjectArray* newEventActions() {
    ObjectArray* lists = om()->newObjectArray(mrc::kClass_ObjectArray, GameStatics::kEventActionLists);
    const int32_t* cursor = kEventActionData;
    for (int32_t i = 0; i < GameStatics::kEventActionLists; ++i) {
        ObjectArray* list = newIntRows(cursor);
        if (lists) lists->elements()[i] = list;
    }
    return lists;
}

// String[count] of the consecutive string constants from `first`.
ObjectArray* newConstantTexts(int32_t first, int32_t count) {
    ObjectArray* texts = om()->newObjectArray(mrc::kClass_String, count);
    if (!texts) return nullptr;
    mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
    for (int32_t i = 0; i < count; ++i) texts->elements()[i] = statics->getStringConstant(first + i);
    return texts;
}

}  // namespace

// In the order of the class's own initialiser; statics it clears keep the store's zero.
void GameStatics::clinit() {
    FlowStatics& s = flowStatics;
    GameOverlay::OverlayStatics& overlay = GameOverlay::overlayStatics;

    // Input and touch.
    s.propertyDigits = newInts(3);
    GameInput::initInputStatics();
    s.s_softZoneWidth = 250;
    s.s_touchHalfSize = 70;
    s.s_padButtonWidth = 100;
    s.s_padButtonHeight = 100;
    s.s_padWidth = 210;
    s.s_padHeight = 212;

    // Game state.
    s.pendingResume = 0;
    overlay.stateHistory = om()->newShortArray(GameOverlay::kHistoryLength);
    overlay.stateHistoryIndex = 0;
    overlay.gameState = 0;
    overlay.gameSubState = 0;
    // The menu history goes with the state history.
    overlay.menuHistory = newBytes(GameOverlay::kHistoryLength);
    overlay.menuHistoryIndex = 0;
    s.s_itemMasks = newInts(kItemMasks);

    // Texts, further state and layout.
    s.constantTexts = newConstantTexts(kConstantTextsFirst, kConstantTextCount);
    s.stateValues[0] = 2;
    s.stateValues[1] = -1;
    s.stateTripleA = newInts(3);
    s.stateTripleB = newInts(3);
    overlay.boxRects = newInts(8);
    s.stateRect = newInts(4);
    s.s_layoutSelection = newInts(21);

    // Movement and camera.
    s.directionCodes = newInts(kDirectionCodes);
    s.moveTableA = newInts(kMoveTableA);
    s.moveTableB = newInts(kMoveTableB);
    s.farDistance = 80 << 14;
    s.nearDistance = 50 << 14;
    s.moveDuration = 3000;
    s.moveValues = newInts(10);

    // Save game and object lists.
    s.s_settings = newBytes(7);
    s.s_bestCompletion = newBytes(20);
    s.saveValues = newInts(50);
    s.s_displayList = newObjects(110);
    s.objectPool40 = newObjects(40);
    s.objectPool15 = newObjects(15);
    s.objectPool20A = newObjects(20);
    s.objectPool20B = newObjects(20);
    s.objectPool60A = newObjects(60);
    s.objectPool30 = newObjects(30);
    s.objectPool60B = newObjects(60);
    s.objectPool200 = newObjects(200);
    s.s_levelProgress = newBytes(1280);
    s.s_doneObjectBits = newBytes(10);
    s.s_type29Values = newBytes(40);
    s.s_loadPack = -1;
    s.s_loadPackEntry = -1;
    s.s_promoEntryState = -1;
    overlay.pendingMenuSelection = -1;

    // Event and menu tables.
    s.s_packNames = newConstantTexts(kPackNamesFirst, kPackNameCount);
    overlay.eventActions = newEventActions();
    s.eventActionFlags[0] = 1;
    s.eventActionFlags[1] = 1;
    s.s_menuTable = newIntRows(kMenuData);
    s.s_menuLayouts = newInts(kMenuLayouts);
    s.s_menuFirstElement = newInts(kMenuFirstElement);
    s.s_menuTitleElement = newInts(kMenuTitleElement);
    s.s_menuMessageElement = newInts(kMenuMessageElement);
    s.s_inGameMenus = newInts(kInGameMenus);
    s.menuExtraTable = newIntRows(kMenuExtraData);

    // Text and display buffers.
    GameText::initTextStatics();
    s.textScratch = newBytes(2);

    // Services.
    GameTimers::timerStatics.timerTable = om()->newLongArray(GameTimers::kTimerCount);
    GameMath::mathStatics.randomSeed = static_cast<int32_t>(host::tickCount());
    GameMath::mathStatics.edgeSegment = newInts(4);
    s.serviceBytes = newBytes(4);
    s.serviceRect = newInts(4);
    GameMath::mathStatics.angleTable = nullptr;

    // Objects, tables and saves.
    Game::initWorldStatics();
    Game::initLayoutStatics();
    Game::initPromptStatics();
    Game::initObjectOperations();
    GameStateStatics::initStateStatics();
}

namespace mrc {

void registerGameStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.flow", &GameStatics::flowStatics);
    registerGameStateStatics();
    registerPaintStatics();
    registerLayoutStatics();
    StaticClass::setInitialiser(StaticInit::Game, &GameStatics::clinit);
    registerObjectClasses();
    registerCellGridStatics();
    registerPathFinding();
    registerLevelSetupStatics();
    registerObjectOperationStatics();
    registerParticleStatics();
    registerPromptStatics();
    registerCinematicStatics();
    registerObjectActionStatics();
    registerCameraStatics();
    registerKindPaintStatics();
    registerInteractionStatics();
    StaticClass::registerStatics("Game.motion", &Game::motionTables);
}

}  // namespace mrc
