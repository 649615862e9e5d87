// The real program while a synchronization waits on a server that does not deliver: the window
// answers throughout, a second click starts nothing, a session's end ends the program at once
// with its settings saved, workers given up on do not pile up, and none holds up the end.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "http_server.h"
#include "program_test.h"
#include "sync/download_limits.h"
#include "tray_probe.h"
#include "wine_path.h"

namespace e2e {
namespace {

using platform::Control;
using testsupport::HttpReply;
using testsupport::HttpServer;
using Clock = std::chrono::steady_clock;

constexpr auto kRunTime = std::chrono::milliseconds(chronalign::download::kDeadlineMs) + 5s;
constexpr const char* kNoTime = "Cannot get time from server! (internet running?)";

HttpReply Silent(const testsupport::HttpRequest&) {
    HttpReply r;
    r.silent = true;
    return r;
}

// Every read of the answer gets its byte in time, so no time-out of the library ends the call:
// only the window gives up on it, at its limit.
HttpReply DripsItsHeaders(const testsupport::HttpRequest&) {
    HttpReply r = testsupport::Ok(std::string(200, ' ') + "12:00:00 UTC");
    r.byteInterval = 1s;
    r.dripHeaders = true;
    return r;
}

// The tasks under /proc of the Linux process whose command line is the program's (Wine runs
// each thread of a Windows process as one task); -1 when there is none.
int TaskCount() {
    const std::string exe = DosPath(CHRONALIGN_EXE);
    for (const auto& entry : std::filesystem::directory_iterator("Z:\\proc")) {
        std::string name;
        std::getline(std::ifstream(entry.path() / "cmdline", std::ios::binary), name, '\0');
        if (_stricmp(name.c_str(), exe.c_str()) == 0)
            return static_cast<int>(
                std::distance(std::filesystem::directory_iterator(entry.path() / "task"), {}));
    }
    return -1;
}

// Asks the window with WM_NULL until done() holds or the time is up: the longest answer in
// milliseconds, or -1 when once it did not answer within a second.
template <typename Done>
long long WorstAnswer(HWND window, Done done, std::chrono::milliseconds timeout) {
    long long worst = 0;
    for (const auto end = Clock::now() + timeout; !done() && Clock::now() < end; ::Sleep(50)) {
        const auto start = Clock::now();
        if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr))
            return -1;
        worst = std::max<long long>(worst, (Clock::now() - start) / 1ms);
    }
    return worst;
}

// An icon of the driver's own beside the program's, as a desktop's notification area holds
// others: Wine's stand-alone tray (no window manager here) takes two seconds to hide itself
// when its last icon goes, and the program's removal of its own would wait for that.
struct NeighbourIcon {
    NOTIFYICONDATAA data{};
    NeighbourIcon() {
        data.cbSize = sizeof data;
        data.hWnd =
            ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        data.uID = 7;
        data.uFlags = NIF_ICON;
        data.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
        ::Shell_NotifyIconA(NIM_ADD, &data);
    }
    ~NeighbourIcon() {
        ::Shell_NotifyIconA(NIM_DELETE, &data);
        ::DestroyWindow(data.hWnd);
    }
};

class ResponsiveTest : public ProgramTest {
  protected:
    // A Synchronize against the server, and Windows ending the session in its middle.
    static void SessionEndsInTheMiddle(const HttpServer& server);
};

void ResponsiveTest::SessionEndsInTheMiddle(const HttpServer& server) {
    const NeighbourIcon neighbour;
    ASSERT_TRUE(WriteSetting("TimePage", server.Url("/cgi-bin/timer.pl")));
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetTextOf(ControlOf(window, Control::txtInterval), "7"));
    Click(ControlOf(window, Control::cmdSynchronize));
    ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }, kUiTimeout));
    const long long worst = WorstAnswer(
        window, [] { return false; }, 3s);
    EXPECT_GE(worst, 0) << "the window stopped answering";

    const auto start = Clock::now();
    DWORD_PTR mayEnd = 0;
    ::SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 1000, &mayEnd);
    EXPECT_EQ(mayEnd, TRUE);
    ::SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
    EXPECT_TRUE(program.WaitForExit(1s)) << "still running a second after the session ended";
    std::printf("worst answer %lld ms; gone %lld ms after the session's end\n", worst,
                static_cast<long long>((Clock::now() - start) / 1ms));
    EXPECT_EQ(ReadSetting("Interval"), "7");
}

