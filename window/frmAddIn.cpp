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

// Dark blue (red 0, green 0, blue 128) as a VB colour value &H00BBGGRR.
constexpr forms::Colour OutputColour = 0x00800000;

// Geometry of one row's boxes: Left, Width, Height and the Top of row 0; the pitch is 300.
struct ColumnLayout {
    const char* name;
    int left;
    int width;
    int height;
    int top0;
};

constexpr int RowPitch = 300;
constexpr ColumnLayout RowColumns[7] = {
    {"Check1", 120, 1995, 315, 60},     {"chkMoveH", 2460, 195, 195, 120}, {"chkSizeH", 2700, 195, 195, 120},
    {"chkScaleH", 2940, 195, 195, 120}, {"chkMoveV", 3540, 195, 195, 120}, {"chkSizeV", 3780, 195, 195, 120},
    {"chkScaleV", 4020, 195, 195, 120},
};

CheckState AsCheck(int value) { return static_cast<CheckState>(value); }

// The "Control Name" head; wider only while it also counts what the grid cannot show (up to
// the "M" over the first option column).
constexpr const char* ControlNameCaption = "Control Name";
constexpr int ControlNameWidth = 1095;
constexpr int ControlNameCountingWidth = 2295;

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

    auto label = [this](const char* name, Control* container, const char* caption, int left, int top, int width,
                        int height, forms::Alignment alignment) -> Control* {
        Control& c = Add(Kind::Label, name, container);
        c.Move(left, top, width, height);
        c.SetCaption(caption);
        c.SetAlignment(alignment);
        return &c;
    };
    using forms::Alignment;

    // Form picker.
    Label1 = label("Label1", nullptr, "Select a form:", 180, 180, 1155, 195, Alignment::Right);
    cboForms = &Add(Kind::ComboBox, "cboForms");
    cboForms->Move(1440, 120, 2535, 315);
    cboForms->OnClick([this] { cboForms_Click(); });
    cboForms->OnDropDown([this] { cboForms_DropDown(); });

    // Column headings, hidden until a pick lists controls.
    Frame1 = &Add(Kind::Frame, "Frame1");
    Frame1->Move(120, 540, 4995, 4935);
    lblControlName =
        label("lblControlName", Frame1, ControlNameCaption, 240, 540, ControlNameWidth, 195, Alignment::Left);
    lblLeftRight = label("lblLeftRight", Frame1, "Left/Right", 2490, 240, 855, 195, Alignment::Center);
    Line1 = &Add(Kind::Line, "Line1", Frame1);
    Line1->SetLineEnds(2490, 480, 3330, 480);
    lblLRM = label("lblLRM", Frame1, "M", 2595, 540, 195, 195, Alignment::Center);
    lblLRR = label("lblLRR", Frame1, "R", 2835, 540, 195, 195, Alignment::Center);
    lblLRS = label("lblLRS", Frame1, "S", 3075, 540, 195, 195, Alignment::Center);
    lblUpDown = label("lblUpDown", Frame1, "Up/Down", 3600, 240, 855, 195, Alignment::Center);
    Line2 = &Add(Kind::Line, "Line2", Frame1);
    Line2->SetLineEnds(3600, 480, 4440, 480);
    lblUDM = label("lblUDM", Frame1, "M", 3675, 540, 195, 195, Alignment::Center);
    lblUDR = label("lblUDR", Frame1, "R", 3915, 540, 195, 195, Alignment::Center);
    lblUDS = label("lblUDS", Frame1, "S", 4155, 540, 195, 195, Alignment::Center);
    for (Control* c : HeaderGroup()) c->SetVisible(false);

    // The grid: a bordered viewport, the panel it scrolls and the bar that scrolls it.
    // Created after Frame1, so it lies in front of the frame's lower part.
    Picture2 = &Add(Kind::PictureBox, "Picture2");
    Picture2->Move(240, 1320, 4755, 4035);
    Picture2->SetBorder(true);
    Picture1 = &Add(Kind::PictureBox, "Picture1", Picture2);
    Picture1->Move(0, 0, 4395, 15195);
    VScroll1 = &Add(Kind::VScrollBar, "VScroll1", Picture2);
    VScroll1->Move(4440, 0, 255, 3975);
    VScroll1->SetRange(0, -15195, 50, 200);
    VScroll1->OnChange([this] { VScroll1_Change(); });
    VScroll1->OnScroll([this] { VScroll1_Scroll(); });

    RowArray* arrays[7] = {&Check1, &chkMoveH, &chkSizeH, &chkScaleH, &chkMoveV, &chkSizeV, &chkScaleV};
    for (int column = 0; column < 7; ++column) {
        const ColumnLayout& layout = RowColumns[column];
        for (int row = 0; row < RowCapacity; ++row) {
            Control& box = Add(Kind::CheckBox, layout.name, Picture1, row);
            box.Move(layout.left, layout.top0 + RowPitch * row, layout.width, layout.height);
            box.SetCaption("Check1");
            box.SetVisible(false);
            (*arrays[column])[static_cast<std::size_t>(row)] = &box;
        }
    }
    for (int row = 0; row < RowCapacity; ++row) {
        const auto index = static_cast<std::int16_t>(row);
        Check1[static_cast<std::size_t>(row)]->OnClick([this, index] { Check1_Click(index); });
    }

    // Output column.
    auto output = [this](const char* name, int top) -> Control* {
        Control& box = Add(Kind::TextBox, name);
        box.Move(5280, top, 4155, 1635);
        box.SetMultiLine(true);
        box.SetScrollBars(forms::ScrollBars::Both);
        box.SetForeColour(OutputColour);
        return &box;
    };
    Label3 = label("Label3", nullptr, kDeclarationsCaption, 5280, 120, 3015, 195,
                   Alignment::Left);
    txtDeclaration = output("txtDeclaration", 360);
    Label4 = label("Label4", nullptr, kLoadCaption, 5280, 2100, 3195, 195,
                   Alignment::Left);
    txtOnLoad = output("txtOnLoad", 2340);
    Label5 = label("Label5", nullptr, kResizeCaption, 5280, 4080, 3135, 195,
                   Alignment::Left);
    txtOnResize = output("txtOnResize", 4320);
    txtDeclaration->OnDblClick([this] { txtDeclaration_DblClick(); });
    txtOnLoad->OnDblClick([this] { txtOnLoad_DblClick(); });
    txtOnResize->OnDblClick([this] { txtOnResize_DblClick(); });

    // Command row. No default or cancel button: Enter and Esc press nothing.
    auto button = [this](const char* name, const char* caption, int left, int top, int width) -> Control* {
        Control& b = Add(Kind::CommandButton, name);
        b.Move(left, top, width, 375);
        b.SetCaption(caption);
        return &b;
    };
    cmdGenCode = button("cmdGenCode", "&Generate Code", 120, 5565, 1755);
    cmdClear = button("cmdClear", "&Clear", 1950, 5565, 915);
    cmdAbout = button("cmdAbout", "&About", 3240, 5580, 915);
    CancelButton = button("CancelButton", "E&xit", 4260, 5580, 855);
    cmdGenCode->OnClick([this] { cmdGenCode_Click(); });
    cmdClear->OnClick([this] { cmdClear_Click(); });
    cmdAbout->OnClick([this] { cmdAbout_Click(); });
    CancelButton->OnClick([this] { CancelButton_Click(); });

    // Tab order: commands, output, the grid's containers, then the rows, row by row.
    std::vector<Control*> order = {cboForms,    cmdGenCode, cmdClear,    cmdAbout, CancelButton, txtDeclaration,
                                   txtOnLoad,   txtOnResize, Picture2,   VScroll1, Picture1};
    for (int row = 0; row < RowCapacity; ++row) {
        order.push_back(Check1[static_cast<std::size_t>(row)]);
        for (Control* option : OptionBoxes(row)) order.push_back(option);
    }
    SetTabOrder(order);
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
