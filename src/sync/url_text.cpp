#include "sync/url_text.h"

#include <algorithm>
#include <chrono>
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
constexpr std::size_t kMostBytes = std::size_t{64} * 1024;
// The whole download, from the call to its return. Twice the time-out: a connection that takes
// its full time-out to be made and then its full time-out for the first answer still gets its
// page, and a healthy time page (a few hundred bytes) arrives in well under a second even through
// a slow proxy. Beyond that the server is not going to deliver, and the window, blocked all the
// while, has been frozen long enough for a user to think it hung.
constexpr auto kDeadline = std::chrono::milliseconds(20'000);

// The download's working state lives here, not in the call, and each call starts it afresh. The
// program downloads on its one window thread; each other thread (a test's) gets its own state.
thread_local platform::InternetHandle hInternet = 0;
thread_local platform::InternetHandle hUrl = 0;
thread_local std::string pageText;
thread_local char readBuffer[kChunk];
thread_local std::uint32_t bytesRead = 0;

// Stops the download's watchdog; when it had to close the Internet handle, the handle must not
// be closed a second time.
struct Watched {
    explicit Watched(platform::InternetWatchdog w) : watchdog(w) {}
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;
    ~Watched() {
        if (platform::InternetDisarmDeadline(watchdog))
            hInternet = 0;
    }
    platform::InternetWatchdog watchdog;
};

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

std::uint32_t MillisecondsLeft(std::chrono::steady_clock::time_point start) {
    const auto left = kDeadline - std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - start);
    return static_cast<std::uint32_t>(std::max<std::int64_t>(left.count(), 0));
}

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
    const auto start = std::chrono::steady_clock::now();
    pageText.clear();
    std::memset(readBuffer, 0, sizeof readBuffer);
    bytesRead = 0;
    const OpenHandles closer;

    hInternet = platform::InternetOpenA(kAgent, platform::kInternetOpenTypeProxy, "", "", 0);
    if (hInternet == 0)
        return {};
    hInternet = platform::InternetUseSystemProxy(hInternet, kAgent);
    platform::InternetSetTimeouts(hInternet, kTimeoutMs);

    // Past the deadline the watchdog ends the blocked call; what was read by then is the result.
    const Watched watched(platform::InternetArmDeadline(hInternet, MillisecondsLeft(start)));
    hUrl =
        platform::InternetOpenUrlA(hInternet, url.c_str(), "", 0, platform::kInternetFlagReload, 0);
    if (hUrl == 0)
        return {};

    while (ReadChunk()) {
    }
    return pageText;
}

}  // namespace chronalign
