// The player's probe of the column before it: a blocked cell answers first, else the objects met
// going down the column, one cell apart, the first of them linked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/pending.h"
#include "tests/game/cell_grid_fixture.h"

namespace {

using namespace mrc;
using test::RecordedCall;

std::vector<std::string> g_linked;

class FrontProbeTest : public test::CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        g_linked.clear();
        game_pending::observer = [](const char* name) {
            if (std::string(name) == "Game::updatePlayerLink") g_linked.emplace_back(name);
        };
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        CObject::statics.s_heldObject = nullptr;
        CObject::statics.s_inputDirection = 0;
        CObject::statics.s_playerCollisionMask = 0;
        CellGridTest::TearDown();
    }
    static std::vector<RecordedCall> probes(int32_t x, std::vector<int32_t> ys) {
        std::vector<RecordedCall> out;
        for (int32_t y : ys) out.push_back({"findObjectInRange", {x, y}});
        return out;
    }
};

TEST_F(FrontProbeTest, TheColumnBeforeThePlayerIsProbedCellByCellUntilAnObjectIsMet) {
    CObject* player = placePlayer(200, 200);
    // A 40 x 127 box, 100 above the feet: its top at y 100, its bottom at 227 (not probed), the column
    // before it at x 179 (left) or 220 (right).
    CObject::statics.s_boxHeight = 127;
    CObject::statics.s_boxOffsetY = 100;
    CObject::statics.s_playerCollisionMask = 0x0002;
    CObject* other = object(7, 20, {}, 50, 0, 0);
    const struct {
        const char* what;
        int32_t facing;
        std::vector<std::pair<int, int>> blocked;  // cells holding 0x0002
        char bit;
        std::pair<int32_t, int32_t> hit;  // a point where an object is met; {0, 0}: none
        int32_t answer;
        std::vector<RecordedCall> probed;
        bool linked;
    } cases[] = {
        {"left, nothing there", 0x408, {}, '2', {0, 0}, 0, probes(179, {131, 163, 195}), false},
        {"right, nothing there", 0x1010, {}, '2', {0, 0}, 0, probes(220, {131, 163, 195}), false},
        {"an object on the second probe", 0x408, {}, '2', {179, 163}, 0, probes(179, {131, 163}), true},
        {"the front cell blocked", 0x408, {{5, 3}}, '2', {179, 131}, 1, {}, false},
        {"blocked right", 0x1010, {{6, 3}}, '2', {0, 0}, 1, {}, false},
        {"a cell of another bit", 0x408, {{5, 3}}, '4', {0, 0}, 0, probes(179, {131, 163, 195}), false},
        {"a cell behind the player", 0x1010, {{5, 3}}, '2', {0, 0}, 0, probes(220, {131, 163, 195}), false},
    };
    for (const auto& c : cases) {
        useLevel(levelWith(c.blocked, c.bit));
        CObject::statics.s_inputDirection = c.facing;
        hits().clear();
        if (c.hit.first != 0) hits()[c.hit] = other;
        calls().clear();
        g_linked.clear();
        EXPECT_EQ(player->probeFront(), c.answer) << c.what;
        // The cell test may itself ask which grid owns the front cell, at the box's top (y 100).
        std::vector<RecordedCall> probed;
        for (const auto& call : calls())
            if (call.args[1] != 100) probed.push_back(call);
        EXPECT_EQ(probed, c.probed) << c.what;
        EXPECT_EQ(g_linked.size(), c.linked ? 1u : 0u) << c.what;
    }
}

TEST_F(FrontProbeTest, NothingIsProbedWhileAnObjectIsHeld) {
    CObject* player = placePlayer(200, 200);
    useLevel(levelWith({{5, 4}, {5, 5}}));
    CObject::statics.s_playerCollisionMask = 0x0002;
    CObject::statics.s_inputDirection = 0x408;
    CObject::statics.s_heldObject = object(9, 20);
    hits()[{179, 171}] = object(7, 20);
    EXPECT_EQ(player->probeFront(), 0);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(g_linked.empty());
}

}  // namespace
