// Names and paths from VB6 files to UTF-8, shared by the designer-file and project-file
// readers. A failure is a FileError that says which code page was used and in which
// others the bytes would have read (for the caller's hint).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/files/CodePage.h"
#include "host/files/ProjectFiles.h"

namespace tolvane::host::files::detail {

// The UTF-8 text of `bytes` in `codePage` when it is a Visual Basic identifier there
// (in a double-byte code page every double-byte character counts as a letter).
std::optional<std::string> IdentifierIn(std::string_view bytes, const CodePage& codePage);

// The identifier's text, or a FileError at `label`:`line` "<what> "..." cannot be read in
// code page N" / "... is not a Visual Basic identifier".
std::string DecodeIdentifier(std::string_view bytes, std::string_view what, const CodePage& codePage,
                             const CodePages& codePages, const std::string& label, int line);

// The error for text that is not a name (a path) and does not read in `codePage`, with
// the code pages in which it does.
FileError UnreadableText(std::string_view bytes, std::string_view what, const CodePage& codePage,
                         const CodePages& codePages, const std::string& label, int line);

}  // namespace tolvane::host::files::detail
