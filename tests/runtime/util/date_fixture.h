// A started runtime with the string constants of Date, Calendar, TimeZone and Timer, and helpers
// to build zones and read exceptions.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/calendar.h"
#include "runtime/util/time_zone.h"
#include "tests/runtime/util/library_fixture.h"

namespace mrc::test {

// A zone by the arguments of TimeZoneImplWithRules (start day 0: no daylight time).
struct ZoneRules {
    const char* id;
    int32_t raw, startMonth, startDay, startDayOfWeek, startTime, endMonth, endDay, endDayOfWeek, endTime, saving;
};

class DateTest : public LibraryTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        installConstants({{1, "default"},
                          {583, "Array index out of range: "},
                          {603, "Sun"}, {604, "Mon"}, {605, "Tue"}, {606, "Wed"}, {607, "Thu"}, {608, "Fri"},
                          {609, "Sat"},
                          {610, "Jan"}, {611, "Feb"}, {612, "Mar"}, {613, "Apr"}, {614, "May"}, {615, "Jun"},
                          {616, "Jul"}, {617, "Aug"}, {618, "Sep"}, {619, "Oct"}, {620, "Nov"}, {621, "Dec"},
                          {622, "GMT"}, {623, "UTC"}, {624, "GMT"}, {625, "null"}, {626, "null"},
                          {627, "Illegal DST savings"}, {628, "Illegal month "}, {629, "Illegal arguments"},
                          {630, "Illegal start month "}, {631, "Illegal start time "},
                          {632, "Illegal start day of week "}, {633, "Illegal start day of week in month "},
                          {634, "Illegal start day "},
                          {635, "Illegal end month "}, {636, "Illegal end time "}, {637, "Illegal end day of week "},
                          {638, "Illegal end day of week in month "}, {639, "Illegal end day "},
                          {640, "Negative delay."}, {641, "Non-positive period."}, {642, "Illegal execution time."},
                          {643, "Timer already cancelled."}, {644, "Task already scheduled or cancelled"}});
    }

    static java_util_TimeZoneImpl* zone(const ZoneRules& r) {
        return java_util_TimeZoneImpl::newInstance(r.raw, mrc::newString(r.id), r.startMonth, r.startDay,
                                                   r.startDayOfWeek, r.startTime, r.endMonth, r.endDay,
                                                   r.endDayOfWeek, r.endTime, r.saving);
    }

    // "Name: message" of the pending exception, which is cleared; "" when nothing is pending.
    static std::string takeException() {
        Object* e = app()->getPendingException();
        if (!e) return "";
        String* message = static_cast<java_lang_Throwable*>(e)->message;
        std::string text = takePendingName();
        return message ? text + ": " + message->toStdString() : text;
    }
};

inline constexpr int64_t kHour = 3600000;  // in milliseconds
inline constexpr int64_t kDay = 24 * kHour;

// Central European time: the last Sundays of March and October, 2:00 and 3:00 wall time.
inline constexpr ZoneRules kCentralEurope{"CET", 3600000, 2, -1, 1, 7200000, 9, -1, 1, 10800000, 3600000};

}  // namespace mrc::test
