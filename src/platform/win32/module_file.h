// The running executable's own path, for the process facility and the time service's /install,
// which registers the service by it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::win32 {

// The full path of the running executable, as the system reports it, however long; empty when
// the system cannot say.
inline std::string ModuleFileName() {
    std::vector<char> path(MAX_PATH);
    while (path.size() <= 32768) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return std::string(path.data(), length);
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
    return {};
}

}  // namespace platform::win32
