// veltrano on the sample data end to end: the title waits for a key, the main menu leads to the
// options, whose toggles relabel their items, back returns to the main menu, and quit with its
// confirmation ends the run cleanly.
#include <cmath>

#include "tests/e2e/veltrano_run.h"
#include "tools/sample_data/sample_data.h"

namespace {

using namespace e2e;

class VeltranoMenus : public VeltranoRun {
protected:
    void SetUp() override {
        VeltranoRun::SetUp();
        ASSERT_TRUE(sample_data::buildArchive().save(m_dir / "data" / formats::kArchiveFileName));
    }
    RunResult game(const std::string& script, std::vector<std::string> more) {
        more.insert(more.begin(), {"--headless", "--fixed-step", "33", "--trace-states"});
        return run(VELTRANO_EXECUTABLE, args(script, std::move(more)), env());
    }
    std::filesystem::path shot(const char* name) { return m_dir / name; }
    // Pixels of ink (light text) in the box.
    static int ink(const Screenshot& s, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += ((s.at(x, y) >> 8) & 0xFF) > 0xB0;
        return n;
    }
};

// Frames: the title appears at frame 38; the options panel opens within 30 frames.
constexpr const char* kToOptions = "50 key tap RETURN\n55 key tap DOWN\n58 key tap DOWN\n61 key tap RETURN\n";

TEST_F(VeltranoMenus, TheTitleWaitsForAKey) {
    // Frame 83 falls in the prompt's shown half of its blink.
    RunResult r = game("83 close\n", {"--screenshot", shot("title.png").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"state 2.0 -> 3.1"})) << r.output;
    EXPECT_EQ(r.count("menu 0 -> 0"), 0u) << "no menu without a key";
    Screenshot s(shot("title.png"));
    EXPECT_GT(ink(s, 300, 410, 500, 440), 30) << "the prompt";
}

