// The automatic schedule, asked at every tick of the window's timer.
#pragma once

#include "app/program_state.h"

namespace chronalign {

// Sets the clock through CheckOrSynchronize when automatic synchronization is on and its
// interval has passed since LastSyncTime, or a resume waits for its set; after a failure, tries
// again at most once a minute. Does nothing while a synchronization runs or a loop of the
// window's own (a menu, a message box, a move) holds the window: the first tick after it decides.
void AutoSyncTick();

// The system has resumed from sleep or hibernation: when automatic synchronization is on, the
// schedule sets the clock once the network has had a few seconds to come back, whatever
// LastSyncTime says.
void AutoSyncResumed();

// One automatic synchronization, at start-up or when the schedule finds one due: a failure
// makes the schedule wait before its next attempt.
void AutoSynchronize();

}  // namespace chronalign
