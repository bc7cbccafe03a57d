// Interface layouts: the record accessors, the kind-checked element accessors, the layout
// painter and the sprite-element painter, the row layout of the upgrade list and the start cue.
#include "framework/sound/sound_manager.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {

constexpr int32_t kKindSprite = 0, kKindValue = 1, kKindHook = 3, kKindSingle = 7;
constexpr int32_t kPlayerSpriteSlot = 10;
constexpr int32_t kPlayerPaletteFlag = 0x200, kPlayerMarkerFlag = 0x80;
// Texts of the diagnostics: the misfit pairs, the missing frame.
constexpr int32_t kElementText = 406, kMissingFrameText = 411;
constexpr int32_t kFrameBeyondTexts = 412;  // 412-415
constexpr int32_t kStartCueText = 399;
// Layout 10's rows: label elements, row elements, the expanded panel.
constexpr int32_t kRowLabel = 36, kRowLabelExpanded = 41, kRowFirst = 8, kRowTop = 1;
constexpr int32_t kPanelFirst = 19, kPanelLast = 34, kPanelBottom = 25;
constexpr int32_t kRows = 7;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
String* constant(int32_t n) { return app()->staticClass->getStringConstant(n); }

String* text(String* s) { return isNull(s) ? mrc::newString("") : s; }

// The game's debug output, also logged: the console of System.out keeps nothing.
void debugLine(String* t) {
    Game::debugText(Game::stateStatics.graphics, false, t, 0, 0);
    mrc_log("layout: %s", t->toStdString().c_str());
}

// "A<layout>B<element>" on the debug output.
void traceElement(int32_t a, int32_t layout, int32_t b, int32_t element) {
    String* t = text(constant(a))->concat(String::valueOfInt(layout));
    debugLine(t->concat(text(constant(b)))->concat(String::valueOfInt(element)));
}

int32_t field(ShortArray* e, int32_t i) { return isNull(e) ? 0 : JArray::getShort(e, i); }
void setField(ShortArray* e, int32_t i, int32_t v) {
    if (!isNull(e)) JArray::setShort(e, i, v);
}

ShortArray* panel(int32_t layout) {
    const int32_t p = JArray::getInt(Game::flowStatics.s_layoutSelection, layout);
    return p == -1 ? nullptr : Game::layoutElement(layout, p);
}

// The element when it is of the kind, else null after the trace.
ShortArray* ofKind(int32_t layout, int32_t element, int32_t kind, int32_t a, int32_t b) {
    ShortArray* e = Game::layoutElement(layout, element);
    if (isNull(e)) return nullptr;
    if (field(e, 0) == kind) return e;
    traceElement(a, layout, b, element);
    return nullptr;
}

CObject* player() {
    CObject* p = Game::objects.s_player;
    return isNull(p) ? nullptr : p;
}

}  // namespace

LayoutStatics Game::layouts;

void Game::initLayoutStatics() {
    LayoutStatics& l = layouts;
    l = LayoutStatics{};
    l.s_upgradeHoldTimer = -1;
    l.s_currentPopup = -1;
    l.s_scriptIndex = -1;
    l.s_scriptTimer = -1;
    l.s_upgradeStep = 163840;
    l.s_slidingBanner = app()->objectManager->newIntArray(4);
    if (!isNull(l.s_slidingBanner)) l.s_slidingBanner->elements()[3] = -1;
    initUpgradePanel();
}

ShortArray* Game::layoutElement(int32_t layout, int32_t element) {
    auto* records = static_cast<JArray*>(JArray::getRef(layouts.s_layouts, layout));
    if (isNull(records)) return nullptr;
    auto* e = static_cast<ShortArray*>(JArray::getRef(records, element));
    return isNull(e) ? nullptr : e;
}

int32_t Game::layoutElementCount(int32_t layout) {
    auto* records = static_cast<JArray*>(JArray::getRef(layouts.s_layouts, layout));
    return isNull(records) ? 0 : records->length;
}

