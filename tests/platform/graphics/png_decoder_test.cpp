#include "platform/graphics/png_decoder.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

#include "host/core/log.h"
#include "platform/graphics/pixels.h"
#include "tests/platform/graphics/pixel_target.h"
#include "tests/platform/graphics/png_writer.h"

namespace {

using namespace mrc::gfx;
using mrc::test::PixelTarget;
using mrc::test::PngPicture;
using mrc::test::writePng;

uint16_t rgb(int r, int g, int b) { return argbToRgb565(uint32_t(r) << 16 | g << 8 | b); }

struct Decoded {
    bool headerOk = false;
    PngHeader header;
    int32_t type = 0;
    bool ok = false;
    std::vector<uint16_t> pixels;  // width × height, no padding
};

Decoded decode(const std::vector<uint8_t>& bytes) {
    Decoded d;
    d.headerOk = readPngHeader(bytes.data(), bytes.size(), d.header);
    if (!d.headerOk) return d;
    d.type = pngPixelType(d.header);
    PixelTarget t(d.header.width, d.header.height);
    d.ok = decodePng(bytes.data(), bytes.size(), t.pixels(), t.width(), t.height(), t.pitch(), d.type);
    EXPECT_TRUE(t.guardsIntact());
    for (int y = 0; y < t.height(); ++y)
        for (int x = 0; x < t.width(); ++x) d.pixels.push_back(t.at(x, y));
    return d;
}

PngPicture picture(int w, int h, int colorType, int depth, std::vector<uint8_t> samples) {
    PngPicture p;
    p.width = w;
    p.height = h;
    p.colorType = colorType;
    p.bitDepth = depth;
    p.samples = std::move(samples);
    return p;
}

struct DecodeCase {
    const char* name;
    PngPicture png;
    int32_t type;
    std::vector<uint16_t> pixels;
};

TEST(PngDecoder, EveryColourTypeAndDepthDecodesToExactValues) {
    PngPicture palette = picture(4, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 1});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.paletteAlpha = {255, 0};
    PngPicture keyed = picture(2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60});
    keyed.keyColour = true;
    keyed.key.red = 10;
    keyed.key.green = 20;
    keyed.key.blue = 30;
    PngPicture palette4 = picture(3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0, 1, 1});
    palette4.palette = {{1, 2, 3}, {200, 100, 50}};

    const DecodeCase cases[] = {
        {"rgb", picture(3, 2, PNG_COLOR_TYPE_RGB, 8, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0x12, 0x34, 0x56}),
         kRgb565, {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x11AA}},
        {"rgba", picture(2, 1, PNG_COLOR_TYPE_RGBA, 8, {255, 0, 0, 128, 0, 255, 0, 0}), kArgb4444, {0x8F00, 0x00F0}},
        {"palette with tRNS", palette, kRgb565, {0xF800, kColorKey, 0x001F, kColorKey}},
        {"palette, 4 bits", palette4, kRgb565, {rgb(1, 2, 3), rgb(200, 100, 50), rgb(200, 100, 50)}},
        {"rgb with a key colour", keyed, kRgb565, {kColorKey, rgb(40, 50, 60)}},
        {"grey", picture(3, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 128, 255}), kRgb565, {0x0000, 0x8410, 0xFFFF}},
        {"grey, 1 bit", picture(3, 1, PNG_COLOR_TYPE_GRAY, 1, {1, 0, 1}), kRgb565, {0xFFFF, 0x0000, 0xFFFF}},
        {"grey, 4 bits", picture(2, 1, PNG_COLOR_TYPE_GRAY, 4, {8, 15}), kRgb565, {rgb(0x88, 0x88, 0x88), 0xFFFF}},
        {"grey, 16 bits", picture(1, 1, PNG_COLOR_TYPE_GRAY, 16, {0xAB, 0xCD}), kRgb565, {rgb(0xAB, 0xAB, 0xAB)}},
        {"grey and alpha", picture(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {200, 255, 50, 0}), kArgb4444, {0xFCCC, 0x0333}},
        {"rgb, 16 bits", picture(2, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF}),
         kRgb565, {rgb(0x12, 0xAB, 0xFF), 0x001F}},
        {"rgba, 16 bits", picture(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0xFF, 0xFF, 0, 0, 0, 0, 0x80, 0}), kArgb4444, {0x8F00}},
        {"the key colour itself", picture(2, 1, PNG_COLOR_TYPE_RGB, 8, {255, 0, 255, 1, 2, 3}), kRgb565,
         {kColorKey, rgb(1, 2, 3)}},
    };
    for (const DecodeCase& c : cases) {
        std::vector<uint8_t> bytes = writePng(c.png);
        ASSERT_FALSE(bytes.empty()) << c.name;
        Decoded d = decode(bytes);
        ASSERT_TRUE(d.headerOk) << c.name;
        EXPECT_TRUE(d.ok) << c.name;
        EXPECT_EQ(d.type, c.type) << c.name;
        EXPECT_EQ(d.pixels, c.pixels) << c.name;
    }
}

