#include "service/win32/event_log.h"

#include <windows.h>

#include "service/win32/names.h"

namespace chronalign::service::win32 {

namespace {

// The event identifiers of the service's message table (res/service_messages.mc).
constexpr DWORD kClockSet = 1;
constexpr DWORD kSetRefused = 2;
constexpr DWORD kNoServerTime = 3;

}  // namespace

void WriteAudit(const AuditEntry& entry) {
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

}  // namespace chronalign::service::win32
