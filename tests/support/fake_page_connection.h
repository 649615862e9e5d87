// A scripted network: each request on a page connection takes the next scripted answer.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/page_connection.h"

namespace fake {

// Each member has its default, so that a script names only what it changes.
struct Download {
    std::optional<std::string> body{};    // nothing: no answer comes
    std::function<void()> onOpen{};       // runs when the request is sent (the clock moves, say)
    std::function<std::string()> live{};  // makes the body when the request is sent, instead
    std::string age{};                    // the answer's Age header; empty for none
    std::string date{};                   // its Date header; empty for none
    std::function<std::string()> liveDate{};  // makes the Date header when sent, instead
    bool broken = false;                  // the body breaks off after what it holds
    std::int64_t takesMs = 1;  // from sending to the whole body; past the deadline, no answer
};

struct InternetState {
    bool connectFails = false;
    std::deque<Download> downloads;  // none left: no answer comes
    // A page's own answers, by its address as the connection writes it; a request to any other
    // takes from downloads.
    std::map<std::string, std::deque<Download>> pages;
    std::vector<std::string> urls;   // each request's address
    int connections = 0;             // connections made
    int opens = 0;                   // requests made
    int openConnections = 0;         // connections not yet closed
};

InternetState& Internet();
void ResetInternet();

// Scripts the next answer.
void Serve(std::string body);
void ServeNothing();  // no answer comes

// Scripts the next answers: each states what page() makes when its request is sent, and arrives
// a millisecond later (the clock moves on).
void ServeLive(std::function<std::string()> page, int times);

}  // namespace fake
