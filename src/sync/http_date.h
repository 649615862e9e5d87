// The instant an HTTP answer's Date header states: when the server made the answer, to the second.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace chronalign {

// The seconds since 1970-01-01 00:00 UTC that a Date header states, in either of the forms a
// recipient must read that carry a four-digit year: the preferred "Sun, 06 Nov 1994 08:49:37 GMT"
// and the obsolete form of C's asctime, "Sun Nov  6 08:49:37 1994". Blanks around it are allowed;
// names are compared as written, the day's name must be that of the date, and a second of 60 (a
// leap second) is the first second of the next minute. Nothing for anything else, also for the
// obsolete form with a two-digit year ("Sunday, 06-Nov-94 08:49:37 GMT"): its century could
// only be guessed from the system clock, whose date is what the header is read to check, and
// for a year before 1601, which no system clock holds.
std::optional<std::int64_t> ParseHttpDate(std::string_view text);

}  // namespace chronalign
