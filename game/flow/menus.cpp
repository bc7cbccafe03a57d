// The menu system: opening a menu with its history and per-menu preparation, the opening
// counter, key navigation over hidden items, the soft keys, the item actions and the sound
// options.
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"

namespace {
constexpr int32_t kFirstItem = 3;
constexpr int32_t kUp = 0x102, kDown = 0x4004, kLeft = 0x408, kRight = 0x1010, kConfirm = 0x820;
constexpr int32_t kLeftSoft = 0x40000, kRightSoft = 0x80000;
constexpr int32_t kMissingItemShift = 30;  // pixels per item the panel lacks
constexpr int32_t kEraseItem = 16;
constexpr int32_t kUpgradeMenu = 10;
constexpr int32_t kDeathMenu = 8;  // opened over the death scene, which goes on under it

IntArray* menuRowOf(int32_t menu) { return static_cast<IntArray*>(JArray::getRef(Game::flowStatics.s_menuTable, menu)); }
int32_t rowAt(IntArray* row, int32_t i) { return JArray::getInt(row, i); }
int32_t rowLength(IntArray* row) { return isNull(row) ? 0 : row->length; }
}  // namespace

Game::MenuStatics Game::menuStatics = {0, 0, 1, -1, 1, 1, 0, 0, 0, 0, 1, 0, 0};

void Game::initMenuStates() {
    // The backlight is kept lit while the game runs.
    menuStatics = {0, 0, 1, -1, 1, 1, 0, 0, 0, 0, 1, 0, 0};
    layouts.s_menuCursor = kFirstItem;
    stateUpdates[kStateMenu] = [](Game*) {
        if (layouts.s_menu == kDeathMenu) updateDeath(objects.s_player);
        if (overlayStatics.gameSubState == 0) updateMenu();
        else updateMenuAnimated();
    };
    statePaints[kStateMenu] = [](Game*, Graphics* g) {
        paintMenu(g, true);
        if (layouts.s_menu == kDeathMenu) paintDeath(g);
    };
    stateUpdates[kStateTitle] = [](Game*) { updateTitle(); };
    statePaints[kStateTitle] = [](Game*, Graphics* g) { paintTitle(g); };
    stateUpdates[kStateSubmenu] = [](Game*) { updateSubmenu(); };
    statePaints[kStateSubmenu] = [](Game*, Graphics* g) { paintSubmenu(g); };
    // Level set-up keeps the picture of the screen that entered it until the level code runs.
    statePaints[5] = [](Game*, Graphics* g) {
        if (!isNull(stateStatics.bufferImage)) g->drawImage(stateStatics.bufferImage, 0, 0, 20);
    };
    stateUpdates[kStatePromo] = [](Game*) { updatePromo(); };
    statePaints[kStatePromo] = [](Game*, Graphics* g) {
        if (promoHooks.paintOverlay) promoHooks.paintOverlay(g);
    };
}

bool Game::isMusicOn() { return menuStatics.musicOn != 0; }

void Game::pushMenuItemHistory() { pushMenuHistory(layouts.s_menuCursor); }

int32_t Game::popMenuHistory() {
    GameOverlay::OverlayStatics& o = overlayStatics;
    const int32_t entry = JArray::getByte(o.menuHistory, o.menuHistoryIndex);
    o.menuHistoryIndex = o.menuHistoryIndex <= 0 ? kHistoryLength - 1 : o.menuHistoryIndex - 1;
    return entry;
}

bool Game::isInGameMenu() {
    IntArray* menus = flowStatics.s_inGameMenus;
    for (int32_t i = 0; i < rowLength(menus); ++i)
        if (rowAt(menus, i) == layouts.s_menu) return true;
    return false;
}

void Game::setMenuCursor(int32_t index) {
    IntArray* row = menuRowOf(layouts.s_menu);
    layouts.s_menuCursor = index + kFirstItem;
    if (layouts.s_menuCursor >= rowLength(row) - 2) layouts.s_menuCursor = kFirstItem;
    menuStatics.selection = index;
    if (layouts.s_menu == kUpgradeMenu) showUpgradePanel(0);
}

