// The real program while a synchronization waits on a server that does not deliver: the window
// answers throughout, a second click starts nothing, a session's end ends the program at once
// with its settings saved, and workers given up on do not pile up.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "http_faults.h"
#include "http_server.h"
#include "program_test.h"
#include "sync/download_limits.h"
#include "wine_path.h"

namespace e2e {
namespace {

using platform::Control;
using testsupport::HttpReply;
using testsupport::HttpRequest;
using testsupport::HttpServer;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::milliseconds(chronalign::download::kDeadlineMs);
constexpr auto kSlack = 5s;
constexpr const char* kGetting = "Getting Time...";
constexpr const char* kNoTime = "Cannot get time from server! (internet running?)";
constexpr UINT kAnswerMs = 1000;

HttpReply Silent(const HttpRequest&) {
    HttpReply r;
    r.silent = true;
    return r;
}

// Headers and the start of the body, then nothing: the time never comes.
HttpReply StallsInTheBody(const HttpRequest&) {
    HttpReply r = testsupport::Ok(std::string(500, ' ') + testsupport::TimePageNow());
    r.stallAfter = r.bytes.find("\r\n\r\n") + 4 + 100;
    return r;
}

// The Linux tasks of the program's process, found by its command line under /proc (Wine runs
// each thread of a Windows process as a task of one Linux process); -1 when it is not there.
int TaskCount() {
    const std::string exe = DosPath(CHRONALIGN_EXE);
    int found = -1;
    WIN32_FIND_DATAA entry{};
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    do {
        const std::string dir = std::string("Z:\\proc\\") + entry.cFileName;
        if (!std::all_of(entry.cFileName, entry.cFileName + std::strlen(entry.cFileName),
                         [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        std::ifstream cmdline(dir + "\\cmdline", std::ios::binary);
        std::string first;
        std::getline(cmdline, first, '\0');
        if (_stricmp(first.c_str(), exe.c_str()) != 0)
            continue;
        int tasks = 0;
        WIN32_FIND_DATAA task{};
        HANDLE t = ::FindFirstFileA((dir + "\\task\\*").c_str(), &task);
        if (t == INVALID_HANDLE_VALUE)
            continue;
        do {
            tasks += task.cFileName[0] != '.';
        } while (::FindNextFileA(t, &task));
        ::FindClose(t);
        found = tasks;
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return found;
}

// An icon of the driver's own beside the program's, as a desktop's notification area always
// holds others. Wine's stand-alone tray (there is no window manager here) takes two seconds to
// hide itself when its last icon goes, and the program's removal of its icon waits for that.
class NeighbourIcon {
  public:
    NeighbourIcon()
        : window_(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                    nullptr)) {
        data_.cbSize = sizeof data_;
        data_.hWnd = window_;
        data_.uID = 7;
        data_.uFlags = NIF_ICON;
        data_.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
        ::Shell_NotifyIconA(NIM_ADD, &data_);
    }
    ~NeighbourIcon() {
        ::Shell_NotifyIconA(NIM_DELETE, &data_);
        ::DestroyWindow(window_);
    }
    NeighbourIcon(const NeighbourIcon&) = delete;
    NeighbourIcon& operator=(const NeighbourIcon&) = delete;

  private:
    HWND window_;
    NOTIFYICONDATAA data_{};
};

class ResponsiveTest : public ProgramTest {
  protected:
    // Asks the window with WM_NULL until the condition holds or the time is up; the longest
    // answer in milliseconds, or -1 when the window once did not answer within a second.
    template <typename Condition>
    static long long AnswersUntil(HWND window, Condition done, std::chrono::milliseconds timeout) {
        long long worst = 0;
        const auto deadline = Clock::now() + timeout;
        while (!done() && Clock::now() < deadline) {
            const auto start = Clock::now();
            DWORD_PTR ignored = 0;
            if (::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                                      &ignored) == 0)
                return -1;
            worst = std::max<long long>(
                worst, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                           .count());
            ::Sleep(50);
        }
        return worst;
    }

    // Starts a synchronization against the server and ends the session in its middle, as
    // Windows does at a log-off: the program must be gone within a second, its settings saved.
    void SessionEndsInTheMiddle(HttpServer& server) {
        const NeighbourIcon neighbour;
        ASSERT_TRUE(WriteSetting("TimePage", server.Url("/cgi-bin/timer.pl")));
        Program program;
        HWND window = ShownWindow(program);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(SetTextOf(ControlOf(window, Control::txtInterval), "7"));
        Click(ControlOf(window, Control::cmdSynchronize));
        ASSERT_TRUE(WaitForText(window, Control::lblInfo, kGetting));
        ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }, kUiTimeout));
        const long long worst = AnswersUntil(window, [] { return false; }, 3s);
        EXPECT_GE(worst, 0) << "the window stopped answering";

        const auto start = Clock::now();
        DWORD_PTR mayEnd = 0;
        ASSERT_NE(::SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                        kAnswerMs, &mayEnd),
                  0);
        EXPECT_EQ(mayEnd, TRUE);
        ::SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, kAnswerMs, nullptr);
        EXPECT_TRUE(program.WaitForExit(1s)) << "still running a second after the session ended";
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        std::printf("worst answer %lld ms; ended %lld ms after the session's end\n", worst,
                    static_cast<long long>(took.count()));
        EXPECT_EQ(ReadSetting("Interval"), "7");
    }
};

