#include "framework/sprite/sprite.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/core/game_hooks.h"
#include "framework/sprite/checked.h"
#include "framework/sprite/pixel_decoder.h"
#include "host/core/log.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

using mrc::ApplicationImpl;
using mrc::sprite::Checked;
using mrc::sprite::slotOrNull;

ASprite::Statics ASprite::statics;

namespace {

mrc::ObjectManager* om() { return ApplicationImpl::getApplication()->objectManager; }
void report(const char* tag) { ApplicationImpl::getApplication()->reportError(tag); }

// Little-endian fields of the sprite data. Every read is checked against the array; the bytes are
// re-read from the array at each call, since the tables allocated in between may move them.
class Reader {
public:
    Reader(ByteArray* data, int64_t pos) : m_data(data), m_pos(pos) {}

    // Whether n more bytes are there; the first shortfall names the section it cut.
    bool need(int64_t n, const char* section) {
        if (n >= 0 && m_pos + n <= m_data->length) return true;
        if (!m_failed) mrc_log("ASprite::load: the data ends inside the %s (at %lld of %d bytes)", section,
                               static_cast<long long>(m_pos), m_data->length);
        m_failed = true;
        return false;
    }
    bool more() const { return m_pos < m_data->length; }
    int64_t pos() const { return m_pos; }
    void seek(int64_t pos) { m_pos = pos; }
    void skip(int64_t n) { m_pos += n; }

    const uint8_t* at() const { return reinterpret_cast<const uint8_t*>(m_data->elements()) + m_pos; }
    uint32_t u8() { return *take(1); }
    int32_t s8() { return int8_t(*take(1)); }
    uint32_t u16() {
        const uint8_t* p = take(2);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    }
    int32_t s16() { return int16_t(u16()); }
    uint32_t u32() {
        const uint8_t* p = take(4);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }

private:
    const uint8_t* take(int64_t n) {
        const uint8_t* p = at();
        m_pos += n;
        return p;
    }

    ByteArray* m_data;
    int64_t m_pos;
    bool m_failed = false;
};

// A colour of the palette section as ARGB; `translucent` when it is not fully opaque.
uint32_t colourToArgb(int32_t format, uint32_t v, bool& translucent) {
    switch (format) {
        case ASprite::kColors8888:
            translucent = (v >> 24) != 0xFF;
            return v;
        case ASprite::kColors4444:
            translucent = (v >> 12) != 0xF;
            return ((v >> 12) & 0xF) * 0x11000000u | ((v >> 8) & 0xF) * 0x110000u | ((v >> 4) & 0xF) * 0x1100u |
                   (v & 0xF) * 0x11u;
        default:  // 0x6505
            translucent = v == 0xF81F;
            if (translucent) return 0x00F800F8u;
            return 0xFF000000u | (v & 0xF800) << 8 | (v & 0x07E0) << 5 | (v & 0x001F) << 3;
    }
}

int32_t colourBytes(int32_t format) {
    return format == ASprite::kColors8888 ? 4 : format == ASprite::kColors4444 || format == ASprite::kColors565 ? 2 : 0;
}

}  // namespace

void ASprite::clinit() {
    statics.transformTable = static_cast<IntArray*>(JArray::fillInts(om()->newIntArray(8), {0, 2, 1, 3, 5, 7, 4, 6}));
    statics.sharedRect = om()->newIntArray(4);
}

// ---- loading ------------------------------------------------------------------------------------

