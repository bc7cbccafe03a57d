// Free slots of the pools, the group tables and the layer member lists; the strength test; the
// level-part tables of the layer objects; tile-aligned areas; the release of an object list.
// A full table is traced and the game goes on: nothing is overwritten.
#include <cstdint>

#include "framework/core/game_timers.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }

CObject* objectAt(ObjectArray* list, int32_t i) { return static_cast<CObject*>(JArray::getRef(list, i)); }
int32_t length(JArray* a) { return isNull(a) ? 0 : a->length; }
String* constant(int32_t n) { return app()->staticClass->stringConstantOrNull(n); }

// Full tables and pools: the game's debug text.
void traceFull(int32_t text) { QXLib::debugText(Game::stateStatics.graphics, false, constant(text), 0, 0); }

constexpr int32_t kDirectionalFullText = 151, kTileFullText = 152, kTableFullText = 159, kProjectileFullText = 164;
constexpr int32_t kGroupFullText = 149, kGroupUniqueFullText = 150, kMembersFullText = 158;
constexpr int32_t kNoKeyText = 155, kMissingKeyText = 156, kNoGridText = 157;
constexpr int32_t kNotAreaText = 160, kNotAreaSuffixText = 161;

int32_t findFree(ObjectArray* pool, int32_t text) {
    for (int32_t i = 0; i < length(pool); ++i) {
        CObject* o = objectAt(pool, i);
        if (!isNull(o) && o->param(0) == 0) return i;
    }
    traceFull(text);
    return -1;
}

ObjectArray* groupRow(ObjectArray* table, CObject* owner) {
    if (isNull(owner)) {
        app()->reportError("NullPointer");
        return nullptr;
    }
    return static_cast<ObjectArray*>(JArray::getRef(table, owner->param(CObject::PARAM_SUBKIND)));
}

// The highest-index free slot: the scan starts at the end and stops at the first free one.
int32_t lastFree(ObjectArray* row) {
    for (int32_t i = length(row) - 1; i >= 0; --i)
        if (isNull(JArray::getRef(row, i))) return i;
    return -1;
}

int32_t recordField5(ObjectArray* perItem, int32_t record) {
    auto* r = static_cast<JArray*>(JArray::getRef(perItem, record));
    return isNull(r) ? 0 : JArray::getShort(r, 5);
}

// Rounds toward minus infinity.
int32_t floorDiv(int32_t a, int32_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

int32_t readU16(ByteArray* data, int32_t at) {
    return (JArray::getByte(data, at) & 0xFF) | (JArray::getByte(data, at + 1) & 0xFF) << 8;
}

}  // namespace

// ---- pools and member lists ------------------------------------------------------------------------

int32_t Game::findFreeDirectionalSlot() { return findFree(objects.s_directionalPool, kDirectionalFullText); }
int32_t Game::findFreeTableSlot() { return findFree(objects.s_tableObjects, kTableFullText); }
int32_t Game::findFreeProjectileSlot() { return findFree(objects.s_projectiles, kProjectileFullText); }
int32_t Game::findFreeTileSlot() { return findFree(objects.s_tileObjects, kTileFullText); }

int32_t Game::addLayerMember(CObject* o, int32_t n) {
    auto* members = static_cast<ObjectArray*>(JArray::getRef(CObject::statics.s_layerMembers, n));
    const int32_t slot = lastFree(members);
    if (slot < 0) {
        traceFull(kMembersFullText);
        return 0;
    }
    JArray::setRef(members, slot, o);
    return 1;
}

int32_t CObject::addToGroupSlot(CObject* o, CObject* owner) {
    if (isNull(o)) {
        app()->reportError("NullPointer");
        return 1;
    }
    if (o->m_type == 5 && o->param(17) == 1) return 0;
    ObjectArray* row = groupRow(statics.s_kindTables, owner);
    const int32_t slot = lastFree(row);
    if (slot < 0)
        traceFull(kGroupFullText);
    else
        JArray::setRef(row, slot, o);
    return 1;
}

int32_t CObject::addToGroupUnique(CObject* o, CObject* owner) {
    if (isNull(o) || o->m_type != 5) return 0;
    ObjectArray* row = groupRow(statics.s_kindHitTables, owner);
    for (int32_t i = 0; i < length(row); ++i) {
        CObject* member = objectAt(row, i);
        if (!isNull(member) && member->m_id == o->m_id) return 0;
    }
    const int32_t slot = lastFree(row);
    if (slot < 0)
        Game::drawStringAt(false, constant(kGroupUniqueFullText), 0, 0);
    else
        JArray::setRef(row, slot, o);
    return 1;
}

