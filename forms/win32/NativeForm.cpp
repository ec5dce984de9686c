// The native side of a realised form: its lifetime, the windows it creates at load and
// destroys at unload, and applying the state to them after each event (only what the dirty
// bits say changed).
//
// Z-order: Windows puts a new child below its elder siblings, VB puts a later control above
// the earlier ones, so every child is raised to the top as it is created (a picture box
// created after a frame then lies over the part of the frame it covers).
#include "forms/win32/NativeForm.h"

#include <stdexcept>
#include <string>

#include "forms/ErrorReport.h"
#include "forms/win32/ControlStyles.h"
#include "forms/win32/Mapping.h"
#include "forms/win32/Realiser.h"
#include "forms/win32/WindowClasses.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

namespace tolvane::forms::win32 {
namespace {

constexpr int FirstControlId = 1000;
// Entries the drop-down list shows before it scrolls.
constexpr int ComboListEntries = 8;

bool IsWithin(HWND inner, HWND outer) noexcept { return inner == outer || ::IsChild(outer, inner) != FALSE; }

}  // namespace

// --- Lifetime -------------------------------------------------------------------------------

NativeForm::NativeForm(Realiser& realiser, Form& form) : realiser_(realiser), form_(form) {}

NativeForm::~NativeForm() {
    lifetime_.End();
    if (form_.Observer() == this) form_.SetObserver(nullptr);
    DestroyWindows();
}

void NativeForm::Destroyed(Form&) {
    DestroyWindows();
    form_.SetObserver(nullptr);
    // Deletes this object: nothing may follow.
    realiser_.Forget(this);
}

bool NativeForm::ShowError(Form&, const ErrorReport& report) {
    realiser_.Report(*this, report.description);
    return true;
}

void NativeForm::Fail(const char* source, const char* description) noexcept {
    const ErrorReport report{form_.Name(), source, description};
    try {
        ShowError(form_, report);
    } catch (...) {
        ReportError(report);
    }
}

HWND NativeForm::WindowOf(const Control& control) const {
    const auto at = byControl_.find(&control);
    return at == byControl_.end() ? nullptr : natives_[at->second].hwnd;
}

NativeForm::Native* NativeForm::Find(HWND hwnd) {
    const auto at = byWindow_.find(hwnd);
    return at == byWindow_.end() ? nullptr : &natives_[at->second];
}

HWND NativeForm::ContainerWindow(const Control& control) const {
    if (control.Container() != nullptr)
        if (HWND container = WindowOf(*control.Container()); container != nullptr) return container;
    return window_.get();
}

RECT NativeForm::PixelBounds(const Control& control) const { return PixelRect(control.Bounds(), dpiX_, dpiY_); }

RECT NativeForm::WindowRectOf(const Control& control) const {
    return control.GetKind() == Kind::Line ? LineWindowRect(control, dpiX_, dpiY_) : PixelBounds(control);
}

// --- FormObserver ---------------------------------------------------------------------------

void NativeForm::Loaded(Form&) {
    std::string description;
    try {
        CreateWindows();
        return;
    } catch (const std::exception& error) {
        description = error.what();
    } catch (...) {
        description = "The window could not be created";
    }
    DestroyWindows();
    const LifetimeToken::Watch alive = lifetime_.Watching();
    Fail("Form_Load", description.c_str());
    // A form without its window is not open: unloaded, the next Show creates it afresh.
    if (alive) form_.Unload();
}

void NativeForm::Unloaded(Form&) { DestroyWindows(); }

void NativeForm::Shown(Form&) {
    if (!window_) return;
    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());
}

