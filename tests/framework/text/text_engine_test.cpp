#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "framework/core/game_base.h"
#include "platform/graphics/pixels.h"
#include "tools/formats/text_pack.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;
using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;

// The glyphs of the fonts, glyph g showing codes[g - 1].
std::vector<int32_t> glyphCodes() {
    std::vector<int32_t> codes;
    for (int32_t c = 'a'; c <= 'z'; ++c) codes.push_back(c);
    for (int32_t c = '0'; c <= '9'; ++c) codes.push_back(c);
    for (int32_t c : {int32_t('%'), int32_t('\\'), 0xE9, int32_t('.')}) codes.push_back(c);
    return codes;
}

// Font k: letters 5 + k wide ('i' 2 + k, 'w' 9 + k), digits 6 + k, '%' 7 + k, '\' 3 + k, 'é' 5 + k,
// '.' 2 + k; the space 4 + k; height 8, 12, 16; 1, 2 and 8 palettes; spacing 1. So the advances of
// font 0 are 6 for a letter, 7 for a digit, 8 for '%' and 5 for a space.
BitmapFont fontSpec(int32_t k) {
    BitmapFont f;
    f.height = 8 + 4 * k;
    f.spaceWidth = 4 + k;
    f.palettes = k == 0 ? 1 : k == 1 ? 2 : 8;
    for (int32_t c : glyphCodes()) {
        int32_t w = c == 'i' ? 2 : c == 'w' ? 9 : c == '%' ? 7 : c == '\\' ? 3 : c == '.' ? 2 : 5;
        if (c >= '0' && c <= '9') w = 6;
        f.widths.push_back(w + k);
    }
    return f;
}

constexpr int32_t kPack = 3;

