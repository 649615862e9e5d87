// The service's own download of the time page, with WinHTTP (WinINet is not for services).
#pragma once

#include <string>

#include "sync/page_measure.h"

namespace chronalign::service::win32 {

// A synchronization's timed requests to the page at the address on one kept-alive
// connection, within the bounds of sync/download_limits.h (at most 64 KiB an answer, each step
// bounded, download::kDeadlineMs all told: past it, what was measured by then). Never
// fails and never hangs.
Measurement MeasurePage(const std::string& address);

}  // namespace chronalign::service::win32
