// The property blocks of [MS-OFORMS]: a 2-byte version, a 2-byte count of the bytes that
// follow, a property mask (32 or 64 bits), a data block holding the set properties of 4
// bytes or less in mask order, each aligned to its own size counted from the start of the
// data block, then an extra-data block holding the larger ones (sizes, positions, strings,
// GUIDs) in mask order, each aligned to 4. Pictures and fonts are a 2-byte marker in the
// data block and their data follows the block (stream data).
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "host/files/office/Bytes.h"

namespace tolvane::office::forms {

enum class Field : std::uint8_t {
    Undefined,  // must not be set
    Flag,       // the mask bit is the value; nothing stored
    U8,
    U16,
    U32,
    Text,     // CountOfBytesWithCompressionFlag in the data block, the characters in the extra block
    Strings,  // a byte count in the data block, an array of strings in the extra block
    Pair,     // 8 bytes in the extra block: fmSize (width, height) or fmPosition (left, top)
    Picture,  // 2-byte marker in the data block; GuidAndPicture or GuidAndFont after the block
    Guid,     // 16 bytes in the extra block
};

struct PropertyBlock {
    std::uint64_t mask = 0;
    std::size_t end = 0;         // offset just past the block: where its stream data starts
    std::size_t extraStart = 0;  // where the extra-data block starts (after the data block's padding)
    std::size_t extraEnd = 0;    // where the last large property read ends
    std::map<int, std::uint32_t> numbers;
    std::map<int, std::pair<std::int32_t, std::int32_t>> pairs;
    std::map<int, std::string> texts;  // UTF-8
    std::map<int, std::string> guids;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"

    bool Has(int bit) const { return bit < 64 && (mask >> bit & 1) != 0; }
};

// Reads the block at `offset`, the fields of mask bit i being layout[i]; a set bit beyond
// the layout, or one the layout leaves undefined, is an error.
PropertyBlock ReadPropertyBlock(const Bytes& bytes, std::size_t offset, std::span<const Field> layout,
                                bool wideMask = false);

// Past a GuidAndPicture (StdPicture) or a GuidAndFont (StdFont or TextProps) at `offset`.
std::size_t SkipPicture(const Bytes& bytes, std::size_t offset);
std::size_t SkipFont(const Bytes& bytes, std::size_t offset);

// Little-endian GUID bytes as "{...}".
std::string GuidText(std::string_view sixteen);

using F = Field;

// The layouts of the structures read here, by mask bit.
inline constexpr Field kFormControl[] = {
    F::Undefined, F::U32, F::U32, F::U32, F::Undefined, F::Undefined, F::U32, F::U8,  // 0-7
    F::U8, F::U8, F::Pair, F::Pair, F::Pair, F::U32, F::Undefined, F::Picture,          // 8-15
    F::U8, F::U8, F::U32, F::Text, F::Picture, F::Picture, F::U32, F::U8,              // 16-23
    F::Flag, F::U8, F::U32, F::U32};                                                    // 24-27
inline constexpr Field kSite[] = {F::Text, F::Text, F::U32, F::U32, F::U32, F::U32, F::U16, F::U16,
                                  F::Pair, F::U16, F::Undefined, F::Text, F::Text, F::Text, F::Text};
inline constexpr Field kClassInfo[] = {F::Guid, F::Guid, F::Undefined, F::Guid, F::U32, F::U32, F::U32, F::U16,
                                       F::U16, F::U16, F::U16, F::U16, F::U16, F::U32, F::U16};
inline constexpr Field kCommandButton[] = {F::U32, F::U32, F::U32, F::Text, F::U32, F::Pair,
                                           F::U8, F::Picture, F::U16, F::Flag, F::Picture};
inline constexpr Field kLabel[] = {F::U32, F::U32, F::U32, F::Text, F::U32, F::Pair, F::U8,
                                   F::U32, F::U16, F::U16, F::Picture, F::U16, F::Picture};
inline constexpr Field kImage[] = {F::Undefined, F::Undefined, F::Flag, F::U32, F::U32, F::U8, F::U8, F::U8,
                                   F::U8, F::Pair, F::Picture, F::U8, F::Flag, F::U32, F::Picture};
inline constexpr Field kMorphData[] = {
    F::U32, F::U32, F::U32, F::U32, F::U8, F::U8, F::U8, F::U8,                    // 0-7
    F::Pair, F::U16, F::U32, F::U16, F::U16, F::U16, F::U16, F::U16,               // 8-15
    F::U8, F::U8, F::U8, F::Undefined, F::U8, F::U8, F::Text, F::Text,             // 16-23
    F::U32, F::U32, F::U32, F::Picture, F::Picture, F::U16, F::Undefined, F::Flag,  // 24-31
    F::Text};                                                                      // 32
inline constexpr Field kSpinButton[] = {F::U32, F::U32, F::U32, F::Pair, F::U32, F::U32, F::U32, F::U32,
                                        F::U32, F::U32, F::U32, F::U32, F::U32, F::Picture, F::U8};
inline constexpr Field kScrollBar[] = {F::U32, F::U32, F::U32, F::Pair, F::U8, F::U32, F::U32, F::U32, F::U32,
                                       F::U32, F::U32, F::U32, F::U32, F::U32, F::U16, F::U32, F::Picture};
inline constexpr Field kTabStrip[] = {
    F::U32, F::U32, F::U32, F::Undefined, F::Pair, F::Strings, F::U8, F::Undefined,      // 0-7
    F::U32, F::U32, F::Flag, F::U32, F::U32, F::Flag, F::Undefined, F::Strings,          // 8-15
    F::Undefined, F::Strings, F::U32, F::Flag, F::U32, F::Strings, F::U32, F::Strings,   // 16-23
    F::Picture};                                                                         // 24
inline constexpr Field kPageProperties[] = {F::Undefined, F::U32, F::U32};
inline constexpr Field kMultiPageProperties[] = {F::Undefined, F::U32, F::U32};

}  // namespace tolvane::office::forms
