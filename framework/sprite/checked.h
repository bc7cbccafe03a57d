// Checked reads of sprite tables for the painter and the look-ups: an index outside the array
// raises ArrayIndexOutOfBoundsException as the pending exception, a missing array is reported
// ("NullPointer"); either way the read gives 0 and `ok` turns false, so the caller stops before
// using it. With `once` set (the painter's per-paint flag) only the first failure of a paint
// raises or reports; later ones fail quietly, so bad data repeated over many leaves costs one
// exception and one log line.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"

namespace mrc::sprite {

struct Checked {
    bool ok = true;
    bool* once = nullptr;

    bool in(JArray* a, int32_t i) {
        if (once && *once) {
            if (!isNull(a) && i >= 0 && i < a->length && a->data) return true;
        } else if (arrayAccessOk(a, i)) {
            return true;
        } else if (once) {
            *once = true;
        }
        ok = false;
        return false;
    }
    int32_t b(ByteArray* a, int32_t i) { return in(a, i) ? a->elements()[i] : 0; }
    int32_t ub(ByteArray* a, int32_t i) { return in(a, i) ? uint8_t(a->elements()[i]) : 0; }
    int32_t s(ShortArray* a, int32_t i) { return in(a, i) ? a->elements()[i] : 0; }
    int32_t i(IntArray* a, int32_t i) { return in(a, i) ? a->elements()[i] : 0; }
    Object* ref(ObjectArray* a, int32_t i) { return in(a, i) ? a->elements()[i] : nullptr; }
    void set(IntArray* a, int32_t i, int32_t v) {
        if (in(a, i)) a->elements()[i] = v;
    }
};

// Element i of an object array without reports: null outside it or for a missing array.
inline Object* slotOrNull(ObjectArray* a, int32_t i) {
    if (isNull(a) || i < 0 || i >= a->length || !a->data) return nullptr;
    Object* o = a->elements()[i];
    return isNull(o) ? nullptr : o;
}

}  // namespace mrc::sprite
