// ChronalignService.exe: the time service under the service manager, or "/install" and
// "/uninstall" from a command line.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/win32/handle.h"
#include "service/win32/install.h"
#include "service/win32/names.h"
#include "service/win32/pipe_server.h"

namespace chronalign::service::win32 {

namespace {

// A stop must be done within a second of the request, even while a client is being served:
// the pipe thread gets this long to finish, then the process ends under it.
constexpr DWORD kStopGrace = 500;

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;

void Report(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exitCode;
    status.dwWaitHint = waitHint;
    ::SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            Report(SERVICE_STOP_PENDING, NO_ERROR, 1000);
            ::SetEvent(stopEvent);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char**) {
    statusHandle = ::RegisterServiceCtrlHandlerExA(kServiceName, Control, nullptr);
    if (!statusHandle)
        return;
    const platform::Handle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const platform::Handle serverDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop || !serverDone) {
        Report(SERVICE_STOPPED, ::GetLastError());
        return;
    }
    stopEvent = stop.get();
    DWORD exitCode = NO_ERROR;
    // Detached: a thread blocked in a download must not hold up the stop; the process ends
    // right after the service reports it has stopped.
    std::thread([&exitCode, &stop, &serverDone] {
        const DWORD code = RunPipeServer(stop.get());
        exitCode = code;
        ::SetEvent(stop.get());
        ::SetEvent(serverDone.get());
    }).detach();
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(stop.get(), INFINITE);
    Report(SERVICE_STOP_PENDING, NO_ERROR, 1000);
    const bool finished = ::WaitForSingleObject(serverDone.get(), kStopGrace) == WAIT_OBJECT_0;
    // An error stop would let the service manager restart the service.
    Report(SERVICE_STOPPED, finished ? exitCode : NO_ERROR);
    if (!finished)
        ::ExitProcess(0);
}

}  // namespace

}  // namespace chronalign::service::win32

int main(int argc, char** argv) {
    using namespace chronalign::service::win32;
    if (argc == 2 && _stricmp(argv[1], "/install") == 0)
        return InstallService();
    if (argc == 2 && _stricmp(argv[1], "/uninstall") == 0)
        return UninstallService();
    SERVICE_TABLE_ENTRYA services[] = {{const_cast<char*>(kServiceName), ServiceMain},
                                       {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherA(services))
        return 0;
    std::printf(
        "%s runs under the service manager.\n"
        "  ChronalignService /install    registers and starts it (as an administrator)\n"
        "  ChronalignService /uninstall  stops and removes it\n",
        kDisplayName);
    return 1;
}
