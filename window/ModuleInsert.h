// Our code in a form's code module, put in and taken out through the IDE: what quenlow apply
// does to a form's file, done to the module the IDE holds. The module is read whole through
// CodeModule.Lines, the pure model/ModuleBlocks computes the edit, and DeleteLines and
// InsertLines make it, last change first.
//
// A missing Load or Resize procedure is written whole with InsertLines, not with
// CreateEventProc: the edit then says exactly which lines the module gets (the same as quenlow
// apply writes into the form's file, and what RemoveBlocks recognises as a procedure we
// wrote), with no dependence on where or how the IDE lays out a procedure it creates.
#pragma once

#include <optional>
#include <span>

#include "host/Host.h"
#include "host/Listing.h"
#include "model/ModuleBlocks.h"
#include "model/ResizeCode.h"

namespace tolvane {

// The code a component's form takes: a UserForm's (component type 3) or a VB6 form's.
CodeTarget CodeTargetOf(host::Component& form);

// What the generator needs to write the form's code from its listing (host::ListFormControls):
// the target, and where each row's control sits (its container, how that places its contents,
// a UserForm page named through its MultiPage), as quenlow's generate takes them.
CodeOptions FormCodeOptions(CodeTarget target, std::span<const host::ListedControl> listed);

// Puts our three blocks into the form's module, or writes them again where they are, with
// `record` in the first marker. Returns the edit made (empty when the module already held
// exactly this). Throws blocks::ModuleError, having changed nothing, for a module we refuse
// (damaged markers, see blocks::InsertBlocks); HostError when the IDE fails a call, after
// taking back the changes already made as far as the IDE lets it.
blocks::Edit InsertIntoModule(host::Component& form, const blocks::EventProcedures& events,
                              const blocks::Record& record, const blocks::BlockTexts& texts);

// Takes our blocks out of the form's module (see blocks::RemoveBlocks); throws as above.
blocks::Edit RemoveFromModule(host::Component& form, const blocks::EventProcedures& events);

// The picks and code variant the module's first marker records, or nothing when it holds
// none. Throws blocks::ModuleError for a module SurveyModule refuses.
std::optional<blocks::Record> RecordedPicks(host::Component& form);

}  // namespace tolvane
