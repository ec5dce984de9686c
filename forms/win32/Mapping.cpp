#include "forms/win32/Mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "forms/Form.h"

namespace tolvane::forms::win32 {

int TwipsToPixels(int twips, int dpi) noexcept {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

RECT PixelRect(const Rect& twips, int dpiX, int dpiY) noexcept {
    return RECT{TwipsToPixels(twips.left, dpiX), TwipsToPixels(twips.top, dpiY), TwipsToPixels(twips.right, dpiX),
                TwipsToPixels(twips.bottom, dpiY)};
}

RECT LineWindowRect(const Control& line, int dpiX, int dpiY) {
    int stacked = 0;
    for (const auto& other : line.Parent().Controls()) {
        if (other.get() == &line) break;
        if (other->GetKind() == Kind::Line && other->Container() == line.Container() && other->X1() == line.X1() &&
            other->Y1() == line.Y1() && other->X2() == line.X2() && other->Y2() == line.Y2())
            ++stacked;
    }
    const bool horizontal = line.Y1() == line.Y2();
    const int dx = horizontal ? 0 : stacked;
    const int dy = horizontal ? stacked : 0;
    const int x1 = TwipsToPixels(std::min(line.X1(), line.X2()), dpiX) + dx;
    const int y1 = TwipsToPixels(std::min(line.Y1(), line.Y2()), dpiY) + dy;
    const int x2 = TwipsToPixels(std::max(line.X1(), line.X2()), dpiX) + dx;
    const int y2 = TwipsToPixels(std::max(line.Y1(), line.Y2()), dpiY) + dy;
    return RECT{x1, y1, x2 + 1, y2 + 1};
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
