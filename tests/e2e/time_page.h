// The local time page the program reads in these tests: the host's own UTC time, so that a
// check comes out right and a set changes nothing, in the page and its Date header, as a real
// server sends one; or the same a number of days ahead; or, when taken down, an error page.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "http_server.h"

namespace e2e {

inline constexpr const char* kTimePagePath = "/cgi-bin/timer.pl";

class TimePage {
  public:
    TimePage();

    std::string Url() const { return server_.Url(kTimePagePath); }
    std::vector<testsupport::HttpRequest> Requests() const { return server_.Requests(); }
    int RequestCount() const { return static_cast<int>(server_.Requests().size()); }

    // Down: every request is still counted, and answered with 500 and a short page.
    void SetDown(bool down) { down_ = down; }
    // Slow: every byte of an answer comes 10 ms after the one before, so that a measure of its
    // several requests lasts many seconds.
    void SetSlow(bool slow) { slow_ = slow; }
    void SetDaysAhead(int days) { daysAhead_ = days; }

  private:
    testsupport::HttpReply Answer() const;

    std::atomic<bool> down_{false};
    std::atomic<bool> slow_{false};
    std::atomic<int> daysAhead_{0};
    testsupport::HttpServer server_;
};

// A page of well over 100 characters that states the given UTC time of day as "HH:MM:SS UTC".
std::string TimePageBody(int hour, int minute, int second);

}  // namespace e2e
