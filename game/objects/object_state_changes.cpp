// Shared state changes of the per-type behaviours: death, scripted frames, the mode switch with
// its animation, the wait for an animation's end, random actions, slot records and paint effects.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"

namespace {

constexpr int32_t kKeptMode = 10;

JArray* currentActionRecord(CObject* o) {
    auto* records = static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_actionRecords, o->param(CObject::PARAM_KIND)));
    return static_cast<JArray*>(JArray::getRef(records, o->param(42)));
}

// Pins the ended animation to its last frame and goes back to mode 1 (unless kept in mode 10).
void settleAtLastFrame(CObject* o) {
    if (isNull(o->m_sprite) || !o->m_sprite->isAnimEnded()) return;
    if (o->param(CObject::PARAM_SUBKIND) == kKeptMode) return;
    o->setParam(CObject::PARAM_SUBKIND, 1);
    o->setAnimVariant(6);
}

}  // namespace

void CObject::startDeath() {
    setParam(PARAM_STATE, 5);
    setParam(PARAM_SUBSTATE, 0);
    if (param(PARAM_FACING) == kDown) setParam(PARAM_FACING, (Game::random() & 1) == 0 ? kLeft : kRight);
}

void CObject::startScriptedFrame() {
    JArray* record = currentActionRecord(this);
    setParam(PARAM_SUBSTATE, isNull(record) ? 0 : JArray::getShort(record, 4));
    setParam(PARAM_STATE, 12);
    setParam(30, Game::getPackedShort(param(PARAM_KIND), 20));
    setParam(PARAM_SAVED_FACING, param(PARAM_FACING));
}

void CObject::setAnimFromState(int32_t m) {
    const int32_t old = param(PARAM_SUBKIND);
    if (old == kKeptMode) {
        switch (m) {
            case 3:
                setParam(13, 1);
                setAnimVariant(10);
                break;
            case 6:
                setParam(13, 2);
                setAnimVariant(14);
                break;
            case 7:
                setParam(13, 3);
                setAnimVariant(13);
                break;
            default: break;
        }
        return;
    }
    setParam(PARAM_SUBKIND, m);
    switch (m) {
        case 0:
        case 1: setAnimVariant6(); break;
        case 2: setAnim7(); break;
        case 3: setAnimVariant9(); break;
        case 5: setAnim17(); break;
        case 6: setAnim20(); break;
        case 7: setAnimVariant19(); break;
        case 8:
            if (old == 1) setAnimVariant15();
            else if (old != 3) setParam(PARAM_SUBKIND, old);
            break;
        case 10: setAnim12(); break;
        default: break;
    }
}

void CObject::lastFrameA() { settleAtLastFrame(this); }
void CObject::lastFrameB() { settleAtLastFrame(this); }
void CObject::lastFrameC() { settleAtLastFrame(this); }

int32_t CObject::chooseRandomAction() {
    const int32_t r = (Game::random() & 7) + 1;
    const int32_t current = param(20);
    int32_t c = 0;
    for (int32_t j = r; j <= r + 8; ++j) {
        c = j % 9;
        if (c == 0 || param(8 + c) == current) continue;
        auto* t = static_cast<CObject*>(JArray::getRef(Game::objects.s_templates, param(8 + c)));
        if (isNull(t)) continue;
        const int32_t mode = t->param(PARAM_MODE);
        if (mode != 0 && mode != 3 && mode != 4) return c;
    }
    return c;
}

void CObject::detachFromTable() {
    const int32_t slot = param(PARAM_SUBKIND);
    ObjectArray* records = Game::objects.s_slotRecords;
    if (slot >= 0 && !isNull(records) && slot < records->length) {
        JArray::setInt(static_cast<JArray*>(records->elements()[slot]), 3, 0);
    }
    setParam(PARAM_SUBKIND, -1);
}

void CObject::setPaintEffectParams(int32_t a, int32_t b) {
    IntArray* row = Game::paintEffectRow(11);
    JArray::setInt(row, 6, 0);
    Game::setFlags(0x800);
    for (int32_t i = a; i <= b; ++i) JArray::setInt(row, i - a, param(i));
}
