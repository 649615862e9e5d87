#include "sync/check_sync.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string_view>

#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/window.h"
#include "settings/time_page.h"
#include "sync/server_time.h"
#include "sync/time_of_day.h"
#include "sync/url_text.h"

namespace chronalign {

float LastSyncTime = 0;

namespace {

using platform::Control;

constexpr std::int32_t kTolerance = 1;        // seconds
constexpr std::uint32_t kRecheckPause = 500;  // milliseconds

constexpr std::string_view kGettingTime = "Getting Time...";
constexpr std::string_view kTimeOk = "Local time is ok";
constexpr std::string_view kNoTime = "Cannot get time from server! (internet running?)";
constexpr std::string_view kSetRefused = "Cannot set system time! (administrator rights needed?)";

void Status(std::string_view text) {
    platform::SetText(Control::lblInfo, text);
}

// "h:mm:ss AMPM": the 12-hour clock, the hours 0 and 12 both showing as 12.
std::string AmPmTime(const platform::TimeOfDay& t) {
    const int hour = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char digits[40];
    std::snprintf(digits, sizeof digits, "%d:%02d:%02d ", hour, t.minute, t.second);
    return digits + (t.hour < 12 ? platform::AmDesignator() : platform::PmDesignator());
}

SyncOutcome SetClock(const platform::SystemTime& clock, const ServerTime& server) {
    const std::int32_t seconds = 3600 * server.hour + 60 * server.minute + server.second;
    const bool accepted = platform::SetSystemTime(WithNearestTimeOfDay(clock, seconds));
    if (accepted)
        Status("Time updated succesfully! (" + AmPmTime(platform::LocalTimeOfDay()) + ")");
    else
        Status(kSetRefused);
    // Written whether or not the system took the time: the schedule counts attempts to set.
    LastSyncTime = static_cast<float>(platform::SecondsSinceMidnight());
    return accepted ? SyncOutcome::Done : SyncOutcome::SetRefused;
}

SyncOutcome Compare(const platform::SystemTime& clock, const ServerTime& server, bool bRecheck) {
    const std::int32_t serverSeconds = 3600 * server.hour + 60 * server.minute + server.second;
    const std::int32_t d = ShortWayRound(SecondsOfDay(clock) - serverSeconds);
    if (std::abs(d) <= kTolerance) {
        Status(kTimeOk);
        return SyncOutcome::Done;
    }
    if (bRecheck) {
        Status("Local time inaccurate - difference is " + std::to_string(std::abs(d)) +
               " seconds!");
        return SyncOutcome::Done;
    }
    // One confirming look before a difference is reported; it writes its own outcome.
    platform::DoEvents();
    platform::Sleep(kRecheckPause);
    return CheckOrSynchronize(true, true);
}

SyncOutcome Run(bool bCheckOnly, bool bRecheck) {
    Status(kGettingTime);
    platform::DoEvents();  // paint the text before the download blocks the thread
    const std::optional<ServerTime> server =
        ExtractServerTime(GetUrlText(TimePageAddress()), OffsetMinutes);
    if (!server) {
        Status(kNoTime);
        return SyncOutcome::NoServerTime;
    }
    const platform::SystemTime clock = platform::GetSystemTime();  // after the page arrived
    return bCheckOnly ? Compare(clock, *server, bRecheck) : SetClock(clock, *server);
}

}  // namespace

SyncOutcome CheckOrSynchronize(bool bCheckOnly, bool bRecheck) {
    try {
        return Run(bCheckOnly, bRecheck);
    } catch (const std::exception&) {
        // Out of memory and the like: the user hears what any other failure to get the time
        // says. Whether the clock was set by then is unknown, so it counts as not set.
        Status(kNoTime);
        return SyncOutcome::NoServerTime;
    }
}

}  // namespace chronalign