void Game::refreshPromoEntry() {
    const PromoHooks& hooks = promoHooks;
    const int32_t loaded = hooks.countLoaded ? hooks.countLoaded() : 0;
    flowStatics.s_promoEntryState = loaded >= 1 ? 0 : -1;
    stateStatics.promoSecondEntry = hooks.anyEntryMatches && hooks.anyEntryMatches() ? 1 : 0;
}

void Game::preparePauseMenu() {
    setMenuCursor(0);
    JArray::setInt(menuRowOf(1), 4, CObject::countFlagged() != 0 ? 46 : -2);
}

void Game::prepareOptionsMenu() {
    setMenuCursor(0);
    IntArray* row = menuRowOf(layouts.s_menu);
    JArray::setInt(row, 3, menuStatics.musicOn ? 77 : 78);
    JArray::setInt(row, 4, menuStatics.soundEffectsOn ? 75 : 76);
}

void Game::prepareInGameOptionsMenu() {
    prepareOptionsMenu();
    JArray::setInt(menuRowOf(15), 5, stateStatics.padShown ? 105 : 106);
}

void Game::preparePromoMenu() {
    setMenuCursor(0);
    IntArray* row = menuRowOf(16);
    const int32_t state = flowStatics.s_promoEntryState;
    JArray::setInt(row, 3, state == 0 ? 98 : state == 1 ? 99 : state == 2 ? 96 : -2);
    JArray::setInt(row, 4, stateStatics.promoSecondEntry ? 97 : -2);
}

void Game::prepareMenu(int32_t menu) {
    switch (menu) {
        case 0: refreshPromoEntry(); break;
        case 1: preparePauseMenu(); break;
        case 2: case 3: case 4: case 5: case 6: case 11: case 12: case 14: setMenuCursor(1); break;
        case 7: prepareOptionsMenu(); break;
        case 8: case 9: setMenuCursor(0); break;
        case kUpgradeMenu: setMenuCursor(buildItemMenu()); openUpgradeMenu(); break;
        case 15: prepareInGameOptionsMenu(); break;
        case 16: preparePromoMenu(); break;
        default: break;
    }
}

int32_t Game::buildItemMenu() {
    IntArray* row = menuRowOf(kUpgradeMenu);
    IntArray* counted = CObject::statics.s_countedItems;
    int32_t result = 0;
    for (int32_t i = rowLength(counted) - 1; i >= 0; --i) {
        const int32_t v = rowAt(counted, i) & 0xFF;
        if (v > 9) JArray::setInt(row, i + kFirstItem, -1);
        else if ((objects.s_playerFlags >> v) & 1) {
            JArray::setInt(row, i + kFirstItem, 48 + i);
            result = i;
        } else {
            JArray::setInt(row, i + kFirstItem, -3);
        }
    }
    return result;
}

void Game::openUpgradeMenu() {
    layouts.s_upgradeAvailable = 0;
    showUpgradePanel(0);
    layouts.s_upgradeStep = 163840;
    for (int32_t i = 0; i < rowLength(CObject::statics.s_countedItems); ++i) setElementVisible(kUpgradeMenu, 36 + i, false);
}

