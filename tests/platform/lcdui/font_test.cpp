#include "platform/lcdui/font.h"

#include <gtest/gtest.h>

#include "platform/graphics/font_engine.h"
#include "tests/platform/lcdui/lcdui_fixture.h"

namespace {

using Font = javax_microedition_lcdui_Font;

class FontTest : public mrc::test::LcduiTest {};

TEST_F(FontTest, FontsAreCachedByFaceStyleAndSize) {
    Font* def = Font::getDefaultFont();
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(Font::getFont(0), def);
    EXPECT_EQ(Font::getFont(1), def);
    EXPECT_EQ(Font::getFont(2), nullptr);
    EXPECT_TRUE(pending(mrc::kClass_java_lang_IllegalArgumentException));
    app()->clearPendingException();

    Font* small = Font::getFont(0, 0, 8);
    EXPECT_EQ(Font::getFont(0, 0, 8), small);
    Font* bold = Font::getFont(0, 1, 8);
    EXPECT_NE(bold, small);
    EXPECT_TRUE(bold->isBold());
    EXPECT_FALSE(bold->isPlain());
    EXPECT_EQ(bold->getSize(), 8);
    // Keys are face | style | size.
    EXPECT_EQ(Font::getFont(1, 0, 8), bold);
    // More than the first capacity, through a collection.
    for (int s = 16; s < 26; ++s) ASSERT_NE(Font::getFont(64, 0, s), nullptr);
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(Font::getFont(0, 0, 8), small);
    EXPECT_EQ(Font::getFont(64, 0, 20)->getSize(), 20);
}

TEST_F(FontTest, MetricsAndWidthsAreTheSystemFonts) {
    mrc::gfx::FontEngine* engine = mrc::gfx::FontEngine::system();
    ASSERT_NE(engine, nullptr);
    Font* f = Font::getFont(0, 0, 8);
    EXPECT_EQ(f->getHeight(), engine->height());
    EXPECT_EQ(f->getBaselinePosition(), engine->ascent());
    String* s = string("Kelos");
    EXPECT_EQ(f->stringWidth(s), engine->measure(u"Kelos", 5));
    EXPECT_EQ(f->substringWidth(s, 1, 3), engine->measure(u"elo", 3));
    EXPECT_EQ(f->substringWidth(s, 3, 10), engine->measure(u"os", 2));
    EXPECT_EQ(f->substringWidth(s, 6, 1), 0);
    EXPECT_EQ(f->charWidth(u'W'), engine->charWidth(u'W'));
    CharArray* chars = om()->newCharArray(3);
    chars->elements()[0] = u'a';
    chars->elements()[1] = u'b';
    chars->elements()[2] = u'c';
    EXPECT_EQ(f->charsWidth(chars, 1, 2), engine->measure(u"bc", 2));
    EXPECT_EQ(f->charsWidth(chars, 4, 1), 0);
    EXPECT_EQ(f->stringWidth(nullptr), 0);
    EXPECT_TRUE(log.contains("NullPointer"));
}

}  // namespace
