// The realiser's own lifetime rules, on a small form of its own.
#include <gtest/gtest.h>

#include "NativeTestSupport.h"
#include "connect/Connect.h"
#include "forms/Driver.h"
#include "forms/ErrorReport.h"

namespace tolvane::testing {
namespace {

using forms::Control;
using forms::Kind;

class SmallForm : public forms::Form {
public:
    SmallForm() : Form("frmSmall") {}
    Control* button = nullptr;
    Control* box = nullptr;
    Control* bar = nullptr;
    int clicks = 0;
    std::vector<int> changes;

protected:
    void CreateControls() override {
        SetCaption("");
        SetClientSize(3000, 2000);
        button = &Add(Kind::CommandButton, "cmdGo");
        button->Move(120, 120, 1200, 375);
        button->SetCaption("&Go");
        button->OnClick([this] {
            ++clicks;
            if (clicks == 2) throw std::runtime_error("Division by zero");
            box->SetValue(box->Value() == 0 ? 2 : 0);
        });
        box = &Add(Kind::CheckBox, "chkAll");
        box->Move(120, 600, 1500, 315);
        box->SetCaption("All");
        bar = &Add(Kind::VScrollBar, "VScroll1");
        bar->Move(2400, 0, 255, 1800);
        bar->SetRange(100, 0, 10, 50);  // runs downwards from 100 to 0
        bar->SetValue(100);
        bar->OnChange([this] { changes.push_back(bar->Value()); });
    }
};

bool ClassRegistered(const wchar_t* name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return ::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &info) != FALSE;
}

TEST(Realiser, AppliesHandlerChangesAndReportsErrorsWithTheGivenCaption) {
    forms::ClearRecordedErrors();
    auto realiser = forms::win32::Realiser::Create({.errorCaption = "Test application"});
    std::vector<ShownBox> boxes;
    realiser->SetErrorBox([&](HWND owner, const std::wstring& text, const std::wstring& caption) {
        boxes.push_back({owner, text, caption});
    });
    SmallForm form;
    realiser->Attach(form);
    form.Show();
    winapi::PumpMessages();
    HWND button = realiser->WindowOf(*form.button);
    HWND box = realiser->WindowOf(*form.box);
    ::SendMessageW(button, BM_CLICK, 0, 0);
    winapi::PumpMessages();
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_INDETERMINATE) << "value 2 shows greyed";
    ::SendMessageW(button, BM_CLICK, 0, 0);  // this click throws
    winapi::PumpMessages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Test application") << "a form without a caption takes the realiser's";
    EXPECT_EQ(boxes[0].text, L"Division by zero");
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_INDETERMINATE);

    // A downward range: value 100 is the top, native 0; a line down lowers the value.
    HWND bar = realiser->WindowOf(*form.bar);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 0);
    ::SendMessageW(::GetParent(bar), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(form.bar->Value(), 90);
    EXPECT_EQ(::GetScrollPos(bar, SB_CTL), 10);
    EXPECT_EQ(form.changes, std::vector<int>{90});

    // Alt+G reaches the button through the message hook.
    ::SetFocus(box);
    PressKey('G', /*alt=*/true);
    EXPECT_EQ(form.clicks, 3);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(Realiser, AWindowNeverOutlivesItsFormOrItsRealiser) {
    auto realiser = forms::win32::Realiser::Create();
    realiser->SetErrorBox([](HWND, const std::wstring&, const std::wstring&) {});
    HWND first = nullptr;
    {
        SmallForm form;
        realiser->Attach(form);
        form.Show();
        first = realiser->WindowOf(form);
        ASSERT_TRUE(::IsWindow(first));
        EXPECT_TRUE(ClassRegistered(L"TolvaneForm"));
    }  // destroyed while loaded and shown
    EXPECT_FALSE(::IsWindow(first));
    // With no window left the classes are gone again, as a DLL that may unload needs.
    EXPECT_FALSE(ClassRegistered(L"TolvaneForm"));
    EXPECT_FALSE(ClassRegistered(L"TolvaneLine"));

    SmallForm form;
    realiser->Attach(form);
    form.Show();
    HWND second = realiser->WindowOf(form);
    ASSERT_TRUE(::IsWindow(second));
    realiser.reset();  // the form goes on, headless
    EXPECT_FALSE(::IsWindow(second));
    EXPECT_EQ(form.Observer(), nullptr);
    forms::Driver driver;
    EXPECT_TRUE(driver.Click(*form.button));
    EXPECT_EQ(form.box->Value(), 2);
}

TEST(Realiser, AttachingALoadedFormCreatesItsWindowAtOnce) {
    auto realiser = forms::win32::Realiser::Create();
    SmallForm form;
    form.Show();
    form.box->SetValue(1);
    realiser->Attach(form);
    realiser->Attach(form);  // a second attach changes nothing
    HWND window = realiser->WindowOf(form);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::SendMessageW(realiser->WindowOf(*form.box), BM_GETCHECK, 0, 0), BST_CHECKED);
    form.Unload();
    EXPECT_FALSE(::IsWindow(window));
}

// Each Connect object of the module has a realiser of its own; one that goes (unloaded in
// the Add-In Manager) must not take the error reports of another's window with it.
TEST(Realiser, ErrorsOfALiveWindowAreShownWhicheverOtherConnectObjectWent) {
    struct Session {
        std::unique_ptr<Connect> connect;
        std::weak_ptr<forms::win32::Realiser> realiser;
        frmAddIn* window = nullptr;
        std::vector<ShownBox> boxes;
    };
    auto host = host::memory::MemoryHost::Create(NativeProject());
    for (const int going : {0, 1}) {
        SCOPED_TRACE(going == 0 ? "the older one goes" : "the newer one goes");
        forms::ClearRecordedErrors();
        Session sessions[2];
        for (Session& s : sessions) {
            auto realiser = forms::win32::Realiser::Create();
            realiser->SetErrorBox([&s](HWND owner, const std::wstring& text, const std::wstring& caption) {
                s.boxes.push_back({owner, text, caption});
            });
            s.realiser = realiser;
            ConnectServices services;
            services.makeWindow = [factory = MakeAddInWindowFactory(realiser->AsFormRealiser()), &s] {
                auto window = factory();
                s.window = dynamic_cast<frmAddIn*>(window.get());
                return window;
            };
            s.connect = std::make_unique<Connect>(std::move(services));
            s.connect->SetVBInstance(host);
            s.connect->Show();
        }
        sessions[going].connect.reset();
        winapi::PumpMessages();
        ASSERT_TRUE(sessions[going].realiser.expired());

        Session& staying = sessions[1 - going];
        host->Faults().Fail("FormDesigner.VBControls", "Method 'VBControls' of object '_VBFormDesigner' failed");
        ChooseEntry(staying.realiser.lock()->WindowOf(*staying.window->cboForms), "Form1");
        host->Faults().Clear();
        ASSERT_EQ(staying.boxes.size(), 1u);
        EXPECT_EQ(staying.boxes[0].text, L"Method 'VBControls' of object '_VBFormDesigner' failed");
        EXPECT_EQ(staying.boxes[0].owner, staying.realiser.lock()->WindowOf(*staying.window));
        EXPECT_TRUE(forms::RecordedErrors().empty());
    }
}

}  // namespace
}  // namespace tolvane::testing