void Game::setMenu(int32_t menu, int32_t enterState, int32_t selection) {
    LayoutStatics& l = layouts;
    selection = takeMenuSelection(selection);
    if (selection < 0) pushMenuItemHistory();
    if (host::traceStates()) mrc_log("menu %d -> %d (selection %d)", l.s_menu, menu, selection);
    l.s_menu = menu;
    l.s_menuTransition = l.s_menuPanelCentreY = menuStatics.transitionEnd = 0;
    menuStatics.panelNumber = 1;
    const int32_t layout = JArray::getInt(flowStatics.s_menuLayouts, menu);
    menuStatics.layoutId = layout;
    prepareMenu(menu);
    if (layout >= 0) {
        const int32_t panel = JArray::getInt(flowStatics.s_layoutSelection, layout);
        if (menu != kUpgradeMenu) {
            startListAnim(layout);
            IntArray* row = menuRowOf(menu);
            const int32_t buttons = getEntryValue(layout);
            int32_t visible = rowLength(row) - 5;
            for (int32_t i = kFirstItem; i < rowLength(row) - 2; ++i)
                if (rowAt(row, i) < 0) --visible;
            const int32_t missing = buttons - visible;
            if (missing >= 1 && panel >= 0) {
                const int32_t shift = kMissingItemShift * missing;
                const int32_t first = JArray::getInt(flowStatics.s_menuFirstElement, menu);
                for (int32_t e = first; e < first + buttons; ++e) moveLayoutElement(layout, e, 0, shift);
                moveLayoutElement(layout, panel, 0, shift);
                menuStatics.transitionEnd = getLayoutElementHeight(layout, panel) - shift;
            }
        }
        fillFromPairs(static_cast<ObjectArray*>(JArray::getRef(l.s_layouts, layout)), true);
        if (isEntryPresent(layout) && panel >= 0) {
            menuStatics.panelNumber = getElementNumber(layout, panel);
            if (menuStatics.transitionEnd == 0) menuStatics.transitionEnd = getLayoutElementHeight(layout, panel);
            ShortArray* e = layoutElement(layout, panel);
            l.s_menuPanelCentreY = JArray::getShort(e, 2) + menuStatics.transitionEnd / 2;
            auto* highlight = static_cast<ASpriteInstance*>(JArray::getRef(stateStatics.hudInstances, 18));
            if (!isNull(highlight)) highlight->setAnim(30);
            auto* bar = static_cast<ASpriteInstance*>(JArray::getRef(stateStatics.hudInstances, 23));
            if (!isNull(bar)) bar->setAnim(2);
        }
    }
    if (isInGameMenu()) {
        repaintBackgroundBuffer();
        fillOverlayBuffer(static_cast<int32_t>(0xE0160004u), kScreenWidth, 1);
        drawOverlayRect(stateStatics.bufferGraphics, 0, 0, kScreenWidth, kScreenHeight);
    }
    l.s_menuPhase = 0;
    if (enterState) {
        pushState();
        overlayStatics.gameState = kStateMenu;
        overlayStatics.gameSubState = menu;
        stateStatics.redraw = 1;
        stateStatics.stateTicks = 0;
    }
    if (selection >= 0) setMenuCursor(selection);
    if (menu == 7 && !isModeOne()) setMenuCursor(0);
    // A cursor left by another row (or never set) starts on the first item.
    const int32_t n = rowLength(menuRowOf(menu));
    if (l.s_menuCursor < kFirstItem || l.s_menuCursor > n - 3) l.s_menuCursor = kFirstItem;
}

void Game::runMenuPhases(bool mainMenu) {
    LayoutStatics& l = layouts;
    if (menuStatics.layoutId != -1) updateAnimList(menuStatics.layoutId);
    if (l.s_menuPhase == 0) {
        if (mainMenu) {
            l.s_menuPhase = 1;
        } else {
            l.s_menuTransition += 20 * ASpriteInstance::statics.logicStepsThisFrame;
            if (l.s_menuTransition >= menuStatics.transitionEnd) {
                l.s_menuTransition = menuStatics.transitionEnd;
                l.s_menuPhase = 1;
            }
        }
    }
    if (l.s_menuPhase == 1) {
        if (overlayStatics.gameState == kStateMenu && overlayStatics.gameSubState == 0) updateMainMenuInput();
        else updateMenuInput();
    } else if (l.s_menuPhase == 2) {
        if (mainMenu && l.s_menuCursor == 4 && !isModeOne()) {
            l.s_menuPhase = 1;
            return;
        }
        menuAction(rowAt(menuRowOf(l.s_menu), l.s_menuCursor));
    }
}

void Game::updateMenu() { runMenuPhases(true); }
void Game::updateMenuAnimated() { runMenuPhases(false); }

