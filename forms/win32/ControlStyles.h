// What native window each form and control of the forms package becomes: its window class,
// its styles and how its value shows. Pure functions of the control's state, so that a new control kind
// or property is added here and tested without a window.
#pragma once

#include <windows.h>

#include "forms/Control.h"
#include "forms/Form.h"

namespace tolvane::forms::win32 {

// Our own window classes: the form, and the controls no system class draws as VB does.
inline constexpr wchar_t FormClass[] = L"TolvaneForm";
inline constexpr wchar_t PictureClass[] = L"TolvanePicture";
inline constexpr wchar_t FrameClass[] = L"TolvaneFrame";
inline constexpr wchar_t LineClass[] = L"TolvaneLine";

// The form's top-level window: a caption, a close box if it has one, and either a fixed
// dialog frame or a sizing frame with minimize and maximize boxes.
DWORD FormStyle(const Form& form) noexcept;
DWORD FormExStyle(const Form& form) noexcept;

const wchar_t* ClassOf(Kind kind) noexcept;
DWORD StyleOf(const Control& control) noexcept;
DWORD ExStyleOf(const Control& control) noexcept;

// A label's alignment as its SS_ type bits.
DWORD LabelAlignment(const Control& label) noexcept;

// Whether the window shows the control's caption (combo and text boxes show their Text,
// which arrives separately with its selection).
bool ShowsCaption(Kind kind) noexcept;

// A check box's Value (0, 1, 2) as a button state.
int CheckState(int value) noexcept;

// Horizontal and vertical lines are thin windows of their own, so that they lie over the
// controls created before them, as VB draws them; any other line is painted by its container.
bool IsAxisLine(const Control& line) noexcept;

}  // namespace tolvane::forms::win32
