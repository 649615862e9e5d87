// The download's watchdog: a thread that waits for the deadline or for the download to end.
//
// At the deadline it cancels the I/O pending on the process's connected TCP sockets (CancelIoEx,
// which leaves them open): the blocked receive or send fails, WinINet fails the call, and the
// download closes its handles in its own order. The program has no sockets but the download's,
// and a socket with nothing pending is not affected. A redirect loop has I/O pending only now and
// then, so the pass is made again and again until the download is back.
//
// Closing the Internet handle is what WinINet documents for ending a call from another thread,
// and it is the fallback when the passes have not ended the download within a second. It is not
// the first thing done because Wine's WinINet is not ended by it (it waits on its socket until
// the server says something) and does not take it well while it is busy: closing the handle in
// the middle of a redirect loop crashed a Wine process.
#include <windows.h>
#include <wininet.h>
#include <winsock2.h>

#include <memory>

#include "platform/internet.h"

namespace platform {

namespace {

constexpr DWORD kAgain = 10;          // ms between two passes over the sockets
constexpr DWORD kBeforeClose = 1000;  // ms of passes before the handle is closed
// Handle values are multiples of four and stay low; this covers some sixteen thousand handles.
constexpr UINT_PTR kHighestHandle = 0x10000;

struct Watchdog {
    HINTERNET internet = nullptr;
    DWORD milliseconds = 0;
    HANDLE done = nullptr;  // set by the download's side when it is back
    HANDLE thread = nullptr;
    bool closed = false;  // the watchdog closed the Internet handle

    ~Watchdog() {
        if (thread != nullptr)
            ::CloseHandle(thread);
        if (done != nullptr)
            ::CloseHandle(done);
    }
};

bool IsConnectedStream(SOCKET s) {
    int type = 0;
    int size = sizeof type;
    if (::getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size) != 0 ||
        type != SOCK_STREAM)
        return false;
    sockaddr_storage peer{};
    int peerSize = sizeof peer;
    return ::getpeername(s, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0;
}

void CancelSocketIo() {
    for (UINT_PTR value = 4; value < kHighestHandle; value += 4)
        if (IsConnectedStream(static_cast<SOCKET>(value)))
            ::CancelIoEx(reinterpret_cast<HANDLE>(value), nullptr);
}

DWORD WINAPI Watch(void* parameter) {
    auto& w = *static_cast<Watchdog*>(parameter);
    if (::WaitForSingleObject(w.done, w.milliseconds) != WAIT_TIMEOUT)
        return 0;
    const DWORD start = ::GetTickCount();
    do {
        CancelSocketIo();
        if (!w.closed && ::GetTickCount() - start >= kBeforeClose) {
            ::InternetCloseHandle(w.internet);
            w.closed = true;
        }
    } while (::WaitForSingleObject(w.done, kAgain) == WAIT_TIMEOUT);
    return 0;
}

}  // namespace

InternetWatchdog InternetArmDeadline(InternetHandle internet, std::uint32_t milliseconds) {
    auto w = std::make_unique<Watchdog>();
    w->internet = reinterpret_cast<HINTERNET>(internet);
    w->milliseconds = milliseconds;
    w->done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (w->done == nullptr)
        return 0;
    w->thread = ::CreateThread(nullptr, 0, Watch, w.get(), 0, nullptr);
    if (w->thread == nullptr)
        return 0;
    return reinterpret_cast<InternetWatchdog>(w.release());
}

bool InternetDisarmDeadline(InternetWatchdog watchdog) {
    if (watchdog == 0)
        return false;
    const std::unique_ptr<Watchdog> w(reinterpret_cast<Watchdog*>(watchdog));
    ::SetEvent(w->done);
    // The wait is a timed one and the socket pass takes a fraction of a second: this returns.
    ::WaitForSingleObject(w->thread, INFINITE);
    return w->closed;
}

}  // namespace platform
