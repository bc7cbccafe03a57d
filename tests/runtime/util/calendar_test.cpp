// Calendar, Date and TimeZone: the packed fields and their HOUR/AM_PM rules, the cut-over, the
// clocks the constructors read, the zone's checks and rules, and the text forms. The field
// computations over many instants are compared with the JDK in the oracle test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/core/clock.h"
#include "runtime/core/arrays.h"
#include "runtime/util/calendar.h"
#include "runtime/util/date.h"
#include "runtime/util/time_zone.h"
#include "tests/runtime/util/date_fixture.h"

namespace {

using namespace mrc::test;
using Cal = java_util_Calendar;

class Calendars : public DateTest {
protected:
    static Cal* at(int64_t millis, java_util_TimeZone* zone = nullptr) {
        Cal* c = zone ? Cal::getInstanceInZone(zone) : Cal::getInstance();
        c->setTimeInMillis(millis);
        return c;
    }
    // "year-month-day hour:minute:second.ms dow" from get(), month counted from 1.
    static std::string fields(Cal* c) {
        char b[80];
        std::snprintf(b, sizeof b, "%d-%02d-%02d %02d:%02d:%02d.%03d %d", c->get(Cal::YEAR), c->get(Cal::MONTH) + 1,
                      c->get(Cal::DATE), c->get(Cal::HOUR_OF_DAY), c->get(Cal::MINUTE), c->get(Cal::SECOND),
                      c->get(Cal::MILLISECOND), c->get(Cal::DAY_OF_WEEK));
        return b;
    }
    static void setDate(Cal* c, int32_t y, int32_t m, int32_t d, int32_t h = 0, int32_t mi = 0, int32_t s = 0,
                        int32_t ms = 0) {
        c->set(Cal::YEAR, y);
        c->set(Cal::MONTH, m);
        c->set(Cal::DATE, d);
        c->set(Cal::HOUR_OF_DAY, h);
        c->set(Cal::MINUTE, mi);
        c->set(Cal::SECOND, s);
        c->set(Cal::MILLISECOND, ms);
    }
};

TEST_F(Calendars, EpochIsThursdayFirstOfJanuary1970) {
    Cal* c = Cal::getInstance();
    setDate(c, 1970, 0, 1);
    EXPECT_EQ(c->getTimeInMillis(), 0);
    EXPECT_EQ(fields(at(0)), "1970-01-01 00:00:00.000 5");
    EXPECT_EQ(fields(at(-1)), "1969-12-31 23:59:59.999 4");
}

TEST_F(Calendars, JulianBeforeTheCutOverGregorianFromIt) {
    const int64_t cutover = Cal::kGregorianCutover;
    struct Case {
        int64_t time;
        const char* fields;
    } cases[] = {
        {cutover, "1582-10-15 00:00:00.000 6"},
        {cutover - 1, "1582-10-04 23:59:59.999 5"},
        {cutover - kDay, "1582-10-04 00:00:00.000 5"},
        {cutover - 365 * kDay, "1581-10-05 00:00:00.000 5"},
        // Julian leap years: every fourth, year 0 (1 BC) included.
        {-62035977600000LL, "4-03-01 00:00:00.000 7"},
        {-62162294400000LL, "0-02-29 00:00:00.000 1"},
        {-62162208000000LL, "0-03-01 00:00:00.000 2"},
    };
    for (const Case& k : cases) {
        Cal* c = at(k.time);
        EXPECT_EQ(fields(c), k.fields) << k.time;
        Cal* back = Cal::getInstance();
        setDate(back, c->get(Cal::YEAR), c->get(Cal::MONTH), c->get(Cal::DATE), c->get(Cal::HOUR_OF_DAY),
                c->get(Cal::MINUTE), c->get(Cal::SECOND), c->get(Cal::MILLISECOND));
        EXPECT_EQ(back->getTimeInMillis(), k.time) << k.fields;
    }
    // The skipped days of October 1582 are read as Julian dates.
    Cal* skipped = Cal::getInstance();
    setDate(skipped, 1582, 9, 10);
    EXPECT_EQ(skipped->getTimeInMillis(), cutover + 5 * kDay);
}

TEST_F(Calendars, HourRunsOneToTwelveWithAmPm) {
    struct Case {
        int32_t hourOfDay, hour, amPm;
    } cases[] = {{0, 12, 0}, {1, 1, 0}, {11, 11, 0}, {12, 12, 1}, {13, 1, 1}, {23, 11, 1}};
    for (const Case& k : cases) {
        Cal* c = at(k.hourOfDay * kHour + 30 * 60000);
        EXPECT_EQ(c->get(Cal::HOUR), k.hour) << k.hourOfDay;
        EXPECT_EQ(c->get(Cal::AM_PM), k.amPm) << k.hourOfDay;
        EXPECT_EQ(c->get(Cal::HOUR_OF_DAY), k.hourOfDay);
    }
}

TEST_F(Calendars, HourAndAmPmCombineInEitherOrder) {
    struct Step {
        int32_t field, value;
    };
    struct Case {
        std::vector<Step> steps;
        int32_t hourOfDay;
    } cases[] = {
        {{{Cal::HOUR, 3}, {Cal::AM_PM, 1}}, 15},
        {{{Cal::AM_PM, 0}, {Cal::HOUR, 12}}, 0},
        {{{Cal::AM_PM, 1}, {Cal::HOUR, 12}}, 12},
        {{{Cal::AM_PM, 1}, {Cal::HOUR, 5}}, 17},
        {{{Cal::HOUR, 12}, {Cal::AM_PM, 0}}, 0},
        {{{Cal::HOUR, 12}, {Cal::AM_PM, 1}}, 12},
        {{{Cal::HOUR, 7}}, 7},
        {{{Cal::HOUR, 15}}, 12},             // at most 12
        {{{Cal::AM_PM, 1}}, 9},              // waits for an hour
        {{{Cal::HOUR_OF_DAY, 25}}, 1},
        {{{Cal::HOUR_OF_DAY, -1}}, 23},
        {{{Cal::HOUR, 3}, {Cal::HOUR_OF_DAY, 5}, {Cal::AM_PM, 1}}, 5},  // HOUR_OF_DAY drops the pending hour
        {{{Cal::AM_PM, 1}, {Cal::HOUR_OF_DAY, 5}, {Cal::HOUR, 2}}, 2},  // and the pending AM_PM
        {{{Cal::HOUR, 4}, {Cal::AM_PM, 1}, {Cal::AM_PM, 0}}, 16},       // the second AM_PM waits again
    };
    for (const Case& k : cases) {
        Cal* c = at(9 * kHour);
        std::string trace;
        for (const Step& s : k.steps) {
            c->set(s.field, s.value);
            trace += std::to_string(s.field) + "=" + std::to_string(s.value) + " ";
        }
        EXPECT_EQ(c->get(Cal::HOUR_OF_DAY), k.hourOfDay) << trace;
    }
}

TEST_F(Calendars, FieldsOutsideTheTenRaiseAndChangeNothing) {
    Cal* c = at(123456789);
    for (int32_t field : {0, 3, 4, 6, 8, 15, -1}) {
        EXPECT_EQ(c->get(field), 0);
        EXPECT_EQ(takeException(), "ArrayIndexOutOfBoundsException: default") << field;
        c->set(field, 1);
        EXPECT_EQ(takeException(), "ArrayIndexOutOfBoundsException: default") << field;
    }
    EXPECT_TRUE(c->isTimeSet);
    EXPECT_EQ(c->getTimeInMillis(), 123456789);
}

TEST_F(Calendars, SetStoresIntoThePackedBits) {
    Cal* c = at(0);
    c->set(Cal::YEAR, -44);
    c->set(Cal::MONTH, 17);        // 4 bits
    c->set(Cal::DATE, 33);         // 5 bits
    c->set(Cal::MINUTE, 64 + 7);   // 6 bits
    c->set(Cal::SECOND, 59);
    c->set(Cal::MILLISECOND, 1024 + 5);
    EXPECT_EQ(c->get(Cal::YEAR), -44);
    EXPECT_EQ(c->get(Cal::MONTH), 1);
    EXPECT_EQ(c->get(Cal::DATE), 1);
    EXPECT_EQ(c->get(Cal::MINUTE), 7);
    EXPECT_EQ(c->get(Cal::SECOND), 59);
    EXPECT_EQ(c->get(Cal::MILLISECOND), 5);
    EXPECT_FALSE(c->isTimeSet);
    EXPECT_EQ(c->dayOfWeek, 0);
    EXPECT_EQ(c->fieldsSet, 0u);
    // DAY_OF_WEEK computes the time and the fields again: 1 February 45 BC was a Monday (Julian).
    EXPECT_EQ(c->get(Cal::DAY_OF_WEEK), 2);
    EXPECT_EQ(c->getTimeInMillis(), -63553248000000LL + 7 * 60000 + 59000 + 5);
    EXPECT_TRUE(c->isTimeSet);
}

TEST_F(Calendars, MonthsPastDecemberCarryIntoTheYearButTheZoneRefusesThem) {
    Cal* c = at(0);
    setDate(c, 2023, 13, 5);
    EXPECT_EQ(c->computeJulianDay(true, 2023), Cal::kEpochJulianDay + 19758);  // 5 February 2024
    // The zone checks the month as it is stored.
    EXPECT_EQ(c->getTimeInMillis(), 0);
    EXPECT_EQ(takeException(), "IllegalArgumentException: Illegal month 13");
    EXPECT_FALSE(c->isTimeSet);
    c->set(Cal::MONTH, 1);
    c->set(Cal::DATE, 0);
    c->getTimeInMillis();
    EXPECT_EQ(takeException(), "IllegalArgumentException: Illegal arguments");
    // 29 February passes the zone in any year; in a common year it is 1 March.
    c->set(Cal::DATE, 29);
    EXPECT_EQ(c->getTimeInMillis(), 19417 * kDay);
    EXPECT_EQ(takeException(), "");
}

TEST_F(Calendars, ConstructorsReadTheWallClockAndTheTickCount) {
    host::ManualWallClock wall(1234567890123);
    host::ManualClock ticks(5000);
    Cal* now = Cal::getInstance();
    EXPECT_EQ(now->getTimeInMillis(), 1234567890000);
    EXPECT_EQ(fields(now), "2009-02-13 23:31:30.000 6");
    java_util_Date* date = java_util_Date::newInstance();
    EXPECT_EQ(date->getTime(), 5000);
    EXPECT_EQ(date->calendar->get(Cal::SECOND), 5);
    ticks.set(0xFFFFFFFFu);
    ticks.advance(2);  // the tick count wraps, the date goes on
    EXPECT_EQ(java_util_Date::newInstance()->getTime(), 0x100000001LL);
}

TEST_F(Calendars, ZoneChangesKeepTheInstantOrReadTheFieldsInTheNewZone) {
    java_util_TimeZone* cet = zone(kCentralEurope);
    Cal* c = at(0);
    c->setTimeZone(cet);
    EXPECT_EQ(c->getTimeInMillis(), 0);
    EXPECT_EQ(c->get(Cal::HOUR_OF_DAY), 1);
    // Fields set and not yet computed are read in the new zone.
    Cal* d = at(0);
    d->set(Cal::HOUR_OF_DAY, 5);
    d->setTimeZone(cet);
    EXPECT_EQ(d->getTimeInMillis(), 4 * kHour);
    EXPECT_EQ(d->getTimeZone(), cet);
    // Summer: the daylight offset is found.
    Cal* summer = at(1719835200000LL, cet);  // 2024-07-01 12:00 UTC
    EXPECT_EQ(summer->get(Cal::HOUR_OF_DAY), 14);
    EXPECT_EQ(summer->dstOffset, 3600000);
    summer->dstOffset = 0;
    summer->computeDstOffset();
    EXPECT_EQ(summer->dstOffset, 3600000);
}

TEST_F(Calendars, EqualsBeforeAndAfterCompareTimesAndZones) {
    java_util_TimeZone* cet = zone(kCentralEurope);
    Cal* a = at(1000);
    Cal* b = at(1000);
    Cal* later = at(2000);
    EXPECT_TRUE(a->equals(a));
    EXPECT_TRUE(a->equals(b));
    EXPECT_FALSE(a->equals(later));
    EXPECT_FALSE(a->equals(at(1000, cet)));
    EXPECT_FALSE(a->equals(java_util_Date::newInstance(1000)));
    EXPECT_FALSE(a->equals(nullptr));
    EXPECT_TRUE(a->before(later));
    EXPECT_FALSE(a->after(later));
    EXPECT_TRUE(later->after(a));
    EXPECT_FALSE(a->before(b));
    EXPECT_FALSE(a->before(java_util_Date::newInstance(5000)));
}

TEST_F(Calendars, GetTimeHandsOutOneDate) {
    Cal* c = at(777);
    java_util_Date* first = c->getTime();
    EXPECT_EQ(first->getTime(), 777);
    c->setTimeInMillis(888);
    EXPECT_EQ(c->getTime(), first);
    EXPECT_EQ(first->getTime(), 888);
    Cal* other = Cal::getInstance();
    other->setTime(first);
    EXPECT_EQ(other->getTimeInMillis(), 888);
}

TEST_F(Calendars, TextForms) {
    java_util_TimeZone* cet = zone(kCentralEurope);
    java_util_TimeZone* india = java_util_TimeZoneImpl::newInstance(-(5 * kHour + 30 * 60000), mrc::newString("X"),
                                                                    0, 0, 0, 0, 0, 0, 0, 0, 3600000);
    struct Case {
        int64_t time;
        java_util_TimeZone* zone;
        const char* date;
        const char* calendar;
    } cases[] = {
        {0, nullptr, "Thu Jan 01 00:00:00 GMT 1970", "1970 01 01 00 00 00 +0000"},
        {0, cet, "Thu Jan 01 01:00:00 CET 1970", "1970 01 01 01 00 00 +0100"},
        {1719835200000LL, cet, "Mon Jul 01 14:00:00 CET 2024", "2024 07 01 14 00 00 +0100"},
        {0, india, "Wed Dec 31 18:30:00 X 1969", "1969 12 31 18 30 00 -0530"},
        {-46974902400000LL, nullptr, "Wed Jun 03 00:00:00 GMT 0481", "0481 06 03 00 00 00 +0000"},
        {-62167392000000LL, nullptr, "Thu Jan 01 00:00:00 GMT 0000", "0000 01 01 00 00 00 +0000"},
    };
    for (const Case& k : cases) {
        java_util_Date* date = java_util_Date::newInstance(k.time);
        if (k.zone) date->calendar->setTimeZone(k.zone);
        EXPECT_EQ(narrow(date->toString()), k.date);
        EXPECT_EQ(narrow(Cal::toText(date->calendar)), k.calendar);
    }
    EXPECT_EQ(narrow(java_util_Date::formatText(nullptr)), "null");
    EXPECT_EQ(narrow(Cal::toText(nullptr)), "null");
    // A month the name table does not have raises instead of reading past it.
    Cal* c = at(0);
    c->set(Cal::MONTH, 12);
    c->isTimeSet = true;
    c->dayOfWeek = 1;
    EXPECT_EQ(java_util_Date::formatText(c), nullptr);
    EXPECT_EQ(takePendingName(), "ArrayIndexOutOfBoundsException");
}

class Dates : public DateTest {};

TEST_F(Dates, EqualsAndHashCodeFollowTheTime) {
    java_util_Date* a = java_util_Date::newInstance(0x123456789LL);
    java_util_Date* b = java_util_Date::newInstance(0x123456789LL);
    EXPECT_TRUE(a->equals(b));
    EXPECT_EQ(a->hashCode(), 0x1 ^ 0x23456789);
    EXPECT_EQ(java_util_Date::newInstance(-1)->hashCode(), 0);
    b->setTime(5);
    EXPECT_FALSE(a->equals(b));
    EXPECT_EQ(b->getTime(), 5);
    EXPECT_EQ(b->time, 5);
    EXPECT_FALSE(a->equals(Cal::getInstance()));
    // A Date without a calendar keeps its own time.
    auto* bare = mrc::newObject<java_util_Date>();
    bare->setTime(42);
    EXPECT_EQ(bare->getTime(), 42);
}

class TimeZones : public DateTest {};

TEST_F(TimeZones, TheDefaultZoneAndTheAvailableIds) {
    java_util_TimeZone* zone = java_util_TimeZone::getDefault();
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone, java_util_TimeZone::getDefault());
    EXPECT_EQ(zone->getRawOffset(), 0);
    EXPECT_FALSE(zone->useDaylightTime());
    EXPECT_EQ(zone->getID(), nullptr);
    EXPECT_EQ(zone->getOffset(1, 2024, 6, 1, 2, 0), 0);
    ObjectArray* ids = java_util_TimeZone::getAvailableIDs();
    ASSERT_NE(ids, nullptr);
    ASSERT_EQ(ids->length, 2);
    EXPECT_EQ(narrow(static_cast<String*>(ids->elements()[0])), "GMT");
    EXPECT_EQ(narrow(static_cast<String*>(ids->elements()[1])), "UTC");
    EXPECT_EQ(java_util_TimeZone::getAvailableIDs(), ids);
    om()->gc(mrc::kGcForced);
    EXPECT_EQ(java_util_TimeZone::getAvailableIDs(), ids);
    EXPECT_EQ(narrow(static_cast<String*>(ids->elements()[1])), "UTC");
}

