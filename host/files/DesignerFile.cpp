// The designer block of a .frm/.ctl/.pag/.dob/.dsr file: nesting by Begin/End only,
// property blocks skipped whole, Name from the Begin line, Index from the control's own
// level, the code page from the first font Charset that names one. Every other property
// value is skipped unread: a line's meaning never depends on its value, since values never
// span lines.
#include <algorithm>
#include <map>
#include <vector>

#include "host/files/Decoding.h"
#include "host/files/DesignerStructure.h"
#include "host/files/Lexing.h"
#include "host/files/ProjectFiles.h"
#include "vb/Names.h"

namespace tolvane::host::files {

using vb::FoldCase;
using vb::Printable;
using vb::SameKeyword;

FileError::FileError(std::string file, int line, std::string problem)
    : std::runtime_error(Printable(file) + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem),
      file_(std::move(file)),
      line_(line),
      problem_(std::move(problem)) {}

FileError& FileError::WithCodePages(int used, std::vector<int> readableIn) {
    codePage_ = used;
    readableIn_ = std::move(readableIn);
    return *this;
}

namespace detail {
namespace {

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
    if (SameKeyword(token, "Begin")) result.kind = LineKind::Begin;
    else if (SameKeyword(token, "BeginProperty")) result.kind = LineKind::BeginProperty;
    else if (SameKeyword(token, "EndProperty") && after.empty()) result.kind = LineKind::EndProperty;
    else if (SameKeyword(token, "End") && after.empty()) result.kind = LineKind::End;
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
    if (line.kind != LineKind::Other || !SameKeyword(line.name, "VERSION")) return false;
    const std::string_view number = line.value;
    const std::size_t dot = number.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == number.size()) return false;
    for (std::size_t i = 0; i < number.size(); ++i)
        if (i != dot && !(number[i] >= '0' && number[i] <= '9')) return false;
    return true;
}

// The code page a "Charset = n" line names (0 when none): the leading number of the value.
int CodePageOfCharsetValue(std::string_view value) {
    int charset = 0;
    std::size_t digits = 0;
    for (; digits < value.size() && digits < 4 && value[digits] >= '0' && value[digits] <= '9'; ++digits)
        charset = charset * 10 + (value[digits] - '0');
    return digits == 0 ? 0 : CodePageOfCharset(charset);
}

class StructureParser {
public:
    StructureParser(std::string_view bytes, const std::string& label, DesignerStructure& out)
        : lines_(bytes), label_(label), out_(out) {}

    void Parse() {
        ReadHeader();
        ReadBlocks();
        ReadAttributes();
    }

private:
    struct OpenBlock {
        memory::ControlData control;
        int line = 0;
        bool indexSeen = false;
    };
    struct OpenProperty {
        std::string_view name;
        int line = 0;
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

    void ReadHeader() {
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
            if (line.kind == LineKind::Property && SameKeyword(line.name, "Object")) continue;
            if (line.kind != LineKind::Begin)
                Fail("expected the Begin line of the designer's block after the VERSION and Object lines");
            const auto words = Words(line.value);
            if (words.size() != 2) Fail("malformed Begin line (expected \"Begin Library.Class Name\")");
            out_.rootClass = std::string(words[0]);
            out_.rootName = std::string(words[1]);
            out_.rootLine = lines_.Number();
            return;
        }
        if (!versionSeen) Fail(0, "empty file: not a Visual Basic designer file");
        Fail(0, "no Begin line: not a Visual Basic designer file");
    }

    void ReadBlocks() {
        std::vector<OpenBlock> blocks;
        blocks.push_back(OpenBlock{memory::ControlData{out_.rootName, -1, out_.rootClass, {}, {}}, out_.rootLine, false});
        std::vector<OpenProperty> properties;
        Classified line;
        while (NextLine(line)) {
            if (!properties.empty()) PropertyBlockLine(line, properties);
            else if (ControlBlockLine(line, blocks, properties)) return;  // the root's End
        }
        if (!properties.empty())
            Fail(properties.back().line, "\"BeginProperty " + vb::PrintablePrefix(properties.back().name) +
                                             "\" has no EndProperty (the file ends first)");
        const OpenBlock& open = blocks.back();
        Fail(open.line, "\"Begin " + vb::PrintablePrefix(open.control.className) + " " +
                            vb::PrintablePrefix(open.control.name) + "\" has no End (the file ends first)");
    }