int32_t Game::getTableEntry1(int32_t layout, int32_t element) { return field(layoutElement(layout, element), 1); }
int32_t Game::getTableEntry2(int32_t layout, int32_t element) { return field(layoutElement(layout, element), 2); }
int32_t Game::getTableEntry3(int32_t layout, int32_t element) { return field(layoutElement(layout, element), 3); }

int32_t Game::getKind1Field3(int32_t layout, int32_t element) {
    ShortArray* e = layoutElement(layout, element);
    return field(e, 0) == kKindValue ? field(e, 3) : 0;
}

int32_t Game::getKind1Field4(int32_t layout, int32_t element) {
    ShortArray* e = layoutElement(layout, element);
    return field(e, 0) == kKindValue ? field(e, 4) : 0;
}

int32_t Game::getLayoutKind7Value(int32_t layout, int32_t element) {
    ShortArray* e = layoutElement(layout, element);
    return field(e, 0) == kKindSingle ? field(e, 3) : 0;
}

int32_t Game::getLayoutElementAnchor(int32_t layout, int32_t element) {
    ShortArray* e = layoutElement(layout, element);
    static constexpr int32_t kHorizontal[] = {4, 1, 8};  // LEFT, HCENTER, RIGHT
    static constexpr int32_t kVertical[] = {16, 2, 32};  // TOP, VCENTER, BOTTOM
    const int32_t h = field(e, 6), v = field(e, 5);
    return (h >= 0 && h < 3 ? kHorizontal[h] : 0) | (v >= 0 && v < 3 ? kVertical[v] : 0);
}

void Game::setLayoutElementX(int32_t layout, int32_t element, int32_t value) { setField(layoutElement(layout, element), 1, value); }
void Game::setLayoutElementY(int32_t layout, int32_t element, int32_t value) { setField(layoutElement(layout, element), 2, value); }
void Game::setLayoutElementField3(int32_t layout, int32_t element, int32_t value) {
    setField(layoutElement(layout, element), 3, value);
}
void Game::setLayoutElementField4(int32_t layout, int32_t element, int32_t value) {
    setField(layoutElement(layout, element), 4, value);
}

bool Game::isEntryPresent(int32_t layout) { return JArray::getInt(flowStatics.s_layoutSelection, layout) != -1; }

int32_t Game::getEntryValue(int32_t layout) {
    ShortArray* p = panel(layout);
    return p == nullptr ? -1 : field(p, 14);
}

int32_t Game::getSelectedField7(int32_t layout) { return field(panel(layout), 7); }
int32_t Game::getSelectedField8(int32_t layout) { return field(panel(layout), 8); }
int32_t Game::getSelectedField9(int32_t layout) { return field(panel(layout), 9); }
int32_t Game::getSelectedField10(int32_t layout) { return field(panel(layout), 10); }
bool Game::isSelectedField5One(int32_t layout) { return field(panel(layout), 5) == 1; }
bool Game::isSelectedField11One(int32_t layout) { return field(panel(layout), 11) == 1; }
bool Game::isSelectedField13One(int32_t layout) { return field(panel(layout), 13) == 1; }

void Game::copyShortTables(ObjectArray* elements, ObjectArray* positions) {
    if (isNull(elements)) return;
    for (int32_t i = 0; i < elements->length; ++i) {
        auto* e = static_cast<ShortArray*>(JArray::getRef(elements, i));
        auto* p = static_cast<ShortArray*>(JArray::getRef(positions, i));
        if (isNull(e) || isNull(p)) continue;
        setField(e, 1, field(p, 0));
        setField(e, 2, field(p, 1));
    }
}

void Game::fillFromPairs(ObjectArray* elements, bool start) {
    if (isNull(elements)) return;
    for (int32_t i = 0; i < elements->length; ++i) {
        auto* e = static_cast<ShortArray*>(JArray::getRef(elements, i));
        if (isNull(e) || field(e, 0) != kKindValue) continue;
        if (!start) {
            setField(e, 15, 0);
            continue;
        }
        if (field(e, 14) < 0) {
            if (field(e, 11) == 0 && field(e, 12) == 0) {
                setField(e, 14, 0);
                continue;
            }
            setField(e, 14, 1000);
        }
        setField(e, 15, field(e, 13) + field(e, 14));
    }
}

