// The process facility over kernel32 and version.dll.
#include "platform/process.h"

#include <windows.h>

#include "base/identity.h"
#include "platform/win32/ansi_text.h"
#include "platform/win32/clock_stop.h"
#include "platform/win32/module_file.h"

#include <cwchar>
#include <vector>

namespace platform {

namespace {

// The running module's own version resource, read where the module lies in memory: the calls
// that read it from the file by its path fail when the path holds characters that the ANSI code
// page cannot. Empty when there is none.
std::vector<char> VersionBlock() {
    HMODULE self = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(self, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(self, found) : nullptr;
    const auto* data =
        static_cast<const char*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    if (data == nullptr)
        return {};
    // A copy: the version calls may write into the block they are given.
    return std::vector<char>(data, data + ::SizeofResource(self, found));
}

// The value at a path of the block, or nullptr.
const void* Query(std::vector<char>& block, const wchar_t* path, UINT* length) {
    void* value = nullptr;
    if (block.empty() || !::VerQueryValueW(block.data(), path, &value, length) || *length == 0)
        return nullptr;
    return value;
}

// A text of the version information, in the first language the resource lists.
std::string VersionText(const wchar_t* name) {
    std::vector<char> block = VersionBlock();
    UINT length = 0;
    const auto* language =
        static_cast<const WORD*>(Query(block, L"\\VarFileInfo\\Translation", &length));
    if (language == nullptr || length < 2 * sizeof(WORD))
        return {};
    wchar_t path[64] = {};
    std::swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", language[0], language[1], name);
    const auto* text = static_cast<const wchar_t*>(Query(block, path, &length));
    return text != nullptr ? win32::Narrow(text) : std::string();
}

}  // namespace

bool ClaimSingleInstance() {
    // Held, never closed: the claim ends with the process. Per session: each signed-in user may
    // run the program once.
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, chronalign::identity::kInstanceMutexName);
    const DWORD error = ::GetLastError();
    if (mutex == nullptr)
        return error != ERROR_ACCESS_DENIED;  // denied: another account's instance holds it
    return error != ERROR_ALREADY_EXISTS;
}

std::string ExecutablePath() {
    return win32::ModuleFileName();
}

std::optional<VersionNumbers> ProgramVersion() {
    std::vector<char> block = VersionBlock();
    UINT length = 0;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(Query(block, L"\\", &length));
    if (info == nullptr || length < sizeof(VS_FIXEDFILEINFO) ||
        info->dwSignature != VS_FFI_SIGNATURE)
        return std::nullopt;
    return VersionNumbers{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                          LOWORD(info->dwFileVersionLS)};
}

std::string ProductName() {
    return VersionText(L"ProductName");
}

std::string ProgramTitle() {
    return VersionText(L"FileDescription");
}

void ExitProcessNow() {
    win32::StopSettingTheClock();  // a synchronization still running must not set it now
    // Not ExitProcess: it detaches every DLL, and a worker given up on may be inside WinINet,
    // whose detach can then wait for it for ever, leaving the process (and its claim of the
    // one instance) behind. Everything worth keeping is saved by now.
    ::TerminateProcess(::GetCurrentProcess(), 0);
    ::ExitProcess(0);  // not reached: TerminateProcess on the process itself does not return
}

}  // namespace platform
