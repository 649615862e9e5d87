#include "sync/sync_core.h"

#include <optional>

#include "numbers/time_of_day.h"
#include "sync/server_time.h"

namespace chronalign {

namespace {

constexpr std::int32_t kMillisecondsPerDay = kSecondsPerDay * 1000;

// Only a malformed page, or an offset beyond the list's, leaves the time outside one day; such
// a time is no reason to move the clock.
bool WithinOneDay(const ServerTime& t) {
    return t.hour >= 0 && t.hour <= 23;
}

bool OffsetWithinOneDay(const PageTime& page, std::int16_t offsetMinutes) {
    ServerTime t{static_cast<std::int16_t>(page.millisecondOfDay / 3'600'000),
                 static_cast<std::int16_t>(page.millisecondOfDay / 60'000 % 60),
                 static_cast<std::int16_t>(page.millisecondOfDay / 1000 % 60)};
    ApplyOffset(t.hour, t.minute, t.second, offsetMinutes);
    return WithinOneDay(t);
}

// The clock's lead in milliseconds, the short way round, to the nearest second.
std::int32_t LeadInSeconds(const platform::SystemTime& clock, std::int32_t serverMs) {
    std::int32_t lead =
        (SecondsOfDay(clock) * 1000 + clock.wMilliseconds - serverMs) % kMillisecondsPerDay;
    if (lead > kMillisecondsPerDay / 2)
        lead -= kMillisecondsPerDay;
    if (lead <= -kMillisecondsPerDay / 2)
        lead += kMillisecondsPerDay;
    return (lead >= 0 ? lead + 500 : lead - 500) / 1000;
}

// The clock's lead over a page that states the whole instant, in seconds of any size: to the
// nearest second with milliseconds, else that of the whole seconds as the page and the clock
// state them.
std::int64_t WholeLead(const platform::SystemTime& clock, const PageTime& page,
                       std::int16_t offsetMinutes) {
    const std::int64_t clockMs = InstantOfRecord(clock) / 1000;
    const std::int64_t serverMs = Stated(page) / 1000 - std::int64_t{offsetMinutes} * 60'000;
    if (!page.milliseconds)
        return clockMs / 1000 - serverMs / 1000;
    const std::int64_t lead = clockMs - serverMs;
    return (lead >= 0 ? lead + 500 : lead - 500) / 1000;
}

}  // namespace

SyncResult CompareWithTimePage(PageFetch fetch, const std::string& address,
                               std::int16_t offsetMinutes, std::uint32_t deadlineMs) {
    const std::optional<platform::PageAnswer> answer = fetch(address, deadlineMs);
    if (!answer)
        return {};
    const std::string& body = answer->body;
    const std::optional<ServerTime> server = ExtractServerTime(body, offsetMinutes);
    if (!server)
        return {};
    const platform::SystemTime clock = platform::GetSystemTime();  // after the page arrived
    const std::optional<PageTime> page = ReadPageTime(body, answer->date);
    if (page && page->day)
        return {SyncOutcome::Compared, WholeLead(clock, *page, offsetMinutes), {}, clock};
    if (page && page->milliseconds) {
        const std::int32_t serverMs = page->millisecondOfDay - offsetMinutes * 60'000;
        return {SyncOutcome::Compared, LeadInSeconds(clock, serverMs), {}, clock};
    }
    const std::int32_t seconds = SecondsOf(server->hour, server->minute, server->second);
    const std::int32_t lead = ShortWayRound(SecondsOfDay(clock) - seconds);
    return {SyncOutcome::Compared, lead, {}, clock};
}

SyncResult SetFromTimePage(PageMeasure measure, const std::string& address,
                           std::int16_t offsetMinutes, std::uint32_t deadlineMs) {
    const Measurement measured = measure(address, deadlineMs);
    if (measured.unusable || measured.samples.empty() ||
        !OffsetWithinOneDay(measured.samples.front().page, offsetMinutes))
        return {};
    const std::optional<OffsetEstimate> estimate = EstimateOffset(measured.samples);
    if (!estimate)
        return {};
    const Microseconds now = platform::PreciseSystemTime();
    const platform::SystemTime wanted = RecordAt(now, *estimate, offsetMinutes);
    const bool accepted = platform::SetSystemTime(wanted);
    return {accepted ? SyncOutcome::SetAccepted : SyncOutcome::SetRefused, 0, wanted,
            RecordOfInstant(now), estimate->bound};
}

}  // namespace chronalign
