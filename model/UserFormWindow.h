// What makes a UserForm resizable by the user: a UserForm's window has a fixed frame, and only
// its style, WS_THICKFRAME, lets the user drag its edges. The declarations compile and are
// right in 32-bit and 64-bit Office alike (VBA7's PtrSafe and LongPtr, GetWindowLongPtrA only
// in 64-bit user32, the Declares of Office 2007 and earlier otherwise).
#pragma once

#include <string>

namespace tolvane {

// For the form's declarations section.
std::string UserFormWindowDeclarations();

// For UserForm_Initialize, after the sizes are recorded. The window is found by a caption
// made unique for the moment (FindWindow matches a top-level window's whole text, and
// ObjPtr(Me) tells apart copies of the form), then the caption is put back; no window class
// name is assumed (it differs between Office versions).
std::string UserFormWindowLoadLines();

}  // namespace tolvane
