// The time page download.
#pragma once

#include <string>

#include "sync/page_measure.h"

namespace chronalign {

// The body of the page at url as text, read in chunks of up to 1024 bytes, within the bounds of
// download_limits.h: past the deadline, what was read by then. Empty when no connection could
// be made, or when a download given up on earlier is still running. The HTTP status is not
// examined.
std::string GetUrlText(const std::string& url);

// The timed requests of a synchronization on one kept-alive connection, as GetUrlText makes
// its download (agent, proxy, time-outs, bounds), all within download::kDeadlineMs: past
// it, what was measured by then.
Measurement MeasureTimePage(const std::string& url);

}  // namespace chronalign
