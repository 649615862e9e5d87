// The time service as the tests see it through the service manager: its state, a stop or a start,
// and its machine-wide time page.
#pragma once

#include <windows.h>

#include <string>

#include "base/identity.h"
#include "platform/win32/time_service.h"

namespace testsupport {

using platform::win32::OpenTimeService;

// The service's current state (SERVICE_RUNNING, ...), or 0 when it is not registered.
inline DWORD ServiceState() {
    const auto service = OpenTimeService({SERVICE_QUERY_STATUS});
    SERVICE_STATUS status{};
    return service && ::QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

// The process a service runs in, through a handle that may query its status; 0 when none.
inline DWORD ProcessOf(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD size = 0;
    return ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                  sizeof status, &size)
               ? status.dwProcessId
               : 0;
}

// The time service's process; 0 when it runs in none or is not registered.
inline DWORD ServiceProcess() {
    const auto service = OpenTimeService({SERVICE_QUERY_STATUS});
    return service ? ProcessOf(service.get()) : 0;
}

// Asks the service manager to start or to stop the service; true when it took the request.
inline bool StartOrStopService(bool start) {
    const auto service = OpenTimeService({SERVICE_START | SERVICE_STOP});
    SERVICE_STATUS status{};
    return start ? ::StartServiceA(service.get(), 0, nullptr) != FALSE
                 : ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) != FALSE;
}

// The machine-wide "TimePage", which only the service reads.
inline bool SetMachineTimePage(const std::string& url) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, chronalign::identity::kSettingsKey, 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status =
        ::RegSetValueExA(key, "TimePage", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                         static_cast<DWORD>(url.size() + 1));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace testsupport
