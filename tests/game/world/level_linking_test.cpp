// Level data linking: the object links per type, the event-script operands per opcode, and what
// stays unchanged (operands 0 and negative, set targets, missing keys).
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "game/world/level_data_seams.h"
#include "runtime/core/static_class.h"
#include "tests/game/world_fixture.h"
#include "tools/formats/cinematic_block.h"

namespace {

using Operands = std::vector<int16_t>;

class LevelLinkingTest : public mrc::test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        mrc::registerCinematicStatics();
        Game::cinematics = CinematicStatics{};
        mrc::levelDataSeams().findMessageEntryById = [](int32_t id) { return id + 1000; };
        // Keys: id 100 -> 7, id 200 -> 8.
        app()->staticClass->addRoot(&keys);
        keys = om()->newObjectArray(mrc::kClass_IntArray, 2);
        JArray::setRef(keys, 0, JArray::fillInts(om()->newIntArray(2), {100, 7}));
        JArray::setRef(keys, 1, JArray::fillInts(om()->newIntArray(2), {200, 8}));
    }
    void TearDown() override {
        mrc::levelDataSeams() = {};
        WorldTest::TearDown();
    }

    static std::vector<uint8_t> command(int op, const Operands& operands) {
        std::vector<uint8_t> b = {uint8_t(op), uint8_t(operands.size())};
        for (int16_t v : operands) {
            b.push_back(uint8_t(v & 0xFF));
            b.push_back(uint8_t((v >> 8) & 0xFF));
        }
        return b;
    }
    static Operands operandsOf(ByteArray* script, int32_t offset) {
        Operands out;
        const int32_t n = JArray::getByte(script, offset + 1);
        for (int32_t i = 0; i < n; ++i) {
            const int32_t at = offset + 2 + 2 * i;
            out.push_back(int16_t((JArray::getByte(script, at) & 0xFF) | JArray::getByte(script, at + 1) << 8));
        }
        return out;
    }

    ObjectArray* keys = nullptr;
};

struct Link {
    int32_t j, k, m, f;
};

TEST_F(LevelLinkingTest, EachObjectTypeResolvesItsLinks) {
    const struct {
        int32_t type;
        std::map<int32_t, int32_t> extra;
        std::vector<Link> links;
    } cases[] = {
        {1, {}, {{6, 7, 6, 8}}},
        {50, {}, {{6, 7, 6, 8}}},
        {22, {}, {{5, 6, 5, 0}}},
        {31, {}, {{5, 6, 5, 0}, {7, 8, 7, 0}}},
        {23, {}, {{3, 4, 3, 0}}},
        {24, {}, {{-1, 12, 12, -1}}},
        {25, {}, {{1, 2, 1, 0}}},
        {26, {}, {{1, 2, 1, 0}}},
        {32, {}, {{1, 2, 1, 0}}},
        {36, {}, {{1, 2, 1, 0}}},
        {33, {}, {{1, 2, 1, 0}, {8, 9, 8, -1}}},
        {29, {}, {{13, 14, 13, 0}}},
        {69, {{2, 1}}, {{6, 7, 6, 8}}},
        {69, {}, {{-1, 2, 2, -1}}},  // params[2] holds the id (>= 2)
        {80, {}, {{-1, 6, 6, -1}}},
        {83, {}, {{-1, 6, 6, -1}}},
        {84, {}, {{-1, 6, 6, -1}}},
        {86, {}, {{-1, 6, 6, -1}, {-1, 17, 17, -1}}},
    };
    for (const auto& c : cases) {
        std::map<int32_t, int32_t> values;
        for (int32_t i = 0; i < 20; ++i) values[i] = -3;
        for (const auto& [i, v] : c.extra) values[i] = v;
        for (const Link& l : c.links) values[l.k] = l.k == 9 || l.k == 17 ? 200 : 100;
        CObject* o = object(1, c.type, values, 20);
        Game::linkObjectKeys(list({nullptr, o}), keys);
        std::vector<int32_t> expected(20);
        for (int32_t i = 0; i < 20; ++i) expected[i] = values[i];
        for (const Link& l : c.links) expected[l.m] = l.k == 9 || l.k == 17 ? 8 : 7;
        EXPECT_EQ(paramsOf(o), expected) << "type " << c.type;
    }
}

