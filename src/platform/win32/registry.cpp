#include "platform/registry.h"

#include <windows.h>

#include <utility>

namespace platform {

namespace {

// The two roots are the system's predefined handles; every other key is a handle this process
// opened, carried in a RegKey unchanged.
HKEY ToHkey(RegKey key) {
    if (key == kHkeyCurrentUser)
        return HKEY_CURRENT_USER;
    if (key == kHkeyLocalMachine)
        return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
    return reinterpret_cast<RegKey>(key);
}

// A value that grows between the size query and the read is read again, a bounded few times.
constexpr int kQueryAttempts = 4;

}  // namespace

long RegOpenKeyExA(RegKey root, const char* subKey, std::uint32_t options, std::uint32_t access,
                   RegKey* result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(ToHkey(root), subKey, options, access, &opened);
    if (status == ERROR_SUCCESS)
        *result = FromHkey(opened);
    return status;
}

long RegCreateKeyExA(RegKey root, const char* subKey, std::uint32_t access, RegKey* result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    HKEY opened = nullptr;
    const LONG status = ::RegCreateKeyExA(ToHkey(root), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          access, nullptr, &opened, nullptr);
    if (status == ERROR_SUCCESS)
        *result = FromHkey(opened);
    return status;
}

long RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type, std::string* data) {
    if (!type || !data)
        return ERROR_INVALID_PARAMETER;
    for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
        DWORD valueType = 0;
        DWORD size = 0;
        LONG status =
            ::RegQueryValueExA(ToHkey(key), valueName, nullptr, &valueType, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        std::string bytes(size, '\0');
        status = ::RegQueryValueExA(ToHkey(key), valueName, nullptr, &valueType,
                                    reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return status;
        bytes.resize(size);  // it may have shrunk in between
        *type = valueType;
        *data = std::move(bytes);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

long RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t size) {
    return ::RegSetValueExA(ToHkey(key), valueName, reserved, type, data, size);
}

long RegCloseKey(RegKey key) {
    return ::RegCloseKey(ToHkey(key));
}

}  // namespace platform
