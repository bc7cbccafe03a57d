// Calendar against the JDK's GregorianCalendar: the fields of a table of instants (the epoch, the
// 1582 cut-over, leap days and year boundaries from 1 BC to 9999, the daylight-saving changes of
// each zone, and random instants over ±250,000 years) in UTC and in zones with daylight time of
// every rule kind, north and south; and the instants of those fields read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/util/calendar.h"
#include "runtime/util/time_zone.h"
#include "tests/runtime/util/date_fixture.h"
#include "tests/support/java_oracle.h"

namespace {

using namespace mrc::test;
using Cal = java_util_Calendar;
using test_support::OracleCase;

const ZoneRules kZones[] = {
    {"UTC", 0, 0, 0, 0, 0, 0, 0, 0, 0, 3600000},
    kCentralEurope,
    // South: from the first Sunday of October to the last Sunday of February, at midnight.
    {"SOUTH", -3 * 3600000, 9, 1, 1, 0, 1, -1, 1, 0, 3600000},
    // The Sunday on or after 8 March to the Sunday on or before 7 November, 2:00.
    {"US", -5 * 3600000, 2, 8, -1, 7200000, 10, -7, -1, 7200000, 3600000},
    // Fixed days, half an hour: 1 April 0:00 to 30 September 1:00.
    {"FIX", 10 * 3600000 + 1800000, 3, 1, 0, 0, 8, 30, 0, 3600000, 1800000},
};

class CalendarVsJdk : public DateTest {
protected:
    java_util_TimeZone* makeZone(const ZoneRules& r) {
        return r.startDay == 0 && r.raw == 0 ? java_util_TimeZone::getDefault() : zone(r);
    }

    static std::string zoneArgs(const ZoneRules& r) {
        char b[160];
        std::snprintf(b, sizeof b, "%d %d %d %d %d %d %d %d %d %d", r.raw, r.startMonth, r.startDay, r.startDayOfWeek,
                      r.startTime, r.endMonth, r.endDay, r.endDayOfWeek, r.endTime, r.saving);
        return b;
    }

    static std::string fieldsOf(Cal* c) {
        std::string out = std::to_string(c->get(Cal::YEAR));
        for (int32_t f : {Cal::MONTH, Cal::DATE, Cal::DAY_OF_WEEK, Cal::HOUR_OF_DAY, Cal::MINUTE, Cal::SECOND,
                          Cal::MILLISECOND, Cal::AM_PM})
            out += " " + std::to_string(c->get(f));
        return out + " " + std::to_string(c->dstOffset);
    }

    // The instant of y-m-d h:00 in UTC, by our own calendar (only to place the instants).
    static int64_t utc(int32_t y, int32_t m, int32_t d, int32_t h = 0) {
        Cal* c = Cal::getInstanceInZone(java_util_TimeZone::getDefault());
        c->set(Cal::YEAR, y);
        c->set(Cal::MONTH, m);
        c->set(Cal::DATE, d);
        c->set(Cal::HOUR_OF_DAY, h);
        c->set(Cal::MINUTE, 0);
        c->set(Cal::SECOND, 0);
        c->set(Cal::MILLISECOND, 0);
        return c->getTimeInMillis();
    }

    std::vector<int64_t> commonInstants() {
        std::vector<int64_t> t = {0, -1, 1, kDay - 1, kDay, 951782400000LL, 2147483647000LL};
        const int64_t cut = Cal::kGregorianCutover;
        for (int64_t d : {-kDay - 1, -kDay, int64_t{-1}, int64_t{0}, int64_t{1}, kDay, 10 * kDay}) t.push_back(cut + d);
        for (int32_t y : {0, 1, 4, 100, 1000, 1500, 1581, 1582, 1583, 1600, 1700, 1800, 1899, 1900, 1969, 1970, 1999,
                          2000, 2001, 2004, 2023, 2024, 2038, 2100, 2400, 9999, -1, -100, -1000}) {
            const int64_t jan1 = utc(y, 0, 1);
            t.insert(t.end(), {jan1 - 1, jan1, jan1 + 1, utc(y, 1, 28, 12), utc(y, 1, 28) + kDay + 12 * kHour,
                               utc(y, 2, 1) - 1, utc(y, 2, 1), utc(y, 11, 31, 23) + kHour - 1});
        }
        uint64_t seed = 0x2545F4914F6CDD1DULL;
        auto next = [&seed] {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            return static_cast<int64_t>(seed >> 1);
        };
        for (int i = 0; i < 600; ++i) t.push_back(next() % 100000000000000LL);            // ±3,000 years
        for (int i = 0; i < 200; ++i) t.push_back(next() % 8000000000000000LL);           // ±250,000 years
        for (int i = 0; i < 200; ++i) t.push_back(946684800000LL + next() % (40 * 365 * kDay));  // 2000-2040
        return t;
    }