void Game::releaseLayout(int32_t layout) {
    LayoutStatics& l = layouts;
    for (ObjectArray* table : {l.s_layouts, l.s_layoutDefaults}) {
        auto* records = static_cast<ObjectArray*>(JArray::getRef(table, layout));
        if (!isNull(records))
            for (int32_t i = 0; i < records->length; ++i) records->elements()[i] = nullptr;
        JArray::setRef(table, layout, nullptr);
    }
    auto* instances = static_cast<ObjectArray*>(JArray::getRef(l.s_layoutInstances, layout));
    if (!isNull(instances))
        for (int32_t i = 0; i < instances->length; ++i) {
            auto* instance = static_cast<ASpriteInstance*>(instances->elements()[i]);
            if (isNull(instance)) continue;
            instance->sprite = nullptr;
            instances->elements()[i] = nullptr;
        }
    JArray::setRef(l.s_layoutInstances, layout, nullptr);
    JArray::setRef(l.s_layoutValuesA, layout, nullptr);
    JArray::setRef(l.s_layoutValuesB, layout, nullptr);
}

void Game::paintLayoutElementNoop(Graphics*, int32_t layout, int32_t element, int32_t, int32_t) {
    getTableEntry1(layout, element);
    getTableEntry2(layout, element);
}

// ---- kind-checked accessors ----

void Game::setElementValue(int32_t layout, int32_t element, int32_t v) {
    setField(ofKind(layout, element, kKindValue, 405, kElementText), 7, v);
}

void Game::setElementVisible(int32_t layout, int32_t element, bool visible) {
    setField(ofKind(layout, element, kKindSprite, 407, kElementText), 6, visible ? 1 : 0);
}

bool Game::isElementVisible(int32_t layout, int32_t element) {
    return field(ofKind(layout, element, kKindSprite, 407, kElementText), 6) != 0;
}

bool Game::isElementBuffered(int32_t layout, int32_t element) {
    return field(ofKind(layout, element, kKindSprite, 408, kElementText), 7) != 0;
}

void Game::setElementFrame(int32_t layout, int32_t element, int32_t v) {
    ShortArray* e = layoutElement(layout, element);
    if (isNull(e)) return;
    switch (field(e, 0)) {
        case kKindValue: setField(e, 9, v); break;
        case kKindSprite: setField(e, 10, v); break;
        default: traceElement(409, layout, 410, element); break;
    }
}

int32_t Game::getElementNumber(int32_t layout, int32_t element) {
    if (field(layoutElement(layout, element), 0) == kKindSprite) traceElement(kMissingFrameText, layout, kElementText, element);
    return -1;
}

// ---- painting ----

