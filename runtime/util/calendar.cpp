#include "runtime/util/calendar.h"

#include <algorithm>
#include <cstdlib>

#include "host/core/clock.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/calendar_text.h"
#include "runtime/util/date.h"
#include "runtime/util/library_support.h"
#include "runtime/util/millis.h"
#include "runtime/util/time_zone.h"

using namespace mrc;

namespace {

// Days before each month, common and leap years.
constexpr int32_t kDaysBefore[2][12] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                        {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
// Julian day number of the day before 1 January of year 1 (Julian), the base of the day count.
constexpr int64_t kJulianDayBase = 1721423;
// The Julian day whose milliseconds sit at the edge of the 64-bit range: its calendar is kept.
constexpr int64_t kEdgeJulianDay = -106749550580LL;

bool gregorianLeap(int64_t year) {
    return floorMod(year, 4) == 0 && (floorMod(year, 100) != 0 || floorMod(year, 400) == 0);
}

}  // namespace

// ---- construction ------------------------------------------------------------------------

void java_util_Calendar::Calendar() {
    pendingHour = -1;
    pendingAmPm = -1;
    zone = java_util_TimeZone::getDefault();
    time = floorDiv(host::currentTimeMillis(), 1000) * 1000;
    isTimeSet = true;
    computeFields();
}

java_util_Calendar* java_util_Calendar::getInstance() {
    auto* calendar = newObject<java_util_Calendar>();
    if (calendar) calendar->Calendar();
    return calendar;
}

java_util_Calendar* java_util_Calendar::getInstanceInZone(java_util_TimeZone* value) {
    java_util_Calendar* calendar = getInstance();
    if (!calendar) return nullptr;
    calendar->zone = value;
    calendar->computeFields();
    return calendar;
}

// ---- fields ------------------------------------------------------------------------------

int32_t java_util_Calendar::millisInDay() const {
    return ((hourOfDay() * 60 + static_cast<int32_t>((timeWord >> 16) & 0x3F)) * 60 +
            static_cast<int32_t>((timeWord >> 10) & 0x3F)) *
               1000 +
           static_cast<int32_t>(timeWord & 0x3FF);
}

void java_util_Calendar::setHourBits(int32_t hour) {
    timeWord = (timeWord & ~(0x1Fu << 22)) | ((static_cast<uint32_t>(hour) & 0x1F) << 22);
}

bool java_util_Calendar::timeKnown() {
    if (!isTimeSet) computeTime();
    return isTimeSet;
}

void java_util_Calendar::ensureDayOfWeek() {
    if (dayOfWeek != 0) return;
    if (timeKnown()) computeFields();
}

int32_t java_util_Calendar::get(int32_t field) {
    switch (field) {
    case YEAR: return year();
    case MONTH: return month();
    case DATE: return day();
    case DAY_OF_WEEK: ensureDayOfWeek(); return dayOfWeek;
    case AM_PM: return hourOfDay() >= 12 ? 1 : 0;
    case HOUR: {
        int32_t h = hourOfDay() % 12;
        return h == 0 ? 12 : h;
    }
    case HOUR_OF_DAY: return hourOfDay();
    case MINUTE: return static_cast<int32_t>((timeWord >> 16) & 0x3F);
    case SECOND: return static_cast<int32_t>((timeWord >> 10) & 0x3F);
    case MILLISECOND: return static_cast<int32_t>(timeWord & 0x3FF);
    default: raise(kClass_java_lang_ArrayIndexOutOfBoundsException); return 0;
    }
}

void java_util_Calendar::set(int32_t field, int32_t value) {
    switch (field) {
    case YEAR: case MONTH: case DATE: case AM_PM: case HOUR: case HOUR_OF_DAY: case MINUTE: case SECOND:
    case MILLISECOND: break;
    default: raise(kClass_java_lang_ArrayIndexOutOfBoundsException); return;
    }
    isTimeSet = false;
    dayOfWeek = 0;
    fieldsSet = 0;
    const auto bits = static_cast<uint32_t>(value);
    auto putTime = [&](int shift, uint32_t mask) { timeWord = (timeWord & ~(mask << shift)) | ((bits & mask) << shift); };
    auto putDate = [&](int shift, uint32_t mask) {
        dateWord = static_cast<int32_t>((static_cast<uint32_t>(dateWord) & ~(mask << shift)) | ((bits & mask) << shift));
    };
    switch (field) {
    case YEAR: dateWord = static_cast<int32_t>((static_cast<uint32_t>(dateWord) & 0x1FF) | (bits << 9)); break;
    case MONTH: putDate(5, 0xF); break;
    case DATE: putDate(0, 0x1F); break;
    case MINUTE: putTime(16, 0x3F); break;
    case SECOND: putTime(10, 0x3F); break;
    case MILLISECOND: putTime(0, 0x3FF); break;
    case HOUR_OF_DAY:
        setHourBits(static_cast<int32_t>(floorMod(value, 24)));
        pendingHour = pendingAmPm = -1;
        break;
    case HOUR: {
        int32_t h = std::min(value, 12);
        if (pendingAmPm == -1) {
            setHourBits(h);
            pendingHour = h;
            break;
        }
        if (pendingAmPm != 0) {
            setHourBits(h == 12 ? 12 : h + 12);
        } else {
            setHourBits(h == 12 ? 0 : h);
        }
        pendingHour = pendingAmPm = -1;
        break;
    }
    case AM_PM: {
        if (pendingHour == -1) {
            pendingAmPm = value;
            break;
        }
        int32_t h = pendingHour;
        if (value == 0 && h == 12) h = 0;
        if (value != 0 && h != 12) h += 12;
        setHourBits(h);
        pendingHour = pendingAmPm = -1;
        break;
    }
    default: break;
    }
}

// ---- time --------------------------------------------------------------------------------

int64_t java_util_Calendar::getTimeInMillis() {
    timeKnown();
    return time;
}

void java_util_Calendar::setTimeInMillis(int64_t millis) {
    time = millis;
    isTimeSet = true;
    dayOfWeek = 0;
    computeFields();
}

java_util_Date* java_util_Calendar::getTime() {
    int64_t t = getTimeInMillis();
    if (lib::exceptionPending()) return nullptr;
    if (isNull(cachedDate)) {
        cachedDate = java_util_Date::newInstance(t);
    } else {
        cachedDate->setTime(t);
    }
    return cachedDate;
}

void java_util_Calendar::setTime(java_util_Date* date) {
    if (lib::isNullReported(date)) return;
    int64_t t = date->getTime();
    if (lib::exceptionPending()) return;
    setTimeInMillis(t);
}

void java_util_Calendar::setTimeZone(java_util_TimeZone* value) {
    zone = value;
    if (!timeKnown()) return;
    computeFields();
}

bool java_util_Calendar::equals(Object* other) {
    if (other == this) return true;
    if (!Object::instanceOf(other, kClass_java_util_Calendar)) return false;
    auto* that = static_cast<java_util_Calendar*>(other);
    int64_t mine = getTimeInMillis();
    int64_t theirs = that->getTimeInMillis();
    if (lib::exceptionPending() || mine != theirs) return false;
    if (lib::isNullReported(zone)) return false;
    return zone->equals(that->zone);
}

bool java_util_Calendar::before(Object* other) {
    if (!Object::instanceOf(other, kClass_java_util_Calendar)) return false;
    int64_t mine = getTimeInMillis();
    return mine < static_cast<java_util_Calendar*>(other)->getTimeInMillis();
}

bool java_util_Calendar::after(Object* other) {
    if (!Object::instanceOf(other, kClass_java_util_Calendar)) return false;
    int64_t mine = getTimeInMillis();
    return mine > static_cast<java_util_Calendar*>(other)->getTimeInMillis();
}

// ---- the conversions ---------------------------------------------------------------------

int64_t java_util_Calendar::computeJulianDay(bool isGregorian, int32_t y) {
    int64_t year = y;
    int32_t m = month();
    if (m >= 12) {
        year += m / 12;
        m %= 12;
    }
    int64_t jd = (year - 1) * 365 + floorDiv(year - 1, 4) + kJulianDayBase;
    bool leap = floorMod(year, 4) == 0;
    if (isGregorian) {
        leap = leap && (floorMod(year, 100) != 0 || floorMod(year, 400) == 0);
        jd += floorDiv(year - 1, 400) - floorDiv(year - 1, 100) + 2;
    }
    return jd + kDaysBefore[leap ? 1 : 0][m] + day();
}

void java_util_Calendar::computeTime() {
    if (lib::isNullReported(zone)) return;
    const int32_t y = year();
    bool gregorian = y >= 1582;
    int64_t jd = computeJulianDay(gregorian, y);
    int64_t ms = (jd - kEpochJulianDay) * kMillisPerDay;
    // Dates of 1582 before the cut-over, and the skipped days after it, are Julian.
    if (gregorian != (ms >= kGregorianCutover) && jd != kEdgeJulianDay) {
        jd = computeJulianDay(!gregorian, y);
        ms = (jd - kEpochJulianDay) * kMillisPerDay;
    }
    ms += millisInDay();
    const int32_t raw = zone->getRawOffset();
    int64_t weekday = (jd + 1) % 7;
    if (weekday < 0) weekday += 7;
    int32_t offset = zone->getOffset(1, y, month(), day(), static_cast<int32_t>(weekday) + 1,
                                     static_cast<int32_t>(floorMod(ms, kMillisPerDay)));
    if (lib::exceptionPending()) return;
    const int32_t dst = offset - raw;
    time = ms - dst - raw;
    dstOffset = dst;
    fieldsSet = 1;
    isTimeSet = true;
}

void java_util_Calendar::computeFields(int64_t local) {
    const int64_t days = floorDiv(local, kMillisPerDay);
    int64_t y;
    int64_t dayOfYear;
    bool leap;
    int64_t weekday;
    if (local >= kGregorianCutover) {
        // Day 0 is Monday, 1 January of year 1.
        const int64_t d = days + 719162;
        int64_t r = floorMod(d, 146097);
        const int64_t c400 = floorDiv(d, 146097);
        const int64_t c100 = r / 36524;
        r %= 36524;
        const int64_t c4 = r / 1461;
        r %= 1461;
        const int64_t c1 = r / 365;
        r %= 365;
        y = 400 * c400 + 100 * c100 + 4 * c4 + c1;
        if (c100 == 4 || c1 == 4) {
            dayOfYear = 365;  // the last day of a leap cycle
        } else {
            dayOfYear = r;
            ++y;
        }
        leap = gregorianLeap(y);
        weekday = (d + 1) % 7;
    } else {
        const int64_t d = days + 719164;
        y = floorDiv(4 * d + 1464, 1461);
        dayOfYear = d - (365 * (y - 1) + floorDiv(y - 1, 4));
        leap = floorMod(y, 4) == 0;
        weekday = (d - 1) % 7;
    }
    const int64_t march1 = leap ? 60 : 59;
    const int64_t correction = dayOfYear < march1 ? 0 : (leap ? 1 : 2);
    const auto m = static_cast<int32_t>((12 * (dayOfYear + correction) + 6) / 367);
    const auto d = static_cast<int32_t>(dayOfYear - kDaysBefore[leap ? 1 : 0][m] + 1);
    weekday += weekday < 0 ? 8 : 1;
    dateWord = static_cast<int32_t>((static_cast<uint32_t>(y) << 9) | (static_cast<uint32_t>(m) << 5) |
                                    static_cast<uint32_t>(d));
    dayOfWeek = static_cast<int32_t>(weekday);
}

void java_util_Calendar::computeFields() {
    if (lib::isNullReported(zone)) return;
    const int32_t raw = zone->getRawOffset();
    const int64_t local = saturatingAdd(time, raw);
    const int32_t oldDate = dateWord;
    const int32_t oldDayOfWeek = dayOfWeek;
    computeFields(local);
    const int64_t dayMillis = floorMod(local, kMillisPerDay);
    int32_t offset = zone->getOffset(1, year(), month(), day(), dayOfWeek, static_cast<int32_t>(dayMillis));
    if (lib::exceptionPending()) {
        dateWord = oldDate;
        dayOfWeek = oldDayOfWeek;
        return;
    }
    const int32_t dst = offset - raw;
    dstOffset = dst;
    fieldsSet = 1;
    int64_t m = dayMillis + dst;
    if (m >= kMillisPerDay) {
        computeFields(saturatingAdd(local, dst));
        m -= kMillisPerDay;
    }
    timeWord = (static_cast<uint32_t>(m / 3600000) << 22) | (static_cast<uint32_t>((m / 60000) % 60) << 16) |
               (static_cast<uint32_t>((m / 1000) % 60) << 10) | static_cast<uint32_t>(m % 1000);
}

void java_util_Calendar::computeDstOffset() {
    ensureDayOfWeek();
    if (lib::exceptionPending() || lib::isNullReported(zone)) return;
    int32_t offset = zone->getOffset(1, year(), month(), day(), dayOfWeek, millisInDay());
    if (lib::exceptionPending()) return;
    dstOffset = offset - zone->getRawOffset();
    fieldsSet = 1;
}

// ---- text --------------------------------------------------------------------------------

String* java_util_Calendar::toText(java_util_Calendar* calendar) {
    if (isNull(calendar)) return lib::constant(kNullTextConstant);
    StringBuffer* text = newStringBuffer();
    if (!text) return nullptr;
    const int32_t fields[] = {MONTH, DATE, HOUR_OF_DAY, MINUTE, SECOND};
    appendYear(text, calendar->get(YEAR));
    text->appendChar(u' ');
    for (int32_t field : fields) {
        appendTwoDigits(text, calendar->get(field) + (field == MONTH ? 1 : 0));
        text->appendChar(u' ');
    }
    int32_t raw = isNull(calendar->zone) ? 0 : calendar->zone->getRawOffset();
    text->appendChar(raw < 0 ? u'-' : u'+');
    const int64_t magnitude = std::abs(static_cast<int64_t>(raw));
    appendTwoDigits(text, static_cast<int32_t>(magnitude / 3600000));
    appendTwoDigits(text, static_cast<int32_t>(magnitude / 60000 % 60));
    return text->toString();
}
