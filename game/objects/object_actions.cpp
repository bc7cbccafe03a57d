// Actions of actors and of the player's items: where an action's rectangle falls, the weighted
// choice of an attack and its timing, the player's sideways push, pull-back, item use and side
// step, and the end of an item action with its combo, sound cue and removal of the acting object.
#include "framework/core/game_math.h"
#include "framework/core/game_overlay.h"
#include "framework/core/qxlib.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/array_base.h"

namespace {

constexpr int32_t kMaxActions = 32;
constexpr int32_t kHorizontal = 0x1418;
constexpr int32_t kVertical = 0x4106;
constexpr int32_t kItemEnergy = 0x30000;  // 12 of gauge 2, 14 fraction bits
constexpr int32_t kSideStepMemberType = 21;  // a faced group member of this type also counts

ShortArray* shortRow(ObjectArray* table, int32_t i) {
    return isNull(table) || i < 0 || i >= table->length ? nullptr : static_cast<ShortArray*>(table->elements()[i]);
}
ObjectArray* objectRow(ObjectArray* table, int32_t i) {
    return isNull(table) || i < 0 || i >= table->length ? nullptr : static_cast<ObjectArray*>(table->elements()[i]);
}
int32_t shortAt(ShortArray* a, int32_t i) { return isNull(a) || i < 0 || i >= a->length ? 0 : a->elements()[i]; }

// The action records of an actor's group, and the player's records of the current item.
ObjectArray* groupActions(int32_t group) { return objectRow(Game::objects.s_actionRecords, group); }
ObjectArray* itemActions() { return objectRow(Game::objects.s_itemSequenceTable, Game::objects.s_currentItem); }

bool isHorizontal(int32_t d) { return d == CObject::kLeft || d == CObject::kRight; }
bool isVertical(int32_t d) { return d == CObject::kUp || d == CObject::kDown; }

// The opposite direction; the diagonals turn about both axes; other codes stay.
int32_t reversed(int32_t d) {
    switch (d) {
        case CObject::kRight: return CObject::kLeft;
        case CObject::kLeft: return CObject::kRight;
        case CObject::kUp: return CObject::kDown;
        case CObject::kDown: return CObject::kUp;
        case 1290: return 20500;
        case 20500: return 1290;
        case 4370: return 17420;
        case 17420: return 4370;
        default: return d;
    }
}

bool playerHasNeighbours() {
    CObject* player = Game::objects.s_player;
    return !isNull(player) && player->countNeighbours() > 0;
}

// The event of item 3's swing: one of two by a random bit.
int32_t swingEvent() { return 30 + (GameMath::random() & 1); }

bool instanceOnScreen(ASpriteInstance* instance) {
    if (isNull(instance)) return false;
    IntArray* r = Game::instanceRectTemp(instance);
    int32_t x = JArray::getInt(r, 0), y = JArray::getInt(r, 1), w = JArray::getInt(r, 2), h = JArray::getInt(r, 3);
    // An instance without a frame counts by its position.
    if (w <= 0 && h <= 0) {
        x = instance->getX();
        y = instance->getY();
        w = h = 1;
    }
    return GameMath::isRectOnScreen(x, y, w, h);
}

// The action timer freed, then the item action ends by starting action `kind`.
void endTimedAction(CObject* o, ObjectArray* list, int32_t count, int32_t kind) {
    int32_t& timer = CObject::statics.s_actionTimer;
    if (timer >= 0) {
        Game::stopTimer(timer);
        timer = -1;
    }
    CObject::finishPlayerAction(o, list, count, false, 1, kind);
}

// Last action kind, action kind and a cleared phase: the start of an action without its cue.
void beginAction(int32_t kind) {
    CObject::Statics& s = CObject::statics;
    s.s_lastActionKind = kind;
    s.s_itemSequence = kind;
    s.s_actionPhase = 0;
}

}  // namespace

// ---- action areas ----