    // A line inside a BeginProperty block: only its font's Charset is kept.
    void PropertyBlockLine(const Classified& line, std::vector<OpenProperty>& properties) {
        switch (line.kind) {
            case LineKind::Blank: return;
            case LineKind::Property:
                if (out_.declaredCodePage == 0 && SameKeyword(line.name, "Charset"))
                    out_.declaredCodePage = CodePageOfCharsetValue(line.value);
                return;
            case LineKind::BeginProperty: properties.push_back(OpenProperty{line.value, lines_.Number()}); return;
            case LineKind::EndProperty: properties.pop_back(); return;
            case LineKind::Begin:
            case LineKind::End:
                Fail(std::string(line.kind == LineKind::Begin ? "Begin" : "End") + " inside \"BeginProperty " +
                     vb::PrintablePrefix(properties.back().name) + "\" (line " + std::to_string(properties.back().line) +
                     "), before its EndProperty");
            case LineKind::Other: FailMalformed();
        }
    }

    // A line of a control block. Returns true at the root's End: the designer block is complete.
    bool ControlBlockLine(const Classified& line, std::vector<OpenBlock>& blocks, std::vector<OpenProperty>& properties) {
        const int number = lines_.Number();
        switch (line.kind) {
            case LineKind::Blank: return false;
            case LineKind::Property:
                if (blocks.size() > 1 && SameKeyword(line.name, "Index")) ReadIndex(blocks.back(), line.value);
                else if (blocks.size() == 1 && SameKeyword(line.name, "OleObjectBlob")) out_.rootBlob = line.value;
                else Keep(blocks.back().control, line, blocks.size() == 1);
                return false;
            case LineKind::BeginProperty:
                if (line.value.empty()) Fail("BeginProperty without a property name");
                properties.push_back(OpenProperty{line.value, number});
                return false;
            case LineKind::EndProperty: Fail("EndProperty without a BeginProperty");
            case LineKind::Begin: {
                const auto words = Words(line.value);
                if (words.size() != 2) Fail("malformed Begin line (expected \"Begin Library.Class Name\")");
                if (static_cast<int>(blocks.size()) > kMaxNesting)
                    Fail("controls nested more than " + std::to_string(kMaxNesting) + " deep");
                memory::ControlData control;
                control.className = std::string(words[0]);
                control.name = std::string(words[1]);
                out_.beginLines.push_back(number);
                blocks.push_back(OpenBlock{std::move(control), number, false});
                return false;
            }
            case LineKind::End: {
                if (blocks.size() == 1) {
                    MarkCodeStart();
                    out_.controls = std::move(blocks.back().control.children);
                    out_.rootProperties = std::move(blocks.back().control.properties);
                    return true;
                }
                OpenBlock done = std::move(blocks.back());
                blocks.pop_back();
                blocks.back().control.children.push_back(std::move(done.control));
                return false;
            }
            case LineKind::Other: FailMalformed();
        }
        return false;
    }

    // A property of kKeptProperties: a number's text as written, or the root's Caption's
    // bytes (decoded with the names).
    static void Keep(memory::ControlData& control, const Classified& line, bool root) {
        const auto kept = std::find_if(std::begin(kKeptProperties), std::end(kKeptProperties),
                                       [&](std::string_view name) { return SameKeyword(line.name, name); });
        if (kept == std::end(kKeptProperties)) return;
        const std::string_view value = line.value;
        if (*kept == "Caption") {
            if (!root || value.empty() || value.front() != '"') return;  // a long caption is in the .frx
            std::string bytes;
            for (std::size_t i = 1; i < value.size(); ++i) {
                if (value[i] != '"') bytes += value[i];
                else if (i + 1 < value.size() && value[i + 1] == '"') bytes += value[++i];
                else break;
            }
            control.properties[std::string(*kept)] = std::move(bytes);
            return;
        }
        std::size_t end = 0;
        while (end < value.size() && !IsBlank(value[end]) && value[end] != '\'') ++end;
        control.properties[std::string(*kept)] = std::string(value.substr(0, end));
    }