void Game::updateMainMenuInput() {
    LayoutStatics& l = layouts;
    IntArray* row = menuRowOf(l.s_menu);
    const int32_t n = rowLength(row), keys = inputStatics.keysPressed;
    if (keys & kUp) {
        l.s_menuCursor = l.s_menuCursor <= kFirstItem ? n - 3 : l.s_menuCursor - 1;
    } else if (keys & kDown) {
        l.s_menuCursor = l.s_menuCursor >= n - 3 ? kFirstItem : l.s_menuCursor + 1;
    } else if (keys & kLeftSoft) {
        if (rowAt(row, n - 2) >= 0) menuSoftKey(rowAt(row, n - 2));
    } else if (keys & kRightSoft) {
        if (rowAt(row, n - 1) >= 0) menuSoftKey(rowAt(row, n - 1));
    } else if (keys & kConfirm) {
        l.s_menuPhase = 2;
    }
}

// The cursor skips hidden items and, without a saved game, the erase item. A row whose every
// item is skipped keeps its cursor.
void Game::moveMenuCursor(int32_t step) {
    LayoutStatics& l = layouts;
    IntArray* row = menuRowOf(l.s_menu);
    const int32_t n = rowLength(row);
    auto skipped = [&](int32_t c) {
        const int32_t item = rowAt(row, c);
        return item < 0 || (item == kEraseItem && !isModeOne());
    };
    int32_t c = l.s_menuCursor;
    for (int32_t tries = kFirstItem; tries < n - 2; ++tries) {
        c += step;
        if (c < kFirstItem) c = n - 3;
        if (c > n - 3) c = kFirstItem;
        if (!skipped(c)) {
            l.s_menuCursor = c;
            break;
        }
    }
    stateStatics.redraw = 1;
}

void Game::confirmMenuItem() {
    if (toggleSoundItem()) return;
    if (isTouchControlsItem()) toggleTouchControls();
    else layouts.s_menuPhase = 2;
}

void Game::updateMenuInput() {
    // While the upgrade panel's hints run, the fade paces them and no key is read.
    if (layouts.s_menu == kUpgradeMenu && layouts.s_upgradeMode == 2) {
        if (updateProgressFade()) nextHint();
        return;
    }

    if (!upgradeMenuKeys()) updateCommonMenuKeys();
    upgradeHoldRule();
}

void Game::updateCommonMenuKeys() {
    IntArray* row = menuRowOf(layouts.s_menu);
    const int32_t n = rowLength(row), keys = inputStatics.keysPressed;
    if (keys & kUp) moveMenuCursor(-1);
    else if (keys & kDown) moveMenuCursor(1);
    else if (keys & kLeftSoft) {
        if (rowAt(row, n - 2) >= 0) menuSoftKey(rowAt(row, n - 2));
    } else if (keys & kRightSoft) {
        if (rowAt(row, n - 1) >= 0) menuSoftKey(rowAt(row, n - 1));
    } else if (keys & kConfirm) {
        confirmMenuItem();
    } else if (keys & (kLeft | kRight)) {
        if (!toggleSoundItem() && isTouchControlsItem()) toggleTouchControls();
    }
}

bool Game::toggleSoundItem() {
    LayoutStatics& l = layouts;
    if (l.s_menu != 7 && l.s_menu != 15) return false;
    IntArray* row = menuRowOf(l.s_menu);
    if (l.s_menuCursor == 4) {
        menuStatics.soundEffectsOn ^= 1;
        JArray::setInt(row, 4, menuStatics.soundEffectsOn ? 75 : 76);
        if (menuStatics.soundEffectsOn) requestSound(3);
        else stopAllSounds();
    } else if (l.s_menuCursor == 3) {
        menuStatics.musicOn ^= 1;
        JArray::setInt(row, 3, menuStatics.musicOn ? 77 : 78);
        if (!menuStatics.musicOn) stopAllSounds();
        else if (l.s_menu == 15) requestSound(2);
        else playMusic(5, 1);  // the menu music
    } else {
        return false;
    }
    stateStatics.redraw = 1;
    return true;
}

bool Game::isTouchControlsItem() { return layouts.s_menu == 15 && layouts.s_menuCursor == 5; }

