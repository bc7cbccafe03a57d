// The questions the behaviours, the event scripts and the level placement ask of an object: its
// state tests and the small accessors of its parameters. None allocates.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"

namespace {

// Entry i of a record that is a short[] or an int[]; 0 (reported) for anything else.
int32_t recordEntry(Object* record, int32_t i) {
    auto* a = static_cast<JArray*>(record);
    if (!isNull(a) && a->m_classId == mrc::kClass_ShortArray) return JArray::getShort(a, i);
    return JArray::getInt(a, i);
}

CObject* listed(ObjectArray* list, int32_t i) { return static_cast<CObject*>(JArray::getRef(list, i)); }

// Params of element i of the script-object list (null reported as Java would).
int32_t listedParam(int32_t i, int32_t k) {
    CObject* o = listed(Game::objects.s_scriptObjects, i);
    return isNull(o) ? JArray::getInt(nullptr, k) : o->param(k);
}

}  // namespace

// ---- state tests ----

bool CObject::isVisibleState() {
    const int32_t state = param(PARAM_STATE);
    if (state == 5 && param(PARAM_SUBSTATE) == 2) return false;
    return state != 7 && state != 13;
}

bool CObject::isVisibleNotState5() { return param(PARAM_STATE) != 5 && isVisibleState(); }

bool CObject::isState7Or5Sub2() {
    const int32_t state = param(PARAM_STATE);
    return state == 7 || (state == 5 && param(PARAM_SUBSTATE) == 2);
}

bool CObject::isState11Or5Sub0() {
    const int32_t state = param(PARAM_STATE);
    return state == 11 || (state == 5 && param(PARAM_SUBSTATE) == 0);
}

bool CObject::isStateSetOrSub2() { return param(PARAM_SUBSTATE) == 2 || param(PARAM_STATE) != 0; }

bool CObject::canInteract() { return param(PARAM_KIND) != 9 && isVisibleState() && param(PARAM_STATE) != 5; }

bool CObject::canInteractNotKind8() {
    return param(PARAM_STATE) != 14 && param(PARAM_KIND) != 8 && canInteract();
}

bool CObject::isActive() { return canInteract() && param(PARAM_STATE) != 6; }

bool CObject::isSelectable() {
    const int32_t state = param(PARAM_STATE);
    return param(PARAM_KIND) != 9 && state != 5 && state != 6 && this != statics.s_effectObject && isVisibleState();
}

bool CObject::isFreeToMove() {
    const int32_t state = param(PARAM_STATE);
    return isVisibleState() && state != 6 && state != 8 && state != 11 && state != 14;
}

bool CObject::isFlagsOne() { return param(PARAM_FLAGS) == 1; }

bool CObject::isParam12Mode1Or3() {
    const int32_t sub = param(PARAM_SUBKIND);
    return sub == 1 || sub == 3;
}

bool CObject::matchesParam27(int32_t v) { return param(9) == 10 || param(PARAM_RECORD) == v; }

bool CObject::hasParam9() { return param(9) > 0; }

bool CObject::isEnabledUnlessPending(CObject* o) {
    if (statics.s_pendingRelease != 0) return false;
    return isNull(o) || o->param(PARAM_FLAGS) != 0;
}

bool CObject::isRecordFlagged(IntArray* record) {
    return JArray::getInt(record, 0) == 1 && (JArray::getInt(record, 5) == 1 || JArray::getInt(record, 6) == 1);
}

bool CObject::isObjectScriptOpcode(int32_t op) { return (op >= 165 && op <= 169) || op == 181; }

// ---- accessors and setters ----

int32_t CObject::getParamByType() {
    if (m_type == 85) {
        switch (param(PARAM_SUBKIND)) {
            case 2: return param(7);
            case 5: return param(8);
            case 6: return param(9);
            default: return 0;
        }
    }
    return m_type == 84 ? param(9) : 0;
}

static int32_t clampInto(int32_t v, int32_t low, int32_t high) {
    if (v < low) return low;
    if (v > high) return high;
    return v;
}

int32_t CObject::getParamRange(int32_t v) {
    return param(PARAM_RECORD) < 0 ? v : clampInto(v, param(28), param(29));
}

int32_t CObject::clampToLimits(int32_t v) {
    return param(PARAM_RECORD) < 0 ? v : clampInto(v, param(30), param(31));
}

int32_t CObject::recordAnimOffset(int32_t v) {
    if (param(PARAM_RECORD) < 0 || v > 36) return v;
    switch (v) {
        case 0:
        case 14: return 44;
        case 2: return 46;
        case 16: return 48;
        case 20: return 52;
        case 24: return 56;
        case 28: return 60;
        case 32: return 64;
        case 36: return 68;
        default: return v;
    }
}

void CObject::setParam26FromCode(int32_t c) {
    static constexpr int32_t kValues[] = {3, 1, 2, 0};
    if (c >= 0 && c <= 3) setParam(26, kValues[c]);
}

