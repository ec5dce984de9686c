#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/Driver.h"
#include "forms/ErrorReport.h"
#include "forms/Form.h"
#include "forms/Text.h"

namespace tolvane::forms {
namespace {

// A small form with one of each kind the add-in's windows use.
class TestForm : public Form {
public:
    TestForm() : Form("frmTest") {}

    Control* ok = nullptr;
    Control* cancel = nullptr;
    Control* plain = nullptr;
    Control* boxes[3] = {};
    Control* memo = nullptr;
    Control* combo = nullptr;
    Control* viewport = nullptr;
    Control* inner = nullptr;
    Control* deep = nullptr;
    Control* hiddenHolder = nullptr;
    Control* hiddenChild = nullptr;
    Control* bar = nullptr;
    Control* caption = nullptr;
    Control* afterCaption = nullptr;
    Control* line = nullptr;

    std::vector<std::string> events;
    bool failNextClick = false;
    int loads = 0;
    std::vector<UnloadMode> unloads;

protected:
    void CreateControls() override {
        SetClientSize(6000, 5000);
        ok = &Add(Kind::CommandButton, "cmdOK");
        ok->Move(100, 100, 900, 300);
        ok->SetCaption("&OK");
        ok->SetDefault(true);
        ok->OnClick([this] {
            events.push_back("cmdOK_Click");
            if (failNextClick) {
                failNextClick = false;
                throw std::runtime_error("Subscript out of range");
            }
        });
        cancel = &Add(Kind::CommandButton, "cmdCancel");
        cancel->Move(1100, 100, 900, 300);
        cancel->SetCaption("Cancel");
        cancel->SetCancel(true);
        cancel->OnClick([this] { events.push_back("cmdCancel_Click"); });
        plain = &Add(Kind::CommandButton, "cmdPlain");
        plain->Move(2100, 100, 900, 300);
        plain->SetCaption("Save && &Quit");
        plain->OnClick([this] { events.push_back("cmdPlain_Click"); });
        for (int i = 0; i < 3; ++i) {
            boxes[i] = &Add(Kind::CheckBox, "chkOpt", nullptr, i);
            boxes[i]->Move(100, 500 + 300 * i, 1000, 255);
            boxes[i]->OnClick([this, i] { events.push_back("chkOpt_Click(" + std::to_string(i) + ")"); });
        }
        memo = &Add(Kind::TextBox, "txtMemo");
        memo->Move(1500, 500, 2000, 900);
        memo->SetMultiLine(true);
        memo->OnChange([this] { events.push_back("txtMemo_Change"); });
        memo->OnDblClick([this] { events.push_back("txtMemo_DblClick"); });
        combo = &Add(Kind::ComboBox, "cboPick");
        combo->Move(1500, 1500, 2000, 315);
        combo->AddItem("Alpha");
        combo->AddItem("Beta");
        combo->OnClick([this] { events.push_back("cboPick_Click"); });
        combo->OnChange([this] { events.push_back("cboPick_Change"); });
        combo->OnDropDown([this] { events.push_back("cboPick_DropDown"); });
        viewport = &Add(Kind::PictureBox, "picView");
        viewport->Move(100, 2000, 2000, 1060);
        viewport->SetBorder(true);
        inner = &Add(Kind::PictureBox, "picInner", viewport);
        inner->Move(0, 0, 1700, 3000);
        deep = &Add(Kind::CheckBox, "chkDeep", inner);
        deep->Move(100, 2500, 1000, 255);
        hiddenHolder = &Add(Kind::Frame, "fraHidden");
        hiddenHolder->Move(2500, 2000, 1500, 1000);
        hiddenHolder->SetVisible(false);
        hiddenChild = &Add(Kind::CommandButton, "cmdInside", hiddenHolder);
        hiddenChild->Move(100, 100, 900, 300);
        hiddenChild->SetCaption("&Inside");
        bar = &Add(Kind::VScrollBar, "vsbDown", viewport);
        bar->Move(1720, 0, 255, 1000);
        bar->SetRange(0, -1000, 50, 200);
        bar->OnChange([this] { events.push_back("vsbDown_Change=" + std::to_string(bar->Value())); });
        bar->OnScroll([this] { events.push_back("vsbDown_Scroll=" + std::to_string(bar->Value())); });
        caption = &Add(Kind::Label, "lblName");
        caption->Move(4000, 100, 900, 195);
        caption->SetCaption("&Name:");
        afterCaption = &Add(Kind::TextBox, "txtName");
        afterCaption->Move(4000, 400, 900, 315);
        line = &Add(Kind::Line, "Line1");
        line->SetLineEnds(0, 4000, 5000, 4000);
        SetTabOrder({ok, cancel, plain, boxes[0], boxes[1], boxes[2], memo, combo, viewport, inner, deep, bar,
                     caption, afterCaption});
    }
    void Form_Load() override { ++loads; }
    void AfterUnload(UnloadMode mode) override { unloads.push_back(mode); }
};

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearRecordedErrors();
        SetErrorReporter({});
        form.Show();
        form.events.clear();
    }
    void TearDown() override {
        SetErrorReporter({});
        ClearRecordedErrors();
    }
    TestForm form;
    Driver driver;
};

