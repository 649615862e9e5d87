// The time page download against the scripted WinINet: the calls it makes, how it reads the
// body, and that it closes what it opened on every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

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
    fake::Internet().downloads.push_back({Body(5000), 2, {}, {}});
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
                          }};
    fake::Internet().downloads.push_back(stalls);
    EXPECT_EQ(GetUrlText(kUrl), Body(2048));
    EXPECT_THAT(fake::LogOf("InternetClose"),
                ElementsAre("InternetCloseHandle " + kRequest, "InternetCloseHandle " + kInternet));
    EXPECT_LT(fake::LogIndex("PassDeadline"), fake::LogIndex("InternetCloseHandle " + kRequest));
    EXPECT_EQ(fake::Internet().openHandles, 0);

    // Given up on while the URL was being opened: the handle that comes too late is closed.
    fake::Log().clear();
    fake::Internet().downloads.push_back({Body(10), -1, fake::PassDeadline, {}});
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

}  // namespace
}  // namespace chronalign