void Game::toggleTouchControls() {
    stateStatics.padShown ^= 1;
    JArray::setInt(menuRowOf(15), 5, stateStatics.padShown ? 105 : 106);
    stateStatics.redraw = 1;
}

void Game::menuSoftKey(int32_t action) {
    if (action == 2) {
        confirmMenuItem();
        return;
    }
    if (action != 0) return;
    popState();
    inputStatics.keyLockFrames = 0;
    inputStatics.keysPressed = inputStatics.keysHeld = 0;
    inputStatics.stickyKeys = 0;
    clearKeys();
    const int32_t entry = popMenuHistory();
    if (overlayStatics.gameState == kStateMenu) {
        const int32_t sub = overlayStatics.gameSubState;
        if (sub != 0) setMenu(sub, 0, entry);
        else setMenu(0, 1, entry);
        stateStatics.redraw = 1;
    } else if (overlayStatics.gameState == kStateGameplay) {
        restoreBackground();
    }
}

void Game::startNewGame() {
    resetSaveData();
    stopAllSounds();
    stateStatics.currentLevel = 0;
    saves.s_resumeIndex = 0;
    enterLevelSetup(0);
    stateStatics.redraw = 1;
}

void Game::menuAction(int32_t item) {
    const int32_t menu = layouts.s_menu;
    auto open = [](int32_t n) { setMenu(n, 1, -1); };
    switch (menu) {
        case 0: case 1: case 7: case 16:
            switch (item) {
                case 2: if (menu == 0) { if (isModeOne()) { open(14); stateStatics.redraw = 1; } else startNewGame(); } break;
                case 9: if (menu == 0) enterLevelSetup(1); break;
                case 3: if (menu == 0) open(7); else if (menu == 1) open(15); break;
                case 4: if (menu == 1 || menu == 7) enterMenuState(0); break;
                case 5: enterMenuState(1); break;
                case 6: if (menu == 0) open(2); else if (menu == 1) open(3); stateStatics.redraw = 1; break;
                case 7: if (menu == 1) resumeFromPauseMenu(); break;
                case 8: if (menu == 1) { open(4); stateStatics.redraw = 1; } break;
                case 46: if (menu == 1) { open(kUpgradeMenu); stateStatics.redraw = 1; } break;
                case 79: if (menu == 1) enterMenuState(2); break;
                case kEraseItem: if (menu == 7) open(6); break;
                case 96: case 97: case 98: case 99: if (menu == 16) enterState(); break;
                default: break;
            }
            break;
        case 2: case 3: case 4: case 14:
            if (item == 11) menuSoftKey(0);
            else if (item == 10 && menu == 4) resetLevel(1);
            else if (item == 10 && menu == 14) startNewGame();
            else if (item == 10) setStateOnly(kStateQuit);
            break;
        case 5:
            if (item == 10 || item == 11) {
                menuStatics.musicOn = menuStatics.soundEffectsOn = item == 10;
                runStartCue();
                setState(kStateTitle, 1);
            }
            break;
        case 6:
            if (item == 10) {
                JArray::setByte(flowStatics.s_settings, 0, 0);
                resetSaveData();
            }
            if (item == 10 || item == 11) menuSoftKey(0);
            break;
        case 8: case 9: case 11: case 12: secondaryMenuAction(menu, item); break;
        case kUpgradeMenu:
            if (item >= 48 && item <= 52) {
                stepUpgradePurchase();
                layouts.s_menuPhase = 1;
            }
            break;
        default: break;
    }
}

void Game::enterMenuState(int32_t kind) {
    StateStatics& s = stateStatics;
    if (!isNull(s.bufferGraphics)) {
        s.bufferGraphics->setColor(0);
        s.bufferGraphics->fillRect(0, 0, kScreenWidth, kScreenHeight);
    }
    pushState();
    overlayStatics.gameState = kStateSubmenu;
    overlayStatics.gameSubState = kind;
    s.redraw = 1;
    s.stateTicks = 0;
    if (kind == 0) paintLayout11AndReset();
    else if (kind == 1) openScrollingTextPage();
    else paintLayoutAndResetCursor();
    pushMenuItemHistory();
}
