#include "platform/service_pipe.h"

#include <windows.h>

#include <chrono>

#include "base/identity.h"
#include "platform/win32/handle.h"
#include "platform/win32/overlapped.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The service serves one client at a time, and each may take its download's whole deadline;
// past this the program sets the clock itself.
constexpr auto kPatience = std::chrono::seconds(30);

// Writing data and setting the read mode, but not FILE_APPEND_DATA: for a pipe that is the right
// to create an instance, which the service grants nobody.
constexpr DWORD kAccess = GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES;

DWORD MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

// The pipe, once the service has an instance free; an invalid handle when there is no service
// or it stays busy past the deadline. The service learns who we are, but may not act as us.
HANDLE Connect(Clock::time_point deadline) {
    for (;;) {
        HANDLE pipe = ::CreateFileA(
            chronalign::identity::kPipeName, kAccess, 0, nullptr, OPEN_EXISTING,
            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_PIPE_BUSY)
            return pipe;
        const DWORD wait = MillisecondsUntil(deadline);
        if (wait == 0)
            return INVALID_HANDLE_VALUE;
        // Returns at once when the pipe is gone; the next open then says so.
        ::WaitNamedPipeA(chronalign::identity::kPipeName, wait);
    }
}

}  // namespace

std::optional<std::string> AskTimeService(const std::string& request) {
    const auto deadline = Clock::now() + kPatience;
    const Handle pipe(Connect(deadline));
    if (!pipe)
        return std::nullopt;
    DWORD mode = PIPE_READMODE_MESSAGE;
    ::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr);

    const auto written =
        WaitOverlapped(pipe.get(), MillisecondsUntil(deadline), nullptr, [&](OVERLAPPED* o) {
            return ::WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()),
                               nullptr, o) != FALSE;
        });
    if (written != request.size())
        return std::nullopt;

    char reply[platform::kTimeServiceReplyRoom];
    const auto read =
        WaitOverlapped(pipe.get(), MillisecondsUntil(deadline), nullptr, [&](OVERLAPPED* o) {
            return ::ReadFile(pipe.get(), reply, sizeof reply, nullptr, o) != FALSE;
        });
    if (!read)
        return std::nullopt;
    return std::string(reply, *read);
}

}  // namespace platform
