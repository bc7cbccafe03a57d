#include "runtime/util/time_zone.h"

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/core/synchronized.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace mrc {

ZoneStatics zoneStatics;

void registerZoneStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("java_util_TimeZone", &zoneStatics);
}

}  // namespace mrc

namespace {

constexpr int8_t kMonthLengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

ObjectManager* om() { return ApplicationImpl::getApplication()->objectManager; }

// IllegalArgumentException whose message is string constant n followed by the value.
void raiseWithValue(int32_t n, int32_t value) {
    StringBuffer* text = newStringBuffer();
    if (!text) return;
    text->appendString(lib::constant(n));
    text->appendInt(value);
    raise(kClass_java_lang_IllegalArgumentException, text->toString());
}

// The calendar's rule: Julian up to 1582, Gregorian after.
bool isLeapYear(int32_t year) {
    if ((year & 3) != 0) return false;
    return year <= 1582 || year % 100 != 0 || year % 400 == 0;
}

ByteArray* sharedMonthLength() {
    if (ByteArray* table = loadShared(zoneStatics.monthLength)) return table;
    ByteArray* table = om()->newByteArray(12);
    if (isNull(table)) return nullptr;
    for (int i = 0; i < 12; ++i) table->elements()[i] = kMonthLengths[i];
    return publishShared(zoneStatics.monthLength, table);
}

java_util_TimeZoneImpl* newStaticZone(int32_t idConstant) {
    auto* zone = newObject<java_util_TimeZoneImpl>();
    if (!zone) return nullptr;
    zone->ID = lib::constant(idConstant);
    zone->monthLength = loadShared(zoneStatics.monthLength);
    zone->dstSavings = java_util_TimeZoneImpl::kDefaultDstSavings;
    return zone;
}

// The static zone data, built by the first zone constructed.
void buildZoneStatics() {
    if (!sharedMonthLength() || loadShared(zoneStatics.zones)) return;
    ObjectArray* zones = om()->newObjectArray(kClass_java_util_TimeZoneImpl, 2);
    if (isNull(zones)) return;
    for (int i = 0; i < 2; ++i) {
        java_util_TimeZoneImpl* zone = newStaticZone(java_util_TimeZoneImpl::kZoneIdConstants[i]);
        if (!zone) return;
        zones->elements()[i] = zone;
    }
    publishShared(zoneStatics.zones, zones);
}

}  // namespace

// ---- TimeZone ----------------------------------------------------------------------------

java_util_TimeZone* java_util_TimeZone::getDefault() {
    if (java_util_TimeZone* zone = loadShared(zoneStatics.defaultZone)) return zone;
    java_util_TimeZone* zone = java_util_TimeZoneImpl::newInstance();
    if (!zone) return nullptr;
    return publishShared(zoneStatics.defaultZone, zone);
}

ObjectArray* java_util_TimeZone::getAvailableIDs() {
    java_util_TimeZone* lockObject = getDefault();
    if (lib::isNullReported(lockObject)) return nullptr;
    Synchronized lock(lockObject);
    if (ObjectArray* ids = loadShared(zoneStatics.ids)) return ids;
    buildZoneStatics();
    ObjectArray* zones = loadShared(zoneStatics.zones);
    if (lib::isNullReported(zones)) return nullptr;
    ObjectArray* ids = om()->newObjectArray(kClass_String, zones->length);
    if (isNull(ids)) return nullptr;
    for (int32_t i = 0; i < zones->length; ++i)
        ids->elements()[i] = static_cast<java_util_TimeZone*>(zones->elements()[i])->getID();
    return publishShared(zoneStatics.ids, ids);
}

// ---- TimeZoneImpl: construction ----------------------------------------------------------

java_util_TimeZoneImpl* java_util_TimeZoneImpl::newInstance() {
    auto* zone = newObject<java_util_TimeZoneImpl>();
    if (zone) zone->TimeZoneImpl();
    return zone;
}

