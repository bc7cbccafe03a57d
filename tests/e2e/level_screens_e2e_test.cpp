// Gameplay's touch controls and the screens around a level end to end, on the level stand-in over
// the sample data: the pad and buttons over the world, a pad cell lit while pressed, the pause
// button opening the pause menu over the darkened game, the death veils, a level's end with its
// summary leading to the next level's set-up, the story text and the level's title card, the
// game's end with the promotion offer, a notice and the information page of the map.
#include <algorithm>
#include <string>

#include "tests/e2e/level_stand_in_run.h"

namespace {

using namespace e2e;

constexpr uint32_t kPadLit = 0xFFD27A;     // sprite 36: a pressed cell's ring
constexpr uint32_t kPadLines = 0x8090A0;   // sprite 36: the grid over the pad
constexpr uint32_t kPauseButton = 0x1E3A8A, kPauseLit = 0xE0A526;
constexpr uint32_t kSymbol = 0xE7E7E7;     // the controls' symbols at rest
constexpr uint32_t kWhite = 0xF0F0F0;      // the texts
constexpr uint32_t kInfoColour = 0x57E0F5; // the information page's ground
constexpr uint32_t kCloth = 0x2F6FB0;      // the player's figure

class VeltranoLevelScreens : public LevelStandInRun {
protected:
    Run play(const std::string& events, const std::string& input, int closeAt, const char* name) {
        return LevelStandInRun::play({{"VELTRANO_LEVEL_EVENTS", events}}, input, closeAt, name);
    }
    // The width of what is drawn brighter than the floor (red above 0x60) in rows y to y + h.
    static int brightWidth(const Screenshot& s, int y, int h) {
        int left = s.width, right = -1;
        for (int j = y; j < y + h; ++j)
            for (int i = 0; i < s.width; ++i)
                if ((s.at(i, j) >> 16) > 0x60) left = std::min(left, i), right = std::max(right, i);
        return right < left ? 0 : right - left + 1;
    }
};

// The pad at (0, 260), its cells 70 px square from y 268; the attack button's disc centred at
// (660, 430), the jump button's arrow at (749, 359); the pause button in the top right corner.
TEST_F(VeltranoLevelScreens, ThePadAndButtonsStandOverTheWorldAndAPressedPadCellLights) {
    Run rest = play("", "", 75, "rest.png");
    ASSERT_EQ(rest.shot.width, 800);
    const Screenshot& s = rest.shot;
    EXPECT_TRUE(near(s.at(400, 150), kFloor)) << "the world under the controls";
    EXPECT_TRUE(near(s.at(105, 300), kSymbol)) << "the pad's cross";
    EXPECT_TRUE(near(s.at(70, 300), kPadLines)) << "the grid over the pad";
    EXPECT_TRUE(near(s.at(660, 430), kSymbol)) << "the attack button";
    EXPECT_TRUE(near(s.at(749, 359), kSymbol)) << "the jump button";
    EXPECT_TRUE(near(s.at(790, 20), kPauseButton)) << "the pause button";
    EXPECT_EQ(count(s, kPadLit, 0, 268, 210, 212), 0) << "no cell lit";

    // The left cell (key '4': x 0-70, y 338-408) while the pen rests on it: its ring lit, no
    // other; the action buttons dimmed while the pad is held.
    Run held = play("", "70 pen down 35 373\n", 75, "held.png");
    ASSERT_EQ(held.shot.width, 800);
    EXPECT_TRUE(near(held.shot.at(6, 373), kPadLit)) << "the left cell's ring";
    EXPECT_TRUE(near(held.shot.at(64, 373), kPadLit));
    EXPECT_EQ(count(held.shot, kPadLit, 70, 268, 140, 212), 0) << "only the left cell";
    EXPECT_EQ(count(held.shot, kPadLit, 0, 268, 70, 70), 0);
    EXPECT_FALSE(near(held.shot.at(660, 430), kSymbol)) << "the attack button dimmed";

    // Released, the cell goes out and the buttons come back.
    Run tapped = play("", "70 pen down 35 373\n73 pen up 35 373\n", 80, "tapped.png");
    ASSERT_EQ(tapped.shot.width, 800);
    EXPECT_EQ(count(tapped.shot, kPadLit, 0, 268, 210, 212), 0);
    EXPECT_TRUE(near(tapped.shot.at(660, 430), kSymbol));
}

// The pause corner (x 741-799, y 1-59) tapped: the pause menu over the game darkened to near
// black; "Resume" returns to gameplay, whose updates (and events) go on.
TEST_F(VeltranoLevelScreens, ATapOnThePauseCornerOpensThePauseMenuAndResumeReturns) {
    const std::string tap = "70 pen down 770 30\n72 pen up 770 30\n";
    // Lit while the pen rests in the corner.
    Run pressed = play("", "70 pen down 770 30\n", 75, "pressed.png");
    ASSERT_EQ(pressed.shot.width, 800);
    EXPECT_TRUE(near(pressed.shot.at(790, 20), kPauseLit));
    EXPECT_TRUE(near(pressed.shot.at(105, 300), kSymbol)) << "still in gameplay";

    Run paused = play("", tap, 130, "paused.png");
    ASSERT_EQ(paused.shot.width, 800);
    EXPECT_TRUE(paused.result.inOrder({"LevelStandIn level set up", "menu 0 -> 1"})) << paused.result.output;
    const uint32_t beside = paused.shot.at(50, 200);  // the game left of the menu's panel
    for (int shift : {0, 8, 16})
        EXPECT_LT(int((beside >> shift) & 0xFF), int((kFloor >> shift) & 0xFF) / 2) << "darkened";
    EXPECT_GT(count(paused.shot, 0xF0F0F0u, 300, 180, 200, 20), 20) << "the menu's items";

    // The stand-in's gameplay updates count frame 45 only after the menu is left.
    Run resumed = play("45 points 400", tap + "130 key tap RETURN\n", 175, "resumed.png");
    ASSERT_EQ(resumed.shot.width, 800);
    EXPECT_TRUE(resumed.result.inOrder({"menu 0 -> 1", "LevelStandIn 45 points 400"})) << resumed.result.output;
    EXPECT_TRUE(near(resumed.shot.at(50, 200), kFloor)) << "the game again";
    EXPECT_TRUE(near(resumed.shot.at(105, 300), kSymbol)) << "with its controls";
}

// The death screen over the world's picture: in phase 0 (an animation of no length) a veil of
// alpha 127 at once, in phase 3 one from 128 to 255 over a second.
TEST_F(VeltranoLevelScreens, AScriptedDeathShowsTheVeil) {
    struct Case {
        int phase, closeAt;
        uint32_t floor;
    };
    const Case cases[] = {{0, 75, 0x172517}, {3, 100, 0x000000}};
    for (const Case& c : cases) {
        const std::string name = "death" + std::to_string(c.phase) + ".png";
        Run r = play("5 death " + std::to_string(c.phase), "", c.closeAt, name.c_str());
        ASSERT_EQ(r.shot.width, 800);
        EXPECT_TRUE(r.result.inOrder({"LevelStandIn 5 death", "state 7.0 -> 12.0"})) << r.result.output;
        EXPECT_TRUE(near(r.shot.at(300, 150), c.floor)) << "phase " << c.phase << ": " << std::hex << r.shot.at(300, 150);
        EXPECT_FALSE(near(r.shot.at(105, 300), kSymbol)) << "no touch controls";
    }
}

// The level's end (state 13) for half a second, then its summary (state 15) over the world; a
// confirm there starts the next level's set-up.
TEST_F(VeltranoLevelScreens, AScriptedLevelEndLeadsToTheSummaryAndOnConfirmToTheNextLevel) {
    Run summary = play("5 levelend 0", "", 95, "summary.png");
    ASSERT_EQ(summary.shot.width, 800);
    EXPECT_TRUE(summary.result.inOrder({"LevelStandIn 5 levelend 0", "state 7.0 -> 13.0", "state 13.0 -> 15.0"}))
        << summary.result.output;
    EXPECT_GT(count(summary.shot, 0xF0F0F0u, 300, 50, 200, 30), 40) << "the summary's title";
    EXPECT_GT(count(summary.shot, 0xF0F0F0u, 250, 270, 300, 30), 40) << "the completion";
    EXPECT_TRUE(near(summary.shot.at(50, 200), kFloor)) << "the level around the summary";

    Run next = play("5 levelend 0", "100 key tap RETURN\n", 110, "next.png");
    EXPECT_TRUE(next.result.inOrder({"state 13.0 -> 15.0", "state 15.0 -> 5.0", "state 5.0 -> 7.0",
                                     "LevelStandIn level set up (level 1)"}))
        << next.result.output;
}

// The story between levels over black: a confirm in its first second is ignored, a later one
// leads to the summary.
TEST_F(VeltranoLevelScreens, TheStoryTextTakesAConfirmOnlyAfterItsFirstSecond) {
    Run early = play("5 story 0", "72 key tap RETURN\n", 100, "story.png");
    ASSERT_EQ(early.shot.width, 800);
    EXPECT_TRUE(early.result.inOrder({"state 7.0 -> 16.0", "state 16.0 -> 16.1"})) << early.result.output;
    EXPECT_EQ(early.result.count("-> 15.0"), 0u) << "the early confirm is ignored";
    EXPECT_GT(brightWidth(early.shot, 200, 45), 600) << "the story's lines";
    EXPECT_EQ(early.shot.at(400, 100), 0u) << "over black";

    Run later = play("5 story 0", "72 key tap RETURN\n100 key tap RETURN\n", 110, "story_later.png");
    EXPECT_TRUE(later.result.inOrder({"state 16.0 -> 16.1", "state 16.1 -> 15.0"})) << later.result.output;

    // After the last level the game's end follows: its message in a box over black.
    Run last = play("5 story 99", "100 key tap RETURN\n", 110, "game_end.png");
    ASSERT_EQ(last.shot.width, 800);
    EXPECT_TRUE(last.result.inOrder({"state 16.0 -> 16.1", "state 16.1 -> 17.0"})) << last.result.output;
    EXPECT_EQ(brightWidth(last.shot, 0, 200), 0) << "the story's picture gone";
    EXPECT_EQ(brightWidth(last.shot, 280, 200), 0);
    EXPECT_GT(count(last.shot, kWhite, 100, 212, 600, 26), 40) << "the end's message";
}

// The game's end closes on confirm: with the promotion screen's pages loaded its offer follows
// (state 20, its message in the box) and closes on confirm too; each ends in the game's reset.
TEST_F(VeltranoLevelScreens, TheGameEndsWithItsMessageThenTheOfferWhenThePromotionHasPages) {
    const std::string end = "100 key tap RETURN\n110 key tap RETURN\n";
    Run plain = play("4 offer 0;5 story 99", end, 120, "end_plain.png");
    EXPECT_TRUE(plain.result.inOrder({"state 16.1 -> 17.0", "not built yet: Game::resetLevel"})) << plain.result.output;
    EXPECT_EQ(plain.result.count("-> 20.0"), 0u) << "no offer without pages";

    Run offer = play("4 offer 1;5 story 99", end, 120, "offer.png");
    ASSERT_EQ(offer.shot.width, 800);
    EXPECT_TRUE(offer.result.inOrder({"state 16.1 -> 17.0", "state 17.0 -> 20.0"})) << offer.result.output;
    EXPECT_EQ(offer.result.count("Game::resetLevel"), 0u) << "the offer waits";
    EXPECT_GT(count(offer.shot, kWhite, 100, 212, 600, 26), 40) << "the offer's message";
    EXPECT_EQ(brightWidth(offer.shot, 0, 200), 0) << "over black";

    Run taken = play("4 offer 1;5 story 99", end + "120 key tap RETURN\n", 130, "offer_done.png");
    EXPECT_TRUE(taken.result.inOrder({"state 17.0 -> 20.0", "not built yet: Game::resetLevel"})) << taken.result.output;
}

// A notice over the world's picture, its message in a box and no touch controls. Its text scrolls
// through once (some 17 s) before the game goes on; the pen on the screen's lower part hurries it.
TEST_F(VeltranoLevelScreens, ANoticeStaysOverTheWorldUntilItsTextHasRunThrough) {
    Run shown = play("5 notice 94", "", 200, "notice.png");
    ASSERT_EQ(shown.shot.width, 800);
    EXPECT_TRUE(shown.result.inOrder({"LevelStandIn 5 notice 94", "state 7.0 -> 11.0"})) << shown.result.output;
    EXPECT_EQ(shown.result.count("-> 11.1"), 0u) << "still scrolling";
    EXPECT_GT(count(shown.shot, kWhite, 100, 212, 600, 26), 40) << "the message";
    EXPECT_TRUE(near(shown.shot.at(400, 100), kFloor)) << "the world's picture";
    EXPECT_FALSE(near(shown.shot.at(105, 300), kSymbol)) << "no touch controls";

    Run hurried = play("5 notice 94", "70 pen down 400 300\n", 200, "notice_done.png");
    ASSERT_EQ(hurried.shot.width, 800);
    EXPECT_TRUE(hurried.result.inOrder(
        {"state 7.0 -> 11.0", "state 11.0 -> 11.1", "LevelStandIn notice done", "state 11.1 -> 7.0"}))
        << hurried.result.output;
    EXPECT_TRUE(near(hurried.shot.at(105, 300), kSymbol)) << "gameplay with its controls";
    EXPECT_EQ(count(hurried.shot, kWhite, 100, 212, 600, 26), 0) << "the message gone";
}

// The information page of three map locations (0 and 1 lead to levels 1 and 2, 2 to none): the
// location's title, the page's texts, the marker (the player's figure) on the location's place
// and the picture at the bottom left; left and right go to the neighbours, confirm starts the
// location's level, back returns to the menus.
TEST_F(VeltranoLevelScreens, TheInformationPageBrowsesTheMapAndStartsTheLocationsLevel) {
    const auto figureAt = [](const Screenshot& s, int x, int y) { return count(s, kCloth, x - 12, y - 48, 24, 48); };
    Run page = play("5 info 0", "", 75, "info.png");
    ASSERT_EQ(page.shot.width, 800);
    EXPECT_TRUE(page.result.inOrder({"LevelStandIn 5 info 0", "state 7.0 -> 18.0"})) << page.result.output;
    EXPECT_TRUE(near(page.shot.at(400, 160), kInfoColour));
    EXPECT_GT(count(page.shot, kWhite, 200, 40, 400, 40), 20) << "location 0's title";
    EXPECT_GT(count(page.shot, kWhite, 100, 100, 600, 30), 20) << "the page's question";
    EXPECT_GT(count(page.shot, kWhite, 100, 380, 600, 30), 20) << "the browsing hint";
    EXPECT_GT(figureAt(page.shot, 40, 220), 300) << "the marker on location 0";
    EXPECT_GT(figureAt(page.shot, 60, 420), 300) << "the picture";
    EXPECT_FALSE(near(page.shot.at(105, 300), kSymbol)) << "no touch controls";

    // Two steps right: location 2, which has no title; a third finds no neighbour.
    Run moved = play("5 info 0", "70 key tap RIGHT\n73 key tap RIGHT\n76 key tap RIGHT\n", 80, "info_moved.png");
    ASSERT_EQ(moved.shot.width, 800);
    EXPECT_EQ(count(moved.shot, kWhite, 200, 40, 400, 40), 0) << "no title";
    EXPECT_GT(figureAt(moved.shot, 160, 220), 300) << "the marker on location 2";
    EXPECT_EQ(figureAt(moved.shot, 40, 220), 0);

    // Location 2 leads nowhere: its confirm is ignored; back at location 0 confirm starts level 1.
    Run started = play("5 info 0",
                       "70 key tap RIGHT\n73 key tap RIGHT\n76 key tap RETURN\n79 key tap LEFT\n82 key tap LEFT\n"
                       "85 key tap RETURN\n",
                       100, "info_started.png");
    EXPECT_TRUE(started.result.inOrder({"state 7.0 -> 18.0", "state 18.0 -> 5.0 at frame 85", "state 5.0 -> 7.0",
                                        "LevelStandIn level set up (level 1)"}))
        << started.result.output;

    Run back = play("5 info 0", "70 key tap F2\n", 110, "info_back.png");
    ASSERT_EQ(back.shot.width, 800);
    EXPECT_TRUE(back.result.inOrder({"state 7.0 -> 18.0", "state 18.0 -> 2.0", "menu 0 -> 0"})) << back.result.output;
    EXPECT_FALSE(near(back.shot.at(400, 160), kInfoColour)) << "the page gone";
}

// The level's title card: a second fading the world in with the title at its size, a second of
// gameplay's picture (without the touch controls) with the title growing, then gameplay again.
TEST_F(VeltranoLevelScreens, TheTitleCardFadesInThenGrowsItsTitleAndReturnsToGameplay) {
    Run fading = play("5 intro 0", "", 75, "card_fading.png");
    ASSERT_EQ(fading.shot.width, 800);
    EXPECT_TRUE(fading.result.inOrder({"LevelStandIn 5 intro 0", "state 7.0 -> 14.0"})) << fading.result.output;
    const uint32_t floor = fading.shot.at(400, 150);
    EXPECT_LT(floor >> 8 & 0xFF, kFloor >> 8 & 0xFF) << "the world still fading in";
    const int titleAtFirst = brightWidth(fading.shot, 420, 50);
    EXPECT_GT(titleAtFirst, 40) << "the level's title";

    Run growing = play("5 intro 0", "", 110, "card_growing.png");
    ASSERT_EQ(growing.shot.width, 800);
    EXPECT_TRUE(growing.result.inOrder({"state 7.0 -> 14.0", "state 7.0 -> 14.1"})) << growing.result.output;
    EXPECT_TRUE(near(growing.shot.at(400, 150), kFloor)) << "the gameplay picture";
    EXPECT_FALSE(near(growing.shot.at(105, 300), kSymbol)) << "no touch controls on the card";
    EXPECT_GT(brightWidth(growing.shot, 400, 80), titleAtFirst * 3 / 2) << "the title grown";

    Run after = play("5 intro 0", "", 140, "card_after.png");
    ASSERT_EQ(after.shot.width, 800);
    EXPECT_TRUE(near(after.shot.at(105, 300), kSymbol)) << "gameplay with its controls";
    EXPECT_EQ(count(after.shot, kFloor, 300, 420, 200, 50), 200 * 50) << "the title gone";
}

}  // namespace
