// The draw-order keys by which objects are filed into the per-frame display lists.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/arrays.h"

namespace {

constexpr int32_t kTop = 11;                  // the priority of a part raised to the top
constexpr int32_t kRaisedKey = 123680;        // the position key's offset of a raised part
constexpr int32_t kOtherPriority = 1;

CObject* attached(int32_t i) {
    auto* o = static_cast<CObject*>(JArray::getRef(Game::objects.s_attachedObjects, i));
    return isNull(o) ? nullptr : o;
}

// A part's priority: the top when params[7] is 1, else params[8].
int32_t partPriority(CObject* o) { return o->param(7) == 1 ? kTop : o->param(8); }

int32_t layeredPriority(CObject* o) {
    switch (o->m_type) {
        case 0: return 5;
        case 1:
        case 3: return o->param(15);
        case 5: return o->param(9);
        case 10: case 11: case 12: case 13: case 17: return partPriority(o);
        case 15: return o->param(15) == 1 ? kTop : o->param(12);
        case 16:
            if (o->param(3) >= 0)
                if (CObject* link = attached(o->param(3))) return partPriority(link);
            return kOtherPriority;
        case 20: return o->param(8);
        case 50: return o->param(10);
        case 62: case 63: return o->param(4);
        case 69: return o->param(1);
        case 80: case 81: case 82: case 83: case 84: case 85: case 86: case 87: return o->param(5);
        case 300: case 303: case 306: return 8;
        case 301: return 6;
        case 302: return o->param(9);
        case 305: return o->param(8);
        default: return kOtherPriority;
    }
}

int32_t px(int32_t v) { return ASpriteInstance::toPixels(v); }

}  // namespace

int32_t Game::objectAnchorY(CObject* o, bool layered) {
    if (isNull(o) || isNull(o->m_sprite)) return 0;
    const int32_t x = px(o->m_sprite->x), y = px(o->m_sprite->y);
    if (layered) return layeredPriority(o) * 16384 + x;
    const int32_t position = 256 * y + x;
    switch (o->m_type) {
        case 10: case 11: case 13: case 17:
            return o->param(7) == 1 ? position + kRaisedKey : position;
        case 15: return o->param(15) == 1 ? position + kRaisedKey : position;
        case 300: return position + kRaisedKey;
        case 16:
            if (o->param(3) >= 0)
                if (CObject* link = attached(o->param(3)); link != nullptr && !isNull(link->m_sprite))
                    return 256 * px(link->m_sprite->y) + px(link->m_sprite->x) + 1;
            return position;
        case 63: return 2 * y + x + o->param(9);
        case 302: return o->param(3) == 1 ? 2 * y + x + o->param(9) : position;
        case 0: return o->getFacingTile();
        case 21:
            if (o->param(9) <= 0 && o->param(19) == 1)
                if (CObject* link = attached(o->param(0)); link != nullptr && !isNull(link->m_sprite)) {
                    link->m_sortKey = px(link->m_sprite->x);
                    return link->m_sortKey;
                }
            return position;
        case 69: return o->getDrawOrderKey();
        case 303: return slotDrawKey(o);
        case 306: return o->getParamCellKey();
        case 80: case 81: case 82: case 83: case 84: case 85: case 86: case 87: return objectDepthKey(o);
        default: return position;
    }
}
