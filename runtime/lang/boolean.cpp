#include "runtime/lang/boolean.h"

#include "runtime/core/application.h"
#include "runtime/core/static_class.h"

java_lang_Boolean::Statics java_lang_Boolean::statics;

void java_lang_Boolean::clinit() {
    statics.TRUE_ = mrc::newBoolean(true);
    statics.FALSE_ = mrc::newBoolean(false);
}

bool java_lang_Boolean::equals(Object* other) {
    return Object::instanceOf(other, kClassId) && static_cast<java_lang_Boolean*>(other)->value == value;
}

String* java_lang_Boolean::toString() {
    return mrc::ApplicationImpl::getApplication()->staticClass->getStringConstant(value ? kTrueConstant
                                                                                         : kFalseConstant);
}
