// Small questions asked of windows and modules, and the message pump, for every Windows part
// of the product.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane::winapi {

// The module (DLL or EXE) this code was linked into: where its window classes and
// resources live, whichever program loaded it.
HMODULE ThisModule() noexcept;

// A window's text, whatever its length.
std::wstring WindowText(HWND window);

// Dispatches everything queued for this thread, as a message loop does, and returns when
// the queue is empty.
void PumpMessages();
// Pumps for about `milliseconds`, then once more: for work that arrives a little later
// (posted by another thread, or by a timer).
void PumpMessagesFor(DWORD milliseconds);

}  // namespace tolvane::winapi