bool CObject::testActionArea(CObject* actor, CObject* target, int32_t action, int32_t mode) {
    if (isNull(actor) || isNull(actor->m_sprite)) return false;
    const int32_t group = actor->param(PARAM_KIND);
    ShortArray* record = shortRow(groupActions(group), action);
    if (isNull(record)) return false;
    ShortArray* anchor = shortRow(Game::levelSetup.s_kindAnchors, group);
    const ActionRect r = placeActionRect(actor->m_sprite->x >> 14, actor->m_sprite->y >> 14, shortAt(anchor, 0),
                                         shortAt(anchor, 1), record, actor->param(PARAM_FACING));
    return resolveContact(actor, target, nullptr, mode, r.x, r.y, r.w, r.h, 0) != 0;
}

bool CObject::testPlayerActionArea(CObject* o, ObjectArray* list, int32_t count, int32_t action) {
    if (isNull(o) || isNull(o->m_sprite)) return false;
    ShortArray* record = shortRow(itemActions(), action);
    if (isNull(record)) return false;
    ShortArray* anchor = shortRow(Game::motionTables.s_itemOffsets, Game::objects.s_currentItem);
    const ActionRect r = placeActionRect(o->m_sprite->x >> 14, o->m_sprite->y >> 14, shortAt(anchor, 0),
                                         shortAt(anchor, 1), record, statics.s_inputDirection);
    return resolveContact(o, nullptr, list, count, r.x, r.y, r.w, r.h, 1) != 0;
}

// ---- attacks ----

int32_t CObject::chooseAttack(CObject* target, int32_t mode) {
    ObjectArray* actions = groupActions(param(PARAM_KIND));
    const int32_t n = isNull(actions) ? 0 : (actions->length < kMaxActions ? actions->length : kMaxActions);
    uint32_t candidates = 0;
    int32_t total = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (!testActionArea(this, target, i, mode)) continue;
        candidates |= 1u << i;
        total += shortAt(shortRow(actions, i), 8);
    }
    if (total == 0) return 0;
    // The generator's next value is the seed's upper half, unsigned.
    const int32_t pick = GameMath::random() % (total + 1);
    int32_t sum = 0;
    for (int32_t i = 0; i < n; ++i) {
        if ((candidates & (1u << i)) == 0) continue;
        const int32_t weight = shortAt(shortRow(actions, i), 8);
        if (sum + weight >= pick) {
            setParam(42, i);
            return 1;
        }
        sum += weight;
    }
    return 0;
}

int32_t CObject::attackCheck(CObject* actor, CObject* target, int32_t mode) {
    if (!instanceOnScreen(actor->m_sprite)) return 1;
    const int32_t group = actor->param(PARAM_KIND);
    if (actor->param(28) < 0) {
        const int32_t timer = actor->param(29);
        if (!Game::isTimerElapsed(timer, Game::getPackedShort(group, 21))) return 0;
        const bool chosen = actor->chooseAttack(target, mode) != 0;
        if (chosen) {
            const int32_t kind = shortAt(shortRow(groupActions(group), actor->param(42)), 4);
            onEvent(kind == 10 || kind == 11 ? 14 : 5, actor);
            actor->setParam(28, timer);
            actor->setParam(29, -1);
        }
        Game::restartTimer(timer);
        return chosen ? 0 : 1;
    }
    const int32_t timer = actor->param(28);
    if (!Game::isTimerElapsed(timer, Game::getPackedShort(group, 22))) return 0;
    if (actor->chooseAttack(target, mode) == 0) return 1;
    Game::restartTimer(timer);
    actor->setParam(28, -1);
    actor->setParam(29, timer);
    return 0;
}

// ---- the player's push, pull-back, item use and side step ----

