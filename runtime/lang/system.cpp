#include "runtime/lang/system.h"

#include <cstring>

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/throwable.h"

void java_lang_System::arraycopy(Object* source, int32_t sourcePosition, Object* destination,
                                 int32_t destinationPosition, int32_t length) {
    mrc::Application* app = mrc::ApplicationImpl::getApplication();
    if (isNull(source) || isNull(destination)) {
        app->reportError("NullPointer");
        return;
    }
    if (!mrc::isArrayClass(source->m_classId) || source->m_classId != destination->m_classId) {
        mrc::raise(mrc::kClass_java_lang_ArrayStoreException);
        return;
    }
    auto* from = static_cast<JArray*>(source);
    auto* to = static_cast<JArray*>(destination);
    if (length < 0 || sourcePosition < 0 || destinationPosition < 0 ||
        int64_t{sourcePosition} + length > from->length || int64_t{destinationPosition} + length > to->length) {
        mrc::raise(mrc::kClass_java_lang_ArrayIndexOutOfBoundsException);
        return;
    }
    if (length == 0) return;
    auto size = static_cast<std::size_t>(mrc::arrayElementSize(source->m_classId));
    std::memmove(static_cast<char*>(to->data) + size * static_cast<std::size_t>(destinationPosition),
                 static_cast<const char*>(from->data) + size * static_cast<std::size_t>(sourcePosition),
                 size * static_cast<std::size_t>(length));
}

void java_lang_System::gc() { mrc::ApplicationImpl::getApplication()->objectManager->gc(0); }
