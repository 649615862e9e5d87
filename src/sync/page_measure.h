// A synchronization's measure of the time page: timed requests on one kept-alive connection,
// the same loop for the program and the time service over their own page connections
// (platform/page_connection.h). This decides when the requests are made, until when, and what
// their answers are worth.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page_connection.h"
#include "sync/clock_offset.h"

namespace chronalign {

// Makes the connection's next request, sent once platform::WaitUntil(at) has returned; nothing
// when no answer came.
using TimedRequest = std::function<std::optional<platform::PageAnswer>(Microseconds at)>;

struct Measurement {
    std::vector<TimedSample> samples;
    bool unusable = false;  // an answer stated no time: the page is no time page
};

// Whether a cache answered instead of the server: its Age header says the answer was kept for a
// second or more (or says something else than a number of seconds). Such an answer states an
// old time, and gives no reading.
bool CameFromCache(const platform::PageAnswer& answer);

// Makes requests as long as clock_offset.h's NextRequestAt asks for one and the request would
// be sent before the deadline (an instant of platform::TickMilliseconds()). A request without a
// whole answer, or one a cache answered, ends the measure with what it had, and so does an
// answer cut at the body's bound, after its sample; an answer that states no time makes it
// unusable.
Measurement MeasureOffset(const TimedRequest& request, std::uint64_t deadline);

// Measures the time page at an address within the milliseconds.
using PageMeasure = Measurement (*)(const std::string& address, std::uint32_t deadlineMs);

// An http or https address in the parts a connection is made of; nothing for an address that is
// not http or https, has no host or a port outside 1..65535.
std::optional<platform::PageAddress> SplitUrl(std::string_view address);

}  // namespace chronalign
