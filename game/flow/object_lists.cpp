// The level's objects in their per-type lists and pools: look-ups, pool and slot releases, the
// painter's display-list sort, the collectible tallies kept for the save game, and small
// per-object parameter operations shared by many behaviours. Look-ups answer -1 or null rather
// than failing.
#include <initializer_list>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

GameObjectStatics Game::objects;

namespace {

constexpr int32_t kNoKindIndex = -1;  // 0xFFFF as a short
constexpr int32_t kCounterLimit = 250;

CObject* at(ObjectArray* list, int32_t i) { return static_cast<CObject*>(JArray::getRef(list, i)); }

// The object at i, without reports: null outside the list.
CObject* slotOrNull(ObjectArray* list, int32_t i) {
    if (isNull(list) || i < 0 || i >= list->length) return nullptr;
    auto* o = static_cast<CObject*>(list->elements()[i]);
    return isNull(o) ? nullptr : o;
}

ObjectArray* listOfType(int32_t type) {
    GameObjectStatics& g = Game::objects;
    switch (type) {
        case 1: return g.s_type1Objects;
        case 5: return g.s_type5Objects;
        case 10: case 11: case 12: case 13: case 17: return g.s_attachedObjects;
        case 15: return g.s_type15Objects;
        case 18: return g.s_type18Objects;
        case 20: return g.s_type20Objects;
        case 22: case 23: case 24: case 25: case 26: case 27:
        case 31: case 32: case 33: case 34: case 36: return g.s_scriptObjects;
        case 50: return g.s_layerObjects;
        case 62: case 63: return g.s_type62Objects;
        case 69: return g.s_type69Objects;
        case 80: case 81: case 82: case 83: case 84: case 86: case 87: return g.s_templates;
        default: return nullptr;
    }
}

int32_t sortKey(Object* o) {
    if (isNull(o)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return 0;
    }
    return static_cast<CObject*>(o)->m_sortKey;
}

int32_t pixelKey(ASpriteInstance* s) { return isNull(s) ? 0 : (s->y >> 14) * 256 + (s->x >> 14); }

}  // namespace

// ---- look-ups ----

int32_t Game::findObjectIndexById(int32_t type, int32_t id) {
    if (type == 0) return 0;
    ObjectArray* list = listOfType(type);
    if (isNull(list)) return -1;
    for (int32_t i = 0; i < list->length; ++i) {
        auto* o = static_cast<CObject*>(list->elements()[i]);
        if (!isNull(o) && o->m_id == id) return i;
    }
    return -1;
}

CObject* Game::getEntryByType(int32_t code, int32_t i) {
    GameObjectStatics& g = objects;
    switch (code) {
        case 0: return g.s_player;
        case 1: return at(g.s_type1Objects, i);
        case 2: return at(g.s_type15Objects, i);
        case 3: return at(g.s_type5Objects, i);
        case 5: return at(g.s_type18Objects, i);
        case 6: return at(g.s_templates, i);
        case 7: return at(g.s_attachedObjects, i);
        case 8: return at(g.s_type20Objects, i);
        case 9: return at(g.s_type69Objects, i);
        default: return nullptr;
    }
}

int32_t Game::listCodeToType(int32_t code) {
    static constexpr int32_t kTypes[] = {0, 1, 15, 5, 60, -1, 80, 13, 20, 69};
    return code >= 0 && code < 10 ? kTypes[code] : -1;
}

int32_t Game::findType29ById(int32_t id, int32_t start) {
    ObjectArray* list = objects.s_scriptObjects;
    if (isNull(list)) return -1;
    if (start < 0) {
        JArray::getRef(list, start);  // raises: outside the list
        return -1;
    }
    for (int32_t i = start; i < list->length; ++i) {
        auto* o = static_cast<CObject*>(list->elements()[i]);
        if (!isNull(o) && o->m_type == 29 && o->param(9) == id) return i;
    }
    return -1;
}

