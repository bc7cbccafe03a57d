// The canvas life cycle, the game thread and the frame driver, in the shell as the program runs
// them (headless window, real display and runtime) with a stand-in for the game's canvas.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "framework/config/qxlib_config.h"
#include "framework/core/framework_statics.h"
#include "framework/core/game_hooks.h"
#include "framework/core/game_input.h"
#include "framework/core/ketra_krvd.h"
#include "framework/core/qxlib.h"
#include "host/core/clock.h"
#include "platform/graphics/pixels.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "runtime/lang/thread.h"
#include "runtime/lang/throwable.h"
#include "tests/framework/framework_fixture.h"
#include "tests/platform/app/shell_fixture.h"

namespace {

using namespace mrc;
using ::testing::HasSubstr;
using MIDlet = javax_microedition_midlet_MIDlet;

constexpr int kRecordedFrames = 64;
constexpr uint32_t kFrameColour = 0x30A050;

// What the stand-in game does and saw; shared by the game thread and the test's UI thread.
struct Script {
    std::atomic<int> inits{0};
    std::atomic<int> frames{0};
    std::atomic<int> uiFrames{0};
    std::atomic<int> depth{0};
    std::atomic<int> maxDepth{0};
    std::atomic<int> throwAt{-1};
    std::atomic<uint16_t> throwClass{kClass_java_lang_IllegalStateException};
    std::atomic<int> repaintAt{-1};
    std::atomic<bool> repaintReturned{false};
    std::atomic<int32_t> seenPressed{0};
    std::atomic<int32_t> uiSawPressed{0};
    std::atomic<Object*> graphicsOfFirstFrame{nullptr};
    std::atomic<int64_t> starts[kRecordedFrames] = {};
};
Script* g_script = nullptr;

bool onUiThread() {
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    return impl->currentSlot() == &impl->threads[0];
}

// The game canvas stand-in: records its frames, draws one colour, and repaints or throws from
// inside a frame when the script says so.
class StandInGame : public QXLib {
public:
    using Base = QXLib;
    static constexpr uint16_t kClassId = kClass_Game;

    void keyPressed(int32_t code) override { QXLib::keyPressed(this, code); }
    void keyReleased(int32_t code) override { QXLib::keyReleased(code); }

    void runFrame() override {
        Script& s = *g_script;
        int d = ++s.depth;
        s.maxDepth = std::max(s.maxDepth.load(), d);
        int n = ++s.frames;
        if (n < kRecordedFrames) s.starts[n] = frameStartTime.load();
        if (n == 1) s.graphicsOfFirstFrame = canvasStatics.currentGraphics;
        s.seenPressed |= keyStatics.keysPressedSnapshot.load();
        if (onUiThread()) {
            ++s.uiFrames;
            s.uiSawPressed = keyStatics.keysPressedSnapshot.load();
        }
        if (Graphics* g = canvasStatics.currentGraphics) {
            g->setColor(kFrameColour);
            g->fillRect(0, 0, getWidth(), getHeight());
        }
        if (n == s.repaintAt) {
            paint(canvasStatics.currentGraphics);
            s.repaintReturned = true;
        }
        if (n == s.throwAt) {
            char text[32];
            std::snprintf(text, sizeof text, "boom at frame %d", n);
            mrc::raise(s.throwClass, text);
        }
        --s.depth;
    }
};

class GameCanvas : public test::ShellTest {
protected:
    bool withMidlet() const override { return false; }
    virtual bool withGame() const { return true; }
    // Settings the game thread must find when it starts: run after the canvas's constructor.
    virtual void configure() {}

    void SetUp() override {
        g_script = &script;
        s_fixture = this;
        registerFrameworkStatics();
        registerFrameworkClasses();
        gameHooks() = GameHooks{};
        GameInput::inputHooks = GameInput::Hooks{};
        if (withGame()) {
            NewInstanceFactory::add<StandInGame>();
            gameHooks().initGame = &construct;
        } else {
            NewInstanceFactory::setFactory(kClass_Game, nullptr);
        }
        impl()->running.store(1);
        test::ShellTest::SetUp();
    }
    void TearDown() override {
        test::ShellTest::TearDown();
        NewInstanceFactory::setFactory(kClass_Game, nullptr);
        NewInstanceFactory::setFactory(kClass_KetraKRVD, nullptr);
        gameHooks() = GameHooks{};
    }

    static void construct(QXLib* canvas, MIDlet* midlet, javax_microedition_lcdui_Display* display) {
        ++g_script->inits;
        canvas->init(midlet, display);
        s_fixture->configure();
    }

    static MIDlet* midlet() { return static_cast<MIDlet*>(app()->midlet); }
    static StandInGame* game() { return static_cast<StandInGame*>(KetraKRVD::statics.game); }
    static QXLib::CanvasStatics& canvas() { return QXLib::canvasStatics; }

