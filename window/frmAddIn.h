// frmAddIn, the add-in's working window: the form selector, the option grid, the three
// output boxes and the command buttons.
//
// Load fills the selector with the active project's forms, and opening its list fills it
// again; a pick lists every control of the chosen form into the grid's rows (OptionGrid)
// through host::ListFormControls. The grid shows them through a fixed set of row windows
// (kSlots rows of a check box, six option boxes and a note for a control that cannot be
// placed) that the scroll bar binds to a stretch of the rows; nothing is created per
// control. "&Generate Code" reads all the rows and shows what GenerateResizeCode returns.
// Handlers carry VB's event names. Errors they do not handle go to the forms package's
// default error report.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "about/frmAbout.h"
#include "forms/Form.h"
#include "host/Host.h"
#include "host/Listing.h"
#include "model/ModuleBlocks.h"
#include "model/ResizeCode.h"
#include "model/ResizeModel.h"
#include "window/AddInWindowApi.h"
#include "window/OptionGrid.h"

namespace tolvane {

// Called once for every window the add-in creates (each frmAddIn and each About box),
// right after construction and before its first load: the Win32 realisation attaches its
// native window here. Headless use passes nothing.
using FormRealiser = std::function<void(forms::Form&)>;

// The one About box. Shared by the add-in windows of one factory, so that it lives
// independently of any one window instance; it goes when the factory and the last of
// its windows are gone.
struct AboutBoxSlot {
    std::unique_ptr<frmAbout> box;
    FormRealiser realise;
};

class frmAddIn final : public forms::Form, public AddInWindowApi {
public:
    static constexpr int IndentStep = 150;  // twips per nesting level
    static constexpr int RowPitch = 300;    // twips from one row to the next
    // Row windows: as many as can show at once, a row cut at the top and one at the bottom
    // included.
    static constexpr int kSlots = 15;
    // Settings the window keeps through its owner.
    static constexpr const char* kHideUnplaceableKey = "HideUnplaceable";
    static constexpr const char* kPlainTextKey = "PlainText";

    explicit frmAddIn(std::shared_ptr<AboutBoxSlot> about = nullptr);
    ~frmAddIn() override;

    // Public members, assigned by Connect before every display.
    std::shared_ptr<host::Root> VBInstance;
    AddInOwner* Connect = nullptr;

    // AddInWindowApi
    void SetVBInstance(std::shared_ptr<host::Root> vbInstance) override { VBInstance = std::move(vbInstance); }
    void SetConnect(AddInOwner* owner) override { Connect = owner; }
    void Show() override { Form::Show(); }
    void Hide() override { Form::Hide(); }
    void Unload() override { Form::Unload(); }
    using Form::Unload;

    // The About box if one was ever opened from this window's factory; may be unloaded.
    frmAbout* AboutBox() const { return about_->box.get(); }

    // Home Left of the row check boxes, captured at load.
    std::int16_t iCheckDefault_Left = 0;

    // Controls of the current load (rebuilt from the layout at every load).
    forms::Control* Label1 = nullptr;
    forms::Control* cboForms = nullptr;
    forms::Control* Frame1 = nullptr;
    forms::Control* lblControlName = nullptr;
    forms::Control* lblLeftRight = nullptr;
    forms::Control* Line1 = nullptr;
    forms::Control* lblLRM = nullptr;
    forms::Control* lblLRR = nullptr;
    forms::Control* lblLRS = nullptr;
    forms::Control* lblUpDown = nullptr;
    forms::Control* Line2 = nullptr;
    forms::Control* lblUDM = nullptr;
    forms::Control* lblUDR = nullptr;
    forms::Control* lblUDS = nullptr;
    forms::Control* Picture2 = nullptr;
    forms::Control* Picture1 = nullptr;
    forms::Control* VScroll1 = nullptr;
    using RowArray = std::array<forms::Control*, kSlots>;
    RowArray Check1{};
    RowArray chkMoveH{};
    RowArray chkSizeH{};
    RowArray chkScaleH{};
    RowArray chkMoveV{};
    RowArray chkSizeV{};
    RowArray chkScaleV{};
    RowArray lblWhy{};  // in place of the options: why the row's control cannot be placed
    forms::Control* chkHideUnplaceable = nullptr;
    forms::Control* lblGuessed = nullptr;  // some properties could not be read
    forms::Control* Label3 = nullptr;
    forms::Control* txtDeclaration = nullptr;
    forms::Control* Label4 = nullptr;
    forms::Control* txtOnLoad = nullptr;
    forms::Control* Label5 = nullptr;
    forms::Control* txtOnResize = nullptr;
    forms::Control* cmdGenCode = nullptr;
    forms::Control* cmdInsert = nullptr;
    forms::Control* cmdRemove = nullptr;
    forms::Control* cmdClear = nullptr;
    forms::Control* cmdAbout = nullptr;
    forms::Control* CancelButton = nullptr;
    forms::Control* chkPlain = nullptr;  // the original add-in's text instead of the default

