#include "framework/packs/lzma_alone.h"

#include <lzma.h>

#include <algorithm>

namespace mrc::packs {

LzmaProperties lzmaProperties(uint8_t p0) {
    uint32_t rest = p0 % 45;
    return {rest % 9, rest / 9, uint32_t(p0) / 45};
}

bool lzmaDecode(LzmaProperties properties, const uint8_t* body, std::size_t bodySize, uint8_t* out,
                std::size_t size) {
    lzma_options_lzma options{};
    options.dict_size = static_cast<uint32_t>(std::max<std::size_t>(std::min<std::size_t>(size, UINT32_MAX),
                                                                    LZMA_DICT_SIZE_MIN));
    options.lc = properties.lc;
    options.lp = properties.lp;
    options.pb = properties.pb;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK) return false;
    stream.next_in = body;
    stream.avail_in = bodySize;
    stream.next_out = out;
    stream.avail_out = size;
    lzma_ret ret = LZMA_OK;
    // The data may end without an end marker: decoding stops when the output is full.
    while (ret == LZMA_OK && stream.avail_out > 0) {
        std::size_t before = stream.avail_in + stream.avail_out;
        ret = lzma_code(&stream, LZMA_FINISH);
        if (stream.avail_in + stream.avail_out == before) break;
    }
    bool full = stream.avail_out == 0 && (ret == LZMA_OK || ret == LZMA_STREAM_END);
    lzma_end(&stream);
    return full;
}

}  // namespace mrc::packs
