// What the time service decides for each message on its pipe: drop it, answer it from the last
// synchronization, or synchronize the clock from the machine-wide time page and answer with the
// outcome and an audit entry. The Win32 layer only moves the bytes and writes the entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sync/sync_core.h"

namespace chronalign::service {

// Milliseconds on a clock that never goes back (the system clock may, by our own doing).
using Ticks = std::uint64_t (*)();

// A request this soon after the last completed synchronization gets that one's outcome, so no
// client can make the service flood the time page.
inline constexpr std::uint64_t kReuseMilliseconds = 5000;

enum class AuditKind { Information, Warning, Error };

struct AuditEntry {
    AuditKind kind = AuditKind::Information;
    std::string text;
};

struct Answer {
    std::string reply;
    std::optional<AuditEntry> audit;  // none for an answer given again
};

class TimeService {
  public:
    TimeService(PageMeasure measure, Ticks ticks) : measure_(measure), ticks_(ticks) {}

    // The answer to one message from the named account; nothing when the message is to be
    // dropped without effect.
    std::optional<Answer> Serve(std::string_view message, const std::string& account);

  private:
    PageMeasure measure_;
    Ticks ticks_;
    std::optional<SyncResult> last_;
    std::uint64_t lastDone_ = 0;
};

}  // namespace chronalign::service
