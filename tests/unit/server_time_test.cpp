#include "sync/server_time.h"

#include <gtest/gtest.h>

#include <string>

#include "reset_fakes.h"

namespace chronalign {
namespace {

using ServerTimeTest = fake::FakePlatformTest;

// A page of at least 100 characters that holds time directly before " UTC".
std::string Page(const std::string& time, const std::string& marker = " UTC") {
    const std::string head = "<html><body><p>The current time is ";
    std::string page = head + time + marker + "</p>";
    page.append(page.size() < 100 ? 100 - page.size() : 0, ' ');
    return page;
}

std::optional<ServerTime> At(const std::string& time, std::int16_t offset = 0) {
    return ExtractServerTime(Page(time), offset);
}

ServerTime T(int h, int m, int s) {
    return {static_cast<std::int16_t>(h), static_cast<std::int16_t>(m),
            static_cast<std::int16_t>(s)};
}

TEST_F(ServerTimeTest, ThePageMustHoldAHundredCharactersAndTheMarker) {
    std::string page = "12:34:56 UTC";
    page.append(99 - page.size(), '.');
    EXPECT_EQ(ExtractServerTime(page, 0), std::nullopt);
    page += '.';
    EXPECT_EQ(ExtractServerTime(page, 0), T(12, 34, 56));

    EXPECT_EQ(ExtractServerTime("", 0), std::nullopt);
    EXPECT_EQ(ExtractServerTime(Page("12:34:56", " GMT"), 0), std::nullopt);
    EXPECT_EQ(ExtractServerTime(Page("12:34:56", "UTC"), 0), std::nullopt);
    EXPECT_EQ(ExtractServerTime(Page("12:34:56", "\tUTC"), 0), std::nullopt);
    EXPECT_EQ(ExtractServerTime(Page("12:34:56", " UT"), 0), std::nullopt);
}

TEST_F(ServerTimeTest, TheFirstMarkerInAnyCaseCounts) {
    EXPECT_EQ(ExtractServerTime(Page("12:34:56", " utc"), 0), T(12, 34, 56));
    EXPECT_EQ(ExtractServerTime(Page("12:34:56", " uTc"), 0), T(12, 34, 56));
    EXPECT_EQ(ExtractServerTime(Page("01:02:03 UTC and 04:05:06"), 0), T(1, 2, 3));
    EXPECT_EQ(ExtractServerTime(Page("01:02:03 utc and 04:05:06"), 0), T(1, 2, 3));
    // Marker-like letters before the real one are no marker: "XUTC" has no space.
    EXPECT_EQ(ExtractServerTime(Page("XUTC 10:20:30"), 0), T(10, 20, 30));
}

TEST_F(ServerTimeTest, TheOffsetIsSubtractedAndWrappedIntoOneDay) {
    EXPECT_EQ(At("12:34:56"), T(12, 34, 56));
    EXPECT_EQ(At("12:00:00", 60), T(11, 0, 0));
    EXPECT_EQ(At("12:00:00", -60), T(13, 0, 0));
    EXPECT_EQ(At("12:00:00", 30), T(11, 30, 0));
    EXPECT_EQ(At("00:10:00", 30), T(23, 40, 0));
    EXPECT_EQ(At("23:50:00", -30), T(0, 20, 0));
    EXPECT_EQ(At("23:59:59", -60), T(0, 59, 59));
    EXPECT_EQ(At("00:00:00", 1), T(23, 59, 0));
    EXPECT_EQ(At("00:00:00", -1440), T(0, 0, 0));
}

TEST_F(ServerTimeTest, FieldsAreNeitherRangedNorRequiredToBeDigits) {
    EXPECT_EQ(At("00:90:00"), T(1, 30, 0));
    EXPECT_EQ(At("ab:15:00"), T(0, 15, 0));
    EXPECT_EQ(At("12-34-56"), T(12, 34, 56));  // the separators are not looked at
    EXPECT_EQ(At(" 7:08:09"), T(7, 8, 9));
    EXPECT_EQ(At("07:08:xx"), T(7, 8, 0));
    EXPECT_EQ(At("-1:00:00"), T(23, 0, 0));
    EXPECT_EQ(At("25:00:00"), T(1, 0, 0));
}

TEST_F(ServerTimeTest, FewerThanEightCharactersBeforeTheMarker) {
    std::string page = "7:08:09 UTC";
    page.append(100 - page.size(), ' ');
    // "7:" and "8:" are no numbers; the second field is the 9 alone.
    EXPECT_EQ(ExtractServerTime(page, 0), T(0, 0, 9));

    page = " UTC";
    page.append(100 - page.size(), ' ');
    EXPECT_EQ(ExtractServerTime(page, 0), T(0, 0, 0));
    EXPECT_EQ(ExtractServerTime(page, 30), T(23, 30, 0));

    page = "12:3 UTC";
    page.append(100 - page.size(), ' ');
    EXPECT_EQ(ExtractServerTime(page, 0), T(12, 3, 0));
}

TEST_F(ServerTimeTest, ApplyOffsetHoldsForAnySixteenBitOffset) {
    const auto expectSplit = [](std::int16_t h, std::int16_t m, std::int16_t s, int total) {
        EXPECT_EQ(h * 3600 + m * 60 + s, total);
        EXPECT_TRUE(m >= 0 && m < 60 && s >= 0 && s < 60) << h << ":" << m << ":" << s;
    };
    std::int16_t h = 12, m = 0, s = 0;
    ApplyOffset(h, m, s, 32767);  // 12:00 less 546 hours 7 minutes, wrapped once only
    expectSplit(h, m, s, 12 * 3600 - 60 * 32767 + 86400);

    h = 0, m = 0, s = 0;
    ApplyOffset(h, m, s, -32768);
    expectSplit(h, m, s, 60 * 32768 - 86400);

    // A total still negative after the one wrap is divided toward minus infinity.
    h = -30, m = -1, s = -1;
    ApplyOffset(h, m, s, 0);
    EXPECT_EQ(T(h, m, s), T(-7, 58, 59));  // -108061 + 86400 = -21661
}

TEST_F(ServerTimeTest, TheMillisecondTokenCountsOnlyWellFormedAfterTheTimeAndWithinItsSecond) {
    // 1765289109 is 2025-12-09 14:05:09 UTC; 1765238400 that day's midnight, day 20431.
    const auto read = [](const std::string& time, const std::string& after) {
        return ReadPageTime(Page(time, " UTC" + after));
    };
    const PageTime whole{(14 * 3600 + 5 * 60 + 9) * 1000, false, {}};
    EXPECT_EQ(read("14:05:09", ""), whole);
    // The token states the whole instant, date included.
    EXPECT_EQ(read("14:05:09", " msec=1765289109.001"),
              (PageTime{whole.millisecondOfDay + 1, true, 20431}));
    EXPECT_EQ(read("14:05:09", "<p>msec=1765289109.999</p>"),
              (PageTime{whole.millisecondOfDay + 999, true, 20431}));
    EXPECT_EQ(read("00:00:00", " msec=1765238400.000"), (PageTime{0, true, 20431}));
    EXPECT_EQ(read("23:59:59", " msec=1765238399.999"), (PageTime{86'399'999, true, 20430}));
    // Beyond the year 9999 (253402300800): the time stands, the date does not.
    EXPECT_EQ(read("00:00:00", " msec=253402300800.000"), (PageTime{0, true, {}}));
    // Another second, or no well-formed token: the page states whole seconds.
    for (const char* token :
         {" msec=1765289110.000", " msec=1765289108.999", " msec=1765289109.12",
          " msec=1765289109.1234", " msec=1765289109", " msec=.123", " msec= 1765289109.123",
          " msec=1765289109,123", " msec=99991765289109.123", " MSEC=1765289109.123"})
        EXPECT_EQ(read("14:05:09", token), whole) << token;
    // Only a token after the time counts, and only the first.
    EXPECT_EQ(ReadPageTime(Page("msec=1765289109.500 14:05:09")), whole);
    EXPECT_EQ(read("14:05:09", " msec=1765289110.000 msec=1765289109.500"), whole);
    // The token changes nothing the time text gives.
    EXPECT_EQ(ExtractServerTime(Page("14:05:09", " UTC msec=1765289109.500"), 60), T(13, 5, 9));
}

TEST_F(ServerTimeTest, APageTimeIsReadOnlyWhereTheTimeTextGivesOneWithinADay) {
    EXPECT_EQ(ReadPageTime(std::string(120, ' ')), std::nullopt);
    EXPECT_EQ(ReadPageTime("12:34:56 UTC msec=1765283696.123"), std::nullopt);  // too short
    EXPECT_EQ(ReadPageTime(Page("25:00:00")), (PageTime{3600 * 1000, false, {}}));  // as today
    EXPECT_EQ(ReadPageTime(Page("99:00:00")), std::nullopt);
}

TEST_F(ServerTimeTest, TheDateHeaderGivesTheDateWhenItLiesWithinTwoSecondsOfThePage) {
    // Tuesday 9 December 2025 is day 20431.
    const auto read = [](const std::string& time, const char* date, const std::string& after = "") {
        return ReadPageTime(Page(time, " UTC" + after), date);
    };
    const PageTime whole{(14 * 3600 + 5 * 60 + 9) * 1000, false, {}};
    PageTime dated = whole;
    dated.day = 20431;
    for (const char* date : {"Tue, 09 Dec 2025 14:05:07 GMT", "Tue, 09 Dec 2025 14:05:11 GMT",
                             "Tue Dec  9 14:05:09 2025"})
        EXPECT_EQ(read("14:05:09", date), dated) << date;
    for (const char* date : {"Tue, 09 Dec 2025 14:05:06 GMT", "Tue, 09 Dec 2025 14:05:12 GMT",
                             "Tue, 09 Dec 2025 02:05:09 GMT", "Tuesday, 09-Dec-25 14:05:09 GMT",
                             "Wed, 09 Dec 2025 14:05:09 GMT", ""})
        EXPECT_EQ(read("14:05:09", date), whole) << date;
    // Either side of midnight: the date of the instant the page's time of day names.
    EXPECT_EQ(read("00:00:01", "Mon, 08 Dec 2025 23:59:59 GMT"), (PageTime{1000, false, 20431}));
    EXPECT_EQ(read("23:59:59", "Wed, 10 Dec 2025 00:00:01 GMT"),
              (PageTime{86'399'000, false, 20431}));
    // A token within the page's second wins; one outside it leaves the header to decide.
    EXPECT_EQ(read("14:05:09", "Thu, 01 Jan 1970 14:05:09 GMT", " msec=1765289109.250"),
              (PageTime{whole.millisecondOfDay + 250, true, 20431}));
    EXPECT_EQ(read("14:05:09", "Tue, 09 Dec 2025 14:05:09 GMT", " msec=1765289110.250"), dated);
}

}  // namespace
}  // namespace chronalign
