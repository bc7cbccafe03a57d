// The LZMA decoder of resource-pack entries, over liblzma.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mrc::packs {

// Bytes of the LZMA-alone header: properties byte, dictionary size, unpacked size.
inline constexpr std::size_t kLzmaHeaderSize = 13;

// The literal, position and position-bit counts of a properties byte (lc + 9 × lp + 45 × pb).
struct LzmaProperties {
    uint32_t lc, lp, pb;
};
LzmaProperties lzmaProperties(uint8_t p0);

// Decodes raw LZMA data into exactly `size` bytes, the whole output serving as the dictionary.
// False when the data is damaged, ends before `size` bytes, or the properties are ones the
// decoder refuses (liblzma takes lc + lp up to 4, pb up to 4).
bool lzmaDecode(LzmaProperties properties, const uint8_t* body, std::size_t bodySize, uint8_t* out,
                std::size_t size);

}  // namespace mrc::packs
