// Small helpers shared by the sound reader and the sound manager.
#pragma once

#include "runtime/core/application.h"
#include "runtime/core/object.h"
#include "runtime/core/object_manager.h"
#include "runtime/heap/memory_manager.h"

namespace mrc::sound {

inline Application* app() { return ApplicationImpl::getApplication(); }
inline ObjectManager* objects() { return app()->objectManager; }

// After a stream or player call: true when it left an Exception, which is then caught (the
// caller traces it). Anything else stays pending for the game's handlers.
inline bool callFailed() {
    Object* pending = app()->getPendingException();
    if (!pending) return false;
    if (Object::instanceOf(pending, kClass_java_lang_Exception)) app()->clearPendingException();
    return true;
}

// Sizes a pack claims are trusted only as far as the data heap could hold them.
inline bool fitsDataHeap(int64_t size) {
    MemoryManager* heap = app()->dataHeap;
    return heap && size <= int64_t(heap->size()) - heap->used();
}

}  // namespace mrc::sound
