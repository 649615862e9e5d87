// The automatic schedule of the real program over minutes of real time: one set at start-up,
// then one a minute, and with the time page down one attempt a minute, never a burst; nothing
// inside the notification menu's or the Exit confirmation's own loop; one set after a resume.
#include <vector>

#include "platform/shell.h"
#include "program_test.h"
#include "tray_probe.h"

namespace e2e {
namespace {

using platform::Control;
using Clock = std::chrono::steady_clock;

class AutoSyncTest : public ProgramTest {
  protected:
    // Automatic synchronization on, at that interval, for the program started next.
    static bool AutomaticEvery(const char* minutes) {
        return WriteSetting("Auto", "1") && WriteSetting("Interval", minutes);
    }

    // The seconds since start at which the synchronizations whose requests come after the first
    // `seen` began (those that came before the watch began count as arriving at its start),
    // watched until the time is up. A synchronization's measure makes its requests within
    // seconds of each other; a request this long after the one before begins another.
    std::vector<double> WatchRequests(Clock::time_point start, std::chrono::seconds until,
                                      int seen) {
        constexpr double kSameMeasure = 20.0;
        std::vector<double> arrivals;
        double last = -kSameMeasure;
        for (; Clock::now() - start < until; ::Sleep(100)) {
            for (const int now = page_.RequestCount(); seen < now; ++seen) {
                const double at = std::chrono::duration<double>(Clock::now() - start).count();
                if (arrivals.empty() || at - last > kSameMeasure)
                    arrivals.push_back(at);
                last = at;
            }
        }
        return arrivals;
    }

    // Holds the menu or box open for the time while asking the window every half second: true
    // when the window answered throughout, the menu or box stayed up and no request came.
    bool HoldOpen(HWND window, bool (*open)(DWORD), DWORD processId, std::chrono::seconds time) {
        const int before = page_.RequestCount();
        for (const auto end = Clock::now() + time; Clock::now() < end; ::Sleep(500)) {
            DWORD_PTR ignored = 0;
            if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored)) {
                ADD_FAILURE() << "the window stopped answering";
                return false;
            }
            if (!open(processId) || page_.RequestCount() != before) {
                ADD_FAILURE() << (open(processId) ? "a request while open" : "closed by itself");
                return false;
            }
        }
        return true;
    }

    // Whether a synchronization begins within a few seconds, as the first tick after a loop
    // that held one back starts it.
    bool RequestSoon(int before) {
        return WaitUntil([&] { return page_.RequestCount() > before; }, 5s);
    }
};

// Closed by a key, the menu or box goes at once.
constexpr auto kAtOnce = 3s;
// More than the one-minute interval after the set before.
constexpr auto kPastDue = 75s;

std::string Describe(const std::vector<double>& seconds) {
    std::string text;
    for (double s : seconds) text += std::to_string(static_cast<int>(s)) + "s ";
    return text;
}

// No two attempts closer than most of a minute.
void ExpectNoBurst(double previous, const std::vector<double>& arrivals) {
    for (double at : arrivals) {
        EXPECT_GT(at - previous, 50.0) << "attempts at " << previous << "s and " << at << "s";
        previous = at;
    }
}

