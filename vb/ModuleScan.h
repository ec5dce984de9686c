// A Visual Basic code module read as statements, enough to find its declarations section and
// its procedures: physical lines joined at " _" continuations, strings and comments
// skipped, keywords in any letter case. It works on the module's own bytes in any
// ANSI code page or UTF-8: every byte from 0x80 up counts as part of a name, so a double-byte
// character whose second byte looks like a letter or "_" never makes a keyword or a
// continuation.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::vb {

// A module we refuse to change: the line and what is wrong. Lines are numbered in messages
// from the number given for the first (1 in the IDE; further down in a .frm file).
class ModuleError : public std::runtime_error {
public:
    ModuleError(std::size_t line, std::string problem);
    std::size_t Line() const { return line_; }
    const std::string& Problem() const { return problem_; }

private:
    std::size_t line_;
    std::string problem_;
};

enum class LineKind {
    Blank,
    Comment,    // a comment and nothing else
    Header,     // Sub, Function or Property, with any of Public, Private, Friend, Static
    End,        // End Sub, End Function, End Property
    Directive,  // #If, #ElseIf, #Else, #End If, #Const
    Attribute,  // Attribute lines the IDE hides
    Statement,
};

// One logical line: physical lines first..last joined at their continuations.
struct LogicalLine {
    std::size_t first = 0, last = 0;
    LineKind kind = LineKind::Blank;
    std::string keyword;   // Header and End: "Sub", "Function" or "Property"
    std::string name;      // Header: the procedure's name as written
    bool closes = false;   // its last statement is End Sub, End Function or End Property
    int nesting = 0;       // Directive: +1 for #If, -1 for #End If, else 0
};

std::vector<LogicalLine> LogicalLines(std::span<const std::string> lines);

struct Procedure {
    std::size_t header = 0;   // index of its Header in the logical lines
    std::size_t end = 0;      // index of its End
    std::string keyword, name;
    std::size_t bodyStart = 0;  // physical line after the header and the attributes under it
};

// The module's procedures in order, and where its declarations section ends: the physical
// line after its last statement outside any #If block, before the first procedure (comments
// and blank lines above a procedure are the procedure's). Throws ModuleError for a procedure
// without its End, or an End without its procedure.
struct Outline {
    std::vector<LogicalLine> lines;
    std::vector<Procedure> procedures;
    std::size_t declarationsEnd = 0;
};
Outline OutlineOf(std::span<const std::string> lines, std::size_t firstLine = 1);

// The text without the blanks (spaces, tabs) around it.
std::string_view TrimBlanks(std::string_view text);

// The lines of a module's text as the IDE splits it (CodeModule.Lines and InsertLines): at
// CR LF, LF or CR, so that a text ending in a line end ends in an empty line.
std::vector<std::string> SplitModuleText(std::string_view text);

// The first physical line (0-based) holding an "Exit Sub" statement, or lines.size().
std::size_t FindExitSub(std::span<const std::string> lines);

}  // namespace tolvane::vb
