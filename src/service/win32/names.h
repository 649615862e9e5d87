// How the service is known to the service manager and the event log.
#pragma once

#include "base/identity.h"

namespace chronalign::service::win32 {

inline constexpr const char* kServiceName = identity::kServiceName;
inline constexpr const char* kDisplayName = identity::kServiceDisplayName;

}  // namespace chronalign::service::win32
