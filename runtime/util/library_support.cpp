#include "runtime/util/library_support.h"

#include "runtime/core/application.h"
#include "runtime/core/array_base.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/throwable.h"

namespace mrc::lib {

namespace {
Application* app() { return ApplicationImpl::getApplication(); }
}  // namespace

bool exceptionPending() { return app()->getPendingException() != nullptr; }

bool dropPending(uint16_t classId) {
    Object* pending = app()->getPendingException();
    if (!pending || !Object::instanceOf(pending, classId)) return false;
    app()->clearPendingException();
    return true;
}

bool isNullReported(const Object* object) {
    if (!isNull(object)) return false;
    app()->reportError("NullPointer");
    return true;
}

String* constant(int32_t n) {
    StaticClass* statics = app()->staticClass;
    return statics ? statics->stringConstantOrNull(n) : nullptr;
}

void raiseWithConstant(uint16_t classId, int32_t n) { raise(classId, constant(n)); }

void raiseWithConstantAndValue(uint16_t classId, int32_t n, int32_t value) {
    StringBuffer* text = newStringBuffer();
    if (!text) return;
    text->appendString(constant(n));
    text->appendInt(value);
    raise(classId, text->toString());
}

void raiseArrayIndex(int32_t index) {
    java_lang_Throwable* t = newObject<java_lang_Throwable>(kClass_java_lang_ArrayIndexOutOfBoundsException);
    if (!t) return;
    t->initIndex(index);
    java_lang_Throwable::fillInStackTrace(t);
}

bool rangeOk(JArray* array, int32_t offset, int32_t length) {
    if (isNullReported(array)) return false;
    if (offset < 0 || length < 0 || static_cast<int64_t>(offset) + length > array->length) {
        raise(kClass_java_lang_IndexOutOfBoundsException);
        return false;
    }
    return true;
}

}  // namespace mrc::lib
