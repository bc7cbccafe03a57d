// The game canvas without a shell: its constructor's property digits, palette flag, promotion set-up
// and sound manager; its key events; its pause and resume notifications; its frames; and its
// registration as the class the MIDlet creates. Frames run in a state of no screen whose update
// records them.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/game_hooks.h"
#include "framework/core/game_timers.h"
#include "framework/core/ketra_krvd.h"
#include "framework/sound/sound_manager.h"
#include "game/flow/game.h"
#include "game/flow/game_statics.h"
#include "host/core/clock.h"
#include "platform/lcdui/displayable.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/hashtable.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace mrc;
using Ints = std::vector<int32_t>;

struct PromoCalls {
    int showMessage = 0, park = 0, unpark = 0;
    Object* midlet = nullptr;
    Game* canvas = nullptr;
    int32_t width = 0, height = 0;
    Object* message = reinterpret_cast<Object*>(1);
};
PromoCalls g_promo;
constexpr int32_t kProbeState = 9;
std::vector<Game*> g_frames;
javax_microedition_lcdui_Graphics* g_frameGraphics = nullptr;

class GameCanvasTest : public test::FrameworkTest {
protected:
    void SetUp() override {
        registerGameStatics();
        registerFrameworkClasses();
        FrameworkTest::SetUp();
        registerGameClasses();  // the fixture emptied the hooks
        GameStatics::clinit();
        GameInput::inputHooks = GameInput::Hooks{};
        g_promo = PromoCalls{};
        g_frames.clear();
        Game::promoHooks.showMessage = [](javax_microedition_midlet_MIDlet* m, Game* c, int32_t w, int32_t h,
                                          Object* message) {
            g_promo = {g_promo.showMessage + 1, g_promo.park, g_promo.unpark, m, c, w, h, message};
        };
        Game::promoHooks.park = [] { ++g_promo.park; };
        Game::promoHooks.unpark = [] { ++g_promo.unpark; };
        // A state of no screen, whose update records the frame.
        GameOverlay::overlayStatics.gameState = kProbeState;
        Game::stateUpdates[kProbeState] = [](Game* game) {
            g_frames.push_back(game);
            g_frameGraphics = QXLib::canvasStatics.currentGraphics;
        };
    }
    void TearDown() override {
        Game::promoHooks = Game::PromoHooks{};
        Game::stateUpdates[kProbeState] = nullptr;
        FrameworkTest::TearDown();
    }

    // A MIDlet with these application properties ("key: value" lines).
    KetraKRVD* midletWith(const char* jad) {
        KetraKRVD* m = newObject<KetraKRVD>();
        m->properties = java_util_Hashtable::newInstance(11);
        m->loadJadProperties(string(jad));
        return m;
    }
    // A constructed game canvas, as KetraKRVD::startApp makes it.
    Game* newGame(const char* jad = "") {
        Object* created = NewInstanceFactory::newInstance(kClass_Game);
        EXPECT_TRUE(Object::instanceOf(created, kClass_QXLib));
        auto* game = static_cast<Game*>(created);
        gameHooks().initGame(game, midletWith(jad), newObject<javax_microedition_lcdui_Display>());
        return game;
    }
    static Ints digits() { return intsOf(GameStatics::flowStatics.propertyDigits, 3); }

    GameInput::Statics& in = GameInput::inputStatics;
};

TEST_F(GameCanvasTest, ConstructorReadsOneDigitEveryOtherCharacterOfTheProperty) {
    const struct {
        const char* jad;
        Ints digits;
    } cases[] = {
        {"MIDlet-Version: 1,2,3\n", {1, 2, 3}},
        {"MIDlet-Version: 1.0.1\n", {1, 0, 1}},
        {"MIDlet-Version: 4\n", {4, 0, 0}},
        {"MIDlet-Version: 7,8\n", {7, 8, 0}},
        {"MIDlet-Version: 1,2,3,4,5\n", {1, 2, 3}},
        {"", {32, 31, 21}},  // "PROPERTY VALUE EMPTY"
    };
    for (const auto& c : cases) {
        GameStatics::flowStatics.propertyDigits = om()->newIntArray(3);
        newGame(c.jad);
        EXPECT_EQ(digits(), c.digits) << c.jad;
    }
}