void Game::paintLayoutSprite(Graphics* g, int32_t layout, int32_t element, int32_t dx, int32_t dy, bool buffered) {
    if (isElementBuffered(layout, element) != buffered) return;
    ShortArray* e = layoutElement(layout, element);
    if (isNull(e)) return;
    const int32_t x = field(e, 1) + dx, y = field(e, 2) + dy;
    const int32_t slot = field(e, 3), frame = field(e, 4);
    ASprite* sprite = spriteSlot(slot);
    auto* instances = static_cast<ObjectArray*>(JArray::getRef(layouts.s_layoutInstances, layout));
    auto instance = [&]() -> ASpriteInstance* {
        if (isNull(instances) || frame < 0 || frame >= instances->length) return nullptr;
        auto* i = static_cast<ASpriteInstance*>(instances->elements()[frame]);
        return isNull(i) ? nullptr : i;
    };
    if (slot != kPlayerSpriteSlot) {
        if (sprite != nullptr && field(e, 10) < sprite->paletteCount) sprite->setPalette(field(e, 10));
    } else if (ASpriteInstance* i = instance(); i != nullptr && !isNull(i->sprite)) {
        CObject* p = player();
        ASprite* s = i->sprite;
        if (p != nullptr && (objects.s_playerFlags & kPlayerPaletteFlag) != 0) {
            if (p->param(3) < s->paletteCount) s->setPalette(p->param(3));
        } else if (s->paletteCount > 0) {
            s->setPalette(0);
        }
    }
    if (field(e, 5) < 0) {
        const int32_t frames = sprite == nullptr || isNull(sprite->frameModuleCount) ? 0 : sprite->frameModuleCount->length;
        // A frame past the last one (or negative) is reported and painting it draws nothing.
        if (frame < 0 || frame >= frames) {
            String* t = text(constant(kFrameBeyondTexts))->concat(String::valueOfInt(layout));
            t = t->concat(text(constant(kFrameBeyondTexts + 1)))->concat(String::valueOfInt(element));
            t = t->concat(text(constant(kFrameBeyondTexts + 2)))->concat(String::valueOfInt(frame));
            t = t->concat(text(constant(kFrameBeyondTexts + 3)))->concat(String::valueOfInt(frames));
            drawStringAt(false, t, x, y);
            mrc_log("layout: %s", t->toStdString().c_str());
            return;
        }
        paintFrameWithGraphics(sprite, buffered ? stateStatics.bufferGraphics : g, frame, x, y, 0);
        return;
    }
    ASpriteInstance* i = instance();
    if (i == nullptr) return;
    if (slot == kPlayerSpriteSlot && !isNull(i->sprite)) {
        CObject* p = player();
        i->sprite->setModuleMapping(p != nullptr && (objects.s_playerFlags & kPlayerMarkerFlag) != 0 ? p->param(2) : 1);
    }
    i->setPosition(x, y);
    if (!isNull(g)) i->paint(g);
}

void Game::paintLayout(Graphics* g, int32_t layout, int32_t x, int32_t y, bool selected, int32_t group, int32_t subId) {
    const int32_t n = layoutElementCount(layout);
    for (int32_t i = 0; i < n; ++i) {
        ShortArray* e = layoutElement(layout, i);
        if (isNull(e)) continue;
        switch (field(e, 0)) {
            case kKindSprite:
                if (field(e, 6) == 0 || (group != -1 && field(e, 8) != group) || field(e, 9) != subId) break;
                paintLayoutSprite(g, layout, i, x, y, selected);
                break;
            case kKindHook:
                if (field(e, 9) == 0 || (group != -1 && field(e, 11) != group)) break;
                paintLayoutElementNoop(g, layout, i, x, y);
                break;
            default: break;
        }
    }
}

int32_t Game::getLayoutElementHeight(int32_t layout, int32_t element) {
    ShortArray* e = layoutElement(layout, element);
    if (field(e, 0) != kKindSprite) return field(e, 4);
    if (field(e, 4) >= 0) {
        IntArray* r = getFrameRectTemp(spriteSlot(field(e, 3)), field(e, 4), 0, 0, 0);
        return JArray::getInt(r, 3) - JArray::getInt(r, 1);
    }
    traceElement(kMissingFrameText, layout, kElementText, element);
    return -1;
}