void CObject::setParam5(int32_t v) { setParam(PARAM_ANIM, v); }
void CObject::setParam23To1() { setParam(23, 1); }
void CObject::resetParam11Flags() { setParam(PARAM_FLAGS, 1); }
void CObject::resetParam1Flags() { setParam(1, 1); }

void CObject::restoreParam16AndUnlink() {
    setParam(PARAM_FACING, param(PARAM_SAVED_FACING));
    setParam(22, -1);
    setParam(23, -1);
    setParam(PARAM_SAVED_FACING, 0);
}

void CObject::markRemoved() { setParam(31, (param(31) | 0x400) & ~0x1); }

void CObject::reactivateFlags() {
    if ((param(31) & (0x8 | 0x10)) != 0) setParam(31, 0x1);
}

void CObject::clearLinkIfMatches(int32_t id) {
    const int32_t link = param(PARAM_LINK_ID);
    if (link >= 0 && link == id) {
        setParam(PARAM_LINK_ID, -1);
        setParam(PARAM_ANIM, 0);
    }
}

CObject* CObject::getLinkedByKind() {
    const int32_t index = param(PARAM_LIST_INDEX);
    if (index < 0) return nullptr;
    const GameObjectStatics& g = Game::objects;
    switch (param(PARAM_KIND)) {
        case 0: return listed(g.s_kind0Objects, index);
        case 1: return listed(g.s_attachedObjects, index);
        case 2: return listed(g.s_type5Objects, index);
        case 3: return listed(g.s_type15Objects, index);
        default: return nullptr;
    }
}

CObject* CObject::getLinkedObjectA() { return listed(Game::objects.s_attachedObjects, param(23)); }
CObject* CObject::getLinkedObjectB() { return listed(Game::objects.s_attachedObjects, param(24)); }

int32_t CObject::getGaugeValue(int32_t k) {
    switch (k) {
        case 0: return param(13);
        case 1: return param(16);
        case 2: return param(15);
        default: return 0;
    }
}

int32_t CObject::getGaugeMax(int32_t k) {
    switch (k) {
        case 0: return param(17);
        case 1: return param(19);
        case 2: return param(18);
        default: return 0;
    }
}

bool CObject::isGaugeFull(int32_t k) {
    if (k == 0) return param(13) >= param(17);
    if (k == 2) return param(15) >= param(18);
    return false;
}

int32_t CObject::getScriptValue() { return Game::getPackedSigned(param(PARAM_KIND), 36); }

int32_t CObject::getParamCellKey() { return (param(2) >> 14) * 256 + (param(1) >> 14); }

void CObject::onScriptOpcode169(int32_t /*op*/, int32_t operand) {
    if (operand == 0 && param(18) == 0) Game::setObjectAiMode(this, 1);
}

void CObject::countIfMatches(CObject* other) {
    if (m_type != 33 || param(PARAM_ENABLED) != 1) return;
    if (isNull(other)) return;
    const int32_t k = param(3), v = param(5);
    bool match = false;
    switch (param(4)) {
        case 0: match = other->param(k) == v; break;
        case 1: match = other->param(k) == v && other->param(17) != v; break;
        default: break;
    }
    if (match) setParam(10, param(10) + 1);
}

int32_t CObject::actionAnimOffset(int32_t n, int32_t phase) {
    auto* records = static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_actionRecords, param(PARAM_KIND)));
    if (isNull(records)) return 0;
    int32_t sum = 0;
    for (int32_t r = 0; r < records->length; ++r) {
        Object* record = records->elements()[r];
        const int32_t kind = recordEntry(record, 4);
        if (kind == 9 || kind == 10) sum += 4;
        if (r < n) {
            for (int32_t e = 11; e <= 13; ++e)
                if (recordEntry(record, e) >= 0) sum += 4;
        }
    }
    Object* current = JArray::getRef(records, n);
    if (isNull(current)) return sum;
    if (recordEntry(current, 11) >= 0 && phase >= 1) sum += 4;
    if (recordEntry(current, 12) >= 0 && phase >= 2) sum += 4;
    return sum;
}

// ---- the script-object list ----

int32_t CObject::directionOfListed(int32_t i) {
    const int32_t side = listedParam(i, 6);
    switch (side) {
        case 0: return kUp;
        case 1: return kDown;
        case 2: return kLeft;
        case 3: return kRight;
        default: return side;
    }
}

int32_t CObject::horizontalSpanOfListed(int32_t i, int32_t fallback) {
    const int32_t side = listedParam(i, 6);
    return side == 2 || side == 3 ? listedParam(i, 8) << 19 : fallback;
}

int32_t CObject::verticalSpanOfListed(int32_t i, int32_t /*fallback*/) {
    const int32_t side = listedParam(i, 6);
    return side == 0 || side == 1 ? listedParam(i, 8) << 19 : 0;
}

int32_t CObject::findFreeEffectInstance() {
    ObjectArray* instances = statics.s_effectInstances;
    if (isNull(instances)) return -1;
    for (int32_t i = 0; i < instances->length; ++i) {
        auto* e = static_cast<ASpriteInstance*>(instances->elements()[i]);
        if (!isNull(e) && e->anim < 0) return i;
    }
    return -1;
}