class TextEngine : public mrc::test::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        fonts = nullptr;  // the last test's heap is gone
        icons = nullptr;
        statics()->addRoot(&fonts);
        statics()->addRoot(&icons);
        GameBase::initTextStatics();
        fonts = om()->newObjectArray(mrc::kClass_ASprite, 3);
        for (int32_t k = 0; k < 3; ++k) {
            ASprite* font = newSprite(bitmapFont(fontSpec(k), 0x402000u + uint32_t(k) * 0x305070u));
            for (int32_t p = 0; p < font->paletteCount; ++p)
                font->buildModuleCache(p, 0, -1, -1, -1, ASprite::kCacheImages);
            font->setLineSpacing(2);
            fonts->elements()[k] = font;
        }
        std::vector<uint8_t> table = glyphTable(glyphCodes());
        table['Z'] = 200;  // a glyph the fonts do not have
        GameBase::textStatics.glyphTable = bytes(table);
        // Icon 0 is 10 x 8 at (0, 0), icon 1 14 x 6 at (2, 1).
        SpriteData d;
        d.modules = {{ModuleKind::Filled, 10, 8, 0, 0, 0x11AA22, {}, std::nullopt},
                     {ModuleKind::Filled, 14, 6, 0, 0, 0x2211AA, {}, std::nullopt}};
        d.frames = {{{{0, 0, 0, 0}}, {}, std::nullopt}, {{{1, 2, 1, 0}}, {}, std::nullopt}};
        d.paletteSection = false;
        icons = newSprite(d);
    }

    static ASprite* font(int32_t k) { return static_cast<ASprite*>(fonts->elements()[k]); }

    // Loads the strings as text pack `slot`, the way the level loader fills the slots.
    static void loadPack(int32_t slot, const std::vector<std::string>& strings) {
        std::vector<uint8_t> pack = textPack(strings);
        auto u32 = [&](std::size_t at) {
            return uint32_t(pack[at]) | uint32_t(pack[at + 1]) << 8 | uint32_t(pack[at + 2]) << 16 |
                   uint32_t(pack[at + 3]) << 24;
        };
        uint32_t n = u32(0);
        ShortArray* ends = om()->newShortArray(int32_t(n));
        for (uint32_t i = 0; i < n; ++i) ends->elements()[i] = static_cast<int16_t>(u32(4 + 4 * i));
        uint32_t size = n ? u32(4 + 4 * (n - 1)) : 0;
        ByteArray* data = om()->newByteArray(int32_t(size));
        std::copy_n(pack.begin() + 4 + 4 * n, size, data->elements());
        GameBase::textStatics.textPackOffsets->elements()[slot] = ends;
        GameBase::textStatics.textPackData->elements()[slot] = data;
    }
    static void setArgs(const std::vector<int32_t>& args) {
        for (std::size_t i = 0; i < args.size(); ++i) GameBase::setTextArg(int32_t(i), args[i]);
    }
    static std::vector<int32_t> ints(IntArray* a, int32_t n) { return intsOf(a, n); }
    static std::vector<int32_t> bytesOf(ByteArray* a, int32_t n) { return {a->elements(), a->elements() + n}; }
    static std::string digits(int32_t n) {
        return {reinterpret_cast<char*>(GameBase::textStatics.digitBuffer->elements()), std::size_t(n)};
    }
    static uint64_t frameHash(Image* image) {
        uint64_t h = 1469598103934665603ull;
        for (uint16_t p : pixelsOf(image)) {
            h = (h ^ (p & 0xFF)) * 1099511628211ull;
            h = (h ^ (p >> 8)) * 1099511628211ull;
        }
        return h;
    }
    // The glyph of `code` of font k painted at (x, y), as the engine would place it.
    static void glyph(Graphics* g, int32_t k, int32_t code, int32_t x, int32_t y) {
        ASprite::setGraphics(g);
        int32_t index = 0;
        std::vector<int32_t> codes = glyphCodes();
        for (std::size_t i = 0; i < codes.size(); ++i)
            if (codes[i] == code) index = int32_t(i) + 1;
        font(k)->paintFModule(0, index, x, y, 0);
    }
    static void glyphs(Graphics* g, int32_t k, const std::string& text, int32_t x, int32_t y, int32_t advance) {
        for (char c : text) {
            glyph(g, k, uint8_t(c), x, y);
            x += advance;
        }
    }
    static int32_t pageCount(int32_t string, int32_t maxWidth = 800, int32_t maxHeight = 480) {
        GameBase::resetTextCache();
        return GameBase::countTextPages(fonts, icons, kPack, string, 0, maxWidth, maxHeight);
    }

    static inline ObjectArray* fonts = nullptr;
    static inline ASprite* icons = nullptr;
};

// ---- text tables and look-ups ----

TEST_F(TextEngine, StringsOfLoadedPacksOnly) {
    loadPack(kPack, {"first", "", "third"});
    struct Case {
        int32_t pack, i, start, length;
    } cases[] = {{kPack, 0, 0, 5},  {kPack, 1, 5, 0},  {kPack, 2, 5, 5}, {kPack, 3, -1, -1}, {kPack, -1, -1, -1},
                 {30, 0, -1, -1},   {-1, 0, -1, -1},   {0, 0, -1, -1},   {29, 0, -1, -1}};
    for (const Case& c : cases) {
        int32_t start = GameBase::getTextStart(c.pack, c.i);
        EXPECT_EQ(start, c.start) << c.pack << "/" << c.i;
        EXPECT_EQ(GameBase::getTextLength(c.pack, c.i, start), c.length) << c.pack << "/" << c.i;
    }
    EXPECT_EQ(GameBase::getTextLength(kPack, 0, -1), -1);
    GameBase::unloadTextTable(kPack);
    GameBase::unloadTextTable(30);
    EXPECT_EQ(GameBase::getTextStart(kPack, 0), -1);
}