void NativeForm::BroughtToFront(Form&) {
    if (!window_ || !::IsWindowVisible(window_.get())) return;
    // To the top of its band (a topmost window stays topmost), then active with the keyboard.
    ::SetWindowPos(window_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(window_.get());
}

void NativeForm::Hidden(Form&) {
    if (window_) ::ShowWindow(window_.get(), SW_HIDE);
}

void NativeForm::FocusMoved(Form&, Control* control) {
    if (syncingFocus_ || control == nullptr || !window_ || !::IsWindowVisible(window_.get())) return;
    HWND target = WindowOf(*control);
    // A combo box hands the focus to its edit field and selects all of it: leave a focus
    // that is already there alone, or typing would select what was typed.
    if (target == nullptr || IsWithin(::GetFocus(), target)) return;
    ::SetFocus(target);
}

void NativeForm::MadeTopMost(Form&) {
    // Without moving or resizing it; the result is not used.
    if (window_) ::SetWindowPos(window_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void NativeForm::EventDone(Form&) {
    if (!window_) {
        // Nothing to show it on; the next load creates every control from its state anyway.
        for (const auto& control : form_.Controls()) control->TakeDirty();
        return;
    }
    FlagScope applying(applying_);
    ApplyForm();
    const auto& controls = form_.Controls();
    for (std::size_t i = 0; i < controls.size() && i < natives_.size(); ++i) {
        if (const std::uint32_t bits = controls[i]->TakeDirty(); bits != 0) Apply(i, bits);
    }
}

// --- Creating and destroying ----------------------------------------------------------------

void NativeForm::CreateWindows() {
    DestroyWindows();
    resources_ = std::make_unique<ThreadResources>();
    {
        winapi::WindowDc screen(nullptr);
        dpiX_ = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY_ = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
        if (dpiX_ <= 0) dpiX_ = 96;
        if (dpiY_ <= 0) dpiY_ = 96;
    }
    const DWORD style = FormStyle(form_);
    const DWORD exStyle = FormExStyle(form_);
    clientWidth_ = form_.ClientWidth();
    clientHeight_ = form_.ClientHeight();
    RECT frame{0, 0, TwipsToPixels(clientWidth_, dpiX_), TwipsToPixels(clientHeight_, dpiY_)};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    caption_ = form_.Caption();
    HWND hwnd = ::CreateWindowExW(exStyle, FormClass, winapi::Utf8ToWide(caption_).c_str(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  winapi::ThisModule(), this);
    if (hwnd == nullptr) throw std::runtime_error("The window could not be created");
    window_.reset(hwnd);
    CreateToolTips();

    FlagScope applying(applying_);
    const auto& controls = form_.Controls();
    natives_.resize(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) CreateNative(i);
    for (const auto& control : controls) control->TakeDirty();
}

void NativeForm::CreateNative(std::size_t index) {
    Native& native = natives_[index];
    Control& control = *form_.Controls()[index];
    native.control = &control;
    byControl_[&control] = index;
    if (control.GetKind() == Kind::Line && !IsAxisLine(control)) {
        native.lineRect = PixelBounds(control);
        InvalidateLine(native);
        return;
    }
    const RECT r = WindowRectOf(control);
    const std::wstring text = ShowsCaption(control.GetKind()) ? winapi::Utf8ToWide(control.Caption()) : L"";
    HWND hwnd = ::CreateWindowExW(ExStyleOf(control), ClassOf(control.GetKind()), text.c_str(), StyleOf(control),
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, ContainerWindow(control),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstControlId + index)),
                                  winapi::ThisModule(), this);
    if (hwnd == nullptr) throw std::runtime_error("The control " + control.Reference() + " could not be created");
    native.hwnd = hwnd;
    byWindow_[hwnd] = index;
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    if (control.GetKind() == Kind::TextBox) {
        ::SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // VB's text boxes take any length
        SubclassTextBox(hwnd);
    }
    ApplyAppearance(native);  // the font first: a combo box sizes its field from it
    ApplyGeometry(native);
    if (control.GetKind() == Kind::ComboBox) FitComboField(native, r.bottom - r.top);
    ApplyText(native, DirtyText | DirtyList | DirtyListIndex | DirtySelection);
    ApplyValue(native);
    ApplyToolTip(native);
    ::EnableWindow(hwnd, control.Enabled() ? TRUE : FALSE);
    if (control.Visible()) ::ShowWindow(hwnd, SW_SHOWNA);
}

// The layout's Height is the closed combo box; fit the edit field so the box has that height.
// Measured, not computed: what CB_GETITEMHEIGHT reports for the field is not always what
// CB_SETITEMHEIGHT takes (Wine adds its padding), and the font sets a minimum.
void NativeForm::FitComboField(Native& native, int height) {
    auto field = static_cast<int>(::SendMessageW(native.hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3 && field > 0; ++attempt) {
        RECT now{};
        ::GetWindowRect(native.hwnd, &now);
        if (now.bottom - now.top == height) break;
        field += height - (now.bottom - now.top);
        if (field <= 0) break;
        ::SendMessageW(native.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        ApplyGeometry(native);
    }
}

void NativeForm::DestroyWindows() noexcept {
    // Children go with their parent; the tips window, which refers to them, first.
    tips_.reset();
    window_.reset();
    natives_.clear();
    byWindow_.clear();
    byControl_.clear();
    resources_.reset();
}

// --- Applying state -------------------------------------------------------------------------

void NativeForm::ApplyForm() {
    if (form_.Caption() != caption_) {
        caption_ = form_.Caption();
        ::SetWindowTextW(window_.get(), winapi::Utf8ToWide(caption_).c_str());
    }
    if (form_.ClientWidth() != clientWidth_ || form_.ClientHeight() != clientHeight_) {
        clientWidth_ = form_.ClientWidth();
        clientHeight_ = form_.ClientHeight();
        RECT frame{0, 0, TwipsToPixels(clientWidth_, dpiX_), TwipsToPixels(clientHeight_, dpiY_)};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window_.get(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(window_.get(), GWL_EXSTYLE)));
        ::SetWindowPos(window_.get(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void NativeForm::Apply(std::size_t index, std::uint32_t bits) {
    Native& native = natives_[index];
    Control& control = *native.control;
    if (control.GetKind() == Kind::Line && native.hwnd == nullptr) {
        InvalidateLine(native);  // where it was
        native.lineRect = PixelBounds(control);
        InvalidateLine(native);  // where it is
        return;
    }
    HWND hwnd = native.hwnd;
    if (hwnd == nullptr) return;
    if (bits & DirtyContainer) {
        ::SetParent(hwnd, ContainerWindow(control));
        bits |= DirtyGeometry;
    }
    if (bits & DirtyAppearance) ApplyAppearance(native);
    if (bits & DirtyGeometry) ApplyGeometry(native);
    if (bits & (DirtyText | DirtyList | DirtyListIndex | DirtySelection)) ApplyText(native, bits);
    if (bits & (DirtyValue | DirtyRange)) ApplyValue(native);
    if (bits & DirtyToolTip) ApplyToolTip(native);
    if (bits & DirtyEnabled) ::EnableWindow(hwnd, control.Enabled() ? TRUE : FALSE);
    if (bits & DirtyVisible) ::ShowWindow(hwnd, control.Visible() ? SW_SHOWNA : SW_HIDE);
}

void NativeForm::ApplyGeometry(Native& native) {
    const Control& control = *native.control;
    const RECT r = WindowRectOf(control);
    int height = r.bottom - r.top;
    if (control.GetKind() == Kind::ComboBox) {
        // For a drop-down combo box the height given is that of the box with its list open.
        const LRESULT entry = ::SendMessageW(native.hwnd, CB_GETITEMHEIGHT, 0, 0);
        height += ComboListEntries * static_cast<int>(entry > 0 ? entry : 16) + 2;
    }
    ::MoveWindow(native.hwnd, r.left, r.top, r.right - r.left, height, TRUE);
}

void NativeForm::ApplyText(Native& native, std::uint32_t bits) {
    const Control& control = *native.control;
    HWND hwnd = native.hwnd;
    switch (control.GetKind()) {
    case Kind::ComboBox: {
        if (bits & DirtyList) {
            ::SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
            for (int i = 0; i < control.ListCount(); ++i) {
                const std::wstring entry = winapi::Utf8ToWide(control.List(i));
                ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
            }
        }
        if (bits & (DirtyList | DirtyListIndex))
            ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(control.ListIndex()), 0);
        const std::wstring text = winapi::Utf8ToWide(control.Text());
        if (winapi::WindowText(hwnd) != text) ::SetWindowTextW(hwnd, text.c_str());
        const int start = control.SelStart();
        ::SendMessageW(hwnd, CB_SETEDITSEL, 0, MAKELPARAM(start, start + control.SelLength()));
        return;
    }
    case Kind::TextBox: {
        if (bits & DirtyText) {
            const std::wstring text = winapi::Utf8ToWide(control.Text());
            if (winapi::WindowText(hwnd) != text) ::SetWindowTextW(hwnd, text.c_str());
        }
        const int start = control.SelStart();
        ::SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + control.SelLength()));
        return;
    }
    case Kind::Label:
    case Kind::CheckBox:
    case Kind::CommandButton:
        if (bits & DirtyText) ::SetWindowTextW(hwnd, winapi::Utf8ToWide(control.Caption()).c_str());
        return;
    default:
        return;
    }
}

void NativeForm::ApplyValue(Native& native) {
    const Control& control = *native.control;
    if (control.GetKind() == Kind::CheckBox) {
        ::SendMessageW(native.hwnd, BM_SETCHECK, static_cast<WPARAM>(CheckState(control.Value())), 0);
    } else if (control.GetKind() == Kind::VScrollBar) {
        const ScrollMapping mapping{control.Min(), control.Max()};
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        info.nMin = 0;
        info.nMax = mapping.NativeMax();
        info.nPage = 0;  // VB's thumb has a fixed size
        info.nPos = mapping.ToNative(control.Value());
        ::SetScrollInfo(native.hwnd, SB_CTL, &info, TRUE);
    }
}

void NativeForm::ApplyFont(Native& native) {
    const Font& font = native.control->GetFont();
    if (font == Font{}) {
        native.font.reset();
    } else {
        LOGFONTW base{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
        if (font.points > 0) base.lfHeight = -::MulDiv(font.points, dpiY_, 72);
        base.lfWidth = 0;
        base.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
        if (!font.name.empty()) {
            const std::wstring face = winapi::Utf8ToWide(font.name);
            lstrcpynW(base.lfFaceName, face.c_str(), LF_FACESIZE);
        }
        native.font.reset(::CreateFontIndirectW(&base));
    }
    const HGDIOBJ shown = native.font ? native.font.get() : ::GetStockObject(DEFAULT_GUI_FONT);
    ::SendMessageW(native.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
}

void NativeForm::ApplyPicture(Native& native) {
    const Control& control = *native.control;
    HWND hwnd = native.hwnd;
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    const DWORD wanted =
        control.HasBorder() ? (exStyle | WS_EX_CLIENTEDGE) : (exStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE));
    if (wanted != exStyle) {
        ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>(wanted));
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    native.icon.reset();
    if (!control.PictureResource().empty()) {
        // At its natural size; a module without that resource shows nothing.
        const std::wstring name = winapi::Utf8ToWide(control.PictureResource());
        native.icon.reset(static_cast<HICON>(
            ::LoadImageW(realiser_.ResourceModule(), name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR)));
    }
}

void NativeForm::ApplyAppearance(Native& native) {
    const Control& control = *native.control;
    HWND hwnd = native.hwnd;
    ApplyFont(native);
    switch (control.GetKind()) {
    case Kind::Label: {
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
        const DWORD wanted = (style & ~static_cast<DWORD>(SS_TYPEMASK)) | LabelAlignment(control);
        if (wanted != style) ::SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
        break;
    }
    case Kind::CommandButton:
        ::SendMessageW(hwnd, BM_SETSTYLE, control.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        break;
    case Kind::PictureBox:
        ApplyPicture(native);
        break;
    default:
        break;
    }
    ::InvalidateRect(hwnd, nullptr, TRUE);
}

void NativeForm::InvalidateLine(Native& native) {
    HWND container = ContainerWindow(*native.control);
    if (container == nullptr) return;
    RECT r = native.lineRect;
    // Covers the end pixel and the offset of a stacked line (see LineWindowRect).
    ::InflateRect(&r, 2, 2);
    ::InvalidateRect(container, &r, TRUE);
}

}  // namespace tolvane::forms::win32
