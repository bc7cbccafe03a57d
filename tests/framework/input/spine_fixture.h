// The framework fixture with QXLib's key tables and the game's input state in place, and a canvas
// that records the key calls the framework makes into it.
#pragma once

#include <vector>

#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "host/core/clock.h"
#include "platform/lcdui/displayable.h"
#include "tests/framework/framework_fixture.h"

class RecordingCanvas : public javax_microedition_lcdui_Canvas {
public:
    using Base = javax_microedition_lcdui_Canvas;
    static constexpr uint16_t kClassId = mrc::kClass_javax_microedition_lcdui_Canvas;

    void keyPressed(int32_t code) override { pressed.push_back(code); }
    void keyReleased(int32_t code) override { released.push_back(code); }
    void keyRepeated(int32_t code) override { repeated.push_back(code); }
    void pointerPressed(int32_t x, int32_t y) override { GameInput::onPointerPressed(x, y); }

    std::vector<int32_t> pressed, released, repeated;
};

namespace mrc::test {

class SpineTest : public FrameworkTest {
protected:
    void SetUp() override {
        registerQXLibStatics();
        FrameworkTest::SetUp();
        GameInput::inputHooks = GameInput::Hooks{};
        GameInput::inputHooks.gameState = [] { return s_state; };
        s_state = 0;
        QXLib::initKeyTable();
        GameInput::initInputStatics();
    }
    void TearDown() override {
        GameInput::inputHooks = GameInput::Hooks{};
        FrameworkTest::TearDown();
    }
    // One frame's key steps: the snapshot, then the game-level masks.
    void frame(QXLib::Canvas* canvas = nullptr) {
        QXLib::snapshotKeys();
        QXLib::computeKeyMasks(canvas);
    }
    static inline int32_t s_state = 0;
};

}  // namespace mrc::test