TEST_F(FormsTest, DriverRefusesWhatNoUserCouldReachAndChangesNothing) {
    struct Case {
        const char* what;
        std::function<Control*(TestForm&)> prepare;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"hidden", [](TestForm& f) { f.boxes[1]->SetVisible(false); return f.boxes[1]; }, "hidden"},
        {"disabled", [](TestForm& f) { f.boxes[2]->SetEnabled(false); return f.boxes[2]; }, "disabled"},
        {"in hidden container", [](TestForm& f) { return f.hiddenChild; }, "hidden"},
        {"in disabled container", [](TestForm& f) { f.viewport->SetEnabled(false); return f.deep; }, "disabled"},
        {"clipped by the viewport", [](TestForm& f) { return f.deep; }, "out of view"},
        {"form hidden", [](TestForm& f) { f.Hide(); return f.boxes[0]; }, "not shown"},
        {"form unloaded", [](TestForm& f) { f.Unload(); return f.ok; }, "not shown"},
    };
    for (const auto& c : cases) {
        TestForm f;
        f.Show();
        f.events.clear();
        Control* target = c.prepare(f);
        const int before = target->Value();
        EXPECT_FALSE(driver.Click(*target)) << c.what;
        EXPECT_NE(driver.Refusal().find(c.reason), std::string::npos) << c.what << ": " << driver.Refusal();
        EXPECT_EQ(target->Value(), before) << c.what;
        EXPECT_TRUE(f.events.empty()) << c.what;
    }
}

TEST_F(FormsTest, ScrollingTheContainerBringsAClippedControlIntoReach) {
    // chkDeep sits at Top 2500 in a panel seen through a 1000-twip viewport.
    ASSERT_FALSE(driver.Tick(*form.deep));
    form.inner->SetTop(-2000);
    EXPECT_EQ(form.deep->VisiblePart(), (Rect{130 + 100, 2030 + 500, 130 + 1100, 2030 + 755}));
    EXPECT_TRUE(driver.Tick(*form.deep));
    EXPECT_EQ(form.deep->Value(), 1);
}

TEST_F(FormsTest, ArrayClickReportsIndexAndUserInputLeavesNoDirtyBit) {
    for (auto* box : form.boxes) box->TakeDirty();
    ASSERT_TRUE(driver.Tick(*form.boxes[2]));
    EXPECT_EQ(form.boxes[2]->Value(), 1);
    EXPECT_EQ(form.boxes[2]->Dirty() & DirtyValue, 0u);
    EXPECT_EQ(form.ActiveControl(), form.boxes[2]);
    ASSERT_TRUE(driver.Tick(*form.boxes[2]));
    EXPECT_EQ(form.boxes[2]->Value(), 0);
    EXPECT_EQ(form.events, (std::vector<std::string>{"chkOpt_Click(2)", "chkOpt_Click(2)"}));

    // Set by code: Click as in VB, and the change is marked for the realisation.
    form.events.clear();
    form.boxes[0]->SetValue(1);
    form.boxes[0]->SetValue(1);
    EXPECT_EQ(form.events, (std::vector<std::string>{"chkOpt_Click(0)"}));
    EXPECT_EQ(form.boxes[0]->TakeDirty(), static_cast<std::uint32_t>(DirtyValue));
    EXPECT_EQ(form.boxes[0]->Dirty(), 0u);
    EXPECT_THROW(form.boxes[0]->SetValue(3), std::invalid_argument);
}

