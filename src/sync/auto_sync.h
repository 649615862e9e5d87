// The automatic schedule, asked at every tick of the window's timer.
#pragma once

namespace chronalign {

// Sets the clock through CheckOrSynchronize when automatic synchronization is on and its
// interval has passed since LastSyncTime.
void AutoSyncTick();

}  // namespace chronalign
