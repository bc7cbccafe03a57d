// The passes over the objects in view that pick the interaction target and keep the goal arrow
// on screen, the camera target's offset, the switch groups' signals, and the small per-object
// operations these passes use.
#include <algorithm>
#include <cstdlib>

#include "framework/core/game_math.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"

namespace {

constexpr int32_t kCellPixels = 32;
constexpr int32_t kFarKey = 123680;  // the key of the view's far corner
// Facing codes (named apart from the text anchors Game inherits).
constexpr int32_t kFaceUp = 0x102, kFaceRight = 0x1010, kFaceDown = 0x4004, kFaceLeft = 0x408;
constexpr int32_t kMarkerInstance = 1, kArrowInstance = 14;
constexpr int32_t kArrowSprite = 16, kArrowFrame = 68;
constexpr int32_t kGameplay = 7;
constexpr int32_t kOnGoal = 20;
constexpr int32_t kArrowLayout = 6, kArrowArea = 11;

int32_t at(IntArray* a, int32_t i) { return isNull(a) || i < 0 || i >= a->length ? 0 : a->elements()[i]; }

ASpriteInstance* hudInstance(int32_t i) { return mrc::elementOrNull<ASpriteInstance>(Game::stateStatics.hudInstances, i); }

// Shows animation `wanted` on the instance, or advances the one it shows.
void showAnim(ASpriteInstance* i, int32_t wanted) {
    if (i->anim != wanted) i->setAnim(wanted);
    else i->updateAnim();
}

// The event a group signal delivers: 0 as 7, 10 as 11; -1 for the others.
int32_t mappedEvent(int32_t event) { return event == 0 ? 7 : event == 10 ? 11 : -1; }

}  // namespace

void Game::selectInteractionTarget() {
    InteractionStatics& s = interaction;
    objects.s_selectedObject = nullptr;
    CObject* player = objects.s_player;
    if (isNull(player) || isNull(player->m_sprite)) return;
    const int32_t px = (player->m_sprite->x >> 14) / kCellPixels, py = (player->m_sprite->y >> 14) / kCellPixels;
    const int32_t facing = CObject::statics.s_inputDirection;
    int32_t best = kFarKey, found = -1;
    const int32_t count = isNull(s.s_viewInteractables) ? 0 : std::min(s.s_viewInteractableCount, s.s_viewInteractables->length);
    for (int32_t i = 0; i < count; ++i) {
        CObject* o = mrc::elementOrNull<CObject>(s.s_viewInteractables, i);
        if (o == nullptr || isNull(o->m_sprite)) continue;
        bool hit = false;
        if (o->m_type == 13) {
            hit = CObject::hitTestDirectional(o, player, facing) != 0;
        } else {
            if (o->m_type == 61 && o->param(14) == 0) continue;
            const int32_t cx = (o->m_sprite->x >> 14) / kCellPixels, cy = (o->m_sprite->y >> 14) / kCellPixels;
            int32_t x1 = cx, y1 = cy, x2 = cx, y2 = cy;
            if (o->m_type < 10) {
                IntArray* r = o->m_sprite->getRect();
                const int32_t r0 = at(r, 0), r1 = at(r, 1), r2 = at(r, 2), r3 = at(r, 3);
                if (r3 - r1 <= r2 - r0)
                    x1 = r0 / kCellPixels, y1 = r1 / kCellPixels, x2 = r2 / kCellPixels, y2 = r3 / kCellPixels;
            } else {
                x2 = cx + std::max(o->param(2), 1) - 1;
                y2 = cy + std::max(o->param(3), 1) - 1;
            }
            // Up, right, down, left: a diagonal facing takes the first that applies.
            if ((facing & kFaceUp) == kFaceUp && y1 <= py) hit = y2 >= py - 2 && x2 >= px - 1 && x1 <= px + 1;
            else if ((facing & kFaceRight) == kFaceRight && x2 >= px) hit = y2 >= py - 1 && y1 <= py + 1 && x1 <= px + 2;
            else if ((facing & kFaceDown) == kFaceDown && y2 >= py) hit = y1 <= py + 2 && x2 >= px - 1 && x1 <= px + 1;
            else if ((facing & kFaceLeft) == kFaceLeft && x1 <= px) hit = y2 >= py - 1 && y1 <= py + 1 && x2 >= px - 2;
            else continue;
        }
        if (!hit) continue;
        const int32_t d = std::abs(player->m_sortKey - o->m_sortKey);
        if (d < best) best = d, found = i;
    }
    if (found < 0) return;
    CObject* chosen = mrc::elementOrNull<CObject>(s.s_viewInteractables, found);
    objects.s_selectedObject = chosen;
    IntArray* f = instanceFrameRectTemp(chosen->m_sprite);
    const int32_t fx = (at(f, 0) + at(f, 2)) / 2, fy = at(f, 1);
    ASpriteInstance* marker = hudInstance(kMarkerInstance);
    if (marker == nullptr) return;
    marker->x = (fx - (mathStatics.cameraX >> 14)) << 14;
    marker->y = (fy - (mathStatics.cameraY >> 14)) << 14;
    showAnim(marker, chosen->m_type == 1 || chosen->m_type == 3 ? 0 : 1);
}

