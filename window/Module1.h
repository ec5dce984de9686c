// Keeps a window above every ordinary window, the IDE's included.
#pragma once

#include "forms/Form.h"

namespace tolvane {

// Makes the form topmost without moving or resizing it. The form records the request; a
// Win32 realisation then calls user32 SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0,
// SWP_NOMOVE | SWP_NOSIZE) and ignores its result.
void SetTopMost(forms::Form& form);

}  // namespace tolvane
