// The start-with-Windows entry under the Run key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace chronalign {

// Writes one value under HKEY_LOCAL_MACHINE\subKey; when that key cannot be opened for
// writing, the same value under HKEY_CURRENT_USER\subKey instead. The empty text also empties
// the value under HKEY_CURRENT_USER\subKey where there is one. Reports nothing.
void SetRunValue(const std::string& subKey, const std::string& valueName, const std::string& data,
                 std::uint32_t valueType);

// Writes one text value (type 1, REG_SZ) to an open key. Returns the registry's status, or 0
// when the type is another and nothing was written: the entry is a text, and no caller writes
// any other kind.
long RegWriteValue(platform::RegKey key, const std::string& valueName, std::uint32_t valueType,
                   const std::string& data);

}  // namespace chronalign
