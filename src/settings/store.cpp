#include "settings/store.h"

#include <cstdint>

#include "base/identity.h"
#include "platform/registry.h"
#include "settings/reg_key.h"
#include "settings/reg_text.h"

namespace chronalign {

namespace {

// A name goes to the system as a C string: a NUL inside would cut it to another name. An empty
// key would be the key's unnamed default value, which is nobody's setting.
bool IsName(std::string_view name) {
    return !name.empty() && name.find('\0') == std::string_view::npos;
}

// The application and the section are one level of the tree each: a backslash would address
// some other key than the caller's.
bool IsOneLevel(std::string_view name) {
    return IsName(name) && name.find('\\') == std::string_view::npos;
}

bool IsAddress(std::string_view application, std::string_view section, std::string_view key) {
    return IsOneLevel(application) && IsOneLevel(section) && IsName(key);
}

std::string KeyPath(std::string_view application, std::string_view section) {
    return std::string(identity::kSettingsRoot) + "\\" + std::string(application) + "\\" +
           std::string(section);
}

}  // namespace

std::optional<std::string> TryReadSetting(std::string_view application, std::string_view section,
                                          std::string_view key, std::string_view defaultText) {
    if (!IsAddress(application, section, key))
        return std::string(defaultText);
    RegKeyHolder open;
    const long opened =
        platform::RegOpenKeyExA(platform::kHkeyCurrentUser, KeyPath(application, section).c_str(),
                                0, platform::kKeyQueryValue, open.Receive());
    if (opened == platform::kErrorFileNotFound)
        return std::string(defaultText);
    if (opened != platform::kErrorSuccess)
        return std::nullopt;

    std::uint32_t type = 0;
    std::string data;
    const long read =
        platform::RegQueryValueExA(open.get(), std::string(key).c_str(), &type, &data);
    if (read == platform::kErrorFileNotFound)
        return std::string(defaultText);
    if (read != platform::kErrorSuccess || type != platform::kRegSz)
        return std::nullopt;
    return TextOf(data);
}

std::string ReadSetting(std::string_view application, std::string_view section,
                        std::string_view key, std::string_view defaultText) {
    return TryReadSetting(application, section, key, defaultText)
        .value_or(std::string(defaultText));
}

bool WriteSetting(std::string_view application, std::string_view section, std::string_view key,
                  std::string_view text) {
    // A text with a NUL inside would come back cut short: refused whole, the old text stays.
    if (!IsAddress(application, section, key) || text.find('\0') != std::string_view::npos)
        return false;
    RegKeyHolder open;
    if (platform::RegCreateKeyExA(platform::kHkeyCurrentUser, KeyPath(application, section).c_str(),
                                  platform::kKeySetValue,
                                  open.Receive()) != platform::kErrorSuccess)
        return false;
    return WriteText(open.get(), std::string(key).c_str(), text) == platform::kErrorSuccess;
}

}  // namespace chronalign
