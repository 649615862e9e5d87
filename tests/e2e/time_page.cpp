#include "time_page.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

TimePage::TimePage() : server_([this](const testsupport::HttpRequest&) { return Answer(); }) {}

testsupport::HttpReply TimePage::Answer() const {
    if (down_)
        return testsupport::Status(500, "Internal Server Error", "down");
    FILETIME file{};
    ::GetSystemTimeAsFileTime(&file);
    ULARGE_INTEGER at{};
    at.LowPart = file.dwLowDateTime;
    at.HighPart = file.dwHighDateTime;
    at.QuadPart += static_cast<ULONGLONG>(daysAhead_) * 86400 * 10'000'000;
    file.dwLowDateTime = at.LowPart;
    file.dwHighDateTime = at.HighPart;
    SYSTEMTIME t{};
    ::FileTimeToSystemTime(&file, &t);
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char date[48];
    std::snprintf(date, sizeof date, "Date: %s, %02u %s %04u %02u:%02u:%02u GMT\r\n",
                  kDays[t.wDayOfWeek], t.wDay, kMonths[t.wMonth - 1], t.wYear, t.wHour, t.wMinute,
                  t.wSecond);
    testsupport::HttpReply reply = testsupport::Ok(TimePageBody(t.wHour, t.wMinute, t.wSecond));
    reply.bytes.insert(reply.bytes.find("\r\n") + 2, date);
    return reply;
}

std::string TimePageBody(int hour, int minute, int second) {
    char time[32] = {};
    std::snprintf(time, sizeof time, "%02d:%02d:%02d UTC", hour, minute, second);
    return std::string("<html><head><title>Local time page</title></head>\n<body>\n") +
           "<p>The time of day in Coordinated Universal Time, served for the tests:</p>\n<p>" +
           time + "</p>\n</body></html>\n";
}

}  // namespace e2e
