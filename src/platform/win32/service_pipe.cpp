#include "platform/service_pipe.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

#include "base/identity.h"
#include "platform/win32/clock_stop.h"
#include "platform/win32/handle.h"
#include "platform/win32/overlapped.h"
#include "platform/win32/time_service.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Past this the program sets the clock itself.
constexpr auto kPatience = std::chrono::milliseconds(kTimeServicePatienceMs);

// Writing data and setting the read mode, but not FILE_APPEND_DATA: for a pipe that is the right
// to create an instance, which the service grants nobody.
constexpr DWORD kAccess = GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES;

DWORD MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

using win32::OpenTimeService;
using win32::ServiceHandle;

// What the service manager says of the service: its state (0 when it is not installed or may
// not be asked) and the process it runs in.
struct ServiceStatus {
    DWORD state = 0;
    DWORD process = 0;
};

ServiceStatus StatusOf(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD size = 0;
    if (!::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof status, &size))
        return {};
    return {status.dwCurrentState, status.dwProcessId};
}

// No pipe yet: true while it is worth waiting for one. The service starts late at boot (a
// delayed automatic start) while the program starts at log-on and synchronizes at once, so a
// service installed but stopped is started here, once; one starting is waited for.
bool ServiceComing(bool& startAsked) {
    // With the right to start it where the installer granted that to interactive users, else to
    // look at it only.
    const ServiceHandle service =
        OpenTimeService({SERVICE_QUERY_STATUS | SERVICE_START, SERVICE_QUERY_STATUS});
    if (!service)
        return false;
    switch (StatusOf(service.get()).state) {
        case SERVICE_START_PENDING:
        case SERVICE_RUNNING:  // about to make its pipe
            return true;
        case SERVICE_STOPPED:
            if (startAsked)
                return false;
            startAsked = true;
            return ::StartServiceA(service.get(), 0, nullptr) ||
                   ::GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
        default:
            return false;
    }
}

// The pipe, once the service has an instance free; an invalid handle when there is no service
// or it stays busy or away past the deadline. The service learns who we are, but may not act
// as us.
HANDLE Connect(Clock::time_point deadline) {
    bool startAsked = false;
    for (;;) {
        HANDLE pipe = ::CreateFileA(
            chronalign::identity::kPipeName, kAccess, 0, nullptr, OPEN_EXISTING,
            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE)
            return pipe;
        const DWORD error = ::GetLastError();
        const DWORD wait = MillisecondsUntil(deadline);
        if (wait == 0)
            return INVALID_HANDLE_VALUE;
        if (error == ERROR_PIPE_BUSY) {
            // Returns at once when the pipe is gone; the next open then says so.
            ::WaitNamedPipeA(chronalign::identity::kPipeName, wait);
        } else if (error == ERROR_FILE_NOT_FOUND && ServiceComing(startAsked)) {
            ::Sleep(std::min<DWORD>(wait, 100));
        } else {
            return INVALID_HANDLE_VALUE;
        }
    }
}

// Only the running service's own pipe is believed: any other process can make a pipe of that
// name while the service is away, and answer what it likes.
bool ServedByTheService(HANDLE pipe) {
    ULONG server = 0;
    if (!::GetNamedPipeServerProcessId(pipe, &server))
        return false;
    const ServiceHandle service = OpenTimeService({SERVICE_QUERY_STATUS});
    const ServiceStatus status = service ? StatusOf(service.get()) : ServiceStatus{};
    // A service started on demand makes its pipe just before it tells the service manager that
    // it runs: while it starts, its process is already the one the manager names.
    const bool up = status.state == SERVICE_RUNNING || status.state == SERVICE_START_PENDING;
    return up && status.process != 0 && status.process == server;
}

}  // namespace

std::optional<std::string> AskTimeService(const std::string& request) {
    const auto deadline = Clock::now() + kPatience;
    const Handle pipe(Connect(deadline));
    if (!pipe || !ServedByTheService(pipe.get()))
        return std::nullopt;
    // The wait for a service that starts may outlast the program's decision to end; a request
    // sent after it would have the clock set for a program that no longer wants it.
    if (win32::SettingTheClockStopped())
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
