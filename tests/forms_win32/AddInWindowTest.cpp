// frmAddIn realised with native controls, checked with real Win32 calls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <fstream>
#include <functional>

#include "NativeTestSupport.h"
#include "forms/ErrorReport.h"
#include "winapi/Handles.h"
#include "forms/win32/Mapping.h"
#include "winapi/Text.h"
#include "window/GridWords.h"

namespace tolvane::testing {
namespace {

using forms::Control;
using forms::win32::LineWindowRect;
using forms::win32::PixelRect;
using forms::win32::TwipsToPixels;

TEST_F(NativeAddInTest, WindowHasItsCaptionSizeBorderAndStaysOnTop) {
    HWND form = FormWindow();
    EXPECT_EQ(winapi::WindowText(form), L"Tolvane");
    RECT client{};
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, TwipsToPixels(9570, ScreenDpiX()));
    EXPECT_EQ(client.bottom, TwipsToPixels(7110, ScreenDpiY()));
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(form, GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "fixed dialog frame";
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(::IsWindowVisible(form));
    // cboForms has the focus when the window first shows (the combo hands it to its edit field).
    EXPECT_TRUE(::IsChild(Hwnd(window->cboForms), ::GetFocus()) || ::GetFocus() == Hwnd(window->cboForms));
    // The selector lists the project's forms.
    EXPECT_EQ(::SendMessageW(Hwnd(window->cboForms), CB_GETCOUNT, 0, 0), 3);
}

struct ChildCase {
    const char* what;
    std::function<Control*(frmAddIn&)> control;
    const wchar_t* className;
    const wchar_t* text;  // null: not checked
    bool visible;
};

TEST_F(NativeAddInTest, EachControlIsANativeWindowWhereTheLayoutPutsIt) {
    const ChildCase cases[] = {
        {"Label1", [](frmAddIn& w) { return w.Label1; }, L"static", L"Select a form:", true},
        {"cboForms", [](frmAddIn& w) { return w.cboForms; }, L"combobox", L"", true},
        {"Frame1", [](frmAddIn& w) { return w.Frame1; }, L"tolvaneframe", nullptr, true},
        {"lblLeftRight", [](frmAddIn& w) { return w.lblLeftRight; }, L"static", L"Left/Right", false},
        {"Line1", [](frmAddIn& w) { return w.Line1; }, L"tolvaneline", nullptr, false},
        {"Picture2", [](frmAddIn& w) { return w.Picture2; }, L"tolvanepicture", nullptr, true},
        {"Picture1", [](frmAddIn& w) { return w.Picture1; }, L"tolvanepicture", nullptr, true},
        {"VScroll1", [](frmAddIn& w) { return w.VScroll1; }, L"scrollbar", nullptr, true},
        {"Check1(3)", [](frmAddIn& w) { return w.Check1[3]; }, L"button", L"", false},
        {"chkScaleV(3)", [](frmAddIn& w) { return w.chkScaleV[3]; }, L"button", L"", false},
        {"chkPlain", [](frmAddIn& w) { return w.chkPlain; }, L"button", L"&Plain text (as the original add-in)", true},
        {"Label4", [](frmAddIn& w) { return w.Label4; }, L"static", L"Paste this code in the form's Load event section",
         true},
        {"txtOnLoad", [](frmAddIn& w) { return w.txtOnLoad; }, L"edit", L"", true},
        {"cmdGenCode", [](frmAddIn& w) { return w.cmdGenCode; }, L"button", L"&Generate Code", true},
        {"CancelButton", [](frmAddIn& w) { return w.CancelButton; }, L"button", L"E&xit", true},
    };
    const int dpiX = ScreenDpiX(), dpiY = ScreenDpiY();
    for (const ChildCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Control* control = c.control(*window);
        HWND hwnd = Hwnd(control);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(ClassOf(hwnd), c.className);
        if (c.text != nullptr) {
            EXPECT_EQ(winapi::WindowText(hwnd), c.text);
        }
        EXPECT_EQ(::IsWindowVisible(hwnd) != FALSE, c.visible);
        HWND container = control->Container() != nullptr ? Hwnd(control->Container()) : FormWindow();
        EXPECT_EQ(::GetParent(hwnd), container);
        const RECT expected = control->GetKind() == forms::Kind::Line ? LineWindowRect(*control, dpiX, dpiY)
                                                                      : PixelRect(control->Bounds(), dpiX, dpiY);
        const RECT actual = RectInParent(hwnd);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_NEAR(actual.bottom, expected.bottom, control->GetKind() == forms::Kind::ComboBox ? 1 : 0);
    }
    // Alignment and the output boxes' multi-line style with both bars.
    EXPECT_EQ(::GetWindowLongPtrW(Hwnd(window->Label1), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
    EXPECT_EQ(::GetWindowLongPtrW(Hwnd(window->lblLRM), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    const auto edit = static_cast<DWORD>(::GetWindowLongPtrW(Hwnd(window->txtDeclaration), GWL_STYLE));
    for (DWORD bit : {DWORD(ES_MULTILINE), DWORD(ES_WANTRETURN), DWORD(WS_HSCROLL), DWORD(WS_VSCROLL),
                      DWORD(ES_AUTOHSCROLL)})
        EXPECT_EQ(edit & bit, bit) << std::hex << bit;
    // Picture2 clips its children and lies over the lower part of Frame1.
    EXPECT_TRUE(::GetWindowLongPtrW(Hwnd(window->Picture2), GWL_STYLE) & WS_CLIPCHILDREN);
    const RECT picture = RectInParent(Hwnd(window->Picture2));
    const POINT inside{(picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2};
    EXPECT_EQ(::ChildWindowFromPointEx(FormWindow(), inside, CWP_SKIPINVISIBLE), Hwnd(window->Picture2));
}

TEST_F(NativeAddInTest, PickingAFormShowsItsRowsAsNativeCheckBoxes) {
    Pick("Form1");
    // Command1, Frame1 with Option1(0) and Option1(1), Text1: five rows.
    int shown = 0;
    for (int row = 0; row < frmAddIn::kSlots; ++row) {
        const Control* box = window->Check1[static_cast<std::size_t>(row)];
        HWND hwnd = Hwnd(box);
        SCOPED_TRACE(row);
        EXPECT_EQ(::IsWindowVisible(hwnd) != FALSE, box->Visible());
        if (!box->Visible()) continue;
        ++shown;
        EXPECT_EQ(winapi::WindowText(hwnd), winapi::Utf8ToWide(box->Caption()));
        EXPECT_EQ(RectInParent(hwnd).left, TwipsToPixels(box->Left(), ScreenDpiX())) << "indent";
        // Options show, greyed until the row is ticked.
        EXPECT_TRUE(::IsWindowVisible(Hwnd(window->chkMoveH[static_cast<std::size_t>(row)])));
        EXPECT_FALSE(::IsWindowEnabled(Hwnd(window->chkMoveH[static_cast<std::size_t>(row)])));
    }
    EXPECT_EQ(shown, 5);
    EXPECT_TRUE(::IsWindowVisible(Hwnd(window->lblLeftRight)));
    EXPECT_TRUE(::IsWindowVisible(Hwnd(window->Line2)));
    EXPECT_EQ(winapi::WindowText(Hwnd(window->cboForms)), L"Form1");
}

TEST_F(NativeAddInTest, TickingARowChecksTheBoxAndEnablesItsOptions) {
    Pick("Form1");
    HWND row = Hwnd(window->Check1[0]);
    HWND move = Hwnd(window->chkMoveH[0]);
    Click(window->Check1[0]);
    EXPECT_EQ(::SendMessageW(row, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(window->Check1[0]->Value(), 1);
    EXPECT_TRUE(::IsWindowEnabled(move));
    Click(window->chkMoveH[0]);
    EXPECT_EQ(::SendMessageW(move, BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(window->Check1[0]);
    EXPECT_EQ(::SendMessageW(row, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(::IsWindowEnabled(move));
    EXPECT_EQ(window->chkMoveH[0]->Value(), 1) << "a disabled option keeps its value";
}

TEST_F(NativeAddInTest, TheScrollBarBindsTheRowWindowsToTheRowsInView) {
    Pick("Big");  // 80 rows, Ctl80 first
    HWND bar = Hwnd(window->VScroll1);
    HWND viewport = Hwnd(window->Picture2);
    auto scroll = [&](WORD code) {
        ::SendMessageW(viewport, WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(bar));
        winapi::PumpMessages();
    };
    const int below = 80 * 300 + 120 - window->VScroll1->Height();
    int low = 0, high = 0;
    ::GetScrollRange(bar, SB_CTL, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, below);

    scroll(SB_PAGEDOWN);  // a page of 13 rows, towards Max
    EXPECT_EQ(window->VScroll1->Value(), -3900);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 3900);
    EXPECT_EQ(winapi::WindowText(Hwnd(window->Check1[0])), L"Ctl67");
    EXPECT_EQ(winapi::WindowText(Hwnd(window->chkSizeH[0])), L"Ctl67, Left/Right, resize");
    scroll(SB_LINEUP);  // a row, towards Min
    EXPECT_EQ(winapi::WindowText(Hwnd(window->Check1[0])), L"Ctl68");

    scroll(SB_BOTTOM);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), below);
    const int dpiY = ScreenDpiY();
    EXPECT_EQ(RectInParent(Hwnd(window->Picture1)).top, TwipsToPixels(-(below % 300), dpiY));
    // The last row is wholly inside the viewport.
    const int last = window->SlotOfRow(79);
    ASSERT_GE(last, 0);
    HWND lastBox = Hwnd(window->Check1[static_cast<std::size_t>(last)]);
    EXPECT_EQ(winapi::WindowText(lastBox), L"Ctl1");
    RECT inner{};
    ::GetClientRect(viewport, &inner);
    EXPECT_LE(RectIn(lastBox, viewport).bottom, inner.bottom);
    scroll(SB_TOP);
    EXPECT_EQ(window->Picture1->Top(), 0);
    EXPECT_EQ(winapi::WindowText(Hwnd(window->Check1[0])), L"Ctl80");
}

TEST_F(NativeAddInTest, GenerateFillsTheNativeOutputBoxes) {
    Pick("Form1");
    const int row = [&] {
        for (int r = 0; r < frmAddIn::kSlots; ++r)
            if (window->Check1[static_cast<std::size_t>(r)]->Caption() == "Command1") return r;
        return -1;
    }();
    ASSERT_GE(row, 0);
    Click(window->Check1[static_cast<std::size_t>(row)]);
    Click(window->chkMoveH[static_cast<std::size_t>(row)]);
    Click(window->cmdGenCode);
    const std::wstring declarations = winapi::WindowText(Hwnd(window->txtDeclaration));
    const std::wstring onLoad = winapi::WindowText(Hwnd(window->txtOnLoad));
    const std::wstring onResize = winapi::WindowText(Hwnd(window->txtOnResize));
    EXPECT_EQ(declarations, winapi::Utf8ToWide(window->txtDeclaration->Text()));
    EXPECT_EQ(onLoad, winapi::Utf8ToWide(window->txtOnLoad->Text()));
    EXPECT_EQ(onResize, winapi::Utf8ToWide(window->txtOnResize->Text()));
    EXPECT_NE(declarations.find(L"Dim iCommand1_Left As Single"), std::wstring::npos);
    EXPECT_NE(onLoad.find(L"iCommand1_Left = Command1.Left"), std::wstring::npos);
    EXPECT_NE(onResize.find(L"Command1.Left = Me.ScaleWidth - (iFormScaleWidth - iCommand1_Left)"), std::wstring::npos);
    // Lines end in CR LF, as the edit control needs to show them as lines.
    for (const std::wstring* text : {&declarations, &onLoad, &onResize}) {
        ASSERT_FALSE(text->empty());
        for (std::size_t i = 0; i < text->size(); ++i) {
            if ((*text)[i] == L'\n') {
                ASSERT_TRUE(i > 0 && (*text)[i - 1] == L'\r') << "lone LF at " << i;
            }
        }
    }
    EXPECT_GT(::SendMessageW(Hwnd(window->txtDeclaration), EM_GETLINECOUNT, 0, 0), 4);

    // A double-click selects the whole text, after the edit's own word selection.
    HWND box = Hwnd(window->txtOnLoad);
    ::SendMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 5));
    DWORD start = 99, end = 0;
    ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(onLoad.size()));
    EXPECT_EQ(window->txtOnLoad->SelLength(), static_cast<int>(onLoad.size()));

    // Clear empties them again and hides the rows.
    Click(window->cmdClear);
    EXPECT_EQ(winapi::WindowText(Hwnd(window->txtDeclaration)), L"");
    EXPECT_FALSE(::IsWindowVisible(Hwnd(window->Check1[static_cast<std::size_t>(row)])));
    EXPECT_FALSE(::IsWindowVisible(Hwnd(window->lblControlName)));
}

TEST_F(NativeAddInTest, TypingReachesTheStateBeforeAnyHandler) {
    HWND box = Hwnd(window->txtDeclaration);
    ::SetFocus(box);
    ::SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Dim x"));
    ::SendMessageW(box, EM_SETSEL, 4, 5);
    ::SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"y As Long"));
    winapi::PumpMessages();
    EXPECT_EQ(window->txtDeclaration->Text(), "Dim y As Long");
    EXPECT_EQ(window->txtDeclaration->SelStart(), 13);
    EXPECT_EQ(window->ActiveControl(), window->txtDeclaration);

    // Typed into the selector's edit field: the text, and no list entry.
    Pick("Big");
    HWND field = ::GetWindow(Hwnd(window->cboForms), GW_CHILD);
    ASSERT_NE(field, nullptr);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    ::SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Form1"));
    winapi::PumpMessages();
    EXPECT_EQ(window->cboForms->Text(), "Form1");
    EXPECT_EQ(window->cboForms->ListIndex(), -1);
}

TEST_F(NativeAddInTest, KeyboardFollowsTheFormsTabOrderAndAccessKeys) {
    // From the selector the focus goes into the grid.
    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), Hwnd(window->VScroll1));
    EXPECT_EQ(window->ActiveControl(), window->VScroll1);
    PressKey(VK_TAB, false, /*shift=*/true);
    EXPECT_TRUE(::IsChild(Hwnd(window->cboForms), ::GetFocus()));

    // From the last output box back to the selector.
    ::SetFocus(Hwnd(window->txtOnResize));
    winapi::PumpMessages();
    PressKey(VK_TAB);
    EXPECT_TRUE(::IsChild(Hwnd(window->cboForms), ::GetFocus()));

    // Enter in an output box inserts a line break there.
    ::SetFocus(Hwnd(window->txtOnLoad));
    PressKey(VK_RETURN);
    EXPECT_EQ(winapi::WindowText(Hwnd(window->txtOnLoad)), L"\r\n");
    EXPECT_EQ(window->txtOnLoad->Text(), "\r\n");

    // Esc and Enter press nothing on this window.
    ::SetFocus(Hwnd(window->cmdAbout));
    winapi::PumpMessages();
    PressKey(VK_ESCAPE);
    PressKey(VK_TAB);  // to Exit
    EXPECT_EQ(::GetFocus(), Hwnd(window->CancelButton));
    EXPECT_EQ(owner.hides, 0);
    EXPECT_TRUE(::IsWindowVisible(FormWindow()));

    // Alt+G generates, Alt+X exits.
    Pick("Form1");
    Click(window->Check1[0]);
    PressKey('G', /*alt=*/true);
    EXPECT_FALSE(winapi::WindowText(Hwnd(window->txtOnResize)).empty() && winapi::WindowText(Hwnd(window->txtDeclaration)).empty());
    EXPECT_NE(winapi::WindowText(Hwnd(window->txtDeclaration)).find(L"iFormWidth"), std::wstring::npos);
    PressKey('X', /*alt=*/true);
    EXPECT_EQ(owner.hides, 1);
    EXPECT_FALSE(::IsWindowVisible(FormWindow()));
    EXPECT_TRUE(::IsWindow(FormWindow())) << "hidden, not unloaded";
}

TEST_F(NativeAddInTest, AFailingPickIsReportedInAMessageBoxAndKeepsTheTicks) {
    Pick("Form1");
    Click(window->Check1[0]);
    Click(window->chkMoveH[0]);
    host->Faults().Fail("FormDesigner.VBControls", "Method 'VBControls' of object '_VBFormDesigner' failed");
    Pick("Big");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Tolvane");
    EXPECT_EQ(boxes[0].text, L"Method 'VBControls' of object '_VBFormDesigner' failed");
    EXPECT_EQ(boxes[0].owner, FormWindow());
    EXPECT_TRUE(forms::RecordedErrors().empty()) << "went to the message box, not the recorder";
    EXPECT_EQ(winapi::WindowText(Hwnd(window->Check1[0])), L"Text1");
    EXPECT_EQ(::SendMessageW(Hwnd(window->Check1[0]), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Hwnd(window->chkMoveH[0]), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(::IsWindowEnabled(Hwnd(window->chkMoveH[0])));

    host->Faults().Clear();
    Pick("Big");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(winapi::WindowText(Hwnd(window->Check1[0])), L"Ctl80");
}

TEST_F(NativeAddInTest, OpeningTheListShowsTheFormsTheProjectHasNow) {
    HWND combo = Hwnd(window->cboForms);
    Pick("Big");
    // Between two drop-downs Form4 comes and Form1 goes.
    auto project = NativeProject();
    project.components.push_back({"Form4", host::ComponentType::VBForm, {}, true});
    project.components.erase(project.components.begin() + 1);
    host->OpenProject(project);
    EXPECT_EQ(ListOf(combo), (std::vector<std::wstring>{L"Form1", L"Big", L"Empty"})) << "not before it opens";
    ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    winapi::PumpMessages();
    EXPECT_EQ(ListOf(combo), (std::vector<std::wstring>{L"Big", L"Empty", L"Form4"}));
    EXPECT_TRUE(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(winapi::WindowText(combo), L"Big") << "the text shown stays";
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    Pick("Form4");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->cboForms->Text(), "Form4");
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ChildWindows(HWND parent) {
    int count = 0;
    ::EnumChildWindows(parent, CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::wstring TipText(HWND tips, HWND form, HWND tool) {
    wchar_t text[1024] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    ::SendMessageW(tips, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
    return text;
}

// The tooltip window that has a tool for this control.
HWND TipsOf(HWND form, HWND tool) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w != nullptr;
         w = ::FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr))
        if (!TipText(w, form, tool).empty()) return w;
    return nullptr;
}

TEST_F(NativeAddInTest, AFormOfAnySizeCostsTheSameWindowsAndEveryBoxHasWordsAndAName) {
    Pick("Form1");
    const int windows = ChildWindows(FormWindow());
    Pick("Big");
    EXPECT_EQ(ChildWindows(FormWindow()), windows) << "no window per control";
    EXPECT_EQ(winapi::WindowText(Hwnd(window->lblControlName)), L"Control Name");

    // Tips on the heads and the boxes, from the form's one tooltip window.
    HWND tips = TipsOf(FormWindow(), Hwnd(window->lblLRR));
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(TipText(tips, FormWindow(), Hwnd(window->lblLRR)), winapi::Utf8ToWide(ColumnTip(1)));
    Click(window->Check1[0]);
    EXPECT_EQ(TipText(tips, FormWindow(), Hwnd(window->chkScaleV[0])), winapi::Utf8ToWide(OptionTip(5)));

    // A screen reader speaks the box's name, which the box is too narrow to show.
    HWND box = Hwnd(window->chkSizeV[0]);
    Microsoft::WRL::ComPtr<IAccessible> accessible;
    const HRESULT found = ::AccessibleObjectFromWindow(box, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                       reinterpret_cast<void**>(accessible.GetAddressOf()));
    // 64-bit Wine's oleacc has no object for a button's client area (E_NOINTERFACE); 32-bit
    // Wine's and Windows' have.
    if (sizeof(void*) == 8 && found == E_NOINTERFACE) GTEST_SKIP() << "no accessible object for a button here";
    ASSERT_EQ(found, S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    ASSERT_EQ(accessible->get_accName(self, &name), S_OK);
    const std::wstring spoken(name != nullptr ? name : L"");
    ::SysFreeString(name);
    EXPECT_EQ(spoken, L"Ctl80, Up/Down, resize");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(NativeAddInTest, TheCloseBoxUnloadsAndDestroysTheWindow) {
    HWND form = FormWindow();
    HWND combo = Hwnd(window->cboForms);
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    winapi::PumpMessages();
    EXPECT_FALSE(::IsWindow(form));
    EXPECT_FALSE(::IsWindow(combo));
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(owner.closed, 1);
    EXPECT_EQ(FormWindow(), nullptr);

    // The next show loads it afresh.
    Show();
    ASSERT_NE(FormWindow(), nullptr);
    EXPECT_EQ(winapi::WindowText(FormWindow()), L"Tolvane");
    EXPECT_EQ(::SendMessageW(Hwnd(window->cboForms), CB_GETCOUNT, 0, 0), 3);
    EXPECT_TRUE(::GetWindowLongPtrW(FormWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

bool ReadBmp(const std::string& path, forms::win32::Image& image) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return false;
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 3])) << 24;
    };
    const std::uint32_t offset = u32(10);
    image.width = static_cast<int>(u32(18));
    image.height = static_cast<int>(u32(22));
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
    if (data.size() < offset + stride * static_cast<std::size_t>(image.height)) return false;
    image.bgr.clear();
    for (int y = image.height - 1; y >= 0; --y) {
        const char* row = data.data() + offset + stride * static_cast<std::size_t>(y);
        image.bgr.insert(image.bgr.end(), row, row + image.width * 3);
    }
    return true;
}

TEST_F(NativeAddInTest, ScreenshotShowsTheFilledWindow) {
    Pick("Form1");
    Click(window->Check1[0]);
    Click(window->chkMoveH[0]);
    Click(window->cmdGenCode);
    ::RedrawWindow(FormWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    winapi::PumpMessages();
    const forms::win32::Image shot = forms::win32::CaptureWindow(FormWindow());
    ASSERT_TRUE(forms::win32::WriteBmp(shot, L"frmAddIn.bmp"));
    forms::win32::Image read;
    ASSERT_TRUE(ReadBmp("frmAddIn.bmp", read));
    EXPECT_EQ(read.width, TwipsToPixels(9570, ScreenDpiX()));
    EXPECT_EQ(read.height, TwipsToPixels(7110, ScreenDpiY()));
    EXPECT_EQ(read.bgr, shot.bgr);
    EXPECT_GT(DistinctColours(read), 4u);
    // The declarations box shows dark blue text.
    const RECT box = RectIn(Hwnd(window->txtDeclaration), FormWindow());
    const forms::win32::Image text = forms::win32::Crop(read, box);
    bool darkBlue = false;
    for (int y = 0; y < text.height && !darkBlue; ++y)
        for (int x = 0; x < text.width && !darkBlue; ++x) darkBlue = text.Pixel(x, y) == RGB(0, 0, 128);
    EXPECT_TRUE(darkBlue);
}

}  // namespace
}  // namespace tolvane::testing