TEST_F(TimeZones, GetOffsetChecksItsArguments) {
    java_util_TimeZone* cet = zone(kCentralEurope);
    struct Case {
        int32_t era, year, month, day, dayOfWeek, millis;
        const char* exception;
    } cases[] = {
        {1, 2024, 12, 1, 1, 0, "IllegalArgumentException: Illegal month 12"},
        {1, 2024, -1, 1, 1, 0, "IllegalArgumentException: Illegal month -1"},
        {1, 2024, 0, 1, 1, 86400000, "IllegalArgumentException: Illegal arguments"},
        {1, 2024, 0, 1, 1, -1, "IllegalArgumentException: Illegal arguments"},
        {1, 2024, 0, 0, 1, 0, "IllegalArgumentException: Illegal arguments"},
        {1, 2024, 3, 31, 1, 0, "IllegalArgumentException: Illegal arguments"},
        {1, 2024, 0, 1, 0, 0, "IllegalArgumentException: Illegal arguments"},
        {1, 2024, 0, 1, 8, 0, "IllegalArgumentException: Illegal arguments"},
        {2, 2024, 0, 1, 1, 0, "IllegalArgumentException: Illegal arguments"},
        {1, 2023, 1, 29, 4, 0, ""},
        {0, 2024, 6, 1, 2, 86399999, ""},
    };
    for (const Case& k : cases) {
        cet->getOffset(k.era, k.year, k.month, k.day, k.dayOfWeek, k.millis);
        EXPECT_EQ(takeException(), k.exception) << k.month << " " << k.day << " " << k.millis;
    }
}