TEST_F(GameCanvasTest, ConstructorSetsUpTheCanvasPromotionAndSoundManager) {
    Game* game = newGame();
    EXPECT_EQ(GameStatics::flowStatics.instance, game);
    EXPECT_EQ(app()->current, game) << "the canvas is the current Displayable";
    EXPECT_EQ(QXLib::canvasStatics.runState.load(), QXLib::kStopped) << "the loop is not started yet";
    EXPECT_TRUE(QXLib::canvasStatics.inFrame.load()) << "no frame before the game thread begins";
    EXPECT_EQ(QXLib::canvasStatics.midlet, g_promo.midlet);
    EXPECT_EQ(g_promo.showMessage, 1);
    EXPECT_EQ(g_promo.canvas, game);
    EXPECT_EQ(g_promo.width, 800);
    EXPECT_EQ(g_promo.height, 480);
    EXPECT_EQ(g_promo.message, nullptr);
    auto* sound = GameStatics::flowStatics.sound;
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->m_classId, kClass_WM_JSound);
    EXPECT_NE(sound->sounds, nullptr) << "through its constructor";
}

TEST_F(GameCanvasTest, AlternativePaletteFlagIsTheTrimmedPropertyEqualToTrue) {
    const struct {
        const char* jad;
        bool flag;
    } cases[] = {{"Alt-Palette: true\n", true},
                 {"Alt-Palette:   true  \r\n", true},
                 {"Alt-Palette: TRUE\n", false},
                 {"Alt-Palette: yes\n", false},
                 {"", false}};
    for (const auto& c : cases) {
        GameOverlay::overlayStatics.altPaletteFlag = !c.flag;
        newGame(c.jad);
        EXPECT_EQ(GameOverlay::overlayStatics.altPaletteFlag, c.flag) << c.jad;
    }
}

TEST_F(GameCanvasTest, KeyEventsAreRecordedUnlessLockedAndNoteTheGamesKeyState) {
    Game* game = newGame();
    in.keyQueueEnabled = 1;
    game->keyPressed(-7);
    EXPECT_EQ(in.lastKeyCode, -7);
    EXPECT_EQ(in.currentKeyCode, -7);
    EXPECT_EQ(in.stickyKeys, 0x80000);
    EXPECT_EQ(QXLib::keyStatics.keysDown.load(), 1 << 19);
    game->keyReleased(-7);
    EXPECT_EQ(in.stickyKeys, 0);
    EXPECT_EQ(in.currentKeyCode, -1000);
    EXPECT_EQ(QXLib::keyStatics.keysDown.load(), 0);
    EXPECT_EQ(in.keyQueueCount, 1);
    EXPECT_EQ(in.keyQueue->elements()[0], 0x80000);

    game->keyReleased(-1000);  // the "no key" code is not an event
    EXPECT_EQ(in.keyQueueCount, 1);

    in.keyLockFrames = 2;
    QXLib::clearKeys();
    game->keyPressed('5');
    game->keyReleased('5');
    EXPECT_EQ(in.lastKeyCode, -7) << "ignored while locked";
    EXPECT_EQ(QXLib::keyStatics.keysPressedPending.load(), 0);
    EXPECT_EQ(QXLib::keyStatics.keysReleasedPending.load(), 0);
    EXPECT_EQ(in.keyQueueCount, 1);

    in.keyLockFrames = 0;
    in.keyQueueEnabled = 0;
    game->keyPressed('5');
    game->keyReleased('5');
    EXPECT_EQ(in.lastKeyCode, '5');
    EXPECT_EQ(QXLib::keyStatics.keysPressedPending.load(), 1 << 5);
    EXPECT_EQ(in.keyQueueCount, 1) << "nothing queued while the queue is off";
}

