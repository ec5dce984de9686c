// The zip layout (PKWARE's APPNOTE): the end-of-central-directory record within the last
// 64 KiB + 22 bytes, the central directory it points to, and a local header before each
// entry's data. Sizes and CRCs are taken from the central directory.
#include "host/files/office/Zip.h"

#include <zlib.h>

#include <algorithm>

#include "host/files/office/Bytes.h"
#include "host/files/office/Strings.h"

namespace tolvane::office {
namespace {

constexpr std::string_view kLocalHeader = "PK\x03\x04";
constexpr std::string_view kCentralHeader = "PK\x01\x02";
constexpr std::string_view kEndOfDirectory = "PK\x05\x06";
constexpr std::size_t kEndRecordBytes = 22;

// zlib's raw inflate state, ended with its owner.
class Inflater {
public:
    Inflater() : ok_(inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {}
    ~Inflater() {
        if (ok_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool Ok() const { return ok_; }
    z_stream& Stream() { return stream_; }

private:
    z_stream stream_{};
    bool ok_;
};

}  // namespace

bool ZipArchive::HasSignature(std::string_view bytes) { return bytes.substr(0, 4) == kLocalHeader; }

ZipArchive::ZipArchive(std::string_view bytes, std::string label) : bytes_(bytes), label_(std::move(label)) {
    const Bytes view(bytes, label_);
    if (bytes.size() < kEndRecordBytes) view.Fail(0, "too short for a zip archive");
    std::size_t end = bytes.size() - kEndRecordBytes;
    const std::size_t lowest = end > 65535 ? end - 65535 : 0;
    while (bytes.substr(end, 4) != kEndOfDirectory) {
        if (end == lowest) view.Fail(0, "no end of central directory record: not a zip archive");
        --end;
    }
    const std::uint16_t disk = view.U16(end + 4, "the disk number");
    const std::uint16_t directoryDisk = view.U16(end + 6, "the directory's disk");
    const std::uint16_t count = view.U16(end + 10, "the entry count");
    const std::uint32_t directorySize = view.U32(end + 12, "the directory size");
    const std::uint32_t directoryOffset = view.U32(end + 16, "the directory offset");
    if (disk != 0 || directoryDisk != 0 || view.U16(end + 8, "the entry count") != count)
        view.Fail(end, "a split (multi-part) archive");
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF)
        view.Fail(end, "a zip64 archive (not supported: Office documents of this reader's size never need it)");
    view.Need(directoryOffset, directorySize, "the central directory");
    std::size_t pos = directoryOffset;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (view.Slice(pos, 4, "a central directory entry") != kCentralHeader) view.Fail(pos, "a broken central directory entry");
        Item item;
        item.flags = view.U16(pos + 8, "an entry's flags");
        item.method = view.U16(pos + 10, "an entry's method");
        item.crc = view.U32(pos + 16, "an entry's CRC");
        item.packed = view.U32(pos + 20, "an entry's packed size");
        item.size = view.U32(pos + 24, "an entry's size");
        const std::size_t nameLength = view.U16(pos + 28, "an entry's name length");
        const std::size_t extraLength = view.U16(pos + 30, "an entry's extra length");
        const std::size_t commentLength = view.U16(pos + 32, "an entry's comment length");
        item.localHeader = view.U32(pos + 42, "an entry's offset");
        item.name = std::string(view.Slice(pos + 46, nameLength, "an entry's name"));
        if (item.packed == 0xFFFFFFFF || item.size == 0xFFFFFFFF || item.localHeader == 0xFFFFFFFF)
            view.Fail(pos, "entry \"" + item.name + "\" is a zip64 entry (not supported)");
        pos += 46 + nameLength + extraLength + commentLength;
        if (pos > std::size_t{directoryOffset} + directorySize) view.Fail(pos, "the central directory overruns its size");
        items_.push_back(std::move(item));
    }
}

std::vector<std::string> ZipArchive::Names() const {
    std::vector<std::string> names;
    for (const Item& item : items_) names.push_back(item.name);
    return names;
}

std::optional<std::string> ZipArchive::Extract(std::string_view name, std::size_t cap) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const Item& item) { return SameIgnoringAsciiCase(item.name, name); });
    if (found == items_.end()) return std::nullopt;
    const Item& item = *found;
    const Bytes view(bytes_, label_ + ", entry \"" + item.name + "\"");
    if (item.flags & 1) view.Fail(item.localHeader, "the entry is encrypted");
    if (item.size > cap)
        view.Fail(item.localHeader, "the entry is " + std::to_string(item.size) + " bytes, more than the " +
                                        std::to_string(cap) + " allowed");
    if (view.Slice(item.localHeader, 4, "the local header") != kLocalHeader) view.Fail(item.localHeader, "no local header");
    const std::size_t dataStart = item.localHeader + 30 + view.U16(item.localHeader + 26, "the local name length") +
                                  view.U16(item.localHeader + 28, "the local extra length");
    const std::string_view packed = view.Slice(dataStart, item.packed, "the entry's data");
    std::string data;
    if (item.method == 0) {
        if (item.packed != item.size) view.Fail(dataStart, "a stored entry whose sizes differ");
        data = std::string(packed);
    } else if (item.method == 8) {
        data = Inflate(item, packed);
    } else {
        view.Fail(item.localHeader, "compression method " + std::to_string(item.method) + " (only stored and deflate are read)");
    }
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    if (crc != item.crc) view.Fail(dataStart, "CRC-32 mismatch: the entry is damaged");
    return data;
}

// Inflates into at most the stated size; more output than that, or a stream that ends
// early, is refused.
std::string ZipArchive::Inflate(const Item& item, std::string_view packed) const {
    const Bytes view(bytes_, label_ + ", entry \"" + item.name + "\"");
    Inflater inflater;
    if (!inflater.Ok()) view.Fail(item.localHeader, "cannot start inflating");
    std::string out(static_cast<std::size_t>(item.size) + 1, '\0');  // one spare byte detects excess
    z_stream& stream = inflater.Stream();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    if (status != Z_STREAM_END || stream.total_out != item.size)
        view.Fail(item.localHeader, status == Z_DATA_ERROR ? "the deflated data is corrupt"
                                    : stream.total_out > item.size ? "the entry inflates to more than its stated size"
                                                                   : "the deflated data ends early");
    out.resize(static_cast<std::size_t>(item.size));
    return out;
}

}  // namespace tolvane::office
