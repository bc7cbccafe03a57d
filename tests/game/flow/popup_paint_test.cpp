// The current popup's painters on a real picture: the time bar's warning blink in its last
// quarter, the icon row's to-do and done icons, and the empty row and bar that guard their
// divisions.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/arrays.h"
#include "tests/game/flow/hud_fixture.h"

namespace mrc::test {
namespace {

class PopupPaintTest : public HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        Game::initPopups();
    }
    // A shown popup with the given fields.
    static IntArray* show(std::initializer_list<std::pair<int32_t, int32_t>> fields) {
        const int32_t i = Game::openPopup();
        auto* r = static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, i));
        for (const auto& [f, v] : fields) r->elements()[f] = v;
        r->elements()[0] = 2;
        return r;
    }
};

// Frame 98's rectangle 1 {10, 30, 60, 8} under element 12 at (200, 300): the bar at (210, 330).
TEST_F(PopupPaintTest, TheTimeBarBlinksEverySixPixelsInItsLastQuarter) {
    IntArray* r = show({{1, 1}, {4, 1000}});
    const int32_t timer = Game::timerAlloc();
    r->elements()[18] = timer;
    const struct {
        int32_t ms, used;
        bool line;
    } cases[] = {{734, 44, false}, {767, 46, false}, {800, 48, true}, {834, 50, true}, {850, 51, false},
                 {900, 54, true}};
    for (const auto& c : cases) {
        Game::restartTimer(timer);
        step(c.ms);
        clear();
        Game::paintPopupTimeBar(g);
        EXPECT_EQ(is(210, 334, 0xFFF30800u), c.line) << c.ms;
        EXPECT_TRUE(is(210 + c.used - 1, 331, kWhite)) << "the used part is empty";
        EXPECT_FALSE(is(210 + c.used, 331, kWhite)) << "the rest is the gradient";
        EXPECT_EQ(g->getClipWidth(), 800);
    }
    r->elements()[4] = 0;
    clear();
    Game::paintPopupTimeBar(g);
    EXPECT_TRUE(is(269, 331, kWhite)) << "no limit: nothing";
}

// Frame 98's rectangle 0 is 120 wide: five icons 24 px apart from (312, 300).
TEST_F(PopupPaintTest, TheRowShowsDoneIconsTheNewestAnimatedAndTheRestToDo) {
    ASpriteInstance* newest = instance(8, 2, -50, -50);
    IntArray* r = show({{2, 4}, {6, 0}, {7, 5}, {10, 3}, {13, 2}, {14, 2}});
    Game::paintPopupRow(g);
    std::vector<bool> icons;
    for (int32_t k = 0; k < 6; ++k) icons.push_back(is(313 + 24 * k, 301, kRed));
    EXPECT_EQ(icons, (std::vector<bool>{true, true, true, true, true, false}));
    EXPECT_EQ(newest->getX(), -50) << "no animated icon with nothing done";
    r->elements()[6] = 2;
    r->elements()[14] = 1;  // done icons: the tall block
    clear();
    Game::paintPopupRow(g);
    EXPECT_TRUE(is(313, 330, kRed)) << "one done icon";
    EXPECT_EQ(newest->getX(), 312 + 24) << "the newest in the second place";
    EXPECT_FALSE(is(313 + 24, 330, kRed));
    EXPECT_TRUE(is(313 + 48, 301, kRed));
    EXPECT_FALSE(is(313 + 120, 301, kRed));
    // A total of 0, or a kind without a row: nothing.
    for (const auto& [kind, total] : {std::pair{4, 0}, std::pair{5, 5}}) {
        r->elements()[2] = kind;
        r->elements()[7] = total;
        clear();
        Game::paintPopupRow(g);
        EXPECT_FALSE(is(313, 301, kRed)) << kind << " " << total;
    }
}

// Sprite 21: frame f is a 2 x 2 block f * 4 px right of the player's screen position.
TEST_F(PopupPaintTest, TheMarkersShowEachItemByTheMaskThatHasIt) {
    formats::SpriteData d;
    d.modules.push_back({formats::ModuleKind::Filled, 2, 2, 0, 0, kRed, {}, {}});
    for (int f = 0; f < 8; ++f) d.frames.push_back({{{0, int16_t(f * 4), 0, 0}}, {}, {}});
    d.palettes = {{kRed}};
    st.sprites->elements()[21] = sprite(d);
    ASSERT_FALSE(isNull(player->m_sprite));
    player->m_sprite->setPosition(100, 200);
    const int32_t* bits = Game::flowStatics.s_itemMasks->elements();
    IntArray* r = show({{2, 1}, {15, bits[0]}, {16, bits[1]}, {17, bits[2]}, {20, 1}});
    g_pendingCalls.clear();
    Game::paintPopupMarkers(g);
    std::vector<bool> frames;
    for (int f = 0; f < 8; ++f) frames.push_back(is(100 + f * 4, 200, kRed));
    // Item 0 by mask A: frames 0 and 3; item 1 by B: 2 and 4; item 2 by C: 1 and 5.
    EXPECT_EQ(frames, (std::vector<bool>{true, true, true, true, true, true, false, false}));
    EXPECT_EQ(count("Game::computeLayerOffset"), 1);
    EXPECT_EQ(count("Game::computeLayerOffsetAlt"), 1) << "the player is put back in the world";
    r->elements()[2] = 2;
    clear();
    Game::paintPopupMarkers(g);
    EXPECT_FALSE(is(100, 200, kRed)) << "only counter kind 1 has markers";
}

}  // namespace
}  // namespace mrc::test
