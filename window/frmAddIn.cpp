#include "window/frmAddIn.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "forms/Text.h"
#include "model/ResizeCode.h"
#include "vb/Errors.h"
#include "vb/Names.h"
#include "window/GridWords.h"
#include "window/Module1.h"
#include "window/ModuleInsert.h"

namespace tolvane {

using forms::Control;
using forms::Kind;

namespace {

using forms::Alignment;
using forms::Placement;

// Dark blue (red 0, green 0, blue 128) as a VB colour value &H00BBGGRR.
constexpr forms::Colour OutputColour = 0x00800000;


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
     {Kind::Label, "lblControlName", "Frame1", "Control Name", 240, 540, 1095, 195}},
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
    // Picture1 holds the row windows; it moves by less than a row, the rows move through it.
    {&frmAddIn::Picture1, {Kind::PictureBox, "Picture1", "Picture2", nullptr, 0, 0, 4395, 4620}},
    {&frmAddIn::VScroll1, {Kind::VScrollBar, "VScroll1", "Picture2", nullptr, 4440, 0, 255, 3975}},
    // Under the grid.
    {&frmAddIn::chkHideUnplaceable,
     {Kind::CheckBox, "chkHideUnplaceable", nullptr, "&Hide controls that cannot be placed", 120, 5535, 3375, 255}},
    {&frmAddIn::lblGuessed, {Kind::Label, "lblGuessed", nullptr, kGuessedNote, 120, 5850, 4995, 195}},
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
    {&frmAddIn::cmdGenCode, {Kind::CommandButton, "cmdGenCode", nullptr, "&Generate Code", 120, 6165, 1755, 375}},
    {&frmAddIn::cmdClear, {Kind::CommandButton, "cmdClear", nullptr, "&Clear", 1950, 6165, 915, 375}},
    {&frmAddIn::cmdAbout, {Kind::CommandButton, "cmdAbout", nullptr, "&About", 3240, 6180, 915, 375}},
    {&frmAddIn::CancelButton, {Kind::CommandButton, "CancelButton", nullptr, "E&xit", 4260, 6180, 855, 375}},
    {&frmAddIn::chkPlain,
     {Kind::CheckBox, "chkPlain", nullptr, "&Plain text (as the original add-in)", 5280, 6195, 4155, 255}},
    // Writing the code into the form's module, under the three boxes it would be pasted from.
    {&frmAddIn::cmdInsert, {Kind::CommandButton, "cmdInsert", nullptr, "&Insert into the form", 5280, 6615, 2010, 375}},
    {&frmAddIn::cmdRemove,
     {Kind::CommandButton, "cmdRemove", nullptr, "Re&move from the form", 7365, 6615, 2070, 375}},
};

// Geometry of one row window's parts: Left, Width, Height and the Top of row window 0; the
// pitch is RowPitch.
struct ColumnLayout {
    frmAddIn::RowArray frmAddIn::*array;
    Kind kind;
    const char* name;
    int left;
    int width;
    int height;
    int top0;
};

constexpr ColumnLayout RowColumns[8] = {
    {&frmAddIn::Check1, Kind::CheckBox, "Check1", 120, 1995, 315, 60},
    {&frmAddIn::chkMoveH, Kind::CheckBox, "chkMoveH", 2460, 195, 195, 120},
    {&frmAddIn::chkSizeH, Kind::CheckBox, "chkSizeH", 2700, 195, 195, 120},
    {&frmAddIn::chkScaleH, Kind::CheckBox, "chkScaleH", 2940, 195, 195, 120},
    {&frmAddIn::chkMoveV, Kind::CheckBox, "chkMoveV", 3540, 195, 195, 120},
    {&frmAddIn::chkSizeV, Kind::CheckBox, "chkSizeV", 3780, 195, 195, 120},
    {&frmAddIn::chkScaleV, Kind::CheckBox, "chkScaleV", 4020, 195, 195, 120},
    // Over the option columns, shown instead of them.
    {&frmAddIn::lblWhy, Kind::Label, "lblWhy", 2460, 1755, 195, 120},
};

}  // namespace

frmAddIn::frmAddIn(std::shared_ptr<AboutBoxSlot> about)
    : Form("frmAddIn"), about_(about ? std::move(about) : std::make_shared<AboutBoxSlot>()) {
    slotRows_.fill(-1);
}

frmAddIn::~frmAddIn() = default;

std::array<Control*, kGridOptions> frmAddIn::OptionBoxes(int slot) const {
    const auto s = static_cast<std::size_t>(slot);
    return {chkMoveH.at(s), chkSizeH.at(s), chkScaleH.at(s), chkMoveV.at(s), chkSizeV.at(s), chkScaleV.at(s)};
}

