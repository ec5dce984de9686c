// frmAbout realised with native controls: opened from the add-in window, closed by OK, Enter,
// Esc and the close box.
#include <gtest/gtest.h>

#include "NativeTestSupport.h"
#include "forms/win32/Mapping.h"
#include "winapi/Handles.h"
#include "winapi/Text.h"

namespace tolvane::testing {
namespace {

using forms::win32::TwipsToPixels;

class NativeAboutTest : public NativeAddInTest {
protected:
    // Opens the box through the native "&About" button.
    HWND Open() {
        Click(window->cmdAbout);
        frmAbout* about = window->AboutBox();
        if (about == nullptr || !about->IsShown()) return nullptr;
        return realiser->WindowOf(*about);
    }
};

TEST_F(NativeAboutTest, ShowsNoCaptionItsTextAndTheFocusOnOk) {
    HWND box = Open();
    ASSERT_NE(box, nullptr);
    frmAbout& about = *window->AboutBox();
    EXPECT_EQ(::GetWindowTextLengthW(box), 0);
    EXPECT_TRUE(::IsWindowVisible(box));
    RECT client{};
    ::GetClientRect(box, &client);
    EXPECT_EQ(client.right, TwipsToPixels(4995, ScreenDpiX()));
    EXPECT_EQ(client.bottom, TwipsToPixels(3225, ScreenDpiY()));
    EXPECT_EQ(winapi::WindowText(realiser->WindowOf(*about.lblTitle)), L"Tolvane 1.0");
    EXPECT_EQ(winapi::WindowText(realiser->WindowOf(*about.lblDescription)), winapi::Utf8ToWide(frmAbout::Description));
    EXPECT_EQ(::GetFocus(), realiser->WindowOf(*about.cmdOK));
    EXPECT_EQ(::GetWindowLongPtrW(realiser->WindowOf(*about.cmdOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    // The title has a font of its own, bold.
    auto font = reinterpret_cast<HFONT>(::SendMessageW(realiser->WindowOf(*about.lblTitle), WM_GETFONT, 0, 0));
    LOGFONTW title{};
    ASSERT_TRUE(::GetObjectW(font, sizeof title, &title));
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_EQ(title.lfHeight, -::MulDiv(12, ScreenDpiY(), 72));
    // The add-in window stays as it was.
    EXPECT_TRUE(::IsWindowVisible(FormWindow()));
}

// Wine hears of its own focus changes from the X server a moment later; a late one would
// undo an activation made since. Let them arrive.
void Settle() {
    for (int i = 0; i < 5; ++i) {
        ::Sleep(20);
        winapi::PumpMessages();
    }
}

bool IsTopMost(HWND hwnd) { return (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST_F(NativeAboutTest, OpensInFrontOfTheTopmostAddInWindowWithTheKeyboard) {
    HWND box = Open();
    ASSERT_NE(box, nullptr);
    Settle();
    EXPECT_TRUE(IsTopMost(FormWindow()));
    EXPECT_TRUE(IsTopMost(box));
    EXPECT_TRUE(IsAbove(box, FormWindow()));
    // Where the two overlap, a click lands on the box.
    RECT addIn{}, about{}, overlap{};
    ::GetWindowRect(FormWindow(), &addIn);
    ::GetWindowRect(box, &about);
    ASSERT_TRUE(::IntersectRect(&overlap, &addIn, &about)) << "the windows must overlap for this test to mean much";
    const POINT middle{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
    EXPECT_EQ(::GetAncestor(::WindowFromPoint(middle), GA_ROOT), box);
    EXPECT_EQ(::GetForegroundWindow(), box);
    EXPECT_EQ(::GetFocus(), realiser->WindowOf(*window->AboutBox()->cmdOK));

    // A screenshot of both, for people to look at. It proves nothing about the order: with no
    // window manager the X server stacks the windows in the order they were mapped.
    const forms::win32::Image screen = forms::win32::CaptureWindow(::GetDesktopWindow());
    RECT both{};
    ::UnionRect(&both, &addIn, &about);
    EXPECT_TRUE(forms::win32::WriteBmp(forms::win32::Crop(screen, both), L"frmAbout-over-frmAddIn.bmp"));

    // Independent: the add-in window's close box leaves the box open.
    ::SendMessageW(FormWindow(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_TRUE(::IsWindowVisible(box));
}

TEST_F(NativeAboutTest, ShowingAShownWindowBringsItToTheFrontAndActivatesIt) {
    HWND box = Open();
    ASSERT_NE(box, nullptr);
    struct Case {
        const char* what;
        HWND front;  // the window the action brings forward
        HWND other;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"a second About", box, FormWindow(), [this] { Click(window->cmdAbout); }},
        {"a second menu click", FormWindow(), box, [this] { Show(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(::SetForegroundWindow(c.other));
        Settle();
        ASSERT_TRUE(IsAbove(c.other, c.front));
        c.act();
        Settle();
        EXPECT_TRUE(IsAbove(c.front, c.other));
        EXPECT_EQ(::GetForegroundWindow(), c.front);
        EXPECT_TRUE(::IsChild(c.front, ::GetFocus()));
    }
    EXPECT_EQ(realiser->WindowOf(*window->AboutBox()), box) << "the same box, not a second one";
}

TEST_F(NativeAboutTest, EscEnterOkAndTheCloseBoxEachCloseIt) {
    struct Case {
        const char* what;
        std::function<void(HWND box)> close;
    } cases[] = {
        {"Esc", [](HWND) { PressKey(VK_ESCAPE); }},
        {"Enter", [](HWND) { PressKey(VK_RETURN); }},
        {"OK", [this](HWND) { Click(window->AboutBox()->cmdOK); }},
        {"close box", [](HWND box) {
             ::PostMessageW(box, WM_CLOSE, 0, 0);
             winapi::PumpMessages();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND box = Open();
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(::GetFocus(), realiser->WindowOf(*window->AboutBox()->cmdOK));
        c.close(box);
        EXPECT_FALSE(::IsWindow(box));
        EXPECT_FALSE(window->AboutBox()->IsLoaded());
    }
    // A fresh box with the same content.
    HWND again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(winapi::WindowText(realiser->WindowOf(*window->AboutBox()->lblTitle)), L"Tolvane 1.0");
    EXPECT_TRUE(boxes.empty());
}

// Refuses every window created while it is installed, as a system short of resources would.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(NativeAboutTest, ABoxWhoseWindowCannotBeCreatedIsNotCountedOpen) {
    {
        const winapi::UniqueHook refusing(::SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, ::GetCurrentThreadId()));
        ASSERT_TRUE(refusing);
        EXPECT_EQ(Open(), nullptr);
    }
    ASSERT_EQ(boxes.size(), 1u) << "the failure is told once";
    ASSERT_NE(window->AboutBox(), nullptr);
    EXPECT_FALSE(window->AboutBox()->IsLoaded()) << "no box is open without its window";
    // Once windows can be made again, About shows the box.
    HWND box = Open();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(::IsWindowVisible(box));
    EXPECT_EQ(boxes.size(), 1u);
}

// The IDE closes, or the add-in is disconnected, while one of the window's error boxes is open:
// when the box returns, nothing of the window is touched.
TEST_F(NativeAddInTest, DisconnectedWhileAnErrorBoxIsOpen) {
    realiser->SetErrorBox([this](HWND, const std::wstring& text, const std::wstring&) {
        boxes.push_back({nullptr, text, L""});
        api.reset();  // the owner lets the window go
        realiser.reset();
        winapi::PumpMessages();
    });
    host->Faults().Fail("FormDesigner.VBControls", "Method 'VBControls' of object '_VBFormDesigner' failed");
    Pick("Form1");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(api, nullptr);
    window = nullptr;
    winapi::PumpMessages();
}

TEST_F(NativeAboutTest, ScreenshotShowsTheIconAndTheEtchedRule) {
    HWND box = Open();
    ASSERT_NE(box, nullptr);
    ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    winapi::PumpMessages();
    const forms::win32::Image shot = forms::win32::CaptureWindow(box);
    ASSERT_TRUE(forms::win32::WriteBmp(shot, L"frmAbout.bmp"));
    EXPECT_GT(DistinctColours(shot), 4u);

    // The icon from this module's resources, drawn in picIcon.
    const RECT icon = RectIn(realiser->WindowOf(*window->AboutBox()->picIcon), box);
    EXPECT_GT(DistinctColours(forms::win32::Crop(shot, icon)), 3u);

    // Line3 (grey) and Line1 (white) on the same ends make one etched rule: grey, white below.
    const int x = TwipsToPixels(2400, ScreenDpiX());
    const int y = TwipsToPixels(1560, ScreenDpiY());
    EXPECT_EQ(shot.Pixel(x, y), RGB(128, 128, 128));
    EXPECT_EQ(shot.Pixel(x, y + 1), RGB(255, 255, 255));
}

}  // namespace
}  // namespace tolvane::testing
