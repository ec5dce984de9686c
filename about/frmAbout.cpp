#include "about/frmAbout.h"

namespace tolvane {

using forms::Kind;

const char* const frmAbout::Description =
    "Visual Basic add-in that generates code to move, size, and scale  controls on your forms.  "
    "Simple to use, yet provides you with many options to achieve the exact behavior you desire "
    "from your form's resize event.";

const char* const frmAbout::IconResource = "ABOUT_ICON";

frmAbout::frmAbout() : Form("frmAbout") {}

namespace {

using forms::Placement;

constexpr forms::Colour Black = 0x00000000;

// A control of the layout and the member that points to it.
struct Placed {
    forms::Control* frmAbout::*member;
    Placement placement;
};

}  // namespace

void frmAbout::CreateControls() {
    SetCaption("");
    SetClientSize(4995, 3225);
    SetBorder(/*fixedDialog=*/true, /*closeBox=*/true);

    const Placed layout[] = {
        {&frmAbout::picIcon, {Kind::PictureBox, "picIcon", nullptr, nullptr, 120, 120, 480, 480}},
        {&frmAbout::lblTitle,
         {Kind::Label, "lblTitle", nullptr, "Tolvane 1.0", 720, 120, 2445, 480, forms::Alignment::Left, Black}},
        {&frmAbout::lblDescription,
         {Kind::Label, "lblDescription", nullptr, Description, 660, 660, 3885, 930, forms::Alignment::Left, Black}},
        // Two lines on the same spot draw one etched rule: grey, with white over it.
        {&frmAbout::Line3,
         {Kind::Line, "Line3", nullptr, nullptr, 120, 1560, 4860, 1560, forms::Alignment::Left, 0x00808080}},
        {&frmAbout::Line1,
         {Kind::Line, "Line1", nullptr, nullptr, 120, 1560, 4860, 1560, forms::Alignment::Left, 0x00FFFFFF}},
        {&frmAbout::cmdOK, {Kind::CommandButton, "cmdOK", nullptr, "OK", 3300, 2640, 1260, 345}},
    };
    for (const Placed& placed : layout) this->*placed.member = &Place(placed.placement);

    picIcon->SetPictureResource(IconResource);
    lblTitle->SetFont(forms::Font{"MS Sans Serif", 12, true});
    cmdOK->SetDefault(true);
    cmdOK->SetCancel(true);
    cmdOK->OnClick([this] { cmdOK_Click(); });
    SetTabOrder({cmdOK, picIcon});
}

void frmAbout::cmdOK_Click() { Unload(); }

}  // namespace tolvane
