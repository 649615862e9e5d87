#include "ui/links.h"

#include "app/start_program.h"
#include "platform/window.h"
#include "platform/window_design.h"
#include "ui/shell_open.h"

namespace chronalign {

using platform::Control;

void ResetLinkColors() {
    platform::SetForeColor(Control::lblWebsite, kColorBlue);
    platform::SetForeColor(Control::lblReadme, kColorBlue);
}

void lblReadme_MouseMove() {
    platform::SetForeColor(Control::lblReadme, kColorRed);
}

void lblWebsite_MouseMove() {
    platform::SetForeColor(Control::lblWebsite, kColorRed);
}

void lblReadme_Click() {
    ShellOpen(AppFolder + "readme.txt");
}

void lblWebsite_Click() {
    ShellOpen(kHomePage);
}

}  // namespace chronalign
