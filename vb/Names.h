// Names as Visual Basic sees them, for every part of the product: UTF-8 code points, the
// identifier rule, case-insensitive comparison, and quoting a name in a one-line message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::vb {

// The number of characters (code points) of UTF-8 text, as VB counts a name's length.
std::size_t CharacterCount(std::string_view utf8);

// Reads the code point at `pos` and advances past it. Returns false (pos unchanged) at the
// end or on an invalid, overlong or surrogate sequence.
bool NextCodePoint(std::string_view utf8, std::size_t& pos, char32_t& codePoint);

// True for a code point that may appear in a name where VB allows a letter: ASCII letters
// and every code point from 0x80 up except controls, spaces, punctuation and symbols
// (the Latin-1 ones, general punctuation, CJK and full-width punctuation, specials).
// Letters of every script count, as the localized IDEs accept them.
bool IsNameLetter(char32_t codePoint);

// VB refuses longer names.
inline constexpr std::size_t kMaxIdentifierLength = 255;

// A Visual Basic identifier: a letter first, then letters, ASCII digits or underscores, at
// most kMaxIdentifierLength characters. A reader of an East Asian double-byte code page
// (932, 936, 949, 950), where VB takes every double-byte character as a letter, checks the
// name with each such character standing in as an ASCII letter.
bool IsVbIdentifier(std::string_view utf8);

// The same rule with every character from U+0080 up taken as a letter, as in a name read from
// a file in an East Asian double-byte code page, where any of them may be a double-byte
// letter. For text that only looks up a name read so, never for text written into code.
bool MayBeDoubleByteIdentifier(std::string_view utf8);

// Case-folded copy for comparing names and file names the way VB and Windows do
// (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin letters).
char32_t FoldCodePoint(char32_t codePoint);
std::string FoldCase(std::string_view utf8);
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// Equality with ASCII letters compared without regard to case and every other byte as it is:
// for VB's keywords and file keys (Begin, VERSION, Form=, .vbp, LM ...), which are ASCII. The
// readers match them on a file's raw bytes, before any code page is known, where folding
// other bytes would be wrong (a double-byte character's trail byte may look like a letter).
bool SameKeyword(std::string_view text, std::string_view keyword);

// A control array's indexes run from 0 to this.
inline constexpr std::int32_t kMaxControlIndex = 32767;

// A control-array index written in decimal digits (leading zeros allowed), or nothing when the
// text is something else or the number is beyond kMaxControlIndex.
std::optional<std::int32_t> ParseControlIndex(std::string_view digits);

// How VB code names a control: "Command1", or "Option1(3)" for element 3 of a control
// array (an index below 0 means the control is no array element).
std::string ControlReference(std::string_view name, std::int32_t index);

// A name or byte string made safe to quote in a one-line message: valid UTF-8 stays as it
// is, other bytes and control characters become \xNN.
std::string Printable(std::string_view bytes);

// The same for a value of any length quoted in a message: at most `maxBytes` of it (cut at a
// character boundary), followed by "..." when cut.
std::string PrintablePrefix(std::string_view bytes, std::size_t maxBytes = 80);

}  // namespace tolvane::vb
