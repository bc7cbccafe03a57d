// The player's statics kept consistent: the ring of selectable items and their sprites, the
// ability flags, the chained steps and their anchor, the player's box, the start of an
// interaction and the admission test of player states.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"

namespace {

// Items 5 and 6 are owned like the others but never take part in the ring.
bool inRing(int32_t item) {
    return item != 5 && item != 6 && (Game::objects.s_playerFlags & (1 << (item & 31))) != 0;
}

// The sequence record of the current item's current action kind (a short[]), or null.
JArray* currentSequenceRecord() {
    auto* perItem = static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_itemSequenceTable, Game::objects.s_currentItem));
    if (isNull(perItem)) return nullptr;
    return static_cast<JArray*>(JArray::getRef(perItem, CObject::statics.s_itemSequence));
}

// The sprite loaded for a resource, or null when it is not loaded.
Object* loadedSprite(int32_t resource) {
    const int32_t k = JArray::getByte(Game::objects.s_spriteSlots, resource);
    return k >= 0 ? JArray::getRef(Game::stateStatics.sprites, k) : nullptr;
}

}  // namespace

int32_t CObject::nextEnabledItem(int32_t v) {
    for (int32_t k = 1; k <= 6; ++k) {
        const int32_t i = (v + k) % kItemCount;
        if (inRing(i)) return i;
    }
    return -1;
}

int32_t CObject::previousEnabledItem(int32_t v) {
    for (int32_t j = v - 1; j >= v - 6; --j) {
        const int32_t i = (j < 0 ? -j : j) % kItemCount;
        if (inRing(i)) return i;
    }
    return -1;
}

int32_t CObject::countFlagged() {
    IntArray* items = statics.s_countedItems;
    if (isNull(items)) return 0;
    int32_t n = 0;
    for (int32_t k = 0; k < items->length; ++k)
        if ((Game::objects.s_playerFlags & (1 << (items->elements()[k] & 31))) != 0) ++n;
    return n;
}

void CObject::commitPendingFlags() {
    int32_t& flags = Game::objects.s_playerFlags;
    static constexpr int32_t kMoves[][2] = {{kPendingA, kAbilityA}, {kPendingB, kAbilityB}, {kPendingC, kAbilityC}};
    for (const auto& [pending, applied] : kMoves) {
        if ((flags & pending) != 0) flags = (flags & ~pending) | applied;
    }
}

void CObject::applyAbilityFlags(int32_t n) {
    CObject* player = Game::objects.s_player;
    if (n >= 0 || isNull(player)) return;
    const int32_t flags = Game::objects.s_playerFlags;
    if ((flags & kAbilityA) != 0) player->setParam(2, JArray::getInt(statics.s_itemAnims, Game::objects.s_currentItem + 7));
    if ((flags & kAbilityC) != 0) player->setParam(3, 2);
}

void CObject::refreshItemSprites() {
    Statics& s = statics;
    const GameObjectStatics& g = Game::objects;
    const int32_t current = g.s_currentItem;
    Object* sprite = loadedSprite(JArray::getInt(s.s_itemSpriteOffsets, current) + kBaseItemSprite);
    if (sprite) JArray::setRef(s.s_itemSprites, 1, sprite);
    JArray::setByte(s.s_itemMarks, current, 1);
    const int32_t next = g.s_nextItem;
    if (next >= 0) {
        sprite = loadedSprite(JArray::getInt(s.s_itemSpriteOffsets, next) + kBaseItemSprite);
        if (sprite) JArray::setRef(s.s_itemSprites, 2, sprite);
        JArray::setByte(s.s_itemMarks, next, 2);
    }
    sprite = loadedSprite(kBaseItemSprite);
    if (sprite) JArray::setRef(s.s_itemSprites, 0, sprite);
}

int32_t CObject::nextSequenceStep(int32_t v) {
    JArray* record = currentSequenceRecord();
    if (isNull(record)) return -1;
    for (int32_t c = v + 1; c <= 2; ++c)
        if (JArray::getShort(record, 11 + c) >= 0) return c;
    return -1;
}

int32_t CObject::countSequenceSteps(int32_t n) {
    if (n < 1) return 0;
    JArray* record = currentSequenceRecord();
    if (isNull(record)) return 0;
    int32_t count = 0;
    for (int32_t e = 11; e <= 10 + n; ++e)
        if (JArray::getShort(record, e) >= 0) ++count;
    return count;
}

void CObject::setCinematicPlayerAnim(int32_t code) {
    if (code < 26) return;
    int32_t offset = 0;
    switch (Game::objects.s_currentItem) {
        case 1: offset = 200; break;
        case 3: offset = 116; break;
        case 4: offset = 296; break;
        default: break;
    }
    statics.s_cinematicAnim = code - 26 + offset;
}

