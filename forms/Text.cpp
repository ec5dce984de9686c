#include "forms/Text.h"

namespace tolvane::forms {
namespace {

// Length in bytes of the UTF-8 sequence starting at `at`, and how many UTF-16 units it
// stands for. A malformed sequence is one byte, one unit.
struct Sequence {
    std::size_t bytes;
    int units;
};

Sequence SequenceAt(std::string_view text, std::size_t at) noexcept {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else if (lead >= 0xE0) length = 3;
    else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    if (lead < 0x80 || length == 1 || at + length > text.size()) return {1, 1};
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return {1, 1};
    return {length, length == 4 ? 2 : 1};
}

}  // namespace

int Utf16Length(std::string_view text) noexcept {
    int units = 0;
    for (std::size_t at = 0; at < text.size();) {
        const Sequence s = SequenceAt(text, at);
        at += s.bytes;
        units += s.units;
    }
    return units;
}

std::size_t ByteOffset(std::string_view text, int units) noexcept {
    std::size_t at = 0;
    int seen = 0;
    while (at < text.size()) {
        const Sequence s = SequenceAt(text, at);
        if (seen + s.units > units) break;
        at += s.bytes;
        seen += s.units;
    }
    return at;
}

}  // namespace tolvane::forms
