// Reader for the add-in designer's registration record (layout in AddInRegistration.h).
// The record is our own constant, but it is read as untrusted bytes: every count is checked
// against what is left before anything is copied.
#include "connect/server/AddInRegistration.h"

#include <algorithm>
#include <stdexcept>

namespace tolvane::server {

namespace {

class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Offset() const { return offset_; }
    std::size_t Remaining() const { return bytes_.size() - offset_; }

    std::uint32_t Word(const char* field) {
        Need(4, field);
        const std::uint32_t value = static_cast<std::uint32_t>(bytes_[offset_]) |
                                    static_cast<std::uint32_t>(bytes_[offset_ + 1]) << 8 |
                                    static_cast<std::uint32_t>(bytes_[offset_ + 2]) << 16 |
                                    static_cast<std::uint32_t>(bytes_[offset_ + 3]) << 24;
        offset_ += 4;
        return value;
    }

    // A counted text: the count includes the terminating zero; a count of 0 is the empty text.
    std::string Text(const char* field) {
        const std::size_t start = offset_;
        const std::uint32_t count = Word(field);
        if (count == 0) return {};
        if (count > Remaining()) Fail(start, field, "its length runs past the end of the record");
        const auto text = bytes_.subspan(offset_, count);
        if (text.back() != 0) Fail(start, field, "has no terminating zero");
        if (std::find(text.begin(), text.end() - 1, std::uint8_t{0}) != text.end() - 1)
            Fail(start, field, "has a zero byte inside the text");
        offset_ += count;
        return std::string(text.begin(), text.end() - 1);
    }

    std::array<std::uint8_t, 16> Guid(const char* field) {
        Need(16, field);
        std::array<std::uint8_t, 16> guid{};
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_), 16, guid.begin());
        offset_ += 16;
        return guid;
    }

    [[noreturn]] static void Fail(std::size_t offset, const char* field, const char* problem) {
        throw std::invalid_argument("add-in registration record, offset " + std::to_string(offset) + " (" + field +
                                    "): " + problem);
    }

private:
    void Need(std::size_t count, const char* field) const {
        if (count > Remaining()) Fail(offset_, field, "the record ends early");
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
};

}  // namespace

AddInEntry ParseAddInRegistration(std::span<const std::uint8_t> record) {
    RecordReader reader(record);
    AddInEntry entry;
    entry.designerClsid = reader.Guid("designer class");
    if (entry.designerClsid != kAddInDesignerClsid)
        RecordReader::Fail(0, "designer class", "is not the add-in designer's class");

    const std::uint32_t rest = reader.Word("length");
    if (rest != reader.Remaining()) RecordReader::Fail(16, "length", "does not match the size of the record");

    const std::size_t rootOffset = reader.Offset();
    entry.registryRoot = reader.Text("registry root");
    const std::size_t nameOffset = reader.Offset();
    entry.friendlyName = reader.Text("display name");
    entry.description = reader.Text("description");
    entry.loadBehavior = reader.Word("load behaviour");
    entry.satelliteDllName = reader.Text("satellite library");
    entry.additionalKey = reader.Text("additional registry key");
    entry.commandLineSafe = reader.Word("command-line-safe flag");
    for (const char* field : {"reserved word 1", "reserved word 2", "reserved word 3"}) reader.Word(field);
    if (reader.Remaining() != 0) RecordReader::Fail(reader.Offset(), "end", "unexpected bytes after the last field");

    if (entry.registryRoot.empty()) RecordReader::Fail(rootOffset, "registry root", "is empty");
    if (entry.friendlyName.empty()) RecordReader::Fail(nameOffset, "display name", "is empty");
    return entry;
}

}  // namespace tolvane::server
