// The automatic schedule, asked at every tick of the window's timer.
#pragma once

namespace chronalign {

// An automatic synchronization that could not get the time, so that the next attempt waits a
// while instead of coming at every tick.
struct AutoSyncFailureState {
    bool pending = false;
    double endedAt = 0;      // seconds since local midnight when the failed attempt returned
    float lastSyncTime = 0;  // LastSyncTime then: a clock set since then ends the wait
};
extern AutoSyncFailureState AutoSyncFailure;

// Sets the clock through CheckOrSynchronize when automatic synchronization is on and its
// interval has passed since LastSyncTime; after a failure, tries again at most once a minute.
// Does nothing while a synchronization runs.
void AutoSyncTick();

// One automatic synchronization, at start-up or when the schedule finds one due: a failure
// makes the schedule wait before its next attempt.
void AutoSynchronize();

}  // namespace chronalign
