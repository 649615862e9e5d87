// The Internet facility: the WinINet calls the time page download makes, in their ANSI forms,
// plus the time-outs set on the Internet handle. No Windows types cross this line.
//
// A call blocked on a handle returns when another thread closes that handle (on Windows; Wine's
// WinINet goes on waiting for its server): that is how a download is ended from outside.
#pragma once

#include <cstdint>

namespace platform {

using InternetHandle = std::uintptr_t;  // 0 = none

// The user's own proxy configuration, as their browser uses it: direct, a named proxy with its
// bypass list, a configuration script or automatic detection, per connection, VPNs included.
inline constexpr std::uint32_t kInternetOpenTypePreconfig = 0;    // INTERNET_OPEN_TYPE_PRECONFIG
inline constexpr std::uint32_t kInternetFlagReload = 0x80000000;  // INTERNET_FLAG_RELOAD
inline constexpr std::uint32_t kInternetFlagKeepConnection = 0x00400000;  // ..._KEEP_CONNECTION
inline constexpr std::uint32_t kInternetFlagSecure = 0x00800000;          // INTERNET_FLAG_SECURE

InternetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxyName,
                             const char* proxyBypass, std::uint32_t flags);

InternetHandle InternetOpenUrlA(InternetHandle internet, const char* url, const char* headers,
                                std::uint32_t headersLength, std::uint32_t flags,
                                std::uintptr_t context);

// An HTTP connection to a server: nothing is sent until its first request.
InternetHandle InternetConnectA(InternetHandle internet, const char* server, std::uint16_t port);

// A GET request for an object (path and query) on a connection, and sending it: true once the
// answer's headers have arrived; its body is then read with InternetReadFile.
InternetHandle HttpOpenRequestA(InternetHandle connection, const char* object, std::uint32_t flags);
bool HttpSendRequestA(InternetHandle request);

// Sets the connect, send and receive time-outs of an Internet handle, in milliseconds, and
// keeps connection retries low. Returns false when the handle refused any of them.
bool InternetSetTimeouts(InternetHandle internet, std::uint32_t milliseconds);

// The platform sets *bytesRead to 0 before it does any work, so a failed read reports 0 too.
bool InternetReadFile(InternetHandle handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead);

bool InternetCloseHandle(InternetHandle handle);

}  // namespace platform
