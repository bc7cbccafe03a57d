// The rest of an object's bookkeeping: the power of its hits, the release and pausing of the
// timers and popups it owns, ids resolved into list indices after loading, placement values
// and the swing of the held object.
#include <cstdlib>

#include "framework/core/game_math.h"
#include "framework/core/game_overlay.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/array_base.h"

namespace {

constexpr int32_t kPercent = 100 << 14;

CObject* listed(ObjectArray* list, int32_t i) {
    return isNull(list) || i < 0 || i >= list->length ? nullptr : static_cast<CObject*>(list->elements()[i]);
}
ShortArray* shortRow(ObjectArray* table, int32_t i) {
    return isNull(table) || i < 0 || i >= table->length ? nullptr : static_cast<ShortArray*>(table->elements()[i]);
}
ObjectArray* objectRow(ObjectArray* table, int32_t i) {
    return isNull(table) || i < 0 || i >= table->length ? nullptr : static_cast<ObjectArray*>(table->elements()[i]);
}
int32_t shortAt(ShortArray* a, int32_t i) { return isNull(a) || i < 0 || i >= a->length ? 0 : a->elements()[i]; }

int32_t floorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The timer in element 18 of popup record i, -1 without one.
int32_t popupTimer(int32_t i) {
    ObjectArray* table = Game::layouts.s_popups;
    if (isNull(table) || i < 0 || i >= table->length) return -1;
    auto* record = static_cast<IntArray*>(table->elements()[i]);
    return isNull(record) || record->length <= 18 ? -1 : record->elements()[18];
}

int32_t readU16(ByteArray* data, int32_t at) { return Game::readShortLE(data, at) & 0xFFFF; }

}  // namespace

// ---- power values ----

int32_t CObject::getProperty(CObject* o, int32_t n) {
    switch (o->m_type) {
        case 50: return o->param(36);
        case 5: {
            ShortArray* record = shortRow(objectRow(Game::objects.s_actionRecords, o->param(PARAM_KIND)), o->param(42));
            return shortAt(record, 5);
        }
        case 80: case 300: case 34: return o->param(8);
        case 20: return o->param(6);
        case 85: return o->getParamByType();
        case 305: return o->param(12);
        case 21: return o->param(16);
        case 86: case 88: return o->param(7);
        case 0: break;
        default: return 0;
    }
    const int32_t item = Game::objects.s_currentItem;
    ObjectArray* records = objectRow(Game::objects.s_itemSequenceTable, item);
    int32_t v = shortAt(shortRow(records, n), 5);
    if (Game::objectActions.s_energyUpgradeOn && Game::isHeldObjectActive()) {
        v = Game::scaleBySelectedUpgrade(v);
    } else if (const int32_t level = Game::getUpgradeLevel(item); level > 0) {
        v = (level + 5) * v * 2 / 10;
    }
    if (n == 0) v += shortAt(shortRow(records, 0), 9) * statics.s_comboLevel;
    if (v > 0 && Game::hudStatics.s_chainCount > 0) v += v * Game::hudStatics.s_chainCount / 100;
    return v;
}

// ---- timers and popups an object owns ----

void CObject::releaseSlot(CObject* o) {
    if (o->param(20) >= 0) Game::stopTimer(o->param(20));
    Game::objectActions.s_releaseFlag = 0;
    o->setParam(20, -1);
    Game::removePopup(o->param(21));
}

void CObject::releasePopupSlot() {
    Game::removePopup(statics.s_popupIndex);
    statics.s_popupIndex = -1;
}

void CObject::initTimers() {
    // A timer or message still held goes first: restarting would otherwise lose it for good.
    if (param(9) > -1) {
        Game::removePopup(param(9));
        setParam(9, -1);
    }
    if (param(7) >= 0) {
        Game::stopTimer(param(7));
        setParam(7, -1);
    }
    if (param(0) != 1) return;
    setParam(7, Game::timerAlloc());
    int32_t period = param(1) * 1000;
    if (param(2) > 0) period += GameMath::random() % param(2);
    setParam(8, period);
    if (param(5) != 1) return;
    setParam(9, Game::openPopup());
    Game::setPopupStyle(0);
    Game::setPopupArg1(1);
    Game::setPopupArg2(0);
    Game::setPopupArg3(param(8));
    Game::activatePopup();
}

