// The registry facility, in the ANSI forms of the advapi32 calls. Results are the system's
// error codes: 0 (ERROR_SUCCESS) or an error.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using RegKey = std::uintptr_t;  // 0 = none

inline constexpr RegKey kHkeyCurrentUser = 0x80000001;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002;

inline constexpr std::uint32_t kKeySetValue = 0x0002;    // KEY_SET_VALUE
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;  // KEY_QUERY_VALUE
inline constexpr std::uint32_t kRegSz = 1;               // REG_SZ
inline constexpr std::uint32_t kRegDword = 4;            // REG_DWORD
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;

long RegOpenKeyExA(RegKey root, const char* subKey, std::uint32_t options, std::uint32_t access,
                   RegKey* result);

// Opens the key, creating it and any missing parent, with the given access.
long RegCreateKeyExA(RegKey root, const char* subKey, std::uint32_t access, RegKey* result);

// Reads one value whole: its type and its bytes (a REG_SZ with its NUL, as stored).
long RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type, std::string* data);

long RegSetValueExA(RegKey key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                    const std::uint8_t* data, std::uint32_t size);

long RegCloseKey(RegKey key);

}  // namespace platform
