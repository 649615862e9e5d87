#include "service/win32/page_download.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/win32/handle.h"

namespace chronalign::service::win32 {

namespace {

using Clock = std::chrono::steady_clock;

// The program's own bounds: each step of the exchange, the whole download, the body.
constexpr int kStepMilliseconds = 10'000;
constexpr auto kDeadline = std::chrono::seconds(20);
constexpr std::size_t kMostBytes = 64 * 1024;
constexpr DWORD kChunk = 1024;

constexpr const wchar_t* kAgent = L"ZQandWinInet/1.0";
// Always from the origin server: no cache on the way may answer for it.
constexpr const wchar_t* kNoCache = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";

using Internet = platform::Owned<HINTERNET, ::WinHttpCloseHandle>;

std::wstring Widen(const std::string& text) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(static_cast<std::size_t>(size - 1));
    return wide;
}

// A proxy never stands between this machine and itself.
bool IsLoopback(const std::wstring& host) {
    return host == L"localhost" || host.starts_with(L"127.") || host == L"[::1]";
}

// The machine's automatic proxy configuration for this address, when there is one; otherwise
// the request keeps WinHTTP's default proxy (the machine's static configuration).
void UseDiscoveredProxy(HINTERNET session, HINTERNET request, const std::wstring& url) {
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO proxy{};
    if (!::WinHttpGetProxyForUrl(session, url.c_str(), &options, &proxy))
        return;
    ::WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy);
    if (proxy.lpszProxy)
        ::GlobalFree(proxy.lpszProxy);
    if (proxy.lpszProxyBypass)
        ::GlobalFree(proxy.lpszProxyBypass);
}

// The whole exchange, on its own thread. Each call is bounded by the step time-out, and the
// body stops at the bound or the deadline, so the thread always ends.
std::string Fetch(const std::wstring& url, Clock::time_point deadline) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts))
        return {};
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const Internet session(::WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return {};
    ::WinHttpSetTimeouts(session.get(), kStepMilliseconds, kStepMilliseconds, kStepMilliseconds,
                         kStepMilliseconds);
    const Internet connection(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    const Internet request(connection ? ::WinHttpOpenRequest(connection.get(), L"GET", path.c_str(),
                                                             nullptr, WINHTTP_NO_REFERER,
                                                             WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                             secure | WINHTTP_FLAG_REFRESH)
                                      : nullptr);
    if (!request)
        return {};
    if (!IsLoopback(host))
        UseDiscoveredProxy(session.get(), request.get(), url);
    if (!::WinHttpSendRequest(request.get(), kNoCache, static_cast<DWORD>(-1), nullptr, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr))
        return {};

    std::string body;
    char chunk[kChunk];
    while (body.size() < kMostBytes && Clock::now() < deadline) {
        DWORD read = 0;
        const auto wanted =
            static_cast<DWORD>(std::min<std::size_t>(kChunk, kMostBytes - body.size()));
        if (!::WinHttpReadData(request.get(), chunk, wanted, &read) || read == 0)
            break;
        body.append(chunk, std::min(read, wanted));
    }
    return body;
}

// What the waiting side and the download thread share; whichever ends last frees it.
struct Shared {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::string body;
};

}  // namespace

std::string DownloadPage(const std::string& address) {
    const std::wstring url = Widen(address);
    const auto deadline = Clock::now() + kDeadline;
    auto shared = std::make_shared<Shared>();
    // A WinHTTP call that blocks (a name lookup, a proxy discovery) cannot be ended from here,
    // so past the deadline the service leaves the thread to end by its own time-outs and
    // answers at once.
    std::thread([shared, url, deadline] {
        std::string body = Fetch(url, deadline);
        const std::lock_guard lock(shared->mutex);
        shared->body = std::move(body);
        shared->done = true;
        shared->finished.notify_all();
    }).detach();

    std::unique_lock lock(shared->mutex);
    if (!shared->finished.wait_until(lock, deadline, [&] { return shared->done; }))
        return {};
    return std::move(shared->body);
}

}  // namespace chronalign::service::win32