TEST_F(AutoSyncTest, SetsOnceAMinuteAndRetriesOnceAMinuteWhenThePageIsDown) {
    ASSERT_TRUE(AutomaticEvery("1"));
    const auto start = Clock::now();
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);

    // At start-up (before the window shows), then about 61 and 122 seconds later. The start-up's
    // measure may take up to 15 s before the window shows and the watch begins.
    ASSERT_GT(page_.RequestCount(), 0) << "no synchronization at start-up";
    const auto up = WatchRequests(start, 130s, 0);
    ASSERT_FALSE(up.empty());
    EXPECT_LT(up.front(), 30.0) << Describe(up);
    EXPECT_GE(up.size(), 2u) << Describe(up);
    EXPECT_LE(up.size(), 4u) << Describe(up);
    ExpectNoBurst(up.front(), {up.begin() + 1, up.end()});
    EXPECT_TRUE(Text(window, Control::lblInfo).starts_with("Time updated succesfully! ("))
        << Text(window, Control::lblInfo);

    // Down: the attempts go on, a minute apart, each ending in the failure text.
    page_.SetDown(true);
    const auto down = WatchRequests(start, 255s, page_.RequestCount());
    EXPECT_GE(down.size(), 1u) << Describe(down);
    EXPECT_LE(down.size(), 3u) << Describe(down);
    ExpectNoBurst(up.back(), down);
    EXPECT_TRUE(
        WaitForText(window, Control::lblInfo, "Cannot get time from server! (internet running?)"))
        << Text(window, Control::lblInfo);
    EXPECT_TRUE(program.Running());
}

TEST_F(AutoSyncTest, NothingStartsWhileTheMenuOrTheExitConfirmationIsOpen) {
    ASSERT_TRUE(AutomaticEvery("1"));
    Program program;
    HWND window = ShownWindow(program);  // after the start-up's set
    ASSERT_NE(window, nullptr);
    Minimise(window);
    ASSERT_TRUE(WaitForHidden(window));

    PostIconMessage(window, platform::kIconRightButtonUp);
    HWND menu = WaitForMenu(program.Id(), kUiTimeout);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(HoldOpen(window, MenuOpen, program.Id(), kPastDue));
    page_.SetSlow(true);  // the synchronization that comes now lasts many seconds
    int before = page_.RequestCount();
    PressKey(menu, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(program.Id()); }, kAtOnce));
    ASSERT_TRUE(RequestSoon(before)) << "no synchronization after the menu closed";

    // Opened while it runs, the menu and the box answer their keys at once.
    HWND box = AskToExit(program.Id(), window, kAtOnce);
    ASSERT_NE(box, nullptr) << "the menu or the box did not answer during a synchronization";
    EXPECT_EQ(Text(window, Control::lblInfo), "Getting Time...");
    PressKey(box, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !MessageBoxOpen(program.Id()); }, kAtOnce));
    page_.SetSlow(false);
    ASSERT_TRUE(
        WaitUntil([&] { return Text(window, Control::lblInfo) != "Getting Time..."; }, 60s));

    box = AskToExit(program.Id(), window, kUiTimeout);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(HoldOpen(window, MessageBoxOpen, program.Id(), kPastDue));
    before = page_.RequestCount();
    PressKey(box, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !MessageBoxOpen(program.Id()); }, kAtOnce));
    EXPECT_TRUE(RequestSoon(before)) << "no synchronization after the box closed";

    box = AskToExit(program.Id(), window, kUiTimeout);
    ASSERT_NE(box, nullptr);
    PressKey(box, VK_RETURN);  // OK
    EXPECT_TRUE(WaitUntil([&] { return !MessageBoxOpen(program.Id()); }, kAtOnce));
    EXPECT_TRUE(program.WaitForExit(kUiTimeout));  // Wine's tray takes its time over the icon
}

// Windows takes the time from the battery-backed clock at every resume: the schedule sets it
// once after the resume, however recent its last set.
TEST_F(AutoSyncTest, AResumeSynchronizesOnceWithinAMinute) {
    ASSERT_TRUE(AutomaticEvery("30"));
    Program program;
    HWND window = ShownWindow(program);  // after the start-up's set
    ASSERT_NE(window, nullptr);
    const int before = page_.RequestCount();
    ASSERT_GT(before, 0);

    const auto resumed = Clock::now();
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutA(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0,
                                      SMTO_ABORTIFHUNG, 1000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    const auto after = WatchRequests(resumed, 60s, before);
    EXPECT_EQ(after.size(), 1u) << Describe(after);
}

}  // namespace
}  // namespace e2e
