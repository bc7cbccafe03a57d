// Display, Canvas, GameCanvas and Command over a screen image of their own.
#include <gtest/gtest.h>

#include <vector>

#include "platform/lcdui/command.h"
#include "platform/lcdui/displayable.h"
#include "tests/platform/lcdui/lcdui_fixture.h"

namespace mrc::test {
namespace {

using GameCanvas = javax_microedition_lcdui_game_GameCanvas;
using Command = javax_microedition_lcdui_Command;

class DisplayableTest : public LcduiTest {
protected:
    void SetUp() override {
        LcduiTest::SetUp();
        m_frame.assign(800 * 480, 0);
        app()->setScreenGraphics(ScreenImage::create(800, 480, m_frame.data()));
        screen()->setColor(0x123456);
    }
    static javax_microedition_lcdui_Graphics* screen() {
        return static_cast<javax_microedition_lcdui_Graphics*>(app()->screenGraphics);
    }
    uint16_t at(int x, int y) const { return m_frame[std::size_t(y) * 800 + x]; }

    std::vector<uint16_t> m_frame;
};

TEST_F(DisplayableTest, DisplayIsColourAndHoldsTheCurrentDisplayable) {
    auto* display = javax_microedition_lcdui_Display::getDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    EXPECT_NE(javax_microedition_lcdui_Display::getDisplay(nullptr), display) << "a new Display at every call";
    EXPECT_TRUE(display->isColor());
    EXPECT_EQ(display->numColors(), 0x10000);
    EXPECT_FALSE(display->flashBacklight(100));
    auto* canvas = newObject<javax_microedition_lcdui_Canvas>();
    EXPECT_FALSE(canvas->isShown());
    display->setCurrent(canvas);
    EXPECT_EQ(app()->current, canvas);
    EXPECT_EQ(display->getCurrent(), canvas);
    EXPECT_TRUE(canvas->isShown());
    EXPECT_EQ(canvas->getWidth(), 800);
    EXPECT_EQ(canvas->getHeight(), 480);
}

TEST_F(DisplayableTest, GameCanvasFlushesOnlyItsRegionAndKeepsTheScreenClip) {
    auto* canvas = newObject<GameCanvas>();
    canvas->GameCanvas(false);
    ASSERT_NE(canvas->offscreen, nullptr);
    EXPECT_EQ(canvas->offscreen->getWidth(), 800);
    javax_microedition_lcdui_Graphics* g = canvas->getGraphics();
    g->setColor(0xFFFFFF);
    g->fillRect(0, 0, 800, 480);
    screen()->setClip(5, 6, 700, 400);

    canvas->flushGraphics(10, 10, 20, 20);
    for (int y = 8; y < 32; ++y)
        for (int x = 8; x < 32; ++x) {
            bool inside = x >= 10 && x < 30 && y >= 10 && y < 30;
            ASSERT_EQ(at(x, y), inside ? 0xFFFF : 0) << x << "," << y;
        }
    EXPECT_EQ(screen()->getClipX(), 5);
    EXPECT_EQ(screen()->getClipY(), 6);
    EXPECT_EQ(screen()->getClipWidth(), 700);
    EXPECT_EQ(screen()->getClipHeight(), 400);

    canvas->flushGraphics();
    EXPECT_EQ(at(0, 0), 0xFFFF);
    EXPECT_EQ(at(799, 479), 0xFFFF);
    EXPECT_EQ(screen()->getClipWidth(), 700);
}

TEST_F(DisplayableTest, GameCanvasPaintDrawsTheOffscreenImage) {
    auto* canvas = newObject<GameCanvas>();
    canvas->GameCanvas(true);
    javax_microedition_lcdui_Graphics* g = canvas->getGraphics();
    g->setColor(0xFF0000);
    g->fillRect(0, 0, 1, 1);
    canvas->paint(screen());
    EXPECT_EQ(at(0, 0), 0xF800);
    EXPECT_EQ(at(1, 0), 0);
}

TEST_F(DisplayableTest, CommandChecksTypeThenLabel) {
    const struct {
        bool label;
        int32_t type;
        uint16_t raised;  // 0: none
    } cases[] = {
        {true, 1, 0},
        {true, 8, 0},
        {true, 9, kClass_java_lang_IllegalArgumentException},
        {true, 0, kClass_java_lang_IllegalArgumentException},
        {false, 4, kClass_java_lang_NullPointerException},
        {false, 9, kClass_java_lang_IllegalArgumentException},  // the type is checked first
    };
    for (const auto& c : cases) {
        auto* command = newObject<Command>();
        command->Command(c.label ? string("Back") : nullptr, c.type, 3);
        Object* e = app()->getPendingException();
        EXPECT_EQ(e ? e->classId() : 0, c.raised) << c.label << " " << c.type;
        app()->clearPendingException();
        if (!c.raised) {
            EXPECT_EQ(command->getLabel()->toUtf8(), "Back");
            EXPECT_EQ(command->getLongLabel(), nullptr);
            EXPECT_EQ(command->getCommandType(), c.type);
            EXPECT_EQ(command->getPriority(), 3);
        }
    }
}

}  // namespace
}  // namespace mrc::test
