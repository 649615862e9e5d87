#include "http_faults.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

#include <cstdio>
#include <memory>

namespace testsupport {

namespace {

using namespace std::chrono_literals;

constexpr const char* kPath = "/cgi-bin/timer.pl";

std::string Filler(std::size_t size) {
    std::string s;
    while (s.size() < size) s += "<p>filler line " + std::to_string(s.size()) + "</p>\n";
    s.resize(size);
    return s;
}

std::string TimeNow() {
    int h = 0, m = 0, s = 0;
#ifdef _WIN32
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    h = now.wHour, m = now.wMinute, s = now.wSecond;
#else
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    h = utc.tm_hour, m = utc.tm_min, s = utc.tm_sec;
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
    return text;
}

HttpReply Raw(std::string bytes) {
    HttpReply r;
    r.bytes = std::move(bytes);
    return r;
}

std::size_t HeaderLength(const HttpReply& r) {
    return r.bytes.find("\r\n\r\n") + 4;
}

// The time stands far into the body, past where the broken replies break off.
std::string LateTimePage() {
    return Filler(3000) + TimePageNow();
}

HttpReply Redirect(const std::string& to) {
    return Raw("HTTP/1.1 302 Found\r\nLocation: " + to +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
}

}  // namespace

std::string TimePageNow() {
    return "<html><head><title>Time page</title></head>\n<body>\n<p>The time of day in "
           "Coordinated Universal Time:</p>\n<p>" +
           TimeNow() + " UTC</p>\n</body></html>\n";
}

std::vector<FaultCase> FaultCases() {
    using R = const HttpRequest&;
    using O = const std::string&;
    std::vector<FaultCase> cases = {
        {"connection refused", false, nullptr, 0},
        {"accepted and silent", false,
         [](R, O) {
             HttpReply r;
             r.silent = true;
             return r;
         },
         0, true},
        {"stalled after 2048 body bytes", false,
         [](R, O) {
             HttpReply r = Ok(LateTimePage());
             r.stallAfter = HeaderLength(r) + 2048;
             return r;
         },
         {}},
        {"reset in the middle of the body", false,
         [](R, O) {
             HttpReply r = Ok(LateTimePage());
             r.stallAfter = HeaderLength(r) + 1500;
             r.resetAfterStall = true;
             return r;
         }},
        {"one byte a second", false,
         [](R, O) {
             HttpReply r = Ok(TimePageNow());
             r.byteInterval = 1s;
             return r;
         }},
        // Each read gets its byte in time: no time-out of the library's ends the call, only the
        // waiting side's limit.
        {"headers one byte a second", false,
         [](R, O) {
             HttpReply r = Ok(TimePageNow());
             r.byteInterval = 1s;
             r.dripHeaders = true;
             return r;
         }},
        {"a body of 10 MB", true, [](R, O) { return Ok(TimePageNow() + Filler(10 << 20)); },
         64 * 1024},
        {"binary and NUL bytes around a valid time", true,
         [](R, O) {
             const std::string binary("\x00\xff\xfe\x01\x80\x00\x1b[0m\x00", 12);
             return Ok(binary + Filler(200) + binary + TimePageNow() + binary);
         }},
        {"broken chunked encoding", false,
         [](R, O) {
             return Raw(
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                 "zz;\r\n" +
                 TimePageNow() + "\r\n0\r\n\r\n");
         }},
        {"a Content-Length longer than the body", true,
         [](R, O) {
             const std::string body = TimePageNow();
             return Raw("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size() + 500) +
                        "\r\nConnection: close\r\n\r\n" + body);
         }},
        {"a redirect to a good page", true,
         [](R r, O origin) {
             return r.path == "/good" ? Ok(TimePageNow()) : Redirect(origin + "/good");
         }},
        {"a redirect loop", false, [](R, O origin) { return Redirect(origin + kPath); }},
        {"an answer a cache kept (Age: 5)", false,
         [](R, O) {
             HttpReply r = Ok(TimePageNow());
             r.bytes.insert(r.bytes.find("\r\n") + 2, "Age: 5\r\n");
             return r;
         },
         {}, true},
        {"\" UTC\" across a 1024-byte read boundary", true,
         [](R, O) {
             // The time's last digit is byte 1021, so " U" ends the first read and "TC" begins
             // the second.
             const std::string page = TimePageNow();
             const std::size_t marker = page.find(" UTC");
             return Ok(Filler(1022 - marker) + page);
         }},
    };
    for (int code : {404, 500, 503})
        for (bool withTime : {false, true}) {
            const std::string reason = code == 404   ? "Not Found"
                                       : code == 500 ? "Internal Server Error"
                                                     : "Service Unavailable";
            cases.push_back({"status " + std::to_string(code) + (withTime ? " with" : " without") +
                                 " a valid time",
                             withTime,
                             [=](R, O) {
                                 const std::string page = "<html><body><h1>" + reason + "</h1>" +
                                                          Filler(200) + "</body></html>";
                                 return Status(code, reason, withTime ? TimePageNow() : page);
                             },
                             {}, code == 404});
        }
    return cases;
}

FaultServer::FaultServer(const FaultCase& fault) {
    if (!fault.reply) {
        url_ = "http://127.0.0.1:" + std::to_string(RefusedPort()) + kPath;
        return;
    }
    // The handler needs the origin, which is known once the server listens; it runs only then.
    auto origin = std::make_shared<std::string>();
    server_.emplace([fault, origin](const HttpRequest& r) { return fault.reply(r, *origin); });
    *origin = "http://127.0.0.1:" + std::to_string(server_->Port());
    url_ = *origin + kPath;
}

}  // namespace testsupport