    [[noreturn]] void FailMalformed() const {
        Fail("malformed line (expected \"Property = value\", Begin, BeginProperty, EndProperty or End)");
    }

    void ReadIndex(OpenBlock& block, std::string_view value) {
        const std::string name = Quote(vb::PrintablePrefix(block.control.name));
        if (block.indexSeen) Fail("Index given twice for control " + name);
        block.indexSeen = true;
        // The number, without an IDE comment that may follow it.
        std::size_t end = 0;
        while (end < value.size() && !IsBlank(value[end]) && value[end] != '\'') ++end;
        const std::string_view digits = value.substr(0, end);
        const std::string_view rest = Trim(value.substr(end));
        const std::optional<std::int32_t> index = vb::ParseControlIndex(digits);
        if (!index || !(rest.empty() || rest.front() == '\''))
            Fail("Index " + Quote(vb::PrintablePrefix(value)) + " of control " + name + " is not a number from 0 to " +
                 std::to_string(vb::kMaxControlIndex));
        block.control.index = *index;
    }

    void MarkCodeStart() {
        out_.codeOffset = lines_.Position();
        out_.codeLine = lines_.Number() + 1;
    }

    // The attribute lines right after the root block; the first other line starts the code.
    void ReadAttributes() {
        Classified line;
        while (NextLine(line)) {
            if (line.kind == LineKind::Blank) continue;
            if (line.kind != LineKind::Other || !SameKeyword(line.name, "Attribute")) return;
            MarkCodeStart();
            const std::string_view attribute = line.value;
            std::size_t nameEnd = 0;
            while (nameEnd < attribute.size() && !IsBlank(attribute[nameEnd]) && attribute[nameEnd] != '=') ++nameEnd;
            if (!SameKeyword(attribute.substr(0, nameEnd), "VB_Name")) continue;
            std::string_view value = Trim(attribute.substr(nameEnd));
            if (value.empty() || value.front() != '=') Fail("malformed Attribute VB_Name line");
            value = Trim(value.substr(1));
            if (value.size() < 2 || value.front() != '"' || value.back() != '"' ||
                value.substr(1, value.size() - 2).find('"') != std::string_view::npos)
                Fail("Attribute VB_Name must be a name in quotes");
            out_.vbName = std::string(value.substr(1, value.size() - 2));
            out_.vbNameLine = lines_.Number();
        }
    }

    Lines lines_;
    const std::string& label_;
    DesignerStructure& out_;
};

// Turns a structure's bytes into names, checking each, in file order.
class NameDecoder {
public:
    NameDecoder(const std::string& label, const CodePage& codePage, const CodePages& codePages,
                const std::vector<int>& beginLines)
        : label_(label), codePage_(codePage), codePages_(codePages), beginLines_(beginLines) {}

    std::string Name(std::string_view bytes, std::string_view what, int line) const {
        return DecodeIdentifier(bytes, what, codePage_, codePages_, label_, line);
    }

    // Class ids are informative only; text the code page cannot read is kept escaped.
    std::string Class(std::string_view bytes) const {
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
            return std::string(bytes);
        auto text = codePage_.ToUtf8(bytes);
        return text ? Printable(*text) : Printable(bytes);
    }

