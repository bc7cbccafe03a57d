// The common shape of the nine array classes: the header, the length, and the element buffer,
// which lives on the movable data heap with this `data` field as its owner slot.
#pragma once

#include "runtime/core/object.h"

// Abstract: each array class has its own id. `data` is not a reference field for the collector;
// only ObjectArray's elements are, and the marker visits those itself.
class JArray : public Object {
public:
    using Base = Object;
    virtual int32_t elementSize() = 0;  // slot 6

    int32_t length;
    void* data;
};

namespace mrc {

// Checked element access: a null (or swept) array is reported as "NullPointer"; an index outside
// the array raises java_lang_ArrayIndexOutOfBoundsException as the pending exception. Either way
// the caller skips the access.
bool arrayAccessOk(JArray* array, int32_t index);

template <class T>
T* arrayElements(JArray* array) {
    return static_cast<T*>(array->data);
}

}  // namespace mrc
