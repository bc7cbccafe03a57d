// Layer template slots and groups, the layer objects' member lists, the per-kind object tables
// and the ids of level data resolved into list indices.
#include <cstdint>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

CObject* objectAt(ObjectArray* list, int32_t i) { return static_cast<CObject*>(JArray::getRef(list, i)); }
int32_t length(JArray* a) { return isNull(a) ? 0 : a->length; }

// The first index of the object with that id; -1 when none (or no list).
int32_t indexOfId(ObjectArray* list, int32_t id) {
    for (int32_t i = 0; i < length(list); ++i) {
        CObject* o = objectAt(list, i);
        if (!isNull(o) && o->m_id == id) return i;
    }
    return -1;
}

int32_t readU16(ByteArray* data, int32_t at) {
    return (JArray::getByte(data, at) & 0xFF) | (JArray::getByte(data, at + 1) & 0xFF) << 8;
}
void writeU16(ByteArray* data, int32_t at, int32_t v) {
    JArray::setByte(data, at, v);
    JArray::setByte(data, at + 1, v >> 8);
}

// The slot of template key `key` for object o: unshared objects always get a new one.
int32_t slotFor(CObject* o, int32_t key, IntArray* keySlots, int32_t& slots) {
    if (o->param(CObject::PARAM_SUBKIND) == 1) return slots++;
    int32_t slot = JArray::getInt(keySlots, key);
    if (slot < 0) {
        slot = slots++;
        JArray::setInt(keySlots, key, slot);
    }
    return slot;
}

}  // namespace

// ---- slots and groups ---------------------------------------------------------------------------

void CObject::assignKindSlots(ObjectArray* layers) {
    // Both tables are locals: reached through their arrays after every allocation.
    IntArray* keySlots = om()->newIntArray(kLayerKeys);
    IntArray* groupNumbers = om()->newIntArray(kLayerGroups);
    if (isNull(keySlots) || isNull(groupNumbers)) return;
    for (int32_t i = 0; i < kLayerKeys; ++i) JArray::setInt(keySlots, i, -1);
    for (int32_t i = 0; i < kLayerGroups; ++i) JArray::setInt(groupNumbers, i, -1);
    int32_t slots = 0, groups = 0;
    const int32_t count = length(layers);
    for (int32_t i = 0; i < count; ++i) {
        CObject* o = objectAt(layers, i);
        if (isNull(o)) continue;
        o->setParam(16, slotFor(o, o->param(3), keySlots, slots));
        o->setParam(19, o->param(16));
        o->setParam(17, o->param(8) < 0 ? o->param(16) : slotFor(o, o->param(8), keySlots, slots));
        if (o->param(15) == 51) {
            o->setParam(39, slotFor(o, o->param(32), keySlots, slots));
            o->setParam(40, slotFor(o, o->param(33), keySlots, slots));
        }
        const int32_t key = o->param(0);
        int32_t group = JArray::getInt(groupNumbers, key);
        if (group < 0) {
            group = groups++;
            JArray::setInt(groupNumbers, key, group);
        }
        o->setParam(18, group);
    }
    if (Game::levelSetup.s_levelSetupKind == 4) return;

    Statics& s = statics;
    s.s_heldObject = nullptr;
    s.s_layerMaps = om()->newObjectArray(mrc::kClass_Object, slots);
    Game::grids.s_layerGrids = om()->newObjectArray(mrc::kClass_Object, slots);
    s.s_layerSlotKinds = om()->newByteArray(slots);
    for (int32_t i = 0; i < slots; ++i) JArray::setByte(s.s_layerSlotKinds, i, kUnsharedSlot);
    for (int32_t key = 0; key < kLayerKeys; ++key) {
        const int32_t slot = JArray::getInt(keySlots, key);
        if (slot >= 0) JArray::setByte(s.s_layerSlotKinds, slot, key);
    }
    s.s_layerGroupKeys = om()->newByteArray(groups);
    s.s_layerGroupValues = om()->newObjectArray(mrc::kClass_Object, groups);
    for (int32_t key = 0; key < kLayerGroups; ++key) {
        const int32_t group = JArray::getInt(groupNumbers, key);
        if (group >= 0) JArray::setByte(s.s_layerGroupKeys, group, key);
    }
    s.s_layerMembers = om()->newObjectArray(mrc::kClass_ObjectArray, count);
    for (int32_t i = 0; i < count; ++i)
        JArray::setRef(s.s_layerMembers, i, om()->newObjectArray(mrc::kClass_CObject, kLayerMembers));
}

int32_t CObject::indexOfKey(int32_t k) {
    ByteArray* keys = statics.s_layerGroupKeys;
    for (int32_t i = 0; i < length(keys); ++i)
        if (JArray::getByte(keys, i) == k) return i;
    return -1;
}

