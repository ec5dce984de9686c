#include <vector>

#include "WindowFixture.h"

namespace tolvane::testing {
namespace {

const std::vector<bool> AllEnabled(6, true);
const std::vector<bool> AllDisabled(6, false);
const std::vector<bool> AllHidden(6, false);

TEST_F(WindowTest, RowClickEnablesOptionsExactlyWhileTicked) {
    ASSERT_TRUE(Pick("Form3"));
    EXPECT_EQ(Row(2).optionsEnabled, AllDisabled);
    EXPECT_FALSE(driver.Tick(Option(2, 4))) << "a disabled option box cannot be ticked";

    ASSERT_TRUE(driver.Tick(Box(2)));
    EXPECT_EQ(Row(2).value, 1);
    EXPECT_EQ(Row(2).optionsEnabled, AllEnabled);
    ASSERT_TRUE(driver.Tick(Option(2, 4)));
    ASSERT_TRUE(driver.Tick(Option(2, 2)));

    ASSERT_TRUE(driver.Tick(Box(2)));
    EXPECT_EQ(Row(2).value, 0);
    EXPECT_EQ(Row(2).optionsEnabled, AllDisabled);
    EXPECT_EQ(Row(2).options, (std::vector<int>{0, 0, 1, 0, 1, 0})) << "option values stay";
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ClearEmptiesTheGridAndTheOutputButNotTheSelector) {
    ASSERT_TRUE(Pick("Form1"));
    ASSERT_TRUE(driver.Tick(Box(3)));
    ASSERT_TRUE(driver.Tick(Option(3, 3)));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    ASSERT_FALSE(window->txtOnResize->Text().empty());

    for (int twice = 0; twice < 2; ++twice) {
        ASSERT_TRUE(twice == 0 ? driver.Click(*window->cmdClear) : driver.PressAccessKey(*window, 'c'));
        EXPECT_EQ(window->Grid().Count(), 0u);
        for (int slot = 0; slot < frmAddIn::kSlots; ++slot) {
            const auto s = static_cast<std::size_t>(slot);
            EXPECT_FALSE(window->Check1[s]->Visible()) << slot;
            EXPECT_EQ(window->Check1[s]->Left(), 120) << slot;
            for (const forms::Control* option : window->OptionBoxes(slot)) EXPECT_FALSE(option->Visible());
        }
        for (const forms::Control* c : window->HeaderGroup()) EXPECT_FALSE(c->Visible()) << c->Name();
        EXPECT_EQ(window->txtDeclaration->Text(), "");
        EXPECT_EQ(window->txtOnResize->Text(), "");
        EXPECT_EQ(window->cboForms->Text(), "Form1");
        EXPECT_EQ(ListOf(*window->cboForms).size(), 8u);
        EXPECT_EQ(window->VScroll1->Max(), 0);
    }
    // A pick after Clear starts clear.
    ASSERT_TRUE(Pick("Form1"));
    EXPECT_EQ(Row(3).value, 0);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, TheScrollRangeFollowsTheRows) {
    // 0 rows, 1 row, 5 rows: nothing to scroll. 520 rows: the last row ends at the bottom.
    struct Case {
        const char* form;
        int rows;
        int max;
    };
    const int viewport = window->VScroll1->Height();
    for (const Case& c : {Case{"Empty", 0, 0}, Case{"Nested", 4, 0}, Case{"Long", 520, -(520 * 300 + 120 - viewport)}}) {
        SCOPED_TRACE(c.form);
        ASSERT_TRUE(Pick(c.form));
        EXPECT_EQ(static_cast<int>(window->Grid().Count()), c.rows);
        EXPECT_EQ(window->VScroll1->Min(), 0);
        EXPECT_EQ(window->VScroll1->Max(), c.max);
        EXPECT_EQ(window->VScroll1->SmallChange(), 300) << "an arrow moves one row";
    }
    // Arrow steps move the rows through the windows by one row each.
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, 0));
    ASSERT_TRUE(driver.ScrollArrow(*window->VScroll1, true));
    EXPECT_EQ(window->Check1[0]->Caption(), "txt519");
    EXPECT_EQ(window->Picture1->Top(), 0);
    // Half a row: the panel moves by it, the windows keep their rows.
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -450));
    EXPECT_EQ(window->Picture1->Top(), -150);
    EXPECT_EQ(window->Check1[0]->Caption(), "txt519");

    // At the far end the last row is wholly in view and is the last window in use.
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -1000000));
    EXPECT_EQ(window->VScroll1->Value(), window->VScroll1->Max());
    const int last = window->SlotOfRow(519);
    ASSERT_GE(last, 0);
    const forms::Control& box = *window->Check1[static_cast<std::size_t>(last)];
    EXPECT_EQ(box.Caption(), "txt1");
    EXPECT_EQ(box.VisiblePart().bottom - box.VisiblePart().top, box.Height());
    for (int slot = last + 1; slot < frmAddIn::kSlots; ++slot)
        EXPECT_FALSE(window->Check1[static_cast<std::size_t>(slot)]->Visible()) << slot;
    ASSERT_TRUE(driver.Tick(Box(519)));
    EXPECT_EQ(window->Grid().Row(519).included, 1);

    // A smaller form narrows the range and brings the value back into it.
    ASSERT_TRUE(Pick("Form3"));
    EXPECT_EQ(window->VScroll1->Value(), 0);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Text5", "Text4", "Text3", "Text2", "Text1"}));
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ARowKeepsItsChoicesWhileItNamesTheSameControlBeyondRow50Too) {
    ASSERT_TRUE(Pick("Long"));
    for (int r : {0, 49, 50, 400}) {
        ASSERT_TRUE(driver.Tick(Box(r)));
        ASSERT_TRUE(driver.Tick(Option(r, 1)));
    }
    ASSERT_TRUE(driver.Tick(Box(400)));  // unticked, its option value stays
    ASSERT_TRUE(Pick("Long"));
    for (int r : {0, 49, 50})
        EXPECT_EQ(Row(r), (RowView{"txt" + std::to_string(520 - r), 120, true, 1, {0, 1, 0, 0, 0, 0}, AllEnabled,
                                   std::vector<bool>(6, true)}))
            << r;
    EXPECT_EQ(Row(400).value, 0);
    EXPECT_EQ(Row(400).options, (std::vector<int>{0, 1, 0, 0, 0, 0}));

    // Another form: the rows now name other controls and start clear.
    ASSERT_TRUE(Pick("Big"));
    for (int r = 0; r < 60; ++r) ASSERT_EQ(window->Grid().Row(static_cast<std::size_t>(r)), ControlRow{"Ctl" + std::to_string(60 - r)});
    ASSERT_TRUE(Pick("Long"));
    EXPECT_EQ(Row(50).value, 0);
}

