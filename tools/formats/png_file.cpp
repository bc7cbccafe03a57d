#include "tools/formats/png_file.h"

#include <zlib.h>

#include <string_view>

#include "tools/formats/byte_writer.h"

namespace formats {

namespace {

void chunk(ByteWriter& out, std::string_view type, const std::vector<uint8_t>& data) {
    out.writeU32BE(static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    out.writeBytes(body.data(), body.size());
    out.writeU32BE(static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

std::vector<uint8_t> pngFile(int32_t width, int32_t height, const std::vector<uint32_t>& argb) {
    if (width <= 0 || height <= 0 || argb.size() != std::size_t(width) * std::size_t(height)) return {};
    // Rows with the Up filter: each byte minus the byte above it.
    const std::size_t stride = std::size_t(width) * 4;
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * std::size_t(height));
    std::vector<uint8_t> previous(stride, 0), row(stride);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = argb[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            row[std::size_t(x) * 4 + 0] = uint8_t(p >> 16);
            row[std::size_t(x) * 4 + 1] = uint8_t(p >> 8);
            row[std::size_t(x) * 4 + 2] = uint8_t(p);
            row[std::size_t(x) * 4 + 3] = uint8_t(p >> 24);
        }
        raw.push_back(2);
        for (std::size_t i = 0; i < stride; ++i) raw.push_back(uint8_t(row[i] - previous[i]));
        previous.swap(row);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return {};
    packed.resize(packedSize);

    ByteWriter out;
    static constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.writeBytes(kSignature, sizeof kSignature);
    ByteWriter header;
    header.writeU32BE(static_cast<uint32_t>(width)).writeU32BE(static_cast<uint32_t>(height));
    header.writeU8(8).writeU8(6).writeU8(0).writeU8(0).writeU8(0);
    chunk(out, "IHDR", header.take());
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out.take();
}

}  // namespace formats