TEST_F(TextEngine, NumbersFormattedIntoTheDigitBuffer) {
    struct Case {
        int32_t value, base, digits;
        const char* text;
    } cases[] = {
        {255, 16, -1, "ff"},  {7, 10, 3, "007"},   {0, 10, -1, "0"},         {-5, 10, -1, ""},
        {123456, 10, 2, "56"}, {42, 10, 0, ""},    {2147483647, 10, -1, "2147483647"},
        {-5, 10, 3, "005"},   {1023, 2, -1, "1111111111"},  // ten binary digits fill the buffer
        {2047, 2, -1, "1111111111"},                        // eleven are cut to the buffer
        {5, 10, 25, "0000000005"},                          // so is a field wider than it
        {5, 1, -1, ""},       {5, 17, -1, ""},
    };
    for (const Case& c : cases) {
        int32_t n = GameBase::formatNumber(c.value, c.base, c.digits);
        EXPECT_EQ(digits(n), c.text) << c.value << " base " << c.base << " digits " << c.digits;
    }
    EXPECT_TRUE(log.contains("buffer holds 10"));
    EXPECT_TRUE(log.contains("base 1"));
}

TEST_F(TextEngine, TwoByteCharactersDecodeOnlyWhenBothBytesAreThere) {
    ByteArray* b = bytes({0xC3, 0xA9, 0xE2, 0x41, 0xC3});
    EXPECT_EQ(GameBase::decodeUtf8Char(b, 0), 0xE9);
    EXPECT_TRUE(GameBase::isUtf8TwoByteLead(b, 0));
    EXPECT_EQ(GameBase::decodeUtf8Char(b, 2), 0xE2);
    EXPECT_FALSE(GameBase::isUtf8TwoByteLead(b, 2));
    EXPECT_EQ(GameBase::decodeUtf8Char(b, 3), 0x41);
    EXPECT_EQ(GameBase::decodeUtf8Char(b, 4), 0xC3);  // a lead at the end is one byte
    EXPECT_EQ(app()->getPendingException(), nullptr);
    EXPECT_EQ(GameBase::decodeUtf8Char(b, 5), 0);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
}

TEST_F(TextEngine, CharacterWidthsAndHeightsFollowTheTextScale) {
    ASprite* f = font(0);
    int32_t percent = 37;  // the module of '%' (glyph 37), 7 wide
    EXPECT_EQ(f->getCharWidth(percent), 7);
    EXPECT_EQ(f->getCharWidth(-1), 0);
    EXPECT_EQ(f->getCharWidth(999), 0);
    EXPECT_EQ(GameBase::scaledLowByte(f), 8);
    makeEffectParams();
    setEffectParam(0, 0, 150);
    GameBase::statics.paintEffectFlags = 0x0001;
    EXPECT_EQ(f->getCharWidth(percent), 10);
    EXPECT_EQ(GameBase::scaledLowByte(f), 12);
    setEffectParam(0, 0, -20);
    EXPECT_EQ(f->getCharWidth(percent), 0);
    GameBase::statics.paintEffectFlags = 0;
    EXPECT_EQ(GameBase::scaledLowByte(nullptr), 0);
}

// ---- layout ----

