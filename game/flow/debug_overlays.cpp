// Development aids: the debug rectangle and the ids of the objects in view.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {
constexpr int32_t kLabelText = 186;
constexpr int32_t kLabelAnchor = 17;  // HCENTER | TOP
}  // namespace

void Game::drawDebugRect(Graphics* g, int32_t colour) {
    IntArray* r = CObject::statics.s_debugRect;
    if (isNull(g) || isNull(r)) return;
    g->setColor(colour);
    g->drawRect(((JArray::getInt(r, 0) << 14) - mathStatics.cameraX) >> 14,
                ((JArray::getInt(r, 1) << 14) - mathStatics.cameraY) >> 14, JArray::getInt(r, 2), JArray::getInt(r, 3));
}

void Game::paintWorldLabels(Graphics* g, ObjectArray* objects) {
    if (isNull(g) || isNull(objects)) return;
    const int32_t cx = mathStatics.cameraX >> 14, cy = mathStatics.cameraY >> 14;
    String* prefix = mrc::ApplicationImpl::getApplication()->staticClass->getStringConstant(kLabelText);
    for (int32_t i = 0; i < objects->length; ++i) {
        auto* o = static_cast<CObject*>(JArray::getRef(objects, i));
        if (isNull(o) || isNull(o->m_sprite)) continue;
        const int32_t x = o->m_sprite->getX(), y = o->m_sprite->getY();
        if (x < cx - 1 || x > cx + kScreenWidth + 1 || y < cy - 1 || y > cy + kScreenHeight + 1) continue;
        String* id = String::valueOfInt(o->m_id);
        g->drawString(isNull(prefix) ? id : prefix->concat(id), x - cx, y - cy, kLabelAnchor);
    }
}
