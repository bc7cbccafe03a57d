// Animation look-ups beneath the sprite instances and tile layers, and the release of cached
// module images that a map does not use.
#include <algorithm>

#include "framework/sprite/sprite.h"

namespace {

int32_t lengthOf(const JArray* a) { return isNull(a) || !a->data ? 0 : a->length; }

}  // namespace

int32_t ASprite::getAnimFirstFrame(int32_t anim) { return getAnimFrameId(anim, 0); }

int32_t ASprite::animFrames(int32_t anim, int32_t& first) {
    first = 0;
    if (anim < 0 || anim >= lengthOf(animFrameCount) || anim >= lengthOf(animFirstFrame)) return 0;
    int32_t start = animFirstFrame->elements()[anim];
    int32_t records = std::min({lengthOf(aframeFrame), lengthOf(aframeTime), lengthOf(aframeFlags),
                                lengthOf(aframeOffsetX), lengthOf(aframeOffsetY)});
    if (start < 0 || start >= records) return 0;
    first = start;
    return std::min(int32_t(uint8_t(animFrameCount->elements()[anim])), records - start);
}

void ASprite::releaseUnusedModuleImages(int32_t p, ByteArray* used) {
    if (isNull(used)) return;
    for (int32_t m = 0; m < moduleCount && m < used->length; ++m)
        if (used->elements()[m] == 0 && isModuleCached(p, m)) dropCachedModule(p, m);
}