TEST_F(TextEngine, MarkupFixtureLaysOutIntoLinesAndPages) {
    // Line 0: "ab", a space, "%%", "c", 42 in a field of 3, the argument 7, then backslash-n.
    // Line 1: "d", icon 1, "e", the icon of the next argument (0), font 1, "ab", palette 1,
    // "c", then a byte 10. Line 2: font 2, "a", palette 9 (ignored), "b", a page break.
    // Page 1: a two-byte character and the last argument.
    std::string text = "ab %%c%3n%n\\nd%i1e%i%f1ab%p1c\n%f2a%p9b%j\xC3\xA9%n";
    loadPack(kPack, {"x", text});
    setArgs({42, 7, 0, 123});
    EXPECT_EQ(pageCount(1), 2);
    auto& s = GameBase::textStatics;
    EXPECT_EQ(s.lineIndex, 4);
    // Widths: 6 + 6 + 5 + 8 + 6 + 3 * 7 + 7 (- 1 at a break) = 58; 6 + 15 + 6 + 11 + 7 + 7 + 7 - 1;
    // 8 + 8; 8 + 3 * 9.
    EXPECT_EQ(ints(s.lineStarts, 4), (std::vector<int32_t>{13, 30, 40, 45}));
    EXPECT_EQ(ints(s.lineWidths, 4), (std::vector<int32_t>{58, 58, 16, 35}));
    EXPECT_EQ(bytesOf(s.lineFonts, 4), (std::vector<int32_t>{0, 1, 2, 2}));
    EXPECT_EQ(s.pageIndex, 2);
    EXPECT_EQ(ints(s.pageStarts, 3), (std::vector<int32_t>{1, 41, 45}));
    EXPECT_EQ(ints(s.pageFirstLine, 3), (std::vector<int32_t>{0, 3, 4}));
    EXPECT_EQ(ints(s.pageY, 2), (std::vector<int32_t>{(8 + 2) + (12 + 2) + (16 + 2), 16 + 2}));
    EXPECT_EQ(ints(s.pageWidth, 2), (std::vector<int32_t>{58, 35}));
    EXPECT_EQ(bytesOf(s.pageArgIndex, 3), (std::vector<int32_t>{0, 3, 4}));
    EXPECT_EQ(bytesOf(s.pageFont, 3), (std::vector<int32_t>{0, 2, 2}));
    EXPECT_EQ(bytesOf(s.pagePalette, 3), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(GameBase::measureTextPageWidth(fonts, icons, kPack, 1, 0, 800, 480, 0), 58);
    EXPECT_EQ(GameBase::measureTextPageHeight(fonts, icons, kPack, 1, 0, 800, 480, 1), 18);
    EXPECT_EQ(GameBase::measureTextPageWidth(fonts, icons, kPack, 1, 0, 800, 480, 2), 0);
}

TEST_F(TextEngine, WordsWrapAtSpacesAndPagesBreakAtTheHeight) {
    // Advances: 6 a letter, 5 a space. "aaaa bbbb" is 53 wide; a line never ends with its space.
    loadPack(kPack, {"aaaa bbbb cccc dddddddddddd ee"});
    struct Case {
        int32_t maxWidth, maxHeight, pages;
        std::vector<int32_t> starts, widths, pageStarts, pageFirst, pageY, pageWidth;
    } cases[] = {
        {55, 480, 1, {9, 14, 27, 30}, {53, 24, 72, 12}, {0, 30}, {0, 4}, {40}, {72}},
        // Two lines of 8 + 2 fit 25 pixels; the third opens the next page.
        {55, 25, 2, {9, 14, 27, 30}, {53, 24, 72, 12}, {0, 15, 30}, {0, 2, 4}, {20, 20}, {53, 72}},
        // A page holds its first line even when that alone is too high.
        {55, 5, 4, {9, 14, 27, 30}, {53, 24, 72, 12}, {0, 10, 15, 28, 30}, {0, 1, 2, 3, 4}, {10, 10, 10, 10},
         {53, 24, 72, 12}},
        {800, 480, 1, {30}, {176}, {0, 30}, {0, 1}, {10}, {176}},
    };
    auto& s = GameBase::textStatics;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.maxWidth << " x " << c.maxHeight);
        EXPECT_EQ(pageCount(0, c.maxWidth, c.maxHeight), c.pages);
        int32_t lines = int32_t(c.starts.size());
        EXPECT_EQ(s.lineIndex, lines);
        EXPECT_EQ(ints(s.lineStarts, lines), c.starts);
        EXPECT_EQ(ints(s.lineWidths, lines), c.widths);
        EXPECT_EQ(ints(s.pageStarts, c.pages + 1), c.pageStarts);
        EXPECT_EQ(ints(s.pageFirstLine, c.pages + 1), c.pageFirst);
        EXPECT_EQ(ints(s.pageY, c.pages), c.pageY);
        EXPECT_EQ(ints(s.pageWidth, c.pages), c.pageWidth);
    }
}

