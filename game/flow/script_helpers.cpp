// What the event scripts do to objects: trigger zones, setting an object's parameter, placing an
// object at a cell, a range point or another object, restarting a timed action, camera zones;
// and the loading step that marks the sprite modules the level's objects can show.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/array_base.h"
#include "runtime/core/static_class.h"

ObjectActionStatics Game::objectActions;

namespace mrc {
void registerObjectActionStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.objectActions", &Game::objectActions);
}
}  // namespace mrc

namespace {

constexpr int32_t kZoneMargin = 16;
constexpr int32_t kZoneStride = 6;

int32_t p(IntArray* a, int32_t i) { return JArray::getInt(a, i); }

CObject* listed(ObjectArray* list, int32_t i) {
    return isNull(list) || i < 0 || i >= list->length ? nullptr : static_cast<CObject*>(list->elements()[i]);
}

// Objects of these types block cells while they stand still.
bool blocksCells(int32_t type) { return type == 5 || (type >= 10 && type <= 13) || type == 15 || type == 17; }

// The modules of every frame of animation `anim` of the sprite marked as used.
void markAnimation(BoolArray* used, ASprite* sprite, int32_t anim) { Game::copyFrameData(used, sprite, anim, -1); }

// The part of the used-module tables an object's frames belong to, chosen by one of its params.
int32_t usedEntry(CObject* o) {
    switch (o->m_type) {
        case 302: return o->param(8);
        case 62: return o->param(13);
        case 61: case 63: case 13: return o->param(12);
        case 10: case 11: case 17: case 20: return o->param(9);
        case 12: return o->param(10);
        case 15: return o->param(16);
        case 21: return o->param(17);
        case 16: return Game::getPackedShort(o->param(CObject::PARAM_KIND), 13);
        default: return 0;
    }
}

// The sprite resource an object draws from: 30 + params[1] of itself or of the object it is
// linked to; -1 when the link is missing.
int32_t spriteResource(CObject* o, ObjectArray* objects) {
    CObject* source = o;
    if (o->m_type == 30) source = listed(objects, o->param(4));
    else if (o->m_type == 21) source = listed(objects, o->param(0));
    return isNull(source) ? -1 : 30 + source->param(1);
}

}  // namespace

void Game::checkTriggerZone(IntArray* params, int32_t x, int32_t y, CObject* o) {
    CObject* player = objects.s_player;
    bool inside = false;
    if (!isNull(player) && !isNull(player->m_sprite)) {
        const int32_t px = player->m_sprite->x >> 14, py = player->m_sprite->y >> 14;
        inside = px >= x - kZoneMargin && px <= x + p(params, 2) + kZoneMargin && py >= y - kZoneMargin &&
                 py <= y + p(params, 3) + kZoneMargin;
    }
    if (p(params, 17) > 0 && p(params, 12) == 1 && p(params, 22) < 0 && p(params, 19) < p(params, 4)) {
        if (openPopup() >= 0) {
            setPopupArg1(4);
            setPopupArg2(4);
            bindCurrentRecordToObject(o);
            activatePopup();
        }
    }
    if (!((p(params, 1) != 0 && inside) || p(params, 23) == 1)) return;
    if (p(params, 17) < p(params, 5) && p(params, 18) < p(params, 4) && CObject::statics.s_objectsReset == 0 &&
        isTimerElapsed(p(params, 21), p(params, 6))) {
        runSequence(params, x, y);
    }
}

void Game::scriptSetObjectParam(int32_t i, int32_t v) {
    CObject* o = listed(objects.s_scriptObjects, i);
    if (isNull(o)) return;
    o->setParam(o->m_type == 34 ? CObject::PARAM_KIND : 0, v);
    if (o->m_type == 23) o->initTimers();
    else if (o->m_type == 34 && o->param(7) == 3) requestEffectSound(7);
}

