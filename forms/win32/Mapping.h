// The small conversions between the forms package's state and the native controls: twips to
// pixels, where a line's window goes, VB colours to COLORREF, a VB scroll range (which may run downwards) to the
// ascending range a native scroll bar needs, and the edit a user made
// to a text, so that typing can be replayed into the state as a keystroke would change it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "forms/Control.h"

namespace tolvane::forms::win32 {

// Rounds to the nearest pixel, halves away from zero, so that a negative offset (a panel
// scrolled upwards) maps to the mirror of the positive one.
int TwipsToPixels(int twips, int dpi) noexcept;

// Edges are converted one by one, so that controls that touch in twips touch in pixels.
RECT PixelRect(const Rect& twips, int dpiX, int dpiY) noexcept;

// The window of a horizontal or vertical line, in its container's pixels, end pixel included.
// A line laid exactly over an earlier one of its container (an etched rule: a grey line, then
// a white one on the same ends) goes one pixel further down (or right), or it would hide it.
RECT LineWindowRect(const Control& line, int dpiX, int dpiY);

// &H00BBGGRR is a COLORREF already; &H800000nn names system colour nn.
COLORREF ToColorRef(Colour colour) noexcept;

// A VB range Min..Max, either direction, on a native range 0..NativeMax.
struct ScrollMapping {
    int min = 0;
    int max = 0;
    int NativeMax() const noexcept;
    int ToNative(int value) const noexcept;
    int FromNative(int position) const noexcept;
};

// The smallest replacement that turns `before` into `after`: `length` units at `start`
// replaced by `inserted` (UTF-16 units, as the native edit controls count them).
struct TextEdit {
    int start = 0;
    int length = 0;
    std::wstring inserted;
    bool operator==(const TextEdit& other) const = default;
};
TextEdit DiffText(std::wstring_view before, std::wstring_view after);

}  // namespace tolvane::forms::win32
