// The window classes of the realised forms, one window procedure each, and the thread's
// keyboard hook.
//
// Keyboard: the windows are modeless and the message loop belongs to the host (the VB6 IDE),
// which never calls IsDialogMessage for them. A WH_GETMESSAGE hook on this thread sees every
// message the host's loop removes, before the host translates accelerators or dispatches it;
// for keys aimed at one of our forms it runs the form's own navigation (Tab and Shift+Tab in
// the form's tab order, Alt+letter access keys, Enter and Esc to the default and cancel
// buttons) and turns the message into WM_NULL. Subclassing each control would come too late
// for keys the host's accelerators take and would mean subclassing a few hundred windows.
// Enter in a multi-line text box and keys in an open combo list stay with the native control.
#pragma once

#include <windows.h>

namespace tolvane::forms::win32 {

// The classes and the hook, shared by every realised window on the thread and held while at
// least one exists. The classes go again with the last window: a DLL must not leave a class
// behind whose window procedure would vanish with it.
class ThreadResources {
public:
    ThreadResources();  // throws std::runtime_error when registration fails
    ~ThreadResources();
    ThreadResources(const ThreadResources&) = delete;
    ThreadResources& operator=(const ThreadResources&) = delete;
};

// The atom of the form class while it is registered, else 0.
ATOM FormClassAtom() noexcept;

// Routes a text box's messages through NativeForm::EditProc before its own procedure, which
// it gets back when the box is destroyed.
void SubclassTextBox(HWND edit);

}  // namespace tolvane::forms::win32
