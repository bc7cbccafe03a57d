#include <gtest/gtest.h>

#include "platform/graphics/font_engine.h"
#include "platform/lcdui/font.h"
#include "tests/platform/lcdui/lcdui_fixture.h"

namespace {

using Image = javax_microedition_lcdui_Image;
using Graphics = javax_microedition_lcdui_Graphics;
namespace gfx = mrc::gfx;

class GraphicsTest : public mrc::test::LcduiTest {
protected:
    Graphics* over(Image* image) { return Graphics::newGraphics(image); }
};

TEST_F(GraphicsTest, ColourClipAndTranslation) {
    Image* screen = Image::createBlankImage(800, 480);
    Graphics* g = screen->getGraphics();
    EXPECT_EQ(g->getColor(), 0);
    g->setColor(0x123456);
    EXPECT_EQ(uint32_t(g->getColor()), 0xFF123456u);
    EXPECT_EQ(g->getRedComponent(), 0x12);
    g->fillRect(0, 0, 1, 1);
    EXPECT_EQ(screen->pixels16()[0], 0x11AA);

    g->setClip(-10, -10, 20, 20);
    EXPECT_EQ(g->getClipX(), 0);
    EXPECT_EQ(g->getClipY(), 0);
    EXPECT_EQ(g->getClipWidth(), 10);
    EXPECT_EQ(g->getClipHeight(), 10);

    g->translate(5, 7);
    EXPECT_EQ(g->getClipX(), -5);
    g->setClip(0, 0, 900, 900);
    EXPECT_EQ(g->clipLeft, 5);
    EXPECT_EQ(g->clipTop, 7);
    EXPECT_EQ(g->clipRight, 800);
    EXPECT_EQ(g->clipBottom, 480);
    g->clipRect(10, 10, 100, 1000);
    EXPECT_EQ(g->clipLeft, 15);
    EXPECT_EQ(g->clipRight, 115);
    EXPECT_EQ(g->clipBottom, 480);
    EXPECT_EQ(g->getTranslateX(), 5);

    // Edges and translations far apart read as Java's int arithmetic gives them: wrapped.
    Graphics* far = Graphics::newGraphics(screen);
    far->setClip(10, 0, 50, 50);
    far->clipRect(INT32_MIN, 0, 0, 100);
    EXPECT_EQ(far->getClipWidth(), INT32_MAX - 9);
    far->translate(INT32_MAX, 0);
    far->translate(1, 0);
    EXPECT_EQ(far->getTranslateX(), INT32_MIN);
    EXPECT_EQ(far->getClipX(), INT32_MIN + 10);

    // Drawing honours both.
    g->setColor(0xFFFFFF);
    g->fillRect(0, 0, 800, 800);
    uint16_t* px = screen->pixels16();
    EXPECT_EQ(px[17 * 800 + 14], 0x0000);
    EXPECT_EQ(px[17 * 800 + 15], 0xFFFF);
    EXPECT_EQ(px[17 * 800 + 114], 0xFFFF);
    EXPECT_EQ(px[17 * 800 + 115], 0x0000);
    EXPECT_EQ(px[16 * 800 + 20], 0x0000);

    log.clear();
    g->setColorRGB(300, -1, 5);
    EXPECT_TRUE(log.contains("setColor r"));
    EXPECT_TRUE(log.contains("setColor g"));
    EXPECT_FALSE(log.contains("setColor b"));
}

TEST_F(GraphicsTest, DrawRegionReportsItsChecksInOrder) {
    Image* target = Image::createBlankImage(8, 8);
    Graphics* g = target->getGraphics();
    Image* src = Image::createRGBImage(ints({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}), 2, 2, false);
    log.clear();
    g->drawRegion(src, 1, 1, 2, 2, 9, 0, 0, 0);
    std::vector<std::string> tags;
    for (const std::string& line : log.lines())
        if (line.rfind("drawRegion", 0) == 0) tags.push_back(line);
    EXPECT_EQ(tags, (std::vector<std::string>{"drawRegion x_src", "drawRegion y_src", "drawRegion transform"}));
    // Only the source's pixel (1, 1) was there to draw.
    EXPECT_EQ(target->pixels16()[0], 0xFFFF);
    EXPECT_EQ(target->pixels16()[1], 0x0000);

    log.clear();
    g->drawImage(nullptr, 0, 0, 0);
    EXPECT_TRUE(log.contains("drawRegion pSrc"));
    Image* bytes = mrc::newObject<Image>();
    bytes->Image(2, 2, gfx::kIndexed8, 0);
    g->drawImage(bytes, 0, 0, 0);
    EXPECT_TRUE(log.contains("m_pixelType"));
}

TEST_F(GraphicsTest, DrawRgbChecksItsArray) {
    Image* target = Image::createBlankImage(4, 4);
    Graphics* g = target->getGraphics();
    log.clear();
    g->drawRGB(nullptr, 0, 2, 0, 0, 2, 2, false);
    EXPECT_TRUE(log.contains("drawRGB rgbData"));
    g->drawRGB(ints({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}), 0, 2, 0, 0, 2, 2, false);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException));
    app()->clearPendingException();
    EXPECT_EQ(pixelsOf(target), std::vector<uint16_t>(16, 0));
    g->translate(1, 1);
    g->drawRGB(ints({0x80FF0000}), 0, 1, 0, 0, 1, 1, true);
    EXPECT_EQ(target->pixels16()[1 * 4 + 1], 0x7800);
}

