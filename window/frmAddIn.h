// frmAddIn, the add-in's working window: the form selector, the option grid (50 rows of a
// row check box and six option boxes), the three output boxes and the command buttons.
//
// Load fills the selector with the active project's forms, and opening its list fills it
// again; a pick lists the chosen form's controls into the grid through
// host::ListFormControls; "&Generate Code" reads the grid and the selector's text as a
// ResizeModel and shows what GenerateResizeCode returns.
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
#include "model/ResizeModel.h"
#include "window/AddInWindowApi.h"

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
    using RowArray = std::array<forms::Control*, RowCapacity>;
    RowArray Check1{};
    RowArray chkMoveH{};
    RowArray chkSizeH{};
    RowArray chkScaleH{};
    RowArray chkMoveV{};
    RowArray chkSizeV{};
    RowArray chkScaleV{};
    forms::Control* Label3 = nullptr;
    forms::Control* txtDeclaration = nullptr;
    forms::Control* Label4 = nullptr;
    forms::Control* txtOnLoad = nullptr;
    forms::Control* Label5 = nullptr;
    forms::Control* txtOnResize = nullptr;
    forms::Control* cmdGenCode = nullptr;
    forms::Control* cmdClear = nullptr;
    forms::Control* cmdAbout = nullptr;
    forms::Control* CancelButton = nullptr;

    // The six option boxes of row r, in the order move, size, scale for Left/Right, then
    // for Up/Down.
    std::array<forms::Control*, 6> OptionBoxes(int row) const;
    // "Control Name", the two group heads, their underlines and the six letters.
    std::array<forms::Control*, 11> HeaderGroup() const;

    // Handlers.
    void cboForms_Click();
    void cboForms_DropDown();
    void Check1_Click(std::int16_t index);
    void cmdClear_Click();
    void cmdGenCode_Click();
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
    void AttachHandlers();
    host::Root& Ide() const;
    // Names of the active project's forms, in component order, each as soon as it is read.
    void ShowControlCount(int listed);
    void FillRow(int row, const host::ListedControl& control);
    void ResetRow(int row);
    void ShowHeaderGroup(bool visible);
    static void SelectAll(forms::Control& box);

    std::shared_ptr<AboutBoxSlot> about_;
};

// The factory the connection object uses to create its window. Windows from one factory
// share one About box (see AboutBoxSlot); `realise` runs for every window created.
AddInWindowFactory MakeAddInWindowFactory(FormRealiser realise = {});

}  // namespace tolvane