void CObject::reactToHit(CObject* o, CObject* pushed, ObjectArray* list, int32_t count) {
    if (isNull(o) || isNull(pushed) || pushed->m_type != 5) return;
    const int32_t input = statics.s_inputDirection;
    const int32_t d = o->directionToObject(pushed);
    if (d == input || Game::stateStatics.playMode != 0 || d == 0) return;
    if (!(isHorizontal(input) && isVertical(d)) && !(isVertical(input) && isHorizontal(d))) return;
    if (onHitBy(o, pushed, 0, d) == 0 && onHitBy(o, pushed, 1, d) == 0) return;
    const int32_t n = isNull(list) ? 0 : (count < list->length ? count : list->length);
    for (int32_t i = 0; i < n; ++i) {
        auto* other = static_cast<CObject*>(list->elements()[i]);
        if (isNull(other) || other->m_type != 5 || !other->canInteract()) continue;
        if (resolveHitFromFront(o, other) != 0) return;
    }
    setInput(d);
    selectAnimation(o->m_sprite, -1);
}

bool CObject::tryPullBack(CObject* o, ObjectArray* list, int32_t count) {
    setInput(reversed(statics.s_inputDirection));
    const bool found = hasFacingTarget(o, statics.s_inputDirection, list, count);
    setInput(reversed(statics.s_inputDirection));
    if (!found || !testPlayerActionArea(o, list, count, 5)) return false;
    beginAction(5);
    if (!Game::isKeyFlag(11) && !Game::isKeyFlag(98)) {
        if (!playerHasNeighbours()) Game::requestEffectSound(5);
        else if (!Game::isKeyFlag(0)) Game::playSoundForEvent(10);
    }
    remove(o);
    return true;
}

int32_t CObject::useItemOnTarget(CObject* o, ObjectArray* list, int32_t count, int32_t mode) {
    const int32_t item = Game::objects.s_currentItem;
    CObject* player = Game::objects.s_player;
    const bool energy = item != 3 || (!isNull(player) && player->param(15) >= kItemEnergy);
    if (mode == 0) {
        if (testPlayerActionArea(o, list, count, 0)) {
            startAction(0);
            return 1;
        }
        if (energy && testPlayerActionArea(o, list, count, 1)) {
            startAction(1);
            return 1;
        }
        startAction(item == 3 && energy ? 1 : 0);
        return 0;
    }
    const bool touched = testPlayerActionArea(o, list, count, 2);
    if (statics.s_itemSequence != 1) QXLib::resetKeys(0);
    if (item == 3) addToGauge(player, 2, -kItemEnergy);
    beginAction(1);
    if (Game::isKeyFlag(11) || Game::isKeyFlag(98)) return touched ? 1 : 0;
    if (playerHasNeighbours()) {
        if (!Game::isKeyFlag(0)) {
            Game::playSoundForEvent(item == 3 ? swingEvent() : item == 4 ? 27 : item == 1 ? 29 : 11);
        }
    } else if (item == 3) {
        Game::playSoundForEvent(swingEvent());
    } else {
        Game::requestEffectSound(5);
    }
    return touched ? 1 : 0;
}

int32_t CObject::moveWithSideStep(CObject* o, ObjectArray* list, int32_t count, int32_t mode) {
    Statics& s = statics;
    // A faced target, or a faced group member of type 21, makes the move a success.
    if (useItemOnTarget(o, list, count, mode) != 0 &&
        (hasFacingTarget(o, s.s_inputDirection, list, count) || getNextFrameIndex(o, kSideStepMemberType)))
        return 1;
    if (tryPullBack(o, list, count) || Game::stateStatics.playMode != 0) return 0;
    const int32_t input = s.s_inputDirection;
    int32_t sides[2];
    if (isHorizontal(input)) {
        sides[0] = kUp;
        sides[1] = kDown;
    } else if (isVertical(input)) {
        sides[0] = kRight;
        sides[1] = kLeft;
    } else {
        return 0;
    }
    for (int32_t side : sides) {
        if (!hasFacingTarget(o, side, list, count)) continue;
        setInput(side);
        if (useItemOnTarget(o, list, count, mode) == 0) {
            setInput(input);
            return 0;
        }
        selectAnimation(isNull(o) ? nullptr : o->m_sprite, -1);
        return 1;
    }
    return 0;
}

// ---- the end of an item action ----

