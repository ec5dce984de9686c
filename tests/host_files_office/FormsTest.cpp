#include <gtest/gtest.h>

#include "OfficeFixtures.h"
#include "host/files/office/FormsBinary.h"
#include "host/files/office/FormsProperties.h"

namespace tolvane::office {
namespace {

using testing::Describe;
using testing::Fixture;

class ExportedForm : public ::testing::TestWithParam<const char*> {};

// Every class, the MultiPage's pages in the order of its "x" stream (not of its sites) without
// its own tab strip, a Frame inside a Page, Latin-1 and UTF-16 names, positions with the Left
// first, sizes from each control's data in "o" or from a container's "f", in points.
TEST_P(ExportedForm, ReadsTheControlTree) {
    const FormContents form = ReadFrxForm(Fixture(GetParam()), 0, GetParam());
    EXPECT_EQ(form.caption, "Control Panel");
    EXPECT_EQ(form.width, 380.01);
    EXPECT_EQ(form.height, 259.99);
    EXPECT_EQ(Describe(form.controls), testing::kPanelTree);
    EXPECT_EQ(form.controls.back().clsid, "{8E27C92B-1264-101C-8A2F-040224009C02}");
    EXPECT_EQ(form.controls.front().clsid, "");
}

INSTANTIATE_TEST_SUITE_P(SectorSizes, ExportedForm, ::testing::Values("Panel.frx", "Panel4096.frx", "PanelDifat.frx"));

TEST(ExportedForm, RefusesDataPastTheObjectStream) {
    try {
        ReadFrxForm(Fixture("Short.frx"), 0, "Short.frx");
        FAIL() << "no error";
    } catch (const FormatError& error) {
        EXPECT_EQ(error.Place(), "Short.frx, stream \"o\"") << error.what();
        EXPECT_NE(error.Problem().find("control \"lblName\""), std::string::npos) << error.what();
    }
    EXPECT_THROW(ReadFrxForm(Fixture("Panel.frx"), 8, "Panel.frx"), FormatError);  // no header there
}

// A property block: each small property aligned to its own size from the data block's start,
// large ones in the extra block in mask order, 4-aligned.
struct BlockCase {
    const char* behaviour;
    std::string bytes;  // after the version and size
    std::string read;   // "bit=value ..." or the error's problem
};

std::string Block(const std::string& body) {
    return std::string("\0\2", 2) + static_cast<char>(body.size()) + '\0' + body;
}

std::string Show(const forms::PropertyBlock& block) {
    std::string out;
    for (const auto& [bit, value] : block.numbers) out += std::to_string(bit) + "=" + std::to_string(value) + " ";
    for (const auto& [bit, pair] : block.pairs)
        out += std::to_string(bit) + "=" + std::to_string(pair.first) + "," + std::to_string(pair.second) + " ";
    for (const auto& [bit, text] : block.texts) out += std::to_string(bit) + "=" + text + " ";
    return out;
}

constexpr forms::Field kLayout[] = {forms::Field::U8, forms::Field::U32, forms::Field::U16, forms::Field::Pair,
                                    forms::Field::Text, forms::Field::Undefined};

class PropertyBlockCase : public ::testing::TestWithParam<BlockCase> {};

TEST_P(PropertyBlockCase, Reads) {
    const std::string bytes = Block(GetParam().bytes);
    const Bytes view(bytes, "block");
    try {
        EXPECT_EQ(Show(forms::ReadPropertyBlock(view, 0, kLayout)), GetParam().read) << GetParam().behaviour;
    } catch (const FormatError& error) {
        EXPECT_EQ(error.Problem(), GetParam().read) << GetParam().behaviour;
    }
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyBlockCase,
    ::testing::Values(
        BlockCase{"padding before a 4-byte property after a byte",
                  "\x07\0\0\0" "\x05\0\0\0" "\x09\0\0\0" "\x0A\0\0\0"s, "0=5 1=9 2=10 "},
        BlockCase{"a 2-byte property right after a byte, then the extra block",
                  "\x0D\0\0\0" "\x05\0\x0C\0" "\x01\0\0\0\x02\0\0\0"s, "0=5 2=12 3=1,2 "},
        BlockCase{"a compressed string then padding to 4",
                  "\x10\0\0\0" "\x03\0\0\x80" "abc\0"s, "4=abc "},
        BlockCase{"a UTF-16 string", "\x10\0\0\0" "\x04\0\0\0" "\xE9\0\x01\x26"s, "4=é☁ "},
        BlockCase{"an undefined bit", "\x20\0\0\0"s, "offset 8: property bit 5 is set but has no meaning here"},
        BlockCase{"a string longer than the block",
                  "\x10\0\0\0" "\x40\0\0\x80" "ab"s, "offset 12: a string runs past the end of its property block (offset 14)"}));

}  // namespace
}  // namespace tolvane::office
