#include "app/check_sync.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/service_pipe.h"
#include "platform/window.h"
#include "settings/time_page.h"
#include "sync/download_limits.h"
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
constexpr std::string_view kDisagreed = "Time servers disagree! (clock not changed)";

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

// Written whether or not the system took the time: the schedule counts attempts to set.
void MarkClockSet() {
    LastSyncTime = static_cast<float>(platform::SecondsSinceMidnight());
}

// The outcome of a run on the status line, and LastSyncTime after a clock set.
void Report(const SyncResult& result) {
    switch (result.outcome) {
        case SyncOutcome::NoServerTime:
            Status(kNoTime);
            break;
        case SyncOutcome::Compared:
            if (std::abs(result.difference) <= kTolerance)
                Status(kTimeOk);
            else
                Status("Local time inaccurate - difference is " +
                       std::to_string(std::abs(result.difference)) + " seconds!");
            break;
        case SyncOutcome::SetAccepted:
            Status("Time updated succesfully! (" + AmPmTime(platform::LocalTimeOfDay()) + ")");
            MarkClockSet();
            break;
        case SyncOutcome::SetRefused:
            Status(kSetRefused);
            MarkClockSet();
            break;
        case SyncOutcome::Disagreed:
            Status(kDisagreed);
            break;
    }
}

// One step of a run on a worker, while the window goes on answering: its result, or nothing when
// the window gave up on it. The step's own bound plus the grace is the window's limit: where the
// libraries keep their time-outs the worker has ended by then; where they do not (Wine's, or a
// server that drips its headers), it is left to end alone.
template <typename Step>
auto OnWorker(Step step, std::uint32_t boundMs) -> std::optional<decltype(step())> {
    auto result = std::make_shared<decltype(step())>();
    if (!platform::RunWhileDoingEvents([=] { *result = step(); }, boundMs + download::kGraceMs))
        return std::nullopt;
    return *result;
}

// The downloads, the call to the service and the measures, which may each take many seconds, are
// made on workers while the window goes on answering; what they need is read here, before they
// start, and only this thread writes the status line. The pages' downloads or measures run side
// by side on workers of their own, each given up on at its deadline and the grace (the step's
// bound), which the window allows its own grace beyond. The time service sets the clock when it
// answers: a program without the right to set it would only be refused. Without the service the
// program sets the clock itself.
SyncResult Fetch(bool bCheckOnly) {
    Status(kGettingTime);
    platform::DoEvents();  // paint the text before the wait
    const std::vector<std::string> pages = ListedPages(TimePageAddress());
    const std::int16_t offset = OffsetMinutes;
    constexpr std::uint32_t kDeadline = download::kDeadlineMs;
    constexpr std::uint32_t kPagesBound = kDeadline + download::kGraceMs;
    if (bCheckOnly)
        return OnWorker([=] { return CompareWithTimePages(GetUrlText, pages, offset, kDeadline); },
                        kPagesBound)
            .value_or(SyncResult{});
    const auto served = OnWorker([=] { return SynchronizeThroughService(offset); },
                                 platform::kTimeServicePatienceMs);
    if (!served)
        return {};  // given up on: it may yet have the service set the clock
    if (*served)
        return **served;
    return OnWorker([=] { return SetFromTimePages(MeasureTimePage, pages, offset, kDeadline); },
                    kPagesBound)
        .value_or(SyncResult{});
}

bool Inaccurate(const SyncResult& result) {
    return result.outcome == SyncOutcome::Compared && std::abs(result.difference) > kTolerance;
}

SyncOutcome Run(bool bCheckOnly, bool bRecheck) {
    SyncResult result = Fetch(bCheckOnly);
    // A difference is looked at once more, half a second later, before it is reported.
    if (!bRecheck && Inaccurate(result)) {
        platform::DoEvents();
        platform::Sleep(kRecheckPause);
        result = Fetch(true);
    }
    Report(result);
    return result.outcome;
}

}  // namespace

bool SynchronizationRunning() {
    return Program.SynchronizationRunning;
}

SyncOutcome CheckOrSynchronize(bool bCheckOnly, bool bRecheck) {
    if (Program.SynchronizationRunning)
        return SyncOutcome::NoServerTime;  // the one running reports
    struct Running {
        Running() { Program.SynchronizationRunning = true; }
        ~Running() { Program.SynchronizationRunning = false; }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
    } const guard;
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
