#include "tools/sample_data/sample_data.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tools/formats/constants_file.h"
#include "tools/formats/dot_font.h"
#include "tools/formats/pack_file.h"
#include "tools/formats/png_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"
#include "tools/sample_data/hud_data.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/level_screen_data.h"
#include "tools/sample_data/menu_data.h"
#include "tools/sample_data/object_paint_data.h"
#include "tools/sample_data/prompt_data.h"

namespace sample_data {

namespace {

using formats::ModuleKind;
using formats::SpriteData;
using formats::SpriteFrame;
using formats::SpriteModule;

constexpr double kPi = 3.14159265358979323846;
constexpr int kPackCount = 28;
constexpr int kPackPathText = 154;
constexpr int kPackNamesText = 510;

std::string packName(int p) {
    char name[16];
    std::snprintf(name, sizeof name, "pack%02d", p);
    return name;
}

// ---- pictures ---------------------------------------------------------------------------------

// A sprite that shows nothing: the stand-in for entries whose content comes later.
SpriteData placeholderSprite() {
    SpriteData s;
    s.modules.push_back({ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    s.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
    s.animations.push_back({{0, 1, 0, 0, 0}});
    s.palettes = {{0x00000000u}};
    return s;
}

// The start-up emblem: a ring that closes while a six-pointed star turns inside it.
SpriteData emblemSprite() {
    constexpr int kSize = 120;
    SpriteData s;
    s.palettes = {{0x00000000u, 0xFF1E3A8Au, 0xFFE0A526u, 0xFF7DD3FCu}};
    std::vector<formats::SpriteAnimFrame> anim;
    for (int f = 0; f < kEmblemFrames; ++f) {
        const double progress = double(f + 1) / kEmblemFrames;
        const double turn = f * kPi / 24;
        SpriteModule m{ModuleKind::Image, kSize, kSize, 0, 0, 0, {}, {}};
        m.indices.assign(std::size_t(kSize * kSize), 0);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const double dx = x - kSize / 2 + 0.5, dy = y - kSize / 2 + 0.5;
                const double r = std::sqrt(dx * dx + dy * dy);
                double angle = std::atan2(dy, dx) + kPi;  // 0 .. 2 pi
                uint8_t index = 0;
                if (r >= 50 && r <= 58 && angle <= progress * 2 * kPi) index = 1;
                // A six-pointed star: the radius of its outline swings between 18 and 40.
                const double a = std::fmod(angle + turn, kPi / 3) - kPi / 6;
                const double outline = 18 + 22 * (1 - std::fabs(a) / (kPi / 6));
                if (r <= outline * (0.6 + 0.4 * progress)) index = 2;
                if (r <= 8) index = 3;
                m.indices[std::size_t(y * kSize + x)] = index;
            }
        s.modules.push_back(m);
        s.frames.push_back({{{f, int16_t(-kSize / 2), int16_t(-kSize / 2), 0}}, {}, {}});
        anim.push_back({f, 1, 0, 0, 0});
    }
    s.animations.push_back(anim);
    return s;
}

// The loading gauge: frame 0 its 800 x 16 housing, frame 1 a 20-pixel slice of its fill.
SpriteData gaugeSprite() {
    SpriteData s;
    SpriteFrame housing;
    addBar(s, housing, 0, 0, 800, 16, 0xFF20242Cu);
    addBar(s, housing, 0, 0, 800, 1, 0xFF8090A0u);
    s.frames.push_back(housing);
    SpriteModule slice{ModuleKind::Image, 20, 10, 0, 0, 0, {}, {}};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) slice.indices.push_back(uint8_t(1 + (y < 3 ? 0 : y < 7 ? 1 : 2)));
    s.modules.push_back(slice);
    s.frames.push_back({{{int32_t(s.modules.size() - 1), 0, 3, 0}}, {}, {}});
    s.palettes = {{0x00000000u, 0xFFFFD27Au, 0xFFF59E0Bu, 0xFFB45309u}};
    return s;
}

// How a button picture looks: at rest, held down, or dimmed while the pad is held.
enum ControlLook { kAtRest, kPressed, kOff };

// A touch-control picture: a translucent rounded disc or square with a symbol.
std::vector<uint8_t> controlImage(int w, int h, int symbol, ControlLook look = kAtRest) {
    // Rim, face and symbol colours by look.
    const uint32_t colours[3][3] = {{0xC0F0F0F0u, 0x60303848u, 0xE0FFFFFFu},
                                    {0xF0FFD27Au, 0xB0B45309u, 0xFFFFFFFFu},
                                    {0x50F0F0F0u, 0x28303848u, 0x50FFFFFFu}};
    const uint32_t* colour = colours[look];
    std::vector<uint32_t> px(std::size_t(w * h), 0);
    const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) / 2.0 - 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
            uint32_t c = 0;
            if (d <= r) c = d >= r - 3 ? colour[0] : colour[1];
            const double ax = std::fabs(dx), ay = std::fabs(dy);
            bool ink = false;
            switch (symbol) {
                case 0: ink = (ax < r * 0.18 && ay < r * 0.8) || (ay < r * 0.18 && ax < r * 0.8); break;  // pad
                case 1: ink = d < r * 0.45; break;                                                 // attack
                case 2: ink = dy < r * 0.3 && dy > -r * 0.6 && ax < (dy + r * 0.6) * 0.7; break;   // jump
                case 3: ink = ay < r * 0.5 && ax > r * 0.12 && ax < r * 0.38; break;               // pause
                case 4: ink = std::fabs(d - r * 0.45) < r * 0.1; break;                            // use
                default: ink = ay < r * 0.12 && ax < r * 0.5; break;                               // soft keys
            }
            if (ink && d <= r) c = colour[2];
            px[std::size_t(y * w + x)] = c;
        }
    return formats::pngFile(w, h, px);
}

