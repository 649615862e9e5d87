// Starts the program built here, opens its window from the icon when the start-up keeps it
// there, clicks "Check" as a user would, waits for the answer on the status line, saves a
// picture of the window, prints the answer and ends the program again.
// scripts/run uses it where there is nobody at a display to click. Exits 0 when the answer is
// "Local time is ok".
//   check_once PICTURE.bmp
#include <cstdio>
#include <string>

#include "program.h"
#include "screenshot.h"
#include "tray_probe.h"
#include "wait.h"
#include "window_probe.h"
#include "wine_path.h"

namespace {

using namespace e2e;
using platform::Control;

int Fail(const char* why) {
    std::fprintf(stderr, "check_once: %s\n", why);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return Fail("usage: check_once PICTURE.bmp");
    Program program;
    // The first window of a Wine session waits for Wine's desktop to start: generous bounds.
    HWND window = program.Started() ? program.WaitForMainWindow(60s) : nullptr;
    if (window == nullptr)
        return Fail("the program's window did not appear (is Chronalign running already?)");
    if (!WaitUntil([&] { return StartUpOver(window); }, 30s))
        return Fail("the program's start-up did not end");
    // A user who chose "Autorun at system startup" finds the program behind its icon and opens
    // it from there.
    if (!::IsWindowVisible(window))
        PostIconMessage(window, WM_LBUTTONUP);
    HWND status = ControlOf(window, Control::lblInfo);
    if (!WaitUntil(
            [&] {
                return ::IsWindowVisible(window) && !::IsIconic(window) && !TextOf(status).empty();
            },
            30s))
        return Fail("the program's window was not shown");

    // The status line starts empty, so whatever comes next is the answer to this click.
    SetTextOf(status, "");
    Click(ControlOf(window, Control::cmdCheckTime));
    if (!WaitUntil(
            [&] {
                const std::string text = TextOf(status);
                return !text.empty() && text != "Getting Time...";
            },
            30s))
        return Fail("\"Check\" gave no answer");
    // Read again: the read that saw the answer arrive may have caught it half replaced.
    const std::string answer = TextOf(status);

    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!SaveWindowPicture(window, DosPath(argv[1])))
        Fail("could not save the picture of the window");
    std::printf("%s\n", answer.c_str());
    return answer == "Local time is ok" ? 0 : 1;
}
