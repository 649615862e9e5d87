#include "settings/run_entry.h"

#include "settings/reg_key.h"
#include "settings/reg_text.h"

namespace chronalign {

namespace {

// Opens root\subKey for writing and writes the value there. False when the key would not open.
bool WriteUnder(platform::RegKey root, bool create, const std::string& subKey,
                const std::string& valueName, const std::string& data, std::uint32_t valueType) {
    RegKeyHolder key;
    const long opened = create ? platform::RegCreateKeyExA(root, subKey.c_str(),
                                                           platform::kKeySetValue, key.Receive())
                               : platform::RegOpenKeyExA(root, subKey.c_str(), 0,
                                                         platform::kKeySetValue, key.Receive());
    if (opened != platform::kErrorSuccess || !key)
        return false;
    RegWriteValue(key.get(), valueName, valueType, data);
    return true;
}

// Empties the value under root\subKey when there is one; nothing is added where there is none.
void EmptyWhereWritten(platform::RegKey root, const std::string& subKey,
                       const std::string& valueName, std::uint32_t valueType) {
    RegKeyHolder key;
    if (platform::RegOpenKeyExA(root, subKey.c_str(), 0,
                                platform::kKeyQueryValue | platform::kKeySetValue,
                                key.Receive()) != platform::kErrorSuccess ||
        !key)
        return;
    std::uint32_t type = 0;
    std::string stored;
    if (platform::RegQueryValueExA(key.get(), valueName.c_str(), &type, &stored) ==
        platform::kErrorSuccess)
        RegWriteValue(key.get(), valueName, valueType, std::string());
}

}  // namespace

void SetRunValue(const std::string& subKey, const std::string& valueName, const std::string& data,
                 std::uint32_t valueType) {
    if (!WriteUnder(platform::kHkeyLocalMachine, false, subKey, valueName, data, valueType)) {
        // An ordinary user may not change the machine-wide key; the user's own Run key starts
        // the program for that user all the same. It is created if a profile lacks it: the
        // user owns it.
        WriteUnder(platform::kHkeyCurrentUser, true, subKey, valueName, data, valueType);
        return;
    }
    // An earlier save, refused the machine's key, may have left a command in the user's: the
    // empty text empties it too, or the program would go on starting with Windows.
    if (valueType == platform::kRegSz && data.empty())
        EmptyWhereWritten(platform::kHkeyCurrentUser, subKey, valueName, valueType);
}

long RegWriteValue(platform::RegKey key, const std::string& valueName, std::uint32_t valueType,
                   const std::string& data) {
    if (valueType != platform::kRegSz)
        return platform::kErrorSuccess;
    return WriteText(key, valueName.c_str(), data);
}

}  // namespace chronalign