int32_t Game::findIndex(ObjectArray* records, int32_t key) {
    if (isNull(records)) return -1;
    int32_t answer = -1;
    for (int32_t r = 0; r < records->length; ++r) {
        auto* record = static_cast<JArray*>(records->elements()[r]);
        if (JArray::getInt(record, 0) != key) continue;
        answer = JArray::getInt(record, 1);
        if (answer >= 0) break;
    }
    return answer;
}

bool Game::isSpecialListedObject(CObject* o) {
    if (isNull(o)) return false;
    switch (o->m_type) {
        case 1:
        case 15: return o->param(8) == 1;
        case 61: return o->param(13) == 1;
        case 13: return CObject::isEnabledUnlessPending(o);
        default: return false;
    }
}

bool Game::isScriptObjectFree() {
    CObject* s = objects.s_selectedObject;
    if (isNull(s) || !objects.s_selectedObjectFlag) return true;
    const bool held = (s->m_type == 1 && s->param(11) == 3) || (s->m_type == 15 && s->param(9) == 3);
    return !held;
}

bool Game::countLevelEntries(int32_t script) {
    LayoutStatics& g = layouts;
    int32_t pos = JArray::getInt(g.s_scriptOffsets, script);
    const int32_t count = JArray::getByte(g.s_scriptCommandCounts, script);
    for (int32_t c = 0; c < count; ++c) {
        if (!mrc::arrayAccessOk(g.s_scriptBytes, pos)) return true;
        if ((g.s_scriptBytes->elements()[pos] & 0xFF) >= 170) return false;
        const int32_t length = JArray::getByte(g.s_scriptBytes, pos + 1);
        pos += 2 * (length + 1);
    }
    return true;
}

void Game::placePlayerBeside(int32_t side, int32_t n) {
    CObject* s = objects.s_selectedObject;
    CObject* player = objects.s_player;
    if (isNull(s) || isNull(s->m_sprite)) return;
    const int32_t cx = (s->m_sprite->x >> 14) + 16, cy = (s->m_sprite->y >> 14) + 16;
    int32_t x = cx, y = cy;
    const bool type15 = s->m_type == 15;
    switch (side) {
        case 0: x = cx + 32 * n, y = cy - 32; break;
        case 1: x = cx + 32 * n, y = type15 ? cy + 32 * s->param(3) : cy; break;
        case 2: x = cx - 32, y = cy + 32 * n; break;
        case 3: x = type15 ? cx + 32 * s->param(2) : cx, y = cy + 32 * n; break;
        default: break;
    }
    if (isNull(player) || isNull(player->m_sprite)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return;
    }
    player->m_sprite->x = x << 14;
    player->m_sprite->y = y << 14;
}

// ---- per-object parameters ----

int32_t Game::getTypeKeyParam(CObject* o) {
    if (isNull(o)) return 0;
    switch (o->m_type) {
        case 10: case 11: case 17: case 20: return o->param(9);
        case 12: return o->param(10);
        case 13: case 61: case 63: return o->param(12);
        case 15: return o->param(16);
        case 21: return o->param(17);
        case 62: return o->param(13);
        case 302: return o->param(8);
        default: return 0;
    }
}

void Game::setParamForType(IntArray* params, int32_t value, int32_t type) {
    switch (type) {
        case 0: JArray::setInt(params, 11, value); break;
        case 5: JArray::setInt(params, 46, value); break;
        case 40: JArray::setInt(params, 33, value); break;
        default: break;
    }
}

void Game::clearParamLinks(IntArray* params) {
    for (int32_t i : {16, 18, 19}) JArray::setInt(params, i, -1);
}

void Game::setParam18Low(CObject* o, int32_t v) {
    if (!isNull(o)) o->setParam(18, (o->param(18) & static_cast<int32_t>(0xFFFF0000)) | (v & 0xFFFF));
}

void Game::orParam18High(CObject* o, int32_t v) {
    if (!isNull(o)) o->setParam(18, o->param(18) | (v & static_cast<int32_t>(0xFFFF0000)));
}