    // Waits on the UI thread's safe point (the game thread may need it stopped for a collection).
    template <class Condition>
    static bool waitFor(Condition done, int timeoutMs = 10000) {
        auto start = std::chrono::steady_clock::now();
        while (!done()) {
            if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) return false;
            java_lang_Thread::sleep(1);
        }
        return true;
    }
    bool waitForFrames(int n) {
        return waitFor([&] { return script.frames >= n; });
    }
    static bool waitForGameThreadEnd() {
        return waitFor([] { return impl()->activeThreadCount() == 1; });
    }
    // A real-time wait in which frames would run if they could.
    static void idle(int ms) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) java_lang_Thread::sleep(1);
    }

    // System.out into a byte array (before the game thread starts: it writes the traces).
    void captureOut() {
        captured = java_io_ByteArrayOutputStream::newInstance(1024);
        systemStatics.out = java_io_PrintStream::newInstance(captured);
    }
    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), data->length);
    }

    Script script;
    java_io_ByteArrayOutputStream* captured = nullptr;
    static inline GameCanvas* s_fixture = nullptr;
};

TEST_F(GameCanvas, StartAppAgainCreatesNoSecondCanvasOrThread) {
    ASSERT_TRUE(waitForFrames(2));
    StandInGame* first = game();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(app()->current, first) << "the canvas is the current Displayable";
    midlet()->startApp();
    midlet()->startApp();
    EXPECT_EQ(game(), first);
    EXPECT_EQ(script.inits.load(), 1);
    EXPECT_EQ(impl()->activeThreadCount(), 2) << "the UI thread and one game thread";
    EXPECT_EQ(canvas().runState.load(), QXLib::kRunning);
    EXPECT_EQ(canvas().frameBudget, 1) << "the shipped TARGET_FPS of 1000, from the static initialiser";
}

TEST_F(GameCanvas, PauseHoldsFramesAndResumeRepaintsAtOnceFromTheResumeTime) {
    host::ManualClock clock(9000000);
    ASSERT_TRUE(waitForFrames(2));
    // The window stays active: frames are held by the canvas alone.
    midlet()->pauseApp();
    EXPECT_TRUE(canvas().paused.load());
    idle(20);  // a pass that began before the pause ends
    int held = script.frames;
    idle(50);
    EXPECT_EQ(script.frames.load(), held) << "no frame while paused";
    clock.advance(5000);
    idle(5);
    EXPECT_EQ(game()->frameStartTime.load(), 9000000) << "a paused pass keeps the earlier start";

    game()->keyPressed('5');
    midlet()->startApp();
    EXPECT_FALSE(canvas().paused.load());
    EXPECT_EQ(script.uiFrames.load(), 1) << "the resume painted on the UI thread, at once";
    EXPECT_EQ(script.uiSawPressed.load(), 1 << 5) << "the resume's frame saw the key pressed during the pause";
    EXPECT_EQ(QXLib::keyStatics.keysDown.load(), 0) << "then the keys were cleared";
    EXPECT_EQ(QXLib::keyStatics.keysPressedPending.load(), 0);
    EXPECT_EQ(game()->frameStartTime.load(), 9005000) << "the pacing clock restarted at the resume";
    int resumed = script.frames;
    EXPECT_TRUE(waitForFrames(resumed + 3)) << "the game thread goes on";
}

TEST_F(GameCanvas, RepaintFromInsideAFrameRunsNoSecondFrame) {
    ASSERT_TRUE(waitForFrames(1));
    int at = script.frames + 2;
    script.repaintAt = at;
    ASSERT_TRUE(waitFor([&] { return script.repaintReturned.load(); }));
    ASSERT_TRUE(waitForFrames(at + 1));
    EXPECT_EQ(script.maxDepth.load(), 1);
    EXPECT_EQ(canvas().runState.load(), QXLib::kRunning);
}

TEST_F(GameCanvas, DestroyAppEndsTheLoopAfterItsPassAndStopsTheApplication) {
    ASSERT_TRUE(waitForFrames(2));
    QXLib::serviceStatics.textTable = app()->objectManager->newObjectArray(kClass_ByteArray, 1);
    midlet()->destroyApp(true);
    EXPECT_EQ(canvas().runState.load(), QXLib::kStopped);
    ASSERT_TRUE(waitForGameThreadEnd());
    EXPECT_EQ(impl()->running.load(), 0);
    EXPECT_EQ(QXLib::serviceStatics.textTable, nullptr) << "the loop's end drops the text table";
    int last = script.frames;
    idle(20);
    EXPECT_EQ(script.frames.load(), last);
}

