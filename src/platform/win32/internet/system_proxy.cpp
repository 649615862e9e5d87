// The user's proxy configuration for one download.
//
// The handle is opened for named-proxy access with an empty proxy name, which Windows would take
// as a proxy called "". So the handle is first made direct with INTERNET_OPTION_PROXY, which
// WinINet documents for an existing InternetOpen handle; then it gets the per-connection options
// of the user's default (LAN) connection, read with a null handle and set on ours. Set on a
// handle, per-connection options apply to that handle only, and they carry all four kinds of
// configuration (direct, named proxy with bypass list, configuration script, automatic
// detection), which WinINet then resolves for each request as it does for the user's browser.
//
// A WinINet that refuses INTERNET_OPTION_PROXY on a handle has no proxy per handle: Wine's is
// one, and it writes per-connection options "set on a handle" into the user's own settings
// instead (replacing the proxy server with its http_proxy variable, among other things), so
// none are set there. Such a WinINet takes the user's configuration only when a handle is
// opened with INTERNET_OPEN_TYPE_PRECONFIG, so the download gets a handle opened that way in
// place of its own.
#include <windows.h>
#include <wininet.h>

#include <array>

#include "platform/internet.h"

namespace platform {

namespace {

using Options = std::array<INTERNET_PER_CONN_OPTIONA, 5>;

bool MakeDirect(HINTERNET h) {
    INTERNET_PROXY_INFO direct{};
    direct.dwAccessType = INTERNET_OPEN_TYPE_DIRECT;
    return ::InternetSetOptionA(h, INTERNET_OPTION_PROXY, &direct, sizeof direct) != FALSE;
}

// The per-connection options of the user's default connection, with a null handle as the
// documentation says; the texts come back in memory of GlobalAlloc's.
bool QueryUserOptions(Options& options, DWORD flagsOption) {
    options = {};
    options[0].dwOption = flagsOption;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[4].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
    INTERNET_PER_CONN_OPTION_LISTA list{};
    list.dwSize = sizeof list;
    list.dwOptionCount = static_cast<DWORD>(options.size());
    list.pOptions = options.data();
    DWORD size = sizeof list;
    return ::InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size) !=
           FALSE;
}

void FreeTexts(Options& options) {
    for (std::size_t i = 1; i <= 3; ++i)
        if (options[i].Value.pszValue != nullptr)
            ::GlobalFree(options[i].Value.pszValue);
}

}  // namespace

InternetHandle InternetUseSystemProxy(InternetHandle internet, const char* agent) {
    const HINTERNET h = reinterpret_cast<HINTERNET>(internet);
    if (!MakeDirect(h)) {
        const HINTERNET preconfigured =
            ::InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (preconfigured == nullptr)
            return internet;
        ::InternetCloseHandle(h);
        return reinterpret_cast<InternetHandle>(preconfigured);
    }
    Options options;
    // The connection type as the user chose it; only an older WinINet lacks the _UI form. The
    // plain form is what a set takes.
    bool read = QueryUserOptions(options, INTERNET_PER_CONN_FLAGS_UI);
    if (!read) {
        FreeTexts(options);
        read = QueryUserOptions(options, INTERNET_PER_CONN_FLAGS);
    }
    if (!read) {
        FreeTexts(options);
        return internet;  // nothing to read: direct it stays
    }
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    INTERNET_PER_CONN_OPTION_LISTA list{};
    list.dwSize = sizeof list;
    list.dwOptionCount = static_cast<DWORD>(options.size());
    list.pOptions = options.data();
    ::InternetSetOptionA(h, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list);
    FreeTexts(options);
    return internet;
}

}  // namespace platform
