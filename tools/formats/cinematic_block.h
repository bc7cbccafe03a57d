// Cinematic blocks from readable descriptions, as the level loader reads them: a signed group
// count, per group its 16-bit id and its track count, then every track in group order: kind,
// flags, the actor field (kinds 2 and 3: the object id or the sprite index), the key count and
// the key frames (time in 76 ms units, command count, commands). Multi-byte values are 16-bit
// little-endian.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace formats {

struct CinematicCommand {
    uint8_t opcode = 0;
    std::vector<uint8_t> arguments;  // raw; see cineWords for 16-bit values
};

struct CinematicKey {
    uint16_t time = 0;  // 76 ms units
    std::vector<CinematicCommand> commands;
};

struct CinematicTrack {
    uint8_t kind = 0;
    uint8_t flags = 0;
    int16_t actor = 0;  // written for kinds 2 and 3 only
    std::vector<CinematicKey> keys;
};

struct CinematicGroup {
    int16_t id = 0;
    std::vector<CinematicTrack> tracks;
};

// A command whose arguments are 16-bit little-endian values.
CinematicCommand cineCommand(uint8_t opcode, std::initializer_list<int16_t> words = {});

std::vector<uint8_t> cinematicBlock(const std::vector<CinematicGroup>& groups);

}  // namespace formats