TEST_F(TextEngine, TablesGrowTogetherForLongTexts) {
    // 120 lines of 1-7 letters, two to a page: 60 pages.
    std::string text;
    for (int32_t k = 0; k < 120; ++k) text += std::string(std::size_t(k % 7 + 1), 'a') + (k < 119 ? "\n" : "");
    loadPack(kPack, {text, std::string(130, '\n')});
    EXPECT_EQ(pageCount(0, 800, 20), 60);
    auto& s = GameBase::textStatics;
    EXPECT_GE(s.lineWidths->length, 120);
    EXPECT_GE(s.pageWidth->length, 61);
    for (int32_t p = 0; p < 60; ++p) {
        // Lines 2p and 2p + 1, the ones ended by a byte 10 losing the spacing.
        auto width = [](int32_t k) { return (k % 7 + 1) * 6 - (k < 119 ? 1 : 0); };
        EXPECT_EQ(s.pageWidth->elements()[p], std::max(width(2 * p), width(2 * p + 1))) << p;
        EXPECT_EQ(s.pageFirstLine->elements()[p], 2 * p) << p;
        EXPECT_EQ(s.pageY->elements()[p], 20) << p;
    }
    // Pages are counted in a byte: layout stops at 127.
    EXPECT_EQ(pageCount(1, 800, 10), GameText::kMaxPages);
}

TEST_F(TextEngine, ArgumentsBeyondTheTenReadAsZero) {
    loadPack(kPack, {"%n%n%n%n%n%n%n%n%n%n%n%n"});
    setArgs({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    GameBase::setTextArg(10, 99);
    GameBase::setTextArg(-1, 99);
    EXPECT_EQ(pageCount(0), 1);
    // Nine one-digit numbers, "10", then "0" twice: 13 digits of 7.
    EXPECT_EQ(GameBase::textStatics.lineWidths->elements()[0], 13 * 7);
    EXPECT_EQ(GameBase::textStatics.textArgs->length, 10);
}

TEST_F(TextEngine, CharactersWithoutAGlyphTakeASpace) {
    // U+03A9 lies past the 256-entry glyph table; 'Z' names glyph 200, which the fonts lack.
    loadPack(kPack, {"a\xCE\xA9" "bZ."});
    EXPECT_EQ(pageCount(0), 1);
    EXPECT_EQ(GameBase::textStatics.lineWidths->elements()[0], 6 + 5 + 6 + 5 + 3);
    Image* image = Image::createBlankImage(60, 20);
    GameBase::drawStringInBox(image->getGraphics(), fonts, icons, kPack, 0, 0, 10, 4, 0);
    Image* expected = Image::createBlankImage(60, 20);
    glyph(expected->getGraphics(), 0, 'a', 10, 4);
    glyph(expected->getGraphics(), 0, 'b', 21, 4);
    glyph(expected->getGraphics(), 0, '.', 32, 4);
    EXPECT_EQ(pixelsOf(image), pixelsOf(expected));
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(TextEngine, AGlyphThatNestsItsOwnFontFrameIsPaintedOnce) {
    // Glyph 'a' of font 0 becomes frame 0 nested: the frame of all glyphs, 'a' among them.
    ASprite* f = font(0);
    int32_t j = f->frameFirstModule->elements()[0] + GameBase::textStatics.glyphTable->elements()['a'];
    f->fmModule->elements()[j] = 0;
    f->fmFlags->elements()[j] = ASprite::kNestedFrame;
    loadPack(kPack, {"aaaa"});
    Image* image = Image::createBlankImage(400, 40);
    log.clear();
    GameBase::drawStringInBox(image->getGraphics(), fonts, icons, kPack, 0, 0, 10, 4, 0);
    std::vector<std::string> lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("contains itself") != std::string::npos; }),
              1);
    EXPECT_NE(inkBox(image)[2], 0);
    EXPECT_EQ(ASprite::statics.nesting, 0);
}

// ---- drawing ----

