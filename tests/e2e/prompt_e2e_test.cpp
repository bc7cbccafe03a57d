// The prompt boxes end to end, on the level stand-in over the sample data: a speech in the bottom
// panel with the speaker's portrait and name, paged by the confirm key; a notice in a framed box
// with its arrow; a two-answer question answered by scripted keys.
#include <cstdlib>

#include "tests/e2e/level_stand_in_run.h"

namespace {

using namespace e2e;

// The prompt art's colours (the sample data's).
constexpr uint32_t kGold = 0xE0A526, kFrameGold = 0xF7DC46, kChosen = 0x1200FF;
constexpr uint32_t kPanel = 0x1B2436, kBoxFill = 0x000000, kWhiteInk = 0xF0F0F0, kGoldInk = 0xFFD27A;
constexpr uint32_t kMiraGround = 0x8A3B5B, kMiraSkin = 0xD9A47C;
// The bottom panel: a 48-pixel text area on the soft keys' 19-pixel strip, so its text line is at
// 461 - 48 - 19 = 394 and its 12-pixel top edge at 382; the portrait frame 112 px square above its
// left end, the name right of it.
constexpr int kPanelTop = 382, kTextLine = 394;
// The framed box of the stand-in: 600 wide at (100, 150 + 5), its arrow at the bottom-left corner.
constexpr int kBoxX = 100, kBoxY = 155;

class VeltranoPrompt : public LevelStandInRun {
protected:
    struct Level {
        RunResult run;
        Screenshot shot;
    };
    // `keys` are lines of the input script after the way into the level; closed at `closeAt`.
    Level level(const std::string& events, const std::string& keys, int closeAt) {
        const std::string name = "shot" + std::to_string(++m_shots) + ".png";
        Run r = play({{"VELTRANO_LEVEL_EVENTS", events}}, keys, closeAt, name.c_str());
        EXPECT_TRUE(r.result.inOrder({"LevelStandIn level set up", "LevelStandIn 2 "})) << r.result.output;
        return {std::move(r.result), std::move(r.shot)};
    }
    // The chosen answer's fill (blue, perhaps shaded) in the answer row from y.
    static int blueIn(const Screenshot& s, int y) {
        int n = 0;
        for (int j = y; j < y + 20; ++j)
            for (int i = 30; i < 770; ++i) {
                const uint32_t p = s.at(i, j);
                n += (p & 0xFF) > 0x80 && (p >> 16) < 0x30 && ((p >> 8) & 0xFF) < 0x30 ? 1 : 0;
            }
        return n;
    }
    // The text area's pixels, row by row.
    static std::vector<uint32_t> textArea(const Screenshot& s) {
        std::vector<uint32_t> out;
        for (int y = kTextLine; y < 480; ++y)
            for (int x = 0; x < 800; ++x) out.push_back(s.at(x, y));
        return out;
    }

