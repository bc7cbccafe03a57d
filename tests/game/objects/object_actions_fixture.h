// Objects on the cell-grid fixture's level with every seam of the routines not built yet recording
// into one ordered log: the stand-ins' names, the events sent, the sounds requested, and the
// arguments of the seams that answer (tile probes, loot, launches).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "game/objects/action_seams.h"
#include "game/objects/interaction_seams.h"
#include "game/objects/motion_seams.h"
#include "game/pending.h"
#include "tests/game/cell_grid_fixture.h"

namespace mrc::test {

class ObjectActionsTest : public CellGridTest {
protected:
    void SetUp() override {
        CellGridTest::SetUp();
        interactionSeams() = {};
        motionSeams() = {};
        actionSeams() = {};
        log().clear();
        answers().clear();
        // Stand-ins whose seams record richer entries below are not logged by name.
        game_pending::observer = [](const char* name) {
            static const std::set<std::string> recordedBySeam = {
                "CObject::onEvent", "CObject::canMoveWithBodyBox", "CObject::clampMoveToBlocked",
                "Game::placeAtTile", "Game::findObjectInRange", "Game::launchProjectile"};
            if (!recordedBySeam.contains(name)) log().emplace_back(name);
        };
        motionSeams().onEvent = [](int32_t event, CObject*) { log().push_back("event " + std::to_string(event)); };
        actionSeams().requestEffectSound = [](int32_t s) { log().push_back("sound " + std::to_string(s)); };
        // The body-box test answers from the queue, true once it is empty; each records the y.
        motionSeams().canMoveWithBodyBox = [](CObject* o) {
            log().push_back("at y " + std::to_string(o->m_sprite->y));
            if (answers().empty()) return true;
            const bool a = answers().front();
            answers().erase(answers().begin());
            return a;
        };
        motionSeams().clampMoveToBlocked = [](CObject*, int32_t ox, int32_t oy, int32_t w, int32_t h, int32_t code,
                                              int32_t mask, int32_t flag) {
            log().push_back("clamp " + join({ox, oy, w, h, code, mask, flag}));
            return 0;
        };
        interactionSeams().placeAtTile = [](int32_t x, int32_t y, int32_t kind) {
            log().push_back("loot " + join({x, y, kind}));
        };
        Game::menuStatics.soundEffectsOn = 1;
        Game::initTimers(0);
        Game::updateGameTime();
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        interactionSeams() = {};
        motionSeams() = {};
        actionSeams() = {};
        CellGridTest::TearDown();
    }

    static std::string join(std::initializer_list<int32_t> values) {
        std::string s;
        for (int32_t v : values) {
            if (!s.empty()) s.append(" ");
            s.append(std::to_string(v));
        }
        return s;
    }
    // The log's entries that begin with `prefix`.
    static std::vector<std::string> logged(const std::string& prefix) {
        std::vector<std::string> out;
        for (const std::string& s : log())
            if (s.rfind(prefix, 0) == 0) out.push_back(s);
        return out;
    }
    void advance(int32_t ms) {
        clock.advance(ms);
        Game::updateGameTime();
    }
    static void frame(int64_t ms) { Game::stateStatics.frameTime = ms; }

    static std::vector<std::string>& log() {
        static std::vector<std::string> entries;
        return entries;
    }
    static std::vector<bool>& answers() {
        static std::vector<bool> queue;
        return queue;
    }
};

}  // namespace mrc::test
