// Small drawing aids shared by the HUD, the popup painters and the timed screen pieces: frame
// rectangles with signed offsets, the shared HUD instances, the player, and scoped clip and font
// palette changes. Game thread only.
#pragma once

#include <cstdint>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/arrays.h"

namespace hud_draw {

constexpr int32_t kInterfaceSprite = 3;

// A frame's rectangle record: x and y offsets signed, width and height unsigned; zero when absent.
struct Rect {
    int32_t x = 0, y = 0, w = 0, h = 0;
};
inline Rect frameRect(ASprite* sprite, int32_t frame, int32_t i) {
    if (isNull(sprite)) return {};
    ByteArray* r = sprite->getFrameRectRecord(frame, i);
    if (isNull(r) || r->length < 4) return {};
    const int8_t* b = r->elements();
    return {b[0], b[1], b[2] & 0xFF, b[3] & 0xFF};
}

inline ASpriteInstance* hudInstance(int32_t i) {
    ObjectArray* a = Game::stateStatics.hudInstances;
    if (isNull(a) || i < 0 || i >= a->length) return nullptr;
    auto* o = static_cast<ASpriteInstance*>(JArray::getRef(a, i));
    return isNull(o) ? nullptr : o;
}

inline CObject* player() { return isNull(Game::objects.s_player) ? nullptr : Game::objects.s_player; }

// The clip as it was, put back at the end of the scope.
class ClipSaver {
public:
    explicit ClipSaver(Game::Graphics* g)
        : g_(g), x_(g->getClipX()), y_(g->getClipY()), w_(g->getClipWidth()), h_(g->getClipHeight()) {}
    ~ClipSaver() { g_->setClip(x_, y_, w_, h_); }
    ClipSaver(const ClipSaver&) = delete;
    ClipSaver& operator=(const ClipSaver&) = delete;

private:
    Game::Graphics* g_;
    int32_t x_, y_, w_, h_;
};

// Font `font` on palette p when it has one, its palette restored at the end of the scope when the
// saved value is one of its palettes.
class FontPalette {
public:
    FontPalette(int32_t font, int32_t p) : font_(Game::spriteIn(Game::stateStatics.fonts, font)) {
        if (font_ == nullptr) return;
        saved_ = font_->getPalette();
        if (font_->paletteCount > p) font_->setPalette(p);
    }
    ~FontPalette() {
        if (font_ != nullptr && saved_ < font_->paletteCount) font_->setPalette(saved_);
    }
    FontPalette(const FontPalette&) = delete;
    FontPalette& operator=(const FontPalette&) = delete;

private:
    ASprite* font_;
    int32_t saved_ = 0;
};

}  // namespace hud_draw
