// The designer block of a .frm/.ctl/.pag/.dob/.dsr file: nesting by Begin/End only,
// property blocks skipped whole, Name from the Begin line, Index from the control's own
// level. Every property value but Index is skipped unread: a line's meaning never depends
// on its value, since values never span lines.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <system_error>
#include <vector>

#include "host/files/Lexing.h"
#include "host/files/ProjectFiles.h"
#include "host/files/Text.h"
#include "vb/Names.h"

namespace tolvane::host::files {

using vb::FoldCase;
using vb::IsVbIdentifier;
using vb::Printable;

FileError::FileError(std::string file, int line, std::string problem)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem),
      file_(std::move(file)),
      line_(line),
      problem_(std::move(problem)) {}

namespace detail {

std::string ReadFileBytes(const std::filesystem::path& file, const std::string& label) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (error || !std::filesystem::exists(status)) throw FileError(label, 0, "file not found");
    if (std::filesystem::is_directory(status)) throw FileError(label, 0, "is a folder, not a file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw FileError(label, 0, "cannot be opened");
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxFileBytes)
            throw FileError(label, 0, "larger than " + std::to_string(kMaxFileBytes / (1024 * 1024)) +
                                          " MB: not a Visual Basic file");
    }
    if (in.bad()) throw FileError(label, 0, "read error");
    return bytes;
}

}  // namespace detail

namespace {

using detail::KeywordIs;
using detail::Quote;
using detail::Trim;

enum class LineKind { Blank, Property, Begin, BeginProperty, EndProperty, End, Other };

struct Classified {
    LineKind kind = LineKind::Blank;
    std::string_view name;   // property name, or the keyword
    std::string_view value;  // after "=" for a property, after the keyword otherwise
};

// Classifies a trimmed line by its first token, never by what its value holds
// (captions such as "End Program" or "'" must not change a line's meaning).
Classified Classify(std::string_view line) {
    Classified result;
    if (line.empty()) return result;
    std::size_t tokenEnd = 0;
    while (tokenEnd < line.size() && !detail::IsBlank(line[tokenEnd]) && line[tokenEnd] != '=') ++tokenEnd;
    const std::string_view token = line.substr(0, tokenEnd);
    const std::string_view after = Trim(line.substr(tokenEnd));
    result.name = token;
    if (!after.empty() && after.front() == '=') {
        result.kind = token.empty() ? LineKind::Other : LineKind::Property;
        result.value = Trim(after.substr(1));
        return result;
    }
    result.value = after;
    if (KeywordIs(token, "Begin")) result.kind = LineKind::Begin;
    else if (KeywordIs(token, "BeginProperty")) result.kind = LineKind::BeginProperty;
    else if (KeywordIs(token, "EndProperty") && after.empty()) result.kind = LineKind::EndProperty;
    else if (KeywordIs(token, "End") && after.empty()) result.kind = LineKind::End;
    else result.kind = LineKind::Other;
    return result;
}

// Splits at blanks.
std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && detail::IsBlank(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !detail::IsBlank(text[pos])) ++pos;
        if (pos > start) words.push_back(text.substr(start, pos - start));
    }
    return words;
}

bool IsVersionLine(const Classified& line) {
    if (line.kind != LineKind::Other || !KeywordIs(line.name, "VERSION")) return false;
    const std::string_view number = line.value;
    const std::size_t dot = number.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == number.size()) return false;
    for (std::size_t i = 0; i < number.size(); ++i)
        if (i != dot && !(number[i] >= '0' && number[i] <= '9')) return false;
    return true;
}

class DesignerParser {
public:
    DesignerParser(std::string_view bytes, const std::string& label, const CodePage& codePage)
        : lines_(bytes), label_(label), codePage_(codePage) {}

    DesignerFile Parse() {
        DesignerFile file;
        ReadHeader(file);
        ReadBlocks(file);
        ReadAttributes(file);
        return file;
    }

private:
    struct OpenBlock {
        memory::ControlSpec control;
        int line = 0;
        bool indexSeen = false;
    };
    struct OpenProperty {
        std::string_view name;
        int line = 0;
    };
    // Where each name of the form was defined, to refuse two controls with one reference.
    struct NameUse {
        int singleLine = 0;                 // line of the control without Index, or 0
        std::map<std::int32_t, int> array;  // index -> line
    };

    [[noreturn]] void Fail(int line, const std::string& problem) const { throw FileError(label_, line, problem); }
    [[noreturn]] void Fail(const std::string& problem) const { Fail(lines_.Number(), problem); }

