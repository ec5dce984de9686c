#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "tests/support/Files.h"
#include "tests/support/Quenlow.h"

namespace tolvane::cli {
namespace {

using Result = testing::QuenlowResult;
using testing::Quenlow;
using testing::ReadBytes;
using testing::TempDir;

const std::string kProject = testing::ExampleProject();

// --robust asked for what is now the default text; --plain gives the add-in's original text.
TEST(GenerateVariants, RobustIsTheDefaultAndPlainTheOriginalText) {
    const std::vector<std::string> args = {"generate", kProject, "--form", "Form1", "--pick", "Command1=LM",
                                           "--block", "resize"};
    auto with = [&](const char* flag) {
        std::vector<std::string> more = args;
        if (*flag) more.push_back(flag);
        const Result result = Quenlow(more);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    };
    EXPECT_EQ(with(""),
              "If Me.WindowState <> vbMinimized And iFormScaleWidth <> 0 And iFormScaleHeight <> 0 Then\r\n"
              "    Command1.Left = Me.ScaleWidth - (iFormScaleWidth - iCommand1_Left)\r\nEnd If\r\n");
    EXPECT_EQ(with("--robust"), with(""));
    EXPECT_EQ(with("--plain"), "Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n");
}

TEST(GenerateVariants, NamesAContainerThatIsNotPicked) {
    const Result result = Quenlow({"generate", kProject, "--form", "Form1", "--pick", "chkBold=LM", "--pick", "chkItalic",
                                   "--relative", "container", "--block", "resize", "--plain"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "chkBold.Left = fraOptions.Width - (ifraOptions_Width - ichkBold_Left)\r\n");
    EXPECT_EQ(result.err, "quenlow: note: fraOptions is not picked, so it keeps its size, and chkBold in it keeps its place\n");
}

struct UsageCase {
    std::vector<std::string> args;
    int status;
    const char* says;
};

class PreviewUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(PreviewUsage, IsRefusedWithOneLineAndNoPicture) {
    TempDir folder;
    const std::string picture = (folder.Path() / "p.svg").string();
    std::vector<std::string> args;
    for (const auto& arg : GetParam().args) args.push_back(arg == "PROJECT" ? kProject : arg == "OUT" ? picture : arg);
    const Result result = Quenlow(args);
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("quenlow: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(GetParam().says), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

const UsageCase kUsage[] = {
    {{"generate", "--form", "F", "--relative", "container"}, 2, "only with a PROJECT"},
    {{"generate", "PROJECT", "--form", "Form1", "--relative", "inside"}, 2, "use container or form"},
    {{"generate", "--form", "F", "--robust=yes"}, 2, "takes no value"},
    {{"preview", "--form", "F", "--out", "OUT"}, 2, "a PROJECT is needed"},
    {{"preview", "PROJECT", "--form", "Form1"}, 2, "--out FILE.svg is required"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "PROJECT"}, 2, "ending in .svg"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--out", "OUT"}, 2, "given more than once"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--block", "resize"}, 2, "--block"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--size"}, 2, "missing value"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--size", "0x100"}, 2, "WIDTHxHEIGHT"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--size", "9000x"}, 2, "WIDTHxHEIGHT"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--size=300000x10"}, 2, "WIDTHxHEIGHT"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--size", "9000*6000"}, 2, "WIDTHxHEIGHT"},
    {{"preview", "PROJECT", "--form", "Form1", "--out", "OUT", "--pick", "Command1=XY"}, 2, "unknown option"},
    {{"preview", "PROJECT", "--form", "frmNone", "--out", "OUT"}, 1, "no form named"},
    {{"preview", "PROJECT", "--form", "MDIMain", "--out", "OUT"}, 1, "standard forms only"},
    {{"preview", "PROJECT", "--form", "Form1", "--pick", "cmdNone=LM", "--out", "OUT"}, 1, "has no control"},
};

INSTANTIATE_TEST_SUITE_P(Table, PreviewUsage, ::testing::ValuesIn(kUsage));

// The control rectangles of one window of the picture, by reference, in twips from the
// window's outer top-left corner.
std::map<std::string, std::array<double, 4>> Rectangles(const std::string& svg, int window) {
    std::map<std::string, std::array<double, 4>> boxes;
    const std::regex rect("<rect x=\"([-0-9.e]+)\" y=\"([-0-9.e]+)\" width=\"([0-9.e]+)\" height=\"([0-9.e]+)\" "
                          "class=\"control\" data-window=\"([0-9]+)\" data-ref=\"([^\"]+)\"");
    for (std::sregex_iterator it(svg.begin(), svg.end(), rect), end; it != end; ++it)
        if (std::stoi((*it)[5]) == window)
            boxes[(*it)[6]] = {std::stod((*it)[1]) * 15, std::stod((*it)[2]) * 15, std::stod((*it)[3]) * 15,
                               std::stod((*it)[4]) * 15};
    return boxes;
}

// Form1 is 7575 x 6105 twips outside (4-pixel frame, title and menu bars of 19 pixels); at
// 9000 x 7000 it is 1425 twips wider and 895 taller, its client area 60 twips right of the
// outer corner and 630 down.
TEST(PreviewCommand, DrawsEachControlWhereTheCodePutsIt) {
    TempDir folder;
    const std::string picture = (folder.Path() / "form1.svg").string();
    const Result result = Quenlow({"preview", kProject, "--form", "Form1", "--pick", "Command1=LM,UM", "--pick",
                                   "txtNotes=LR,LS", "--pick", "fraOptions=LR,UR", "--pick", "chkBold=LM",
                                   "--relative", "container", "--size", "9000x7000", "--out", picture});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, picture + ": Form1, no run-time error\n");
    const std::string svg = ReadBytes(picture);
    const auto design = Rectangles(svg, 0), resized = Rectangles(svg, 1);

