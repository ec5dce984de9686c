// The add-in designer's registration record, kept byte for byte as the designer stores it,
// and the reader that turns it into the IDE's add-in entry. Registration writes the entry
// from what it reads here, so the record is the one place the entry's values live.
//
// Portable: no Windows header (the record is plain bytes; tests read it on any platform).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tolvane::server {

// Layout (little-endian): designer CLSID (16 bytes); length of the rest (32 bits); then the
// registry root, the display name and the description, each a 32-bit byte count (the zero
// terminator included) followed by single-byte text; the initial load behaviour (32 bits);
// the satellite library name and an additional registry key (counted texts, empty here); the
// command-line-safe flag (32 bits); three 32-bit words of zero.
inline constexpr std::array<std::uint8_t, 156> kAddInRegistrationRecord = {
    // designer class {AC0714F7-3D04-11D1-AE7D-00A0C90F26F4}, MSAddnDr.AddInInstance
    0xF7, 0x14, 0x07, 0xAC, 0x04, 0x3D, 0xD1, 0x11, 0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4,
    // 136 bytes follow
    0x88, 0x00, 0x00, 0x00,
    // 54: "HKEY_CURRENT_USER\Software\Microsoft\Visual Basic\6.0"
    0x36, 0x00, 0x00, 0x00,
    0x48, 0x4B, 0x45, 0x59, 0x5F, 0x43, 0x55, 0x52, 0x52, 0x45, 0x4E, 0x54, 0x5F, 0x55,
    0x53, 0x45, 0x52, 0x5C, 0x53, 0x6F, 0x66, 0x74, 0x77, 0x61, 0x72, 0x65, 0x5C, 0x4D,
    0x69, 0x63, 0x72, 0x6F, 0x73, 0x6F, 0x66, 0x74, 0x5C, 0x56, 0x69, 0x73, 0x75, 0x61,
    0x6C, 0x20, 0x42, 0x61, 0x73, 0x69, 0x63, 0x5C, 0x36, 0x2E, 0x30, 0x00,
    // 8: "Quenlow"
    0x08, 0x00, 0x00, 0x00, 0x51, 0x75, 0x65, 0x6E, 0x6C, 0x6F, 0x77, 0x00,
    // 34: "Generates code to resize controls"
    0x22, 0x00, 0x00, 0x00,
    0x47, 0x65, 0x6E, 0x65, 0x72, 0x61, 0x74, 0x65, 0x73, 0x20, 0x63, 0x6F, 0x64, 0x65,
    0x20, 0x74, 0x6F, 0x20, 0x72, 0x65, 0x73, 0x69, 0x7A, 0x65, 0x20, 0x63, 0x6F, 0x6E,
    0x74, 0x72, 0x6F, 0x6C, 0x73, 0x00,
    // load behaviour 0: the user connects the add-in through the Add-In Manager
    0x00, 0x00, 0x00, 0x00,
    // no satellite library, no additional registry key
    0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00,
    // command-line safe
    0x01, 0x00, 0x00, 0x00,
    // three words of zero
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

// The values of the IDE's add-in entry as the record states them.
struct AddInEntry {
    std::array<std::uint8_t, 16> designerClsid{};
    std::string registryRoot;  // e.g. "HKEY_CURRENT_USER\Software\Microsoft\Visual Basic\6.0"
    std::string friendlyName;
    std::string description;
    std::uint32_t loadBehavior = 0;
    std::string satelliteDllName;  // empty: none
    std::string additionalKey;     // empty: none
    std::uint32_t commandLineSafe = 0;
};

// Reads a record; throws std::invalid_argument naming the offset and the field when the
// bytes are short, a count runs past the end, a text lacks its terminator or has one inside,
// the stated length disagrees with the size, or the designer class is not the add-in
// designer's.
AddInEntry ParseAddInRegistration(std::span<const std::uint8_t> record);

// The add-in designer's class, {AC0714F7-3D04-11D1-AE7D-00A0C90F26F4}, as stored in records.
inline constexpr std::array<std::uint8_t, 16> kAddInDesignerClsid = {
    0xF7, 0x14, 0x07, 0xAC, 0x04, 0x3D, 0xD1, 0x11, 0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4};

}  // namespace tolvane::server
