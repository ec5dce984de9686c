// The window classes and everything Windows calls into: one procedure per class, each a
// switch of one handler per message; the text boxes' subclass; the keyboard hook. Every entry
// goes through one guarded call, so no exception ever leaves a procedure or the hook.
#include "forms/win32/WindowClasses.h"

#include "vb/Errors.h"

#include <exception>
#include <stdexcept>

#include "forms/win32/ControlStyles.h"
#include "forms/win32/NativeForm.h"
#include "winapi/Handles.h"
#include "winapi/Window.h"

namespace tolvane::forms::win32 {
namespace {

constexpr wchar_t OriginalProcProperty[] = L"Tolvane.OriginalProc";

struct WindowClass {
    const wchar_t* name;
    WNDPROC procedure;
};

constexpr WindowClass Classes[] = {
    {FormClass, &NativeForm::FormProc},
    {PictureClass, &NativeForm::PictureProc},
    {FrameClass, &NativeForm::FrameProc},
    {LineClass, &NativeForm::LineProc},
};

struct ThreadState {
    int users = 0;
    ATOM formAtom = 0;
    winapi::UniqueHook hook;
};

ThreadState& State() {
    static ThreadState state;
    return state;
}

ATOM RegisterOne(const WindowClass& windowClass) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowClass.procedure;
    wc.hInstance = winapi::ThisModule();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = windowClass.name;
    ATOM atom = ::RegisterClassExW(&wc);
    if (atom == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        // Left behind by an earlier copy of this module: its window procedure may be gone.
        ::UnregisterClassW(windowClass.name, wc.hInstance);
        atom = ::RegisterClassExW(&wc);
    }
    if (atom == 0) throw std::runtime_error("The window class could not be registered");
    return atom;
}

void ReleaseAll() noexcept {
    ThreadState& state = State();
    state.hook.reset();
    for (const WindowClass& windowClass : Classes) ::UnregisterClassW(windowClass.name, winapi::ThisModule());
    state.formAtom = 0;
}

}  // namespace

// --- Classes and hook -----------------------------------------------------------------------

ThreadResources::ThreadResources() {
    ThreadState& state = State();
    if (state.users == 0) {
        try {
            for (const WindowClass& windowClass : Classes) {
                const ATOM atom = RegisterOne(windowClass);
                if (windowClass.name == FormClass) state.formAtom = atom;
            }
            state.hook.reset(
                ::SetWindowsHookExW(WH_GETMESSAGE, &NativeForm::MessageHook, nullptr, ::GetCurrentThreadId()));
            if (!state.hook) throw std::runtime_error("The keyboard hook could not be installed");
        } catch (...) {
            ReleaseAll();
            throw;
        }
    }
    ++state.users;
}

ThreadResources::~ThreadResources() {
    if (--State().users == 0) ReleaseAll();
}

ATOM FormClassAtom() noexcept { return State().formAtom; }

void SubclassTextBox(HWND edit) {
    const auto original = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    ::SetPropW(edit, OriginalProcProperty, reinterpret_cast<HANDLE>(original));
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeForm::EditProc));
}

// --- The boundary ---------------------------------------------------------------------------

template <class Body>
bool NativeForm::Guarded(NativeForm* self, const char* source, Body&& body) noexcept {
    if (self == nullptr) return false;
    // A handler may destroy the form, and this object with it: report only to one still there.
    const LifetimeToken::Watch alive = self->lifetime_.Watching();
    try {
        body(*self);
        return true;
    } catch (...) {
        if (alive) self->Fail(source, vb::DescribeCaught().c_str());
    }
    return false;
}

NativeForm* NativeForm::FromWindow(HWND anyWindow) noexcept {
    const ATOM formAtom = FormClassAtom();
    if (anyWindow == nullptr || formAtom == 0) return nullptr;
    HWND root = ::GetAncestor(anyWindow, GA_ROOT);
    if (root == nullptr || ::GetClassLongPtrW(root, GCW_ATOM) != formAtom) return nullptr;
    return reinterpret_cast<NativeForm*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
}

LRESULT NativeForm::Dispatch(MessageHandler handler, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Every window of a form carries its NativeForm from the first message to the last.
    NativeForm* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<NativeForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<NativeForm*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (Guarded(self, "WindowProc", [&](NativeForm& form) { result = (form.*handler)(hwnd, message, wParam, lParam); }))
        return result;
    // Never let the default processing destroy a window the form still counts as loaded.
    return message == WM_CLOSE ? 0 : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- One procedure per class ----------------------------------------------------------------

LRESULT CALLBACK NativeForm::FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(&NativeForm::FormMessage, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK NativeForm::PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(&NativeForm::PictureMessage, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK NativeForm::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(&NativeForm::FrameMessage, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK NativeForm::LineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return Dispatch(&NativeForm::LineMessage, hwnd, message, wParam, lParam);
}

LRESULT NativeForm::FormMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return OnPaintForm(hwnd);
    case WM_CLOSE: return OnClose();
    case WM_ACTIVATE: return OnActivate(LOWORD(wParam) != WA_INACTIVE);
    default: return ContainerMessage(hwnd, message, wParam, lParam);
    }
}

LRESULT NativeForm::PictureMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return OnPaintPicture(hwnd);
    default: return ContainerMessage(hwnd, message, wParam, lParam);
    }
}

LRESULT NativeForm::FrameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return OnPaintFrame(hwnd);
    default: return ContainerMessage(hwnd, message, wParam, lParam);
    }
}

LRESULT NativeForm::LineMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return OnPaintLine(hwnd);
    case WM_ERASEBKGND: return 1;               // WM_PAINT fills the whole line
    case WM_NCHITTEST: return HTTRANSPARENT;    // a line takes no clicks
    default: return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// What the form, a picture box and a frame all hear from the controls they hold. Only a
// control's notification carries its window; a menu's or an accelerator's goes on by default.
LRESULT NativeForm::ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto child = reinterpret_cast<HWND>(lParam);
    switch (message) {
    case WM_COMMAND:
        if (child != nullptr) return OnCommand(child, HIWORD(wParam));
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
        if (child != nullptr) return OnScroll(child, LOWORD(wParam));
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: return OnCtlColor(reinterpret_cast<HDC>(wParam), child);
    default: break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- The text boxes' subclass and the hook --------------------------------------------------

LRESULT CALLBACK NativeForm::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, OriginalProcProperty));
    if (original == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hwnd, OriginalProcProperty);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    const LRESULT result = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    // After the edit's own handling (which selects a word), so that the handler has the last
    // word on the selection.
    if (message == WM_LBUTTONDBLCLK)
        Guarded(FromWindow(hwnd), "DblClick", [hwnd](NativeForm& form) { form.OnDoubleClick(hwnd); });
    return result;
}

LRESULT CALLBACK NativeForm::MessageHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        Guarded(FromWindow(message->hwnd), "KeyDown", [message](NativeForm& form) {
            if (!form.PreTranslate(*message)) return;
            message->message = WM_NULL;
            message->wParam = 0;
            message->lParam = 0;
        });
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace tolvane::forms::win32
