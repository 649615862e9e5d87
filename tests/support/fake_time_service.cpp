#include "fake_time_service.h"

#include "fake_log.h"

namespace fake {

TimeServiceState& TimeService() {
    static TimeServiceState state;
    return state;
}

void ResetTimeService() {
    TimeService() = TimeServiceState{};
}

}  // namespace fake

namespace platform {

std::optional<std::string> AskTimeService(const std::string& request) {
    fake::Record("AskTimeService");
    fake::TimeService().requests.push_back(request);
    return fake::TimeService().reply;
}

}  // namespace platform
