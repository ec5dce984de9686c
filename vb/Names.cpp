#include "vb/Names.h"

#include <algorithm>
#include <cstdio>

namespace tolvane::vb {

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

bool NextCodePoint(std::string_view utf8, std::size_t& pos, char32_t& codePoint) {
    if (pos >= utf8.size()) return false;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned char lead = byte(pos);
    int length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        codePoint = lead;
        ++pos;
        return true;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return false;
    }
    if (pos + length > utf8.size()) return false;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3F);
    }
    if ((length == 3 && value < 0x800) || (length == 4 && (value < 0x10000 || value > 0x10FFFF)) ||
        (value >= 0xD800 && value <= 0xDFFF))
        return false;
    codePoint = value;
    pos += length;
    return true;
}

bool IsNameLetter(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c < 0x80) return false;
    if (c <= 0xBF) return c == 0xAA || c == 0xB5 || c == 0xBA;  // C1 controls, Latin-1 punctuation
    if (c == 0xD7 || c == 0xF7) return false;                  // multiplication and division signs
    if (c == 0x1680 || c == 0x180E) return false;               // Ogham and Mongolian spaces
    if (c >= 0x2000 && c <= 0x206F) return false;               // general punctuation and spaces
    if (c >= 0x3000 && c <= 0x3003) return false;               // ideographic space, comma, full stop
    if (c >= 0xFE10 && c <= 0xFE1F) return false;               // vertical forms
    if (c >= 0xFE30 && c <= 0xFE6F) return false;               // CJK compatibility and small forms
    if (c == 0xFEFF) return false;                               // byte order mark
    if ((c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
        (c >= 0xFF5B && c <= 0xFF65))
        return false;                                            // full-width punctuation
    if (c >= 0xFFF0 && c <= 0xFFFF) return false;               // specials, replacement character
    return true;
}

char32_t FoldCodePoint(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
    if (c >= 0x0100 && c <= 0x0137) return c | 1;
    if (c >= 0x0139 && c <= 0x0148) return (c & 1) ? c + 1 : c;
    if (c >= 0x014A && c <= 0x0177) return c | 1;
    if (c == 0x0178) return 0xFF;
    if (c >= 0x0179 && c <= 0x017E) return (c & 1) ? c + 1 : c;
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return c + 0x20;
    if (c == 0x03C2) return 0x03C3;  // final sigma
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
    return c;
}

bool IsVbIdentifier(std::string_view utf8) {
    std::size_t pos = 0;
    char32_t c = 0;
    if (!NextCodePoint(utf8, pos, c) || !IsNameLetter(c)) return false;
    std::size_t length = 1;
    while (pos < utf8.size()) {
        if (!NextCodePoint(utf8, pos, c) || ++length > kMaxIdentifierLength) return false;
        if (!IsNameLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    }
    return true;
}

bool MayBeDoubleByteIdentifier(std::string_view utf8) {
    std::string shadow;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        if (!NextCodePoint(utf8, pos, c)) return false;
        shadow.push_back(c < 0x80 ? static_cast<char>(c) : 'A');
    }
    return IsVbIdentifier(shadow);
}

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendEscaped(std::string& out, unsigned char byte) {
    char buffer[5];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
    out += buffer;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        if (NextCodePoint(utf8, pos, c)) {
            AppendUtf8(out, FoldCodePoint(c));
        } else {
            out.push_back(utf8[pos]);  // not UTF-8: compare that byte as it is
            ++pos;
        }
    }
    return out;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

bool SameKeyword(std::string_view text, std::string_view keyword) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(text.begin(), text.end(), keyword.begin(), keyword.end(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

std::string Printable(std::string_view bytes) {
    std::string out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        char32_t c = 0;
        if (NextCodePoint(bytes, pos, c)) {
            // Controls, line separators, and the byte-order mark and non-characters that
            // terminals and log readers show as nothing, or refuse.
            if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029 || c == 0xFEFF ||
                c == 0xFFFE || c == 0xFFFF) {
                for (std::size_t i = start; i < pos; ++i) AppendEscaped(out, static_cast<unsigned char>(bytes[i]));
            } else {
                out.append(bytes.substr(start, pos - start));
            }
        } else {
            AppendEscaped(out, static_cast<unsigned char>(bytes[pos]));
            ++pos;
        }
    }
    return out;
}

std::string PrintablePrefix(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes) return Printable(bytes);
    std::size_t cut = 0;
    for (std::size_t pos = 0; pos < maxBytes;) {  // whole characters only
        char32_t c = 0;
        if (!NextCodePoint(bytes, pos, c)) ++pos;
        if (pos > maxBytes) break;
        cut = pos;
    }
    return Printable(bytes.substr(0, cut)) + "...";
}

std::optional<std::int32_t> ParseControlIndex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::int32_t index = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        index = index * 10 + (c - '0');
        if (index > kMaxControlIndex) return std::nullopt;
    }
    return index;
}

std::string ControlReference(std::string_view name, std::int32_t index) {
    std::string reference(name);
    if (index >= 0) reference += "(" + std::to_string(index) + ")";
    return reference;
}

}  // namespace tolvane::vb
