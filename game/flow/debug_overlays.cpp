// Development aids: the debug rectangle, the ids of the objects in view, the layer objects'
// cells, and the overlay of the interaction rings, the view and type-5 crosshairs and the
// event-script and timed-modifier state.
#include <algorithm>
#include <initializer_list>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "platform/lcdui/font.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {
using Graphics = javax_microedition_lcdui_Graphics;
constexpr int32_t kLabelText = 186;
constexpr int32_t kLabelAnchor = 17;   // HCENTER | TOP
constexpr int32_t kAboveAnchor = 33;   // HCENTER | BOTTOM
constexpr int32_t kCell = 32;
constexpr int32_t kRingColour = 0x0080FF;
constexpr int32_t kCrossArm = 5;
constexpr int32_t kGroups = 2;
constexpr int32_t kGroupEntries = 10;
constexpr int32_t kModifierRecords = 30;
constexpr int32_t kFreeRecord = 255;
// Texts: the ring label (entry, load / capacity), the crosshair labels, the printed lists.
constexpr int32_t kSlashText = 154, kRingText = 432, kRingLoadText = 433;
constexpr int32_t kViewText = 434, kCommaText = 435, kObjectText = 436;
constexpr int32_t kScriptsText = 437, kScriptText = 438, kScriptAtText = 439, kScriptCommandsText = 440,
                  kScriptWaitText = 441, kModifiersText = 442, kModifierText = 443, kModifierEntryText = 444,
                  kModifierAmountText = 445;

String* constant(int32_t n) {
    return mrc::ApplicationImpl::getApplication()->staticClass->stringConstantOrNull(n);
}

// The parts one after another; a missing constant counts as empty.
String* join(std::initializer_list<String*> parts) {
    String* text = mrc::newString("");
    for (String* part : parts)
        if (!isNull(part)) text = text->concat(part);
    return text;
}
String* number(int64_t v) { return String::valueOfLong(v); }

// Entry j of row g of a byte[][] table as 0-255; 0 when the table, row or entry is missing.
int32_t tableByte(ObjectArray* table, int32_t g, int32_t j) {
    if (isNull(table) || g >= table->length) return 0;
    auto* row = static_cast<ByteArray*>(table->elements()[g]);
    if (isNull(row) || j >= row->length) return 0;
    return row->elements()[j] & 0xFF;
}

void crosshair(Graphics* g, int32_t x, int32_t y) {
    g->setColor(0xFFFFFF);
    g->drawLine(x - kCrossArm, y, x + kCrossArm, y);
    g->drawLine(x, y - kCrossArm, x, y + kCrossArm);
}

// White text on a black box whose bottom centre is at (x, y).
void boxedLabel(Graphics* g, String* text, int32_t x, int32_t y) {
    javax_microedition_lcdui_Font* font = javax_microedition_lcdui_Font::getDefaultFont();
    const int32_t w = isNull(font) ? 0 : font->stringWidth(text), h = isNull(font) ? 0 : font->getHeight();
    g->setColor(0x000000);
    g->fillRect(x - w / 2 - 1, y - h - 1, w + 2, h + 2);
    g->setColor(0xFFFFFF);
    g->drawString(text, x, y, kAboveAnchor);
}
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

void Game::paintFrameObjectOutlines(Graphics* g) {
    if (noGraphics(g)) return;
    CellGridStatics& s = grids;
    if (isNull(s.s_viewObjects)) return;
    const int32_t count = std::min(s.s_viewObjectCount, s.s_viewObjects->length);
    for (int32_t i = 0; i < count; ++i) {
        auto* o = static_cast<CObject*>(s.s_viewObjects->elements()[i]);
        if (isNull(o) || isNull(o->m_sprite)) continue;
        ASpriteInstance* instance = o->m_sprite;
        computeLayerOffset(instance, o->m_type, 1, o->m_params);
        const int32_t layer = o->param(19);
        Object* grid = isNull(s.s_layerGrids) || layer < 0 || layer >= s.s_layerGrids->length
                           ? nullptr
                           : s.s_layerGrids->elements()[layer];
        if (!isNull(grid) && grid->classId() == mrc::kClass_ObjectArray) {
            auto* columns = static_cast<ObjectArray*>(grid);
            const int32_t x0 = instance->getX(), y0 = instance->getY();
            for (int32_t c = 0; c < columns->length; ++c) {
                const int32_t x = x0 + c * kCell;
                auto* column = static_cast<ShortArray*>(columns->elements()[c]);
                if (x <= -kCell || x >= kScreenWidth || isNull(column)) continue;
                for (int32_t r = 0; r < column->length; ++r) {
                    const int32_t y = y0 + r * kCell;
                    if (y <= -kCell || y >= kScreenHeight) continue;
                    g->setColor(cellFlagColour(column->elements()[r]));
                    g->drawRect(x, y, kCell - 1, kCell - 1);
                }
            }
        }
        computeLayerOffsetAlt(instance, o->m_type, 1, o->m_params);
    }
}

