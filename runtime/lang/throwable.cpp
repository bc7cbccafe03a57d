#include "runtime/lang/throwable.h"

#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/system_class.h"

void java_lang_Throwable::init() {
    mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
    message = statics ? statics->stringConstantOrNull(kDefaultMessageConstant) : nullptr;
}

void java_lang_Throwable::init(String* text) { message = text; }

void java_lang_Throwable::initIndex(int32_t index) {
    mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
    StringBuffer* text = mrc::newStringBuffer();
    if (!text) return;
    text->appendString(statics->getStringConstant(kIndexMessageConstant));
    text->appendInt(index);
    message = text->toString();
}

void java_lang_Throwable::printStackTrace() { mrc::printOnSystemErr(stackTrace); }

void java_lang_Throwable::fillInStackTrace(java_lang_Throwable* throwable) {
    if (isNull(throwable)) return;
    mrc::Application* app = mrc::ApplicationImpl::getApplication();
    char text[512];
    app->stackTraceText(text, sizeof text);
    throwable->stackTrace = mrc::newString(text);
    app->setPendingException(throwable);
}

namespace mrc {

java_lang_Throwable* newThrowable(uint16_t classId, String* message) {
    java_lang_Throwable* t = newObject<java_lang_Throwable>(classId);
    if (t) t->message = message;
    return t;
}

java_lang_Throwable* newException(uint16_t classId) {
    java_lang_Throwable* t = newObject<java_lang_Throwable>(classId);
    if (t) t->init();
    return t;
}

void raise(uint16_t classId) {
    java_lang_Throwable* t = newException(classId);
    if (t) java_lang_Throwable::fillInStackTrace(t);
}

void raise(uint16_t classId, String* message) {
    java_lang_Throwable* t = newThrowable(classId, message);
    if (t) java_lang_Throwable::fillInStackTrace(t);
}

void raise(uint16_t classId, const char* message) {
    String* text = message ? newString(message) : nullptr;
    raise(classId, text);
}

}  // namespace mrc