std::array<Control*, kGridOptions> frmAddIn::ColumnHeads() const {
    return {lblLRM, lblLRR, lblLRS, lblUDM, lblUDR, lblUDS};
}

std::array<Control*, 11> frmAddIn::HeaderGroup() const {
    return {lblLeftRight, lblUpDown, lblLRM, lblLRS, lblLRR, lblUDM, lblUDS, lblUDR, Line1, Line2, lblControlName};
}

void frmAddIn::CreateControls() {
    SetCaption("Tolvane");
    SetClientSize(9570, 7110);
    SetBorder(/*fixedDialog=*/true, /*closeBox=*/true);
    // Each load starts from an empty grid, as from the stored layout.
    grid_.Clear();
    slotRows_.fill(-1);
    for (const Placed& placed : GridLayout) this->*placed.member = &Place(placed.placement);
    CreateRowWindows();
    for (const Placed& placed : OutputLayout) this->*placed.member = &Place(placed.placement);

    ShowHeaderGroup(false);  // until a pick lists controls
    lblGuessed->SetVisible(false);
    Picture2->SetBorder(true);
    VScroll1->SetRange(0, 0, RowPitch, RowPitch);
    for (Control* box : {txtDeclaration, txtOnLoad, txtOnResize}) {
        box->SetMultiLine(true);
        box->SetScrollBars(forms::ScrollBars::Both);
    }
    lblControlName->SetToolTipText(kControlNameTip);
    for (std::size_t k = 0; k < kGridOptions; ++k) ColumnHeads()[k]->SetToolTipText(ColumnTip(k));
    chkHideUnplaceable->SetToolTipText(kHideTip);
    chkPlain->SetToolTipText(kPlainTip);
    cmdInsert->SetToolTipText(kInsertTip);
    cmdRemove->SetToolTipText(kRemoveTip);
    AttachHandlers();
    SetTabOrderGridFirst();
}

void frmAddIn::CreateRowWindows() {
    for (const ColumnLayout& column : RowColumns) {
        for (int slot = 0; slot < kSlots; ++slot) {
            Control& part = Add(column.kind, column.name, Picture1, slot);
            part.Move(column.left, column.top0 + RowPitch * slot, column.width, column.height);
            part.SetVisible(false);
            (this->*column.array)[static_cast<std::size_t>(slot)] = &part;
        }
    }
}

void frmAddIn::SetTabOrderGridFirst() {
    // The grid right after the form it lists, row by row; the panels take no focus.
    std::vector<Control*> order = {cboForms, VScroll1};
    for (int slot = 0; slot < kSlots; ++slot) {
        order.push_back(Check1[static_cast<std::size_t>(slot)]);
        for (Control* option : OptionBoxes(slot)) order.push_back(option);
    }
    for (Control* c : {chkHideUnplaceable, cmdGenCode, chkPlain, cmdInsert, cmdRemove, cmdClear, cmdAbout, CancelButton,
                       txtDeclaration, txtOnLoad, txtOnResize})
        order.push_back(c);
    SetTabOrder(order);
    Picture2->SetTabStop(false);
    Picture1->SetTabStop(false);
}

void frmAddIn::AttachHandlers() {
    cboForms->OnClick([this] { cboForms_Click(); });
    cboForms->OnDropDown([this] { cboForms_DropDown(); });
    VScroll1->OnChange([this] { VScroll1_Change(); });
    VScroll1->OnScroll([this] { VScroll1_Scroll(); });
    for (int slot = 0; slot < kSlots; ++slot) {
        const auto index = static_cast<std::int16_t>(slot);
        Check1[static_cast<std::size_t>(slot)]->OnClick([this, index] { Check1_Click(index); });
        const auto options = OptionBoxes(slot);
        for (std::size_t k = 0; k < kGridOptions; ++k)
            options[k]->OnClick([this, index, k] { Option_Click(index, static_cast<GridOption>(k)); });
    }
    lblControlName->OnClick([this] { lblControlName_Click(); });
    for (std::size_t k = 0; k < kGridOptions; ++k)
        ColumnHeads()[k]->OnClick([this, k] { ColumnHead_Click(static_cast<GridOption>(k)); });
    chkHideUnplaceable->OnClick([this] { chkHideUnplaceable_Click(); });
    chkPlain->OnClick([this] { chkPlain_Click(); });
    txtDeclaration->OnDblClick([this] { txtDeclaration_DblClick(); });
    txtOnLoad->OnDblClick([this] { txtOnLoad_DblClick(); });
    txtOnResize->OnDblClick([this] { txtOnResize_DblClick(); });
    cmdGenCode->OnClick([this] { cmdGenCode_Click(); });
    cmdInsert->OnClick([this] { cmdInsert_Click(); });
    cmdRemove->OnClick([this] { cmdRemove_Click(); });
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
    LoadSettings();

    host::ForEachProjectForm(Ide(), [this](std::string name) { cboForms->AddItem(std::move(name)); });
}