TEST_F(FormsTest, UnhandledErrorGoesToTheReportAndTheFormStaysUsable) {
    form.failNextClick = true;
    ASSERT_TRUE(driver.Click(*form.ok));
    ASSERT_EQ(RecordedErrors().size(), 1u);
    EXPECT_EQ(RecordedErrors()[0], (ErrorReport{"frmTest", "cmdOK_Click", "Subscript out of range"}));
    ASSERT_TRUE(driver.Click(*form.ok));
    EXPECT_EQ(RecordedErrors().size(), 1u);
    EXPECT_EQ(form.events.size(), 2u);

    // A pluggable reporter takes over; one that fails itself falls back to recording.
    std::vector<ErrorReport> shown;
    SetErrorReporter([&](const ErrorReport& r) { shown.push_back(r); });
    form.failNextClick = true;
    driver.Click(*form.ok);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(RecordedErrors().size(), 1u);
    SetErrorReporter([](const ErrorReport&) { throw std::runtime_error("no message box"); });
    form.failNextClick = true;
    driver.Click(*form.ok);
    EXPECT_EQ(RecordedErrors().size(), 2u);

    // The form's own realisation shows it first; one that cannot leaves it to the report.
    struct Showing : FormObserver {
        bool fails = false;
        int shown = 0;
        bool ShowError(Form&, const ErrorReport&) override {
            if (fails) throw std::runtime_error("window gone");
            ++shown;
            return true;
        }
    } observer;
    form.SetObserver(&observer);
    for (const bool fails : {false, true}) {
        observer.fails = fails;
        form.failNextClick = true;
        driver.Click(*form.ok);
    }
    form.SetObserver(nullptr);
    EXPECT_EQ(observer.shown, 1);
    EXPECT_EQ(RecordedErrors().size(), 3u);
}

TEST(FormLifetime, AFormDestroyedWhileItsErrorIsShownIsNotTouchedWhenTheBoxReturns) {
    // The owner lets the form go while the box is open (the add-in was disconnected meanwhile):
    // when the box returns, the dispatch must not go on with the form it had.
    struct Disconnecting : FormObserver {
        std::unique_ptr<TestForm>* owner = nullptr;
        bool gone = false;
        int afterGone = 0;
        bool ShowError(Form&, const ErrorReport&) override {
            owner->reset();
            return true;
        }
        void Destroyed(Form&) override { gone = true; }
        void EventDone(Form&) override { afterGone += gone ? 1 : 0; }
    } observer;
    ClearRecordedErrors();
    auto form = std::make_unique<TestForm>();
    observer.owner = &form;
    form->SetObserver(&observer);
    form->Show();
    form->failNextClick = true;
    Driver driver;
    ASSERT_TRUE(driver.Click(*form->ok));
    EXPECT_EQ(form, nullptr);
    EXPECT_TRUE(observer.gone);
    EXPECT_EQ(observer.afterGone, 0) << "nothing of the form ran after the box";
    EXPECT_TRUE(RecordedErrors().empty()) << "reported once, by the form's own realisation";
}

TEST_F(FormsTest, EnterAndEscapeFollowFocusDefaultAndCancel) {
    // Focus on a check box: Enter presses the default button, Esc the cancel button.
    ASSERT_TRUE(driver.Tick(*form.boxes[0]));
    form.events.clear();
    ASSERT_TRUE(driver.PressEnter(form));
    ASSERT_TRUE(driver.PressEsc(form));
    EXPECT_EQ(form.events, (std::vector<std::string>{"cmdOK_Click", "cmdCancel_Click"}));

    // A focused button takes Enter itself.
    ASSERT_TRUE(driver.Click(*form.plain));
    form.events.clear();
    driver.PressEnter(form);
    EXPECT_EQ(form.events, (std::vector<std::string>{"cmdPlain_Click"}));

    // In a multi-line box Enter replaces the selection with a line break.
    ASSERT_TRUE(driver.Type(*form.memo, "abcdef"));
    ASSERT_TRUE(driver.Select(*form.memo, 2, 2));
    form.events.clear();
    driver.PressEnter(form);
    EXPECT_EQ(form.memo->Text(), "ab\r\nef");
    EXPECT_EQ(form.memo->SelStart(), 4);
    EXPECT_EQ(form.events, (std::vector<std::string>{"txtMemo_Change"}));

    // Without default and cancel buttons nothing happens.
    form.ok->SetDefault(false);
    form.cancel->SetCancel(false);
    ASSERT_TRUE(driver.Tick(*form.boxes[0]));
    form.events.clear();
    driver.PressEnter(form);
    driver.PressEsc(form);
    EXPECT_TRUE(form.events.empty());
    EXPECT_FALSE(driver.PressEnter(*std::make_unique<TestForm>()));
}

TEST_F(FormsTest, OnlyOneDefaultAndOneCancelButton) {
    form.plain->SetDefault(true);
    form.plain->SetCancel(true);
    EXPECT_EQ(form.DefaultButton(), form.plain);
    EXPECT_EQ(form.CancelButton(), form.plain);
    EXPECT_FALSE(form.ok->IsDefault());
    EXPECT_FALSE(form.cancel->IsCancel());
}