void Game::updateTargetIndicator() {
    InteractionStatics& s = interaction;
    CObject* target = isNull(s.s_indicatorTarget) ? nullptr : s.s_indicatorTarget;
    const bool noTarget = target == nullptr || target == objects.s_selectedObject;
    if ((noTarget && s.s_indicatorPointX < 0) || overlayStatics.gameState != kGameplay) return;
    const int32_t cx = mathStatics.cameraX >> 14, cy = mathStatics.cameraY >> 14;
    IntArray*& rect = s.s_indicatorRect;
    if (isNull(rect)) rect = mrc::ApplicationImpl::getApplication()->objectManager->newIntArray(4);
    if (isNull(rect)) return;
    getFrameRect(spriteSlot(kArrowSprite), rect, kArrowFrame, 0, 0, 0);
    int32_t hw = (rect->elements()[2] - rect->elements()[0]) / 2, hh = (rect->elements()[3] - rect->elements()[1]) / 2;
    int32_t g[4];
    if (target != nullptr) {
        IntArray* f = instanceFrameRectTemp(target->m_sprite);
        for (int32_t k = 0; k < 4; ++k) g[k] = at(f, k);
        if (!isNull(f)) std::copy_n(g, 4, rect->elements());
    } else {
        g[0] = s.s_indicatorPointX, g[1] = s.s_indicatorPointY, g[2] = g[0] + 1, g[3] = g[1] + 1;
    }
    const int32_t gx = (g[0] + g[2]) / 2, gy = (g[1] + g[3]) / 2;
    rect->elements()[0] = gx - hw / 2, rect->elements()[1] = gy - hh / 2;
    rect->elements()[2] = gx, rect->elements()[3] = gy;
    IntArray* m = s.s_indicatorMargins;
    const int32_t ml = at(m, 0), mt = at(m, 1), mr = at(m, 2), mb = at(m, 3);
    int32_t ax, ay, anim;
    if (cx + ml <= gx + 1 && gx <= cx + kScreenWidth - mr && cy + mt <= gy + 1 && gy <= cy + kScreenHeight - mb) {
        ax = gx - cx, ay = gy - cy, anim = kOnGoal;
    } else {
        int32_t hside = 0, vside = 0;
        if (gx < cx + hw) {
            ax = ml, hside = 14;
        } else if (gx > cx - hw + kScreenWidth) {
            ax = kScreenWidth - mr, hside = 15, hw = -hw;
        } else {
            ax = std::clamp(gx - cx, ml, kScreenWidth - mr), hw = 0;
        }
        if (gy < cy + hh) {
            ay = mt, vside = 12;
        } else if (gy <= cy - hh + kScreenHeight) {
            ay = std::clamp(gy - cy, mt, kScreenHeight - mb), hh = 0;
        } else {
            ay = kScreenHeight - mb, vside = 13, hh = -hh;
        }
        if (hside != 0 && vside != 0) {
            anim = vside == 12 ? (hside == 14 ? 16 : 17) : (hside == 14 ? 19 : 18);
            ax += hw, ay += hh;
        } else {
            anim = hside != 0 ? hside : vside;
        }
    }
    const int32_t x11 = getTableEntry1(kArrowLayout, kArrowArea), y11 = getTableEntry2(kArrowLayout, kArrowArea);
    ShortArray* e = layoutElement(kArrowLayout, kArrowArea);
    const int32_t w11 = isNull(e) || e->length < 4 ? 0 : e->elements()[3];
    const int32_t h11 = getLayoutElementHeight(kArrowLayout, kArrowArea);
    if (!isNull(e)) {
        ax = std::clamp(ax, x11, std::max(x11, x11 + w11));
        ay = std::clamp(ay, y11, std::max(y11, y11 + h11));
    }
    ASpriteInstance* arrow = hudInstance(kArrowInstance);
    if (arrow == nullptr) return;
    arrow->x = ax << 14, arrow->y = ay << 14;
    if (anim != s.s_indicatorAnim) {
        s.s_indicatorAnim = anim;
        arrow->setAnim(anim);
    } else {
        arrow->updateAnim();
    }
}

