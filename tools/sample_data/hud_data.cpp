#include "tools/sample_data/hud_data.h"

#include "tools/sample_data/interface_data.h"

namespace sample_data {

namespace {

using formats::SpriteData;
using formats::SpriteFrame;

constexpr int kEmptyFrame = 0, kMarkerFrame = 99, kIconTodoFrame = 100, kIconDoneFrame = 101;
constexpr uint32_t kEdge = 0xFFE0A526u, kPanel = 0xFF20242Cu, kGauge = 0xFFF5C542u, kPause = 0xFF1E3A8Au;

// Caps at both ends of a w x h panel at (x, y), the inside left open for the bar under it.
void caps(SpriteData& s, SpriteFrame& f, int x, int y, int w, int h) {
    addBar(s, f, x, y, 8, h, kEdge);
    addBar(s, f, x + w - 8, y, 8, h, kEdge);
}

formats::DefinitionRecord spriteElement(int x, int y, int frame) {
    return {0, int16_t(x), int16_t(y), {3, int16_t(frame), -1, 1, 0, 1, 0, 0}};
}

}  // namespace

void addHudArt(SpriteData& s) {
    if (s.frames.size() < 163) s.frames.resize(163);
    s.rectSection = true;
    for (int first : {5, 8}) {
        addBar(s, s.frames[std::size_t(first)], 0, 0, 12, 40, kEdge);
        addBar(s, s.frames[std::size_t(first + 1)], 0, 0, 16, 40, kPanel);
        addBar(s, s.frames[std::size_t(first + 2)], 0, 0, 12, 40, kEdge);
    }
    SpriteFrame& gauge = s.frames[33];
    gauge = {};
    addBar(s, gauge, 125, 0, 12, 60, kGauge);
    gauge.rects = {{125, 0, 12, 60}, {100, 62, 40, 20}};
    SpriteFrame& health = s.frames[std::size_t(66 + kHudHealthStyle)];
    health = {};
    caps(s, health, 0, 0, 120, 24);
    health.rects = {{10, 6, 100, 12}};
    SpriteFrame& energy = s.frames[73];
    energy = {};
    caps(s, energy, 0, 30, 120, 16);
    energy.rects = {{10, 34, 100, 8}};
    SpriteFrame& popup = s.frames[98];
    popup = {};
    caps(s, popup, -100, 0, 240, 56);
    popup.rects = {{-100, 4, 240, 24}, {-80, 36, 200, 10}};
    for (int f : {161, 162}) addBar(s, s.frames[std::size_t(f)], -24, 0, 48, 48, f == 161 ? kPause : kEdge);
    // The popups' icons: to do (slate) and done (gold).
    addBar(s, s.frames[kIconTodoFrame], -8, 0, 16, 16, kPanel);
    addBar(s, s.frames[kIconDoneFrame], -8, 0, 16, 16, kEdge);
    // The bar marker: a white tick.
    addBar(s, s.frames[kMarkerFrame], -1, -2, 3, 16, 0xFFFFFFFFu);
    // Animations: 19 the marker, 41 + style and 48 + style the panels' intros (one frame each, so
    // that the panel picture follows at once); the others show nothing.
    if (s.animations.size() < 53) s.animations.resize(53, {{kEmptyFrame, 1, 0, 0, 0}});
    s.animations[19] = {{kMarkerFrame, 1, 0, 0, 0}};
    s.animations[std::size_t(41 + kHudHealthStyle)] = {{66 + kHudHealthStyle, 1, 0, 0, 0}};
    s.animations[48] = {{73, 1, 0, 0, 0}};
}

std::vector<formats::DefinitionRecord> hudLayout() {
    std::vector<formats::DefinitionRecord> l(13, {4, 0, 0, {}});
    l[4] = spriteElement(20, 20, 0);
    l[5] = spriteElement(20, 20, 33);
    l[11] = spriteElement(400, 400, 0);
    l[12] = spriteElement(400, 400, 98);
    return l;
}

}  // namespace sample_data
