// The quenlow commands that read a project or generate code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "host/files/ProjectFiles.h"
#include "model/CodeVariant.h"
#include "preview/FormLayout.h"

namespace tolvane::cli {

// Each takes the whole argument list (args[0] is the command's name), writes its result
// to `out` and warnings to `err`; throws UsageError or another exception on failure.
int RunForms(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunControls(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);  // Preview.cpp

// The form's rows as the add-in lists them (all of them), picks ticked. `formName` becomes
// the project's spelling; `layout`, when given, receives the form's design geometry.
std::vector<ControlRow> RowsFromProject(const GenerateRequest& request, std::string& formName, std::ostream& err,
                                        preview::FormLayout* layout = nullptr);

// The code variant the request asks for (Variant.cpp). With --relative container, each
// row follows the row of its container in `layout`, and a picked control whose container
// is not picked is named on `err`: it keeps its place.
CodeVariant VariantFor(const GenerateRequest& request, std::span<const ControlRow> rows,
                       const preview::FormLayout& layout, std::ostream& err);

// VB refuses a variable name longer than kMaxIdentifierLength: code whose variables would be
// longer is refused, a usage error when the name was typed rather than read from a project.
void CheckStems(const GenerateRequest& request, std::span<const ControlRow> rows, const CodeVariant& variant);

// "FILE:LINE: problem", with a hint at --codepage when the problem is text that the code
// page used does not read.
std::string Describe(const host::files::FileError& error);

}  // namespace tolvane::cli
