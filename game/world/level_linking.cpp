// Level data linking: after a level is loaded, the ids that its object parameters and event
// scripts hold are replaced in place by indices, so that play never looks an id up; and the
// speaker table read from the level pack.
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"

namespace {

constexpr int32_t kKindKey = 60;
constexpr int32_t kKindMessage = 64;
constexpr int32_t kNone = -1;

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

// A command of an event-script run: opcode, operand count N, N operands (16-bit LE, signed).
// Operands are read and written through the array at each access.
struct Command {
    ByteArray* script;
    int32_t offset;
    int32_t op() const { return JArray::getByte(script, offset) & 0xFF; }
    int32_t count() const { return JArray::getByte(script, offset + 1) & 0xFF; }
    bool has(int32_t n) const { return n >= 0 && n < count(); }
    int32_t operand(int32_t n) const {
        const int32_t at = offset + 2 + 2 * n;
        return static_cast<int16_t>((JArray::getByte(script, at) & 0xFF) | (JArray::getByte(script, at + 1) & 0xFF) << 8);
    }
    void setOperand(int32_t n, int32_t v) const {
        const int32_t at = offset + 2 + 2 * n;
        JArray::setByte(script, at, v);
        JArray::setByte(script, at + 1, v >> 8);
    }
    // A negative target operand takes the index of the id in the source operand.
    void fillFrom(ObjectArray* keys, int32_t target, int32_t source) const {
        if (has(target) && has(source) && operand(target) < 0) setOperand(target, Game::findIndex(keys, operand(source)));
    }
    void toGroupIndex(int32_t n) const {
        if (has(n)) setOperand(n, Game::findCinematicGroup(operand(n)));
    }
};

// The object type of a list code, read from an operand.
int32_t listTypeOf(const Command& c, int32_t n) { return c.has(n) ? Game::listCodeToType(c.operand(n)) : kNone; }

// The operand resolved by kind for opcodes 110-184, and that operand (kNone: none).
int32_t kindOf(const Command& c, int32_t& operand) {
    operand = 0;
    switch (c.op()) {
        case 110: case 112: case 118: case 119: case 170: case 173:
            operand = 1;
            return listTypeOf(c, 0);
        case 113: case 114: case 157: case 158: return 22;
        case 115: case 116: return 1;
        case 121: operand = 6; return 1;
        case 124: case 142: case 143: return 50;
        case 125: case 145: return 15;
        case 146: return 18;
        case 147: return Game::listCodeToType(3);
        case 148: return c.has(1) && c.operand(1) == 4 ? kKindKey : kNone;
        case 150: return 20;
        case 151: operand = 1; return 33;
        case 156: return kKindMessage;
        case 159: return 10;
        case 184: return kKindKey;
        default: return kNone;
    }
}

struct Link {
    int32_t j, k, m, f;
};

void link(ObjectArray* objects, ObjectArray* keys, int32_t i, Link l) {
    Game::resolveObjectKeyParam(objects, keys, i, l.j, l.k, l.m, l.f);
}

}  // namespace

void Game::buildGrid() {
    ByteArray* entry = readPackEntry(1);
    objects.s_speakers = nullptr;
    if (isNull(entry) || entry->length < 2) {
        mrc_log("Game::buildGrid: no speaker table in the level pack");
        return;
    }
    const int32_t columns = JArray::getByte(entry, 1) & 0xFF;
    const int32_t rowBytes = (columns + 1) * 2;
    const int32_t rows = entry->length / rowBytes;
    ObjectArray* table = om()->newObjectArray(mrc::kClass_IntArray, rows);
    if (table == nullptr) return;
    objects.s_speakers = table;  // reachable while its rows are made
    for (int32_t r = 0; r < rows; ++r) {
        IntArray* row = om()->newIntArray(columns);
        if (row == nullptr) return;
        JArray::setRef(table, r, row);
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t at = r * rowBytes + 2 + 2 * c;
            row->elements()[c] = static_cast<int16_t>((JArray::getByte(entry, at) & 0xFF) |
                                                      (JArray::getByte(entry, at + 1) & 0xFF) << 8);
        }
    }
}

