// Prompt boxes: the framed box's placement and extent, the paged text's last-page flag, the
// two-answer prompt's chosen box and its blink, the upgrade panel's hint sequence (also reopened
// after a resume), and the loading tips.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include "framework/core/game_math.h"
#include "framework/sprite/sprite_instance.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/game_fixture.h"
#include "tools/formats/dot_font.h"
#include "tools/formats/text_pack.h"

namespace {

using namespace mrc;
using Image = javax_microedition_lcdui_Image;

constexpr int32_t kGroup = 2;
constexpr uint16_t kChosen565 = 0x101F;  // 0x1200FF

class PromptBoxesTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Game::initResources();
        font = newSprite(formats::dotMatrixFont(2, {0x0000FF, 0xFF0000}));
        font->buildModuleCache(0, 0, -1, -1, -1, ASprite::kCacheImages);
        st.fonts->elements()[0] = font;
        Game::textStatics.glyphTable = bytes(formats::dotFontGlyphTable());
        screen = Image::createBlankImage(800, 480);
        clear();
    }
    void clear() {
        Game::Graphics* g = screen->getGraphics();
        g->setColor(0xFFFFFF);
        g->fillRect(0, 0, 800, 480);
    }
    int pixels(uint16_t colour) {
        int n = 0;
        for (uint16_t v : pixelsOf(screen)) n += v == colour;
        return n;
    }
    static std::string lines(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s.append(i ? "\\nLINE" : "LINE");
        return s;
    }
    static int32_t pageHeight(int32_t text, int32_t lineHeight, int32_t page) {
        return Game::measureTextPageHeight(Game::stateStatics.fonts, nullptr, kGroup, text, 0, 580, lineHeight, page);
    }

    ASprite* font = nullptr;
    Image* screen = nullptr;
    PromptStatics& p = Game::prompts;
    LayoutStatics& l = Game::layouts;
};

TEST_F(PromptBoxesTest, TheExtentIsTheTallestPageAndACentredBoxRisesByHalfOfIt) {
    // Text 1: a page one line taller after the first: less than the 20-pixel margin taller, yet the
    // tallest page decides.
    Game::loadTextPack(kGroup, bytes(formats::textPack({"ONE LINE", lines(4) + "%j" + lines(5)})));
    const int32_t first = pageHeight(1, 480, 0), tall = pageHeight(1, 480, 1);
    ASSERT_GT(tall, first);
    ASSERT_LT(tall, first + 20);
    EXPECT_EQ(Game::layoutMenuItems(0, kGroup, 1, 400, 240, 3, true, true, 480, 0), 2);
    EXPECT_EQ(st.dialogExtent, tall + 20);
    EXPECT_EQ(p.s_promptBoxHeight, tall + 20) << "an open box is as high as the extent";
    EXPECT_EQ(st.dialogArrow, 3);

    const struct {
        int32_t flags, x, y;
    } cases[] = {{0, 400, 245}, {1, 100, 245}, {2, 400, 245 - (tall + 20) / 2 - 10}, {3, 100, 245 - (tall + 20) / 2 - 10}};
    for (const auto& c : cases) {
        Game::layoutMenuItems(0, kGroup, 1, 400, 240, -1, true, false, 480, c.flags);
        EXPECT_EQ(p.s_promptX, c.x) << c.flags;
        EXPECT_EQ(p.s_promptY, c.y) << c.flags;
    }
    // An extent of 200 puts the top of a centred box 105 above the given y.
    st.dialogExtent = 0;
    for (int n = 1; n < 12 && st.dialogExtent != 200; ++n) {
        Game::loadTextPack(kGroup, bytes(formats::textPack({lines(n)})));
        Game::resetTextCache();
        Game::layoutMenuItems(0, kGroup, 0, 400, 240, -1, false, false, 480, 2);
    }
    ASSERT_EQ(st.dialogExtent, 200) << "some line count gives a 180-pixel page";
    EXPECT_EQ(p.s_promptY, 240 - 105);
}