    int m_shots = 0;
};

TEST_F(VeltranoPrompt, ASpeechShowsPortraitNameAndTextAndPagesByTheConfirmKey) {
    // Speaker 1 (Mira): portrait 96 in the gold frame, the name in the font's gold palette, the
    // speech's first page revealed line by line, whole by frame 72 with the page marker up.
    Level opened = level("2 prompt 1", "", 72);
    ASSERT_EQ(opened.shot.width, 800);
    const Screenshot& s = opened.shot;
    EXPECT_TRUE(near(s.at(2, kPanelTop - 50), kGold)) << "the portrait's frame";
    EXPECT_TRUE(near(s.at(20, kPanelTop - 90), kMiraGround)) << "the portrait";
    EXPECT_TRUE(near(s.at(50, kPanelTop - 60), kMiraSkin));
    EXPECT_GT(count(s, kGoldInk, 121, kPanelTop - 20, 200, 24), 40) << "the name";
    EXPECT_TRUE(near(s.at(400, kPanelTop + 6), 0x2A3A5A)) << "the panel's top edge";
    EXPECT_GT(count(s, kWhiteInk, 9, kTextLine + 9, 780, 20), 300) << "the speech's first line";
    EXPECT_GT(count(s, kWhiteInk, 9, kTextLine + 31, 780, 20), 300) << "its second";
    EXPECT_TRUE(near(s.at(400, 470), kPanel));
    EXPECT_GT(count(s, kGold, 770, kPanelTop - 6, 30, 14), 20) << "the page marker";
    EXPECT_EQ(opened.run.count("LevelStandIn prompt done"), 0u);

    // The page is whole: a press turns to the next, the last.
    Level turned = level("2 prompt 1", "75 key tap RETURN\n", 85);
    ASSERT_EQ(turned.shot.width, 800);
    EXPECT_GT(count(turned.shot, kWhiteInk, 9, kTextLine + 9, 780, 20), 300);
    EXPECT_NE(textArea(opened.shot), textArea(turned.shot)) << "the second page";
    EXPECT_EQ(turned.run.count("LevelStandIn prompt done"), 0u);

    // A press on the last page, once it has been whole for five frames, ends the speech.
    Level done = level("2 prompt 1", "75 key tap RETURN\n95 key tap RETURN\n", 100);
    ASSERT_EQ(done.shot.width, 800);
    EXPECT_TRUE(done.run.inOrder({"LevelStandIn 2 prompt 1", "LevelStandIn prompt done"})) << done.run.output;
    // (The portrait's place may hold the touch pad.)
    EXPECT_TRUE(near(done.shot.at(400, kPanelTop + 6), kFloor)) << "the panel is gone";
    EXPECT_TRUE(near(done.shot.at(400, 440), kFloor));
}

TEST_F(VeltranoPrompt, ANoticeShowsInAFramedBoxWithItsArrow) {
    Level opened = level("2 box 14", "", 72);
    ASSERT_EQ(opened.shot.width, 800);
    const Screenshot& s = opened.shot;
    // The box: a gold frame round a black inside with the notice's text; its bottom edge is where
    // the frame's gold crosses the column x = 400 below the text.
    EXPECT_TRUE(near(s.at(kBoxX, kBoxY + 20), kFrameGold)) << "the left edge";
    int right = 799;
    while (right > kBoxX && !near(s.at(right, kBoxY + 20), kFrameGold)) --right;
    EXPECT_NEAR(right, kBoxX + 600, 1) << "the right edge";
    EXPECT_TRUE(near(s.at(kBoxX - 2, kBoxY + 20), kFloor)) << "nothing left of it";
    int bottom = kBoxY + 20;
    while (bottom < 300 && !near(s.at(400, bottom), kFrameGold)) ++bottom;
    ASSERT_LT(bottom, 300) << "the bottom edge";
    EXPECT_GT(count(s, kBoxFill, kBoxX + 5, kBoxY + 3, 590, bottom - kBoxY - 6), 20000) << "the black inside";
    EXPECT_GT(count(s, kWhiteInk, kBoxX + 10, kBoxY, 580, bottom - kBoxY), 500) << "the notice";
    EXPECT_GT(count(s, kGold, kBoxX + 6, bottom + 1, 16, 12), 20) << "the arrow under the bottom-left corner";
    EXPECT_EQ(count(s, kGold, kBoxX + 100, bottom + 1, 16, 12), 0);

    Level read = level("2 box 14", "75 key tap RETURN\n85 key tap RETURN\n95 key tap RETURN\n", 105);
    EXPECT_TRUE(read.run.inOrder({"LevelStandIn 2 box 14", "LevelStandIn box done"})) << read.run.output;
    EXPECT_TRUE(near(read.shot.at(kBoxX, kBoxY + 20), kFloor)) << "the box is gone";
}

// The question opens in 1 s (its answers appear one after the other); up and down then change the
// answer, the confirm key takes it, and after 1 s of blinking the prompt ends with it.
TEST_F(VeltranoPrompt, ATwoAnswerQuestionTakesTheAnswerChosenByKeys) {
    // Once the answers are there, the first is chosen.
    Level open = level("2 ask 1", "", 98);
    ASSERT_EQ(open.shot.width, 800);
    EXPECT_GT(count(open.shot, kChosen, 30, kTextLine + 9, 740, 20), 5000) << "the first, chosen";
    EXPECT_EQ(blueIn(open.shot, kTextLine + 31), 0);

    // A key while the answers still appear is not read: one down at frame 100 chooses the second.
    Level chosen = level("2 ask 1", "70 key tap DOWN\n100 key tap DOWN\n", 104);
    ASSERT_EQ(chosen.shot.width, 800);
    const Screenshot& s = chosen.shot;
    EXPECT_GT(count(s, kGoldInk, 121, kPanelTop - 20, 400, 24), 100) << "the question in the name's place";
    EXPECT_TRUE(near(s.at(20, kPanelTop - 90), kMiraGround)) << "the speaker's portrait";
    EXPECT_GT(count(s, kGoldInk, 25, kTextLine + 9, 300, 20), 50) << "the first answer";
    EXPECT_EQ(blueIn(s, kTextLine + 9), 0);
    EXPECT_GT(blueIn(s, kTextLine + 31), 5000) << "the second, chosen (the second box stays shaded)";
    EXPECT_GT(count(s, kGold, 0, kTextLine + 31, 16, 20), 40) << "the cursor beside it";

    Level second = level("2 ask 1", "70 key tap DOWN\n100 key tap DOWN\n105 key tap RETURN\n", 150);
    EXPECT_TRUE(second.run.inOrder({"LevelStandIn 2 ask 1", "LevelStandIn answer 1"})) << second.run.output;
    Level first = level("2 ask 1", "100 key tap RETURN\n", 145);
    EXPECT_TRUE(first.run.inOrder({"LevelStandIn 2 ask 1", "LevelStandIn answer 0"})) << first.run.output;
    EXPECT_TRUE(near(first.shot.at(400, kTextLine + 20), kFloor)) << "the prompt is over";
}

}  // namespace
