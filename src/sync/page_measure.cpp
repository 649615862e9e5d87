#include "sync/page_measure.h"

#include <algorithm>

#include "numbers/integer.h"
#include "platform/clock.h"
#include "sync/server_time.h"

namespace chronalign {

bool CameFromCache(const platform::PageAnswer& answer) {
    // "Age: 0" is a cache that has just asked the server; any other value, one it cannot read
    // included, means the answer waited in a cache.
    const std::string_view age = answer.age;
    const std::size_t first = age.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    const std::size_t last = age.find_last_not_of(" \t");
    const std::string_view value = age.substr(first, last - first + 1);
    return value.find_first_not_of('0') != std::string_view::npos;
}

Measurement MeasureOffset(const TimedRequest& request, std::uint64_t deadline) {
    Measurement measured;
    std::vector<TimedSample>& samples = measured.samples;
    while (const std::optional<Microseconds> at =
               NextRequestAt(samples, platform::PreciseSystemTime())) {
        // A request is sent only while the deadline lets its answer come.
        const std::uint64_t now = platform::TickMilliseconds();
        if (now >= deadline ||
            *at - platform::PreciseSystemTime() >= static_cast<Microseconds>(deadline - now) * 1000)
            break;
        const std::optional<platform::PageAnswer> answer = request(*at);
        if (!answer || !answer->complete || CameFromCache(*answer))
            break;
        const std::optional<PageTime> page = ReadPageTime(answer->body, answer->date);
        if (!page) {
            measured.unusable = true;
            break;
        }
        samples.push_back({answer->sent, answer->arrived, *page});
        // A body cut at its bound leaves the rest on the connection, and no time page is that
        // long: one such answer is all the measure takes.
        if (answer->body.size() >= platform::kPageMostBytes)
            break;
    }
    return measured;
}

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::optional<platform::PageAddress> SplitUrl(std::string_view address) {
    platform::PageAddress parts;
    if (StartsWithNoCase(address, "https://")) {
        parts.secure = true;
        address.remove_prefix(8);
    } else if (StartsWithNoCase(address, "http://")) {
        address.remove_prefix(7);
    } else {
        return std::nullopt;
    }
    const std::size_t end = address.find_first_of("/?#");
    std::string_view authority = address.substr(0, end);
    if (end != std::string_view::npos && address[end] != '#')
        parts.object = std::string(address.substr(end, address.find('#') - end));
    if (parts.object.front() == '?')
        parts.object.insert(0, "/");
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);  // user names are not for a time page
    // A bracketed IPv6 address holds colons of its own.
    const std::size_t close = authority.rfind(']');
    const std::size_t colon = authority.rfind(':');
    std::uint32_t port = parts.secure ? 443 : 80;
    if (colon != std::string_view::npos && (close == std::string_view::npos || colon > close)) {
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(), IsDigit))
            return std::nullopt;
        port = 0;
        for (const char c : digits) port = port * 10 + static_cast<std::uint32_t>(c - '0');
        authority = authority.substr(0, colon);
    }
    if (authority.empty() || port == 0 || port > 65535)
        return std::nullopt;
    if (authority.size() > 2 && authority.front() == '[' && authority.back() == ']')
        authority = authority.substr(1, authority.size() - 2);
    parts.host = std::string(authority);
    parts.port = static_cast<std::uint16_t>(port);
    return parts;
}

}  // namespace chronalign
