// The sample data of the in-game HUD: its art in the interface sprite and interface layout 6.
#pragma once

#include <string>
#include <vector>

#include "tools/formats/archive_file.h"
#include "tools/formats/definitions_file.h"
#include "tools/formats/sprite_file.h"

namespace sample_data {

// The health panel shows style 4 (frame 70), since frames 56-69 are the upgrade levels' boxes.
inline constexpr int kHudHealthStyle = 4;

// Frames 5-10 (the two banners' caps and tiles), 33 (the points gauge with its number box), 70
// (the health panel), 73 (the energy panel), 98 (the popup panel with its icon row and time bar)
// 99 (the bar marker), 100 and 101 (a popup's icons to do and done) and 161-162 (the pause button) of the interface sprite; animations 19 (the
// marker), 45 and 48 (the two panels' intros).
void addHudArt(formats::SpriteData& interface);
// Layout 6: element 4 the panels' place, 5 the points gauge, 11 and 12 the popups' place.
std::vector<formats::DefinitionRecord> hudLayout();

// The chain counter's places: frame 0 of sprite slot 7 holds them as rectangles (0 the number,
// 1 its label, 2 the banner, 3 whose width is the slide distance). The texts' boxes stand at
// (x + 130, y + 510), the banner's at (x, y + 480); the number keeps to its box's bottom right
// corner, the label and the banner to the bottom left.
inline constexpr int kChainNumberRight = 100, kChainBaseline = 450, kChainSlide = 240;
// Text group 6: 0 the chain number, 1 the points panel's number, 2 the chain label, 4-14 the
// chain banners (one for each five hits).
std::vector<std::string> hudTexts();
// Sprite slot 7 (the chain geometry), 16 (frame 0 the target sign) and 21 (the item markers:
// frames 0-2 the rings of the three masks, 3-7 the five items' marks).
formats::SpriteData chainSprite();
formats::SpriteData targetSignSprite();
formats::SpriteData itemMarkerSprite();
// The player figure, entries 0 and 1 of the level sprite pack (sprite slots 10 and 11, which
// the player's sprite ids 60 and 61 name): kind 0 in blue, kind 1 in red; modules 0-7 in
// look-alike pairs for the module mappings.
formats::SpriteData playerSprite(int kind);
// Puts the HUD's texts and sprites and the player figure into the archive's packs (after they are added).
void addHudData(formats::ArchiveWriter& archive);

}  // namespace sample_data
