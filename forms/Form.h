// A form: a window with its controls, its load state and visibility, the focus, the tab
// order and the event dispatch. A derived class is a window of the product: it creates its
// controls in CreateControls (run at every load, so that each load starts from the stored
// layout, as a VB form does) and carries the handlers.
//
// Event dispatch: every handler runs inside Raise, which sends an error the handler does
// not handle to the form's realisation to show, or else to the default error report
// (forms/ErrorReport.h), and never lets it go further. The form may be destroyed while a
// handler or its error box runs; Raise then touches nothing of it afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Control.h"
#include "forms/ErrorReport.h"
#include "forms/LifetimeToken.h"

namespace tolvane::forms {

// Why a form unloads: by code (Unload), or by the user through the title bar's close box.
enum class UnloadMode { Code, CloseBox };

// What a native realisation hears from a form. Headless forms have none.
class FormObserver {
public:
    virtual ~FormObserver() = default;
    virtual void Loaded(Form&) {}
    virtual void Shown(Form&) {}
    // Show on a form that is shown already: to the front, and active.
    virtual void BroughtToFront(Form&) {}
    virtual void Hidden(Form&) {}
    virtual void Unloaded(Form&) {}
    virtual void FocusMoved(Form&, Control*) {}
    virtual void MadeTopMost(Form&) {}
    // After the outermost event has run: apply what the dirty bits say.
    virtual void EventDone(Form&) {}
    // An error a handler did not handle. True: the realisation has shown it; false: it goes
    // to the default error report.
    virtual bool ShowError(Form&, const ErrorReport&) { return false; }
    // The form is being destroyed (loaded or not): let go of everything that refers to it.
    virtual void Destroyed(Form&) {}
};

// One control of a layout table, for Form::Place. Geometry in twips, in the container's client
// area: Left, Top, Width and Height, or a line's two ends.
struct Placement {
    Kind kind;
    const char* name;
    const char* container = nullptr;  // a control placed before it; null: the form
    const char* caption = nullptr;    // null: none
    int left = 0, top = 0, width = 0, height = 0;  // a line: X1, Y1, X2, Y2
    Alignment alignment = Alignment::Left;
    Colour foreColour = ButtonTextColour;
};

class Form {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    void SetClientSize(int width, int height);
    // A fixed dialog frame: no resizing, no minimize or maximize box.
    bool FixedDialog() const { return fixedDialog_; }
    bool HasCloseBox() const { return closeBox_; }
    void SetBorder(bool fixedDialog, bool closeBox);

    bool IsLoaded() const { return loaded_; }
    bool IsShown() const { return loaded_ && shown_; }
    // Creates the controls from the layout and runs the Load handler, once per load.
    void Load();
    // Loads when needed, then displays without modality. A form that is shown already is
    // brought to the front and activated, as VB's Show does.
    void Show();
    // Stays loaded with its contents. No effect on a form that is not loaded.
    void Hide();
    // Hides and unloads; the controls keep their last state until the next load rebuilds
    // them. No effect on a form that is not loaded.
    void Unload(UnloadMode mode = UnloadMode::Code);

    // Topmost request (the headless stand-in of SetWindowPos with HWND_TOPMOST).
    void MakeTopMost();
    bool TopMost() const { return topMost_; }
    int TopMostRequests() const { return topMostRequests_; }
    // How often Show found the form shown and brought it to the front.
    int FrontRequests() const { return frontRequests_; }

    // Controls in creation order.
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    // By name and array index (-1: no array element); null when there is none.
    Control* Find(const std::string& name, int index = -1) const;

    // The control with the focus, or null.
    Control* ActiveControl() const { return active_; }
    // Moves the focus by code; throws std::invalid_argument("Invalid procedure call or
    // argument") for a control that cannot take it now.
    void SetFocus(Control& control);
    // Moves the focus where the user moved it (the caller checked that the user could);
    // null: no control has it.
    void MoveFocus(Control* control);
    // Controls that take the focus now, by TabIndex.
    std::vector<Control*> TabOrder() const;
    // Default and cancel buttons, or null.
    Control* DefaultButton() const;
    Control* CancelButton() const;
    // Assigns TabIndex 0, 1, ... to these controls and numbers the others after them in
    // creation order, as VB keeps TabIndex unique per form.
    void SetTabOrder(const std::vector<Control*>& first);

    // Whether Shift was held down for the click being handled (a form-level flag, as VB code
    // keeps one from MouseDown); false outside a click.
    bool ShiftHeld() const { return shiftHeld_; }
    void SetShiftHeld(bool held) { shiftHeld_ = held; }
    // Reads "gone" once this form is destroyed, for callers of code that may destroy it.
    LifetimeToken::Watch Watching() const noexcept { return lifetime_.Watching(); }

    // Runs one handler under the dispatch boundary. `source` names it for the report.
    void Raise(const std::string& source, const std::function<void()>& handler) noexcept;

    // Counts every state change of the form and its controls.
    std::uint64_t Revision() const { return revision_; }
    void Touch() { ++revision_; }

    void SetObserver(FormObserver* observer) { observer_ = observer; }
    FormObserver* Observer() const { return observer_; }

protected:
    // Adds a control to the layout; only from CreateControls.
    Control& Add(Kind kind, const std::string& name, Control* container = nullptr, int index = -1);
    // Adds the control a layout table describes; throws std::logic_error if its container
    // has not been placed yet.
    Control& Place(const Placement& placement);
    virtual void CreateControls() = 0;
    // The Load event.
    virtual void Form_Load() {}
    // Runs after the form has unloaded (the state is already unloaded).
    virtual void AfterUnload(UnloadMode) {}

private:
    void Report(const ErrorReport& report) noexcept;

    std::string name_;
    std::string caption_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool fixedDialog_ = true;
    bool closeBox_ = true;
    bool loaded_ = false;
    bool shown_ = false;
    bool topMost_ = false;
    int topMostRequests_ = 0;
    int frontRequests_ = 0;
    std::vector<std::unique_ptr<Control>> controls_;
    Control* active_ = nullptr;
    int raiseDepth_ = 0;
    bool shiftHeld_ = false;
    std::uint64_t revision_ = 0;
    FormObserver* observer_ = nullptr;
    LifetimeToken lifetime_;
};

}  // namespace tolvane::forms
