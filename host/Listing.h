// The order in which a form's controls are listed in the option grid: the form's
// controls last first, each followed at once by the controls inside it (last first,
// recursively), one nesting level deeper. Written once over the host interface; the
// add-in window and the command-line tool both list through it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/Host.h"
#include "vb/Controls.h"

namespace tolvane::host {

struct ListedControl {
    std::string controlRef;  // "Command1", or "Option1(3)" for an element of a control array
    int depth = 0;           // 0 for a control placed on the form, 1 inside a container, ...
    std::string className;   // its ProgID ("VB.PictureBox"); "" when it could not be read
    vb::NoPlace noPlace = vb::NoPlace::kNone;  // why code cannot move or size it
    // What holds it (place.container: the listing position of its container, -1 on the form)
    // and, as a container, how it places its contents and how code names it.
    vb::ControlPlace place;
    // A read of the class, Align or ScaleMode failed: the values are the assumption made
    // before these were read (a control with a place, in twips).
    bool guessed = false;
};

// Called once per control in listing order; return false to stop the listing there.
using ListedControlSink = std::function<bool(const ListedControl&)>;

// The reference by which VB code names a control: its "Name", followed by "(Index)" when
// its "Index" is 0 or more. Reads the control's properties through the host.
std::string ControlReference(Control& control);

// Lists the controls of a form designer. Every control gets exactly one row: a control the
// form's collection returns but that sits inside another control of the form is listed
// only under its container, whether or not the host's collection holds nested controls.
// A failure to read a control's name or its contents propagates as HostError (rows already
// delivered stay delivered); a failure to read its class, Align or ScaleMode does not, and
// marks the row `guessed`.
void ListFormControls(FormDesigner& form, const ListedControlSink& sink);

// The forms whose code the add-in writes: VB6's standard forms and the VBA editor's UserForms.
constexpr bool IsPickableForm(std::int32_t type) { return type == ComponentType::VBForm || type == ComponentType::MSForm; }

// The name of each standard form or UserForm of the active project, in project order: what the
// form selector offers (no MDI forms, modules or classes). Every read starts again from the root
// object, so nothing of the IDE's is kept; names delivered before a failure stay delivered.
void ForEachProjectForm(Root& root, const std::function<void(std::string)>& take);

// The form component of the active project with this name, then its controls.
void ListFormControls(Root& root, const std::string& formName, const ListedControlSink& sink);

}  // namespace tolvane::host
