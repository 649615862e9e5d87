#include "sync/url_text.h"

#include <optional>

#include "platform/clock.h"
#include "platform/page_connection.h"

namespace chronalign {

namespace {

// A connection to the server of an http or https address, with the deadline it was opened for.
struct Session {
    std::uint64_t deadline = 0;
    platform::PageConnectionPtr connection;
};

Session Connect(const std::string& url, std::uint32_t deadlineMs) {
    Session session{platform::TickMilliseconds() + deadlineMs, nullptr};
    if (const std::optional<platform::PageAddress> address = SplitUrl(url))
        session.connection = platform::ConnectToPage(*address, session.deadline);
    return session;
}

}  // namespace

std::optional<platform::PageAnswer> GetUrlText(const std::string& url, std::uint32_t deadlineMs) {
    const Session session = Connect(url, deadlineMs);
    if (!session.connection)
        return std::nullopt;
    std::optional<platform::PageAnswer> answer =
        platform::RequestPage(*session.connection, platform::PreciseSystemTime(), session.deadline);
    if (answer && CameFromCache(*answer))
        return std::nullopt;
    return answer;
}

Measurement MeasureTimePage(const std::string& url, std::uint32_t deadlineMs) {
    const Session session = Connect(url, deadlineMs);
    if (!session.connection)
        return {};
    return MeasureOffset(
        [&](Microseconds at) {
            return platform::RequestPage(*session.connection, at, session.deadline);
        },
        session.deadline);
}

}  // namespace chronalign
