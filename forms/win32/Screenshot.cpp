#include "forms/win32/Screenshot.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "winapi/Handles.h"

namespace tolvane::forms::win32 {

COLORREF Image::Pixel(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return RGB(bgr[at + 2], bgr[at + 1], bgr[at]);
}

namespace {

// Copies a rectangle of a DC (in its own coordinates) into an image.
Image CaptureDc(HDC source, int x, int y, int width, int height) {
    Image image;
    if (source == nullptr || width <= 0 || height <= 0) return image;
    winapi::UniqueMemoryDc memory(::CreateCompatibleDC(source));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    winapi::UniqueBitmap bitmap(::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || bits == nullptr) return image;
    {
        winapi::SelectScope select(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY)) return image;
        ::GdiFlush();
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    image.width = width;
    image.height = height;
    image.bgr.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int row = 0; row < height; ++row)
        std::copy_n(static_cast<const std::uint8_t*>(bits) + stride * static_cast<std::size_t>(row),
                    static_cast<std::size_t>(width) * 3, image.bgr.begin() + static_cast<std::ptrdiff_t>(row) * width * 3);
    return image;
}

}  // namespace

Image CaptureWindow(HWND window) {
    RECT bounds{};
    if (!::GetClientRect(window, &bounds)) return {};
    winapi::WindowDc source(window);
    return CaptureDc(source.get(), 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

Image CaptureScreen(const RECT& part) {
    winapi::WindowDc screen(nullptr);
    return CaptureDc(screen.get(), part.left, part.top, part.right - part.left, part.bottom - part.top);
}

Image Crop(const Image& image, const RECT& part) {
    Image cropped;
    const int left = std::clamp(static_cast<int>(part.left), 0, image.width);
    const int right = std::clamp(static_cast<int>(part.right), left, image.width);
    const int top = std::clamp(static_cast<int>(part.top), 0, image.height);
    const int bottom = std::clamp(static_cast<int>(part.bottom), top, image.height);
    cropped.width = right - left;
    cropped.height = bottom - top;
    for (int y = top; y < bottom; ++y) {
        const auto row = image.bgr.begin() + (static_cast<std::ptrdiff_t>(y) * image.width + left) * 3;
        cropped.bgr.insert(cropped.bgr.end(), row, row + static_cast<std::ptrdiff_t>(cropped.width) * 3);
    }
    return cropped;
}

bool WriteBmp(const Image& image, const std::wstring& path) {
    if (image.width <= 0 || image.height <= 0) return false;
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~static_cast<std::size_t>(3);
    const std::size_t pixels = stride * static_cast<std::size_t>(image.height);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels);
    header.biSize = sizeof header;
    header.biWidth = image.width;
    header.biHeight = image.height;  // bottom-up, as every reader expects
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixels);

    const std::unique_ptr<FILE, int (*)(FILE*)> out(_wfopen(path.c_str(), L"wb"), &std::fclose);
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out.get()) == 1 && std::fwrite(&header, sizeof header, 1, out.get()) == 1;
    std::vector<std::uint8_t> row(stride, 0);
    for (int y = image.height - 1; ok && y >= 0; --y) {
        std::copy_n(image.bgr.begin() + static_cast<std::ptrdiff_t>(y) * image.width * 3,
                    static_cast<std::size_t>(image.width) * 3, row.begin());
        ok = std::fwrite(row.data(), 1, stride, out.get()) == stride;
    }
    return ok;
}

}  // namespace tolvane::forms::win32