void Game::updateCameraTargetOffset(int32_t a, int32_t b) {
    CObject* target = camera.s_cameraTarget;
    if (isNull(target) || isNull(target->m_sprite)) return;
    InteractionStatics& s = interaction;
    ASpriteInstance* i = target->m_sprite;
    if (target->m_type != 0) {
        IntArray* r = i->getRect();
        s.s_cameraTargetOffsetX = ((i->x >> 14) - (at(r, 0) + (at(r, 2) - at(r, 0)) / 2)) << 14;
        s.s_cameraTargetOffsetY = (((i->y >> 14) & 0x3FFFF) - (at(r, 1) + (at(r, 3) - at(r, 1)) / 2)) << 14;
        return;
    }
    auto* q = mrc::elementOrNull<ShortArray>(motionTables.s_itemOffsets, objects.s_currentItem);
    const int32_t qx = isNull(q) || q->length < 1 ? 0 : q->elements()[0];
    const int32_t qy = isNull(q) || q->length < 2 ? 0 : q->elements()[1];
    s.s_cameraTargetOffsetX = -(qx + a) << 14;
    s.s_cameraTargetOffsetY = -(qy + b) << 14;
}

// ---- group signals ----

void Game::signalGroup(int32_t group, int32_t event) {
    for (int32_t i = findType29ById(group, 0); i >= 0; i = findType29ById(group, i + 1))
        signalLinkedRange(mrc::elementOrNull<CObject>(objects.s_scriptObjects, i), event);
    InteractionStatics& s = interaction;
    auto* members = mrc::elementOrNull<ByteArray>(s.s_groupMembers, group);
    const int32_t count = at(s.s_groupCounts, group);
    for (int32_t j = 0; j < count && !isNull(members) && j < members->length; ++j)
        playObjectEvent(members->elements()[j] & 0xFF, event);
}

void Game::signalGroupB(int32_t group, int32_t event) { signalGroup(group, event); }

void Game::signalLinkedRange(CObject* generator, int32_t event) {
    if (isNull(generator)) return;
    const int32_t first = generator->param(20), n = generator->param(5);
    for (int32_t k = first; k < first + n; ++k) playObjectEvent(k, event);
}

void Game::playObjectEvent(int32_t index, int32_t event) {
    if (CObject* o = mrc::elementOrNull<CObject>(objects.s_type5Objects, index)) o->signalEvent(event);
}

void CObject::signalEvent(int32_t event) {
    const int32_t mapped = mappedEvent(event);
    if (mapped >= 0) onEvent(mapped, this);
}

void CObject::signalEvent9() { onEvent(9, this); }

// ---- per-object operations ----

