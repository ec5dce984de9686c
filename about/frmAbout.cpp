#include "about/frmAbout.h"

namespace tolvane {

using forms::Kind;

const char* const frmAbout::Description =
    "Visual Basic add-in that generates code to move, size, and scale  controls on your forms.  "
    "Simple to use, yet provides you with many options to achieve the exact behavior you desire "
    "from your form's resize event.";

const char* const frmAbout::IconResource = "ABOUT_ICON";

frmAbout::frmAbout() : Form("frmAbout") {}

void frmAbout::CreateControls() {
    SetCaption("");
    SetClientSize(4995, 3225);
    SetBorder(/*fixedDialog=*/true, /*closeBox=*/true);

    picIcon = &Add(Kind::PictureBox, "picIcon");
    picIcon->Move(120, 120, 480, 480);
    picIcon->SetPictureResource(IconResource);

    lblTitle = &Add(Kind::Label, "lblTitle");
    lblTitle->Move(720, 120, 2445, 480);
    lblTitle->SetCaption("Tolvane 1.0");
    lblTitle->SetFont(forms::Font{"MS Sans Serif", 12, true});
    lblTitle->SetForeColour(0x00000000);

    lblDescription = &Add(Kind::Label, "lblDescription");
    lblDescription->Move(660, 660, 3885, 930);
    lblDescription->SetCaption(Description);
    lblDescription->SetForeColour(0x00000000);

    // Two lines on the same spot draw one etched rule: grey, with white over it.
    Line3 = &Add(Kind::Line, "Line3");
    Line3->SetLineEnds(120, 1560, 4860, 1560);
    Line3->SetForeColour(0x00808080);
    Line1 = &Add(Kind::Line, "Line1");
    Line1->SetLineEnds(120, 1560, 4860, 1560);
    Line1->SetForeColour(0x00FFFFFF);

    cmdOK = &Add(Kind::CommandButton, "cmdOK");
    cmdOK->Move(3300, 2640, 1260, 345);
    cmdOK->SetCaption("OK");
    cmdOK->SetDefault(true);
    cmdOK->SetCancel(true);
    cmdOK->OnClick([this] { cmdOK_Click(); });

    SetTabOrder({cmdOK, picIcon});
}

void frmAbout::cmdOK_Click() { Unload(); }

}  // namespace tolvane
