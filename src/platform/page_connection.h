// The page connection facility: a connection to the server of a time page, and requests made on
// it at given instants, each answer stamped on the precise system clock. The program's
// definition is WinINet's, through the proxy its user has configured; the time service's is
// WinHTTP's, through the machine's. Both only translate: when to ask, and what an answer is
// worth, is decided above.
//
// Ending: each call is bounded by the deadline it is given, through the library's own
// time-outs set to what is left of it (never more than kPageStepMs), and a body is read no
// longer than the deadline. A connection belongs to the thread that opened it: no other thread
// ever closes its handles. (Where a library ignores its time-outs, as Wine's do, a call can
// outlast the deadline; the side waiting for the thread then gives up on it, see worker.h.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Sent as the User-Agent of every request.
inline constexpr const char* kPageAgent = "ZQandWinInet/1.0";

// The longest any one step of an exchange may take: connecting, sending, each wait for an
// answer or for the next part of its body.
inline constexpr std::uint32_t kPageStepMs = 10'000;

// An answer's body is read in chunks of kPageChunk bytes, up to kPageMostBytes in all.
inline constexpr std::size_t kPageMostBytes = std::size_t{64} * 1024;
inline constexpr std::size_t kPageChunk = 1024;

// An http or https address in the parts a connection is made of.
struct PageAddress {
    bool secure = false;
    std::string host;
    std::uint16_t port = 0;
    std::string object = "/";  // path and query
};

// One answer, whatever its HTTP status.
struct PageAnswer {
    bool complete = true;      // false: the body broke off (a failed read, or the deadline)
    std::int64_t sent = 0;     // PreciseSystemTime() just before the request was sent
    std::int64_t arrived = 0;  // PreciseSystemTime() once its body had arrived
    std::string age;           // its Age header as it came; empty when none
    std::string date;          // its Date header as it came; empty when none
    std::string body;          // at most kPageMostBytes
};

// A connection, as each definition keeps it.
struct PageConnection;
struct PageConnectionCloser {
    void operator()(PageConnection* connection) const;
};
using PageConnectionPtr = std::unique_ptr<PageConnection, PageConnectionCloser>;

// Deadlines are instants of TickMilliseconds() (clock.h).

// A connection to the address's server; nothing is sent until its first request. Nothing when
// the library cannot be started for it or the deadline has passed.
PageConnectionPtr ConnectToPage(const PageAddress& address, std::uint64_t deadline);

// A GET of the address's object, sent once WaitUntil(at) has returned, asking every cache on
// the way neither to answer nor to keep the answer; its body read to its end, up to
// kPageMostBytes, or until a read fails or the deadline passes (then not complete). Nothing
// when no answer came by the deadline: no connection, a refusal, a time-out. Requests on one
// connection keep it alive between them.
std::optional<PageAnswer> RequestPage(PageConnection& connection, std::int64_t at,
                                      std::uint64_t deadline);

}  // namespace platform
