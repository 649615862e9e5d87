// The estimator against a simulated server and network: the true offset lies within the bound
// it reports, the bound is no wider than the samples allow, and contradicting samples give no
// time. The random test prints its seed on failure; CHRONALIGN_SEED=<seed> replays it.
#include "sync/clock_offset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "numbers/time_of_day.h"
#include "test_seed.h"

namespace chronalign {
namespace {

using namespace std::chrono;

constexpr Microseconds kMs = 1'000;
constexpr Microseconds kSecond = 1'000'000;
constexpr Microseconds kDay = 86'400 * kSecond;

Microseconds Mod(Microseconds a, Microseconds b) {
    return (a % b + b) % b;
}

// An instant as the precise clock states it.
Microseconds At(year_month_day date, Microseconds sinceMidnight) {
    return (sys_days{date}.time_since_epoch().count() + 134'774) * kDay + sinceMidnight;
}

// One request with one-way delays out and back to a server whose clock is offset ahead; the
// page truncates the server's reading, as nginx does, and states its date when dated.
TimedSample Exchange(Microseconds sent, Microseconds out, Microseconds back, Microseconds offset,
                     bool ms, bool dated = false) {
    const Microseconds read = sent + out + offset;
    const auto stated = static_cast<std::int32_t>(Mod(read, kDay) / kMs);
    std::optional<std::int32_t> date;
    if (dated)
        date = static_cast<std::int32_t>((read - Mod(read, kDay)) / kDay - kDaysFrom1601To1970);
    return {sent, sent + out + back, {ms ? stated : stated / 1000 * 1000, ms, date}};
}

// Whether a server whose clock is offset ahead could have stated what the sample shows: at some
// instant between sending and arrival its clock was within the stated second or millisecond (of
// any day where the page states no date).
bool AllAllow(const std::vector<TimedSample>& samples, Microseconds offset) {
    return std::all_of(samples.begin(), samples.end(), [&](const TimedSample& s) {
        const Microseconds unit = s.page.milliseconds ? kMs : kSecond;
        if (s.page.day) {
            const Microseconds x = s.sent + offset - Stated(s.page);
            return x < unit && x + s.arrived - s.sent >= 0;
        }
        const Microseconds x = Mod(s.sent + offset - s.page.millisecondOfDay * kMs, kDay);
        return x < unit || x + s.arrived - s.sent >= kDay;
    });
}

// The estimate holds the truth and is as narrow as the samples allow: with milliseconds, half
// the shortest round trip and the page's truncation; in seconds, both its ends are possible.
void ExpectSoundAndTight(const std::vector<TimedSample>& samples, Microseconds truth) {
    const std::optional<OffsetEstimate> e = EstimateOffset(samples);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->wholeInstant, samples.front().page.day.has_value());
    EXPECT_LE(std::abs(e->offset - truth), e->bound) << e->offset << " vs " << truth;
    if (samples.front().page.milliseconds) {
        Microseconds trip = kDay;
        for (const TimedSample& s : samples) trip = std::min(trip, s.arrived - s.sent);
        EXPECT_LE(e->bound, (trip + kMs) / 2 + 1);
    } else {
        EXPECT_TRUE(AllAllow(samples, e->offset - e->bound + 1)) << e->offset << "-" << e->bound;
        EXPECT_TRUE(AllAllow(samples, e->offset + e->bound - 1)) << e->offset << "+" << e->bound;
    }
}

struct Delays {
    Microseconds out, back, late;  // late: how long after the wanted instant it is sent
};

// A synchronization as the program runs it, over one connection.
template <typename NextDelays>
std::vector<TimedSample> Measure(Microseconds start, Microseconds offset, bool ms,
                                 NextDelays delays, bool dated = false) {
    std::vector<TimedSample> samples;
    while (const std::optional<Microseconds> at = NextRequestAt(samples, start)) {
        EXPECT_GE(*at, start);
        const Delays d = delays();
        samples.push_back(Exchange(*at + d.late, d.out, d.back, offset, ms, dated));
        start = samples.back().arrived;
    }
    EXPECT_GE(samples.size(), 2U);  // the request that opens the connection never ends it alone
    EXPECT_LE(samples.size(), ms ? 5U : 13U);
    EXPECT_LE(samples.back().arrived - samples.front().sent, 15 * kSecond);
    return samples;
}

const year_month_day kMonday{year{2026}, December, day{7}};

TEST(ClockOffsetTest, EstimatesHoldTheTruthForFractionsNegativesMidnightAndAsymmetry) {
    struct Row {
        Microseconds offset, sinceMidnight;  // the first request's
        Delays delays;
    };
    constexpr Microseconds kNoon = 12 * 3600 * kSecond;
    const Row rows[] = {
        {kMs, kNoon, {200, 200, 0}},
        {-kSecond / 2, kNoon, {300, 150, 70}},
        {30 * kSecond + 999 * kMs, kDay - 2 * kSecond, {200, 200, 50}},  // into the next day
        {-30 * kSecond - 999 * kMs, kSecond, {200, 200, 50}},            // into the day before
        {250, kDay - 300, {200, 200, 0}},  // a request across midnight
        {-11 * 3600 * kSecond - 1, kDay - 5 * kSecond, {200, 200, 0}},
        {250 * kMs, kNoon, {100, 15'000, 0}},   // answers late
        {-250 * kMs, kNoon, {15'000, 100, 0}},  // requests late
    };
    for (const Row& row : rows) {
        for (const bool ms : {true, false}) {
            SCOPED_TRACE(std::to_string(row.offset) + (ms ? " with ms" : " in seconds"));
            const std::vector<TimedSample> samples =
                Measure(At(kMonday, row.sinceMidnight), row.offset, ms, [&] { return row.delays; });
            ExpectSoundAndTight(samples, row.offset);
            // With its date the page gives the whole difference, however many days it holds.
            const Microseconds days = row.offset + 2 * kDay;
            ExpectSoundAndTight(
                Measure(
                    At(kMonday, row.sinceMidnight), days, ms, [&] { return row.delays; }, true),
                days);
            if (row.delays.out + row.delays.back < kMs) {
                EXPECT_LE(EstimateOffset(samples)->bound, kWantedBound);
            }
        }
    }
}

TEST(ClockOffsetTest, ContradictingSamplesGiveNoTime) {
    const Microseconds t = At(kMonday, 9 * 3600 * kSecond);
    // A cached copy: the same instant stated again two seconds on.
    const TimedSample fresh = Exchange(t, 300, 300, 0, true);
    TimedSample cached = Exchange(t + 2 * kSecond, 300, 300, 0, true);
    cached.page = fresh.page;
    EXPECT_FALSE(EstimateOffset(std::vector{fresh, cached}));
    EXPECT_FALSE(NextRequestAt(std::vector{fresh, cached}, cached.arrived));
    // A server clock that jumps 2.5 s between two answers in whole seconds (a jump within what
    // the first answer leaves open cannot be told from an offset).
    EXPECT_FALSE(EstimateOffset(std::vector{Exchange(t, 300, 300, 0, false),
                                            Exchange(t + kSecond, 300, 300, 2'500 * kMs, false)}));
    // Samples of which only some state the date give the time of day alone.
    const TimedSample dated = Exchange(t, 300, 300, 2 * kDay, true, true);
    const TimedSample undated = Exchange(t + kSecond, 300, 300, 2 * kDay, true);
    EXPECT_FALSE(EstimateOffset(std::vector{dated, undated})->wholeInstant);
    EXPECT_LT(std::abs(EstimateOffset(std::vector{dated, undated})->offset), kSecond);
    // Nothing to go by, or stamps in the wrong order.
    EXPECT_FALSE(EstimateOffset({}));
    EXPECT_FALSE(EstimateOffset(std::vector{TimedSample{t, t - 1, fresh.page}}));
}

TEST(ClockOffsetTest, TheRecordIsTheClockPlusTheOffsetToTheNearestMillisecond) {
    const Microseconds beforeMidnight = At({year{2026}, December, day{31}}, kDay - 400);
    // 23:59:59.9996 plus half a millisecond rounds into Friday, the new year.
    EXPECT_EQ(RecordAt(beforeMidnight, {500}, 0),
              (platform::SystemTime{2027, 1, 5, 1, 0, 0, 0, 0}));
    EXPECT_EQ(RecordAt(beforeMidnight, {-999'000}, 0),
              (platform::SystemTime{2026, 12, 4, 31, 23, 59, 59, 1}));
    // The user's offset is subtracted; the date is the one nearest the clock.
    EXPECT_EQ(RecordAt(beforeMidnight, {123'456}, 60),
              (platform::SystemTime{2026, 12, 4, 31, 23, 0, 0, 123}));
    EXPECT_EQ(RecordAt(At({year{2028}, February, day{29}}, 0), {-kSecond / 2}, -60),
              (platform::SystemTime{2028, 2, 2, 29, 0, 59, 59, 500}));
    // An offset of the whole instant sets its date, the user's offset still subtracted.
    EXPECT_EQ(RecordAt(beforeMidnight, {3 * kDay + 500, 0, true}, 0),
              (platform::SystemTime{2027, 1, 1, 4, 0, 0, 0, 0}));
    EXPECT_EQ(RecordAt(beforeMidnight, {-9'000 * kDay, 0, true}, 30),
              (platform::SystemTime{2002, 5, 6, 11, 23, 30, 0, 0}));
}

TEST(ClockOffsetRandomTest, TheTruthLiesWithinTheBoundAndTheBoundIsWhatTheSamplesAllow) {
    testsupport::Pick pick;
    SCOPED_TRACE(testsupport::Replay(pick.seed));
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        // Up to eleven hours either way, the fraction often at an edge of the second; the
        // measure often near midnight; the first request opens the connection.
        const Microseconds fraction = std::array{
            kMs, kSecond / 2, 999 * kMs, pick(0, kSecond)}[static_cast<std::size_t>(pick(0, 3))];
        // Where the page states its date, the offset may be any number of days as well.
        const bool dated = pick(0, 1) == 0;
        const Microseconds offset = (pick(0, 1) * 2 - 1) * ((dated ? pick(0, 10'000) * kDay : 0) +
                                                            pick(0, 40'000) * kSecond + fraction);
        const Microseconds start = pick(0, 1) == 0 ? pick(0, kDay) : kDay - pick(0, 20 * kSecond);
        const bool ms = pick(0, 1) == 0;
        const Microseconds slow = pick(0, 3) == 0 ? 15'000 : 0;  // one way, now and then
        Microseconds setUp = pick(0, 20'000);
        const std::vector<TimedSample> samples = Measure(
            At(kMonday, start), offset, ms,
            [&] {
                const Delays d{pick(50, 400) + std::exchange(setUp, 0),
                               pick(50, 400) + pick(0, slow), pick(0, 300)};
                return pick(0, 1) == 0 ? d : Delays{d.back, d.out, d.late};
            },
            dated);
        SCOPED_TRACE("run " + std::to_string(i));
        ExpectSoundAndTight(samples, offset);
        if (slow == 0) {
            EXPECT_LE(EstimateOffset(samples)->bound, kWantedBound);
        }
    }
}

}  // namespace
}  // namespace chronalign
