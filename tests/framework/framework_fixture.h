// A started runtime with the framework's statics registered and initialised, the game's hooks
// empty, and helpers for sprites and screens.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "framework/config/qxlib_config.h"
#include "framework/core/framework_statics.h"
#include "framework/core/game_base.h"
#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "tools/formats/sprite_file.h"
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
    static ASprite* newSprite(const formats::SpriteData& data) {
        ByteArray* b = bytes(formats::spriteFile(data));
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
    // The box (x, y, w, h) of the pixels that differ from `background`; all 0 when none do.
    static std::array<int32_t, 4> inkBox(javax_microedition_lcdui_Image* image, uint16_t background = 0) {
        std::vector<uint16_t> px = pixelsOf(image);
        int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = -1, y1 = -1;
        for (int32_t y = 0; y < image->height; ++y)
            for (int32_t x = 0; x < image->width; ++x)
                if (px[std::size_t(y * image->width + x)] != background) {
                    x0 = std::min(x0, x);
                    y0 = std::min(y0, y);
                    x1 = std::max(x1, x);
                    y1 = std::max(y1, y);
                }
        if (x1 < 0) return {0, 0, 0, 0};
        return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    }
    static std::vector<int32_t> intsOf(IntArray* a, int32_t n) {
        return a ? std::vector<int32_t>(a->elements(), a->elements() + n) : std::vector<int32_t>{};
    }
};

}  // namespace mrc::test
