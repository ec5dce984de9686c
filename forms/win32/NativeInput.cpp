// Input on the native controls into the state, through forms/UserInput.h: the state is
// written first, then the handler runs; afterwards the native control is brought back in line
// with what the state holds. Also the form's own keyboard navigation, run from the thread's message hook.
#include <stdexcept>
#include <string>

#include "forms/UserInput.h"
#include "forms/win32/Mapping.h"
#include "forms/win32/NativeForm.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

namespace tolvane::forms::win32 {

LRESULT NativeForm::OnCommand(HWND child, UINT code) {
    Native* native = applying_ ? nullptr : Find(child);
    if (native == nullptr) return 0;
    Control& control = *native->control;
    switch (control.GetKind()) {
    case Kind::CommandButton:
        if (code == BN_CLICKED) input::Click(control);
        break;
    case Kind::Label:
        if (code == STN_CLICKED) input::Click(control, ::GetKeyState(VK_SHIFT) < 0);
        break;
    case Kind::CheckBox:
        if (code == BN_CLICKED) {
            const LifetimeToken::Watch alive = lifetime_.Watching();
            input::Click(control, ::GetKeyState(VK_SHIFT) < 0);
            // The box does not check itself: show the value the state now holds.
            if (alive) SyncNativeState(child);
        }
        break;
    case Kind::ComboBox:
        if (code == CBN_SELCHANGE) {
            const auto index = static_cast<int>(::SendMessageW(child, CB_GETCURSEL, 0, 0));
            if (index >= 0 && index < control.ListCount()) input::ChooseListEntry(control, index);
        } else if (code == CBN_DROPDOWN) {
            input::OpenList(control);
        } else if (code == CBN_EDITCHANGE) {
            ReplayTyping(child);
        } else if (code == CBN_SETFOCUS) {
            SyncFocusFromNative();
        }
        break;
    case Kind::TextBox:
        if (code == EN_CHANGE) ReplayTyping(child);
        else if (code == EN_SETFOCUS) SyncFocusFromNative();
        break;
    default:
        break;
    }
    return 0;
}

void NativeForm::ReplayTyping(HWND hwnd) {
    Native* native = Find(hwnd);
    if (native == nullptr) return;
    Control& control = *native->control;
    const std::wstring now = winapi::WindowText(hwnd);
    const std::wstring before = winapi::Utf8ToWide(control.Text());
    if (now == before) return;
    // The state takes the change as the keystroke made it: the replaced range, then the
    // typed text, then the caret where the edit has it.
    const TextEdit edit = DiffText(before, now);
    const LifetimeToken::Watch alive = lifetime_.Watching();
    input::Select(control, edit.start, edit.length);
    input::Type(control, winapi::WideToUtf8(edit.inserted));
    if (alive) SyncNativeState(hwnd);
}

void NativeForm::SyncNativeState(HWND hwnd) {
    // The handler may have unloaded or rebuilt the form: look the control up again.
    Native* native = Find(hwnd);
    if (native == nullptr || !::IsWindow(hwnd)) return;
    Control& control = *native->control;
    FlagScope applying(applying_);
    switch (control.GetKind()) {
    case Kind::CheckBox:
    case Kind::VScrollBar:
        ApplyValue(*native);
        return;
    case Kind::TextBox:
    case Kind::ComboBox: {
        // A handler that changed the text leaves it to EventDone to show.
        if (winapi::WindowText(hwnd) != winapi::Utf8ToWide(control.Text())) return;
        DWORD start = 0, end = 0;
        const UINT getSelection = control.GetKind() == Kind::TextBox ? EM_GETSEL : CB_GETEDITSEL;
        ::SendMessageW(hwnd, getSelection, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (static_cast<int>(start) != control.SelStart() || static_cast<int>(end - start) != control.SelLength())
            input::Select(control, static_cast<int>(start), static_cast<int>(end - start));
        return;
    }
    default:
        return;
    }
}

LRESULT NativeForm::OnScroll(HWND bar, UINT code) {
    Native* native = applying_ ? nullptr : Find(bar);
    if (native == nullptr || native->control->GetKind() != Kind::VScrollBar) return 0;
    Control& control = *native->control;
    const LifetimeToken::Watch alive = lifetime_.Watching();
    // "Down" is towards Max, whichever way the VB range runs.
    switch (code) {
    case SB_LINEDOWN: input::ScrollArrow(control, true); break;
    case SB_LINEUP: input::ScrollArrow(control, false); break;
    case SB_PAGEDOWN: input::ScrollPage(control, true); break;
    case SB_PAGEUP: input::ScrollPage(control, false); break;
    case SB_TOP: input::DragThumb(control, control.Min()); break;
    case SB_BOTTOM: input::DragThumb(control, control.Max()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(bar, SB_CTL, &info);
        input::DragThumb(control, ScrollMapping{control.Min(), control.Max()}.FromNative(info.nTrackPos));
        break;
    }
    default:
        return 0;
    }
    if (alive) SyncNativeState(bar);
    return 0;
}

void NativeForm::OnDoubleClick(HWND edit) {
    Native* native = Find(edit);
    if (native == nullptr) return;
    Control& control = *native->control;
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    input::Select(control, static_cast<int>(start), static_cast<int>(end - start));
    input::DoubleClick(control);
}

LRESULT NativeForm::OnClose() {
    input::PressCloseBox(form_);
    return 0;
}

// --- Focus ----------------------------------------------------------------------------------

void NativeForm::SyncFocusFromNative() {
    if (!window_) return;
    for (HWND at = ::GetFocus(); at != nullptr && at != window_.get(); at = ::GetParent(at)) {
        Native* native = Find(at);
        if (native == nullptr) continue;
        if (native->control != form_.ActiveControl()) {
            FlagScope syncing(syncingFocus_);
            try {
                form_.SetFocus(*native->control);
            } catch (const std::invalid_argument&) {
                // The state says no user can reach it; leave the form's focus where it was.
            }
        }
        return;
    }
}

LRESULT NativeForm::OnActivate(bool active) {
    if (!active) {
        SyncFocusFromNative();
        return 0;
    }
    // A top-level window gets the focus itself on activation; give it back to the control.
    if (Control* control = form_.ActiveControl())
        if (HWND hwnd = WindowOf(*control); hwnd != nullptr && ::IsWindowVisible(hwnd)) {
            ::SetFocus(hwnd);
            return 0;
        }
    ::SetFocus(window_.get());
    return 0;
}

// --- Keyboard navigation --------------------------------------------------------------------

bool NativeForm::PreTranslate(MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!window_ || !form_.IsShown()) return false;
    SyncFocusFromNative();
    Control* active = form_.ActiveControl();
    if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
        case VK_TAB:
            if (::GetKeyState(VK_CONTROL) < 0) return false;
            input::PressKey(form_, ::GetKeyState(VK_SHIFT) < 0 ? Key::ShiftTab : Key::Tab);
            return true;
        case VK_RETURN:
        case VK_ESCAPE:
            if (active != nullptr && active->GetKind() == Kind::ComboBox)
                if (HWND combo = WindowOf(*active); combo != nullptr && ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0))
                    return false;  // closes the open list
            if (message.wParam == VK_RETURN && active != nullptr && active->GetKind() == Kind::TextBox &&
                active->MultiLine())
                return false;  // the edit inserts the line break; EN_CHANGE brings it into the state
            input::PressKey(form_, message.wParam == VK_RETURN ? Key::Enter : Key::Escape);
            return true;
        default:
            return false;
        }
    }
    // Alt+letter (bit 29: the Alt key is down; F10 also arrives as a system key).
    if ((message.lParam & (1 << 29)) == 0) return false;
    const auto key = static_cast<unsigned>(message.wParam);
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    return input::PressAccessKey(form_, static_cast<char>(key));
}

}  // namespace tolvane::forms::win32
