#include "settings/run_entry.h"

#include <array>

#include "numbers/convert.h"
#include "settings/reg_key.h"

namespace chronalign {

namespace {

std::string TextOf(const RegData& data) {
    if (const auto* text = std::get_if<std::string>(&data))
        return *text;
    return std::to_string(std::get<std::int32_t>(data));
}

// A text that is not a number becomes 0, as every other conversion in the program does.
std::int32_t NumberOf(const RegData& data) {
    if (const auto* number = std::get_if<std::int32_t>(&data))
        return *number;
    return ToLong(std::get<std::string>(data));
}

long WriteBytes(platform::RegKey key, const std::string& valueName, std::uint32_t valueType,
                const std::uint8_t* bytes, std::size_t size) {
    return platform::RegSetValueExA(key, valueName.c_str(), 0, valueType, bytes,
                                    static_cast<std::uint32_t>(size));
}

// Opens root\subKey for writing and writes the value there. False when the key would not open.
bool WriteUnder(platform::RegKey root, bool create, const std::string& subKey,
                const std::string& valueName, const RegData& data, std::uint32_t valueType) {
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

bool IsEmptyText(const RegData& data) {
    const auto* text = std::get_if<std::string>(&data);
    return text != nullptr && text->empty();
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

void SetRunValue(const std::string& subKey, const std::string& valueName, const RegData& data,
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
    if (valueType == platform::kRegSz && IsEmptyText(data))
        EmptyWhereWritten(platform::kHkeyCurrentUser, subKey, valueName, valueType);
}

long RegWriteValue(platform::RegKey key, const std::string& valueName, std::uint32_t valueType,
                   const RegData& data) {
    if (valueType == platform::kRegSz) {
        const std::string bytes = TextOf(data) + '\0';
        return WriteBytes(key, valueName, valueType,
                          reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    if (valueType == platform::kRegDword) {
        const auto number = static_cast<std::uint32_t>(NumberOf(data));
        const std::array<std::uint8_t, 4> bytes = {
            static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
        return WriteBytes(key, valueName, valueType, bytes.data(), bytes.size());
    }
    return platform::kErrorSuccess;
}

}  // namespace chronalign
