// Works run in turn on the calling thread, each to its end: the fake network and clock answer
// without waiting, so in turn and side by side come to the same. A test may have the waiting
// side give up on chosen works.
#pragma once

#include <cstddef>
#include <set>

namespace fake {

struct WorkerState {
    std::set<std::size_t> givenUp;  // by place in a call's works: run, then counted as not ended
    int calls = 0;
};

WorkerState& Workers();
void ResetWorkers();

}  // namespace fake
