// The time page download and a synchronization's measure against the scripted network: what
// an answer is worth, the deadline, and one connection closed on every path.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fake_clock.h"
#include "fake_page_connection.h"
#include "reset_fakes.h"
#include "sync/url_text.h"

namespace chronalign {
namespace {

constexpr const char* kUrl = "http://time.velmora.example/cgi-bin/timer.pl";
constexpr std::uint32_t kDeadline = 2000;

// A page stating the fake clock, to the millisecond or in whole seconds.
std::string ClockPage(bool milliseconds = true) {
    const std::int64_t ms = fake::ToMilliseconds(fake::Clock().utc);
    const auto t = fake::CivilFromMilliseconds(ms);
    char page[200];
    std::snprintf(page, sizeof page, "%-100s%02d:%02d:%02d UTC", "<p>", t.wHour, t.wMinute,
                  t.wSecond);
    std::string text = page;
    if (milliseconds)
        text +=
            " msec=" + std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1);
    return text;
}

class UrlTextTest : public fake::FakePlatformTest {};

TEST_F(UrlTextTest, ADownloadIsOneRequestWhoseBodyComesByteForByte) {
    const std::string bytes("caf\xC3\xA9 \xFF\0end", 10);
    fake::Internet().downloads.push_back({.body = bytes, .date = "Mon, 07 Dec 2026 12:00:00 GMT"});
    const auto answer = GetUrlText(kUrl, kDeadline);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, bytes);
    EXPECT_EQ(answer->date, "Mon, 07 Dec 2026 12:00:00 GMT");
    EXPECT_EQ(fake::Internet().urls, std::vector<std::string>{kUrl});

    // A body that broke off gives what came before the break.
    fake::Internet().downloads.push_back({.body = "half a page", .broken = true});
    EXPECT_EQ(GetUrlText(kUrl, kDeadline)->body, "half a page");
    EXPECT_EQ(fake::Internet().opens, 2);
    EXPECT_EQ(fake::Internet().connections, 2);
    EXPECT_EQ(fake::Internet().openConnections, 0);
}

TEST_F(UrlTextTest, NoAnswerNoConnectionOrACachesAnswerIsNoText) {
    fake::ServeNothing();
    EXPECT_FALSE(GetUrlText(kUrl, kDeadline));
    fake::Internet().connectFails = true;
    fake::Serve("never asked for");
    EXPECT_FALSE(GetUrlText(kUrl, kDeadline));
    EXPECT_FALSE(GetUrlText("ftp://time.velmora.example/", kDeadline));
    EXPECT_EQ(fake::Internet().opens, 1);
    fake::ResetInternet();

    // What a cache kept a second or more states an old time; "Age: 0" is fresh from the server.
    for (const char* age : {"5", " 1", "2147483648", "soon"}) {
        fake::Internet().downloads.push_back({.body = ClockPage(), .age = age});
        EXPECT_FALSE(GetUrlText(kUrl, kDeadline)) << age;
    }
    for (const char* age : {"0", " 00 "}) {
        fake::Internet().downloads.push_back({.body = "fresh", .age = age});
        EXPECT_EQ(GetUrlText(kUrl, kDeadline)->body, "fresh") << age;
    }
    EXPECT_EQ(fake::Internet().openConnections, 0);
}

TEST_F(UrlTextTest, ADownloadEndsAtItsDeadline) {
    fake::Internet().downloads.push_back({.body = "too late", .takesMs = 5000});
    const std::uint64_t start = fake::Clock().ticks;
    EXPECT_FALSE(GetUrlText(kUrl, kDeadline));
    EXPECT_EQ(fake::Clock().ticks - start, kDeadline);
    EXPECT_EQ(fake::Internet().openConnections, 0);
}

TEST_F(UrlTextTest, AMeasureMakesTimedRequestsOnOneConnection) {
    fake::ServeLive([] { return ClockPage(); }, 5);
    const Measurement m = MeasureTimePage("https://time.velmora.example:8443/t?x=1", kDeadline);
    ASSERT_EQ(m.samples.size(), 2u);  // the bound is reached at the second
    EXPECT_FALSE(m.unusable);
    EXPECT_EQ(m.samples[0].arrived - m.samples[0].sent, 1000);  // the fake's round trip
    EXPECT_EQ(fake::Internet().connections, 1);
    EXPECT_EQ(fake::Internet().urls.back(), "https://time.velmora.example:8443/t?x=1");
    EXPECT_EQ(fake::Internet().openConnections, 0);
}

TEST_F(UrlTextTest, AMeasureKeepsWhatCameBeforeAFailingOrCachedAnswer) {
    // An answer stating no time: the page is no time page.
    fake::Serve("no time here");
    EXPECT_TRUE(MeasureTimePage(kUrl, kDeadline).unusable);

    const fake::Download failing[] = {
        {.body = std::nullopt},                    // no answer
        {.body = ClockPage(), .broken = true},     // a body that broke off
        {.body = ClockPage(), .age = "3"},         // a cache's copy
        {.body = ClockPage(), .takesMs = 60'000},  // a server slower than the deadline
    };
    for (const fake::Download& second : failing) {
        fake::ResetAll();
        fake::ServeLive([] { return ClockPage(false); }, 1);
        fake::Internet().downloads.push_back(second);
        fake::ServeLive([] { return ClockPage(false); }, 1);
        const Measurement m = MeasureTimePage(kUrl, kDeadline);
        EXPECT_EQ(m.samples.size(), 1u);
        EXPECT_FALSE(m.unusable);
        EXPECT_EQ(fake::Internet().opens, 2);
        EXPECT_EQ(fake::Internet().openConnections, 0);
    }
}

TEST_F(UrlTextTest, AMeasureSendsNoRequestItsDeadlineWouldNotLetAnswer) {
    // A whole-seconds page asks for requests timed to the page's seconds, seconds apart.
    fake::ServeLive([] { return ClockPage(false); }, 20);
    const std::uint64_t start = fake::Clock().ticks;
    const Measurement m = MeasureTimePage(kUrl, 1500);
    EXPECT_GE(m.samples.size(), 1u);
    EXPECT_LE(fake::Clock().ticks - start, 1500u);
    EXPECT_LT(fake::Internet().opens, 20);
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
    for (const char* bad : {"", "ftp://time.example/", "http://", "http://:80/", "http://h:0/",
                            "http://h:65536/", "http://h:8x/", "time.example"})
        EXPECT_FALSE(SplitUrl(bad)) << bad;
}

}  // namespace
}  // namespace chronalign
