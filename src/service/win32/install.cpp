#include "service/win32/install.h"

#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/module_file.h"
#include "platform/win32/time_service.h"
#include "service/win32/names.h"

namespace chronalign::service::win32 {

namespace {

constexpr const char* kAccount = "NT AUTHORITY\\LocalService";
constexpr const char* kDescription =
    "Sets the system clock from the time page when a " CHRONALIGN_TITLE " user asks for it.";
constexpr const char* kEventSources =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
constexpr DWORD kRestartDelay = 5000;   // milliseconds
constexpr DWORD kFailureReset = 86400;  // seconds without a failure before the count restarts
constexpr DWORD kStopWait = 10'000;     // milliseconds for the service to stop at uninstall
constexpr DWORD kStartWait = 30'000;    // milliseconds for a locked service database
// Milliseconds for a service removed earlier, which the service manager keeps "marked for
// deletion" while anyone (the Services console, Task Manager) still has a handle to it.
constexpr DWORD kDeletionWait = 60'000;

// The service manager's defaults (system, administrators, interactive and service logons), and
// for interactive users the right to start it, nothing more: the program starts it on demand
// when it comes before the delayed automatic start.
constexpr const char* kServiceSecurity =
    "D:(A;;CCLCSWRPWPDTLOCRRC;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)"
    "(A;;CCLCSWRPLOCRRC;;;IU)(A;;CCLCSWLOCRRC;;;SU)";

// The event log knows the service's source by the service's name.
std::string EventSourceKey() {
    return std::string(kEventSources) + kServiceName;
}

using platform::win32::ServiceHandle;

int Failed(const char* what) {
    const DWORD error = ::GetLastError();
    std::printf("%s failed: error %lu\n", what, error);
    return error != 0 ? static_cast<int>(error) : 1;
}

// What belongs to this file and is brought up to it at every install: its description, the
// restarts after a failure (a stop with an error counts), and no right beyond setting the time.
void Configure(SC_HANDLE service) {
    SERVICE_DESCRIPTIONA description{const_cast<char*>(kDescription)};
    SC_ACTION restart[] = {{SC_ACTION_RESTART, kRestartDelay},
                           {SC_ACTION_RESTART, kRestartDelay},
                           {SC_ACTION_RESTART, kRestartDelay}};
    SERVICE_FAILURE_ACTIONSA failure{kFailureReset, nullptr, nullptr, 3, restart};
    SERVICE_FAILURE_ACTIONS_FLAG onErrorStop{TRUE};
    char privileges[] = "SeSystemtimePrivilege\0SeChangeNotifyPrivilege\0";
    SERVICE_REQUIRED_PRIVILEGES_INFOA required{privileges};
    const struct {
        DWORD level;
        void* info;
        const char* name;
    } settings[] = {
        {SERVICE_CONFIG_DESCRIPTION, &description, "description"},
        {SERVICE_CONFIG_FAILURE_ACTIONS, &failure, "restart on failure"},
        {SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onErrorStop, "restart on an error stop"},
        {SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO, &required, "required privileges"},
    };
    for (const auto& setting : settings)
        if (!::ChangeServiceConfig2A(service, setting.level, setting.info))
            std::printf("Setting the %s failed: error %lu\n", setting.name, ::GetLastError());
}

// The start late at boot, which is part of the start type: set when the service is registered
// and left alone afterwards, like the rest of what an administrator may change.
void StartDelayed(SC_HANDLE service) {
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    if (!::ChangeServiceConfig2A(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed))
        std::printf("Setting the delayed start failed: error %lu\n", ::GetLastError());
}

// The Application log's source, so the viewer shows the entries' texts (the message table).
void RegisterEventSource(const std::string& exe) {
    HKEY created = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, EventSourceKey().c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
        return;
    const platform::RegistryKey key(created);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    ::RegSetValueExA(key.get(), "EventMessageFile", 0, REG_EXPAND_SZ,
                     reinterpret_cast<const BYTE*>(exe.c_str()),
                     static_cast<DWORD>(exe.size() + 1));
    ::RegSetValueExA(key.get(), "TypesSupported", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&types), sizeof types);
}

// The service manager refuses starts while it starts services itself (early after boot).
bool Start(SC_HANDLE service) {
    for (DWORD waited = 0;; waited += 100) {
        if (::StartServiceA(service, 0, nullptr) ||
            ::GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)
            return true;
        if (::GetLastError() != ERROR_SERVICE_DATABASE_LOCKED || waited >= kStartWait)
            return false;
        ::Sleep(100);
    }
}

bool WaitUntilStopped(SC_HANDLE service) {
    for (DWORD waited = 0; waited < kStopWait; waited += 100) {
        SERVICE_STATUS status{};
        if (!::QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED)
            return true;
        ::Sleep(100);
    }
    return false;
}

// The service registered anew, for a delayed automatic start; none, with the error left for
// GetLastError, when it cannot be (ERROR_SERVICE_EXISTS: installed before). A service still
// marked for deletion is waited out.
ServiceHandle Create(SC_HANDLE manager, const std::string& command) {
    for (DWORD waited = 0;; waited += 250) {
        ServiceHandle created(
            ::CreateServiceA(manager, kServiceName, kDisplayName, SERVICE_ALL_ACCESS,
                             SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                             command.c_str(), nullptr, nullptr, nullptr, kAccount, ""));
        if (created || ::GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE ||
            waited >= kDeletionWait)
            return created;
        if (waited == 0)
            std::printf("The service is still marked for deletion; waiting for it to go.\n");
        ::Sleep(250);
    }
}

// An installed service brought up to this file in place. What an administrator may have chosen
// stays as it is: the start type (disabled, manual, automatic, delayed or not), the account and
// the service's security.
ServiceHandle Update(SC_HANDLE manager, const std::string& command) {
    ServiceHandle existing(::OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS));
    if (existing &&
        !::ChangeServiceConfigA(existing.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_NO_CHANGE,
                                SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr,
                                nullptr, nullptr, kDisplayName)) {
        const DWORD error = ::GetLastError();
        existing.reset();
        ::SetLastError(error);
    }
    return existing;
}

