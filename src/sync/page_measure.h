// A synchronization's measure of the time page: timed requests on one kept-alive connection,
// driven here for the program's connection and the time service's alike. Each side owns its
// connection, makes the requests and stamps them; this decides when they are made and what
// their answers are worth.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/clock_offset.h"

namespace chronalign {

// One answer with the precise system time just before its request was sent and once its body
// had arrived.
struct TimedAnswer {
    Microseconds sent = 0;
    Microseconds arrived = 0;
    std::string body;
};

// Makes the connection's next request (the first opens it), sent once platform::WaitUntil(at)
// has returned; nothing when no answer came.
using TimedRequest = std::function<std::optional<TimedAnswer>(Microseconds at)>;

struct Measurement {
    std::vector<TimedSample> samples;
    bool unusable = false;  // an answer stated no time: the page is no time page
};

// What a measure has taken so far, kept apart from it: a measure given up on at its deadline
// leaves behind what it had measured by then. Once sealed (at the deadline), what the measure
// still adds is dropped.
class MeasureLog {
  public:
    void Add(const TimedSample& sample);
    void MarkUnusable();
    void Seal();
    Measurement Taken() const;

  private:
    mutable std::mutex mutex_;
    Measurement taken_;
    bool sealed_ = false;
};

// Makes requests as long as clock_offset.h's NextRequestAt asks for one. A request without an
// answer ends the measure with what it had; an answer that states no time makes it unusable.
void MeasureOffset(const TimedRequest& request, MeasureLog& log);

// Measures the time page at an address (the program's connection or the service's).
using PageMeasure = Measurement (*)(const std::string& address);

// An http or https address in the parts a connection is made of.
struct UrlParts {
    bool secure = false;
    std::string host;
    std::uint16_t port = 0;
    std::string object = "/";  // path and query
};

// Nothing for an address that is not http or https, has no host or a port outside 1..65535.
std::optional<UrlParts> SplitUrl(std::string_view address);

}  // namespace chronalign
