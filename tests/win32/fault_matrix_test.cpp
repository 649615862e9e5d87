// The real download against every faulty page at once: each case has its own server and thread,
// so the whole matrix takes about as long as its slowest case, the deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "http_faults.h"
#include "sync/download_limits.h"
#include "sync/server_time.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

using Clock = std::chrono::steady_clock;

// The download's deadline, and what a case may take beyond it.
constexpr auto kDeadline = std::chrono::milliseconds(download::kDeadlineMs);
constexpr auto kSlack = std::chrono::seconds(3);

struct Outcome {
    std::string text;
    double seconds = 0;
};

TEST(FaultMatrixWin32Test, EveryFaultEndsWithinTheDeadlineWithWhatWasRead) {
    const auto cases = testsupport::FaultCases();
    std::vector<Outcome> outcomes(cases.size());
    {
        std::vector<std::jthread> runs;
        for (std::size_t i = 0; i < cases.size(); ++i)
            runs.emplace_back([&, i] {
                const testsupport::FaultServer server(cases[i]);
                const auto start = Clock::now();
                outcomes[i].text = GetUrlText(server.Url());
                outcomes[i].seconds = std::chrono::duration<double>(Clock::now() - start).count();
            });
    }  // joined here

    std::printf("%-46s | %-9s | %9s | %s\n", "case", "bytes", "seconds", "holds a time");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        const auto& o = outcomes[i];
        const bool holdsTime = ExtractServerTime(o.text, 0).has_value();
        std::printf("%-46s | %9zu | %9.2f | %s\n", c.name.c_str(), o.text.size(), o.seconds,
                    holdsTime ? "yes" : "no");
        EXPECT_EQ(holdsTime, c.holdsTime) << c.name;
        if (c.textSize) {
            EXPECT_EQ(o.text.size(), *c.textSize) << c.name;
        }
        EXPECT_LT(o.seconds, std::chrono::duration<double>(kDeadline + kSlack).count()) << c.name;
    }
}

}  // namespace
}  // namespace chronalign