bool ASprite::load(ByteArray* data, int32_t offset) {
    if (isNull(data)) {
        report("NullPointer");
        return false;
    }
    mrc::ObjectManager* heap = om();
    Reader r(data, int64_t(offset) + 2);
    bool complete = false;
    // Whatever was read, the sprite gets its cache modes and mapping slots.
    auto finish = [&] {
        if (isNull(paletteCacheMode)) {
            paletteCacheMode = heap->newIntArray(paletteCount);
            if (paletteCacheMode) std::fill_n(paletteCacheMode->elements(), paletteCount, kCacheNone);
        }
        if (isNull(moduleMappings)) {
            moduleMappings = heap->newObjectArray(mrc::kClass_ShortArray, kMappingSlots);
            currentMapping = -1;
        }
        return complete;
    };
    if (offset < 0) {
        mrc_log("ASprite::load: offset %d", offset);
        return finish();
    }
    if (!r.need(4, "header")) return finish();
    dataFlags = static_cast<int32_t>(r.u32());

    // 1. Modules.
    int32_t m = 0;
    if (dataFlags & kHasModules) {
        if (!r.need(2, "module count")) return finish();
        m = static_cast<int32_t>(r.u16());
        if (!r.need(int64_t(m) * 7, "modules")) return finish();
        if (m > 0) {
            moduleX = heap->newShortArray(m);
            moduleY = heap->newShortArray(m);
            moduleWidth = heap->newShortArray(m);
            moduleHeight = heap->newShortArray(m);
            moduleKind = heap->newByteArray(m);
            moduleColor = heap->newIntArray(m);
            if (!moduleX || !moduleY || !moduleWidth || !moduleHeight || !moduleKind || !moduleColor) return finish();
            for (int32_t i = 0; i < m; ++i) {
                if (!r.need(1, "modules")) return finish();
                uint32_t marker = r.u8();
                if (marker == 0xFF || marker == 0xFE) {
                    if (!r.need(6, "modules")) return finish();
                    moduleKind->elements()[i] = marker == 0xFF ? kOutlineModule : kFilledModule;
                    moduleColor->elements()[i] = static_cast<int32_t>(r.u32());
                    moduleWidth->elements()[i] = static_cast<int16_t>(r.u8());
                    moduleHeight->elements()[i] = static_cast<int16_t>(r.u8());
                } else {
                    if (!r.need(8, "modules")) return finish();
                    moduleKind->elements()[i] = kImageModule;
                    moduleX->elements()[i] = static_cast<int16_t>(r.s16());
                    moduleY->elements()[i] = static_cast<int16_t>(r.s16());
                    moduleWidth->elements()[i] = static_cast<int16_t>(r.u16());
                    moduleHeight->elements()[i] = static_cast<int16_t>(r.u16());
                }
            }
        }
    }
    moduleCount = m;

    // 2. Frame modules.
    if (!r.need(2, "frame-module count")) return finish();
    int32_t f = static_cast<int32_t>(r.u16());
    if (!r.need(int64_t(f) * 6, "frame modules")) return finish();
    if (f > 0) {
        fmModule = heap->newByteArray(f);
        fmOffsetX = heap->newShortArray(f);
        fmOffsetY = heap->newShortArray(f);
        fmFlags = heap->newByteArray(f);
        if (!fmModule || !fmOffsetX || !fmOffsetY || !fmFlags) return finish();
        for (int32_t i = 0; i < f; ++i) {
            fmModule->elements()[i] = static_cast<int8_t>(r.u8());
            fmOffsetX->elements()[i] = static_cast<int16_t>(r.s16());
            fmOffsetY->elements()[i] = static_cast<int16_t>(r.s16());
            fmFlags->elements()[i] = static_cast<int8_t>(r.u8());
        }
    }

    // 3. Frame rectangles.
    bool withRects = (dataFlags & kHasFrameRects) != 0;
    int32_t rectTotal = 0;
    if (withRects) {
        if (!r.need(2, "rectangle count")) return finish();
        rectTotal = static_cast<int32_t>(r.u16());
        if (!r.need(int64_t(rectTotal) * 4, "frame rectangles")) return finish();
        if (rectTotal > 0) {
            frameRects = heap->newObjectArray(mrc::kClass_ByteArray, rectTotal);
            if (!frameRects) return finish();
            for (int32_t i = 0; i < rectTotal; ++i) {
                ByteArray* record = heap->newByteArray(4);
                if (!record) return finish();
                std::memcpy(record->elements(), r.at(), 4);
                r.skip(4);
                frameRects->elements()[i] = record;
            }
        }
    }

    // 4. Frames.
    if (!r.need(2, "frame count")) return finish();
    int32_t n = static_cast<int32_t>(r.u16());
    if (!r.need(int64_t(n) * (withRects ? 4 : 3), "frames")) return finish();
    if (n > 0) {
        frameModuleCount = heap->newByteArray(n);
        frameFirstModule = heap->newShortArray(n);
        if (withRects) {
            frameRectCount = heap->newByteArray(n);
            frameFirstRect = heap->newShortArray(n);
            if (!frameRectCount || !frameFirstRect) return finish();
        }
        if (!frameModuleCount || !frameFirstModule) return finish();
        int32_t firstRect = 0;
        for (int32_t i = 0; i < n; ++i) {
            frameModuleCount->elements()[i] = static_cast<int8_t>(r.u8());
            frameFirstModule->elements()[i] = static_cast<int16_t>(r.s16());
            if (withRects) {
                int32_t count = r.s8();
                frameRectCount->elements()[i] = static_cast<int8_t>(count);
                frameFirstRect->elements()[i] = static_cast<int16_t>(firstRect);
                if (count > 0) firstRect += count;
            }
        }
    }

    // 5. Animation frames.
    if (!r.need(2, "animation-frame count")) return finish();
    int32_t a = static_cast<int32_t>(r.u16());
    if (!r.need(int64_t(a) * 7, "animation frames")) return finish();
    if (a > 0) {
        aframeFrame = heap->newByteArray(a);
        aframeTime = heap->newByteArray(a);
        aframeOffsetX = heap->newShortArray(a);
        aframeOffsetY = heap->newShortArray(a);
        aframeFlags = heap->newByteArray(a);
        if (!aframeFrame || !aframeTime || !aframeOffsetX || !aframeOffsetY || !aframeFlags) return finish();
        for (int32_t i = 0; i < a; ++i) {
            aframeFrame->elements()[i] = static_cast<int8_t>(r.u8());
            aframeTime->elements()[i] = static_cast<int8_t>(r.u8());
            aframeOffsetX->elements()[i] = static_cast<int16_t>(r.s16());
            aframeOffsetY->elements()[i] = static_cast<int16_t>(r.s16());
            aframeFlags->elements()[i] = static_cast<int8_t>(r.u8());
        }
    }

    // 6. Animations.
    if (!r.need(2, "animation count")) return finish();
    int32_t k = static_cast<int32_t>(r.u16());
    if (!r.need(int64_t(k) * 3, "animations")) return finish();
    if (k > 0) {
        animFrameCount = heap->newByteArray(k);
        animFirstFrame = heap->newShortArray(k);
        if (!animFrameCount || !animFirstFrame) return finish();
        for (int32_t i = 0; i < k; ++i) {
            animFrameCount->elements()[i] = static_cast<int8_t>(r.u8());
            animFirstFrame->elements()[i] = static_cast<int16_t>(r.s16());
        }
    }

    // 7. Palettes and pixel data, when the data goes on.
    if (!r.more()) {
        complete = true;
        return finish();
    }
    if (!r.need(4, "palette header")) return finish();
    int32_t colourFormat = static_cast<int32_t>(r.u16());
    int32_t stored = static_cast<int32_t>(r.u8());
    int32_t colours = static_cast<int32_t>(r.u8());
    if (colours == 0) colours = 256;
    if (stored > kMaxPalettes)
        mrc_log("ASprite::load: %d palettes; the first %d are kept", stored, kMaxPalettes);
    int32_t width = colourBytes(colourFormat);
    if (!r.need(int64_t(stored) * colours * width, "palettes")) return finish();
    palettes = heap->newObjectArray(mrc::kClass_IntArray, kMaxPalettes);
    if (!palettes) return finish();
    paletteCount = std::min(stored, kMaxPalettes);
    colorsPerPalette = colours;
    for (int32_t p = 0; p < stored; ++p) {
        if (p >= kMaxPalettes) {
            r.skip(int64_t(colours) * width);
            continue;
        }
        IntArray* palette = heap->newIntArray(colours);
        if (!palette) return finish();
        palettes->elements()[p] = palette;
        if (width == 0) continue;
        int32_t* c = palette->elements();
        for (int32_t i = 0; i < colours; ++i) {
            bool translucent = false;
            c[i] = static_cast<int32_t>(colourToArgb(colourFormat, width == 4 ? r.u32() : r.u16(), translucent));
            if (translucent) hasAlpha = 1;
        }
    }
    if (!r.need(2, "pixel format")) return finish();
    pixelFormat = static_cast<int16_t>(r.u16());
    mrc::sprite::runPackedIndexBits(colours, bitsPerPixel, pixelMask);

    if (m > 0) {
        // Two passes: the lengths give the offsets and the total, then the bytes are copied.
        std::vector<int32_t> starts(std::size_t(m), 0);
        int64_t begin = r.pos(), total = 0;
        for (int32_t i = 0; i < m; ++i) {
            if (!r.need(2, "module pixel data")) return finish();
            int32_t length = static_cast<int32_t>(r.u16());
            if (!r.need(length, "module pixel data")) return finish();
            r.skip(length);
            starts[std::size_t(i)] = static_cast<int32_t>(total);
            total += length;
        }
        moduleDataOffset = heap->newIntArray(m);
        pixelData = heap->newByteArray(static_cast<int32_t>(total));
        if (!moduleDataOffset || !pixelData) return finish();
        std::copy(starts.begin(), starts.end(), moduleDataOffset->elements());
        r.seek(begin);
        for (int32_t i = 0; i < m; ++i) {
            int32_t length = static_cast<int32_t>(r.u16());
            if (length > 0) std::memcpy(pixelData->elements() + starts[std::size_t(i)], r.at(), std::size_t(length));
            r.skip(length);
        }
    }
    complete = true;
    return finish();
}

