// A loopback HTTP/1.x server for tests: it answers each request with whatever the test's
// handler returns, including broken replies (a stall half way, a reset, no answer at all).
// Each connection carries one request and is closed after its reply (or held, when told to).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct HttpRequest {
    std::string method, path, userAgent;
    std::string raw;  // the request line and headers as received
};

struct HttpReply {
    std::string bytes;  // the whole response: status line, headers, body
    // Send this many bytes, then hold the connection open silently until the server stops.
    std::size_t stallAfter = SIZE_MAX;
    bool resetAfterStall = false;  // instead of holding: reset the connection (SO_LINGER 0 + close)
    bool silent = false;           // accept, read the request, and say nothing at all
    // Send the headers at once, then the body one byte at a time, this far apart.
    std::chrono::milliseconds byteInterval{0};
    bool dripHeaders = false;  // with byteInterval: the status line and headers too
};

// 200 with Content-Length and "Connection: close".
HttpReply Ok(std::string body);
HttpReply Status(int code, std::string reason, std::string body);

class HttpServer {
  public:
    // Listens on 127.0.0.1 at a free port; the handler runs on the server's own thread.
    explicit HttpServer(std::function<HttpReply(const HttpRequest&)> handler);
    ~HttpServer();  // stops and joins within a fraction of a second; held connections close

    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t Port() const;
    std::string Url(const std::string& path) const;  // "http://127.0.0.1:PORT" + path
    std::vector<HttpRequest> Requests() const;       // thread-safe copy, in order of arrival

    struct State;

  private:
    std::unique_ptr<State> state_;
};

// A port on 127.0.0.1 where nothing listens (connections are refused).
std::uint16_t RefusedPort();

}  // namespace testsupport