// The touch-control pictures, each the size of its touch zone: the pad, key 5 (attack), key 0 (jump).
struct ControlPicture {
    const char* name;
    int w, h, symbol;
    ControlLook look;
};
constexpr ControlPicture kControls[] = {
    {"ui/pad.png", 210, 212, 0, kAtRest},           {"ui/attack.png", 80, 100, 1, kAtRest},
    {"ui/attack_pressed.png", 80, 100, 1, kPressed}, {"ui/jump.png", 98, 78, 2, kAtRest},
    {"ui/jump_pressed.png", 98, 78, 2, kPressed},   {"ui/attack_off.png", 80, 100, 1, kOff},
    {"ui/jump_off.png", 98, 78, 2, kOff}};
constexpr int kControlCount = int(sizeof(kControls) / sizeof(kControls[0]));

// ---- texts ------------------------------------------------------------------------------------

const char* const kNotice =
    "VELTRANO: WRATH OF KELOS\n\n"
    "This rebuild runs on sample data made for the project. Every picture here is drawn by a "
    "small program and every text is written anew; none of it comes from the original game.\n\n"
    "Screens appear as they are built. To play with other data, start the game with --data "
    "pointing at a folder that holds a compatible data.bar.";

std::vector<std::string> constants() {
    std::vector<std::string> c(588);
    c[kPackPathText] = "/";
    // The one system property the runtime's System class holds.
    c[586] = "microedition.platform";
    c[587] = "Veltrano/Linux";
    // The record store of the saves: its name and the parts of its file names (constant 1, the
    // vendor and suite of the short opens, stays empty so that the store lives in the save folder).
    c[108] = "Veltrano";
    c[167] = "\\";
    c[168] = "RMS_";
    c[169] = ".dat";
    c[170] = "The record store could not be written";
    c[171] = "_";
    // Traces of the saves' store access: the operation, then the close.
    c[486] = "Saves: the store could not be closed after adding records:";
    c[487] = "Saves: a record could not be added:";
    c[488] = "Saves: the store could not be closed after reading:";
    c[489] = "Saves: a record could not be read:";
    c[490] = "Saves: the store could not be closed after writing:";
    c[491] = "Saves: a record could not be written:";
    // The control pictures in the order the game loads them: the pad, then key 5 (attack) and key 0
    // (jump) at rest and pressed, then both dimmed.
    for (int i = 0; i < kControlCount; ++i) c[std::size_t(391 + i)] = std::string("/") + kControls[i].name;
    c[398] = "The touch-control pictures could not all be loaded";
    c[399] = "Music starts";
    c[404] = "/" + packName(4);
    // The debug overlay's labels and printed lists.
    const char* const debugTexts[] = {"ring ",     " load ",       "view ",     ",",       "object ",
                                      "running event script ", "event script ", " at ",   " commands ",
                                      " wait timer ", "timed modifiers in use ", "modifier table ", " entry ",
                                      " amount "};
    for (int i = 0; i < 14; ++i) c[std::size_t(432 + i)] = debugTexts[i];
    c[458] = "Sound starts";
    c[459] = "/" + packName(24);
    c[501] = "/" + packName(7);
    for (int p = 0; p < kPackCount; ++p) c[std::size_t(kPackNamesText + p)] = packName(p);
    return c;
}

