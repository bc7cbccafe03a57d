#include "game/objects/cobject.h"

#include <initializer_list>

#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/construct.h"

CObject::Statics CObject::statics;

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

IntArray* newInts(std::initializer_list<int32_t> values) {
    auto* a = om()->newIntArray(static_cast<int32_t>(values.size()));
    if (a) JArray::fillInts(a, values);
    return a;
}

// int[rows][...] filled row by row; `slot` is the static that holds it, so every row is
// allocated while the table is already a root.
void newIntRows(ObjectArray*& slot, std::initializer_list<std::initializer_list<int32_t>> rows) {
    slot = om()->newObjectArray(mrc::kClass_IntArray, static_cast<int32_t>(rows.size()));
    int32_t i = 0;
    for (const auto& row : rows) {
        IntArray* r = newInts(row);
        JArray::setRef(slot, i++, r);
    }
}

// Tables of the initialiser, in the order it sets them.
constexpr std::initializer_list<std::initializer_list<int32_t>> kRowTable3x9 = {
    {8, 0, 1, 2, 5, 3, 8, 6, 8}, {8, 0, 3, 8, 2, 5, 8, 6, 8}, {8, 7, 0, 7, 3, 7, 3, 6, 8}};
constexpr std::initializer_list<std::initializer_list<int32_t>> kSlotTriples = {
    {5, 4, 0}, {2, 4, 7}, {2, 4, 7}, {2, 4, 7}, {2, 4, 7}, {0, 4, 0}, {0, 4, 0}, {0, 4, 0}, {3, 0, 8}, {0, 4, 6}};

}  // namespace

// ---- creation ----------------------------------------------------------------------------------

void CObject::initFields() {
    m_sprite = nullptr;
    m_id = 0;
    m_type = 0;
    m_sortKey = 0;
    m_params = nullptr;
}

void CObject::setSprite(ASprite* sprite, int32_t /*flag*/) {
    if (!isNull(m_sprite) && !isNull(sprite)) m_sprite->setSprite(sprite);
}

void CObject::init(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params) {
    initFields();
    m_id = id;
    m_type = type;
    m_params = params;
    m_sprite = mrc::newConstructed<ASpriteInstance>(static_cast<ASprite*>(nullptr), x, y,
                                                    static_cast<ASpriteInstance*>(nullptr));
    if (isNull(m_sprite)) return;
    if (type == 0) {
        m_sprite->setAnim(0);
    } else if (type >= 1 && type <= 9) {
        m_sprite->setAnim(param(PARAM_ANIM));
    } else if (type >= 10 && type <= 21 && type != 18) {
        const int32_t still = param(PARAM_LIST_INDEX);
        if (still < 0)
            m_sprite->setAnim(param(PARAM_ANIM));
        else
            ASpriteInstance::showFrame(m_sprite, still);
    } else if (type >= 80 && type <= 87) {
        m_sprite->setAnim(param(PARAM_LIST_INDEX));
    } else if (type == 23) {
        initTimers();
        Game::pauseTimer(param(PARAM_LINK_ID));
    }
}

CObject* CObject::create(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params) {
    CObject* o = mrc::newObject<CObject>();
    if (o) o->init(id, type, x, y, params);
    return o;
}

void CObject::CObjectWithSprite(int32_t type, int32_t x, int32_t y, ASprite* sprite, IntArray* params) {
    initFields();
    m_sprite = mrc::newConstructed<ASpriteInstance>(sprite, x, y, static_cast<ASpriteInstance*>(nullptr));
    m_type = type;
    m_params = params;
    setParam(15, -1);
    setParam(16, 1);
}

void CObject::CObjectFromInstance(ASpriteInstance* instance, int32_t id, int32_t type, IntArray* params) {
    initFields();
    m_sprite = instance;
    m_id = id;
    m_type = type;
    m_params = params;
    if (!isNull(instance)) {
        m_sortKey = (instance->y >> 14) * 256 + (instance->x >> 14);
    } else {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
    }
}

// ---- growing the parameter array ----------------------------------------------------------------

void CObject::growParams(int32_t n) {
    if (isNull(m_params)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
        return;
    }
    IntArray* grown = om()->newIntArray(m_params->length + n);
    if (isNull(grown)) return;
    // Both arrays are read through their objects only now: the allocation may have moved them.
    IntArray* old = m_params;
    const int32_t count = old->length < grown->length ? old->length : grown->length;
    for (int32_t i = 0; i < count; ++i) grown->elements()[i] = old->elements()[i];
    m_params = grown;
}

void CObject::growParams2() {
    growParams(2);
    setParam(10, 0);
    setParam(11, 0);
}

void CObject::growParams7() {
    growParams(7);
    setParam(10, 2);
    setParam(13, -1);
    setParam(16, 0);
}