void Game::setDirectionTowardsX(CObject* o, int32_t x, int32_t i, int32_t j, int32_t flags) {
    if (isNull(o) || isNull(o->m_sprite)) return;
    int32_t s = o->m_sprite->x > x ? -1 : 1;
    if ((flags & 1) != 0) s = -s;
    o->setParam(i, s << 14);
    o->setParam(j, 0);
}

// ---- pools, cell table, sparks, particles ----

void Game::releasePoolSlot(int32_t slot) {
    GameObjectStatics& g = objects;
    const int32_t index = JArray::getInt(g.s_levelPoolSlots, slot);
    if (index < 0) return;
    CObject* o = at(g.s_levelPool, index);
    if (!isNull(o)) o->m_type = -1;
    JArray::setInt(g.s_levelPoolSlots, slot, -1);
}

void Game::resetPooledObjects() {
    GameObjectStatics& g = objects;
    if (!isNull(g.s_levelPoolSlots))
        for (int32_t i = 0; i < g.s_levelPoolSlots->length; ++i) g.s_levelPoolSlots->elements()[i] = -1;
    if (!isNull(g.s_levelPool))
        for (int32_t i = 0; i < g.s_levelPool->length; ++i)
            if (CObject* o = slotOrNull(g.s_levelPool, i)) o->m_type = -1;
}

void Game::releaseLevelGrid() {
    ObjectArray* grid = objects.s_speakers;
    if (isNull(grid)) return;
    for (int32_t i = 0; i < grid->length; ++i) grid->elements()[i] = nullptr;
    objects.s_speakers = nullptr;
}

void Game::clearSparks() {
    IntArray* sparks = objects.s_sparkList;
    if (!isNull(sparks))
        for (int32_t i = 0; i < sparks->length; ++i) sparks->elements()[i] = -1;
    objects.s_sparkCount = 0;
}

void Game::clearShotInstances() {
    GameObjectStatics& g = objects;
    if (g.s_variantFlag) return;
    if (!isNull(g.s_randomParticles)) {
        for (int32_t i = 0; i < 2 && i < g.s_randomParticles->length; ++i) {
            auto* p = static_cast<ASpriteInstance*>(g.s_randomParticles->elements()[i]);
            if (!isNull(p)) p->sprite = nullptr;
            g.s_randomParticles->elements()[i] = nullptr;
        }
    }
    g.s_randomParticles = nullptr;
    g.s_randomParticleCount = 0;
}

// Quicksort by sort key, partitioning as the game always did: equal keys keep no order.
void Game::clearObjectLists(bool clear) {
    FlowStatics& f = flowStatics;
    f.s_displayCount = 0;
    f.s_hitListACount = 0;
    f.s_type0Count = 0;
    f.s_specialCount = 0;
    f.s_frontType5Count = 0;
    f.s_type20Count = 0;
    grids.s_viewObjectCount = 0;
    if (!clear) return;
    for (ObjectArray* list : {f.s_displayList, f.objectPool40, f.objectPool15, grids.s_viewObjects, f.objectPool20B,
                              f.objectPool60A}) {
        if (isNull(list)) continue;
        for (int32_t i = 0; i < list->length; ++i) JArray::setRef(list, i, nullptr);
    }
}

void Game::sortDisplayList(int32_t lo, int32_t hi) {
    ObjectArray* list = flowStatics.s_displayList;
    if (lo >= hi) return;
    if (!mrc::arrayAccessOk(list, lo) || !mrc::arrayAccessOk(list, hi)) return;
    Object** e = list->elements();  // nothing below allocates
    while (lo < hi) {
        const int32_t pivot = sortKey(e[(lo + hi) / 2]);
        int32_t i = lo, j = hi;
        for (;;) {
            while (i < hi && sortKey(e[i]) < pivot) ++i;
            while (j > lo && sortKey(e[j]) > pivot) --j;
            if (i > j) break;
            Object* t = e[i];
            e[i] = e[j];
            e[j] = t;
            ++i;
            --j;
            if (i >= j) break;
        }
        if (lo < j) sortDisplayList(lo, j);
        lo = i;
    }
}

