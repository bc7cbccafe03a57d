// What the current popup draws: the icon row of a counter, the shrinking time bar (or the layout
// picture), the item markers around the player, and the popup's icon by kind.
#include <cstdint>

#include "game/flow/game.h"
#include "game/flow/hud_draw.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"

namespace {

using namespace hud_draw;

constexpr int32_t kHudLayout = 6, kPopupElement = 12, kPopupFrame = 98;
constexpr int32_t kDisplay = 1, kCounter = 2, kLimit = 4, kDone = 6, kTotal = 7, kIconSprite = 10, kTodoFrame = 13,
                  kDoneFrame = 14, kMaskA = 15, kMaskB = 16, kMaskC = 17, kTimer = 18;
constexpr int32_t kCounterInstance = 8, kTimeInstance = 9, kIconInstance = 11;
constexpr int32_t kMarkerSprite = 21, kMarkers = 5;
constexpr int32_t kWarningColour = 0xF30800;

IntArray* currentPopup() {
    const LayoutStatics& l = Game::layouts;
    if (isNull(l.s_popups) || l.s_currentPopup < 0 || l.s_currentPopup >= l.s_popups->length) return nullptr;
    auto* r = static_cast<IntArray*>(JArray::getRef(l.s_popups, l.s_currentPopup));
    return isNull(r) ? nullptr : r;
}
int32_t get(IntArray* r, int32_t f) { return JArray::getInt(r, f); }

int32_t popupX() { return Game::getTableEntry1(kHudLayout, kPopupElement); }
int32_t popupY() { return Game::getTableEntry2(kHudLayout, kPopupElement); }

// The player's instance placed for the camera (and, with `back`, returned to the world).
void placePlayer(CObject* p, bool back) {
    Game::computeLayerOffset(p->m_sprite, p->m_type, 1, p->m_params);
    if (back) Game::computeLayerOffsetAlt(p->m_sprite, p->m_type, 1, p->m_params);
}

}  // namespace

void Game::paintPopupRow(Graphics* g) {
    IntArray* r = currentPopup();
    if (noGraphics(g) || r == nullptr) return;
    const int32_t kind = get(r, kCounter);
    if (kind != 2 && kind != 3 && kind != 4 && kind != 6) return;
    const int32_t total = get(r, kTotal), done = get(r, kDone);
    if (total <= 0) return;  // no row to divide
    const Rect m = frameRect(spriteSlot(kInterfaceSprite), kPopupFrame, 0);
    const int32_t slot = m.w / total;
    int32_t x = m.x + slot / 2 + popupX() + 100;
    const int32_t y = m.y + popupY();
    ASprite* icons = spriteSlot(get(r, kIconSprite));
    for (int32_t k = 0; k < done - 1; ++k, x += slot) paintFrameWithGraphics(icons, g, get(r, kDoneFrame), x, y, 0);
    if (done >= 1) {
        if (ASpriteInstance* newest = hudInstance(kCounterInstance)) {
            newest->setPosition(x, y);
            newest->paint(g);
        }
        x += slot;
    }
    for (int32_t k = 0; k < total - done; ++k, x += slot) paintFrameWithGraphics(icons, g, get(r, kTodoFrame), x, y, 0);
}

void Game::paintPopupTimeBar(Graphics* g) {
    IntArray* r = currentPopup();
    if (noGraphics(g) || r == nullptr) return;
    const int32_t display = get(r, kDisplay);
    if (display == 4) {
        paintLayoutSprite(g, kHudLayout, kPopupElement, 0, 0, false);
        return;
    }
    if (display != 1 || get(r, kLimit) <= 0) return;  // a time bar without a limit has no scale
    paintLayoutSprite(g, kHudLayout, kPopupElement, 0, 0, false);
    const Rect bar = frameRect(spriteSlot(kInterfaceSprite), kPopupFrame, 1);
    const int32_t used = static_cast<int32_t>(int64_t(getTimerElapsed(get(r, kTimer))) * bar.w / get(r, kLimit));
    const int32_t x = popupX() + bar.x, y = popupY() + bar.y;
    if (used > bar.w - bar.w / 4 && used % 6 < 3) {
        g->setColor(kWarningColour);
        g->fillRect(x, y + bar.h / 2, bar.w, 1);
    }
    {
        const ClipSaver saved(g);
        g->setClip(x + used, y, bar.w - used, bar.h);
        fillGradient(g, x, y, bar.w, bar.h, 0xFFF600, 0xD30800);
    }
    if (ASpriteInstance* end = hudInstance(kTimeInstance)) {
        end->setPosition(x + used, y);
        end->paint(g);
    }
}

void Game::applyLevelObject(Graphics*) {
    if (CObject* p = player(); p != nullptr) placePlayer(p, true);
}

void Game::paintPopupMarkers(Graphics* g) {
    IntArray* r = currentPopup();
    CObject* p = player();
    if (noGraphics(g) || r == nullptr || p == nullptr || get(r, kCounter) != 1 || isNull(p->m_sprite)) return;
    // The screen position is read between placing and returning, so the player stays in the world.
    placePlayer(p, false);
    const int32_t x = p->m_sprite->x >> 14, y = p->m_sprite->y >> 14;
    computeLayerOffsetAlt(p->m_sprite, p->m_type, 1, p->m_params);
    ASprite* markers = spriteSlot(kMarkerSprite);
    IntArray* bits = flowStatics.s_itemMasks;
    for (int32_t i = 0; i < kMarkers; ++i) {
        const int32_t m = JArray::getInt(bits, i);
        int32_t frame = -1;
        if ((get(r, kMaskA) & m) != 0) frame = 0;
        else if ((get(r, kMaskB) & m) != 0) frame = 2;
        else if ((get(r, kMaskC) & m) != 0) frame = 1;
        if (frame < 0) continue;
        paintFrameWithGraphics(markers, g, frame, x, y, 0);
        paintFrameWithGraphics(markers, g, i + 3, x, y, 0);
    }
}

void Game::paintPopupIconFrame(Graphics* g, int32_t kind, int32_t rect, int32_t dx, int32_t dy) {
    static constexpr int32_t kFrames[] = {81, 80, 88, 83, 82, 82};
    if (noGraphics(g) || kind < 0 || kind >= 6) return;
    ASpriteInstance* icon = hudInstance(kIconInstance);
    if (icon == nullptr || isNull(icon->sprite)) return;
    IntArray* at = icon->getRectWithOffsets(rect);
    if (isNull(at)) return;
    paintFrameWithGraphics(icon->sprite, g, kFrames[kind], JArray::getInt(at, 0) + dx, JArray::getInt(at, 1) + dy, 0);
}
