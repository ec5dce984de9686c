// The native side of a realised form.
//
// Keyboard: the windows are modeless and the message loop belongs to the host (the VB6 IDE),
// which never calls IsDialogMessage for them. A WH_GETMESSAGE hook on this thread sees every
// message the host's loop removes, before the host translates accelerators or dispatches it;
// for keys aimed at one of our forms it runs the form's own navigation (Tab and Shift+Tab in
// the form's tab order, Alt+letter access keys, Enter and Esc to the default and cancel
// buttons) through UserInput and turns the message into WM_NULL. Subclassing each control
// would come too late for keys the host's accelerators take and would mean subclassing a few
// hundred windows. Enter in a multi-line text box and keys in an open combo list stay with the
// native control.
//
// Z-order: Windows puts a new child below its elder siblings, VB puts a later control above
// the earlier ones, so every child is raised to the top as it is created (Picture2 then lies
// over the lower part of Frame1).
#include "forms/win32/NativeForm.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "forms/ErrorReport.h"
#include "forms/UserInput.h"
#include "forms/win32/Mapping.h"
#include "forms/win32/Realiser.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

namespace tolvane::forms::win32 {
namespace {

constexpr wchar_t FormClass[] = L"TolvaneForm";
constexpr wchar_t PictureClass[] = L"TolvanePicture";
constexpr wchar_t FrameClass[] = L"TolvaneFrame";
constexpr wchar_t LineClass[] = L"TolvaneLine";
constexpr wchar_t OriginalProcProperty[] = L"Tolvane.OriginalProc";
constexpr int FirstControlId = 1000;
// Entries the drop-down list shows before it scrolls.
constexpr int ComboListEntries = 8;

struct Shared {
    int users = 0;
    ATOM formAtom = 0;
    winapi::UniqueHook hook;
};

Shared& SharedState() {
    static Shared shared;
    return shared;
}

ATOM RegisterOne(const wchar_t* name, UINT style) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &NativeForm::WindowProc;
    wc.hInstance = winapi::ThisModule();
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name;
    ATOM atom = ::RegisterClassExW(&wc);
    if (atom == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        // Left behind by an earlier copy of this module: its window procedure may be gone.
        ::UnregisterClassW(name, wc.hInstance);
        atom = ::RegisterClassExW(&wc);
    }
    if (atom == 0) throw std::runtime_error("The window class could not be registered");
    return atom;
}

void UnregisterAll() noexcept {
    const HMODULE module = winapi::ThisModule();
    ::UnregisterClassW(FormClass, module);
    ::UnregisterClassW(PictureClass, module);
    ::UnregisterClassW(FrameClass, module);
    ::UnregisterClassW(LineClass, module);
}

bool IsWithin(HWND inner, HWND outer) noexcept { return inner == outer || ::IsChild(outer, inner) != FALSE; }

DWORD StyleOf(const Control& control) {
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    switch (control.GetKind()) {
    case Kind::Label:
        switch (control.GetAlignment()) {
        case Alignment::Right: return child | SS_RIGHT;
        case Alignment::Center: return child | SS_CENTER;
        case Alignment::Left: return child | SS_LEFT;
        }
        return child | SS_LEFT;
    case Kind::ComboBox:
        return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    case Kind::CheckBox:
        // Not automatic: the forms package decides the value, the control only shows it.
        return child | WS_TABSTOP | BS_3STATE;
    case Kind::PictureBox:
    case Kind::Frame:
        return child | WS_CLIPCHILDREN;
    case Kind::TextBox: {
        DWORD style = child | WS_TABSTOP | ES_LEFT | ES_NOHIDESEL;
        const ScrollBars bars = control.GetScrollBars();
        const bool horizontal = bars == ScrollBars::Horizontal || bars == ScrollBars::Both;
        const bool vertical = bars == ScrollBars::Vertical || bars == ScrollBars::Both;
        if (control.MultiLine()) {
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
            // Without a horizontal bar VB wraps long lines.
            if (horizontal) style |= ES_AUTOHSCROLL | WS_HSCROLL;
            if (vertical) style |= WS_VSCROLL;
        } else {
            style |= ES_AUTOHSCROLL;
        }
        return style;
    }
    case Kind::CommandButton:
        return child | WS_TABSTOP | (control.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    case Kind::VScrollBar:
        return child | WS_TABSTOP | SBS_VERT;
    case Kind::Line:
        return child;
    }
    return child;
}

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
    case Kind::Label: return L"STATIC";
    case Kind::ComboBox: return L"COMBOBOX";
    case Kind::CheckBox:
    case Kind::CommandButton: return L"BUTTON";
    case Kind::PictureBox: return PictureClass;
    case Kind::Frame: return FrameClass;
    case Kind::TextBox: return L"EDIT";
    case Kind::VScrollBar: return L"SCROLLBAR";
    case Kind::Line: return LineClass;
    }
    return nullptr;
}