    // The next line, trimmed and classified; false at the end of the file.
    bool NextLine(Classified& line) {
        std::string_view raw;
        if (!lines_.Next(raw)) return false;
        if (raw.find('\0') != std::string_view::npos)
            Fail("binary data (a NUL byte): not a Visual Basic designer file");
        line = Classify(Trim(raw));
        return true;
    }

    std::string DecodeName(std::string_view bytes, const char* what) const {
        auto text = codePage_.ToUtf8(bytes);
        if (!text)
            Fail(std::string(what) + " " + Quote(Printable(bytes)) + " cannot be read in code page " +
                 std::to_string(codePage_.Number()) + " (see --codepage)");
        if (!IsVbIdentifier(*text))
            Fail(std::string(what) + " " + Quote(Printable(*text)) + " is not a Visual Basic identifier");
        return *text;
    }

    // Class ids are informative only; text the code page cannot read is kept escaped.
    std::string DecodeClass(std::string_view bytes) const {
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0x20 && c < 0x7F; })) return std::string(bytes);
        auto text = codePage_.ToUtf8(bytes);
        return text ? Printable(*text) : Printable(bytes);
    }

    void ReadHeader(DesignerFile& file) {
        Classified line;
        bool versionSeen = false;
        while (NextLine(line)) {
            if (line.kind == LineKind::Blank) continue;
            if (!versionSeen) {
                if (!IsVersionLine(line))
                    Fail("not a Visual Basic designer file (the first line is not \"VERSION 5.00\")");
                versionSeen = true;
                continue;
            }
            if (line.kind == LineKind::Property && KeywordIs(line.name, "Object")) continue;
            if (line.kind != LineKind::Begin)
                Fail("expected the Begin line of the designer's block after the VERSION and Object lines");
            const auto words = Words(line.value);
            if (words.size() != 2) Fail("malformed Begin line (expected \"Begin Library.Class Name\")");
            file.rootClass = DecodeClass(words[0]);
            file.rootName = DecodeName(words[1], "form name");
            file.rootLine = lines_.Number();
            return;
        }
        if (!versionSeen) Fail(0, "empty file: not a Visual Basic designer file");
        Fail(0, "no Begin line: not a Visual Basic designer file");
    }

    void ReadBlocks(DesignerFile& file) {
        std::vector<OpenBlock> blocks;
        blocks.push_back(OpenBlock{memory::ControlSpec{file.rootName, -1, file.rootClass, {}, {}}, file.rootLine, false});
        std::vector<OpenProperty> properties;
        Classified line;
        while (NextLine(line)) {
            const int number = lines_.Number();
            if (!properties.empty()) {
                switch (line.kind) {
                    case LineKind::Blank:
                    case LineKind::Property: continue;
                    case LineKind::BeginProperty: properties.push_back(OpenProperty{line.value, number}); continue;
                    case LineKind::EndProperty: properties.pop_back(); continue;
                    case LineKind::Begin:
                    case LineKind::End:
                        Fail(std::string(line.kind == LineKind::Begin ? "Begin" : "End") + " inside \"BeginProperty " +
                             Printable(properties.back().name) + "\" (line " + std::to_string(properties.back().line) +
                             "), before its EndProperty");
                    case LineKind::Other: FailMalformed();
                }
            }
            switch (line.kind) {
                case LineKind::Blank: continue;
                case LineKind::Property:
                    if (blocks.size() > 1 && KeywordIs(line.name, "Index")) ReadIndex(blocks.back(), line.value);
                    continue;
                case LineKind::BeginProperty:
                    if (line.value.empty()) Fail("BeginProperty without a property name");
                    properties.push_back(OpenProperty{line.value, number});
                    continue;
                case LineKind::EndProperty: Fail("EndProperty without a BeginProperty");
                case LineKind::Begin: {
                    const auto words = Words(line.value);
                    if (words.size() != 2) Fail("malformed Begin line (expected \"Begin Library.Class Name\")");
                    if (static_cast<int>(blocks.size()) > kMaxNesting)
                        Fail("controls nested more than " + std::to_string(kMaxNesting) + " deep");
                    memory::ControlSpec control;
                    control.className = DecodeClass(words[0]);
                    control.name = DecodeName(words[1], "control name");
                    blocks.push_back(OpenBlock{std::move(control), number, false});
                    continue;
                }
                case LineKind::End: {
                    if (blocks.size() == 1) {
                        file.controls = std::move(blocks.back().control.children);
                        return;  // the root's End: the designer block is complete
                    }
                    OpenBlock done = std::move(blocks.back());
                    blocks.pop_back();
                    Register(done);
                    blocks.back().control.children.push_back(std::move(done.control));
                    continue;
                }
                case LineKind::Other: FailMalformed();
            }
        }
        if (!properties.empty())
            Fail(properties.back().line,
                 "\"BeginProperty " + Printable(properties.back().name) + "\" has no EndProperty (the file ends first)");
        const OpenBlock& open = blocks.back();
        Fail(open.line, "\"Begin " + open.control.className + " " + open.control.name +
                            "\" has no End (the file ends first)");
    }

    [[noreturn]] void FailMalformed() const {
        Fail("malformed line (expected \"Property = value\", Begin, BeginProperty, EndProperty or End)");
    }

    void ReadIndex(OpenBlock& block, std::string_view value) {
        if (block.indexSeen) Fail("Index given twice for control " + Quote(block.control.name));
        block.indexSeen = true;
        // The number, without an IDE comment that may follow it.
        std::size_t end = 0;
        while (end < value.size() && !detail::IsBlank(value[end]) && value[end] != '\'') ++end;
        const std::string_view digits = value.substr(0, end);
        const std::string_view rest = Trim(value.substr(end));
        bool valid = !digits.empty() && (rest.empty() || rest.front() == '\'');
        std::int32_t index = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9' || index > 32767) {
                valid = false;
                break;
            }
            index = index * 10 + (c - '0');
        }
        if (!valid || index > 32767)
            Fail("Index " + Quote(Printable(value)) + " of control " + Quote(block.control.name) +
                 " is not a number from 0 to 32767");
        block.control.index = index;
    }

    std::string Reference(const memory::ControlSpec& control) const {
        return control.index < 0 ? control.name : control.name + "(" + std::to_string(control.index) + ")";
    }

    void Register(const OpenBlock& block) {
        NameUse& use = names_[FoldCase(block.control.name)];
        const std::string ref = Quote(Reference(block.control));
        if (block.control.index < 0) {
            if (use.singleLine) Fail(block.line, "control " + ref + " is defined twice (first at line " +
                                                     std::to_string(use.singleLine) + ")");
            if (!use.array.empty())
                Fail(block.line, "control " + ref + " is a single control and also a control array (element at line " +
                                     std::to_string(use.array.begin()->second) + ")");
            use.singleLine = block.line;
            return;
        }
        if (use.singleLine)
            Fail(block.line, "control " + ref + " is a control array element and also a single control (line " +
                                 std::to_string(use.singleLine) + ")");
        auto [found, added] = use.array.emplace(block.control.index, block.line);
        if (!added)
            Fail(block.line, "control " + ref + " is defined twice (first at line " + std::to_string(found->second) + ")");
    }

    // The attribute lines right after the root block; the first other line starts the code.
    void ReadAttributes(DesignerFile& file) {
        file.name = file.rootName;
        Classified line;
        while (NextLine(line)) {
            if (line.kind == LineKind::Blank) continue;
            if (line.kind != LineKind::Other || !KeywordIs(line.name, "Attribute")) return;
            const std::string_view attribute = line.value;
            std::size_t nameEnd = 0;
            while (nameEnd < attribute.size() && !detail::IsBlank(attribute[nameEnd]) && attribute[nameEnd] != '=') ++nameEnd;
            if (!KeywordIs(attribute.substr(0, nameEnd), "VB_Name")) continue;
            std::string_view value = Trim(attribute.substr(nameEnd));
            if (value.empty() || value.front() != '=') Fail("malformed Attribute VB_Name line");
            value = Trim(value.substr(1));
            if (value.size() < 2 || value.front() != '"' || value.back() != '"' ||
                value.substr(1, value.size() - 2).find('"') != std::string_view::npos)
                Fail("Attribute VB_Name must be a name in quotes");
            file.name = DecodeName(value.substr(1, value.size() - 2), "VB_Name");
        }
    }

    detail::Lines lines_;
    const std::string& label_;
    const CodePage& codePage_;
    std::map<std::string, NameUse> names_;
};

}  // namespace

DesignerFile ParseDesigner(std::string_view bytes, const std::string& fileLabel, const CodePage& codePage) {
    return DesignerParser(bytes, fileLabel, codePage).Parse();
}

}  // namespace tolvane::host::files
