// The service's one pipe: local, authenticated users only, one client at a time.
#pragma once

#include <windows.h>

namespace chronalign::service::win32 {

// Serves clients until the stop event is set. Returns 0 then, or the system's error when the
// pipe cannot be made (another process holds its name, say).
DWORD RunPipeServer(HANDLE stop);

}  // namespace chronalign::service::win32
