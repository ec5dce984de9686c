// The quenlow commands that read a project or generate code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/files/ProjectFiles.h"

namespace tolvane::cli {

// Each takes the whole argument list (args[0] is the command's name), writes its result
// to `out` and warnings to `err`; throws UsageError or another exception on failure.
int RunForms(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunControls(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "FILE:LINE: problem", with a hint at --codepage when the problem is text that the code
// page used does not read.
std::string Describe(const host::files::FileError& error);

}  // namespace tolvane::cli