TEST_F(GameCanvasTest, PenEventsReachTheGamesPointerStateAndReleaseTheLastKey) {
    Game* game = newGame();
    game->keyPressed('5');
    QXLib::clearKeys();
    game->pointerPressed(10, 20);
    EXPECT_EQ(in.pointerDown, 1);
    EXPECT_EQ(in.pointerPressX, 10);
    EXPECT_EQ(in.pointerPressY, 20);
    game->pointerDragged(30, 40);
    EXPECT_EQ(in.pointerDragged, 1);
    EXPECT_EQ(in.pointerPressX, 30) << "a drag presses again";
    game->pointerReleased(50, 60);
    EXPECT_EQ(in.pointerDown, 0) << "outside gameplay";
    EXPECT_EQ(in.pointerReleased, 1);
    EXPECT_EQ(in.pointerReleaseX, 50);
    EXPECT_EQ(in.pointerReleaseY, 60);
    EXPECT_EQ(QXLib::keyStatics.keysReleasedPending.load(), 1 << 5) << "the key of the last press, released";
    EXPECT_EQ(in.lastKeyCode, -256);
}

TEST_F(GameCanvasTest, HideNotifyPausesTimersAndGameAndParksThePromotionScreenOnlyInItsState) {
    const struct {
        int32_t state;
        int parks;
    } cases[] = {{7, 0}, {19, 1}};
    for (const auto& c : cases) {
        host::ManualClock clock(50000);
        Game* game = newGame();
        GameOverlay::overlayStatics.gameState = c.state;
        g_promo.park = g_promo.unpark = 0;
        GameTimers::resetTimers();
        GameTimers::updateGameTime();
        int32_t timer = GameTimers::timerAlloc();
        ASSERT_GE(timer, 0);
        clock.advance(100);
        GameTimers::updateGameTime();
        GameStatics::flowStatics.pendingResume = 0;
        game->keyPressed('5');

        game->hideNotify();
        EXPECT_EQ(GameStatics::flowStatics.pendingResume, 1);
        EXPECT_TRUE(QXLib::canvasStatics.paused.load());
        EXPECT_TRUE(GameTimers::isTimerBelowMinusTwo(timer)) << "timers paused";
        EXPECT_EQ(g_promo.park, c.parks) << c.state;

        clock.advance(500);
        game->showNotify();
        EXPECT_FALSE(QXLib::canvasStatics.paused.load());
        EXPECT_EQ(game->frameStartTime.load(), 50600) << "the pacing clock restarts";
        EXPECT_EQ(QXLib::keyStatics.keysDown.load(), 0) << "keys cleared";
        EXPECT_EQ(g_promo.unpark, c.parks);
    }
}

TEST_F(GameCanvasTest, PaintRunsTheFrameHookOnceTheLoopHasBegun) {
    Game* game = newGame();
    auto* image = javax_microedition_lcdui_Image::createBlankImage(8, 8);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    game->paint(g);
    EXPECT_TRUE(g_frames.empty()) << "held back until the game thread begins";
    QXLib::canvasStatics.inFrame = false;
    game->paint(g);
    ASSERT_EQ(g_frames.size(), 1u);
    EXPECT_EQ(g_frames[0], game);
    EXPECT_EQ(g_frameGraphics, g);
    EXPECT_FALSE(QXLib::canvasStatics.inFrame.load());
    QXLib::canvasStatics.paused = true;
    game->paint(g);
    EXPECT_EQ(g_frames.size(), 1u) << "none while paused";
}

TEST_F(GameCanvasTest, AnExceptionOfTheFrameHookEndsTheLoopAndIsCaught) {
    Game* game = newGame();
    Game::stateUpdates[kProbeState] = [](Game*) { mrc::raise(kClass_java_lang_NullPointerException); };
    QXLib::canvasStatics.runState = QXLib::kRunning;
    QXLib::canvasStatics.inFrame = false;
    game->paint(javax_microedition_lcdui_Image::createBlankImage(8, 8)->getGraphics());
    EXPECT_EQ(app()->getPendingException(), nullptr);
    EXPECT_EQ(QXLib::canvasStatics.runState.load(), QXLib::kStopped);
    EXPECT_FALSE(QXLib::canvasStatics.inFrame.load());
}

TEST_F(GameCanvasTest, AStateWithoutScreenDrawsNothing) {
    Game::stateUpdates[kProbeState] = nullptr;
    Game* game = newGame();
    QXLib::canvasStatics.inFrame = false;
    auto* image = javax_microedition_lcdui_Image::createBlankImage(8, 8);
    std::vector<uint16_t> before = pixelsOf(image);
    game->paint(image->getGraphics());
    EXPECT_EQ(pixelsOf(image), before);
}

}  // namespace