java_util_TimeZoneImpl* java_util_TimeZoneImpl::newInstance(int32_t rawOffset, String* ID, int32_t startMonth,
                                                            int32_t startDay, int32_t startDayOfWeek,
                                                            int32_t startTime, int32_t endMonth, int32_t endDay,
                                                            int32_t endDayOfWeek, int32_t endTime,
                                                            int32_t dstSavings) {
    auto* zone = newObject<java_util_TimeZoneImpl>();
    if (!zone) return nullptr;
    zone->TimeZoneImplWithRules(rawOffset, ID, startMonth, startDay, startDayOfWeek, startTime, endMonth, endDay,
                                endDayOfWeek, endTime, dstSavings);
    return lib::exceptionPending() ? nullptr : zone;
}

void java_util_TimeZoneImpl::TimeZoneImpl() { TimeZoneImplWithId(0, nullptr); }

void java_util_TimeZoneImpl::TimeZoneImplWithId(int32_t offset, String* id) {
    buildZoneStatics();
    monthLength = loadShared(zoneStatics.monthLength);
    dstSavings = kDefaultDstSavings;
    rawOffset = offset;
    ID = id;
}

void java_util_TimeZoneImpl::TimeZoneImplWithRules(int32_t offset, String* id, int32_t sMonth, int32_t sDay,
                                                   int32_t sDayOfWeek, int32_t sTime, int32_t eMonth, int32_t eDay,
                                                   int32_t eDayOfWeek, int32_t eTime, int32_t savings) {
    TimeZoneImplWithId(offset, id);
    startMonth = sMonth;
    startDay = sDay;
    startDayOfWeek = sDayOfWeek;
    startTime = sTime;
    endMonth = eMonth;
    endDay = eDay;
    endDayOfWeek = eDayOfWeek;
    endTime = eTime;
    dstSavings = savings;
    useDaylight = startDay != 0 && endDay != 0;
    bool ok = (startDay == 0 || decodeRule(startMonth, startDay, startDayOfWeek, startTime, startMode, kStartRuleConstants)) &&
              (endDay == 0 || decodeRule(endMonth, endDay, endDayOfWeek, endTime, endMode, kEndRuleConstants));
    if (ok && dstSavings <= 0) {
        lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kBadDstSavingsConstant);
        ok = false;
    }
    if (!ok) useDaylight = false;
}

bool java_util_TimeZoneImpl::decodeRule(int32_t& month, int32_t& day, int32_t& dayOfWeek, int32_t time, int32_t& mode,
                                        int32_t firstConstant) {
    if (month < 0 || month > 11) {
        raiseWithValue(firstConstant, month);
        return false;
    }
    if (time < 0 || time > kMillisPerDay) {
        raiseWithValue(firstConstant + 1, time);
        return false;
    }
    if (dayOfWeek == 0) {
        mode = kDayOfMonthMode;
    } else {
        if (dayOfWeek > 0) {
            mode = kDayOfWeekInMonthMode;
        } else {
            dayOfWeek = -dayOfWeek;
            if (day > 0) {
                mode = kDayOfWeekOnOrAfterMode;
            } else {
                day = -day;
                mode = kDayOfWeekOnOrBeforeMode;
            }
        }
        if (dayOfWeek > 7) {
            raiseWithValue(firstConstant + 2, dayOfWeek);
            return false;
        }
    }
    if (mode == kDayOfWeekInMonthMode) {
        if (day < -5 || day > 5) {
            raiseWithValue(firstConstant + 3, day);
            return false;
        }
    } else if (day < 1 || day > kMonthLengths[month]) {
        // A day before the first would place the rule at the month's start whatever it says.
        raiseWithValue(firstConstant + 4, day);
        return false;
    }
    return true;
}

// ---- TimeZoneImpl: offsets ---------------------------------------------------------------