// ---- sprite slots ----

int32_t Game::getSpriteSlot(int32_t group, int32_t index) {
    return JArray::getByte(objects.s_spriteSlots, (group - 4) * 30 + index);
}

void Game::applySpriteToObject(CObject* o) {
    if (isNull(o)) return;
    const int32_t group = o->param(0), i = o->param(1);
    int32_t slot = i;
    if (group != 26) {
        slot = JArray::getByte(objects.s_spriteSlots, group == 8 ? 24 + i : (group - 4) * 30 + i);
        if (slot < 0) return;
    }
    o->setSprite(static_cast<ASprite*>(JArray::getRef(stateStatics.sprites, slot)), 0);
}

void Game::releaseLevelSprites(bool all) {
    GameObjectStatics& g = objects;
    ObjectArray* sprites = stateStatics.sprites;
    auto release = [&](int32_t slot) {
        auto* sprite = static_cast<ASprite*>(JArray::getRef(sprites, slot));
        if (isNull(sprite)) return false;
        resetObjectSlots(sprite);
        JArray::setRef(sprites, slot, nullptr);
        return true;
    };
    if (all && !isNull(sprites)) {
        release(18);
        if (sprites->length > 19) release(19);
        Object* kept[] = {JArray::getRef(sprites, 10), JArray::getRef(sprites, 11)};
        for (int32_t r = 0; !isNull(g.s_spriteSlots) && r < g.s_spriteSlots->length; ++r) {
            const int32_t slot = g.s_spriteSlots->elements()[r];
            if (slot < 0) continue;
            Object* sprite = JArray::getRef(sprites, slot);
            if (isNull(sprite) || sprite == kept[0] || sprite == kept[1]) continue;
            release(slot);
            g.s_spriteSlots->elements()[r] = -1;
        }
    }
    ObjectArray* items = CObject::statics.s_itemSprites;
    if (!isNull(items))
        for (int32_t i = 0; i < items->length; ++i) items->elements()[i] = nullptr;
}

void Game::shareSpriteData(int32_t source, int32_t from, int32_t to, bool direct) {
    if (source < 0) return;
    ObjectArray* sprites = stateStatics.sprites;
    auto* src = static_cast<ASprite*>(JArray::getRef(sprites, source));
    if (isNull(src)) return;
    mrc::ObjectManager* om = mrc::ApplicationImpl::getApplication()->objectManager;
    // The per-palette image cache, each missing palette's entry made and marked as cached images.
    if (isNull(src->moduleImageCache)) src->moduleImageCache = om->newObjectArray(mrc::kClass_ObjectArray, src->paletteCount);
    if (isNull(src->paletteCacheMode)) src->paletteCacheMode = om->newIntArray(src->paletteCount);
    for (int32_t p = 0; !isNull(src->moduleImageCache) && p < src->moduleImageCache->length; ++p) {
        if (!isNull(src->moduleImageCache->elements()[p])) continue;
        ObjectArray* images = om->newObjectArray(mrc::kClass_Object, src->moduleCount);
        JArray::setRef(src->moduleImageCache, p, images);
        JArray::setInt(src->paletteCacheMode, p, ASprite::kCacheImages);
    }
    for (int32_t k = from; k < to; ++k) {
        const int32_t slot = direct ? k : JArray::getByte(objects.s_spriteSlots, k);
        if (slot < 0) continue;
        auto* target = static_cast<ASprite*>(JArray::getRef(sprites, slot));
        if (isNull(target) || target == src) continue;
        // Everything but the palette and mapping each sprite selects for itself.
        target->lineSpacing = src->lineSpacing;
        target->moduleCount = src->moduleCount;
        target->moduleX = src->moduleX;
        target->moduleY = src->moduleY;
        target->moduleWidth = src->moduleWidth;
        target->moduleHeight = src->moduleHeight;
        target->frameModuleCount = src->frameModuleCount;
        target->frameFirstModule = src->frameFirstModule;
        target->fmModule = src->fmModule;
        target->fmOffsetX = src->fmOffsetX;
        target->fmOffsetY = src->fmOffsetY;
        target->fmFlags = src->fmFlags;
        target->animFrameCount = src->animFrameCount;
        target->animFirstFrame = src->animFirstFrame;
        target->aframeFrame = src->aframeFrame;
        target->aframeTime = src->aframeTime;
        target->aframeOffsetX = src->aframeOffsetX;
        target->aframeOffsetY = src->aframeOffsetY;
        target->aframeFlags = src->aframeFlags;
        target->frameRects = src->frameRects;
        target->frameFirstRect = src->frameFirstRect;
        target->frameRectCount = src->frameRectCount;
        target->moduleMappings = src->moduleMappings;
        target->dataFlags = src->dataFlags;
        target->palettes = src->palettes;
        target->paletteCount = src->paletteCount;
        target->colorsPerPalette = src->colorsPerPalette;
        target->hasAlpha = src->hasAlpha;
        target->pixelFormat = src->pixelFormat;
        target->pixelMask = src->pixelMask;
        target->bitsPerPixel = src->bitsPerPixel;
        target->pixelData = src->pixelData;
        target->moduleDataOffset = src->moduleDataOffset;
        target->moduleImageCache = src->moduleImageCache;
        target->modulePixelCache = src->modulePixelCache;
        target->paletteCacheMode = src->paletteCacheMode;
        target->moduleKind = src->moduleKind;
        target->moduleColor = src->moduleColor;
    }
}

