// Start-up and loading: the progress scale of a sequence, the loading state's time budget per
// frame, the paints of states 0-2 and the dirty rectangles of the emblem.
#include <gtest/gtest.h>

#include "framework/sprite/sprite_instance.h"
#include "host/core/clock.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/game/game_fixture.h"

namespace {

using namespace mrc;
using Script = std::vector<std::vector<int32_t>>;

host::ManualClock* g_clock = nullptr;
uint32_t g_stepCost = 0;

class StartupTest : public test::GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        game = newGame();
        Game::initResources();
    }
    void TearDown() override {
        g_clock = nullptr;
        GameTest::TearDown();
    }
    static Script commands(int n, int tapAt = -1) {
        Script s;
        for (int i = 0; i < n; ++i) s.push_back(i == tapAt ? std::vector<int32_t>{18, 16} : std::vector<int32_t>{10});
        return s;
    }
    Game* game = nullptr;
};

TEST_F(StartupTest, ProgressScaleOfASequence) {
    const struct {
        int commands, tapAt, from, to;
        int32_t total, base;
    } cases[] = {
        {11, -1, 0, 100, 10, 0},   // steps = length - 1
        {11, -1, 0, 50, 20, 0},    // ends at half
        {11, -1, 50, 100, 20, 10}, // from half to full
        {10, 5, 0, 100, 4, 0},     // the tap point at 5 counts 4 steps
        {1, -1, 0, 100, 1, 0},     // one command counts one
        {2, 0, 0, 100, -1, 0},     // a tap point first counts -1: the bar shows nothing useful
    };
    for (const auto& c : cases) {
        state(4, 0);
        Game::startSequence(script(commands(c.commands, c.tapAt)), false, c.from, c.to);
        EXPECT_EQ(st.loadProgressTotal, c.total) << c.commands << " " << c.from << "-" << c.to;
        EXPECT_EQ(st.loadProgressBase, c.base) << c.commands << " " << c.from << "-" << c.to;
        EXPECT_EQ(st.loadIndex, 0);
        EXPECT_EQ(st.loadActive, 1);
        EXPECT_EQ(st.loadWaitTap, 0);
        EXPECT_EQ(GameStatics::flowStatics.s_loadPack, -1);
        EXPECT_EQ(ov.gameState, 4) << "without enterLoading the state stays";
    }
    st.stateTicks = 9;
    Game::startSequence(script(commands(3)), true, 0, 100);
    EXPECT_EQ(ov.gameState, Game::kStateLoading);
    EXPECT_EQ(ov.gameSubState, 0);
    EXPECT_EQ(st.stateTicks, 0);
    // startLoadingStep takes the preset list with the full range.
    preset(5, script(commands(7)));
    Game::startLoadingStep(5, false);
    EXPECT_EQ(st.loadScript, ov.eventActions->elements()[5]);
    EXPECT_EQ(st.loadProgressTotal, 6);
}

TEST_F(StartupTest, LoadingRunsStepsForAtMostASecondPerFrame) {
    host::ManualClock clock(50000);
    g_clock = &clock;
    game_pending::observer = [](const char*) {
        if (g_clock != nullptr) g_clock->advance(g_stepCost);
    };
    const struct {
        uint32_t cost;
        int commands;
        std::vector<int32_t> indexes;  // after each frame
    } cases[] = {
        {400, 40, {3, 6, 9}},    // 400, 800, 1200: three steps a frame
        {1500, 40, {1, 2, 3}},   // a long step still runs once a frame
        {0, 40, {21, 40, 40}},   // no time passes: through the middle's break point, then to the end
        {999, 40, {2, 4, 6}},
    };
    for (const auto& c : cases) {
        g_stepCost = c.cost;
        Game::startSequence(script(commands(c.commands)), true, 0, 100);
        std::vector<int32_t> indexes;
        for (std::size_t f = 0; f < c.indexes.size(); ++f) {
            game->updateLoading();
            indexes.push_back(st.loadIndex);
        }
        EXPECT_EQ(indexes, c.indexes) << c.cost << " ms a step";
    }
}