TEST_F(TimeZones, RulesAreDecodedOrRefused) {
    struct Case {
        ZoneRules rules;
        const char* exception;
        int32_t startMode, startDay, startDayOfWeek, endMode, endDay, endDayOfWeek;
    } cases[] = {
        {kCentralEurope, "", 2, -1, 1, 2, -1, 1},
        {{"M1", 0, 3, 1, 0, 0, 7, 31, 0, 0, 3600000}, "", 1, 1, 0, 1, 31, 0},
        {{"M34", 0, 2, 8, -1, 0, 10, -7, -1, 0, 1800000}, "", 3, 8, 1, 4, 7, 1},
        {{"A", 0, 12, 1, 0, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start month 12", 0, 0, 0, 0, 0, 0},
        {{"B", 0, 2, 1, 0, -1, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start time -1", 0, 0, 0, 0, 0, 0},
        {{"C", 0, 2, 1, 0, 86400001, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start time 86400001", 0, 0, 0, 0, 0, 0},
        {{"D", 0, 2, 1, 8, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day of week 8", 0, 0, 0, 0, 0, 0},
        {{"E", 0, 2, 1, -9, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day of week 9", 0, 0, 0, 0, 0, 0},
        {{"F", 0, 2, 6, 1, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day of week in month 6", 0, 0, 0, 0, 0, 0},
        {{"G", 0, 2, -6, 1, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day of week in month -6", 0, 0, 0, 0, 0, 0},
        {{"H", 0, 1, 30, 0, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day 30", 0, 0, 0, 0, 0, 0},
        {{"I", 0, 1, -3, 0, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day -3", 0, 0, 0, 0, 0, 0},
        {{"J", 0, 3, -31, -1, 0, 8, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal start day 31", 0, 0, 0, 0, 0, 0},
        {{"K", 0, 2, 1, 0, 0, -1, 1, 0, 0, 3600000}, "IllegalArgumentException: Illegal end month -1", 0, 0, 0, 0, 0, 0},
        {{"L", 0, 2, 1, 0, 0, 8, 1, 0, 86400000, 3600000}, "", 1, 1, 0, 1, 1, 0},
        {{"N", 0, 2, 1, 0, 0, 8, 9, 2, 0, 3600000}, "IllegalArgumentException: Illegal end day of week in month 9", 0, 0, 0, 0, 0, 0},
        {{"O", 0, 2, 1, 0, 0, 8, 1, 0, 0, 0}, "IllegalArgumentException: Illegal DST savings", 0, 0, 0, 0, 0, 0},
        {{"P", 0, 0, 0, 0, 0, 0, 0, 0, 0, -5}, "IllegalArgumentException: Illegal DST savings", 0, 0, 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        auto* z = mrc::newObject<java_util_TimeZoneImpl>();
        const ZoneRules& r = k.rules;
        z->TimeZoneImplWithRules(r.raw, mrc::newString(r.id), r.startMonth, r.startDay, r.startDayOfWeek, r.startTime,
                                 r.endMonth, r.endDay, r.endDayOfWeek, r.endTime, r.saving);
        EXPECT_EQ(takeException(), k.exception) << r.id;
        if (*k.exception) {
            EXPECT_FALSE(z->useDaylightTime()) << r.id;
            continue;
        }
        EXPECT_TRUE(z->useDaylightTime()) << r.id;
        EXPECT_EQ(z->startMode, k.startMode) << r.id;
        EXPECT_EQ(z->startDay, k.startDay) << r.id;
        EXPECT_EQ(z->startDayOfWeek, k.startDayOfWeek) << r.id;
        EXPECT_EQ(z->endMode, k.endMode) << r.id;
        EXPECT_EQ(z->endDay, k.endDay) << r.id;
        EXPECT_EQ(z->endDayOfWeek, k.endDayOfWeek) << r.id;
    }
}

TEST_F(TimeZones, DaylightPeriodsInEachHemisphere) {
    // Southern: from the first Sunday of October to the last Sunday of February.
    java_util_TimeZone* south = zone({"S", -3 * 3600000, 9, 1, 1, 0, 1, -1, 1, 0, 3600000});
    java_util_TimeZone* cet = zone(kCentralEurope);
    const int32_t raw = 3600000;
    struct Case {
        java_util_TimeZone* zone;
        int32_t year, month, day, dayOfWeek, millis, offset;
    } cases[] = {
        // 31 March 2024 (Sunday), 2:00 wall is 2:00 standard.
        {cet, 2024, 2, 31, 1, 7199999, raw},
        {cet, 2024, 2, 31, 1, 7200000, raw + 3600000},
        // 27 October 2024, 3:00 daylight time is 2:00 standard.
        {cet, 2024, 9, 27, 1, 3599999, raw + 3600000},
        {cet, 2024, 9, 27, 1, 7199999, raw + 3600000},
        {cet, 2024, 9, 27, 1, 7200000, raw},
        {cet, 2024, 0, 15, 2, 0, raw},
        {south, 2024, 0, 15, 2, 0, -3 * 3600000 + 3600000},
        {south, 2024, 5, 15, 7, 0, -3 * 3600000},
        {south, 2024, 9, 6, 1, 0, -3 * 3600000 + 3600000},
        {south, 2024, 9, 5, 7, 86399999, -3 * 3600000},
        // The last Sunday of February: the 25th in 2024, the 22nd in the common year 1970, whose
        // February has no 29th Sunday (daylight time ends at midnight daylight time, 23:00
        // standard the day before).
        {south, 2024, 1, 24, 7, 82799999, -3 * 3600000 + 3600000},
        {south, 2024, 1, 24, 7, 82800000, -3 * 3600000},
        {south, 1970, 1, 21, 7, 82799999, -3 * 3600000 + 3600000},
        {south, 1970, 1, 21, 7, 82800000, -3 * 3600000},
        {south, 1970, 1, 28, 7, 0, -3 * 3600000},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.zone->getOffset(1, k.year, k.month, k.day, k.dayOfWeek, k.millis), k.offset)
            << k.year << "-" << k.month + 1 << "-" << k.day << " " << k.millis;
        EXPECT_EQ(takeException(), "");
    }
}

}  // namespace
