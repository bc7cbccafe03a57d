// A level with cell grids built from pictures, a layer object with its own grid, and the seams of
// the pending object queries recording their calls and answering from tables.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "game/flow/pending_seams.h"
#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "tests/game/world_fixture.h"

namespace mrc::test {

struct RecordedCall {
    std::string name;
    std::vector<int32_t> args;
    bool operator==(const RecordedCall&) const = default;
};

inline void PrintTo(const RecordedCall& c, std::ostream* os) {
    *os << c.name << "(";
    for (std::size_t i = 0; i < c.args.size(); ++i) *os << (i ? ", " : "") << c.args[i];
    *os << ")";
}

class CellGridTest : public WorldTest {
protected:
    // The layer object's origin (pixels), its 3 x 3 grid, and the area the stand-in object query
    // finds it in: one cell more on every side than its grid.
    static constexpr int32_t kLayerX = 100, kLayerY = 70;

    void SetUp() override {
        WorldTest::SetUp();
        gamePendingSeams() = {};
        calls().clear();
        objectEdges().clear();
        hits().clear();
        // The fixture lives on the heap, out of the collector's sight.
        ApplicationImpl::getApplication()->staticClass->addRoot(&layer);
        standardLevel();

        auto& seams = gamePendingSeams();
        seams.findObjectInRange = [](int32_t x, int32_t y, ObjectArray* objects, int32_t from, int32_t to, bool,
                                     bool) -> CObject* {
            calls().push_back({"findObjectInRange", {x, y}});
            if (auto it = hits().find({x, y}); it != hits().end()) return it->second;
            for (int32_t i = from; i < to && i < objects->length; ++i) {
                auto* o = static_cast<CObject*>(objects->elements()[i]);
                const int32_t ox = o->m_sprite->x >> 14, oy = o->m_sprite->y >> 14;
                if (o->m_type == Game::kLayerType && x >= ox - 32 && x < ox + 128 && y >= oy - 32 && y < oy + 128)
                    return o;
            }
            return nullptr;
        };
        seams.findOnScreenObject = [](int32_t x, int32_t y, int32_t a, int32_t b, int32_t c) {
            calls().push_back({"findOnScreenObject", {x, y, a, b, c}});
            auto it = objectEdges().find({x, y});
            return it == objectEdges().end() ? -1 : it->second;
        };
        seams.setGridFlagsInRect = [](int32_t layer, int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode,
                                      int32_t bits) {
            calls().push_back({"setGridFlagsInRect", {layer, x, y, w, h, mode, bits}});
        };
        seams.selectTarget = [](CObject* o, int32_t snap) {
            calls().push_back({"selectTarget", {o->m_sprite->x >> 14, o->m_sprite->y >> 14, snap}});
        };
        seams.clearTarget = [](CObject* o) {
            calls().push_back({"clearTarget", {o->m_sprite->x >> 14, o->m_sprite->y >> 14}});
        };
        seams.computeBorderDistance = [](CObject*, int32_t direction, int32_t margin, int32_t x, int32_t y,
                                         int32_t w, int32_t h) {
            calls().push_back({"computeBorderDistance", {direction, margin, x, y, w, h}});
            return 7;
        };
        seams.probeLeavesBox = [](int32_t direction, CObject*, int32_t x, int32_t y, int32_t w, int32_t h) {
            calls().push_back({"probeLeavesBox", {direction, x, y, w, h}});
            return true;
        };
        seams.paintMapCells = [](javax_microedition_lcdui_Graphics*, int32_t, int32_t, int32_t, int32_t,
                                 int32_t column, int32_t row, bool variant) {
            calls().push_back({"paintMapCells", {column, row, variant ? 1 : 0}});
        };
    }
    void TearDown() override {
        gamePendingSeams() = {};
        WorldTest::TearDown();
    }

