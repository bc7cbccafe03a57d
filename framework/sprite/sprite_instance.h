// ASpriteInstance: a sprite placed in the world. A position in 14-bit fixed point, what it shows
// (an animation, or in still mode a single frame or module), paint flags, the running state of
// the animation, an optional parent whose position it is relative to, and a cached bounding box.
//
// Animations advance in logic steps of 62 ms: the frame function turns each frame's time into
// steps (advanceFrameClock) and every instance updated in that frame moves on by that many.
//
// An animation index (or an animation frame) outside the sprite's tables counts as an animation
// without frames: nothing advances, paints or measures, and nothing is read past a table.
#pragma once

#include <cstdint>

#include "framework/sprite/sprite.h"

class ASpriteInstance : public Object {
public:
    MRC_CLASS(ASpriteInstance, Object);
    MRC_REF_FIELDS(&ASpriteInstance::sprite, &ASpriteInstance::rect, &ASpriteInstance::parent);
    using Graphics = javax_microedition_lcdui_Graphics;

    static constexpr int32_t kFixedBits = 14;
    static constexpr int32_t kLogicStepMs = 62;
    // Parent chains longer than this are taken to be cycles and not followed further.
    static constexpr int32_t kMaxParentDepth = 64;

    struct Statics {
        int32_t logicStepAccumulator;  // milliseconds not yet turned into steps
        int32_t logicStepsThisFrame;   // steps of the current frame
    };
    static Statics statics;

    // The Java constructor: position in pixels; a new int[4] box; animation 0, frame 0.
    void init(ASprite* sprite, int32_t x, int32_t y, ASpriteInstance* parent);

    // Slot 6. Completes a pending last frame (an animation set while there was no sprite).
    virtual void setSprite(ASprite* s);

    // ---- position (pixels) ----

    void setX(int32_t px) { x = px << kFixedBits; }
    void setY(int32_t py) { y = py << kFixedBits; }
    void setPosition(int32_t px, int32_t py) {
        setX(px);
        setY(py);
    }
    int32_t getX() const { return x >> kFixedBits; }
    int32_t getY() const { return y >> kFixedBits; }
    static int32_t toPixels(int32_t v) { return v >> kFixedBits; }

    // ---- animation ----

    // Plays `a` forward for ever from its first frame; returns 1.
    int32_t setAnim(int32_t a);
    // As setAnim, repeating `loops` more times (0 plays once, -1 for ever); returns 1.
    int32_t setAnimLoop(int32_t a, int32_t loops);
    // Step 1 plays forward; any other step plays backward from the last frame.
    void setAnimWithStep(int32_t a, int32_t step, int32_t loops);
    // Advances by this frame's logic steps.
    void updateAnim();
    // The ended flag; when set, the frame is pinned to the animation's last one first.
    bool isAnimEnded();
    // Sum of the current animation's frame durations, in logic steps.
    int32_t getAnimDuration();
    // The frame shown `ms` into the animation; returns the animation's duration.
    int32_t setFrameAtTime(int32_t ms);
    void setFrameAtPercent(int32_t percent);
    // Full frame index of the last animation frame of the current (or given) animation; -1 for
    // an animation without frames.
    int32_t getCurrentAnimLastFrame();
    int32_t getAnimLastFrame(int32_t a);
    // Full frame index of the current animation's first frame; -1 without frames.
    int32_t getCurrentAnimFirstFrame();
    // Stops on the last frame of the current animation.
    static void jumpToLastFrame(ASpriteInstance* instance);
    // Still mode on one frame.
    static void showFrame(ASpriteInstance* instance, int32_t frame);

    // Turns the frame's milliseconds into logic steps for every instance updated in it.
    static void advanceFrameClock(int32_t ms);

    // ---- painting and measuring ----

    // At the position summed along the parent chain.
    void paint(Graphics* g);
    // The box (min x, min y, max x, max y) of what the instance shows at its own position (the
    // parent chain is not added).
    IntArray* getRect();

    // ---- rectangle records of the shown frame ----

    int32_t getRectCount();
    // Of animation frame k (frame k in still mode).
    int32_t getRectCountAt(int32_t k);
    // Record i with the animation frame's offsets, in ASprite's shared rectangle.
    IntArray* getRectWithOffsets(int32_t i);
    // Record i of animation frame `aframe` of the current animation, in the shared rectangle.
    IntArray* getFModuleRect(int32_t aframe, int32_t i, bool withOffsets);

    // ---- fields, in order ----

    int32_t x;
    int32_t y;
    int32_t loopDataA;
    int32_t loopDataB;
    int32_t flags;
    ASprite* sprite;
    int32_t anim;
    int32_t aframe;
    int32_t time;
    IntArray* rect;
    int32_t loops;
    uint8_t ended;
    int32_t step;
    int32_t lastFrame;
    ASpriteInstance* parent;

    // The frames of animation `a` of the sprite: where its records start and how many there are;
    // false (count 0) for an animation without frames.
    struct Frames {
        int32_t first = 0, count = 0;
    };
    bool framesOf(int32_t a, Frames& out);
    // Whether frame `frame` of the sprite has rectangle record i.
    bool hasRect(int32_t frame, int32_t i);

private:
    bool stillMode() const { return time < 0; }
    // The full frame index of animation frame k of animation a, or -1.
    int32_t frameIdOf(int32_t a, int32_t k);
    // Index of the frame that still mode shows, or -1 when it is not a frame of the sprite.
    int32_t stillFrame();
    // The last frame of the animation for the direction: forward its last frame; backward frame
    // 0, starting from the last.
    void completeLastFrame();
};
