#include "host/audio/amr_file.h"

#include <opencore-amrnb/interf_dec.h>

#include <cstring>

#include "host/core/log.h"

namespace host {
namespace {

constexpr char kMagic[] = "#!AMR\n";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;

// Speech bytes after the frame header, by frame type (8: comfort noise, 15: no data).
constexpr uint8_t kFrameBytes[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 6, 5, 5, 0, 0, 0, 0};

}  // namespace

bool decodeAmrFile(const uint8_t* data, std::size_t size, std::vector<int16_t>& pcm,
                   std::string& error) {
    pcm.clear();
    if (!data || size < kMagicLength || std::memcmp(data, kMagic, kMagicLength) != 0) {
        error = "not an AMR-NB file";
        return false;
    }
    void* decoder = Decoder_Interface_init();
    if (!decoder) {
        error = "AMR decoder unavailable";
        return false;
    }
    std::size_t at = kMagicLength;
    short out[kAmrFrameSamples];
    while (at < size) {
        uint8_t type = (data[at] >> 3) & 0x0F;
        std::size_t frameSize = 1 + std::size_t(kFrameBytes[type]);
        if (type >= 12 && type <= 14) {
            mrc_log("AMR: reserved frame type %u at byte %zu, stream ends there", type, at);
            break;
        }
        if (size - at < frameSize) {
            mrc_log("AMR: frame cut short at byte %zu", at);
            break;
        }
        Decoder_Interface_Decode(decoder, data + at, out, 0);
        pcm.insert(pcm.end(), out, out + kAmrFrameSamples);
        at += frameSize;
    }
    Decoder_Interface_exit(decoder);
    return true;
}

}  // namespace host
