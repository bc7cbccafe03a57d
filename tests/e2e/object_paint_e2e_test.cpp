// The objects' painters end to end, on the level stand-in over the sample data: a scene of several
// object kinds drawn by their own painters, the marker over the object the player faces and the
// arrow at the screen's edge toward a goal outside the view.
#include "tests/e2e/level_stand_in_run.h"
#include "tools/sample_data/object_paint_data.h"

namespace {

using namespace e2e;

class VeltranoObjects : public LevelStandInRun {
protected:
    Run scene(const std::string& objects, int closeAt, const char* name) {
        return play({{"VELTRANO_LEVEL_OBJECTS", objects}}, "", closeAt, name);
    }
};

// The player stands at (400, 300) facing right. A crate (plain type 82) two cells ahead and a chest
// (type 1) behind can be faced; a fence post repeated to the screen's edge (type 12, a 20 px step),
// a charged column (type 61 in state 2), a red orb of the pools (type 300, palette 1) and a tablet
// (type 69) stand around, an orb of the effect pool (type 302) in palette 2 (green) and a crate
// that the HUD marks (type 27, 32 px wide); the goal is a crate far right of the view.
constexpr const char* kScene =
    "82 464 300 use=1;1 336 300 anim=1 use=1;12 240 150 anim=2 p11=327680;61 560 300 sprite=1 anim=1 p14=2;"
    "300 620 240 sprite=4 p0=1 p17=-1 p18=1;69 280 300 sprite=2;302 520 220 sprite=4 p0=1 p1=-1 p7=-1 p8=2;"
    "27 500 400 p0=1 p1=1 p2=32;82 1200 200 goal=1";

TEST_F(VeltranoObjects, TheMarkerStandsOverTheFacedObjectAndTheArrowPointsAtTheGoalOffScreen) {
    const Run run = scene(kScene, 75, "scene.png");
    const Screenshot& s = run.shot;
    ASSERT_EQ(s.width, 800);
    EXPECT_EQ(run.result.count("LevelStandIn object"), 9u) << run.result.output;
    // The crate's top is at y 268: the marker's ring (20 px, nodding 3 px) just above it.
    EXPECT_GT(count(s, 0x40E0FFu, 454, 236, 20, 30), 40) << "the marker over the crate";
    EXPECT_EQ(count(s, 0x40E0FFu, 326, 236, 20, 30), 0) << "none over the chest behind";
    // The HUD's marker of the type-27 crate, centred over its 32 px from its anchor (516, 400) up.
    EXPECT_GT(count(s, 0x40E0FFu, 506, 370, 20, 30), 40) << "the HUD marker";
    // The goal (1200, 184) is right of the view: the arrow stands on the right margin (x 776).
    EXPECT_GT(count(s, 0xFF7A1Au, 756, 164, 40, 40), 200) << "the arrow at the edge";
    EXPECT_EQ(count(s, 0xFF7A1Au, 0, 0, 740, 480), 0) << "nowhere else";
    // The objects by their painters.
    EXPECT_TRUE(near(s.at(464, 284), sample_data::kCrateColour & 0xFFFFFF)) << "the crate";
    for (int k : {0, 5, 10, 20}) EXPECT_TRUE(near(s.at(240 + 19 * k, 130), sample_data::kPostColour & 0xFFFFFF)) << "post " << k;
    EXPECT_TRUE(near(s.at(560, 270), 0xF0F0F0u) || near(s.at(560, 270), 0x52A0E0u)) << "the charged column, full or glowing";
    EXPECT_TRUE(near(s.at(627, 240), 0xB03A2Fu)) << "the orb in red";
    EXPECT_TRUE(near(s.at(527, 220), 0x3A8A3Au)) << "the other orb in green";
    EXPECT_TRUE(near(s.at(280, 280), 0x8A8A9Au)) << "the tablet";
}

// Facing left, the chest is the faced object (type 1: the other marker); a goal point above and
// right of the view puts the arrow in the top-right corner, moved in by half its size and kept
// below the pause button (the arrow's area in layout 6 starts at y 72).
TEST_F(VeltranoObjects, FacingTheOtherWayMarksTheChestAndACornerGoalPutsTheArrowInTheCorner) {
    const Run run = scene("face left;82 464 300 use=1;1 336 300 anim=1 use=1;goalpoint 1200 -200", 75, "left.png");
    const Screenshot& s = run.shot;
    ASSERT_EQ(s.width, 800);
    EXPECT_GT(count(s, 0x40E0FFu, 326, 246, 20, 30), 40) << "the chevron over the chest (top 276)";
    EXPECT_EQ(count(s, 0x40E0FFu, 454, 236, 20, 30), 0) << "none over the crate";
    EXPECT_GT(count(s, 0xFF7A1Au, 740, 52, 40, 40), 150) << "the arrow in the corner at (760, 72)";
    EXPECT_EQ(count(s, 0xFF7A1Au, 0, 100, 800, 380), 0) << "nowhere else";
}

}  // namespace
