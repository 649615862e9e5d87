#include "app/auto_sync.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/check_sync.h"
#include "app/run_step.h"
#include "numbers/convert.h"
#include "numbers/time_of_day.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace chronalign {

namespace {

using platform::Control;

constexpr std::int32_t kDefaultMinutes = 15;
constexpr std::int64_t kRetryPause = 60;  // seconds
// After a resume a network adapter takes seconds to connect again; an attempt before that would
// only fail and then wait out the retry pause.
constexpr double kResumeSettle = 10;  // seconds

std::int32_t RoundHalfEven(double x) {
    constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
    if (!(x < kLimit))
        return std::numeric_limits<std::int32_t>::max();
    double whole = std::floor(x);
    const double fraction = x - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2) != 0))
        whole += 1;
    return static_cast<std::int32_t>(whole);
}

// Seconds from then to now, both seconds since local midnight, through midnight if need be.
double SecondsSince(double then, double now) {
    const double since = now - then;
    return since < 0 ? since + kSecondsPerDay : since;
}

bool WaitingAfterFailure(double now, std::int64_t interval) {
    if (!AutoSyncFailure.pending)
        return false;
    if (LastSyncTime != AutoSyncFailure.lastSyncTime) {  // set by someone since: start afresh
        AutoSyncFailure = {};
        return false;
    }
    return SecondsSince(AutoSyncFailure.endedAt, now) <
           static_cast<double>(std::min(kRetryPause, interval));
}

// Whether a resume still waits for its clock set: a set of any origin since answers it.
bool ResumePending() {
    if (AutoSyncResume.pending && LastSyncTime != AutoSyncResume.lastSyncTime)
        AutoSyncResume = {};
    return AutoSyncResume.pending;
}

}  // namespace

void AutoSynchronize() {
    // Pages that disagree leave the clock as it was, as no time does: tried again a minute on.
    const SyncOutcome outcome = CheckOrSynchronize(false, false);
    if (outcome == SyncOutcome::NoServerTime || outcome == SyncOutcome::Disagreed)
        AutoSyncFailure = {true, platform::SecondsSinceMidnight(), LastSyncTime};
    else
        AutoSyncFailure = {};
}

// Step by step: a step that fails is skipped, its value stays as it was, and the next goes on.
void AutoSyncTick() {
    // A tick while a synchronization runs (its events are taken meanwhile) decides nothing: the
    // first tick after it does, against what it left. Nor does a tick inside a menu's, a message
    // box's or a move's own loop: a synchronization started there would hold that loop, and
    // the user with it, until it ended.
    if (SynchronizationRunning() || platform::InModalLoop())
        return;
    bool off = false;
    RunStep([&] { off = platform::GetValue(Control::chkAuto) == 0; });
    if (off) {
        AutoSyncFailure = {};  // switched off: switching on again tries at once
        AutoSyncResume = {};   // and goes by LastSyncTime alone
        return;
    }
    std::int32_t minutes = 0;
    RunStep([&] { minutes = ToLong(platform::GetText(Control::txtInterval)); });
    if (minutes < 1)
        minutes = kDefaultMinutes;
    const std::int64_t interval = std::int64_t{minutes} * 60;
    double now = 0;
    std::int32_t elapsed = 0;
    RunStep([&] {
        now = platform::SecondsSinceMidnight();
        elapsed = RoundHalfEven(std::fabs(now - LastSyncTime));
    });
    bool due = interval < elapsed;
    if (ResumePending()) {
        if (SecondsSince(AutoSyncResume.at, now) < kResumeSettle)
            return;  // not even what the interval says: the network is not back yet
        due = true;
    }
    if (!due || WaitingAfterFailure(now, interval))
        return;
    RunStep(AutoSynchronize);
}

void AutoSyncResumed() {
    double now = 0;
    RunStep([&] { now = platform::SecondsSinceMidnight(); });
    AutoSyncResume = {true, now, LastSyncTime};
}

}  // namespace chronalign