TEST(PngDecoder, HeaderScanReadsTheChunks) {
    PngPicture p = picture(4, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 1});
    p.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    p.paletteAlpha = {255, 0};
    std::vector<uint8_t> bytes = writePng(p);
    PngHeader h;
    ASSERT_TRUE(readPngHeader(bytes.data(), bytes.size(), h));
    EXPECT_EQ(h.width, 4);
    EXPECT_EQ(h.height, 1);
    EXPECT_EQ(h.bitDepth, 8);
    EXPECT_EQ(h.colorType, 3);
    EXPECT_EQ(h.paletteSize, 3);
    EXPECT_TRUE(h.hasTransparency);
    EXPECT_TRUE(h.complete);
    // Without IEND in the range the header is still known.
    ASSERT_TRUE(readPngHeader(bytes.data(), bytes.size() - 12, h));
    EXPECT_FALSE(h.complete);
    EXPECT_FALSE(readPngHeader(bytes.data(), 20, h));
    EXPECT_FALSE(readPngHeader(nullptr, 100, h));
}

TEST(PngDecoder, InterlacedImagesDecodeLikePlainOnes) {
    std::mt19937 rng(7);
    PngPicture p = picture(9, 7, PNG_COLOR_TYPE_RGB, 8, {});
    for (int i = 0; i < 9 * 7 * 3; ++i) p.samples.push_back(static_cast<uint8_t>(rng()));
    Decoded plain = decode(writePng(p));
    p.interlaced = true;
    Decoded interlaced = decode(writePng(p));
    ASSERT_TRUE(plain.ok);
    ASSERT_TRUE(interlaced.ok);
    EXPECT_EQ(interlaced.pixels, plain.pixels);
    for (int i = 0; i < 9 * 7; ++i)
        ASSERT_EQ(plain.pixels[i], rgb(p.samples[i * 3], p.samples[i * 3 + 1], p.samples[i * 3 + 2]));
}

// libpng's own simplified reader, to 8-bit RGBA, as the oracle for 8-bit and smaller samples.
std::vector<uint8_t> oracleRgba(const std::vector<uint8_t>& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> out(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr)) return {};
    return out;
}