TEST_F(VeltranoMenus, TheMainMenuLightsTheSelectedButton) {
    // Down from "New game" selects "Continue": its frame bright gold and its label white, the
    // others' frames dim and their labels gold.
    RunResult r = game("50 key tap RETURN\n60 key tap DOWN\n75 close\n", {"--screenshot", shot("main.png").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Screenshot s(shot("main.png"));
    auto white = [&](int top) {
        int n = 0;
        for (int y = top + 10; y < top + 45; ++y)
            for (int x = 300; x < 500; ++x) n += (s.at(x, y) & 0xE0E0E0) == 0xE0E0E0;
        return n;
    };
    auto brightFrame = [&](int y) { return ((s.at(251, y) >> 16) & 0xFF) > 0xC0; };
    EXPECT_TRUE(brightFrame(220)) << "the selected button's frame";
    EXPECT_FALSE(brightFrame(150));
    EXPECT_FALSE(brightFrame(290));
    EXPECT_GT(white(193), 30) << "the selected label";
    EXPECT_EQ(white(123), 0);
    EXPECT_EQ(white(263), 0);
}

TEST_F(VeltranoMenus, OptionsShowTheHighlightedMusicItem) {
    std::string script(kToOptions);
    script.append("110 close\n");
    RunResult r = game(script, {"--screenshot", shot("options.png").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"menu 0 -> 0", "menu 0 -> 7"})) << r.output;
    Screenshot s(shot("options.png"));
    const uint32_t bar = s.at(20, 216), panel = s.at(400, 400);
    EXPECT_NE(bar, panel) << "the highlight bar across the first item";
    EXPECT_GT(ink(s, 300, 205, 500, 230), 30) << "the music item's label";
}

TEST_F(VeltranoMenus, TogglesBackQuitAndConfirmEndTheRun) {
    // Appended in place: GCC 12 warns falsely about operator+ on the temporary here.
    std::string script(kToOptions);
    script.append("100 key tap LEFT\n105 key tap DOWN\n110 key tap LEFT\n115 key tap LEFT\n"
                  "120 key tap F2\n125 key tap UP\n128 key tap UP\n131 key tap UP\n134 key tap RETURN\n"
                  "170 key tap UP\n175 key tap RETURN\n2000 close\n");
    RunResult r = game(script, {});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(r.inOrder({"menu 0 -> 7", "menu 7 -> 0 (selection 2)", "menu 0 -> 2", "state 4.2 -> 99.0"}))
        << r.output;
}

// The sound recorded by a fixed-step run: the WAV's samples cut into the frames' stretches of time.
struct FrameSound {
    std::vector<int16_t> pcm;  // interleaved stereo
    static constexpr int kRate = 44100, kStepMs = 33;

    explicit FrameSound(const std::filesystem::path& wav) {
        const std::vector<uint8_t> b = test_support::readBytes(wav);
        if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF") return;
        for (std::size_t i = 44; i + 1 < b.size(); i += 2) pcm.push_back(int16_t(b[i] | b[i + 1] << 8));
    }
    std::size_t frames() const { return pcm.size() / 2; }
    // Root mean square over presented frames first..last (1-based; frame n's time is
    // [(n - 1) × 33, n × 33) ms).
    double rms(int first, int last) const {
        const std::size_t from = std::size_t(first - 1) * kStepMs * kRate / 1000;
        const std::size_t to = std::min(frames(), std::size_t(last) * kStepMs * kRate / 1000);
        double sum = 0;
        for (std::size_t i = 2 * from; i < 2 * to; ++i) sum += double(pcm[i]) * pcm[i];
        return to > from ? std::sqrt(sum / double(2 * (to - from))) : 0;
    }
};

TEST_F(VeltranoMenus, TheSoundOfARunIsMixedFrameByFrameAndRepeatsExactly) {
    std::string script(kToOptions);
    script.append("100 key tap LEFT\n105 key tap DOWN\n110 key tap LEFT\n115 key tap LEFT\n"
                  "120 key tap F2\n125 key tap UP\n128 key tap UP\n131 key tap UP\n134 key tap RETURN\n"
                  "170 key tap UP\n175 key tap RETURN\n2000 close\n");
    const std::filesystem::path hashes = shot("hashes.txt");
    RunResult first = game(script, {"--record-audio", shot("first.wav").string(), "--frame-hashes", hashes.string()});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    std::filesystem::remove_all(m_dir / "save");
    RunResult second = game(script, {"--record-audio", shot("second.wav").string()});
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(test_support::readBytes(shot("first.wav")), test_support::readBytes(shot("second.wav")))
        << "the same input, the same sound";

    const FrameSound sound(shot("first.wav"));
    const std::vector<uint8_t> presented = test_support::readBytes(hashes);
    const auto frames = std::count(presented.begin(), presented.end(), uint8_t('\n'));
    ASSERT_GT(frames, 170);
    EXPECT_EQ(sound.frames(), std::size_t(frames) * 33 * 44100 / 1000) << "exactly the time of the frames shown";
    // The menu music from the title on; silence once it is switched off (frame 100); the effects'
    // sample when they are switched back on (frame 115); silence again to the end.
    EXPECT_GT(sound.rms(45, 95), 50);
    EXPECT_EQ(sound.rms(104, 113), 0);
    EXPECT_GT(sound.rms(116, 119), 1000);
    EXPECT_EQ(sound.rms(130, int(frames)), 0);
}

TEST_F(VeltranoMenus, ASavedGameShowsTheContinueMark) {
    // The mark is a 16 x 16 gold box centred on the continue button's mark place (400, 220).
    auto gold = [](const Screenshot& s) {
        int n = 0;
        for (int y = 212; y < 228; ++y)
            for (int x = 392; x < 408; ++x) {
                const uint32_t p = s.at(x, y);
                n += ((p >> 16) & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) > 0x90 && ((p >> 8) & 0xFF) < 0xB8 && (p & 0xFF) < 0x50;
            }
        return n;
    };
    const std::string script = "50 key tap RETURN\n70 close\n";
    RunResult fresh = game(script, {"--screenshot", shot("fresh.png").string()});
    ASSERT_EQ(fresh.exitCode, 0) << fresh.output;
    ASSERT_TRUE(fresh.inOrder({"menu 0 -> 0"})) << fresh.output;
    EXPECT_LT(gold(Screenshot(shot("fresh.png"))), 20) << "no saved game, no mark";
    // The store the first run wrote, its settings record marked as holding a saved game.
    const std::filesystem::path settings = m_dir / "save" / "rms_veltrano.dat_1.dat";
    ASSERT_TRUE(std::filesystem::exists(settings)) << fresh.output;
    std::vector<uint8_t> record = test_support::readBytes(settings);
    ASSERT_FALSE(record.empty());
    record[0] = 1;
    test_support::writeBytes(settings, record);
    RunResult saved = game(script, {"--screenshot", shot("saved.png").string()});
    ASSERT_EQ(saved.exitCode, 0) << saved.output;
    EXPECT_GT(gold(Screenshot(shot("saved.png"))), 100) << saved.output;
}

}  // namespace
