// Measuring the system clock against the time page: timed requests give samples, the samples
// give the clock's offset with a bound on its error, and the offset gives the record to write.
// Pure: the caller makes the requests, reads the clock and sets it.
//
// A synchronization is a loop over one connection:
//     while (auto at = NextRequestAt(samples, platform::PreciseSystemTime())) {
//         wait until *at; sent = PreciseSystemTime(); request; arrived = PreciseSystemTime();
//         samples.push_back({sent, arrived, page}) where ReadPageTime(body, date) gave a time;
//         else no usable time
//     }
//     EstimateOffset(samples) -> RecordAt(platform::PreciseSystemTime(), estimate, OffsetMinutes)
// The wait until *at must end within a fraction of a millisecond to halve what is left; a late
// send costs requests, never correctness, since the sample carries its own stamps.
// Every request counts as a sample, the one that opens the connection too: its round trip
// includes the connection's set-up, so it seldom decides, and it never ends the measure alone;
// but what it states must agree with the rest, which shows a cached page at the next request.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/clock.h"
#include "sync/server_time.h"

namespace chronalign {

// Instants on the system clock (since 1601-01-01 00:00 UTC, as platform::PreciseSystemTime
// gives them) and spans between them.
using Microseconds = std::int64_t;

struct TimedSample {
    Microseconds sent = 0;     // just before the request was sent
    Microseconds arrived = 0;  // when its answer had arrived
    PageTime page;             // what the answer stated
};

struct OffsetEstimate {
    // The page's time minus the system clock's: the whole difference when the page states the
    // whole instant, else within half a day (the page's time of day on the nearest date).
    Microseconds offset = 0;
    Microseconds bound = 0;  // the true offset lies within offset - bound .. offset + bound
    bool wholeInstant = false;
};

// What a page states, on the system clock's scale: its instant when it states its date, else its
// time of day as if on 1601-01-01.
Microseconds Stated(const PageTime& page);

// When a synchronization stops measuring: as soon as the bound is this small, or after this
// many requests, or (whole seconds) once the next answer would come after this long.
inline constexpr Microseconds kWantedBound = 2'000;
inline constexpr int kMostRequestsMilliseconds = 5;
inline constexpr int kMostRequestsWholeSeconds = 13;
inline constexpr Microseconds kLongestMeasurement = 15'000'000;

// The offset the samples show, or nothing when there are none, one is malformed (it arrived
// before it was sent) or they contradict each other (a cached page, a server clock that
// jumped). With milliseconds, the sample with the shortest round trip decides: the page's
// instant against the middle of its round trip. In whole seconds, the offsets each sample
// allows are intersected, and the estimate is the middle of what is left. The estimate holds
// the whole instant when every sample states its date; otherwise the dates are left out.
std::optional<OffsetEstimate> EstimateOffset(std::span<const TimedSample> samples);

// When to send the next request, at earliest: at once for a page with milliseconds or with no
// samples yet; for a whole-seconds page, so that the middle of its round trip falls where the
// page's second would change if the offset were the middle of what the samples leave open,
// which halves that (less half a round trip) whichever second the answer states.
Microseconds NextSendAt(std::span<const TimedSample> samples, Microseconds earliest);

// When to send the next request, no earlier than now; nothing when measuring should stop: the
// bound is within kWantedBound after two requests or more, the samples contradict each other,
// the requests for the kind of page are used up, or the next answer would come after
// kLongestMeasurement from the first request.
std::optional<Microseconds> NextRequestAt(std::span<const TimedSample> samples, Microseconds now);

// The record to write at the instant now for a measured offset: now + offset less the user's
// offset in minutes, rounded to the millisecond; for an offset of the whole instant with its
// date, else its time of day on the date nearest the clock's (as a set with whole seconds does).
platform::SystemTime RecordAt(Microseconds now, const OffsetEstimate& estimate,
                              std::int16_t offsetMinutes);

}  // namespace chronalign
