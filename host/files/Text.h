// Small text helpers for names read from VB6 files: UTF-8 code points, the Visual Basic
// identifier rule, case-insensitive comparison, and UTF-8 <-> file system paths.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::host::files {

// Reads the code point at `pos` and advances past it. Returns false (pos unchanged) at the
// end or on an invalid, overlong or surrogate sequence.
bool NextCodePoint(std::string_view utf8, std::size_t& pos, char32_t& codePoint);

// True for a code point that may appear in a name where VB allows a letter: ASCII letters
// and every code point from 0x80 up except controls, spaces, punctuation and symbols
// (the Latin-1 ones, general punctuation, CJK and full-width punctuation, specials).
// Letters of every script count, as the localized IDEs accept them.
bool IsNameLetter(char32_t codePoint);

// A Visual Basic identifier: a letter first, then letters, ASCII digits or underscores.
bool IsVbIdentifier(std::string_view utf8);

// Case-folded copy for comparing names and file names the way VB and Windows do
// (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin letters).
std::string FoldCase(std::string_view utf8);
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// A name or byte string made safe to quote in a one-line message: valid UTF-8 stays as it
// is, other bytes and control characters become \xNN.
std::string Printable(std::string_view bytes);

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);  // generic form, '/' separators

}  // namespace tolvane::host::files
