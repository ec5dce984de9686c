#include <gtest/gtest.h>

#include "OfficeFixtures.h"
#include "host/files/office/CompoundFile.h"

namespace tolvane::office {
namespace {

using testing::Fixture;

std::string StreamAt(const CompoundFile& file, std::vector<std::string> path) {
    std::uint32_t at = file.Root();
    for (const auto& name : path) {
        const auto next = file.Find(at, name);
        if (!next) return "<missing " + name + ">";
        at = *next;
    }
    return file.Read(at);
}

CompoundFile OpenFrx(const std::string& name) { return CompoundFile(Fixture(name).substr(24), name); }

TEST(CompoundFile, ReadsMiniStreamAndSectorStreams) {
    const CompoundFile file(Fixture("cfb-valid.bin"), "cfb-valid.bin");
    std::string big;
    for (int i = 0; i < 20; ++i)
        for (int c = 0; c < 256; ++c) big += static_cast<char>(c);
    EXPECT_EQ(StreamAt(file, {"big"}), big);  // 5120 bytes: FAT sectors
    EXPECT_EQ(StreamAt(file, {"SMALL"}), "tiny");  // mini stream; names compare ignoring case
    EXPECT_FALSE(file.Find(file.Root(), "none"));
}

// The same form written with 512-byte sectors, 4096-byte sectors and DIFAT sectors (more
// than 109 FAT sectors) reads the same, streams under and over the mini stream's cutoff.
TEST(CompoundFile, SectorSizesAndDifatReadTheSameStreams) {
    const CompoundFile small = OpenFrx("Panel.frx"), large = OpenFrx("Panel4096.frx"), difat = OpenFrx("PanelDifat.frx");
    EXPECT_EQ(small.SectorSize(), 512u);
    EXPECT_EQ(large.SectorSize(), 4096u);
    const std::vector<std::vector<std::string>> streams = {{"f"}, {"o"}, {"i05", "i07", "i09", "o"}, {"i05", "x"}};
    for (const auto& path : streams) {
        const std::string expected = StreamAt(small, path);
        EXPECT_EQ(StreamAt(large, path), expected) << path.back();
        EXPECT_EQ(StreamAt(difat, path), expected) << path.back();
    }
    EXPECT_GT(StreamAt(small, {"o"}).size(), 4096u);
    EXPECT_LT(StreamAt(small, {"f"}).size(), 4096u);
}

struct Malformed {
    const char* file;
    const char* error;
};

class MalformedCompoundFile : public ::testing::TestWithParam<Malformed> {};

// Opening and reading every stream is refused with the problem named, never a crash or a hang.
TEST_P(MalformedCompoundFile, IsRefusedClearly) {
    try {
        const CompoundFile file(Fixture(GetParam().file), GetParam().file);
        for (const auto child : file.At(file.Root()).children) file.Read(child);
        ADD_FAILURE() << "no error";
    } catch (const FormatError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().error), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).rfind(GetParam().file, 0), 0u) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedCompoundFile,
    ::testing::Values(Malformed{"cfb-fat-cycle.bin", "returns to sector 0 (a cycle)"},
                      Malformed{"cfb-directory-cycle.bin", "reached twice"},
                      Malformed{"cfb-sector-outside.bin", "sector 16777200 is not in the FAT"},
                      Malformed{"cfb-stream-truncated.bin", "is truncated: 5120 of 5720 bytes"},
                      Malformed{"cfb-file-truncated.bin", "lies outside the file"},
                      Malformed{"Panel.frm", "not a compound file"}));

}  // namespace
}  // namespace tolvane::office
