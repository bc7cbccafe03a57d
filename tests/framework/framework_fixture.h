// A started runtime with the framework's statics registered and initialised, the game's hooks
// empty, and helpers for sprites and screens.
#pragma once

#include <cstring>
#include <vector>

#include "framework/config/qxlib_config.h"
#include "framework/core/framework_statics.h"
#include "framework/core/game_base.h"
#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "tests/fixtures/sprite_file.h"
#include "tests/platform/lcdui/lcdui_fixture.h"

namespace mrc::test {

class FrameworkTest : public LcduiTest {
protected:
    void SetUp() override {
        registerFrameworkStatics();
        gameHooks() = GameHooks{};
        LcduiTest::SetUp();
        QXLibConfig::clinit();
        ASprite::clinit();
    }
    void TearDown() override {
        gameHooks() = GameHooks{};
        LcduiTest::TearDown();
    }

    // Empty ones included.
    static ByteArray* bytes(const std::vector<uint8_t>& values) {
        ByteArray* a = om()->newByteArray(static_cast<int32_t>(values.size()));
        if (!values.empty()) std::memcpy(a->elements(), values.data(), values.size());
        return a;
    }
    static ASprite* newSprite(const fixtures::SpriteData& data) {
        ByteArray* b = bytes(fixtures::spriteFile(data));
        ASprite* sprite = mrc::newObject<ASprite>();
        EXPECT_TRUE(sprite->load(b, 0));
        return sprite;
    }
    // paintEffectParams as int[rows][8], all zero.
    static void makeEffectParams(int32_t rows = 14) {
        ObjectArray* params = om()->newObjectArray(kClass_IntArray, rows);
        GameBase::statics.paintEffectParams = params;
        for (int32_t r = 0; r < rows; ++r) params->elements()[r] = om()->newIntArray(8);
    }
    static void setEffectParam(int32_t row, int32_t column, int32_t value) {
        static_cast<IntArray*>(GameBase::statics.paintEffectParams->elements()[row])->elements()[column] = value;
    }
    static std::vector<int32_t> intsOf(IntArray* a, int32_t n) {
        return a ? std::vector<int32_t>(a->elements(), a->elements() + n) : std::vector<int32_t>{};
    }
};

}  // namespace mrc::test
