// The service's audit trail in the Application event log.
#pragma once

#include "service/time_service.h"

namespace service_win32 {

void WriteAudit(const chronalign::service::AuditEntry& entry);

// The service could not make its pipe: another process made one of that name first.
void WritePipeTaken(unsigned long error, unsigned retrySeconds);

}  // namespace service_win32
