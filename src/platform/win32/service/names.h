// How the service is known to the service manager and the event log.
#pragma once

#include "base/identity.h"

namespace service_win32 {

inline constexpr const char* kServiceName = chronalign::identity::kServiceName;
inline constexpr const char* kDisplayName = chronalign::identity::kServiceDisplayName;

}  // namespace service_win32
