// java.util.Calendar: a proleptic Julian calendar up to 4 October 1582 and the Gregorian one from
// 15 October 1582 on, computed through Julian day numbers. The date and the time of day are kept
// packed in two words:
//     timeWord: millisecond bits 0-9, second 10-15, minute 16-21, hour of day 22-26;
//     dateWord: day of month bits 0-4, month (0 = January) 5-8, year from bit 9 (signed).
// Years are astronomical (year 0 is 1 BC). set() stores into the words without checking; the
// time is computed from them when asked for, and a date the zone refuses (month 12, day 0, ...)
// raises java_lang_IllegalArgumentException then.
//
// HOUR runs 1-12 (12 for the hours 0 and 12). A HOUR set without AM_PM is taken as given; an
// AM_PM that follows it (or a HOUR that follows an AM_PM) combines the two.
//
// No operation takes a monitor: callers sharing a Calendar between threads guard it.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String;
class java_util_Date;
class java_util_TimeZone;

class java_util_Calendar : public Object {
public:
    MRC_CLASS(java_util_Calendar, Object);
    MRC_REF_FIELDS(&java_util_Calendar::zone, &java_util_Calendar::cachedDate);

    // Field numbers.
    static constexpr int32_t YEAR = 1;
    static constexpr int32_t MONTH = 2;
    static constexpr int32_t DATE = 5;
    static constexpr int32_t DAY_OF_WEEK = 7;
    static constexpr int32_t AM_PM = 9;
    static constexpr int32_t HOUR = 10;
    static constexpr int32_t HOUR_OF_DAY = 11;
    static constexpr int32_t MINUTE = 12;
    static constexpr int32_t SECOND = 13;
    static constexpr int32_t MILLISECOND = 14;

    static constexpr int64_t kMillisPerDay = 86400000;
    // 15 October 1582 00:00 UTC, the first Gregorian day.
    static constexpr int64_t kGregorianCutover = -12219292800000LL;
    // Julian day number of 1 January 1970.
    static constexpr int64_t kEpochJulianDay = 2440588;
    // toText of a null calendar.
    static constexpr int32_t kNullTextConstant = 626;

    // The constructor: the default zone, the wall-clock time to the second, the fields computed.
    void Calendar();
    // new Calendar(); null when the heap is exhausted.
    static java_util_Calendar* getInstance();
    static java_util_Calendar* getInstanceInZone(java_util_TimeZone* zone);

    // Slot 1: the same object, or a Calendar of the same time whose zone equals this one's.
    bool equals(Object* other) override;
    // Slot 6: the date fields (and the day of the week) of local milliseconds.
    virtual void computeFields(int64_t localMillis);
    // Slot 7: the Julian day number of the date in dateWord, a month above 11 carried into the
    // year.
    virtual int64_t computeJulianDay(bool isGregorian, int32_t year);

    // A field outside the ten raises java_lang_ArrayIndexOutOfBoundsException (and gives 0).
    int32_t get(int32_t field);
    void set(int32_t field, int32_t value);

    int64_t getTimeInMillis();
    void setTimeInMillis(int64_t millis);
    // The calendar's one Date, set to its time.
    java_util_Date* getTime();
    void setTime(java_util_Date* date);
    java_util_TimeZone* getTimeZone() { return zone; }
    void setTimeZone(java_util_TimeZone* value);
    bool before(Object* other);
    bool after(Object* other);

    // The fields to the time; a date the zone refuses raises and leaves the calendar unchanged.
    void computeTime();
    // The time to the fields.
    void computeFields();
    // dstOffset for the fields as they are.
    void computeDstOffset();

    // "YYYY MM DD hh mm ss +hhmm" (the raw offset); a string constant for null.
    static String* toText(java_util_Calendar* calendar);

    uint32_t timeWord;
    int32_t dateWord;
    int32_t dayOfWeek;  // 1 (Sunday) to 7, 0 when not computed
    int32_t dstOffset;
    uint32_t fieldsSet;
    int64_t time;
    bool isTimeSet;
    java_util_TimeZone* zone;
    java_util_Date* cachedDate;
    int32_t pendingHour;
    int32_t pendingAmPm;

private:
    int32_t year() const { return dateWord >> 9; }
    int32_t month() const { return (dateWord >> 5) & 0xF; }
    int32_t day() const { return dateWord & 0x1F; }
    int32_t hourOfDay() const { return static_cast<int32_t>((timeWord >> 22) & 0x1F); }
    int32_t millisInDay() const;
    void setHourBits(int32_t hour);
    // DAY_OF_WEEK when it is not known yet: the time, then the fields.
    void ensureDayOfWeek();
    // The time, computed when it does not agree with the fields; false when that raised.
    bool timeKnown();
};
