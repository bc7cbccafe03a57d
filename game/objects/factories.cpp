// Object factories: level records, an owner's parts and children, and the six pools. Every
// factory allocates several arrays in a row, so references live in locals or rooted fields and
// element buffers are reached through their arrays after each allocation.
#include <cstdint>

#include "framework/core/game_timers.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/construct.h"

LevelSetupStatics Game::levelSetup;

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

void nullPointer() { mrc::ApplicationImpl::getApplication()->reportError("NullPointer"); }

// A copy of `source` lengthened by `extra` (new elements 0); null for a null source.
IntArray* copyLengthened(IntArray* source, int32_t extra) {
    if (isNull(source)) {
        nullPointer();
        return nullptr;
    }
    IntArray* copy = om()->newIntArray(source->length + extra);
    if (isNull(copy)) return nullptr;
    for (int32_t i = 0; i < source->length && i < copy->length; ++i) copy->elements()[i] = source->elements()[i];
    return copy;
}

void set(IntArray* a, int32_t i, int32_t v) { JArray::setInt(a, i, v); }
int32_t get(IntArray* a, int32_t i) { return JArray::getInt(a, i); }

// The params of the owner's parts: [0], [1] from the owner, [4] still frame, [5] animation.
IntArray* partParams(CObject* owner, int32_t still, int32_t anim) {
    IntArray* params = om()->newIntArray(10);
    if (isNull(params)) return nullptr;
    set(params, 0, owner->param(0));
    set(params, 1, owner->param(1));
    set(params, 4, still);
    set(params, 5, anim);
    set(params, 8, 6);
    return params;
}

struct PoolLayout {
    int32_t entries, type, length;
    int32_t initial[4][2];  // (index, value), index -1 ends
};

// `id` for every entry; each entry gets its own params array.
ObjectArray* createPool(const PoolLayout& layout, int32_t id) {
    ObjectArray* pool = om()->newObjectArray(mrc::kClass_CObject, layout.entries);
    if (isNull(pool)) return nullptr;
    for (int32_t i = 0; i < layout.entries; ++i) {
        IntArray* params = om()->newIntArray(layout.length);
        for (const auto& [at, value] : layout.initial) {
            if (at < 0) break;
            set(params, at, value);
        }
        JArray::setRef(pool, i, CObject::newBare(id, layout.type, params));
    }
    return pool;
}

constexpr PoolLayout kProjectiles = {20, 300, 19, {{-1, 0}}};
constexpr PoolLayout kDirectional = {5, 305, 13, {{-1, 0}}};
constexpr PoolLayout kTileObjects = {30, 301, 9, {{-1, 0}}};
constexpr PoolLayout kTableObjects = {10, 306, 3, {{-1, 0}}};
constexpr PoolLayout kEffects = {15, 302, 11, {{0, 0}, {1, -1}, {3, 0}, {5, -1}}};
constexpr PoolLayout kEmitters = {30, 303, 1, {{0, -1}, {-1, 0}}};

}  // namespace

// ---- level records ----------------------------------------------------------------------------

int32_t Game::extraParamSlots(int32_t type) {
    static constexpr int32_t kExtra[] = {28, 2, 0, 24, 10, 3, 22, 2, 5};
    return type >= 80 && type <= 88 ? kExtra[type - 80] : -1;
}

CObject* Game::createObjectFromDef(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params) {
    CObject* o = CObject::create(id, type, x, y, params);
    const int32_t extra = extraParamSlots(type);
    if (!isNull(o) && extra >= 0) o->growParams(extra);
    return o;
}

void Game::createObjectWithParams(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* templ, int32_t index,
                                  int32_t value) {
    IntArray* params = copyLengthened(templ, 5);
    if (isNull(params)) return;
    set(params, 7, -1);
    set(params, 11, value);
    CObject* o = CObject::create(id, type, x, y, params);
    if (isNull(objects.s_type18Objects)) {
        nullPointer();
        return;
    }
    JArray::setRef(objects.s_type18Objects, index, o);
}

CObject* Game::createObjectSimple(int32_t x, int32_t y, IntArray* templ) {
    if (isNull(templ)) {
        nullPointer();
        return nullptr;
    }
    IntArray* params = om()->newIntArray(10);
    if (isNull(params)) return nullptr;
    for (int32_t i = 0; i < 10; ++i) set(params, i, get(templ, i));
    return CObject::create(-1, 10, x, y, params);
}

CObject* Game::createObjectWithArray(int32_t x, int32_t y, IntArray* record) {
    if (isNull(record)) {
        nullPointer();
        return nullptr;
    }
    IntArray* params = om()->newIntArray(10);
    if (isNull(params)) return nullptr;
    set(params, 0, get(record, 4));
    set(params, 1, get(record, 5));
    set(params, 4, -1);
    set(params, 5, get(record, 6));
    return CObject::create(-1, 10, x + (get(record, 2) >> 1), y + (get(record, 3) >> 1), params);
}

CObject* Game::createObjectWithParams7(int32_t id, int32_t x, int32_t y, IntArray* templ) {
    IntArray* params = copyLengthened(templ, 7);
    if (isNull(params)) return nullptr;
    auto* record = static_cast<ShortArray*>(JArray::getRef(levelSetup.s_typeRecords, get(templ, 2)));
    if (isNull(record)) {
        nullPointer();
    } else {
        set(params, 0, JArray::getShort(record, 0));
        set(params, 1, JArray::getShort(record, 1));
        set(params, 4, 1);
        JArray::setShort(record, 15, JArray::getShort(record, 15) + 1);
    }
    return CObject::create(id, 16, x, y, params);
}

