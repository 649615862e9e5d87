// Check and synchronize: compare the server time with the system clock, or set the clock.
#pragma once

#include <string>

namespace chronalign {

// Seconds since local midnight right after the last clock-setting call of this run; 0 until
// the first.
extern float LastSyncTime;

// How a run ended, for a caller that retries (the automatic schedule); the status line has
// told the user already.
enum class SyncOutcome {
    Done,          // compared, or the clock was set
    NoServerTime,  // no time from the page: nothing compared, nothing set
    SetRefused,    // the system refused the new time
};

// bCheckOnly: compare and report (true) or set the clock (false). bRecheck: this run is the
// confirming re-check of a compare. Every outcome goes to the status line.
SyncOutcome CheckOrSynchronize(bool bCheckOnly, bool bRecheck);

}  // namespace chronalign
