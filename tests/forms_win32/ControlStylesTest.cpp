// What native window each control becomes, without creating one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "forms/win32/ControlStyles.h"
#include "forms/win32/Mapping.h"

namespace tolvane::forms::win32 {
namespace {

class BareForm : public Form {
public:
    BareForm() : Form("frmBare") {}
    Control& Make(Kind kind, const std::string& name = "ctl") { return Add(kind, name); }

protected:
    void CreateControls() override {}
};

// The bits of a style that hold one choice (a label's alignment, a button's or combo box's type).
DWORD TypeOf(Kind kind, DWORD style) {
    switch (kind) {
    case Kind::Label: return style & SS_TYPEMASK;
    case Kind::CheckBox:
    case Kind::CommandButton: return style & BS_TYPEMASK;
    case Kind::ComboBox: return style & 3;
    default: return 0;
    }
}

TEST(ControlStyles, EachKindBecomesItsWindowClassWithItsStyles) {
    struct Case {
        const char* what;
        Kind kind;
        std::function<void(Control&)> set;
        const wchar_t* className;
        DWORD type, style, notStyle, exStyle, notExStyle;
    };
    const Case cases[] = {
        {"right-aligned label", Kind::Label, [](Control& c) { c.SetAlignment(Alignment::Right); }, L"STATIC",
         SS_RIGHT, 0, WS_TABSTOP, 0, 0},
        {"centred label", Kind::Label, [](Control& c) { c.SetAlignment(Alignment::Center); }, L"STATIC", SS_CENTER,
         0, 0, 0, 0},
        // Not automatic: the state decides the value, the box only shows it.
        {"check box", Kind::CheckBox, {}, L"BUTTON", BS_3STATE, WS_TABSTOP, 0, 0, 0},
        {"button", Kind::CommandButton, {}, L"BUTTON", BS_PUSHBUTTON, WS_TABSTOP, 0, 0, 0},
        {"default button", Kind::CommandButton, [](Control& c) { c.SetDefault(true); }, L"BUTTON", BS_DEFPUSHBUTTON,
         WS_TABSTOP, 0, 0, 0},
        {"combo box", Kind::ComboBox, {}, L"COMBOBOX", CBS_DROPDOWN, WS_TABSTOP, 0, 0, 0},
        {"output box", Kind::TextBox,
         [](Control& c) {
             c.SetMultiLine(true);
             c.SetScrollBars(ScrollBars::Both);
         },
         L"EDIT", 0, ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL | ES_NOHIDESEL, 0,
         WS_EX_CLIENTEDGE, 0},
        {"multi-line box that wraps", Kind::TextBox, [](Control& c) { c.SetMultiLine(true); }, L"EDIT", 0,
         ES_MULTILINE, ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, 0},
        {"one-line box", Kind::TextBox, {}, L"EDIT", 0, ES_AUTOHSCROLL, ES_MULTILINE, WS_EX_CLIENTEDGE, 0},
        {"bordered picture box", Kind::PictureBox, [](Control& c) { c.SetBorder(true); }, PictureClass, 0,
         WS_CLIPCHILDREN, WS_TABSTOP, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, 0},
        {"plain picture box", Kind::PictureBox, {}, PictureClass, 0, WS_CLIPCHILDREN, 0, WS_EX_CONTROLPARENT,
         WS_EX_CLIENTEDGE},
        {"frame", Kind::Frame, {}, FrameClass, 0, WS_CLIPCHILDREN, WS_TABSTOP, WS_EX_CONTROLPARENT, WS_EX_CLIENTEDGE},
        {"scroll bar", Kind::VScrollBar, {}, L"SCROLLBAR", 0, SBS_VERT | WS_TABSTOP, 0, 0, 0},
        {"line", Kind::Line, {}, LineClass, 0, 0, WS_TABSTOP, 0, 0},
    };
    BareForm form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Control& control = form.Make(c.kind);
        if (c.set) c.set(control);
        EXPECT_EQ(std::wstring(ClassOf(c.kind)), c.className);
        const DWORD style = StyleOf(control), exStyle = ExStyleOf(control);
        EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE), DWORD(WS_CHILD | WS_CLIPSIBLINGS));
        EXPECT_EQ(TypeOf(c.kind, style), c.type);
        EXPECT_EQ(style & c.style, c.style);
        EXPECT_EQ(style & c.notStyle, 0u);
        EXPECT_EQ(exStyle & c.exStyle, c.exStyle);
        EXPECT_EQ(exStyle & c.notExStyle, 0u);
    }
    EXPECT_EQ(CheckState(0), BST_UNCHECKED);
    EXPECT_EQ(CheckState(1), BST_CHECKED);
    EXPECT_EQ(CheckState(2), BST_INDETERMINATE);
}

TEST(ControlStyles, AFixedDialogHasNoSizingFrameAndTheCloseBoxIsOptional) {
    BareForm form;
    form.SetBorder(/*fixedDialog=*/true, /*closeBox=*/true);
    EXPECT_EQ(FormStyle(form) & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), DWORD(WS_SYSMENU));
    EXPECT_TRUE(FormExStyle(form) & WS_EX_DLGMODALFRAME);
    form.SetBorder(/*fixedDialog=*/false, /*closeBox=*/false);
    EXPECT_EQ(FormStyle(form) & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              DWORD(WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(FormExStyle(form) & WS_EX_DLGMODALFRAME);
}

TEST(LineWindowRect, CoversTheEndPixelAndMovesALineLaidOverAnEarlierOne) {
    BareForm form;
    Control& frame = form.Make(Kind::Frame, "fra");
    auto line = [&](int x1, int y1, int x2, int y2, Control* container = nullptr) -> Control& {
        Control& l = form.Make(Kind::Line, "lin");
        l.SetContainer(container);
        l.SetLineEnds(x1, y1, x2, y2);
        return l;
    };
    struct Case {
        const char* what;
        Control& line;
        RECT rect;
    };
    // At 96 dpi: 15 twips to the pixel.
    const Case cases[] = {
        {"level", line(150, 150, 1500, 150), {10, 10, 101, 11}},
        {"the same ends again: one pixel lower", line(150, 150, 1500, 150), {10, 11, 101, 12}},
        {"and again", line(150, 150, 1500, 150), {10, 12, 101, 13}},
        {"the same spot in another container", line(150, 150, 1500, 150, &frame), {10, 10, 101, 11}},
        {"level, ends given right to left", line(1500, 300, 150, 300), {10, 20, 101, 21}},
        {"upright", line(300, 0, 300, 750), {20, 0, 21, 51}},
        {"upright again: one pixel to the right", line(300, 0, 300, 750), {21, 0, 22, 51}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT r = LineWindowRect(c.line, 96, 96);
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<LONG>{c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}));
    }
}

}  // namespace
}  // namespace tolvane::forms::win32