// Horizontal and vertical lines are thin windows of their own, so that they lie over the
// controls created before them, as VB draws them; any other line is painted by its container.
bool IsAxisLine(const Control& line) { return line.X1() == line.X2() || line.Y1() == line.Y2(); }

int CheckState(int value) {
    switch (value) {
    case 1: return BST_CHECKED;
    case 2: return BST_INDETERMINATE;
    default: return BST_UNCHECKED;
    }
}

// Sets a flag for the lifetime of a scope (re-entrant: restores what it found).
class FlagScope {
public:
    explicit FlagScope(bool& flag) noexcept : flag_(flag), previous_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = previous_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

}  // namespace

// --- Thread resources -----------------------------------------------------------------------

ThreadResources::ThreadResources() {
    Shared& shared = SharedState();
    if (shared.users == 0) {
        try {
            shared.formAtom = RegisterOne(FormClass, 0);
            RegisterOne(PictureClass, 0);
            RegisterOne(FrameClass, 0);
            RegisterOne(LineClass, 0);
            shared.hook.reset(::SetWindowsHookExW(WH_GETMESSAGE, &NativeForm::MessageHook, nullptr,
                                                  ::GetCurrentThreadId()));
            if (!shared.hook) throw std::runtime_error("The keyboard hook could not be installed");
        } catch (...) {
            shared.hook.reset();
            UnregisterAll();
            shared.formAtom = 0;
            throw;
        }
    }
    ++shared.users;
}

ThreadResources::~ThreadResources() {
    Shared& shared = SharedState();
    if (--shared.users > 0) return;
    shared.hook.reset();
    UnregisterAll();
    shared.formAtom = 0;
}

// --- Lifetime -------------------------------------------------------------------------------

NativeForm::NativeForm(Realiser& realiser, Form& form) : realiser_(realiser), form_(form) {}

