#include <gtest/gtest.h>

#include "OfficeFixtures.h"
#include "host/files/office/Bytes.h"
#include "host/files/office/Zip.h"

namespace tolvane::office {
namespace {

using testing::Fixture;

TEST(Zip, ExtractsStoredAndDeflatedEntries) {
    const std::string deflated = Fixture("Book.xlsm"), stored = Fixture("Report.docm");
    const ZipArchive book(deflated, "Book.xlsm"), report(stored, "Report.docm");
    EXPECT_EQ(book.Extract("[Content_Types].xml", 100), "<Types/>");
    const auto fromDeflated = book.Extract("XL/vbaProject.bin", 1 << 20);  // part names ignore case
    const auto fromStored = report.Extract("word/vbaProject.bin", 1 << 20);
    ASSERT_TRUE(fromDeflated && fromStored);
    EXPECT_EQ(*fromDeflated, *fromStored);
    EXPECT_FALSE(book.Extract("word/vbaProject.bin", 1 << 20));
    EXPECT_THROW(book.Extract("xl/vbaProject.bin", 100), FormatError);  // over the caller's cap
}

struct Malformed {
    const char* file;
    const char* error;
};

class MalformedZip : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedZip, IsRefusedClearly) {
    const std::string bytes = Fixture(GetParam().file);
    try {
        ZipArchive(bytes, GetParam().file).Extract("xl/vbaProject.bin", 1 << 20);
        ADD_FAILURE() << "no error";
    } catch (const FormatError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().error), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedZip,
                         ::testing::Values(Malformed{"zip-encrypted.xlsm", "the entry is encrypted"},
                                           Malformed{"zip-bad-crc.xlsm", "CRC-32 mismatch"},
                                           Malformed{"zip-bomb.xlsm", "inflates to more than its stated size"},
                                           Malformed{"zip64.xlsm", "zip64"},
                                           Malformed{"Panel.frx", "not a zip archive"}));

}  // namespace
}  // namespace tolvane::office
