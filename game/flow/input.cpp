// Touch input of the game canvas: the pending touch of the frame becomes key codes, by state.
#include "game/flow/game.h"

namespace {

constexpr int32_t kFire = -5;
constexpr int32_t kLeftSoft = -6;
constexpr int32_t kRightSoft = -7;
constexpr int32_t kFacingLeft = 0x408;
constexpr int32_t kFacingRight = 0x1010;
constexpr int32_t kNone = Game::kNoKeyCode;

bool inside(int32_t x, int32_t y, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
    return x >= x0 && x <= x1 && y >= y0 && y <= y1;
}
bool inLeftSoftZone(int32_t x, int32_t y) { return inside(x, y, 1, 249, 421, 479); }
bool inRightSoftZone(int32_t x, int32_t y) { return inside(x, y, 551, 799, 421, 479); }

bool oneOf(int32_t v, std::initializer_list<int32_t> set) {
    for (int32_t s : set)
        if (v == s) return true;
    return false;
}

// The touch of this frame as the game thread read it once.
struct Touch {
    int32_t pressX, pressY;
    int32_t releaseX, releaseY;
    bool down;
    bool released;
    bool pressIn(int32_t x0, int32_t x1, int32_t y0, int32_t y1) const { return inside(pressX, pressY, x0, x1, y0, y1); }
    bool releaseIn(int32_t x0, int32_t x1, int32_t y0, int32_t y1) const {
        return released && inside(releaseX, releaseY, x0, x1, y0, y1);
    }
};

// Menu 10: the entry a row selects for the cursor, -1 none.
int32_t optionListEntry(int32_t cursor, int32_t row) {
    static constexpr int32_t kRows[4][5] = {{0, 3, 4, 5, 6}, {0, 1, 5, 6, -1}, {0, 1, 2, 6, -1}, {0, 1, 2, 3, -1}};
    static constexpr int32_t kEntries[4][5] = {{0, 1, 2, 3, 4}, {0, 1, 3, 4, -1}, {0, 1, 2, 4, -1}, {0, 1, 2, 3, -1}};
    int32_t set = cursor == 3 || cursor == 4 ? 0 : cursor - 4;
    if (set < 0 || set > 3) return -1;
    for (int32_t i = 0; i < 5; ++i)
        if (kRows[set][i] == row && row >= 0) return kEntries[set][i];
    return -1;
}

}  // namespace