void Game::scriptPlaceObject(int32_t list, int32_t i, int32_t cx, int32_t cy, int32_t targetList,
                             int32_t targetIndex, int32_t side, bool attach) {
    CObject* o = getEntryByType(list, i);
    if (isNull(o) || isNull(o->m_sprite)) return;
    const bool blocking = blocksCells(o->m_type);
    if (blocking) {
        if (o->m_type == 5) markObjectFootprint(o, 1);
        else clearTarget(o);
    }
    if (o->m_type == 0) updatePlayerLink(nullptr);
    int32_t x, y;
    if (targetList == 4) {
        auto* point = static_cast<ShortArray*>(JArray::getRef(tables.s_rangeEntries, targetIndex));
        x = JArray::getShort(point, 0);
        y = JArray::getShort(point, 1);
    } else if (targetIndex < 0) {
        x = cx * kCellSize + kCellSize / 2;
        y = cy * kCellSize + kCellSize / 2;
    } else {
        CObject* target = getEntryByType(targetList, targetIndex);
        if (isNull(target) || isNull(target->m_sprite)) return;
        x = (target->m_sprite->x >> 14) + (side == 1 ? 1 : -1);
        y = target->m_sprite->y >> 14;
    }
    o->m_sprite->x = x << 14;
    o->m_sprite->y = y << 14;
    if (o->m_type == 15) {
        o->setParam(CObject::PARAM_TARGET_X, attach ? targetIndex : -1);
        o->setParam(CObject::PARAM_TARGET_Y, attach ? targetList : -1);
    }
    if (!blocking) return;
    if (o->m_type == 5) {
        markObjectFootprint(o, 0);
    } else {
        selectTarget(o, 0);
        displaceKind5Objects(objects.s_type5Objects, o);
    }
}

void Game::resetObjectAnim(int32_t, int32_t, CObject* o) {
    o->setParam(21, -1);
    o->setParam(18, o->param(18) & ~0xFFFF);
    o->setAnim(o->param(13));
}

void Game::applyCameraZoneAt(int32_t x, int32_t y) {
    ShortArray* zones = objectActions.s_cameraZones;
    if (isNull(zones)) return;
    const int16_t* z = zones->elements();
    for (int32_t k = 0; k + kZoneStride <= zones->length; k += kZoneStride) {
        const int32_t zx = z[k], zy = z[k + 1], w = z[k + 2], h = z[k + 3];
        if (x < zx || x >= zx + w || y < zy || y >= zy + h) continue;
        setCameraOnObject(zx, zy, w, h, z[k + 4], z[k + 5], 1);
        return;
    }
}

void Game::markObjectModules(ObjectArray* used, ObjectArray* objectList, int32_t slot) {
    if (isNull(used) || isNull(objectList)) return;
    ASprite* sprite = spriteIn(stateStatics.sprites, JArray::getByte(objects.s_spriteSlots, slot));
    if (isNull(sprite)) return;
    for (int32_t i = 0; i < objectList->length; ++i) {
        CObject* o = listed(objectList, i);
        if (isNull(o) || spriteResource(o, objectList) != slot) continue;
        auto* u = static_cast<BoolArray*>(JArray::getRef(used, usedEntry(o)));
        if (isNull(u)) continue;
        switch (o->m_type) {
            case 30:
                markAnimation(u, sprite, o->param(6));
                markAnimation(u, sprite, o->param(7));
                break;
            case 16: {
                const int32_t anim = getPackedShort(o->param(CObject::PARAM_KIND), 3);
                markAnimation(u, sprite, anim);
                markAnimation(u, sprite, anim + 1);
                break;
            }
            case 34: markAnimation(u, sprite, o->param(2)); break;
            case 21: markAnimation(u, sprite, o->param(10)); break;
            case 61:
                for (int32_t k : {5, 10, 11}) markAnimation(u, sprite, o->param(k));
                break;
            case 62:
                for (int32_t k = 9; k <= 12; ++k) markAnimation(u, sprite, o->param(k));
                break;
            case 63: markAnimation(u, sprite, o->param(8)); break;
            case 20:
                if (o->param(0) == 26) break;
                [[fallthrough]];
            case 10: case 11: case 12: case 13: case 15: case 17:
                if (o->param(4) >= 0) copyFrameRects(u, sprite, o->param(4), -1);
                else markAnimation(u, sprite, o->param(5));
                break;
            default: break;
        }
    }
}
