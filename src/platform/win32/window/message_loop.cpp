#include "platform/win32/window/ui_state.h"
#include "platform/window.h"

namespace platform::win32 {

void DispatchOne(MSG& message) {
    // Tab, the arrows and the mnemonics move between the controls as in a dialog.
    HWND window = Ui().window;
    if (window != nullptr && ::IsDialogMessageA(window, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
}

}  // namespace platform::win32

namespace platform {

int RunMessageLoop() {
    using win32::DispatchOne;
    using win32::Ui;
    if (Ui().window == nullptr)
        return 0;  // a second instance, or no window could be made
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) DispatchOne(message);
    return static_cast<int>(message.wParam);
}

}  // namespace platform
