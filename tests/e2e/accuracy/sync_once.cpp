// Starts the program built here, clicks "Synchronize" as a user would, waits for the answer on
// the status line, prints it with the milliseconds the synchronization took, and ends the
// program again. The accuracy measure runs it once per synchronization.
#include <windows.h>

#include <cstdio>
#include <string>

#include "program.h"
#include "wait.h"
#include "window_probe.h"

namespace {

using namespace e2e;
using platform::Control;

int Fail(const char* why) {
    std::fprintf(stderr, "sync_once: %s\n", why);
    return 1;
}

}  // namespace

int main() {
    Program program;
    HWND window = program.Started() ? program.WaitForMainWindow(60s) : nullptr;
    if (window == nullptr)
        return Fail("the program's window did not appear (is Chronalign running already?)");
    // The window appears before its controls do: the status line is looked for until it is there.
    HWND status = nullptr;
    if (!WaitUntil(
            [&] {
                status = ControlOf(window, Control::lblInfo);
                return ::IsWindowVisible(window) && !TextOf(status).empty();
            },
            30s))
        return Fail("the program's window was not shown");

    SetTextOf(status, "");
    const DWORD start = ::GetTickCount();
    Click(ControlOf(window, Control::cmdSynchronize));
    std::string answer;
    if (!WaitUntil(
            [&] {
                answer = TextOf(status);
                return !answer.empty() && answer != "Getting Time...";
            },
            60s, 5ms))
        return Fail("\"Synchronize\" gave no answer");
    const DWORD took = ::GetTickCount() - start;
    std::printf("%lu ms: %s\n", static_cast<unsigned long>(took), TextOf(status).c_str());
    return 0;
}