TEST_F(StartupTest, PaintsOfBootStartUpAndLoading) {
    auto* screen = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    Game::Graphics* g = screen->getGraphics();
    // Boot: the frame black, the buffer white.
    st.bufferGraphics->setColor(0x123456);
    st.bufferGraphics->fillRect(0, 0, 800, 480);
    Game::paintBoot(g);
    EXPECT_EQ(pixelsOf(screen)[400 * 240], 0);
    EXPECT_EQ(pixelsOf(st.bufferImage)[0], 0xFFFF);
    // Start-up: the buffer in sub-steps 3 and 5, black otherwise.
    st.bufferGraphics->setColor(0x00FF00);
    st.bufferGraphics->fillRect(0, 0, 800, 480);
    for (int32_t sub : {1, 2, 3, 4, 5}) {
        g->setColor(0xFF0000);
        g->fillRect(0, 0, 800, 480);
        state(1, sub);
        Game::paintBackground(g);
        const uint16_t expected = sub == 3 || sub == 5 ? 0x07E0 : 0;
        EXPECT_EQ(pixelsOf(screen)[100], expected) << sub;
    }
    // Loading: the buffer, then without a gauge sprite a red bar in a white frame at y 420.
    state(2, 0);
    st.loadActive = 1;
    st.loadProgressTotal = 10;
    st.loadProgressBase = 0;
    st.loadIndex = 5;
    Game::paintLoading(g);
    std::vector<uint16_t> px = pixelsOf(screen);
    EXPECT_EQ(px[420 * 800 + 400], 0xFFFF) << "the frame";
    EXPECT_EQ(px[422 * 800 + 100], 0xF800) << "filled to half";
    EXPECT_EQ(px[422 * 800 + 600], 0xFFFF);
    EXPECT_EQ(px[300 * 800 + 100], 0x07E0);
    // Waiting at the tap point: no gauge.
    st.loadActive = 0;
    st.loadWaitTap = 1;
    Game::paintLoading(g);
    EXPECT_EQ(pixelsOf(screen)[422 * 800 + 100], 0x07E0);
}

TEST_F(StartupTest, TheEmblemIsRepaintedThroughItsDirtyRectangle) {
    auto* screen = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    formats::SpriteData d;
    d.modules.push_back({formats::ModuleKind::Filled, 20, 10, 0, 0, 0xFF0000FFu, {}, {}});
    d.frames.push_back({{{0, -10, -5, 0}}, {}, {}});
    d.animations.push_back({{0, 1, 0, 0, 0}});
    d.palettes = {{0}};
    auto* instance = newObject<ASpriteInstance>();
    instance->init(newSprite(d), 400, 240, nullptr);
    st.hudInstances->elements()[0] = instance;
    state(1, 3);
    Game::paintBackground(screen->getGraphics());
    EXPECT_EQ(pixelsOf(screen)[240 * 800 + 400], 0x001F) << "the emblem on the buffer";
    ASSERT_EQ(st.dirtyCount, 1);
    const int64_t r = st.dirtyRects->elements()[0];
    EXPECT_EQ(int16_t(r), 390);
    EXPECT_EQ(int16_t(r >> 16), 235);
    EXPECT_EQ(uint16_t(r >> 32), 20);
    EXPECT_EQ(uint16_t(r >> 48), 10);
    Game::repaintDirtyRects(screen->getGraphics());
    EXPECT_EQ(st.dirtyCount, 0);
    EXPECT_EQ(pixelsOf(screen)[240 * 800 + 400], 0xFFFF) << "the white buffer back under it";
}

TEST_F(StartupTest, StartUpSubStepsLoadTheirListsWithinTheFrame) {
    // Sub-step 1: the resources, list 0 started without entering loading.
    preset(0, script({{10}, {10}, {6, 1, 3}}));
    state(1, 1);
    game->updateStartup();
    EXPECT_EQ(ov.gameState, 1);
    EXPECT_EQ(ov.gameSubState, 2);
    EXPECT_EQ(st.loadScript, ov.eventActions->elements()[0]);
    // Sub-step 2: the whole list in this frame; its own command sets sub-step 3.
    game->updateStartup();
    EXPECT_EQ(ov.gameSubState, 3);
    EXPECT_TRUE(isNull(st.loadScript));
    // Sub-step 3 without an emblem goes on to the notice.
    game->updateStartup();
    EXPECT_EQ(ov.gameSubState, 4);
    EXPECT_EQ(pixelsOf(st.bufferImage)[0], 0xFFFF);
    // A list that waits for a key cannot finish within a frame: the run stops there.
    preset(1, script({{10}, {18, 16}, {10}}));
    game->updateStartup();
    EXPECT_EQ(ov.gameSubState, 5);
    EXPECT_EQ(st.loadIndex, 1) << "left at the wait";
    EXPECT_EQ(pixelsOf(st.bufferImage)[0], 0) << "the notice's black background";
}

}  // namespace
