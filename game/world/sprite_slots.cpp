// The level's sprite slot tables: per sprite resource the slot of the sprite table it was loaded
// into, the next free slot and the slot loaded last. Built on them: the interface sprite kept in
// its recorded slot, and the slot plan of the player's sprite sets. And the marking of the
// modules an animation's or a frame's pictures use, so that only those are decoded.
#include <algorithm>

#include "framework/sprite/sprite.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

namespace {

constexpr int32_t kSpriteResources = 120;
constexpr int32_t kFirstLevelSlot = 37;  // below it the slots of the start-up and the HUD
constexpr int32_t kInterfaceResource = 32;
constexpr int32_t kInterfacePack = 2, kInterfaceEntry = 5, kInterfacePalette = 0;
constexpr int32_t kInterfaceLoadFlags = 9;  // keeps the raw data for the modules built below
constexpr int32_t kInterfaceFirstAnim = 4, kInterfaceLastAnim = 11;
constexpr int32_t kUsedTooShortForFrameText = 499, kUsedTooShortForAnimText = 500;

// The player's sprite sets: set s is sprite resource 60 + s, planned in row 30 + s.
constexpr int32_t kSetResource = 60, kSetPlanRow = 30, kSpriteSets = 9;
constexpr int32_t kAbilityA = 0x80, kAbilityAPending = 0x400;
constexpr int32_t kItemRow = 3, kAbilityRow = 7;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
mrc::ObjectManager* om() { return app()->objectManager; }
String* constant(int32_t n) { return app()->staticClass->getStringConstant(n); }

int32_t lengthOf(JArray* a) { return isNull(a) || a->data == nullptr ? 0 : a->length; }

// The first slot from `from` on that holds no sprite (the table's length when none).
int32_t firstEmptySlot(ObjectArray* sprites, int32_t from) {
    const int32_t n = lengthOf(sprites);
    while (from < n && !isNull(sprites->elements()[from])) ++from;
    return from;
}

// Whether the used flags cover every module of the sprite; traces `text` when not.
bool coversModules(BoolArray* used, ASprite* sprite, int32_t text) {
    if (!isNull(used) && used->length >= sprite->moduleCount) return true;
    Game::dbgPrintln(constant(text));
    return false;
}

// plan[row][mapping][palette] = slot when it is unset; an index outside the plan is left alone.
void planSlot(ObjectArray* plan, int32_t row, int32_t mapping, int32_t palette, int32_t slot) {
    auto* byMapping = mrc::elementOrNull<ObjectArray>(plan, row);
    auto* byPalette = mrc::elementOrNull<ByteArray>(byMapping, mapping);
    if (byPalette == nullptr || palette < 0 || palette >= byPalette->length) return;
    if (byPalette->elements()[palette] < 0) byPalette->elements()[palette] = static_cast<int8_t>(slot);
}

struct SpriteSet {
    int32_t set, row, secondRow;
};

// Set i of the object: 0 its own, 1 the item sprite, 2-8 from the player's set tables (rows:
// set, row, second row).
SpriteSet spriteSet(CObject* o, int32_t i) {
    if (i == 0) return {0, o->param(2), -1};
    const int32_t flags = Game::objects.s_playerFlags;
    if (i == 1) return {1, (flags & kAbilityA) != 0 ? kAbilityRow : kItemRow, (flags & kAbilityAPending) != 0 ? kAbilityRow : -1};
    ObjectArray* tables = CObject::statics.s_rowTable3x9;
    auto value = [&](int32_t k) {
        IntArray* t = mrc::elementOrNull<IntArray>(tables, k);
        return t != nullptr && i < t->length ? t->elements()[i] : -1;
    };
    return {value(0), value(1), value(2)};
}

}  // namespace

void Game::allocSpriteSlotTables() {
    GameObjectStatics& g = objects;
    g.s_spriteSlots = om()->newByteArray(kSpriteResources);
    if (!isNull(g.s_spriteSlots)) std::fill_n(g.s_spriteSlots->elements(), kSpriteResources, int8_t(-1));
    g.s_lastSpriteSlot = om()->newByteArray(1);
    if (!isNull(g.s_lastSpriteSlot)) g.s_lastSpriteSlot->elements()[0] = -1;
    g.s_nextSpriteSlot = firstEmptySlot(stateStatics.sprites, kFirstLevelSlot);
}

void Game::copyFrameRects(BoolArray* used, ASprite* sprite, int32_t frame, int32_t remap) {
    if (isNull(sprite) || !coversModules(used, sprite, kUsedTooShortForFrameText)) return;
    if (frame < 0 || frame >= lengthOf(sprite->frameModuleCount) || frame >= lengthOf(sprite->frameFirstModule)) return;
    const int32_t first = sprite->frameFirstModule->elements()[frame];
    const int32_t end = std::min(first + int32_t(uint8_t(sprite->frameModuleCount->elements()[frame])),
                                 std::min(lengthOf(sprite->fmModule), lengthOf(sprite->fmFlags)));
    ShortArray* mapping = remap >= 0 ? mrc::elementOrNull<ShortArray>(sprite->moduleMappings, remap) : nullptr;
    for (int32_t j = std::max(first, 0); j < end; ++j) {
        int32_t m = uint8_t(sprite->fmModule->elements()[j]) | (sprite->fmFlags->elements()[j] & 0xC0) << 2;
        if (mapping != nullptr && m < mapping->length) m = mapping->elements()[m];
        if (m >= 0 && m < used->length) used->elements()[m] = 1;
    }
}