    // Every row of the picked form.
    const OptionGrid& Grid() const { return grid_; }
    // The row a row window shows, or -1.
    std::ptrdiff_t RowOfSlot(int slot) const { return slotRows_.at(static_cast<std::size_t>(slot)); }
    // The row window that shows the row, or -1 when it is out of view.
    int SlotOfRow(std::size_t row) const;

    // The six option boxes of row window s, in the order move, size, scale for Left/Right,
    // then for Up/Down.
    std::array<forms::Control*, kGridOptions> OptionBoxes(int slot) const;
    // The six letters over the option columns, in the same order.
    std::array<forms::Control*, kGridOptions> ColumnHeads() const;
    // "Control Name", the two group heads, their underlines and the six letters.
    std::array<forms::Control*, 11> HeaderGroup() const;

    // Handlers.
    void cboForms_Click();
    void cboForms_DropDown();
    void Check1_Click(std::int16_t index);
    void Option_Click(std::int16_t index, GridOption option);
    void lblControlName_Click();
    void ColumnHead_Click(GridOption option);
    void chkHideUnplaceable_Click();
    void chkPlain_Click();
    void cmdClear_Click();
    void cmdGenCode_Click();
    void cmdInsert_Click();
    void cmdRemove_Click();
    void cmdAbout_Click();
    void CancelButton_Click();
    void txtDeclaration_DblClick();
    void txtOnLoad_DblClick();
    void txtOnResize_DblClick();
    void VScroll1_Change();
    void VScroll1_Scroll();

protected:
    void CreateControls() override;
    void Form_Load() override;
    void AfterUnload(forms::UnloadMode mode) override;

private:
    // Sets a flag for a scope: while the window itself sets its boxes, their Click is no
    // user's choice.
    class Binding {
    public:
        explicit Binding(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
        ~Binding() { flag_ = previous_; }
        Binding(const Binding&) = delete;
        Binding& operator=(const Binding&) = delete;

    private:
        bool& flag_;
        bool previous_;
    };

    // frmAddIn.cpp
    void CreateRowWindows();
    void AttachHandlers();
    void SetTabOrderGridFirst();
    host::Root& Ide() const;
    void LoadSettings();
    void Remember(const char* key, const forms::Control& box);
    void CheckVariableNames(const CodeOptions& options) const;
    // The code for the grid as it stands, shown in the three boxes.
    GeneratedCode GenerateAndShow();
    // The picked form's component, afresh from the IDE.
    std::shared_ptr<host::Component> PickedComponent() const;
    // A module we refuse (damaged markers) as an error that names the form and the line.
    [[noreturn]] void RefuseModule(const blocks::ModuleError& error) const;
    static void SelectAll(forms::Control& box);
    // frmAddInGrid.cpp
    void ShowGrid();
    void ReadPickedForm(bool anotherForm);
    void ShowRows();
    void BindSlot(int slot, std::size_t row);
    void ResetSlot(int slot);
    void ShowHeaderGroup(bool visible);

    std::shared_ptr<AboutBoxSlot> about_;
    OptionGrid grid_;
    CodeTarget target_ = CodeTarget::kVb6Form;  // the kind of form last picked
    std::string listedForm_;                     // its name, as picked
    std::array<std::ptrdiff_t, kSlots> slotRows_{};
    bool binding_ = false;
};

// The factory the connection object uses to create its window. Windows from one factory
// share one About box (see AboutBoxSlot); `realise` runs for every window created.
AddInWindowFactory MakeAddInWindowFactory(FormRealiser realise = {});

}  // namespace tolvane
