// The Internet facility: the four WinINet calls the time page download makes, in their ANSI
// forms, plus what is set on the Internet handle (the user's proxy, the time-outs). No Windows
// types cross this line.
#pragma once

#include <cstdint>

namespace platform {

using InternetHandle = std::uintptr_t;  // 0 = none

inline constexpr std::uint32_t kInternetOpenTypeProxy = 3;        // INTERNET_OPEN_TYPE_PROXY
inline constexpr std::uint32_t kInternetFlagReload = 0x80000000;  // INTERNET_FLAG_RELOAD

InternetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxyName,
                             const char* proxyBypass, std::uint32_t flags);

InternetHandle InternetOpenUrlA(InternetHandle internet, const char* url, const char* headers,
                                std::uint32_t headersLength, std::uint32_t flags,
                                std::uintptr_t context);

// Gives the download the user's own proxy configuration, the one their browser uses: direct
// when there is none, else the named proxy with its bypass list, the configuration script or
// automatic detection. Never changes the user's settings. Returns the Internet handle to use
// from here on: the given one with the configuration set on it, or, where WinINet gives no
// handle a proxy of its own, a new handle for the same agent opened with the user's
// configuration, the given one closed. Never 0: when neither works, the given handle stays.
InternetHandle InternetUseSystemProxy(InternetHandle internet, const char* agent);

// Sets the connect, send and receive time-outs of an Internet handle, in milliseconds, and
// keeps connection retries low. Returns false when the handle refused any of them.
bool InternetSetTimeouts(InternetHandle internet, std::uint32_t milliseconds);

// The platform sets *bytesRead to 0 before it does any work, so a failed read reports 0 too.
bool InternetReadFile(InternetHandle handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead);

bool InternetCloseHandle(InternetHandle handle);

// A watchdog over the calling thread's download on an Internet handle; 0 = none.
using InternetWatchdog = std::uintptr_t;

// Starts a watchdog that, once the milliseconds have passed, ends whatever call the calling
// thread has blocked on the handle (a silent or trickling server, a redirect loop): it makes the
// pending network I/O fail, and closes the handle as well when that is not enough. Returns 0
// when no watchdog could be started.
InternetWatchdog InternetArmDeadline(InternetHandle internet, std::uint32_t milliseconds);

// Stops the watchdog and waits for it to end (at once, or when it finishes what it is doing).
// True when it closed the handle, which must then not be closed again.
bool InternetDisarmDeadline(InternetWatchdog watchdog);

}  // namespace platform
