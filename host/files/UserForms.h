// UserForms of the Office VBA editor, read from disk: an exported module (.frm with its
// .frx beside it) or every UserForm of a workbook, document or presentation (.xlsm, .xlam,
// .docm, .dotm, .pptm, ...; .xls, .xla, .doc, .dot; a vbaProject.bin). The forms binary is
// read by host/files/office; this layer finds the files, checks the names and serves the
// forms in the in-memory host's shape.
//
// Units: every position and size of a UserForm is in points (1/72 inch), as VBA's own
// properties are (Left, Top, Width, Height, InsideWidth, InsideHeight), rounded to 0.01.
// VB6 forms keep twips; a consumer tells them apart by the component type (MSForm = 3).
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "host/files/CodePage.h"
#include "host/files/ProjectFiles.h"
#include "host/files/office/UserForm.h"

namespace tolvane::host::files {

using office::UserFormControl;
using office::UserFormRead;

// The class on the root Begin line of an exported UserForm (the forms designer's CLSID).
inline constexpr std::string_view kUserFormClass = "{C62A69F0-16DC-11CE-9E98-00AA00574A4F}";
bool IsUserFormClass(std::string_view rootClass);

// Reads an exported UserForm: the .frm's header (name, caption) and its controls from the
// .frx that its OleObjectBlob names, beside it. Refuses with a FileError (the .frm or the
// .frx named, with the stream and offset for a malformed .frx): a .frm of another designer,
// a missing or malformed .frx, a control name that is no Visual Basic identifier or is used
// twice in the form.
UserFormRead ReadExportedUserForm(const std::filesystem::path& frm, const CodePages& codePages = {});
// The same for a .frm already parsed (ParseDesigner) from `frm`.
UserFormRead ReadExportedUserForm(const std::filesystem::path& frm, const DesignerFile& designer,
                                  const CodePages& codePages = {});

// The UserForms of an Office document, in its project's order; empty when it has no VBA
// project. PROJECT's module names are read in the forced code page, else Windows-1252.
std::vector<UserFormRead> ReadDocumentUserForms(const std::filesystem::path& document, const CodePages& codePages = {});

// The form as the in-memory host serves components: type MSForm (3), controls as trees
// (className "MSForms.CommandButton", ...), each with Left, Top, Width and Height in points
// as decimal text ("12.75"); a Page with InsideWidth and InsideHeight instead; a control of
// another class with Left and Top only. The form's properties: Caption, InsideWidth and
// InsideHeight (points).
memory::ComponentData UserFormComponent(const UserFormRead& form);

// Points as property text: at most two decimals, no trailing zeros ("12.75", "30", "-0.5").
std::string PointsText(double points);

}  // namespace tolvane::host::files