TEST_F(WindowTest, ARowThatCannotBePlacedIsGreyedSaysWhyAndCannotBeTicked) {
    ASSERT_TRUE(Pick("Mixed"));
    EXPECT_EQ(Captions(), MixedRows);
    const int menu = RowOf("mnuFile");
    const int slot = Slot(menu);
    ASSERT_GE(slot, 0);
    EXPECT_FALSE(Box(menu).Enabled());
    EXPECT_FALSE(driver.Tick(Box(menu)));
    EXPECT_EQ(Row(menu).optionsVisible, AllHidden) << "no options where there is nothing to set";
    const forms::Control& why = *window->lblWhy[static_cast<std::size_t>(slot)];
    EXPECT_TRUE(why.Visible());
    EXPECT_EQ(why.Caption(), "menu: no place");
    EXPECT_EQ(why.ToolTipText(), vb::DescribeNoPlace(vb::NoPlace::kMenu));
    EXPECT_FALSE(window->lblWhy[static_cast<std::size_t>(Slot(RowOf("cmdOK")))]->Visible());

    // Whole-grid clicks pass it by too.
    ASSERT_TRUE(driver.Click(*window->lblControlName));
    for (std::size_t r = 0; r < MixedRows.size(); ++r)
        EXPECT_EQ(window->Grid().Ticked(r), window->Grid().Placeable(r)) << MixedRows[r];
    EXPECT_EQ(window->Grid().Ticked(static_cast<std::size_t>(menu)), false);

    // picLogo's Align could not be read: it stays placeable, and one note says so.
    EXPECT_TRUE(window->Grid().Placeable(0));
    EXPECT_TRUE(window->lblGuessed->Visible());
    ASSERT_TRUE(Pick("Form3"));
    EXPECT_FALSE(window->lblGuessed->Visible());
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, HidingTheUnplaceableRowsIsRememberedForTheNextWindow) {
    ASSERT_TRUE(Pick("Mixed"));
    ASSERT_TRUE(driver.Tick(*window->chkHideUnplaceable));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"picLogo", "Option1(2)", "Option1(1)", "Option1(0)", "cmdOK"}));
    EXPECT_EQ(window->Check1[4]->Caption(), "cmdOK");
    EXPECT_FALSE(window->Check1[5]->Visible());
    EXPECT_EQ(owner.settings[frmAddIn::kHideUnplaceableKey], "1");

    frmAddIn second;
    second.SetVBInstance(host);
    second.SetConnect(&owner);
    second.Show();
    EXPECT_EQ(second.chkHideUnplaceable->Value(), 1);
    ASSERT_TRUE(driver.ChooseListEntry(*second.cboForms, "Mixed"));
    EXPECT_EQ(second.Grid().InView().size(), 5u);
    ASSERT_TRUE(driver.Tick(*second.chkHideUnplaceable));
    EXPECT_EQ(second.Grid().InView().size(), MixedRows.size());
    EXPECT_EQ(owner.settings[frmAddIn::kHideUnplaceableKey], "0");
    second.Unload();
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, AColumnHeadSetsOrClearsItsOptionOnEveryTickedRow) {
    ASSERT_TRUE(Pick("Long"));
    for (int r : {1, 2, 300}) ASSERT_TRUE(driver.Tick(Box(r)));
    ASSERT_TRUE(driver.Tick(Option(2, 1)));
    ASSERT_TRUE(driver.Click(*window->lblLRR));  // some have it: all get it
    ASSERT_TRUE(driver.Click(*window->lblUDS));
    for (int r : {1, 2, 300}) EXPECT_EQ(Row(r).options, (std::vector<int>{0, 1, 0, 0, 0, 1})) << r;
    EXPECT_EQ(Row(3).options, std::vector<int>(6, 0)) << "an unticked row is left alone";
    ASSERT_TRUE(driver.Click(*window->lblLRR));  // all have it: all lose it
    for (int r : {1, 2, 300}) EXPECT_EQ(Row(r).options, (std::vector<int>{0, 0, 0, 0, 0, 1})) << r;

    // "Control Name" ticks every row, then unticks every row.
    ASSERT_TRUE(driver.Click(*window->lblControlName));
    EXPECT_EQ(Row(519).value, 1);
    ASSERT_TRUE(driver.Click(*window->lblControlName));
    EXPECT_EQ(Row(0).value, 0);
    EXPECT_EQ(Row(300).options, (std::vector<int>{0, 0, 0, 0, 0, 1})) << "unticking keeps the options";
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, AShiftClickTicksTheWholeControlArray) {
    ASSERT_TRUE(Pick("Mixed"));
    ASSERT_TRUE(driver.ShiftClick(Box(RowOf("Option1(1)"))));
    for (const char* element : {"Option1(0)", "Option1(1)", "Option1(2)"})
        EXPECT_EQ(Row(RowOf(element)).value, 1) << element;
    EXPECT_EQ(Row(RowOf("cmdOK")).value, 0);
    EXPECT_EQ(Row(RowOf("Option1(2)")).optionsEnabled, AllEnabled);
    ASSERT_TRUE(driver.ShiftClick(Box(RowOf("Option1(0)"))));
    for (const char* element : {"Option1(0)", "Option1(1)", "Option1(2)"})
        EXPECT_EQ(Row(RowOf(element)).value, 0) << element;
    // A plain click ticks the one element.
    ASSERT_TRUE(driver.Tick(Box(RowOf("Option1(0)"))));
    EXPECT_EQ(Row(RowOf("Option1(1)")).value, 0);
}

