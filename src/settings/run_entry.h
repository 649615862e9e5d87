// The start-with-Windows entry under the Run key.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/registry.h"

namespace chronalign {

using RegData = std::variant<std::string, std::int32_t>;

// Writes one value under HKEY_LOCAL_MACHINE\subKey; when that key cannot be opened for
// writing, the same value under HKEY_CURRENT_USER\subKey instead. The empty text also empties
// the value under HKEY_CURRENT_USER\subKey where there is one. Reports nothing.
void SetRunValue(const std::string& subKey, const std::string& valueName, const RegData& data,
                 std::uint32_t valueType);

// Writes one value of type 1 (REG_SZ) or 4 (REG_DWORD) to an open key. Returns the registry's
// status, or 0 when the type is neither and nothing was written.
long RegWriteValue(platform::RegKey key, const std::string& valueName, std::uint32_t valueType,
                   const RegData& data);

}  // namespace chronalign
