#include "fake_shell.h"

#include "fake_log.h"

namespace fake {

ShellState& Shell() {
    static ShellState state;
    return state;
}

void ResetShell() {
    Shell() = ShellState{};
}

}  // namespace fake

namespace platform {

bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData& data) {
    fake::Record("Shell_NotifyIconA " + std::to_string(message));
    fake::Shell().notifyCalls.push_back({message, data});
    if (message == kNimAdd && fake::Shell().failingAdds > 0) {
        --fake::Shell().failingAdds;
        return false;
    }
    return true;
}

std::intptr_t ShellExecuteA(std::uint32_t owner, const char* operation, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
    fake::Record(std::string("ShellExecuteA ") + (operation ? operation : "null") + " " +
                 (file ? file : "null"));
    fake::Shell().executeCalls.push_back({owner, operation ? operation : "", file ? file : "",
                                          parameters == nullptr, directory == nullptr,
                                          showCommand});
    return fake::Shell().executeResult;
}

}  // namespace platform
