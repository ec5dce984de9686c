#include <vector>

#include "WindowFixture.h"

namespace tolvane::testing {
namespace {

using forms::Alignment;
using forms::Kind;

struct Expected {
    const char* name;
    Kind kind;
    const char* container;  // "" for the window
    const char* caption;
    int left, top, width, height;
    bool visible;
};

TEST_F(WindowTest, EveryControlOfTheLayoutStandsWhereTheWindowStoresIt) {
    const std::vector<Expected> table = {
        {"Label1", Kind::Label, "", "Select a form:", 180, 180, 1155, 195, true},
        {"cboForms", Kind::ComboBox, "", "", 1440, 120, 2535, 315, true},
        {"Frame1", Kind::Frame, "", "", 120, 540, 4995, 4935, true},
        {"lblControlName", Kind::Label, "Frame1", "Control Name", 240, 540, 1095, 195, false},
        {"lblLeftRight", Kind::Label, "Frame1", "Left/Right", 2490, 240, 855, 195, false},
        {"lblLRM", Kind::Label, "Frame1", "M", 2595, 540, 195, 195, false},
        {"lblLRR", Kind::Label, "Frame1", "R", 2835, 540, 195, 195, false},
        {"lblLRS", Kind::Label, "Frame1", "S", 3075, 540, 195, 195, false},
        {"lblUpDown", Kind::Label, "Frame1", "Up/Down", 3600, 240, 855, 195, false},
        {"lblUDM", Kind::Label, "Frame1", "M", 3675, 540, 195, 195, false},
        {"lblUDR", Kind::Label, "Frame1", "R", 3915, 540, 195, 195, false},
        {"lblUDS", Kind::Label, "Frame1", "S", 4155, 540, 195, 195, false},
        {"Picture2", Kind::PictureBox, "", "", 240, 1320, 4755, 4035, true},
        {"Picture1", Kind::PictureBox, "Picture2", "", 0, 0, 4395, 15195, true},
        {"VScroll1", Kind::VScrollBar, "Picture2", "", 4440, 0, 255, 3975, true},
        {"Label3", Kind::Label, "", "Paste this code in the form's declaration section", 5280, 120, 3015, 195, true},
        {"txtDeclaration", Kind::TextBox, "", "", 5280, 360, 4155, 1635, true},
        {"Label4", Kind::Label, "", "Paste this code in the form's Load event section", 5280, 2100, 3195, 195, true},
        {"txtOnLoad", Kind::TextBox, "", "", 5280, 2340, 4155, 1635, true},
        {"Label5", Kind::Label, "", "Paste this code in the form's Resize event section", 5280, 4080, 3135, 195, true},
        {"txtOnResize", Kind::TextBox, "", "", 5280, 4320, 4155, 1635, true},
        {"cmdGenCode", Kind::CommandButton, "", "&Generate Code", 120, 5565, 1755, 375, true},
        {"cmdClear", Kind::CommandButton, "", "&Clear", 1950, 5565, 915, 375, true},
        {"cmdAbout", Kind::CommandButton, "", "&About", 3240, 5580, 915, 375, true},
        {"CancelButton", Kind::CommandButton, "", "E&xit", 4260, 5580, 855, 375, true},
    };
    for (const auto& e : table) {
        const forms::Control* c = window->Find(e.name);
        ASSERT_NE(c, nullptr) << e.name;
        EXPECT_EQ(c->GetKind(), e.kind) << e.name;
        EXPECT_EQ(c->Container() ? c->Container()->Name() : std::string(), e.container) << e.name;
        EXPECT_EQ(c->Caption(), e.caption) << e.name;
        EXPECT_EQ(c->Bounds(), (forms::Rect{e.left, e.top, e.left + e.width, e.top + e.height})) << e.name;
        EXPECT_EQ(c->Visible(), e.visible) << e.name;
        EXPECT_TRUE(c->Enabled()) << e.name;
        EXPECT_TRUE(c->GetFont().name.empty()) << e.name << " keeps the window's dialog font";
    }

    struct LineEnds {
        const char* name;
        int x1, y1, x2, y2;
    };
    for (const auto& l : {LineEnds{"Line1", 2490, 480, 3330, 480}, LineEnds{"Line2", 3600, 480, 4440, 480}}) {
        const forms::Control* c = window->Find(l.name);
        ASSERT_NE(c, nullptr) << l.name;
        EXPECT_EQ(c->GetKind(), Kind::Line);
        EXPECT_EQ(c->Container(), window->Frame1);
        EXPECT_EQ((std::vector<int>{c->X1(), c->Y1(), c->X2(), c->Y2()}), (std::vector<int>{l.x1, l.y1, l.x2, l.y2}));
        EXPECT_FALSE(c->Visible()) << l.name;
    }

    // Nothing beyond the layout: 27 single controls and seven arrays of 50.
    EXPECT_EQ(window->Controls().size(), 27u + 7u * 50u);
}

TEST_F(WindowTest, SevenRowArraysOfFiftyStartHiddenUncheckedEnabled) {
    struct Column {
        const char* name;
        const frmAddIn::RowArray* array;
        int left, width, height, top0;
    };
    const std::vector<Column> columns = {
        {"Check1", &window->Check1, 120, 1995, 315, 60},       {"chkMoveH", &window->chkMoveH, 2460, 195, 195, 120},
        {"chkSizeH", &window->chkSizeH, 2700, 195, 195, 120},  {"chkScaleH", &window->chkScaleH, 2940, 195, 195, 120},
        {"chkMoveV", &window->chkMoveV, 3540, 195, 195, 120},  {"chkSizeV", &window->chkSizeV, 3780, 195, 195, 120},
        {"chkScaleV", &window->chkScaleV, 4020, 195, 195, 120},
    };
    for (const auto& column : columns) {
        for (int i = 0; i < RowCapacity; ++i) {
            const forms::Control* box = (*column.array)[static_cast<std::size_t>(i)];
            ASSERT_EQ(box, window->Find(column.name, i)) << column.name << i;
            EXPECT_EQ(box->GetKind(), Kind::CheckBox);
            EXPECT_EQ(box->Container(), window->Picture1);
            const int top = column.top0 + 300 * i;
            EXPECT_EQ(box->Bounds(), (forms::Rect{column.left, top, column.left + column.width, top + column.height}))
                << column.name << i;
            EXPECT_EQ(box->Caption(), "Check1");
            EXPECT_FALSE(box->Visible());
            EXPECT_TRUE(box->Enabled());
            EXPECT_EQ(box->Value(), 0);
        }
    }
    EXPECT_EQ(window->Check1[49]->Top(), 14760);
    EXPECT_EQ(window->chkScaleV[49]->Top(), 14820);
}

TEST_F(WindowTest, WindowAndControlProperties) {
    EXPECT_EQ(window->Name(), "frmAddIn");
    EXPECT_EQ(window->Caption(), "Tolvane");
    EXPECT_EQ(window->ClientWidth(), 9570);
    EXPECT_EQ(window->ClientHeight(), 6030);
    EXPECT_TRUE(window->FixedDialog());
    EXPECT_TRUE(window->HasCloseBox());
    EXPECT_EQ(window->DefaultButton(), nullptr);
    EXPECT_EQ(window->forms::Form::CancelButton(), nullptr);
    EXPECT_TRUE(window->TopMost());

    for (const forms::Control* box : {window->txtDeclaration, window->txtOnLoad, window->txtOnResize}) {
        EXPECT_TRUE(box->MultiLine()) << box->Name();
        EXPECT_EQ(box->GetScrollBars(), forms::ScrollBars::Both) << box->Name();
        EXPECT_EQ(box->ForeColour(), 0x00800000u) << box->Name();
    }
    EXPECT_EQ(window->Label1->GetAlignment(), Alignment::Right);
    EXPECT_EQ(window->lblControlName->GetAlignment(), Alignment::Left);
    for (const forms::Control* label : {window->lblLeftRight, window->lblUpDown, window->lblLRM, window->lblLRR,
                                        window->lblLRS, window->lblUDM, window->lblUDR, window->lblUDS})
        EXPECT_EQ(label->GetAlignment(), Alignment::Center) << label->Name();
    EXPECT_TRUE(window->Picture2->HasBorder());
    EXPECT_EQ(window->VScroll1->Min(), 0);
    EXPECT_EQ(window->VScroll1->Max(), -15195);
    EXPECT_EQ(window->VScroll1->SmallChange(), 50);
    EXPECT_EQ(window->VScroll1->LargeChange(), 200);
    EXPECT_EQ(window->VScroll1->Value(), 0);

    struct Key {
        char letter;
        const forms::Control* button;
    };
    for (const auto& k : {Key{'G', window->cmdGenCode}, Key{'C', window->cmdClear}, Key{'A', window->cmdAbout},
                          Key{'X', window->CancelButton}})
        EXPECT_EQ(k.button->AccessKey(), k.letter);

    // The viewport's inner height is the scroll bar's height.
    EXPECT_EQ(window->Picture2->Height() - 2 * window->Picture2->ClientInset(), window->VScroll1->Height());
}

TEST_F(WindowTest, FocusStartsInTheSelectorAndTabFollowsTheStoredOrder) {
    EXPECT_EQ(window->ActiveControl(), window->cboForms);
    std::vector<std::string> visited;
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(driver.PressTab(*window));
        visited.push_back(window->ActiveControl()->Reference());
    }
    // With no row listed, the order wraps from Picture1 back to the selector.
    EXPECT_EQ(visited, (std::vector<std::string>{"cmdGenCode", "cmdClear", "cmdAbout", "CancelButton",
                                                 "txtDeclaration", "txtOnLoad", "txtOnResize", "Picture2", "VScroll1",
                                                 "Picture1", "cboForms"}));

