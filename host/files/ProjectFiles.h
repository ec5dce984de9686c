// A VB6 project read from disk (a .vbp with its designer files, or one lone .frm) and
// served through the host interface by the in-memory host.
//
// A project opens as the IDE opens it: a component whose file is missing, ambiguous (two
// files match its path only ignoring letter case), unreadable or not what VB writes is left
// out and reported beside the project (ProjectRead::leftOut); the caller decides whether the
// component it needs is among them. The .vbp itself, or a
// lone designer file, is read whole or refused with a FileError naming the file and line.
// A designer file is strict in the same way: anything VB6 does not write (another format
// behind a VB6 extension, an unterminated block, a malformed line, a name that is no VB
// identifier, an index outside 0..32767) refuses the whole file. Names are the only text
// taken from the files into generated code, so a file is read whole or not at all.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/CodePage.h"
#include "host/memory/MemoryHost.h"

namespace tolvane::host::files {

// A problem in an input file. what() is "FILE:LINE: problem", or "FILE: problem" when it
// concerns the file as a whole, on one line.
class FileError : public std::runtime_error {
public:
    FileError(std::string file, int line, std::string problem);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }  // 1-based; 0 for the whole file
    const std::string& Problem() const { return problem_; }

    // For a name or path that does not read as text (or as a name) in the code page used:
    // that code page, and the code pages among CharsetCodePages() in which it would.
    // CodePage() is 0 for every other problem.
    int CodePage() const { return codePage_; }
    const std::vector<int>& ReadableIn() const { return readableIn_; }
    FileError& WithCodePages(int used, std::vector<int> readableIn);

private:
    std::string file_;
    int line_;
    std::string problem_;
    int codePage_ = 0;
    std::vector<int> readableIn_;
};

// The designer part of a .frm/.ctl/.pag/.dob/.dsr file.
struct DesignerFile {
    std::string rootClass;  // "VB.Form", "VB.MDIForm", "VB.UserControl", "{GUID}" ...
    std::string rootName;   // the name on the root Begin line
    std::string name;       // Attribute VB_Name, or the root name when there is none
    int rootLine = 0;       // line of the root Begin
    int codePage = 0;       // the code page its names were read in
    std::vector<memory::ControlData> controls;  // top-level controls in file order
    // The root's geometry and frame properties (see kKeptProperties), as for each control.
    std::map<std::string, PropertyValue> properties;
    // The root's OleObjectBlob value as written ("Name.frx":0000): where an exported
    // UserForm keeps its controls (UserForms.h). Empty for VB6's own designers.
    std::string oleObjectBlob;
};

// Properties kept from the designer blocks, besides Name and Index, for a picture of the
// form: a number's text as written; the root's Caption as text (read in the names' code
// page; left out when it does not read). Values inside BeginProperty blocks belong to
// property objects and are not kept.
inline constexpr std::string_view kKeptProperties[] = {
    "Left", "Top", "Width", "Height", "ClientWidth", "ClientHeight", "BorderStyle", "Appearance", "Caption",
    "ControlBox", "ScaleMode", "ScaleWidth", "ScaleHeight", "ScaleLeft", "ScaleTop", "Visible", "MDIChild"};

// Parses the designer block of a designer file's bytes; `fileLabel` names the file in
// errors. Names are read in the forced code page, else in the one the first font Charset
// with a code page of its own names (CodePageOfCharset), else in `fallback`. Stops after
// the attribute lines that follow the root block: the code is not read.
DesignerFile ParseDesigner(std::string_view bytes, const std::string& fileLabel, const CodePages& codePages = {},
                           int fallback = kDefaultCodePage);

// A component the project lists that could not be read; the project opens without it.
struct LeftOutComponent {
    std::string name;  // the component's name when its file told it before the problem, else ""
    FileError reason;  // the .vbp line for a file not found, else the place in the file
};

// A component read from a designer file, for a command that writes to the file.
struct ComponentFile {
    std::string name;
    std::int32_t type = 0;
    std::filesystem::path file;
    int codePage = 0;  // the one its names were read in
};

struct ProjectRead {
    memory::ProjectData project;
    std::vector<LeftOutComponent> leftOut;  // in project order
    std::vector<ComponentFile> files;       // the components read from designer files, in project order
};

// Reads a project: a .vbp, or a lone designer file (.frm, .ctl, .pag, .dob, .dsr) as a
// project of that one component. A lone .frm exported from the Office VBA editor (a
// UserForm) is a component of type MSForm whose controls come from its .frx, in points
// (UserForms.h); in a .vbp it is left out, as VB6 does not open it. Components keep the project's order and the IDE's type
// numbers; forms, MDI forms, user controls, property pages and user documents have form
// designers whose controls are in file order, each container before its contents.
//
// Unless a code page is forced, each designer file is read in the code page its fonts
// declare; one that declares none, and the .vbp's own paths and names, in the project's:
// the first declared by one of its designer files, else 1252. When none has been declared
// by the time a path that is not ASCII comes up, the path is read in 1252 and then in each
// of CharsetCodePages(), and the first code page in which it names a file is the project's.
ProjectRead ReadProject(const std::filesystem::path& file, const CodePages& codePages = {});

// ReadProject served by an in-memory host with every control in VBControls, as the IDE
// returns them, and an empty Add-Ins menu.
struct OpenedProject {
    std::shared_ptr<memory::MemoryHost> host;
    std::vector<LeftOutComponent> leftOut;
};
OpenedProject OpenProject(const std::filesystem::path& file, const CodePages& codePages = {});

// Files larger than this are not VB6 files; refusing them keeps a wrong path from
// loading gigabytes.
inline constexpr std::uintmax_t kMaxFileBytes = 64u * 1024 * 1024;

// What all the designer files of one project may hold together (the largest real projects
// hold a few megabytes); the files beyond are left out with a warning.
inline constexpr std::uintmax_t kMaxProjectBytes = 512u * 1024 * 1024;

// Windows' longest path; a longer one, on the command line or in a .vbp, is refused.
inline constexpr std::size_t kMaxPathLength = 32767;

// Nesting deeper than this is refused (the deepest seen in real projects is 8).
inline constexpr int kMaxNesting = 64;

}  // namespace tolvane::host::files
