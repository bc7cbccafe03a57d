// The sample data of the title screen, the menus' pages and the sounds: the title picture, the
// sound pack of twelve generated sounds, the angle table, and the information pages' and the
// scrolling page's texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/formats/archive_file.h"
#include "tools/formats/sprite_file.h"

namespace sample_data {

inline constexpr int kTitlePack = 3;       // 0 the title picture (sprite 15)
inline constexpr int kAnglePack = 7;       // 0 the 181 angle values
inline constexpr int kSoundPack = 24;      // the twelve sounds
inline constexpr int kSoundSetPacks[] = {25, 27};  // opened by the sound-set commands, never read
inline constexpr int kPageCount = 4;       // pages of the information list

// The title picture: frame 0, 800 x 480 at (0, 0).
formats::SpriteData titleSprite();
// Sounds 0-2 MIDI tunes (the music ids), 3-11 WAVE tones (the effects).
std::vector<std::vector<uint8_t>> soundSamples();
// Entry 0: 181 little-endian signed 16-bit values, 256 x sin(d) for d = 0..180 degrees.
std::vector<uint8_t> angleTable();
// Text group 2: the information list (title, page counter, bodies, button labels).
std::vector<std::string> pageTexts();
// Text group 4: the start-up notice (0) and the scrolling text (2).
std::vector<std::string> aboutTexts(const std::string& notice);

// Adds the packs above (the title, the angles, the sounds and the sound-set packs).
void addMenuPacks(formats::ArchiveWriter& archive);

}  // namespace sample_data
