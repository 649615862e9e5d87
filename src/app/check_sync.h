// Check and synchronize: compare the server time with the system clock, or set the clock.
#pragma once

#include <string>

#include "app/program_state.h"
#include "sync/sync_core.h"

namespace chronalign {

// bCheckOnly: compare and report (true) or set the clock (false). bRecheck: this run is the
// confirming re-check of a compare. Every outcome goes to the status line; the result
// tells a caller that retries (the automatic schedule) how the last run ended.
SyncOutcome CheckOrSynchronize(bool bCheckOnly, bool bRecheck);

}  // namespace chronalign
