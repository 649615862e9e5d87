// The time service as the tests see it through the service manager: its state, a stop or a start,
// and its machine-wide time page.
#pragma once

#include <windows.h>

#include <string>

#include "base/identity.h"

namespace testsupport {

inline constexpr const char* kServiceName = chronalign::identity::kServiceName;

// The service's current state (SERVICE_RUNNING, ...), or 0 when it is not registered.
inline DWORD ServiceState() {
    const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = ::OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    const bool known = service && ::QueryServiceStatus(service, &status);
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return known ? status.dwCurrentState : 0;
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
    const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = ::OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    const DWORD process = service ? ProcessOf(service) : 0;
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return process;
}

// Asks the service manager to start or to stop the service; true when it took the request.
inline bool StartOrStopService(bool start) {
    const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = ::OpenServiceA(manager, kServiceName, SERVICE_START | SERVICE_STOP);
    SERVICE_STATUS status{};
    const bool ok = start ? ::StartServiceA(service, 0, nullptr) != FALSE
                          : ::ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return ok;
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
