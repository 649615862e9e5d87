// Check and synchronize: compare the server time with the system clock, or set the clock.
#pragma once

#include <string>

#include "app/program_state.h"
#include "sync/sync_core.h"

namespace chronalign {

// bCheckOnly: compare and report (true) or set the clock (false). bRecheck: this run is the
// confirming re-check of a compare; otherwise a difference beyond a second is compared once
// more before it is reported. Every outcome goes to the status line; the result tells a caller
// that retries (the automatic schedule) how the last run ended.
//
// The window's events run while the download and the time service are waited for. A call
// while a synchronization runs starts nothing and returns NoServerTime: the running one
// reports.
SyncOutcome CheckOrSynchronize(bool bCheckOnly, bool bRecheck);

// True while CheckOrSynchronize runs.
bool SynchronizationRunning();

}  // namespace chronalign
