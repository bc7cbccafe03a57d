// The player's animation from its state, parameter, facing and item over the two-sprite set;
// the facing from the requested direction; the step speeds taken from animation durations.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/jarith.h"

namespace {

int32_t animationCount(ASprite* sprite) {
    return isNull(sprite) || isNull(sprite->animFrameCount) ? 0 : sprite->animFrameCount->length;
}

ASprite* itemSprite(int32_t i) { return static_cast<ASprite*>(JArray::getRef(CObject::statics.s_itemSprites, i)); }

// The player's current action record (short[]), or null.
JArray* actionRecord() {
    auto* perItem =
        static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_itemSequenceTable, Game::objects.s_currentItem));
    return isNull(perItem) ? nullptr : static_cast<JArray*>(JArray::getRef(perItem, CObject::statics.s_itemSequence));
}

int32_t recordShort(JArray* record, int32_t i) { return isNull(record) ? 0 : JArray::getShort(record, i); }

int32_t auxRecord(int32_t r, int32_t i) {
    return JArray::getShort(static_cast<JArray*>(JArray::getRef(Game::grids.s_auxRecords, r)), i);
}

int32_t itemTableB(int32_t r, int32_t row, int32_t i) {
    auto* rows = static_cast<ObjectArray*>(JArray::getRef(Game::motionTables.s_itemTableB, r));
    return JArray::getShort(static_cast<JArray*>(JArray::getRef(rows, row)), i);
}

int32_t effectKind() {
    CObject* o = CObject::statics.s_effectObject;
    return isNull(o) ? 0 : o->param(CObject::PARAM_KIND);
}

bool isDiagonal(int32_t d) { return d == 1290 || d == 4370 || d == 17420 || d == 20500; }

int32_t actionAnim(int32_t d, int32_t p) {
    const int32_t c = CObject::countSequenceSteps(p);
    switch (CObject::statics.s_itemSequence) {
        case 0: {
            const int32_t level = CObject::statics.s_comboLevel;
            return d + 4 * c + (level == 1 ? 38 : level == 2 ? 50 : 26);
        }
        case 1: return d + 4 * c + 78;
        case 2: return d + 4 * c + 90;
        case 3: return d + 4 * c + 102;
        case 4: return d + 4 * c + 62;
        case 5: return d + 4 * c + 94;
        case 7: return d + 2 * (c + 32);
        case 8: return d + 2 * (c + 35);
        default: return d + 4 * c;
    }
}

// Speed in fixed point per second for `dist` pixels over `t` ms, scaled as the player's steps are.
int32_t speedOver(int32_t dist, int32_t t) { return t == 0 ? 0 : mrc::jdiv(dist << 14, t) * 1000; }

}  // namespace

int32_t CObject::itemNumberOffset(int32_t item) {
    switch (item) {
        case 1: return 264;
        case 3: return 146;
        case 4: return 402;
        default: return 0;
    }
}

int32_t CObject::itemOverlayBase(int32_t item) {
    switch (item) {
        case 1: return 200;
        case 3: return 116;
        case 4: return 296;
        default: return 0;
    }
}

int32_t CObject::itemAnimBase(int32_t base, int32_t kind, int32_t d) {
    if (!Game::isHeldObjectActive()) return d + base;
    const int32_t item = Game::objects.s_currentItem;
    if (item == 0 && kind == 0) return d + 114;
    if (item == 0 && kind == 2) return d + 110;
    if (item == 2 && kind == 0) return d + 126;
    if (item == 3 && kind == 0) return d + 260;
    return d + base;
}

