#include "sync/clock_offset.h"

#include <algorithm>
#include <vector>

#include "numbers/integer.h"
#include "numbers/time_of_day.h"

namespace chronalign {

namespace {

constexpr Microseconds kMillisecond = 1'000;
constexpr Microseconds kSecond = 1'000'000;
constexpr Microseconds kDay = Microseconds{kSecondsPerDay} * kSecond;

// The offsets a sample allows, lo <= offset < hi. The server read its clock at some instant
// between sending and arrival, and the page states that reading truncated to its unit: the
// stated unit began no later than arrival and ended no earlier than sending.
struct Allowed {
    Microseconds lo = 0;
    Microseconds hi = 0;
};

Microseconds RoundTrip(const TimedSample& s) {
    return s.arrived - s.sent;
}

Microseconds Middle(const Allowed& a) {
    return a.lo + (a.hi - a.lo) / 2;
}

// Where the page states a time of day only, the stamps carry the date: a sample's offsets move
// by whole days to lie nearest reference, so that a sample across midnight, or one on either
// side of it, agrees with the rest. Where it states the date as well, the offsets stand.
Allowed AllowedBy(const TimedSample& s, Microseconds reference, bool dated) {
    const Microseconds stated =
        dated ? Stated(s.page) : Microseconds{s.page.millisecondOfDay} * kMillisecond;
    const Microseconds unit = s.page.milliseconds ? kMillisecond : kSecond;
    Allowed a{stated - s.arrived, stated + unit - s.sent};
    if (dated)
        return a;
    const Microseconds days = FloorDiv(reference - Middle(a) + kDay / 2, kDay);
    a.lo += days * kDay;
    a.hi += days * kDay;
    return a;
}

bool WellFormed(const TimedSample& s) {
    return s.arrived >= s.sent && s.page.millisecondOfDay >= 0 &&
           Microseconds{s.page.millisecondOfDay} * kMillisecond < kDay;
}

bool AllDated(std::span<const TimedSample> samples) {
    return std::all_of(samples.begin(), samples.end(),
                       [](const TimedSample& s) { return s.page.day.has_value(); });
}

// Each sample's allowed offsets: of the whole instant when every sample states its date; else
// the first's within half a day of none, the others' nearest the first's. Nothing when a sample
// is malformed.
std::optional<std::vector<Allowed>> AllAllowed(std::span<const TimedSample> samples) {
    const bool dated = AllDated(samples);
    std::vector<Allowed> all;
    for (const TimedSample& s : samples) {
        if (!WellFormed(s))
            return std::nullopt;
        all.push_back(AllowedBy(s, all.empty() ? 0 : Middle(all.front()), dated));
    }
    return all;
}

// What every sample allows; nothing when they allow nothing in common.
std::optional<Allowed> Intersection(const std::vector<Allowed>& all) {
    if (all.empty())
        return std::nullopt;
    Allowed common = all.front();
    for (const Allowed& a : all) {
        common.lo = std::max(common.lo, a.lo);
        common.hi = std::min(common.hi, a.hi);
    }
    if (common.lo >= common.hi)
        return std::nullopt;
    return common;
}

OffsetEstimate Around(const Allowed& a) {
    return {Middle(a), (a.hi - a.lo + 1) / 2};
}

bool AnyMilliseconds(std::span<const TimedSample> samples) {
    return std::any_of(samples.begin(), samples.end(),
                       [](const TimedSample& s) { return s.page.milliseconds; });
}

Microseconds ShortestRoundTrip(std::span<const TimedSample> samples) {
    Microseconds shortest = samples.empty() ? 0 : RoundTrip(samples.front());
    for (const TimedSample& s : samples) shortest = std::min(shortest, RoundTrip(s));
    return shortest;
}

}  // namespace

Microseconds Stated(const PageTime& page) {
    Microseconds at = Microseconds{page.millisecondOfDay} * kMillisecond;
    if (page.day)
        at += (*page.day + kDaysFrom1601To1970) * kDay;
    return at;
}

std::optional<OffsetEstimate> EstimateOffset(std::span<const TimedSample> samples) {
    const std::optional<std::vector<Allowed>> all = AllAllowed(samples);
    if (!all)
        return std::nullopt;
    const std::optional<Allowed> common = Intersection(*all);
    if (!common)
        return std::nullopt;
    OffsetEstimate estimate = Around(*common);
    if (AnyMilliseconds(samples)) {
        std::size_t best = samples.size();
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (samples[i].page.milliseconds &&
                (best == samples.size() || RoundTrip(samples[i]) < RoundTrip(samples[best])))
                best = i;
        }
        estimate = Around((*all)[best]);
    }
    estimate.wholeInstant = AllDated(samples);
    return estimate;
}

Microseconds NextSendAt(std::span<const TimedSample> samples, Microseconds earliest) {
    if (samples.empty() || AnyMilliseconds(samples))
        return earliest;
    const std::optional<std::vector<Allowed>> all = AllAllowed(samples);
    const std::optional<Allowed> common = all ? Intersection(*all) : std::nullopt;
    if (!common)
        return earliest;
    // The server's second changes where its clock, the system clock plus the offset, is whole.
    const Microseconds guess = Middle(*common);
    const Microseconds halfTrip = ShortestRoundTrip(samples) / 2;
    const Microseconds change = -FloorDiv(-(earliest + halfTrip + guess), kSecond) * kSecond;
    return change - guess - halfTrip;
}

std::optional<Microseconds> NextRequestAt(std::span<const TimedSample> samples, Microseconds now) {
    if (samples.empty())
        return now;
    const std::optional<OffsetEstimate> estimate = EstimateOffset(samples);
    if (!estimate || (samples.size() > 1 && estimate->bound <= kWantedBound))
        return std::nullopt;
    const auto made = static_cast<std::ptrdiff_t>(samples.size());
    if (AnyMilliseconds(samples))
        return made < kMostRequestsMilliseconds ? std::optional(now) : std::nullopt;
    if (made >= kMostRequestsWholeSeconds)
        return std::nullopt;
    const Microseconds at = NextSendAt(samples, now);
    if (at + ShortestRoundTrip(samples) > samples.front().sent + kLongestMeasurement)
        return std::nullopt;
    return at;
}

platform::SystemTime RecordAt(Microseconds now, const OffsetEstimate& estimate,
                              std::int16_t offsetMinutes) {
    const Microseconds wanted = now + estimate.offset - Microseconds{offsetMinutes} * 60 * kSecond;
    const Microseconds msPerDay = kDay / kMillisecond;
    const Microseconds ms = FloorDiv(wanted + kMillisecond / 2, kMillisecond);
    if (estimate.wholeInstant)
        return RecordOfInstant(ms * kMillisecond);
    const Microseconds msOfDay = ms - FloorDiv(ms, msPerDay) * msPerDay;
    platform::SystemTime t =
        WithNearestTimeOfDay(RecordOfInstant(now), static_cast<std::int32_t>(msOfDay / 1000));
    t.wMilliseconds = static_cast<std::uint16_t>(msOfDay % 1000);
    return t;
}

}  // namespace chronalign
