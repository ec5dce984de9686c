// Small questions asked of windows and modules by every Windows part of the product.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane::winapi {

// The module (DLL or EXE) this code was linked into: where its window classes and
// resources live, whichever program loaded it.
HMODULE ThisModule() noexcept;

// A window's text, whatever its length.
std::wstring WindowText(HWND window);

}  // namespace tolvane::winapi
