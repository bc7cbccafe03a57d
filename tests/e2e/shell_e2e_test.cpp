// The executable end to end: start-up, scripted input through the shell to the stand-in MIDlet,
// pause and resume, frames and screenshots, single instance, and the exit sequence. Each run is a
// child process with its own data, save and runtime folders.
#include "tests/e2e/veltrano_run.h"

namespace {

using namespace e2e;

// The stand-in's picture: its background, and its white box at (100, 100, 200, 100).
void expectStandInPicture(const std::filesystem::path& path) {
    Screenshot shot(path);
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 480);
    EXPECT_EQ(shot.at(10, 10), 0x2141C6u) << std::hex << shot.at(10, 10);  // 0x2040C0 through RGB565
    EXPECT_EQ(shot.at(150, 150), 0xFFFFFFu);
    EXPECT_EQ(shot.at(799, 479), shot.at(10, 10));
}

TEST_F(VeltranoRun, StartsUpInOrderAndClosesOnce) {
    RunResult r = standIn("5 close\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"InitInstance: SHFullscreen returned 1.",
                           "ApplicationImpl::openDisplay(GDI): Using GDI display type.", "new MemoryManagers",
                           "new ObjectManager", "new StaticClass", "Application::init", "m_screenGraphics",
                           "Application::startApp", "StandIn startApp", "StandIn property MIDlet-Name=Stand In",
                           "StandIn run", "Application::close", "Application::destoryMIDlet",
                           "StandIn destroyApp(true)"}))
        << r.output;
    EXPECT_EQ(r.count("Application::close"), 1u);
    EXPECT_EQ(r.count("StandIn destroyApp"), 1u);
    EXPECT_EQ(r.count("StandIn run ends"), 0u) << "the game thread stays stopped once the runtime is closed";
    EXPECT_EQ(r.count("StandIn overlapping paints"), 0u);
}

TEST_F(VeltranoRun, KeysReachTheCanvasAsMidpCodesAndVolumeKeysStepTheDevice) {
    RunResult r = standIn(
        "3 key tap RETURN\n"
        "3 key tap F1\n"
        "3 key tap NUMPAD7\n"
        "3 key tap A\n"
        "3 key tap F7\n"
        "3 key tap RETURN\n"
        "3 key tap F6\n"
        "3 key tap RETURN\n"
        "3 key tap ESCAPE\n"
        "3 key tap LWIN\n"
        "3 close\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_THAT(r.standIn("key"),
                ElementsAre("keyPressed(-5)", "keyReleased(-5) volume 0xFFFFFFFF", "keyPressed(-6)",
                            "keyReleased(-6) volume 0xFFFFFFFF", "keyPressed(55)", "keyReleased(55) volume 0xFFFFFFFF",
                            "keyPressed(65)", "keyReleased(65) volume 0xFFFFFFFF", "keyPressed(-5)",
                            "keyReleased(-5) volume 0xE666E666", "keyPressed(-5)",
                            "keyReleased(-5) volume 0xFFFFFFFF"))
        << r.output;
    // Escape's release minimised the window: the game was paused.
    EXPECT_THAT(r.standIn(), Contains("pauseApp"));
}

TEST_F(VeltranoRun, FocusLossPausesAndSwallowsAPenUpAndFocusGainResumesAndRepaints) {
    RunResult r = standIn(
        "3 pen down 100 100\n"
        "3 pen up 100 100\n"
        "3 focus lost\n"
        "3 pen move 10 10\n"
        "3 pen up 11 11\n"
        "3 pen down 20 20\n"
        "3 focus gained\n"
        "3 pen up 21 21\n"
        "10 close\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Lines events;
    for (const std::string& l : r.standIn())
        if (l.rfind("run", 0) != 0 && l.rfind("startApp", 0) != 0 && l.rfind("property", 0) != 0) events.push_back(l);
    EXPECT_THAT(events, ElementsAre("pointerPressed(100,100)", "pointerReleased(100,100)", "pauseApp", "hideNotify",
                                    "pointerPressed(20,20)", "resume repainted", "showNotify",
                                    "pointerReleased(21,21)", "destroyApp(true)"))
        << r.output;
    EXPECT_EQ(r.count("StandIn startApp"), 2u);
    EXPECT_EQ(r.count("StandIn overlapping paints"), 0u);
}

TEST_F(VeltranoRun, UnattendedPowerHidesOnceAndShowsOnce) {
    RunResult r = standIn(
        "3 power unattended\n"
        "60 power attended\n"
        "70 close\n");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("StandIn hideNotify"), 1u) << r.output;
    EXPECT_EQ(r.count("StandIn showNotify"), 1u);
    EXPECT_TRUE(r.inOrder({"StandIn hideNotify", "StandIn showNotify"}));
    EXPECT_EQ(r.count("StandIn pauseApp"), 0u) << "the MIDlet itself is not paused";
}

