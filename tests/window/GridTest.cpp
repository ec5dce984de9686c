#include <vector>

#include "WindowFixture.h"

namespace tolvane::testing {
namespace {

const std::vector<bool> AllEnabled(6, true);
const std::vector<bool> AllDisabled(6, false);
const std::vector<bool> AllVisible(6, true);
const std::vector<bool> AllHidden(6, false);

TEST_F(WindowTest, RowClickEnablesOptionsExactlyWhileTicked) {
    ASSERT_TRUE(Pick("Form3"));
    EXPECT_EQ(Row(2).optionsEnabled, AllDisabled);
    EXPECT_FALSE(driver.Tick(*window->chkSizeV[2])) << "a disabled option box cannot be ticked";

    ASSERT_TRUE(driver.Tick(*window->Check1[2]));
    EXPECT_EQ(Row(2).value, 1);
    EXPECT_EQ(Row(2).optionsEnabled, AllEnabled);
    ASSERT_TRUE(driver.Tick(*window->chkSizeV[2]));
    ASSERT_TRUE(driver.Tick(*window->chkScaleH[2]));

    ASSERT_TRUE(driver.Tick(*window->Check1[2]));
    EXPECT_EQ(Row(2).value, 0);
    EXPECT_EQ(Row(2).optionsEnabled, AllDisabled);
    EXPECT_EQ(Row(2).options, (std::vector<int>{0, 0, 1, 0, 1, 0})) << "option values stay";

    // Enabled follows the tick even when the two were out of step.
    window->chkMoveH[2]->SetEnabled(true);
    ASSERT_TRUE(driver.Tick(*window->Check1[2]));
    EXPECT_EQ(Row(2).optionsEnabled, AllEnabled);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ClearResetsEveryRowAndTheOutputButNotSelectorOrScroll) {
    ASSERT_TRUE(Pick("Form1"));
    ASSERT_TRUE(driver.Tick(*window->Check1[3]));
    ASSERT_TRUE(driver.Tick(*window->chkMoveV[3]));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    ASSERT_FALSE(window->txtOnResize->Text().empty());
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -600));
    ASSERT_EQ(Row(2).left, 270) << "Form1 has indented rows";

    ASSERT_TRUE(driver.Click(*window->cmdClear));
    for (int r = 0; r < RowCapacity; ++r) {
        EXPECT_EQ(Row(r), (RowView{"", 120, false, 0, std::vector<int>(6, 0), Row(r).optionsEnabled, AllHidden}))
            << "row " << r;
    }
    for (const forms::Control* c : window->HeaderGroup()) EXPECT_FALSE(c->Visible()) << c->Name();
    EXPECT_EQ(window->txtDeclaration->Text(), "");
    EXPECT_EQ(window->txtOnLoad->Text(), "");
    EXPECT_EQ(window->txtOnResize->Text(), "");
    EXPECT_EQ(window->cboForms->Text(), "Form1");
    EXPECT_EQ(ListOf(*window->cboForms).size(), 6u);
    EXPECT_EQ(window->VScroll1->Value(), -600);
    EXPECT_EQ(window->Picture1->Top(), -600);

    // A second Clear gives the same state as one.
    std::vector<RowView> once;
    for (int r = 0; r < RowCapacity; ++r) once.push_back(Row(r));
    ASSERT_TRUE(driver.PressAccessKey(*window, 'c'));
    for (int r = 0; r < RowCapacity; ++r) EXPECT_EQ(Row(r), once[static_cast<std::size_t>(r)]);
    EXPECT_EQ(window->VScroll1->Value(), -600);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ScrollBarMovesThePanelAndDecidesWhichRowsAUserCanReach) {
    ASSERT_TRUE(Pick("Big"));
    // Arrow and track steps; the bar runs downwards from 0 to -15195.
    ASSERT_TRUE(driver.ScrollArrow(*window->VScroll1, true));
    EXPECT_EQ(window->Picture1->Top(), -50);
    ASSERT_TRUE(driver.ScrollTrack(*window->VScroll1, true));
    EXPECT_EQ(window->Picture1->Top(), -250);
    ASSERT_TRUE(driver.ScrollArrow(*window->VScroll1, false));
    EXPECT_EQ(window->Picture1->Top(), -200);
    ASSERT_TRUE(driver.ScrollArrow(*window->VScroll1, false));
    ASSERT_TRUE(driver.ScrollTrack(*window->VScroll1, false));
    EXPECT_EQ(window->VScroll1->Value(), 0) << "stops at Min";

    // At -300 row 1 (Top 360) is the first whose check box starts inside the viewport.
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -300));
    EXPECT_EQ(window->Picture1->Top(), -300);
    const int inset = window->Picture2->ClientInset();
    int firstInside = -1;
    for (int r = 0; r < RowCapacity && firstInside < 0; ++r) {
        const forms::Control& box = *window->Check1[static_cast<std::size_t>(r)];
        const int unclippedTop = window->Picture2->Top() + inset + window->Picture1->Top() + box.Top();
        const forms::Rect part = box.VisiblePart();
        if (!part.Empty() && part.top == unclippedTop) firstInside = r;
    }
    EXPECT_EQ(firstInside, 1);

    // Row 40 (Top 12060, height 315) is wholly in view exactly for -12060 .. -8400.
    struct Case {
        int value;
        bool whole;
    };
    for (const auto& c : {Case{-12061, false}, Case{-12060, true}, Case{-10000, true}, Case{-8400, true},
                          Case{-8399, false}}) {
        ASSERT_TRUE(driver.DragThumb(*window->VScroll1, c.value));
        const forms::Rect part = window->Check1[40]->VisiblePart();
        EXPECT_EQ(part.bottom - part.top == 315, c.whole) << c.value;
    }
    // Row 49 likewise for -14760 .. -11100.
    for (const auto& c : {Case{-14761, false}, Case{-14760, true}, Case{-11100, true}, Case{-11099, false}}) {
        ASSERT_TRUE(driver.DragThumb(*window->VScroll1, c.value));
        const forms::Rect part = window->Check1[49]->VisiblePart();
        EXPECT_EQ(part.bottom - part.top == 315, c.whole) << c.value;
    }

    // Out of view, a row cannot be clicked; scrolled back, it can.
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, 0));
    EXPECT_FALSE(driver.Tick(*window->Check1[40]));
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -11000));
    EXPECT_TRUE(driver.Tick(*window->Check1[40]));

    // At the far end the panel has left the viewport entirely.
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -20000));
    EXPECT_EQ(window->VScroll1->Value(), -15195);
    for (int r = 0; r < RowCapacity; ++r)
        EXPECT_TRUE(window->Check1[static_cast<std::size_t>(r)]->VisiblePart().Empty()) << r;

    // A pick leaves the scroll position alone.
    ASSERT_TRUE(Pick("Form3"));
    EXPECT_EQ(window->VScroll1->Value(), -15195);
    EXPECT_EQ(window->Picture1->Top(), -15195);
}

TEST_F(WindowTest, TheScrollEventAloneMovesThePanelWhileDragging) {
    // A realisation may deliver Scroll during a drag before Change; the panel follows both.
    window->VScroll1->OnChange({});
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -1234));
    EXPECT_EQ(window->Picture1->Top(), -1234);
}

}  // namespace
}  // namespace tolvane::testing
