// java.lang.Character: the boxed char, and the static character tests, which are those of the
// library's case converter.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/lang/construct.h"

class java_lang_Character : public Object {
public:
    MRC_CLASS(java_lang_Character, Object);

    void init(char16_t c) { value = c; }
    char16_t charValue() const { return value; }

    bool equals(Object* other) override;  // a Character with the same value
    int32_t hashCode() override { return value; }  // equal values hash alike, as Java defines it
    String* toString() override;          // a one-character String

    static bool isLowerCase(char16_t c);
    static bool isUpperCase(char16_t c);
    static bool isDigit(char16_t c);
    static char16_t toLowerCase(char16_t c);
    static char16_t toUpperCase(char16_t c);
    static int32_t digit(char16_t c, int32_t radix);

    char16_t value;
};

namespace mrc {
inline java_lang_Character* newCharacter(char16_t c) { return newConstructed<java_lang_Character>(c); }
}
