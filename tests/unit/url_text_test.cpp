// The time page download against the scripted WinINet: the calls it makes, how it reads the
// body, and that it closes what it opened on every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "fake_internet.h"
#include "fake_log.h"
#include "fake_worker.h"
#include "reset_fakes.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

using ::testing::ElementsAre;

constexpr const char* kUrl = "http://time.velmora.example/cgi-bin/timer.pl";
// The fake hands out handles from 0x100: the Internet handle first, then the URL handle.
const std::string kInternet = "256";
const std::string kRequest = "257";

// A body whose every position is told apart from its neighbours, so that a lost, doubled or
// reordered chunk shows.
std::string Body(std::size_t size) {
    std::string s;
    for (std::size_t i = 0; s.size() < size; ++i) s += std::to_string(i) + ",";
    s.resize(size);
    return s;
}

// The sizes asked for by the reads made so far (any download's URL handle).
std::vector<std::string> ReadSizes() {
    std::vector<std::string> sizes;
    for (const auto& e : fake::LogOf("InternetReadFile "))
        sizes.push_back(e.substr(e.rfind(' ') + 1));
    return sizes;
}

std::vector<std::string> Reads(std::size_t count) {
    return std::vector<std::string>(count, "1024");
}

class UrlTextTest : public fake::FakePlatformTest {};

TEST_F(UrlTextTest, MakesTheFourCallsWithTheirArgumentsInOrderOnAWorker) {
    fake::Serve(Body(300));
    EXPECT_EQ(GetUrlText(kUrl), Body(300));
    EXPECT_THAT(fake::Log(),
                ElementsAre("RunWithDeadline 20000",
                            "InternetOpenA \"ZQandWinInet/1.0\" 0 null null 0",
                            "InternetSetTimeouts " + kInternet + " 10000",
                            "InternetOpenUrlA " + kInternet + " \"" + kUrl + "\" \"\" 0 " +
                                std::to_string(0x80000000u) + " 0",
                            "InternetReadFile " + kRequest + " 1024",  // all 300 bytes
                            "InternetReadFile " + kRequest + " 1024",  // 0 bytes: the end
                            "InternetCloseHandle " + kRequest, "InternetCloseHandle " + kInternet));
    EXPECT_EQ(fake::Internet().openHandles, 0);
}

TEST_F(UrlTextTest, JoinsChunksInOrderUntilAReadOfNothing) {
    fake::Serve(Body(3000));  // 1024, 1024, 952, then 0
    EXPECT_EQ(GetUrlText(kUrl), Body(3000));
    EXPECT_EQ(ReadSizes(), Reads(4));

    fake::Log().clear();
    fake::Serve(Body(2048));  // an exact multiple still needs the read of nothing
    EXPECT_EQ(GetUrlText(kUrl), Body(2048));
    EXPECT_EQ(ReadSizes(), Reads(3));

    fake::Log().clear();
    const std::string bytes("caf\xC3\xA9 \xFF\0end", 10);  // passed on byte for byte, NUL too
    fake::Serve(bytes);
    EXPECT_EQ(GetUrlText(kUrl), bytes);

    fake::Log().clear();
    fake::Serve("");
    EXPECT_EQ(GetUrlText(kUrl), "");
    EXPECT_EQ(ReadSizes(), Reads(1));
    EXPECT_EQ(fake::Internet().openHandles, 0);
}

TEST_F(UrlTextTest, AFailedReadKeepsWhatCameBeforeIt) {
    fake::Internet().downloads.push_back({Body(5000), 2, {}, {}, {}});
    const std::string text = GetUrlText(kUrl);
    EXPECT_EQ(text.size(), 2048u);
    EXPECT_EQ(text, Body(2048));
    EXPECT_EQ(ReadSizes(), Reads(3));
    EXPECT_EQ(fake::LogOf("InternetClose"),
              (std::vector<std::string>{"InternetCloseHandle " + kRequest,
                                        "InternetCloseHandle " + kInternet}));
    EXPECT_EQ(fake::Internet().openHandles, 0);
}