TEST_F(ResponsiveTest, ASessionEndsAtOnceWhileTheServerIsSilent) {
    const HttpServer server(Silent);
    SessionEndsInTheMiddle(server);
}

TEST_F(ResponsiveTest, ASessionEndsAtOnceWhileTheBodyStalls) {
    const HttpServer server([](const testsupport::HttpRequest&) {
        HttpReply r = testsupport::Ok(std::string(500, ' ') + "12:00:00 UTC");
        r.stallAfter = r.bytes.find("\r\n\r\n") + 4 + 100;  // before the time
        return r;
    });
    SessionEndsInTheMiddle(server);
}

// A Check that the window gives up on, its worker left waiting on the server; clicked again
// meanwhile (Check and Synchronize) when asked to.
void GiveUpOnACheck(HWND window, const HttpServer& server, bool clickAgain = false) {
    SetTextOf(ControlOf(window, Control::lblInfo), "");
    const std::size_t asked = server.Requests().size();
    Click(ControlOf(window, Control::cmdCheckTime));
    EXPECT_TRUE(WaitUntil([&] { return server.Requests().size() > asked; }, kUiTimeout));
    if (clickAgain) {
        Click(ControlOf(window, Control::cmdCheckTime));
        Click(ControlOf(window, Control::cmdSynchronize));
    }
    const auto start = Clock::now();
    const long long worst = WorstAnswer(
        window, [&] { return TextOf(ControlOf(window, Control::lblInfo)) == kNoTime; }, kRunTime);
    EXPECT_GE(worst, 0) << "the window stopped answering";
    EXPECT_EQ(TextOf(ControlOf(window, Control::lblInfo)), kNoTime);
    std::printf("given up after %.1f s, worst answer %lld ms\n",
                std::chrono::duration<double>(Clock::now() - start).count(), worst);
}

// From the window behind its icon (where the icon's menu is offered) to the process's end.
double SecondsToExitThroughTheMenu(const Program& program, HWND window) {
    ::PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, kUiTimeout));
    const auto start = Clock::now();
    EXPECT_TRUE(ExitThroughTheMenu(program, window, kUiTimeout));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST_F(ResponsiveTest, WorkersGivenUpOnNeitherPileUpNorHoldUpTheEnd) {
    const NeighbourIcon neighbour;
    const HttpServer server(DripsItsHeaders);
    double withWorker = 0;
    {
        Program program;
        HWND window = ShownWindow(program);
        ASSERT_NE(window, nullptr);
        // One Check first, so that the threads kept ready after it are counted before.
        Click(ControlOf(window, Control::cmdCheckTime));
        ASSERT_TRUE(WaitForText(window, Control::lblInfo, "Local time is ok"));
        const int before = TaskCount();
        ASSERT_GT(before, 0) << "the program is not under /proc";
        ASSERT_TRUE(WriteSetting("TimePage", server.Url("/cgi-bin/timer.pl")));
        GiveUpOnACheck(window, server, true);
        // The clicks while it waited asked nothing; later runs start no second worker while
        // the first still waits.
        for (int run = 2; run <= 3; ++run) {
            SetTextOf(ControlOf(window, Control::lblInfo), "");
            Click(ControlOf(window, Control::cmdCheckTime));
            EXPECT_TRUE(WaitForText(window, Control::lblInfo, kNoTime));
        }
        int tasks = 0;
        EXPECT_TRUE(WaitUntil([&] { return (tasks = TaskCount()) <= before + 1; }, 2s))
            << tasks << " tasks, " << before << " before";
        EXPECT_EQ(server.Requests().size(), 1u);
        withWorker = SecondsToExitThroughTheMenu(program, window);
    }
    {
        Program program;  // a start right after finds no other instance
        HWND window = ShownWindow(program);
        ASSERT_NE(window, nullptr);
        GiveUpOnACheck(window, server);
        const auto start = Clock::now();
        ::SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
        ::SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
        EXPECT_TRUE(program.WaitForExit(2s)) << "still running two seconds after the session";
        std::printf("gone %lld ms after the session's end\n",
                    static_cast<long long>((Clock::now() - start) / 1ms));
    }
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr) << "the next start found the last one still there";
    const double without = SecondsToExitThroughTheMenu(program, window);
    std::printf("exit through the menu: %.1f s with a worker given up on, %.1f s without\n",
                withWorker, without);
    EXPECT_LT(withWorker, without + 1);
}

}  // namespace
}  // namespace e2e
