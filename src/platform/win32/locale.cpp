#include "platform/locale.h"

#include <windows.h>

namespace platform {

namespace {

// The user's setting, or fallback when it cannot be read (or, unless it may be, is empty).
std::string LocaleText(LCTYPE item, const char* fallback, bool mayBeEmpty = false) {
    char text[96] = {};
    const int length = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, item, text, sizeof text);
    if (length > 1 || (length == 1 && mayBeEmpty))
        return std::string(text, static_cast<std::size_t>(length - 1));
    return fallback;
}

}  // namespace

std::string DecimalSeparator() {
    return LocaleText(LOCALE_SDECIMAL, ".");
}
std::string ThousandSeparator() {
    return LocaleText(LOCALE_STHOUSAND, ",");
}
// A user who gave no designator (a 24-hour habit) gets none, not an English one.
std::string AmDesignator() {
    return LocaleText(LOCALE_S1159, "AM", true);
}
std::string PmDesignator() {
    return LocaleText(LOCALE_S2359, "PM", true);
}

bool IsLeadByte(char byte) {
    return ::IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
}

std::string FormatLongTime(const TimeOfDay& time) {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);  // a valid date beside the time of day
    t.wHour = static_cast<WORD>(time.hour);
    t.wMinute = static_cast<WORD>(time.minute);
    t.wSecond = static_cast<WORD>(time.second);
    t.wMilliseconds = 0;
    char text[96] = {};
    // No format of our own: the user's long-time format.
    const int length = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, text, sizeof text);
    if (length > 1)
        return std::string(text, static_cast<std::size_t>(length - 1));
    const std::string hh = std::to_string(time.hour);
    const auto two = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    return hh + ":" + two(time.minute) + ":" + two(time.second);
}

}  // namespace platform
