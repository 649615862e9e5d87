// The automatic schedule of the real program over minutes of real time: one set at start-up,
// then one a minute, and with the time page down one attempt a minute, never a burst.
#include <vector>

#include "program_test.h"

namespace e2e {
namespace {

using platform::Control;
using Clock = std::chrono::steady_clock;

class AutoSyncTest : public ProgramTest {
  protected:
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
};

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
    ASSERT_TRUE(WriteSetting("Auto", "1"));
    ASSERT_TRUE(WriteSetting("Interval", "1"));
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

}  // namespace
}  // namespace e2e
