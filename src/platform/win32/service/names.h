// How the service is known to the service manager and the event log.
#pragma once

namespace service_win32 {

inline constexpr const char* kServiceName = "VelmoraChronalign";
inline constexpr const char* kDisplayName = "Velmora Chronalign Time Service";

}  // namespace service_win32
