// What the time service decides for each message on its pipe: drop it, refuse it, answer it from
// the last synchronization, or synchronize the clock from the machine-wide time page and answer
// with the outcome and an audit entry. The Win32 layer only moves the bytes, says who asked and
// writes the entry.
#pragma once

#include <cstdint>
#include <map>
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

// An account refused again this soon after its last logged refusal is refused without another
// entry: asking costs a client nothing, and the log must keep what came before.
inline constexpr std::uint64_t kRefusalLogMilliseconds = 5000;

enum class AuditKind { Information, Warning, Error };

struct AuditEntry {
    AuditKind kind = AuditKind::Information;
    std::string text;
};

// Who sent a message, as the pipe learnt it from the client's token.
struct Client {
    std::string account;         // "DOMAIN\user"
    bool administrator = false;  // a member of Administrators, elevated or not
};

struct Answer {
    std::string reply;
    std::optional<AuditEntry> audit;  // none for an answer given again
};

class TimeService {
  public:
    TimeService(PageMeasure measure, Ticks ticks) : measure_(measure), ticks_(ticks) {}

    // The answer to one message from the client; nothing when the message is to be dropped
    // without effect. The clock is every user's: anyone may have it set with offset 0, only an
    // administrator with another.
    std::optional<Answer> Serve(std::string_view message, const Client& client);

  private:
    Answer Refuse(const Client& client, std::int16_t offsetMinutes);

    PageMeasure measure_;
    Ticks ticks_;
    std::optional<SyncResult> last_;
    std::int16_t lastOffset_ = 0;
    std::uint64_t lastDone_ = 0;
    // When each account's last refusal was logged, for kRefusalLogMilliseconds.
    std::map<std::string, std::uint64_t> refusalLogged_;
};

}  // namespace chronalign::service
