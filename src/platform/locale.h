// The locale facility: what the user's regional settings say about numbers and times.
#pragma once

#include <string>

#include "platform/clock.h"

namespace platform {

// The decimal separator of the user's regional settings ("." or "," and the like).
std::string DecimalSeparator();

// The digit-grouping separator of the user's regional settings ("," or "." or a blank).
std::string ThousandSeparator();

// The designators for times before noon and from noon on ("AM" and "PM" in English).
std::string AmDesignator();
std::string PmDesignator();

// Whether the byte starts a two-byte character in the system's ANSI code page (932, 936, 949
// and 950 have such characters, whose second byte may be a backslash's).
bool IsLeadByte(char byte);

// A time of day as text in the user's regional long-time format ("3:07:09 PM" in English
// (United States)).
std::string FormatLongTime(const TimeOfDay& time);

}  // namespace platform