void frmAddIn::LoadSettings() {
    // A setting that cannot be read leaves the default: the window works without its store.
    const Binding binding(binding_);
    for (Control* box : {chkHideUnplaceable, chkPlain}) {
        const char* key = box == chkPlain ? kPlainTextKey : kHideUnplaceableKey;
        try {
            if (Connect != nullptr) box->SetValue(Connect->GetSetting(key, "0") == "1" ? 1 : 0);
        } catch (const std::exception&) {
        }
    }
    grid_.SetHideUnplaceable(IsSet(static_cast<CheckState>(chkHideUnplaceable->Value())));
}

void frmAddIn::Remember(const char* key, const Control& box) {
    if (Connect == nullptr) throw std::runtime_error(vb::kObjectNotSet);
    Connect->SaveSetting(key, box.Value() != 0 ? "1" : "0");
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

void frmAddIn::chkPlain_Click() {
    if (binding_) return;
    Remember(kPlainTextKey, *chkPlain);
}

void frmAddIn::cmdClear_Click() {
    txtDeclaration->SetText("");
    txtOnLoad->SetText("");
    txtOnResize->SetText("");
    grid_.Clear();
    ShowGrid();
    ShowHeaderGroup(false);
}

void frmAddIn::CheckVariableNames(const CodeOptions& options) const {
    // VB refuses a variable name longer than it allows: no code rather than code that fails.
    const std::vector<std::string> stems = CodeStems(grid_.Rows(), options);
    for (std::size_t row = 0; row < stems.size(); ++row) {
        if (vb::CharacterCount(stems[row]) <= MaxStemLength(options)) continue;
        throw std::runtime_error(grid_.Row(row).controlRef + ": the name is too long to name variables after (at most " +
                                 std::to_string(MaxStemLength(options)) + " characters, so that i + name + _ScaleHeight " +
                                 "stays within the " + std::to_string(vb::kMaxIdentifierLength) +
                                 " Visual Basic allows). Untick it to generate the others.");
    }
}

GeneratedCode frmAddIn::GenerateAndShow() {
    const CodeStyle style = chkPlain->Value() != 0 ? CodeStyle::kPlain : CodeStyle::kWorking;
    const CodeOptions options = grid_.Options(target_, style);
    CheckVariableNames(options);
    GeneratedCode code = GenerateResizeCode(cboForms->Text(), grid_.Rows(), options);
    txtDeclaration->SetText(code.declarations);
    txtOnLoad->SetText(code.onLoad);
    txtOnResize->SetText(code.onResize);
    return code;
}

void frmAddIn::cmdGenCode_Click() { GenerateAndShow(); }

std::shared_ptr<host::Component> frmAddIn::PickedComponent() const {
    if (listedForm_.empty()) throw std::runtime_error("Pick a form first: its controls are not listed.");
    return Ide().ActiveVBProject()->VBComponents()->Item(listedForm_);
}

void frmAddIn::RefuseModule(const blocks::ModuleError& error) const {
    throw std::runtime_error(listedForm_ + ", line " + std::to_string(error.Line()) + ": " + error.Problem() +
                             ". Nothing was changed.");
}

void frmAddIn::cmdInsert_Click() {
    // The code for the form the grid lists, whatever text the selector shows now.
    const auto form = PickedComponent();
    cboForms->SetText(listedForm_);
    const GeneratedCode code = GenerateAndShow();
    const bool plain = chkPlain->Value() != 0 && target_ == CodeTarget::kVb6Form;
    const blocks::Record record = grid_.RecordOf(plain ? std::vector<std::string>{"--plain"} : std::vector<std::string>{});
    try {
        InsertIntoModule(*form, EventProceduresOf(target_), record, {code.declarations, code.onLoad, code.onResize});
    } catch (const blocks::ModuleError& error) {
        RefuseModule(error);
    }
}

void frmAddIn::cmdRemove_Click() {
    const auto form = PickedComponent();
    try {
        RemoveFromModule(*form, EventProceduresOf(target_));
    } catch (const blocks::ModuleError& error) {
        RefuseModule(error);
    }
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
        // A box whose window could not be made has told so and unloaded: none is open.
        if (!about_->box->IsLoaded()) return;
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
