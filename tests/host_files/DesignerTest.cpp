#include <gtest/gtest.h>

#include "TestSupport.h"

namespace tolvane::host::files {
namespace {

using testing::Crlf;
using tolvane::testing::WithLineEnds;
using testing::Tree;

DesignerFile Parse(const std::string& bytes, int codePage = kDefaultCodePage) {
    return ParseDesigner(bytes, "Test.frm", CodePages(codePage));
}

const std::string kSmall =
    "VERSION 5.00\n"
    "Begin VB.Form Form1 \n"
    "   Caption         =   \"Small\"\n"
    "   Begin VB.Frame Frame1 \n"
    "      Begin VB.TextBox Text1 \n"
    "         Index           =   3\n"
    "      End\n"
    "   End\n"
    "   Begin VB.CommandButton Command1 \n"
    "   End\n"
    "End\n"
    "Attribute VB_Name = \"Form1\"\n";

TEST(Designer, AcceptsEveryLineEndAndAByteOrderMark) {
    std::string mixed;
    const char* ends[] = {"\r\n", "\n", "\r"};
    int n = 0;
    for (const char c : kSmall) {
        if (c == '\n') mixed += ends[n++ % 3];
        else mixed += c;
    }
    std::string noFinalEnd = kSmall.substr(0, kSmall.size() - 1);
    const std::string variants[] = {
        WithLineEnds(kSmall, "\r\n"), kSmall, WithLineEnds(kSmall, "\r"), mixed, "\xEF\xBB\xBF" + Crlf(kSmall),
        noFinalEnd,
    };
    for (const auto& bytes : variants) {
        const DesignerFile file = Parse(bytes);
        EXPECT_EQ(file.rootClass, "VB.Form");
        EXPECT_EQ(file.name, "Form1");
        EXPECT_EQ(Tree(file.controls), "Frame1[Text1(3)],Command1");
    }
}

TEST(Designer, ErrorLinesCountEachKindOfLineEndOnce) {
    const std::string broken = "VERSION 5.00\nBegin VB.Form Form1\nBegin VB.Label 2nd\nEnd\nEnd\n";
    for (const char* end : {"\r\n", "\n", "\r"}) {
        try {
            Parse(WithLineEnds(broken, end));
            ADD_FAILURE() << "no error";
        } catch (const FileError& error) {
            EXPECT_EQ(error.Line(), 3);
        }
    }
}

TEST(Designer, ToleratesEverythingVbAndItsControlsWrite) {
    const auto bytes = testing::ReadBytes(testing::Fixture("Tolerant.frm"));
    const DesignerFile file = ParseDesigner(bytes, "Tolerant.frm", CodePages(1252));
    EXPECT_EQ(file.name, "frmTolerant");
    // The font's Name, the button menu's Index and the code after the block are not controls.
    EXPECT_EQ(Tree(file.controls), "Tab[lblTab(0)],tbrMain,txtLong,mnuTop[mnuItem]");
    EXPECT_EQ(file.controls[0].className, "TabDlg.SSTab");
    EXPECT_EQ(file.controls[1].index, -1);
}

// Control trees as the reader builds them from a designer block, one case per behaviour.
struct TreeCase {
    const char* behaviour;
    std::string block;  // after "VERSION 5.00"
    std::string tree;
};

class DesignerTree : public ::testing::TestWithParam<TreeCase> {};

TEST_P(DesignerTree, IsReadAsWritten) {
    EXPECT_EQ(Tree(Parse("VERSION 5.00\n" + GetParam().block).controls), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesignerTree,
    ::testing::Values(
        TreeCase{"IndexOnlyAtTheControlsOwnLevel",
                 "Begin VB.Form Form1\n"
                 "   Begin VB.Label lbl\n"
                 "      BeginProperty Font\n         Index = 9\n      EndProperty\n"
                 "      Index           =   0   'comment\n"
                 "   End\n"
                 "   Begin VB.Label lbl\n      Index=32767\n   End\n"
                 "   Begin VB.Label single\n"
                 "      BeginProperty Font\n         Index = 4\n      EndProperty\n"
                 "   End\n"
                 "End\n",
                 "lbl(0),lbl(32767),single"},
        TreeCase{"ControlArraysSpreadOverContainersAndSkipIndexes",
                 "Begin VB.Form Form1\n"
                 "   Begin VB.Frame fra\n"
                 "      Begin VB.Label lbl\n         Index = 5\n      End\n"
                 "      Begin VB.Label lbl\n         Index = 1\n      End\n"
                 "   End\n"
                 "   Begin VB.Label lbl\n      Index = 100\n   End\n"
                 "   Begin VB.Label LBL\n      Index = 0\n   End\n"
                 "End\n",
                 "fra[lbl(5),lbl(1)],lbl(100),LBL(0)"},
        TreeCase{"MenusNestInMenus",
                 "Begin VB.MDIForm MDIForm1\n"
                 "   Begin VB.PictureBox picBar\n   End\n"
                 "   Begin VB.Menu mnuFile\n"
                 "      Begin VB.Menu mnuRecent\n"
                 "         Begin VB.Menu mnuMru\n            Index = 1\n         End\n"
                 "         Begin VB.Menu mnuMru\n            Index = 2\n         End\n"
                 "      End\n"
                 "   End\n"
                 "End\n",
                 "picBar,mnuFile[mnuRecent[mnuMru(1),mnuMru(2)]]"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

TEST(Designer, NameComesFromVbNameElseFromTheRootBlock) {
    EXPECT_EQ(Parse("VERSION 5.00\nBegin VB.Form Form1\nEnd\nAttribute VB_Name = \"frmMain\"\n").name, "frmMain");
    EXPECT_EQ(Parse("VERSION 5.00\nBegin VB.Form Form1\nEnd\n").name, "Form1");
    // An Attribute line after the code has started is the code's, not the header's.
    EXPECT_EQ(Parse("VERSION 5.00\nBegin VB.Form Form1\nEnd\nOption Explicit\nAttribute VB_Name = \"x\"\n").name,
              "Form1");
}

TEST(Designer, DecodesNamesInTheGivenCodePage) {
    // cp932: 表示 has the trail byte 0x5C, 円 the trail byte 0x7E; the class name holds × (81 7E).
    const std::string cp932 =
        "VERSION 5.00\nBegin VB.Form \x90\xDD\x92\xE8\n"
        "   Begin Project1.uc\x81\x7E \x95\x5C\x8E\xA6\n   End\n"
        "   Begin VB.Label lbl\x89\x7E\n   End\n"
        "End\nAttribute VB_Name = \"\x90\xDD\x92\xE8\"\n";
    const DesignerFile japanese = Parse(cp932, 932);
    EXPECT_EQ(japanese.name, "\xE8\xA8\xAD\xE5\xAE\x9A");  // 設定
    EXPECT_EQ(Tree(japanese.controls), "\xE8\xA1\xA8\xE7\xA4\xBA,lbl\xE5\x86\x86");
    EXPECT_EQ(japanese.controls[0].className, "Project1.uc\xC3\x97");

    const DesignerFile spanish = Parse("VERSION 5.00\nBegin VB.Form frm\nBegin VB.CommandButton CmdA\xF1" "adir\nEnd\nEnd\n");
    EXPECT_EQ(Tree(spanish.controls), "CmdA\xC3\xB1" "adir");

    const DesignerFile russian =
        Parse("VERSION 5.00\nBegin VB.Form frm\nBegin VB.CommandButton \xEA\xED\xEE\xEF\xEA\xE0\nEnd\nEnd\n", 1251);
    EXPECT_EQ(Tree(russian.controls), "\xD0\xBA\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0");
}

struct ErrorCase {
    const char* what;
    std::string bytes;
    int line;
    std::string problem;  // the whole message after "Test.frm:LINE: "
    int codePage = kDefaultCodePage;
};

std::string Form(const std::string& body) { return "VERSION 5.00\nBegin VB.Form Form1\n" + body + "End\n"; }

TEST(Designer, RefusesWhatVbWouldNotWriteNamingFileLineAndProblem) {
    const ErrorCase cases[] = {
        {"empty file", "", 0, "empty file: not a Visual Basic designer file"},
        {"SQL*Loader control file", "options (errors=200)\nload data\n", 1,
         "not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {"class module", "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\n", 1,
         "not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {"binary table", std::string("\xFE\x01\x0A\x0C\x03\x00\x00\x10", 8), 1,
         "not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {"NUL on the first line", std::string("\x00\x01VERSION 5.00\n", 15), 1,
         "binary data (a NUL byte): not a Visual Basic designer file"},
        {"NUL inside the block", Form(std::string("   Caption = \"a\0b\"\n", 19)), 3,
         "binary data (a NUL byte): not a Visual Basic designer file"},
        {"no Begin", "VERSION 5.00\nObject = \"{x}#1.0#0\"; \"x.ocx\"\n", 0,
         "no Begin line: not a Visual Basic designer file"},
        {"text before Begin", "VERSION 5.00\nHello\nBegin VB.Form Form1\nEnd\n", 2,
         "expected the Begin line of the designer's block after the VERSION and Object lines"},
        {"unterminated control",
         "VERSION 5.00\nBegin VB.Form Form1\n   Begin VB.Frame Frame1\n      Begin VB.Label Label1\n      End\n", 3,
         "\"Begin VB.Frame Frame1\" has no End (the file ends first)"},
        {"unterminated root", "VERSION 5.00\nBegin VB.Form Form1\n   Caption = \"x\"\n", 2,
         "\"Begin VB.Form Form1\" has no End (the file ends first)"},
        {"unterminated property block", "VERSION 5.00\nBegin VB.Form Form1\n   BeginProperty Font\n", 3,
         "\"BeginProperty Font\" has no EndProperty (the file ends first)"},
        {"End inside a property block", Form("   BeginProperty Font\n   End\n"), 4,
         "End inside \"BeginProperty Font\" (line 3), before its EndProperty"},
        {"Begin inside a property block", Form("   BeginProperty Font\n   Begin VB.Label L\n"), 4,
         "Begin inside \"BeginProperty Font\" (line 3), before its EndProperty"},
        {"EndProperty alone", Form("   EndProperty\n"), 3, "EndProperty without a BeginProperty"},
        {"BeginProperty without a name", Form("   BeginProperty\n   EndProperty\n"), 3,
         "BeginProperty without a property name"},
        {"line without =", Form("   Caption \"x\"\n"), 3,
         "malformed line (expected \"Property = value\", Begin, BeginProperty, EndProperty or End)"},
        {"= without a name", Form("   = 5\n"), 3,
         "malformed line (expected \"Property = value\", Begin, BeginProperty, EndProperty or End)"},
        {"End with more text", Form("   Begin VB.Label L\n   End If\n   End\n"), 4,
         "malformed line (expected \"Property = value\", Begin, BeginProperty, EndProperty or End)"},
        {"Begin with three words", Form("   Begin VB.Label Label 1\n   End\n"), 3,
         "malformed Begin line (expected \"Begin Library.Class Name\")"},
        {"Begin with one word", Form("   Begin Label1\n   End\n"), 3,
         "malformed Begin line (expected \"Begin Library.Class Name\")"},
        {"name starting with a digit", Form("   Begin VB.Label 1abc\n   End\n"), 3,
         "control name \"1abc\" is not a Visual Basic identifier"},
        {"name with punctuation", Form("   Begin VB.Label cmd-OK\n   End\n"), 3,
         "control name \"cmd-OK\" is not a Visual Basic identifier"},
        {"name with a quote", Form("   Begin VB.Label a\"b\n   End\n"), 3,
         "control name \"a\"b\" is not a Visual Basic identifier"},
        {"name with a Latin-1 sign", Form("   Begin VB.Label a\xA7" "b\n   End\n"), 3,
         "control name \"a\xC2\xA7" "b\" is not a Visual Basic identifier in code page 1252"},
        {"form name", "VERSION 5.00\nBegin VB.Form 9Form\nEnd\n", 2, "form name \"9Form\" is not a Visual Basic identifier"},
        {"VB_Name", "VERSION 5.00\nBegin VB.Form Form1\nEnd\nAttribute VB_Name = \"Form 1\"\n", 4,
         "VB_Name \"Form 1\" is not a Visual Basic identifier"},
        {"VB_Name unquoted", "VERSION 5.00\nBegin VB.Form Form1\nEnd\nAttribute VB_Name = Form1\n", 4,
         "Attribute VB_Name must be a name in quotes"},
        {"name not in the code page", Form("   Begin VB.Label a\x81 \n   End\n"), 3,
         "control name \"a\\x81\" cannot be read in code page 932", 932},
        {"Index too large", Form("   Begin VB.Label L\n      Index = 32768\n   End\n"), 4,
         "Index \"32768\" of control \"L\" is not a number from 0 to 32767"},
        {"Index negative", Form("   Begin VB.Label L\n      Index = -1\n   End\n"), 4,
         "Index \"-1\" of control \"L\" is not a number from 0 to 32767"},
        {"Index not a number", Form("   Begin VB.Label L\n      Index = \"1\"\n   End\n"), 4,
         "Index \"\"1\"\" of control \"L\" is not a number from 0 to 32767"},
        {"Index decimal", Form("   Begin VB.Label L\n      Index = 1.5\n   End\n"), 4,
         "Index \"1.5\" of control \"L\" is not a number from 0 to 32767"},
        {"Index huge", Form("   Begin VB.Label L\n      Index = 99999999999999999999\n   End\n"), 4,
         "Index \"99999999999999999999\" of control \"L\" is not a number from 0 to 32767"},
        {"Index twice", Form("   Begin VB.Label L\n      Index = 1\n      Index = 2\n   End\n"), 5,
         "Index given twice for control \"L\""},
        {"two controls, one name", Form("   Begin VB.Label L\n   End\n   Begin VB.Frame F\n   Begin VB.TextBox l\n   End\n   End\n"), 6,
         "control \"l\" is defined twice (first at line 3)"},
        {"two elements, one index", Form("   Begin VB.Label L\n      Index = 2\n   End\n   Begin VB.Label L\n      Index = 2\n   End\n"), 6,
         "control \"L(2)\" is defined twice (first at line 3)"},
        {"array and single", Form("   Begin VB.Label L\n      Index = 2\n   End\n   Begin VB.Label L\n   End\n"), 6,
         "control \"L\" is a single control and also a control array (element at line 3)"},
        {"single and array", Form("   Begin VB.Label L\n   End\n   Begin VB.Label L\n      Index = 0\n   End\n"), 5,
         "control \"L(0)\" is a control array element and also a single control (line 3)"},
    };
    for (const auto& c : cases) {
        try {
            Parse(c.bytes, c.codePage);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const FileError& error) {
            EXPECT_EQ(error.File(), "Test.frm") << c.what;
            EXPECT_EQ(error.Line(), c.line) << c.what;
            EXPECT_EQ(error.Problem(), c.problem) << c.what;
            const std::string where = c.line > 0 ? "Test.frm:" + std::to_string(c.line) + ": " : "Test.frm: ";
            EXPECT_EQ(std::string(error.what()), where + c.problem) << c.what;
        }
    }
}

TEST(Designer, RefusesNestingBeyondTheLimitWithoutExhaustingTheStack) {
    std::string body;
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) body += "Begin VB.PictureBox p" + std::to_string(i) + "\n";
    try {
        Parse("VERSION 5.00\nBegin VB.Form Form1\n" + body);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Line(), 2 + kMaxNesting + 1);
        EXPECT_EQ(error.Problem(), "controls nested more than 64 deep");
    }
    // The limit itself is accepted.
    std::string deep, ends;
    for (int i = 0; i < kMaxNesting; ++i) {
        deep += "Begin VB.PictureBox p" + std::to_string(i) + "\n";
        ends += "End\n";
    }
    EXPECT_NO_THROW(Parse("VERSION 5.00\nBegin VB.Form Form1\n" + deep + ends + "End\n"));
}

}  // namespace
}  // namespace tolvane::host::files

namespace tolvane::host::files {
namespace {

// Every prefix of a real-looking file, and the file with each byte replaced by a NUL, a
// line end or a quote: each is read whole or refused with a FileError, nothing else.
TEST(Designer, DamagedFilesAreReadWholeOrRefusedNeverHalfRead) {
    const std::string good = testing::ReadBytes(testing::Fixture("Tolerant.frm"));
    ASSERT_FALSE(good.empty());
    const CodePages codePage(1252);
    int refused = 0, read = 0;
    auto attempt = [&](const std::string& bytes) {
        try {
            const DesignerFile file = ParseDesigner(bytes, "Damaged.frm", codePage);
            // Whatever is read is names only.
            std::vector<const memory::ControlData*> stack;
            for (const auto& control : file.controls) stack.push_back(&control);
            while (!stack.empty()) {
                const auto* control = stack.back();
                stack.pop_back();
                EXPECT_TRUE(vb::IsVbIdentifier(control->name)) << vb::Printable(control->name);
                EXPECT_LE(control->index, 32767);
                for (const auto& child : control->children) stack.push_back(&child);
            }
            ++read;
        } catch (const FileError& error) {
            EXPECT_EQ(error.File(), "Damaged.frm");
            ++refused;
        }
    };
    for (std::size_t length = 0; length < good.size(); ++length) attempt(good.substr(0, length));
    for (std::size_t at = 0; at < good.size(); ++at)
        for (const char replacement : {'\0', '\n', '"', '\xFF'}) {
            std::string damaged = good;
            damaged[at] = replacement;
            attempt(damaged);
        }
    // A prefix that stops before the root's End cannot be read.
    EXPECT_GT(refused, static_cast<int>(good.find("\nEnd\r\nAttribute")));
    EXPECT_GT(read, 0);
}

}  // namespace
}  // namespace tolvane::host::files