// ---- emitter slots and routes ----

void Game::applyLayerPalettes() {
    ByteArray* header = levelView.s_levelHeader;
    ByteArray* slots = GameTiles::tileStatics.mapLayerSprite;
    ObjectArray* sprites = stateStatics.sprites;
    if (isNull(header) || isNull(slots) || isNull(sprites)) return;
    auto apply = [&](int32_t layer, int32_t headerIndex) {
        if (layer >= slots->length || headerIndex >= header->length) return;
        int32_t slot = uint8_t(slots->elements()[layer]);
        if (slot >= sprites->length) return;
        Object* o = sprites->elements()[slot];
        if (isNull(o) || o->classId() != ASprite::kClassId) return;
        auto* sprite = static_cast<ASprite*>(o);
        int32_t palette = header->elements()[headerIndex];
        if (palette < sprite->paletteCount) sprite->currentPalette = palette;
    };
    apply(0, 2);
    if (GameTiles::tileStatics.mapLayerCount >= 2) apply(1, 10);
}

void Game::freeSlotRecord(int32_t slot) {
    GameObjectStatics& g = objects;
    JArray::setInt(static_cast<JArray*>(JArray::getRef(g.s_slotRecords, slot)), 4, 0);
    CObject* owner = at(g.s_slotOwners, slot);
    if (!isNull(owner)) {
        if (owner->m_type == 18) owner->clearLinkIfMatches(slot);
        else if (owner->m_type == 301) owner->setParam(0, 0);
    }
    JArray::setRef(g.s_slotOwners, slot, nullptr);
    if (CObject* emitter = at(g.s_emitterPool, slot)) emitter->setParam(0, -1);
}

namespace {

// The record of a valid emitter slot, or null.
JArray* slotRecord(int32_t slot) {
    ObjectArray* records = Game::objects.s_slotRecords;
    if (isNull(records) || slot < 0 || slot >= records->length) return nullptr;
    return static_cast<JArray*>(records->elements()[slot]);
}

}  // namespace

void Game::setEntry(int32_t slot, int32_t dx, int32_t dy) {
    JArray* r = slotRecord(slot);
    if (isNull(r)) return;
    JArray::setInt(r, 0, JArray::getInt(r, 11) + dx);
    JArray::setInt(r, 1, JArray::getInt(r, 12) + dy);
    CObject* emitter = slotOrNull(objects.s_emitterPool, slot);
    if (emitter && !isNull(emitter->m_sprite)) {
        emitter->m_sprite->x = JArray::getInt(r, 0);
        emitter->m_sprite->y = JArray::getInt(r, 1);
    }
}

