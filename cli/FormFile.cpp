#include "cli/FormFile.h"

#include "cli/UnifiedDiff.h"
#include "host/files/Text.h"
#include "vb/Names.h"

namespace tolvane::cli {

namespace files = host::files;

FormFile::FormFile(const files::ComponentFile& component)
    : component_(component),
      label_(files::DisplayPath(component.file.lexically_normal())),
      bytes_(files::ReadWholeFile(component.file, label_)),
      section_(files::SplitCodeSection(bytes_, label_)),
      codePage_(component.codePage) {}

files::FileError FormFile::Error(std::size_t moduleLine, const std::string& problem) const {
    return files::FileError(label_, section_.firstLine + static_cast<int>(moduleLine), problem);
}

files::FileError FormFile::Error(const blocks::ModuleError& error) const {
    return files::FileError(label_, static_cast<int>(error.Line()), error.Problem());
}

std::string FormFile::Encode(const std::string& utf8) const {
    if (auto bytes = codePage_.FromUtf8(utf8)) return *bytes;
    throw files::FileError(label_, 0, "\"" + vb::PrintablePrefix(utf8) + "\" cannot be written in code page " +
                                          std::to_string(codePage_.Number()) + ", the file's");
}

std::optional<std::string> FormFile::Decode(const std::string& bytes) const { return codePage_.ToUtf8(bytes); }

std::string FormFile::After(const blocks::Edit& edit) const {
    blocks::Edit ends = edit;  // new lines take the file's line end
    for (auto& change : ends)
        for (auto& line : change.inserted) line.clear();
    return files::JoinCodeSection(section_, blocks::ApplyEdit(section_.lines, edit),
                                  blocks::ApplyEdit(section_.ends, ends));
}

void FormFile::WriteDiff(std::ostream& out, const blocks::Edit& edit) const {
    auto show = [&](const std::string& bytes) { return Decode(bytes).value_or(vb::Printable(bytes)); };
    std::vector<std::string> lines, ends;
    files::SplitLines(section_.head, lines, ends);
    const std::size_t headLines = lines.size();
    for (const std::string& line : section_.lines) lines.push_back(line);
    for (std::string& line : lines) line = show(line);
    blocks::Edit shifted = edit;
    for (auto& change : shifted) change.first += headLines;
    const bool finalEnd = !bytes_.empty() && (bytes_.back() == '\n' || bytes_.back() == '\r');
    WriteUnifiedDiff(out, label_, lines, shifted, show, finalEnd);
}

}  // namespace tolvane::cli
