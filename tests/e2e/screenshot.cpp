#include "screenshot.h"

#include <fstream>
#include <vector>

namespace e2e {

namespace {

// A screen device context and a bitmap of the window's size, released when they go.
class Capture {
  public:
    Capture(int width, int height) : width_(width), height_(height) {
        screen_ = ::GetDC(nullptr);
        memory_ = ::CreateCompatibleDC(screen_);
        bitmap_ = ::CreateCompatibleBitmap(screen_, width, height);
        old_ = ::SelectObject(memory_, bitmap_);
    }
    ~Capture() {
        ::SelectObject(memory_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(memory_);
        ::ReleaseDC(nullptr, screen_);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    bool CopyFrom(int left, int top) {
        return bitmap_ != nullptr &&
               ::BitBlt(memory_, 0, 0, width_, height_, screen_, left, top, SRCCOPY) != FALSE;
    }

    // The pixels, bottom row first, each row padded to four bytes.
    bool Pixels(BITMAPINFOHEADER& header, std::vector<char>& bits) {
        header = {};
        header.biSize = sizeof header;
        header.biWidth = width_;
        header.biHeight = height_;
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biCompression = BI_RGB;
        const int stride = (width_ * 3 + 3) & ~3;
        bits.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height_), 0);
        header.biSizeImage = static_cast<DWORD>(bits.size());
        ::SelectObject(memory_, old_);  // a selected bitmap cannot be read
        const int rows = ::GetDIBits(memory_, bitmap_, 0, static_cast<UINT>(height_), bits.data(),
                                     reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
        ::SelectObject(memory_, bitmap_);
        return rows == height_;
    }

  private:
    int width_, height_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header,
              const std::vector<char>& bits) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(bits.data(), static_cast<std::streamsize>(bits.size()));
    return static_cast<bool>(out);
}

// The window's rectangle as the screen shows it: 24 bits a pixel, bottom row first.
bool CaptureWindow(HWND window, BITMAPINFOHEADER& header, std::vector<char>& bits) {
    RECT box{};
    if (!::GetWindowRect(window, &box) || box.right <= box.left || box.bottom <= box.top)
        return false;
    Capture capture(box.right - box.left, box.bottom - box.top);
    return capture.CopyFrom(box.left, box.top) && capture.Pixels(header, bits);
}

}  // namespace

std::vector<COLORREF> ScreenColours(HWND window) {
    BITMAPINFOHEADER header{};
    std::vector<char> bits;
    if (!CaptureWindow(window, header, bits))
        return {};
    const auto width = static_cast<std::size_t>(header.biWidth);
    const std::size_t stride = bits.size() / static_cast<std::size_t>(header.biHeight);
    std::vector<COLORREF> colours;
    for (std::size_t row = 0; row < bits.size(); row += stride) {
        for (std::size_t x = 0; x < width; ++x) {
            const auto* pixel = reinterpret_cast<const BYTE*>(&bits[row + 3 * x]);  // blue first
            colours.push_back(RGB(pixel[2], pixel[1], pixel[0]));
        }
    }
    return colours;
}

bool SaveWindowPicture(HWND window, const std::string& path) {
    // What waits to be painted is painted first: the window answers before this goes on.
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    BITMAPINFOHEADER header{};
    std::vector<char> bits;
    return CaptureWindow(window, header, bits) && WriteBmp(path, header, bits);
}

}  // namespace e2e