void CObject::pauseObjectTimers(CObject* o) {
    Game::pauseTimer(o->param(7));
    if (o->param(9) >= 0) Game::pauseTimer(popupTimer(o->param(9)));
}

void CObject::resumeObjectTimers(CObject* o) {
    Game::resumeTimer(o->param(7));
    if (o->param(9) >= 0) Game::resumeTimer(popupTimer(o->param(9)));
}

// ---- placement values ----

void CObject::updatePosition(CObject* o) {
    ASpriteInstance* s = o->m_sprite;
    if (isNull(s)) return;
    o->setParam(35, s->x >> 14);
    o->setParam(34, s->y >> 14);
    // The bound, clamped into params[28]..params[29], is in pixels like the camera.
    const int32_t cameraX = Game::mathStatics.cameraX >> 14;
    o->setAnimOffset((s->x >> 14) < o->getParamRange(cameraX + Game::kScreenWidth / 2) ? 1 : 0, 0);
    o->setParam(15, cameraX);
    CObject* player = Game::objects.s_player;
    auto* layer = static_cast<CObject*>(GameOverlay::overlayStatics.currentRoom);
    if (!isNull(player) && !isNull(player->m_sprite)) {
        const int32_t layerX = isNull(layer) || isNull(layer->m_sprite) ? 0 : layer->m_sprite->x >> 14;
        o->setParam(17, floorDiv((player->m_sprite->x >> 14) - layerX, Game::kCellSize));
    }
    if (o->param(14) >= 0) Game::restartTimer(o->param(14));
    if (o->param(16) >= 0) Game::restartTimer(o->param(16));
    if (o->param(PARAM_RECORD) >= 0) o->setParam(9, 8);
}

void CObject::computeLinkOffset(CObject* o) {
    ASpriteInstance* s = o->m_sprite;
    o->setParam(PARAM_MODE, 1);
    if (isNull(s)) return;
    if (o->param(PARAM_LIST_INDEX) < 0) {
        o->setParam(8, s->x);
        o->setParam(9, s->y);
        return;
    }
    const GameObjectStatics& g = Game::objects;
    ObjectArray* lists[] = {g.s_kind0Objects, g.s_attachedObjects, g.s_type5Objects, g.s_type15Objects};
    const int32_t which = o->param(PARAM_KIND);
    if (which >= 0 && which < 4 && !isNull(lists[which])) {
        ObjectArray* list = lists[which];
        for (int32_t i = 0; i < list->length; ++i) {
            auto* c = static_cast<CObject*>(list->elements()[i]);
            if (isNull(c) || c->m_id != o->param(PARAM_LIST_INDEX)) continue;
            o->setParam(PARAM_LIST_INDEX, i);
            break;
        }
    }
    CObject* linked = o->getLinkedByKind();
    if (isNull(linked) || isNull(linked->m_sprite)) return;
    int32_t baseX = linked->m_sprite->x, baseY = linked->m_sprite->y;
    ASpriteInstance* li = linked->m_sprite;
    if (which == 0 && !isNull(li->sprite)) {
        const int32_t frame = li->anim >= 0 ? li->sprite->getAnimFrameId(li->anim, li->aframe) : li->aframe;
        if (li->sprite->getFModuleCount(frame) > 0) {
            IntArray* r = Game::getSpriteRect(li, 0, true);
            baseX += JArray::getInt(r, 0) << 14;
            baseY += JArray::getInt(r, 1) << 14;
        }
    }
    o->setParam(8, s->x - baseX);
    o->setParam(9, s->y - baseY);
}

void CObject::resolveListIds(ObjectArray* list) {
    if (isNull(list)) return;
    for (int32_t i = 0; i < list->length; ++i) {
        auto* o = static_cast<CObject*>(list->elements()[i]);
        if (isNull(o)) continue;
        if (o->m_type == 25) resolveObjectIdParam(o->m_params);
        else if (o->m_type == 36) resolveEntryIdParam(o->m_params);
    }
}

