// The faulty time pages that both the download and the real program are tried against: one
// server each, so that a slow case holds up no other and cases can run side by side.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "http_server.h"

namespace testsupport {

struct FaultCase {
    std::string name;
    bool holdsTime;  // what the download returns holds the host's time of day
    // The reply, given the server's origin ("http://127.0.0.1:PORT"). Empty for the one case
    // that has no server: the connection is refused.
    std::function<HttpReply(const HttpRequest&, const std::string& origin)> reply;
    // The download's exact length, where it does not hang on a library's time-out (which Wine's
    // ignore).
    std::optional<std::size_t> textSize = {};
    // Also tried with the real program: what only it shows (the window answering through a
    // stall, the status of a bad page); the rest is the page connection's, tried beneath it.
    bool inProgram = false;
};

std::vector<FaultCase> FaultCases();

// A page of well over 100 characters that states the host's UTC time of day now.
std::string TimePageNow();

// A case's server (none for a refused connection) and the address of its page.
class FaultServer {
  public:
    explicit FaultServer(const FaultCase& fault);
    std::string Url() const { return url_; }

  private:
    std::string url_;
    std::optional<HttpServer> server_;
};

}  // namespace testsupport
