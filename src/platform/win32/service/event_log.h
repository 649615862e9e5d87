// The service's audit trail in the Application event log.
#pragma once

#include "service/time_service.h"

namespace service_win32 {

void WriteAudit(const chronalign::service::AuditEntry& entry);

}  // namespace service_win32
