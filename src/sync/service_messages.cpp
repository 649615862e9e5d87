#include "sync/service_messages.h"

namespace chronalign {

namespace {

constexpr std::string_view kRequestMagic = "VCRQ";
constexpr std::string_view kReplyMagic = "VCRP";

// Numbers travel little-endian, whatever the two ends' machines are.
void PutU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

std::uint16_t GetU16(std::string_view in, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(in[at]) |
                                      static_cast<unsigned char>(in[at + 1]) << 8);
}

// Size, magic and version: what every message of the kind must have before its fields count.
bool HasFrame(std::string_view message, std::string_view magic, std::size_t size) {
    return message.size() == size && message.starts_with(magic) &&
           GetU16(message, 4) == kMessageVersion;
}

std::uint16_t OutcomeCode(SyncOutcome outcome) {
    switch (outcome) {
        case SyncOutcome::SetAccepted:
            return 1;
        case SyncOutcome::SetRefused:
            return 2;
        case SyncOutcome::Disagreed:
            return 3;
        default:
            return 0;  // no usable time; a compare is never asked of the service
    }
}

}  // namespace

bool IsServiceOffset(std::int16_t offsetMinutes) {
    return OffsetListIndex(offsetMinutes).has_value();
}

std::string EncodeRequest(std::int16_t offsetMinutes) {
    std::string out(kRequestMagic);
    PutU16(out, kMessageVersion);
    PutU16(out, static_cast<std::uint16_t>(offsetMinutes));
    return out;
}

std::optional<ServiceRequest> DecodeRequest(std::string_view message) {
    if (!HasFrame(message, kRequestMagic, kRequestSize))
        return std::nullopt;
    const auto offset = static_cast<std::int16_t>(GetU16(message, 6));
    if (!IsServiceOffset(offset))
        return std::nullopt;
    return ServiceRequest{offset};
}

std::string EncodeReply(const SyncResult& result) {
    std::string out(kReplyMagic);
    PutU16(out, kMessageVersion);
    PutU16(out, OutcomeCode(result.outcome));
    const platform::SystemTime& t = result.written;
    for (std::uint16_t field :
         {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds})
        PutU16(out, field);
    return out;
}

std::optional<SyncResult> DecodeReply(std::string_view message) {
    if (!HasFrame(message, kReplyMagic, kReplySize))
        return std::nullopt;
    SyncResult result;
    switch (GetU16(message, 6)) {
        case 0:
            result.outcome = SyncOutcome::NoServerTime;
            break;
        case 1:
            result.outcome = SyncOutcome::SetAccepted;
            break;
        case 2:
            result.outcome = SyncOutcome::SetRefused;
            break;
        case 3:
            result.outcome = SyncOutcome::Disagreed;
            break;
        default:
            return std::nullopt;
    }
    platform::SystemTime& t = result.written;
    std::size_t at = 8;
    for (std::uint16_t* field : {&t.wYear, &t.wMonth, &t.wDayOfWeek, &t.wDay, &t.wHour, &t.wMinute,
                                 &t.wSecond, &t.wMilliseconds}) {
        *field = GetU16(message, at);
        at += 2;
    }
    return result;
}

}  // namespace chronalign