int32_t Game::layoutExpandRow(bool first, int32_t row, bool expanded) {
    constexpr int32_t kList = 10;
    IntArray* items = CObject::statics.s_countedItems;
    // Rows past the counted items' table are empty rows with no labels of their own: 36 + row
    // and 41 + row would be the labels of other rows (41 and 42 those of rows 0 and 1 expanded).
    if (isNull(items) || row < 0 || row >= items->length) return 0;
    const int32_t item = items->elements()[row];
    if (item < 0 || item > 9) {
        setElementVisible(kList, kRowLabel + row, false);
        setElementVisible(kList, kRowLabelExpanded + row, false);
        return 0;
    }
    LayoutStatics& l = layouts;
    if (first) {
        startListAnim(kList);
        l.s_layoutRowOffset = 0;
    }
    const int32_t hA = getLayoutElementHeight(kList, kPanelFirst);
    const int32_t hB = getLayoutElementHeight(kList, kPanelBottom);
    const int32_t hRow = getLayoutElementHeight(kList, kRowFirst + row);
    setElementVisible(kList, kRowLabel + row, !expanded);
    setElementVisible(kList, kRowLabelExpanded + row, expanded);
    for (int32_t e : {kRowLabel + row, kRowLabelExpanded + row})
        setLayoutElementY(kList, e, getTableEntry2(kList, e) + l.s_layoutRowOffset);
    if (expanded)
        for (int32_t e = kPanelFirst; e <= kPanelLast; ++e)
            setLayoutElementY(kList, e, getTableEntry2(kList, e) + l.s_layoutRowOffset);
    l.s_layoutRowOffset += hRow;
    if (!expanded) return 0;
    l.s_layoutRowOffset += hA + hB;
    for (int32_t r = row + 1; r < kRows; ++r) {
        setLayoutElementY(kList, kRowFirst + r, getTableEntry2(kList, kRowFirst + r) + hA + hB - 2 * hRow);
        setLayoutElementY(kList, kRowTop + r, getTableEntry2(kList, kRowFirst + r));
    }
    return 2;
}

void Game::runStartCue() {
    LayoutStatics& l = layouts;
    if (!l.s_startCuePlayed) {
        l.s_startCuePlayed = 1;
        dbgPrintln(constant(kStartCueText));
        if (isMusicOn() && !isNull(flowStatics.sound)) flowStatics.sound->playRequest(0, 0, 0, 100);
    }
    auto* game = static_cast<Game*>(flowStatics.instance);
    paintLayoutSprite(isNull(game) ? nullptr : game->backBufferGraphics, 9, 0, 0, 0, true);
    paintFrameWithGraphics(spriteSlot(15), stateStatics.bufferGraphics, 0, 0, 0, 0);
}

void Game::paintPopup(Graphics* g) {
    const LayoutStatics& l = layouts;
    if (l.s_currentPopup < 0) return;
    auto* record = static_cast<JArray*>(JArray::getRef(l.s_popups, l.s_currentPopup));
    if (isNull(record)) return;
    const int32_t state = JArray::getInt(record, 0);
    if (state == 0 || state == 4) return;
    switch (JArray::getInt(record, 20)) {
        case 0:
            paintPopupTimeBar(g);
            paintPopupRow(g);
            break;
        case 1:
            applyLevelObject(g);
            paintPopupMarkers(g);
            break;
        default: break;
    }
}

void Game::paintPopupIcon(Graphics* g, int32_t a, int32_t b) {
    constexpr int32_t kIconInstance = 11, kThreeIcons = 63;
    auto* i = static_cast<ASpriteInstance*>(JArray::getRef(stateStatics.hudInstances, kIconInstance));
    if (isNull(i)) return;
    const int32_t x = (i->x >> 14) + 20, y = (i->y >> 14) - 310;
    if (i->anim == kThreeIcons) {
        paintPopupIconFrame(g, a, 1, x, y);
        paintPopupIconFrame(g, objects.s_previousItem, 0, x, y);
        paintPopupIconFrame(g, b, 2, x, y);
    } else {
        paintPopupIconFrame(g, a, 0, x, y);
    }
}

void Game::startListAnim(int32_t n) {
    copyShortTables(static_cast<ObjectArray*>(JArray::getRef(layouts.s_layouts, n)),
                    static_cast<ObjectArray*>(JArray::getRef(layouts.s_layoutDefaults, n)));
}

void Game::fillPairsDefault(int32_t n) { fillFromPairs(static_cast<ObjectArray*>(JArray::getRef(layouts.s_layouts, n)), true); }

namespace mrc {

void registerLayoutStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.layouts", &Game::layouts);
}

}  // namespace mrc
