// Work run in place, on the caller's thread; its deadline passes when a test says so.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/worker.h"

namespace fake {

struct WorkerState {
    bool abandonedAlive = false;   // a work given up on earlier still runs: none starts
    std::function<void()> giveUp;  // the running work's
    bool givenUp = false;
};

WorkerState& Worker();
void ResetWorker();

// From inside a work (a scripted download's hook): the waiting side gives up on it now, and
// the work goes on to its end.
void PassDeadline();

}  // namespace fake
