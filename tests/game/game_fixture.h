// A started runtime with the framework and the game's statics initialised, a constructed game
// canvas, and a record of the calls that reach routines not built yet.
#pragma once

#include <string>
#include <vector>

#include "framework/core/ketra_krvd.h"
#include "game/flow/game.h"
#include "game/flow/game_statics.h"
#include "game/pending.h"
#include "runtime/util/hashtable.h"
#include "tests/framework/framework_fixture.h"

namespace mrc::test {

inline std::vector<std::string> g_pendingCalls;

class GameTest : public FrameworkTest {
protected:
    void SetUp() override {
        registerGameStatics();
        registerFrameworkClasses();
        FrameworkTest::SetUp();
        registerGameClasses();
        GameStatics::clinit();
        GameInput::inputHooks = GameInput::Hooks{};
        g_pendingCalls.clear();
        game_pending::observer = [](const char* name) { g_pendingCalls.emplace_back(name); };
    }
    void TearDown() override {
        game_pending::observer = nullptr;
        Game::initStateTables();
        FrameworkTest::TearDown();
    }

    // A constructed game canvas, as KetraKRVD::startApp makes it.
    static Game* newGame() {
        auto* game = static_cast<Game*>(NewInstanceFactory::newInstance(kClass_Game));
        KetraKRVD* midlet = newObject<KetraKRVD>();
        midlet->properties = java_util_Hashtable::newInstance(11);
        gameHooks().initGame(game, midlet, newObject<javax_microedition_lcdui_Display>());
        return game;
    }
    static int count(const char* name) {
        int n = 0;
        for (const std::string& s : g_pendingCalls) n += s == name;
        return n;
    }
    static void state(int32_t state, int32_t sub) {
        GameOverlay::overlayStatics.gameState = state;
        GameOverlay::overlayStatics.gameSubState = sub;
    }
    // A script: one int[] per command.
    static ObjectArray* script(const std::vector<std::vector<int32_t>>& commands) {
        ObjectArray* s = om()->newObjectArray(kClass_IntArray, static_cast<int32_t>(commands.size()));
        for (std::size_t i = 0; i < commands.size(); ++i) {
            IntArray* c = om()->newIntArray(static_cast<int32_t>(commands[i].size()));
            for (std::size_t k = 0; k < commands[i].size(); ++k) c->elements()[k] = commands[i][k];
            s->elements()[i] = c;
        }
        return s;
    }
    // Preset list n replaced.
    static void preset(int32_t n, ObjectArray* list) { GameOverlay::overlayStatics.eventActions->elements()[n] = list; }

    Game::StateStatics& st = Game::stateStatics;
    GameOverlay::OverlayStatics& ov = GameOverlay::overlayStatics;
    GameInput::Statics& in = GameInput::inputStatics;
};

}  // namespace mrc::test
