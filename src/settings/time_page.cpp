#include "settings/time_page.h"

#include <algorithm>
#include <cstdint>

#include "base/identity.h"
#include "platform/registry.h"
#include "settings/reg_key.h"
#include "settings/reg_text.h"
#include "settings/store.h"

namespace chronalign {

namespace {

// The text at the key below HKEY_LOCAL_MACHINE, or empty when it is missing, unreadable or not
// a text. Asks for read access alone: every user may read the machine's keys, only
// administrators may change them.
std::string MachineText(const char* keyPath) {
    RegKeyHolder key;
    if (platform::RegOpenKeyExA(platform::kHkeyLocalMachine, keyPath, 0, platform::kKeyQueryValue,
                                key.Receive()) != platform::kErrorSuccess)
        return {};
    std::uint32_t type = 0;
    std::string data;
    if (platform::RegQueryValueExA(key.get(), identity::kTimePageValue, &type, &data) !=
            platform::kErrorSuccess ||
        type != platform::kRegSz)
        return {};
    return TextOf(data);
}

// The machine's own text, else the maker's page: what is left when no policy decides.
std::string MachineOrMakers() {
    if (std::string machine = MachineText(identity::kSettingsKey); !machine.empty())
        return machine;
    return identity::kMakersTimePage;
}

}  // namespace

std::string TimePageAddress() {
    if (std::string policy = MachineText(identity::kPolicyKey); !policy.empty())
        return policy;
    // An empty text is what an installer leaves when it was given no address: it names no page.
    if (std::string user = ReadSetting(identity::kSettingsApplication, identity::kSettingsSection,
                                       identity::kTimePageValue, "");
        !user.empty())
        return user;
    return MachineOrMakers();
}

std::string MachineTimePageAddress() {
    if (std::string policy = MachineText(identity::kPolicyKey); !policy.empty())
        return policy;
    return MachineOrMakers();
}

std::vector<std::string> ListedPages(std::string_view text) {
    std::vector<std::string> pages;
    for (std::size_t at = text.find_first_not_of(" \t");
         at != std::string_view::npos && pages.size() < kMostTimePages;
         at = text.find_first_not_of(" \t", at)) {
        const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
        pages.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return pages;
}

}  // namespace chronalign
