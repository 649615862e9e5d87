// The service's one pipe: local, authenticated users only, one client at a time.
#pragma once

#include <windows.h>

namespace chronalign::service::win32 {

// Serves clients until the stop event is set, and returns 0 then. While another process holds
// the pipe's name it logs that and tries again, and serves once the name is free.
DWORD RunPipeServer(HANDLE stop);

}  // namespace chronalign::service::win32
