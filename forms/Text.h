// Text positions as the native edit controls count them. The portable code keeps UTF-8,
// but a selection start or length is counted in UTF-16 code units, as Windows counts it,
// so that the state and the native control agree on what "character 5" is.
#pragma once

#include <cstddef>
#include <string_view>

namespace tolvane::forms {

// Number of UTF-16 code units the text takes. A malformed byte counts as one unit
// (Windows shows it as one replacement character).
int Utf16Length(std::string_view text) noexcept;

// Byte offset of the code unit at `units`, clamped to the text's end. A position that falls
// inside a surrogate pair moves to the start of the pair, so a cut never splits a character.
std::size_t ByteOffset(std::string_view text, int units) noexcept;

}  // namespace tolvane::forms