TEST(PngDecoder, AgreesWithLibpngsSimplifiedReader) {
    std::mt19937 rng(3);
    struct Kind {
        int colorType, depth, channels;
        bool transparentPalette;
    } kinds[] = {{PNG_COLOR_TYPE_RGB, 8, 3, false},      {PNG_COLOR_TYPE_RGBA, 8, 4, false},
                 {PNG_COLOR_TYPE_GRAY, 8, 1, false},     {PNG_COLOR_TYPE_GRAY, 2, 1, false},
                 {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, false}, {PNG_COLOR_TYPE_PALETTE, 8, 1, true},
                 {PNG_COLOR_TYPE_PALETTE, 1, 1, false}};
    for (const Kind& k : kinds) {
        PngPicture p = picture(13, 11, k.colorType, k.depth, {});
        int levels = k.colorType == PNG_COLOR_TYPE_PALETTE ? (1 << k.depth) : k.depth < 8 ? (1 << k.depth) : 256;
        for (int i = 0; i < 13 * 11 * k.channels; ++i) p.samples.push_back(static_cast<uint8_t>(rng() % levels));
        if (k.colorType == PNG_COLOR_TYPE_PALETTE) {
            for (int i = 0; i < levels; ++i)
                p.palette.push_back({uint8_t(rng()), uint8_t(rng()), uint8_t(rng())});
            if (k.transparentPalette)
                for (int i = 0; i < levels; ++i) p.paletteAlpha.push_back(i % 5 == 0 ? 0 : 255);
        }
        std::vector<uint8_t> bytes = writePng(p);
        std::vector<uint8_t> rgba = oracleRgba(bytes);
        ASSERT_EQ(rgba.size(), 13u * 11 * 4);
        Decoded d = decode(bytes);
        ASSERT_TRUE(d.ok);
        for (int i = 0; i < 13 * 11; ++i) {
            const uint8_t* o = &rgba[i * 4];
            uint16_t want = d.header.hasTransparency ? (o[3] ? rgb(o[0], o[1], o[2]) : kColorKey)
                            : d.type == kArgb4444 ? static_cast<uint16_t>((o[3] >> 4) << 12 | (o[0] >> 4) << 8 |
                                                                           (o[1] >> 4) << 4 | o[2] >> 4)
                                                   : rgb(o[0], o[1], o[2]);
            ASSERT_EQ(d.pixels[i], want) << "colour type " << k.colorType << " depth " << k.depth << " pixel " << i;
        }
    }
}

std::vector<uint8_t> noisyPng(int w, int h) {
    std::mt19937 rng(11);
    PngPicture p = picture(w, h, PNG_COLOR_TYPE_RGB, 8, {});
    for (int i = 0; i < w * h * 3; ++i) p.samples.push_back(static_cast<uint8_t>(1 + rng() % 255));
    return writePng(p);
}

TEST(PngDecoder, CutShortFilesFailWithoutReadingPastTheirEnd) {
    host::LogCapture log;
    std::vector<uint8_t> full = noisyPng(16, 16);
    Decoded whole = decode(full);
    ASSERT_TRUE(whole.ok);
    int failures = 0;
    for (std::size_t n = 0; n < full.size(); ++n) {
        // An exact-size copy: a read beyond n is a heap overflow the sanitizer reports.
        std::vector<uint8_t> cut(full.begin(), full.begin() + n);
        PngHeader h;
        if (!readPngHeader(cut.data(), cut.size(), h)) continue;
        PixelTarget t(16, 16);
        if (!decodePng(cut.data(), cut.size(), t.pixels(), 16, 16, t.pitch(), kRgb565)) ++failures;
        // Rows finished before the end are right; nothing else was written.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_TRUE(t.at(x, y) == 0 || t.at(x, y) == whole.pixels[y * 16 + x]) << n;
        ASSERT_TRUE(t.guardsIntact());
    }
    EXPECT_GT(failures, 0);
    EXPECT_TRUE(log.contains("decodePng: data ends before the image"));
}

TEST(PngDecoder, CorruptAndRandomBytesFailCleanly) {
    host::LogCapture log;
    std::vector<uint8_t> good = noisyPng(6, 5);
    std::mt19937 rng(5);
    int decoded = 0;
    auto attempt = [&](const std::vector<uint8_t>& bytes) {
        PngHeader h;
        bool header = readPngHeader(bytes.data(), bytes.size(), h);
        PixelTarget t(8, 8);
        // Whatever the header says, the store given is 8 × 8.
        if (decodePng(bytes.data(), bytes.size(), t.pixels(), 8, 8, t.pitch(), header ? pngPixelType(h) : 0))
            ++decoded;
        EXPECT_TRUE(t.guardsIntact());
    };
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::vector<uint8_t> bad = good;
        bad[i] ^= static_cast<uint8_t>(1 + rng() % 255);
        attempt(bad);
    }
    for (int i = 0; i < 300; ++i) {
        std::vector<uint8_t> junk(rng() % 200);
        for (auto& b : junk) b = static_cast<uint8_t>(rng());
        if (i % 2 && junk.size() > 33) std::copy(good.begin(), good.begin() + 33, junk.begin());  // a real IHDR
        attempt(junk);
    }
    EXPECT_LT(decoded, 20);  // a flipped bit in an ancillary place may still decode
}

