// A REG_SZ value's text both ways, as the registry facility reads and writes its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace chronalign {

// The bytes before the first NUL. A REG_SZ as stored carries its NUL; one written by another
// program may carry several or none.
inline std::string TextOf(const std::string& data) {
    return data.substr(0, data.find('\0'));
}

// Writes the text as a REG_SZ with its NUL, counted in its size as the registry asks. Returns
// the registry's status.
inline long WriteText(platform::RegKey key, const char* valueName, std::string_view text) {
    const std::string bytes = std::string(text) + '\0';
    return platform::RegSetValueExA(key, valueName, 0, platform::kRegSz,
                                    reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace chronalign
