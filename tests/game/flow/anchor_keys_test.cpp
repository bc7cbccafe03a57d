// The draw-order keys of the display lists: the paint priority by type (layered) and the
// position key with its raised parts, links and per-type keys.
#include <gtest/gtest.h>

#include "tests/game/world_fixture.h"

namespace {

using namespace mrc;

class AnchorKeysTest : public test::WorldTest {
protected:
    // Attached part 0 at (7, 3), raised; part 1 at (9, 4) with priority 6.
    void SetUp() override {
        WorldTest::SetUp();
        Game::objects.s_attachedObjects =
            list({object(1, 10, {{7, 1}, {8, 4}}, 50, 7, 3), object(2, 11, {{7, 0}, {8, 6}}, 50, 9, 4)});
    }
};

TEST_F(AnchorKeysTest, LayeredKeysArePriorityThenX) {
    const struct {
        int32_t type;
        std::map<int32_t, int32_t> params;
        int32_t priority;
    } cases[] = {
        {0, {}, 5},
        {1, {{15, 3}}, 3},
        {3, {{15, 2}}, 2},
        {5, {{9, 7}}, 7},
        {10, {{7, 1}, {8, 4}}, 11},
        {12, {{7, 0}, {8, 4}}, 4},
        {17, {{8, 9}}, 9},
        {15, {{15, 1}, {12, 2}}, 11},
        {15, {{15, 0}, {12, 2}}, 2},
        {16, {{3, 0}}, 11},
        {16, {{3, 1}}, 6},
        {16, {{3, -1}}, 1},
        {20, {{8, 3}}, 3},
        {50, {{10, 12}}, 12},
        {62, {{4, 2}}, 2},
        {63, {{4, 4}}, 4},
        {69, {{1, 9}}, 9},
        {80, {{5, 3}}, 3},
        {87, {{5, 4}}, 4},
        {300, {}, 8},
        {303, {}, 8},
        {306, {}, 8},
        {301, {}, 6},
        {302, {{9, 2}}, 2},
        {305, {{8, 10}}, 10},
        {40, {}, 1},
    };
    for (const auto& c : cases) {
        CObject* o = object(5, c.type, c.params, 50, 33, 21);
        EXPECT_EQ(Game::objectAnchorY(o, true), c.priority * 16384 + 33) << "type " << c.type;
    }
}

TEST_F(AnchorKeysTest, PositionKeysOrderByRowAndColumn) {
    const int32_t plain = 256 * 21 + 33;
    const struct {
        int32_t type;
        std::map<int32_t, int32_t> params;
        int32_t key;
    } cases[] = {
        {10, {{7, 1}}, plain + 123680},
        {13, {{7, 0}}, plain},
        {12, {{7, 1}}, plain},  // not among the raised parts
        {15, {{15, 1}}, plain + 123680},
        {15, {{15, 0}}, plain},
        {300, {}, plain + 123680},
        {16, {{3, 1}}, 256 * 4 + 9 + 1},
        {16, {{3, -1}}, plain},
        {63, {{9, 5}}, 2 * 21 + 33 + 5},
        {302, {{3, 1}, {9, 5}}, 2 * 21 + 33 + 5},
        {302, {{3, 0}, {9, 5}}, plain},
        {21, {{9, 0}, {19, 1}, {0, 1}}, 9},
        {21, {{9, 1}, {19, 1}, {0, 1}}, plain},
        {40, {}, plain},
    };
    for (const auto& c : cases) {
        CObject* o = object(5, c.type, c.params, 50, 33, 21);
        EXPECT_EQ(Game::objectAnchorY(o, false), c.key) << "type " << c.type;
    }
    auto* linked = static_cast<CObject*>(Game::objects.s_attachedObjects->elements()[1]);
    EXPECT_EQ(linked->m_sortKey, 9) << "the type-21 key is stored in the linked object";
}

}  // namespace
