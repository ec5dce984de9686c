#include "window/frmAddIn.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "forms/Text.h"
#include "model/ResizeCode.h"
#include "window/Module1.h"
#include "vb/Errors.h"

namespace tolvane {

using forms::Control;
using forms::Kind;

namespace {

using forms::Alignment;
using forms::Placement;

// Dark blue (red 0, green 0, blue 128) as a VB colour value &H00BBGGRR.
constexpr forms::Colour OutputColour = 0x00800000;

// The "Control Name" head; wider only while it also counts what the grid cannot show (up to
// the "M" over the first option column).
constexpr const char* ControlNameCaption = "Control Name";
constexpr int ControlNameWidth = 1095;
constexpr int ControlNameCountingWidth = 2295;

// A control of the layout and the member that points to it.
struct Placed {
    Control* frmAddIn::*member;
    Placement placement;
};

// In creation order: a later control lies in front of an earlier one. The grid's rows are
// created between these two tables, after the panel that holds them.
constexpr Placed GridLayout[] = {
    // Form picker.
    {&frmAddIn::Label1, {Kind::Label, "Label1", nullptr, "Select a form:", 180, 180, 1155, 195, Alignment::Right}},
    {&frmAddIn::cboForms, {Kind::ComboBox, "cboForms", nullptr, nullptr, 1440, 120, 2535, 315}},
    // Column headings (the header group).
    {&frmAddIn::Frame1, {Kind::Frame, "Frame1", nullptr, nullptr, 120, 540, 4995, 4935}},
    {&frmAddIn::lblControlName,
     {Kind::Label, "lblControlName", "Frame1", ControlNameCaption, 240, 540, ControlNameWidth, 195}},
    {&frmAddIn::lblLeftRight, {Kind::Label, "lblLeftRight", "Frame1", "Left/Right", 2490, 240, 855, 195, Alignment::Center}},
    {&frmAddIn::Line1, {Kind::Line, "Line1", "Frame1", nullptr, 2490, 480, 3330, 480}},
    {&frmAddIn::lblLRM, {Kind::Label, "lblLRM", "Frame1", "M", 2595, 540, 195, 195, Alignment::Center}},
    {&frmAddIn::lblLRR, {Kind::Label, "lblLRR", "Frame1", "R", 2835, 540, 195, 195, Alignment::Center}},
    {&frmAddIn::lblLRS, {Kind::Label, "lblLRS", "Frame1", "S", 3075, 540, 195, 195, Alignment::Center}},
    {&frmAddIn::lblUpDown, {Kind::Label, "lblUpDown", "Frame1", "Up/Down", 3600, 240, 855, 195, Alignment::Center}},
    {&frmAddIn::Line2, {Kind::Line, "Line2", "Frame1", nullptr, 3600, 480, 4440, 480}},
    {&frmAddIn::lblUDM, {Kind::Label, "lblUDM", "Frame1", "M", 3675, 540, 195, 195, Alignment::Center}},
    {&frmAddIn::lblUDR, {Kind::Label, "lblUDR", "Frame1", "R", 3915, 540, 195, 195, Alignment::Center}},
    {&frmAddIn::lblUDS, {Kind::Label, "lblUDS", "Frame1", "S", 4155, 540, 195, 195, Alignment::Center}},
    // The grid: a bordered viewport in front of the frame's lower part, the panel it scrolls
    // and the bar that scrolls it.
    {&frmAddIn::Picture2, {Kind::PictureBox, "Picture2", nullptr, nullptr, 240, 1320, 4755, 4035}},
    {&frmAddIn::Picture1, {Kind::PictureBox, "Picture1", "Picture2", nullptr, 0, 0, 4395, 15195}},
    {&frmAddIn::VScroll1, {Kind::VScrollBar, "VScroll1", "Picture2", nullptr, 4440, 0, 255, 3975}},
};

constexpr Placed OutputLayout[] = {
    // Output column.
    {&frmAddIn::Label3, {Kind::Label, "Label3", nullptr, kDeclarationsCaption, 5280, 120, 3015, 195}},
    {&frmAddIn::txtDeclaration,
     {Kind::TextBox, "txtDeclaration", nullptr, nullptr, 5280, 360, 4155, 1635, Alignment::Left, OutputColour}},
    {&frmAddIn::Label4, {Kind::Label, "Label4", nullptr, kLoadCaption, 5280, 2100, 3195, 195}},
    {&frmAddIn::txtOnLoad,
     {Kind::TextBox, "txtOnLoad", nullptr, nullptr, 5280, 2340, 4155, 1635, Alignment::Left, OutputColour}},
    {&frmAddIn::Label5, {Kind::Label, "Label5", nullptr, kResizeCaption, 5280, 4080, 3135, 195}},
    {&frmAddIn::txtOnResize,
     {Kind::TextBox, "txtOnResize", nullptr, nullptr, 5280, 4320, 4155, 1635, Alignment::Left, OutputColour}},
    // Command row. No default or cancel button: Enter and Esc press nothing.
    {&frmAddIn::cmdGenCode, {Kind::CommandButton, "cmdGenCode", nullptr, "&Generate Code", 120, 5565, 1755, 375}},
    {&frmAddIn::cmdClear, {Kind::CommandButton, "cmdClear", nullptr, "&Clear", 1950, 5565, 915, 375}},
    {&frmAddIn::cmdAbout, {Kind::CommandButton, "cmdAbout", nullptr, "&About", 3240, 5580, 915, 375}},
    {&frmAddIn::CancelButton, {Kind::CommandButton, "CancelButton", nullptr, "E&xit", 4260, 5580, 855, 375}},
};

// Geometry of one row's boxes: Left, Width, Height and the Top of row 0; the pitch is 300.
struct ColumnLayout {
    frmAddIn::RowArray frmAddIn::*array;
    const char* name;
    int left;
    int width;
    int height;
    int top0;
};

constexpr int RowPitch = 300;
constexpr ColumnLayout RowColumns[7] = {
    {&frmAddIn::Check1, "Check1", 120, 1995, 315, 60},       {&frmAddIn::chkMoveH, "chkMoveH", 2460, 195, 195, 120},
    {&frmAddIn::chkSizeH, "chkSizeH", 2700, 195, 195, 120},  {&frmAddIn::chkScaleH, "chkScaleH", 2940, 195, 195, 120},
    {&frmAddIn::chkMoveV, "chkMoveV", 3540, 195, 195, 120},  {&frmAddIn::chkSizeV, "chkSizeV", 3780, 195, 195, 120},
    {&frmAddIn::chkScaleV, "chkScaleV", 4020, 195, 195, 120},
};

CheckState AsCheck(int value) { return static_cast<CheckState>(value); }

}  // namespace

frmAddIn::frmAddIn(std::shared_ptr<AboutBoxSlot> about)
    : Form("frmAddIn"), about_(about ? std::move(about) : std::make_shared<AboutBoxSlot>()) {}

frmAddIn::~frmAddIn() = default;

std::array<Control*, 6> frmAddIn::OptionBoxes(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return {chkMoveH.at(r), chkSizeH.at(r), chkScaleH.at(r), chkMoveV.at(r), chkSizeV.at(r), chkScaleV.at(r)};
}

std::array<Control*, 11> frmAddIn::HeaderGroup() const {
    return {lblLeftRight, lblUpDown, lblLRM, lblLRS, lblLRR, lblUDM, lblUDS, lblUDR, Line1, Line2, lblControlName};
}

void frmAddIn::CreateControls() {
    SetCaption("Tolvane");
    SetClientSize(9570, 6030);
    SetBorder(/*fixedDialog=*/true, /*closeBox=*/true);
    for (const Placed& placed : GridLayout) this->*placed.member = &Place(placed.placement);
    for (const ColumnLayout& column : RowColumns) {
        for (int row = 0; row < RowCapacity; ++row) {
            Control& box = Add(Kind::CheckBox, column.name, Picture1, row);
            box.Move(column.left, column.top0 + RowPitch * row, column.width, column.height);
            box.SetCaption("Check1");
            box.SetVisible(false);
            (this->*column.array)[static_cast<std::size_t>(row)] = &box;
        }
    }
    for (const Placed& placed : OutputLayout) this->*placed.member = &Place(placed.placement);

    ShowHeaderGroup(false);  // until a pick lists controls
    Picture2->SetBorder(true);
    VScroll1->SetRange(0, -15195, 50, 200);
    for (Control* box : {txtDeclaration, txtOnLoad, txtOnResize}) {
        box->SetMultiLine(true);
        box->SetScrollBars(forms::ScrollBars::Both);
    }
    AttachHandlers();

    // Tab order: commands, output, the grid's containers, then the rows, row by row.
    std::vector<Control*> order = {cboForms,  cmdGenCode,  cmdClear, cmdAbout, CancelButton, txtDeclaration,
                                   txtOnLoad, txtOnResize, Picture2, VScroll1, Picture1};
    for (int row = 0; row < RowCapacity; ++row) {
        order.push_back(Check1[static_cast<std::size_t>(row)]);
        for (Control* option : OptionBoxes(row)) order.push_back(option);
    }
    SetTabOrder(order);
}

void frmAddIn::AttachHandlers() {
    cboForms->OnClick([this] { cboForms_Click(); });
    cboForms->OnDropDown([this] { cboForms_DropDown(); });
    VScroll1->OnChange([this] { VScroll1_Change(); });
    VScroll1->OnScroll([this] { VScroll1_Scroll(); });
    for (int row = 0; row < RowCapacity; ++row) {
        const auto index = static_cast<std::int16_t>(row);
        Check1[static_cast<std::size_t>(row)]->OnClick([this, index] { Check1_Click(index); });
    }
    txtDeclaration->OnDblClick([this] { txtDeclaration_DblClick(); });
    txtOnLoad->OnDblClick([this] { txtOnLoad_DblClick(); });
    txtOnResize->OnDblClick([this] { txtOnResize_DblClick(); });
    cmdGenCode->OnClick([this] { cmdGenCode_Click(); });
    cmdClear->OnClick([this] { cmdClear_Click(); });
    cmdAbout->OnClick([this] { cmdAbout_Click(); });
    CancelButton->OnClick([this] { CancelButton_Click(); });
}

host::Root& frmAddIn::Ide() const {
    if (!VBInstance) throw std::runtime_error(vb::kObjectNotSet);
    return *VBInstance;
}

void frmAddIn::Form_Load() {
    // Topmost first, before anything can fail: the window stays above the IDE even when
    // the project cannot be read.
    SetTopMost(*this);
    iCheckDefault_Left = static_cast<std::int16_t>(Check1[0]->Left());

    host::ForEachProjectForm(Ide(), [this](std::string name) { cboForms->AddItem(std::move(name)); });
}

void frmAddIn::cboForms_DropDown() {
    // The window lives for the whole IDE session: offer the forms the project has now.
    // Everything is read before the list changes, so a failure leaves the list as it was.
    std::vector<std::string> names;
    host::ForEachProjectForm(Ide(), [&](std::string name) { names.push_back(std::move(name)); });
    std::vector<std::string> listed;
    for (int i = 0; i < cboForms->ListCount(); ++i) listed.push_back(cboForms->List(i));
    if (names == listed) return;  // an open list does not flicker for nothing
    // The text shown stays, whether or not it still names a form.
    cboForms->ClearList();
    for (std::string& name : names) cboForms->AddItem(std::move(name));
}

void frmAddIn::FillRow(int row, const host::ListedControl& control) {
    Control& box = *Check1[static_cast<std::size_t>(row)];
    const auto options = OptionBoxes(row);
    // A row that now names another control must not carry the earlier control's choices.
    if (box.Caption() != control.controlRef) {
        box.SetValue(0);
        for (Control* option : options) option->SetValue(0);
    }
    box.SetCaption(control.controlRef);
    box.SetLeft(iCheckDefault_Left + IndentStep * control.depth);
    box.SetVisible(true);
    const bool ticked = IsSet(AsCheck(box.Value()));
    for (Control* option : options) {
        option->SetEnabled(ticked);
        option->SetVisible(true);
    }
}

void frmAddIn::ResetRow(int row) {
    Control& box = *Check1[static_cast<std::size_t>(row)];
    box.SetLeft(iCheckDefault_Left);
    box.SetValue(0);
    box.SetCaption("");
    box.SetVisible(false);
    for (Control* option : OptionBoxes(row)) {
        option->SetVisible(false);
        option->SetValue(0);
    }
}

void frmAddIn::ShowHeaderGroup(bool visible) {
    for (Control* c : HeaderGroup()) c->SetVisible(visible);
}

void frmAddIn::ShowControlCount(int listed) {
    // Controls beyond the last row are named where the user reads the rows, not in a message
    // box at every pick; a form that fits leaves the head as the layout has it.
    if (listed > RowCapacity) {
        lblControlName->SetCaption(std::string(ControlNameCaption) + " (" + std::to_string(RowCapacity) + " of " +
                                   std::to_string(listed) + ")");
        lblControlName->SetWidth(ControlNameCountingWidth);
    } else {
        lblControlName->SetCaption(ControlNameCaption);
        lblControlName->SetWidth(ControlNameWidth);
    }
}

void frmAddIn::cboForms_Click() {
    int filled = 0;
    int listed = 0;
    // The listing runs past the last row only to count what the grid cannot show.
    const auto fill = [&](const host::ListedControl& control) {
        if (filled < RowCapacity) FillRow(filled++, control);
        ++listed;
        return true;
    };
    try {
        host::ListFormControls(Ide(), cboForms->Text(), fill);
    } catch (...) {
        // Nothing listed (a stale name, no project): the grid stays exactly as it was.
        // Otherwise the rows listed so far stay and no row of an earlier pick stays behind
        // them, so two forms never mix; how many there were in all is not known.
        if (filled > 0) {
            for (int row = filled; row < RowCapacity; ++row) ResetRow(row);
            ShowControlCount(0);
        }
        throw;
    }
    for (int row = filled; row < RowCapacity; ++row) ResetRow(row);
    ShowControlCount(listed);
    ShowHeaderGroup(true);
}

void frmAddIn::Check1_Click(std::int16_t index) {
    // The options can be changed exactly while their row is ticked.
    const bool ticked = IsSet(AsCheck(Check1.at(static_cast<std::size_t>(index))->Value()));
    for (Control* option : OptionBoxes(index)) option->SetEnabled(ticked);
}

void frmAddIn::cmdClear_Click() {
    txtDeclaration->SetText("");
    txtOnLoad->SetText("");
    txtOnResize->SetText("");
    for (int row = 0; row < RowCapacity; ++row) ResetRow(row);
    ShowHeaderGroup(false);
}

void frmAddIn::cmdGenCode_Click() {
    ResizeModel model;
    model.formName = cboForms->Text();
    for (int r = 0; r < RowCapacity; ++r) {
        const auto i = static_cast<std::size_t>(r);
        ControlRow& row = model.rows[i];
        row.controlRef = Check1[i]->Caption();
        row.included = AsCheck(Check1[i]->Value());
        row.moveH = AsCheck(chkMoveH[i]->Value());
        row.sizeH = AsCheck(chkSizeH[i]->Value());
        row.scaleH = AsCheck(chkScaleH[i]->Value());
        row.moveV = AsCheck(chkMoveV[i]->Value());
        row.sizeV = AsCheck(chkSizeV[i]->Value());
        row.scaleV = AsCheck(chkScaleV[i]->Value());
    }
    GeneratedCode code = GenerateResizeCode(model);
    txtDeclaration->SetText(std::move(code.declarations));
    txtOnLoad->SetText(std::move(code.onLoad));
    txtOnResize->SetText(std::move(code.onResize));
}

void frmAddIn::cmdAbout_Click() {
    // One box at a time: an open box comes to the front again; a closed one is replaced by a
    // fresh one.
    if (!about_->box || !about_->box->IsLoaded()) {
        about_->box = std::make_unique<frmAbout>();
        if (about_->realise) about_->realise(*about_->box);
        // This window is topmost, so the box must be too, or it opens behind it. It stays
        // unowned: an owned box would go with this window's close box and never behind it.
        about_->box->Load();
        SetTopMost(*about_->box);
    }
    about_->box->Show();
}

void frmAddIn::CancelButton_Click() {
    cmdClear_Click();
    if (Connect == nullptr) throw std::runtime_error(vb::kObjectNotSet);
    Connect->Hide();
}

void frmAddIn::SelectAll(Control& box) {
    box.SetSelStart(0);
    box.SetSelLength(forms::Utf16Length(box.Text()));
}

void frmAddIn::txtDeclaration_DblClick() { SelectAll(*txtDeclaration); }
void frmAddIn::txtOnLoad_DblClick() { SelectAll(*txtOnLoad); }
void frmAddIn::txtOnResize_DblClick() { SelectAll(*txtOnResize); }

void frmAddIn::VScroll1_Change() { Picture1->SetTop(VScroll1->Value()); }
void frmAddIn::VScroll1_Scroll() { Picture1->SetTop(VScroll1->Value()); }

void frmAddIn::AfterUnload(forms::UnloadMode mode) {
    // Closed through the title bar: tell the owner, which did not ask for it.
    if (mode == forms::UnloadMode::CloseBox && Connect != nullptr) Connect->WindowClosed();
}

AddInWindowFactory MakeAddInWindowFactory(FormRealiser realise) {
    auto about = std::make_shared<AboutBoxSlot>();
    about->realise = realise;
    return [about, realise]() -> std::unique_ptr<AddInWindowApi> {
        auto window = std::make_unique<frmAddIn>(about);
        if (realise) realise(*window);
        return window;
    };
}

}  // namespace tolvane
