// The shell's window procedure, pump and main-loop checks with the stand-in MIDlet: keys, pen,
// focus, orientation, power, volume, painting and presenting.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/audio/wave_out.h"
#include "host/window/keys.h"
#include "platform/graphics/font_engine.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "tests/platform/app/shell_fixture.h"

namespace mrc::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsSupersetOf;
using Lines = std::vector<std::string>;

TEST(ShellKeys, VirtualKeysMapToMidpCodes) {
    namespace vk = host::vk;
    const struct {
        uint32_t key;
        int32_t code;
    } cases[] = {
        {vk::Return, -5}, {vk::Left, -3}, {vk::Up, -1},  {vk::Right, -4},         {vk::Down, -2},
        {vk::F1, -6},     {vk::F2, -7},   {vk::F8, '*'}, {vk::F9, '#'},           {vk::numpad(0), '0'},
        {vk::numpad(7), 55}, {vk::numpad(9), '9'}, {vk::letter('A'), 65}, {vk::digit(7), '7'},
        {vk::Space, 32},  {vk::Escape, 27}, {vk::F3, 114}, {vk::F6, 117},
    };
    for (const auto& c : cases) EXPECT_EQ(mrc_mapVirtualKey(c.key), c.code) << host::vk::name(c.key);
}

TEST(ShellKeys, SystemAndVolumeKeyGroups) {
    namespace vk = host::vk;
    for (uint32_t k : {vk::LeftWindows, vk::RightWindows, vk::F3, vk::F4, vk::Escape, vk::Home})
        EXPECT_TRUE(mrc_isSystemKey(mrc_mapVirtualKey(k))) << k;
    for (uint32_t k : {vk::Return, vk::F1, vk::F6, vk::letter('A'), vk::numpad(3)})
        EXPECT_FALSE(mrc_isSystemKey(mrc_mapVirtualKey(k))) << k;
    EXPECT_TRUE(mrc_isVolumeKey(117));
    EXPECT_TRUE(mrc_isVolumeKey(118));
    EXPECT_FALSE(mrc_isVolumeKey(-5));
}

TEST_F(ShellTest, KeysReachTheCanvasAsMidpCodes) {
    namespace vk = host::vk;
    for (uint32_t k : {vk::Return, vk::F1, vk::numpad(7), vk::letter('A')}) tapKey(k);
    pump();
    Lines keys;
    for (const std::string& l : standIn())
        if (l.rfind("key", 0) == 0) keys.push_back(l.substr(0, l.find(')') + 1));
    EXPECT_THAT(keys, ElementsAre("keyPressed(-5)", "keyReleased(-5)", "keyPressed(-6)", "keyReleased(-6)",
                                  "keyPressed(55)", "keyReleased(55)", "keyPressed(65)", "keyReleased(65)"));
}

TEST_F(ShellTest, SystemKeysNeverReachTheCanvasAndTheirReleaseMinimises) {
    namespace vk = host::vk;
    for (uint32_t k : {vk::Escape, vk::Home, vk::F3, vk::F4, vk::LeftWindows, vk::RightWindows}) {
        log.clear();
        post(host::keyMessage(k, true));
        pump();
        EXPECT_FALSE(window().isMinimized()) << vk::name(k);
        post(host::keyMessage(k, false));
        pump();
        EXPECT_TRUE(window().isMinimized()) << vk::name(k);
        for (const std::string& l : standIn()) EXPECT_EQ(l.find("key"), std::string::npos) << vk::name(k) << ": " << l;
        window().injectFocus(true);
        pump();
    }
}

TEST_F(ShellTest, VolumeKeyDownsAreDroppedAndReleasesStepTheDeviceVolume) {
    ASSERT_EQ(host::waveOutSetVolume(host::kWaveOutDevice0, 0x8000FFFF), host::WaveResult::Ok);
    post(host::keyMessage(host::vk::F7, true));
    post(host::keyMessage(host::vk::F7, false));
    pump();
    uint32_t volume = 0;
    host::waveOutGetVolume(host::kWaveOutDevice0, &volume);
    EXPECT_EQ(volume, ((0x8000u - 6553) << 16) | (0xFFFFu - 6553));
    EXPECT_EQ(impl()->volume, volume);
    post(host::keyMessage(host::vk::F6, false));
    pump();
    host::waveOutGetVolume(host::kWaveOutDevice0, &volume);
    EXPECT_EQ(volume, 0x8000FFFFu);
    for (const std::string& l : standIn()) EXPECT_EQ(l.find("key"), std::string::npos) << l;
}