void Game::handlePointer() {
    GameInput::Statics& in = inputStatics;
    Touch t{};
    t.released = in.pointerReleased.load() != 0;
    t.pressX = in.pointerPressX.load();
    t.pressY = in.pointerPressY.load();
    t.releaseX = t.released ? in.pointerReleaseX.load() : kNone;
    t.releaseY = t.released ? in.pointerReleaseY.load() : kNone;
    t.down = in.pointerDown.load() != 0;
    const int32_t state = overlayStatics.gameState;
    const int32_t sub = overlayStatics.gameSubState;
    StateStatics& s = stateStatics;

    // Steps 1 and 2; a return from the lambda ends the handling.
    [&] {
        if (state != kStateGameplay && !(state == kStateMenu && sub == 0)) {
            if (t.down && (inLeftSoftZone(t.pressX, t.pressY) || inRightSoftZone(t.pressX, t.pressY))) return;
            if (t.released) {
                if (inLeftSoftZone(t.releaseX, t.releaseY)) return;
                if (inside(t.releaseX, t.releaseY, 751, 799, 421, 479)) {
                    keyPressed(kRightSoft);
                    return;
                }
            }
        }
        switch (state) {
            case kStateLoading: case kStateTitle: case 15: case 18:
                if (t.released) pointerReleaseAsFire(this, true);
                return;
            case kStateMenu: {
                if (sub == 9) return;
                if (sub == 10) {
                    const int32_t cursor = layouts.s_menuCursor;
                    if (t.pressX != kNone) {
                        const int32_t entry = optionListEntry(cursor, menuItemAt(10, t.pressX, t.pressY));
                        if (entry >= 0 && countUnlockedEntries() >= entry + 1) setMenuCursor(entry);
                    }
                    if (t.released) {
                        const int32_t row = menuItemAt(10, t.releaseX, t.releaseY);
                        if (row >= 0 && row == cursor - 2) {
                            if (upgradeMode() != 0) showUpgradePanel(0);
                            else keyPressed(kFire);
                        } else if (row >= 0 && row == cursor - 1) {
                            if (upgradeMode() == 1) keyPressed(kFire);
                            else showUpgradePanel(1);
                        }
                    }
                    return;
                }
                if (t.pressX != kNone) {
                    const int32_t item = menuItemAt(sub, t.pressX, t.pressY);
                    if (item >= 0) setMenuCursor(item);
                    if (sub == 0) {
                        s.softLeftLit = inLeftSoftZone(t.pressX, t.pressY);
                        s.softRightLit = inRightSoftZone(t.pressX, t.pressY);
                    }
                }
                if (t.released) {
                    const int32_t item = menuItemAt(sub, t.releaseX, t.releaseY);
                    if (item >= 0) {
                        if (sub == 0) setMenuCursor(item);
                        keyPressed(kFire);
                    } else if (sub == 0 && inLeftSoftZone(t.releaseX, t.releaseY)) {
                        if (flowStatics.s_promoEntryState >= 0 || s.promoSecondEntry != 0) setMenu(16, 1, -1);
                    } else if (sub == 0 && inRightSoftZone(t.releaseX, t.releaseY)) {
                        s.softRightLit = 0;
                        menuAction(5);
                    }
                }
                return;
            }
            case kStateGameplay: {
                // 1. Screens of gameplay that a tap moves on.
                const bool levelZeroPrompt =
                    sub == 0 && s.currentLevel == 0 && selectedObjectType() == 15 && playerAction() != 10;
                if (sub == 1 || sub == 2 || levelZeroPrompt) {
                    pointerAsKey5(this);
                    s.touchIsAction = 1;
                    if (levelZeroPrompt) return;
                } else {
                    s.touchIsAction = 0;
                }
                // 2-3. The pause button and the soft keys.
                s.pauseButtonLit = t.pressIn(741, 799, 1, 59);
                if (oneOf(sub, {0, 3, 4, 5})) {
                    if (t.releaseIn(741, 799, 1, 59)) {
                        keyPressed(kLeftSoft);
                        return;
                    }
                } else if (sub == 1 || sub == 2) {
                    if (t.releaseIn(551, 799, 1, 59)) {
                        keyPressed(kLeftSoft);
                        pointerReleaseAsFire(this, false);
                        return;
                    }
                    if (t.released && inRightSoftZone(t.releaseX, t.releaseY)) keyPressed(kRightSoft);
                    pointerReleaseAsFire(this, false);
                    return;
                } else {
                    return;
                }
                const int32_t action = playerAction();
                // 4. The on-screen pad and buttons.
                if (s.padShown != 0) {
                    if (t.pressIn(621, 699, 381, 479)) {
                        if (s.padKey5Held != 0) keyReleased(in.lastKeyCode.load());
                        s.padKey5Held = 1;
                        s.padKey0Held = 0;
                        keyPressed('5');
                    }
                    if (t.releaseIn(741, 799, 101, 199)) checkInteraction();
                    if (t.pressX != kNone && isPointInRect(t.pressX, t.pressY, 0, s.padTop, 210, 212)) {
                        s.padHeld = 1;
                        const int32_t key = touchGridValueAt(t.pressX, t.pressY);
                        if (t.pressX > 0 && !oneOf(action, {0, 9, 10, 12, 15, 21, 22})) {
                            if (oneOf(key, {'1', '4', '7'})) turnPlayer(kFacingLeft);
                            else if (oneOf(key, {'3', '6', '9'})) turnPlayer(kFacingRight);
                        }
                        if (key != '5' && key != kNoGridValue) keyPressed(key);
                    }
                    if (t.pressIn(701, 799, 321, 399)) {
                        s.padKey0Held = 1;
                        keyPressed('0');
                    }
                    return;
                }
                // 5. A 3 x 3 grid centred on the player.
                const int32_t x = t.pressX, y = t.pressY;
                if (x <= 0) return;
                const int32_t left = s.touchColumnLeft, right = s.touchColumnRight;
                const int32_t top = s.touchRowTop, bottom = s.touchRowBottom;
                if (!oneOf(action, {0, 1, 9, 10, 12, 15, 21, 22})) {
                    if (x < left) turnPlayer(kFacingLeft);
                    else if (x > right) turnPlayer(kFacingRight);
                }
                const int32_t column = x < left ? 0 : x > right ? 2 : (x > left && x < right) ? 1 : -1;
                const int32_t row = (y >= 1 && y < top) ? 0 : (y > top && y < bottom) ? 1 : (y > bottom && y < 480) ? 2 : -1;
                if (column < 0 || row < 0) return;
                int32_t key = '1' + row * 3 + column;
                const bool sideways = action == 12 || (row == 2 && s.playMode != 0);
                if (column != 1 && row != 1 && sideways) key = column == 0 ? '4' : '6';
                keyPressed(key);
                return;
            }
            case kStateSubmenu:
                if (sub == 0 && t.released) {
                    if (t.releaseX >= 1 && t.releaseX <= 399) keyPressed('4');
                    else if (t.releaseX >= 401 && t.releaseX <= 799) keyPressed('6');
                }
                return;
            default:
                return;
        }
    }();

    // 3. Release bookkeeping. Only what this frame read is cleared: a press or release that the
    // UI thread recorded since stays for the next frame.
    if (!t.released) return;
    int32_t expected = t.releaseX;
    const bool releaseKept = in.pointerReleaseX.compare_exchange_strong(expected, kNone);
    expected = t.releaseY;
    in.pointerReleaseY.compare_exchange_strong(expected, kNone);
    if (releaseKept) in.pointerReleased = 0;
    expected = t.pressX;
    const bool pressKept = in.pointerPressX.compare_exchange_strong(expected, kNone);
    expected = t.pressY;
    in.pointerPressY.compare_exchange_strong(expected, kNone);
    if (state == kStateGameplay && pressKept) {
        in.pointerDown = 0;
        in.pointerDragged = 0;
    }
    s.padHeld = s.padKey5Held = s.padKey0Held = 0;
    keyReleased(in.currentKeyCode.load());
}
