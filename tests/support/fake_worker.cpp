#include "fake_worker.h"

#include <exception>
#include <string>

#include "fake_log.h"
#include "platform/worker.h"

namespace fake {

WorkerState& Workers() {
    static WorkerState state;
    return state;
}

void ResetWorkers() {
    Workers() = WorkerState{};
}

}  // namespace fake

namespace platform {

std::vector<bool> RunSideBySide(std::vector<std::function<void()>> works,
                                std::uint32_t milliseconds) {
    fake::Record("RunSideBySide " + std::to_string(works.size()) + " " +
                 std::to_string(milliseconds));
    ++fake::Workers().calls;
    std::vector<bool> ended;
    std::exception_ptr failure;
    for (std::size_t i = 0; i < works.size(); ++i) {
        ended.push_back(fake::Workers().givenUp.count(i) == 0);
        try {
            works[i]();
        } catch (...) {
            if (ended.back() && !failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
    return ended;
}

}  // namespace platform