NativeForm::~NativeForm() {
    alive_.reset();
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

NativeForm* NativeForm::FromWindow(HWND anyWindow) noexcept {
    if (anyWindow == nullptr || SharedState().formAtom == 0) return nullptr;
    HWND root = ::GetAncestor(anyWindow, GA_ROOT);
    if (root == nullptr || ::GetClassLongPtrW(root, GCW_ATOM) != SharedState().formAtom) return nullptr;
    return reinterpret_cast<NativeForm*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
}

HWND NativeForm::WindowOf(const Control& control) const {
    const auto at = byControl_.find(&control);
    return at == byControl_.end() ? nullptr : natives_[at->second].hwnd;
}

NativeForm::Native* NativeForm::Find(HWND hwnd) {
    const auto at = byWindow_.find(hwnd);
    return at == byWindow_.end() ? nullptr : &natives_[at->second];
}

NativeForm::Native* NativeForm::Find(const Control* control) {
    const auto at = byControl_.find(control);
    return at == byControl_.end() ? nullptr : &natives_[at->second];
}

HWND NativeForm::ContainerWindow(const Control& control) const {
    if (control.Container() != nullptr)
        if (HWND container = WindowOf(*control.Container()); container != nullptr) return container;
    return window_.get();
}

RECT NativeForm::PixelBounds(const Control& control) const { return PixelRect(control.Bounds(), dpiX_, dpiY_); }

RECT NativeForm::LineRect(const Control& line) const {
    // A line laid exactly over an earlier one (an etched rule: a grey line, then a white one
    // on the same ends) goes one pixel further down (or right), or it would hide the first.
    int stacked = 0;
    for (const auto& other : form_.Controls()) {
        if (other.get() == &line) break;
        if (other->GetKind() == Kind::Line && other->Container() == line.Container() && other->X1() == line.X1() &&
            other->Y1() == line.Y1() && other->X2() == line.X2() && other->Y2() == line.Y2())
            ++stacked;
    }
    const bool horizontal = line.Y1() == line.Y2();
    const int x1 = TwipsToPixels(std::min(line.X1(), line.X2()), dpiX_) + (horizontal ? 0 : stacked);
    const int y1 = TwipsToPixels(std::min(line.Y1(), line.Y2()), dpiY_) + (horizontal ? stacked : 0);
    const int x2 = TwipsToPixels(std::max(line.X1(), line.X2()), dpiX_) + (horizontal ? 0 : stacked);
    const int y2 = TwipsToPixels(std::max(line.Y1(), line.Y2()), dpiY_) + (horizontal ? stacked : 0);
    return RECT{x1, y1, x2 + 1, y2 + 1};
}

HFONT NativeForm::FontFor(const Native& native) const {
    if (native.font) return native.font.get();
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// --- FormObserver ---------------------------------------------------------------------------

void NativeForm::Loaded(Form&) {
    try {
        CreateWindows();
    } catch (const std::exception& error) {
        DestroyWindows();
        Fail("Form_Load", error.what());
    } catch (...) {
        DestroyWindows();
        Fail("Form_Load", "The window could not be created");
    }
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
    if (!window_) return;
    // Bound by name at run time, as the product has always done; the result is not used.
    using SetWindowPosFunction = BOOL(WINAPI*)(HWND, HWND, int, int, int, int, UINT);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    FARPROC address = ::GetProcAddress(user32, "SetWindowPos");
    if (address == nullptr) return;
    SetWindowPosFunction setWindowPos;
    static_assert(sizeof setWindowPos == sizeof address);
    std::memcpy(&setWindowPos, &address, sizeof address);
    setWindowPos(window_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
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
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (form_.HasCloseBox()) style |= WS_SYSMENU;
    if (form_.FixedDialog()) exStyle |= WS_EX_DLGMODALFRAME;
    else style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

    clientWidth_ = form_.ClientWidth();
    clientHeight_ = form_.ClientHeight();
    RECT frame{0, 0, TwipsToPixels(clientWidth_, dpiX_), TwipsToPixels(clientHeight_, dpiY_)};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    caption_ = form_.Caption();
    HWND hwnd = ::CreateWindowExW(exStyle, FormClass, winapi::Utf8ToWide(caption_).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, winapi::ThisModule(),
                                  this);
    if (hwnd == nullptr) throw std::runtime_error("The window could not be created");
    window_.reset(hwnd);

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
    DWORD exStyle = 0;
    if (control.GetKind() == Kind::TextBox) exStyle |= WS_EX_CLIENTEDGE;
    if (control.GetKind() == Kind::PictureBox && control.HasBorder()) exStyle |= WS_EX_CLIENTEDGE;
    if (control.GetKind() == Kind::PictureBox || control.GetKind() == Kind::Frame) exStyle |= WS_EX_CONTROLPARENT;
    const RECT r = control.GetKind() == Kind::Line ? LineRect(control) : PixelBounds(control);
    const bool textual = control.GetKind() != Kind::ComboBox && control.GetKind() != Kind::TextBox;
    HWND hwnd = ::CreateWindowExW(exStyle, ClassOf(control.GetKind()),
                                  textual ? winapi::Utf8ToWide(control.Caption()).c_str() : L"", StyleOf(control), r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, ContainerWindow(control),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstControlId + index)),
                                  winapi::ThisModule(), this);
    if (hwnd == nullptr) throw std::runtime_error("The control " + control.Reference() + " could not be created");
    native.hwnd = hwnd;
    byWindow_[hwnd] = index;
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    if (control.GetKind() == Kind::TextBox) {
        ::SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // VB's text boxes take any length
        const auto original = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
        ::SetPropW(hwnd, OriginalProcProperty, reinterpret_cast<HANDLE>(original));
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeForm::EditProc));
    }
    ApplyAppearance(native);  // the font first: a combo box sizes its field from it
    ApplyGeometry(native);
    if (control.GetKind() == Kind::ComboBox) {
        // The layout's Height is the closed box; fit the edit field so the box has that height.
        // Measured, not computed: what CB_GETITEMHEIGHT reports for the field is not always
        // what CB_SETITEMHEIGHT takes (Wine adds its padding), and the font sets a minimum.
        const int wanted = r.bottom - r.top;
        auto field = static_cast<int>(::SendMessageW(hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        for (int attempt = 0; attempt < 3 && field > 0; ++attempt) {
            RECT now{};
            ::GetWindowRect(hwnd, &now);
            if (now.bottom - now.top == wanted) break;
            field += wanted - (now.bottom - now.top);
            if (field <= 0) break;
            ::SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
            ApplyGeometry(native);
        }
    }
    ApplyText(native, DirtyText | DirtyList | DirtyListIndex | DirtySelection);
    ApplyValue(native);
    ::EnableWindow(hwnd, control.Enabled() ? TRUE : FALSE);
    if (control.Visible()) ::ShowWindow(hwnd, SW_SHOWNA);
}

void NativeForm::DestroyWindows() noexcept {
    // Children go with their parent.
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
    if (bits & DirtyEnabled) ::EnableWindow(hwnd, control.Enabled() ? TRUE : FALSE);
    if (bits & DirtyVisible) ::ShowWindow(hwnd, control.Visible() ? SW_SHOWNA : SW_HIDE);
}

void NativeForm::ApplyGeometry(Native& native) {
    const Control& control = *native.control;
    RECT r = control.GetKind() == Kind::Line ? LineRect(control) : PixelBounds(control);
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
            for (int i = 0; i < control.ListCount(); ++i)
                ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(winapi::Utf8ToWide(control.List(i)).c_str()));
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

void NativeForm::ApplyAppearance(Native& native) {
    const Control& control = *native.control;
    HWND hwnd = native.hwnd;
    const Font& font = control.GetFont();
    if (font.name.empty() && font.points == 0 && !font.bold) {
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
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(native)), TRUE);

    switch (control.GetKind()) {
    case Kind::Label: {
        auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
        const DWORD wanted = (style & ~static_cast<DWORD>(SS_TYPEMASK)) | (StyleOf(control) & SS_TYPEMASK);
        if (wanted != style) ::SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
        break;
    }
    case Kind::CommandButton:
        ::SendMessageW(hwnd, BM_SETSTYLE, control.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        break;
    case Kind::PictureBox: {
        auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
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
        break;
    }
    default:
        break;
    }
    ::InvalidateRect(hwnd, nullptr, TRUE);
}

void NativeForm::InvalidateLine(Native& native) {
    HWND container = ContainerWindow(*native.control);
    if (container == nullptr) return;
    RECT r = native.lineRect;
    // Covers the end pixel and the offset of a stacked line (see OnPaint).
    ::InflateRect(&r, 2, 2);
    ::InvalidateRect(container, &r, TRUE);
}

// --- Window procedures ----------------------------------------------------------------------

LRESULT CALLBACK NativeForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    NativeForm* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<NativeForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<NativeForm*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    // A handler may destroy the form, and this object with it.
    const std::weak_ptr<char> alive = self->alive_;
    try {
        return self->HandleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception& error) {
        if (!alive.expired()) self->Fail("WindowProc", error.what());
    } catch (...) {
        if (!alive.expired()) self->Fail("WindowProc", "Unexpected error");
    }
    // Never let the default processing destroy a window the form still counts as loaded.
    return message == WM_CLOSE ? 0 : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT NativeForm::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool top = hwnd == window_.get();
    switch (message) {
    case WM_COMMAND:
        if (lParam != 0) {
            OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            return 0;
        }
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
        if (lParam != 0) {
            OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        if (const Native* native = Find(hwnd); native != nullptr && native->control->GetKind() == Kind::Line)
            return 1;  // WM_PAINT fills the whole line
        break;
    case WM_NCHITTEST:
        if (const Native* native = Find(hwnd); native != nullptr && native->control->GetKind() == Kind::Line)
            return HTTRANSPARENT;  // a line takes no clicks
        break;
    case WM_CLOSE:
        if (top) {
            UserInput::PressCloseBox(form_);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (top) {
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK NativeForm::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, OriginalProcProperty));
    if (original == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::RemovePropW(hwnd, OriginalProcProperty);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        return ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    const LRESULT result = ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    if (message == WM_LBUTTONDBLCLK) {
        // After the edit's own handling (which selects a word), so that the handler has the
        // last word on the selection.
        NativeForm* self = FromWindow(hwnd);
        const std::weak_ptr<char> alive = self != nullptr ? self->alive_ : nullptr;
        try {
            if (self != nullptr) self->OnDoubleClick(hwnd);
        } catch (const std::exception& error) {
            if (!alive.expired()) self->Fail("DblClick", error.what());
        } catch (...) {
            if (!alive.expired()) self->Fail("DblClick", "Unexpected error");
        }
    }
    return result;
}

LRESULT CALLBACK NativeForm::MessageHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        NativeForm* self = FromWindow(message->hwnd);
        const std::weak_ptr<char> alive = self != nullptr ? self->alive_ : nullptr;
        try {
            if (self != nullptr && self->PreTranslate(*message)) {
                message->message = WM_NULL;
                message->wParam = 0;
                message->lParam = 0;
            }
        } catch (const std::exception& error) {
            if (!alive.expired()) self->Fail("KeyDown", error.what());
        } catch (...) {
            if (!alive.expired()) self->Fail("KeyDown", "Unexpected error");
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// --- Native input into the state ------------------------------------------------------------

void NativeForm::OnCommand(HWND child, UINT code) {
    if (applying_) return;
    Native* native = Find(child);
    if (native == nullptr) return;
    Control& control = *native->control;
    const std::weak_ptr<char> alive = alive_;
    switch (control.GetKind()) {
    case Kind::CommandButton:
        if (code == BN_CLICKED) UserInput::Click(control);
        return;
    case Kind::CheckBox:
        if (code == BN_CLICKED) {
            UserInput::Click(control);
            // The box does not check itself: show the value the state now holds.
            if (!alive.expired()) SyncNativeState(child);
        }
        return;
    case Kind::ComboBox:
        if (code == CBN_SELCHANGE) {
            const auto index = static_cast<int>(::SendMessageW(child, CB_GETCURSEL, 0, 0));
            if (index >= 0 && index < control.ListCount()) UserInput::ChooseListEntry(control, index);
        } else if (code == CBN_DROPDOWN) {
            UserInput::OpenList(control);
        } else if (code == CBN_EDITCHANGE) {
            ReplayTyping(child);
        } else if (code == CBN_SETFOCUS) {
            SyncFocusFromNative();
        }
        return;
    case Kind::TextBox:
        if (code == EN_CHANGE) ReplayTyping(child);
        else if (code == EN_SETFOCUS) SyncFocusFromNative();
        return;
    default:
        return;
    }
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
    const std::weak_ptr<char> alive = alive_;
    UserInput::Select(control, edit.start, edit.length);
    UserInput::Type(control, winapi::WideToUtf8(edit.inserted));
    if (!alive.expired()) SyncNativeState(hwnd);
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
        if (winapi::WindowText(hwnd) != winapi::Utf8ToWide(control.Text())) return;  // the handler changed it; EventDone shows it
        DWORD start = 0, end = 0;
        if (control.GetKind() == Kind::TextBox)
            ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        else
            ::SendMessageW(hwnd, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (static_cast<int>(start) != control.SelStart() ||
            static_cast<int>(end - start) != control.SelLength())
            UserInput::Select(control, static_cast<int>(start), static_cast<int>(end - start));
        return;
    }
    default:
        return;
    }
}

void NativeForm::OnScroll(HWND bar, UINT code) {
    if (applying_) return;
    Native* native = Find(bar);
    if (native == nullptr || native->control->GetKind() != Kind::VScrollBar) return;
    Control& control = *native->control;
    const ScrollMapping mapping{control.Min(), control.Max()};
    const std::weak_ptr<char> alive = alive_;
    // "Down" is towards Max, whichever way the VB range runs.
    switch (code) {
    case SB_LINEDOWN: UserInput::ScrollArrow(control, true); break;
    case SB_LINEUP: UserInput::ScrollArrow(control, false); break;
    case SB_PAGEDOWN: UserInput::ScrollPage(control, true); break;
    case SB_PAGEUP: UserInput::ScrollPage(control, false); break;
    case SB_TOP: UserInput::DragThumb(control, control.Min()); break;
    case SB_BOTTOM: UserInput::DragThumb(control, control.Max()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(bar, SB_CTL, &info);
        UserInput::DragThumb(control, mapping.FromNative(info.nTrackPos));
        break;
    }
    default:
        return;
    }
    if (!alive.expired()) SyncNativeState(bar);
}

void NativeForm::OnDoubleClick(HWND edit) {
    Native* native = Find(edit);
    if (native == nullptr) return;
    Control& control = *native->control;
    DWORD start = 0, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    UserInput::Select(control, static_cast<int>(start), static_cast<int>(end - start));
    UserInput::DoubleClick(control);
}

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

void NativeForm::OnActivate(bool active) {
    if (!active) {
        SyncFocusFromNative();
        return;
    }
    // A top-level window gets the focus itself on activation; give it back to the control.
    if (Control* control = form_.ActiveControl())
        if (HWND hwnd = WindowOf(*control); hwnd != nullptr && ::IsWindowVisible(hwnd)) {
            ::SetFocus(hwnd);
            return;
        }
    ::SetFocus(window_.get());
}

bool NativeForm::PreTranslate(MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!window_ || !form_.IsShown()) return false;
    SyncFocusFromNative();
    Control* active = form_.ActiveControl();
    if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
        case VK_TAB:
            if (::GetKeyState(VK_CONTROL) < 0) return false;
            UserInput::PressKey(form_, ::GetKeyState(VK_SHIFT) < 0 ? Key::ShiftTab : Key::Tab);
            return true;
        case VK_RETURN:
        case VK_ESCAPE:
            if (active != nullptr && active->GetKind() == Kind::ComboBox)
                if (HWND combo = WindowOf(*active); combo != nullptr && ::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0))
                    return false;  // closes the open list
            if (message.wParam == VK_RETURN && active != nullptr && active->GetKind() == Kind::TextBox &&
                active->MultiLine())
                return false;  // the edit inserts the line break; EN_CHANGE brings it into the state
            UserInput::PressKey(form_, message.wParam == VK_RETURN ? Key::Enter : Key::Escape);
            return true;
        default:
            return false;
        }
    }
    // Alt+letter (bit 29: the Alt key is down; F10 also arrives as a system key).
    if ((message.lParam & (1 << 29)) == 0) return false;
    const auto key = static_cast<unsigned>(message.wParam);
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return false;
    return UserInput::PressAccessKey(form_, static_cast<char>(key));
}