TEST_F(VeltranoRun, FrameLimitEndsTheRunWithAScreenshot) {
    std::filesystem::path shot = m_dir / "shot.png";
    RunResult r = standIn("", {"--headless", "--frames", "20", "--screenshot", shot.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("ApplicationImpl::flushScreen(): 20 frames presented, closing"), 1u);
    EXPECT_EQ(r.count("Application::close"), 1u);
    expectStandInPicture(shot);
}

TEST_F(VeltranoRun, TermSignalClosesThroughTheExitSequence) {
    e2e::ChildProcess child(VELTRANO_STAND_IN, args("", {"--headless"}), env(), output());
    ASSERT_TRUE(child.waitForLine("StandIn run", kRunTimeout)) << child.output();
    child.signal(SIGTERM);
    EXPECT_EQ(child.wait(kRunTimeout), 0) << child.output();
    std::string out = child.output();
    EXPECT_THAT(out, HasSubstr("StandIn destroyApp(true)"));
}

// Headless runs (test jobs side by side) neither take the single-instance lock nor honour it.
TEST_F(VeltranoRun, TwoHeadlessRunsGoSideBySideAndTakeNoLock) {
    e2e::ChildProcess first(VELTRANO_STAND_IN, args("3 focus lost\n", {"--headless"}), env(), output());
    ASSERT_TRUE(first.waitForLine("StandIn hideNotify", kRunTimeout)) << first.output();

    RunResult second = standIn("3 close\n");
    EXPECT_EQ(second.exitCode, 0) << second.output;
    EXPECT_TRUE(second.inOrder({"StandIn startApp", "StandIn run", "StandIn destroyApp(true)"})) << second.output;
    EXPECT_THAT(second.output, Not(HasSubstr("another instance"))) << second.output;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "runtime" / "veltrano.lock"));

    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(kRunTimeout), 0) << first.output();
    EXPECT_THAT(first.output(), HasSubstr("StandIn destroyApp(true)"));
}

TEST_F(VeltranoRun, VeltranoWithoutADisplayRunsItsGameHeadless) {
    RunResult r = run(VELTRANO_EXECUTABLE, args("0 close\n"), env());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"veltrano: no display to open a window on; running headless", "Application::init",
                           "Application::startApp", "Application::close", "Application::destoryMIDlet"}))
        << r.output;
    EXPECT_EQ(r.count("no MIDlet class"), 0u) << "KetraKRVD is built in";
    EXPECT_EQ(r.count("no game class"), 0u) << "and so is its Game";
    EXPECT_EQ(r.count("m_midlet is already NULL."), 0u);
}

TEST_F(VeltranoRun, CommandLineErrorsAndHelp) {
    RunResult help = run(VELTRANO_EXECUTABLE, {"--help"}, env());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.output, HasSubstr("--frames N"));
    RunResult bad = run(VELTRANO_EXECUTABLE, {"--frames", "none"}, env());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_THAT(bad.output, HasSubstr("--frames takes a positive number"));
}

// On a real X server (see tests.cmake): the window back end opens a window and presents frames.
class VeltranoWindow : public VeltranoRun {
protected:
    // The environment of window runs: the X server's display kept.
    e2e::EnvChanges windowEnv() const {
        e2e::EnvChanges changes = env();
        changes.erase("DISPLAY");
        return changes;
    }
};

TEST_F(VeltranoWindow, PresentsFramesInARealWindow) {
    const char* video = std::getenv("VELTRANO_TEST_VIDEO");
    if (!video || !std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run by VeltranoWindow.OnXvfb)";
    std::filesystem::path shot = m_dir / "window.png";
    RunResult r = run(VELTRANO_STAND_IN, args("", {"--frames", "30", "--screenshot", shot.string()}), windowEnv());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_THAT(r.output, HasSubstr(std::string("InitInstance: window on the ") + video + " video driver"));
    EXPECT_EQ(r.count("ApplicationImpl::flushScreen(): 30 frames presented, closing"), 1u);
    expectStandInPicture(shot);
}

}  // namespace

namespace {

// One window run at a time: a second one says so on standard error with the lock's folder, asks the
// first to come to the front, and exits with its own code without starting the runtime.
TEST_F(VeltranoWindow, ASecondWindowRunSaysSoAndExits) {
    if (!std::getenv("VELTRANO_TEST_VIDEO") || !std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X server (run by VeltranoWindow.OnXvfb)";
    e2e::ChildProcess first(VELTRANO_STAND_IN, args("", {}), windowEnv(), output());
    ASSERT_TRUE(first.waitForLine("StandIn run", kRunTimeout)) << first.output();

    e2e::ChildProcess second(VELTRANO_STAND_IN, args("", {}), windowEnv(), output(), output());
    EXPECT_EQ(second.wait(kRunTimeout), 4) << second.output() << second.errors();
    EXPECT_THAT(second.errors(), ::testing::EndsWith("\nveltrano: another instance is running (its lock is in " +
                                                    (m_dir / "runtime").string() +
                                                    "); it was asked to come to the front\n"));
    EXPECT_THAT(second.output(), Not(HasSubstr("Application::startApp")));

    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(kRunTimeout), 0) << first.output();
}

}  // namespace
