// A VB6 project read from disk (a .vbp with its designer files, or one lone .frm) and
// served through the host interface by the in-memory host.
//
// Reading is strict: anything that is not what VB6 writes (another format behind a VB6
// extension, an unterminated block, a malformed line, a name that is no VB identifier, an
// index outside 0..32767, a missing file) stops the read with a FileError naming the file
// and line. Names are the only text taken from the files into generated code, so a file
// is either read whole or not at all.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/files/CodePage.h"
#include "host/memory/MemoryHost.h"

namespace tolvane::host::files {

// A problem in an input file. what() is "FILE:LINE: problem", or "FILE: problem" when it
// concerns the file as a whole.
class FileError : public std::runtime_error {
public:
    FileError(std::string file, int line, std::string problem);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }  // 1-based; 0 for the whole file
    const std::string& Problem() const { return problem_; }

private:
    std::string file_;
    int line_;
    std::string problem_;
};

// The designer part of a .frm/.ctl/.pag/.dob/.dsr file.
struct DesignerFile {
    std::string rootClass;  // "VB.Form", "VB.MDIForm", "VB.UserControl", "{GUID}" ...
    std::string rootName;   // the name on the root Begin line
    std::string name;       // Attribute VB_Name, or the root name when there is none
    int rootLine = 0;       // line of the root Begin
    std::vector<memory::ControlSpec> controls;  // top-level controls in file order
};

// Parses the designer block of a designer file's bytes; `fileLabel` names the file in errors.
// Stops after the attribute lines that follow the root block: the code is not read.
DesignerFile ParseDesigner(std::string_view bytes, const std::string& fileLabel, const CodePage& codePage);

// Reads a project: a .vbp, or a lone designer file (.frm, .ctl, .pag, .dob, .dsr) as a
// project of that one component. Components keep the project's order and the IDE's type
// numbers; forms, MDI forms, user controls, property pages and user documents have form
// designers whose controls are in file order, each container before its contents.
memory::ProjectSpec ReadProject(const std::filesystem::path& file, const CodePage& codePage);

// ReadProject served by an in-memory host with every control in VBControls, as the IDE
// returns them, and an empty Add-Ins menu.
std::shared_ptr<memory::MemoryHost> OpenProject(const std::filesystem::path& file, const CodePage& codePage);

// Files larger than this are not VB6 files; refusing them keeps a wrong path from
// loading gigabytes.
inline constexpr std::uintmax_t kMaxFileBytes = 64u * 1024 * 1024;

// Nesting deeper than this is refused (the deepest seen in real projects is 8).
inline constexpr int kMaxNesting = 64;

}  // namespace tolvane::host::files
