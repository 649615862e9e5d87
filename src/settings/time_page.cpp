#include "settings/time_page.h"

#include <cstdint>

#include "base/identity.h"
#include "platform/registry.h"
#include "settings/reg_key.h"
#include "settings/store.h"

namespace chronalign {

namespace {

constexpr const char* kValueName = "TimePage";

// The machine-wide text, or empty when it is missing, unreadable or not a text. Asks for read
// access alone: every user may read the machine's key, only administrators may change it.
std::string MachineTimePage() {
    RegKeyHolder key;
    if (platform::RegOpenKeyExA(platform::kHkeyLocalMachine, identity::kSettingsKey, 0,
                                platform::kKeyQueryValue, key.Receive()) != platform::kErrorSuccess)
        return {};
    std::uint32_t type = 0;
    std::string data;
    if (platform::RegQueryValueExA(key.get(), kValueName, &type, &data) !=
            platform::kErrorSuccess ||
        type != platform::kRegSz)
        return {};
    return data.substr(0, data.find('\0'));
}

}  // namespace

std::string TimePageAddress() {
    // An empty text is what an installer leaves when it was given no address: it names no page.
    if (std::string user =
            ReadSetting(identity::kSettingsApplication, identity::kSettingsSection, kValueName, "");
        !user.empty())
        return user;
    return MachineTimePageAddress();
}

std::string MachineTimePageAddress() {
    if (std::string machine = MachineTimePage(); !machine.empty())
        return machine;
    return identity::kMakersTimePage;
}

}  // namespace chronalign
