// ExtractServerTime, ReadPageTime and ParseHttpDate on any text with any offset: the first two
// bytes are the offset, the rest the page, and what follows the last NUL byte of the rest, if
// any, the answer's Date header. Besides the sanitizers, the results are checked against the
// rules they must follow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "numbers/convert.h"
#include "sync/http_date.h"
#include "sync/server_time.h"

namespace {

// The first " UTC" in any case, written apart from the code under test.
std::size_t FindMarker(std::string_view text) {
    for (std::size_t at = 0; at + 4 <= text.size(); ++at)
        if (text[at] == ' ' && (text[at + 1] | 0x20) == 'u' && (text[at + 2] | 0x20) == 't' &&
            (text[at + 3] | 0x20) == 'c')
            return at;
    return std::string_view::npos;
}

std::int32_t Modulo(std::int64_t a, std::int64_t b) {
    return static_cast<std::int32_t>((a % b + b) % b);
}

// The preferred form of an HTTP date for seconds since 1970, by the civil calendar's own
// arithmetic (days to year, month and day), written apart from the code under test.
std::string Fixdate(std::int64_t seconds) {
    static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::int64_t days = (seconds - Modulo(seconds, 86400)) / 86400;
    const std::int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9, y = yoe + era * 400 + (m <= 2);
    const std::int32_t t = Modulo(seconds, 86400);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[Modulo(days, 7)],
                  static_cast<int>(d), kMonths[m - 1], static_cast<int>(y), t / 3600, t / 60 % 60,
                  t % 60);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto offset = static_cast<std::int16_t>(data[0] | data[1] << 8);
    std::string_view page(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string_view date;
    if (const std::size_t nul = page.rfind('\0'); nul != std::string_view::npos) {
        date = page.substr(nul + 1);
        page = page.substr(0, nul);
    }
    // A date read is one the preferred form writes back the same (a leap second as the next).
    const auto made = chronalign::ParseHttpDate(date);
    if (made && chronalign::ParseHttpDate(Fixdate(*made)) != made)
        std::abort();
    const auto time = chronalign::ExtractServerTime(page, offset);
    const std::size_t marker = FindMarker(page);
    if (time.has_value() != (page.size() >= 100 && marker != std::string_view::npos))
        std::abort();
    if (!time)
        return 0;
    // The same time of day as the fields less the offset, whatever the fields hold.
    const std::string_view field =
        page.substr(marker < 8 ? 0 : marker - 8, std::min<std::size_t>(marker, 8));
    auto part = [&](std::size_t from) {
        return chronalign::ToInteger(from < field.size() ? field.substr(from, 2)
                                                         : std::string_view{});
    };
    const std::int64_t expected = 3600LL * part(0) + 60LL * part(3) + part(6) - 60LL * offset;
    const std::int64_t got = 3600LL * time->hour + 60LL * time->minute + time->second;
    if (Modulo(expected, 86400) != Modulo(got, 86400))
        std::abort();
    if (time->minute < 0 || time->minute > 59 || time->second < 0 || time->second > 59)
        std::abort();
    // Read to the millisecond only within the second the time text states, and within one day.
    const auto read = chronalign::ReadPageTime(page, date);
    const std::int64_t stated = 3600LL * part(0) + 60LL * part(3) + part(6);
    if (read.has_value() != (stated >= -86400 && stated < 2 * 86400))
        std::abort();
    if (read && (read->millisecondOfDay / 1000 != Modulo(stated, 86400) ||
                 (!read->milliseconds && read->millisecondOfDay % 1000 != 0)))
        std::abort();
    // A date without milliseconds is the header's, for an instant within two seconds of it.
    if (read && read->day && !read->milliseconds &&
        (!made || std::llabs(std::int64_t{*read->day} * 86400 + read->millisecondOfDay / 1000 -
                             *made) > chronalign::kDateAgreementSeconds))
        std::abort();
    return 0;
}
