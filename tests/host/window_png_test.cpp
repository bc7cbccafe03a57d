#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "host/headless/frame_store.h"

namespace {

struct Rgb {
    int width = 0, height = 0;
    std::vector<uint8_t> bytes;
};

// Reads an 8-bit RGB PNG back with libpng itself.
bool readPng(const std::string& path, Rgb& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_read_info(png, info);
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(png, info) == 8) {
            out.width = static_cast<int>(png_get_image_width(png, info));
            out.height = static_cast<int>(png_get_image_height(png, info));
            out.bytes.resize(std::size_t(out.width) * out.height * 3);
            std::vector<png_bytep> rows(out.height);
            for (int y = 0; y < out.height; ++y) rows[y] = &out.bytes[std::size_t(y) * out.width * 3];
            png_read_image(png, rows.data());
            ok = true;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return ok;
}

std::vector<uint16_t> gradient(int seed) {
    std::vector<uint16_t> px(800 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 800; ++x)
            px[std::size_t(y) * 800 + x] = static_cast<uint16_t>((x * 7 + y * 13 + seed * 101) & 0xFFFF);
    px[0] = 0xFFFF;  // white, black and the pure primaries at known places
    px[1] = 0x0000;
    px[2] = 0xF800;
    px[3] = 0x07E0;
    px[4] = 0x001F;
    return px;
}

TEST(FrameStore, KeepsTheLatestFramesOnly) {
    host::FrameStore store(2);
    for (int i = 0; i < 5; ++i) {
        auto px = gradient(i);
        store.add(px.data(), 800, 480, 1600);
    }
    EXPECT_EQ(store.count(), 5u);
    auto kept = store.frames();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].number, 4u);
    EXPECT_EQ(kept[1].number, 5u);
    EXPECT_EQ(kept[0].pixels, gradient(3)) << "a recycled buffer holds the new frame whole";
    EXPECT_EQ(kept[1].pixels, gradient(4));

    store.setKeep(0);
    auto px = gradient(2);
    for (int i = 0; i < 3; ++i) store.add(px.data(), 800, 480, 1600);
    EXPECT_EQ(store.frames().size(), 5u);  // "all" from here on
    EXPECT_EQ(store.frames().back().pixels, px);
}

// Any one pixel changed, two pixels swapped, or the same values read as another size give another
// hash; the padding beyond each row does not count.
TEST(FrameStore, HashSeesEveryPixelAndItsPlaceButNoPadding) {
    constexpr int kW = 37, kH = 5, kPitch = 48;  // a width that leaves a tail after the 16-pixel blocks
    std::vector<uint16_t> base(kPitch * kH);
    for (std::size_t i = 0; i < base.size(); ++i) base[i] = uint16_t(i * 2654435761u >> 13);
    const uint64_t h0 = host::frameHash(base.data(), kW, kH, kPitch * 2);

    std::vector<uint64_t> seen{h0};
    for (int index : {0, 3, 4, 15, 16, 31, 32, 36, kPitch, kPitch * 4 + kW - 1}) {
        auto px = base;
        px[index] ^= 1;
        seen.push_back(host::frameHash(px.data(), kW, kH, kPitch * 2));
    }
    for (auto [a, b] : {std::pair{0, 1}, std::pair{0, 4}, std::pair{35, 36}, std::pair{5, kPitch + 5}}) {
        auto px = base;
        std::swap(px[a], px[b]);
        seen.push_back(host::frameHash(px.data(), kW, kH, kPitch * 2));
    }
    std::vector<uint16_t> dense(base.size());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) dense[y * kW + x] = base[y * kPitch + x];
    seen.push_back(host::frameHash(dense.data(), kH, kW, kH * 2));  // the same values as 5 × 37
    for (std::size_t i = 0; i < seen.size(); ++i)
        for (std::size_t j = i + 1; j < seen.size(); ++j) EXPECT_NE(seen[i], seen[j]) << i << " " << j;

    auto padded = base;
    for (int y = 0; y < kH; ++y) padded[y * kPitch + kW] ^= 0xFFFF;
    EXPECT_EQ(host::frameHash(padded.data(), kW, kH, kPitch * 2), h0);
    EXPECT_EQ(host::frameHash(dense.data(), kW, kH, kW * 2), h0);
}

TEST(FrameStore, PngOfTheLastFrameReadsBackAsTheFrame) {
    host::FrameStore store;
    auto first = gradient(1), last = gradient(2);
    store.add(first.data(), 800, 480, 1600);
    store.add(last.data(), 800, 480, 1600);

    std::string path = ::testing::TempDir() + "window_png_test.png";
    ASSERT_TRUE(store.writePng(path));
    Rgb image;
    ASSERT_TRUE(readPng(path, image));
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 480);
    for (std::size_t i = 0; i < last.size(); ++i) {
        uint8_t rgb[3];
        host::expandRgb565(last[i], rgb);
        ASSERT_EQ(image.bytes[i * 3], rgb[0]) << "pixel " << i;
        ASSERT_EQ(image.bytes[i * 3 + 1], rgb[1]) << "pixel " << i;
        ASSERT_EQ(image.bytes[i * 3 + 2], rgb[2]) << "pixel " << i;
    }
    const uint8_t expected[5][3] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 5; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(image.bytes[i * 3 + c], expected[i][c]) << i;
    std::remove(path.c_str());
}

TEST(FrameStore, WritingWithoutAFrameOrToABadPlaceIsTracedAndFails) {
    host::LogCapture log;
    host::FrameStore store;
    std::string path = ::testing::TempDir() + "window_png_none.png";
    EXPECT_FALSE(store.writePng(path));
    EXPECT_TRUE(log.contains("no frame was presented"));
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);

    auto px = gradient(0);
    store.add(px.data(), 800, 480, 1600);
    EXPECT_FALSE(store.writePng("/nonexistent-folder/x.png"));
    EXPECT_TRUE(log.contains("cannot create /nonexistent-folder/x.png"));
}

}  // namespace