TEST_F(UrlTextTest, AtTheDeadlineTheWaitingSideClosesTheHandlesOnceAndKeepsWhatWasRead) {
    fake::Download stalls{Body(5000), -1, {}, [](int read) {
                              if (read == 2)
                                  fake::PassDeadline();
                          },
                          {}};
    fake::Internet().downloads.push_back(stalls);
    EXPECT_EQ(GetUrlText(kUrl), Body(2048));
    EXPECT_THAT(fake::LogOf("InternetClose"),
                ElementsAre("InternetCloseHandle " + kRequest, "InternetCloseHandle " + kInternet));
    EXPECT_LT(fake::LogIndex("PassDeadline"), fake::LogIndex("InternetCloseHandle " + kRequest));
    EXPECT_EQ(fake::Internet().openHandles, 0);

    // Given up on while the URL was being opened: the handle that comes too late is closed.
    fake::Log().clear();
    fake::Internet().downloads.push_back({Body(10), -1, fake::PassDeadline, {}, {}});
    EXPECT_EQ(GetUrlText(kUrl), "");
    EXPECT_EQ(fake::LogOf("InternetClose").size(), 2u);
    EXPECT_TRUE(fake::LogOf("InternetReadFile").empty());
    EXPECT_EQ(fake::Internet().openHandles, 0);

    // One given up on earlier still runs: nothing is opened.
    fake::Log().clear();
    fake::Worker().abandonedAlive = true;
    fake::Serve(Body(10));
    EXPECT_EQ(GetUrlText(kUrl), "");
    EXPECT_EQ(fake::Log(), std::vector<std::string>{"RunWithDeadline 20000"});
}

TEST_F(UrlTextTest, NoInternetHandleIsEmptyWithNothingToClose) {
    fake::Internet().openFails = true;
    fake::Serve(Body(300));
    EXPECT_EQ(GetUrlText(kUrl), "");
    EXPECT_THAT(fake::Log(), ElementsAre("RunWithDeadline 20000", "InternetOpenA \"ZQandWinInet/1.0\" 0 null null 0"));
    EXPECT_EQ(fake::Internet().opens, 0);
}

TEST_F(UrlTextTest, AnUnopenedUrlClosesTheInternetHandle) {
    fake::ServeNothing();
    EXPECT_EQ(GetUrlText(kUrl), "");
    EXPECT_EQ(ReadSizes(), Reads(0));
    EXPECT_EQ(fake::LogOf("InternetClose"),
              std::vector<std::string>{"InternetCloseHandle " + kInternet});
    EXPECT_EQ(fake::Internet().openHandles, 0);
}

TEST_F(UrlTextTest, NothingCarriesOverFromTheCallBefore) {
    fake::Serve(Body(3000));
    fake::ServeNothing();
    fake::Serve("second");
    EXPECT_EQ(GetUrlText(kUrl), Body(3000));
    EXPECT_EQ(GetUrlText(kUrl), "");
    EXPECT_EQ(GetUrlText(kUrl), "second");
    EXPECT_EQ(fake::Internet().opens, 3);
    EXPECT_EQ(fake::Internet().openHandles, 0);
}

TEST_F(UrlTextTest, StopsReadingAt64KiB) {
    fake::Serve(Body(200 * 1024));
    const std::string text = GetUrlText(kUrl);
    EXPECT_EQ(text.size(), 64u * 1024);
    EXPECT_TRUE(text == Body(64 * 1024));
    EXPECT_EQ(ReadSizes(), Reads(64));
    EXPECT_EQ(fake::Internet().openHandles, 0);

    fake::Log().clear();
    fake::Serve(Body(64 * 1024));  // a body of exactly the bound is whole, without a read more
    EXPECT_TRUE(GetUrlText(kUrl) == Body(64 * 1024));
    EXPECT_EQ(ReadSizes(), Reads(64));
}

