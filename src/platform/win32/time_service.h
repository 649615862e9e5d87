// The time service as the service manager knows it: opened by the program's client, which starts
// it and asks which process runs it, and by the service's own /uninstall.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "base/identity.h"
#include "platform/win32/handle.h"

namespace platform::win32 {

using ServiceHandle = Owned<SC_HANDLE, ::CloseServiceHandle>;

// The time service, with the first of the rights asked for that the service manager grants (a
// caller that may lack some asks for fewer next); none when the service manager or the service
// will not open, the reason left for GetLastError.
inline ServiceHandle OpenTimeService(std::initializer_list<DWORD> rights) {
    ServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service;
    for (const DWORD access : rights) {
        if (!manager || service)
            break;
        service.reset(::OpenServiceA(manager.get(), chronalign::identity::kServiceName, access));
    }
    // The service's handle stays valid without the manager's; closing that keeps the reason.
    const DWORD error = ::GetLastError();
    manager.reset();
    ::SetLastError(error);
    return service;
}

}  // namespace platform::win32
