// The Java side of java.lang.Thread: its constructors, priority rules, join and text form.
#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/thread.h"
#include "runtime/lang/throwable.h"

void java_lang_Thread::init(Object* runnable) {
    priority = kNormalPriority;
    // A thread takes the priority of the thread that makes it; the runtime's own threads
    // without a Thread object give the normal one.
    java_lang_Thread* parent = currentThread();
    if (!isNull(parent)) priority = parent->getPriority();
    target = runnable;
    // A thread not yet started has no slot, so nothing changes at the platform yet.
    setPriority(priority);
}

void java_lang_Thread::init() { init(nullptr); }

void java_lang_Thread::setPriority(int32_t p) {
    if (p < kMinPriority || p > kMaxPriority) {
        mrc::raise(mrc::kClass_java_lang_IllegalArgumentException);
        return;
    }
    priority = p;
    setNativePriority(this, p);
}

void java_lang_Thread::join() {
    if (this == currentThread()) return;
    while (isAlive(this)) yield();
}

String* java_lang_Thread::toString() {
    mrc::StaticClass* statics = mrc::ApplicationImpl::getApplication()->staticClass;
    StringBuffer* text = mrc::newStringBuffer();
    if (!text) return nullptr;
    text->appendString(statics->getStringConstant(kTextOpenConstant));
    text->appendInt(hashCode());
    text->appendString(statics->getStringConstant(kTextPriorityConstant));
    text->appendInt(getPriority());
    text->appendString(statics->getStringConstant(kTextCloseConstant));
    return text->toString();
}
