// Captures what a window's client area shows as 24-bit pixels and writes them as a BMP, for
// screenshots of the realised forms. (The frame is left out: without a window manager, as
// under Xvfb, Wine draws no title bar to capture.)
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::forms::win32 {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;  // rows top to bottom, 3 bytes a pixel, no padding

    COLORREF Pixel(int x, int y) const;
};

// An empty image when the window cannot be read.
Image CaptureWindow(HWND window);
// What the screen shows in a rectangle, popups such as tooltips included.
Image CaptureScreen(const RECT& part);
// Part of an image, clipped to it.
Image Crop(const Image& image, const RECT& part);
bool WriteBmp(const Image& image, const std::wstring& path);

}  // namespace tolvane::forms::win32
