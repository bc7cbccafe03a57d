// The sprite painter: animation frames, frames, frame modules and modules into the current
// Graphics, or only their bounds in measure mode; the rectangle queries on frame rectangles.
#include <algorithm>

#include "framework/core/game_base.h"
#include "framework/sprite/checked.h"
#include "framework/sprite/sprite.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"

using mrc::sprite::Checked;
using mrc::sprite::slotOrNull;

namespace {

// Table reads inside a paint raise once per paint (see Checked::once).
Checked paintChecked() {
    auto& st = ASprite::statics;
    return Checked{true, st.paintDepth > 0 ? &st.paintFaulted : nullptr};
}

void report(const char* tag) { mrc::ApplicationImpl::getApplication()->reportError(tag); }

constexpr int32_t kMarkerColour = 0xFF00FF;     // outline module: the game's attachment
constexpr int32_t kGradientColour = 0xFF01FF;   // filled module: the game's gradient bands
constexpr int32_t kParticleColour = 0x00FF00;   // outline module: a queued particle

// Bits of GameBase::statics.paintEffectFlags read here.
constexpr int32_t kEffectScale = 0x0001;
constexpr int32_t kEffectAlpha = 0x0002;
constexpr int32_t kEffectColumnBand = 0x0004;
constexpr int32_t kEffectMarkers = 0x0008;
constexpr int32_t kEffectMarkersBlended = 0x0040;
constexpr int32_t kEffectBlendAdd = 0x0010;
constexpr int32_t kEffectBlendMultiply = 0x0020;
constexpr int32_t kEffectParticles = 0x0800;
constexpr int32_t kEffectGrey = 0x1000;

}  // namespace

bool ASprite::readAFrame(int32_t anim, int32_t aframe, AFrame& out) {
    Checked c = paintChecked();
    int32_t i = c.s(animFirstFrame, anim) + aframe;
    if (!c.ok) return false;
    out.flags = c.b(aframeFlags, i);
    out.frame = c.ub(aframeFrame, i) | (out.flags & 0xC0) << 2;
    out.offsetX = c.s(aframeOffsetX, i);
    out.offsetY = c.s(aframeOffsetY, i);
    return c.ok;
}

void ASprite::paintAFrame(int32_t anim, int32_t aframe, int32_t x, int32_t y, int32_t flags) {
    PaintScope paint;
    AFrame a;
    if (!readAFrame(anim, aframe, a)) return;
    x = (flags & kFlipX) ? x - a.offsetX : x + a.offsetX;
    y = (flags & kFlipY) ? y - a.offsetY : y + a.offsetY;
    paintFrame(a.frame, x, y, (a.flags & 0x0F) ^ flags);
}

void ASprite::paintAFrameWithGraphics(Graphics* g, int32_t anim, int32_t aframe, int32_t x, int32_t y,
                                      int32_t flags) {
    statics.currentGraphics = g;
    paintAFrame(anim, aframe, x, y, flags);
}

void ASprite::paintFrame(int32_t frame, int32_t x, int32_t y, int32_t flags) {
    PaintScope paint;
    Checked c = paintChecked();
    int32_t count = c.ub(frameModuleCount, frame);
    if (!c.ok || count == 0) return;
    // A frame inside itself would repeat its fan-out at every level up to the depth limit.
    int32_t* path = statics.nestingPath;
    if (std::find(path, path + statics.nesting, frame) != path + statics.nesting) {
        if (!statics.paintNestingTraced) mrc_log("ASprite::paintFrame: frame %d contains itself; skipped", frame);
        statics.paintNestingTraced = true;
        return;
    }
    if (statics.nesting >= kMaxNesting) {
        if (!statics.paintNestingTraced)
            mrc_log("ASprite::paintFrame: frame %d nested deeper than %d frames", frame, kMaxNesting);
        statics.paintNestingTraced = true;
        return;
    }
    path[statics.nesting++] = frame;
    for (int32_t i = 0; i < count; ++i) paintFModule(frame, i, x, y, flags);
    --statics.nesting;
}

