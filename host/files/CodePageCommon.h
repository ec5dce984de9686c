// Parts of CodePage shared by its two implementations.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::host::files::detail {

inline bool IsAscii(std::string_view bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Printable ASCII, which must come out of the converter unchanged for the byte-level
// parse of structure to be valid in that code page.
inline std::string PrintableAscii() {
    std::string probe;
    for (int c = 0x20; c < 0x7F; ++c) probe.push_back(static_cast<char>(c));
    return probe;
}

}  // namespace tolvane::host::files::detail
