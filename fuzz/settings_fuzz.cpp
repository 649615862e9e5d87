// LoadSettings from a store of arbitrary texts: the input is split at NUL bytes into the four
// stored texts (a missing part is a missing value). Whatever is stored, the window ends up with
// an interval of at least one minute, boxes of 0, 1 or 2, and one of the five offset entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/options.h"
#include "fake_log.h"
#include "fake_registry.h"
#include "fake_window.h"
#include "numbers/convert.h"
#include "platform/window.h"

using platform::Control;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fake::Log().clear();  // the fakes' call log would otherwise grow with every input
    fake::ResetRegistry();
    fake::ResetWindow();
    fake::Window().loaded = true;
    for (const char* entry : {"-60 mins", "-30 mins", "0 (default)", "+30 mins", "+60 mins"})
        platform::AddItem(Control::cmbOffset, entry);

    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (const char* key : {"Interval", "Auto", "AutoRun", "Offset"}) {
        if (rest.empty())
            break;
        const std::size_t end = rest.find('\0');
        fake::PutString(fake::kStoreKey, key, std::string(rest.substr(0, end)));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    chronalign::LoadSettings();

    if (chronalign::ToLong(platform::GetText(Control::txtInterval)) < 1)
        std::abort();
    for (Control box : {Control::chkAuto, Control::chkAutoRun})
        if (platform::GetValue(box) < 0 || platform::GetValue(box) > 2)
            std::abort();
    const int index = platform::GetListIndex(Control::cmbOffset);
    if (index < 0 || index > 4 || fake::OpenHandleCount() != 0)
        std::abort();
    return 0;
}
