#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "tests/framework/input/spine_fixture.h"

namespace {

using mrc::test::SpineTest;

class KeyInput : public SpineTest {
protected:
    GameInput::Statics& g = GameInput::inputStatics;
};

TEST_F(KeyInput, KeyCodesMapToTheirGameKeys) {
    const struct {
        int32_t code, gameKey;
    } cases[] = {{'2', 1}, {-1, 1}, {'8', 2}, {-2, 2}, {'4', 3},  {-3, 3},  {'6', 4},  {-4, 4},  {'5', 5},
                 {-5, 5},  {'0', 6}, {'1', 7}, {'3', 9}, {'7', 13}, {'9', 15}, {'*', 16}, {'#', 17}, {-6, 18},
                 {-7, 19}, {-20, 0}, {0, 0},   {-256, 0}};
    for (const auto& c : cases) EXPECT_EQ(QXLib::getGameKey(c.code), c.gameKey) << c.code;
}

TEST_F(KeyInput, SoftKeysSwapWhenRightComesFirstAndAbsoluteCodesFoldNegatives) {
    QXLibConfig::statics.SOFT_KEYS_LEFT_FIRST = 0;
    QXLib::initKeyTable();
    EXPECT_EQ(QXLib::getGameKey(-6), 19);
    EXPECT_EQ(QXLib::getGameKey(-7), 18);
    QXLibConfig::statics.KEY_CODES_ABSOLUTE = 1;
    EXPECT_EQ(QXLib::getGameKey(-50), 1);  // as '2'
}

TEST_F(KeyInput, PressAndReleaseBetweenFramesShowBothButNotHeld) {
    QXLib::keyPressed(nullptr, -5);
    QXLib::keyReleased(-5);
    frame();
    EXPECT_TRUE(QXLib::wasKeyPressed(5));
    EXPECT_TRUE(QXLib::wasKeyReleased(5));
    EXPECT_FALSE(QXLib::isKeyHeld(5));
    EXPECT_EQ(QXLib::firstPressedKey(), 5);
    EXPECT_EQ(QXLib::firstReleasedKey(), 5);
    frame();
    EXPECT_EQ(QXLib::firstPressedKey(), -1);
    EXPECT_EQ(QXLib::firstReleasedKey(), -1);
}

TEST_F(KeyInput, HeldKeyStaysHeldAcrossFramesUntilReleased) {
    QXLib::keyPressed(nullptr, '2');
    frame();
    EXPECT_EQ(g.keysPressed, 1 << 1);
    EXPECT_EQ(g.keysHeld, 1 << 1);
    frame();
    EXPECT_EQ(g.keysPressed, 0);
    EXPECT_EQ(g.keysHeld, 1 << 1);
    QXLib::keyReleased('2');
    frame();
    EXPECT_EQ(g.keysHeld, 0);
}

TEST_F(KeyInput, UnknownCodeSetsBitZeroWhichNoQueryReports) {
    QXLib::keyPressed(nullptr, -20);
    frame();
    EXPECT_EQ(g.keysPressed, 0);
    EXPECT_EQ(g.keysHeld, 0);
    EXPECT_EQ(QXLib::firstPressedKey(), 0);
}

TEST_F(KeyInput, DoublePressInGameplayOnlyBetween300And500Ms) {
    const struct {
        uint32_t gapMs;
        int32_t state;
        bool doubled;
    } cases[] = {{200, 7, false}, {400, 7, true}, {600, 7, false}, {400, 0, false}};
    for (const auto& c : cases) {
        host::ManualClock clock(100000);
        QXLib::resetKeys(0);
        s_state = c.state;
        QXLib::keyPressed(nullptr, '5');
        QXLib::keyReleased('5');
        frame();
        EXPECT_EQ(g.keysDoublePressed, 0);
        frame();
        clock.advance(c.gapMs);
        QXLib::keyPressed(nullptr, '5');
        frame();
        EXPECT_EQ(g.keysDoublePressed, c.doubled ? 1 << 5 : 0) << c.gapMs << " ms in state " << c.state;
        QXLib::keyReleased('5');
    }
}

TEST_F(KeyInput, KeyLockCountsDownAndReleaseSetsTheFlag) {
    QXLib::resetKeys(2);
    g.keyReleasedFlag = 0;
    frame();
    EXPECT_EQ(g.keyLockFrames, 1);
    EXPECT_FALSE(QXLib::wasKeyPressedWithin(1 << 5, 1000));
    QXLib::keyPressed(nullptr, -5);
    frame();
    EXPECT_EQ(g.keyLockFrames, 0);
    EXPECT_EQ(g.keyReleasedFlag, 0);
    QXLib::keyReleased(-5);
    frame();
    EXPECT_EQ(g.keyReleasedFlag, 1);
    EXPECT_TRUE(QXLib::wasKeyPressedWithin(1 << 5, 1000));
    EXPECT_FALSE(QXLib::wasKeyPressedWithin(1 << 1, 1000));
}

TEST_F(KeyInput, KeyCodeMasks) {
    const struct {
        int32_t code, mask;
    } cases[] = {{-7, 0x80000}, {-6, 0x40000}, {-5, 32},  {-4, 16},   {-3, 8},     {-2, 4},   {-1, 2},
                 {'#', 0x20000}, {'*', 0x10000}, {'0', 64}, {'9', 32768}, {'5', 2048}, {-8, 0}, {'A', 0}};
    for (const auto& c : cases) EXPECT_EQ(QXLib::keyCodeToMask(c.code), c.mask) << c.code;
}

TEST_F(KeyInput, QueueHoldsFiveAndDropsTheSixth) {
    for (int32_t i = 1; i <= 6; ++i) QXLib::pushKeyQueue(i);
    EXPECT_EQ(g.keyQueueCount, 5);
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(g.keyQueue->elements()[i], i + 1);
    g.keyQueueCount = 0;
    QXLib::pushKeyQueue(7);
    EXPECT_EQ(g.keyQueue->elements()[0], 7);
}

TEST_F(KeyInput, SingleKeyModeReleasesTheHeldKeyFirst) {
    QXLibConfig::statics.SINGLE_KEY_MODE = 1;
    auto* canvas = mrc::newObject<RecordingCanvas>();
    QXLib::keyPressed(canvas, '2');
    QXLib::keyPressed(canvas, '2');
    QXLib::keyPressed(canvas, '8');
    EXPECT_EQ(canvas->released, (std::vector<int32_t>{'2'}));
    QXLib::keyReleased('8');
    QXLib::keyPressed(canvas, '4');
    EXPECT_EQ(canvas->released.size(), 1u);
}

TEST_F(KeyInput, CountModeCountsFramesAndSoftKeysReadPressedThenReleased) {
    QXLibConfig::statics.KEYS_AS_HELD_COUNTS = 1;
    QXLib::allocKeyCounts();
    QXLib::keyPressed(nullptr, '5');
    QXLib::keyPressed(nullptr, -6);
    QXLib::snapshotKeys();
    EXPECT_TRUE(QXLib::wasKeyPressed(5));
    EXPECT_TRUE(QXLib::wasKeyPressed(18));
    QXLib::snapshotKeys();
    EXPECT_TRUE(QXLib::isKeyHeld(5));
    EXPECT_FALSE(QXLib::wasKeyPressed(5));
    EXPECT_TRUE(QXLib::wasKeyReleased(18));
    QXLib::keyReleased('5');
    QXLib::snapshotKeys();
    EXPECT_TRUE(QXLib::wasKeyReleased(5));
    QXLib::clearKeys();
    EXPECT_EQ(QXLib::firstReleasedKey(), -1);
}

// Events on the UI thread against snapshots on the game thread: every press and release of a
// round reaches some frame's snapshot.
TEST_F(KeyInput, NoEventIsLostBetweenSnapshots) {
    // The plain thread standing in for the UI thread is not one of the runtime's, so it must not
    // meet a collection that stops the world.
    if (std::getenv("MRC_GC_STRESS") != nullptr) GTEST_SKIP() << "collections at every allocation";
    const int32_t codes[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '*', '#', -6, -7};
    int32_t all = 0;
    for (int32_t code : codes) all |= 1 << QXLib::getGameKey(code);
    for (int round = 0; round < 200; ++round) {
        std::atomic<bool> done{false};
        std::thread ui([&] {
            for (int32_t code : codes) {
                QXLib::keyPressed(nullptr, code);
                QXLib::keyReleased(code);
            }
            done = true;
        });
        int32_t pressed = 0, released = 0;
        for (bool last = false; !last;) {
            last = done.load();
            QXLib::snapshotKeys();
            pressed |= QXLib::keyStatics.keysPressedSnapshot;
            released |= QXLib::keyStatics.keysReleasedSnapshot;
        }
        ui.join();
        ASSERT_EQ(pressed, all) << "round " << round;
        ASSERT_EQ(released, all) << "round " << round;
    }
}

TEST_F(KeyInput, TouchGridBordersAndCells) {
    const struct {
        int32_t x, y, value;
    } cases[] = {{35, 303, '1'}, {105, 303, '2'}, {175, 303, '3'}, {35, 373, '4'},  {175, 443, '9'},
                 {70, 303, -1000}, {0, 303, -1000}, {35, 268, -1000}, {35, 338, -1000}, {210, 303, -1000},
                 {35, 478, -1000}, {69, 269, '1'}};
    for (const auto& c : cases) EXPECT_EQ(QXLib::touchGridValueAt(c.x, c.y), c.value) << c.x << "," << c.y;
    EXPECT_TRUE(QXLib::isPointInRect(1, 1, 0, 0, 2, 2));
    EXPECT_FALSE(QXLib::isPointInRect(0, 1, 0, 0, 2, 2));
    EXPECT_FALSE(QXLib::isPointInRect(1, 2, 0, 0, 2, 2));
}

TEST_F(KeyInput, PenReleaseAsFireHonoursTheSoftKeyBand) {
    const struct {
        int32_t x, y;
        bool fullScreen, fires;
    } cases[] = {{400, 420, false, false}, {400, 420, true, true},  {400, 419, false, true}, {0, 100, true, false},
                 {800, 100, true, false},  {799, 479, true, true}, {400, 480, true, false}, {400, 0, false, false}};
    for (const auto& c : cases) {
        auto* canvas = mrc::newObject<RecordingCanvas>();
        g.pointerReleased = 1;
        g.pointerReleaseX = c.x;
        g.pointerReleaseY = c.y;
        QXLib::pointerReleaseAsFire(canvas, c.fullScreen);
        EXPECT_EQ(canvas->pressed, c.fires ? std::vector<int32_t>{-5} : std::vector<int32_t>{}) << c.x << "," << c.y;
    }
    auto* canvas = mrc::newObject<RecordingCanvas>();
    g.pointerReleased = 0;
    QXLib::pointerReleaseAsFire(canvas, true);
    g.pointerReleaseY = 459;
    QXLib::pointerAsKey5(canvas);
    g.pointerReleaseY = 460;
    QXLib::pointerAsKey5(canvas);
    EXPECT_EQ(canvas->pressed, std::vector<int32_t>{'5'});
}

TEST_F(KeyInput, PenReleaseWithoutKeyReleasesMinus256AsGameKeyZero) {
    auto* canvas = mrc::newObject<RecordingCanvas>();
    GameInput::onPointerPressed(10, 20);
    EXPECT_EQ(g.pointerDown, 1);
    GameInput::onPointerReleased(canvas, 30, 40);
    EXPECT_EQ(canvas->released, std::vector<int32_t>{-256});
    QXLib::keyReleased(canvas->released[0]);
    g.keyReleasedFlag = 0;
    frame();
    EXPECT_EQ(QXLib::firstReleasedKey(), 0);
    EXPECT_EQ(g.keyReleasedFlag, 1);
    EXPECT_EQ(g.pointerDown, 0);
    EXPECT_EQ(g.pointerReleaseX, 30);
    EXPECT_EQ(g.lastKeyCode, -256);
}

TEST_F(KeyInput, PenStaysDownInGameplayAndDragPressesAgain) {
    s_state = 7;
    auto* canvas = mrc::newObject<RecordingCanvas>();
    GameInput::onPointerDragged(canvas, 5, 6);
    EXPECT_EQ(g.pointerDragged, 1);
    EXPECT_EQ(g.pointerDown, 1);
    EXPECT_EQ(g.pointerPressX, 5);
    GameInput::onPointerReleased(canvas, 7, 8);
    EXPECT_EQ(g.pointerDown, 1);
    EXPECT_EQ(g.pointerReleased, 1);
}

}  // namespace
