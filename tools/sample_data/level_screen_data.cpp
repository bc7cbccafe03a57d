#include "tools/sample_data/level_screen_data.h"

#include <cstdint>

#include "tools/formats/definitions_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"

namespace sample_data {

namespace {

using formats::DefinitionRecord;
using Layout = std::vector<DefinitionRecord>;

constexpr int kInterfaceSlot = 3;
constexpr int kPanelFrame = 21, kBannerFrame = 29, kMarkFrame = 28;
constexpr int kFirstSet = 10;  // layout n is entry n + 10 of the definitions pack
constexpr int kPadPack = 22, kPadEntry = 1;  // loaded into sprite slot 36
// The pad's touch grid below its picture's top (drawn 8 px above the grid): cells 70 px square.
constexpr int kPadGridTop = 8, kPadCell = 70;
constexpr uint32_t kPadLit = 0xFFFFD27Au, kPadLines = 0xFF8090A0u;

// A still frame of the interface sprite (kind 0: slot, frame, no animation, shown, buffered,
// group 1, sub-id 0, palette 0).
DefinitionRecord still(int x, int y, int frame, bool buffered, bool shown = true) {
    return {0, int16_t(x), int16_t(y),
            {int16_t(kInterfaceSlot), int16_t(frame), -1, int16_t(shown ? 1 : 0), int16_t(buffered ? 1 : 0), 1, 0, 0}};
}
// A text box (kind 1: w, h, centred both ways, font 0, palette 0).
DefinitionRecord text(int x, int y, int w, int h) {
    return {1, int16_t(x), int16_t(y), {int16_t(w), int16_t(h), 1, 1, 0, 0, 0, 0, 0, 0, 0, -1, 0}};
}
DefinitionRecord none() { return {4, 0, 0, {}}; }

// The summary: a panel; the title, the level's name on a banner, the found kinds in five columns,
// the completion and tallies, the best chain and the prompt.
Layout summaryLayout() {
    Layout l(34, none());
    l[0] = still(400, 240, kPanelFrame, true);
    l[8] = still(400, 110, kBannerFrame, true);
    l[10] = text(130, 270, 540, 100);
    l[11] = text(200, 45, 400, 40);
    l[12] = text(130, 150, 540, 30);
    l[14] = text(130, 380, 540, 30);
    for (int row = 0; row < 5; ++row) l[std::size_t(20 + row)] = text(130 + row * 110, 200, 100, 60);
    l[25] = text(130, 270, 540, 30);
    l[26] = text(130, 305, 540, 30);
    l[27] = text(130, 340, 260, 30);
    l[28] = text(410, 340, 260, 30);
    l[31] = still(400, 110, kMarkFrame, true, false);
    l[32] = text(250, 90, 300, 40);
    l[33] = text(200, 420, 400, 30);
    return l;
}

// The information page: the picture's place, the cursor (which is the first place too, as the
// cursor moves to place n + 1), thirteen more places along a path, the title, the prompt and the
// two hints.
Layout infoLayout() {
    Layout l(23, none());
    l[0] = still(60, 420, 0, true);
    l[1] = still(40, 220, kMarkFrame, false);
    for (int i = 2; i <= 14; ++i) l[std::size_t(i)] = still(60 * i - 20, i % 2 ? 220 : 280, kMarkFrame, true);
    l[19] = text(200, 40, 400, 40);
    l[20] = text(200, 430, 400, 30);
    l[21] = text(100, 100, 600, 30);
    l[22] = text(100, 380, 600, 30);
    return l;
}

// Layout 16 as the loading screen has it, with the story's prompt (element 4) added.
Layout introLayout() {
    Layout l = {none(), none(), still(400, 440, 0, false), text(200, 430, 400, 40), text(200, 440, 400, 30)};
    return l;
}

// Sprite 36, drawn at the pad's place: frames 0-8 the lit ring of the cell of keys '1'-'9' (rows
// top down), frame 9 the grid's lines over the whole pad.
formats::SpriteData padSprite() {
    formats::SpriteData s;
    s.palettes = {{0x00000000u}};
    for (int key = 0; key < 9; ++key) {
        formats::SpriteFrame cell;
        const int x = key % 3 * kPadCell + 4, y = kPadGridTop + key / 3 * kPadCell + 4, side = kPadCell - 8;
        addBar(s, cell, x, y, side, 5, kPadLit);
        addBar(s, cell, x, y + side - 5, side, 5, kPadLit);
        addBar(s, cell, x, y + 5, 5, side - 10, kPadLit);
        addBar(s, cell, x + side - 5, y + 5, 5, side - 10, kPadLit);
        s.frames.push_back(cell);
    }
    formats::SpriteFrame lines;
    for (int i = 1; i < 3; ++i) {
        addBar(s, lines, i * kPadCell - 1, kPadGridTop, 2, 3 * kPadCell, kPadLines);
        addBar(s, lines, 0, kPadGridTop + i * kPadCell - 1, 3 * kPadCell, 2, kPadLines);
    }
    s.frames.push_back(lines);
    s.animations.push_back({{9, 1, 0, 0, 0}});
    return s;
}

}  // namespace

void addLevelScreenData(formats::ArchiveWriter& archive) {
    for (const auto& [layout, records] : {std::pair{15, summaryLayout()}, {20, infoLayout()}, {16, introLayout()}})
        setPackEntry(archive, kDefinitionsPack, kFirstSet + layout, formats::definitionSet(records));
    setPackEntry(archive, kPadPack, kPadEntry, formats::spriteFile(padSprite()));
}

}  // namespace sample_data
