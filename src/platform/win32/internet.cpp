#include "platform/internet.h"

#include <windows.h>
#include <wininet.h>

namespace platform {

namespace {

HINTERNET ToWin32(InternetHandle h) {
    return reinterpret_cast<HINTERNET>(h);
}
InternetHandle FromWin32(HINTERNET h) {
    return reinterpret_cast<InternetHandle>(h);
}

bool SetNumber(HINTERNET h, DWORD option, DWORD value) {
    return ::InternetSetOptionA(h, option, &value, sizeof value) != FALSE;
}

}  // namespace

InternetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxyName,
                             const char* proxyBypass, std::uint32_t flags) {
    return FromWin32(::InternetOpenA(agent, accessType, proxyName, proxyBypass, flags));
}

InternetHandle InternetOpenUrlA(InternetHandle internet, const char* url, const char* headers,
                                std::uint32_t headersLength, std::uint32_t flags,
                                std::uintptr_t context) {
    return FromWin32(
        ::InternetOpenUrlA(ToWin32(internet), url, headers, headersLength, flags, context));
}

InternetHandle InternetConnectA(InternetHandle internet, const char* server, std::uint16_t port) {
    return FromWin32(::InternetConnectA(ToWin32(internet), server, port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0));
}

InternetHandle HttpOpenRequestA(InternetHandle connection, const char* object, std::uint32_t flags) {
    return FromWin32(
        ::HttpOpenRequestA(ToWin32(connection), "GET", object, nullptr, nullptr, nullptr, flags, 0));
}

bool HttpSendRequestA(InternetHandle request) {
    return ::HttpSendRequestA(ToWin32(request), nullptr, 0, nullptr, 0) != FALSE;
}

bool InternetSetTimeouts(InternetHandle internet, std::uint32_t milliseconds) {
    const HINTERNET h = ToWin32(internet);
    bool ok = SetNumber(h, INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds);
    ok = SetNumber(h, INTERNET_OPTION_SEND_TIMEOUT, milliseconds) && ok;
    ok = SetNumber(h, INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds) && ok;
    // Each retry waits the connect time-out again, so one attempt per address is enough.
    ok = SetNumber(h, INTERNET_OPTION_CONNECT_RETRIES, 1) && ok;
    return ok;
}

bool InternetReadFile(InternetHandle handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead) {
    *bytesRead = 0;
    DWORD read = 0;
    const bool ok = ::InternetReadFile(ToWin32(handle), buffer, bytesToRead, &read) != FALSE;
    *bytesRead = read;
    return ok;
}

bool InternetCloseHandle(InternetHandle handle) {
    return ::InternetCloseHandle(ToWin32(handle)) != FALSE;
}

}  // namespace platform