    // Each control's names in file order (the order of the Begin lines); each control is
    // registered once its contents are, as the file closes its blocks.
    void Controls(std::vector<memory::ControlData>& controls) {
        for (auto& control : controls) {
            const int line = beginLines_.at(next_++);
            control.name = Name(control.name, "control name", line);
            control.className = Class(control.className);
            Controls(control.children);
            Register(control, line);
        }
    }

private:
    // Where each name of the form was defined, to refuse two controls with one reference.
    struct NameUse {
        int singleLine = 0;                 // line of the control without Index, or 0
        std::map<std::int32_t, int> array;  // index -> line
    };

    [[noreturn]] void Fail(int line, const std::string& problem) const { throw FileError(label_, line, problem); }

    static std::string Reference(const memory::ControlData& control) {
        return vb::ControlReference(control.name, control.index);
    }

    void Register(const memory::ControlData& control, int line) {
        NameUse& use = names_[FoldCase(control.name)];
        const std::string ref = Quote(Reference(control));
        if (control.index < 0) {
            if (use.singleLine)
                Fail(line, "control " + ref + " is defined twice (first at line " + std::to_string(use.singleLine) + ")");
            if (!use.array.empty())
                Fail(line, "control " + ref + " is a single control and also a control array (element at line " +
                               std::to_string(use.array.begin()->second) + ")");
            use.singleLine = line;
            return;
        }
        if (use.singleLine)
            Fail(line, "control " + ref + " is a control array element and also a single control (line " +
                           std::to_string(use.singleLine) + ")");
        auto [found, added] = use.array.emplace(control.index, line);
        if (!added) Fail(line, "control " + ref + " is defined twice (first at line " + std::to_string(found->second) + ")");
    }

    const std::string& label_;
    const CodePage& codePage_;
    const CodePages& codePages_;
    const std::vector<int>& beginLines_;
    std::size_t next_ = 0;
    std::map<std::string, NameUse> names_;
};

}  // namespace

void ReadDesignerStructure(std::string_view bytes, const std::string& label, DesignerStructure& out) {
    StructureParser(bytes, label, out).Parse();
}

int NameCodePage(const DesignerStructure& structure, const CodePages& codePages, int fallback) {
    if (codePages.Forced()) return *codePages.Forced();
    return structure.declaredCodePage != 0 ? structure.declaredCodePage : fallback;
}

DesignerFile DecodeDesigner(DesignerStructure&& structure, const std::string& label, int codePage,
                            const CodePages& codePages) {
    const CodePage* page = nullptr;
    try {
        page = &codePages.Get(codePage);
    } catch (const CodePageError& error) {
        throw FileError(label, 0, std::string(error.what()) + " here, and the file's names are written in it");
    }
    NameDecoder decoder(label, *page, codePages, structure.beginLines);
    DesignerFile file;
    file.codePage = codePage;
    file.rootClass = decoder.Class(structure.rootClass);
    file.rootName = decoder.Name(structure.rootName, "form name", structure.rootLine);
    file.rootLine = structure.rootLine;
    decoder.Controls(structure.controls);
    file.controls = std::move(structure.controls);
    file.properties = std::move(structure.rootProperties);
    file.oleObjectBlob = std::move(structure.rootBlob);
    if (const auto caption = file.properties.find("Caption"); caption != file.properties.end()) {
        if (auto text = page->ToUtf8(caption->second.AsText())) caption->second = std::move(*text);
        else file.properties.erase(caption);
    }
    file.name = structure.vbName.empty() && structure.vbNameLine == 0
                    ? file.rootName
                    : decoder.Name(structure.vbName, "VB_Name", structure.vbNameLine);
    return file;
}

}  // namespace detail

DesignerFile ParseDesigner(std::string_view bytes, const std::string& fileLabel, const CodePages& codePages,
                           int fallback) {
    detail::DesignerStructure structure;
    detail::ReadDesignerStructure(bytes, fileLabel, structure);
    const int codePage = detail::NameCodePage(structure, codePages, fallback);
    return detail::DecodeDesigner(std::move(structure), fileLabel, codePage, codePages);
}

}  // namespace tolvane::host::files