    const struct {
        const char* ref;
        std::array<double, 4> designed, expected;
    } cases[] = {
        {"Command1", {60 + 4800, 630 + 4800, 1215, 375}, {60 + 4800 + 1425, 630 + 4800 + 895, 1215, 375}},
        // Scaled with the client area: 7455 twips wide at the design size, 8880 at 9000.
        {"txtNotes", {60 + 3720, 630 + 120, 3615, 2775}, {60 + 3720, 630 + 120, 3615 * (8880.0 / 7455), 2775}},
        {"fraOptions", {60 + 120, 630 + 120, 3495, 2775}, {60 + 120, 630 + 120, 3495 + 1425, 2775 + 895}},
        // Inside the frame: 120 from its left edge, now moved with its right edge.
        {"chkBold", {60 + 120 + 120, 630 + 120 + 360, 1575, 255}, {60 + 120 + 120 + 1425, 630 + 120 + 360, 1575, 255}},
        // Not picked, inside a picture box (no border) inside the frame.
        {"optColour(1)", {60 + 120 + 120, 630 + 120 + 1200 + 360, 1215, 255}, {60 + 120 + 120, 630 + 120 + 1200 + 360, 1215, 255}},
    };
    for (const auto& c : cases)
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(design.count(c.ref) && resized.count(c.ref)) << c.ref;
            EXPECT_NEAR(design.at(c.ref)[i], c.designed[i], 0.02) << c.ref << " " << i;
            EXPECT_NEAR(resized.at(c.ref)[i], c.expected[i], 0.02) << c.ref << " " << i;
        }
    // A timer, a menu and a line have no rectangle.
    EXPECT_EQ(resized.count("tmrClock") + resized.count("mnuFile") + resized.count("linSeparator"), 0u);
    EXPECT_NE(svg.find(">Tolvane example</text>"), std::string::npos);  // the form's caption

#ifndef _WIN32
    const std::string png = (folder.Path() / "form1.png").string();
    ASSERT_EQ(std::system(("rsvg-convert '" + picture + "' -o '" + png + "'").c_str()), 0)
        << "rsvg-convert (Debian package librsvg2-bin) must render the picture";
    EXPECT_EQ(ReadBytes(png).substr(1, 3), "PNG");
#endif
}

