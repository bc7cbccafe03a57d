#include "tools/sample_data/object_paint_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "tools/formats/pack_file.h"
#include "tools/sample_data/hud_data.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"

namespace sample_data {

namespace {

using formats::ModuleKind;
using formats::SpriteAnimFrame;
using formats::SpriteData;
using formats::SpriteFrame;

constexpr int kHudLayoutEntry = 10 + 6;  // layout n is entry n + 10 of the definitions pack

// Palette indices of a picture; a picture's function gives one for each pixel.
using Paint = std::function<uint8_t(int x, int y)>;

// An image module of w x h pixels, its indices from `paint`, placed at (x, y) in the frame.
void addPicture(SpriteData& s, SpriteFrame& f, int x, int y, int w, int h, const Paint& paint) {
    formats::SpriteModule m{ModuleKind::Image, w, h, 0, 0, 0, {}, {}};
    m.indices.reserve(std::size_t(w * h));
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) m.indices.push_back(paint(i, j));
    s.modules.push_back(m);
    f.modules.push_back({int32_t(s.modules.size() - 1), int16_t(x), int16_t(y), 0});
}

// Index `fill` inside the shape, `rim` where the shape meets its outside, else 0.
Paint outlined(const std::function<bool(double, double)>& inside, uint8_t fill, uint8_t rim) {
    return [=](int x, int y) -> uint8_t {
        if (!inside(x, y)) return 0;
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            if (!inside(x + dx, y + dy)) return rim;
        return fill;
    };
}

// An arrow in a side x side box pointing along (dx, dy) (a unit or diagonal step): a head from the
// box's centre line to its edge and a shaft behind it.
std::function<bool(double, double)> arrowShape(int side, int dx, int dy) {
    const double norm = std::sqrt(double(dx * dx + dy * dy)), half = side / 2.0;
    return [=](double x, double y) {
        const double u = x + 0.5 - half, v = y + 0.5 - half;
        if (u < -half || v < -half || u >= half || v >= half) return false;
        const double along = (u * dx + v * dy) / norm, across = std::fabs(-u * dy + v * dx) / norm;
        const double tip = half - 1, back = -half + 1;
        if (along >= -0.15 * side && along <= tip) return across <= (tip - along) * 0.9;
        return along >= back && along < -0.15 * side && across <= side * 0.14;
    };
}

SpriteFrame picture(SpriteData& s, int x, int y, int w, int h, const Paint& paint) {
    SpriteFrame f;
    addPicture(s, f, x, y, w, h, paint);
    return f;
}

// ---- the HUD target sprite's marker and arrow ----

// Palette 0 of sprite 16 grows by these (after its transparent index 0).
enum : uint8_t { kMarkerFill = 1, kMarkerRim, kArrowFill, kArrowRim };
constexpr int kArrowSide = 32;
constexpr int kFirstArrowFrame = kArrowFrame + 1;  // 69-76 the eight edges, 77-78 the markers
constexpr int kArrowSteps[8][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {-1, -1}, {1, -1}, {1, 1}, {-1, 1}};

}  // namespace

void addGoalArrowArt(SpriteData& s) {
    if (s.palettes.empty()) s.palettes.push_back({0x00000000u});
    s.palettes[0].resize(1);
    for (uint32_t c : {kMarkerColour, 0xFF0A3A48u, kArrowColour, 0xFF3A1A00u}) s.palettes[0].push_back(c);
    const int useFrame = kFirstArrowFrame + 8, lookFrame = useFrame + 1;
    if (s.frames.size() < std::size_t(lookFrame + 1)) s.frames.resize(std::size_t(lookFrame + 1));
    if (s.animations.size() < std::size_t(kOnGoalAnim + 1)) s.animations.resize(std::size_t(kOnGoalAnim + 1));
    // On the goal: pointing down at it from above, its tip 8 px over the goal's centre.
    s.frames[kArrowFrame] = picture(s, -kArrowSide / 2, -kArrowSide - 8, kArrowSide, kArrowSide,
                                    outlined(arrowShape(kArrowSide, 0, 1), kArrowFill, kArrowRim));
    s.animations[kOnGoalAnim] = {{kArrowFrame, 3, 0, 0, 0}, {kArrowFrame, 3, 0, -4, 0}};
    // At the edges: centred on the arrow's place, nodding toward the goal.
    for (int d = 0; d < 8; ++d) {
        const int dx = kArrowSteps[d][0], dy = kArrowSteps[d][1];
        s.frames[std::size_t(kFirstArrowFrame + d)] =
            picture(s, -kArrowSide / 2, -kArrowSide / 2, kArrowSide, kArrowSide,
                    outlined(arrowShape(kArrowSide, dx, dy), kArrowFill, kArrowRim));
        s.animations[std::size_t(kFirstArrowAnim + d)] = {{kFirstArrowFrame + d, 3, 0, 0, 0},
                                                           {kFirstArrowFrame + d, 3, int16_t(3 * dx), int16_t(3 * dy), 0}};
    }
    // The markers stand on the faced object's top edge: a chevron (use) and a ring (look).
    s.frames[std::size_t(useFrame)] = picture(s, -10, -24, 20, 20, outlined(arrowShape(20, 0, 1), kMarkerFill, kMarkerRim));
    s.frames[std::size_t(lookFrame)] = picture(s, -10, -24, 20, 20, outlined([](double x, double y) {
        const double r = std::hypot(x - 9.5, y - 9.5);
        return (r <= 9.5 && r >= 5.5) || r <= 2.5;
    }, kMarkerFill, kMarkerRim));
    s.animations[kUseMarkerAnim] = {{useFrame, 4, 0, 0, 0}, {useFrame, 4, 0, -3, 0}};
    s.animations[kLookMarkerAnim] = {{lookFrame, 4, 0, 0, 0}, {lookFrame, 4, 0, -3, 0}};
}

