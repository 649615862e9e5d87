#include "app/check_sync.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/window.h"
#include "settings/time_page.h"
#include "sync/server_time.h"
#include "sync/service_sync.h"
#include "sync/sync_core.h"
#include "sync/url_text.h"

namespace chronalign {

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

// One confirming look before a difference is reported; it writes its own outcome.
SyncOutcome Recheck() {
    platform::DoEvents();
    platform::Sleep(kRecheckPause);
    return CheckOrSynchronize(true, true);
}

// "h:mm:ss AMPM": the 12-hour clock, the hours 0 and 12 both showing as 12.
std::string AmPmTime(const platform::TimeOfDay& t) {
    const int hour = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char digits[40];
    std::snprintf(digits, sizeof digits, "%d:%02d:%02d ", hour, t.minute, t.second);
    return digits + (t.hour < 12 ? platform::AmDesignator() : platform::PmDesignator());
}

// Written whether or not the system took the time: the schedule counts attempts to set.
void MarkClockSet() {
    LastSyncTime = static_cast<float>(platform::SecondsSinceMidnight());
}

// The outcome of one run on the status line, and LastSyncTime after a clock set.
SyncOutcome Report(const SyncResult& result, bool bRecheck) {
    switch (result.outcome) {
        case SyncOutcome::NoServerTime:
            Status(kNoTime);
            break;
        case SyncOutcome::Compared:
            if (std::abs(result.difference) <= kTolerance)
                Status(kTimeOk);
            else if (bRecheck)
                Status("Local time inaccurate - difference is " +
                       std::to_string(std::abs(result.difference)) + " seconds!");
            else
                return Recheck();
            break;
        case SyncOutcome::SetAccepted:
            Status("Time updated succesfully! (" + AmPmTime(platform::LocalTimeOfDay()) + ")");
            MarkClockSet();
            break;
        case SyncOutcome::SetRefused:
            Status(kSetRefused);
            MarkClockSet();
            break;
    }
    return result.outcome;
}

// The time service sets the clock when it answers: a program without the right to set it
// would only be refused. Without the service the program sets the clock itself.
SyncResult SetClock() {
    if (const std::optional<SyncResult> result = SynchronizeThroughService(OffsetMinutes))
        return *result;
    return SyncWithTimePage(GetUrlText, TimePageAddress(), OffsetMinutes, SyncAction::Set);
}

SyncOutcome Run(bool bCheckOnly, bool bRecheck) {
    Status(kGettingTime);
    platform::DoEvents();  // paint the text before the download blocks the thread
    const SyncResult result = bCheckOnly ? SyncWithTimePage(GetUrlText, TimePageAddress(),
                                                            OffsetMinutes, SyncAction::Compare)
                                         : SetClock();
    return Report(result, bRecheck);
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
