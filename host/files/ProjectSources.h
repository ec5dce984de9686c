// Projects that are no .vbp (see ProjectSources.cpp); ReadProject chooses by the path.
#pragma once

#include <filesystem>

#include "host/files/ProjectFiles.h"

namespace tolvane::host::files {

// More form files than this in one folder are refused: a wrong folder must not read for ever.
inline constexpr std::size_t kMaxFolderForms = 4096;

// A workbook, add-in, document, template or presentation (with macros, or without: then it
// holds no UserForm), or a vbaProject.bin.
bool IsOfficeDocument(const std::filesystem::path& file);

// Every .frm of a folder (VB6 forms and exported UserForms), by file name.
ProjectRead ReadFolder(const std::filesystem::path& folder, const CodePages& codePages);

// The UserForms of an Office document; nothing is ever written to it.
ProjectRead ReadDocument(const std::filesystem::path& document, const CodePages& codePages);

namespace detail {
// A lone .frm, as ReadProject reads one (ProjectFile.cpp).
ProjectRead ReadLoneForm(const std::filesystem::path& file, const CodePages& codePages);
}  // namespace detail

}  // namespace tolvane::host::files
