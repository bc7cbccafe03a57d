// Definition sets (the interface layouts and the level's placed things): records back to back, no
// header. A record: u8 kind, s16 value P (kinds 10 and 11 only, else 0), s16 x, s16 y, u8 count c,
// then c s16 values; every 16-bit value little-endian. A definitions pack holds set n at entry
// n + 10 (entries 0-9 are empty here).
#pragma once

#include <cstdint>
#include <vector>

namespace formats {

struct DefinitionRecord {
    uint8_t kind = 0;
    int16_t x = 0, y = 0;
    std::vector<int16_t> values;
    int16_t p = 0;  // kinds 10 and 11
};

std::vector<uint8_t> definitionSet(const std::vector<DefinitionRecord>& records);

// A pack of the sets, set n at entry n + 10.
std::vector<uint8_t> definitionsPack(const std::vector<std::vector<uint8_t>>& sets);

}  // namespace formats
