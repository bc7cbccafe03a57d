// veltrano with its own MIDlet and game canvas end to end: the game thread's frames, the canvas's
// pause and resume, and the end of the loop by an exception. The game's frame is a stand-in that
// logs and draws a frame counter (tests/support/game_stand_in_main.cpp).
#include <fstream>

#include "tests/e2e/veltrano_run.h"

namespace {

using namespace e2e;

constexpr const char* kFrameLine = "GameStandIn frame ";

class VeltranoGame : public VeltranoRun {
protected:
    RunResult game(const std::string& script, std::vector<std::string> more = {"--headless"},
                   const EnvChanges& extra = {}) {
        EnvChanges changes = env();
        for (const auto& [name, value] : extra) changes[name] = value;
        return run(VELTRANO_GAME_STAND_IN, args(script, std::move(more)), changes);
    }

    // The frames logged, as "N on the game thread" / "N on the UI thread", with the stand-in's
    // other lines ("parked", "unparked") between them.
    static Lines events(const RunResult& r) {
        Lines out;
        for (const std::string& l : r.lines) {
            if (l.rfind(kFrameLine, 0) == 0) out.push_back(l.substr(std::string(kFrameLine).size()));
            else if (l == "GameStandIn parked" || l == "GameStandIn unparked") out.push_back(l.substr(12));
        }
        return out;
    }
    int m_hashFiles = 0;

    static std::size_t indexOf(const Lines& lines, const std::string& line) {
        return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
    }
};

TEST_F(VeltranoGame, VeltranoEndsOnItsOwnAfterTheFramesAsked) {
    RunResult r = run(VELTRANO_EXECUTABLE, args("", {"--headless", "--frames", "25"}), env());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.count("ApplicationImpl::flushScreen(): 25 frames presented, closing"), 1u) << r.output;
    EXPECT_EQ(r.count("Application::close"), 1u);
}

TEST_F(VeltranoGame, FramesRunOnTheGameThreadOneForEachPresent) {
    std::filesystem::path shot = m_dir / "frames.png";
    RunResult r = game("", {"--headless", "--frames", "30", "--screenshot", shot.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Lines frames = events(r);
    ASSERT_EQ(frames.size(), 30u) << r.output;
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i], std::to_string(i + 1) + " on the game thread");
    EXPECT_TRUE(r.inOrder({"Application::startApp", "GameStandIn promotion screen 800x480", "GameStandIn frame 1 ",
                           "30 frames presented, closing", "Application::close"}))
        << r.output;

    Screenshot picture(shot);
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 480);
    EXPECT_EQ(picture.at(29, 5), 0xFFFFFFu) << "the counter of the 30th frame";
    EXPECT_EQ(picture.at(30, 5), 0x2141C6u) << std::hex << picture.at(30, 5);  // 0x2040C0 through RGB565
    EXPECT_EQ(picture.at(400, 240), 0x2141C6u);
}

// An unattended device hides the canvas alone (the window stays active, the MIDlet is not
// paused); a lost focus pauses the MIDlet and hides the canvas. Either way frames stop until the
// resume, which repaints at once on the UI thread, and the game thread then goes on. Run with a
// fixed step, so that the frames and the script meet alike in every run; the clock moves on to the
// resume while no frame comes.
TEST_F(VeltranoGame, PauseHoldsFramesAndResumeRepaintsAtOnce) {
    const struct {
        const char* script;
        bool resumeBeforeUnpark;  // startApp repaints before showNotify
    } cases[] = {
        {"5 power unattended\n1500ms power attended\n20 close\n", false},
        {"5 focus lost\n1500ms focus gained\n20 close\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        RunResult r = game(c.script, {"--headless", "--fixed-step", "10"});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        Lines e = events(r);
        std::size_t parked = indexOf(e, "parked"), unparked = indexOf(e, "unparked");
        ASSERT_LT(parked, unparked) << r.output;
        ASSERT_LT(unparked, e.size());
        std::size_t uiFrame = e.size();
        int gameFramesWhilePaused = 0;
        for (std::size_t i = parked + 1; i < e.size(); ++i) {
            if (e[i].find("on the UI thread") != std::string::npos) {
                uiFrame = i;
                break;
            }
            if (e[i].find("on the game thread") != std::string::npos) ++gameFramesWhilePaused;
        }
        ASSERT_LT(uiFrame, e.size()) << "the resume repaints on the UI thread\n" << r.output;
        EXPECT_EQ(gameFramesWhilePaused, 0) << r.output;
        EXPECT_EQ(uiFrame < unparked, c.resumeBeforeUnpark) << r.output;
        EXPECT_EQ(r.count("on the UI thread"), 1u);
        bool gameGoesOn = false;
        for (std::size_t i = std::max(uiFrame, unparked) + 1; i < e.size(); ++i)
            gameGoesOn |= e[i].find("on the game thread") != std::string::npos;
        EXPECT_TRUE(gameGoesOn) << r.output;
    }
}

// Fixed-step runs repeat exactly: the same input meets the same frame and the clock moves by the
// step per presented frame, so two runs hash every frame alike; another step gives other frames.
TEST_F(VeltranoGame, FixedStepRunsRepeatFrameForFrame) {
    const std::string script = "3 key down RETURN\n200ms key up RETURN\n";
    auto hashesOf = [&](const std::string& step) {
        std::filesystem::path file = m_dir / ("hashes-" + std::to_string(++m_hashFiles) + ".txt");
        RunResult r = game(script, {"--headless", "--fixed-step=" + step, "--frames", "20", "--frame-hashes",
                                    file.string(), "--trace-states"});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        Lines lines;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    Lines first = hashesOf("40");
    // The start-up message, then the game's 20 frames.
    ASSERT_EQ(first.size(), 21u);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_THAT(first[i], ::testing::MatchesRegex(std::to_string(i + 1) + " [0-9a-f]{16}"));
        if (i > 0) {
            EXPECT_NE(first[i].substr(first[i].find(' ')), first[i - 1].substr(first[i - 1].find(' ')));
        }
    }
    EXPECT_EQ(hashesOf("40"), first);
    EXPECT_NE(hashesOf("41"), first);

    // The key goes down after the third present (the start-up message and two frames) and up at
    // 200 ms, the fifth present: the game's fourth frame shows it held.
    std::filesystem::path shot = m_dir / "held.png";
    RunResult r = game(script, {"--headless", "--fixed-step", "40", "--frames", "4", "--screenshot", shot.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Screenshot(shot).at(400, 240), 0xFF0000u);
}

// Without a close in the script: the loop's end stops the application, which exits normally.
TEST_F(VeltranoGame, AThrowableOfAFrameEndsTheLoopAndTheProgramExits) {
    const struct {
        const char* kind;
        const char* line;
    } cases[] = {
        {"exception", "QXLib.paint: stand-in failure in frame 7"},
        {"error", "QXLib.run: stand-in failure in frame 7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        RunResult r = game("", {"--headless"}, {{"VELTRANO_STAND_IN_THROW_AT", "7"}, {"VELTRANO_STAND_IN_THROW", c.kind}});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        Lines frames = events(r);
        ASSERT_FALSE(frames.empty()) << r.output;
        EXPECT_EQ(frames.back(), "7 on the game thread") << "no frame after it\n" << r.output;
        EXPECT_EQ(r.count(c.line), 1u) << r.output;
        EXPECT_TRUE(r.inOrder({"GameStandIn frame 7 ", c.line, "Application::close", "Application::destoryMIDlet"}))
            << r.output;
        EXPECT_EQ(r.count("left"), 0u) << "nothing stays pending\n" << r.output;
    }
}

}  // namespace
