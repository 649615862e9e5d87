#include "fake_service_pipe.h"

#include "fake_log.h"

namespace fake {

ServicePipeState& ServicePipe() {
    static ServicePipeState state;
    return state;
}

void ResetServicePipe() {
    ServicePipe() = ServicePipeState{};
}

}  // namespace fake

namespace platform {

std::optional<std::string> AskTimeService(const std::string& request) {
    fake::Record("AskTimeService");
    fake::ServicePipe().requests.push_back(request);
    return fake::ServicePipe().reply;
}

}  // namespace platform
