// The PNG writer against libpng's reader, the dot-matrix font, and the sample archive's layout.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "tools/formats/dot_font.h"
#include "tools/formats/png_file.h"
#include "tools/sample_data/menu_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

// ARGB pixels of a PNG read by libpng, or empty.
std::vector<uint32_t> decode(const std::vector<uint8_t>& png, int& w, int& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    std::vector<uint32_t> px(PNG_IMAGE_SIZE(image) / 4);
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return {};
    w = int(image.width);
    h = int(image.height);
    return px;
}

TEST(PngFile, PixelsAndAlphaSurviveLibpngsReader) {
    for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {64, 40}}) {
        std::vector<uint32_t> px;
        for (int i = 0; i < w * h; ++i) px.push_back(uint32_t(0xFF000000u) | uint32_t(i * 2654435761u) >> 8);
        px[0] = 0x00000000u;
        if (px.size() > 2) px[2] = 0x80FF0000u;
        // libpng hands back straight alpha; fully transparent pixels keep their colour bytes.
        int rw = 0, rh = 0;
        std::vector<uint32_t> back = decode(formats::pngFile(w, h, px), rw, rh);
        ASSERT_EQ(rw, w);
        ASSERT_EQ(rh, h);
        EXPECT_EQ(back, px) << w << "x" << h;
    }
}

TEST(PngFile, NothingForSizesThatDoNotMatchThePixels) {
    EXPECT_TRUE(formats::pngFile(0, 1, {}).empty());
    EXPECT_TRUE(formats::pngFile(2, 2, {1, 2, 3}).empty());
    EXPECT_TRUE(formats::pngFile(-1, -1, {1}).empty());
}

TEST(DotFont, GlyphsOfBothSizesFollowTheirDots) {
    EXPECT_EQ(formats::dotFontRow('A', 0), 0x0E);
    EXPECT_EQ(formats::dotFontRow('A', 4), 0x1F);
    EXPECT_EQ(formats::dotFontRow(' ', 3), 0);
    EXPECT_EQ(formats::dotFontRow(127, 0), 0);
    for (int scale : {2, 3}) {
        formats::SpriteData font = formats::dotMatrixFont(scale, {0xFFFFFF, 0xFF0000});
        ASSERT_EQ(font.modules.size(), 95u) << "the space and 94 glyphs";
        EXPECT_EQ(font.palettes.size(), 2u);
        EXPECT_EQ(font.modules[0].height, 9 * scale) << "the line height";
        const formats::SpriteModule& a = font.modules[std::size_t('A' - 32)];
        ASSERT_EQ(a.width, 5 * scale);
        // The top dot row of 'A' is .###. : ink under dots 1-3, none under 0 and 4.
        auto inkAt = [&](int col, int row) { return a.indices[std::size_t(row * scale * a.width + col * scale)] != 0; };
        EXPECT_FALSE(inkAt(0, 0));
        EXPECT_TRUE(inkAt(1, 0));
        EXPECT_TRUE(inkAt(3, 0));
        EXPECT_FALSE(inkAt(4, 0));
        EXPECT_TRUE(inkAt(0, 6));
    }
    std::vector<uint8_t> table = formats::dotFontGlyphTable();
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[' '], 0);
    EXPECT_EQ(table['!'], 1);
    EXPECT_EQ(table['~'], 94);
    EXPECT_EQ(table[200], 0);
}

TEST(SampleData, TheArchiveHoldsWhatTheStartUpReads) {
    formats::ArchiveWriter archive = sample_data::buildArchive();
    std::map<std::u16string, std::size_t> sizes;
    for (const formats::ArchiveEntry& e : archive.entries()) sizes[e.name] = e.data.size();
    for (const char16_t* name : {u"constants.bin", u"app.jad", u"pack00", u"pack01", u"pack02", u"pack03", u"pack08",
                                 u"pack21", u"pack22", u"pack26", u"ui/pad.png", u"ui/jump_off.png"})
        EXPECT_GT(sizes[name], 0u) << std::string(name, name + std::char_traits<char16_t>::length(name));
    // Every control picture is a PNG libpng reads.
    for (const formats::ArchiveEntry& e : archive.entries()) {
        if (e.name.rfind(u"ui/", 0) != 0) continue;
        int w = 0, h = 0;
        EXPECT_FALSE(decode(e.data, w, h).empty());
    }
}

