// The nearest-date rule against the standard library's calendar, on random clocks (leap days,
// month and year ends, times near midnight) and random server times. A failure prints the seed;
// CHRONALIGN_SEED=<seed> replays it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <random>

#include "numbers/time_of_day.h"
#include "test_seed.h"

namespace chronalign {
namespace {

using namespace std::chrono;

// A day that is often at the edge of a month or a year, in February, and in a year whose
// leap rule has an exception (a century, a fourth century).
year_month_day RandomDay(std::mt19937_64& random) {
    auto pick = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    constexpr std::array<int, 4> kStep = {1, 4, 100, 400};
    int y = pick(1601, 9998);
    y -= y % kStep[static_cast<std::size_t>(pick(0, 3))];
    const int m = std::array<int, 4>{2, 12, 1, pick(1, 12)}[static_cast<std::size_t>(pick(0, 3))];
    const year_month_day_last last{year{std::max(y, 1601)},
                                   month_day_last{month(static_cast<unsigned>(m))}};
    const int lastDay = static_cast<int>(static_cast<unsigned>(last.day()));
    const int d = std::array<int, 4>{1, lastDay, lastDay - 1,
                                     pick(1, lastDay)}[static_cast<std::size_t>(pick(0, 3))];
    return {last.year(), last.month(), day(static_cast<unsigned>(d))};
}

// Within a minute of midnight half the time.
int RandomSecondOfDay(std::mt19937_64& random) {
    const int s = std::uniform_int_distribution<int>(0, 86399)(random);
    return random() % 2 == 0 ? s : (s % 2 == 0 ? s % 60 : 86399 - s % 60);
}

platform::SystemTime Record(sys_days d, int secondOfDay, int milliseconds) {
    const year_month_day ymd{d};
    const hh_mm_ss<seconds> t{seconds{secondOfDay}};
    return {static_cast<std::uint16_t>(static_cast<int>(ymd.year())),
            static_cast<std::uint16_t>(static_cast<unsigned>(ymd.month())),
            static_cast<std::uint16_t>(weekday{d}.c_encoding()),
            static_cast<std::uint16_t>(static_cast<unsigned>(ymd.day())),
            static_cast<std::uint16_t>(t.hours().count()),
            static_cast<std::uint16_t>(t.minutes().count()),
            static_cast<std::uint16_t>(t.seconds().count()),
            static_cast<std::uint16_t>(milliseconds)};
}

TEST(NearestDateRandomTest, TheNewTimeIsTheNearestInstantWithThatTimeOfDay) {
    const std::uint64_t seed = testsupport::TestSeed();
    SCOPED_TRACE(testsupport::Replay(seed));
    std::mt19937_64 random(seed);
    for (int i = 0; i < 20000; ++i) {
        const sys_days day{RandomDay(random)};
        const int clockSecond = RandomSecondOfDay(random);
        const int serverSecond = RandomSecondOfDay(random);
        const int milliseconds = std::uniform_int_distribution<int>(0, 999)(random);
        const platform::SystemTime clock = Record(day, clockSecond, milliseconds);

        // The instant with the server's time of day on the day before, of or after the clock's
        // that lies less than half a day behind it, or exactly half a day ahead.
        const sys_seconds now = day + seconds{clockSecond};
        sys_seconds expected{};
        for (int k = -1; k <= 1; ++k) {
            const sys_seconds candidate = day + days{k} + seconds{serverSecond};
            const auto behind = now - candidate;
            if (behind > -hours{12} && behind <= hours{12})
                expected = candidate;
        }
        const sys_days expectedDay = floor<days>(expected);
        const platform::SystemTime want =
            Record(expectedDay, static_cast<int>((expected - expectedDay).count()), milliseconds);
        const platform::SystemTime got = WithNearestTimeOfDay(clock, serverSecond);
        ASSERT_EQ(got, want) << "clock " << clock.wYear << "-" << clock.wMonth << "-" << clock.wDay
                             << " second " << clockSecond << ", server second " << serverSecond;
    }
}

}  // namespace
}  // namespace chronalign
