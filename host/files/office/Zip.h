// A read-only zip archive (an Office Open XML document): its central directory, and one
// entry's bytes, stored or deflated, checked against its CRC-32.
//
// Refused with a FormatError: split and zip64 archives, encrypted entries, methods other
// than stored and deflate, entries that inflate to more than their stated size or the
// caller's cap (zip bombs), and any offset or length outside the archive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::office {

class ZipArchive {
public:
    // Reads the central directory of `bytes`, which must outlive the archive.
    ZipArchive(std::string_view bytes, std::string label);

    static bool HasSignature(std::string_view bytes);

    // The bytes of the entry with this name (ASCII letter case ignored, as part names are
    // compared), or nothing when there is none.
    std::optional<std::string> Extract(std::string_view name, std::size_t cap) const;

    std::vector<std::string> Names() const;

private:
    struct Item {
        std::string name;
        std::uint16_t flags = 0, method = 0;
        std::uint32_t crc = 0;
        std::uint64_t packed = 0, size = 0, localHeader = 0;
    };
    std::string Inflate(const Item& item, std::string_view packed) const;

    std::string_view bytes_;
    std::string label_;
    std::vector<Item> items_;
};

}  // namespace tolvane::office