void Game::resolveRecordIdInData(ByteArray* reader, int32_t code, int32_t position, ObjectArray* a, ObjectArray* b) {
    const int32_t id = readU16(reader, position + 2);
    int32_t index = -1;
    if (ObjectArray* templates = objects.s_templates; !isNull(templates)) {
        for (int32_t i = 0; i < templates->length; ++i) {
            auto* t = static_cast<CObject*>(templates->elements()[i]);
            if (!isNull(t) && t->m_id == id) {
                index = i;
                break;
            }
        }
    }
    Game::writeShortLE(reader, position + 2, index);
    const int32_t kind = readU16(reader, position);
    if (code == 165 || code == 166 || code == 181) CObject::patchRecord(reader, kind, position, a, b);
    else if (code == 167) remapRecordId(reader, kind, position);
}

void Game::bindObjectArrays(CObject* o) {
    if (stateStatics.playMode != 0) return;
    for (int32_t i = 50; i < 50 + kChildCount; ++i) {
        CObject* layer = listed(objects.s_layerObjects, o->param(i));
        if (!isNull(layer)) layer->m_sortKey = objectAnchorY(layer, true);
    }
}

bool CObject::hasFacingTarget(CObject* o, int32_t direction, ObjectArray* list, int32_t count) {
    if (count < 1 || isNull(list)) return false;
    int32_t& input = statics.s_inputDirection;
    const int32_t saved = input;
    input = direction;
    bool found = false;
    const int32_t n = count < list->length ? count : list->length;
    for (int32_t i = 0; i < n && !found; ++i) {
        auto* other = static_cast<CObject*>(list->elements()[i]);
        found = !isNull(other) && other->m_type == 5 && isFacing(o, other);
    }
    input = saved;
    return found;
}

CObject* CObject::findObjectInView(int32_t a, int32_t b, bool flag) {
    return Game::findObjectInRange(a, b, Game::grids.s_viewObjects, 0, Game::grids.s_viewObjectCount, flag, false);
}

void CObject::setMode2(CObject* o) {
    o->setAnimFacing(2);
    o->setParam(PARAM_FACING, o->getBaseDistance());
    Statics& s = statics;
    s.s_stepIndex = 0;
    s.s_stepSpeed = JArray::getInt(s.s_stepSpeeds, 0) << 14;
    CObject* player = Game::objects.s_player;
    CObject* rail = listed(Game::objects.s_type15Objects, o->param(PARAM_MODE));
    if (!isNull(player) && !isNull(player->m_sprite) && !isNull(rail) && !isNull(rail->m_sprite)) {
        player->m_sprite->x = rail->m_sprite->x;
    }
    startInteraction(0, 1, o);
}

void CObject::setMode3(CObject* o) {
    o->setAnimFacing(3);
    o->setParam(PARAM_FACING, o->getBaseDistance());
    Game::requestEffectSound(10);
}

void CObject::updateLinkedTable(CObject* o) {
    ShortArray* point = static_cast<ShortArray*>(JArray::getRef(Game::tables.s_rangeEntries, o->getBaseType()));
    CObject* rail = listed(Game::objects.s_type15Objects, o->param(PARAM_MODE));
    if (isNull(point) || isNull(rail) || isNull(rail->m_sprite)) return;
    rail->m_sprite->x = shortAt(point, 0) << 14;
    rail->m_sprite->y = shortAt(point, 1) << 14;
    rail->setAnim(o->param(8) != 0 ? 17 : 16);
}

void CObject::updateHeld(CObject*) {
    CObject* held = statics.s_heldObject;
    if (isNull(held) || held->param(PARAM_FLAGS) != 1) return;
    const int32_t f = getRangeFactor(held);
    if (f == 0) return;
    const int32_t target = f > kPercent / 2 ? 0 : f < -kPercent / 2 ? kPercent : kPercent / 2 - f / 2;
    const int64_t magnitude = std::llabs(static_cast<int64_t>(f));
    int64_t rate = kPercent + magnitude * (magnitude >> 14) / 100;
    if (rate > 2 * kPercent) rate = 2 * kPercent;
    const auto step = static_cast<int32_t>(static_cast<int64_t>(Game::stateStatics.frameTime) * rate / 1000);
    int32_t& level = statics.s_swingLevel;
    if (target == level) return;
    if (target > level) {
        level += step;
        if (level > kPercent) {
            level = kPercent;
            held->setAnim(59);
        }
        return;
    }
    level -= step;
    if (level < 0) {
        level = 0;
        held->setAnim(58);
        return;
    }
    held->setAnim(56);
    setFrameByPercent(held->m_sprite, level >> 14);
}