void ASprite::unload() {
    moduleX = moduleY = moduleWidth = moduleHeight = nullptr;
    frameModuleCount = nullptr;
    frameFirstModule = nullptr;
    fmModule = nullptr;
    fmOffsetX = fmOffsetY = nullptr;
    fmFlags = nullptr;
    animFrameCount = nullptr;
    animFirstFrame = nullptr;
    aframeFrame = aframeTime = nullptr;
    aframeOffsetX = aframeOffsetY = nullptr;
    aframeFlags = nullptr;
    palettes = nullptr;
    pixelData = nullptr;
    moduleDataOffset = nullptr;
    for (ObjectArray* cache : {modulePixelCache, moduleImageCache}) {
        if (isNull(cache) || !cache->data) continue;
        std::fill_n(cache->elements(), cache->length, nullptr);
    }
    modulePixelCache = moduleImageCache = nullptr;
}

void ASprite::releasePixelData() {
    pixelData = nullptr;
    moduleDataOffset = nullptr;
}

// ---- palettes and mappings -------------------------------------------------------------------------

void ASprite::setPalette(int32_t p) {
    if (p >= 0 && p < paletteCount) currentPalette = p;
}

void ASprite::applyModuleMapping(int32_t k, ByteArray* data) {
    if (isNull(data)) return;
    if (isNull(moduleMappings) || k < 0 || k >= moduleMappings->length) {
        mrc_log("ASprite::applyModuleMapping: no mapping slot %d", k);
        return;
    }
    auto* mapping = static_cast<ShortArray*>(slotOrNull(moduleMappings, k));
    if (!mapping) {
        mapping = om()->newShortArray(moduleCount);
        if (!mapping) return;
        for (int32_t i = 0; i < moduleCount; ++i) mapping->elements()[i] = static_cast<int16_t>(i);
        moduleMappings->elements()[k] = mapping;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(data->elements());
    int16_t* map = mapping->elements();
    int32_t ignored = 0;
    for (int32_t i = 0; i + 3 < data->length; i += 4) {
        int32_t module = bytes[i] | bytes[i + 1] << 8, replacement = bytes[i + 2] | bytes[i + 3] << 8;
        if (module < mapping->length && replacement < moduleCount) map[module] = static_cast<int16_t>(replacement);
        else ++ignored;
    }
    if (ignored) mrc_log("ASprite::applyModuleMapping: %d pairs name modules beyond %d", ignored, moduleCount);
}

void ASprite::removeModuleMapping(int32_t k) {
    if (!isNull(moduleMappings) && k >= 0 && k < moduleMappings->length && moduleMappings->data)
        moduleMappings->elements()[k] = nullptr;
}

bool ASprite::hasModuleMapping(ASprite* sprite, int32_t k) {
    return !isNull(sprite) && slotOrNull(sprite->moduleMappings, k) != nullptr;
}

// ---- decoding and caches ---------------------------------------------------------------------------

IntArray* ASprite::decodeModuleImage(int32_t module, int32_t /*flags*/) {
    if (isNull(pixelData) || isNull(moduleDataOffset)) return nullptr;
    int32_t w, h;
    if (!imageModuleSize(module, w, h)) return nullptr;
    auto* palette = static_cast<IntArray*>(slotOrNull(palettes, currentPalette));
    if (!palette) return nullptr;
    if (isNull(statics.sharedPixelBuffer)) allocPixelBuffer();
    IntArray* buffer = statics.sharedPixelBuffer;
    if (isNull(buffer) || !buffer->data) return nullptr;
    int64_t count = int64_t(w) * h;
    if (count < 1) return buffer;

    int32_t offsets = std::min(moduleDataOffset->length, moduleCount);
    if (module >= offsets) return buffer;
    int64_t start = moduleDataOffset->elements()[module];
    int64_t end = module + 1 < offsets ? moduleDataOffset->elements()[module + 1] : pixelData->length;
    start = std::clamp<int64_t>(start, 0, pixelData->length);
    end = std::clamp<int64_t>(end, start, pixelData->length);

    // Indices beyond the palette's colours give see-through pixels.
    uint32_t colours[256] = {};
    std::memcpy(colours, palette->elements(), sizeof(int32_t) * std::size_t(std::min(palette->length, 256)));
    mrc::sprite::PixelSource source{pixelFormat, reinterpret_cast<const uint8_t*>(pixelData->elements()) + start,
                                    std::size_t(end - start), bitsPerPixel, pixelMask};
    mrc::sprite::decodePixels(source, colours, buffer->elements(), buffer->length, count);
    return buffer;
}

ObjectArray* ASprite::cacheSlots(int32_t palette, bool images) {
    if (palette < 0 || palette >= paletteCount || moduleCount < 1) return nullptr;
    ObjectArray*& outer = images ? moduleImageCache : modulePixelCache;
    if (isNull(outer)) {
        outer = om()->newObjectArray(mrc::kClass_ObjectArray, paletteCount);
        if (!outer) return nullptr;
    }
    if (palette >= outer->length) return nullptr;
    auto* inner = static_cast<ObjectArray*>(slotOrNull(outer, palette));
    if (!inner) {
        inner = om()->newObjectArray(images ? mrc::kClass_javax_microedition_lcdui_Image : mrc::kClass_IntArray,
                                     moduleCount);
        if (!inner) return nullptr;
        outer->elements()[palette] = inner;
    }
    return inner;
}

bool ASprite::imageModuleSize(int32_t module, int32_t& w, int32_t& h) {
    auto inside = [module](JArray* a) { return !isNull(a) && a->data && module < a->length; };
    if (module < 0 || module >= moduleCount || !inside(moduleKind) || !inside(moduleWidth) || !inside(moduleHeight) ||
        moduleKind->elements()[module] != kImageModule)
        return false;
    w = moduleWidth->elements()[module] & 0xFF;
    h = moduleHeight->elements()[module] & 0xFF;
    return true;
}

void ASprite::cacheModule(int32_t module, int32_t palette, int32_t mode) {
    int32_t w, h;
    if (!imageModuleSize(module, w, h) || w < 1 || h < 1 || !(mode & (kCacheImages | kCachePixels))) return;
    if (palette < 0 || palette >= paletteCount) {
        mrc_log("ASprite::cacheModule: no palette %d (of %d)", palette, paletteCount);
        return;
    }
    bool images = (mode & kCacheImages) != 0;
    ObjectArray* slots = cacheSlots(palette, images);
    if (!slots || module >= slots->length) return;

    int32_t saved = currentPalette;
    currentPalette = palette;
    IntArray* pixels = decodeModuleImage(module, 0);
    currentPalette = saved;
    if (!pixels) return;
    int32_t n = w * h;
    if (n > pixels->length) {
        mrc_log("ASprite::cacheModule: module %d of %dx%d pixels is larger than the pixel buffer", module, w, h);
        return;
    }
    const int32_t* p = pixels->elements();
    bool translucent = std::any_of(p, p + n, [](int32_t c) { return uint32_t(c) >> 24 != 0xFF; });
    Object* entry;
    if (images) {
        entry = Image::createRGBImage(pixels, w, h, translucent);
    } else {
        IntArray* copy = om()->newIntArray(n);
        if (copy) std::memcpy(copy->elements(), pixels->elements(), sizeof(int32_t) * std::size_t(n));
        entry = copy;
    }
    if (entry) slots->elements()[module] = entry;
}

void ASprite::buildModuleCache(int32_t palette, int32_t first, int32_t last, int32_t copyFrom, int32_t mapping,
                               int32_t mode) {
    if (moduleCount < 1 || (mode & kCacheNone)) return;
    if (palette < 0 || palette >= paletteCount || isNull(paletteCacheMode) || palette >= paletteCacheMode->length) {
        mrc_log("ASprite::buildModuleCache: no palette %d (of %d)", palette, paletteCount);
        return;
    }
    paletteCacheMode->elements()[palette] = mode;
    if (last == -1) last = moduleCount - 1;
    first = std::max(first, 0);
    last = std::min(last, moduleCount - 1);
    bool images = (mode & kCacheImages) != 0;
    if (!images && !(mode & kCachePixels)) return;
    ObjectArray* slots = cacheSlots(palette, images);
    if (!slots) return;

    if (copyFrom >= 0) {
        auto* from = static_cast<ObjectArray*>(slotOrNull(images ? moduleImageCache : modulePixelCache, copyFrom));
        if (!from) return;
        for (int32_t i = first; i <= last && i < from->length && i < slots->length; ++i)
            slots->elements()[i] = from->elements()[i];
    } else if (mapping >= 0) {
        auto* map = static_cast<ShortArray*>(slotOrNull(moduleMappings, mapping));
        int32_t frameModules = isNull(fmModule) || isNull(fmFlags) ? 0 : std::min(fmModule->length, fmFlags->length);
        for (int32_t j = 0; j < frameModules; ++j) {
            int32_t m = uint8_t(fmModule->elements()[j]) | (fmFlags->elements()[j] & 0xC0) << 2;
            if (map && m < map->length) m = map->elements()[m];
            if (m >= 0 && m < slots->length && isNull(slots->elements()[m])) cacheModule(m, palette, mode);
        }
    } else {
        for (int32_t m = first; m <= last; ++m) cacheModule(m, palette, mode);
    }
}

bool ASprite::hasCachedPalette(int32_t p) {
    if (p < 0 || p >= paletteCount || isNull(paletteCacheMode) || p >= paletteCacheMode->length) return false;
    int32_t mode = paletteCacheMode->elements()[p];
    return ((mode & kCacheImages) && slotOrNull(moduleImageCache, p)) ||
           ((mode & kCachePixels) && slotOrNull(modulePixelCache, p));
}

bool ASprite::isModuleCached(int32_t palette, int32_t module) {
    if (isNull(paletteCacheMode) || palette < 0 || palette >= paletteCacheMode->length) return false;
    int32_t mode = paletteCacheMode->elements()[palette];
    if ((mode & kCacheImages) && slotOrNull(static_cast<ObjectArray*>(slotOrNull(moduleImageCache, palette)), module))
        return true;
    return (mode & kCachePixels) &&
           slotOrNull(static_cast<ObjectArray*>(slotOrNull(modulePixelCache, palette)), module);
}

void ASprite::dropCachedModule(int32_t palette, int32_t module) {
    if (isNull(paletteCacheMode) || palette < 0 || palette >= paletteCacheMode->length) return;
    int32_t mode = paletteCacheMode->elements()[palette];
    auto* slots = static_cast<ObjectArray*>(
        slotOrNull((mode & kCacheImages) ? moduleImageCache : modulePixelCache, palette));
    if (slots && module >= 0 && module < slots->length) slots->elements()[module] = nullptr;
}

int32_t ASprite::currentCacheMode() {
    if (isNull(paletteCacheMode) || currentPalette < 0 || currentPalette >= paletteCacheMode->length)
        return kCacheNone;
    return paletteCacheMode->elements()[currentPalette];
}

void ASprite::allocPixelBuffer() {
    statics.sharedPixelBuffer = om()->newIntArray(kSharedPixelBufferSize);
    statics.effectPixelBuffer = statics.sharedPixelBuffer;
}

IntArray* ASprite::effectBuffer() {
    if (isNull(statics.effectPixelBuffer)) {
        IntArray* work = gameHooks().pixelWorkBuffer ? gameHooks().pixelWorkBuffer() : nullptr;
        if (!isNull(statics.sharedPixelBuffer)) statics.effectPixelBuffer = statics.sharedPixelBuffer;
        else if (!isNull(work)) statics.effectPixelBuffer = work;
        else allocPixelBuffer();
    }
    IntArray* buffer = statics.effectPixelBuffer;
    return isNull(buffer) || !buffer->data ? nullptr : buffer;
}

void ASprite::freePixelBuffer() {
    statics.sharedPixelBuffer = nullptr;
    statics.effectPixelBuffer = gameHooks().pixelWorkBuffer ? gameHooks().pixelWorkBuffer() : nullptr;
}

// ---- look-ups ------------------------------------------------------------------------------------

int32_t ASprite::getAnimLength(int32_t anim) { return Checked().ub(animFrameCount, anim); }

int32_t ASprite::getFModuleCount(int32_t frame) { return Checked().ub(frameModuleCount, frame); }

int32_t ASprite::getAnimFrameId(int32_t anim, int32_t aframe) {
    AFrame a;
    return readAFrame(anim, aframe, a) ? a.frame : 0;
}

int32_t ASprite::getAFrameTime(int32_t anim, int32_t aframe) {
    Checked c;
    int32_t i = c.s(animFirstFrame, anim) + aframe;
    return c.ok ? c.ub(aframeTime, i) : 0;
}

int32_t ASprite::getFModuleOffsetX(int32_t frame, int32_t i) {
    Checked c;
    int32_t j = c.s(frameFirstModule, frame) + i;
    return c.ok ? c.s(fmOffsetX, j) : 0;
}

int32_t ASprite::getFrameDataShort(int32_t frame, int32_t i) {
    Checked c;
    int32_t j = c.s(frameFirstModule, frame) + i;
    return c.ok ? c.s(fmOffsetY, j) : 0;
}

int32_t ASprite::getItemCount(int32_t frame) {
    Checked c;
    int32_t first = c.s(frameFirstRect, frame);
    if (!c.ok) return 0;
    if (frame + 1 < frameFirstRect->length) return frameFirstRect->elements()[frame + 1] - first;
    return (isNull(frameRects) ? 0 : frameRects->length) - first;
}

int32_t ASprite::getFlippedItemCount(int32_t anim, int32_t aframe) {
    int32_t frame = getAnimFrameId(anim, aframe);
    return getItemCount(frame);
}

int32_t ASprite::getFlippedItemCountSafe(ASprite* sprite, int32_t anim, int32_t aframe) {
    return isNull(sprite) ? 0 : sprite->getFlippedItemCount(anim, aframe);
}

ByteArray* ASprite::getFrameRectRecord(int32_t frame, int32_t i) {
    Checked c;
    int32_t index = c.s(frameFirstRect, frame) + i;
    if (!c.ok) return nullptr;
    auto* record = static_cast<ByteArray*>(c.ref(frameRects, index));
    if (record) statics.lastRectRecord = record;
    return record;
}

int32_t ASprite::getAnimFrame(int32_t anim, int32_t percent) {
    if (percent == 0) return 0;
    Checked c;
    int32_t frames = c.ub(animFrameCount, anim);
    int32_t first = c.s(animFirstFrame, anim);
    if (!c.ok) return 0;
    if (percent == 100) return std::max(frames - 1, 0);
    if (frames < 2) return 0;
    int32_t total = 0;
    for (int32_t k = 0; k < frames; ++k) total += c.ub(aframeTime, first + k);
    int32_t target = total * percent / 100, sum = 0;
    for (int32_t k = 0; k < frames && c.ok; ++k) {
        sum += c.ub(aframeTime, first + k);
        if (sum > target) return k;
    }
    return frames - 1;
}
