#include "forms/win32/Mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tolvane::forms::win32 {

int TwipsToPixels(int twips, int dpi) noexcept {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

int PixelsToTwips(int pixels, int dpi) noexcept {
    if (dpi <= 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(pixels) * 1440.0 / dpi));
}

RECT PixelRect(const Rect& twips, int dpiX, int dpiY) noexcept {
    return RECT{TwipsToPixels(twips.left, dpiX), TwipsToPixels(twips.top, dpiY), TwipsToPixels(twips.right, dpiX),
                TwipsToPixels(twips.bottom, dpiY)};
}

COLORREF ToColorRef(Colour colour) noexcept {
    if ((colour & 0x80000000u) != 0) return ::GetSysColor(static_cast<int>(colour & 0xFFu));
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

int ScrollMapping::NativeMax() const noexcept { return std::abs(max - min); }

int ScrollMapping::ToNative(int value) const noexcept {
    const int position = max >= min ? value - min : min - value;
    return std::clamp(position, 0, NativeMax());
}

int ScrollMapping::FromNative(int position) const noexcept {
    position = std::clamp(position, 0, NativeMax());
    return max >= min ? min + position : min - position;
}

TextEdit DiffText(std::wstring_view before, std::wstring_view after) {
    std::size_t prefix = 0;
    const std::size_t shorter = std::min(before.size(), after.size());
    while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    // Never cut a surrogate pair or a CR LF in two: the state counts both as written.
    auto splits = [](std::wstring_view text, std::size_t at) {
        if (at == 0 || at >= text.size()) return false;
        const wchar_t left = text[at - 1], right = text[at];
        return (left >= 0xD800 && left <= 0xDBFF && right >= 0xDC00 && right <= 0xDFFF) ||
               (left == L'\r' && right == L'\n');
    };
    while (prefix > 0 && (splits(before, prefix) || splits(after, prefix))) --prefix;
    while (suffix > 0 && (splits(before, before.size() - suffix) || splits(after, after.size() - suffix))) --suffix;
    TextEdit edit;
    edit.start = static_cast<int>(prefix);
    edit.length = static_cast<int>(before.size() - prefix - suffix);
    edit.inserted = std::wstring(after.substr(prefix, after.size() - prefix - suffix));
    return edit;
}

}  // namespace tolvane::forms::win32
