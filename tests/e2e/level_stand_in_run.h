// The fixture of the runs on the level stand-in over the sample data: the title and the main
// menu's first item lead to its level, set up from the environment the run is given; the run ends
// with a screenshot.
#pragma once

#include <cstdlib>
#include <string>

#include "tests/e2e/veltrano_run.h"
#include "tools/sample_data/sample_data.h"

namespace e2e {

// The floor the stand-in's world painter lays under the objects, the HUD and the touch controls.
inline constexpr uint32_t kFloor = 0x2E4A2E;

class LevelStandInRun : public VeltranoRun {
protected:
    struct Run {
        RunResult result;
        Screenshot shot;
    };

    void SetUp() override {
        VeltranoRun::SetUp();
        ASSERT_TRUE(sample_data::buildArchive().save(m_dir / "data" / formats::kArchiveFileName));
    }
    // The title at frame 50 and the main menu's "New game" at 55: gameplay from frame 58, its
    // update counting the events' frames from 1. The run's environment gains `scene` (the
    // stand-in's variables), `input` holds the further lines of the script; closed at `closeAt`.
    Run play(const EnvChanges& scene, const std::string& input, int closeAt, const char* name) {
        std::string script = "50 key tap RETURN\n55 key tap RETURN\n";
        script.append(input).append(std::to_string(closeAt)).append(" close\n");
        EnvChanges changes = env();
        for (const auto& [key, value] : scene) changes[key] = value;
        const std::filesystem::path shot = m_dir / name;
        // A new game each time: a summary saves the progress, after which "New game" would ask.
        std::filesystem::remove_all(m_dir / "save");
        RunResult r = run(VELTRANO_LEVEL_STAND_IN,
                          args(script, {"--headless", "--fixed-step", "33", "--trace-states", "--screenshot",
                                        shot.string()}),
                          changes);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(r.inOrder({"state 5.0 -> 7.0", "LevelStandIn level set up (level 0)"})) << r.output;
        return {std::move(r), Screenshot(shot)};
    }
    // Equal within the 5-6-5 bits of the picture.
    static bool near(uint32_t p, uint32_t want) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((p >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 8) return false;
        return true;
    }
    // Pixels near the colour in the w x h box at (x, y).
    static int count(const Screenshot& s, uint32_t colour, int x, int y, int w, int h) {
        int n = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) n += near(s.at(i, j), colour) ? 1 : 0;
        return n;
    }
};

}  // namespace e2e
