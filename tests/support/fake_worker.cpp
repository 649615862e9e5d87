#include "fake_worker.h"

#include <string>
#include <utility>

#include "fake_log.h"

namespace fake {

WorkerState& Worker() {
    static WorkerState state;
    return state;
}

void ResetWorker() {
    Worker() = WorkerState{};
}

void PassDeadline() {
    Record("PassDeadline");
    Worker().givenUp = true;
    if (Worker().giveUp)
        std::exchange(Worker().giveUp, nullptr)();
}

}  // namespace fake

namespace platform {

bool RunWithDeadline(std::function<void()> work, std::uint32_t milliseconds,
                     const std::function<void()>& giveUp) {
    fake::Record("RunWithDeadline " + std::to_string(milliseconds));
    auto& w = fake::Worker();
    if (w.abandonedAlive)
        return false;
    w.giveUp = giveUp;
    w.givenUp = false;
    work();
    w.giveUp = nullptr;
    return !w.givenUp;
}

}  // namespace platform