TEST_F(FormsTest, TabVisitsReachableControlsByTabIndexAndWraps) {
    form.boxes[1]->SetVisible(false);
    form.combo->SetEnabled(false);
    form.inner->SetTop(-2000);  // chkDeep is in view but takes the focus either way
    std::vector<std::string> visited;
    ASSERT_EQ(form.ActiveControl(), form.ok);
    for (int i = 0; i < 11; ++i) {
        driver.PressTab(form);
        visited.push_back(form.ActiveControl()->Reference());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"cmdCancel", "cmdPlain", "chkOpt(0)", "chkOpt(2)", "txtMemo",
                                                 "picView", "picInner", "chkDeep", "vsbDown", "txtName", "cmdOK"}));
    driver.PressShiftTab(form);
    EXPECT_EQ(form.ActiveControl(), form.afterCaption);
    EXPECT_THROW(form.SetFocus(*form.combo), std::invalid_argument);
    EXPECT_THROW(form.SetFocus(*form.caption), std::invalid_argument);
}

TEST_F(FormsTest, AccessKeys) {
    ASSERT_TRUE(driver.PressAccessKey(form, 'o'));
    EXPECT_EQ(form.events, (std::vector<std::string>{"cmdOK_Click"}));
    // "&&" is a literal ampersand; the key of "Save && &Quit" is Q.
    EXPECT_EQ(form.plain->AccessKey(), 'Q');
    ASSERT_TRUE(driver.PressAccessKey(form, 'Q'));
    EXPECT_EQ(form.events.back(), "cmdPlain_Click");
    // A label hands the focus to the next control in the tab order.
    ASSERT_TRUE(driver.PressAccessKey(form, 'n'));
    EXPECT_EQ(form.ActiveControl(), form.afterCaption);
    // A button inside a hidden frame has no working access key.
    EXPECT_FALSE(driver.PressAccessKey(form, 'i'));
    EXPECT_FALSE(driver.PressAccessKey(form, 'z'));
}

TEST_F(FormsTest, ScrollBarRunningDownwards) {
    // Min 0, Max -1000: "down" lowers the value.
    ASSERT_TRUE(driver.ScrollArrow(*form.bar, true));
    EXPECT_EQ(form.bar->Value(), -50);
    ASSERT_TRUE(driver.ScrollTrack(*form.bar, true));
    EXPECT_EQ(form.bar->Value(), -250);
    ASSERT_TRUE(driver.ScrollArrow(*form.bar, false));
    EXPECT_EQ(form.bar->Value(), -200);
    ASSERT_TRUE(driver.DragThumb(*form.bar, -990));
    ASSERT_TRUE(driver.ScrollTrack(*form.bar, true));
    EXPECT_EQ(form.bar->Value(), -1000);
    ASSERT_TRUE(driver.ScrollTrack(*form.bar, true));  // at the end: no move, no Change
    ASSERT_TRUE(driver.DragThumb(*form.bar, 400));     // clamped to Min
    EXPECT_EQ(form.bar->Value(), 0);
    EXPECT_EQ(form.events,
              (std::vector<std::string>{"vsbDown_Change=-50", "vsbDown_Change=-250", "vsbDown_Change=-200",
                                        "vsbDown_Scroll=-990", "vsbDown_Change=-990", "vsbDown_Change=-1000",
                                        "vsbDown_Scroll=0", "vsbDown_Change=0"}));
    EXPECT_THROW(form.bar->SetValue(1), std::invalid_argument);
    EXPECT_THROW(form.bar->SetValue(-1001), std::invalid_argument);
    form.bar->SetValue(-1000);
    EXPECT_EQ(form.events.back(), "vsbDown_Change=-1000");
}

TEST_F(FormsTest, ComboTypingAndChoosing) {
    ASSERT_TRUE(driver.OpenList(*form.combo));
    EXPECT_EQ(form.ActiveControl(), form.combo);
    EXPECT_FALSE(driver.OpenList(*form.memo));
    ASSERT_TRUE(driver.ChooseListEntry(*form.combo, "Beta"));
    EXPECT_EQ(form.combo->Text(), "Beta");
    EXPECT_EQ(form.combo->ListIndex(), 1);
    ASSERT_TRUE(driver.Select(*form.combo, 4, 0));
    ASSERT_TRUE(driver.Type(*form.combo, "x"));
    EXPECT_EQ(form.combo->Text(), "Betax");
    EXPECT_EQ(form.combo->ListIndex(), -1);
    EXPECT_EQ(form.events, (std::vector<std::string>{"cboPick_DropDown", "cboPick_Click", "cboPick_Change"}));
    EXPECT_FALSE(driver.ChooseListEntry(*form.combo, "Gamma"));
    EXPECT_FALSE(driver.ChooseListEntry(*form.combo, 2));
    EXPECT_FALSE(driver.Type(*form.ok, "x"));
}