void AllowInteractiveStart(SC_HANDLE service) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kServiceSecurity, SDDL_REVISION_1,
                                                                &descriptor, nullptr) ||
        !::SetServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, descriptor))
        std::printf("Letting users start the service failed: error %lu\n", ::GetLastError());
    ::LocalFree(descriptor);
}

}  // namespace

// What fails here fails the package that runs it, and an upgrade rolls back to the version
// before: a service that cannot be registered, brought up to this file or started. A service
// its administrator disabled is none of these: it stays disabled and is not started. What the
// service manager cannot set beside (Wine refuses some of it) is reported and passed over.
int InstallService() {
    const ServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return Failed("Opening the service manager");
    const std::string exe = platform::win32::ModuleFileName();
    const std::string command = "\"" + exe + "\"";
    ServiceHandle service = Create(manager.get(), command);
    const bool updated = !service && ::GetLastError() == ERROR_SERVICE_EXISTS;
    if (updated)
        service = Update(manager.get(), command);
    if (!service)
        return Failed(updated ? "Updating the service" : "Creating the service");
    Configure(service.get());
    if (!updated) {
        StartDelayed(service.get());
        AllowInteractiveStart(service.get());
    }
    RegisterEventSource(exe);
    // A running service of an earlier file is stopped, so that the start below runs this one.
    SERVICE_STATUS status{};
    if (updated && ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) &&
        !WaitUntilStopped(service.get()))
        return Failed("Stopping the earlier service");
    if (!Start(service.get())) {
        if (::GetLastError() != ERROR_SERVICE_DISABLED)
            return Failed("Starting the service");
        std::printf("%s is %s; it is disabled, and stays so.\n", kDisplayName,
                    updated ? "updated" : "installed");
        return 0;
    }
    std::printf("%s is %s and started.\n", kDisplayName, updated ? "updated" : "installed");
    return 0;
}

int UninstallService() {
    const ServiceHandle service =
        platform::win32::OpenTimeService({SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE});
    if (!service)
        return Failed("Opening the service");
    SERVICE_STATUS status{};
    if (::ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
        WaitUntilStopped(service.get());
    if (!::DeleteService(service.get()))
        return Failed("Removing the service");
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, EventSourceKey().c_str());
    std::printf("%s is removed.\n", kDisplayName);
    return 0;
}

}  // namespace chronalign::service::win32
