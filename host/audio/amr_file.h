// AMR narrow-band files ("#!AMR\n" storage format) decoded to 8000 Hz mono 16-bit PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

inline constexpr uint32_t kAmrSampleRate = 8000;
inline constexpr uint32_t kAmrFrameSamples = 160;  // 20 ms

// False with a reason for data that is not AMR-NB. A frame cut short ends the stream.
bool decodeAmrFile(const uint8_t* data, std::size_t size, std::vector<int16_t>& pcm,
                   std::string& error);

}  // namespace host