void ASprite::paintFModule(int32_t frame, int32_t i, int32_t x, int32_t y, int32_t flags) {
    PaintScope paint;
    if (++statics.paintSteps > kMaxPaintSteps) {
        if (statics.paintSteps == kMaxPaintSteps + 1)
            mrc_log("ASprite::paintFModule: paint ended after %d frame modules", kMaxPaintSteps);
        statics.paintSteps = kMaxPaintSteps + 2;  // stays past the limit without wrapping
        return;
    }
    Checked c = paintChecked();
    int32_t j = c.s(frameFirstModule, frame) + i;
    if (!c.ok) return;
    int32_t ff = c.b(fmFlags, j);
    int32_t m = c.ub(fmModule, j) | (ff & 0xC0) << 2;
    int32_t tableX = c.s(fmOffsetX, j), tableY = c.s(fmOffsetY, j);
    if (!c.ok) return;
    bool nested = (ff & kNestedFrame) != 0;
    int32_t effects = GameBase::statics.paintEffectFlags;

    // A marker module stands for the game's attachment; only module entries can be markers.
    if (!nested && m < moduleCount) {
        int32_t kind = c.b(moduleKind, m), colour = c.i(moduleColor, m);
        if (!c.ok) return;
        if (kind == kOutlineModule && colour == kMarkerColour) {
            if (!(effects & (kEffectMarkers | kEffectMarkersBlended))) return;
            bool blended = (effects & kEffectMarkersBlended) != 0;
            if (blended) GameBase::setFlags(kEffectBlendAdd);
            GameBase::paintEffectSpriteFrame(statics.currentGraphics);
            if (blended) GameBase::clearFlag(kEffectBlendAdd);
            return;
        }
    }

    int32_t ox = tableX, oy = tableY;
    if ((currentCacheMode() & kCachePixels) && (effects & kEffectScale)) {
        int32_t s = GameBase::getPaintScalePercent();
        ox += ((s - 100) * ox / 100) / 2;
        oy += ((s - 100) * oy / 100) / 2;
    }
    int32_t px, py;
    if (!(flags & kRotate90)) {
        px = (flags & kFlipX) ? x - tableX : x + ox;
        py = (flags & kFlipY) ? y - tableY : y + oy;
    } else {
        py = (flags & kFlipX) ? y - tableX : y + ox;
        px = (flags & kFlipY) ? x - tableY : x + oy;
    }

    if (nested) {
        paintFrame(m, px, py, (ff & 0x0F) ^ flags);
        return;
    }

    // The mirrored sides move by the module's size.
    int32_t w = c.s(moduleWidth, m) & 0xFF, h = c.s(moduleHeight, m) & 0xFF;
    if (!c.ok) return;
    int32_t dx = 0, dy = 0;
    if (!(ff & kRotate90)) {
        if (flags & kFlipX) dx = -w;
        if (flags & kFlipY) dy = -h;
    } else {
        int32_t mirror = flags & (kFlipX | kFlipY);
        if (mirror == (kFlipX | kFlipY)) {
            dx = -w;
            dy = -h;
        } else if (mirror == kFlipY) {
            flags = (flags & ~kFlipY) | kFlipX;
            dy = -w;
        } else if (mirror == kFlipX) {
            flags = (flags & ~kFlipX) | kFlipY;
            dx = -h;
        }
    }
    if (!(flags & kRotate90)) {
        px += dx;
        py += dy;
    } else {
        px += dy;
        py += dx;
    }
    drawModule(m, px, py, (ff & 0x0F) ^ flags);
}

