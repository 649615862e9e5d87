// The time page download with the real WinINet under Wine, against a loopback server: exact
// bodies, fresh requests, and the bounds on time and size. The slow faults are in the matrix.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <string>

#include "http_server.h"
#include "sync/download_limits.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

using testsupport::HttpReply;
using testsupport::HttpRequest;
using testsupport::HttpServer;
using Clock = std::chrono::steady_clock;

// What a quick case may take.
constexpr auto kSlack = std::chrono::seconds(5);

// A body whose every position is told apart from its neighbours, so that a lost, doubled or
// reordered chunk shows.
std::string Body(std::size_t size) {
    std::string s;
    for (std::size_t i = 0; s.size() < size; ++i) s += std::to_string(i) + ",";
    s.resize(size);
    return s;
}

std::size_t HeaderLength(const HttpReply& r) {
    return r.bytes.find("\r\n\r\n") + 4;
}

// A reply that sends its headers and the first bodyBytes of its body, then stalls or resets.
HttpReply Broken(const std::string& body, std::size_t bodyBytes, bool reset) {
    HttpReply r = testsupport::Ok(body);
    r.stallAfter = HeaderLength(r) + bodyBytes;
    r.resetAfterStall = reset;
    return r;
}

struct Timed {
    std::string text;
    Clock::duration took;
};

Timed TimedGet(const std::string& url) {
    const auto start = Clock::now();
    std::string text = GetUrlText(url, download::kDeadlineMs).value_or(platform::PageAnswer{}).body;
    return {std::move(text), Clock::now() - start};
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

TEST(UrlTextWin32Test, ReturnsBodiesExactlyWhateverTheirStatus) {
    const std::string page = "<html><body><h1>500 Internal Server Error</h1></body></html>";
    HttpServer server([&](const HttpRequest& r) {
        if (r.path == "/300")
            return testsupport::Ok(Body(300));
        if (r.path == "/3000")
            return testsupport::Ok(Body(3000));
        if (r.path == "/error")
            return testsupport::Status(500, "Internal Server Error", page);
        return testsupport::Ok("");
    });
    EXPECT_EQ(GetUrlText(server.Url("/300"), download::kDeadlineMs)->body, Body(300));
    EXPECT_EQ(GetUrlText(server.Url("/3000"), download::kDeadlineMs)->body, Body(3000));
    EXPECT_EQ(GetUrlText(server.Url("/empty"), download::kDeadlineMs)->body, "");
    EXPECT_EQ(GetUrlText(server.Url("/error"), download::kDeadlineMs)->body, page);
}

TEST(UrlTextWin32Test, EveryCallAsksTheServerAgainAndNoCacheMayAnswer) {
    int served = 0;
    // A different page each time: a second call answered from a cache would repeat the first.
    // The third comes as a cache would give it, kept for a while: no text.
    HttpServer server([&](const HttpRequest&) {
        HttpReply r = testsupport::Ok("page " + std::to_string(++served));
        if (served == 3)
            r.bytes.insert(r.bytes.find("\r\n") + 2, "Age: 5\r\n");
        return r;
    });
    EXPECT_EQ(GetUrlText(server.Url("/cgi-bin/timer.pl"), download::kDeadlineMs)->body, "page 1");
    EXPECT_EQ(GetUrlText(server.Url("/cgi-bin/timer.pl"), download::kDeadlineMs)->body, "page 2");
    EXPECT_FALSE(GetUrlText(server.Url("/cgi-bin/timer.pl"), download::kDeadlineMs));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& r : requests) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.path, "/cgi-bin/timer.pl");
        EXPECT_EQ(r.userAgent, platform::kPageAgent);
        EXPECT_NE(r.raw.find("Pragma: no-cache"), std::string::npos) << r.raw;
    }
}

TEST(UrlTextWin32Test, ARefusedConnectionIsEmptyAtOnce) {
    const Timed t =
        TimedGet("http://127.0.0.1:" + std::to_string(testsupport::RefusedPort()) + "/");
    EXPECT_EQ(t.text, "");
    EXPECT_LT(t.took, kSlack) << Seconds(t.took) << " s";
}

TEST(UrlTextWin32Test, AnEndlessBodyStopsAt64KiB) {
    const std::string body = Body(5 * 1024 * 1024);
    HttpServer server([&](const HttpRequest&) { return testsupport::Ok(body); });
    const Timed t = TimedGet(server.Url("/big"));
    EXPECT_EQ(t.text.size(), 64u * 1024);
    EXPECT_TRUE(t.text == body.substr(0, 64 * 1024));
    EXPECT_LT(t.took, kSlack) << Seconds(t.took) << " s";
}

TEST(UrlTextWin32Test, AResetKeepsNoMoreThanWasSent) {
    const std::string body = Body(3000);
    HttpServer server([&](const HttpRequest&) { return Broken(body, 1500, true); });
    const Timed t = TimedGet(server.Url("/reset"));
    EXPECT_LE(t.text.size(), 1500u);
    EXPECT_EQ(t.text, body.substr(0, t.text.size()));
    EXPECT_LT(t.took, kSlack) << Seconds(t.took) << " s";
}

}  // namespace
}  // namespace chronalign
