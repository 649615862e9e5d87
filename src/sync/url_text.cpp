#include "sync/url_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/clock.h"
#include "platform/internet.h"
#include "platform/worker.h"
#include "sync/download_limits.h"

namespace chronalign {

namespace {

using platform::InternetHandle;

// One download: its Internet handles and what it has read, shared by the thread that downloads
// and the side that waits for it. The handles are closed once, by the download when it is done
// or by the waiting side at the deadline, which is what makes a blocked call return; once they
// are closed nothing more is opened or kept.
class Download {
  public:
    void Fetch(const std::string& url);
    void Close();
    std::string Text() const;

  private:
    // Keeps a handle just opened for closing; false (and the handle closed) when the download
    // was closed in the meantime, or when there is none.
    bool Keep(InternetHandle& slot, InternetHandle opened);
    bool ReadChunk(InternetHandle request, char* buffer);

    mutable std::mutex mutex_;
    InternetHandle internet_ = 0;
    InternetHandle request_ = 0;
    bool closed_ = false;
    std::string text_;
};

void Download::Fetch(const std::string& url) {
    struct CloseAtEnd {
        Download& download;
        ~CloseAtEnd() { download.Close(); }
    } const closer{*this};

    const InternetHandle internet = platform::InternetOpenA(
        download::kAgent, platform::kInternetOpenTypePreconfig, nullptr, nullptr, 0);
    if (!Keep(internet_, internet))
        return;
    platform::InternetSetTimeouts(internet, download::kStepMs);
    const InternetHandle request = platform::InternetOpenUrlA(internet, url.c_str(), "", 0,
                                                              platform::kInternetFlagReload, 0);
    if (!Keep(request_, request))
        return;
    char buffer[download::kChunk];
    while (ReadChunk(request, buffer)) {
    }
}

void Download::Close() {
    const std::lock_guard lock(mutex_);
    if (closed_)
        return;
    closed_ = true;
    // The request before the Internet handle it was opened on.
    if (request_ != 0)
        platform::InternetCloseHandle(request_);
    if (internet_ != 0)
        platform::InternetCloseHandle(internet_);
}

std::string Download::Text() const {
    const std::lock_guard lock(mutex_);
    return text_;
}

bool Download::Keep(InternetHandle& slot, InternetHandle opened) {
    if (opened == 0)
        return false;
    const std::lock_guard lock(mutex_);
    if (closed_) {
        platform::InternetCloseHandle(opened);
        return false;
    }
    slot = opened;
    return true;
}

// One read; appends what it placed in the buffer. False when the body has ended, the read
// failed, the bound is reached or the download was closed.
bool Download::ReadChunk(InternetHandle request, char* buffer) {
    std::size_t room = 0;
    {
        const std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        room = download::kMostBytes - text_.size();
    }
    // The last read before the bound asks only for what still fits, so the bound is exact.
    const auto wanted = static_cast<std::uint32_t>(std::min(download::kChunk, room));
    std::uint32_t read = 0;
    if (!platform::InternetReadFile(request, buffer, wanted, &read))
        return false;
    const std::lock_guard lock(mutex_);
    if (closed_)
        return false;
    text_.append(buffer, std::min(read, wanted));
    return read != 0 && text_.size() < download::kMostBytes;
}

// A synchronization's connection: its Internet handles, shared by the thread that measures and
// the side that waits for it, closed as a Download's are.
class Connection {
  public:
    void Measure(const UrlParts& url, MeasureLog& log);
    void Close();

  private:
    bool Keep(InternetHandle& slot, InternetHandle opened);
    std::optional<TimedAnswer> Request(const UrlParts& url, Microseconds at);
    void CloseRequest();

    std::mutex mutex_;
    InternetHandle internet_ = 0;
    InternetHandle connection_ = 0;
    InternetHandle request_ = 0;
    bool closed_ = false;
};

void Connection::Measure(const UrlParts& url, MeasureLog& log) {
    struct CloseAtEnd {
        Connection& connection;
        ~CloseAtEnd() { connection.Close(); }
    } const closer{*this};

    if (!Keep(internet_, platform::InternetOpenA(download::kAgent,
                                                 platform::kInternetOpenTypePreconfig, nullptr,
                                                 nullptr, 0)))
        return;
    platform::InternetSetTimeouts(internet_, download::kStepMs);
    if (!Keep(connection_, platform::InternetConnectA(internet_, url.host.c_str(), url.port)))
        return;
    MeasureOffset([&](Microseconds at) { return Request(url, at); }, log);
}

std::optional<TimedAnswer> Connection::Request(const UrlParts& url, Microseconds at) {
    const std::uint32_t flags = platform::kInternetFlagReload |
                                platform::kInternetFlagKeepConnection |
                                (url.secure ? platform::kInternetFlagSecure : 0);
    if (!Keep(request_, platform::HttpOpenRequestA(connection_, url.object.c_str(), flags)))
        return std::nullopt;
    platform::WaitUntil(at);
    TimedAnswer answer;
    answer.sent = platform::PreciseSystemTime();
    bool whole = platform::HttpSendRequestA(request_);
    // The whole body is read (up to the bound), so that the connection is free for the next
    // request.
    char buffer[download::kChunk];
    while (whole && answer.body.size() < download::kMostBytes) {
        const auto wanted = static_cast<std::uint32_t>(
            std::min(download::kChunk, download::kMostBytes - answer.body.size()));
        std::uint32_t read = 0;
        whole = platform::InternetReadFile(request_, buffer, wanted, &read);
        if (read == 0)
            break;
        answer.body.append(buffer, std::min(read, wanted));
    }
    answer.arrived = platform::PreciseSystemTime();
    CloseRequest();
    if (!whole)
        return std::nullopt;
    return answer;
}

void Connection::CloseRequest() {
    const std::lock_guard lock(mutex_);
    if (!closed_ && request_ != 0)
        platform::InternetCloseHandle(request_);
    request_ = 0;
}

void Connection::Close() {
    const std::lock_guard lock(mutex_);
    if (closed_)
        return;
    closed_ = true;
    for (const InternetHandle h : {request_, connection_, internet_}) {
        if (h != 0)
            platform::InternetCloseHandle(h);
    }
}

bool Connection::Keep(InternetHandle& slot, InternetHandle opened) {
    if (opened == 0)
        return false;
    const std::lock_guard lock(mutex_);
    if (closed_) {
        platform::InternetCloseHandle(opened);
        return false;
    }
    slot = opened;
    return true;
}

}  // namespace

Measurement MeasureTimePage(const std::string& url) {
    const std::optional<UrlParts> parts = SplitUrl(url);
    if (!parts)
        return {};
    auto c = std::make_shared<Connection>();
    auto log = std::make_shared<MeasureLog>();
    platform::RunWithDeadline([c, log, u = *parts] { c->Measure(u, *log); },
                              download::kDeadlineMs, [c, log] {
                                  log->Seal();
                                  c->Close();
                              });
    return log->Taken();
}

std::string GetUrlText(const std::string& url) {
    // The download is on a thread of its own so that the deadline is kept here, whatever the
    // server does; past it, what was read by then is the result.
    auto d = std::make_shared<Download>();
    platform::RunWithDeadline([d, url] { d->Fetch(url); }, download::kDeadlineMs,
                              [d] { d->Close(); });
    return d->Text();
}

}  // namespace chronalign