void CObject::growParamsWithListIndex() {
    const int32_t link = param(PARAM_LINK_ID);
    if (link != 2 && link != 3) return;
    growParams(1);
    ObjectArray* list = Game::objects.s_scriptObjects;
    if (isNull(list)) return;
    for (int32_t i = 0; i < list->length; ++i) {
        auto* o = static_cast<CObject*>(list->elements()[i]);
        if (!isNull(o) && o->m_id == m_id) {
            setParam(PARAM_FLAGS, i);
            return;
        }
    }
}

void CObject::setLimitParam(int32_t value, int32_t i) { setParam(30 + i, value); }

// ---- the static initialiser ---------------------------------------------------------------------

void CObject::clinit() {
    Statics& s = statics;
    GameObjectStatics& g = Game::objects;
    s.s_objectsReset = 0;
    s.s_effectInstances = om()->newObjectArray(mrc::kClass_ASpriteInstance, kEffectInstanceCount);
    s.s_interactionKind = 0;
    s.s_interactionMode = 0;
    s.s_interactionTarget = 0;
    newIntRows(s.s_rowTable3x9, kRowTable3x9);
    s.s_pair21 = newInts({2, 1});
    newIntRows(s.s_slotTriples, kSlotTriples);
    s.s_stepTiles = newInts({2, 3, 5});
    s.s_stepSpeeds = newInts({280, 280, 280, 280});
    s.s_countedItems = newInts({0, 1, 2, 3, 4});
    s.s_itemAnims = newInts({1, 0, 2, 0, 0, 0, 0, 5, 4, 6, 4, 4, 4, 4});
    s.s_pair37 = newInts({3, 7});
    s.s_itemSpriteOffsets = newInts({1, 1, 1, 1, 1, 1, 1});
    s.s_directions = newInts({kUp, kLeft, kDown, kRight});
    s.s_playerState = 0;
    s.s_playerStateParam = -1;
    s.s_inputDirection = kDown;
    s.s_moveDirection = kDown;
    s.s_stepSpeed = 0;
    s.s_stepExtra = 0;
    g.s_levelTimer = -1;
    s.s_anchorX = 0;
    s.s_anchorY = 0;
    s.s_stepIndex = 0;
    s.s_boxWidth = 16;
    s.s_boxHeight = 16;
    s.s_boxOffsetX = 0;
    s.s_boxOffsetY = 0;
    g.s_previousItem = -1;
    g.s_currentItem = 1;
    g.s_nextItem = -1;
    s.s_itemSequence = -1;
    g.s_playerFlags = 0;
    s.s_itemSprites = om()->newObjectArray(mrc::kClass_Object, 3);
    s.s_itemMarks = om()->newByteArray(kItemCount);
    s.s_state25Blocked = 0;
    s.s_playerCollisionMask = 0x26FA;
    s.s_cinematicAnim = -1;
    s.s_velocityX = s.s_velocityY = s.s_accelX = s.s_accelY = 0;
    s.s_arcDistance = s.s_arcHeight = 0;
    s.s_kindTables = nullptr;
    s.s_kindHitTables = nullptr;
    s.s_kindCount = 0;
    s.s_rectA = om()->newIntArray(4);
    s.s_rectB = om()->newIntArray(4);
    s.s_pulseA = s.s_pulseB = 0;
    s.s_cyclicTables = om()->newObjectArray(mrc::kClass_ByteArray, 3);
    for (int32_t i = 0; i < 3; ++i) JArray::setRef(s.s_cyclicTables, i, om()->newByteArray(45));
    s.s_cyclicPosition = 0;
    s.s_cyclicCounters = om()->newIntArray(3);
    s.s_shadowIndex = -1;
    s.s_layerMaps = s.s_layerGroupValues = s.s_layerMembers = nullptr;
    s.s_layerSlotKinds = s.s_layerGroupKeys = nullptr;
    s.s_heldObject = nullptr;
    s.s_effectObject = nullptr;
    s.s_pendingRelease = 0;
    s.s_oneShotValue = 0;
    s.s_animAdvance = true;
    s.s_lastActionKind = -1;
    s.s_actionPhase = 0;
    s.s_comboLevel = 0;
    s.s_targetId = kDown;
    s.s_refillDisplayTimer = -1;
    s.s_refillTimer = -1;
    s.s_actionTimer = s.s_comboTimer = s.s_itemTimer = -1;
    s.s_popupIndex = -1;
    s.s_debugRect = om()->newIntArray(4);
}

namespace mrc {

void registerObjectClasses() {
    // The hook again each time: tests reset the hooks.
    gameHooks().objectInstance = [](Object* o) -> ASpriteInstance* {
        return Object::instanceOf(o, kClass_CObject) ? static_cast<CObject*>(o)->m_sprite : nullptr;
    };
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("CObject", &CObject::statics);
    StaticClass::registerStatics("Game.objects", &Game::objects);
    StaticClass::registerStatics("Game.tables", &Game::tables);
    StaticClass::registerStatics("Game.saves", &Game::saves);
    StaticClass::setInitialiser(StaticInit::CObject, &CObject::clinit);
    NewInstanceFactory::add<CObject>();
}

}  // namespace mrc
