// The object side of the wrapper classes Integer, Long and Float.
#include "runtime/core/jarith.h"
#include "runtime/lang/numbers.h"
#include "runtime/lang/string.h"

bool java_lang_Integer::equals(Object* other) {
    return Object::instanceOf(other, kClassId) && static_cast<java_lang_Integer*>(other)->value == value;
}

String* java_lang_Integer::toString() { return toString(value); }

int64_t java_lang_Integer::longValue() { return value; }

bool java_lang_Long::equals(Object* other) {
    return Object::instanceOf(other, kClassId) && static_cast<java_lang_Long*>(other)->value == value;
}

String* java_lang_Long::toString() { return toString(value); }

int32_t java_lang_Float::intValue() const { return mrc::f2i(value); }
