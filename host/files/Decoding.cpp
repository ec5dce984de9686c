#include "host/files/Decoding.h"

#include "host/files/CodePageCommon.h"
#include "vb/Names.h"

namespace tolvane::host::files::detail {

namespace {

// `bytes` with each double-byte character replaced by an ASCII letter and every other
// character decoded: what the identifier rule sees in a double-byte code page.
std::optional<std::string> DoubleByteShadow(std::string_view bytes, const CodePage& codePage) {
    std::string shadow;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            shadow.push_back(bytes[i++]);
        } else if (codePage.IsLeadByte(byte) && i + 1 < bytes.size()) {
            shadow.push_back('A');
            i += 2;
        } else {
            auto single = codePage.ToUtf8(bytes.substr(i, 1));
            if (!single) return std::nullopt;
            shadow += *single;
            ++i;
        }
    }
    return shadow;
}

// The code pages other than `used` in which `bytes` would read as a name (or, for text
// that is not a name, as text).
std::vector<int> ReadableIn(std::string_view bytes, bool asName, int used, const CodePages& codePages) {
    std::vector<int> pages;
    if (IsAscii(bytes)) return pages;  // no code page changes ASCII
    for (const int number : CharsetCodePages()) {
        if (number == used) continue;
        try {
            const CodePage& candidate = codePages.Get(number);
            if (asName ? IdentifierIn(bytes, candidate).has_value() : candidate.ToUtf8(bytes).has_value())
                pages.push_back(number);
        } catch (const CodePageError&) {
            // not available here: not a suggestion either
        }
    }
    return pages;
}

FileError Unreadable(std::string_view bytes, std::string_view what, bool asName, const CodePage& codePage,
                     const CodePages& codePages, const std::string& label, int line) {
    FileError error(label, line,
                    std::string(what) + " \"" + vb::PrintablePrefix(bytes) + "\" cannot be read in code page " +
                        std::to_string(codePage.Number()));
    return error.WithCodePages(codePage.Number(), ReadableIn(bytes, asName, codePage.Number(), codePages));
}

}  // namespace

std::optional<std::string> IdentifierIn(std::string_view bytes, const CodePage& codePage) {
    auto text = codePage.ToUtf8(bytes);
    if (!text) return std::nullopt;
    if (codePage.IsDoubleByte() && !IsAscii(bytes)) {
        const auto shadow = DoubleByteShadow(bytes, codePage);
        if (!shadow || !vb::IsVbIdentifier(*shadow)) return std::nullopt;
        return text;
    }
    if (!vb::IsVbIdentifier(*text)) return std::nullopt;
    return text;
}

std::string DecodeIdentifier(std::string_view bytes, std::string_view what, const CodePage& codePage,
                             const CodePages& codePages, const std::string& label, int line) {
    if (auto name = IdentifierIn(bytes, codePage)) return *name;
    const auto text = codePage.ToUtf8(bytes);
    if (!text) throw Unreadable(bytes, what, true, codePage, codePages, label, line);
    std::string problem = std::string(what) + " \"" + vb::PrintablePrefix(*text) + "\" is not a Visual Basic identifier";
    if (IsAscii(bytes)) throw FileError(label, line, problem);
    problem += " in code page " + std::to_string(codePage.Number());
    throw FileError(label, line, problem)
        .WithCodePages(codePage.Number(), ReadableIn(bytes, true, codePage.Number(), codePages));
}

FileError UnreadableText(std::string_view bytes, std::string_view what, const CodePage& codePage,
                         const CodePages& codePages, const std::string& label, int line) {
    return Unreadable(bytes, what, false, codePage, codePages, label, line);
}

}  // namespace tolvane::host::files::detail
