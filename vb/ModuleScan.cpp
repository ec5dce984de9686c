#include "vb/ModuleScan.h"

#include <algorithm>
#include <functional>

#include "vb/Names.h"

namespace tolvane::vb {

ModuleError::ModuleError(std::size_t line, std::string problem)
    : std::runtime_error("line " + std::to_string(line) + ": " + problem), line_(line), problem_(std::move(problem)) {}

namespace {

using vb::SameKeyword;

struct Token {
    enum class Kind { Word, Literal, Symbol } kind;
    std::string_view text;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNameByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '_' || byte >= 0x80;
}

bool IsWord(const Token& token, std::string_view keyword) {
    return token.kind == Token::Kind::Word && SameKeyword(token.text, keyword);
}

// The end of a string literal that opens at `open`: after its closing quote ("" is a quote
// inside it), or the end of the text for one left open.
std::size_t StringEnd(std::string_view text, std::size_t open) {
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] != '"') continue;
        if (i + 1 < text.size() && text[i + 1] == '"') ++i;
        else return i + 1;
    }
    return text.size();
}

// The tokens of a logical line's code; a comment ends them (`comment` says whether one did).
// ":" between statements is a Symbol token of its own; ":=" of a named argument is not one.
std::vector<Token> Tokens(std::string_view text, bool& comment) {
    std::vector<Token> tokens;
    comment = false;
    auto atStatementStart = [&] { return tokens.empty() || tokens.back().text == ":"; };
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        std::size_t end = i + 1;
        Token::Kind kind = Token::Kind::Symbol;
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == '\'') break;
        if (c == '"') {
            end = StringEnd(text, i);
            kind = Token::Kind::Literal;
        } else if (IsNameByte(c)) {
            while (end < text.size() && IsNameByte(text[end])) ++end;
            kind = Token::Kind::Word;
            if (SameKeyword(text.substr(i, end - i), "Rem") && atStatementStart()) break;
        } else if (c == ':' && i + 1 < text.size() && text[i + 1] == '=') {
            end = i + 2;
        }
        tokens.push_back(Token{kind, text.substr(i, end - i)});
        i = end;
    }
    comment = i < text.size();
    return tokens;
}

// The length of a physical line without its continuation (" _" and blanks after it), or
// npos when it does not continue. A "_" inside a string literal continues nothing.
std::size_t ContinuedLength(std::string_view line) {
    std::size_t end = line.size();
    while (end > 0 && IsBlank(line[end - 1])) --end;
    if (end < 2 || line[end - 1] != '_' || !IsBlank(line[end - 2])) return std::string_view::npos;
    for (std::size_t i = 0; i < end - 1; ++i) {
        if (line[i] == '\'') return end - 1;  // a comment continues too
        if (line[i] == '"' && (i = StringEnd(line, i) - 1) >= end - 1) return std::string_view::npos;
    }
    return end - 1;
}

// Calls `visit(first, last, text)` for each logical line, its physical lines joined.
void ForEachLogical(std::span<const std::string> lines,
                    const std::function<void(std::size_t, std::size_t, std::string_view)>& visit) {
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::size_t first = i;
        std::string text;
        while (true) {
            const std::size_t length = ContinuedLength(lines[i]);
            if (length == std::string_view::npos || i + 1 == lines.size()) {
                text += lines[i];
                break;
            }
            text += std::string_view(lines[i]).substr(0, length);
            ++i;
        }
        visit(first, i, text);
        ++i;
    }
}

bool IsProcedureKeyword(const Token& token) {
    return IsWord(token, "Sub") || IsWord(token, "Function") || IsWord(token, "Property");
}

// "End Sub", "End Function" or "End Property" as the line's last statement.
bool EndsProcedure(const std::vector<Token>& tokens, std::size_t start, std::string& keyword) {
    std::size_t last = start;
    for (std::size_t i = start; i < tokens.size(); ++i)
        if (tokens[i].text == ":") last = i + 1;
    if (tokens.size() - last != 2 || !IsWord(tokens[last], "End") || !IsProcedureKeyword(tokens[last + 1]))
        return false;
    keyword = std::string(tokens[last + 1].text);
    return true;
}

// Fills in a Header from the statement that starts at `at`, if it is one.
bool ReadHeader(const std::vector<Token>& tokens, std::size_t at, LogicalLine& line) {
    while (at < tokens.size() && (IsWord(tokens[at], "Public") || IsWord(tokens[at], "Private") ||
                                  IsWord(tokens[at], "Friend") || IsWord(tokens[at], "Static")))
        ++at;
    if (at >= tokens.size() || !IsProcedureKeyword(tokens[at])) return false;
    line.keyword = std::string(tokens[at].text);
    if (IsWord(tokens[at], "Property")) ++at;  // Get, Let or Set
    if (at + 1 >= tokens.size() || tokens[at + 1].kind != Token::Kind::Word) return false;
    line.kind = LineKind::Header;
    line.name = std::string(tokens[at + 1].text);
    return true;
}