void Game::copyFrameData(BoolArray* used, ASprite* sprite, int32_t anim, int32_t remap) {
    if (isNull(sprite) || !coversModules(used, sprite, kUsedTooShortForAnimText)) return;
    int32_t first = 0;
    const int32_t count = sprite->animFrames(anim, first);
    for (int32_t k = 0; k < count; ++k) {
        const int32_t j = first + k;
        const int32_t frame = uint8_t(sprite->aframeFrame->elements()[j]) | (sprite->aframeFlags->elements()[j] & 0xC0) << 2;
        copyFrameRects(used, sprite, frame, remap);
    }
}

void Game::rebuildInterfaceSprite() {
    GameObjectStatics& g = objects;
    ObjectArray* sprites = stateStatics.sprites;
    if (lengthOf(g.s_spriteSlots) <= kInterfaceResource || lengthOf(g.s_lastSpriteSlot) < 1 || isNull(sprites)) {
        mrc_log("Game::rebuildInterfaceSprite: the sprite slot tables are missing");
        return;
    }
    int32_t slot = g.s_spriteSlots->elements()[kInterfaceResource];
    const bool fresh = slot < 0;
    if (fresh) slot = g.s_nextSpriteSlot;
    if (slot < 0 || slot >= sprites->length) {
        mrc_log("Game::rebuildInterfaceSprite: no sprite slot %d", slot);
        return;
    }
    if (fresh) {
        g.s_spriteSlots->elements()[kInterfaceResource] = static_cast<int8_t>(slot);
        g.s_nextSpriteSlot = slot + 1;
    }
    g.s_lastSpriteSlot->elements()[0] = static_cast<int8_t>(slot);

    // A free slot takes a new sprite; the recorded slot reloads its own.
    ASprite* sprite = loadSprite(fresh ? nullptr : spriteIn(sprites, slot), kInterfacePack, kInterfaceEntry,
                                 kInterfacePalette, kInterfaceLoadFlags, true);
    if (sprite == nullptr) return;
    sprites->elements()[slot] = sprite;
    if (fresh && sprite->paletteCount > kInterfacePalette && sprite->moduleCount > 0) {
        // An empty image cache for the palette, in image mode.
        ObjectArray* byPalette = om()->newObjectArray(mrc::kClass_ObjectArray, sprite->paletteCount);
        if (byPalette == nullptr) return;
        sprite->moduleImageCache = byPalette;
        ObjectArray* images = om()->newObjectArray(mrc::kClass_javax_microedition_lcdui_Image, sprite->moduleCount);
        if (images == nullptr) return;
        sprite->moduleImageCache->elements()[kInterfacePalette] = images;
        JArray::setInt(sprite->paletteCacheMode, kInterfacePalette, ASprite::kCacheImages);
    }

    BoolArray* used = om()->newBoolArray(sprite->moduleCount);
    if (used == nullptr) return;
    for (int32_t anim = kInterfaceFirstAnim; anim <= kInterfaceLastAnim; ++anim)
        copyFrameData(used, sprite, anim, -1);
    for (int32_t m = 0; m < sprite->moduleCount && m < used->length; ++m) {
        if (used->elements()[m] == 0) continue;
        auto* images = mrc::elementOrNull<ObjectArray>(sprite->moduleImageCache, kInterfacePalette);
        if (mrc::elementOrNull<Object>(images, m) == nullptr) sprite->cacheModule(m, kInterfacePalette, ASprite::kCacheImages);
    }
}

int32_t Game::planObjectSpriteSlots(ByteArray* slotMap, ByteArray* /*loadFlags*/, int32_t nextSlot, ObjectArray* plan,
                                    CObject* o) {
    if (isNull(slotMap) || isNull(o)) return nextSlot;
    ObjectArray* sprites = stateStatics.sprites;
    const int32_t palette = CObject::getTypeProperty(o);
    for (int32_t i = 0; i < kSpriteSets; ++i) {
        const SpriteSet s = spriteSet(o, i);
        if (s.set < 0) continue;
        const int32_t resource = kSetResource + s.set;
        if (resource >= slotMap->length) continue;
        int32_t slot = slotMap->elements()[resource];
        if (slot < 0) {
            if (nextSlot < 0 || nextSlot >= lengthOf(sprites)) {
                mrc_log("Game::planObjectSpriteSlots: no free sprite slot for set %d", s.set);
                continue;
            }
            slot = nextSlot;
            slotMap->elements()[resource] = static_cast<int8_t>(slot);
            nextSlot = firstEmptySlot(sprites, slot + 1);
        }
        planSlot(plan, kSetPlanRow + s.set, s.row, palette, slot);
        if (s.secondRow >= 0) planSlot(plan, kSetPlanRow + s.set, s.secondRow, palette, slot);
    }
    return nextSlot;
}
