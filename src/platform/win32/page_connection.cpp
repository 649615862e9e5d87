// The page connection over WinINet, for the program: the user's own proxy configuration, as
// their browser uses it (direct, a named proxy with its bypass list, a configuration script or
// automatic detection, per connection, VPN connections and policy included), and WinINet's
// signing in to a proxy that asks for it.
#include "platform/page_connection.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/clock.h"
#include "platform/win32/handle.h"
#include "platform/win32/page_body.h"

namespace platform {

namespace {

using Internet = Owned<HINTERNET, ::InternetCloseHandle>;

void SetNumber(HINTERNET handle, DWORD option, DWORD value) {
    ::InternetSetOptionA(handle, option, &value, sizeof value);
}

// Bounds the handle's next calls: connecting, sending and waiting for the answer or its body.
void Bound(HINTERNET handle, DWORD milliseconds) {
    SetNumber(handle, INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds);
    SetNumber(handle, INTERNET_OPTION_SEND_TIMEOUT, milliseconds);
    SetNumber(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds);
}

// A header of the answer as it came; empty when it has none.
std::string Header(HINTERNET request, DWORD which) {
    std::vector<char> text(64);
    for (;;) {
        DWORD size = static_cast<DWORD>(text.size());
        if (::HttpQueryInfoA(request, which, text.data(), &size, nullptr))
            return std::string(text.data(), size);
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= text.size())
            return {};
        text.resize(size);
    }
}

}  // namespace

struct PageConnection : win32::ConnectionHandles<Internet, std::string> {};

void PageConnectionCloser::operator()(PageConnection* connection) const {
    delete connection;
}

PageConnectionPtr ConnectToPage(const PageAddress& address, std::uint64_t deadline) {
    if (win32::TimeLeft(deadline) == 0)
        return nullptr;
    PageConnectionPtr c(new PageConnection);
    c->session.reset(
        ::InternetOpenA(kPageAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!c->session)
        return nullptr;
    // Each retry would wait the connect time-out again; one attempt per address is enough.
    SetNumber(c->session.get(), INTERNET_OPTION_CONNECT_RETRIES, 1);
    c->server.reset(::InternetConnectA(c->session.get(), address.host.c_str(), address.port,
                                       nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!c->server)
        return nullptr;
    c->object = address.object;
    // From the server itself: a proxy's copy is neither taken (reload, and "Pragma: no-cache"
    // for the proxies that heed only that) nor kept.
    c->flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_CACHE_WRITE |
               INTERNET_FLAG_KEEP_CONNECTION | (address.secure ? INTERNET_FLAG_SECURE : 0);
    return c;
}

std::optional<PageAnswer> RequestPage(PageConnection& connection, std::int64_t at,
                                      std::uint64_t deadline) {
    const Internet request(::HttpOpenRequestA(connection.server.get(), "GET",
                                              connection.object.c_str(), nullptr, nullptr, nullptr,
                                              connection.flags, 0));
    if (!request)
        return std::nullopt;
    std::optional<PageAnswer> answer =
        win32::ReadyToSend(at, deadline, [&](DWORD ms) { Bound(request.get(), ms); });
    if (!answer || !::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0))
        return std::nullopt;
    answer->age = Header(request.get(), HTTP_QUERY_AGE);
    answer->date = Header(request.get(), HTTP_QUERY_DATE);
    win32::ReadBody(
        *answer, deadline,
        [&](DWORD ms) { SetNumber(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, ms); },
        [&](DWORD* come) {
            return ::InternetQueryDataAvailable(request.get(), come, 0, 0) != FALSE;
        },
        [&](char* buffer, DWORD wanted, DWORD* got) {
            return ::InternetReadFile(request.get(), buffer, wanted, got) != FALSE;
        });
    return answer;
}

}  // namespace platform
