#include "sync/sync_core.h"

#include <optional>

#include "numbers/time_of_day.h"
#include "sync/server_time.h"

namespace chronalign {

namespace {

// Only a malformed page, or an offset beyond the list's, leaves the time outside one day; such
// a time is no reason to move the clock.
bool WithinOneDay(const ServerTime& t) {
    return t.hour >= 0 && t.hour <= 23;
}

}  // namespace

SyncResult SyncWithTimePage(PageFetch fetch, const std::string& address, std::int16_t offsetMinutes,
                            SyncAction action) {
    const std::optional<ServerTime> server = ExtractServerTime(fetch(address), offsetMinutes);
    if (!server || (action == SyncAction::Set && !WithinOneDay(*server)))
        return {};
    const std::int32_t seconds = SecondsOf(server->hour, server->minute, server->second);
    const platform::SystemTime clock = platform::GetSystemTime();  // after the page arrived
    if (action == SyncAction::Compare) {
        const std::int32_t lead = ShortWayRound(SecondsOfDay(clock) - seconds);
        return {SyncOutcome::Compared, lead, {}, clock};
    }
    const platform::SystemTime wanted = WithNearestTimeOfDay(clock, seconds);
    const bool accepted = platform::SetSystemTime(wanted);
    return {accepted ? SyncOutcome::SetAccepted : SyncOutcome::SetRefused, 0, wanted, clock};
}

}  // namespace chronalign
