// Registering the service with the service manager, and removing it: "/install", "/uninstall".
#pragma once

namespace chronalign::service::win32 {

// Each returns 0 on success, else the system's error code, and says what it did on the console.
int InstallService();
int UninstallService();

}  // namespace chronalign::service::win32
