// A scripted WinINet: each InternetOpenUrlA or HttpSendRequestA takes the next scripted download.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/internet.h"

namespace fake {

struct Download {
    std::optional<std::string> body;  // nothing: the URL cannot be opened
    int failingRead = -1;             // the 0-based read that fails, -1 for none
    std::function<void()> onOpen;     // runs when the URL is opened (the clock moves, say)
    std::function<void(int)> onRead;  // runs before each read, given its 0-based number
    std::function<std::string()> live;  // makes the body when the request is sent, instead
};

struct InternetState {
    bool openFails = false;          // InternetOpenA returns 0
    std::deque<Download> downloads;  // none left: the URL cannot be opened
    std::vector<std::string> agents, urls;  // agents: one for each download or measure
    int opens = 0;        // requests: InternetOpenUrlA and HttpSendRequestA calls
    int openHandles = 0;  // handles not yet closed
    std::uint32_t timeoutMs = 0;
};

InternetState& Internet();
void ResetInternet();

// Scripts the next download.
void Serve(std::string body);
void ServeNothing();  // the URL cannot be opened

// Scripts the next downloads: each states what page() makes when its request is sent, and its
// answer arrives a millisecond later (the clock moves on).
void ServeLive(std::function<std::string()> page, int times);

}  // namespace fake
