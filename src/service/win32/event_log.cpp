#include "service/win32/event_log.h"

#include <windows.h>

#include <string>

#include "service/win32/names.h"

namespace chronalign::service::win32 {

namespace {

// The event identifiers of the service's message table (res/service_messages.mc).
constexpr DWORD kClockSet = 1;
constexpr DWORD kSetRefused = 2;
constexpr DWORD kNoServerTime = 3;
constexpr DWORD kPipeTaken = 4;

void Report(WORD type, DWORD id, const std::string& text) {
    const HANDLE source = ::RegisterEventSourceA(nullptr, kServiceName);
    if (!source)
        return;
    const char* strings[] = {text.c_str()};
    ::ReportEventA(source, type, 0, id, nullptr, 1, 0, strings, nullptr);
    ::DeregisterEventSource(source);
}

}  // namespace

void WriteAudit(const AuditEntry& entry) {
    WORD type = EVENTLOG_INFORMATION_TYPE;
    DWORD id = kClockSet;
    if (entry.kind == AuditKind::Warning) {
        type = EVENTLOG_WARNING_TYPE;
        id = kSetRefused;
    } else if (entry.kind == AuditKind::Error) {
        type = EVENTLOG_ERROR_TYPE;
        id = kNoServerTime;
    }
    Report(type, id, entry.text);
}

void WritePipeTaken(unsigned long error, unsigned retrySeconds) {
    Report(EVENTLOG_ERROR_TYPE, kPipeTaken,
           std::string("Another process holds the pipe ") + identity::kPipeName + " (error " +
               std::to_string(error) + "): no user can reach the service until it " +
               "goes. The service tries again every " + std::to_string(retrySeconds) + " seconds.");
}

}  // namespace chronalign::service::win32
