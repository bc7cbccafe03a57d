// `new T(args)` of translated code in one step: the object created, then its Java constructor
// (the method `init`) run with the arguments.
#pragma once

#include <new>

#include "runtime/core/object.h"

namespace mrc {

// Null when the object heap is exhausted.
template <class T, class... Args>
T* newConstructed(Args... args) {
    T* object = newObject<T>();
    if (object) object->init(args...);
    return object;
}

}  // namespace mrc
