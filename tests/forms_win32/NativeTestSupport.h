// Shared helpers of the Win32 realisation tests: a message pump (the tests play the host's
// message loop), window geometry in a parent's client coordinates, keys posted as the
// keyboard would post them, and a recording message box.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/win32/Realiser.h"
#include "forms/win32/Screenshot.h"
#include "host/memory/MemoryHost.h"
#include "tests/support/RecordingOwner.h"
#include "window/frmAddIn.h"
#include "winapi/Window.h"

namespace tolvane::testing {

std::wstring ClassOf(HWND hwnd);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND hwnd);
// The window's rectangle in the client coordinates of `ancestor`.
RECT RectIn(HWND hwnd, HWND ancestor);
int ScreenDpiX();
int ScreenDpiY();
// Posts a key to the window with the focus (WM_KEYDOWN, or WM_SYSKEYDOWN with Alt), then pumps.
void PressKey(UINT key, bool alt = false, bool shift = false);
// Sends a notification to the parent, as the control itself does.
void Notify(HWND control, UINT code);
// Chooses an entry of a native combo box's list as a user does, then pumps.
void ChooseEntry(HWND combo, const std::string& entry);
std::vector<std::wstring> ListOf(HWND combo);
// Whether `upper` lies above `lower` in the z-order of top-level windows.
bool IsAbove(HWND upper, HWND lower);
std::size_t DistinctColours(const forms::win32::Image& image);

struct ShownBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
};

// Module1, Form1 (Command1, a frame with an option array, Text1), Big (80 controls), Empty.
host::memory::ProjectData NativeProject();

class NativeAddInTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Hwnd(const forms::Control* control) const { return realiser->WindowOf(*control); }
    HWND FormWindow() const { return realiser->WindowOf(*window); }
    void Show();
    // Picks a form in the selector through the native combo box.
    void Pick(const std::string& form);
    void Click(const forms::Control* control);

    std::shared_ptr<forms::win32::Realiser> realiser;
    std::vector<ShownBox> boxes;
    std::shared_ptr<host::memory::MemoryHost> host;
    std::unique_ptr<AddInWindowApi> api;
    frmAddIn* window = nullptr;
    RecordingOwner owner;
};

}  // namespace tolvane::testing
