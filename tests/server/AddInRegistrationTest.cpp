// The add-in designer's record: its exact 156 bytes, and the reader that registration uses,
// fed the record and damaged copies of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "connect/server/AddInRegistration.h"

using tolvane::server::AddInEntry;
using tolvane::server::kAddInRegistrationRecord;
using tolvane::server::ParseAddInRegistration;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Word(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Text(Bytes& out, const std::string& text) {
    Word(out, static_cast<std::uint32_t>(text.size() + 1));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// The record built field by field from its documented layout.
Bytes DocumentedRecord() {
    Bytes rest;
    Text(rest, "HKEY_CURRENT_USER\\Software\\Microsoft\\Visual Basic\\6.0");
    Text(rest, "Quenlow");
    Text(rest, "Generates code to resize controls");
    Word(rest, 0);  // load behaviour
    Word(rest, 0);  // satellite library: empty
    Word(rest, 0);  // additional key: empty
    Word(rest, 1);  // command-line safe
    Word(rest, 0);
    Word(rest, 0);
    Word(rest, 0);
    // {AC0714F7-3D04-11D1-AE7D-00A0C90F26F4}
    Bytes record = {0xF7, 0x14, 0x07, 0xAC, 0x04, 0x3D, 0xD1, 0x11, 0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4};
    Word(record, static_cast<std::uint32_t>(rest.size()));
    record.insert(record.end(), rest.begin(), rest.end());
    return record;
}

Bytes Record() { return Bytes(kAddInRegistrationRecord.begin(), kAddInRegistrationRecord.end()); }

TEST(AddInRegistrationRecord, IsTheDocumentedBytes) {
    const Bytes documented = DocumentedRecord();
    ASSERT_EQ(documented.size(), 156u);
    EXPECT_EQ(Record(), documented);
    // Field offsets of the layout.
    EXPECT_EQ(documented[16], 136);
    EXPECT_EQ(documented[20], 54);
    EXPECT_EQ(documented[78], 8);
    EXPECT_EQ(documented[90], 34);
    EXPECT_EQ(documented[140], 1);
}

TEST(AddInRegistrationRecord, ReadsTheAddInEntry) {
    const AddInEntry entry = ParseAddInRegistration(kAddInRegistrationRecord);
    EXPECT_EQ(entry.registryRoot, "HKEY_CURRENT_USER\\Software\\Microsoft\\Visual Basic\\6.0");
    EXPECT_EQ(entry.friendlyName, "Quenlow");
    EXPECT_EQ(entry.description, "Generates code to resize controls");
    EXPECT_EQ(entry.loadBehavior, 0u);
    EXPECT_EQ(entry.satelliteDllName, "");
    EXPECT_EQ(entry.additionalKey, "");
    EXPECT_EQ(entry.commandLineSafe, 1u);
}

TEST(AddInRegistrationRecord, EveryTruncationIsRejected) {
    const Bytes record = Record();
    for (std::size_t size = 0; size < record.size(); ++size) {
        const Bytes shorter(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW(ParseAddInRegistration(shorter), std::invalid_argument) << size << " bytes";
    }
}

TEST(AddInRegistrationRecord, DamagedRecordsAreRejectedWithTheirOffset) {
    struct Damage {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
        const char* message;  // part of the error text
    };
    const Damage damages[] = {
        {"other designer class", 0, 0xF8, "offset 0 (designer class)"},
        {"length one short", 16, 135, "offset 16 (length)"},
        {"root count past the end", 21, 0x10, "offset 20 (registry root)"},
        {"root without terminator", 77, 'X', "offset 20 (registry root)"},
        {"zero inside the name", 84, 0, "offset 78 (display name)"},
        {"description count too short", 90, 20, "offset 90 (description)"},
        {"satellite count past the end", 132, 200, "offset 132 (satellite library)"},
    };
    for (const Damage& damage : damages) {
        Bytes record = Record();
        record[damage.offset] = damage.value;
        try {
            ParseAddInRegistration(record);
            ADD_FAILURE() << damage.what << ": accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(damage.message), std::string::npos) << damage.what << ": " << e.what();
        }
    }
}

TEST(AddInRegistrationRecord, TrailingBytesAreRejected) {
    Bytes record = Record();
    record.push_back(0);
    EXPECT_THROW(ParseAddInRegistration(record), std::invalid_argument);
    record[16] = 137;  // even when the length says so
    EXPECT_THROW(ParseAddInRegistration(record), std::invalid_argument);
}

}  // namespace