ObjectArray* Game::createObjectFromList(int32_t generator, ObjectArray* list, int32_t /*id*/, int32_t x, int32_t y,
                                        IntArray* record, int32_t counter) {
    if (isNull(list) || isNull(record)) {
        nullPointer();
        return nullptr;
    }
    const int32_t n = list->length;
    IntArray* templ = om()->newIntArray(13);
    if (isNull(templ)) return nullptr;
    set(templ, 3, get(record, 8));
    set(templ, 4, get(record, 9));
    set(templ, 6, get(record, 10));
    set(templ, 7, get(record, 11));
    set(templ, 9, get(record, 15));
    set(templ, 11, 0);
    set(record, 20, n);
    IntArray* block = createFromTemplate(templ, true);
    set(block, 14, 7);
    set(block, 8, 7);
    set(block, 36, generator);
    const int32_t added = get(record, 5);
    ObjectArray* grown = om()->newObjectArray(mrc::kClass_CObject, n + added);
    if (isNull(grown)) return nullptr;
    for (int32_t i = 0; i < n; ++i) JArray::setRef(grown, i, JArray::getRef(list, i));
    for (int32_t k = n; k < n + added; ++k) {
        IntArray* copy = copyLengthened(block, 0);
        JArray::setRef(grown, k, CObject::create(counter + 1, 5, x, y, copy));
        ++counter;
    }
    return grown;
}

// ---- pools --------------------------------------------------------------------------------------

ObjectArray* Game::createObjectPool20() { return createPool(kProjectiles, -1); }
ObjectArray* Game::createObjectPoolB(int32_t id) { return createPool(kDirectional, id); }
ObjectArray* Game::createObjectPool10() { return createPool(kTableObjects, -1); }
ObjectArray* Game::createObjectPool15() { return createPool(kEffects, -1); }
ObjectArray* Game::createObjectPool30() { return createPool(kEmitters, -1); }

// The previous level's refill timer is not freed here: the level reset replaces the whole timer
// table.
ObjectArray* Game::createObjectPoolC() {
    ObjectArray* pool = createPool(kTileObjects, -1);
    CObject::statics.s_refillTimer = Game::timerAlloc();
    CObject::statics.s_shadowIndex = -1;
    auto* instance = static_cast<ASpriteInstance*>(JArray::getRef(stateStatics.hudInstances, 13));
    if (isNull(instance))
        nullPointer();
    else
        instance->setAnim(2);
    return pool;
}

void Game::resetObjectArray(ObjectArray* objects) {
    if (isNull(objects)) {
        nullPointer();
        return;
    }
    for (int32_t i = 0; i < objects->length; ++i) CObject::applyPathSegment(static_cast<CObject*>(JArray::getRef(objects, i)));
}

// ---- objects with grown params, parts and children -----------------------------------------------

CObject* CObject::newBare(int32_t id, int32_t type, IntArray* params) {
    CObject* o = mrc::newObject<CObject>();
    if (isNull(o)) return nullptr;
    o->initFields();
    o->m_id = id;
    o->m_type = type;
    o->m_params = params;
    o->m_sprite = mrc::newConstructed<ASpriteInstance>(static_cast<ASprite*>(nullptr), 0, 0,
                                                       static_cast<ASpriteInstance*>(nullptr));
    return o;
}

CObject* CObject::newWithFourExtraParams(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params) {
    CObject* o = create(id, type, x, y, params);
    if (!isNull(o)) o->growParams(4);
    return o;
}

CObject* CObject::newWithOneExtraParam(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params) {
    CObject* o = create(id, type, x, y, params);
    if (!isNull(o)) o->growParams(1);
    return o;
}

CObject* CObject::createPartsA(int32_t value) {
    IntArray* params = partParams(this, 0, -1);
    setParam(25, value);
    return create(m_id, 10, -100, -100, params);
}

CObject* CObject::createPartsB(int32_t value) {
    IntArray* params = partParams(this, -1, param(4));
    setParam(24, value);
    return create(m_id, 10, -100, -100, params);
}

CObject* CObject::createPartsC(int32_t value) {
    IntArray* params = partParams(this, -1, param(4));
    setParam(23, value);
    const bool placed = !isNull(m_sprite);
    return create(m_id, 10, placed ? m_sprite->getX() : 0, placed ? m_sprite->getY() : 0, params);
}

void CObject::createChildren(IntArray* counts, ObjectArray* objects, int32_t firstIndex, int32_t firstRange) {
    int32_t id = Game::kFirstChildId;
    int32_t range = firstRange;
    int32_t index = firstIndex;
    setParam(69, firstRange);
    const int32_t kinds = isNull(counts) ? 0 : counts->length;
    if (isNull(counts)) nullPointer();
    for (int32_t k = 0; k < Game::kChildCount; ++k) {
        for (int32_t c = 0; c < kinds; ++c) {
            for (int32_t n = JArray::getInt(counts, c); n > 0; --n) {
                Game::setRangeEntry(range++, 0, 0, om()->newIntArray(3));
                ++id;
            }
        }
        IntArray* params = om()->newIntArray(15);
        set(params, 0, param(7));
        set(params, 1, 1);
        set(params, 3, param(8 + 2 * k));
        set(params, 7, -1);
        set(params, 8, -1);
        set(params, 9, 1);
        set(params, 10, param(9 + 2 * k));
        set(params, 11, 1);
        CObject* child = newBare(id++, Game::kLayerType, params);
        JArray::setRef(objects, index, child);
        parseActionData(child, index, nullptr, 0);
        setParam(50 + k, index);
        ++index;
    }
}

namespace mrc {

void registerLevelSetupStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.levelSetup", &Game::levelSetup);
}

}  // namespace mrc
