#include "tools/sample_data/interface_data.h"

#include <algorithm>
#include <map>

#include "tools/formats/definitions_file.h"
#include "tools/sample_data/hud_data.h"
#include "tools/sample_data/prompt_data.h"

namespace sample_data {

namespace {

using formats::DefinitionRecord;
using formats::ModuleKind;
using formats::SpriteData;
using formats::SpriteFrame;

constexpr uint32_t kGold = 0xFFE0A526u, kGoldDark = 0xFF7A5A14u, kNavy = 0xFF1E3A8Au, kSlate = 0xFF20242Cu;
constexpr uint32_t kSky = 0xFF7DD3FCu, kLight = 0xFFF0F0F0u;
constexpr int kInterfaceFrames = 100;

// A framed box: border colour around a fill.
SpriteFrame box(SpriteData& s, int x, int y, int w, int h, uint32_t fill, uint32_t border) {
    SpriteFrame f;
    addBar(s, f, x, y, w, h, border);
    addBar(s, f, x + 2, y + 2, w - 4, h - 4, fill);
    return f;
}

}  // namespace

void addBar(SpriteData& s, SpriteFrame& frame, int x, int y, int w, int h, uint32_t colour) {
    for (int top = y; top < y + h; top += 200)
        for (int left = x; left < x + w; left += 200) {
            const int pw = std::min(200, x + w - left), ph = std::min(200, y + h - top);
            s.modules.push_back({ModuleKind::Filled, pw, ph, 0, 0, colour, {}, {}});
            frame.modules.push_back({int32_t(s.modules.size() - 1), int16_t(left), int16_t(top), 0});
        }
}

// Frames: 1 and 21 panels; 18 the start-up notice's bands; 24-27 the main menu's corner buttons
// (left, right, each lit); 28 the continue mark; 29 and 30 a button and the selected button;
// 56-69 the upgrade levels' boxes (frame 2 level + 56, its bar at + 1) and 57 + 2 level the pips;
// 84 and 94 the highlight bars. The others show nothing.
SpriteData interfaceSprite() {
    SpriteData s;
    s.palettes = {{0x00000000u}};
    s.modules.push_back({ModuleKind::Image, 1, 1, 0, 0, 0, {0}, {}});
    s.frames.assign(kInterfaceFrames, SpriteFrame{{{0, 0, 0, 0}}, {}, {}});
    s.frames[1] = box(s, -250, -150, 500, 300, kSlate, kGold);
    s.frames[21] = box(s, -300, -200, 600, 400, kSlate, kGoldDark);
    SpriteFrame notice;
    addBar(s, notice, 0, 24, 800, 4, kGold);
    addBar(s, notice, 0, 30, 800, 1, kGoldDark);
    addBar(s, notice, 0, 420, 800, 1, kGoldDark);
    s.frames[18] = notice;
    s.frames[24] = box(s, 0, -60, 60, 60, kNavy, kGold);
    s.frames[25] = box(s, -60, -60, 60, 60, kNavy, kGold);
    s.frames[26] = box(s, 0, -60, 60, 60, kSky, kGold);
    s.frames[27] = box(s, -60, -60, 60, 60, kSky, kGold);
    s.frames[28] = box(s, -8, -8, 16, 16, kGold, kGoldDark);
    s.frames[29] = box(s, -150, -28, 300, 56, kNavy, kGoldDark);
    s.frames[30] = box(s, -150, -28, 300, 56, kNavy, kGold);
    for (int level = 0; level < 7; ++level) {
        const int f = (level + 28) * 2;
        if (f + 1 >= kInterfaceFrames) break;
        s.frames[std::size_t(f)] = box(s, 0, 0, 200, 24, kSlate, kGoldDark);
        s.frames[std::size_t(f)].rects = {{4, 4, 16, 16}, {24, 4, 16, 16}, {44, 4, 16, 16}, {64, 8, 120, 8}};
        SpriteFrame bar;
        addBar(s, bar, 0, 0, 120, 8, kGold);
        s.frames[std::size_t(f + 1)] = bar;
    }
    s.rectSection = true;
    s.frames[84] = box(s, 0, -22, 800, 44, 0xFF2A3A5Au, kGold);
    s.frames[94] = box(s, 0, -16, 800, 32, 0xFF2A3A5Au, kGold);
    s.animations.push_back({{18, 1, 0, 0, 0}});
    s.animations.push_back({{84, 1, 0, 0, 0}});
    s.animations.push_back({{94, 2, 0, 0, 0}, {84, 2, 0, 0, 0}});
    addHudArt(s);
    return s;
}

// Frames 0-3 at the bottom-right corner: confirm, confirm pressed, back, back pressed.
SpriteData softKeySprite() {
    SpriteData s;
    s.palettes = {{0x00000000u}};
    for (int f = 0; f < 4; ++f) s.frames.push_back(box(s, -48, -48, 46, 46, f % 2 ? kSky : kNavy, kGold));
    s.animations.push_back({{0, 1, 0, 0, 0}});
    return s;
}

SpriteData tileSprite(int kind) {
    SpriteData s;
    s.palettes = {{0x00000000u}};
    const uint32_t base = kind == 0 ? 0xFF3B5B2Eu : 0xFF4A4A58u;
    for (int t = 0; t < 8; ++t) {
        SpriteFrame f;
        addBar(s, f, 0, 0, 32, 32, base + uint32_t(t * 0x080808));
        s.frames.push_back(f);
    }
    s.animations.push_back({{0, 1, 0, 0, 0}});
    return s;
}

std::vector<uint8_t> moduleMapping(int m) {
    // Mapping m swaps tile m's fill with its neighbour's.
    const int a = 2 * m % 8, b = (2 * m + 1) % 8;
    return {uint8_t(a), 0, uint8_t(b), 0, uint8_t(b), 0, uint8_t(a), 0};
}

namespace {

// Kind-0 record: a sprite element (slot, frame, animation, shown, buffered, group, sub-id, palette).
DefinitionRecord sprite(int x, int y, int slot, int frame, int anim = -1, bool buffered = false, int shown = 1) {
    return {0, int16_t(x), int16_t(y), {int16_t(slot), int16_t(frame), int16_t(anim), int16_t(shown),
                                        int16_t(buffered ? 1 : 0), 1, 0, 0}};
}
// Kind-1 record: a label box (w, h, vertical and horizontal alignment, font, -, palette).
DefinitionRecord label(int x, int y, int w, int h, int font = 0, int palette = 0) {
    return {1, int16_t(x), int16_t(y), {int16_t(w), int16_t(h), 1, 1, int16_t(font), 0, int16_t(palette), 0, 0, 0, 0, -1, 0}};
}
// A touch box or a measured row (kind 2: w, h).
DefinitionRecord area(int x, int y, int w, int h) { return {2, int16_t(x), int16_t(y), {int16_t(w), int16_t(h)}}; }
// The panel of a menu: title and message flags, the selected and other labels' fonts and palettes,
// the expand flag, the number of item places.
DefinitionRecord panel(int places, bool title, bool message, bool expand = false) {
    return {5, 400, 240, {500, 360, int16_t(title), 0, 0, 1, 0, 0, int16_t(expand), 0, int16_t(message), int16_t(places)}};
}
DefinitionRecord filler() { return {4, 0, 0, {}}; }

using Layout = std::vector<DefinitionRecord>;

// A menu screen: the panel and its frame, a title, a message and `places` item labels from
// element `first`.
Layout menuLayout(int first, int title, int message, int places) {
    Layout l(std::size_t(std::max(first + places, 2) + 2), filler());
    const int top = 240 - (120 + 56 * places) / 2;
    if (title >= 0) l[std::size_t(title)] = label(150, top + 10, 500, 40, 0, 1);
    if (message >= 0 && message != title) l[std::size_t(message)] = label(150, top + 50, 500, 40, 0, 2);
    for (int k = 0; k < places; ++k) l[std::size_t(first + k)] = label(150, top + 100 + 56 * k, 500, 44, 0, 0);
    // The panel sits in the first free slot; its frame after it.
    std::size_t p = 0;
    while (p < l.size() && l[p].kind != 4) ++p;
    l[p] = panel(places, title >= 0, message >= 0);
    l.back() = sprite(400, 240, 3, 21, -1, true);
    l.back().values[5] = 0;  // group 0: the frame goes with the panel, not the animated group
    return l;
}

Layout mainMenuLayout() {
    Layout l(19, filler());
    l[0] = sprite(400, 240, 3, 1, -1, true);
    l[0].values[5] = 0;
    for (int i = 0; i < 4; ++i) {
        const int y = 150 + 70 * i;
        l[std::size_t(1 + i)] = area(250, y - 28, 300, 56);
        l[std::size_t(5 + i)] = area(400, y, 0, 0);
        l[std::size_t(9 + i)] = label(250, y - 22, 300, 44, 0, 0);
    }
    l[13] = panel(4, false, false);
    l[17] = area(0, 480, 60, 60);
    l[18] = area(800, 480, 60, 60);
    return l;
}

// The upgrade panel: rows 8-14 with their tops 1-7, the points panel at 15, labels 17, 18, 22,
// 23, 28, 29, the expanded panel 19-34 (19 and 25 its two heights), the row labels 36-45 (the
// five rows, collapsed and expanded) and the hints 46-50.
Layout upgradeLayout() {
    Layout l(51, filler());
    l[0] = panel(7, false, false, true);
    for (int r = 0; r < 7; ++r) {
        l[std::size_t(1 + r)] = area(100, 80 + 40 * r, 600, 0);
        l[std::size_t(8 + r)] = area(100, 80 + 40 * r, 600, 40);
    }
    l[15] = area(600, 20, 0, 0);
    l[17] = label(100, 420, 600, 40);
    l[18] = label(100, 30, 600, 40, 0, 1);
    for (int e = 19; e <= 34; ++e) l[std::size_t(e)] = area(120, 120, 560, 0);
    l[19] = area(120, 120, 560, 30);
    l[25] = area(120, 150, 560, 40);
    l[22] = label(120, 120, 260, 30);
    l[23] = label(120, 150, 260, 30);
    l[24] = area(400, 150, 200, 24);
    l[28] = label(420, 120, 260, 30);
    l[29] = label(420, 150, 260, 30);
    l[30] = area(700, 150, 200, 24);
    l[34] = sprite(400, 200, 3, 94, -1, false, 0);
    // The marks of the chosen column.
    l[20] = sprite(110, 135, 3, 28);
    l[26] = sprite(410, 135, 3, 28);
    for (int e = 36; e <= 45; ++e) l[std::size_t(e)] = sprite(110, 88 + 40 * ((e - 36) % 5), 3, 28);
    const std::vector<DefinitionRecord> hints = upgradeHints();
    for (std::size_t k = 0; k < hints.size(); ++k) l[std::size_t(kFirstHintElement) + k] = hints[k];
    return l;
}

// A page's frame: painted with the page's static part (no group, sub-id -1).
DefinitionRecord pageFrame() {
    DefinitionRecord r = sprite(400, 240, 3, 21, -1, true);
    r.values[5] = -1;
    r.values[6] = -1;
    return r;
}

// The title: the picture (sprite 15, buffered) and the key prompt near the bottom.
Layout titleLayout() { return {sprite(0, 0, 15, 0, -1, true), label(200, 405, 400, 40, 0, 1)}; }

// The information list: the frame, the page count (a kind-7 value at 3), the title (4), the body
// (5), the button (6) and the page counter (7).
Layout listPageLayout(int pages) {
    return {pageFrame(), filler(), filler(), {7, 0, 0, {int16_t(pages - 1)}}, label(120, 55, 560, 40, 0, 1),
            label(130, 110, 540, 220), label(250, 340, 300, 44), label(120, 395, 560, 30, 0, 2)};
}

// The statistics: the frame, the title (1), the counters (10-12) and the three abilities (13-15).
Layout statisticsLayout() {
    Layout l(16, filler());
    l[0] = pageFrame();
    l[1] = label(120, 55, 560, 40, 0, 1);
    for (int i = 0; i < 6; ++i) l[std::size_t(10 + i)] = label(150, 120 + 50 * i, 500, 40);
    return l;
}

// The scrolling page: the frame, its heading (1) and the text's window (2).
Layout scrollPageLayout() {
    return {pageFrame(), label(120, 45, 560, 40, 0, 1), label(0, 100, 800, 330)};
}

}  // namespace

std::vector<uint8_t> layoutsPack() {
    std::vector<Layout> layouts(21);
    layouts[0] = mainMenuLayout();
    layouts[1] = menuLayout(0, -1, -1, 7);
    layouts[2] = menuLayout(4, 2, 3, 2);
    layouts[3] = menuLayout(3, 1, 2, 2);
    layouts[4] = menuLayout(3, 2, -1, 3);
    layouts[5] = menuLayout(2, 1, 1, 5);
    layouts[8] = menuLayout(2, 1, 1, 2);
    layouts[10] = upgradeLayout();
    layouts[12] = menuLayout(1, -1, -1, 8);
    layouts[14] = menuLayout(2, -1, 1, 2);
    layouts[18] = menuLayout(2, 1, -1, 3);
    layouts[19] = menuLayout(3, 2, -1, 2);
    // The title, the pages and the loading screen (its tap-point prompt at elements 2 and 3).
    layouts[9] = titleLayout();
    layouts[11] = listPageLayout(4);
    layouts[13] = statisticsLayout();
    layouts[17] = scrollPageLayout();
    layouts[16] = {filler(), filler(), sprite(400, 440, 3, 0, -1, false, 1), label(200, 430, 400, 40)};
    // The later screens' layouts: minimal sets that their features fill.
    for (int n : {6, 7, 15, 20}) layouts[std::size_t(n)] = {filler()};
    layouts[6] = hudLayout();
    std::vector<std::vector<uint8_t>> sets;
    for (const Layout& l : layouts) sets.push_back(formats::definitionSet(l));
    return formats::definitionsPack(sets);
}

std::vector<std::string> menuLabels() {
    // Item ids are their labels; an option item's next id is its "off" label.
    static const std::map<int, const char*> texts = {
        {1, "Press any key"}, {2, "New game"}, {3, "Options"}, {4, "Information"}, {5, "About"}, {6, "Quit"},
        {7, "Resume"}, {8, "Main menu"}, {9, "Continue"}, {10, "Yes"}, {11, "No"}, {12, "Are you sure?"},
        {13, "Play with sound?"}, {16, "Erase progress"}, {25, "You have fallen"}, {26, "Try again"},
        {27, "Back to the map"}, {28, "Chapters"},
        {29, "Moving"}, {30, "Jumping"}, {31, "Fighting"}, {32, "Items"}, {33, "Upgrades"}, {34, "The map"},
        {35, "Saving"}, {36, "Energy"}, {37, "Points"}, {38, "Doors"}, {39, "Switches"}, {40, "Enemies"},
        {41, "Secrets"}, {42, "Level complete"}, {44, "Take the challenge level?"}, {45, "Leave this level?"},
        {46, "Upgrades"}, {48, "Sword"}, {49, "Shield"}, {50, "Boots"}, {51, "Amulet"}, {52, "Lantern"},
        {54, "Strength"}, {55, "Speed"}, {57, "Hold to buy"}, {58, "Level %n"}, {60, "Complete"},
        {63, "Settings"}, {64, "Music"}, {66, "Effects"}, {68, "Vibration"}, {69, "Language"},
        {70, "Reset progress"}, {71, "Credits"}, {73, "About"}, {75, "Effects: on"}, {76, "Effects: off"},
        {77, "Music: on"}, {78, "Music: off"}, {79, "Statistics"},
        {80, "Chapters reached: %n of %n"}, {81, "Relics found: %n of %n"}, {82, "Secrets found: %n of %n"},
        {83, "You can dash"}, {84, "You can climb"}, {85, "You can glide"}, {86, "Your saved progress will be lost."},
        {96, "More games"}, {97, "New games"}, {98, "More games"}, {99, "More games"},
        {105, "Touch controls: on"}, {106, "Touch controls: off"}, {107, "Veltrano"},
        // The level screens: summary, game end and information page.
        {59, "%n of %n"}, {87, "Found"}, {88, "%n"}, {89, "Enemies defeated: %n of %n"}, {90, "Completion: %n percent"},
        {91, "Level complete"}, {92, "Best chain"}, {93, "A new path opens"}, {94, "The end. Thank you for playing!"},
        {95, "Tap to continue"}, {100, "More adventures wait under More games."}, {101, "Where to next?"},
        {102, "Left and right choose a place"},
    };
    std::vector<std::string> out(110, "");
    for (const auto& [id, text] : texts) out[std::size_t(id)] = text;
    return out;
}

}  // namespace sample_data
