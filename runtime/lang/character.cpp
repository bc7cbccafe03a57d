#include "runtime/lang/character.h"

#include "runtime/lang/case_converter.h"
#include "runtime/lang/string.h"

using CaseConverter = com_sun_cldc_i18n_uclc_DefaultCaseConverter;

bool java_lang_Character::equals(Object* other) {
    return Object::instanceOf(other, kClassId) && static_cast<java_lang_Character*>(other)->value == value;
}

String* java_lang_Character::toString() { return String::valueOfChar(value); }

bool java_lang_Character::isLowerCase(char16_t c) { return CaseConverter::isLowerCase(c); }
bool java_lang_Character::isUpperCase(char16_t c) { return CaseConverter::isUpperCase(c); }
bool java_lang_Character::isDigit(char16_t c) { return CaseConverter::isDigit(c); }
char16_t java_lang_Character::toLowerCase(char16_t c) { return CaseConverter::toLowerCase(c); }
char16_t java_lang_Character::toUpperCase(char16_t c) { return CaseConverter::toUpperCase(c); }
int32_t java_lang_Character::digit(char16_t c, int32_t radix) { return CaseConverter::digit(c, radix); }
