// veltrano on the sample data end to end: the emblem on white, the start-up notice with the
// loading gauge, the states they pass through, and pointer events during the start-up.
#include <fstream>

#include "tests/e2e/veltrano_run.h"
#include "tools/sample_data/sample_data.h"

namespace {

using namespace e2e;

class VeltranoStart : public VeltranoRun {
protected:
    void SetUp() override {
        VeltranoRun::SetUp();
        ASSERT_TRUE(sample_data::buildArchive().save(m_dir / "data" / formats::kArchiveFileName));
    }
    RunResult game(const std::string& script, std::vector<std::string> more) {
        more.insert(more.begin(), {"--headless", "--fixed-step", "33"});
        return run(VELTRANO_EXECUTABLE, args(script, std::move(more)), env());
    }
    std::filesystem::path shot(const char* name) { return m_dir / name; }
    static bool near(uint32_t a, uint32_t b) {  // within the screen's 16-bit colours
        for (int s : {16, 8, 0})
            if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > 8) return false;
        return true;
    }
};

TEST_F(VeltranoStart, TheFirstFramesShowTheEmblemOnWhite) {
    RunResult r = game("", {"--frames", "3", "--screenshot", shot("emblem.png").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Screenshot s(shot("emblem.png"));
    ASSERT_EQ(s.width, 800);
    EXPECT_TRUE(near(s.at(400, 240), 0x7DD3FCu)) << std::hex << s.at(400, 240) << " the emblem's centre";
    for (auto [x, y] : {std::pair{0, 0}, {799, 479}, {200, 240}, {600, 100}}) EXPECT_EQ(s.at(x, y), 0xFFFFFFu) << x;
    EXPECT_TRUE(near(s.at(347, 236), 0x1E3A8Au)) << std::hex << s.at(347, 236) << " the ring has begun";
}

// The last loading frame, just before the title takes the screen.
TEST_F(VeltranoStart, StartUpEndsOnTheLoadingPictureWithItsNoticeAndGauge) {
    RunResult r = game("37 close\n", {"--trace-states", "--screenshot", shot("loading.png").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"state 0.0 -> 1.1 at frame 1", "state 1.1 -> 1.2", "state 1.2 -> 1.3", "state 1.3 -> 1.4",
                           "state 1.5 -> 2.0"}))
        << r.output;
    Screenshot s(shot("loading.png"));
    ASSERT_EQ(s.width, 800);
    EXPECT_TRUE(near(s.at(400, 25), 0xE0A526u)) << std::hex << s.at(400, 25) << " the gold band of frame 18";
    // The notice: ink in its first lines, black around it.
    int ink = 0;
    for (int y = 50; y < 80; ++y)
        for (int x = 0; x < 700; ++x) ink += near(s.at(x, y), 0xF0F0F0u);
    EXPECT_GT(ink, 100);
    EXPECT_EQ(s.at(750, 300), 0u);
    // The gauge along the bottom: its housing and some of its fill.
    EXPECT_TRUE(near(s.at(790, 470), 0x20242Cu)) << std::hex << s.at(790, 470);
    int fill = 0;
    for (int y = 464; y < 480; ++y) fill += near(s.at(5, y), 0xF59E0Bu) || near(s.at(5, y), 0xFFD27Au);
    EXPECT_GE(fill, 4) << "the gauge's fill at its left end";
}

TEST_F(VeltranoStart, FixedStepStartUpsRepeatFrameForFrame) {
    auto hashes = [&](const char* name) {
        RunResult r = game("", {"--frames", "50", "--frame-hashes", shot(name).string()});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        std::ifstream in(shot(name));
        Lines lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    Lines first = hashes("a.txt");
    EXPECT_EQ(first.size(), 51u);
    EXPECT_EQ(hashes("b.txt"), first);
}

// The pen during start-up and loading: the UI thread's events against the game thread's frames
// (also under the thread sanitizer). Taps on the loading screen count as fire; the run goes on.
TEST_F(VeltranoStart, PenEventsDuringStartUpAreTakenByTheFrames) {
    std::string script;
    for (int t = 100; t < 4000; t += 70)
        script += std::to_string(t) + "ms pen down 400 240\n" + std::to_string(t + 20) + "ms pen move 410 250\n" +
                  std::to_string(t + 40) + "ms pen up 760 450\n";
    script += "4200ms close\n";
    RunResult r = game(script, {"--trace-states"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"state 1.5 -> 2.0", "state 2.0 -> 3.1"})) << r.output;
}

// The first loading list (interface sprites, level tile sprites and their mappings, the layouts,
// texts, fonts and instances) runs to its end on the sample data: no resource, entry or set is
// missing and no layout element misfits.
TEST_F(VeltranoStart, TheFirstLoadingListFindsEveryResourceAndLayout) {
    RunResult r = game("3000ms close\n", {"--trace-states"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"state 2.0 -> 3.1"})) << r.output;
    // Nor does a static initialiser end with an exception (the system property's constants).
    // ("suspending" is a thread parked for a stop of the world, which may come at any time.)
    for (const char* trace :
         {"no resource", "has no entry", "has no set", "runs past", "layout:", "no slot", "the initialiser of"})
        EXPECT_EQ(r.count(trace), 0u) << trace << "\n" << r.output;
}

}  // namespace
