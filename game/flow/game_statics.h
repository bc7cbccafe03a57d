// The statics of the game class `Game` that belong to the game itself (the framework keeps its own
// in GameBase and GameInput), and the Game class's static initialiser.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class IntArray;
class ObjectArray;
class WM_JSound;

class GameStatics {
public:
    // String constants held by the two tables of texts: seven, then the 28 pack names.
    static constexpr int32_t kConstantTextsFirst = 503;  // 503-509
    static constexpr int32_t kConstantTextCount = 7;
    static constexpr int32_t kPackNamesFirst = 510;  // 510-537
    static constexpr int32_t kPackNameCount = 28;

    static constexpr int32_t kEventActionLists = 20;
    static constexpr int32_t kMenuCount = 17;

    struct FlowStatics {
        Object* instance;          // the game canvas (a Game), set by its constructor
        IntArray* propertyDigits;  // int[3], from an application property
        WM_JSound* sound;          // the game's sound manager
        std::atomic<uint8_t> pendingResume;  // set by hideNotify (UI thread): the next update resumes

        // Touch layout (pixels).
        int32_t s_softZoneWidth;  // the soft-key corner zones, softKeyBarHeight high
        int32_t s_touchHalfSize;  // half the centre cell of the gameplay touch grid
        int32_t s_padButtonWidth, s_padButtonHeight;  // the on-screen action buttons
        int32_t s_padWidth, s_padHeight;              // the direction pad at the left edge, from touchGridTop

        IntArray* s_itemMasks;  // int[5]: key-queue masks of '*', '1', '3', '7', '9'

        ObjectArray* constantTexts;  // String[7]
        int32_t stateValues[2];      // 2 and -1 at start
        IntArray* stateTripleA;      // int[3]
        IntArray* stateTripleB;      // int[3]
        IntArray* stateRect;         // int[4]
        IntArray* s_layoutSelection;   // int[21]: per interface layout

        // Movement and camera; distances with 14 fraction bits.
        IntArray* directionCodes;  // int[5]: up, down, left, right, and 2080
        IntArray* moveTableA;      // int[3]
        IntArray* moveTableB;      // int[3]
        int32_t farDistance;       // 80 pixels
        int32_t nearDistance;      // 50 pixels
        int32_t moveDuration;      // ms
        IntArray* moveValues;      // int[10]

        // Save game and object lists.
        ByteArray* s_settings;         // byte[7]: option bytes
        ByteArray* s_bestCompletion;   // byte[20]: per level
        IntArray* saveValues;        // int[50]
        ObjectArray* s_displayList;    // CObject[110]
        ObjectArray* objectPool40;   // the further object lists, by their size
        ObjectArray* objectPool15;
        ObjectArray* objectPool20A;
        ObjectArray* objectPool20B;
        ObjectArray* objectPool60A;
        ObjectArray* objectPool30;
        ObjectArray* objectPool60B;
        ObjectArray* objectPool200;
        // The counts of the per-frame lists (display list, hit list = objectPool40, type-0 list =
        // objectPool15, special list = objectPool20B; the layer objects in view are
        // Game::grids.s_viewObjects), type-5 objects among the hit list, type-20 objects listed.
        int32_t s_displayCount;
        int32_t s_hitListACount;
        int32_t s_type0Count;
        int32_t s_specialCount;
        int32_t s_frontType5Count;
        int32_t s_type20Count;
        ByteArray* s_levelProgress;   // byte[1280]: the copy kept for save record 4
        ByteArray* s_doneObjectBits;  // byte[10]
        ByteArray* s_type29Values;    // byte[40]
        int32_t s_loadPack;           // the loader's open pack; -1 none
        int32_t s_loadPackEntry;      // its entry read last; -1 none
        int32_t s_promoEntryState;    // -1 at start

        // Event and menu tables (the event action table itself is GameOverlay::eventActions).
        ObjectArray* s_packNames;        // String[28]
        uint8_t eventActionFlags[2];   // both set at start
        ObjectArray* s_menuTable;        // int[17][]: {0, title, message, items ..., 2, back}
        IntArray* s_menuLayouts;         // int[17]: interface layout of each menu
        IntArray* s_menuFirstElement;    // int[17]: layout element of the first item
        IntArray* s_menuTitleElement;    // int[17]: -1 none
        IntArray* s_menuMessageElement;  // int[17]: -1 none
        IntArray* s_inGameMenus;         // int[6]: the menus that open over a running game
        ObjectArray* menuExtraTable;   // int[2][6]

        ByteArray* textScratch;  // byte[2]

        ByteArray* serviceBytes;  // byte[4]
        IntArray* serviceRect;    // int[4]

        MRC_REF_FIELDS(&FlowStatics::instance, &FlowStatics::propertyDigits, &FlowStatics::sound,
                       &FlowStatics::s_itemMasks, &FlowStatics::constantTexts, &FlowStatics::stateTripleA,
                       &FlowStatics::stateTripleB, &FlowStatics::stateRect, &FlowStatics::s_layoutSelection,
                       &FlowStatics::directionCodes, &FlowStatics::moveTableA, &FlowStatics::moveTableB,
                       &FlowStatics::moveValues, &FlowStatics::s_settings, &FlowStatics::s_bestCompletion,
                       &FlowStatics::saveValues, &FlowStatics::s_displayList, &FlowStatics::objectPool40,
                       &FlowStatics::objectPool15, &FlowStatics::objectPool20A, &FlowStatics::objectPool20B,
                       &FlowStatics::objectPool60A, &FlowStatics::objectPool30, &FlowStatics::objectPool60B,
                       &FlowStatics::objectPool200, &FlowStatics::s_levelProgress, &FlowStatics::s_doneObjectBits,
                       &FlowStatics::s_type29Values, &FlowStatics::s_packNames, &FlowStatics::s_menuTable,
                       &FlowStatics::s_menuLayouts, &FlowStatics::s_menuFirstElement, &FlowStatics::s_menuTitleElement,
                       &FlowStatics::s_menuMessageElement, &FlowStatics::s_inGameMenus, &FlowStatics::menuExtraTable,
                       &FlowStatics::textScratch, &FlowStatics::serviceBytes, &FlowStatics::serviceRect);
    };
    static FlowStatics flowStatics;

    // The Game class's static initialiser: with the framework's blocks of Game it sets every start
    // value and builds the constant tables. Runs before QXLib's, so it reads no QXLib static.
    static void clinit();
};

namespace mrc {
// Registers the block of statics and the initialiser with StaticClass; idempotent.
void registerGameStatics();
}  // namespace mrc
