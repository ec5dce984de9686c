#include "forms/win32/ControlStyles.h"

namespace tolvane::forms::win32 {

DWORD FormStyle(const Form& form) noexcept {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    if (form.HasCloseBox()) style |= WS_SYSMENU;
    if (!form.FixedDialog()) style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    return style;
}

DWORD FormExStyle(const Form& form) noexcept {
    return WS_EX_CONTROLPARENT | (form.FixedDialog() ? WS_EX_DLGMODALFRAME : 0);
}

const wchar_t* ClassOf(Kind kind) noexcept {
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

DWORD LabelAlignment(const Control& label) noexcept {
    switch (label.GetAlignment()) {
    case Alignment::Right: return SS_RIGHT;
    case Alignment::Center: return SS_CENTER;
    case Alignment::Left: return SS_LEFT;
    }
    return SS_LEFT;
}

namespace {

DWORD TextBoxStyle(const Control& box) noexcept {
    DWORD style = WS_TABSTOP | ES_LEFT | ES_NOHIDESEL;
    if (!box.MultiLine()) return style | ES_AUTOHSCROLL;
    const ScrollBars bars = box.GetScrollBars();
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    // Without a horizontal bar VB wraps long lines.
    if (bars == ScrollBars::Horizontal || bars == ScrollBars::Both) style |= ES_AUTOHSCROLL | WS_HSCROLL;
    if (bars == ScrollBars::Vertical || bars == ScrollBars::Both) style |= WS_VSCROLL;
    return style;
}

}  // namespace

DWORD StyleOf(const Control& control) noexcept {
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    switch (control.GetKind()) {
    // Notifying: a label takes clicks and shows its tip, as VB's labels do.
    case Kind::Label: return child | SS_NOTIFY | LabelAlignment(control);
    case Kind::ComboBox: return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    // Not automatic: the forms package decides the value, the control only shows it.
    case Kind::CheckBox: return child | WS_TABSTOP | BS_3STATE;
    case Kind::PictureBox:
    case Kind::Frame: return child | WS_CLIPCHILDREN;
    case Kind::TextBox: return child | TextBoxStyle(control);
    case Kind::CommandButton: return child | WS_TABSTOP | (control.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    case Kind::VScrollBar: return child | WS_TABSTOP | SBS_VERT;
    case Kind::Line: return child;
    }
    return child;
}

DWORD ExStyleOf(const Control& control) noexcept {
    switch (control.GetKind()) {
    case Kind::TextBox: return WS_EX_CLIENTEDGE;
    case Kind::PictureBox: return WS_EX_CONTROLPARENT | (control.HasBorder() ? WS_EX_CLIENTEDGE : 0);
    case Kind::Frame: return WS_EX_CONTROLPARENT;
    default: return 0;
    }
}

bool ShowsCaption(Kind kind) noexcept { return kind != Kind::ComboBox && kind != Kind::TextBox; }

int CheckState(int value) noexcept {
    switch (value) {
    case 1: return BST_CHECKED;
    case 2: return BST_INDETERMINATE;
    default: return BST_UNCHECKED;
    }
}

bool IsAxisLine(const Control& line) noexcept { return line.X1() == line.X2() || line.Y1() == line.Y2(); }

}  // namespace tolvane::forms::win32