// TARGET_FPS 25, through the static initialiser, from before the game thread's start.
class GameCanvasPaced : public GameCanvas {
protected:
    void configure() override {
        QXLibConfig::statics.TARGET_FPS = 25;
        QXLib::clinit();
    }
};

TEST_F(GameCanvasPaced, PassesLastAtLeastTheFrameBudget) {
    EXPECT_EQ(canvas().frameBudget, 40);
    ASSERT_TRUE(waitForFrames(5));
    for (int n = 2; n <= 5; ++n) EXPECT_GE(script.starts[n] - script.starts[n - 1], 40) << "frame " << n;
}

// System.out captured from before the game thread's start.
class GameCanvasTraced : public GameCanvas {
protected:
    void configure() override { captureOut(); }

    void expectLoopEndsOn(uint16_t classId, const std::string& line) {
        script.throwClass = classId;
        script.throwAt = 3;
        ASSERT_TRUE(waitForGameThreadEnd());
        EXPECT_EQ(script.frames.load(), 3);
        EXPECT_EQ(canvas().runState.load(), QXLib::kStopped);
        EXPECT_EQ(impl()->running.load(), 0) << "the application stops";
        std::string out = printed();
        EXPECT_THAT(out, HasSubstr("\n" + line + "\n"));
        EXPECT_THAT(out, HasSubstr("QXLib: game loop ended\n"));
        EXPECT_EQ(count(line), 1u) << "and in the log";
    }
};

TEST_F(GameCanvasTraced, ExceptionOfAFrameEndsTheLoopWithItsTextAfterThePrefix) {
    expectLoopEndsOn(kClass_java_lang_IllegalStateException, "QXLib.paint: boom at frame 3");
}

// Not an Exception: it passes the frame driver, and the loop ends on it as well.
TEST_F(GameCanvasTraced, ThrowableThatIsNoExceptionEndsTheLoopToo) {
    expectLoopEndsOn(kClass_java_lang_Error, "QXLib.run: boom at frame 3");
}

TEST_F(GameCanvasTraced, SizeChangesAndKeyRepeatsChangeNothingTheFrameReads) {
    ASSERT_TRUE(waitForFrames(1));
    game()->sizeChanged(480, 800);
    game()->keyRepeated('5');
    EXPECT_EQ(canvas().sizeWidth, 480);
    EXPECT_EQ(QXLib::keyStatics.keysDown.load(), 0);
    EXPECT_EQ(printed().find("QXLib: pause"), std::string::npos);
}

// No game thread: the canvas goes to the Display's serial-call slot, which nothing runs.
class GameCanvasSerial : public GameCanvas {
protected:
    void configure() override { QXLibConfig::statics.USE_SERIAL_CALLS = 1; }
};

TEST_F(GameCanvasSerial, SerialCallsStartNoThreadAndRunOnePassACall) {
    EXPECT_EQ(impl()->activeThreadCount(), 1);
    EXPECT_EQ(canvas().runState.load(), QXLib::kRunning);
    EXPECT_TRUE(canvas().inFrame.load()) << "frames wait for the loop to begin";
    impl()->flushScreen();
    EXPECT_EQ(script.frames.load(), 0);
    game()->run();
    EXPECT_EQ(script.frames.load(), 1);
    game()->run();
    EXPECT_EQ(script.frames.load(), 2);
    EXPECT_FALSE(canvas().inFrame.load());
    EXPECT_EQ(impl()->running.load(), 1) << "a serial pass ends without the loop's end";
}

class GameCanvasBackBuffer : public GameCanvas {
protected:
    void configure() override { QXLibConfig::statics.USE_BACK_BUFFER = 1; }
};

TEST_F(GameCanvasBackBuffer, FramesDrawIntoTheBackBufferThatIsDrawnOntoTheScreen) {
    ASSERT_TRUE(waitForFrames(3));
    ASSERT_NE(game()->backBuffer, nullptr);
    EXPECT_EQ(game()->backBuffer->getWidth(), 800);
    EXPECT_EQ(script.graphicsOfFirstFrame.load(), game()->backBufferGraphics);
    auto frame = headless().frames().last();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->pixels[240 * 800 + 400], gfx::argbToRgb565(kFrameColour));
    midlet()->destroyApp(true);
    ASSERT_TRUE(waitForGameThreadEnd());
    EXPECT_EQ(game()->backBuffer, nullptr);
    EXPECT_EQ(game()->backBufferGraphics, nullptr);
}

// A paint long after the previous one pauses and resumes, which restarts the pacing clock.
class GameCanvasLongGaps : public GameCanvas {
protected:
    void configure() override {
        captureOut();
        clock.emplace(100000);
        QXLibConfig::statics.DETECT_LONG_GAPS = 1;
    }
    std::optional<host::ManualClock> clock;
};

