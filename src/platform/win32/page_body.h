// What the two page connections (WinINet's and WinHTTP's) do alike: the handles they hold, the
// time left of a deadline for one call, the start of a request at its instant, and the reading
// of an answer's body.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/clock.h"
#include "platform/page_connection.h"

namespace platform::win32 {

// What is left of the deadline for one call, at most a step; 0 once it has passed.
inline DWORD TimeLeft(std::uint64_t deadline) {
    const std::uint64_t now = TickMilliseconds();
    return now < deadline ? static_cast<DWORD>(std::min<std::uint64_t>(deadline - now, kPageStepMs))
                          : 0;
}

// A connection's handles, the server's within the session (members close in reverse order, the
// server's first), and what each request asks for.
template <typename Handle, typename Text>
struct ConnectionHandles {
    Handle session;
    Handle server;
    Text object;
    DWORD flags = 0;
};

// Waits for the instant a request is to go at, bounds its calls by what is left of the deadline
// (bound(ms)), and gives its answer stamped as sent then; nothing once the deadline has passed.
template <typename Bound>
std::optional<PageAnswer> ReadyToSend(std::int64_t at, std::uint64_t deadline, Bound bound) {
    WaitUntil(at);
    const DWORD left = TimeLeft(deadline);
    if (left == 0)
        return std::nullopt;
    bound(left);
    PageAnswer answer;
    answer.sent = PreciseSystemTime();
    return answer;
}

// Reads the body into the answer, to its end or kPageMostBytes, and stamps its arrival; not
// complete when a call failed or the deadline passed. Each read waits until it has all it asked
// for, so it asks only for what has come (available), and a server that drips its body is held
// to the deadline between reads; the last read before the bound asks only for what still fits,
// so the bound is exact. bound(ms) sets the next call's time-out, available(&n) and
// read(buffer, n, &read) are the library's calls.
template <typename Bound, typename Available, typename Read>
void ReadBody(PageAnswer& answer, std::uint64_t deadline, Bound bound, Available available,
              Read read) {
    char buffer[kPageChunk];
    while (answer.body.size() < kPageMostBytes) {
        const DWORD left = TimeLeft(deadline);
        DWORD come = 0;
        if (left == 0 || (bound(left), !available(&come))) {
            answer.complete = false;
            break;
        }
        if (come == 0)
            break;  // the end of the body
        const auto wanted = static_cast<DWORD>(
            std::min<std::size_t>({come, kPageChunk, kPageMostBytes - answer.body.size()}));
        DWORD got = 0;
        if (!read(buffer, wanted, &got)) {
            answer.complete = false;
            break;
        }
        if (got == 0)
            break;
        answer.body.append(buffer, std::min(got, wanted));
    }
    answer.arrived = PreciseSystemTime();
}

}  // namespace platform::win32