    // Tab from the last output box goes into the grid, not back to the selector.
    ASSERT_TRUE(driver.Click(*window->txtOnResize));
    driver.PressTab(*window);
    EXPECT_EQ(window->ActiveControl(), window->Picture2);

    // Listed rows join after Picture1; disabled option boxes are passed over.
    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Tick(*window->Check1[1]));
    window->SetFocus(*window->Picture1);
    std::vector<std::string> rows;
    for (int i = 0; i < 9; ++i) {
        driver.PressTab(*window);
        rows.push_back(window->ActiveControl()->Reference());
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"Check1(0)", "Check1(1)", "chkMoveH(1)", "chkSizeH(1)", "chkScaleH(1)",
                                              "chkMoveV(1)", "chkSizeV(1)", "chkScaleV(1)", "Check1(2)"}));
}

TEST_F(WindowTest, EnterBreaksALineInAnOutputBoxAndEscDoesNothing) {
    ASSERT_TRUE(driver.Click(*window->txtOnLoad));
    ASSERT_TRUE(driver.Type(*window->txtOnLoad, "ab"));
    ASSERT_TRUE(driver.PressEnter(*window));
    EXPECT_EQ(window->txtOnLoad->Text(), "ab\r\n");

    // Esc anywhere, and Enter outside the output boxes, change nothing at all.
    ASSERT_TRUE(Pick("Form3"));
    for (forms::Control* focus : {window->cboForms, window->txtDeclaration, window->Check1[0], window->VScroll1}) {
        window->SetFocus(*focus);
        const auto revision = window->Revision();
        ASSERT_TRUE(driver.PressEsc(*window));
        EXPECT_EQ(window->Revision(), revision) << focus->Reference();
        EXPECT_TRUE(window->IsShown());
        if (focus->GetKind() != forms::Kind::TextBox) {
            ASSERT_TRUE(driver.PressEnter(*window));
            EXPECT_EQ(window->Revision(), revision) << focus->Reference();
        }
    }
    EXPECT_EQ(owner.hides, 0);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

}  // namespace
}  // namespace tolvane::testing
