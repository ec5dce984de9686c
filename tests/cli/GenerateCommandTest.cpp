#include <gtest/gtest.h>

#include "model/ResizeCode.h"
#include "tests/support/RunProgram.h"

namespace tolvane {
namespace {

using testing::RunProgram;

testing::ProgramResult Quenlow(const std::vector<std::string>& args) { return RunProgram(QUENLOW_PROGRAM, args); }

TEST(QuenlowGenerate, TypicalRequestPrintsTheThreeBlocksUnderTheirCaptions) {
    const auto result = Quenlow({"generate", "--form", "Form1", "--pick", "Command1=LM"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "Paste this code in the form's declaration section\n"
              "Dim iFormWidth as integer\r\nDim iFormHeight as integer\r\nDim iFormScaleWidth as integer\r\n"
              "Dim iFormScaleHeight as integer\r\n\r\nDim iCommand1_Left as integer\r\n"
              "\n"
              "Paste this code in the form's Load event section\n"
              "iFormWidth = Form1.Width\r\niFormHeight = Form1.Height\r\niFormScaleWidth = Form1.ScaleWidth\r\n"
              "iFormScaleHeight = Form1.ScaleHeight\r\n\r\niCommand1_Left = Command1.Left\r\n"
              "\n"
              "Paste this code in the form's Resize event section\n"
              "Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n");
}

// Each --block is exactly what the generator returns for the same rows, nothing added.
TEST(QuenlowGenerate, BlockWritesOneBlockByteForByte) {
    ResizeModel model;
    model.formName = "frmMain";
    model.rows[0].controlRef = "Option1(12)";
    model.rows[0].included = model.rows[0].moveH = model.rows[0].scaleH = model.rows[0].sizeV = 1;
    model.rows[1].controlRef = "Text1";
    model.rows[1].included = 1;
    model.rows[2].controlRef = "Frame1";
    model.rows[2].included = model.rows[2].sizeH = model.rows[2].moveV = model.rows[2].scaleV = 1;
    const GeneratedCode expected = GenerateResizeCode(model);

    const std::vector<std::string> picks = {"generate", "--form", "frmMain", "--pick", "Option1(12)=ls,LM,ur",
                                            "--pick", "Text1", "--pick=Frame1=US,UM,LR"};
    const struct {
        const char* block;
        const std::string& text;
    } blocks[] = {{"declarations", expected.declarations}, {"load", expected.onLoad}, {"resize", expected.onResize}};
    for (const auto& block : blocks) {
        auto args = picks;
        args.insert(args.end(), {"--block", block.block});
        const auto result = Quenlow(args);
        EXPECT_EQ(result.status, 0) << block.block << ": " << result.err;
        EXPECT_EQ(result.out, block.text) << block.block;
        EXPECT_EQ(result.err, "") << block.block;
    }
}

TEST(QuenlowGenerate, EmptyFormNameAndNoPicksAreAllowed) {
    const auto result = Quenlow({"generate", "--form", "", "--pick", "Command1=UM", "--block", "resize"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Command1.Top = .Height - (iFormHeight - iCommand1_Top)\r\n");

    const auto bare = Quenlow({"generate", "--form", "Form1", "--block", "resize"});
    EXPECT_EQ(bare.status, 0);
    EXPECT_EQ(bare.out, "");
}

TEST(QuenlowGenerate, PicksFillRowsInOrderUpToTheGridCapacity) {
    std::vector<std::string> args = {"generate", "--form", "F", "--block", "declarations"};
    ResizeModel model;
    model.formName = "F";
    for (int i = 0; i < RowCapacity; ++i) {
        const std::string ref = "Label1(" + std::to_string(RowCapacity - i) + ")";
        args.insert(args.end(), {"--pick", ref + "=UR"});
        model.rows[i].controlRef = ref;
        model.rows[i].included = model.rows[i].sizeV = 1;
    }
    const auto full = Quenlow(args);
    ASSERT_EQ(full.status, 0) << full.err;
    EXPECT_EQ(full.out, GenerateResizeCode(model).declarations);

    args.insert(args.end(), {"--pick", "Extra1"});
    const auto over = Quenlow(args);
    EXPECT_EQ(over.status, 2);
    EXPECT_EQ(over.out, "");
    EXPECT_NE(over.err.find("Extra1"), std::string::npos) << over.err;
}

struct UsageCase {
    std::vector<std::string> args;
    std::string named;  // the bad argument the message must name
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    for (const auto& arg : c.args) *os << "[" << arg << "] ";
}

class QuenlowUsageError : public ::testing::TestWithParam<UsageCase> {};

TEST_P(QuenlowUsageError, ExitsTwoWithOneLineNamingTheArgumentAndNoOutput) {
    const auto result = Quenlow(GetParam().args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
    EXPECT_NE(result.err.find(GetParam().named), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, QuenlowUsageError,
    ::testing::Values(UsageCase{{"generate", "--form", "F", "--pick", "Command1=LX"}, "LX"},
                      UsageCase{{"generate", "--form", "F", "--pick", "Command1=LM,,UM"}, "Command1=LM,,UM"},
                      UsageCase{{"generate", "--form", "F", "--pick", "1Command"}, "1Command"},
                      UsageCase{{"generate", "--form", "F", "--pick", "Option1(x)=LM"}, "Option1(x)"},
                      UsageCase{{"generate", "--form", "F", "--pick", "Option1(-1)"}, "Option1(-1)"},
                      UsageCase{{"generate", "--form", "F", "--pick", "Option1(40000)"}, "Option1(40000)"},
                      UsageCase{{"generate", "--form", "F", "--pick", "Frame1.Command1"}, "Frame1.Command1"},
                      UsageCase{{"generate", "--form", "F", "--pick", "Command 1"}, "Command 1"},
                      UsageCase{{"generate", "--form", "F", "--pick", "=LM"}, "=LM"},
                      UsageCase{{"generate", "--form"}, "--form"},
                      UsageCase{{"generate", "--form", "F", "--pick"}, "--pick"},
                      UsageCase{{"generate", "--form", "F", "--block"}, "--block"},
                      UsageCase{{"generate", "--form", "F", "--block", "all"}, "all"},
                      UsageCase{{"generate", "--pick", "Command1"}, "--form"},
                      UsageCase{{"generate", "--form", "F", "--verbose"}, "--verbose"},
                      UsageCase{{"frobnicate"}, "frobnicate"}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return "Case" + std::to_string(info.index); });

TEST(QuenlowGenerate, HelpAndVersion) {
    const auto help = Quenlow({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* mentioned : {"--form", "--pick", "--block", "LM", "US", "Option1(3)", "Examples"})
        EXPECT_NE(help.out.find(mentioned), std::string::npos) << mentioned;
    const auto version = Quenlow({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("quenlow 1.0", 0), 0u) << version.out;
}

}  // namespace
}  // namespace tolvane
