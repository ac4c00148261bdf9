#include "support/screenshot_win32.h"

#include <cstdint>
#include <vector>

#include "support/png_file.h"

bool SaveWindowScreenshot(HWND window, const std::string& folder, const std::string& fileName) {
    RECT frame{};
    if (!::GetWindowRect(window, &frame)) return false;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) return false;

    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap != nullptr) {
        const HGDIOBJ previous = ::SelectObject(memory, bitmap);
        copied = ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != FALSE;
        ::GdiFlush();
        ::SelectObject(memory, previous);
    }
    std::vector<std::uint8_t> rgb;
    if (copied) {
        const auto* bgrx = static_cast<const std::uint8_t*>(bits);
        rgb.reserve(static_cast<std::size_t>(width) * height * 3);
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
            rgb.push_back(bgrx[i * 4 + 2]);
            rgb.push_back(bgrx[i * 4 + 1]);
            rgb.push_back(bgrx[i * 4]);
        }
    }
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return copied && WritePng(folder + "\\" + fileName, width, height, rgb);
}
