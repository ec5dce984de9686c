// The option grid of frmAddIn: a pick lists the form's controls into the rows, and a fixed set
// of row windows shows the stretch of them the scroll bar points at. Scrolling rebinds those
// windows (captions, ticks, what is enabled) and moves their panel by less than a row, so a
// form of any size costs the same windows, and only what changed reaches the screen.
#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "window/GridWords.h"
#include "window/ModuleInsert.h"
#include "window/frmAddIn.h"

namespace tolvane {

using forms::Control;

namespace {

// Above the first row window and below the last row.
constexpr int GridMargin = 60;
// The scroll range is in twips, an int: a form with more rows than it can hold is refused.
constexpr std::size_t MaxGridRows =
    static_cast<std::size_t>((std::numeric_limits<int>::max() - 2 * GridMargin) / frmAddIn::RowPitch);

bool IsArrayElement(const std::string& controlRef) { return controlRef.find('(') != std::string::npos; }

}  // namespace

int frmAddIn::SlotOfRow(std::size_t row) const {
    for (int slot = 0; slot < kSlots; ++slot)
        if (slotRows_[static_cast<std::size_t>(slot)] == static_cast<std::ptrdiff_t>(row)) return slot;
    return -1;
}

void frmAddIn::cboForms_Click() {
    std::vector<host::ListedControl> listed;
    try {
        host::ListFormControls(Ide(), cboForms->Text(), [&](const host::ListedControl& control) {
            listed.push_back(control);
            return true;
        });
    } catch (...) {
        // Nothing listed (a stale name, no project): the grid stays exactly as it was.
        // Otherwise the rows listed so far replace it, so two forms never mix.
        if (!listed.empty()) {
            grid_.Fill(std::move(listed));
            ShowGrid();
        }
        throw;
    }
    if (listed.size() > MaxGridRows)
        throw std::runtime_error("Form " + cboForms->Text() + " has " + std::to_string(listed.size()) +
                                 " controls; the grid lists at most " + std::to_string(MaxGridRows) + ".");
    grid_.Fill(std::move(listed));
    const std::string picked = cboForms->Text();
    ReadPickedForm(picked != listedForm_);
    listedForm_ = picked;
    ShowGrid();
    ShowHeaderGroup(true);
}

void frmAddIn::ReadPickedForm(bool anotherForm) {
    // The kind of form and the picks its module records. Neither read may fail the pick: a
    // form that cannot say takes a VB6 form's code and keeps the ticks the pick left.
    target_ = CodeTarget::kVb6Form;
    try {
        const auto form = Ide().ActiveVBProject()->VBComponents()->Item(cboForms->Text());
        target_ = CodeTargetOf(*form);
        // Another form's ticks come from its record; a form picked again keeps the grid's.
        if (!anotherForm) return;
        if (const auto record = RecordedPicks(*form)) grid_.TickAsRecorded(*record);
    } catch (const host::HostError&) {
    } catch (const blocks::ModuleError&) {
    }
}

void frmAddIn::ShowGrid() {
    // The scroll bar runs downwards, from 0 to minus what the rows reach below the viewport.
    const int viewport = VScroll1->Height();
    const int rows = static_cast<int>(grid_.InView().size());
    const int below = std::max(0, rows * RowPitch + 2 * GridMargin - viewport);
    const int page = std::max(RowPitch, viewport / RowPitch * RowPitch);
    VScroll1->SetRange(0, -below, RowPitch, page);
    lblGuessed->SetVisible(grid_.AnyGuessed());
    ShowRows();
}

void frmAddIn::ShowRows() {
    const Binding binding(binding_);
    const std::vector<std::size_t>& view = grid_.InView();
    const int offset = -VScroll1->Value();
    const auto first = static_cast<std::size_t>(offset / RowPitch);
    Picture1->SetTop(-(offset % RowPitch));
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::size_t at = first + static_cast<std::size_t>(slot);
        if (at < view.size())
            BindSlot(slot, view[at]);
        else
            ResetSlot(slot);
    }
}

void frmAddIn::BindSlot(int slot, std::size_t row) {
    const auto s = static_cast<std::size_t>(slot);
    const host::ListedControl& listed = grid_.Listed(row);
    const bool placeable = grid_.Placeable(row);
    const bool ticked = grid_.Ticked(row);
    slotRows_[s] = static_cast<std::ptrdiff_t>(row);
    Control& box = *Check1[s];
    box.SetCaption(listed.controlRef);
    box.SetLeft(iCheckDefault_Left + IndentStep * listed.depth);
    box.SetValue(ticked ? 1 : 0);
    box.SetEnabled(placeable);
    box.SetToolTipText(IsArrayElement(listed.controlRef) ? kControlNameTip : "");
    box.SetVisible(true);
    const auto options = OptionBoxes(slot);
    for (std::size_t k = 0; k < kGridOptions; ++k) {
        // The caption is what a screen reader speaks; the box is too narrow to show it.
        options[k]->SetCaption(listed.controlRef + ", " + OptionName(k));
        options[k]->SetToolTipText(OptionTip(k));
        options[k]->SetValue(grid_.Option(row, static_cast<GridOption>(k)) ? 1 : 0);
        options[k]->SetEnabled(ticked);
        options[k]->SetVisible(placeable);
    }
    lblWhy[s]->SetCaption(ShortReason(listed.noPlace));
    lblWhy[s]->SetToolTipText(placeable ? "" : vb::DescribeNoPlace(listed.noPlace));
    lblWhy[s]->SetVisible(!placeable);
}

void frmAddIn::ResetSlot(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    slotRows_[s] = -1;
    Control& box = *Check1[s];
    box.SetVisible(false);
    box.SetLeft(iCheckDefault_Left);
    box.SetValue(0);
    box.SetCaption("");
    for (Control* option : OptionBoxes(slot)) {
        option->SetVisible(false);
        option->SetValue(0);
        option->SetCaption("");
    }
    lblWhy[s]->SetVisible(false);
}

void frmAddIn::ShowHeaderGroup(bool visible) {
    for (Control* c : HeaderGroup()) c->SetVisible(visible);
}

void frmAddIn::Check1_Click(std::int16_t index) {
    if (binding_) return;
    const std::ptrdiff_t row = RowOfSlot(index);
    if (row < 0) return;
    const auto r = static_cast<std::size_t>(row);
    grid_.SetTicked(r, Check1.at(static_cast<std::size_t>(index))->Value() != 0);
    // Shift+click: the whole control array as this element.
    if (ShiftHeld()) grid_.TickArrayAsRow(r);
    ShowRows();  // the options can be changed exactly while their row is ticked
}

void frmAddIn::Option_Click(std::int16_t index, GridOption option) {
    if (binding_) return;
    const std::ptrdiff_t row = RowOfSlot(index);
    if (row < 0) return;
    const auto k = static_cast<std::size_t>(option);
    grid_.SetOption(static_cast<std::size_t>(row), option, OptionBoxes(index)[k]->Value() != 0);
}

void frmAddIn::lblControlName_Click() {
    grid_.ToggleAll();
    ShowRows();
}

void frmAddIn::ColumnHead_Click(GridOption option) {
    grid_.ToggleColumn(option);
    ShowRows();
}

void frmAddIn::chkHideUnplaceable_Click() {
    if (binding_) return;
    grid_.SetHideUnplaceable(chkHideUnplaceable->Value() != 0);
    ShowGrid();
    Remember(kHideUnplaceableKey, *chkHideUnplaceable);
}

void frmAddIn::VScroll1_Change() { ShowRows(); }
void frmAddIn::VScroll1_Scroll() { ShowRows(); }

}  // namespace tolvane