    // The level of 10 x 8 cells with the layer object.
    void standardLevel() {
        // 10 x 8 cells. '2': 0x0002, 'P': 0x0200, 'F': 0x2000 (the floor).
        Game::grids.s_levelGrid = grid({"2.2.......",
                                        "..........",
                                        "..........",
                                        "....P.....",
                                        "..........",
                                        "..........",
                                        "..........",
                                        "FFFFFFFFFF"});
        layer = object(1, Game::kLayerType, {{19, 0}}, 50, kLayerX, kLayerY);
        Game::grids.s_layerGrids = om()->newObjectArray(kClass_ObjectArray, 1);
        // '4': 0x0004, 'S': 0x0020.
        Game::grids.s_layerGrids->elements()[0] = grid({"4..", "...", "..S"});
        Game::objects.s_layerObjects = list({layer});
        Game::grids.s_viewObjects = list({layer});
        Game::grids.s_viewObjectCount = 1;
        Game::setCurrentRoom(nullptr);
    }

public:
    // A grid from rows of characters (row 0 first); '.' is 0, other characters by the table.
    static ObjectArray* grid(const std::vector<std::string>& rows) {
        static const std::map<char, int32_t> bits = {{'2', 0x0002}, {'4', 0x0004}, {'S', 0x0020}, {'P', 0x0200},
                                                     {'F', 0x2000}, {'B', 0x0040}, {'M', 0x0010}, {'G', 0x0042},
                                                     {'L', 0x0200}, {'H', 0x0400}, {'X', 0xFFFF}};
        const auto columns = static_cast<int32_t>(rows.empty() ? 0 : rows[0].size());
        ObjectArray* g = om()->newObjectArray(kClass_ShortArray, columns);
        for (int32_t c = 0; c < columns; ++c) {
            ShortArray* cells = om()->newShortArray(static_cast<int32_t>(rows.size()));
            g->elements()[c] = cells;
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const char ch = rows[r][static_cast<std::size_t>(c)];
                cells->elements()[r] = static_cast<int16_t>(ch == '.' ? 0 : bits.at(ch));
            }
        }
        return g;
    }
    // A level of its own, without layer objects.
    static void useLevel(const std::vector<std::string>& rows) {
        Game::grids.s_levelGrid = grid(rows);
        Game::objects.s_layerObjects = om()->newObjectArray(kClass_CObject, 0);
        Game::grids.s_viewObjectCount = 0;
        Game::setCurrentRoom(nullptr);
    }

    // An empty level of 10 x 8 cells, and one with the given cells set to `c`.
    static std::vector<std::string> empty() { return std::vector<std::string>(8, ".........."); }
    static std::vector<std::string> levelWith(std::vector<std::pair<int, int>> cells, char c = '2') {
        auto rows = empty();
        for (auto [column, row] : cells) rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = c;
        return rows;
    }
    // The player at pixel (x, y) with a 40 x 60 box whose feet are at its position, on an empty level.
    CObject* placePlayer(int32_t x, int32_t y) {
        auto& s = CObject::statics;
        s.s_boxWidth = 40;
        s.s_boxHeight = 60;
        s.s_boxOffsetX = 20;
        s.s_boxOffsetY = 60;
        CObject* player = object(1, 0, {}, 50, x, y);
        Game::objects.s_player = player;
        useLevel(empty());
        return player;
    }

    // Calls recorded by the seams, optionally only those of one name.
    static std::vector<RecordedCall>& calls() {
        static std::vector<RecordedCall> recorded;
        return recorded;
    }
    static std::vector<RecordedCall> callsOf(const std::string& name) {
        std::vector<RecordedCall> out;
        for (const auto& c : calls())
            if (c.name == name) out.push_back(c);
        return out;
    }
    // Answers of findOnScreenObject and findObjectInRange by point.
    static std::map<std::pair<int32_t, int32_t>, int32_t>& objectEdges() {
        static std::map<std::pair<int32_t, int32_t>, int32_t> table;
        return table;
    }
    static std::map<std::pair<int32_t, int32_t>, CObject*>& hits() {
        static std::map<std::pair<int32_t, int32_t>, CObject*> table;
        return table;
    }

    // Packed kind records: per kind its entries (index -> value) in one table.
    static void packedKinds(const std::vector<std::map<int32_t, int32_t>>& kinds) {
        constexpr int32_t kRecord = 40;
        const auto n = static_cast<int32_t>(kinds.size());
        Game::tables.s_summaryIndex = om()->newShortArray(n);
        Game::tables.s_summaryTable = om()->newShortArray(n * kRecord);
        for (int32_t k = 0; k < n; ++k) {
            Game::tables.s_summaryIndex->elements()[k] = static_cast<int16_t>(k * kRecord);
            for (const auto& [i, v] : kinds[static_cast<std::size_t>(k)])
                Game::tables.s_summaryTable->elements()[k * kRecord + i] = static_cast<int16_t>(v);
        }
    }

    CObject* layer = nullptr;
};

}  // namespace mrc::test
