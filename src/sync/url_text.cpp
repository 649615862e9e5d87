#include "sync/url_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

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

}  // namespace

std::string GetUrlText(const std::string& url) {
    // The download is on a thread of its own so that the deadline is kept here, whatever the
    // server does; past it, what was read by then is the result.
    auto d = std::make_shared<Download>();
    platform::RunWithDeadline([d, url] { d->Fetch(url); }, download::kDeadlineMs,
                              [d] { d->Close(); });
    return d->Text();
}

}  // namespace chronalign
