#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "WindowFixture.h"
#include "model/ResizeCode.h"
#include "tests/support/FormGeometry.h"

namespace tolvane::testing {
namespace {

using forms::Alignment;
using forms::Kind;

TEST_F(WindowTest, EveryControlLiesInsideWhatHoldsIt) {
    // Picture1, the panel of row windows, reaches a row below Picture2 (the row cut at the
    // bottom while scrolling); it fits across.
    EXPECT_EQ(OutsideTheirArea(*window), std::vector<std::string>{"Picture1"});
    EXPECT_LE(window->Picture1->Bounds().right, HoldingArea(*window->Picture1).right);
    EXPECT_GE(window->Picture1->Height(), frmAddIn::kSlots * frmAddIn::RowPitch);
    EXPECT_LT((frmAddIn::kSlots - 1) * frmAddIn::RowPitch, window->VScroll1->Height() + frmAddIn::RowPitch)
        << "no more row windows than can show at once";
    // The bar fills the viewport's inner height.
    EXPECT_EQ(window->VScroll1->Bounds().bottom, HoldingArea(*window->VScroll1).bottom);
    // Nothing beyond the layout: 32 single controls and eight arrays of row windows, however
    // many controls a form has.
    EXPECT_EQ(window->Controls().size(), 32u + 8u * frmAddIn::kSlots);
}

TEST_F(WindowTest, ControlsOverlapOnlyWhereTheLayoutMeansThem) {
    // The grid's viewport lies in front of the frame's lower part, and each row's name box
    // reaches 15 twips into the next row's.
    // The note of a row that cannot be placed lies over its option boxes, shown instead of them.
    std::set<std::string> meant = {"Frame1 ~ Picture2"};
    for (int i = 0; i < frmAddIn::kSlots; ++i) {
        const std::string n = "(" + std::to_string(i) + ")";
        if (i + 1 < frmAddIn::kSlots) meant.insert("Check1" + n + " ~ Check1(" + std::to_string(i + 1) + ")");
        for (const char* option : {"chkMoveH", "chkSizeH", "chkScaleH", "chkMoveV", "chkSizeV", "chkScaleV"})
            meant.insert(option + n + " ~ lblWhy" + n);
    }
    const std::set<std::string> found = OverlappingNeighbours(*window);
    std::vector<std::string> unmeant, missing;
    std::set_difference(found.begin(), found.end(), meant.begin(), meant.end(), std::back_inserter(unmeant));
    std::set_difference(meant.begin(), meant.end(), found.begin(), found.end(), std::back_inserter(missing));
    EXPECT_EQ(unmeant, std::vector<std::string>{});
    EXPECT_EQ(missing, std::vector<std::string>{});
    for (const forms::Control* c : window->HeaderGroup())
        EXPECT_FALSE(Overlaps(InForm(*c), InForm(*window->Picture2))) << c->Name() << " is not hidden by the grid";
}

TEST_F(WindowTest, TheHeaderGroupHeadsTheOptionColumns) {
    // "Left/Right" and "Up/Down", each underlined, over "M", "R" and "S": move, resize, scale.
    struct Group {
        const forms::Control* head;
        const char* caption;
        const forms::Control* underline;
        std::vector<const forms::Control*> letters;
        std::vector<const frmAddIn::RowArray*> columns;
    };
    const Group groups[] = {
        {window->lblLeftRight, "Left/Right", window->Line1, {window->lblLRM, window->lblLRR, window->lblLRS},
         {&window->chkMoveH, &window->chkSizeH, &window->chkScaleH}},
        {window->lblUpDown, "Up/Down", window->Line2, {window->lblUDM, window->lblUDR, window->lblUDS},
         {&window->chkMoveV, &window->chkSizeV, &window->chkScaleV}},
    };
    for (const Group& g : groups) {
        SCOPED_TRACE(g.caption);
        EXPECT_EQ(g.head->Caption(), g.caption);
        const forms::Rect head = InForm(*g.head), underline = InForm(*g.underline);
        EXPECT_TRUE(head.bottom <= underline.top && head.left <= underline.left && underline.right <= head.right);
        for (std::size_t k = 0; k < 3; ++k) {
            const forms::Rect letter = InForm(*g.letters[k]);
            const forms::Rect box = InForm(*(*g.columns[k])[0]);
            EXPECT_EQ(g.letters[k]->Caption(), std::string(1, "MRS"[k]));
            EXPECT_TRUE(underline.bottom <= letter.top && head.left <= letter.left && letter.right <= head.right);
            // Over its column: the boxes' middle lies within the letter.
            const int middle = (box.left + box.right) / 2;
            EXPECT_TRUE(letter.left <= middle && middle < letter.right) << g.letters[k]->Name();
        }
    }
    for (const forms::Control* c : window->HeaderGroup()) EXPECT_EQ(c->Container(), window->Frame1) << c->Name();
}

forms::Rect Shifted(forms::Rect r, int down) { return {r.left, r.top + down, r.right, r.bottom + down}; }

TEST_F(WindowTest, RowWindowsAtAPitchOf300StartHiddenUncheckedEnabled) {
    const std::vector<std::pair<const char*, const frmAddIn::RowArray*>> columns = {
        {"Check1", &window->Check1},       {"chkMoveH", &window->chkMoveH}, {"chkSizeH", &window->chkSizeH},
        {"chkScaleH", &window->chkScaleH}, {"chkMoveV", &window->chkMoveV}, {"chkSizeV", &window->chkSizeV},
        {"chkScaleV", &window->chkScaleV},
    };
    int left = 0;
    for (const auto& [name, array] : columns) {
        const forms::Control& first = *(*array)[0];
        EXPECT_GT(first.Left(), left) << name << ": the columns read left to right";
        left = first.Left();
        // Each option box stands in the middle of its row's name box.
        const forms::Control& nameBox = *window->Check1[0];
        EXPECT_EQ(2 * first.Top() + first.Height(), 2 * nameBox.Top() + nameBox.Height()) << name;
        for (int i = 0; i < frmAddIn::kSlots; ++i) {
            const forms::Control* box = (*array)[static_cast<std::size_t>(i)];
            ASSERT_EQ(box, window->Find(name, i)) << name << i;
            EXPECT_EQ(box->GetKind(), Kind::CheckBox);
            EXPECT_EQ(box->Container(), window->Picture1);
            EXPECT_EQ(box->Bounds(), Shifted(first.Bounds(), 300 * i)) << name << i;
            EXPECT_FALSE(box->Visible());
            EXPECT_TRUE(box->Enabled());
            EXPECT_EQ(box->Value(), 0);
        }
    }
    // The note spans the option columns of its row.
    EXPECT_EQ(window->lblWhy[3]->Left(), window->chkMoveH[3]->Left());
    EXPECT_GE(window->lblWhy[3]->Bounds().right, window->chkScaleV[3]->Bounds().right);
}

TEST_F(WindowTest, EachOutputBoxLiesUnderItsLabel) {
    struct Pair {
        const forms::Control* label;
        const char* caption;
        const forms::Control* box;
    };
    const Pair pairs[] = {{window->Label3, kDeclarationsCaption, window->txtDeclaration},
                          {window->Label4, kLoadCaption, window->txtOnLoad},
                          {window->Label5, kResizeCaption, window->txtOnResize}};
    int top = 0;
    for (const Pair& p : pairs) {
        EXPECT_EQ(p.label->Caption(), p.caption);
        EXPECT_GE(p.label->Top(), top) << p.caption;
        EXPECT_EQ(p.label->Left(), p.box->Left()) << p.caption;
        EXPECT_LE(p.label->Bounds().bottom, p.box->Top()) << p.caption;
        EXPECT_EQ(p.box->Bounds(), Shifted(pairs[0].box->Bounds(), p.box->Top() - pairs[0].box->Top())) << p.caption;
        top = p.box->Bounds().bottom;
    }
}

TEST_F(WindowTest, WindowAndControlProperties) {
    EXPECT_EQ(window->Name(), "frmAddIn");
    EXPECT_EQ(window->Caption(), "Tolvane");
    EXPECT_EQ(window->ClientWidth(), 9570);
    EXPECT_EQ(window->ClientHeight(), 7110);
    EXPECT_TRUE(window->FixedDialog());
    EXPECT_TRUE(window->HasCloseBox());
    EXPECT_EQ(window->DefaultButton(), nullptr);
    EXPECT_EQ(window->forms::Form::CancelButton(), nullptr);
    EXPECT_TRUE(window->TopMost());

    // Every control enabled, in the window's dialog font; hidden only the header group, the
    // row windows and the note on properties that could not be read.
    for (const auto& c : window->Controls()) {
        const auto& header = window->HeaderGroup();
        const bool hidden = c->Container() == window->Picture1 || c.get() == window->lblGuessed ||
                            std::find(header.begin(), header.end(), c.get()) != header.end();
        EXPECT_EQ(c->Visible(), !hidden) << c->Reference();
        EXPECT_TRUE(c->Enabled()) << c->Reference();
        EXPECT_TRUE(c->GetFont().name.empty() && c->GetFont().points == 0) << c->Reference();
    }

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
    EXPECT_EQ(window->VScroll1->Max(), 0) << "no rows, nothing to scroll";
    EXPECT_EQ(window->VScroll1->Value(), 0);

    struct Key {
        char letter;
        const forms::Control* button;
    };
    for (const auto& k : {Key{'G', window->cmdGenCode}, Key{'C', window->cmdClear}, Key{'A', window->cmdAbout},
                          Key{'X', window->CancelButton}, Key{'H', window->chkHideUnplaceable},
                          Key{'P', window->chkPlain}})
        EXPECT_EQ(k.button->AccessKey(), k.letter);

    // The viewport's inner height is the scroll bar's height.
    EXPECT_EQ(window->Picture2->Height() - 2 * window->Picture2->ClientInset(), window->VScroll1->Height());
}

TEST_F(WindowTest, FocusStartsInTheSelectorAndTabReachesTheGridNext) {
    EXPECT_EQ(window->ActiveControl(), window->cboForms);
    std::vector<std::string> visited;
    for (int i = 0; i < 14; ++i) {
        ASSERT_TRUE(driver.PressTab(*window));
        visited.push_back(window->ActiveControl()->Reference());
    }
    // With no row listed, the order wraps from the last output box back to the selector.
    EXPECT_EQ(visited, (std::vector<std::string>{"VScroll1", "chkHideUnplaceable", "cmdGenCode", "chkPlain", "cmdInsert",
                                                 "cmdRemove", "cmdClear", "cmdAbout", "CancelButton", "txtDeclaration",
                                                 "txtOnLoad", "txtOnResize", "cboForms", "VScroll1"}));

    // Listed rows come right after the bar; disabled option boxes are passed over.
    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Tick(*window->Check1[1]));
    window->SetFocus(*window->cboForms);
    std::vector<std::string> rows;
    for (int i = 0; i < 10; ++i) {
        driver.PressTab(*window);
        rows.push_back(window->ActiveControl()->Reference());
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"VScroll1", "Check1(0)", "Check1(1)", "chkMoveH(1)", "chkSizeH(1)",
                                              "chkScaleH(1)", "chkMoveV(1)", "chkSizeV(1)", "chkScaleV(1)",
                                              "Check1(2)"}));
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