// ---- the strength test and the group's ready members ------------------------------------------------

bool CObject::isFinishedByAction(CObject* o) {
    if (isNull(o)) return false;
    const int32_t strength = o->param(37), state = o->param(PARAM_STATE);
    if (strength <= 0 || state == 5 || state == 6 || state == 11) return false;
    const int32_t j = o->getScriptValue();
    if (j < 0) return false;
    const int32_t item = Game::objects.s_currentItem;
    auto* perItem = static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_itemSequenceTable, item));
    const int32_t current = recordField5(perItem, statics.s_itemSequence);
    const int32_t other = recordField5(perItem, j);
    int32_t p = current > other ? current : other;
    const int32_t level = Game::getUpgradeLevel(item);
    if (level > 0) p = (level + 5) * p * 2 / 10;
    return p >= strength;
}

CObject* CObject::findLastFinishable(CObject* o) {
    if (isNull(o) || o->countKindEntries() != 1) return nullptr;
    ObjectArray* row = groupRow(statics.s_kindTables, o);
    for (int32_t i = length(row) - 1; i >= 0; --i) {
        CObject* member = objectAt(row, i);
        if (!isNull(member) && member->m_type == 5 && isFinishedByAction(member)) return member;
    }
    return nullptr;
}

CObject* CObject::findReadyGroupMember(CObject* o) {
    if (isNull(o)) return nullptr;
    const int32_t m = o->countKindEntries();
    ObjectArray* row = groupRow(statics.s_kindTables, o);
    for (int32_t i = length(row) - 1; i >= 0; --i) {
        CObject* member = objectAt(row, i);
        if (isNull(member) || member->m_type != 5 || !member->isBelowThreshold()) continue;
        if (m < 2 || member->isFlagsOne()) return member;
    }
    return nullptr;
}

// ---- level parts ------------------------------------------------------------------------------------

void Game::loadLevelPart(ObjectArray* list, int32_t part, int32_t gridPart) {
    if (levelSetup.s_levelSetupKind == 4) return;
    ByteArray* keys = CObject::statics.s_layerSlotKinds;
    const int32_t slots = length(keys);

    // Templates: one round per key, keys in ascending order so that the pack is read forward.
    openLoaderPack(part);
    int32_t previous = -1;
    for (int32_t round = 0; round < slots; ++round) {
        int32_t picked = -1;
        for (int32_t i = 0; i < slots; ++i) {
            const int32_t key = JArray::getByte(keys, i) & 0xFF;
            if (key > previous && key < CObject::kLayerKeys &&
                (picked < 0 || key < (JArray::getByte(keys, picked) & 0xFF)))
                picked = i;
        }
        if (picked < 0) {
            traceFull(kNoKeyText);
            continue;
        }
        const int32_t key = JArray::getByte(keys, picked) & 0xFF;
        previous = key;
        // Locals keep both entries reachable while the second is read and the table built.
        ByteArray* a = readLoaderEntry(part, 2 * key);
        ByteArray* b = readLoaderEntry(part, 2 * key + 1);
        ObjectArray* table = buildShortTable3(a, b);
        JArray::setRef(CObject::statics.s_layerMaps, picked, JArray::getRef(table, 0));
    }

    // Unshared objects (and later holders of a duplicate key) take the template of their key.
    for (int32_t i = 0; i < length(list); ++i) {
        CObject* o = objectAt(list, i);
        if (isNull(o) || o->param(CObject::PARAM_SUBKIND) != 1) continue;
        if (!isNull(JArray::getRef(CObject::statics.s_layerMaps, o->param(16)))) continue;
        int32_t at = -1;
        for (int32_t k = 0; k < slots && at < 0; ++k)
            if ((JArray::getByte(keys, k) & 0xFF) == o->param(3)) at = k;
        if (at < 0) {
            traceFull(kMissingKeyText);
            continue;
        }
        JArray::setRef(CObject::statics.s_layerMaps, o->param(16), JArray::getRef(CObject::statics.s_layerMaps, at));
    }

    // Grids, by group key in ascending order.
    openLoaderPack(gridPart);
    int32_t lastGroup = -1;
    ByteArray* entry = nullptr;
    for (int32_t round = 0; round < slots; ++round) {
        CObject* picked = nullptr;
        for (int32_t i = 0; i < length(list); ++i) {
            CObject* o = objectAt(list, i);
            if (isNull(o) || !isNull(JArray::getRef(grids.s_layerGrids, o->param(16)))) continue;
            const int32_t v = o->param(0);
            if (v <= 20 && (isNull(picked) || v <= picked->param(0))) picked = o;
        }
        if (isNull(picked)) {
            traceFull(kNoGridText);
            continue;
        }
        const int32_t v = picked->param(0);
        if (v >= 20) continue;
        if (v != lastGroup || isNull(entry)) entry = readLoaderEntry(gridPart, 2 * v + 1);
        lastGroup = v;
        ObjectArray* grid =
            buildShortTable(static_cast<ObjectArray*>(JArray::getRef(CObject::statics.s_layerMaps, picked->param(16))),
                            entry);
        JArray::setRef(grids.s_layerGrids, picked->param(16), grid);
    }
    // Closed: the loader's next read must open its pack again.
    closePack();
    flowStatics.s_loadPack = -1;
    flowStatics.s_loadPackEntry = -1;
}

