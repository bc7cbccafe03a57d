// java.util.Date: milliseconds held by a Calendar of its own. new Date() is the tick count (time
// since the device started), not the wall clock; the text form is "Thu Jan 01 00:00:00 GMT 1970"
// with the names and the zone text from string constants.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String;
class java_util_Calendar;

class java_util_Date : public Object {
public:
    MRC_CLASS(java_util_Date, Object);
    MRC_REF_FIELDS(&java_util_Date::calendar);

    // Texts of formatText: the day names (Sunday first), the month names, the zone of a
    // calendar whose zone has no ID, and the text of a null calendar.
    static constexpr int32_t kDayNameConstants = 603;    // 603-609
    static constexpr int32_t kMonthNameConstants = 610;  // 610-621
    static constexpr int32_t kNoZoneIdConstant = 624;
    static constexpr int32_t kNullCalendarConstant = 625;

    // The constructors: the tick count, or the given milliseconds.
    void DateNow();
    void DateAt(int64_t millis);
    static java_util_Date* newInstance();
    static java_util_Date* newInstance(int64_t millis);

    bool equals(Object* other) override;  // slot 1
    String* toString() override;         // slot 3
    int32_t hashCode() override;          // slot 4: high word XOR low word of the time

    int64_t getTime();
    void setTime(int64_t millis);

    static String* formatText(java_util_Calendar* calendar);

    java_util_Calendar* calendar;
    int64_t time;
};