// A PNG built chunk by chunk: the signature, then (type, payload) with their CRCs.
std::vector<uint8_t> chunks(const std::vector<std::pair<const char*, std::vector<uint8_t>>>& list) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto be32 = [&](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
    };
    for (const auto& [type, payload] : list) {
        be32(uint32_t(payload.size()));
        std::size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), payload.begin(), payload.end());
        be32(uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
    }
    return out;
}
std::vector<uint8_t> ihdr(uint32_t w, uint32_t h, uint8_t colorType) {
    return {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 24), uint8_t(h >> 16),
            uint8_t(h >> 8), uint8_t(h), 8, colorType, 0, 0, 0};
}

TEST(PngDecoder, OnlyTheFirstHeaderCountsAndHugeHeadersAreRefusedBeforeTheirRows) {
    host::LogCapture log;
    // One IDAT row of a 1 × 1 RGB image (filter byte, three samples), compressed.
    std::vector<uint8_t> raw = {0, 200, 100, 50}, idat(64);
    uLongf packed = idat.size();
    ASSERT_EQ(compress(idat.data(), &packed, raw.data(), raw.size()), Z_OK);
    idat.resize(packed);

    // The fuzzer's shape: a huge first header, which libpng decodes, and a 1 × 1 one after it.
    std::vector<uint8_t> huge = chunks({{"IHDR", ihdr(30000, 30000, 6)}, {"IDAT", idat}, {"IHDR", ihdr(1, 1, 2)},
                                        {"IEND", {}}});
    PngHeader h;
    ASSERT_TRUE(readPngHeader(huge.data(), huge.size(), h));
    EXPECT_EQ(h.width, 30000);
    EXPECT_EQ(h.height, 30000);
    PixelTarget t(1, 1);
    EXPECT_FALSE(decodePng(huge.data(), huge.size(), t.pixels(), 1, 1, t.pitch(), kRgb565));
    EXPECT_TRUE(log.contains("larger than any image allowed"));
    EXPECT_TRUE(t.guardsIntact());

    // A 1 × 1 image with a second header after its data decodes as the first one says.
    std::vector<uint8_t> second = chunks({{"IHDR", ihdr(1, 1, 2)}, {"IDAT", idat}, {"IHDR", ihdr(30000, 30000, 6)},
                                          {"IEND", {}}});
    ASSERT_TRUE(readPngHeader(second.data(), second.size(), h));
    EXPECT_EQ(h.width, 1);
    EXPECT_EQ(h.height, 1);
    decodePng(second.data(), second.size(), t.pixels(), 1, 1, t.pitch(), kRgb565);
    EXPECT_EQ(t.at(0, 0), rgb(200, 100, 50));
    EXPECT_TRUE(t.guardsIntact());
}

TEST(PngDecoder, WritesOnlyInsideTheStoreGiven) {
    std::vector<uint8_t> bytes = noisyPng(5, 4);
    Decoded whole = decode(bytes);
    PixelTarget small(3, 2);
    ASSERT_TRUE(decodePng(bytes.data(), bytes.size(), small.pixels(), 3, 2, small.pitch(), kRgb565));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(small.at(x, y), whole.pixels[y * 5 + x]);
    EXPECT_EQ(small.at(3, 0), 0);  // the row's padding
    EXPECT_TRUE(small.guardsIntact());
}

}  // namespace
