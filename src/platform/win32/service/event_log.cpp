#include "platform/win32/service/event_log.h"

#include <windows.h>

#include "platform/win32/service/names.h"

namespace service_win32 {

namespace {

using chronalign::service::AuditKind;

// The event identifiers of the service's message table (res/service_messages.mc).
constexpr DWORD kClockSet = 1;
constexpr DWORD kSetRefused = 2;
constexpr DWORD kNoServerTime = 3;

}  // namespace

void WriteAudit(const chronalign::service::AuditEntry& entry) {
    const HANDLE source = ::RegisterEventSourceA(nullptr, kServiceName);
    if (!source)
        return;
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD id = kClockSet;
    if (entry.kind == AuditKind::Warning) {
        type = EVENTLOG_WARNING_TYPE;
        id = kSetRefused;
    } else if (entry.kind == AuditKind::Error) {
        type = EVENTLOG_ERROR_TYPE;
        id = kNoServerTime;
    }
    const char* strings[] = {entry.text.c_str()};
    ::ReportEventA(source, type, 0, id, nullptr, 1, 0, strings, nullptr);
    ::DeregisterEventSource(source);
}

}  // namespace service_win32