void CObject::selectAnimation(ASpriteInstance* instance, int32_t offset) {
    const Statics& s = statics;
    const int32_t state = s.s_playerState, p = s.s_playerStateParam;
    const int32_t item = Game::objects.s_currentItem;
    int32_t d = directionIndex(s.s_inputDirection);
    if (state == 10 || state == 16) d -= 2;
    int32_t loop = -1;
    bool itemSet = true;
    bool keepCurrent = false;
    int32_t n = d;
    if (offset >= 0) {
        n = d + offset;
        itemSet = false;
    } else {
        switch (state) {
            case 0: n = itemAnimBase(0, 0, d); break;
            case 1: n = d + 4; break;
            case 2: n = itemAnimBase(8, 2, d); break;
            case 3: n = d + 12; break;
            case 6: {
                static constexpr int32_t kOffsets[] = {0, 187, 196, 196, 191, 196, 200, 204};
                n = p >= 1 && p <= 7 ? d + kOffsets[p] : d;
                itemSet = false;
                break;
            }
            case 7: n = item >= 0 && item <= 6 ? actionAnim(d, p) : d; break;
            case 9:
                n = stateAnimOffset9(d, p);
                itemSet = false;
                break;
            case 10: {
                static constexpr int32_t kOffsets[] = {50, 52, 52, 54, 36, 38, 40, 128, 52, 38};
                n = p >= 0 && p <= 9 ? d + kOffsets[p] : d;
                itemSet = false;
                break;
            }
            case 11: n = Game::itemAnimOffset(d, item, p); break;
            case 12: {
                const int32_t r = Game::getPackedShort(effectKind(), 12);
                int32_t v = 0;
                switch (p) {
                    case 0: v = auxRecord(r, 10); break;
                    case 1:
                    case 3:
                    case 5: v = auxRecord(r, 12); break;
                    case 2: v = itemTableB(r, s.s_effectIndex, 1); break;
                    case 4:
                    case 6: v = itemTableB(r, 0, 1); break;
                    case 7: v = auxRecord(r, 14); break;
                    case 8: v = auxRecord(r, 13); break;
                    default: break;
                }
                keepCurrent = p >= 1 && p <= 7 && v < 0;
                n = d + v;
                itemSet = p < 0 || p > 8;
                break;
            }
            case 13:
                n = (p == 0 || p == 2) ? d + 97 : p == 1 ? d + 20 : p == 3 ? d + 130 : d;
                itemSet = p == 3;
                break;
            case 14:
                n = d + 97;
                itemSet = false;
                break;
            case 16:
                n = p == 0 ? d + 226 : d;
                itemSet = false;
                break;
            case 17:
                n = (p == 0 || p == 2) ? d + 120 : p == 1 ? d + 124 : d;
                itemSet = false;
                break;
            case 18: n = Game::itemAnimOffsetB(d, item, p); break;
            case 19: n = d + 106; break;
            case 20:
                n = interactionAnimOffset(d);
                itemSet = false;
                break;
            case 21:
                n = stateAnimOffset21(d, p);
                itemSet = false;
                break;
            case 22: {
                const int32_t mode = Game::stateStatics.playMode;
                const bool forward = mode == 2 ? (p == 0 || p == 1) : p == 1;
                n = forward ? d + 4 : d;
                if (mode == 0 && p == 0) loop = 0;
                itemSet = false;
                break;
            }
            case 23: n = d + 130; break;
            case 24: {
                const int32_t r = Game::getPackedSigned(effectKind(), 29);
                switch (p) {
                    case 0: n = d + auxRecord(r, 10); break;
                    case 1: n = d + auxRecord(r, 12); break;
                    case 3: n = auxRecord(r, 12) + 4; break;
                    case 4: n = d + auxRecord(r, 13); break;
                    default: n = d; break;
                }
                itemSet = false;
                break;
            }
            case 25:
                n = stateAnimOffset25(d, p);
                itemSet = false;
                break;
            case 26:
                n = d + 216;
                itemSet = false;
                break;
            default: n = d; break;
        }
    }
    statics.s_cinematicAnim = -1;
    ASprite* sprite;
    if (itemSet) {
        if (n >= 26) statics.s_cinematicAnim = n - 26 + itemOverlayBase(item);
        const int32_t mark = item >= 0 && item < kItemCount ? JArray::getByte(statics.s_itemMarks, item) : 0;
        sprite = itemSprite(mark);
        n += itemNumberOffset(item);
    } else {
        sprite = itemSprite(0);
    }
    if (isNull(instance)) return;
    const bool sameSprite = instance->sprite == sprite;
    instance->sprite = sprite;
    // A table without a value for the phase, and a facing the state has no row for, keep what runs.
    if (keepCurrent || n < 0) return;
    if ((n == instance->anim && sameSprite) || animationCount(sprite) <= n) return;
    instance->setAnimLoop(n, loop);
}