TEST_F(TextEngine, AnchorsPlaceTheLine) {
    loadPack(kPack, {"wwwwwwwwww"});  // ten advances of 10: a 100-pixel line of 8-pixel glyphs
    struct Case {
        int32_t anchor;
        std::array<int32_t, 4> ink;
    } cases[] = {
        {GameText::kRight | GameText::kBottom, {300, 292, 99, 8}},
        {GameText::kHCenter | GameText::kVCenter, {350, 296, 99, 8}},
        {0, {400, 300, 99, 8}},
        {GameText::kTop, {400, 300, 99, 8}},
    };
    for (const Case& c : cases) {
        Image* image = Image::createBlankImage(520, 340);
        GameBase::drawStringInBox(image->getGraphics(), fonts, icons, kPack, 0, 0, 400, 300, c.anchor);
        EXPECT_EQ(inkBox(image), c.ink) << c.anchor;
    }
    // Underlined: 0x69CEF3 under the glyphs, from x to x + the line's width.
    GameBase::setTextStyleFlags(GameText::kUnderline);
    Image* image = Image::createBlankImage(520, 340);
    GameBase::drawStringInBox(image->getGraphics(), fonts, icons, kPack, 0, 0, 400, 300, 0);
    uint16_t blue = mrc::gfx::argbToRgb565(0xFF69CEF3);
    std::vector<uint16_t> px = pixelsOf(image);
    EXPECT_EQ(px[std::size_t(309 * 520 + 400)], blue);  // y + 2 / 2 + 8
    EXPECT_EQ(px[std::size_t(309 * 520 + 500)], blue);
    EXPECT_EQ(inkBox(image), (std::array<int32_t, 4>{400, 300, 101, 10}));
}

TEST_F(TextEngine, RenderedPagesMatchTheirComposition) {
    std::string text = "ab %%c%3n%n\\nd%i1e%i%f1ab%p1c\n%f2a%p9b%j\xC3\xA9%n";
    loadPack(kPack, {text});
    setArgs({42, 7, 0, 123});
    // Box (10, 20, 200, 100), centred lines; page 0 is 42 high: top 49.
    Image* page0 = Image::createBlankImage(240, 160);
    EXPECT_EQ(GameBase::drawStringPaged(page0->getGraphics(), fonts, icons, kPack, 0, 0, 10, 20, 200, 100, 0,
                                        GameText::kHCenter, 1, GameText::kRevealRestart | GameText::kRevealAll),
              GameText::kPageShown);
    Image* expected0 = Image::createBlankImage(240, 160);
    Graphics* g = expected0->getGraphics();
    font(0)->setPalette(0);
    glyphs(g, 0, "ab", 81, 49, 6);
    glyph(g, 0, '%', 98, 49);  // '%' advances 8
    glyph(g, 0, 'c', 106, 49);
    glyphs(g, 0, "42", 119, 49, 7);  // "042": the leading zero only advances
    glyphs(g, 0, "7", 133, 49, 7);
    // Line 1 at 59, also 58 wide: icons and a switch to font 1, 4 pixels taller, so its glyphs
    // rise by 4; then palette 1.
    glyphs(g, 0, "d", 81, 59, 6);
    ASprite::setGraphics(g);
    icons->paintFrame(1, 87, 59, 0);
    glyphs(g, 0, "e", 102, 59, 6);
    ASprite::setGraphics(g);
    icons->paintFrame(0, 108, 59, 0);
    font(1)->setPalette(0);
    glyphs(g, 1, "ab", 119, 55, 7);
    font(1)->setPalette(1);
    glyphs(g, 1, "c", 133, 55, 7);
    // Line 2 at 59 + 14, 16 wide: font 2, 4 pixels taller again.
    font(2)->setPalette(0);
    glyphs(g, 2, "ab", 102, 69, 8);
    EXPECT_EQ(frameHash(page0), frameHash(expected0));

    // Page 1: 18 high, top 61; 35 wide, from 92; the last page.
    Image* page1 = Image::createBlankImage(240, 160);
    EXPECT_EQ(GameBase::drawStringPaged(page1->getGraphics(), fonts, icons, kPack, 0, 0, 10, 20, 200, 100, 1,
                                        GameText::kHCenter, 1, GameText::kRevealAll),
              GameText::kPageShown | GameText::kLastPage);
    Image* expected1 = Image::createBlankImage(240, 160);
    glyph(expected1->getGraphics(), 2, 0xE9, 92, 61);
    glyphs(expected1->getGraphics(), 2, "123", 100, 61, 9);
    EXPECT_EQ(frameHash(page1), frameHash(expected1));
    EXPECT_NE(frameHash(page1), frameHash(Image::createBlankImage(240, 160)));
    // The font and argument index in force before the call are back.
    EXPECT_EQ(GameBase::textStatics.textFont, 0);
}

