// Text stored in Office binary structures to UTF-8: UTF-16LE (names of compound-file
// entries, forms strings) and "compressed" forms strings (one byte per character, the
// high byte of each UTF-16 code unit left out). Malformed text becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::office {

std::string Utf16LeToUtf8(std::string_view bytes);
std::string Latin1ToUtf8(std::string_view bytes);

// Names compared as compound files and zip part names compare them: ASCII letters ignoring case.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace tolvane::office
