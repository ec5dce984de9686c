// The built quenlow as a shell runs it: exit statuses, and generated text on standard
// output byte for byte (CR LF inside the blocks). Everything else is tested in-process.
#include <gtest/gtest.h>

#include "tests/support/RunProgram.h"

namespace tolvane {
namespace {

testing::ProgramResult Quenlow(const std::vector<std::string>& args) { return testing::RunProgram(QUENLOW_PROGRAM, args); }

TEST(QuenlowProgram, WritesTheBlockByteForByteAndExitsZero) {
    const auto result = Quenlow({"generate", "--form", "Form1", "--pick", "Command1=LM,UR", "--block", "resize", "--plain"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n"
                          "Command1.Height = Form1.Height - (iFormHeight - iCommand1_Height)\r\n");
    EXPECT_EQ(result.err, "");
}

TEST(QuenlowProgram, ExitsOneForABadFileAndTwoForABadCommandLine) {
    const auto missing = Quenlow({"forms", "/nonexistent/P.vbp"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "quenlow: /nonexistent/P.vbp: file not found\n");
    const auto usage = Quenlow({"generate", "--form", "F", "--pick", "a", "--pick", "A"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_EQ(usage.err, "quenlow: --pick \"A\": that control is picked twice (letter case ignored)\n");
}

}  // namespace
}  // namespace tolvane
