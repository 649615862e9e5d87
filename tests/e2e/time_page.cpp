#include "time_page.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

TimePage::TimePage() : server_([this](const testsupport::HttpRequest&) { return Answer(); }) {}

testsupport::HttpReply TimePage::Answer() const {
    if (down_)
        return testsupport::Status(500, "Internal Server Error", "down");
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    testsupport::HttpReply reply =
        testsupport::Ok(TimePageBody(now.wHour, now.wMinute, now.wSecond));
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
