// The time page download.
#pragma once

#include <string>

namespace chronalign {

// The body of the page at url as text, read in chunks of up to 1024 bytes; empty when no
// connection could be made. The HTTP status is not examined. Never fails.
std::string GetUrlText(const std::string& url);

}  // namespace chronalign
