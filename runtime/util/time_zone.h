// java.util.TimeZone and its one concrete class TimeZoneImpl: a fixed raw offset and, optionally,
// a yearly daylight-saving period between a start rule and an end rule, each a month with a day
// given as a day of the month, the n-th (or n-th last) weekday, or the weekday on or after, or on
// or before, a day; rule times are wall-clock milliseconds of the day.
//
// Two static zones without daylight time (their IDs string constants) give the available IDs; the
// default zone has rawOffset 0, no daylight time and a null ID. Failures are raised as
// java_lang_IllegalArgumentException, their messages string constants (followed by the bad
// value where there is one).
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class ObjectArray;
class String;
class java_util_TimeZoneImpl;

class java_util_TimeZone : public Object {
public:
    MRC_CLASS(java_util_TimeZone, Object);

    // Slots 6-9. getOffset: the zone's offset from UTC, ms, at a standard local date and time.
    virtual int32_t getOffset(int32_t era, int32_t year, int32_t month, int32_t day, int32_t dayOfWeek,
                              int32_t millis) = 0;
    virtual int32_t getRawOffset() = 0;
    virtual bool useDaylightTime() = 0;
    virtual String* getID() = 0;

    // The default zone, made on first use; null only when the heap is exhausted.
    static java_util_TimeZone* getDefault();
    // A String[] of the two static zones' IDs, built once.
    static ObjectArray* getAvailableIDs();
};

class java_util_TimeZoneImpl : public java_util_TimeZone {
public:
    MRC_CLASS(java_util_TimeZoneImpl, java_util_TimeZone);
    MRC_REF_FIELDS(&java_util_TimeZoneImpl::ID, &java_util_TimeZoneImpl::monthLength);

    // Rule modes.
    static constexpr int32_t kDayOfMonthMode = 1;
    static constexpr int32_t kDayOfWeekInMonthMode = 2;
    static constexpr int32_t kDayOfWeekOnOrAfterMode = 3;
    static constexpr int32_t kDayOfWeekOnOrBeforeMode = 4;
    static constexpr int32_t kMillisPerDay = 86400000;
    static constexpr int32_t kDefaultDstSavings = 3600000;

    // Messages: the two static zones' IDs, a non-positive daylight saving, a month outside 0-11,
    // other bad getOffset arguments; each rule's five (month, time, day of week, week in month,
    // day), start rule first.
    static constexpr int32_t kZoneIdConstants[2] = {622, 623};
    static constexpr int32_t kBadDstSavingsConstant = 627;
    static constexpr int32_t kBadMonthConstant = 628;
    static constexpr int32_t kBadArgumentsConstant = 629;
    static constexpr int32_t kStartRuleConstants = 630;  // 630-634
    static constexpr int32_t kEndRuleConstants = 635;    // 635-639

    // new TimeZoneImpl(): the default zone's form.
    static java_util_TimeZoneImpl* newInstance();
    // new TimeZoneImpl(rawOffset, ID, ...rules..., dstSavings); null when the heap is exhausted
    // or the rules were refused (the exception then pending).
    static java_util_TimeZoneImpl* newInstance(int32_t rawOffset, String* ID, int32_t startMonth, int32_t startDay,
                                               int32_t startDayOfWeek, int32_t startTime, int32_t endMonth,
                                               int32_t endDay, int32_t endDayOfWeek, int32_t endTime,
                                               int32_t dstSavings);

    // The constructors. The static zone data are built by the first one to run.
    void TimeZoneImpl();
    void TimeZoneImplWithId(int32_t rawOffset, String* ID);
    // Both rules decoded; dstSavings <= 0 or a bad rule raises and leaves the zone without
    // daylight time.
    void TimeZoneImplWithRules(int32_t rawOffset, String* ID, int32_t startMonth, int32_t startDay,
                               int32_t startDayOfWeek, int32_t startTime, int32_t endMonth, int32_t endDay,
                               int32_t endDayOfWeek, int32_t endTime, int32_t dstSavings);

    // A month outside 0-11 raises (its message the constant and the month) and gives 0; other
    // arguments as the rule evaluation checks them.
    int32_t getOffset(int32_t era, int32_t year, int32_t month, int32_t day, int32_t dayOfWeek,
                      int32_t millis) override;
    int32_t getRawOffset() override { return rawOffset; }
    bool useDaylightTime() override { return useDaylight; }
    String* getID() override { return ID; }

    // -1, 0 or 1: the date before, at or after the rule's moment in its year.
    static int32_t compareToRule(int32_t month, int32_t length, int32_t day, int32_t dayOfWeek, int32_t millis,
                                 int32_t mode, int32_t ruleMonth, int32_t ruleDayOfWeek, int32_t ruleDay,
                                 int32_t ruleMillis);

    String* ID;
    bool customId;
    int32_t startMonth;
    int32_t startDay;
    int32_t startDayOfWeek;
    int32_t startTime;
    int32_t endMonth;
    int32_t endDay;
    int32_t endDayOfWeek;
    int32_t endTime;
    int32_t startYear;
    int32_t rawOffset;
    bool useDaylight;
    ByteArray* monthLength;  // shared: 31, 29, 31, 30, ...
    int32_t startMode;
    int32_t endMode;
    int32_t dstSavings;

private:
    // The rule evaluation: era 0 or 1, month 0-11, day 1 to `dayLimit`, dayOfWeek 1-7 (Sunday
    // first), millis of the standard day, dayLimit 28-31; anything else raises and gives 0. The
    // rules are placed in a month of `length` days.
    int32_t offsetAt(int32_t era, int32_t year, int32_t month, int32_t day, int32_t dayOfWeek, int32_t millis,
                     int32_t dayLimit, int32_t length);
    // Checks and decodes a rule in place; false (the exception raised) when it is refused.
    bool decodeRule(int32_t& month, int32_t& day, int32_t& dayOfWeek, int32_t time, int32_t& mode,
                    int32_t firstConstant);
};

namespace mrc {

// The statics of TimeZone and Date: the shared month-length table, the two static zones and
// their ID array, the default zone, and Date's name tables.
struct ZoneStatics {
    ByteArray* monthLength;
    ObjectArray* zones;
    ObjectArray* ids;
    java_util_TimeZone* defaultZone;
    ObjectArray* dayNames;
    ObjectArray* monthNames;
    MRC_REF_FIELDS(&ZoneStatics::monthLength, &ZoneStatics::zones, &ZoneStatics::ids, &ZoneStatics::defaultZone,
                   &ZoneStatics::dayNames, &ZoneStatics::monthNames);
};
extern ZoneStatics zoneStatics;

// Registers the block with StaticClass (idempotent; part of the runtime's own registration).
void registerZoneStatics();

// A static that more than one thread may build on first use: read it, or publish it once (the
// first value stays and is returned; a later builder's object is left to the collector).
template <class T>
T* loadShared(T*& field) {
    return std::atomic_ref<T*>(field).load(std::memory_order_acquire);
}
template <class T>
T* publishShared(T*& field, T* value) {
    T* expected = nullptr;
    if (std::atomic_ref<T*>(field).compare_exchange_strong(expected, value, std::memory_order_acq_rel)) return value;
    return expected;
}

}  // namespace mrc
