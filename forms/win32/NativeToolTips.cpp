// Tips: one tooltip window per form, one tool per control whose ToolTipText is set. The tool
// is the control's own window (subclassed by the tooltip), so the tip follows the control
// wherever it moves; a disabled window hears no mouse, so its tip waits until it is enabled.
#include "forms/win32/NativeForm.h"

#include <commctrl.h>

#include "winapi/Text.h"
#include "winapi/Window.h"

namespace tolvane::forms::win32 {
namespace {

// Wide enough for a sentence, narrow enough to wrap a paragraph.
constexpr int TipWidthPixels = 360;

TOOLINFOW ToolOf(HWND form, HWND control, wchar_t* text) {
    TOOLINFOW tool{};
    // The size comctl32 5 knows: without a manifest the IDE's process loads that one.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    return tool;
}

}  // namespace

void NativeForm::CreateToolTips() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    // Unowned: a window that owns a popup loses its topmost place under Wine when shown.
    HWND tips = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  winapi::ThisModule(), nullptr);
    // Without tips the form still works: every control is created, none has a tip.
    tips_.reset(tips);
    if (tips != nullptr) ::SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, TipWidthPixels);
}

void NativeForm::ApplyToolTip(Native& native) {
    if (!tips_ || native.hwnd == nullptr) return;
    std::wstring text = winapi::Utf8ToWide(native.control->ToolTipText());
    TOOLINFOW tool = ToolOf(window_.get(), native.hwnd, text.data());
    if (text.empty()) {
        if (native.hasTip) ::SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        native.hasTip = false;
    } else if (native.hasTip) {
        ::SendMessageW(tips_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        native.hasTip = ::SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    }
}

}  // namespace tolvane::forms::win32