// ---- tile-aligned areas -------------------------------------------------------------------------------

int32_t Game::alignObjectToTile(ByteArray* data, int32_t p, CObject* o) {
    if (isNull(o) || isNull(o->m_sprite)) {
        app()->reportError("NullPointer");
        return p;
    }
    ASpriteInstance* s = o->m_sprite;
    const int32_t x = s->getX() / kCellSize * kCellSize;
    const int32_t y = s->getY() / kCellSize * kCellSize;
    s->setPosition(x, y);
    o->setParam(2, ((o->param(2) + x) / kCellSize + 1) * kCellSize - x);
    o->setParam(3, ((o->param(3) + y) / kCellSize + 1 - y / kCellSize) * kCellSize);

    if (JArray::getByte(data, p) != kAreaRecordCode) {
        String* text = constant(kNotAreaText);
        String* id = String::valueOfInt(o->m_id);
        String* suffix = constant(kNotAreaSuffixText);
        if (!isNull(text) && !isNull(id)) text = text->concat(id);
        if (!isNull(text) && !isNull(suffix)) text = text->concat(suffix);
        QXLib::debugText(stateStatics.graphics, false, text, 0, 0);
        return p;
    }
    const int32_t a = readU16(data, p + 3);
    const int32_t b = readU16(data, p + 5);
    const int32_t n = JArray::getByte(data, p + 7) & 0xFF;
    const int32_t old = length(o->m_params);
    o->growParams(n + 2);
    o->setParam(old, a);
    o->setParam(old + 1, b);
    for (int32_t i = 0; i < n; ++i) o->setParam(old + 2 + i, readU16(data, p + 8 + 2 * i));
    p += 8 + 2 * n;

    int32_t rx = 0, ry = 0;
    auto* room = static_cast<CObject*>(overlayStatics.currentRoom);
    if (!isNull(room) && !isNull(room->m_sprite)) {
        rx = room->m_sprite->getX();
        ry = room->m_sprite->getY();
    }
    const int32_t x0 = o->param(11), y0 = o->param(12), w = o->param(13), h = o->param(14);
    const int32_t cx0 = floorDiv(x0 - rx, kCellSize), cy0 = floorDiv(y0 - ry, kCellSize);
    const int32_t cx1 = floorDiv(x0 + w - rx, kCellSize), cy1 = floorDiv(y0 + h - ry, kCellSize);
    o->setParam(11, rx + kCellSize * cx0);
    o->setParam(12, ry + kCellSize * cy0);
    // A width and a height: the layer's origin is not added to them.
    o->setParam(13, kCellSize * (cx1 - cx0 + 1));
    o->setParam(14, kCellSize * (cy1 - cy0 + 1));
    return p;
}

// ---- release --------------------------------------------------------------------------------------------

void Game::releaseObjectList(ObjectArray* list, bool freeSprites) {
    for (int32_t i = 0; i < length(list); ++i) {
        CObject* o = objectAt(list, i);
        if (isNull(o)) continue;
        if (o->m_type == 62) o->stopParamTimer();
        ASpriteInstance* s = o->m_sprite;
        if (!isNull(s) && !isNull(s->sprite)) {
            if (freeSprites) resetObjectSlots(s->sprite);
            s->sprite = nullptr;
        }
        o->m_sprite = nullptr;
        o->m_params = nullptr;
    }
}
