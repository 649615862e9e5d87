// An HTTP date in its preferred form, "Tue, 09 Dec 2025 14:05:09 GMT", for the test pages'
// Date headers.
#pragma once

#include <cstdio>
#include <string>

namespace testsupport {

inline std::string HttpDateText(int dayOfWeek, int day, int month, int year, int hour, int minute,
                                int second) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[dayOfWeek % 7],
                  day, kMonths[(month + 11) % 12], year, hour, minute, second);
    return text;
}

}  // namespace testsupport
