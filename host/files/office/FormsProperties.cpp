#include "host/files/office/FormsProperties.h"

#include <cstdio>
#include <vector>

#include "host/files/office/Strings.h"

namespace tolvane::office::forms {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kStdPicture = "\x04\x52\xE3\x0B\x91\x8F\xCE\x11\x9D\xE3\x00\xAA\x00\x4B\xB8\x51"sv;
constexpr std::string_view kStdFont = "\x03\x52\xE3\x0B\x91\x8F\xCE\x11\x9D\xE3\x00\xAA\x00\x4B\xB8\x51"sv;
constexpr std::string_view kTextProps = "\x20\x09\xC2\xAF\x4E\xDA\xCE\x11\xB9\x43\x00\xAA\x00\x68\x87\xB4"sv;
constexpr std::uint32_t kCompressed = 0x80000000u;

// Reads one block: positions are absolute offsets in `bytes`, checked against the block's end.
class BlockReader {
public:
    BlockReader(const Bytes& bytes, std::size_t offset, std::span<const Field> layout, bool wideMask)
        : bytes_(bytes), layout_(layout) {
        const std::size_t size = bytes.U16(offset + 2, "a property block's size");
        bytes.Need(offset, 4 + size, "a property block");
        block_.end = offset + 4 + size;
        const std::size_t maskBytes = wideMask ? 8 : 4;
        Check(offset + 4, maskBytes, "the property mask");
        block_.mask = wideMask ? bytes.U64(offset + 4, "the property mask") : bytes.U32(offset + 4, "the property mask");
        dataStart_ = pos_ = offset + 4 + maskBytes;
    }

    PropertyBlock Read() {
        std::vector<int> large;
        for (int bit = 0; bit < 64; ++bit) {
            if (!block_.Has(bit)) continue;
            if (bit >= static_cast<int>(layout_.size()) || layout_[bit] == Field::Undefined)
                bytes_.Fail(dataStart_, "property bit " + std::to_string(bit) + " is set but has no meaning here");
            switch (layout_[bit]) {
                case Field::U8: block_.numbers[bit] = bytes_.U8(Take(1, "a 1-byte property"), "a property"); break;
                case Field::U16:
                case Field::Picture: block_.numbers[bit] = bytes_.U16(Take(2, "a 2-byte property"), "a property"); break;
                case Field::U32:
                case Field::Text:
                case Field::Strings:
                    block_.numbers[bit] = bytes_.U32(Take(4, "a 4-byte property"), "a property");
                    if (layout_[bit] != Field::U32) large.push_back(bit);
                    break;
                case Field::Pair:
                case Field::Guid: large.push_back(bit); break;
                case Field::Flag:
                case Field::Undefined: break;
            }
        }
        Align(4);
        block_.extraStart = pos_;
        for (const int bit : large) ReadLarge(bit);
        block_.extraEnd = pos_;
        return block_;
    }

private:
    void Check(std::size_t at, std::size_t count, std::string_view what) const {
        if (at > block_.end || count > block_.end - at)
            bytes_.Fail(at, std::string(what) + " runs past the end of its property block (offset " +
                                std::to_string(block_.end) + ")");
    }
    void Align(std::size_t size) {
        const std::size_t misalignment = (pos_ - dataStart_) % size;
        if (misalignment != 0) pos_ += size - misalignment;
    }
    // Small properties align to their own size, the extra block's to 4.
    std::size_t Take(std::size_t size, std::string_view what) {
        Align(size > 4 ? 4 : size);
        Check(pos_, size, what);
        const std::size_t at = pos_;
        pos_ += size;
        return at;
    }

    void ReadLarge(int bit) {
        switch (layout_[bit]) {
            case Field::Pair: {
                const std::size_t at = Take(8, "a size or position");
                block_.pairs[bit] = {static_cast<std::int32_t>(bytes_.U32(at, "a size or position")),
                                     static_cast<std::int32_t>(bytes_.U32(at + 4, "a size or position"))};
                break;
            }
            case Field::Guid: block_.guids[bit] = GuidText(bytes_.Slice(Take(16, "a GUID"), 16, "a GUID")); break;
            case Field::Text: {
                const std::uint32_t count = block_.numbers[bit];
                const std::size_t length = count & ~kCompressed;
                Align(4);
                Check(pos_, length, "a string");
                const std::string_view raw = bytes_.Slice(pos_, length, "a string");
                pos_ += length;
                block_.texts[bit] = (count & kCompressed) ? Latin1ToUtf8(raw) : Utf16LeToUtf8(raw);
                block_.numbers.erase(bit);
                break;
            }
            case Field::Strings: {
                const std::size_t length = block_.numbers[bit] & ~kCompressed;
                Align(4);
                Check(pos_, length, "an array of strings");
                pos_ += length;
                block_.numbers.erase(bit);
                break;
            }
            default: break;
        }
    }

    const Bytes& bytes_;
    std::span<const Field> layout_;
    PropertyBlock block_;
    std::size_t dataStart_ = 0;
    std::size_t pos_ = 0;
};

}  // namespace

PropertyBlock ReadPropertyBlock(const Bytes& bytes, std::size_t offset, std::span<const Field> layout, bool wideMask) {
    return BlockReader(bytes, offset, layout, wideMask).Read();
}

std::size_t SkipPicture(const Bytes& bytes, std::size_t offset) {
    if (bytes.Slice(offset, 16, "a picture's GUID") != kStdPicture) bytes.Fail(offset, "a picture that is not a StdPicture");
    if (bytes.U32(offset + 16, "a picture's preamble") != 0x0000746C) bytes.Fail(offset + 16, "a StdPicture without its preamble");
    const std::uint32_t size = bytes.U32(offset + 20, "a picture's size");
    bytes.Need(offset + 24, size, "a picture");
    return offset + 24 + size;
}

std::size_t SkipFont(const Bytes& bytes, std::size_t offset) {
    const std::string_view guid = bytes.Slice(offset, 16, "a font's GUID");
    const std::size_t at = offset + 16;
    if (guid == kStdFont) {
        // Version, charset (2), flags, weight (2), height (4), then the face name's length and bytes.
        const std::size_t faceLength = bytes.U8(at + 10, "a font's face name length");
        bytes.Need(at + 11, faceLength, "a font's face name");
        return at + 11 + faceLength;
    }
    if (guid == kTextProps) {
        const std::size_t size = bytes.U16(at + 2, "a TextProps size");
        bytes.Need(at + 4, size, "a TextProps block");
        return at + 4 + size;
    }
    bytes.Fail(offset, "a font that is neither a StdFont nor TextProps");
}

std::string GuidText(std::string_view b) {
    auto byte = [&](int i) { return static_cast<unsigned>(static_cast<std::uint8_t>(b[i])); };
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", byte(3),
                  byte(2), byte(1), byte(0), byte(5), byte(4), byte(7), byte(6), byte(8), byte(9), byte(10), byte(11),
                  byte(12), byte(13), byte(14), byte(15));
    return text;
}

}  // namespace tolvane::office::forms
