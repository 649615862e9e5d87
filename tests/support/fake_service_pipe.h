// A time service that answers every request with the reply a test set, or not at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/service_pipe.h"

namespace fake {

struct ServicePipeState {
    std::optional<std::string> reply;  // nothing: no service answers
    std::vector<std::string> requests;
};

ServicePipeState& ServicePipe();
void ResetServicePipe();

}  // namespace fake