SpriteData regionSprite() {
    // A translucent shadow ellipse; a type-5 object's frames darken the side it faces.
    SpriteData s;
    s.palettes = {{0x00000000u, 0x70000000u, 0xA0000000u}};
    const int w = 44, h = 14;
    auto ellipse = [&](int notch) -> Paint {
        return [=](int x, int y) -> uint8_t {
            const double u = (x + 0.5 - w / 2.0) / (w / 2.0), v = (y + 0.5 - h / 2.0) / (h / 2.0);
            if (u * u + v * v > 1) return 0;
            const bool dark = (notch == 0 && v < -0.3) || (notch == 1 && v > 0.3) || (notch == 2 && u < -0.6) ||
                              (notch == 3 && u > 0.6);
            return dark ? 2 : 1;
        };
    };
    for (int f = 0; f < kRegionFrames; ++f)
        s.frames.push_back(picture(s, -w / 2, -h / 2, w, h, ellipse(f < 2 ? -1 : (f - 2) % 4)));
    s.animations.push_back({{1, 1, 0, 0, 0}});
    return s;
}

SpriteData effectSprite() {
    // Frame 12r + 3d + k: step k of a spark thrown in direction d, in variant r's colour.
    SpriteData s;
    s.palettes = {{0x00000000u}};
    const uint32_t colours[4] = {0xFFFFFFFFu, 0xFFFFD27Au, 0xFF7DD3FCu, 0xFFF0A0D0u};
    const int steps[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    for (int r = 0; r < 4; ++r)
        for (int d = 0; d < 4; ++d) {
            std::vector<SpriteAnimFrame> anim;
            for (int k = 0; k < 3; ++k) {
                SpriteFrame f;
                const int reach = 6 + 6 * k, dx = steps[d][0], dy = steps[d][1];
                // The streak from the centre toward d, and a 4 x 4 spark at its head.
                const int x0 = std::min(0, dx * reach), y0 = std::min(0, dy * reach);
                addBar(s, f, x0 - (dx == 0 ? 1 : 0), y0 - (dy == 0 ? 1 : 0), dx == 0 ? 2 : reach, dy == 0 ? 2 : reach,
                       colours[r]);
                addBar(s, f, dx * reach - 2, dy * reach - 2, 4, 4, colours[(r + 1) % 4]);
                s.frames.push_back(f);
                anim.push_back({int32_t(s.frames.size() - 1), 1, 0, 0, 0});
            }
            s.animations.push_back(anim);
        }
    return s;
}

std::vector<formats::DefinitionRecord> hudLayoutWithArrowArea() {
    std::vector<formats::DefinitionRecord> l = hudLayout();
    if (l.size() < 12) l.resize(12, {4, 0, 0, {}});
    // Kind 2, an area: its [3] is the width, its height the value after it.
    l[11] = {2, kArrowAreaInset, kArrowAreaTop,
             {int16_t(800 - 2 * kArrowAreaInset), int16_t(480 - kArrowAreaInset - kArrowAreaTop)}};
    return l;
}

namespace {

// ---- object sprites ----

SpriteData tileLayerSprite() {
    // Six tiles of one picture each, coloured by the palette: stone (0) or moss (1).
    SpriteData s;
    s.palettes = {{0x00000000u, 0xFF5A5A66u, 0xFF7C7C8Au, 0xFF34343Cu},
                  {0x00000000u, 0xFF3E5A2Eu, 0xFF5C8040u, 0xFF223418u}};
    const Paint tiles[6] = {
        [](int x, int y) -> uint8_t { return x < 2 || y < 2 ? 2 : x > 29 || y > 29 ? 3 : 1; },            // block
        [](int x, int y) -> uint8_t { return y % 16 < 2 || (x + (y / 16) * 16) % 32 < 2 ? 3 : 1; },      // bricks
        [](int x, int y) -> uint8_t { return std::abs(x - y) < 2 || std::abs(x + y - 40) < 2 ? 3 : 1; },  // cracked
        [](int x, int y) -> uint8_t { return y < 8 - (x % 5 == 0 ? 3 : 0) ? 2 : 1; },                    // ledge
        [](int, int) -> uint8_t { return 3; },                                                            // dark
        [](int x, int y) -> uint8_t { return x > 8 && x < 24 && y > 8 && y < 24 ? 0 : 1; },               // window
    };
    for (const Paint& t : tiles) s.frames.push_back(picture(s, 0, 0, 32, 32, t));
    s.animations.push_back({{0, 1, 0, 0, 0}});
    return s;
}

SpriteData chargeSprite() {
    // A column in a housing, filled from the bottom over frames 0-7; frame 8 glows when full.
    SpriteData s;
    s.palettes = {{0x00000000u}};
    const int w = 16, h = 48;
    std::vector<SpriteAnimFrame> filling;
    for (int k = 0; k <= kChargeFrames; ++k) {
        SpriteFrame f;
        addBar(s, f, -w / 2 - 2, -h - 2, w + 4, h + 4, 0xFF20242Cu);
        const int level = k < kChargeFrames ? h * (k + 1) / kChargeFrames : h;
        addBar(s, f, -w / 2, -level, w, level, k < kChargeFrames ? 0xFF52A0E0u : 0xFFF0F0F0u);
        s.frames.push_back(f);
        if (k < kChargeFrames) filling.push_back({k, 1, 0, 0, 0});
    }
    s.animations.push_back(filling);
    s.animations.push_back({{kChargeFrames, 2, 0, 0, 0}, {kChargeFrames - 1, 2, 0, 0, 0}});
    return s;
}

SpriteData promptObjectSprite() {
    // A tablet on a plinth; frames 1-3 (animations 36-38) carve a glyph and mark two places on it
    // where the marks of frames 146-149 are put.
    SpriteData s;
    s.palettes = {{0x00000000u}};
    s.rectSection = true;
    s.frames.resize(kFirstMarkFrame + kMarkFrames);
    for (int f = 0; f < 4; ++f) {
        SpriteFrame& t = s.frames[std::size_t(f)];
        addBar(s, t, -20, -8, 40, 8, 0xFF4A4A58u);
        addBar(s, t, -14, -56, 28, 48, 0xFF8A8A9Au);
        if (f > 0) {
            addBar(s, t, -4, -50 + 4 * f, 8, 12, 0xFF2A2A34u);
            t.rects = {{-10, -40, 6, 6}, {4, -40, 6, 6}};
        }
    }
    const uint32_t marks[kMarkFrames] = {0xFFE05252u, 0xFF52A0E0u, 0xFF60C060u, 0xFFE0A526u};
    for (int k = 0; k < kMarkFrames; ++k) addBar(s, s.frames[std::size_t(kFirstMarkFrame + k)], 0, 0, 6, 6, marks[k]);
    s.animations.assign(39, {{0, 1, 0, 0, 0}});
    for (int a = 36; a <= 38; ++a) s.animations[std::size_t(a)] = {{a - 35, 1, 0, 0, 0}};
    return s;
}

SpriteData templateSprite() {
    // Frame 0 a closed gate, 1 the gate open; their rectangles: 0 the top beam, 1 the lock's place.
    // Animations 74 (frames 2-3) and 75 (frames 4-5): the lock plate of either template side,
    // shut and open.
    SpriteData s;
    s.palettes = {{0x00000000u}};
    s.rectSection = true;
    s.frames.resize(6);
    for (int f = 0; f < 2; ++f) {
        SpriteFrame& g = s.frames[std::size_t(f)];
        addBar(s, g, -24, -64, 48, 8, 0xFF5A3A1Au);
        addBar(s, g, -24, -56, 6, 56, 0xFF5A3A1Au);
        addBar(s, g, 18, -56, 6, 56, 0xFF5A3A1Au);
        if (f == 0)
            for (int bar = 0; bar < 4; ++bar) addBar(s, g, -14 + 8 * bar, -56, 4, 56, 0xFF8A6A3Au);
        g.rects = {{-24, -64, 48, 8}, {-6, -34, 12, 12}};
    }
    const uint32_t plates[4] = {0xFFE0A526u, 0xFF7A5A14u, 0xFFC0C0D0u, 0xFF606070u};
    for (int k = 0; k < 4; ++k) addBar(s, s.frames[std::size_t(2 + k)], 0, 0, 12, 12, plates[k]);
    s.animations.assign(76, {{0, 1, 0, 0, 0}});
    s.animations[1] = {{1, 1, 0, 0, 0}};
    s.animations[kTemplateSideAnim] = {{2, 1, 0, 0, 0}, {3, 1, 0, 0, 0}};
    s.animations[kTemplateSideAnim + 1] = {{4, 1, 0, 0, 0}, {5, 1, 0, 0, 0}};
    return s;
}

SpriteData poolSprite() {
    // An orb with a bright core; the palette gives its colour.
    SpriteData s;
    s.palettes = {{0x00000000u, 0xFF2F6FB0u, 0xFF9CD0FFu},
                  {0x00000000u, 0xFFB03A2Fu, 0xFFFFB09Cu},
                  {0x00000000u, 0xFF3A8A3Au, 0xFFB0F0A0u}};
    for (int size : {24, 20}) {
        s.frames.push_back(picture(s, -size / 2, -size / 2, size, size, [size](int x, int y) -> uint8_t {
            const double r = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0);
            return r > size / 2.0 ? 0 : r < size / 5.0 ? 2 : 1;
        }));
    }
    s.animations.push_back({{0, 2, 0, 0, 0}, {1, 2, 0, 0, 0}});
    return s;
}

SpriteData propSprite() {
    // Each stands on its origin: a crate, a chest, a fence post, a lever, a signpost.
    SpriteData s;
    s.palettes = {{0x00000000u}};
    s.frames.resize(5);
    addBar(s, s.frames[0], -16, -32, 32, 32, 0xFF5A3A1Au);
    addBar(s, s.frames[0], -13, -29, 26, 26, kCrateColour);
    addBar(s, s.frames[1], -18, -24, 36, 24, 0xFF7A5A14u);
    addBar(s, s.frames[1], -18, -16, 36, 3, 0xFFE0A526u);
    addBar(s, s.frames[2], -4, -40, 8, 40, kPostColour);
    addBar(s, s.frames[2], -4, -40, 8, 3, 0xFF6A5A40u);
    addBar(s, s.frames[3], -10, -6, 20, 6, 0xFF4A4A58u);
    addBar(s, s.frames[3], -2, -30, 4, 26, 0xFFC0C0D0u);
    addBar(s, s.frames[4], -2, -44, 4, 44, 0xFF5A3A1Au);
    addBar(s, s.frames[4], -20, -44, 40, 16, kCrateColour);
    for (int f = 0; f < 5; ++f) s.animations.push_back({{f, 1, 0, 0, 0}});
    return s;
}

}  // namespace

SpriteData objectSprite(ObjectSprite which) {
    switch (which) {
        case kTileLayerSprite: return tileLayerSprite();
        case kChargeSprite: return chargeSprite();
        case kPromptObjectSprite: return promptObjectSprite();
        case kTemplateSprite: return templateSprite();
        case kPoolSprite: return poolSprite();
        default: return propSprite();
    }
}

void addObjectPaintData(formats::ArchiveWriter& archive) {
    setPackEntry(archive, kInterfacePack, kRegionEntry, formats::spriteFile(regionSprite()));
    setPackEntry(archive, kInterfacePack, kEffectEntry, formats::spriteFile(effectSprite()));
    setPackEntry(archive, kDefinitionsPack, kHudLayoutEntry, formats::definitionSet(hudLayoutWithArrowArea()));
    formats::PackWriter objects;
    for (int k = 0; k < kObjectSpriteCount; ++k) objects.add(formats::spriteFile(objectSprite(ObjectSprite(k))));
    char name[16];
    std::snprintf(name, sizeof name, "pack%02d", kObjectSpritePack);
    archive.add(name, objects.build());
}

}  // namespace sample_data
