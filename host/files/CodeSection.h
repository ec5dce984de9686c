// The code module of a designer file, split off its designer block as the lines of its own
// bytes, each with its own line end: for a command that rewrites some lines and keeps every
// other byte of the file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/CodePage.h"
#include "host/files/ProjectFiles.h"

namespace tolvane::host::files {

struct CodeSection {
    std::string head;                // the designer block and the Attribute lines under it, as read
    std::vector<std::string> lines;  // the code module's lines, without their ends
    std::vector<std::string> ends;   // each line's end: "\r\n", "\n", "\r", or "" for a last line without one
    int firstLine = 1;               // the file's number for lines[0]
    std::string lineEnd = "\r\n";    // for new lines: the file's first line end, CR LF when it has none
};

// A file's bytes, read as the project reader reads its files (regular files only, at most
// kMaxFileBytes), or a FileError naming `label`.
std::string ReadWholeFile(const std::filesystem::path& file, const std::string& label);

// Throws FileError, as ParseDesigner does, for a file that is not a designer file.
CodeSection SplitCodeSection(std::string_view bytes, const std::string& label);

// Appends each line of `bytes` to `lines` and its end (CR LF, LF, CR, or "" for a last line
// without one) to `ends`.
void SplitLines(std::string_view bytes, std::vector<std::string>& lines, std::vector<std::string>& ends);

// The file's bytes with `lines` as its code module, `ends[i]` the end of a line kept from
// `section` and "" for a new one. Each line but the last ends in its own end or the file's;
// the file ends with a line end only if it did (so a module emptied again is as it was).
std::string JoinCodeSection(const CodeSection& section, const std::vector<std::string>& lines,
                            const std::vector<std::string>& ends);

// Gives each component that `read` took from a designer file its code module, as the IDE's
// CodeModule serves it: the lines under the Attribute lines, as UTF-8 in the file's code page
// (a byte that does not read there becomes U+FFFD). Throws FileError for a file that no
// longer reads.
void ReadCodeModules(ProjectRead& read, const CodePages& codePages = {});

}  // namespace tolvane::host::files