TEST_F(PromptBoxesTest, OpeningSetsThePagingStateByPagedAndOpen) {
    Game::loadTextPack(kGroup, bytes(formats::textPack({"TEXT"})));
    const struct {
        bool paged, open;
        int32_t state, flags;
        bool pressed;
    } cases[] = {{true, false, 0, 10, false}, {true, true, 1, 14, false}, {false, false, 0, 0, true},
                 {false, true, 1, 4, true}};
    for (const auto& c : cases) {
        p.s_promptPage = 3;
        p.s_promptLastPage = true;
        Game::openPromptAt(0, kGroup, 0, 10, 20, -1, c.paged, c.open);
        EXPECT_EQ(l.s_promptState, c.state) << c.paged << c.open;
        EXPECT_EQ(p.s_promptFlags, c.flags) << c.paged << c.open;
        EXPECT_EQ(p.s_promptPressed, c.pressed) << c.paged << c.open;
        EXPECT_EQ(p.s_promptPage, 0);
        EXPECT_FALSE(p.s_promptLastPage);
        EXPECT_EQ(p.s_promptLineStep, 2);
    }
}

TEST_F(PromptBoxesTest, APagedPromptThatFitsOnePageIsOnItsLastPageAtItsFirstPaint) {
    Game::loadTextPack(kGroup, bytes(formats::textPack({"SHORT", lines(3) + "%j" + lines(3)})));
    for (int32_t text : {0, 1}) {
        Game::layoutMenuItems(0, kGroup, text, 400, 100, -1, true, true, 480, 1);
        Game::drawMenuFrame(screen->getGraphics());
        EXPECT_EQ(p.s_promptLastPage, text == 0) << "text " << text;
        EXPECT_EQ(p.s_promptFlags & 8, 0) << "the reveal restarts once";
    }
    // Not open: the box only, in states 0 and 2; nothing in others.
    for (int32_t state : {0, 2, 5}) {
        clear();
        Game::layoutMenuItems(0, kGroup, 0, 400, 100, -1, true, true, 480, 1);
        l.s_promptState = state;
        p.s_promptBoxHeight = 40;
        Game::drawMenuFrame(screen->getGraphics());
        EXPECT_EQ(inkBox(screen, 0xFFFF)[2] > 0, state != 5) << "state " << state;
    }
}

class TwoAnswerPromptTest : public PromptBoxesTest {
protected:
    void SetUp() override {
        PromptBoxesTest::SetUp();
        Game::loadTextPack(kGroup, bytes(formats::textPack({"QUESTION", "YES", "NO"})));
        // The command: opcode, then at + 6 and + 8 the two answers' text ids.
        l.s_scriptBytes = bytes({178, 0, 0, 0, 0, 0, 1, 0, 2, 0});
        Game::openMenuLayout(st.fonts, 0, 0, kGroup, 0, 0, 0, 0);
    }
    int paintChosen(int32_t state, int32_t blink) {
        clear();
        l.s_promptState = state;
        l.s_promptPacked = blink << 24;
        Game::paintPromptBox(screen->getGraphics());
        return pixels(kChosen565);
    }
};

TEST_F(TwoAnswerPromptTest, OpeningMeasuresBothAnswers) {
    EXPECT_EQ(l.s_promptState, 3);
    const int32_t one = Game::measureTextPageHeight(st.fonts, nullptr, kGroup, 1, 0, 782, 480, 0);
    EXPECT_GT(one, 0);
    EXPECT_EQ(p.s_promptHeight, 2 * one + font->getLineSpacing());
}

TEST_F(TwoAnswerPromptTest, TheChosenBoxShowsInStateSixAndOnBlinkPhaseOneInStateSeven) {
    EXPECT_GT(paintChosen(6, 0), 0);
    EXPECT_GT(paintChosen(7, 1), 0);
    EXPECT_EQ(paintChosen(7, 0), 0);
    EXPECT_EQ(paintChosen(5, 1), 0);
}

TEST_F(TwoAnswerPromptTest, TheScriptCursorPicksTheBox) {
    l.s_promptState = 6;
    for (int32_t opcode : {178, 171, 175, 12}) {
        clear();
        l.s_scriptBytes->elements()[0] = static_cast<int8_t>(opcode);
        Game::handleMenuCommand(screen->getGraphics());
        EXPECT_EQ(pixels(kChosen565) > 0, opcode != 175 && opcode != 12) << opcode;
    }
}