// Where the system font put ink in an image: its bounding box.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
};
Ink inkOf(Image* image, uint16_t ink) {
    Ink k;
    uint16_t* px = image->pixels16();
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            if (px[y * (image->stride / 2) + x] == ink) {
                k.left = std::min(k.left, x);
                k.top = std::min(k.top, y);
                k.right = std::max(k.right, x);
                k.bottom = std::max(k.bottom, y);
                ++k.count;
            }
    return k;
}

TEST_F(GraphicsTest, TextIsPlacedByItsAnchorWithoutTranslation) {
    gfx::FontEngine* font = gfx::FontEngine::system();
    ASSERT_NE(font, nullptr);
    const int w = font->measure(u"H", 1), h = font->height(), ascent = font->ascent();
    // The ink of "H" relative to its box, from the engine itself.
    std::vector<uint8_t> mask(std::size_t(w) * h, 0);
    font->render(u"H", 1, mask.data(), w, h);
    Ink box;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask[y * w + x]) {
                box.left = std::min(box.left, x), box.top = std::min(box.top, y);
                box.right = std::max(box.right, x), box.bottom = std::max(box.bottom, y), ++box.count;
            }

    struct Case {
        int x, y, anchor, left, top;
    } cases[] = {
        {10, 10, 0, 10, 10},
        {10, 10, gfx::kTop | gfx::kLeft, 10, 10},
        {10, 50, gfx::kBaseline | gfx::kLeft, 10, 50 - ascent},
        {60, 50, gfx::kBottom | gfx::kRight, 60 - w, 50 - h},
        {40, 20, gfx::kTop | gfx::kHCenter, 40 - w / 2, 20},
    };
    for (const Case& c : cases) {
        Image* target = Image::createBlankImage(100, 80);
        Graphics* g = target->getGraphics();
        g->translate(3, 3);  // ignored by text
        g->setClip(0, 0, 1, 1);  // so is the clip
        g->setColor(0x00FF00);
        g->drawString(string("H"), c.x, c.y, c.anchor);
        Ink ink = inkOf(target, 0x07E0);
        EXPECT_EQ(ink.count, box.count) << c.anchor;
        EXPECT_EQ(ink.left, c.left + box.left) << c.anchor;
        EXPECT_EQ(ink.top, c.top + box.top) << c.anchor;
    }
}

TEST_F(GraphicsTest, TextNeverWritesOutsideItsTarget) {
    Image* target = Image::createBlankImage(30, 10);
    Graphics* g = target->getGraphics();
    g->setColor(0xFFFFFF);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{-5, -5}, {25, 5}, {-1000, 0}, {0, 9}, {INT32_MAX, INT32_MIN}})
        g->drawString(string("Wrath Of Kelos"), x, y, gfx::kTop | gfx::kLeft);
    g->drawSubstring(string("abc"), 2, 5, 0, 0, 0);  // beyond the string: nothing
    g->drawChars(om()->newCharArray(4), -1, 2, 0, 0, 0);
    EXPECT_GT(inkOf(target, 0xFFFF).count, 0);

    // Text in the key colour itself does not show.
    Image* keyed = Image::createBlankImage(30, 20);
    Graphics* k = keyed->getGraphics();
    k->setColor(0x00F81F);
    k->drawString(string("HH"), 0, 0, 0);
    EXPECT_EQ(inkOf(keyed, gfx::kColorKey).count, 0);
    k->drawChar(u'H', 0, 0, 0);
    EXPECT_EQ(inkOf(keyed, gfx::kColorKey).count, 0);
}

}  // namespace
