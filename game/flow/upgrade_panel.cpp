// The upgrade panel (layout 10): its two columns, the purchase that grows while the key is held,
// and the level boxes and pips of each upgrade.
#include "framework/sprite/sprite.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"

namespace {

constexpr int32_t kPanel = 10;
constexpr int32_t kMarkers[] = {22, 23, 28, 29};
constexpr int32_t kPointsGauge = 16, kPointsMax = 19;
constexpr int32_t kStepUnit = 163840;   // 10 points, 14 fraction bits
constexpr int32_t kStepMax = 3276800;   // 200 points
constexpr int32_t kStepMs = 300;
constexpr int32_t kInterfaceSprite = 3;
// The elements shown with each column (the marks of the chosen column).
constexpr int32_t kElementsA[] = {20};
constexpr int32_t kElementsB[] = {26};

CObject* player() { return isNull(Game::objects.s_player) ? nullptr : Game::objects.s_player; }
int32_t points() { return player() == nullptr ? 0 : player()->param(kPointsGauge); }
int32_t upgradeKind() { return Game::layouts.s_menuCursor - 3; }

IntArray* ints(const int32_t* values, int32_t n) {
    IntArray* a = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(n);
    for (int32_t i = 0; i < n && !isNull(a); ++i) a->elements()[i] = values[i];
    return a;
}

}  // namespace

void Game::initUpgradePanel() {
    layouts.s_upgradeElementsA = ints(kElementsA, 1);
    layouts.s_upgradeElementsB = ints(kElementsB, 1);
}

int32_t Game::upgradeMode() { return layouts.s_upgradeMode; }

void Game::showUpgradePanel(int32_t mode) {
    LayoutStatics& l = layouts;
    l.s_upgradeMode = mode;
    for (int32_t column = 0; column < 2; ++column) {
        IntArray* elements = column == 0 ? l.s_upgradeElementsA : l.s_upgradeElementsB;
        for (int32_t i = 0; !isNull(elements) && i < elements->length; ++i)
            setElementVisible(kPanel, JArray::getInt(elements, i), mode == column);
    }
    const int32_t left = mode == 0 ? 2 : 1, right = mode == 1 ? 2 : 1;
    for (int32_t i = 0; i < 4; ++i) setElementFrame(kPanel, kMarkers[i], i < 2 ? left : right);
    if (mode == 0 || mode == 1) l.s_upgradeAvailable = !getUpgradeValue(upgradeKind(), mode);
    if (points() <= 0) l.s_upgradeAvailable = 0;
    stateStatics.redraw = 1;
}

void Game::stepUpgradePurchase() {
    LayoutStatics& l = layouts;
    const int32_t column = l.s_upgradeMode != 0 ? 1 : 0;
    const int32_t held = getTimerElapsed(l.s_upgradeHoldTimer);
    int32_t step = held / kStepMs + 1 > kStepMax / kStepUnit ? kStepMax : (held / kStepMs + 1) * kStepUnit;
    const int32_t kind = upgradeKind();
    if (getUpgradeValue(kind, column)) {
        l.s_upgradeAvailable = 0;
        mrc_log("upgrade %d column %d is complete", kind, column);
        return;
    }
    const int32_t gap = getUpgradeCounterGap(kind, column);
    if (gap > 0 && gap < step) step = gap;
    l.s_upgradeStep = step;
    if (CObject::addToGauge(player(), 1, -step) == 0) addUpgradeProgress(kind, step, column);
    if (points() < 1) l.s_upgradeAvailable = 0;
}

void Game::paintUpgradeLevel(Graphics* g, int32_t kind, int32_t column, int32_t element) {
    const int32_t level = getUpgradeShort(kind, column), steps = getUpgradeShortAt2(kind, column);
    const int32_t frame = (level + 28) * 2;
    const int32_t px = getTableEntry1(kPanel, element), py = getTableEntry2(kPanel, element);
    ASprite* sprite = spriteSlot(kInterfaceSprite);
    paintFrameWithGraphics(sprite, g, frame, px, py, 0);
    for (int32_t i = 0; i < steps; ++i) {
        IntArray* r = getSpriteFrameRect(sprite, frame, i);
        paintFrameWithGraphics(sprite, g, level * 2 + 57, px + JArray::getInt(r, 0), py + JArray::getInt(r, 1), 0);
    }
    IntArray* r = getSpriteFrameRect(sprite, frame, steps);
    const int32_t rx = px + JArray::getInt(r, 0), ry = py + JArray::getInt(r, 1);
    const int32_t rw = JArray::getInt(r, 2), rh = JArray::getInt(r, 3);
    const int32_t max = player() == nullptr ? 0 : player()->param(kPointsMax) >> 14;
    const int32_t percent = max == 0 ? 0 : getUpgradeShort(kind, column + 4) * 100 / max;
    if (isNull(g)) return;
    const int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
    g->setClip(rx, ry, rw * percent / 100, rh);
    paintFrameWithGraphics(sprite, g, frame + 1, rx, ry, 0);
    g->setClip(cx, cy, cw, ch);
}

void Game::paintUpgradeMenu(Graphics* g) {
    const int32_t kind = upgradeKind();
    auto label = [&](int32_t element, int32_t text) {
        drawButton(g, kPanel, element, -1, 0, 0, 0, text, 0, 0, -1, -1);
    };
    paintHudPanel(g, getTableEntry1(kPanel, 15), getTableEntry2(kPanel, 15), false);
    label(18, 46);
    label(22, 54);
    for (int32_t column = 0; column < 2; ++column) {
        const int32_t marker = column == 0 ? 23 : 29;
        if (!getUpgradeValue(kind, column)) {
            JArray::setInt(textStatics.textArgs, 0, getUpgradeShort(kind, column));
            label(marker, 58);
        } else {
            label(marker, 60);
        }
        paintUpgradeLevel(g, kind, column, column == 0 ? 24 : 30);
        if (column == 0) label(28, 55);
    }
    if (JArray::getShort(layoutElement(kPanel, 34), 6) != 0) paintLayoutSprite(g, kPanel, 34, 0, 0, false);
    label(17, 57);
    if (layouts.s_upgradeMode == 2) paintSoftKeys(g);
}