// Minimised, the plain text sets negative sizes (red, with the error's number) and the default
// code leaves everything as it is.
TEST(PreviewCommand, ShowsWhatTheDefaultCodePreventsWhenMinimised) {
    TempDir folder;
    const std::string picture = (folder.Path() / "min.svg").string();
    const std::vector<std::string> args = {"preview", kProject,   "--form", "Form1",   "--pick", "txtNotes=LR,UR",
                                           "--pick",  "Command1=LM", "--size", "minimized", "--out", picture};
    auto plainArgs = args;
    plainArgs.push_back("--plain");
    const Result plain = Quenlow(plainArgs);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, picture + ": Form1, run-time error 380 in 2 lines\n");
    const std::string svg = ReadBytes(picture);
    EXPECT_NE(svg.find("data-window=\"1\" data-ref=\"txtNotes\" fill=\"#ffd0d0\""), std::string::npos);
    EXPECT_NE(svg.find("<tspan font-weight=\"bold\" fill=\"#c00000\">380</tspan> txtNotes"), std::string::npos);

    const Result working = Quenlow(args);
    EXPECT_EQ(working.out, picture + ": Form1, no run-time error\n");
}

// Numbers no picture can be made of are refused, naming the control; text XML forbids is
// replaced, so that the picture stays well-formed.
TEST(PreviewCommand, RefusesAbsurdNumbersAndEscapesWhatXmlForbids) {
    TempDir folder;
    const auto form = [&](const std::string& properties, const std::string& label = "") {
        return folder.Write("F.frm", "VERSION 5.00\r\nBegin VB.Form F\r\n   ClientWidth = 3000\r\n   ClientHeight = 2000\r\n" +
                                         properties + "   Begin VB.Label L1\r\n      Width = 100\r\n      Height = 100\r\n" +
                                         label + "   End\r\nEnd\r\n").string();
    };
    const std::string picture = (folder.Path() / "p.svg").string();
    const struct {
        std::string properties, label;
        const char* says;
    } refused[] = {{"", "      Left = 1e308\r\n", "F.L1: Left = 1e+308 is out of range"},
                   {"   ScaleMode = 0\r\n   ScaleWidth = 1e-320\r\n", "", "F: ScaleWidth = 1e-320 gives no usable scale"}};
    for (const auto& c : refused) {
        const Result result = Quenlow({"preview", form(c.properties, c.label), "--form", "F", "--out", picture});
        EXPECT_EQ(result.status, 1) << c.says;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    const Result caption = Quenlow({"preview", form("   Caption = \"A\x01\x1F\xEF\xBF\xBE\"\r\n"), "--codepage", "65001",
                                    "--form", "F", "--out", picture});
    ASSERT_EQ(caption.status, 0) << caption.err;
    const std::string svg = ReadBytes(picture);
    EXPECT_NE(svg.find(">A\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD</text>"), std::string::npos);
}

TEST(PreviewCommand, AFailedRunLeavesTheOldPictureAlone) {
    TempDir folder;
    const auto picture = folder.Write("p.svg", "old picture");
    const Result failed = Quenlow({"preview", kProject, "--form", "Form1", "--pick", "cmdNone", "--out", picture.string()});
    EXPECT_EQ(failed.status, 1);
    const Result nowhere = Quenlow({"preview", kProject, "--form", "Form1", "--out", (folder.Path() / "no" / "p.svg").string()});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err.find("not written: folder not found"), std::string::npos) << nowhere.err;
    EXPECT_EQ(ReadBytes(picture), "old picture");

    ASSERT_EQ(Quenlow({"preview", kProject, "--form", "Form1", "--out", picture.string()}).status, 0);
    EXPECT_EQ(ReadBytes(picture).rfind("<?xml", 0), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace tolvane::cli
