#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace fake {

struct NotifyCall {
    std::uint32_t message;
    platform::NotifyIconData data;
};

struct ShellExecuteCall {
    std::uint32_t owner;
    std::string operation, file;
    bool parametersNull, directoryNull;
    int showCommand;
};

struct ShellState {
    int failingAdds = 0;  // this many NIM_ADD calls fail first (the notification area is not up)
    std::vector<NotifyCall> notifyCalls;
    std::vector<ShellExecuteCall> executeCalls;
    std::intptr_t executeResult = 42;
};

ShellState& Shell();
void ResetShell();

}  // namespace fake
