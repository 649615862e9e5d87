#include "sync/sync_core.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "numbers/time_of_day.h"
#include "platform/worker.h"
#include "sync/agreement.h"
#include "sync/download_limits.h"
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

// Milliseconds to the nearest second, halves away from zero.
std::int64_t NearestSecond(std::int64_t ms) {
    return (ms >= 0 ? ms + 500 : ms - 500) / 1000;
}

// The clock's lead in milliseconds, the short way round, to the nearest second.
std::int64_t LeadInSeconds(const platform::SystemTime& clock, std::int32_t serverMs) {
    return NearestSecond(
        ShortWayRound(std::int64_t{SecondsOfDay(clock)} * 1000 + clock.wMilliseconds - serverMs,
                      kMillisecondsPerDay));
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
    return NearestSecond(clockMs - serverMs);
}

// What get gives for each address, each on a worker of its own, side by side, all within the
// milliseconds: what one has not given by then and the grace after it counts as nothing.
template <typename Result, typename Get>
std::vector<Result> SideBySide(const std::vector<std::string>& addresses, std::uint32_t deadlineMs,
                               Get get) {
    std::vector<std::shared_ptr<Result>> held;
    std::vector<std::function<void()>> works;
    for (const std::string& address : addresses) {
        auto result = std::make_shared<Result>();
        held.push_back(result);
        works.push_back([result, address, deadlineMs, get] { *result = get(address, deadlineMs); });
    }
    const std::vector<bool> ended =
        platform::RunSideBySide(std::move(works), deadlineMs + download::kGraceMs);
    std::vector<Result> results;
    for (std::size_t i = 0; i < held.size(); ++i) results.push_back(ended[i] ? *held[i] : Result{});
    return results;
}

// A page's one answer, compared on its own.
SyncResult CompareOne(const std::optional<platform::PageAnswer>& answer,
                      std::int16_t offsetMinutes) {
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

// What one answer allows of the clock's offset: the page's reading was taken between the
// request's sending and the answer's arrival.
std::optional<OffsetEstimate> ReadingOf(const std::optional<platform::PageAnswer>& answer) {
    const std::optional<PageTime> page =
        answer ? ReadPageTime(answer->body, answer->date) : std::nullopt;
    if (!page)
        return std::nullopt;
    return EstimateOffset(std::array{TimedSample{answer->sent, answer->arrived, *page}});
}

// What a measure gives of the clock's offset.
std::optional<OffsetEstimate> ReadingOf(const Measurement& measured, std::int16_t offsetMinutes) {
    if (measured.unusable || measured.samples.empty() ||
        !OffsetWithinOneDay(measured.samples.front().page, offsetMinutes))
        return std::nullopt;
    return EstimateOffset(measured.samples);
}

// The offset the pages agree on. Without one the result says why: no page gave a time, or they
// disagree. With several pages it holds what each said.
std::optional<OffsetEstimate> Agreed(const std::vector<std::string>& addresses,
                                     const std::vector<std::optional<OffsetEstimate>>& readings,
                                     SyncResult& result) {
    if (addresses.size() > 1)
        for (std::size_t i = 0; i < addresses.size(); ++i)
            result.pages.push_back({addresses[i], readings[i]});
    if (std::none_of(readings.begin(), readings.end(),
                     [](const std::optional<OffsetEstimate>& r) { return r.has_value(); }))
        return std::nullopt;
    const std::optional<Agreement> agreement = SelectAgreeing(readings);
    if (!agreement) {
        result.outcome = SyncOutcome::Disagreed;
        return std::nullopt;
    }
    return agreement->offset;
}

// The clock's lead over an agreed offset less the user's, to the nearest second: the short way
// round the clock unless it holds the whole instant.
std::int64_t LeadOver(const OffsetEstimate& agreed, std::int16_t offsetMinutes) {
    constexpr Microseconds kDay = Microseconds{kSecondsPerDay} * 1'000'000;
    const Microseconds lead = Microseconds{offsetMinutes} * 60'000'000 - agreed.offset;
    return NearestSecond((agreed.wholeInstant ? lead : ShortWayRound(lead, kDay)) / 1000);
}

}  // namespace

SyncResult CompareWithTimePages(PageFetch fetch, const std::vector<std::string>& addresses,
                                std::int16_t offsetMinutes, std::uint32_t deadlineMs) {
    const std::vector<std::optional<platform::PageAnswer>> answers =
        SideBySide<std::optional<platform::PageAnswer>>(addresses, deadlineMs, fetch);
    if (answers.size() == 1)
        return CompareOne(answers.front(), offsetMinutes);
    std::vector<std::optional<OffsetEstimate>> readings;
    readings.reserve(answers.size());
    for (const std::optional<platform::PageAnswer>& answer : answers)
        readings.push_back(ReadingOf(answer));
    SyncResult result;
    const std::optional<OffsetEstimate> agreed = Agreed(addresses, readings, result);
    if (!agreed)
        return result;
    result.outcome = SyncOutcome::Compared;
    result.difference = LeadOver(*agreed, offsetMinutes);
    result.clock = platform::GetSystemTime();
    return result;
}

SyncResult SetFromTimePages(PageMeasure measure, const std::vector<std::string>& addresses,
                            std::int16_t offsetMinutes, std::uint32_t deadlineMs) {
    std::vector<std::optional<OffsetEstimate>> readings;
    for (const Measurement& measured : SideBySide<Measurement>(addresses, deadlineMs, measure))
        readings.push_back(ReadingOf(measured, offsetMinutes));
    SyncResult result;
    const std::optional<OffsetEstimate> agreed = Agreed(addresses, readings, result);
    if (!agreed)
        return result;
    const bool accepted = platform::SetSystemTime([&](Microseconds now) {
        result.clock = RecordOfInstant(now);
        result.written = RecordAt(now, *agreed, offsetMinutes);
        return result.written;
    });
    result.outcome = accepted ? SyncOutcome::SetAccepted : SyncOutcome::SetRefused;
    result.bound = agreed->bound;
    return result;
}

}  // namespace chronalign