TEST_F(ResponsiveTest, ASessionEndsAtOnceWhileTheServerIsSilent) {
    HttpServer server(Silent);
    SessionEndsInTheMiddle(server);
}

TEST_F(ResponsiveTest, ASessionEndsAtOnceWhileTheBodyStalls) {
    HttpServer server(StallsInTheBody);
    SessionEndsInTheMiddle(server);
}

TEST_F(ResponsiveTest, ChecksGivenUpOnKeepTheWindowAnsweringAndLeaveOneThreadAtMost) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    // One download made, so that whatever the system keeps after the first is counted before.
    Click(ControlOf(window, Control::cmdCheckTime));
    ASSERT_TRUE(WaitForText(window, Control::lblInfo, "Local time is ok"));
    const int before = TaskCount();
    ASSERT_GT(before, 0) << "the program's process is not under /proc";

    HttpServer server(Silent);
    ASSERT_TRUE(WriteSetting("TimePage", server.Url("/cgi-bin/timer.pl")));
    HWND status = ControlOf(window, Control::lblInfo);
    for (int run = 1; run <= 3; ++run) {
        SetTextOf(status, "");
        Click(ControlOf(window, Control::cmdCheckTime));
        ASSERT_TRUE(WaitForText(window, Control::lblInfo, kGetting));
        if (run == 1) {
            ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }, kUiTimeout));
            Click(ControlOf(window, Control::cmdCheckTime));
            Click(ControlOf(window, Control::cmdSynchronize));
        }
        const auto start = Clock::now();
        const long long worst =
            AnswersUntil(window, [&] { return TextOf(status) == kNoTime; }, kDeadline + kSlack);
        const auto took = std::chrono::duration<double>(Clock::now() - start).count();
        EXPECT_GE(worst, 0) << "the window stopped answering in run " << run;
        EXPECT_EQ(TextOf(status), kNoTime) << "run " << run;
        int tasks = 0;
        EXPECT_TRUE(WaitUntil([&] { return (tasks = TaskCount()) <= before + 1; }, 2s))
            << tasks << " tasks after run " << run << ", " << before << " before";
        std::printf("run %d: no time after %.1f s, worst answer %lld ms, %d tasks (%d before)\n",
                    run, took, worst, tasks, before);
    }
    // The clicks during the first run made no request of their own, nor did the later runs
    // while the first one's worker still waited on the silent server.
    EXPECT_EQ(server.Requests().size(), 1u);
}

}  // namespace
}  // namespace e2e
