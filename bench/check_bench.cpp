// The time of one "Check" in the real program, from the click to its status line, against
// WinINet's own fetch of the same page made here (open, request, read, close), and against a
// message that the window only answers: the median of 20 of each, taken in turns. The page is
// the one at the address given, best one served by another process, as the real time page is
// (scripts/lib/timepage.sh serves it from nginx), else one served here. Run under Wine
// (scripts/lib/wine-env.sh):
//   wine build/win32/tests/e2e/check_bench.exe [http://127.0.0.1:PORT/cgi-bin/timer.pl]
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/page_connection.h"
#include "program.h"
#include "settings_store.h"
#include "time_page.h"
#include "wait.h"
#include "window_probe.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 20;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// The click as the button gives it to the window, sent: it returns once the handler has run.
double OneCheck(HWND window) {
    HWND button = e2e::ControlOf(window, platform::Control::cmdCheckTime);
    const auto start = Clock::now();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                          reinterpret_cast<LPARAM>(button), SMTO_NORMAL, 30000, &ignored);
    return Since(start);
}

// A message that the window only answers, sent the same way: what the click's own trip to the
// program and back costs, in the Check's time though not of its doing.
double OneRoundTrip(HWND window) {
    const auto start = Clock::now();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
    return Since(start);
}

double OneFetch(const std::string& url) {
    const auto start = Clock::now();
    HINTERNET internet =
        ::InternetOpenA(platform::kPageAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = ::InternetOpenUrlA(internet, url.c_str(), nullptr, 0,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    char buffer[1024];
    DWORD read = 0;
    while (request && ::InternetReadFile(request, buffer, sizeof buffer, &read) && read != 0) {
    }
    ::InternetCloseHandle(request);
    ::InternetCloseHandle(internet);
    return Since(start);
}

}  // namespace

int main(int argc, char** argv) {
    const e2e::SettingsBackup backup;
    const e2e::TimePage page;
    const std::string url = argc > 1 ? argv[1] : page.Url();
    e2e::WriteSetting("TimePage", url);
    const e2e::Program program;
    HWND window = program.WaitForMainWindow(std::chrono::seconds(20));
    if (window == nullptr ||
        !e2e::WaitUntil([&] { return e2e::StartUpOver(window); }, std::chrono::seconds(20))) {
        std::printf("The program did not start.\n");
        return 1;
    }
    OneCheck(window);  // each side warmed up once
    OneFetch(url);
    std::vector<double> checks, fetches, trips;
    for (int i = 0; i < kRuns; ++i) {
        checks.push_back(OneCheck(window));
        fetches.push_back(OneFetch(url));
        trips.push_back(OneRoundTrip(window));
    }
    const std::string status = e2e::TextOf(e2e::ControlOf(window, platform::Control::lblInfo));
    std::printf("Check, click to status: median %.2f ms (\"%s\")\n", Median(checks),
                status.c_str());
    std::printf("WinINet's own fetch:    median %.2f ms\n", Median(fetches));
    std::printf("A message to the window: median %.2f ms\n", Median(trips));
    std::printf("ratio %.2f\n", Median(checks) / Median(fetches));
    return status == "Local time is ok" ? 0 : 1;
}
