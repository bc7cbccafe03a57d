// The sample data of the in-game HUD: its art in the interface sprite and interface layout 6.
#pragma once

#include <vector>

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

}  // namespace sample_data
