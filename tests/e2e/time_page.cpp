#include "time_page.h"

#include <windows.h>

#include <cstdio>

#include "http_date_text.h"

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
    testsupport::HttpReply reply = testsupport::Ok(TimePageBody(t.wHour, t.wMinute, t.wSecond));
    reply.bytes.insert(reply.bytes.find("\r\n") + 2,
                       "Date: " +
                           testsupport::HttpDateText(t.wDayOfWeek, t.wDay, t.wMonth, t.wYear,
                                                     t.wHour, t.wMinute, t.wSecond) +
                           "\r\n");
    if (slow_)
        reply.byteInterval = std::chrono::milliseconds(10);
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
