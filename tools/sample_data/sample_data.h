// The sample data of the game: everything the game reads, made here (procedural pictures, our
// own English texts), laid out as the archive "data.bar".
#pragma once

#include "tools/formats/archive_file.h"

namespace sample_data {

// Pack numbers and entries the start-up reads.
inline constexpr int kTextPack = 0;      // text tables
inline constexpr int kStartupPack = 1;   // 0 emblem, 1 interface sprite, 2 gauge
inline constexpr int kFontPack = 2;      // 0 glyph table, 1 and 2 the fonts
inline constexpr int kEmblemFrames = 16; // one logic step each: about a second
inline constexpr int kDefinitionsPack = 4;  // layouts 0-20 at entries 10-30
inline constexpr int kTilePack = 6;         // the level sprites 10 and 11 (ids 60, 61): the player figure
inline constexpr int kMappingsPack = 16;    // their module mappings 0-9
inline constexpr int kInterfacePack = 21;   // 1 the interface sprite, 3 the soft keys

formats::ArchiveWriter buildArchive();

}  // namespace sample_data
