#include "wine_path.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/ansi_text.h"

namespace e2e {

namespace {

using DosFileNameFn = WCHAR*(CDECL*)(const char*);

// Wine's kernel32 export; absent on Windows, where the paths are DOS paths already.
std::string WineDosPath(const std::string& unixPath) {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return {};
    const auto convert = reinterpret_cast<DosFileNameFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "wine_get_dos_file_name")));
    if (convert == nullptr)
        return {};
    WCHAR* wide = convert(unixPath.c_str());
    if (wide == nullptr)
        return {};
    std::string path = platform::win32::Narrow(wide);
    ::HeapFree(::GetProcessHeap(), 0, wide);
    return path;
}

}  // namespace

std::string DosPath(const std::string& unixPath) {
    if (unixPath.empty() || unixPath.front() != '/')
        return unixPath;
    if (std::string path = WineDosPath(unixPath); !path.empty())
        return path;
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string FolderOfPath(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace e2e