void CObject::storeSpriteRect() {
    if (isNull(m_sprite)) return;
    IntArray* r = m_sprite->getRect();
    const int32_t r0 = at(r, 0), r1 = at(r, 1), r2 = at(r, 2), r3 = at(r, 3);
    setParam(5, r0);
    setParam(6, r1);
    setParam(7, r2 - r0);
    setParam(8, r3 - r1);
    auto* record = mrc::elementOrNull<ShortArray>(Game::levelSetup.s_typeRecords, param(2));
    const int32_t anim = isNull(record) || record->length < 4 ? 0 : record->elements()[3];
    m_sprite->setAnimLoop(anim, -1);
    setParam(10, 0);
}

void CObject::randomizeOffset() {
    if (param(11) != 0 || isNull(m_sprite)) return;
    IntArray* r = m_sprite->getRect();
    setParam(25, std::abs(at(r, 0) - at(r, 2)));
    // The unsigned high bits of the seed: a negative seed must not put the offset below -20.
    const int32_t value = GameMath::random();
    const int32_t range = param(25) + 20;
    setParam(24, ((range > 0 ? value % range : 0) - 20) << 14);
}

void CObject::updateTouchTrigger() {
    if (param(4) == 1 && !isNull(m_sprite)) m_sprite->updateAnim();
    if (Game::overlayStatics.gameState != kGameplay || Game::overlayStatics.gameSubState != 0 || param(4) != 1) return;
    if (param(10) == 0) {
        auto* record = mrc::elementOrNull<ShortArray>(Game::levelSetup.s_typeRecords, param(2));
        CObject* player = Game::objects.s_player;
        if (isNull(record) || record->length <= 8 || record->elements()[8] != 1 || isNull(player) ||
            isNull(player->m_sprite))
            return;
        IntArray* p = player->m_sprite->getRect();
        const int32_t p0 = at(p, 0), p1 = at(p, 1), p2 = at(p, 2), p3 = at(p, 3);
        const int32_t top = p3 - (2 * (p3 - p1)) / 3;  // the lower two thirds begin here
        if (param(6) + param(8) >= top && param(6) <= p3 && param(5) + param(7) >= p0 && param(5) <= p2)
            Game::collectPickup(this);
    } else if (param(10) == 1 && !isNull(m_sprite) && m_sprite->isAnimEnded()) {
        setParam(4, 0);
    }
}

int32_t CObject::probeFront() {
    if (!isNull(statics.s_heldObject) || isNull(m_sprite)) return 0;
    const Statics& s = statics;
    const int32_t x = (m_sprite->x >> 14) - s.s_boxOffsetX + (s.s_inputDirection == kFaceRight ? s.s_boxWidth : -1);
    const int32_t y = (m_sprite->y >> 14) - s.s_boxOffsetY;
    if (Game::isBlockedAt(x, y, s.s_playerCollisionMask)) return 1;
    CellGridStatics& grids = Game::grids;
    for (int32_t probe = y + kCellPixels - 1; probe < y + s.s_boxHeight; probe += kCellPixels) {
        CObject* found = Game::findObjectInRange(x, probe, grids.s_viewObjects, 0, grids.s_viewObjectCount, false, true);
        if (!isNull(found)) return Game::updatePlayerLink(found);
    }
    return 0;
}

void Game::attachFirstTouching(ObjectArray* list, int32_t count) {
    for (int32_t i = 0; i < count && !isNull(list) && i < list->length; ++i) {
        CObject* o = mrc::elementOrNull<CObject>(list, i);
        if (o != nullptr && o->updatePlayerAttachment()) {
            updatePlayerLink(o);
            return;
        }
    }
}

void Game::checkPlayerCollision(CObject* o) {
    const CObject::Statics& s = CObject::statics;
    const int32_t state = s.s_playerState;
    if (state == 10) return;
    if (state == 9 || state == 25) {
        if (CObject::canMoveTo(o, s.s_boxOffsetX, s.s_boxOffsetY, s.s_boxWidth, s.s_boxHeight, s.s_playerCollisionMask))
            return;
        const int32_t p = s.s_playerStateParam;
        if (state == 25 && (p == 1 || p == 6 || p == 9)) return;
    }
    CObject::findNearestInView(o);
}

namespace mrc {

void registerInteractionStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.interaction", &Game::interaction);
}

}  // namespace mrc

InteractionStatics Game::interaction;
