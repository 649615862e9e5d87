// The page connection over WinHTTP, for the time service (WinINet is not for services): the
// machine's proxy configuration, found once for the connection.
#include "platform/page_connection.h"

#include <windows.h>
#include <winhttp.h>

#include "platform/clock.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/handle.h"
#include "platform/win32/page_body.h"

namespace platform {

namespace {

using win32::Narrow;
using win32::Widen;

using Internet = Owned<HINTERNET, ::WinHttpCloseHandle>;

// Windows 8.1 and later find the proxy themselves, every way Windows configures one, and keep
// what they found (WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, which older headers lack).
constexpr DWORD kAutomaticProxy = 4;

// Bounds the handle's next calls: resolving, connecting, sending and waiting for the answer.
void Bound(HINTERNET handle, DWORD milliseconds) {
    const auto ms = static_cast<int>(milliseconds);
    ::WinHttpSetTimeouts(handle, ms, ms, ms, ms);
}

// A header of the answer as it came; empty when it has none.
std::string Header(HINTERNET request, DWORD which) {
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                          &size, WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                               WINHTTP_NO_HEADER_INDEX))
        return {};
    text.resize(size / sizeof(wchar_t));
    return Narrow(text.c_str());
}

// A proxy never stands between this machine and itself.
bool IsLoopback(const std::string& host) {
    return host == "localhost" || host.starts_with("127.") || host == "::1";
}

// Where Windows has no automatic proxy: the proxy that automatic detection finds for the
// address, as WinHTTP's autoproxy pages advise (first without signing in, so that the script is
// kept for the session; signing in only when the script's server asks for it). Nothing when
// none is found: WinHTTP's default, the machine's static configuration, stays.
struct FoundProxy {
    std::wstring proxy, bypass;
};

std::optional<FoundProxy> DiscoverProxy(HINTERNET session, const PageAddress& address) {
    const std::wstring url = Widen((address.secure ? "https://" : "http://") + address.host + ":" +
                                   std::to_string(address.port) + address.object);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    WINHTTP_PROXY_INFO info{};
    bool found = ::WinHttpGetProxyForUrl(session, url.c_str(), &options, &info) != FALSE;
    if (!found && ::GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
        options.fAutoLogonIfChallenged = TRUE;
        found = ::WinHttpGetProxyForUrl(session, url.c_str(), &options, &info) != FALSE;
    }
    if (!found)
        return std::nullopt;
    FoundProxy proxy;
    if (info.lpszProxy) {
        proxy.proxy = info.lpszProxy;
        ::GlobalFree(info.lpszProxy);
    }
    if (info.lpszProxyBypass) {
        proxy.bypass = info.lpszProxyBypass;
        ::GlobalFree(info.lpszProxyBypass);
    }
    if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || proxy.proxy.empty())
        return std::nullopt;
    return proxy;
}

}  // namespace

struct PageConnection : win32::ConnectionHandles<Internet, std::wstring> {
    std::optional<FoundProxy> proxy;  // for every request, where it was looked up
};

void PageConnectionCloser::operator()(PageConnection* connection) const {
    delete connection;
}

PageConnectionPtr ConnectToPage(const PageAddress& address, std::uint64_t deadline) {
    const DWORD left = win32::TimeLeft(deadline);
    if (left == 0)
        return nullptr;
    PageConnectionPtr c(new PageConnection);
    const std::wstring agent = Widen(kPageAgent);
    c->session.reset(::WinHttpOpen(agent.c_str(), kAutomaticProxy, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0));
    if (!c->session) {  // before Windows 8.1
        c->session.reset(::WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!c->session)
            return nullptr;
        if (!IsLoopback(address.host)) {
            Bound(c->session.get(), left);
            c->proxy = DiscoverProxy(c->session.get(), address);
        }
    }
    c->server.reset(
        ::WinHttpConnect(c->session.get(), Widen(address.host).c_str(), address.port, 0));
    if (!c->server)
        return nullptr;
    c->object = Widen(address.object);
    // From the server itself: "Pragma: no-cache" and "Cache-Control: no-cache" on the way, and a
    // proxy's copy is not taken.
    c->flags = WINHTTP_FLAG_REFRESH | (address.secure ? WINHTTP_FLAG_SECURE : 0);
    return c;
}

std::optional<PageAnswer> RequestPage(PageConnection& connection, std::int64_t at,
                                      std::uint64_t deadline) {
    const Internet request(
        ::WinHttpOpenRequest(connection.server.get(), L"GET", connection.object.c_str(), nullptr,
                             WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, connection.flags));
    if (!request)
        return std::nullopt;
    if (connection.proxy) {
        WINHTTP_PROXY_INFO info{
            WINHTTP_ACCESS_TYPE_NAMED_PROXY, connection.proxy->proxy.data(),
            connection.proxy->bypass.empty() ? nullptr : connection.proxy->bypass.data()};
        ::WinHttpSetOption(request.get(), WINHTTP_OPTION_PROXY, &info, sizeof info);
    }
    std::optional<PageAnswer> answer =
        win32::ReadyToSend(at, deadline, [&](DWORD ms) { Bound(request.get(), ms); });
    if (!answer ||
        !::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                              WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr))
        return std::nullopt;
    answer->age = Header(request.get(), WINHTTP_QUERY_AGE);
    answer->date = Header(request.get(), WINHTTP_QUERY_DATE);
    win32::ReadBody(
        *answer, deadline, [&](DWORD ms) { Bound(request.get(), ms); },
        [&](DWORD* come) { return ::WinHttpQueryDataAvailable(request.get(), come) != FALSE; },
        [&](char* buffer, DWORD wanted, DWORD* got) {
            return ::WinHttpReadData(request.get(), buffer, wanted, got) != FALSE;
        });
    return answer;
}

}  // namespace platform
