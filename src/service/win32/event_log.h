// The service's audit trail in the Application event log.
#pragma once

#include "service/time_service.h"

namespace chronalign::service::win32 {

void WriteAudit(const AuditEntry& entry);

// The service could not make its pipe: another process made one of that name first.
void WritePipeTaken(unsigned long error, unsigned retrySeconds);

}  // namespace chronalign::service::win32
