// The UserForms of an Office document's VBA project ([MS-OVBA]). The project is the
// compound file vbaProject.bin inside a zip document (xl/, word/ or ppt/), or a storage of
// an older binary document (_VBA_PROJECT_CUR in Excel's, Macros in Word's), or a
// vbaProject.bin on its own. Its text stream "PROJECT" names each designer module in a
// "BaseClass=Name" line; the designer's storage, named after the module, holds the form.
// Nothing is ever written.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/office/UserForm.h"

namespace tolvane::office {

// Decodes the PROJECT stream's module names, which are in the project's ANSI code page;
// nothing when the bytes do not read in it.
using ProjectTextDecoder = std::function<std::optional<std::string>(std::string_view)>;

// The UserForms of the document whose bytes these are, in the order PROJECT lists them; an
// empty list for a document without a VBA project. `label` names the document in errors.
std::vector<UserFormRead> ReadDocumentUserForms(std::string bytes, const std::string& label,
                                                const ProjectTextDecoder& decode);

}  // namespace tolvane::office
