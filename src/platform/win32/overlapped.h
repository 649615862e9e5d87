// One overlapped operation on a pipe that cannot outlast its time: it is cancelled when the time
// is up or the stop event is set, whatever the other end does.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/handle.h"

namespace platform {

// start issues the operation with the OVERLAPPED it is given and returns the call's result.
// Gives the bytes moved, or nothing when the operation failed, timed out or was stopped.
template <typename Start>
std::optional<DWORD> WaitOverlapped(HANDLE file, DWORD milliseconds, HANDLE stop, Start start) {
    const Handle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return std::nullopt;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (!start(&overlapped)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_PIPE_CONNECTED)  // a client came before the wait began
            return 0;
        if (error != ERROR_IO_PENDING)
            return std::nullopt;
    }
    const HANDLE events[] = {event.get(), stop};
    const DWORD waited = ::WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, milliseconds);
    if (waited != WAIT_OBJECT_0)
        ::CancelIo(file);
    DWORD moved = 0;
    if (!::GetOverlappedResult(file, &overlapped, &moved, TRUE) || waited != WAIT_OBJECT_0)
        return std::nullopt;
    return moved;
}

}  // namespace platform
