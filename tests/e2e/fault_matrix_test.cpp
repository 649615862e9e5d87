// The real program's "Check" and "Synchronize" against every faulty time page: each ends within
// the download's deadline with the text the page deserves, sets the clock only from a valid
// time, and leaves the window answering. Alone, one running program tries every case; run side
// by side (in_prefix_copies.sh), each program takes the cases no other has claimed, so the slow
// cases wait out their deadlines at the same time.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http_faults.h"
#include "program_test.h"
#include "sync/download_limits.h"
#include "wine_path.h"

namespace e2e {
namespace {

using platform::Control;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::milliseconds(chronalign::download::kDeadlineMs);
constexpr auto kSlack = 5s;      // a Wine process's round trips on top
constexpr const char* kBefore = "(waiting for the outcome)";
constexpr const char* kNoTime = "Cannot get time from server! (internet running?)";

// UTC less the steady clock, in milliseconds: it moves only when someone sets the clock.
long long ClockOffset() {
    FILETIME f{};
    ::GetSystemTimeAsFileTime(&f);
    const long long utc =
        ((static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10'000;
    return utc -
           std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
               .count();
}

// Whether this run takes the case: always when it runs alone; beside others, when it is the
// first to make the case's folder among the shared claims.
bool Claim(std::size_t index) {
    const char* claims = std::getenv("E2E_CLAIMS");
    if (claims == nullptr || *claims == '\0')
        return true;
    const std::string folder = DosPath(claims) + "\\" + std::to_string(index);
    return ::CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

bool Answers(HWND window) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
}

struct Outcome {
    std::string status;
    double seconds = 0;
    long long clockMovedMs = 0;
};

// The page is stamped with the host's time when the server starts its answer, and a slow
// page (10 MB, drained by WinINet) is compared seconds later: its Check may then find the
// clock ahead by the seconds the download took, never by more.
bool ReadsTheHostsTime(const Outcome& check) {
    if (check.status == "Local time is ok")
        return true;
    constexpr std::string_view kInaccurate = "Local time inaccurate - difference is ";
    if (!check.status.starts_with(kInaccurate))
        return false;
    const long seconds =
        std::labs(std::strtol(check.status.c_str() + kInaccurate.size(), nullptr, 10));
    return seconds >= 1 && static_cast<double>(seconds) <= std::ceil(check.seconds);
}

class FaultMatrixTest : public ProgramTest {
  protected:
    // Clicks the button and waits for the outcome: the status line past "Getting Time...".
    static Outcome Press(HWND window, Control button) {
        HWND status = ControlOf(window, Control::lblInfo);
        SetTextOf(status, kBefore);
        const long long offset = ClockOffset();
        const auto start = Clock::now();
        Click(ControlOf(window, button));
        Outcome run;
        // Empty while the program is busy downloading, and cut short when the text changes
        // between the driver's asking for its length and for the text: a final text reads the
        // same twice.
        std::string last;
        WaitUntil(
            [&] {
                run.status = TextOf(status);
                const bool settled = run.status == last;
                last = run.status;
                return settled && !run.status.empty() && run.status != kBefore &&
                       run.status != "Getting Time...";
            },
            kDeadline + kSlack, 20ms);
        run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        run.clockMovedMs = std::llabs(ClockOffset() - offset);
        return run;
    }
};

TEST_F(FaultMatrixTest, EveryFaultyPageEndsInTimeWithItsOwnOutcome) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForText(window, Control::lblInfo, "Ready."));

    std::printf("%-46s | %-28s | %7s | %-28s | %7s\n", "case", "Check", "seconds", "Synchronize",
                "seconds");
    const auto cases = testsupport::FaultCases();
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const auto& fault = cases[index];
        if (!fault.inProgram || !Claim(index))
            continue;
        const testsupport::FaultServer server(fault);
        ASSERT_TRUE(WriteSetting("TimePage", server.Url()));
        const Outcome check = Press(window, Control::cmdCheckTime);
        const bool checkAnswers = Answers(window);
        const Outcome sync = Press(window, Control::cmdSynchronize);
        const bool syncAnswers = Answers(window);
        std::printf("%-46s | %-28.28s | %7.2f | %-28.28s | %7.2f\n", fault.name.c_str(),
                    check.status.c_str(), check.seconds, sync.status.c_str(), sync.seconds);

        SCOPED_TRACE(fault.name);
        if (fault.holdsTime)
            EXPECT_TRUE(ReadsTheHostsTime(check)) << check.status;
        else
            EXPECT_EQ(check.status, kNoTime);
        // A valid time is set; Wine refuses it when the slow page's second has passed by more
        // than half a second when the set comes (the refusal has a text of its own).
        if (fault.holdsTime)
            EXPECT_TRUE(sync.status.starts_with("Time updated succesfully! (") ||
                        sync.status == "Cannot set system time! (administrator rights needed?)")
                << sync.status;
        else
            EXPECT_EQ(sync.status, kNoTime);
        for (const Outcome& run : {check, sync}) {
            EXPECT_LT(run.seconds, std::chrono::duration<double>(kDeadline + kSlack).count());
            // The page's own time of day is the host's: a set moves the clock by under a second.
            EXPECT_LT(run.clockMovedMs, 1000);
        }
        EXPECT_TRUE(checkAnswers && syncAnswers) << "the window stopped answering";
    }
}

}  // namespace
}  // namespace e2e
