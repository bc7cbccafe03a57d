#include "tools/sample_data/hud_data.h"

#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/object_paint_data.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"

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

// Where the loading lists read the HUD's sprites: pack 26 entry 5 into slot 7, pack 21 entry 0
// into slot 16, pack 22 entry 0 into slot 21; text group 6 comes from entry 6 of the text pack.
constexpr int kChainPack = 26, kChainEntry = 5, kTargetPack = 21, kTargetEntry = 0, kMarkerPack = 22,
              kMarkerEntry = 0, kHudTextEntry = 6;

// A sprite whose frames all show nothing (one transparent pixel) and whose animations show
// frame `blank`, so that HUD instances over it stay invisible.
SpriteData blankSprite(int frames, int animations, int blank) {
    SpriteData s;
    s.palettes = {{0x00000000u}};
    s.modules.push_back({formats::ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    s.frames.assign(std::size_t(frames), SpriteFrame{{{0, 0, 0, 0}}, {}, {}});
    s.animations.assign(std::size_t(animations), {{blank, 1, 0, 0, 0}});
    return s;
}

// A square ring of side `side` centred on (cx, cy).
void ring(SpriteData& s, SpriteFrame& f, int cx, int cy, int side, int thick, uint32_t colour) {
    const int x = cx - side / 2, y = cy - side / 2;
    addBar(s, f, x, y, side, thick, colour);
    addBar(s, f, x, y + side - thick, side, thick, colour);
    addBar(s, f, x, y + thick, thick, side - 2 * thick, colour);
    addBar(s, f, x + side - thick, y + thick, thick, side - 2 * thick, colour);
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
    // The pause button: drawn at (800, 0), so left of its origin, inside its touch corner.
    for (int f : {161, 162}) {
        SpriteFrame& button = s.frames[std::size_t(f)];
        addBar(s, button, -54, 6, 48, 48, f == 161 ? kPause : kEdge);
        for (int x : {-40, -28}) addBar(s, button, x, 18, 8, 24, 0xFFF0F0F0u);
    }
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

std::vector<std::string> hudTexts() {
    std::vector<std::string> t(15);
    t[0] = "%n";
    t[1] = "%n";
    t[2] = "CHAIN";
    const char* const banners[] = {"Good",     "Great",     "Fine work", "Splendid", "Superb",    "Fierce",
                                   "Relentless", "Unstoppable", "Legendary", "Mythic", "Beyond words"};
    for (int i = 0; i < 11; ++i) t[std::size_t(4 + i)] = banners[i];
    return t;
}

formats::SpriteData chainSprite() {
    SpriteData s = blankSprite(1, 1, 0);
    s.rectSection = true;
    // Boxes 40 high whose bottoms stand on the baseline (the banner 50 px above it).
    const int y = kChainBaseline - 40 - 510;
    s.frames[0].rects = {{int8_t(kChainNumberRight - 90 - 130), int8_t(y), 90, 40},
                         {int8_t(kChainNumberRight + 10 - 130), int8_t(y), 200, 40},
                         {10, int8_t(kChainBaseline - 50 - 40 - 480), 250, 40},
                         {0, 0, uint8_t(kChainSlide), 1}};
    return s;
}

formats::SpriteData targetSignSprite() {
    // Frame 0 the sign, a gold arrow pointing down at the player's head; frame 2 the prompts' page
    // marker; the others empty, as are the other animations of the HUD instances over this sprite.
    SpriteData s = blankSprite(69, 23, 1);
    SpriteFrame& sign = s.frames[0];
    sign = {};
    for (int row = 0; row < 8; ++row) addBar(s, sign, -14 + 2 * row, -112 + 2 * row, 28 - 4 * row, 2, kEdge);
    addBar(s, sign, -4, -126, 8, 12, kEdge);
    addPageMarker(s);
    addGoalArrowArt(s);
    return s;
}

formats::SpriteData itemMarkerSprite() {
    // Frames 0-2 rings round the player (mask A gold, C slate, B white), 3-7 the items' marks
    // in a row above it.
    SpriteData s = blankSprite(8, 1, 0);
    const uint32_t rings[3] = {kEdge, kPanel, 0xFFFFFFFFu};
    const uint32_t items[5] = {0xFFE05252u, 0xFF52A0E0u, 0xFF60C060u, 0xFFC070E0u, 0xFFF0F0F0u};
    for (int f = 0; f < 3; ++f) {
        s.frames[std::size_t(f)] = {};
        ring(s, s.frames[std::size_t(f)], 0, -36, 84, 3, rings[f]);
    }
    for (int i = 0; i < 5; ++i) {
        s.frames[std::size_t(3 + i)] = {};
        addBar(s, s.frames[std::size_t(3 + i)], -50 + 20 * i, -96, 12, 12, items[i]);
    }
    return s;
}

formats::SpriteData playerSprite(int kind) {
    // Modules 0-7 in look-alike pairs, since the items' module mappings swap modules 2m and
    // 2m + 1: 0-1 legs, 2-3 arms, 4-5 boots, 6-7 the belt's halves; then 8 head, 9 torso. Every
    // frame and animation shows the standing figure, its feet at the origin.
    SpriteData s;
    s.palettes = {{0x00000000u}};
    const uint32_t cloth = kind == 0 ? 0xFF2F6FB0u : 0xFF8A3A3Au, skin = 0xFFE0C090u, dark = 0xFF3A2A20u;
    const struct {
        int x, y, w, h;
        uint32_t colour;
    } parts[10] = {{-11, -22, 9, 18, cloth}, {2, -22, 9, 18, cloth}, {-18, -46, 6, 22, skin},  {12, -46, 6, 22, skin},
                   {-11, -4, 9, 4, dark},    {2, -4, 9, 4, dark},    {-12, -26, 12, 4, dark},  {0, -26, 12, 4, dark},
                   {-10, -70, 20, 20, skin}, {-12, -48, 24, 22, cloth}};
    SpriteFrame figure;
    for (const auto& p : parts) addBar(s, figure, p.x, p.y, p.w, p.h, p.colour);
    s.frames.assign(8, figure);
    s.animations.assign(64, {{0, 1, 0, 0, 0}});
    return s;
}

void addHudData(formats::ArchiveWriter& archive) {
    setPackEntry(archive, kTextPack, kHudTextEntry, formats::textPack(hudTexts()));
    setPackEntry(archive, kChainPack, kChainEntry, formats::spriteFile(chainSprite()));
    setPackEntry(archive, kTargetPack, kTargetEntry, formats::spriteFile(targetSignSprite()));
    setPackEntry(archive, kMarkerPack, kMarkerEntry, formats::spriteFile(itemMarkerSprite()));
    for (int kind : {0, 1}) setPackEntry(archive, kTilePack, kind, formats::spriteFile(playerSprite(kind)));
}

}  // namespace sample_data
