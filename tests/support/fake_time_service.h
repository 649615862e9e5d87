// A time service that answers every request with the reply a test set, or not at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/time_service.h"

namespace fake {

struct TimeServiceState {
    std::optional<std::string> reply;  // nothing: no service answers
    std::vector<std::string> requests;
};

TimeServiceState& TimeService();
void ResetTimeService();

}  // namespace fake