// A page stating the fake clock to the millisecond, or a page without any time.
std::string ClockPage() {
    const std::int64_t ms = fake::ToMilliseconds(fake::Clock().utc);
    const auto t = fake::CivilFromMilliseconds(ms);
    char page[200];
    std::snprintf(page, sizeof page, "%-100s%02d:%02d:%02d UTC msec=%lld.%03lld", "<p>", t.wHour,
                  t.wMinute, t.wSecond, static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return page;
}

TEST_F(UrlTextTest, AMeasureSendsTimedRequestsOnOneConnectionAndClosesAll) {
    fake::ServeLive(ClockPage, 2);
    const Measurement m = MeasureTimePage("https://time.velmora.example:8443/t?x=1");
    ASSERT_EQ(m.samples.size(), 2u);
    EXPECT_FALSE(m.unusable);
    EXPECT_EQ(m.samples[0].arrived - m.samples[0].sent, 1000);  // the fake's round trip
    EXPECT_EQ(fake::LogOf("RunWithDeadline"), std::vector<std::string>{"RunWithDeadline 20000"});
    EXPECT_EQ(fake::LogOf("InternetConnectA"),
              std::vector<std::string>{"InternetConnectA " + kInternet +
                                       " \"time.velmora.example\" 8443"});
    const std::string open = "HttpOpenRequestA 257 \"/t?x=1\" " +
                             std::to_string(0x80000000u | 0x00400000u | 0x00800000u);
    EXPECT_EQ(fake::LogOf("HttpOpenRequestA"), (std::vector<std::string>{open, open}));
    // Each request waits for its time, and is stamped just before it is sent.
    const int send = fake::LogIndexOfPrefix("HttpSendRequestA");
    EXPECT_EQ(fake::Log()[static_cast<std::size_t>(send - 1)], "PreciseSystemTime");
    EXPECT_LT(fake::LogIndex("WaitUntil"), send);
    EXPECT_EQ(fake::Internet().openHandles, 0);

    // No answer stating a time: unusable. No answer at all: what came before it stands.
    fake::ResetAll();
    fake::Serve("no time here");
    EXPECT_TRUE(MeasureTimePage(kUrl).unusable);
    fake::ResetAll();
    fake::ServeLive(ClockPage, 1);
    fake::ServeNothing();
    EXPECT_EQ(MeasureTimePage(kUrl).samples.size(), 1u);
    EXPECT_EQ(fake::Internet().openHandles, 0);
}

TEST_F(UrlTextTest, AMeasureGivenUpOnKeepsWhatItHadMeasured) {
    fake::ServeLive(ClockPage, 1);
    fake::Internet().downloads.push_back({ClockPage(), -1, fake::PassDeadline, {}, {}});
    const Measurement m = MeasureTimePage(kUrl);
    EXPECT_EQ(m.samples.size(), 1u);
    EXPECT_EQ(fake::Internet().openHandles, 0);
    EXPECT_LT(fake::LogIndex("PassDeadline"), fake::LogIndex("InternetCloseHandle 257"));
}

TEST(SplitUrl, TakesHttpAndHttpsAddressesApart) {
    const struct {
        const char* address;
        bool secure;
        const char* host;
        std::uint16_t port;
        const char* object;
    } good[] = {
        {"http://time.example/cgi-bin/timer.pl", false, "time.example", 80, "/cgi-bin/timer.pl"},
        {"HTTPS://time.example", true, "time.example", 443, "/"},
        {"http://u:p@127.0.0.1:8080?t=1#top", false, "127.0.0.1", 8080, "/?t=1"},
        {"https://[::1]:65535/a#b", true, "::1", 65535, "/a"},
    };
    for (const auto& g : good) {
        const auto parts = SplitUrl(g.address);
        ASSERT_TRUE(parts) << g.address;
        EXPECT_EQ(parts->secure, g.secure) << g.address;
        EXPECT_EQ(parts->host, g.host) << g.address;
        EXPECT_EQ(parts->port, g.port) << g.address;
        EXPECT_EQ(parts->object, g.object) << g.address;
    }
    for (const char* bad : {"", "ftp://time.example/", "http://", "http://:80/",
                            "http://h:0/", "http://h:65536/", "http://h:8x/", "time.example"})
        EXPECT_FALSE(SplitUrl(bad)) << bad;
}

}  // namespace
}  // namespace chronalign
