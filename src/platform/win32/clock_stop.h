// The clock facility's part in the program's end.
#pragma once

namespace platform::win32 {

// The process has decided to end: from now on no thread of it sets the clock (a set that is
// under way finishes first). A worker the program no longer waits for may still be running.
void StopSettingTheClock();

// Whether the process has decided so: a worker asks before it asks another process (the time
// service) to set the clock for it.
bool SettingTheClockStopped();

}  // namespace platform::win32
