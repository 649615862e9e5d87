// ExtractServerTime and ReadPageTime on any text with any offset: the first two bytes are the
// offset, the rest the page. Besides the sanitizers, the results are checked against the rules
// they must follow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "numbers/convert.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto offset = static_cast<std::int16_t>(data[0] | data[1] << 8);
    const std::string_view page(reinterpret_cast<const char*>(data + 2), size - 2);
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
    const auto read = chronalign::ReadPageTime(page);
    const std::int64_t stated = 3600LL * part(0) + 60LL * part(3) + part(6);
    if (read.has_value() != (stated >= -86400 && stated < 2 * 86400))
        std::abort();
    if (read && (read->millisecondOfDay / 1000 != Modulo(stated, 86400) ||
                 (!read->milliseconds && read->millisecondOfDay % 1000 != 0)))
        std::abort();
    return 0;
}