TEST_F(GameCanvasLongGaps, OnlyAGapLongerThanTheLimitPausesAndResumes) {
    ASSERT_TRUE(waitForFrames(2));  // the first paint finds the previous one at tick 0
    clock->advance(3000);           // not longer than LONG_GAP_MS
    int at = script.frames;
    ASSERT_TRUE(waitForFrames(at + 2));
    clock->advance(3001);
    at = script.frames;
    ASSERT_TRUE(waitForFrames(at + 2));
    midlet()->destroyApp(true);
    ASSERT_TRUE(waitForGameThreadEnd());
    std::string out = printed();
    const std::string pauseResume = "QXLib: pause\nQXLib: resume\nQXLib: resumed, repainting\n";
    std::size_t first = out.find(pauseResume);
    ASSERT_NE(first, std::string::npos) << out;
    std::size_t second = out.find(pauseResume, first + 1);
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_EQ(out.find(pauseResume, second + 1), std::string::npos) << out;
}

class GameCanvasWithoutGame : public GameCanvas {
protected:
    bool withGame() const override { return false; }
};

TEST_F(GameCanvasWithoutGame, StartAppTracesAndStopsAndDestroyAppStopsAtOnce) {
    EXPECT_THAT(startup, ::testing::Contains(HasSubstr("KetraKRVD::startApp(): no game class Game is built in")));
    EXPECT_EQ(impl()->running.load(), 0);
    EXPECT_EQ(KetraKRVD::statics.game, nullptr);
    impl()->running.store(1);
    midlet()->destroyApp(true);
    EXPECT_EQ(impl()->running.load(), 0);
}

// Key events from the UI thread while the game thread takes its snapshots (also under the thread
// sanitizer): each event reaches a frame.
class CanvasKeyThreads : public GameCanvas {};

TEST_F(CanvasKeyThreads, KeyEventsFromTheUiThreadReachTheFrames) {
    ASSERT_TRUE(waitForFrames(1));
    const int32_t codes[] = {'2', '8', '4', '6', '5', '0', '*', '#', -6, -7};
    const int32_t keys[] = {1, 2, 3, 4, 5, 6, 16, 17, 18, 19};
    for (int round = 0; round < 30; ++round) {
        std::size_t i = static_cast<std::size_t>(round) % std::size(codes);
        script.seenPressed = 0;
        game()->keyPressed(codes[i]);
        game()->keyReleased(codes[i]);
        ASSERT_TRUE(waitFor([&] { return (script.seenPressed.load() & (1 << keys[i])) != 0; })) << codes[i];
    }
    EXPECT_EQ(QXLib::keyStatics.keysDown.load(), 0);
}

// ---- without the shell ----

class QXLibStatics : public test::FrameworkTest {};

TEST_F(QXLibStatics, InitialiserSetsTheNoKeyCodeAndTheBudgetOfTheFrameRate) {
    const struct {
        int32_t fps, budget;
        bool divisionByZero;
    } cases[] = {{1000, 1, false}, {25, 40, false}, {30, 33, false}, {2000, 0, false}, {0, 0, true}};
    for (const auto& c : cases) {
        log.clear();
        QXLib::keyStatics.heldKeyCode = 0;
        QXLib::canvasStatics.currentGraphics = javax_microedition_lcdui_Image::createBlankImage(1, 1)->getGraphics();
        QXLibConfig::statics.TARGET_FPS = c.fps;
        QXLib::clinit();
        EXPECT_EQ(QXLib::canvasStatics.frameBudget, c.budget) << c.fps;
        EXPECT_EQ(QXLib::keyStatics.heldKeyCode, -9999);
        EXPECT_EQ(QXLib::canvasStatics.currentGraphics, nullptr);
        EXPECT_EQ(QXLib::canvasStatics.runState.load(), QXLib::kStopped);
        EXPECT_EQ(log.contains("/ by zero"), c.divisionByZero) << c.fps;
    }
}

TEST_F(QXLibStatics, PacingSleepsWhatIsLeftOfTheBudgetAndAtLeastOneMillisecond) {
    const struct {
        int64_t start;
        int32_t budget;
        int64_t now, sleep;
    } cases[] = {
        {1000, 40, 1000, 40}, {1000, 40, 1025, 15}, {1000, 40, 1039, 1}, {1000, 40, 1040, 1},
        {1000, 40, 5000, 1},  {1000, 1, 1000, 1},   {1000, 0, 1000, 1},
        // Past the 32-bit wrap of the tick count.
        {0xFFFFFFF0LL, 40, 0x100000000LL, 24},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QXLib::pacingSleep(c.start, c.budget, c.now), c.sleep) << c.start << " " << c.now;
}

}  // namespace
