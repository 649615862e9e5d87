// The download's watchdog: a thread that waits for the deadline or for the download to end.
//
// At the deadline it closes the Internet handle, which WinINet documents as the way to end a
// call blocked on it from another thread. Wine's WinINet does not: it keeps waiting on its
// socket until the server says something, however long. So when the download has not come back
// shortly after the close, the watchdog also cancels the I/O pending on the process's connected
// TCP sockets (CancelIoEx, which leaves them open for WinINet to close), again and again until
// the download is back: a redirect loop has I/O pending only now and then. The program has no sockets but the download's, and a socket
// with nothing pending is not affected.
#include <windows.h>
#include <wininet.h>
#include <winsock2.h>

#include <memory>

#include "platform/internet.h"

namespace platform {

namespace {

constexpr DWORD kGrace = 500;  // ms for the close to end the call before sockets are cancelled
constexpr DWORD kAgain = 10;   // ms between two passes over the sockets
// Handle values are multiples of four and stay low; this covers some sixteen thousand handles.
constexpr UINT_PTR kHighestHandle = 0x10000;

struct Watchdog {
    HINTERNET internet = nullptr;
    DWORD milliseconds = 0;
    HANDLE done = nullptr;  // set by the download's side when it is back
    HANDLE thread = nullptr;
    bool fired = false;

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
    ::InternetCloseHandle(w.internet);
    w.fired = true;
    for (DWORD wait = kGrace; ::WaitForSingleObject(w.done, wait) == WAIT_TIMEOUT; wait = kAgain)
        CancelSocketIo();
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
    return w->fired;
}

}  // namespace platform
