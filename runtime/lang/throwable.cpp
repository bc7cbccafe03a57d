#include "runtime/lang/throwable.h"

#include "runtime/core/application.h"
#include "runtime/lang/string.h"

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

void raise(uint16_t classId, String* message) {
    java_lang_Throwable* t = newThrowable(classId, message);
    if (t) java_lang_Throwable::fillInStackTrace(t);
}

void raise(uint16_t classId, const char* message) {
    String* text = message ? newString(message) : nullptr;
    raise(classId, text);
}

}  // namespace mrc
