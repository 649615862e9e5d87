// The program's first run, seen from outside: its window, the status line, the clock, the
// version line, a check against the time page, and the one instance.
#include <regex>

#include "app/version_line.h"
#include "base/identity.h"
#include "program_test.h"
#include "screenshot.h"
#include "wine_path.h"

namespace e2e {
namespace {

using platform::Control;

bool IsTimeText(const std::string& text) {
    static const std::regex time(R"(\d{1,2}:\d{2}:\d{2}( .+)?)");
    return std::regex_match(text, time);
}

TEST_F(ProgramTest, AFirstRunShowsTheWindowAndTheClock) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), chronalign::identity::kTitle);
    EXPECT_TRUE(WaitForText(window, Control::lblInfo, "Ready.")) << Text(window, Control::lblInfo);
    namespace identity = chronalign::identity;
    EXPECT_EQ(Text(window, Control::lblVersion),
              chronalign::VersionLine(
                  {identity::kVersionMajor, identity::kVersionMinor, identity::kVersionRevision}));

    // The label starts as "#" and the timer turns it into the local time, second by second.
    std::string first;
    EXPECT_TRUE(
        WaitUntil([&] { return IsTimeText(first = Text(window, Control::lblTime)); }, kUiTimeout))
        << first;
    EXPECT_TRUE(WaitUntil([&] { return Text(window, Control::lblTime) != first; }, 3s));

    // Automatic synchronization is off on a first run: nothing is downloaded at start-up.
    EXPECT_EQ(page_.RequestCount(), 0);
}

TEST_F(ProgramTest, CheckFindsTheClockRightAgainstTheTimePage) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForText(window, Control::lblInfo, "Ready."));

    // "Check" has the focus when the window is first shown, and Enter presses it ("Synchronize"
    // would say so otherwise).
    ::PostMessageA(ControlOf(window, Control::cmdCheckTime), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(WaitForText(window, Control::lblInfo, "Local time is ok"))
        << Text(window, Control::lblInfo);
    const auto requests = page_.Requests();
    ASSERT_FALSE(requests.empty());
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.path, kTimePagePath);
        EXPECT_EQ(request.userAgent, "ZQandWinInet/1.0");
    }

    // The window as the user now sees it, for a person to look at.
    EXPECT_TRUE(SaveWindowPicture(window, DosPath(E2E_SCREENSHOT))) << E2E_SCREENSHOT;

    // The page states its date in its Date header: a clock a day behind is no longer "ok".
    page_.SetDaysAhead(1);
    Click(ControlOf(window, Control::cmdCheckTime));
    EXPECT_TRUE(WaitForText(window, Control::lblInfo,
                            "Local time inaccurate - difference is 86400 seconds!"))
        << Text(window, Control::lblInfo);
}

TEST_F(ProgramTest, ASecondStartEndsAtOnceAndLeavesTheFirstAlone) {
    Program first;
    HWND window = ShownWindow(first);
    ASSERT_NE(window, nullptr);

    Program second;
    ASSERT_TRUE(second.Started());
    DWORD exitCode = 1;
    EXPECT_TRUE(second.WaitForExit(10s, &exitCode)) << "the second instance keeps running";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(CountMainWindows(), 1);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(::IsWindowVisible(window));
}

}  // namespace
}  // namespace e2e
