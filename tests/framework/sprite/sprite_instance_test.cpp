#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "framework/sprite/sprite_instance.h"
#include "platform/graphics/pixels.h"
#include "runtime/lang/construct.h"
#include "tests/framework/framework_fixture.h"

namespace {

using namespace formats;
using Image = javax_microedition_lcdui_Image;

constexpr uint32_t kBlock = 0x336699;
constexpr uint16_t kBlock565 = mrc::gfx::argbToRgb565(0xFF000000u | kBlock);

class SpriteInstances : public mrc::test::FrameworkTest {
protected:
    // Module 0 is a filled 4 x 3 block; frames 0-4 each hold it at offset (frame, 0), frame 1 with
    // two rectangles. The animations are set per test by their durations.
    static SpriteData blocks(const std::vector<std::vector<uint8_t>>& durations) {
        SpriteData d;
        d.modules = {{ModuleKind::Filled, 4, 3, 0, 0, kBlock, {}, std::nullopt}};
        d.rectSection = true;
        for (int16_t f = 0; f < 5; ++f) d.frames.push_back({{{0, f, 0, 0}}, {}, std::nullopt});
        d.frames[1].rects = {{-3, 2, 5, 6}, {1, -1, 200, 2}};
        for (const auto& anim : durations) {
            std::vector<SpriteAnimFrame> frames;
            for (std::size_t k = 0; k < anim.size(); ++k) frames.push_back({int32_t(k % 5), anim[k], 0, 0, 0});
            d.animations.push_back(frames);
        }
        d.paletteSection = false;
        return d;
    }
    static ASpriteInstance* instance(ASprite* sprite, int32_t x = 0, int32_t y = 0, ASpriteInstance* parent = nullptr) {
        return mrc::newConstructed<ASpriteInstance>(sprite, x, y, parent);
    }
    // Runs `updates` updates of `steps` logic steps each; the frames after each, "E" marking an
    // update that ended the animation.
    static std::string play(ASpriteInstance* a, int32_t updates, int32_t steps = 1) {
        std::string out;
        ASpriteInstance::statics.logicStepsThisFrame = steps;
        for (int32_t n = 0; n < updates; ++n) {
            a->updateAnim();
            out += std::to_string(a->aframe) + (a->ended ? "E" : "") + (n + 1 < updates ? " " : "");
        }
        return out;
    }
    static std::array<int32_t, 4> rectOf(IntArray* r) {
        return {r->elements()[0], r->elements()[1], r->elements()[2], r->elements()[3]};
    }
};

TEST_F(SpriteInstances, AnimationsLoopReverseHoldAndEnd) {
    struct Case {
        const char* name;
        std::vector<uint8_t> durations;
        int32_t step, loops, steps, updates;
        const char* frames;
    } cases[] = {
        {"for ever", {2, 1}, 1, -1, 1, 6, "0 1 0E 0 1 0E"},
        {"once", {1, 1, 1}, 1, 0, 1, 5, "1 2 2E 2E 2E"},
        {"twice", {1, 1, 1}, 1, 1, 1, 6, "1 2 0E 1 2 2E"},
        {"held last frame reports its end each time it elapses", {1, 3}, 1, 0, 1, 8, "1 1 1 1E 1 1 1E 1"},
        {"backward for ever", {1, 1, 1}, -1, -1, 1, 4, "1 0 2E 1"},
        {"backward once", {1, 1, 1}, -1, 0, 1, 4, "1 0 0E 0E"},
        {"duration 0 holds", {1, 0, 1}, 1, -1, 1, 4, "1 1 1 1"},
        {"duration 0 holds whatever the steps", {0, 1}, 1, -1, 9, 2, "0 0"},
        {"three steps at once run past the end", {1, 1}, 1, -1, 3, 2, "1E 0E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASprite* s = newSprite(blocks({{9}, c.durations}));
        ASpriteInstance* a = instance(s);
        if (c.step == 1) a->setAnimLoop(1, c.loops);
        else a->setAnimWithStep(1, c.step, c.loops);
        EXPECT_EQ(a->aframe, c.step == 1 ? 0 : int32_t(c.durations.size()) - 1);
        EXPECT_EQ(play(a, c.updates, c.steps), c.frames);
        EXPECT_EQ(app()->getPendingException(), nullptr);
    }
}

TEST_F(SpriteInstances, WrapsClearTheLoopDataAndCountDown) {
    ASprite* s = newSprite(blocks({{1, 1}}));
    ASpriteInstance* a = instance(s);
    a->setAnimLoop(0, 2);
    a->loopDataA = 5;
    a->loopDataB = 6;
    EXPECT_EQ(play(a, 1), "1");
    EXPECT_EQ(a->loopDataA, 5);
    EXPECT_EQ(play(a, 1), "0E");
    EXPECT_EQ(a->loopDataA, 0);
    EXPECT_EQ(a->loopDataB, 0);
    EXPECT_EQ(a->loops, 1);
    // No steps this frame: nothing moves, and the ended flag of the last update is gone.
    EXPECT_EQ(play(a, 1, 0), "0");
    // Still mode never advances.
    a->time = -1;
    EXPECT_EQ(play(a, 2, 4), "0 0");
}

TEST_F(SpriteInstances, FrameClockCountsWholeStepsOf62Milliseconds) {
    struct Step {
        int32_t ms, steps, left;
    } steps[] = {{100, 1, 38}, {30, 1, 6}, {55, 0, 61}, {1, 1, 0}, {100, 1, 38}, {100, 2, 14}, {0, 0, 14}};
    for (const Step& s : steps) {
        ASpriteInstance::advanceFrameClock(s.ms);
        EXPECT_EQ(ASpriteInstance::statics.logicStepsThisFrame, s.steps) << s.ms;
        EXPECT_EQ(ASpriteInstance::statics.logicStepAccumulator, s.left) << s.ms;
    }
}

TEST_F(SpriteInstances, AnimationsSetWithoutSpriteAreCompletedBySetSprite) {
    ASprite* s = newSprite(blocks({{1}, {1, 1, 1, 1}}));
    ASpriteInstance* forward = instance(nullptr);
    EXPECT_EQ(forward->setAnim(1), 1);
    EXPECT_EQ(forward->lastFrame, -1);
    forward->setSprite(s);
    EXPECT_EQ(forward->lastFrame, 3);
    EXPECT_EQ(forward->aframe, 0);

    ASpriteInstance* backward = instance(nullptr);
    backward->setAnimWithStep(1, -1, -1);
    EXPECT_EQ(backward->lastFrame, -1);
    backward->setSprite(s);
    EXPECT_EQ(backward->lastFrame, 0);
    EXPECT_EQ(backward->aframe, 3);
    EXPECT_EQ(play(backward, 4), "2 1 0 3E");

    // A known last frame stays.
    forward->setAnim(0);
    forward->setSprite(s);
    EXPECT_EQ(forward->lastFrame, 0);
}

TEST_F(SpriteInstances, AnimationsOutsideTheTablesHaveNoFrames) {
    ASprite* s = newSprite(blocks({{1, 1}}));
    ASpriteInstance* a = instance(s, 5, 5);
    for (int32_t anim : {1, 99, -1}) {
        SCOPED_TRACE(anim);
        a->setAnim(anim);
        EXPECT_EQ(a->lastFrame, -1);
        EXPECT_EQ(play(a, 3, 2), "0 0 0");
        EXPECT_EQ(a->getAnimDuration(), 0);
        EXPECT_EQ(a->getCurrentAnimLastFrame(), -1);
        EXPECT_EQ(a->getCurrentAnimFirstFrame(), -1);
        EXPECT_EQ(a->getRectCount(), 0);
        EXPECT_EQ(a->getRectWithOffsets(0), nullptr);
        EXPECT_EQ(rectOf(a->getRect()), (std::array<int32_t, 4>{102400, 102400, -102400, -102400}));
        Image* image = Image::createBlankImage(20, 20);
        std::vector<uint16_t> before = pixelsOf(image);
        a->paint(image->getGraphics());
        EXPECT_EQ(pixelsOf(image), before);
        EXPECT_EQ(app()->getPendingException(), nullptr);
    }
    // A frame index set by hand beyond the animation is not read either.
    a->setAnim(0);
    a->aframe = 7;
    EXPECT_EQ(play(a, 1), "7");
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(SpriteInstances, EndedPinsTheLastFrame) {
    ASprite* s = newSprite(blocks({{1, 1, 1, 1}}));
    ASpriteInstance* a = instance(s);
    a->setAnimWithStep(0, -1, 0);
    EXPECT_EQ(play(a, 4), "2 1 0 0E");
    EXPECT_TRUE(a->isAnimEnded());
    EXPECT_EQ(a->aframe, 3);
    a->setAnim(0);
    EXPECT_FALSE(a->isAnimEnded());
    EXPECT_EQ(a->aframe, 0);

    a->setAnimLoop(0, -1);
    a->aframe = 1;
    ASpriteInstance::jumpToLastFrame(a);
    EXPECT_EQ(a->aframe, 3);
    EXPECT_EQ(a->loops, 0);
    ASpriteInstance::jumpToLastFrame(nullptr);
}

TEST_F(SpriteInstances, FramesChosenByTimeAndPercent) {
    ASprite* s = newSprite(blocks({{1, 1, 5}, {2, 2, 2}}));
    ASpriteInstance* a = instance(s);
    a->setAnim(0);
    struct Case {
        int32_t ms, frame;
    } times[] = {{0, 0}, {61, 0}, {62, 1}, {130, 2}, {433, 2}, {434, 2}, {10000, 2}};
    for (const Case& c : times) {
        EXPECT_EQ(a->setFrameAtTime(c.ms), 7) << c.ms;
        EXPECT_EQ(a->aframe, c.frame) << c.ms;
    }
    EXPECT_EQ(a->getAnimDuration(), 7);
    a->setAnim(1);
    for (auto [percent, frame] : {std::pair{0, 0}, {50, 1}, {34, 1}, {33, 0}, {67, 2}, {100, 2}}) {
        a->setFrameAtPercent(percent);
        EXPECT_EQ(a->aframe, frame) << percent;
    }
    EXPECT_EQ(a->getCurrentAnimFirstFrame(), 0);
    EXPECT_EQ(a->getCurrentAnimLastFrame(), 2);
    EXPECT_EQ(a->getAnimLastFrame(0), 2);
    EXPECT_EQ(s->getAnimFirstFrame(1), 0);
}

TEST_F(SpriteInstances, PaintFollowsTheParentChainAndMeasuresAtItsOwnPlace) {
    ASprite* s = newSprite(blocks({{1}}));
    ASpriteInstance* root = instance(s, 60, 20);
    ASpriteInstance* parent = instance(s, 40, 30, root);
    ASpriteInstance* child = instance(s, 10, 0, parent);
    for (ASpriteInstance* a : {root, parent, child}) a->setAnim(0);
    Image* image = Image::createBlankImage(140, 80);
    child->paint(image->getGraphics());
    std::vector<uint16_t> px = pixelsOf(image);
    int32_t painted = 0;
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 140; ++x)
            if (px[std::size_t(y * 140 + x)] == kBlock565) {
                ++painted;
                EXPECT_TRUE(x >= 110 && x < 114 && y >= 50 && y < 53) << x << "," << y;
            }
    EXPECT_EQ(painted, 12);
    EXPECT_EQ(rectOf(child->getRect()), (std::array<int32_t, 4>{10, 0, 14, 3}));
    // Fixed-point parts add up before the shift.
    child->x += 1 << 13;
    parent->x += 1 << 13;
    Image* shifted = Image::createBlankImage(140, 80);
    child->paint(shifted->getGraphics());
    EXPECT_EQ(pixelsOf(shifted)[std::size_t(50 * 140 + 114)], kBlock565);

    // A chain that loops back is not followed round for ever.
    root->parent = child;
    log.clear();
    Image* untouched = Image::createBlankImage(140, 80);
    std::vector<uint16_t> before = pixelsOf(untouched);
    child->paint(untouched->getGraphics());
    EXPECT_EQ(pixelsOf(untouched), before);
    EXPECT_TRUE(log.contains("parent chain"));
}

TEST_F(SpriteInstances, StillModeShowsOneFrameOrOneModule) {
    ASprite* s = newSprite(blocks({{1}}));
    ASpriteInstance* a = instance(s, 20, 10);
    ASpriteInstance::showFrame(a, 3);
    EXPECT_EQ(a->time, -1);
    EXPECT_EQ(a->anim, -1);
    EXPECT_EQ(rectOf(a->getRect()), (std::array<int32_t, 4>{23, 10, 27, 13}));
    a->anim = 0;  // the module itself
    EXPECT_EQ(rectOf(a->getRect()), (std::array<int32_t, 4>{20, 10, 24, 13}));
    a->flags = ASprite::kRotate90;
    EXPECT_EQ(rectOf(a->getRect()), (std::array<int32_t, 4>{20, 10, 23, 14}));
    a->anim = 5;  // no such module
    EXPECT_EQ(rectOf(a->getRect()), (std::array<int32_t, 4>{102400, 102400, -102400, -102400}));
    Image* image = Image::createBlankImage(40, 30);
    a->paint(image->getGraphics());
    ASpriteInstance::showFrame(a, 9);  // no such frame
    a->paint(image->getGraphics());
    std::vector<uint16_t> px = pixelsOf(image);
    EXPECT_EQ(std::count(px.begin(), px.end(), kBlock565), 0);
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(SpriteInstances, RectangleRecordsOfTheShownFrame) {
    SpriteData d = blocks({{1}});
    d.animations = {{{1, 1, 7, -2, 0}, {1, 1, 7, -2, ASprite::kFlipX}}};
    ASprite* s = newSprite(d);
    ASpriteInstance* a = instance(s);
    a->setAnim(0);
    EXPECT_EQ(a->getRectCount(), 2);
    EXPECT_EQ(a->getRectCountAt(1), 2);
    EXPECT_EQ(rectOf(a->getRectWithOffsets(0)), (std::array<int32_t, 4>{4, 0, 5, 6}));
    EXPECT_EQ(rectOf(GameBase::getSpriteRect(a, 1, false)), (std::array<int32_t, 4>{1, -1, 200, 2}));
    // Mirrored by the animation frame's flags: x = -(x - offset + w).
    EXPECT_EQ(rectOf(a->getFModuleRect(1, 0, true)), (std::array<int32_t, 4>{5, 0, 5, 6}));
    EXPECT_EQ(a->getRectWithOffsets(2), nullptr);
    // Still mode: the frame's record as stored.
    ASpriteInstance::showFrame(a, 1);
    EXPECT_EQ(a->getRectCount(), 2);
    EXPECT_EQ(rectOf(a->getRectWithOffsets(0)), (std::array<int32_t, 4>{-3, 2, 5, 6}));
    ASpriteInstance::showFrame(a, 0);
    EXPECT_EQ(a->getRectCount(), 0);
    EXPECT_EQ(a->getRectWithOffsets(0), nullptr);
    EXPECT_EQ(GameBase::getSpriteRect(nullptr, 0, true), nullptr);
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

}  // namespace
