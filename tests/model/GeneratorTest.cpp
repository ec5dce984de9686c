#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/ResizeCode.h"

namespace tolvane {
namespace {

// The rows of the original grid: the texts below were written for it.
constexpr int kGridRows = 50;

const std::string kDeclarationsHeader =
    "Dim iFormWidth as integer\r\n"
    "Dim iFormHeight as integer\r\n"
    "Dim iFormScaleWidth as integer\r\n"
    "Dim iFormScaleHeight as integer\r\n"
    "\r\n";

std::string LoadHeader(const std::string& form) {
    return "iFormWidth = " + form + ".Width\r\n" + "iFormHeight = " + form + ".Height\r\n" +
           "iFormScaleWidth = " + form + ".ScaleWidth\r\n" + "iFormScaleHeight = " + form + ".ScaleHeight\r\n" +
           "\r\n";
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

ControlRow Included(const std::string& ref) {
    ControlRow row;
    row.controlRef = ref;
    row.included = 1;
    return row;
}

TEST(GenerateResizeCode, WorkedExampleComesOutByteForByte) {
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.formName = "Form1";
    model.rows[0] = Included("Command1");
    model.rows[0].moveH = 1;
    model.rows[0].moveV = 1;
    model.rows[1] = Included("Option1(0)");
    model.rows[1].moveH = model.rows[1].sizeH = model.rows[1].scaleH = model.rows[1].sizeV = 1;
    model.rows[2].controlRef = "Label2";
    model.rows[2].moveH = 1;
    model.rows[3] = Included("List1");
    model.rows[3].scaleH = model.rows[3].scaleV = 1;

    const GeneratedCode code = GenerateResizeCode(model);

    EXPECT_EQ(code.declarations,
              "Dim iFormWidth as integer\r\nDim iFormHeight as integer\r\nDim iFormScaleWidth as integer\r\n"
              "Dim iFormScaleHeight as integer\r\n\r\nDim iCommand1_Left as integer\r\n"
              "Dim iCommand1_Top as integer\r\nDim iOption1_0__Left as integer\r\n"
              "Dim iOption1_0__Width as integer\r\nDim iOption1_0__Height as integer\r\n");
    EXPECT_EQ(code.onLoad,
              "iFormWidth = Form1.Width\r\niFormHeight = Form1.Height\r\niFormScaleWidth = Form1.ScaleWidth\r\n"
              "iFormScaleHeight = Form1.ScaleHeight\r\n\r\niCommand1_Left = Command1.Left\r\n"
              "iCommand1_Top = Command1.Top\r\niOption1_0__Left = Option1(0).Left\r\n"
              "iOption1_0__Width = Option1(0).Width\r\niOption1_0__Height = Option1(0).Height\r\n");
    EXPECT_EQ(code.onResize,
              "Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n"
              "Command1.Top = Form1.Height - (iFormHeight - iCommand1_Top)\r\n"
              "Option1(0).Left = Form1.Width * (iOption1_0__Left / iFormWidth)\r\n"
              "Option1(0).Width = Form1.Width * (iOption1_0__Width / iFormWidth)\r\n"
              "Option1(0).Height = Form1.Height - (iFormHeight - iOption1_0__Height)\r\n");
}

TEST(GenerateResizeCode, EmptyModelGivesOnlyTheHeaders) {
    const GeneratedCode code = GenerateResizeCode(ResizeModel{});
    EXPECT_EQ(code.declarations, kDeclarationsHeader);
    EXPECT_EQ(code.onLoad, LoadHeader(""));
    EXPECT_EQ(code.onResize, "");
}

TEST(GenerateResizeCode, RowsNotIncludedOrScaleOnlyContributeNothing) {
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.formName = "Form1";
    ControlRow everything = Included("Text1");
    everything.moveH = everything.sizeH = everything.scaleH = 1;
    everything.moveV = everything.sizeV = everything.scaleV = 1;
    for (int i = 0; i < kGridRows; ++i) {
        model.rows[i] = everything;
        model.rows[i].included = 0;
    }
    model.rows[7] = Included("List1");
    model.rows[7].scaleH = model.rows[7].scaleV = 1;

    const GeneratedCode code = GenerateResizeCode(model);
    EXPECT_EQ(code.declarations, kDeclarationsHeader);
    EXPECT_EQ(code.onLoad, LoadHeader("Form1"));
    EXPECT_EQ(code.onResize, "");
}

// One row per option combination of one axis, against the combination table. Written for the
// horizontal axis; the vertical one reads Top for Left and Height for Width, the form's too.
struct AxisCase {
    bool move, size, scale;
    std::vector<std::string> recorded;  // properties declared and loaded, in order
    std::vector<std::string> resize;    // resize lines, in order
};

std::string OnAxis(std::string text, bool horizontal) {
    if (horizontal) return text;
    for (const auto& [from, to] : {std::pair{"Left", "Top"}, std::pair{"Width", "Height"}})
        for (std::size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, std::strlen(from), to);
    return text;
}

class Axis : public ::testing::TestWithParam<std::tuple<bool, AxisCase>> {};

TEST_P(Axis, FollowsTheCombinationTable) {
    const auto& [horizontal, c] = GetParam();
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.formName = "F";
    ControlRow& row = model.rows[0] = Included("C");
    (horizontal ? row.moveH : row.moveV) = c.move;
    (horizontal ? row.sizeH : row.sizeV) = c.size;
    (horizontal ? row.scaleH : row.scaleV) = c.scale;
    std::vector<std::string> declarations, loads, resize;
    for (const auto& property : c.recorded) {
        declarations.push_back(OnAxis("Dim iC_" + property + " as integer", horizontal));
        loads.push_back(OnAxis("iC_" + property + " = C." + property, horizontal));
    }
    for (const auto& line : c.resize) resize.push_back(OnAxis(line, horizontal));
    const GeneratedCode code = GenerateResizeCode(model);
    EXPECT_EQ(code.declarations, kDeclarationsHeader + Lines(declarations));
    EXPECT_EQ(code.onLoad, LoadHeader("F") + Lines(loads));
    EXPECT_EQ(code.onResize, Lines(resize));
}

const std::string kLeftOffset = "C.Left = F.Width - (iFormWidth - iC_Left)";
const std::string kWidthOffset = "C.Width = F.Width - (iFormWidth - iC_Width)";
const std::string kLeftScaled = "C.Left = F.Width * (iC_Left / iFormWidth)";
const std::string kWidthScaled = "C.Width = F.Width * (iC_Width / iFormWidth)";

INSTANTIATE_TEST_SUITE_P(
    Combinations, Axis,
    ::testing::Combine(::testing::Bool(),
                       ::testing::Values(AxisCase{false, false, false, {}, {}}, AxisCase{false, false, true, {}, {}},
                                         AxisCase{true, false, false, {"Left"}, {kLeftOffset}},
                                         AxisCase{false, true, false, {"Width"}, {kWidthOffset}},
                                         AxisCase{true, true, false, {"Left", "Width"}, {kLeftOffset, kWidthOffset}},
                                         AxisCase{true, false, true, {"Left"}, {kLeftScaled}},
                                         AxisCase{false, true, true, {"Width"}, {kWidthScaled}},
                                         AxisCase{true, true, true, {"Left", "Width"}, {kLeftScaled, kWidthScaled}})));

TEST(GenerateResizeCode, LinesOfARowStayTogetherInIndexOrderWithTheirOwnOrderPerBlock) {
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.formName = "Form1";
    // Names deliberately out of alphabetical order: rows are never sorted.
    model.rows[4] = Included("Zeta");
    model.rows[4].moveH = model.rows[4].sizeH = model.rows[4].moveV = model.rows[4].sizeV = 1;
    model.rows[0] = Included("Beta");
    model.rows[0].sizeV = model.rows[0].moveH = 1;
    model.rows[49] = Included("Alpha");
    model.rows[49].moveV = 1;

    const GeneratedCode code = GenerateResizeCode(model);
    EXPECT_EQ(code.declarations, kDeclarationsHeader + Lines({
                                                           "Dim iBeta_Left as integer",
                                                           "Dim iBeta_Height as integer",
                                                           "Dim iZeta_Left as integer",
                                                           "Dim iZeta_Top as integer",
                                                           "Dim iZeta_Width as integer",
                                                           "Dim iZeta_Height as integer",
                                                           "Dim iAlpha_Top as integer",
                                                       }));
    EXPECT_EQ(code.onLoad, LoadHeader("Form1") + Lines({
                                                     "iBeta_Left = Beta.Left",
                                                     "iBeta_Height = Beta.Height",
                                                     "iZeta_Left = Zeta.Left",
                                                     "iZeta_Top = Zeta.Top",
                                                     "iZeta_Width = Zeta.Width",
                                                     "iZeta_Height = Zeta.Height",
                                                     "iAlpha_Top = Alpha.Top",
                                                 }));
    // Resize: Left, Width, Top, Height within a row.
    EXPECT_EQ(code.onResize, Lines({
                                 "Beta.Left = Form1.Width - (iFormWidth - iBeta_Left)",
                                 "Beta.Height = Form1.Height - (iFormHeight - iBeta_Height)",
                                 "Zeta.Left = Form1.Width - (iFormWidth - iZeta_Left)",
                                 "Zeta.Width = Form1.Width - (iFormWidth - iZeta_Width)",
                                 "Zeta.Top = Form1.Height - (iFormHeight - iZeta_Top)",
                                 "Zeta.Height = Form1.Height - (iFormHeight - iZeta_Height)",
                                 "Alpha.Top = Form1.Height - (iFormHeight - iAlpha_Top)",
                             }));
}

TEST(VariableStem, ReplacesEveryParenthesis) {
    EXPECT_EQ(VariableStem("Command1"), "Command1");
    EXPECT_EQ(VariableStem("Option1(3)"), "Option1_3_");
    EXPECT_EQ(VariableStem("Option1(12)"), "Option1_12_");
    EXPECT_EQ(VariableStem("a(b)(c)"), "a_b__c_");
    EXPECT_EQ(VariableStem(""), "");
}

TEST(GenerateResizeCode, ControlArrayElementKeepsItsReferenceAndGetsADoubleUnderscoreStem) {
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.formName = "frmMain";
    model.rows[0] = Included("Option1(12)");
    model.rows[0].moveH = model.rows[0].sizeV = model.rows[0].scaleV = 1;

    const GeneratedCode code = GenerateResizeCode(model);
    EXPECT_EQ(code.declarations,
              kDeclarationsHeader + Lines({"Dim iOption1_12__Left as integer", "Dim iOption1_12__Height as integer"}));
    EXPECT_EQ(code.onLoad, LoadHeader("frmMain") + Lines({"iOption1_12__Left = Option1(12).Left",
                                                          "iOption1_12__Height = Option1(12).Height"}));
    EXPECT_EQ(code.onResize, Lines({"Option1(12).Left = frmMain.Width - (iFormWidth - iOption1_12__Left)",
                                    "Option1(12).Height = frmMain.Height * (iOption1_12__Height / iFormHeight)"}));
}

TEST(GenerateResizeCode, EmptyFormNameLeavesTheReferenceOut) {
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.rows[0] = Included("Command1");
    model.rows[0].moveH = 1;
    const GeneratedCode code = GenerateResizeCode(model);
    EXPECT_EQ(code.onLoad.substr(0, code.onLoad.find("\r\n")), "iFormWidth = .Width");
    EXPECT_EQ(code.onResize, "Command1.Left = .Width - (iFormWidth - iCommand1_Left)\r\n");
}

TEST(GenerateResizeCode, AnyNonZeroCheckStateCountsAsSet) {
    ResizeModel twos;
    twos.rows.resize(kGridRows);
    twos.formName = "Form1";
    twos.rows[0] = Included("Command1");
    twos.rows[0].included = 2;
    twos.rows[0].moveH = -1;
    twos.rows[0].sizeV = 2;
    twos.rows[0].scaleV = 7;

    ResizeModel ones = twos;
    ones.rows[0].included = ones.rows[0].moveH = ones.rows[0].sizeV = ones.rows[0].scaleV = 1;

    EXPECT_EQ(GenerateResizeCode(twos), GenerateResizeCode(ones));
    EXPECT_NE(GenerateResizeCode(twos).onResize, "");
}

std::vector<ControlRow> IncludedRows(const std::vector<std::string>& refs) {
    std::vector<ControlRow> rows;
    for (const auto& ref : refs) rows.push_back(Included(ref));
    return rows;
}

TEST(RowStems, OnlyTheLaterRowOfAClashGetsAStemOfItsOwn) {
    const struct {
        std::vector<std::string> refs;
        std::vector<std::string> stems;
    } cases[] = {
        {{"Command1", "Option1(3)", "Option1(13)"}, {"Command1", "Option1_3_", "Option1_13_"}},
        {{"Option1(3)", "Option1_3_"}, {"Option1_3_", "Option1_3__2"}},
        {{"a", "A", "A"}, {"a", "A_2", "A_3"}},
        {{"A", "A_2", "a"}, {"A", "A_2", "a_3"}},                 // A_2 is taken by a row of its own
        {{"\xC3\x91" "o", "\xC3\xB1" "O"}, {"\xC3\x91" "o", "\xC3\xB1" "O_2"}},  // Ño / ñO
    };
    for (const auto& c : cases) EXPECT_EQ(RowStems(IncludedRows(c.refs)), c.stems) << c.refs.front();

    std::vector<ControlRow> rows = IncludedRows({"A", "a"});
    rows[0].included = 0;  // a row left out declares nothing, so it clashes with nothing
    EXPECT_EQ(RowStems(rows), (std::vector<std::string>{"", "a"}));
}

TEST(GenerateResizeCode, ClashingStemsDeclareEachVariableOnce) {
    ResizeModel model;
    model.rows.resize(kGridRows);
    model.formName = "F";
    model.rows[0] = Included("A(1)");
    model.rows[1] = Included("A_1_");
    model.rows[0].moveH = model.rows[1].moveH = 1;
    const GeneratedCode code = GenerateResizeCode(model);
    EXPECT_EQ(code.declarations, kDeclarationsHeader + Lines({"Dim iA_1__Left as integer", "Dim iA_1__2_Left as integer"}));
    EXPECT_EQ(code.onLoad, LoadHeader("F") + Lines({"iA_1__Left = A(1).Left", "iA_1__2_Left = A_1_.Left"}));
    EXPECT_EQ(code.onResize, Lines({"A(1).Left = F.Width - (iFormWidth - iA_1__Left)",
                                    "A_1_.Left = F.Width - (iFormWidth - iA_1__2_Left)"}));
}

TEST(GenerateResizeCode, TakesAnyNumberOfRows) {
    // The grid's model and a plain list of rows write the same text, beyond 50 rows too.
    ResizeModel model;
    model.formName = "F";
    for (int i = 0; i < 510; ++i) {
        model.rows.push_back(Included("C" + std::to_string(i)));
        model.rows.back().sizeV = 1;
    }
    const GeneratedCode all = GenerateResizeCode(model);
    EXPECT_EQ(all, GenerateResizeCode("F", model.rows));
    EXPECT_TRUE(all.onResize.ends_with("C509.Height = F.Height - (iFormHeight - iC509_Height)\r\n"));
}

}  // namespace
}  // namespace tolvane
