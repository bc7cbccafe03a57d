// The interface layouts: per layout (0-20) its element records as loaded, their default
// positions, the instances of animated elements and the two per-instance value tables; the
// loader's extra records; and the statics of the layout painters, the upgrade panel, the
// two-choice prompt and the sliding banner. `Game::layouts` holds the one block.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class IntArray;
class Long64Array;
class ObjectArray;

struct LayoutStatics {
    ObjectArray* s_layouts;          // Object[21]: short[][] element records per layout
    ObjectArray* s_layoutDefaults;   // Object[21]: short[2][] (x, y) per element as first read
    ObjectArray* s_layoutInstances;  // Object[21]: ASpriteInstance[] of the animated elements
    ObjectArray* s_layoutValuesA;    // Object[21]: short[]: each instance's sprite slot
    ObjectArray* s_layoutValuesB;    // Object[21]: short[]: each instance's animation
    ObjectArray* s_defExtraRecords;  // int[E][10]: kind-10 and kind-11 records of the last set with any
    int32_t s_layoutRowOffset;       // the running offset while layout 10's rows are laid out

    // Upgrade panel (layout 10).
    int32_t s_upgradeMode;           // column 0 or 1; 2 while its hint sequence runs
    IntArray* s_upgradeElementsA;    // elements shown in column 0
    IntArray* s_upgradeElementsB;    // elements shown in column 1
    uint8_t s_upgradeAvailable;
    int32_t s_upgradeHoldTimer;      // timer id while the purchase key is held; -1 none
    int32_t s_upgradeStep;           // amount of the current step, 14 fraction bits
    int32_t s_panelStep;             // the panel's opening step

    uint8_t s_startCuePlayed;
    int32_t s_buttonOffsetX, s_buttonOffsetY;  // slide offset of the last label drawn
    // The open menu and its cursor: the menus read and write them.
    int32_t s_menu;
    int32_t s_menuCursor;      // the selected entry of the menu's row (items from 3)
    int32_t s_menuPhase;       // 0 opening, 1 and 2 open
    int32_t s_menuTransition;  // half the height of the opening panel, pixels
    int32_t s_menuPanelCentreY;

    // Two-choice prompt and sliding banner.
    int32_t s_promptState;
    int32_t s_promptPacked;  // answer | blink timer << 8 | main timer << 16 | blink phase << 24
    int32_t s_promptValueA;
    IntArray* s_slidingBanner;  // int[4]: phase, width, x (14 fraction bits), timer id

    // The level's event scripts: code, per script its offset and command count, the waits'
    // timers, the running script (-1 none) and the scripts' timer id (-1 none).
    ByteArray* s_scriptBytes;
    IntArray* s_scriptOffsets;
    ByteArray* s_scriptCommandCounts;
    Long64Array* s_scriptTimers;
    int32_t s_scriptIndex;
    int32_t s_scriptTimer;
    // The running script's read position and commands left, and whether a scene is being skipped
    // (fast-forwarded after the back key).
    int32_t s_scriptPos;
    int32_t s_scriptLeft;
    bool s_scriptSkipping;

    // The popup table (int[10][21], made at level set-up) and its current record, -1 none.
    ObjectArray* s_popups;
    int32_t s_currentPopup;

    MRC_REF_FIELDS(&LayoutStatics::s_layouts, &LayoutStatics::s_layoutDefaults, &LayoutStatics::s_layoutInstances,
                   &LayoutStatics::s_layoutValuesA, &LayoutStatics::s_layoutValuesB,
                   &LayoutStatics::s_defExtraRecords, &LayoutStatics::s_upgradeElementsA,
                   &LayoutStatics::s_upgradeElementsB, &LayoutStatics::s_slidingBanner,
                   &LayoutStatics::s_popups, &LayoutStatics::s_scriptBytes, &LayoutStatics::s_scriptOffsets,
                   &LayoutStatics::s_scriptCommandCounts, &LayoutStatics::s_scriptTimers);
};

namespace mrc {
// Registers the block with StaticClass; idempotent.
void registerLayoutStatics();
}  // namespace mrc
