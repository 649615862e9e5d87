#include "fake_page_connection.h"

#include <algorithm>

#include "fake_clock.h"
#include "fake_log.h"

namespace fake {

InternetState& Internet() {
    static InternetState state;
    return state;
}

void ResetInternet() {
    Internet() = InternetState{};
}

void Serve(std::string body) {
    Internet().downloads.push_back({.body = std::move(body)});
}

void ServeLive(std::function<std::string()> page, int times) {
    for (int i = 0; i < times; ++i) Internet().downloads.push_back({.live = page});
}

void ServeNothing() {
    Internet().downloads.push_back({.body = std::nullopt});
}

}  // namespace fake

namespace platform {

struct PageConnection {
    std::string url;
};

void PageConnectionCloser::operator()(PageConnection* connection) const {
    fake::Record("ClosePage");
    --fake::Internet().openConnections;
    delete connection;
}

PageConnectionPtr ConnectToPage(const PageAddress& address, std::uint64_t deadline) {
    // The address as it would be written, its port left out where it is the scheme's own.
    const bool ownPort = address.port == (address.secure ? 443 : 80);
    const std::string url = (address.secure ? "https://" : "http://") + address.host +
                            (ownPort ? "" : ":" + std::to_string(address.port)) + address.object;
    fake::Record("ConnectToPage " + url);
    if (fake::Internet().connectFails || TickMilliseconds() >= deadline)
        return nullptr;
    ++fake::Internet().connections;
    ++fake::Internet().openConnections;
    return PageConnectionPtr(new PageConnection{url});
}

std::optional<PageAnswer> RequestPage(PageConnection& connection, std::int64_t at,
                                      std::uint64_t deadline) {
    fake::Record("RequestPage");
    WaitUntil(at);
    auto& net = fake::Internet();
    ++net.opens;
    net.urls.push_back(connection.url);
    const auto own = net.pages.find(connection.url);
    std::deque<fake::Download>& queue = own != net.pages.end() ? own->second : net.downloads;
    if (queue.empty())
        return std::nullopt;
    fake::Download d = std::move(queue.front());
    queue.pop_front();
    PageAnswer answer;
    answer.sent = PreciseSystemTime();
    if (d.onOpen)
        d.onOpen();
    if (d.live)
        d.body = d.live();
    if (d.liveDate)
        d.date = d.liveDate();
    // A server slower than the deadline: the call returns at the deadline without an answer.
    const std::uint64_t now = TickMilliseconds();
    if (!d.body || now + static_cast<std::uint64_t>(d.takesMs) > deadline) {
        fake::Advance(static_cast<std::int64_t>(std::max(now, deadline) - now));
        return std::nullopt;
    }
    fake::Advance(d.takesMs);
    answer.body = d.body->substr(0, kPageMostBytes);
    answer.complete = !d.broken;
    answer.age = d.age;
    answer.date = d.date;
    answer.arrived = PreciseSystemTime();
    return answer;
}

}  // namespace platform