TEST_F(FormsTest, DoubleClickRaisesClickThenDblClickAndTogglesACheckBoxTwice) {
    ASSERT_TRUE(driver.DoubleClick(*form.memo));
    EXPECT_EQ(form.events, (std::vector<std::string>{"txtMemo_DblClick"}));
    form.events.clear();
    ASSERT_TRUE(driver.DoubleClick(*form.boxes[0]));
    EXPECT_EQ(form.boxes[0]->Value(), 0);
    EXPECT_EQ(form.events.size(), 2u);
    EXPECT_FALSE(driver.Click(*form.line));
}

TEST(Utf16, LengthsAndOffsetsCountCodeUnits) {
    struct Case {
        std::string text;
        int units;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {"abc", 3},
        {"\xC3\xA9t\xC3\xA9", 3},           // été
        {"\xE2\x82\xAC", 1},                // euro sign
        {"a\xF0\x9F\x98\x80" "b", 4},      // a, a surrogate pair, b
        {"\xFF\xFE", 2},                    // malformed bytes count one each
        {"\xE2\x82", 2},                    // truncated sequence
        {"\r\n", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16Length(c.text), c.units) << c.text;
    const std::string smile = "a\xF0\x9F\x98\x80" "b";
    EXPECT_EQ(ByteOffset(smile, 1), 1u);
    EXPECT_EQ(ByteOffset(smile, 2), 1u);  // inside the pair: back to its start
    EXPECT_EQ(ByteOffset(smile, 3), 5u);
    EXPECT_EQ(ByteOffset(smile, 99), smile.size());
}

TEST_F(FormsTest, SelectionCountsCharactersNotBytes) {
    ASSERT_TRUE(driver.Type(*form.memo, "\xC3\xA9t\xC3\xA9"));
    form.memo->SetSelStart(1);
    form.memo->SetSelLength(10);
    EXPECT_EQ(form.memo->SelLength(), 2);
    EXPECT_EQ(form.memo->SelText(), "t\xC3\xA9");
    EXPECT_THROW(form.memo->SetSelStart(-1), std::invalid_argument);
}

TEST_F(FormsTest, CloseBoxUnloadsAndTheNextShowStartsFromTheLayout) {
    ASSERT_TRUE(driver.Tick(*form.boxes[0]));
    ASSERT_TRUE(driver.PressCloseBox(form));
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.unloads, (std::vector<UnloadMode>{UnloadMode::CloseBox}));
    EXPECT_FALSE(driver.PressCloseBox(form));
    form.Show();
    EXPECT_EQ(form.loads, 2);
    EXPECT_EQ(form.boxes[0]->Value(), 0);
    EXPECT_EQ(form.ActiveControl(), form.ok);
    form.Unload();
    EXPECT_EQ(form.unloads.back(), UnloadMode::Code);
}

// What a realisation sees: one EventDone per outermost event, after nested ones.
class CountingObserver : public FormObserver {
public:
    int done = 0;
    int shown = 0;
    int front = 0;
    void EventDone(Form&) override { ++done; }
    void Shown(Form&) override { ++shown; }
    void BroughtToFront(Form&) override { ++front; }
};

TEST_F(FormsTest, ObserverHearsOnceAfterEachOutermostEvent) {
    CountingObserver observer;
    form.SetObserver(&observer);
    // The handler sets another box by code, which raises a nested Click.
    form.boxes[0]->OnClick([this] { form.boxes[1]->SetValue(1); });
    ASSERT_TRUE(driver.Tick(*form.boxes[0]));
    EXPECT_EQ(form.boxes[1]->Value(), 1);
    EXPECT_EQ(observer.done, 1);
    const auto revision = form.Revision();
    form.Hide();
    form.Show();
    EXPECT_EQ(observer.shown, 1);
    EXPECT_GT(form.Revision(), revision);
    // Shown again while shown: to the front, not a second display.
    form.Show();
    EXPECT_EQ(observer.shown, 1);
    EXPECT_EQ(observer.front, 1);
    EXPECT_EQ(form.FrontRequests(), 1);
    form.SetObserver(nullptr);
}

}  // namespace
}  // namespace tolvane::forms
