#include "host/files/CodeSection.h"

#include <algorithm>

#include "host/files/DesignerStructure.h"
#include "host/files/Lexing.h"
#include "host/files/Text.h"

namespace tolvane::host::files {
namespace {

// The line end at `at` (CR LF, LF or CR), or "" when there is none.
std::string_view EndAt(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) return {};
    if (bytes[at] == '\r') return bytes.substr(at, at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1);
    return bytes.substr(at, 1);
}

bool EndsLine(std::string_view text) { return !text.empty() && (text.back() == '\n' || text.back() == '\r'); }

// A line as UTF-8 text; one that does not read in the code page keeps its ASCII.
std::string LineText(const std::string& bytes, const CodePage& codePage) {
    if (auto text = codePage.ToUtf8(bytes)) return *std::move(text);
    std::string text;
    for (const char byte : bytes) text += static_cast<unsigned char>(byte) < 0x80 ? std::string(1, byte) : "\xEF\xBF\xBD";
    return text;
}

}  // namespace

CodeSection SplitCodeSection(std::string_view bytes, const std::string& label) {
    detail::DesignerStructure structure;
    detail::ReadDesignerStructure(bytes, label, structure);
    CodeSection section;
    section.head = std::string(bytes.substr(0, structure.codeOffset));
    section.firstLine = structure.codeLine;
    if (const auto first = bytes.find_first_of("\r\n"); first != std::string_view::npos)
        section.lineEnd = std::string(EndAt(bytes, first));
    SplitLines(bytes.substr(structure.codeOffset), section.lines, section.ends);
    return section;
}

void SplitLines(std::string_view bytes, std::vector<std::string>& lines, std::vector<std::string>& ends) {
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
        const std::string_view lineEnd = EndAt(bytes, end);
        lines.emplace_back(bytes.substr(0, end));
        ends.emplace_back(lineEnd);
        bytes.remove_prefix(end + lineEnd.size());
    }
}

std::string ReadWholeFile(const std::filesystem::path& file, const std::string& label) {
    return detail::ReadFileBytes(file, label);
}

std::string JoinCodeSection(const CodeSection& section, const std::vector<std::string>& lines,
                            const std::vector<std::string>& ends) {
    const bool finalEnd = section.lines.empty() ? EndsLine(section.head) || section.head.empty()
                                                : !section.ends.back().empty();
    std::string head = section.head;
    if (lines.empty() && !finalEnd && EndsLine(head)) {
        if (head.back() == '\n') head.pop_back();
        if (!head.empty() && head.back() == '\r') head.pop_back();  // CR, or the CR of CR LF
    }
    if (!lines.empty() && !head.empty() && !EndsLine(head)) head += section.lineEnd;
    std::string bytes = head;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i];
        if (i + 1 == lines.size() && !finalEnd) break;
        bytes += ends[i].empty() ? section.lineEnd : ends[i];
    }
    return bytes;
}

void ReadCodeModules(ProjectRead& read, const CodePages& codePages) {
    for (const ComponentFile& file : read.files) {
        const std::string label = DisplayPath(file.file.lexically_normal());
        const CodeSection section = SplitCodeSection(ReadWholeFile(file.file, label), label);
        const CodePage& codePage = codePages.Get(codePages.Forced().value_or(file.codePage));
        for (auto& component : read.project.components) {
            if (component.name != file.name) continue;
            component.code.clear();
            for (const std::string& line : section.lines) component.code.push_back(LineText(line, codePage));
        }
    }
}

}  // namespace tolvane::host::files
