#include "sync/server_time.h"

#include <cstddef>
#include <cstdint>
#include <optional>

#include "numbers/convert.h"
#include "numbers/integer.h"
#include "numbers/time_of_day.h"
#include "sync/http_date.h"

namespace chronalign {

namespace {

constexpr std::size_t kShortestPage = 100;
constexpr std::string_view kMarker = " UTC";
constexpr std::size_t kTimeFieldLength = 8;  // HH:MM:SS

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The marker's first position, letters compared without regard to case.
std::size_t FindMarker(std::string_view text) {
    for (std::size_t at = 0; at + kMarker.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < kMarker.size() && Upper(text[at + i]) == kMarker[i]) ++i;
        if (i == kMarker.size())
            return at;
    }
    return std::string_view::npos;
}

// A field may reach past the end of a short time text: it is then shorter or empty.
std::int16_t Field(std::string_view time, std::size_t from) {
    return ToInteger(from < time.size() ? time.substr(from, 2) : std::string_view{});
}

constexpr std::string_view kMillisecondToken = "msec=";
constexpr std::size_t kMostSecondDigits = 12;  // far beyond any date, well within 64 bits

// The milliseconds since 1970 that a token at the start of text states; nothing unless it has
// digits, a point and exactly three decimals.
std::optional<std::int64_t> TokenMilliseconds(std::string_view text) {
    std::size_t at = 0;
    std::int64_t seconds = 0;
    while (at < text.size() && IsDigit(text[at]) && at < kMostSecondDigits)
        seconds = seconds * 10 + (text[at++] - '0');
    if (at == 0 || at + 4 > text.size() || text[at] != '.')
        return std::nullopt;
    std::int64_t fraction = 0;
    for (std::size_t i = at + 1; i < at + 4; ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
        fraction = fraction * 10 + (text[i] - '0');
    }
    if (at + 4 < text.size() && IsDigit(text[at + 4]))
        return std::nullopt;
    return seconds * 1000 + fraction;
}

// The days from 1970 to the first day past the year 9999: a page that states a later date is
// wrong, and the system clock could not take it.
constexpr std::int64_t kDaysBeyondYear9999 = 2'932'897;

// The day of an instant given in some unit since 1970, when within four-digit years.
std::optional<std::int32_t> DayOf(std::int64_t sinceEpoch, std::int64_t perDay) {
    const std::int64_t day = sinceEpoch >= 0 ? sinceEpoch / perDay : -1;
    if (day < 0 || day >= kDaysBeyondYear9999)
        return std::nullopt;
    return static_cast<std::int32_t>(day);
}

// The date a Date header gives the page's second of the day: that of the instant within
// kDateAgreementSeconds of the header which has that time of day; nothing when none has.
std::optional<std::int32_t> DateFromHeader(std::string_view header, std::int32_t secondOfDay) {
    const std::optional<std::int64_t> made = ParseHttpDate(header);
    if (!made)
        return std::nullopt;
    const auto madeOfDay = static_cast<std::int32_t>(*made % kSecondsPerDay);  // made >= 0
    const std::int32_t apart = ShortWayRound(secondOfDay - madeOfDay);
    if (apart < -kDateAgreementSeconds || apart > kDateAgreementSeconds)
        return std::nullopt;
    return DayOf(*made + apart, kSecondsPerDay);
}

}  // namespace

std::optional<ServerTime> ExtractServerTime(std::string_view pageText, std::int16_t offsetMinutes) {
    if (pageText.size() < kShortestPage)
        return std::nullopt;
    const std::size_t marker = FindMarker(pageText);
    if (marker == std::string_view::npos)
        return std::nullopt;
    const std::size_t start = marker > kTimeFieldLength ? marker - kTimeFieldLength : 0;
    const std::string_view time = pageText.substr(start, marker - start);
    ServerTime t{Field(time, 0), Field(time, 3), Field(time, 6)};
    ApplyOffset(t.hour, t.minute, t.second, offsetMinutes);
    return t;
}

std::optional<PageTime> ReadPageTime(std::string_view pageText, std::string_view dateHeader) {
    const std::optional<ServerTime> stated = ExtractServerTime(pageText, 0);
    if (!stated)
        return std::nullopt;
    const std::int32_t second = SecondsOf(stated->hour, stated->minute, stated->second);
    if (second < 0 || second >= kSecondsPerDay)
        return std::nullopt;
    const PageTime whole{second * 1000, false, DateFromHeader(dateHeader, second)};
    const std::string_view rest = pageText.substr(FindMarker(pageText));
    const std::size_t token = rest.find(kMillisecondToken);
    if (token == std::string_view::npos)
        return whole;
    const std::optional<std::int64_t> ms =
        TokenMilliseconds(rest.substr(token + kMillisecondToken.size()));
    if (!ms)
        return whole;
    constexpr std::int64_t kMillisecondsPerDay = std::int64_t{kSecondsPerDay} * 1000;
    const auto ofDay = static_cast<std::int32_t>(*ms % kMillisecondsPerDay);
    // A token from another instant than the page's second (a template filled twice, a
    // server-side cache) is worth less than none.
    if (ofDay / 1000 != second)
        return whole;
    return PageTime{ofDay, true, DayOf(*ms, kMillisecondsPerDay)};
}

void ApplyOffset(std::int16_t& hour, std::int16_t& minute, std::int16_t& second,
                 std::int16_t offsetMinutes) {
    std::int32_t total = SecondsOf(hour, minute, second);
    total -= 60 * std::int32_t{offsetMinutes};
    if (total < 0)
        total += kSecondsPerDay;
    if (total >= kSecondsPerDay)
        total -= kSecondsPerDay;
    const std::int32_t h = FloorDiv(total, 3600);
    const std::int32_t rest = total - 3600 * h;
    const std::int32_t m = FloorDiv(rest, 60);
    hour = static_cast<std::int16_t>(h);
    minute = static_cast<std::int16_t>(m);
    second = static_cast<std::int16_t>(rest - 60 * m);
}

std::optional<int> OffsetListIndex(std::int16_t offsetMinutes) {
    for (std::size_t index = 0; index < kOffsetList.size(); ++index)
        if (kOffsetList[index].minutes == offsetMinutes)
            return static_cast<int>(index);
    return std::nullopt;
}

}  // namespace chronalign