    // Around each change of our daylight offset in the given years: the instants one ms and half
    // an hour either side, and the change itself. Searched hour by hour, then narrowed.
    std::vector<int64_t> changes(java_util_TimeZone* z, std::initializer_list<int32_t> years) {
        std::vector<int64_t> t;
        Cal* c = Cal::getInstanceInZone(z);
        auto dstAt = [c](int64_t ms) {
            c->setTimeInMillis(ms);
            return c->dstOffset;
        };
        for (int32_t y : years) {
            int64_t from = utc(y, 0, 1), to = utc(y + 1, 0, 1);
            int32_t before = dstAt(from);
            for (int64_t h = from + kHour; h <= to; h += kHour) {
                int32_t now = dstAt(h);
                if (now == before) continue;
                int64_t lo = h - kHour, hi = h;  // dst(lo) == before, dst(hi) != before
                while (hi - lo > 1) {
                    int64_t mid = lo + (hi - lo) / 2;
                    (dstAt(mid) == before ? lo : hi) = mid;
                }
                t.insert(t.end(), {hi - 1800000, hi - 1, hi, hi + 1, hi + 1800000});
                before = now;
            }
            t.push_back(from + 12345678);
        }
        return t;
    }
};

TEST_F(CalendarVsJdk, FieldsOfInstantsAndInstantsOfFields) {
    std::vector<OracleCase> cases;
    const std::vector<int64_t> common = commonInstants();
    for (const ZoneRules& r : kZones) {
        java_util_TimeZone* z = makeZone(r);
        ASSERT_NE(z, nullptr) << r.id;
        std::vector<int64_t> instants = common;
        if (r.startDay != 0) {
            std::vector<int64_t> more = changes(z, {1582, 1583, 1900, 2000, 2023, 2024, 2100});
            ASSERT_GE(more.size(), 7u * 11) << r.id;  // two changes a year and one more instant
            instants.insert(instants.end(), more.begin(), more.end());
        }
        const std::string args = zoneArgs(r);
        Cal* c = Cal::getInstanceInZone(z);
        for (std::size_t i = 0; i < instants.size(); ++i) {
            const int64_t t = instants[i];
            // Where UTC and local time lie on either side of the cut-over, the JDK's zone reads the
            // local date in the other calendar than its fields do (a Julian 4 October 1582 placed
            // against the Gregorian October rules); ours reads the date it shows.
            const int64_t cut = Cal::kGregorianCutover;
            if (r.startDay != 0 && ((t < cut) != (t + r.raw < cut) || (t < cut) != (t + r.raw + r.saving < cut)))
                continue;
            c->setTimeInMillis(t);
            const std::string fields = fieldsOf(c);
            cases.push_back({"f " + args + " " + std::to_string(t), fields});
            // The fields read back, in a calendar of the zone set field by field.
            Cal* back = Cal::getInstanceInZone(z);
            char line[160];
            std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d", c->get(Cal::YEAR), c->get(Cal::MONTH),
                          c->get(Cal::DATE), c->get(Cal::HOUR_OF_DAY), c->get(Cal::MINUTE), c->get(Cal::SECOND),
                          c->get(Cal::MILLISECOND));
            for (int32_t f : {Cal::YEAR, Cal::MONTH, Cal::DATE, Cal::HOUR_OF_DAY, Cal::MINUTE, Cal::SECOND,
                              Cal::MILLISECOND})
                back->set(f, c->get(f));
            const int64_t ours = back->getTimeInMillis();
            ASSERT_EQ(takeException(), "") << r.id << " " << t;
            cases.push_back({"t " + args + " " + line, std::to_string(ours)});
        }
    }
    JAVA_ORACLE_RUN(run, test_support::testSource("runtime/oracle/CalendarOracle.java"),
                    test_support::oracleInput(cases));
    EXPECT_EQ(test_support::oracleMismatches(cases, run.lines()), "");
}

}  // namespace
