// The Latin-1 case rules of the library (com.sun.cldc.i18n.uclc.DefaultCaseConverter), which
// java.lang.Character uses. They are kept as they stand, quirks included: 223 and 255 count as
// lower case, so toUpperCase(223) is 191 and toUpperCase(255) is 223; 215 and 247 are neither.
#pragma once

#include <cstdint>

class com_sun_cldc_i18n_uclc_DefaultCaseConverter {
public:
    static bool isLowerCase(char16_t c);  // 97-122, 223-246, 248-255
    static bool isUpperCase(char16_t c);  // 65-90, 192-214, 216-222
    static bool isDigit(char16_t c);      // 48-57
    static char16_t toLowerCase(char16_t c);
    static char16_t toUpperCase(char16_t c);
    // For radix 2-36: c - 48 for a digit, (c & 31) + 9 for a letter by the rules above, when
    // below the radix; -1 otherwise and for any other radix.
    static int32_t digit(char16_t c, int32_t radix);
};