TEST_F(TextEngine, PagesRevealByBytesOrByLines) {
    loadPack(kPack, {"abcde fghij\\nklm", "abc\\nde\\nf"});
    auto& s = GameBase::textStatics;
    // What a page shows when its lines are cut at `shown0` and `shown1` bytes (-1: not drawn),
    // in the box (0, 0, 200, 40) where the two 10-pixel lines start at 10 and 20.
    auto expected = [&](int32_t shown0, int32_t shown1) {
        Image* image = Image::createBlankImage(200, 40);
        ByteArray* text = static_cast<ByteArray*>(s.textPackData->elements()[kPack]);
        if (shown0 >= 0) GameBase::drawTextRun(image->getGraphics(), fonts, icons, text, 0, shown0, 0, 10);
        if (shown1 >= 0) GameBase::drawTextRun(image->getGraphics(), fonts, icons, text, 13, shown1, 0, 20);
        return pixelsOf(image);
    };
    auto show = [&](int32_t string, int32_t step, int32_t flags, int32_t& result) {
        Image* image = Image::createBlankImage(200, 40);
        result = GameBase::drawStringPaged(image->getGraphics(), fonts, icons, kPack, string, 0, 0, 0, 200, 40, 0, 0,
                                           step, flags);
        return pixelsOf(image);
    };
    struct Call {
        int32_t flags, shown0, shown1, result;
    } bytesCalls[] = {
        {GameText::kRevealRestart, 5, -1, GameText::kLastPage},
        {0, 10, -1, GameText::kLastPage},
        {0, 12, 2, GameText::kLastPage | GameText::kPageShown},  // the cursor reached the page's end
        {0, 12, 3, GameText::kLastPage | GameText::kPageShown},
        {GameText::kRevealRestart, 5, -1, GameText::kLastPage},
        {GameText::kRevealAll, 12, 3, GameText::kLastPage | GameText::kPageShown},
    };
    int32_t result;
    for (const Call& c : bytesCalls) {
        SCOPED_TRACE(testing::Message() << "bytes " << c.shown0 << ", " << c.shown1);
        EXPECT_EQ(show(0, 5, c.flags, result), expected(c.shown0, c.shown1));
        EXPECT_EQ(result, c.result);
    }

    // Line mode: a line more every 2 ticks of the game state.
    static int32_t ticks;
    gameHooks().stateTicks = [] { return ticks; };
    struct Tick {
        int32_t ticks, flags, shown0, shown1, result;
    } lineCalls[] = {
        {0, GameText::kRevealLines | GameText::kRevealRestart, 12, -1, GameText::kLastPage},
        {1, GameText::kRevealLines, 12, -1, GameText::kLastPage},
        {2, GameText::kRevealLines, 12, -1, GameText::kLastPage},  // advances after drawing
        {3, GameText::kRevealLines, 12, 3, GameText::kLastPage},
        {4, GameText::kRevealLines, 12, 3, GameText::kLastPage | GameText::kPageShown},
    };
    s.textRevealTick = 0;
    for (const Tick& c : lineCalls) {
        SCOPED_TRACE(testing::Message() << "tick " << c.ticks);
        ticks = c.ticks;
        EXPECT_EQ(show(0, 2, c.flags, result), expected(c.shown0, c.shown1));
        EXPECT_EQ(result, c.result);
    }
    // A tick count below the last reveal (a new state) restarts the count.
    s.textRevealTick = 100;
    ticks = 5;
    show(0, 2, GameText::kRevealLines | GameText::kRevealRestart, result);
    EXPECT_EQ(s.textRevealTick, 5);
    EXPECT_EQ(s.textRevealCursor, 0);

    // Rising: three 10-pixel lines in a 100-pixel box are centred at 35; while one is shown it
    // ends at the middle (50), so it starts at 40; with two shown the page is centred.
    auto rise = [&](int32_t flags) {
        Image* image = Image::createBlankImage(200, 100);
        GameBase::drawStringPaged(image->getGraphics(), fonts, icons, kPack, 1, 0, 0, 0, 200, 100, 0, 0, 5,
                                  GameText::kRevealLines | GameText::kRevealRise | flags);
        return inkBox(image);
    };
    ticks = 0;
    s.textRevealTick = 0;
    EXPECT_EQ(rise(GameText::kRevealRestart)[1], 40);
    s.textRevealCursor = 1;
    EXPECT_EQ(rise(0)[1], 35);
}

