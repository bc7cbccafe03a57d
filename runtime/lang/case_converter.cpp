#include "runtime/lang/case_converter.h"

bool com_sun_cldc_i18n_uclc_DefaultCaseConverter::isLowerCase(char16_t c) {
    return (c >= 97 && c <= 122) || (c >= 223 && c <= 246) || (c >= 248 && c <= 255);
}

bool com_sun_cldc_i18n_uclc_DefaultCaseConverter::isUpperCase(char16_t c) {
    return (c >= 65 && c <= 90) || (c >= 192 && c <= 214) || (c >= 216 && c <= 222);
}

bool com_sun_cldc_i18n_uclc_DefaultCaseConverter::isDigit(char16_t c) { return c >= 48 && c <= 57; }

char16_t com_sun_cldc_i18n_uclc_DefaultCaseConverter::toLowerCase(char16_t c) {
    return isUpperCase(c) ? static_cast<char16_t>(c + 32) : c;
}

char16_t com_sun_cldc_i18n_uclc_DefaultCaseConverter::toUpperCase(char16_t c) {
    return isLowerCase(c) ? static_cast<char16_t>(c - 32) : c;
}

int32_t com_sun_cldc_i18n_uclc_DefaultCaseConverter::digit(char16_t c, int32_t radix) {
    if (radix < 2 || radix > 36) return -1;
    int32_t value = -1;
    if (isDigit(c)) {
        value = c - 48;
    } else if (isUpperCase(c) || isLowerCase(c)) {
        value = (c & 31) + 9;
    }
    return value < radix ? value : -1;
}
