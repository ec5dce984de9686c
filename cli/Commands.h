// The quenlow commands that read a project or generate code.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "host/files/ProjectFiles.h"
#include "host/Listing.h"
#include "model/ResizeCode.h"
#include "preview/FormLayout.h"

namespace tolvane::cli {

// Each takes the whole argument list (args[0] is the command's name), writes its result
// to `out` and warnings to `err`; throws UsageError or another exception on failure.
int RunForms(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunControls(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);  // PreviewCommand.cpp
int RunApply(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);    // Apply.cpp
int RunPicks(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);    // Apply.cpp

// A project read for a command, with what it left out and where its designer files are.
struct Project {
    std::string label;  // the path as given, for messages
    host::memory::ProjectData data;
    std::shared_ptr<host::memory::MemoryHost> host;
    std::vector<host::files::LeftOutComponent> leftOut;
    std::vector<host::files::ComponentFile> files;
};

// Reads the project and reports on `err` the components it left out as warnings, except the
// one named `needed`, which the command reports as its error if it needs it.
Project Open(const std::string& path, const std::optional<int>& codePage, const std::string& needed, std::ostream& err);

// The project's name for the component `wanted` (letter case ignored), read through the
// host as the add-in reads it. Only standard forms when `formsOnly`, as the form selector
// offers; any component with controls otherwise. A component the project left out is
// reported with the reason it was left out.
std::string FindForm(const Project& project, const std::string& wanted, bool formsOnly);

// The form a request names: its rows as the add-in lists them (all of them), picks ticked,
// and what the code needs to know of where each control sits. Without a project, the picks
// are the rows and every control sits on the form.
struct PickedForm {
    std::string name;  // the project's spelling of the form's name
    std::vector<ControlRow> rows;
    std::vector<host::ListedControl> listed;  // one per row; empty without a project
    int scaleMode = vb::kTwips;               // the form's
    std::int32_t type = host::VBForm;         // a VB6 form, or a UserForm (host::MSForm)
};

// A pick of a control that has no place at run time is refused. `layout`, when given,
// receives the form's design geometry.
PickedForm PickFromProject(const GenerateRequest& request, std::ostream& err, preview::FormLayout* layout = nullptr);
PickedForm PickFromProject(const Project& project, const GenerateRequest& request, preview::FormLayout* layout = nullptr);
PickedForm PickedRows(const GenerateRequest& request, std::ostream& err);  // with or without a project

// The code the request asks for (Variant.cpp). With --relative container, a picked control
// whose container is not picked is named on `err`: it keeps its place.
CodeOptions OptionsFor(const GenerateRequest& request, const PickedForm& form, std::ostream& err);
// The kind of form the code is for: the form's own with a project (a --target that says
// otherwise is a usage error), else --target, else a VB6 form.
CodeTarget TargetOf(const GenerateRequest& request, const PickedForm& form);

// VB refuses a variable name longer than kMaxIdentifierLength: code whose variables would be
// longer is refused, a usage error when the name was typed rather than read from a project.
void CheckStems(const GenerateRequest& request, std::span<const ControlRow> rows, const CodeOptions& options);

// The listed controls as one JSON array, one object per control in listing order: its
// reference, class, container's reference ("" for the form) and Left, Top, Width, Height in
// the file's units (twips for a VB6 form, points for a UserForm; null where it has none).
void WriteControlsJson(const host::memory::ComponentData& form, const std::vector<host::ListedControl>& rows,
                       std::ostream& out);  // ControlsJson.cpp

// "FILE:LINE: problem", with a hint at --codepage when the problem is text that the code
// page used does not read.
std::string Describe(const host::files::FileError& error);

}  // namespace tolvane::cli
