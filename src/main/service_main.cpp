// ChronalignService.exe: the time service under the service manager, or "/install" and
// "/uninstall" from a command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/handle.h"
#include "service/win32/install.h"
#include "service/win32/names.h"
#include "service/win32/pipe_server.h"

namespace chronalign::service::win32 {

namespace {

// A stop must be done within a second of the request, even while a client is being served:
// the pipe thread gets this long to finish, then the process ends under it.
constexpr DWORD kStopGrace = 500;

// What the control handler and ServiceMain share, in ServiceMain's frame: the handler touches
// it only for a stop or a shutdown, which the service accepts only between reporting that it
// runs and that it stops, and the process ends right after that report.
struct Service {
    SERVICE_STATUS_HANDLE status = nullptr;
    HANDLE stop = nullptr;

    void Report(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0) const {
        SERVICE_STATUS reported{};
        reported.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        reported.dwCurrentState = state;
        reported.dwControlsAccepted =
            state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
        reported.dwWin32ExitCode = exitCode;
        reported.dwWaitHint = waitHint;
        ::SetServiceStatus(status, &reported);
    }
};

DWORD WINAPI Control(DWORD control, DWORD, void*, void* context) {
    const Service& service = *static_cast<const Service*>(context);
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            service.Report(SERVICE_STOP_PENDING, NO_ERROR, 1000);
            ::SetEvent(service.stop);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// The pipe thread, given the stop event, which outlives it (ServiceMain waits for the thread or
// ends the process under it). A server that ends by itself stops the service too; the thread's
// exit code is the server's.
DWORD WINAPI ServePipe(void* stop) {
    const DWORD code = RunPipeServer(static_cast<HANDLE>(stop));
    ::SetEvent(static_cast<HANDLE>(stop));
    return code;
}

void WINAPI ServiceMain(DWORD, char**) {
    Service service;
    service.status = ::RegisterServiceCtrlHandlerExA(kServiceName, Control, &service);
    if (!service.status)
        return;
    const platform::Handle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    service.stop = stop.get();
    const platform::Handle server(
        stop ? ::CreateThread(nullptr, 0, ServePipe, stop.get(), 0, nullptr) : nullptr);
    if (!server) {
        service.Report(SERVICE_STOPPED, ::GetLastError());
        return;
    }
    service.Report(SERVICE_RUNNING);
    ::WaitForSingleObject(stop.get(), INFINITE);
    service.Report(SERVICE_STOP_PENDING, NO_ERROR, 1000);
    // An error stop would let the service manager restart the service: only a server that has
    // ended can have one.
    DWORD exitCode = NO_ERROR;
    if (::WaitForSingleObject(server.get(), kStopGrace) != WAIT_OBJECT_0 ||
        !::GetExitCodeThread(server.get(), &exitCode))
        exitCode = NO_ERROR;
    service.Report(SERVICE_STOPPED, exitCode);
    // Nothing is left to do once the stop is reported, and the process may be ended at any time
    // from then on (SetServiceStatus). A thread may still be inside WinHTTP: the pipe thread
    // past its grace, or a download's worker given up on. Process detach beside such a thread
    // can hang on a lock it holds (ExitProcess), so the process ends without running it.
    ::TerminateProcess(::GetCurrentProcess(), exitCode);
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
