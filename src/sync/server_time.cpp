#include "sync/server_time.h"

#include <cstddef>
#include <cstdint>

#include "numbers/convert.h"
#include "numbers/time_of_day.h"

namespace chronalign {

std::int16_t OffsetMinutes = 0;

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

std::int32_t FloorDiv(std::int32_t a, std::int32_t b) {
    const std::int32_t q = a / b;
    return q * b != a && (a < 0) != (b < 0) ? q - 1 : q;
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

}  // namespace chronalign
