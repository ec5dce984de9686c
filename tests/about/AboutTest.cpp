#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "about/frmAbout.h"
#include "forms/Driver.h"
#include "forms/ErrorReport.h"
#include "tests/support/FormGeometry.h"

namespace tolvane {
namespace {

using forms::Kind;

TEST(About, LayoutHoldsTogetherAroundAnEtchedRule) {
    frmAbout box;
    box.Show();
    EXPECT_EQ(box.Caption(), "");
    EXPECT_EQ(box.ClientWidth(), 4995);
    EXPECT_EQ(box.ClientHeight(), 3225);
    EXPECT_TRUE(box.FixedDialog());
    EXPECT_TRUE(box.HasCloseBox());
    EXPECT_EQ(box.Controls().size(), 6u);
    EXPECT_EQ(testing::OutsideTheirArea(box), std::vector<std::string>{});

    // Two lines on one spot draw one etched rule, grey with white over it. The rule parts the
    // icon, title and text above it from the button below; the text's box reaches over the
    // rule's spot (its three lines end above it), and nothing else overlaps.
    EXPECT_EQ(testing::OverlappingNeighbours(box),
              (std::set<std::string>{"Line3 ~ Line1", "lblDescription ~ Line3", "lblDescription ~ Line1"}));
    EXPECT_EQ(box.Line3->Bounds(), box.Line1->Bounds());
    EXPECT_EQ(box.Line3->Y1(), box.Line3->Y2()) << "level";
    EXPECT_EQ(box.Line3->ForeColour(), 0x00808080u);
    EXPECT_EQ(box.Line1->ForeColour(), 0x00FFFFFFu);
    const forms::Rect rule = box.Line3->Bounds();
    for (const forms::Control* above : {box.picIcon, box.lblTitle})
        EXPECT_LE(above->Bounds().bottom, box.lblDescription->Top()) << above->Name();
    EXPECT_LT(box.lblDescription->Top(), rule.top);
    EXPECT_GE(box.cmdOK->Top(), rule.bottom);

    EXPECT_EQ(box.TabOrder(), (std::vector<forms::Control*>{box.cmdOK, box.picIcon}));
    EXPECT_EQ(box.ActiveControl(), box.cmdOK) << "OK has the focus when the box opens";
    EXPECT_EQ(box.DefaultButton(), box.cmdOK);
    EXPECT_EQ(box.CancelButton(), box.cmdOK);
}

TEST(About, ShowsItsTextVerbatim) {
    frmAbout box;
    box.Show();
    EXPECT_EQ(box.lblTitle->Caption(), "Tolvane 1.0");
    EXPECT_EQ(box.lblTitle->GetFont(), (forms::Font{"MS Sans Serif", 12, true}));
    EXPECT_EQ(box.lblDescription->Caption(),
              "Visual Basic add-in that generates code to move, size, and scale  controls on your forms.  Simple to "
              "use, yet provides you with many options to achieve the exact behavior you desire from your form's "
              "resize event.");
    for (const forms::Control* text : {box.lblTitle, box.lblDescription}) EXPECT_EQ(text->ForeColour(), 0u);
    EXPECT_EQ(box.cmdOK->Caption(), "OK");
    EXPECT_EQ(box.picIcon->PictureResource(), frmAbout::IconResource);
}

TEST(About, OkEnterEscAndTheCloseBoxEachCloseTheBox) {
    forms::ClearRecordedErrors();
    struct Case {
        const char* how;
        std::function<bool(forms::Driver&, frmAbout&)> act;
    };
    const std::vector<Case> cases = {
        {"OK", [](forms::Driver& d, frmAbout& b) { return d.Click(*b.cmdOK); }},
        {"Enter", [](forms::Driver& d, frmAbout& b) { return d.PressEnter(b); }},
        {"Esc", [](forms::Driver& d, frmAbout& b) { return d.PressEsc(b); }},
        {"close box", [](forms::Driver& d, frmAbout& b) { return d.PressCloseBox(b); }},
        {"Enter with the focus on the icon",
         [](forms::Driver& d, frmAbout& b) { return d.PressTab(b) && b.ActiveControl() == b.picIcon && d.PressEnter(b); }},
    };
    for (const auto& c : cases) {
        frmAbout box;
        box.Show();
        forms::Driver driver;
        ASSERT_TRUE(c.act(driver, box)) << c.how;
        EXPECT_FALSE(box.IsLoaded()) << c.how;
        // Shown again, it starts from its layout with the same content.
        box.Show();
        EXPECT_TRUE(box.IsShown()) << c.how;
        EXPECT_EQ(box.Caption(), "") << c.how;
        EXPECT_EQ(box.lblDescription->Caption(), frmAbout::Description) << c.how;
    }
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

}  // namespace
}  // namespace tolvane
