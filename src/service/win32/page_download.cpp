#include "service/win32/page_download.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock.h"
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

// One measure's WinHTTP handles, shared by the thread that measures and the side that waits for
// it. They are closed once, by the measure when it is done or by the waiting side at the
// deadline, which is what makes a blocked call return; once they are closed nothing more is
// opened or kept.
class Exchange {
  public:
    void Measure(const std::wstring& url, MeasureLog& log);
    void Close();

  private:
    HINTERNET Keep(HINTERNET opened);
    void Drop(HINTERNET request);
    std::optional<TimedAnswer> Request(Microseconds at);

    std::mutex mutex_;
    std::vector<HINTERNET> open_;  // in the order opened
    bool closed_ = false;
    // The measure's own, set before its first request.
    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
    std::wstring url_, path_;
    DWORD secure_ = 0;
    bool direct_ = false;
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

// A request done with, unless the waiting side has closed it already.
void Exchange::Drop(HINTERNET request) {
    const std::lock_guard lock(mutex_);
    if (closed_)
        return;
    open_.erase(std::remove(open_.begin(), open_.end(), request), open_.end());
    ::WinHttpCloseHandle(request);
}

void Exchange::Close() {
    const std::lock_guard lock(mutex_);
    if (closed_)
        return;
    closed_ = true;
    for (auto h = open_.rbegin(); h != open_.rend(); ++h) ::WinHttpCloseHandle(*h);
}

// The whole measure, on the worker. Each call is bounded by the step time-out, each body by
// its bound; past the deadline the waiting side closes the handles.
void Exchange::Measure(const std::wstring& url, MeasureLog& log) {
    struct CloseAtEnd {
        Exchange& exchange;
        ~CloseAtEnd() { exchange.Close(); }
    } const closer{*this};

    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts))
        return;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    url_ = url;
    path_ = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    secure_ = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    direct_ = IsLoopback(host);

    session_ = Keep(::WinHttpOpen(Widen(download::kAgent).c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (session_ == nullptr)
        return;
    constexpr auto kStep = static_cast<int>(download::kStepMs);
    ::WinHttpSetTimeouts(session_, kStep, kStep, kStep, kStep);
    connection_ = Keep(::WinHttpConnect(session_, host.c_str(), parts.nPort, 0));
    if (connection_ == nullptr)
        return;
    MeasureOffset([this](Microseconds at) { return Request(at); }, log);
}

// One timed request on the session's connection, which WinHTTP keeps alive between them.
std::optional<TimedAnswer> Exchange::Request(Microseconds at) {
    const HINTERNET request = Keep(::WinHttpOpenRequest(
        connection_, L"GET", path_.c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, secure_ | WINHTTP_FLAG_REFRESH));
    if (request == nullptr)
        return std::nullopt;
    if (!direct_)
        UseDiscoveredProxy(session_, request, url_);
    platform::WaitUntil(at);
    TimedAnswer answer;
    answer.sent = platform::PreciseSystemTime();
    bool whole =
        ::WinHttpSendRequest(request, kNoCache, static_cast<DWORD>(-1), nullptr, 0, 0, 0) &&
        ::WinHttpReceiveResponse(request, nullptr);
    // The whole body is read (up to the bound), so that the connection is free for the next
    // request.
    char chunk[download::kChunk];
    while (whole && answer.body.size() < download::kMostBytes) {
        DWORD read = 0;
        const auto wanted = static_cast<DWORD>(
            std::min<std::size_t>(download::kChunk, download::kMostBytes - answer.body.size()));
        whole = ::WinHttpReadData(request, chunk, wanted, &read) != FALSE;
        if (read == 0)
            break;
        answer.body.append(chunk, std::min(read, wanted));
    }
    answer.arrived = platform::PreciseSystemTime();
    Drop(request);
    if (!whole)
        return std::nullopt;
    return answer;
}

}  // namespace

Measurement MeasurePage(const std::string& address) {
    const std::wstring url = Widen(address);
    auto exchange = std::make_shared<Exchange>();
    auto log = std::make_shared<MeasureLog>();
    // Past the deadline the service answers at once with what was measured by then; the
    // worker's handles are closed so that its call returns, and no second worker starts while
    // one given up on still runs.
    platform::RunWithDeadline([=] { exchange->Measure(url, *log); }, download::kDeadlineMs,
                              [=] {
                                  log->Seal();
                                  exchange->Close();
                              });
    return log->Taken();
}

}  // namespace chronalign::service::win32