TEST_F(TextEngine, TheCachedStringKeepsItsLayout) {
    std::string text;
    for (int32_t k = 0; k < 8; ++k) text += "abc de\\n";
    loadPack(kPack, {text, "other"});
    auto& s = GameBase::textStatics;
    Image* image = Image::createBlankImage(200, 40);
    Graphics* g = image->getGraphics();
    // Two lines a page: page 2 needs pages 0-2 laid out.
    GameBase::drawStringPaged(g, fonts, icons, kPack, 0, 0, 0, 0, 200, 20, 2, 0, 1, GameText::kRevealRestart);
    EXPECT_EQ(s.pageIndex, 3);
    EXPECT_EQ(s.textCachedPack, kPack);
    s.lineWidths->elements()[0] = -777;  // a mark a new layout would overwrite
    GameBase::drawStringPaged(g, fonts, icons, kPack, 0, 0, 0, 0, 200, 20, 2, 0, 1, 0);
    EXPECT_EQ(s.lineWidths->elements()[0], -777);
    EXPECT_EQ(s.pageIndex, 3);
    // Page 3 continues from the last page laid out.
    GameBase::drawStringPaged(g, fonts, icons, kPack, 0, 0, 0, 0, 200, 20, 3, 0, 1, 0);
    EXPECT_EQ(s.lineWidths->elements()[0], -777);
    EXPECT_EQ(s.pageIndex, 4);
    EXPECT_EQ(s.pageFirstLine->elements()[3], 6);
    // Flag 0x01 lays the string out again, and so does another string.
    GameBase::drawStringPaged(g, fonts, icons, kPack, 0, 0, 0, 0, 200, 20, 0, 0, 1, GameText::kRevealRestart);
    EXPECT_EQ(s.lineWidths->elements()[0], 34);
    s.lineWidths->elements()[0] = -777;
    GameBase::drawStringPaged(g, fonts, icons, kPack, 1, 0, 0, 0, 200, 20, 0, 0, 1, 0);
    EXPECT_EQ(s.lineWidths->elements()[0], 30);
    // A string that is not there draws nothing and reports its page done.
    EXPECT_EQ(GameBase::drawStringPaged(g, fonts, icons, kPack, 7, 0, 0, 0, 200, 20, 0, 0, 1, 0),
              GameText::kPageShown | GameText::kLastPage);
    EXPECT_EQ(GameBase::countTextPages(fonts, icons, 12, 0, 0, 800, 480), 0);
    // Layout in a single box forgets the cached string.
    GameBase::drawStringInBox(g, fonts, icons, kPack, 1, 0, 100, 20, GameText::kRight);
    EXPECT_EQ(s.textCachedPack, -1);
}

TEST_F(TextEngine, LineWidthsOfASingleFont) {
    loadPack(kPack, {"ab\ncd%%\n%3n.", "ab"});
    auto& s = GameBase::textStatics;
    s.lineIndex = 5;
    EXPECT_EQ(GameBase::layoutPackString(font(0), kPack, 0), 3 * 7 + 3);
    EXPECT_EQ(s.lineIndex, 2);
    EXPECT_EQ(ints(s.lineWidths, 3), (std::vector<int32_t>{11, 19, 24}));
    EXPECT_EQ(s.textCachedPack, -1);
    EXPECT_EQ(GameBase::layoutPackString(font(1), kPack, 1), 14);
    EXPECT_EQ(GameBase::layoutPackString(font(1), kPack, 2), 0);
}

}  // namespace
