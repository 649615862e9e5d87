// The time of one "Synchronize" through the time service against the program's own path, on
// the same loopback time page: the median of several runs of each. Run under Wine in a prefix
// where the service is installed and running (it is stopped for the direct runs and started
// again at the end):
//   wine build/win32/sync_path_bench.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/check_sync.h"
#include "base/identity.h"
#include "fake_window.h"
#include "http_server.h"
#include "service_control.h"
#include "settings/store.h"

namespace {

constexpr int kRuns = 9;

testsupport::HttpReply Page() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    char body[200];
    std::snprintf(body, sizeof body,
                  "<html><body><p>The time page of the synchronization bench.</p><p>%02d:%02d:%02d "
                  "UTC</p><p>Nothing else.</p></body></html>\n",
                  now.wHour, now.wMinute, now.wSecond);
    return testsupport::Ok(body);
}

// Milliseconds of one clock set, and its status line. Each run waits past the service's five
// seconds first, so that each downloads, and both paths are timed at the same pace.
double OneSynchronize() {
    ::Sleep(5200);
    const auto start = std::chrono::steady_clock::now();
    chronalign::CheckOrSynchronize(false, false);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("  %6.1f ms  %s\n", took.count(),
                fake::ControlOf(platform::Control::lblInfo).text.c_str());
    return took.count();
}

double Median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

}  // namespace

int main() {
    testsupport::HttpServer page([](const testsupport::HttpRequest&) { return Page(); });
    if (testsupport::ServiceState() != SERVICE_RUNNING ||
        !testsupport::SetMachineTimePage(page.Url("/t")) ||
        !chronalign::WriteSetting(chronalign::identity::kSettingsApplication,
                                  chronalign::identity::kSettingsSection, "TimePage",
                                  page.Url("/t"))) {
        std::printf("The time service must be installed and running.\n");
        return 1;
    }
    std::vector<double> service, direct;
    std::printf("through the service:\n");
    for (int i = 0; i < kRuns; ++i) service.push_back(OneSynchronize());
    const std::size_t downloads = page.Requests().size();
    testsupport::StartOrStopService(false);
    for (int i = 0; i < 100 && testsupport::ServiceState() != SERVICE_STOPPED; ++i) ::Sleep(50);
    std::printf("directly:\n");
    for (int i = 0; i < kRuns; ++i) direct.push_back(OneSynchronize());
    testsupport::StartOrStopService(true);
    std::printf("median through the service %.1f ms (%zu downloads), directly %.1f ms\n",
                Median(service), downloads, Median(direct));
    return 0;
}