TEST_F(ShellTest, VolumeStepsStopAtTheEnds) {
    const struct {
        uint32_t from;
        bool up;
        uint32_t to;
    } cases[] = {
        {0xFFFFFFFF, true, 0xFFFFFFFF},  // stays at the top
        {60000 | (60000u << 16), true, 0xFFFFFFFF},
        {58981, true, 0x1999FFFF},
        {58980, true, 0x1999FFFD},
        {0, true, 6553 | (6553u << 16)},
        {6553 | (6553u << 16), false, 0},
        {6554, false, 1},
        {0, false, 0},
        {0x0000FFFF, false, 0xFFFF - 6553},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(host::waveOutSetVolume(host::kWaveOutDevice0, c.from), host::WaveResult::Ok);
        c.up ? impl()->volumeUp() : impl()->volumeDown();
        uint32_t volume = 0;
        host::waveOutGetVolume(host::kWaveOutDevice0, &volume);
        EXPECT_EQ(volume, c.to) << std::hex << c.from << (c.up ? " up" : " down");
        EXPECT_EQ(impl()->volume, c.to);
    }
}

TEST_F(ShellTest, FocusLossPausesHidesMinimisesAndSwallowsTheNextPenUp) {
    window().injectFocus(false);
    post(host::penMessage(host::PenAction::Move, 10, 10));
    post(host::penMessage(host::PenAction::Up, 11, 11));
    post(host::penMessage(host::PenAction::Down, 20, 20));
    post(host::penMessage(host::PenAction::Up, 21, 21));
    pump();
    EXPECT_THAT(standIn(), ElementsAre("pauseApp", "hideNotify", "pointerPressed(20,20)", "pointerReleased(21,21)"));
    EXPECT_TRUE(window().isMinimized());
    EXPECT_EQ(impl()->windowActive.load(), 0);
    EXPECT_EQ(host::displayOrientation(), host::orientation::Default);  // the user's again

    uint64_t presents = window().presentCount();
    impl()->flushScreen();
    EXPECT_EQ(window().presentCount(), presents) << "no frame while inactive";

    log.clear();
    window().injectFocus(true);
    pump();
    EXPECT_THAT(standIn(), ElementsAre("startApp", "resume repainted", "showNotify"));
    EXPECT_EQ(standInPaints(), 1u) << "the resume repaints";
    EXPECT_EQ(window().presentCount(), presents + 1);
    EXPECT_EQ(host::displayOrientation(), kWantedOrientation);
}

TEST_F(ShellTest, PenMovesAreDroppedUntilTheSwallowedPenUp) {
    window().injectFocus(false);
    window().injectFocus(true);
    post(host::penMessage(host::PenAction::Move, 1, 2));
    post(host::penMessage(host::PenAction::Up, 3, 4));
    post(host::penMessage(host::PenAction::Move, 5, 6));
    pump();
    Lines pen;
    for (const std::string& l : standIn())
        if (l.rfind("pointer", 0) == 0) pen.push_back(l);
    EXPECT_THAT(pen, ElementsAre("pointerDragged(5,6)"));
}

TEST_F(ShellTest, OrientationChangePausesAndHoldsFramesUntilRestored) {
    host::setDisplayOrientation(host::orientation::Default);
    mrc_restoreDisplayMode();
    EXPECT_THAT(standIn(), ElementsAre("pauseApp", "hideNotify"));
    EXPECT_EQ(app()->paused.load(), 1);
    EXPECT_EQ(impl()->orientationChange.load(), 1);
    EXPECT_EQ(host::displayOrientation(), kWantedOrientation);

    uint64_t presents = window().presentCount();
    impl()->flushScreen();
    EXPECT_EQ(window().presentCount(), presents);
    EXPECT_EQ(standInPaints(), 0u);

    log.clear();
    impl()->orientationChange.store(0);  // the next main-loop iteration
    mrc_restoreDisplayMode();
    EXPECT_THAT(standIn(), ElementsAre("startApp", "resume repainted", "showNotify"));
    EXPECT_EQ(app()->paused.load(), 0);
    EXPECT_EQ(window().presentCount(), presents + 1) << "the resume repaints";
    impl()->flushScreen();
    EXPECT_EQ(window().presentCount(), presents + 2);
}

TEST_F(ShellTest, SettingChangeTurnsTheDisplayBackWhileActive) {
    host::setDisplayOrientation(host::orientation::Rotated180);
    pump();
    EXPECT_EQ(host::displayOrientation(), kWantedOrientation);
    window().injectFocus(false);
    pump();
    host::setDisplayOrientation(host::orientation::Rotated270);
    pump();
    EXPECT_EQ(host::displayOrientation(), host::orientation::Rotated270) << "not while inactive";
}

TEST_F(ShellTest, UnattendedPowerHidesOnceAndShowsOnce) {
    host::setPowerState(host::PowerState::Unattended);
    checkPowerState();
    checkPowerState();
    host::setPowerState(host::PowerState::Unavailable);
    checkPowerState();
    host::setPowerState(host::PowerState::Attended);
    checkPowerState();
    checkPowerState();
    EXPECT_THAT(standIn(), ElementsAre("hideNotify", "showNotify"));
    EXPECT_EQ(app()->paused.load(), 0) << "the MIDlet is not paused";
}

