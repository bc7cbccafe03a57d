#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/lang/throwable.h"

namespace mrc {

// The class-id factories of java.lang's classes, the exceptions of java.io and java.util, and the
// timer's thread; the runtime's start-up registers them.
void registerLangClasses();

// Every exception class shares Throwable's layout: the factory stamps the id.
template <uint16_t Id>
void addThrowable() {
    NewInstanceFactory::setFactory(Id, [] { return static_cast<Object*>(newThrowable(Id)); });
}

}  // namespace mrc
