// The local time page the program reads in these tests: the host's own UTC time, so that a
// check comes out right and a set changes nothing; or, when taken down, an error page.
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

  private:
    testsupport::HttpReply Answer() const;

    std::atomic<bool> down_{false};
    std::atomic<bool> slow_{false};
    testsupport::HttpServer server_;
};

// A page of well over 100 characters that states the given UTC time of day as "HH:MM:SS UTC".
std::string TimePageBody(int hour, int minute, int second);

}  // namespace e2e
