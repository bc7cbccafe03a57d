// The menus' actions beyond the main and options menus: resuming from the pause menu (also
// into a death), the death choice, the chapters, the summary's offer and the leave-level
// confirmation; menu 10's walk over its (row, column) places and its held purchase; and the
// ability flags of a completed game.
#include "framework/core/game_timers.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/arrays.h"

namespace {
constexpr int32_t kFirstItem = 3;
constexpr int32_t kUp = 0x102, kDown = 0x4004;
constexpr int32_t kStateDeath = 12;
constexpr int32_t kDeathPauseParam = 11;
constexpr int32_t kUpgradeMenu = 10;
constexpr int32_t kAbilityCount = 7;
constexpr int32_t kSecondAbilityExtra = 0x2000;

IntArray* menuRowOf(int32_t menu) { return static_cast<IntArray*>(JArray::getRef(Game::flowStatics.s_menuTable, menu)); }

CObject* playerObject() {
    CObject* p = Game::objects.s_player;
    return isNull(p) ? nullptr : p;
}
}  // namespace

void Game::resumeFromPauseMenu() {
    restoreBackground();
    popState();
    if (overlayStatics.gameState == kStateDeath) {
        if (CObject* p = playerObject()) p->setParam(kDeathPauseParam, 1);
        paintStatics.s_letterboxActive = 1;
        repaintBackgroundBuffer();
        paintDeathScene(stateStatics.bufferGraphics);
    }
    resetKeys(1);
}

void Game::chooseAfterDeath(int32_t item) {
    popState();
    CObject::statics.s_playerStateParam = item == 26 ? 6 : 7;
    if (CObject* p = playerObject()) CObject::selectAnimation(p->m_sprite, -1);
    fillScreen(0);
    stopAllSounds();
}

void Game::secondaryMenuAction(int32_t menu, int32_t item) {
    switch (menu) {
        case 8:
            if (item == 26 || item == 27) chooseAfterDeath(item);
            break;
        case 9:
            if (item >= 29 && item <= 42) selectSaveSlot(item - 29);
            break;
        case 11:
            if (item == 10) restartAtLevel(13);
            else if (item == 11) restartAtLevel(saves.s_nextLevel);
            break;
        case 12:
            if (item == 10) {
                CObject::commitPendingFlags();
                restartAtLevel(saves.s_nextLevel);
            } else if (item == 11) {
                restoreBackground();
                popState();
                resetKeys(1);
            }
            break;
        default: break;
    }
}

bool Game::upgradeMenuKeys() {
    LayoutStatics& l = layouts;
    if (l.s_menu != kUpgradeMenu) return false;
    // The hint sequence reads no keys; its steps come with the prompts.
    if (l.s_upgradeMode == 2) return true;
    const int32_t keys = inputStatics.keysPressed;
    const bool down = (keys & kDown) != 0;
    if (!down && (keys & kUp) == 0) return false;
    IntArray* row = menuRowOf(kUpgradeMenu);
    const int32_t last = (isNull(row) ? 0 : row->length) - 3;
    const int32_t column = l.s_upgradeMode;
    if (down ? column == 0 : column == 1) {
        showUpgradePanel(down ? 1 : 0);
        return true;
    }
    // Across to the next (or previous) row that shows an item, wrapping.
    int32_t c = l.s_menuCursor;
    for (int32_t tries = kFirstItem; tries <= last; ++tries) {
        c += down ? 1 : -1;
        if (c < kFirstItem) c = last;
        if (c > last) c = kFirstItem;
        if (JArray::getInt(row, c) >= 0) break;
    }
    l.s_menuCursor = c;
    stateStatics.redraw = 1;
    showUpgradePanel(down ? 0 : 1);
    return true;
}

void Game::upgradeHoldRule() {
    LayoutStatics& l = layouts;
    const bool buying = l.s_menu == kUpgradeMenu && (l.s_upgradeMode == 0 || l.s_upgradeMode == 1) &&
                        (inputStatics.keysHeld & kConfirmMask) != 0;
    if (buying) l.s_menuPhase = 2;
    else if (l.s_upgradeHoldTimer != -1) restartTimer(l.s_upgradeHoldTimer);
}

void Game::setAllAbilityFlags() {
    for (int32_t n = 0; n < kAbilityCount; ++n) {
        objects.s_playerFlags |= 1 << n;
        if (n == 1) objects.s_playerFlags |= kSecondAbilityExtra;
        CObject::applyAbilityFlags(n);
    }
    removeSelectableItem(5);
    removeSelectableItem(6);
}
