// Number forms shared by the text forms of Date and Calendar.
#pragma once

#include <cstdint>

#include "runtime/lang/string_buffer.h"

namespace mrc {

// Two digits for 0-9 ("07"); larger and negative values as they are.
inline void appendTwoDigits(StringBuffer* text, int32_t value) {
    if (value >= 0 && value < 10) text->appendChar(u'0');
    text->appendInt(value);
}

// Four digits for the years 0-999 ("0476"); other years as they are.
inline void appendYear(StringBuffer* text, int32_t year) {
    if (year >= 0) {
        for (int32_t limit = 1000; limit > 1 && year < limit; limit /= 10) text->appendChar(u'0');
    }
    text->appendInt(year);
}

}  // namespace mrc