void ASprite::drawModule(int32_t module, int32_t x, int32_t y, int32_t flags) {
    PaintScope paint;
    Checked c = paintChecked();
    if (currentMapping >= 0) {
        if (auto* map = static_cast<ShortArray*>(slotOrNull(moduleMappings, currentMapping))) module = c.s(map, module);
    }
    int32_t w = c.s(moduleWidth, module) & 0xFF, h = c.s(moduleHeight, module) & 0xFF;
    if (!c.ok || w < 1 || h < 1) return;
    bool rotated = (flags & kRotate90) != 0;

    if (statics.measureMode) {
        int32_t* b = statics.measureBounds;
        b[0] = std::min(b[0], x);
        b[1] = std::min(b[1], y);
        b[2] = std::max(b[2], x + (rotated ? h : w));
        b[3] = std::max(b[3], y + (rotated ? w : h));
        return;
    }

    Graphics* g = statics.currentGraphics;
    if (isNull(g)) {
        if (!statics.paintFaulted) report("NullPointer");
        statics.paintFaulted = true;
        return;
    }
    int32_t cx = g->getClipX(), cy = g->getClipY(), cw = g->getClipWidth(), ch = g->getClipHeight();
    int32_t kind = c.b(moduleKind, module), colour = c.i(moduleColor, module);
    if (!c.ok) return;
    int32_t effects = GameBase::statics.paintEffectFlags;
    if ((effects & kEffectParticles) && kind == kOutlineModule && colour == kParticleColour) {
        GameBase::emitQueuedParticleAt(g, x, y);
        return;
    }
    int32_t sw = rotated ? h : w, sh = rotated ? w : h;
    if (x + sw < cx || y + sh < cy || x >= cx + cw || y >= cy + ch) return;

    if (kind != kImageModule) {
        g->setColor(colour);
        if (kind == kOutlineModule) g->drawRect(x, y, w, h);
        else if (colour == kGradientColour) GameBase::paintGradientEdges(g, x, y, w, h);
        else g->fillRect(x, y, w, h);
        return;
    }

    int32_t p = currentPalette, mode = currentCacheMode();
    Image* image = nullptr;
    IntArray* pixels = nullptr;
    if (mode & kCacheImages) {
        image = static_cast<Image*>(slotOrNull(static_cast<ObjectArray*>(slotOrNull(moduleImageCache, p)), module));
        if (image && (effects & kEffectGrey)) {
            IntArray* buffer = effectBuffer();
            int64_t size = int64_t(image->width) * image->height;
            if (buffer && size <= buffer->length) {
                image->getRGB(buffer, 0, image->width, 0, 0, image->width, image->height);
                pixels = GameBase::grayscalePixels(buffer, w, h, flags);
                image = nullptr;
                hasAlpha = 1;
                if (!pixels) return;
            }
        }
    } else if (mode & kCachePixels) {
        pixels = static_cast<IntArray*>(slotOrNull(static_cast<ObjectArray*>(slotOrNull(modulePixelCache, p)), module));
        // An effect that cannot hold its result draws nothing of the module.
        if (pixels && (effects & kEffectScale)) {
            int32_t s = GameBase::getPaintScalePercent();
            if (!(pixels = GameBase::scalePixels(pixels, w, h))) return;
            w = w * s / 100;
            h = h * s / 100;
        }
        if (pixels && (effects & kEffectAlpha)) {
            if (!(pixels = GameBase::applyAlphaToPixels(pixels, w, h))) return;
            hasAlpha = 1;
        }
        if (pixels && (effects & kEffectGrey)) {
            if (!(pixels = GameBase::grayscalePixels(pixels, w, h, flags))) return;
            hasAlpha = 1;
        }
    }
    if (!image && !pixels) {
        pixels = decodeModuleImage(module, flags);
        if (!pixels) return;
        image = Image::createRGBImage(pixels, w, h, hasAlpha != 0);
        if (!image) return;
    }

    if (image) {
        int32_t transform = flags & 7;
        if (transform) g->drawRegion(image, 0, 0, w, h, c.i(statics.transformTable, transform), x, y, 0);
        else g->drawImage(image, x, y, 0);
    } else if (effects & (kEffectBlendAdd | kEffectBlendMultiply)) {
        GameBase::blendModuleOntoScreen(g, x, y, pixels, w, h, flags);
    } else {
        g->drawRGB(pixels, 0, w, x, y, w, h, hasAlpha != 0);
    }
    if ((mode & kCachePixels) && (effects & kEffectColumnBand)) GameBase::drawRGBColumnBand(g, x, y, pixels, w, h);
}

// ---- measuring -----------------------------------------------------------------------------------

void ASprite::beginMeasure(int32_t bound) {
    statics.measureMode = 1;
    int32_t* b = statics.measureBounds;
    b[0] = b[1] = bound;
    b[2] = b[3] = -bound;
}

void ASprite::endMeasure(IntArray* out) {
    statics.measureMode = 0;
    Checked c;
    for (int32_t k = 0; k < 4 && c.ok; ++k) c.set(out, k, statics.measureBounds[k]);
}

void ASprite::getAFrameBounds(IntArray* out, int32_t anim, int32_t aframe, int32_t x, int32_t y, int32_t flags) {
    beginMeasure(102400);
    paintAFrame(anim, aframe, x, y, flags);
    endMeasure(out);
}

void ASprite::getModuleBounds(IntArray* out, int32_t module, int32_t x, int32_t y, int32_t flags) {
    beginMeasure(102400);
    drawModule(module, x, y, flags);
    endMeasure(out);
}

