// Work run in place, on the caller's thread; its deadline passes when a test says so.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/worker.h"

namespace fake {

struct WorkerState {
    std::uint32_t deadlineMs = 0;  // as asked last
    bool abandonedAlive = false;   // a work given up on earlier still runs: none starts
    std::function<void()> giveUp;  // the running work's, while it runs
    bool givenUp = false;          // the running work's deadline has passed
};

WorkerState& Worker();
void ResetWorker();

// From inside a work (a scripted download's hook): its deadline passes now. The waiting side's
// giveUp runs at once, the work goes on to its end, and the run counts as given up.
void PassDeadline();

}  // namespace fake