void CObject::finishPlayerAction(CObject* o, ObjectArray* list, int32_t count, bool flag, int32_t mode,
                                 int32_t kind) {
    Statics& s = statics;
    moveWithSideStep(o, list, count, mode);
    CObject* near = isNull(o) ? nullptr : o->findNearType80();
    if (!isNull(near)) {
        startInteraction(1, 1, near);
    } else if (kind >= 0) {
        startAction(kind);
        remove(o);
    } else if (flag) {
        beginAction(4);
        if (!playerHasNeighbours() && !Game::isKeyFlag(11) && !Game::isKeyFlag(98)) Game::requestEffectSound(5);
        remove(o);
    } else {
        CObject* member = findReadyGroupMember(o);
        s.s_effectObject = member;
        if (s.s_itemSequence == 0 && !isNull(member)) Game::setPlayerState(12, s.s_playerStateParam, member);
        else remove(o);
    }
    refreshGaugeDisplay();
}

void CObject::die(CObject* o, ObjectArray* list, int32_t count, bool flag) {
    Statics& s = statics;
    releaseGroupMembers(o);
    Game::updateAutoScroll(true);
    if (s.s_itemTimer >= 0) {
        Game::stopTimer(s.s_itemTimer);
        s.s_itemTimer = -1;
    }
    const int32_t item = Game::objects.s_currentItem;
    if (item >= 0 && item < kItemCount && s.s_itemSequence == 0) {
        // Nothing else allocates the combo window's timer: without it every start would reset it.
        if (s.s_comboTimer < 0) s.s_comboTimer = Game::timerAlloc();
        else Game::restartTimer(s.s_comboTimer);
        s.s_comboLevel = (s.s_comboLevel + 1) % 3;
    }
    const bool phase = s.s_actionPhase != 0;
    if (!flag && phase) {
        switch (s.s_itemSequence) {
            case 7: {
                s.s_actionPhase = 0;
                startShortFall();
                s.s_lastActionKind = s.s_itemSequence = 8;
                if (!Game::isKeyFlag(11)) {
                    const int32_t event = item == 4 ? 26 : item == 1 ? 28 : 12;
                    if (!Game::isKeyFlag(98)) {
                        if (playerHasNeighbours()) {
                            if (!Game::isKeyFlag(0)) Game::playSoundForEvent(event);
                        } else {
                            GameMath::random();
                            Game::requestEffectSound(5);
                        }
                    }
                }
                remove(o);
                return;
            }
            case 0:
                finishPlayerAction(o, list, count, false, 0, -1);
                return;
            case 5:
                Game::getReverseFacing();
                finishPlayerAction(o, list, count, false, 0, -1);
                return;
            default: break;
        }
    }
    const int32_t release = shortAt(shortRow(itemActions(), 1), 12);
    if (!flag && release == 2 && s.s_itemSequence == 1 && phase) {
        Game::releaseSlot(o, list, count);
    } else if (!flag && phase) {
        finishPlayerAction(o, list, count, false, 0, -1);
    } else {
        s.s_actionPhase = 0;
        s.s_itemSequence = -1;
    }
}

void Game::releaseSlot(CObject* o, ObjectArray* list, int32_t count) { endTimedAction(o, list, count, 2); }

void Game::stopTimerAndApplyHit(CObject* o, ObjectArray* list, int32_t count) { endTimedAction(o, list, count, 3); }

void Game::applyDamageTo(CObject* o, ObjectArray* list, int32_t count, bool flag) {
    CObject::finishPlayerAction(o, list, count, flag, 0, -1);
}

void Game::killObject(CObject* o) {
    CObject::Statics& s = CObject::statics;
    if (s.s_itemSequence != -1) {
        CObject::die(o, objectActions.s_frameObjects, objectActions.s_frameObjectCount, true);
    }
    s.s_stepIndex = 0;
    s.s_stepSpeed = 0;
    s.s_stepExtra = 0;
}

void CObject::advanceStep(CObject* o) {
    if (o->param(17) >= o->param(5) || o->param(18) >= o->param(4)) return;
    o->setParam(0, 1);
    Game::runSequence(o->m_params, o->m_sprite->x >> 14, o->m_sprite->y >> 14);
}
