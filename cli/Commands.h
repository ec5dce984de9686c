// The quenlow commands that read a project or generate code.
#pragma once

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
int RunPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);  // Preview.cpp

// The form a request names: its rows as the add-in lists them (all of them), picks ticked,
// and what the code needs to know of where each control sits. Without a project, the picks
// are the rows and every control sits on the form.
struct PickedForm {
    std::string name;  // the project's spelling of the form's name
    std::vector<ControlRow> rows;
    std::vector<host::ListedControl> listed;  // one per row; empty without a project
    int scaleMode = vb::kTwips;               // the form's
};

// A pick of a control that has no place at run time is refused. `layout`, when given,
// receives the form's design geometry.
PickedForm PickFromProject(const GenerateRequest& request, std::ostream& err, preview::FormLayout* layout = nullptr);
PickedForm PickedRows(const GenerateRequest& request, std::ostream& err);  // with or without a project

// The code the request asks for (Variant.cpp). With --relative container, a picked control
// whose container is not picked is named on `err`: it keeps its place.
CodeOptions OptionsFor(const GenerateRequest& request, const PickedForm& form, std::ostream& err);

// VB refuses a variable name longer than kMaxIdentifierLength: code whose variables would be
// longer is refused, a usage error when the name was typed rather than read from a project.
void CheckStems(const GenerateRequest& request, std::span<const ControlRow> rows, const CodeOptions& options);

// "FILE:LINE: problem", with a hint at --codepage when the problem is text that the code
// page used does not read.
std::string Describe(const host::files::FileError& error);

}  // namespace tolvane::cli
