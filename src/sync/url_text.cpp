#include "sync/url_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/internet.h"

namespace chronalign {

namespace {

constexpr const char* kAgent = "ZQandWinInet/1.0";
constexpr std::size_t kChunk = 1024;
// Neither a silent server nor an endless body may hold the window for good or fill memory.
constexpr std::uint32_t kTimeoutMs = 10'000;
constexpr std::size_t kMostBytes = 64 * 1024;

// The download's working state lives here, not in the call, and each call starts it afresh.
platform::InternetHandle hInternet = 0;
platform::InternetHandle hUrl = 0;
std::string pageText;
char readBuffer[kChunk];
std::uint32_t bytesRead = 0;

// Closes whatever the current call opened, the URL handle before the Internet handle, on
// every way out of the call.
struct OpenHandles {
    OpenHandles() = default;
    OpenHandles(const OpenHandles&) = delete;
    OpenHandles& operator=(const OpenHandles&) = delete;
    ~OpenHandles() {
        if (hUrl != 0)
            platform::InternetCloseHandle(hUrl);
        if (hInternet != 0)
            platform::InternetCloseHandle(hInternet);
        hUrl = 0;
        hInternet = 0;
    }
};

// One read into the buffer; appends what it placed there. False when the body has ended, the
// read failed, or the bound is reached.
bool ReadChunk() {
    // The last read before the bound asks only for what still fits, so the bound is exact.
    const auto wanted = static_cast<std::uint32_t>(std::min(kChunk, kMostBytes - pageText.size()));
    bytesRead = 0;
    if (!platform::InternetReadFile(hUrl, readBuffer, wanted, &bytesRead))
        return false;
    pageText.append(readBuffer, std::min(bytesRead, wanted));
    return bytesRead != 0 && pageText.size() < kMostBytes;
}

}  // namespace

std::string GetUrlText(const std::string& url) {
    pageText.clear();
    std::memset(readBuffer, 0, sizeof readBuffer);
    bytesRead = 0;
    const OpenHandles closer;

    hInternet = platform::InternetOpenA(kAgent, platform::kInternetOpenTypeProxy, "", "", 0);
    if (hInternet == 0)
        return {};
    platform::InternetSetTimeouts(hInternet, kTimeoutMs);

    hUrl =
        platform::InternetOpenUrlA(hInternet, url.c_str(), "", 0, platform::kInternetFlagReload, 0);
    if (hUrl == 0)
        return {};

    while (ReadChunk()) {
    }
    return pageText;
}

}  // namespace chronalign
