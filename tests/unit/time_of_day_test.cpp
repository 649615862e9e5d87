#include "numbers/time_of_day.h"

#include <gtest/gtest.h>

#include "fake_clock.h"

namespace chronalign {
namespace {

std::int32_t Seconds(int h, int m, int s) {
    return 3600 * h + 60 * m + s;
}

TEST(TimeOfDayTest, DifferencesGoTheShortWayRound) {
    EXPECT_EQ(ShortWayRound(0), 0);
    EXPECT_EQ(ShortWayRound(86399), -1);
    EXPECT_EQ(ShortWayRound(-86399), 1);
    EXPECT_EQ(ShortWayRound(36000), 36000);
    EXPECT_EQ(ShortWayRound(-36000), -36000);
    EXPECT_EQ(ShortWayRound(43200), 43200);
    EXPECT_EQ(ShortWayRound(-43200), 43200);
    EXPECT_EQ(ShortWayRound(43201), -43199);
    EXPECT_EQ(ShortWayRound(-43199), -43199);
    EXPECT_EQ(ShortWayRound(86400 * 3 + 5), 5);
}

TEST(TimeOfDayTest, TheSameDayWhenThatIsNearest) {
    const auto clock = fake::DateTime(2026, 12, 7, 12, 0, 0, 345);
    EXPECT_EQ(WithNearestTimeOfDay(clock, Seconds(12, 34, 56)),
              fake::DateTime(2026, 12, 7, 12, 34, 56, 345));
    // Exactly twelve hours away is taken backwards, as a compare reports it (+43200).
    EXPECT_EQ(WithNearestTimeOfDay(clock, 0), fake::DateTime(2026, 12, 7, 0, 0, 0, 345));
    EXPECT_EQ(WithNearestTimeOfDay(fake::DateTime(2026, 12, 7, 11, 59, 59), Seconds(23, 59, 59)),
              fake::DateTime(2026, 12, 6, 23, 59, 59));
    EXPECT_EQ(WithNearestTimeOfDay(fake::DateTime(2026, 12, 7, 12, 0, 0), Seconds(23, 59, 59)),
              fake::DateTime(2026, 12, 7, 23, 59, 59));
}

TEST(TimeOfDayTest, AcrossMidnightTheDateMovesByOneDay) {
    EXPECT_EQ(WithNearestTimeOfDay(fake::DateTime(2026, 12, 7, 23, 50, 0, 7), Seconds(0, 30, 0)),
              fake::DateTime(2026, 12, 8, 0, 30, 0, 7));
    EXPECT_EQ(WithNearestTimeOfDay(fake::DateTime(2026, 12, 8, 0, 10, 0), Seconds(23, 55, 0)),
              fake::DateTime(2026, 12, 7, 23, 55, 0));
    // Month ends, year ends, and leap days, both ways.
    const struct {
        platform::SystemTime clock;
        std::int32_t seconds;
        platform::SystemTime expected;
    } cases[] = {
        {fake::DateTime(2026, 11, 30, 23, 59, 59), 1, fake::DateTime(2026, 12, 1, 0, 0, 1)},
        {fake::DateTime(2026, 12, 1, 0, 0, 1), Seconds(23, 59, 59),
         fake::DateTime(2026, 11, 30, 23, 59, 59)},
        {fake::DateTime(2026, 12, 31, 23, 59, 58), 1, fake::DateTime(2027, 1, 1, 0, 0, 1)},
        {fake::DateTime(2027, 1, 1, 0, 0, 0), Seconds(23, 0, 0),
         fake::DateTime(2026, 12, 31, 23, 0, 0)},
        {fake::DateTime(2027, 2, 28, 23, 0, 0), 60, fake::DateTime(2027, 3, 1, 0, 1, 0)},
        {fake::DateTime(2028, 2, 28, 23, 0, 0), 60, fake::DateTime(2028, 2, 29, 0, 1, 0)},
        {fake::DateTime(2028, 2, 29, 23, 0, 0), 60, fake::DateTime(2028, 3, 1, 0, 1, 0)},
        {fake::DateTime(2028, 3, 1, 0, 1, 0), Seconds(23, 0, 0),
         fake::DateTime(2028, 2, 29, 23, 0, 0)},
        {fake::DateTime(2027, 3, 1, 0, 1, 0), Seconds(23, 0, 0),
         fake::DateTime(2027, 2, 28, 23, 0, 0)},
        {fake::DateTime(2100, 2, 28, 23, 0, 0), 60,
         fake::DateTime(2100, 3, 1, 0, 1, 0)},  // no leap day in 2100
        {fake::DateTime(2000, 2, 28, 23, 0, 0), 60,
         fake::DateTime(2000, 2, 29, 0, 1, 0)},  // but in 2000
        {fake::DateTime(2026, 4, 30, 22, 0, 0), Seconds(2, 0, 0),
         fake::DateTime(2026, 5, 1, 2, 0, 0)},
        {fake::DateTime(2026, 5, 1, 2, 0, 0), Seconds(22, 0, 0),
         fake::DateTime(2026, 4, 30, 22, 0, 0)},
        {fake::DateTime(2026, 12, 12, 23, 0, 0), 60,
         fake::DateTime(2026, 12, 13, 0, 1, 0)},  // Saturday to Sunday
        {fake::DateTime(2026, 12, 13, 0, 1, 0), Seconds(23, 0, 0),
         fake::DateTime(2026, 12, 12, 23, 0, 0)},
    };
    for (const auto& c : cases) {
        const auto got = WithNearestTimeOfDay(c.clock, c.seconds);
        EXPECT_EQ(got, c.expected)
            << c.clock.wYear << "-" << c.clock.wMonth << "-" << c.clock.wDay << " to " << got.wYear
            << "-" << got.wMonth << "-" << got.wDay << " dow " << got.wDayOfWeek;
    }
}

TEST(TimeOfDayTest, ATimeOfDayBeyondOneDayIsTakenModuloADay) {
    const auto clock = fake::DateTime(2026, 12, 7, 1, 0, 0);
    EXPECT_EQ(WithNearestTimeOfDay(clock, Seconds(25, 0, 0)), fake::DateTime(2026, 12, 7, 1, 0, 0));
    EXPECT_EQ(WithNearestTimeOfDay(clock, -Seconds(1, 0, 0)),
              fake::DateTime(2026, 12, 6, 23, 0, 0));
}

}  // namespace
}  // namespace chronalign
