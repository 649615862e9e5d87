// The time page download: Check's request, and a synchronization's measure, each over a page
// connection of its own (platform/page_connection.h) and within the milliseconds given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sync/page_measure.h"

namespace chronalign {

// The answer to one request for the page at url: its body as text, read in chunks of up to 1024
// bytes (what was read when the body broke off), its Date header and its stamps. Nothing when no
// connection could be made, no answer came within the milliseconds, or a cache answered. The
// HTTP status is not examined.
std::optional<platform::PageAnswer> GetUrlText(const std::string& url, std::uint32_t deadlineMs);

// The timed requests of a synchronization on one kept-alive connection, as MeasureOffset makes
// them, all within the milliseconds.
Measurement MeasureTimePage(const std::string& url, std::uint32_t deadlineMs);

}  // namespace chronalign
