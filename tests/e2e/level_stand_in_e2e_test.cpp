// The in-game HUD end to end, on the level stand-in over the sample data: the title and the main
// menu's first item lead to its level, whose gameplay shows the health, energy and points gauges;
// scripted damage makes the health bar flash; a counter popup shows its icons; chain hits show the
// chain counter.
#include <cstdlib>

#include "tests/e2e/level_stand_in_run.h"

namespace {

using namespace e2e;

class VeltranoLevel : public LevelStandInRun {
protected:
    Screenshot level(const std::string& events, int closeAt, const char* name) {
        return play({{"VELTRANO_LEVEL_EVENTS", events}}, "", closeAt, name).shot;
    }
    // Pixels of the HUD font's ink (near white) in the w x h box at (x, y).
    static int inkIn(const Screenshot& s, int x, int y, int w, int h) { return count(s, 0xF0F0F0u, x, y, w, h); }
    static int red(uint32_t p) { return int(p >> 16); }
    static int green(uint32_t p) { return int((p >> 8) & 0xFF); }
    static int blue(uint32_t p) { return int(p & 0xFF); }
};

// Health bar at (30, 26), 100 px; energy at (30, 54); the points gauge's column at x 145-156,
// 60 px high from y 20 (the sample data's layout 6 and interface frames).
TEST_F(VeltranoLevel, GameplayShowsTheGaugesAndDamageMakesTheHealthBarFlash) {
    Screenshot s = level("2 damage 300;4 points 400", 75, "damage.png");
    ASSERT_EQ(s.width, 800);
    const uint32_t kept = s.at(40, 30), lost = s.at(125, 30);
    EXPECT_GT(green(kept), red(kept)) << "the kept health in green";
    EXPECT_GT(red(lost), 0xA0) << "the lost part flashes red";
    EXPECT_LT(green(lost), 0x40);
    const uint32_t energy = s.at(80, 56);
    EXPECT_GT(red(energy), 0xC0) << "the available energy, yellow to white";
    EXPECT_GT(green(energy), 0xC0);
    EXPECT_FALSE(near(s.at(150, 70), kFloor)) << "400 of 1000 points fill the gauge's lower 24 px";
    EXPECT_TRUE(near(s.at(150, 50), kFloor));

    Screenshot later = level("2 damage 300", 110, "after.png");
    ASSERT_EQ(later.width, 800);
    EXPECT_EQ(later.at(125, 30), 0u) << "the flash is over: the lost part is black";
    EXPECT_GT(green(later.at(40, 30)), red(later.at(40, 30)));
    EXPECT_TRUE(near(later.at(150, 70), kFloor)) << "no points";

    Screenshot whole = level("", 75, "whole.png");
    ASSERT_EQ(whole.width, 800);
    EXPECT_LT(blue(whole.at(125, 30)), 0x40) << "full health reaches the bar's end";
    EXPECT_GT(red(whole.at(125, 30)), 0x80);
    EXPECT_GT(green(whole.at(125, 30)), 0x80);
    EXPECT_TRUE(near(whole.at(400, 262), 0x2F6FB0u)) << "the player's figure from the level sprite: its torso";
    EXPECT_TRUE(near(whole.at(400, 240), 0xE0C090u)) << "its head";
}

// The popup's row: four places 60 px apart from x 430 at y 404; two of four done, the newest
// in the second place.
TEST_F(VeltranoLevel, ACounterPopupShowsItsIcons) {
    Screenshot s = level("2 popup 4;6 popup 4;8 popup 4", 75, "popup.png");
    ASSERT_EQ(s.width, 800);
    EXPECT_TRUE(near(s.at(430, 410), 0xE0A526u)) << "the done icon (gold)";
    EXPECT_TRUE(near(s.at(550, 410), 0x20242Cu)) << "to do (slate)";
    EXPECT_TRUE(near(s.at(610, 410), 0x20242Cu));
    // The fifth place lies under the attack button's translucent face (centred at (660, 430)),
    // which the touch controls draw over the popup: there the face shows the floor as at its
    // mirror point.
    EXPECT_EQ(s.at(670, 410), s.at(650, 410)) << "four places only";
}

// The chain counter: the number right-aligned to x 100 and its label from x 110 on the baseline
// y 450, the banner of five hits ("Great") above them from x 10 to y 400 (the sample data's chain
// geometry). Five hits at frame 60: slid in by frame 95 (1.2 s), gone by frame 140 (the chain ends
// 1.5 s after its last hit and slides out in 0.5 s).
TEST_F(VeltranoLevel, AChainShowsItsCounterAndBannerUntilItEnds) {
    Screenshot s = level("2 chain 5", 95, "chain.png");
    ASSERT_EQ(s.width, 800);
    EXPECT_GT(inkIn(s, 40, 410, 60, 40), 20) << "the number";
    EXPECT_GT(inkIn(s, 110, 410, 120, 40), 60) << "the label";
    EXPECT_GT(inkIn(s, 10, 360, 120, 40), 60) << "the banner";
    EXPECT_EQ(inkIn(s, 10, 455, 300, 25), 0) << "nothing under the baseline";

    Screenshot ended = level("2 chain 5", 140, "ended.png");
    ASSERT_EQ(ended.width, 800);
    EXPECT_EQ(inkIn(ended, 0, 360, 320, 100), 0) << "the counter and the banner are gone";
}

}  // namespace