// The strings of a constants file: a big-endian count, then each string's two-byte length and bytes.
std::vector<std::string> readConstants(const std::vector<uint8_t>& file) {
    std::vector<std::string> out;
    if (file.size() < 4) return out;
    const uint32_t count = uint32_t(file[0]) << 24 | uint32_t(file[1]) << 16 | uint32_t(file[2]) << 8 | file[3];
    std::size_t at = 4;
    for (uint32_t i = 0; i < count && at + 2 <= file.size(); ++i) {
        const std::size_t length = std::size_t(file[at]) << 8 | file[at + 1];
        at += 2;
        if (at + length > file.size()) break;
        out.emplace_back(file.begin() + std::ptrdiff_t(at), file.begin() + std::ptrdiff_t(at + length));
        at += length;
    }
    return out;
}

TEST(SampleData, TheControlPicturesComeInTheOrderTheGameLoadsThem) {
    formats::ArchiveWriter archive = sample_data::buildArchive();
    std::map<std::string, const std::vector<uint8_t>*> files;
    for (const formats::ArchiveEntry& e : archive.entries())
        files["/" + std::string(e.name.begin(), e.name.end())] = &e.data;
    ASSERT_TRUE(files.count("/constants.bin"));
    const std::vector<std::string> constants = readConstants(*files["/constants.bin"]);
    ASSERT_GT(constants.size(), 397u);
    // The pad, key 5 at rest and pressed, key 0 at rest and pressed, key 5 and key 0 dimmed: each
    // the size of its touch zone.
    const std::pair<int, int> sizes[] = {{210, 212}, {80, 100}, {80, 100}, {98, 78}, {98, 78}, {80, 100}, {98, 78}};
    std::vector<std::vector<uint32_t>> pictures;
    for (int i = 0; i < 7; ++i) {
        const std::string& name = constants[std::size_t(391 + i)];
        ASSERT_TRUE(files.count(name)) << name;
        int w = 0, h = 0;
        pictures.push_back(decode(*files[name], w, h));
        EXPECT_EQ(std::pair(w, h), sizes[i]) << name;
    }
    // Pressed and dimmed pictures differ from the picture at rest; the dimmed one is fainter.
    auto opacity = [](const std::vector<uint32_t>& px) {
        uint64_t sum = 0;
        for (uint32_t p : px) sum += p >> 24;
        return sum;
    };
    for (auto [rest, pressed, off] : {std::tuple{1, 2, 5}, std::tuple{3, 4, 6}}) {
        EXPECT_NE(pictures[std::size_t(rest)], pictures[std::size_t(pressed)]);
        EXPECT_LT(opacity(pictures[std::size_t(off)]), opacity(pictures[std::size_t(rest)]));
    }
}

}  // namespace

namespace {

TEST(MenuData, TunesForTheMusicIdsAndTonesForTheEffects) {
    const std::vector<std::vector<uint8_t>> sounds = sample_data::soundSamples();
    ASSERT_EQ(sounds.size(), 12u);
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        ASSERT_GE(sounds[i].size(), 44u) << i;
        const std::string head(sounds[i].begin(), sounds[i].begin() + 4);
        EXPECT_EQ(head, i < 3 ? "MThd" : "RIFF") << i;
    }
}

TEST(MenuData, TheAngleTableHoldsTheSineOfEachDegreeScaledBy256) {
    const std::vector<uint8_t> table = sample_data::angleTable();
    ASSERT_EQ(table.size(), 2u * 181);
    auto at = [&](int d) { return int16_t(table[std::size_t(2 * d)] | table[std::size_t(2 * d + 1)] << 8); };
    const std::pair<int, int16_t> cases[] = {{0, 0}, {30, 128}, {90, 256}, {150, 128}, {180, 0}};
    for (const auto& [degrees, value] : cases) EXPECT_EQ(at(degrees), value) << degrees;
}

TEST(MenuData, ThePagesHaveABodyAndAButtonEach) {
    const std::vector<std::string> pages = sample_data::pageTexts();
    for (int p = 0; p < sample_data::kPageCount; ++p) {
        EXPECT_FALSE(pages[std::size_t(2 + p)].empty()) << p;
        EXPECT_FALSE(pages[std::size_t(21 + p)].empty()) << p;
    }
    EXPECT_NE(pages[1].find("%n"), std::string::npos) << "the page counter takes its numbers";
    EXPECT_FALSE(sample_data::aboutTexts("notice").at(2).empty());
}

}  // namespace
