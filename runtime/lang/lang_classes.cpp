#include "runtime/lang/lang_classes.h"

#include "runtime/core/object.h"
#include "runtime/lang/boolean.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/thread.h"
#include "runtime/util/timer.h"

namespace mrc {

void registerLangClasses() {
    NewInstanceFactory::add<Object>();
    NewInstanceFactory::add<String>();
    NewInstanceFactory::add<StringBuffer>();
    NewInstanceFactory::add<java_lang_Boolean>();
    NewInstanceFactory::add<java_lang_Integer>();
    NewInstanceFactory::add<java_lang_Runtime>();
    NewInstanceFactory::add<java_lang_Thread>();
    NewInstanceFactory::add<java_util_TimerThread>();
    addThrowable<kClass_java_io_EOFException>();
    addThrowable<kClass_java_io_UTFDataFormatException>();
    addThrowable<kClass_java_lang_ArrayIndexOutOfBoundsException>();
    addThrowable<kClass_java_lang_Exception>();
    addThrowable<kClass_java_lang_IllegalArgumentException>();
    addThrowable<kClass_java_lang_IllegalStateException>();
    addThrowable<kClass_java_lang_IndexOutOfBoundsException>();
    addThrowable<kClass_java_lang_NullPointerException>();
    addThrowable<kClass_java_lang_RuntimeException>();
    addThrowable<kClass_java_lang_Throwable>();
    addThrowable<kClass_java_util_EmptyStackException>();
    addThrowable<kClass_java_util_NoSuchElementException>();
}

}  // namespace mrc