class HintSequenceTest : public PromptBoxesTest {
protected:
    void SetUp() override {
        PromptBoxesTest::SetUp();
        std::vector<std::string> texts;
        for (int i = 0; i < 60; ++i) texts.push_back("HINT");
        Game::loadTextPack(kGroup, bytes(formats::textPack(texts)));
        // Layout 10 with hint elements 46-50: kind, x, y, group, text, arrow.
        ObjectArray* elements = om()->newObjectArray(kClass_ShortArray, 51);
        for (int32_t e = 0; e < 51; ++e) {
            ShortArray* r = om()->newShortArray(6);
            const int16_t values[6] = {9, int16_t(400 + e), int16_t(100 + e), kGroup, int16_t(e), 1};
            std::copy(values, values + 6, r->elements());
            elements->elements()[e] = r;
        }
        if (isNull(l.s_layouts)) l.s_layouts = om()->newObjectArray(kClass_ObjectArray, Game::kLayoutCount);
        l.s_layouts->elements()[10] = elements;
        l.s_menu = 10;
    }
};

TEST_F(HintSequenceTest, HintsRunElementsFortySixToFiftyThenThePanelReturnsToColumnZero) {
    Game::openOptionList();
    EXPECT_EQ(l.s_upgradeMode, 2);
    EXPECT_EQ(p.s_promptTextId, 46);
    EXPECT_EQ(p.s_promptX, 446 - 300) << "the first hint is shifted";
    EXPECT_EQ(p.s_promptY, 151);
    for (int32_t e = 47; e <= 50; ++e) {
        Game::nextHint();
        EXPECT_EQ(p.s_promptTextId, e);
        EXPECT_EQ(p.s_promptX, 400 + e);
        EXPECT_EQ(l.s_upgradeMode, 2);
    }
    Game::nextHint();
    EXPECT_EQ(p.s_promptTextId, 50) << "no sixth hint";
    EXPECT_EQ(l.s_upgradeMode, 0) << "column 0";
}

TEST_F(HintSequenceTest, AResumeReopensTheRunningSequenceAtItsStep) {
    auto* game = static_cast<Game*>(NewInstanceFactory::newInstance(kClass_Game));
    Game::openOptionList();
    Game::nextHint();
    Game::nextHint();
    p.s_promptTextId = -1;
    state(Game::kStateMenu, 10);
    game->onResume();
    EXPECT_EQ(l.s_panelStep, 2);
    EXPECT_EQ(p.s_promptTextId, 48);
    EXPECT_EQ(p.s_promptX, 448) << "opened at its step, unshifted";
    // Not running: nothing reopens.
    l.s_upgradeMode = 0;
    p.s_promptTextId = -1;
    game->onResume();
    EXPECT_EQ(p.s_promptTextId, -1);
}

TEST_F(HintSequenceTest, WhileTheHintsRunTheUpgradeMenuReadsNoKeys) {
    Game::openOptionList();
    in.keysPressed = 0x4004;  // down
    const int32_t cursor = l.s_menuCursor;
    Game::updateMenuInput();
    EXPECT_EQ(l.s_menuCursor, cursor);
    EXPECT_EQ(count("Game::updateProgressFade"), 1);
}

TEST_F(PromptBoxesTest, LoadingTipsDrawTipNThenARandomOne) {
    // Texts 0-19 the random tips (empty here), 22 + n tip n: n + 1 letters wide.
    std::vector<std::string> texts(40);
    for (int n = 0; n < 14; ++n) texts[std::size_t(22 + n)] = std::string(std::size_t(n + 1), 'I');
    Game::loadTextPack(3, bytes(formats::textPack(texts)));
    int32_t width = 0;
    for (int32_t n = -1; n <= 14; ++n) {
        clear();
        st.redraw = 0;
        Game::selectEntry(screen->getGraphics(), n);
        const int32_t w = inkBox(screen, 0xFFFF)[2];
        if (n < 0 || n > 13) {
            EXPECT_EQ(w, 0) << n;
        } else {
            EXPECT_GT(w, width) << n;
            width = w;
        }
        EXPECT_EQ(st.redraw, 1);
    }
    // The random tip takes the seed's high 16 bits unsigned: a negative seed gives 0..19 too.
    for (int32_t seed : {-5, -1, 12345, INT32_MIN}) {
        GameMath::mathStatics.randomSeed = seed;
        const uint32_t next = uint32_t(seed) * 1664525u + 1013904223u;
        Game::randomEntry(screen->getGraphics());
        EXPECT_EQ(Game::textStatics.textCachedPack, 3);
        EXPECT_EQ(Game::textStatics.textCachedString, int32_t((next >> 16) % 20)) << seed;
    }
}