int32_t CObject::setPlayerAnimFromPair(CObject* o, int32_t n, int32_t loops) {
    const int32_t count = animationCount(itemSprite(0));
    ASprite* sprite = itemSprite(0);
    if (n >= count) {
        sprite = itemSprite(1);
        n = n - count + itemNumberOffset(Game::objects.s_currentItem);
    }
    if (!isNull(o) && !isNull(o->m_sprite)) {
        o->m_sprite->sprite = sprite;
        o->m_sprite->setAnimLoop(n, loops);
    }
    return 1;
}

void CObject::setInput(int32_t direction) {
    Statics& s = statics;
    s.s_stepIndex = 0;
    CObject* player = Game::objects.s_player;
    if (!isNull(player) && !isNull(player->m_sprite)) {
        s.s_anchorX = player->m_sprite->x;
        s.s_anchorY = player->m_sprite->y;
    }
    if (!isDiagonal(direction)) {
        s.s_inputDirection = direction;
        s.s_moveDirection = direction;
        return;
    }
    if ((s.s_inputDirection & direction) == 0) Game::getReverseFacing();
    s.s_moveDirection = direction;
}

void Game::turnPlayer(int32_t direction) { CObject::setInput(direction); }

void Game::getReverseFacing() {
    int32_t d = CObject::statics.s_inputDirection;
    switch (d) {
        case CObject::kRight: d = CObject::kLeft; break;
        case CObject::kLeft: d = CObject::kRight; break;
        case CObject::kUp: d = CObject::kDown; break;
        case CObject::kDown: d = CObject::kUp; break;
        default: break;  // no facing to reverse: fed back unchanged
    }
    CObject::setInput(d);
}

void CObject::restartTimer(CObject*, int32_t direction) {
    int32_t& timer = Game::objects.s_levelTimer;
    if (timer < 0) timer = Game::timerAlloc();
    else if (Game::isTimerSet(timer)) Game::restartTimer(timer);
    animForDirection();
    setInput(direction);
    statics.s_stepSpeed = 0x500000;
}

void CObject::turnPlayer(int32_t kind, CObject* o) {
    const bool second = !isNull(o) && o->param(8) == 1;
    setInput((second && kind == 4) || (!second && kind != 4) ? kLeft : kRight);
}

void CObject::setJumpSpeeds() {
    Statics& s = statics;
    JArray* record = actionRecord();
    s.s_stepSpeed = s.s_stepExtra = 0;
    if (recordShort(record, 11 + s.s_playerStateParam) != 1) return;
    const int32_t level = recordShort(record, 10) > 0 ? s.s_comboLevel : 0;
    const int32_t dist = recordShort(record, 14 + level);
    CObject* player = Game::objects.s_player;
    const int32_t duration = isNull(player) || isNull(player->m_sprite) ? 0 : player->m_sprite->getAnimDuration();
    const int32_t t = duration * 1000 / 16;
    // A duration of 0 gives no speed rather than a division by zero.
    s.s_stepSpeed = speedOver(dist, t);
    s.s_stepExtra = speedOver(dist, t * t);
}

void CObject::setTargetSpeed(ASpriteInstance* instance, CObject*, int32_t id) {
    statics.s_targetId = id;
    const int32_t duration = isNull(instance) ? 0 : instance->getAnimDuration();
    statics.s_stepSpeed = speedOver(45, duration * 1000 / 16);
}

int32_t CObject::clampPlayerStep(CObject* o, int32_t a, int32_t b, int32_t step) {
    if (statics.s_playerStateParam != 1) return step;
    return Game::stateStatics.playMode == 2 ? Game::clampPlayerMove(o, a, b, step)
                                            : Game::clampPlayerMoveAlt(o, a, b, step);
}
