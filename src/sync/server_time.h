// The server time: the time page's UTC time of day with the user's offset applied; and what a
// page states of the instant it was served, its date included where it states one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace chronalign {

struct ServerTime {
    std::int16_t hour = 0;
    std::int16_t minute = 0;
    std::int16_t second = 0;

    friend bool operator==(const ServerTime&, const ServerTime&) = default;
};

// The offset list, in list order: what each entry shows and the minutes it subtracts from the
// page's time.
struct OffsetEntry {
    const char* text;
    std::int16_t minutes;
};
inline constexpr std::array<OffsetEntry, 5> kOffsetList{{
    {"-60 mins", -60},
    {"-30 mins", -30},
    {"0 (default)", 0},
    {"+30 mins", 30},
    {"+60 mins", 60},
}};

// The position of the offset's entry in the list; nothing for an offset that has none.
std::optional<int> OffsetListIndex(std::int16_t offsetMinutes);

// The time before the first " UTC" of the page, offset applied; nothing when the page is
// shorter than 100 characters or holds no " UTC".
std::optional<ServerTime> ExtractServerTime(std::string_view pageText, std::int16_t offsetMinutes);

// What a page states of the instant it was served, in UTC without the user's offset.
struct PageTime {
    std::int32_t millisecondOfDay = 0;  // 0 to 86399999; a multiple of 1000 for whole seconds
    bool milliseconds = false;          // else the page states the second it was in, truncated
    // The date of that instant, as days since 1970-01-01, when the page states the whole
    // instant; else nothing: it states a time of day alone, and the date is the clock's nearest.
    std::optional<std::int32_t> day{};

    friend bool operator==(const PageTime&, const PageTime&) = default;
};

// How far an answer's Date header may lie from the time of day its page states for the page to
// take its date from the header: the header states when the answer was made, which may be a
// moment after the page's time was read, and both are whole seconds.
inline constexpr std::int32_t kDateAgreementSeconds = 2;

// The page's "HH:MM:SS" as ExtractServerTime finds it, to the millisecond when a token
// "msec=<seconds since 1970>.<three digits>" follows it and falls within that second; nothing
// when ExtractServerTime finds nothing or the time lies outside one day. The whole instant, date
// included, comes from such a token, else from the answer's Date header (http_date.h) where it
// lies within kDateAgreementSeconds of the stated time of day; a date past the year 9999 counts
// as none.
std::optional<PageTime> ReadPageTime(std::string_view pageText, std::string_view dateHeader = {});

// Subtracts offsetMinutes from the time and wraps the result into one day, in place.
void ApplyOffset(std::int16_t& hour, std::int16_t& minute, std::int16_t& second,
                 std::int16_t offsetMinutes);

}  // namespace chronalign
