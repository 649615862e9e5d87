// The per-user settings store: texts addressed by application, section and key, kept under
// HKEY_CURRENT_USER\Software\Velmora\<application>\<section>, one REG_SZ value per key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace chronalign {

// The stored text, or defaultText when the key, the section or the application is missing or
// cannot be read.
std::string ReadSetting(std::string_view application, std::string_view section,
                        std::string_view key, std::string_view defaultText);

// As ReadSetting, but tells a store that holds something it cannot give back (a refused read, a
// value that is not a text) from one that holds nothing: the first gives nothing, the second
// defaultText. Loading leaves a control as it was when its read fails.
std::optional<std::string> TryReadSetting(std::string_view application, std::string_view section,
                                          std::string_view key, std::string_view defaultText);

// Stores the text, creating what is missing. Returns false when the store refused it.
bool WriteSetting(std::string_view application, std::string_view section, std::string_view key,
                  std::string_view text);

}  // namespace chronalign
