#include "fake_internet.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "fake_clock.h"
#include "fake_log.h"

namespace fake {

namespace {

struct Request {
    Download download;
    std::size_t offset = 0;
    int reads = 0;
};

std::map<platform::InternetHandle, std::optional<Request>>& Handles() {
    static std::map<platform::InternetHandle, std::optional<Request>> handles;
    return handles;
}

// Each connection's address up to its path, as the URL it came from spelled it.
std::map<platform::InternetHandle, std::string>& Servers() {
    static std::map<platform::InternetHandle, std::string> servers;
    return servers;
}

// The next scripted download, for a request already made: nothing when there is none or it
// cannot be opened.
std::optional<Request> TakeDownload() {
    auto& net = Internet();
    ++net.opens;
    if (net.downloads.empty())
        return std::nullopt;
    Download d = std::move(net.downloads.front());
    net.downloads.pop_front();
    if (d.onOpen)
        d.onOpen();
    if (d.live) {
        d.body = d.live();
        Advance(1);
    }
    if (!d.body)
        return std::nullopt;
    return Request{std::move(d)};
}

platform::InternetHandle& NextHandle() {
    static platform::InternetHandle next = 0x100;
    return next;
}

std::string Quote(const char* s) {
    return s ? "\"" + std::string(s) + "\"" : "null";
}

}  // namespace

InternetState& Internet() {
    static InternetState state;
    return state;
}

void ResetInternet() {
    Internet() = InternetState{};
    Handles().clear();
    Servers().clear();
    NextHandle() = 0x100;
}

void Serve(std::string body) {
    Internet().downloads.push_back({std::move(body), -1, {}, {}, {}});
}
void ServeLive(std::function<std::string()> page, int times) {
    for (int i = 0; i < times; ++i) Internet().downloads.push_back({std::string(), -1, {}, {}, page});
}

void ServeNothing() {
    Internet().downloads.push_back({std::nullopt, -1, {}, {}, {}});
}

}  // namespace fake

namespace platform {

InternetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxyName,
                             const char* proxyBypass, std::uint32_t flags) {
    fake::Record("InternetOpenA " + fake::Quote(agent) + " " + std::to_string(accessType) + " " +
                 fake::Quote(proxyName) + " " + fake::Quote(proxyBypass) + " " +
                 std::to_string(flags));
    fake::Internet().agents.push_back(agent ? agent : "");
    if (fake::Internet().openFails)
        return 0;
    const InternetHandle h = fake::NextHandle()++;
    fake::Handles()[h] = std::nullopt;
    ++fake::Internet().openHandles;
    return h;
}

InternetHandle InternetOpenUrlA(InternetHandle internet, const char* url, const char* headers,
                                std::uint32_t headersLength, std::uint32_t flags,
                                std::uintptr_t context) {
    fake::Record("InternetOpenUrlA " + std::to_string(internet) + " " + fake::Quote(url) + " " +
                 fake::Quote(headers) + " " + std::to_string(headersLength) + " " +
                 std::to_string(flags) + " " + std::to_string(context));
    fake::Internet().urls.push_back(url ? url : "");
    if (!fake::Handles().contains(internet)) {
        ++fake::Internet().opens;
        return 0;
    }
    std::optional<fake::Request> r = fake::TakeDownload();
    if (!r)
        return 0;
    const InternetHandle h = fake::NextHandle()++;
    fake::Handles()[h] = std::move(r);
    ++fake::Internet().openHandles;
    return h;
}

InternetHandle InternetConnectA(InternetHandle internet, const char* server, std::uint16_t port) {
    fake::Record("InternetConnectA " + std::to_string(internet) + " " + fake::Quote(server) + " " +
                 std::to_string(port));
    if (!fake::Handles().contains(internet))
        return 0;
    const InternetHandle h = fake::NextHandle()++;
    fake::Handles()[h] = std::nullopt;
    fake::Servers()[h] = std::string(server) + ":" + std::to_string(port);
    ++fake::Internet().openHandles;
    return h;
}

InternetHandle HttpOpenRequestA(InternetHandle connection, const char* object, std::uint32_t flags) {
    fake::Record("HttpOpenRequestA " + std::to_string(connection) + " " + fake::Quote(object) +
                 " " + std::to_string(flags));
    if (!fake::Servers().contains(connection))
        return 0;
    const bool secure = (flags & kInternetFlagSecure) != 0;
    fake::Internet().urls.push_back((secure ? "https://" : "http://") +
                                    fake::Servers()[connection] + object);
    const InternetHandle h = fake::NextHandle()++;
    fake::Handles()[h] = std::nullopt;
    ++fake::Internet().openHandles;
    return h;
}

bool HttpSendRequestA(InternetHandle request) {
    fake::Record("HttpSendRequestA " + std::to_string(request));
    if (!fake::Handles().contains(request))
        return false;
    std::optional<fake::Request> r = fake::TakeDownload();
    if (!r)
        return false;
    fake::Handles()[request] = std::move(r);
    return true;
}

bool InternetSetTimeouts(InternetHandle internet, std::uint32_t milliseconds) {
    fake::Record("InternetSetTimeouts " + std::to_string(internet) + " " +
                 std::to_string(milliseconds));
    fake::Internet().timeoutMs = milliseconds;
    return fake::Handles().contains(internet);
}

bool InternetReadFile(InternetHandle handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead) {
    fake::Record("InternetReadFile " + std::to_string(handle) + " " + std::to_string(bytesToRead));
    *bytesRead = 0;
    auto it = fake::Handles().find(handle);
    if (it == fake::Handles().end() || !it->second)
        return false;
    if (const auto onRead = it->second->download.onRead) {
        onRead(it->second->reads);
        it = fake::Handles().find(handle);  // the hook may have closed it
        if (it == fake::Handles().end())
            return false;
    }
    fake::Request& r = *it->second;
    if (r.reads++ == r.download.failingRead)
        return false;
    const std::string& body = *r.download.body;
    const std::size_t n = std::min<std::size_t>(bytesToRead, body.size() - r.offset);
    std::memcpy(buffer, body.data() + r.offset, n);
    r.offset += n;
    *bytesRead = static_cast<std::uint32_t>(n);
    return true;
}

bool InternetCloseHandle(InternetHandle handle) {
    fake::Record("InternetCloseHandle " + std::to_string(handle));
    fake::Servers().erase(handle);
    if (fake::Handles().erase(handle) == 0)
        return false;
    --fake::Internet().openHandles;
    return true;
}

}  // namespace platform