namespace bottom_panel {

// A sprite whose frame f is one filled rectangle (or nothing).
formats::SpriteData rectangles(int frames, const std::map<int, std::array<int, 5>>& rects) {
    formats::SpriteData s;
    s.palettes = {{0}};
    s.modules.push_back({formats::ModuleKind::Filled, 1, 1, 0, 0, 0x00000000u, {}, {}});
    for (int f = 0; f < frames; ++f) {
        auto it = rects.find(f);
        if (it == rects.end()) {
            s.frames.push_back({{{0, 0, 0, 0}}, {}, {}});
            continue;
        }
        const auto [x, y, w, h, colour] = it->second;
        s.modules.push_back({formats::ModuleKind::Filled, w, h, 0, 0, 0xFF000000u | uint32_t(colour), {}, {}});
        s.frames.push_back({{{int32_t(s.modules.size() - 1), int16_t(x), int16_t(y), 0}}, {}, {}});
    }
    return s;
}

constexpr int kTop = 0xFF0000, kArea = 0x00FF00, kFace = 0x0000FF;

// The panel's parts (sprites 4, 17 and 3) and speaker 0: portrait 95 + 1, name text 0 of group 5.
class BottomPanelTest : public PromptBoxesTest {
protected:
    void SetUp() override {
        PromptBoxesTest::SetUp();
        st.sprites->elements()[4] = newSprite(rectangles(2, {{0, {0, 0, 200, 12, kTop}}, {1, {0, 0, 200, 100, kArea}}}));
        st.sprites->elements()[17] = newSprite(rectangles(5, {{4, {0, -19, 100, 19, 0x808080}}}));
        st.sprites->elements()[3] =
            newSprite(rectangles(97, {{87, {0, -2, 30, 2, 0x404040}}, {96, {0, -20, 20, 20, kFace}}}));
        Game::objects.s_speakers = om()->newObjectArray(kClass_IntArray, 1);
        IntArray* speaker = om()->newIntArray(2);
        speaker->elements()[0] = 1;
        Game::objects.s_speakers->elements()[0] = speaker;
        Game::loadTextPack(5, bytes(formats::textPack({"MIRA"})));
    }
};

TEST_F(BottomPanelTest, TheBottomPanelSitsOnTheSoftKeyStripWithThePortraitAbove) {
    Game::loadTextPack(kGroup, bytes(formats::textPack({"SHORT"})));
    Game::openMenuSimple(0, kGroup, 0, true, true);
    p.s_promptFonts = st.fonts;
    p.s_promptSpeaker = 0;
    p.s_promptHeight = 100;
    Game::paintPromptBox(screen->getGraphics());
    // Text line 461 - 100 - 19 = 342, panel top 342 - 12 = 330.
    const uint16_t top = gfx::argbToRgb565(0xFF000000u | kTop), area = gfx::argbToRgb565(0xFF000000u | kArea);
    const uint16_t face = gfx::argbToRgb565(0xFF000000u | kFace);
    auto at = [&](int x, int y) { return pixelsOf(screen)[std::size_t(y * 800 + x)]; };
    EXPECT_EQ(at(150, 330), top);
    EXPECT_EQ(at(150, 341), top);
    EXPECT_EQ(at(150, 342), area);
    EXPECT_EQ(at(5, 315), face) << "the portrait above the panel's top";
    EXPECT_NE(at(5, 309), face);
    EXPECT_TRUE(p.s_promptLastPage) << "one page: its last";
}

TEST_F(BottomPanelTest, OtherTextsBetweenFramesLeaveTheSpeechRevealingLineByLine) {
    Game::loadTextPack(kGroup, bytes(formats::textPack({lines(3), "7"})));
    Game::openMenuSimple(0, kGroup, 0, true, true);
    p.s_promptFonts = st.fonts;
    p.s_promptSpeaker = 0;
    p.s_promptHeight = 100;
    // A line every two ticks (the line step): the page is whole within ten frames, although each
    // frame draws other strings too, a number before the panel and the name in it.
    int frame = 0;
    for (; frame < 10 && !p.s_promptPressed; ++frame) {
        ++st.stateTicks;
        Game::drawString(screen->getGraphics(), st.fonts, 0, kGroup, 1, 0, 0, 0, 100, 40, 0, 20);
        Game::paintPromptBox(screen->getGraphics());
    }
    EXPECT_TRUE(p.s_promptPressed) << "the page was shown whole";
    EXPECT_GE(frame, 4) << "line by line";
}

}  // namespace bottom_panel

}  // namespace
