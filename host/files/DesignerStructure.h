// The two steps of reading a designer file. The structure is read first, with names kept
// as the file's bytes, because the code page they are written in is known only from the
// fonts (which may come after the first names) or, for a file that declares none, from the
// rest of the project.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/CodePage.h"
#include "host/files/ProjectFiles.h"

namespace tolvane::host::files::detail {

struct DesignerStructure {
    std::string rootClass;  // bytes as in the file
    std::string rootName;
    int rootLine = 0;
    std::string vbName;  // Attribute VB_Name's bytes, or empty
    int vbNameLine = 0;
    std::vector<memory::ControlData> controls;  // names and classes as in the file
    std::vector<int> beginLines;                // each control's Begin line, in file order
    int declaredCodePage = 0;                   // of the first font Charset that has one, else 0
    std::map<std::string, PropertyValue> rootProperties;  // kKeptProperties; the Caption's bytes
    std::string rootBlob;  // the root's OleObjectBlob value as written (a UserForm's .frx and offset)
    // Where the code module starts: after the root's End and the Attribute lines under it.
    std::size_t codeOffset = 0;
    int codeLine = 0;  // its first line's number
};

// Reads the designer block of `bytes` into `out`. On a FileError, `out` keeps what was read
// before it (the root's name, to name the component that is left out).
void ReadDesignerStructure(std::string_view bytes, const std::string& label, DesignerStructure& out);

// The code page the structure's names are read in: the forced one, else the declared one,
// else `fallback`.
int NameCodePage(const DesignerStructure& structure, const CodePages& codePages, int fallback);

// Decodes and checks every name in the code page, and refuses two controls with one reference.
DesignerFile DecodeDesigner(DesignerStructure&& structure, const std::string& label, int codePage,
                            const CodePages& codePages);

}  // namespace tolvane::host::files::detail
