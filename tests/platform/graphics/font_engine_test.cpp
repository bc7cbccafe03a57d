#include "platform/graphics/font_engine.h"

#include <gtest/gtest.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <cmath>
#include <string>

namespace {

using mrc::gfx::FontEngine;

// The face's own design metrics, read without the engine.
struct DesignMetrics {
    double unitsPerEm = 0, ascender = 0, descender = 0;
    std::string path;
    // Unscaled (design units to pixels) or as hinted for monochrome at the system size (16.16).
    double advance(char16_t c, bool hinted = false) const {
        FT_Library lib;
        FT_Init_FreeType(&lib);
        FT_Face face;
        FT_New_Face(lib, path.c_str(), 0, &face);
        FT_Set_Pixel_Sizes(face, 0, FontEngine::kSystemFontPixels);
        FT_Fixed a = 0;
        FT_Get_Advance(face, FT_Get_Char_Index(face, c), hinted ? FT_LOAD_TARGET_MONO : FT_LOAD_NO_SCALE, &a);
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
        return hinted ? double(a) / 65536.0 : double(a) * FontEngine::kSystemFontPixels / unitsPerEm;
    }
};

DesignMetrics designMetrics() {
    DesignMetrics m;
    for (const std::string& path : mrc::gfx::systemFontPaths()) {
        FT_Library lib;
        FT_Init_FreeType(&lib);
        FT_Face face;
        if (FT_New_Face(lib, path.c_str(), 0, &face) == 0) {
            m.unitsPerEm = face->units_per_EM;
            m.ascender = face->ascender;
            m.descender = -face->descender;
            m.path = path;
            FT_Done_Face(face);
            FT_Done_FreeType(lib);
            break;
        }
        FT_Done_FreeType(lib);
    }
    return m;
}

TEST(FontEngine, SystemFontIsDejaVuSansWithItsMetrics) {
    FontEngine* font = FontEngine::system();
    ASSERT_NE(font, nullptr);
    DesignMetrics m = designMetrics();
    ASSERT_GT(m.unitsPerEm, 0);
    const double px = FontEngine::kSystemFontPixels;
    EXPECT_EQ(font->ascent(), int(std::ceil(m.ascender * px / m.unitsPerEm)));
    EXPECT_EQ(font->descent(), int(std::ceil(m.descender * px / m.unitsPerEm)));
    EXPECT_EQ(font->height(), font->ascent() + font->descent());
}

TEST(FontEngine, WidthsAreTheHintedAdvances) {
    FontEngine* font = FontEngine::system();
    ASSERT_NE(font, nullptr);
    DesignMetrics m = designMetrics();
    for (char16_t c : std::u16string(u"AWil. 0gé")) {
        EXPECT_EQ(font->charWidth(c), m.advance(c, true)) << char(c);
        // Hinting for monochrome snaps stems to whole pixels, moving an advance a little.
        EXPECT_NEAR(font->charWidth(c), m.advance(c), 1.5) << char(c);
    }
    const std::u16string text = u"Wrath Of Kelos";
    int sum = 0;
    for (char16_t c : text) sum += font->charWidth(c);
    EXPECT_EQ(font->measure(text.data(), int(text.size())), sum);
    EXPECT_EQ(font->measure(text.data(), 0), 0);
    EXPECT_EQ(font->measure(nullptr, 3), 0);
    EXPECT_LT(font->charWidth(u'i'), font->charWidth(u'W'));
}

TEST(FontEngine, InkSitsOnTheBaselineWithoutGreyLevels) {
    FontEngine* font = FontEngine::system();
    ASSERT_NE(font, nullptr);
    auto inkRows = [&](const std::u16string& s, int& top, int& bottom) {
        int w = font->measure(s.data(), int(s.size())), h = font->height();
        std::vector<uint8_t> mask(std::size_t(w) * h, 7);
        std::fill(mask.begin(), mask.end(), 0);
        font->render(s.data(), int(s.size()), mask.data(), w, h);
        top = h;
        bottom = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t v = mask[std::size_t(y) * w + x];
                EXPECT_TRUE(v == 0 || v == 1);
                if (v) top = std::min(top, y), bottom = std::max(bottom, y);
            }
    };
    int top, bottom;
    inkRows(u"H", top, bottom);
    EXPECT_EQ(bottom, font->ascent() - 1);  // the last row above the baseline
    EXPECT_GE(top, 0);
    inkRows(u"g", top, bottom);
    EXPECT_GE(bottom, font->ascent());  // a descender
    EXPECT_LT(bottom, font->height());
}

TEST(FontEngine, RenderingIntoASmallerMaskDropsTheRest) {
    FontEngine* font = FontEngine::system();
    ASSERT_NE(font, nullptr);
    std::vector<uint8_t> mask(3 * 2 + 1, 0);
    mask.back() = 0x55;
    font->render(u"WWW", 3, mask.data(), 3, 2);
    EXPECT_EQ(mask.back(), 0x55);
    EXPECT_EQ(FontEngine::open("/nonexistent/font.ttf", 16), nullptr);
}

}  // namespace
