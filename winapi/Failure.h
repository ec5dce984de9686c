// The text of a failed COM or Win32 call, worded as Visual Basic words the common ones.
#pragma once

#include <string>

#include <windows.h>
#include <oaidl.h>

namespace tolvane::winapi {

// The description an Automation call's EXCEPINFO gives, else VB's text for the HRESULT
// ("Subscript out of range", "Type mismatch", ...), else "Automation error 0x...: " and the
// system's message.
std::string DescribeFailure(HRESULT hr, const EXCEPINFO* info = nullptr);

}  // namespace tolvane::winapi