Object* CObject::lookupKeyedValue(int32_t k) {
    const int32_t i = indexOfKey(k);
    return i < 0 ? nullptr : JArray::getRef(statics.s_layerGroupValues, i);
}

int32_t CObject::countKeysExcept(int32_t a, int32_t b) {
    ByteArray* keys = statics.s_layerGroupKeys;
    int32_t n = 0;
    for (int32_t i = 0; i < length(keys); ++i) {
        const int32_t key = JArray::getByte(keys, i);
        if (key != a && key != b) ++n;
    }
    return n;
}

ObjectArray* CObject::getLayerGrid() {
    return static_cast<ObjectArray*>(JArray::getRef(Game::grids.s_layerGrids, param(19)));
}

int32_t CObject::getLayerWidth() {
    auto* map = static_cast<ObjectArray*>(JArray::getRef(statics.s_layerMaps, param(16)));
    if (isNull(map)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return 0;
    }
    return Game::kCellSize * map->length;
}

int32_t CObject::getLayerHeight() {
    auto* map = static_cast<ObjectArray*>(JArray::getRef(statics.s_layerMaps, param(16)));
    if (isNull(map)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return 0;
    }
    return Game::kCellSize * length(static_cast<JArray*>(JArray::getRef(map, 0)));
}

// ---- member lists -------------------------------------------------------------------------------

void CObject::removeMemberById(int32_t id, int32_t k) {
    auto* members = static_cast<ObjectArray*>(JArray::getRef(statics.s_layerMembers, k));
    for (int32_t i = length(members) - 1; i >= 0; --i) {
        CObject* o = objectAt(members, i);
        if (!isNull(o) && o->m_id == id) {
            JArray::setRef(members, i, nullptr);
            return;
        }
    }
}

void CObject::removeFromOwnList(CObject* o, CObject* layer) {
    if (isNull(layer)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return;
    }
    auto* members = static_cast<ObjectArray*>(JArray::getRef(statics.s_layerMembers, layer->param(20)));
    for (int32_t i = length(members) - 1; i >= 0; --i) {
        if (objectAt(members, i) == o) {
            JArray::setRef(members, i, nullptr);
            return;
        }
    }
}

bool CObject::anyUsesKind(ObjectArray* list, int32_t n, int32_t b, int32_t a, int32_t k) {
    for (int32_t i = 0; i < n && i < length(list); ++i) {
        CObject* o = objectAt(list, i);
        if (isNull(o) || o->param(0) != b || o->param(2) != a) continue;
        if (o->param(3) == k || o->param(8) == k) return true;
        if (o->param(15) == 51 && (o->param(32) == k || o->param(33) == k)) return true;
    }
    return false;
}

// The first index at or after start that opens a new params[2] (other than b) in group a.
int32_t CObject::nextDistinctGroup(int32_t b, ObjectArray* list, int32_t start, int32_t a) {
    const int32_t n = length(list);
    if (start >= n) return start;
    int32_t from = start;
    for (;;) {
        int32_t j = from;
        while (j < n) {
            CObject* o = objectAt(list, j);
            if (!isNull(o) && o->param(0) == a && o->param(2) != b) break;
            ++j;
        }
        if (j >= n) return n;
        const int32_t g = objectAt(list, j)->param(2);
        bool seen = false;
        for (int32_t i = 0; i < from && !seen; ++i) {
            CObject* o = objectAt(list, i);
            seen = !isNull(o) && o->param(0) == a && o->param(2) == g;
        }
        if (!seen) return j;
        from = j + 1;
    }
}

void CObject::sealLinkedLayers() {
    for (int32_t k = 0; k < Game::kChildCount; ++k) {
        CObject* layer = objectAt(Game::objects.s_layerObjects, param(50 + k));
        if (isNull(layer)) continue;
        auto* grid = static_cast<ObjectArray*>(JArray::getRef(Game::grids.s_layerGrids, layer->param(19)));
        for (int32_t c = 0; c < length(grid); ++c) {
            auto* column = static_cast<ShortArray*>(JArray::getRef(grid, c));
            for (int32_t r = 0; r < length(column); ++r) JArray::setShort(column, r, 1);
        }
        auto* members = static_cast<ObjectArray*>(JArray::getRef(statics.s_layerMembers, layer->param(20)));
        for (int32_t i = 0; i < length(members); ++i) {
            CObject* member = objectAt(members, i);
            if (isNull(member) || member->m_type != 15) continue;
            if (!isNull(member->m_sprite)) member->m_sprite->x = member->m_sprite->y = 0;
            removeMemberById(member->m_id, layer->param(20));
        }
        layer->setParam(22, 99);
    }
    ObjectArray* switchables = Game::objects.s_type5Objects;
    for (int32_t i = 0; i < length(switchables); ++i) {
        CObject* o = objectAt(switchables, i);
        if (isNull(o)) continue;
        if (o->isVisibleState()) Game::markObjectFootprint(o, 1);
        o->setParam(PARAM_STATE, 7);
    }
}