TEST_F(WindowTest, EachOptionBoxHasAName) {
    ASSERT_TRUE(Pick("Nested"));
    const std::vector<std::string> names = {"txtB, Left/Right, move", "txtB, Left/Right, resize",
                                            "txtB, Left/Right, scale", "txtB, Up/Down, move",
                                            "txtB, Up/Down, resize",   "txtB, Up/Down, scale"};
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(Option(1, k).Caption(), names[k]);
        EXPECT_NE(Option(1, k).ToolTipText(), "");
        EXPECT_NE(window->ColumnHeads()[k]->ToolTipText(), "");
    }
}

TEST_F(WindowTest, AFormWithMoreThan32767ControlsIsListedWhole) {
    ProjectData project = SampleProject();
    project.components.push_back(FlatForm("Huge", 40000, "c"));
    host->OpenProject(project);
    ASSERT_TRUE(driver.OpenList(*window->cboForms));
    ASSERT_TRUE(Pick("Huge"));
    EXPECT_EQ(window->Grid().Count(), 40000u);
    EXPECT_EQ(window->VScroll1->Max(), -(40000 * 300 + 120 - window->VScroll1->Height()));
    ASSERT_TRUE(driver.Tick(Box(39999)));
    ASSERT_TRUE(driver.Tick(Option(39999, 0)));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_NE(window->txtOnResize->Text().find("c1.Left = Me.ScaleWidth"), std::string::npos);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

}  // namespace
}  // namespace tolvane::testing
