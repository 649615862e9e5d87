// The service's audit trail in the Application event log.
#pragma once

#include "service/time_service.h"

namespace chronalign::service::win32 {

void WriteAudit(const AuditEntry& entry);

}  // namespace chronalign::service::win32
