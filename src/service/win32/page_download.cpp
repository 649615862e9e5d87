#include "service/win32/page_download.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/worker.h"
#include "sync/download_limits.h"

namespace chronalign::service::win32 {

namespace {

// Always from the origin server: no cache on the way may answer for it.
constexpr const wchar_t* kNoCache = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";

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

// One download's WinHTTP handles, shared by the thread that downloads and the side that waits
// for it. They are closed once, by the download when it is done or by the waiting side at the
// deadline, which is what makes a blocked call return; once they are closed nothing more is
// opened or kept.
class Exchange {
  public:
    std::string Fetch(const std::wstring& url);
    void Close();

  private:
    HINTERNET Keep(HINTERNET opened);

    std::mutex mutex_;
    std::vector<HINTERNET> open_;  // in the order opened
    bool closed_ = false;
};

HINTERNET Exchange::Keep(HINTERNET opened) {
    if (opened == nullptr)
        return nullptr;
    const std::lock_guard lock(mutex_);
    if (closed_) {
        ::WinHttpCloseHandle(opened);
        return nullptr;
    }
    open_.push_back(opened);
    return opened;
}

void Exchange::Close() {
    const std::lock_guard lock(mutex_);
    if (closed_)
        return;
    closed_ = true;
    for (auto h = open_.rbegin(); h != open_.rend(); ++h) ::WinHttpCloseHandle(*h);
}

// The whole exchange, on the worker. Each call is bounded by the step time-out, the body by
// its bound; past the deadline the waiting side closes the handles.
std::string Exchange::Fetch(const std::wstring& url) {
    struct CloseAtEnd {
        Exchange& exchange;
        ~CloseAtEnd() { exchange.Close(); }
    } const closer{*this};

    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts))
        return {};
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const HINTERNET session =
        Keep(::WinHttpOpen(Widen(download::kAgent).c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                           WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (session == nullptr)
        return {};
    constexpr auto kStep = static_cast<int>(download::kStepMs);
    ::WinHttpSetTimeouts(session, kStep, kStep, kStep, kStep);
    const HINTERNET connection = Keep(::WinHttpConnect(session, host.c_str(), parts.nPort, 0));
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    const HINTERNET request =
        connection ? Keep(::WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               secure | WINHTTP_FLAG_REFRESH))
                   : nullptr;
    if (request == nullptr)
        return {};
    if (!IsLoopback(host))
        UseDiscoveredProxy(session, request, url);
    if (!::WinHttpSendRequest(request, kNoCache, static_cast<DWORD>(-1), nullptr, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request, nullptr))
        return {};

    std::string body;
    char chunk[download::kChunk];
    while (body.size() < download::kMostBytes) {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(
            std::min<std::size_t>(download::kChunk, download::kMostBytes - body.size()));
        if (!::WinHttpReadData(request, chunk, wanted, &read) || read == 0)
            break;
        body.append(chunk, std::min(read, wanted));
    }
    return body;
}

}  // namespace

std::string DownloadPage(const std::string& address) {
    const std::wstring url = Widen(address);
    auto exchange = std::make_shared<Exchange>();
    auto body = std::make_shared<std::string>();
    // Past the deadline the service answers at once; the worker's handles are closed so that
    // its call returns, and no second worker starts while one given up on still runs.
    if (!platform::RunWithDeadline([=] { *body = exchange->Fetch(url); }, download::kDeadlineMs,
                                   [=] { exchange->Close(); }))
        return {};
    return std::move(*body);
}

}  // namespace chronalign::service::win32
