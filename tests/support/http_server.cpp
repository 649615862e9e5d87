#include "http_server.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

namespace testsupport {

namespace {

// ---- The few socket calls that differ between Winsock and POSIX ---------------------------
#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
constexpr int kNoSignal = 0;
void CloseSocket(Socket s) {
    ::closesocket(s);
}
struct SocketLibrary {
    SocketLibrary() {
        WSADATA data{};
        ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~SocketLibrary() {
        if (ok)
            ::WSACleanup();
    }
    bool ok = false;
};
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
constexpr int kNoSignal = MSG_NOSIGNAL;  // a peer that went away must not kill the test
void CloseSocket(Socket s) {
    ::close(s);
}
struct SocketLibrary {
    bool ok = true;
};
#endif

using Clock = std::chrono::steady_clock;
constexpr auto kPoll = std::chrono::milliseconds(20);
constexpr auto kRequestDeadline = std::chrono::seconds(5);
constexpr auto kSendDeadline = std::chrono::seconds(20);
constexpr std::size_t kLongestRequest = 64 * 1024;

// Waits one poll interval for s to become readable (or writable); false on time-out or error.
bool Ready(Socket s, bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{0, static_cast<long>(std::chrono::microseconds(kPoll).count())};
    const int n = ::select(static_cast<int>(s) + 1, forWriting ? nullptr : &set,
                           forWriting ? &set : nullptr, nullptr, &wait);
    return n > 0;
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A socket bound to 127.0.0.1 at a free port, or kNoSocket.
Socket BoundSocket() {
    const Socket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == kNoSocket)
        return kNoSocket;
    const sockaddr_in a = Loopback(0);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        CloseSocket(s);
        return kNoSocket;
    }
    return s;
}

std::uint16_t PortOf(Socket s) {
    sockaddr_in a{};
    socklen_t size = sizeof a;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) != 0)
        return 0;
    return ntohs(a.sin_port);
}

// Makes the next close send a reset instead of an orderly end.
void ResetOnClose(Socket s) {
    linger l{};
    l.l_onoff = 1;
    l.l_linger = 0;
    ::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
}

// Readable with nothing to read: the peer has closed or reset the connection.
bool PeerGone(Socket s) {
    char byte = 0;
    return ::recv(s, &byte, 1, MSG_PEEK) <= 0;
}

// ---- Requests ---------------------------------------------------------------------------

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string HeaderValue(const std::string& raw, const std::string& name) {
    const std::string lower = Lower(raw);
    const std::size_t at = lower.find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos)
        return {};
    std::size_t from = at + 3 + name.size();
    while (from < raw.size() && raw[from] == ' ') ++from;
    const std::size_t end = raw.find("\r\n", from);
    return raw.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

HttpRequest Parse(std::string raw) {
    HttpRequest r;
    const std::size_t lineEnd = raw.find("\r\n");
    const std::string line = raw.substr(0, lineEnd);
    const std::size_t space1 = line.find(' ');
    const std::size_t space2 = line.find(' ', space1 == std::string::npos ? 0 : space1 + 1);
    r.method = line.substr(0, space1);
    if (space1 != std::string::npos)
        r.path = line.substr(space1 + 1,
                             space2 == std::string::npos ? std::string::npos : space2 - space1 - 1);
    r.userAgent = HeaderValue(raw, "User-Agent");
    r.raw = std::move(raw);
    return r;
}

}  // namespace

struct HttpServer::State {
    std::function<HttpReply(const HttpRequest&)> handler;
    SocketLibrary library;
    Socket listener = kNoSocket;
    std::uint16_t port = 0;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    std::vector<HttpRequest> requests;
    std::vector<Socket> held;  // stalled and silent connections, closed when the server stops
    std::thread thread;

    ~State() {
        for (Socket s : held) CloseSocket(s);
        if (listener != kNoSocket)
            CloseSocket(listener);
    }

    void Run();
    void Serve(Socket connection);
    bool ReadRequest(Socket connection, std::string& raw) const;
    bool Send(Socket connection, const std::string& bytes, std::size_t count) const;
    bool Trickle(Socket connection, const HttpReply& reply) const;
};

// The request line and headers: up to the blank line, a size bound or a deadline.
bool HttpServer::State::ReadRequest(Socket connection, std::string& raw) const {
    const auto deadline = Clock::now() + kRequestDeadline;
    char buffer[4096];
    while (!stop && Clock::now() < deadline && raw.size() < kLongestRequest) {
        if (!Ready(connection, false))
            continue;
        const auto n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        raw.append(buffer, static_cast<std::size_t>(n));
        if (raw.find("\r\n\r\n") != std::string::npos)
            return true;
    }
    return false;
}

