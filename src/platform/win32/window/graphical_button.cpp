#include "platform/win32/window/graphical_button.h"

#include <string>

namespace platform::win32 {

namespace {

constexpr int kFocusInset = 3;  // pixels between the edge and the focus rectangle

std::string Caption(HWND button) {
    char text[128] = {};
    const int length = ::GetWindowTextA(button, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void Fill(HDC dc, const RECT& box, COLORREF color) {
    const COLORREF old = ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);  // a fill without a brush
    ::SetBkColor(dc, old);
}

}  // namespace

void DrawGraphicalButton(const DRAWITEMSTRUCT& item, HFONT font, COLORREF back, COLORREF text) {
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;

    Fill(dc, box, back);
    // The focused button is the one Enter presses: it carries the dark outline of the default.
    if (focused) {
        ::FrameRect(dc, &box, ::GetSysColorBrush(COLOR_WINDOWFRAME));
        ::InflateRect(&box, -1, -1);
    }
    if (pressed)
        ::FrameRect(dc, &box, ::GetSysColorBrush(COLOR_BTNSHADOW));
    else
        ::DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);

    RECT label = box;
    if (pressed)
        ::OffsetRect(&label, 1, 1);
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor =
        ::SetTextColor(dc, (item.itemState & ODS_DISABLED) ? ::GetSysColor(COLOR_GRAYTEXT) : text);
    const std::string caption = Caption(item.hwndItem);
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &label,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE |
                    ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0u));
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, oldFont);

    // Hidden, as on every other control, until the keyboard is used where the user asked so.
    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        ::InflateRect(&label, -kFocusInset, -kFocusInset);
        ::DrawFocusRect(dc, &label);
    }
}

}  // namespace platform::win32
