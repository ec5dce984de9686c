// Little-endian reads from untrusted bytes: every read is bounds-checked and a failure
// names the place (file, stream and offset) and what was expected there.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane::office {

// A structure of an Office file that cannot be read. what() is "PLACE: problem".
class FormatError : public std::runtime_error {
public:
    FormatError(const std::string& place, const std::string& problem)
        : std::runtime_error(place.empty() ? problem : place + ": " + problem), place_(place), problem_(problem) {}
    const std::string& Place() const { return place_; }
    const std::string& Problem() const { return problem_; }

private:
    std::string place_;
    std::string problem_;
};

// A read-only view of a stream's bytes with the name used in errors.
class Bytes {
public:
    Bytes(std::string_view data, std::string place) : data_(data), place_(std::move(place)) {}

    std::size_t Size() const { return data_.size(); }
    std::string_view Data() const { return data_; }
    const std::string& Place() const { return place_; }

    [[noreturn]] void Fail(std::size_t offset, const std::string& problem) const {
        throw FormatError(place_, "offset " + std::to_string(offset) + ": " + problem);
    }

    // Throws unless [offset, offset + count) lies inside the bytes.
    void Need(std::size_t offset, std::size_t count, std::string_view what) const {
        if (offset > data_.size() || count > data_.size() - offset)
            Fail(offset, std::string(what) + " runs past the end (" + std::to_string(data_.size()) + " bytes)");
    }

    std::uint8_t U8(std::size_t offset, std::string_view what) const {
        Need(offset, 1, what);
        return static_cast<std::uint8_t>(data_[offset]);
    }
    std::uint16_t U16(std::size_t offset, std::string_view what) const {
        Need(offset, 2, what);
        return static_cast<std::uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
    }
    std::uint32_t U32(std::size_t offset, std::string_view what) const {
        Need(offset, 4, what);
        return Byte(offset) | Byte(offset + 1) << 8 | Byte(offset + 2) << 16 | static_cast<std::uint32_t>(Byte(offset + 3)) << 24;
    }
    std::uint64_t U64(std::size_t offset, std::string_view what) const {
        return U32(offset, what) | static_cast<std::uint64_t>(U32(offset + 4, what)) << 32;
    }
    std::string_view Slice(std::size_t offset, std::size_t count, std::string_view what) const {
        Need(offset, count, what);
        return data_.substr(offset, count);
    }

private:
    std::uint32_t Byte(std::size_t offset) const { return static_cast<std::uint8_t>(data_[offset]); }

    std::string_view data_;
    std::string place_;
};

}  // namespace tolvane::office
