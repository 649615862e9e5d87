// The real page connection against every faulty page at once, with a short deadline: the
// download (Check's one request) and the measure (a synchronization's), each run on a worker as
// the programs run them. Built twice, over WinINet (the program's) and WinHTTP (the service's).
// Each case has its own server and thread, so the matrix takes about as long as the deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "http_faults.h"
#include "platform/worker.h"
#include "sync/download_limits.h"
#include "sync/server_time.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

using Clock = std::chrono::steady_clock;

// Short, so that the slow cases wait seconds, not the programs' twenty.
constexpr std::uint32_t kDeadlineMs = 2000;
constexpr auto kMost = std::chrono::milliseconds(kDeadlineMs) + std::chrono::seconds(1);

struct Outcome {
    bool holdsTime = false;
    std::size_t bytes = 0;
    double seconds = 0;
};

// Runs the download or the measure of every case side by side, each on its worker with its
// deadline and the waiting side's grace.
template <typename Attempt>
std::vector<Outcome> RunAll(const std::vector<testsupport::FaultCase>& cases, Attempt attempt) {
    std::vector<Outcome> outcomes(cases.size());
    std::vector<std::jthread> runs;
    for (std::size_t i = 0; i < cases.size(); ++i)
        runs.emplace_back([&, i] {
            const testsupport::FaultServer server(cases[i]);
            auto outcome = std::make_shared<Outcome>();
            const auto start = Clock::now();
            platform::RunSideBySide(
                {[attempt, outcome, url = server.Url()] { attempt(url, *outcome); }},
                kDeadlineMs + download::kGraceMs);
            outcomes[i] = *outcome;
            outcomes[i].seconds = std::chrono::duration<double>(Clock::now() - start).count();
        });
    return outcomes;  // the runs are joined first
}

void Expect(const std::vector<testsupport::FaultCase>& cases, const std::vector<Outcome>& outcomes,
            bool sizes) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        const auto& o = outcomes[i];
        std::printf("%-46s | %9zu | %6.2f s | %s\n", c.name.c_str(), o.bytes, o.seconds,
                    o.holdsTime ? "time" : "no time");
        EXPECT_EQ(o.holdsTime, c.holdsTime) << c.name;
        if (sizes && c.textSize) {
            EXPECT_EQ(o.bytes, *c.textSize) << c.name;
        }
        EXPECT_LT(o.seconds, std::chrono::duration<double>(kMost).count()) << c.name;
    }
}

TEST(FaultMatrixWin32Test, EveryFaultEndsWithinTheDeadlineWithWhatWasRead) {
    const auto cases = testsupport::FaultCases();
    Expect(cases,
           RunAll(cases,
                  [](const std::string& url, Outcome& o) {
                      const std::string text =
                          GetUrlText(url, kDeadlineMs).value_or(platform::PageAnswer{}).body;
                      o.bytes = text.size();
                      o.holdsTime = ExtractServerTime(text, 0).has_value();
                  }),
           true);
    Expect(cases,
           RunAll(cases,
                  [](const std::string& url, Outcome& o) {
                      const Measurement m = MeasureTimePage(url, kDeadlineMs);
                      o.bytes = m.samples.size();
                      o.holdsTime = !m.samples.empty() && !m.unusable;
                  }),
           false);
}

}  // namespace
}  // namespace chronalign
