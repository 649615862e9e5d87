#include "fake_locale.h"

#include <cstdio>
#include <stdexcept>

#include "platform/locale.h"

namespace fake {

LocaleState& Locale() {
    static LocaleState state;
    return state;
}

void ResetLocale() {
    Locale() = LocaleState{};
}

}  // namespace fake

namespace platform {

std::string DecimalSeparator() {
    return fake::Locale().decimalSeparator;
}
std::string ThousandSeparator() {
    return fake::Locale().thousandSeparator;
}
std::string AmDesignator() {
    return fake::Locale().am;
}
std::string PmDesignator() {
    return fake::Locale().pm;
}

bool IsLeadByte(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return fake::Locale().doubleByte && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
}

std::string FormatLongTime(const TimeOfDay& t) {
    if (fake::Locale().formatFails)
        throw std::runtime_error("FormatLongTime");
    char text[32];
    if (fake::Locale().twentyFourHour) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        return text;
    }
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour12, t.minute, t.second,
                  (t.hour < 12 ? fake::Locale().am : fake::Locale().pm).c_str());
    return text;
}

}  // namespace platform