TEST_F(LevelLinkingTest, SetTargetsStayAndMissingKeysFallBackByType) {
    const struct {
        int32_t type;
        std::map<int32_t, int32_t> values;
        std::map<int32_t, int32_t> changes;
    } cases[] = {
        {1, {{6, 4}, {7, 100}, {8, 5}}, {}},                 // target already set
        {22, {{5, 0}, {6, 100}}, {}},                         // 0 counts as set
        {1, {{6, -1}, {7, 999}, {8, 5}}, {{8, 0}}},           // missing: the fallback becomes 0
        {22, {{0, 9}, {5, -1}, {6, 999}}, {{0, 0}}},
        {80, {{6, 999}}, {}},                                 // no fallback: nothing changes
        {24, {{12, 999}, {0, 9}}, {{12, -1}}},                // types 24 and 29 store -1
        {29, {{0, 9}, {13, -2}, {14, 999}}, {{13, -1}}},
        {33, {{1, 2}, {8, -1}, {9, 999}}, {}},
    };
    for (const auto& c : cases) {
        std::map<int32_t, int32_t> values = c.values;
        CObject* o = object(1, c.type, values, 20);
        Game::linkObjectKeys(list({o}), keys);
        std::vector<int32_t> expected(20);
        for (const auto& [i, v] : c.values) expected[i] = v;
        for (const auto& [i, v] : c.changes) expected[i] = v;
        EXPECT_EQ(paramsOf(o), expected) << "type " << c.type;
    }
    Game::linkObjectKeys(nullptr, keys);
}

TEST_F(LevelLinkingTest, EventScriptOperandsAreLinkedByOpcode) {
    GameObjectStatics& g = Game::objects;
    g.s_type1Objects = list({object(11, 1), object(12, 1)});
    g.s_scriptObjects = list({object(5, 22), object(6, 33)});
    g.s_layerObjects = list({object(9, 50)});
    g.s_type20Objects = list({object(3, 20), object(21, 20)});
    g.s_type62Objects = list({object(4, 62)});
    g.s_type15Objects = list({object(2, 15), object(15, 15)});
    Game::loadCinematicTracks(bytes(formats::cinematicBlock({{40, {}}, {41, {}}})));

    const struct {
        int op;
        Operands in, out;
    } cases[] = {
        {110, {1, 12}, {1, 1}},       // list code 1: type 1
        {110, {5, 12}, {5, 12}},      // list code 5: no type
        {119, {2, 15}, {2, 1}},       // list code 2: type 15
        {112, {1, 12, -1, 200}, {1, 1, 8, 200}},
        {112, {1, 12, 3, 200}, {1, 1, 3, 200}},
        {113, {5, -1, 100}, {0, 7, 100}},
        {115, {12}, {1}},
        {115, {0}, {0}},              // 0 and negative operands stay
        {116, {-4}, {-4}},
        {115, {99}, {-1}},            // an unknown id becomes -1
        {117, {41}, {1}},
        {127, {40}, {0}},
        {172, {99}, {-1}},
        {120, {-1, 200}, {8, 200}},
        {121, {0, 0, 0, 0, -1, 100, 12}, {0, 0, 0, 0, 7, 100, 1}},
        {122, {0, 0, 0, 0, -1, 200}, {0, 0, 0, 0, 8, 200}},
        {124, {9, 100}, {0, 7}},
        {125, {15}, {1}},
        {148, {100, 4}, {7, 4}},
        {148, {100, 3}, {100, 3}},
        {150, {21, 200}, {1, 8}},
        {151, {4, 6}, {0, 1}},
        {156, {33}, {1033}},
        {156, {-33}, {-33}},
        {161, {4}, {0}},
        {178, {0, 0, 0, 0, 0, -1, 100, -1, -3}, {0, 0, 0, 0, 0, 7, 100, -1, -3}},
        {184, {200}, {8}},
        {118, {1, 12, 0, 0, 1, 11}, {1, 1, 0, 0, 1, 0}},
        {181, {100}, {100}},          // an object-record opcode this linker leaves alone
        {109, {100}, {100}},
        {185, {100}, {100}},
        {115, {}, {}},                // no operand to resolve
    };
    for (const auto& c : cases) {
        ByteArray* script = bytes(command(c.op, c.in));
        Game::linkEventScript(keys, script);
        EXPECT_EQ(operandsOf(script, 0), c.out) << "opcode " << c.op;
    }
}

TEST_F(LevelLinkingTest, AScriptIsWalkedCommandByCommand) {
    Game::objects.s_type1Objects = list({object(11, 1), object(12, 1)});
    Game::objects.s_templates = list({object(90, 80), object(100, 80)});
    std::vector<uint8_t> run;
    for (const auto& c : {command(115, {12}), command(166, {100, 100}), command(184, {100}), command(115, {11, 7})})
        run.insert(run.end(), c.begin(), c.end());
    run.push_back(115);  // a command cut short: the walk ends
    ByteArray* script = bytes(run);
    Game::linkEventScript(keys, script);
    EXPECT_EQ(operandsOf(script, 0), (Operands{1}));
    // A record opcode goes to the record linker: its template id becomes the template's index,
    // and nothing else of the command is linked by kind.
    EXPECT_EQ(operandsOf(script, 4), (Operands{1, 100}));
    EXPECT_EQ(operandsOf(script, 10), (Operands{7}));
    EXPECT_EQ(operandsOf(script, 14), (Operands{0, 7}));
    Game::linkEventScript(keys, nullptr);
}

}  // namespace
