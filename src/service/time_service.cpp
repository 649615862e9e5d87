#include "service/time_service.h"

#include <cstdio>
#include <vector>

#include "settings/time_page.h"
#include "sync/download_limits.h"
#include "sync/service_messages.h"

namespace chronalign::service {

namespace {

std::string Describe(const platform::SystemTime& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u UTC", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

// A measured offset's error, in milliseconds with one decimal.
std::string Milliseconds(Microseconds bound) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%lld ms", static_cast<long long>(bound / 1000),
                  static_cast<long long>(bound % 1000 / 100));
    return text;
}

std::string Bound(Microseconds bound) {
    return " (measured to within " + Milliseconds(bound) + ")";
}

// What each of several pages said of the clock: how far ahead of it the page was, in seconds
// to the millisecond, and to within what; or that it gave no time.
std::string WhatEachSaid(const std::vector<PageSaid>& pages) {
    std::string text = "; the time pages said:";
    for (const PageSaid& page : pages) {
        text += (&page == &pages.front() ? " " : ", ") + page.address + " ";
        if (!page.offset) {
            text += "no time";
            continue;
        }
        const Microseconds offset = page.offset->offset;
        const Microseconds size = offset < 0 ? -offset : offset;
        char seconds[48];
        std::snprintf(seconds, sizeof seconds, "%c%lld.%03lld s", offset < 0 ? '-' : '+',
                      static_cast<long long>(size / 1'000'000),
                      static_cast<long long>(size / 1000 % 1000));
        text += seconds + std::string(" within ") + Milliseconds(page.offset->bound) +
                (page.offset->wholeInstant ? "" : " (time of day)");
    }
    return text;
}

AuditEntry Audit(const SyncResult& result, const std::string& account, const std::string& page,
                 std::int16_t offsetMinutes) {
    // One page is named; of several, what each said.
    const std::string asked = "asked by " + account +
                              (result.pages.empty() ? ", time page " + page : std::string()) +
                              ", offset " + std::to_string(offsetMinutes) + " minutes" +
                              (result.pages.empty() ? std::string() : WhatEachSaid(result.pages));
    switch (result.outcome) {
        case SyncOutcome::SetAccepted:
            return {AuditKind::Information, "The system clock was set from " +
                                                Describe(result.clock) + " to " +
                                                Describe(result.written) + Bound(result.bound) +
                                                "; " + asked + "."};
        case SyncOutcome::SetRefused:
            return {AuditKind::Warning, "The system refused to set the clock from " +
                                            Describe(result.clock) + " to " +
                                            Describe(result.written) + Bound(result.bound) +
                                            "; " + asked + "."};
        case SyncOutcome::Disagreed:
            return {AuditKind::Error,
                    "The time pages disagree: no more than half of them agree on the time; the "
                    "system clock stays at " +
                        Describe(platform::GetSystemTime()) + "; " + asked + "."};
        default:
            return {AuditKind::Error,
                    "No usable time from the time page; the system clock stays at " +
                        Describe(platform::GetSystemTime()) + "; " + asked + "."};
    }
}

}  // namespace

std::optional<Answer> TimeService::Serve(std::string_view message, const Client& client) {
    const std::optional<ServiceRequest> request = DecodeRequest(message);
    if (!request)
        return std::nullopt;
    const std::int16_t offset = request->offsetMinutes;
    if (offset != 0 && !client.administrator)
        return Refuse(client, offset);
    // An outcome tells of the clock set with its own offset, and of no other.
    if (last_ && lastOffset_ == offset && ticks_() - lastDone_ < kReuseMilliseconds)
        return Answer{EncodeReply(*last_), std::nullopt};

    const std::string page = MachineTimePageAddress();
    const SyncResult result =
        SetFromTimePages(measure_, ListedPages(page), offset, download::kDeadlineMs);
    last_ = result;
    lastOffset_ = offset;
    lastDone_ = ticks_();
    return Answer{EncodeReply(result), Audit(result, client.account, page, offset)};
}

// Told as a set refused, as the system's own refusal is: the program then says that
// administrator rights are needed, and does not go on to set the clock itself.
Answer TimeService::Refuse(const Client& client, std::int16_t offsetMinutes) {
    const std::uint64_t now = ticks_();
    std::erase_if(refusalLogged_, [&](const auto& logged) {
        return now - logged.second >= kRefusalLogMilliseconds;
    });
    SyncResult refused;
    refused.outcome = SyncOutcome::SetRefused;
    Answer answer{EncodeReply(refused), std::nullopt};
    if (refusalLogged_.emplace(client.account, now).second)
        answer.audit =
            AuditEntry{AuditKind::Warning,
                       "Refused to set the clock with an offset of " +
                           std::to_string(offsetMinutes) + " minutes, asked by " + client.account +
                           ": only a member of Administrators may ask for an offset "
                           "other than 0."};
    return answer;
}

}  // namespace chronalign::service
