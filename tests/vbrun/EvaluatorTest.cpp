#include <gtest/gtest.h>

#include <cfloat>
#include <map>
#include <stdexcept>

#include "vbrun/Evaluator.h"
#include "tests/vbrun/MapObjects.h"

namespace tolvane {
namespace {

using testing::MapObjects;

// One statement run over F (Width 40000, Height 3000), C (Left 100, Width 50), and the
// variables i (Integer) = 30000, n (Integer) = -10000, l (Long) = 7, d (Double).
struct StatementCase {
    const char* statement;
    int error;            // 0, or the VB error number expected
    const char* checked;  // a variable, or "C.Width" style property, read afterwards
    double expected;      // its value afterwards (unchanged after an error)
};

const StatementCase kStatements[] = {
    // Assignment to Integer and Long rounds half to even and overflows out of range.
    {"s = F.Width", vb::kOverflowNumber, "s", 0},
    {"l = F.Width", 0, "l", 40000},
    {"s = 5 / 2", 0, "s", 2},
    {"s = 7 / 2", 0, "s", 4},
    {"s = 0 - 5 / 2", 0, "s", -2},
    // Integer with Integer stays Integer, and overflows there; Long does not.
    {"s = F.Height - (i - n)", vb::kOverflowNumber, "s", 0},
    {"l = F.Height - (l - i - n)", 0, "l", 22993},
    // "/" over Integers is Single, over a Long Double; 0 / 0 overflows, x / 0 divides by zero.
    {"d = 1 / 3", 0, "d", static_cast<double>(1.0f / 3.0f)},
    {"d = l / 3", 0, "d", 7.0 / 3.0},
    {"d = s / s", vb::kOverflowNumber, "d", 0},
    {"d = l / s", vb::kDivisionByZeroNumber, "d", 0},
    // A Width or Height below 0 is refused with 380; a Left below 0 is fine.
    {"C.Width = C.Left - 101", vb::kInvalidPropertyValueNumber, "C.Width", 50},
    {"C.Left = C.Width - 101", 0, "C.Left", -51},
    {"C.Width = 0", 0, "C.Width", 0},
    // Single-line If, with Else; comparisons and Or.
    {"If C.Left - 101 > 0 Then C.Width = C.Left - 101 Else C.Width = 0", 0, "C.Width", 0},
    {"If C.Left > 0 Or l = 0 Then C.Width = 9 Else C.Width = 0", 0, "C.Width", 9},
    {"If F.WindowState = vbMinimized Then C.Width = 1", 0, "C.Width", 50},
    // A property the object lacks (a Timer has no Left at run time).
    {"C.Visible = 1", vb::kNoSuchMemberNumber, "C.Width", 50},
    {"l = T.Left", vb::kNoSuchMemberNumber, "l", 7},
};

class Statements : public ::testing::TestWithParam<StatementCase> {};

TEST_P(Statements, RunAsVisualBasicRunsThem) {
    const StatementCase& c = GetParam();
    MapObjects objects{{"F.Width", 40000}, {"F.Height", 3000}, {"F.WindowState", 0}, {"C.Left", 100}, {"C.Width", 50}};
    Evaluator evaluator;
    evaluator.Declare("Dim i as integer\r\nDim n as integer\r\nDim s as integer\r\nDim l as Long\r\nDim d as Double\r\n");
    evaluator.Run("i = 30000\r\nn = 0 - 10000\r\nl = 7\r\n", objects);

    const RunResult result = evaluator.Run(std::string(c.statement) + "\r\n", objects);
    ASSERT_EQ(result.errors.size(), c.error ? 1u : 0u);
    EXPECT_EQ(c.error ? result.errors[0].number : 0, c.error);
    const std::string checked = c.checked;
    const auto dot = checked.find('.');
    const auto value = dot == std::string::npos ? evaluator.Variable(checked)
                                                : objects.Get(checked.substr(0, dot), checked.substr(dot + 1));
    ASSERT_TRUE(value);
    EXPECT_DOUBLE_EQ(*value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Statements, ::testing::ValuesIn(kStatements));

TEST(Evaluator, RecordsEveryFailingLineAndStopsAtExitSub) {
    MapObjects objects{{"F.Width", 10}, {"A(3).Width", 50}, {"B.Height", 5}};
    Evaluator evaluator;
    const RunResult result = evaluator.Run(
        "A(3).Width = F.Width - 20\r\nB.Height = F.Width - 11\r\nA(3).Width = F.Width\r\nExit Sub\r\nB.Height = 1\r\n",
        objects);
    ASSERT_EQ(result.errors.size(), 2u);
    EXPECT_EQ(result.errors[0].line, 1);
    EXPECT_EQ(result.errors[0].object, "A(3)");
    EXPECT_EQ(result.errors[1].object, "B");
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(objects.Get("A(3)", "Width"), 10.0);
    EXPECT_EQ(objects.Get("B", "Height"), 5.0);
}

// What VB would refuse to compile is a fault of the generator, not a run-time error.
TEST(Evaluator, RefusesWhatDoesNotCompile) {
    MapObjects objects{{"F.Width", 10}};
    for (const char* declarations : {"Dim a as integer\r\nDim A as Long\r\n", "Dim a as Variant\r\n", "Private a\r\n"}) {
        Evaluator evaluator;
        EXPECT_THROW(evaluator.Declare(declarations), std::invalid_argument) << declarations;
    }
    for (const char* statement : {"x = 1", "F.Width = ", "If F.Width > 1 C.Left = 1", "F.Width = 1 +* 2"}) {
        Evaluator evaluator;
        EXPECT_THROW(evaluator.Run(statement, objects), std::invalid_argument) << statement;
    }
}

}  // namespace
}  // namespace tolvane
