// The process facility over kernel32 and version.dll.
#include "platform/process.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

// Per session: each signed-in user may run the program once.
constexpr const char* kInstanceMutexName = "Local\\Velmora.Chronalign.Instance";

}  // namespace

bool ClaimSingleInstance() {
    // Held, never closed: the claim ends with the process.
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    if (mutex == nullptr)
        return error != ERROR_ACCESS_DENIED;  // denied: another account's instance holds it
    return error != ERROR_ALREADY_EXISTS;
}

std::string ExecutablePath() {
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

std::optional<VersionNumbers> ProgramVersion() {
    const std::string path = ExecutablePath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (info->dwSignature != VS_FFI_SIGNATURE)
        return std::nullopt;
    return VersionNumbers{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                          LOWORD(info->dwFileVersionLS)};
}

void ExitProcessNow() {
    ::ExitProcess(0);
}

}  // namespace platform
