#include "sync/url_text.h"

#include <algorithm>
#include <array>
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

// The Internet handles one worker opens, shared with the side that waits for it. They are closed
// once, by the worker when it is done or by the waiting side at the deadline, which is what makes
// a blocked call return; once they are closed nothing more is opened or kept.
class OwnedHandles {
  public:
    enum Slot : std::size_t { kInternet, kConnection, kRequest, kSlots };

    // Keeps a handle just opened in its slot; false (and the handle closed) when the handles were
    // closed in the meantime, or when there is none.
    bool Keep(Slot slot, InternetHandle opened) {
        if (opened == 0)
            return false;
        const std::lock_guard lock(mutex_);
        if (closed_) {
            platform::InternetCloseHandle(opened);
            return false;
        }
        slots_[slot] = opened;
        return true;
    }

    // The request alone, so that the next one can be made on the same connection.
    void CloseRequest() {
        const std::lock_guard lock(mutex_);
        if (!closed_ && slots_[kRequest] != 0)
            platform::InternetCloseHandle(slots_[kRequest]);
        slots_[kRequest] = 0;
    }

    // Every handle, each before the one it was opened on.
    void Close() {
        const std::lock_guard lock(mutex_);
        if (closed_)
            return;
        closed_ = true;
        for (const InternetHandle h : {slots_[kRequest], slots_[kConnection], slots_[kInternet]}) {
            if (h != 0)
                platform::InternetCloseHandle(h);
        }
    }

  protected:
    // Read by the worker that kept them; Close may close them under it, which ends its call.
    InternetHandle Handle(Slot slot) const { return slots_[slot]; }

    mutable std::mutex mutex_;
    bool closed_ = false;  // under mutex_

  private:
    std::array<InternetHandle, kSlots> slots_{};
};

// Closes them on every way out of the worker's call.
struct CloseAtEnd {
    OwnedHandles& handles;
    ~CloseAtEnd() { handles.Close(); }
};

// One download: its handles and what it has read.
class Download : public OwnedHandles {
  public:
    void Fetch(const std::string& url);
    std::string Text() const;

  private:
    bool ReadChunk(InternetHandle request, char* buffer);

    std::string text_;  // under mutex_
};

void Download::Fetch(const std::string& url) {
    const CloseAtEnd closer{*this};
    const InternetHandle internet = platform::InternetOpenA(
        download::kAgent, platform::kInternetOpenTypePreconfig, nullptr, nullptr, 0);
    if (!Keep(kInternet, internet))
        return;
    platform::InternetSetTimeouts(internet, download::kStepMs);
    const InternetHandle request =
        platform::InternetOpenUrlA(internet, url.c_str(), "", 0, platform::kInternetFlagReload, 0);
    if (!Keep(kRequest, request))
        return;
    char buffer[download::kChunk];
    while (ReadChunk(request, buffer)) {
    }
}

std::string Download::Text() const {
    const std::lock_guard lock(mutex_);
    return text_;
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

// A synchronization's connection: its handles, and the timed requests made on it.
class Connection : public OwnedHandles {
  public:
    void Measure(const UrlParts& url, MeasureLog& log);

  private:
    std::optional<TimedAnswer> Request(const UrlParts& url, Microseconds at);
};

void Connection::Measure(const UrlParts& url, MeasureLog& log) {
    const CloseAtEnd closer{*this};
    if (!Keep(kInternet,
              platform::InternetOpenA(download::kAgent, platform::kInternetOpenTypePreconfig,
                                      nullptr, nullptr, 0)))
        return;
    platform::InternetSetTimeouts(Handle(kInternet), download::kStepMs);
    if (!Keep(kConnection,
              platform::InternetConnectA(Handle(kInternet), url.host.c_str(), url.port)))
        return;
    MeasureOffset([&](Microseconds at) { return Request(url, at); }, log);
}

std::optional<TimedAnswer> Connection::Request(const UrlParts& url, Microseconds at) {
    const std::uint32_t flags = platform::kInternetFlagReload |
                                platform::kInternetFlagKeepConnection |
                                (url.secure ? platform::kInternetFlagSecure : 0);
    if (!Keep(kRequest, platform::HttpOpenRequestA(Handle(kConnection), url.object.c_str(), flags)))
        return std::nullopt;
    const InternetHandle request = Handle(kRequest);
    platform::WaitUntil(at);
    TimedAnswer answer;
    answer.sent = platform::PreciseSystemTime();
    bool whole = platform::HttpSendRequestA(request);
    // The whole body is read (up to the bound), so that the connection is free for the next
    // request.
    char buffer[download::kChunk];
    while (whole && answer.body.size() < download::kMostBytes) {
        const auto wanted = static_cast<std::uint32_t>(
            std::min(download::kChunk, download::kMostBytes - answer.body.size()));
        std::uint32_t read = 0;
        whole = platform::InternetReadFile(request, buffer, wanted, &read);
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

}  // namespace

Measurement MeasureTimePage(const std::string& url) {
    const std::optional<UrlParts> parts = SplitUrl(url);
    if (!parts)
        return {};
    auto c = std::make_shared<Connection>();
    auto log = std::make_shared<MeasureLog>();
    platform::RunWithDeadline([c, log, u = *parts] { c->Measure(u, *log); }, download::kDeadlineMs,
                              [c, log] {
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
