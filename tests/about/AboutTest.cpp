#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "about/frmAbout.h"
#include "forms/Driver.h"
#include "forms/ErrorReport.h"

namespace tolvane {
namespace {

using forms::Kind;

TEST(About, LayoutAndTextVerbatim) {
    frmAbout box;
    box.Show();
    EXPECT_EQ(box.Caption(), "");
    EXPECT_EQ(box.ClientWidth(), 4995);
    EXPECT_EQ(box.ClientHeight(), 3225);
    EXPECT_TRUE(box.FixedDialog());
    EXPECT_TRUE(box.HasCloseBox());

    struct Expected {
        const char* name;
        Kind kind;
        const char* caption;
        int left, top, width, height;
    };
    const std::vector<Expected> table = {
        {"picIcon", Kind::PictureBox, "", 120, 120, 480, 480},
        {"lblTitle", Kind::Label, "Tolvane 1.0", 720, 120, 2445, 480},
        {"lblDescription", Kind::Label, frmAbout::Description, 660, 660, 3885, 930},
        {"cmdOK", Kind::CommandButton, "OK", 3300, 2640, 1260, 345},
    };
    for (const auto& e : table) {
        const forms::Control* c = box.Find(e.name);
        ASSERT_NE(c, nullptr) << e.name;
        EXPECT_EQ(c->GetKind(), e.kind) << e.name;
        EXPECT_EQ(c->Caption(), e.caption) << e.name;
        EXPECT_EQ(c->Bounds(), (forms::Rect{e.left, e.top, e.left + e.width, e.top + e.height})) << e.name;
        EXPECT_TRUE(c->Visible()) << e.name;
    }
    EXPECT_EQ(box.Controls().size(), 6u);
    EXPECT_EQ(std::string(frmAbout::Description),
              "Visual Basic add-in that generates code to move, size, and scale  controls on your forms.  Simple to "
              "use, yet provides you with many options to achieve the exact behavior you desire from your form's "
              "resize event.");
    EXPECT_EQ(box.lblTitle->GetFont(), (forms::Font{"MS Sans Serif", 12, true}));
    EXPECT_EQ(box.lblTitle->ForeColour(), 0u);
    EXPECT_EQ(box.lblDescription->ForeColour(), 0u);
    EXPECT_EQ(box.picIcon->PictureResource(), frmAbout::IconResource);

    struct Rule {
        const forms::Control* line;
        forms::Colour colour;
    };
    for (const auto& r : {Rule{box.Line3, 0x00808080u}, Rule{box.Line1, 0x00FFFFFFu}}) {
        EXPECT_EQ(r.line->GetKind(), Kind::Line);
        EXPECT_EQ((std::vector<int>{r.line->X1(), r.line->Y1(), r.line->X2(), r.line->Y2()}),
                  (std::vector<int>{120, 1560, 4860, 1560}));
        EXPECT_EQ(r.line->ForeColour(), r.colour);
    }
    EXPECT_EQ(box.DefaultButton(), box.cmdOK);
    EXPECT_EQ(box.CancelButton(), box.cmdOK);
    EXPECT_EQ(box.ActiveControl(), box.cmdOK) << "OK has the focus when the box opens";
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
