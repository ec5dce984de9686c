// A form's file as quenlow apply reads and writes it: its code module as lines of the file's
// own bytes, text put into it in the file's code page, and its bytes after an edit.
#pragma once

#include <ostream>
#include <string>

#include "host/files/CodePage.h"
#include "host/files/CodeSection.h"
#include "host/files/ProjectFiles.h"
#include "host/files/SafeWrite.h"
#include "model/ModuleBlocks.h"

namespace tolvane::cli {

class FormFile {
public:
    // Reads the file of a component of a project read.
    explicit FormFile(const host::files::ComponentFile& component);

    const std::string& Label() const { return label_; }
    const std::filesystem::path& Path() const { return component_.file; }
    const std::string& Bytes() const { return bytes_; }
    host::files::FileStamp Stamp() const { return host::files::StampOf(bytes_); }
    const std::vector<std::string>& Lines() const { return section_.lines; }
    std::size_t FirstLine() const { return static_cast<std::size_t>(section_.firstLine); }  // the file's number of Lines()[0]
    // Where our Load and Resize lines go: a UserForm's events, or a VB6 form's.
    blocks::EventProcedures Events() const {
        return EventProceduresOf(component_.type == host::MSForm ? CodeTarget::kUserForm : CodeTarget::kVb6Form);
    }

    // A problem at a line of the code module (0-based), or a ModuleError for FirstLine().
    host::files::FileError Error(std::size_t moduleLine, const std::string& problem) const;
    host::files::FileError Error(const blocks::ModuleError& error) const;

    // UTF-8 text in the file's code page; a FileError for a character it has not.
    std::string Encode(const std::string& utf8) const;
    // The file's bytes as UTF-8 text; nothing when they do not read in its code page.
    std::optional<std::string> Decode(const std::string& bytes) const;

    // The file's bytes with the edit made to its code module.
    std::string After(const blocks::Edit& edit) const;

    // The edit as a unified diff of the whole file, its lines shown as UTF-8 text.
    void WriteDiff(std::ostream& out, const blocks::Edit& edit) const;

private:
    host::files::ComponentFile component_;
    std::string label_;
    std::string bytes_;
    host::files::CodeSection section_;
    host::files::CodePage codePage_;
};

}  // namespace tolvane::cli
