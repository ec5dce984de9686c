#include "NativeTestSupport.h"

#include <algorithm>
#include <cwctype>
#include <set>

#include "forms/ErrorReport.h"
#include "winapi/Handles.h"
#include "forms/win32/Mapping.h"
#include "tests/support/HostBuilders.h"
#include "winapi/Text.h"

namespace tolvane::testing {

using host::memory::ComponentData;
using host::memory::ControlData;

host::memory::ProjectData NativeProject() {
    host::memory::ProjectData project;
    project.components.push_back({"Module1", host::ComponentType::StdModule, {}, false});
    ComponentData form1{"Form1", host::ComponentType::VBForm, {}, true};
    form1.controls = {ControlNamed("Command1"),
                      ControlNamed("Frame1", -1, {ControlNamed("Option1", 0), ControlNamed("Option1", 1)}),
                      ControlNamed("Text1")};
    project.components.push_back(form1);
    ComponentData big{"Big", host::ComponentType::VBForm, {}, true};
    for (int i = 1; i <= 80; ++i) big.controls.push_back(ControlNamed("Ctl" + std::to_string(i)));
    project.components.push_back(big);
    project.components.push_back({"Empty", host::ComponentType::VBForm, {}, true});
    return project;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    std::wstring lower(name);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    return lower;
}

RECT RectIn(HWND hwnd, HWND ancestor) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(HWND_DESKTOP, ancestor, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT RectInParent(HWND hwnd) { return RectIn(hwnd, ::GetParent(hwnd)); }

int ScreenDpiX() {
    winapi::WindowDc screen(nullptr);
    return ::GetDeviceCaps(screen.get(), LOGPIXELSX);
}

int ScreenDpiY() {
    winapi::WindowDc screen(nullptr);
    return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

void PressKey(UINT key, bool alt, bool shift) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    BYTE pressed[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(pressed));
    if (shift) pressed[VK_SHIFT] = 0x80;
    if (alt) pressed[VK_MENU] = 0x80;
    ::SetKeyboardState(pressed);
    const LPARAM lParam = 1 | (alt ? (1 << 29) : 0);
    ::PostMessageW(::GetFocus(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, lParam);
    winapi::PumpMessages();
    ::SetKeyboardState(keys);
}

void Notify(HWND control, UINT code) {
    ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                   reinterpret_cast<LPARAM>(control));
}

void ChooseEntry(HWND combo, const std::string& entry) {
    const LRESULT index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(winapi::Utf8ToWide(entry).c_str()));
    ASSERT_GE(index, 0) << entry;
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::PostMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    winapi::PumpMessages();
}

std::vector<std::wstring> ListOf(HWND combo) {
    std::vector<std::wstring> entries;
    const auto count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        entries.push_back(text);
    }
    return entries;
}

bool IsAbove(HWND upper, HWND lower) {
    for (HWND below = ::GetWindow(upper, GW_HWNDNEXT); below != nullptr; below = ::GetWindow(below, GW_HWNDNEXT))
        if (below == lower) return true;
    return false;
}

std::size_t DistinctColours(const forms::win32::Image& image) {
    std::set<COLORREF> colours;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) colours.insert(image.Pixel(x, y));
    return colours.size();
}

void NativeAddInTest::SetUp() {
    forms::ClearRecordedErrors();
    realiser = forms::win32::Realiser::Create();
    realiser->SetErrorBox([this](HWND owner, const std::wstring& text, const std::wstring& caption) {
        boxes.push_back({owner, text, caption});
    });
    host = host::memory::MemoryHost::Create(NativeProject());
    api = MakeAddInWindowFactory(realiser->AsFormRealiser())();
    window = dynamic_cast<frmAddIn*>(api.get());
    ASSERT_NE(window, nullptr);
    owner.window = window;
    Show();
    ASSERT_NE(FormWindow(), nullptr) << "no window: is DISPLAY set (Xvfb)?";
}

void NativeAddInTest::TearDown() {
    if (api) api->Unload();
    winapi::PumpMessages();
    api.reset();
    realiser.reset();
}

void NativeAddInTest::Show() {
    api->SetVBInstance(host);
    api->SetConnect(&owner);
    api->Show();
    winapi::PumpMessages();
}

void NativeAddInTest::Pick(const std::string& form) { ChooseEntry(Hwnd(window->cboForms), form); }

void NativeAddInTest::Click(const forms::Control* control) {
    ::SendMessageW(Hwnd(control), BM_CLICK, 0, 0);
    winapi::PumpMessages();
}

}  // namespace tolvane::testing
