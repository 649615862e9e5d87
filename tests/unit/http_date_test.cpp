#include "sync/http_date.h"

#include <gtest/gtest.h>

namespace chronalign {
namespace {

TEST(HttpDateTest, ReadsThePreferredAndTheAsctimeFormAndNothingElse) {
    const struct {
        const char* text;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
        {"Sun Nov  6 08:49:37 1994", 784111777},
        {"Sun Nov 06 08:49:37 1994", 784111777},
        {" \tTue, 29 Feb 2000 00:00:00 GMT ", 951782400},
        {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
        {"Mon, 01 Jan 1601 00:00:00 GMT", -11644473600},
        {"Fri, 31 Dec 9999 23:59:59 GMT", 253402300799},
        {"Sun, 06 Nov 1994 23:59:60 GMT", 784166400},  // a leap second: the next day begins
        // The obsolete form with a two-digit year, whose century is a guess.
        {"Sunday, 06-Nov-94 08:49:37 GMT", std::nullopt},
        // Not a day of the calendar, a day name that is not the date's, a time past its range.
        {"Mon, 29 Feb 1900 00:00:00 GMT", std::nullopt},
        {"Mon, 06 Nov 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 08:60:00 GMT", std::nullopt},
        {"Sun, 32 Nov 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 01 Jan 1600 00:00:00 GMT", std::nullopt},
        // Another zone, another case, a missing or an extra character.
        {"Sun, 06 Nov 1994 08:49:37 UTC", std::nullopt},
        {"sun, 06 nov 1994 08:49:37 gmt", std::nullopt},
        {"Sun, 6 Nov 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 94 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 08:49:37 GMT+1", std::nullopt},
        {"Sun, 06 Nov 1994 8:49:37 GMT", std::nullopt},
        {"Sun Nov  6 08:49:37 1994 GMT", std::nullopt},
        {"", std::nullopt},
        {"Sun, 06 Nov 1994", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHttpDate(c.text), c.seconds) << c.text;
}

}  // namespace
}  // namespace chronalign
