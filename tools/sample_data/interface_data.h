// The sample data of the interface: the interface sprite (buttons, highlights, panels, upgrade
// pips, the start-up notice's frame), the soft-key corners, the level's tile sprites and their
// module mappings, the layouts of the definitions pack and the menus' English labels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/formats/sprite_file.h"

namespace sample_data {

// Rectangles wider than a module can be: filled modules of at most 200 pixels side by side.
void addBar(formats::SpriteData& s, formats::SpriteFrame& frame, int x, int y, int w, int h, uint32_t colour);

formats::SpriteData interfaceSprite();
formats::SpriteData softKeySprite();
// A level tile sprite: eight 32 x 32 tiles in the colours of its kind.
formats::SpriteData tileSprite(int kind);
// Module mapping m of the tile sprites: u16 pairs (module, replacement).
std::vector<uint8_t> moduleMapping(int m);
// The definitions pack: layouts 0-20 at entries 10-30.
std::vector<uint8_t> layoutsPack();
// Text group 0: the labels, titles and messages of the menus.
std::vector<std::string> menuLabels();

}  // namespace sample_data
