// The window's size and a few controls' places against the design table, in pixels at the
// display's DPI.
#include <cstdio>
#include <sstream>

#include "platform/window_design.h"
#include "program_test.h"

namespace e2e {
namespace {

using platform::Control;

int DisplayDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

int Pixels(int twips, int dpi) {
    return ::MulDiv(twips, dpi, 1440);
}

// Where the design puts the control, in the window's client pixels: the controls of the
// options frame are placed relative to it.
RECT DesignedRect(Control control, int dpi) {
    const auto& d = chronalign::DesignOf(control);
    const auto& frame = chronalign::DesignOf(Control::Frame2);
    const int left = d.left + (d.insideFrame ? frame.left : 0);
    const int top = d.top + (d.insideFrame ? frame.top : 0);
    return RECT{Pixels(left, dpi), Pixels(top, dpi), Pixels(left + d.width, dpi),
                Pixels(top + d.height, dpi)};
}

std::string Describe(const RECT& r) {
    char text[64] = {};
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

TEST_F(ProgramTest, TheWindowAndItsControlsHaveTheirDesignedSizes) {
    Program program;
    HWND window = ShownWindow(program);
    ASSERT_NE(window, nullptr);
    const int dpi = DisplayDpi();
    ASSERT_GT(dpi, 0);

    RECT client{};
    ASSERT_TRUE(::GetClientRect(window, &client));
    const auto& form = chronalign::kFrmMainForm;
    EXPECT_NEAR(client.right - client.left, Pixels(form.clientWidth, dpi), 1) << "at " << dpi;
    EXPECT_NEAR(client.bottom - client.top, Pixels(form.clientHeight, dpi), 1) << "at " << dpi;

    // Not chkAuto, which stops short of the interval box, nor the list, whose height is its
    // open list's.
    for (Control c : {Control::Frame2, Control::cmdCheckTime, Control::cmdSynchronize,
                      Control::lblTime, Control::lblInfo, Control::Image1, Control::txtInterval,
                      Control::chkAutoRun, Control::lblReadme}) {
        const RECT want = DesignedRect(c, dpi);
        const RECT got = ClientRectOf(window, ControlOf(window, c));
        std::ostringstream what;
        what << chronalign::DesignOf(c).name << ": " << Describe(got) << " designed "
             << Describe(want);
        EXPECT_NEAR(got.left, want.left, 1) << what.str();
        EXPECT_NEAR(got.top, want.top, 1) << what.str();
        EXPECT_NEAR(got.right, want.right, 1) << what.str();
        EXPECT_NEAR(got.bottom, want.bottom, 1) << what.str();
    }
}

}  // namespace
}  // namespace e2e