void Game::clearEntry(int32_t slot) {
    if (JArray* r = slotRecord(slot)) JArray::setInt(r, 3, 0);
}

void Game::setEntryValue(int32_t slot, int32_t v) {
    if (JArray* r = slotRecord(slot)) JArray::setInt(r, 13, v);
}

int32_t Game::slotDrawKey(CObject* emitter) {
    if (isNull(emitter)) return 0;
    const int32_t slot = emitter->param(0);
    int32_t key = pixelKey(emitter->m_sprite);
    CObject* owner = slotOrNull(objects.s_slotOwners, slot);
    if (!owner) return key;
    JArray* record = slotRecord(slot);
    if ((owner->m_type == 5 && owner->param(3) == 8) || (owner->m_type == 86 && JArray::getInt(record, 5) == 12))
        return key + 123680;
    if (owner->m_type == 86 || owner->m_type == 88) key = pixelKey(owner->m_sprite);
    return key;
}

void Game::clearByteAt(int32_t route) {
    if (route < 0) return;
    JArray::setByte(objects.s_routeLength, route, 0);
    ++objects.s_freeRoutes;
}

// ---- collectible tallies ----

void Game::resetKindTallies() {
    StateStatics& s = stateStatics;
    for (int32_t k = 0; k < kKindCount; ++k) {
        JArray::setByte(s.kindCounts, k, -1);
        JArray::setShort(s.kindIndex, k, kNoKindIndex);
    }
    if (!isNull(s.savedCounters))
        for (int32_t i = 0; i < s.savedCounters->length; ++i)
            if (i != 2) s.savedCounters->elements()[i] = 0;
}

void Game::tallyLevelCollectibles(ObjectArray* type5, ObjectArray* type69) {
    resetKindTallies();
    StateStatics& s = stateStatics;
    if (!isNull(type5)) {
        for (int32_t i = 0; i < type5->length; ++i) {
            CObject* o = slotOrNull(type5, i);
            if (!o) continue;
            const int32_t kind = o->param(3);
            if (kind == 9 || (JArray::getByte(s.kindCounts, kind) & 0xFF) != 255) continue;
            JArray::setByte(s.kindCounts, kind, 0);
            JArray::setShort(s.kindIndex, kind, i);
            incSavedCounter(1);
        }
    }
    if (!isNull(type69)) {
        for (int32_t i = 0; i < type69->length; ++i) {
            CObject* o = slotOrNull(type69, i);
            if (!o) continue;
            if (o->param(0) == 0) incSavedCounter(7);
            else if (o->param(0) == 1) incSavedCounter(9);
        }
    }
}

int32_t Game::lookupByte(int32_t i) {
    const int32_t v = JArray::getByte(stateStatics.savedCounters, i) & 0xFF;
    if (v > 254) return -1;
    return v > kCounterLimit ? kCounterLimit : v;
}

int32_t Game::incSavedCounter(int32_t i) {
    const int32_t old = lookupByte(i);
    if (old <= kCounterLimit - 1) JArray::setByte(stateStatics.savedCounters, i, old + 1);
    return old;
}

int32_t Game::findNextPresentKind(int32_t start) {
    ByteArray* counts = stateStatics.kindCounts;
    if (isNull(counts)) return -1;
    if (start < 0) {
        JArray::getByte(counts, start);  // raises: outside the table
        return -1;
    }
    for (int32_t k = start; k < counts->length; ++k)
        if ((counts->elements()[k] & 0xFF) < 255) return k;
    return -1;
}

void Game::incKindCount(CObject* o) {
    if (isNull(o)) return;
    const int32_t kind = o->param(3);
    const int32_t count = JArray::getByte(stateStatics.kindCounts, kind) & 0xFF;
    if (count <= 254) JArray::setByte(stateStatics.kindCounts, kind, count + 1);
}