std::vector<uint8_t> sprite(const SpriteData& s) { return formats::spriteFile(s); }

std::vector<uint8_t> placeholders(int count) {
    formats::PackWriter w;
    for (int i = 0; i < count; ++i) w.add(sprite(placeholderSprite()));
    return w.build();
}

}  // namespace

formats::ArchiveWriter buildArchive() {
    formats::ArchiveWriter archive;
    archive.add("constants.bin", formats::writeConstantsFile(constants()));
    archive.addText("app.jad",
                    "MIDlet-Name: Veltrano\nMIDlet-Vendor: Veltrano project\nMIDlet-Version: 1.0.0\n");
    for (const ControlPicture& c : kControls) archive.add(c.name, controlImage(c.w, c.h, c.symbol, c.look));

    // Texts: table 0 (entry 1) the menus' labels, table 2 (entry 2) the information pages, table 4
    // (entry 3) the start-up notice and the scrolling text; the other tables are empty for now.
    formats::PackWriter texts;
    for (int e = 0; e <= 6; ++e)
        texts.add(e == 1   ? formats::textPack(menuLabels())
                  : e == 2 ? formats::textPack(pageTexts())
                  : e == 3 ? formats::textPack(aboutTexts(kNotice))
                           : formats::textPack({std::string()}));
    archive.add(packName(kTextPack), texts.build());

    formats::PackWriter startup;
    startup.add(sprite(emblemSprite()));
    startup.add(sprite(interfaceSprite()));
    startup.add(sprite(gaugeSprite()));
    archive.add(packName(kStartupPack), startup.build());

    formats::PackWriter fonts;
    fonts.add(formats::dotFontGlyphTable());
    fonts.add(sprite(formats::dotMatrixFont(2, {0xF0F0F0u, 0xFFD27Au, 0x8090A0u})));
    fonts.add(sprite(formats::dotMatrixFont(3, {0xF0F0F0u})));
    // Entry 5: the interface sprite the level loading rebuilds.
    fonts.add(sprite(placeholderSprite()));
    fonts.add(sprite(placeholderSprite()));
    fonts.add(sprite(interfaceSprite()));
    archive.add(packName(kFontPack), fonts.build());

    // The definitions pack (the interface layouts), the level's tile sprites and their mappings.
    archive.add(packName(kDefinitionsPack), layoutsPack());
    formats::PackWriter tiles;
    tiles.add(sprite(tileSprite(0)));
    tiles.add(sprite(tileSprite(1)));
    archive.add(packName(kTilePack), tiles.build());
    formats::PackWriter mappings;
    for (int m = 0; m < 10; ++m) mappings.add(moduleMapping(m));
    archive.add(packName(kMappingsPack), mappings.build());
    // The interface sprites: entry 1 the interface sprite (slot 3), entry 3 the soft keys (slot 17).
    formats::PackWriter interface;
    for (int e = 0; e < 6; ++e)
        interface.add(sprite(e == 1 ? interfaceSprite() : e == 3 ? softKeySprite() : placeholderSprite()));
    archive.add(packName(kInterfacePack), interface.build());

    // Packs the first loading lists read whose content later features bring.
    const std::map<int, int> later = {{8, 7}, {22, 3}, {26, 8}};
    for (const auto& [pack, entries] : later) archive.add(packName(pack), placeholders(entries));
    addPromptData(archive);
    addHudData(archive);
    addObjectPaintData(archive);

    addMenuPacks(archive);
    addLevelScreenData(archive);
    return archive;
}

}  // namespace sample_data