TEST_F(ShellTest, PaintStartsFromAFreshGraphicsAndPresents) {
    registerStandInMidlet({.logPaints = true});
    uint64_t presents = window().presentCount();
    impl()->flushScreen();
    impl()->flushScreen();
    EXPECT_EQ(window().presentCount(), presents + 2);
    EXPECT_THAT(standIn(), ElementsAre("paint 1 clip 0,0,800,480 translate 0,0 colour FFFFFF",
                                       "paint 2 clip 0,0,800,480 translate 0,0 colour FFFFFF"));
    auto frame = headless().frames().last();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->pixels[0], gfx::argbToRgb565(kStandInBackground));
    EXPECT_EQ(frame->pixels[150 * 800 + 150], 0xFFFF);
}

TEST_F(ShellTest, PaintWithoutCurrentDisplayableOnlyResetsTheClip) {
    app()->setCurrentDisplayable(nullptr);
    auto* g = static_cast<javax_microedition_lcdui_Graphics*>(app()->screenGraphics);
    g->setClip(10, 10, 5, 5);
    uint64_t presents = window().presentCount();
    impl()->flushScreen();
    EXPECT_EQ(window().presentCount(), presents + 1);
    EXPECT_EQ(standInPaints(), 0u);
    EXPECT_EQ(g->getClipX(), 0);
    EXPECT_EQ(g->getClipWidth(), 800);
    EXPECT_EQ(g->getClipHeight(), 480);
}

TEST_F(ShellTest, FrameLimitPresentsThatManyAndAsksToClose) {
    setFrameLimit(3);
    for (int i = 0; i < 5; ++i) impl()->flushScreen();
    EXPECT_EQ(framesPresented(), 3u);
    EXPECT_EQ(standInPaints(), 3u);
    EXPECT_TRUE(shellState().closeRequested.load());
    shellState().closeRequested.store(false);
}

TEST_F(ShellTest, PlatformRequestOpensTheUrlWholeAndMinimises) {
    std::string url = "http://example.com/" + std::string(300, 'a');
    EXPECT_FALSE(impl()->platformRequest(url.c_str()));
    EXPECT_THAT(host::urlRequests(), ElementsAre(url));
    pump();
    EXPECT_TRUE(window().isMinimized());
    EXPECT_THAT(standIn(), ElementsAre("pauseApp", "hideNotify"));
}

TEST_F(ShellTest, StartUpAndCloseLogTheirSteps) {
    const Lines& lines = startup;
    Lines wanted = {"new MemoryManagers", "new ObjectManager", "new StaticClass", "Application::init",
                    "m_screenGraphics",   "Application::startApp", "StandIn startApp"};
    auto at = lines.begin();
    for (const std::string& w : wanted) {
        at = std::find(at, lines.end(), w);
        ASSERT_NE(at, lines.end()) << "missing or out of order: " << w;
    }
    log.clear();
    mrc_exitSequence();
    mrc_exitSequence();
    EXPECT_THAT(log.lines(), IsSupersetOf({"Application::close", "Application::destoryMIDlet",
                                                      "StandIn destroyApp(true)"}));
    EXPECT_EQ(count("Application::close"), 1u);
    EXPECT_EQ(impl()->application, nullptr);
    EXPECT_EQ(impl()->display, nullptr);
    EXPECT_EQ(host::displayOrientation(), host::orientation::Default);
}

TEST_F(ShellTest, AnExceptionLeftByAUiCallbackIsTracedAndDropped) {
    tapKey(host::vk::digit(9));
    pump();
    EXPECT_TRUE(log.contains("Displayable::keyPressed left java_lang_IllegalStateException pending"));
    EXPECT_EQ(app()->getPendingException(), nullptr);
    EXPECT_THAT(standIn(), Contains("keyReleased(57) volume 0xFFFFFFFF"));
}

TEST_F(ShellTest, StartUpMessageIsRedOnBlackBelowTheMiddle) {
    if (!gfx::FontEngine::system()) GTEST_SKIP() << "no system font";
    setLocalizedMessages(7);
    mrc_drawCenteredMessage();
    auto frame = headless().frames().last();
    ASSERT_TRUE(frame);
    int red = 0, other = 0, firstRow = 480;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 800; ++x) {
            uint16_t p = frame->pixels[std::size_t(y) * 800 + x];
            if (p == 0xF800) {
                ++red;
                firstRow = std::min(firstRow, y);
            } else if (p != 0) {
                ++other;
            }
        }
    EXPECT_GT(red, 50);
    EXPECT_EQ(other, 0);
    EXPECT_GE(firstRow, 240);
    setLocalizedMessages(9);
}

class ShellWithoutMidletTest : public ShellTest {
protected:
    bool withMidlet() const override { return false; }
};

TEST_F(ShellWithoutMidletTest, RunsWithoutAMidletAndSaysSo) {
    EXPECT_THAT(startup, Contains("Application::startApp(): no MIDlet class KetraKRVD is built in"));
    tapKey(host::vk::Return);
    window().injectFocus(false);
    window().injectFocus(true);
    pump();
    uint64_t presents = window().presentCount();
    impl()->flushScreen();
    EXPECT_EQ(window().presentCount(), presents + 1);
    log.clear();
    mrc_exitSequence();
    EXPECT_TRUE(log.contains("m_midlet is already NULL."));
}

}  // namespace
}  // namespace mrc::test