void Game::resolveObjectKeyParam(ObjectArray* objects, ObjectArray* keys, int32_t i, int32_t j, int32_t k, int32_t m,
                                 int32_t f) {
    auto* o = static_cast<CObject*>(JArray::getRef(objects, i));
    if (isNull(o)) return;
    if (j >= 0 && o->param(j) >= 0) return;
    const int32_t index = findIndex(keys, o->param(k));
    if (index < 0 && o->m_type != 24 && o->m_type != 29) {
        if (f >= 0) o->setParam(f, 0);
        return;
    }
    o->setParam(m, index);
}

void Game::linkObjectKeys(ObjectArray* objects, ObjectArray* keys) {
    if (isNull(objects)) return;
    for (int32_t i = 0; i < objects->length; ++i) {
        auto* o = static_cast<CObject*>(objects->elements()[i]);
        if (isNull(o)) continue;
        switch (o->m_type) {
            case 22: link(objects, keys, i, {5, 6, 5, 0}); break;
            case 31:
                link(objects, keys, i, {5, 6, 5, 0});
                link(objects, keys, i, {7, 8, 7, 0});
                break;
            case 23: link(objects, keys, i, {3, 4, 3, 0}); break;
            case 24: link(objects, keys, i, {-1, 12, 12, -1}); break;
            case 25: case 26: case 32: case 36: link(objects, keys, i, {1, 2, 1, 0}); break;
            case 33:
                link(objects, keys, i, {1, 2, 1, 0});
                link(objects, keys, i, {8, 9, 8, -1});
                break;
            case 29: link(objects, keys, i, {13, 14, 13, 0}); break;
            case 69:
                if (o->param(2) >= 2) link(objects, keys, i, {-1, 2, 2, -1});
                else link(objects, keys, i, {6, 7, 6, 8});
                break;
            case 80: case 83: case 84: link(objects, keys, i, {-1, 6, 6, -1}); break;
            case 86:
                link(objects, keys, i, {-1, 6, 6, -1});
                link(objects, keys, i, {-1, 17, 17, -1});
                break;
            default: link(objects, keys, i, {6, 7, 6, 8}); break;
        }
    }
}

void Game::resolveIdInLevelData(ObjectArray* keys, ByteArray* script, int32_t offset, int32_t n, int32_t kind) {
    const Command c{script, offset};
    if (!c.has(n)) return;
    const int32_t id = c.operand(n);
    if (id <= 0) return;
    int32_t index;
    if (kind == kKindKey) index = findIndex(keys, id);
    else if (kind == kKindMessage) index = findMessageEntryById(id);
    else index = findObjectIndexById(kind, id);
    c.setOperand(n, index);
}

void Game::linkEventScript(ObjectArray* keys, ByteArray* script) {
    if (isNull(script)) return;
    for (int32_t offset = 0; offset + 2 <= script->length;) {
        const Command c{script, offset};
        const int32_t op = c.op();
        const int32_t next = offset + 2 + 2 * c.count();
        if (next > script->length) {
            mrc_log("Game::linkEventScript: command %d at %d runs past the %d bytes", op, offset, script->length);
            return;
        }
        offset = next;
        if (op >= 165 && op <= 169) {
            // The linker's only look-up table is the keys: the record's lists map through them.
            resolveRecordIdInData(script, op, c.offset, keys, keys);
            continue;
        }
        switch (op) {
            case 127: case 172: case 117: c.toGroupIndex(0); break;
            case 112: c.fillFrom(keys, 2, 3); break;
            case 113: c.fillFrom(keys, 1, 2); break;
            case 120: c.fillFrom(keys, 0, 1); break;
            case 121: case 122: c.fillFrom(keys, 4, 5); break;
            case 178:
                if (c.has(6) && c.operand(6) >= 0) c.fillFrom(keys, 5, 6);
                if (c.has(8) && c.operand(8) >= 0) c.fillFrom(keys, 7, 8);
                break;
            default: break;
        }
        if (op >= 110 && op <= 184) {
            int32_t operand = 0;
            const int32_t kind = kindOf(c, operand);
            if (kind != kNone) resolveIdInLevelData(keys, script, c.offset, operand, kind);
        }
        switch (op) {
            case 151: case 161: resolveIdInLevelData(keys, script, c.offset, 0, 62); break;
            case 118:
                if (const int32_t type = listTypeOf(c, 4); type != kNone) resolveIdInLevelData(keys, script, c.offset, 5, type);
                break;
            case 124: case 150: resolveIdInLevelData(keys, script, c.offset, 1, kKindKey); break;
            default: break;
        }
    }
}
