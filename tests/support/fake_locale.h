#pragma once

#include <string>

namespace fake {

// English (United States) by default.
struct LocaleState {
    std::string decimalSeparator = ".";
    std::string thousandSeparator = ",";
    std::string am = "AM";
    std::string pm = "PM";
    bool twentyFourHour = false;  // the long-time format: "15:07:09" instead of "3:07:09 PM"
    bool doubleByte = false;      // the ANSI code page is 932 (Japanese), not a one-byte one
    bool formatFails = false;     // FormatLongTime throws, as out of memory would
};

LocaleState& Locale();
void ResetLocale();

}  // namespace fake