LogicalLine Classify(std::size_t first, std::size_t last, std::string_view text) {
    LogicalLine line;
    line.first = first;
    line.last = last;
    bool comment = false;
    const std::vector<Token> tokens = Tokens(text, comment);
    if (tokens.empty()) {
        line.kind = comment ? LineKind::Comment : LineKind::Blank;
        return line;
    }
    std::size_t at = 0;
    if (tokens[0].kind == Token::Kind::Word && tokens[0].text.find_first_not_of("0123456789") == std::string_view::npos)
        at = 1;  // a line number
    if (at < tokens.size() && tokens[at].text == "#" && at + 1 < tokens.size()) {
        const Token& word = tokens[at + 1];
        if (IsWord(word, "If") || IsWord(word, "ElseIf") || IsWord(word, "Else") || IsWord(word, "End") ||
            IsWord(word, "Const")) {
            line.kind = LineKind::Directive;
            line.nesting = IsWord(word, "If") ? 1 : IsWord(word, "End") ? -1 : 0;
            return line;
        }
    }
    if (at < tokens.size() && IsWord(tokens[at], "Attribute")) {
        line.kind = LineKind::Attribute;
        return line;
    }
    std::string endKeyword;
    line.closes = EndsProcedure(tokens, at, endKeyword);
    if (ReadHeader(tokens, at, line)) return line;
    line.kind = line.closes ? LineKind::End : LineKind::Statement;
    if (line.closes) line.keyword = endKeyword;
    return line;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<LogicalLine> LogicalLines(std::span<const std::string> lines) {
    std::vector<LogicalLine> logical;
    ForEachLogical(lines, [&](std::size_t first, std::size_t last, std::string_view text) {
        logical.push_back(Classify(first, last, text));
    });
    return logical;
}

namespace {

std::string Describe(const LogicalLine& header) { return header.keyword + " " + header.name; }

// The physical line after the header and the Attribute lines right under it.
std::size_t BodyStart(const std::vector<LogicalLine>& lines, std::size_t header) {
    std::size_t next = header + 1;
    while (next < lines.size() && lines[next].kind == LineKind::Attribute) ++next;
    return lines[next - 1].last + 1;
}

}  // namespace

Outline OutlineOf(std::span<const std::string> physical, std::size_t firstLine) {
    Outline outline;
    outline.lines = LogicalLines(physical);
    const auto& lines = outline.lines;
    const LogicalLine* open = nullptr;  // the header of the procedure being read
    std::size_t openIndex = 0;
    auto where = [&](const LogicalLine& line) { return " (line " + std::to_string(line.first + firstLine) + ")"; };
    bool inDeclarations = true;
    int depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LogicalLine& line = lines[i];
        if (line.kind == LineKind::Header) {
            if (open)
                throw ModuleError(line.first + firstLine, Describe(line) + " begins inside " + Describe(*open) +
                                                              where(*open) + ", before its End " + open->keyword);
            inDeclarations = false;
            open = &line;
            openIndex = i;
        } else if (line.kind == LineKind::End) {
            if (!open) throw ModuleError(line.first + firstLine, "End " + line.keyword + " outside any procedure");
            if (!SameKeyword(line.keyword, open->keyword))
                throw ModuleError(line.first + firstLine,
                                  "End " + line.keyword + " closes " + Describe(*open) + where(*open));
        } else if (inDeclarations && line.kind != LineKind::Blank && line.kind != LineKind::Comment) {
            depth = std::max(0, depth + line.nesting);
            if (depth == 0) outline.declarationsEnd = line.last + 1;
        }
        if (open && line.closes) {
            outline.procedures.push_back(Procedure{openIndex, i, open->keyword, open->name, BodyStart(lines, openIndex)});
            open = nullptr;
        }
    }
    if (open) throw ModuleError(open->first + firstLine, Describe(*open) + " has no End " + open->keyword);
    return outline;
}

std::size_t FindExitSub(std::span<const std::string> lines) {
    std::size_t found = lines.size();
    ForEachLogical(lines, [&](std::size_t first, std::size_t, std::string_view text) {
        bool comment = false;
        const std::vector<Token> tokens = Tokens(text, comment);
        for (std::size_t i = 0; i + 1 < tokens.size() && found == lines.size(); ++i)
            if (IsWord(tokens[i], "Exit") && IsWord(tokens[i + 1], "Sub")) found = first;
    });
    return found;
}

std::vector<std::string> SplitModuleText(std::string_view text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            lines.back() += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.emplace_back();
    }
    return lines;
}

}  // namespace tolvane::vb