// Sends the first count bytes; false when the peer went away, the server stops or time is up.
bool HttpServer::State::Send(Socket connection, const std::string& bytes, std::size_t count) const {
    const auto deadline = Clock::now() + kSendDeadline;
    std::size_t sent = 0;
    while (sent < count && !stop && Clock::now() < deadline) {
        if (!Ready(connection, true))
            continue;
        const int chunk = static_cast<int>(std::min<std::size_t>(count - sent, 16 * 1024));
        const auto n = ::send(connection, bytes.data() + sent, chunk, kNoSignal);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return sent == count;
}

// The headers, then one body byte per interval until the body is sent or the peer gives up.
bool HttpServer::State::Trickle(Socket connection, const HttpReply& reply) const {
    const std::size_t headers = reply.dripHeaders ? 0 : reply.bytes.find("\r\n\r\n") + 4;
    if (!Send(connection, reply.bytes, std::min(headers, reply.bytes.size())))
        return false;
    for (std::size_t at = headers; at < reply.bytes.size(); ++at) {
        const auto next = Clock::now() + reply.byteInterval;
        while (!stop && Clock::now() < next)
            if (Ready(connection, false) && PeerGone(connection))
                return false;
        if (stop || ::send(connection, reply.bytes.data() + at, 1, kNoSignal) != 1)
            return false;
    }
    return true;
}

void HttpServer::State::Serve(Socket connection) {
    std::string raw;
    if (!ReadRequest(connection, raw)) {
        CloseSocket(connection);
        return;
    }
    HttpRequest request = Parse(std::move(raw));
    {
        const std::lock_guard lock(mutex);
        requests.push_back(request);
    }
    HttpReply reply;
    try {
        reply = handler(request);
    } catch (...) {
        reply = Status(500, "Handler Failed", "");
    }
    if (reply.byteInterval.count() > 0) {
        Trickle(connection, reply);
        CloseSocket(connection);
        return;
    }
    const std::size_t count = reply.silent ? 0 : std::min(reply.stallAfter, reply.bytes.size());
    const bool sent = Send(connection, reply.bytes, count);
    const bool stalls = reply.silent || count < reply.bytes.size();
    if (sent && stalls && !reply.resetAfterStall) {
        const std::lock_guard lock(mutex);
        held.push_back(connection);
        return;
    }
    if (reply.resetAfterStall)
        ResetOnClose(connection);
    CloseSocket(connection);
}

void HttpServer::State::Run() {
    while (!stop) {
        if (!Ready(listener, false))
            continue;
        const Socket connection = ::accept(listener, nullptr, nullptr);
        if (connection != kNoSocket)
            Serve(connection);
    }
}

HttpServer::HttpServer(std::function<HttpReply(const HttpRequest&)> handler)
    : state_(std::make_unique<State>()) {
    state_->handler = std::move(handler);
    if (!state_->library.ok)
        throw std::runtime_error("HttpServer: no socket library");
    state_->listener = BoundSocket();
    if (state_->listener == kNoSocket || ::listen(state_->listener, 16) != 0)
        throw std::runtime_error("HttpServer: cannot listen on 127.0.0.1");
    state_->port = PortOf(state_->listener);
    state_->thread = std::thread([s = state_.get()] { s->Run(); });
}

HttpServer::~HttpServer() {
    state_->stop = true;
    if (state_->thread.joinable())
        state_->thread.join();
}

std::uint16_t HttpServer::Port() const {
    return state_->port;
}

std::string HttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(state_->port) + path;
}

std::vector<HttpRequest> HttpServer::Requests() const {
    const std::lock_guard lock(state_->mutex);
    return state_->requests;
}

HttpReply Status(int code, std::string reason, std::string body) {
    HttpReply r;
    r.bytes = "HTTP/1.1 " + std::to_string(code) + " " + reason +
              "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
              "\r\nConnection: close\r\n\r\n" + body;
    return r;
}

HttpReply Ok(std::string body) {
    return Status(200, "OK", std::move(body));
}

std::uint16_t RefusedPort() {
    const SocketLibrary library;
    const Socket s = BoundSocket();
    if (s == kNoSocket)
        return 0;
    const std::uint16_t port = PortOf(s);
    CloseSocket(s);  // bound and released without listening: nothing answers there now
    return port;
}

}  // namespace testsupport