void GameBase::getFrameRect(ASprite* sprite, IntArray* out, int32_t frame, int32_t x, int32_t y, int32_t flags) {
    if (isNull(sprite)) {
        report("NullPointer");
        return;
    }
    sprite->beginMeasure(26214400);
    sprite->paintFrame(frame, x, y, flags);
    sprite->endMeasure(out);
}

void GameBase::paintFrameWithGraphics(ASprite* sprite, Graphics* g, int32_t frame, int32_t x, int32_t y,
                                      int32_t flags) {
    ASprite::statics.currentGraphics = g;
    if (isNull(sprite)) {
        report("NullPointer");
        return;
    }
    sprite->paintFrame(frame, x, y, flags);
}

// ---- rectangle queries -----------------------------------------------------------------------------

void ASprite::getAFrameRect(int32_t anim, int32_t aframe, int32_t i, int32_t /*unused*/, bool withOffsets,
                            IntArray* out) {
    AFrame a;
    if (!readAFrame(anim, aframe, a)) return;
    ByteArray* record = getFrameRectRecord(a.frame, i);
    if (!record) return;
    Checked c;
    int32_t rx = c.b(record, 0), ry = c.b(record, 1), rw = c.ub(record, 2), rh = c.ub(record, 3);
    if (!c.ok) return;
    if (withOffsets) {
        rx = (a.flags & kFlipX) ? -(rx - a.offsetX + rw) : rx + a.offsetX;
        ry = (a.flags & kFlipY) ? -(ry - a.offsetY + rh) : ry + a.offsetY;
    } else {
        if (a.flags & kFlipX) rx = -(rx + rw);
        if (a.flags & kFlipY) ry = -(ry + rh);
    }
    c.set(out, 0, rx);
    c.set(out, 1, ry);
    c.set(out, 2, rw);
    c.set(out, 3, rh);
}

IntArray* ASprite::getAFrameRectTemp(ASprite* sprite, int32_t anim, int32_t aframe, int32_t i, bool withOffsets) {
    if (isNull(sprite)) return nullptr;
    sprite->getAFrameRect(anim, aframe, i, 0, withOffsets, statics.sharedRect);
    return statics.sharedRect;
}

IntArray* GameBase::getSpriteFrameRect(ASprite* sprite, int32_t frame, int32_t i) {
    if (isNull(sprite)) return nullptr;
    ByteArray* record = sprite->getFrameRectRecord(frame, i);
    if (!record) return nullptr;
    Checked c;
    for (int32_t k = 0; k < 4 && c.ok; ++k) c.set(ASprite::statics.sharedRect, k, c.ub(record, k));
    return ASprite::statics.sharedRect;
}

void GameBase::releaseUnmappedModuleImages(ObjectArray* selectors, ASprite* sprite, int32_t palette) {
    if (isNull(sprite) || isNull(selectors)) {
        report("NullPointer");
        return;
    }
    if (isNull(sprite->paletteCacheMode) || palette < 0 || palette >= sprite->paletteCacheMode->length) return;
    int32_t frameModules = isNull(sprite->fmModule) || isNull(sprite->fmFlags)
                               ? 0
                               : std::min(sprite->fmModule->length, sprite->fmFlags->length);
    auto selected = [&](int32_t k) {
        auto* bytes = static_cast<ByteArray*>(slotOrNull(selectors, k));
        return bytes && palette < bytes->length && bytes->elements()[palette] >= 0;
    };
    for (int32_t m = 0; m < sprite->moduleCount; ++m) {
        if (!sprite->isModuleCached(palette, m)) continue;
        bool used = false;
        for (int32_t k = 0; k < selectors->length && !used; ++k) {
            if (!selected(k)) continue;
            auto* map = static_cast<ShortArray*>(slotOrNull(sprite->moduleMappings, k));
            for (int32_t j = 0; j < frameModules && !used; ++j) {
                int32_t fm = uint8_t(sprite->fmModule->elements()[j]) | (sprite->fmFlags->elements()[j] & 0xC0) << 2;
                if (map && fm < map->length) fm = map->elements()[fm];
                used = fm == m;
            }
        }
        if (used) continue;
        sprite->dropCachedModule(palette, m);
        for (int32_t k = 0; k < selectors->length; ++k) {
            auto* bytes = static_cast<ByteArray*>(slotOrNull(selectors, k));
            if (bytes && palette < bytes->length && uint8_t(bytes->elements()[palette]) == 254)
                bytes->elements()[palette] = -1;
        }
    }
}