// --- Drawing --------------------------------------------------------------------------------

LRESULT NativeForm::OnCtlColor(HDC dc, HWND child) {
    Native* native = Find(child);
    const Control* control = native != nullptr ? native->control : nullptr;
    const bool field =
        control != nullptr && (control->GetKind() == Kind::TextBox || control->GetKind() == Kind::ComboBox);
    const int background = field ? COLOR_WINDOW : COLOR_BTNFACE;
    ::SetTextColor(dc, control != nullptr ? ToColorRef(control->ForeColour()) : ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, ::GetSysColor(background));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(background));
}

void NativeForm::OnPaint(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    HDC dc = paint.dc();
    Native* self = hwnd == window_.get() ? nullptr : Find(hwnd);
    const Control* container = self != nullptr ? self->control : nullptr;
    if (container != nullptr && container->GetKind() == Kind::Line) {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        winapi::UniqueBrush brush(::CreateSolidBrush(ToColorRef(container->ForeColour())));
        ::FillRect(dc, &client, brush.get());
        return;
    }
    if (container != nullptr && container->GetKind() == Kind::Frame) {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        ::DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
    }
    if (container != nullptr && self->icon)
        ::DrawIconEx(dc, 0, 0, self->icon.get(), 0, 0, 0, nullptr, DI_NORMAL);

    // Slanted lines of this container, in creation order.
    for (const Native& native : natives_) {
        const Control& line = *native.control;
        if (line.GetKind() != Kind::Line || native.hwnd != nullptr || line.Container() != container ||
            !line.Visible())
            continue;
        const int x1 = TwipsToPixels(line.X1(), dpiX_), y1 = TwipsToPixels(line.Y1(), dpiY_);
        const int x2 = TwipsToPixels(line.X2(), dpiX_), y2 = TwipsToPixels(line.Y2(), dpiY_);
        winapi::UniquePen pen(::CreatePen(PS_SOLID, 1, ToColorRef(line.ForeColour())));
        winapi::SelectScope select(dc, pen.get());
        ::MoveToEx(dc, x1, y1, nullptr);
        ::LineTo(dc, x2, y2);
        ::SetPixel(dc, x2, y2, ToColorRef(line.ForeColour()));  // LineTo leaves out the end point
    }
}

}  // namespace tolvane::forms::win32
