// The service's own download of the time page, with WinHTTP (WinINet is not for services).
#pragma once

#include <string>

namespace chronalign::service::win32 {

// The body of the page at the address, within the bounds of sync/download_limits.h (at most
// 64 KiB, 20 seconds all told); empty text when nothing usable came. Never fails and never
// hangs.
std::string DownloadPage(const std::string& address);

}  // namespace chronalign::service::win32