// ---- per-kind tables and the effect pool ---------------------------------------------------------

void CObject::allocTypeLists() {
    Statics& s = statics;
    const int32_t rows = s.s_kindCount < 0 ? 0 : s.s_kindCount;
    s.s_kindTables = om()->newObjectArray(mrc::kClass_ObjectArray, rows);
    for (int32_t i = 0; i < rows; ++i)
        JArray::setRef(s.s_kindTables, i, om()->newObjectArray(mrc::kClass_CObject, kKindRowLength));
    s.s_kindHitTables = om()->newObjectArray(mrc::kClass_ObjectArray, rows);
    for (int32_t i = 0; i < rows; ++i)
        JArray::setRef(s.s_kindHitTables, i, om()->newObjectArray(mrc::kClass_CObject, kKindRowLength));
}

void CObject::clearKindRows() {
    for (ObjectArray* table : {statics.s_kindTables, statics.s_kindHitTables}) {
        auto* row = static_cast<ObjectArray*>(JArray::getRef(table, param(PARAM_SUBKIND)));
        for (int32_t i = length(row) - 1; i >= 0; --i) JArray::setRef(row, i, nullptr);
    }
}

int32_t CObject::countKindEntries() {
    auto* row = static_cast<ObjectArray*>(JArray::getRef(statics.s_kindTables, param(PARAM_SUBKIND)));
    int32_t n = 0;
    for (int32_t i = 0; i < length(row); ++i)
        if (!isNull(JArray::getRef(row, i))) ++n;
    return n;
}

int32_t CObject::countNeighbours() {
    auto* row = static_cast<ObjectArray*>(JArray::getRef(statics.s_kindTables, param(PARAM_SUBKIND)));
    int32_t n = 0;
    for (int32_t i = 0; i < length(row); ++i) {
        CObject* o = objectAt(row, i);
        if (!isNull(o) && (o->m_type != 21 || o->param(18) == 1)) ++n;
    }
    return n;
}

int32_t CObject::findFreeInPool15() {
    ObjectArray* pool = Game::objects.s_effectPool;
    for (int32_t i = 0; i < length(pool); ++i) {
        CObject* o = objectAt(pool, i);
        if (!isNull(o) && o->param(PARAM_ENABLED) == 0) return i;
    }
    return -1;
}

void CObject::setSlotValue(int32_t i, int32_t t) {
    setParam(11 + i, t);
    CObject* templ = objectAt(Game::objects.s_templates, t);
    if (isNull(templ))
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
    else
        templ->setParam(11, i);
}

// ---- ids of level data resolved into indices -----------------------------------------------------

void Game::resolveLinkIds(ObjectArray* list) {
    for (int32_t i = 0; i < length(list); ++i) {
        CObject* o = objectAt(list, i);
        if (isNull(o)) continue;
        if (o->m_type == 81) {
            for (int32_t p : {9, 10}) o->setParam(p, indexOfId(objects.s_type15Objects, o->param(p)));
        } else if (o->m_type == 83) {
            for (int32_t p = 46; p <= 49; ++p)
                if (o->param(p) >= 0) o->setParam(p, indexOfId(objects.s_type15Objects, o->param(p)));
        } else if (o->m_type == 86) {
            for (int32_t p = 8; p <= 16; ++p)
                if (o->param(p) >= 0) o->setParam(p, indexOfId(objects.s_templates, o->param(p)));
        }
    }
}

void Game::remapRecordId(ByteArray* data, int32_t kind, int32_t offset) {
    if (kind != 2) return;
    writeU16(data, offset + 4, indexOfId(objects.s_type15Objects, readU16(data, offset + 4)));
}

void CObject::patchRecord(ByteArray* data, int32_t kind, int32_t offset, ObjectArray* listA, ObjectArray* listB) {
    if (kind != 1 && kind != 2) return;
    writeU16(data, offset + 4, Game::findIndex(listB, readU16(data, offset + 4)));
    writeU16(data, offset + 8, Game::findIndex(listA, readU16(data, offset + 8)));
}

// ---- event flags -----------------------------------------------------------------------------------

void CObject::consumeEventFlags(int32_t mask) {
    bool hit = false, other = false;
    IntArray* flags = Game::levelSetup.s_eventFlagList;
    for (int32_t i = 0; i < Game::levelSetup.s_eventFlagCount; ++i) {
        const int32_t e = JArray::getInt(flags, i);
        if ((e & mask) != 0) {
            setParam(19, param(19) + 1);
            hit = true;
        } else if ((e & kOtherEventBits) != 0) {
            other = true;
        }
    }
    Game::levelSetup.s_eventFlagCount = 0;
    if (hit)
        Game::setPopupItemMaskB(mask);
    else if (!other)
        Game::setPopupItemMaskA(mask);
    else
        Game::setPopupItemMaskC(mask);
}