void Game::paintDebugOverlay(Graphics* g, bool printLists) {
    if (noGraphics(g)) return;
    const int32_t cx = mathStatics.cameraX >> 14, cy = mathStatics.cameraY >> 14;
    ObjectOperationStatics& t = operations;

    // The rings of each group around the player, each entry's ring outside the ones before it:
    // group 0 labelled above, group 1 below.
    CObject* player = objects.s_player;
    if (!isNull(player) && !isNull(player->m_sprite) && !isNull(t.s_interactionCounts)) {
        const int32_t px = player->m_sprite->getX() - cx, py = player->m_sprite->getY() - cy;
        for (int32_t group = 0; group < std::min(kGroups, t.s_interactionCounts->length); ++group) {
            const int32_t entries = std::min<int32_t>(t.s_interactionCounts->elements()[group] & 0xFF, kGroupEntries);
            int32_t radius = 0;
            for (int32_t j = 0; j < entries; ++j) {
                radius += tableByte(t.s_areaBytesA, group, j);
                g->setColor(kRingColour);
                g->drawArc(px - radius, py - radius, 2 * radius, 2 * radius, 0, 360);
                String* label = join({constant(kRingText), number(j), constant(kRingLoadText),
                                      number(tableByte(t.s_interactionLoad, group, j)), constant(kSlashText),
                                      number(tableByte(t.s_interactionCapacity, group, j))});
                g->setColor(kRingColour);
                g->drawString(label, px, group == 0 ? py - radius : py + radius, group == 0 ? kAboveAnchor : kLabelAnchor);
            }
        }
    }

    // The view's centre, then every type-5 object, labelled with its map position or id.
    const int32_t vx = kScreenWidth / 2, vy = kScreenHeight / 2;
    crosshair(g, vx, vy);
    boxedLabel(g, join({constant(kViewText), number(cx + vx), constant(kCommaText), number(cy + vy)}), vx,
               vy - kCrossArm - 1);
    ObjectArray* type5 = objects.s_type5Objects;
    for (int32_t i = 0; !isNull(type5) && i < type5->length; ++i) {
        auto* o = static_cast<CObject*>(type5->elements()[i]);
        if (isNull(o) || isNull(o->m_sprite)) continue;
        const int32_t x = o->m_sprite->getX() - cx, y = o->m_sprite->getY() - cy;
        crosshair(g, x, y);
        boxedLabel(g, join({constant(kObjectText), number(o->m_id)}), x, y - kCrossArm - 1);
    }

    if (!printLists) return;
    // Each event script's start, command count and wait timer, then the used timed modifiers.
    LayoutStatics& l = layouts;
    QXLib::dbgPrintln(join({constant(kScriptsText), number(l.s_scriptIndex)}));
    const int32_t scripts = isNull(l.s_scriptOffsets) ? 0 : l.s_scriptOffsets->length;
    for (int32_t i = 0; i < scripts; ++i) {
        const int32_t commands =
            isNull(l.s_scriptCommandCounts) || i >= l.s_scriptCommandCounts->length
                ? 0
                : l.s_scriptCommandCounts->elements()[i] & 0xFF;
        const int64_t wait = isNull(l.s_scriptTimers) || i >= l.s_scriptTimers->length ? -1 : l.s_scriptTimers->elements()[i];
        QXLib::dbgPrintln(join({constant(kScriptText), number(i), constant(kScriptAtText),
                                number(l.s_scriptOffsets->elements()[i]), constant(kScriptCommandsText),
                                number(commands), constant(kScriptWaitText), number(wait)}));
    }
    QXLib::dbgPrintln(join({constant(kModifiersText), number(t.s_timedModifierCount)}));
    ByteArray* records = t.s_timedModifiers;
    const int32_t n = isNull(records) ? 0 : std::min(kModifierRecords, records->length / 4);
    for (int32_t r = 0; r < n; ++r) {
        const int8_t* rec = records->elements() + 4 * r;
        if ((rec[0] & 0xFF) == kFreeRecord) continue;
        const int32_t a = rec[0] & 0xFF, b = rec[1] & 0xFF, amount = rec[2];
        QXLib::dbgPrintln(join({constant(kModifierText), number(a), constant(kModifierEntryText), number(b),
                                constant(kModifierAmountText), number(amount)}));
    }
}