int32_t java_util_TimeZoneImpl::getOffset(int32_t era, int32_t year, int32_t month, int32_t day, int32_t dayOfWeek,
                                          int32_t millis) {
    if (month < 0 || month > 11) {
        raiseWithValue(kBadMonthConstant, month);
        return 0;
    }
    // The shared table admits 29 February in any year; the rules are placed in the month as it
    // is, so that "the last Sunday of February" of a common year falls on a day it has.
    int32_t length = month == 1 && !isLeapYear(year) ? 28 : kMonthLengths[month];
    return offsetAt(era, year, month, day, dayOfWeek, millis, kMonthLengths[month], length);
}

int32_t java_util_TimeZoneImpl::offsetAt(int32_t era, int32_t year, int32_t month, int32_t day, int32_t dayOfWeek,
                                         int32_t millis, int32_t dayLimit, int32_t length) {
    if ((era != 0 && era != 1) || month < 0 || month > 11 || day < 1 || day > dayLimit || dayOfWeek < 1 ||
        dayOfWeek > 7 || millis < 0 || millis >= kMillisPerDay || dayLimit < 28 || dayLimit > 31) {
        lib::raiseWithConstant(kClass_java_lang_IllegalArgumentException, kBadArgumentsConstant);
        return 0;
    }
    int32_t result = rawOffset;
    if (!useDaylight || year < startYear || era != 1) return result;

    const bool southern = startMonth > endMonth;
    int32_t startCompare = compareToRule(month, length, day, dayOfWeek, millis, startMode, startMonth,
                                         startDayOfWeek, startDay, startTime);
    int32_t endCompare = 0;
    if (southern != (startCompare >= 0)) {
        // The end rule is in daylight time: standard time moved on by the saving, over midnight
        // into the next day (and past the month's end into the next month, December into 12).
        int64_t wall = static_cast<int64_t>(millis) + dstSavings;
        while (wall >= kMillisPerDay) {
            wall -= kMillisPerDay;
            ++day;
            dayOfWeek = 1 + dayOfWeek % 7;
            if (day > length) {
                day = 1;
                ++month;
            }
        }
        endCompare = compareToRule(month, length, day, dayOfWeek, static_cast<int32_t>(wall), endMode, endMonth,
                                   endDayOfWeek, endDay, endTime);
    }
    if ((!southern && startCompare >= 0 && endCompare < 0) || (southern && (startCompare >= 0 || endCompare < 0)))
        result += dstSavings;
    return result;
}

int32_t java_util_TimeZoneImpl::compareToRule(int32_t month, int32_t length, int32_t day, int32_t dayOfWeek,
                                              int32_t millis, int32_t mode, int32_t ruleMonth, int32_t ruleDayOfWeek,
                                              int32_t ruleDay, int32_t ruleMillis) {
    if (month < ruleMonth) return -1;
    if (month > ruleMonth) return 1;
    int32_t ruleDayOfMonth = 0;
    switch (mode) {
    case kDayOfMonthMode: ruleDayOfMonth = ruleDay; break;
    case kDayOfWeekInMonthMode:
        if (ruleDay > 0) {
            ruleDayOfMonth = (day - dayOfWeek + ruleDayOfWeek + 6) % 7 + 7 * ruleDay - 6;
        } else {
            ruleDayOfMonth = length + (ruleDay + 1) * 7 - (length - day - ruleDayOfWeek + dayOfWeek + 7) % 7;
        }
        break;
    case kDayOfWeekOnOrAfterMode:
        ruleDayOfMonth = ruleDay + (day - dayOfWeek - ruleDay + ruleDayOfWeek + 49) % 7;
        break;
    case kDayOfWeekOnOrBeforeMode:
        ruleDayOfMonth = ruleDay - (dayOfWeek - day - ruleDayOfWeek + ruleDay + 49) % 7;
        break;
    default: break;
    }
    if (day < ruleDayOfMonth) return -1;
    if (day > ruleDayOfMonth) return 1;
    if (millis < ruleMillis) return -1;
    if (millis > ruleMillis) return 1;
    return 0;
}