void CObject::setStep(int32_t n) {
    statics.s_stepIndex = n;
    statics.s_stepSpeed = JArray::getInt(statics.s_stepSpeeds, n) << 14;
}

void CObject::loadStepValue() { statics.s_stepSpeed = JArray::getInt(statics.s_stepSpeeds, statics.s_stepIndex) << 14; }

void CObject::setAnchorAtObject(CObject* o) {
    loadStepValue();
    if (isNull(o) || isNull(o->m_sprite)) return;
    statics.s_anchorX = o->m_sprite->x;
    statics.s_anchorY = o->m_sprite->y;
}

void CObject::placeAnchorBehindPlayer() {
    Statics& s = statics;
    const int32_t d = s.s_stepIndex == 0 ? 0 : JArray::getInt(s.s_stepTiles, s.s_stepIndex - 1) << 19;
    CObject* player = Game::objects.s_player;
    if (isNull(player) || isNull(player->m_sprite)) return;
    const int32_t x = player->m_sprite->x, y = player->m_sprite->y;
    switch (s.s_inputDirection) {
        case kRight: s.s_anchorX = x - d, s.s_anchorY = y; break;
        case kLeft: s.s_anchorX = x + d, s.s_anchorY = y; break;
        case kUp: s.s_anchorX = x, s.s_anchorY = y + d; break;
        case kDown: s.s_anchorX = x, s.s_anchorY = y - d; break;
        default: break;
    }
}

void CObject::cancelPendingRelease(CObject* o) {
    Statics& s = statics;
    if (s.s_pendingRelease == 0) return;
    s.s_pendingRelease = 0;
    s.s_stepIndex = 0;
    s.s_stepSpeed = 0;
    s.s_stepExtra = 0;
    Game::setPlayerState(0, s.s_playerStateParam, o);
}

void CObject::setPlayerBox(CObject* o, bool alternative) {
    Statics& s = statics;
    if (isNull(o)) return;
    if (alternative) {
        s.s_playerCollisionMask = 0x69A;
        s.s_boxWidth = o->param(10) << 5;
        s.s_boxHeight = o->param(9) << 5;
        s.s_boxOffsetX = s.s_boxWidth >> 1;
        s.s_boxOffsetY = s.s_boxHeight;
    } else {
        s.s_playerCollisionMask = 0x26FA;
        s.s_boxWidth = o->param(8) << 5;
        s.s_boxHeight = o->param(7) << 5;
        s.s_boxOffsetX = s.s_boxWidth >> 1;
        s.s_boxOffsetY = s.s_boxHeight >> 1;
    }
}

void CObject::startInteraction(int32_t kind, int32_t mode, CObject* o) {
    Statics& s = statics;
    s.s_interactionTarget = -1;
    ObjectArray* templates = Game::objects.s_templates;
    if (!isNull(o) && !isNull(templates)) {
        for (int32_t i = 0; i < templates->length; ++i) {
            auto* t = static_cast<CObject*>(templates->elements()[i]);
            if (!isNull(t) && t->m_id == o->m_id) {
                s.s_interactionTarget = i;
                break;
            }
        }
    }
    s.s_interactionKind = kind;
    s.s_interactionMode = mode;
    Game::setPlayerState(20, s.s_playerStateParam, Game::objects.s_player);
}

int32_t CObject::interactionAnimOffset(int32_t v) {
    const Statics& s = statics;
    const int32_t mode = s.s_interactionMode;
    if (s.s_interactionKind == 0) {
        switch (mode) {
            case 0: return v + 4;
            case 1: return v + 89;
            case 2:
            case 5: return v + 141;
            case 3: return v + 93;
            case 4: return v + 157;
            default: return v;
        }
    }
    if (s.s_interactionKind == 1) {
        ObjectArray* templates = Game::objects.s_templates;
        const int32_t t = s.s_interactionTarget;
        CObject* target = isNull(templates) || t < 0 || t >= templates->length
                              ? nullptr
                              : static_cast<CObject*>(templates->elements()[t]);
        if (!isNull(target) && target->m_type == 80 && mode >= 1 && mode <= 5) return 160 + mode;
    }
    return v;
}

bool CObject::canPlayerMoveInState(int32_t state, int32_t sub) {
    switch (state) {
        case 6:
        case 10:
        case 22: return false;
        case 9: return Game::stateStatics.playMode != 0;
        case 21: return sub != 7;
        case 25: return statics.s_state25Blocked == 0;
        default: return true;
    }
}
