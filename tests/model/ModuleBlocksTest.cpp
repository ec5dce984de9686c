// Our marked blocks in hand-written code modules: where they go, that nothing else changes,
// that writing twice is writing once and removing gives back the module, and that damaged
// markers are refused with their line.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "model/ResizeCode.h"
#include "model/ModuleBlocks.h"

namespace tolvane::blocks {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string Text(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

ControlRow Pick(const std::string& ref, CheckState ControlRow::*a, CheckState ControlRow::*b = nullptr) {
    ControlRow row;
    row.controlRef = ref;
    row.included = 1;
    row.*a = 1;
    if (b) row.*b = 1;
    return row;
}

const Record kRecord{{Pick("A", &ControlRow::moveH)}, {"--robust"}};
const BlockTexts kTexts{"Dim iA as integer\r\n", "iA = A.Left\r\n", "A.Left = 1\r\n"};

std::string Inserted(const std::string& module, const Record& record = kRecord, const BlockTexts& texts = kTexts) {
    const auto lines = Lines(module);
    return Text(ApplyEdit(lines, InsertBlocks(lines, {}, record, texts)));
}

std::string Removed(const std::string& module) {
    const auto lines = Lines(module);
    return Text(ApplyEdit(lines, RemoveBlocks(lines)));
}

const std::string kDeclarations = "' Tolvane: A=LM --robust\nDim iA as integer\n' Tolvane end";
const std::string kLoadBlock = "' Tolvane load\niA = A.Left\n' Tolvane end";
const std::string kResizeBlock = "' Tolvane resize\nA.Left = 1\n' Tolvane end";
const std::string kNewLoad = "\nPrivate Sub Form_Load()\n' Tolvane load (Sub added)\niA = A.Left\n' Tolvane end\nEnd Sub";
const std::string kNewResize = "\nPrivate Sub Form_Resize()\n' Tolvane resize (Sub added)\nA.Left = 1\n' Tolvane end\nEnd Sub";

TEST(ModuleBlocks, GoInTheirPlacesAndComeOutLeavingEveryOtherLine) {
    const struct {
        const char* what;
        std::string module, expected;
    } cases[] = {
        {"empty module", "", kDeclarations + "\n" + kNewLoad + "\n" + kNewResize},
        {"only Option Explicit", "Option Explicit", "Option Explicit\n" + kDeclarations + "\n" + kNewLoad + "\n" + kNewResize},
        {"Form_Load of the user's, comments above it are its own",
         "Option Explicit\nPrivate Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\nDim mCount As Long\n\n"
         "' Counts the clicks.\nsub form_load ()\n    mCount = 0 ' End Sub\nEnd Sub",
         "Option Explicit\nPrivate Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\nDim mCount As Long\n" +
             kDeclarations + "\n\n' Counts the clicks.\nsub form_load ()\n" + kLoadBlock +
             "\n    mCount = 0 ' End Sub\nEnd Sub\n" + kNewResize},
        {"Form_Resize with its own Exit Sub, a continued header, a hidden attribute, #If declarations",
         "#If Win32 Then\nPrivate Declare Function GetTickCount Lib \"kernel32\" () As Long\n#End If\n"
         "Public Sub Form_Resize( _\n    )\nAttribute Form_Resize.VB_Description = \"x\"\n"
         "    If WindowState = 1 Then Exit Sub\n    s = \"End Sub\": Rem End Sub\nEnd Sub\nPrivate Sub Form_Load()\nEnd Sub",
         "#If Win32 Then\nPrivate Declare Function GetTickCount Lib \"kernel32\" () As Long\n#End If\n" + kDeclarations +
             "\nPublic Sub Form_Resize( _\n    )\nAttribute Form_Resize.VB_Description = \"x\"\n" + kResizeBlock +
             "\n    If WindowState = 1 Then Exit Sub\n    s = \"End Sub\": Rem End Sub\nEnd Sub\nPrivate Sub Form_Load()\n" +
             kLoadBlock + "\nEnd Sub"},
        // A comment continued by " _" swallows the next line; a double-byte character whose
        // second byte is "_" (cp932 83 5F) continues nothing.
        {"continued comment, double-byte trail byte",
         "Dim s As String ' see below _\nSub Form_Load()\nPrivate Sub Command1_Click()\n    s = \"\x83_\"\n"
         "    t = 1 ' \x83_\nEnd Sub",
         "Dim s As String ' see below _\nSub Form_Load()\n" + kDeclarations +
             "\nPrivate Sub Command1_Click()\n    s = \"\x83_\"\n    t = 1 ' \x83_\nEnd Sub\n" + kNewLoad + "\n" + kNewResize},
    };
    for (const auto& c : cases) {
        const std::string once = Inserted(c.module);
        EXPECT_EQ(once, c.expected) << c.what;
        EXPECT_EQ(Inserted(once), once) << c.what << ": written twice";
        EXPECT_EQ(Removed(once), c.module) << c.what << ": removed";
        EXPECT_EQ(Removed(c.module), c.module) << c.what << ": nothing to remove";
    }
}

TEST(ModuleBlocks, WritingAgainReplacesOnlyOurLines) {
    const std::string module = "Option Explicit\nPrivate Sub Form_Load()\n    Caption = \"x\"\nEnd Sub";
    const Record other{{Pick("B", &ControlRow::sizeV, &ControlRow::scaleV), Pick("C", &ControlRow::moveV)}, {}};
    const BlockTexts texts{"Dim iB as integer\r\n\r\nDim iC as integer\r\n", "iB = B.Height\r\n", ""};
    EXPECT_EQ(Inserted(Inserted(module), other, texts), Inserted(module, other, texts));
}

TEST(ModuleBlocks, AProcedureWeWroteStaysOnceItHoldsLinesOfItsOwn) {
    std::vector<std::string> lines = Lines(Inserted("Option Explicit"));
    const auto end = std::find(lines.begin(), lines.end(), "End Sub");
    lines.insert(end, "    Caption = \"x\"");
    EXPECT_EQ(Removed(Text(lines)), "Option Explicit\n\nPrivate Sub Form_Load()\n    Caption = \"x\"\nEnd Sub");
}

TEST(ModuleBlocks, DamagedModulesAreRefusedNamingTheLine) {
    const struct {
        std::string module;
        std::size_t line;
        const char* says;
    } cases[] = {
        {"' Tolvane: A=LM\nDim iA", 1, "no \"' Tolvane end\" (the module ends first)"},
        {"' Tolvane: A=LM\nDim iA\nPrivate Sub Form_Load()\nEnd Sub", 1, "before line 3"},
        {"' Tolvane: A=LM\nDim iA\n' Tolvane: B=LM\n' Tolvane end", 3, "begins inside the one that begins at line 1"},
        {"Dim x\n' Tolvane end", 2, "without a Tolvane block"},
        {"Private Sub Form_Click()\n' Tolvane load\n' Tolvane end\nEnd Sub", 2, "inside Sub Form_Click; it belongs in Form_Load"},
        {"' Tolvane resize\n' Tolvane end", 1, "outside any procedure; it belongs in Form_Resize"},
        {"Private Sub Form_Load()\n' Tolvane: A=LM\n' Tolvane end\nEnd Sub", 2, "not in the declarations section"},
        {"Private Sub Form_Resize()\n' Tolvane resize\n' Tolvane end\n' Tolvane resize\n' Tolvane end\nEnd Sub", 4,
         "a second Tolvane resize block (the first begins at line 2)"},
        {"Sub Form_Load()\nEnd Sub\nPrivate Sub FORM_LOAD()\nEnd Sub", 3, "FORM_LOAD is defined twice (first at line 1)"},
        {"Private Function Form_Resize()\nEnd Function", 1, "is a Function; the event procedure must be a Sub"},
        {"Private Sub Form_Load()\n    x = 1", 1, "Sub Form_Load has no End Sub"},
        {"Dim x\nEnd Sub", 2, "End Sub outside any procedure"},
    };
    // Numbered from where the module starts in its file, in the line and in the message.
    try {
        SurveyModule(Lines("Sub Form_Load()\nEnd Sub\nSub Form_Load()\nEnd Sub"), {}, 40);
        ADD_FAILURE() << "not refused";
    } catch (const ModuleError& error) {
        EXPECT_EQ(error.Line(), 42u);
        EXPECT_EQ(error.Problem(), "Form_Load is defined twice (first at line 40)");
    }
    // An unreadable record is refused where it is read; taking the block out needs it not.
    const auto unreadable = Lines("' Tolvane: A=LX\n' Tolvane end");
    EXPECT_THROW(SurveyModule(unreadable), ModuleError);
    EXPECT_THROW(InsertBlocks(unreadable, {}, kRecord, kTexts), ModuleError);
    EXPECT_EQ(ApplyEdit(unreadable, RemoveBlocks(unreadable)), std::vector<std::string>{});
    for (const auto& c : cases) {
        const auto lines = Lines(c.module);
        const std::function<void()> calls[] = {[&] { SurveyModule(lines); },
                                               [&] { InsertBlocks(lines, {}, kRecord, kTexts); },
                                               [&] { RemoveBlocks(lines); }};
        for (const auto& call : calls) {
            try {
                call();
                ADD_FAILURE() << c.module << ": not refused";
            } catch (const ModuleError& error) {
                EXPECT_EQ(error.Line(), c.line) << c.module;
                EXPECT_NE(error.Problem().find(c.says), std::string::npos) << c.module << "\n" << error.Problem();
            }
        }
    }
}

// A Resize text that returns with "Exit Sub" before the lines of a procedure of the user's
// would skip them, so there it is refused; the generator's text, whose guard is an If block,
// goes in with nothing of ours that can leave the procedure.
TEST(ModuleBlocks, NothingOfOursSkipsTheProceduresOwnLines) {
    const std::vector<ControlRow> rows{Pick("A", &ControlRow::moveH)};
    const GeneratedCode code = GenerateResizeCode("Form1", rows, CodeOptions{});
    const BlockTexts enclosed{code.declarations, code.onLoad, code.onResize};
    const BlockTexts exiting{code.declarations, code.onLoad,
                             "If Me.WindowState = vbMinimized Then Exit Sub\r\n" + code.onResize};
    ASSERT_EQ(FindExitSub(Lines(code.onResize)), Lines(code.onResize).size());
    const struct {
        std::string module;
        ProcedureUse use;
    } cases[] = {
        {"", ProcedureUse::Absent},
        {"Private Sub Form_Resize()\n\nEnd Sub", ProcedureUse::OursAlone},
        {"Private Sub Form_Resize()\n    ' keep the grid wide\nEnd Sub", ProcedureUse::Shared},
        {"Private Sub Form_Resize()\n    Grid.Width = ScaleWidth\nEnd Sub", ProcedureUse::Shared},
    };
    for (const auto& c : cases) {
        const auto lines = Lines(c.module);
        EXPECT_EQ(SurveyModule(lines).resize, c.use) << c.module;
        if (c.use != ProcedureUse::Shared) {
            EXPECT_NO_THROW(InsertBlocks(lines, {}, kRecord, exiting)) << c.module;
            continue;
        }
        EXPECT_THROW(InsertBlocks(lines, {}, kRecord, exiting), ModuleError) << c.module;
        const auto after = ApplyEdit(lines, InsertBlocks(lines, {}, kRecord, enclosed));
        const auto begin = std::find(after.begin(), after.end(), "' Tolvane resize");
        const auto end = std::find(begin, after.end(), "' Tolvane end");
        ASSERT_NE(end, after.end());
        EXPECT_EQ(FindExitSub(std::vector<std::string>(begin, end)), static_cast<std::size_t>(end - begin)) << c.module;
        ASSERT_GE(after.end() - end, 3);
        EXPECT_EQ(*(end + 1), lines[1]) << "the user's line follows ours";
        EXPECT_EQ(*(end + 2), "End Sub");
    }
}

TEST(ModuleBlocks, RecordsReadBackAndLongOnesWrapWithinAVbLine) {
    Record record{{}, {"--robust", "--relative=container"}};
    for (int i = 0; i < 90; ++i)
        record.picks.push_back(Pick("txtField" + std::to_string(i), &ControlRow::sizeH, &ControlRow::moveV));
    record.picks.push_back(ControlRow{"lbl(3)", 1});
    const auto lines = RecordLines(record);
    ASSERT_GT(lines.size(), 1u);
    for (const auto& line : lines) EXPECT_LE(line.size(), 1023u);
    EXPECT_EQ(ParsePicks(lines), record);
    EXPECT_EQ(lines.front().substr(0, 36), "' Tolvane: txtField0=LR,UM txtField1");

    for (const char* bad : {"' Tolvane: A", "' Tolvane: =LM", "' Tolvane: A=LM,", "' Tolvane: A=LM a=UM", "' Tolvan: A=LM"})
        EXPECT_THROW(ParsePicks(std::vector<std::string>{bad}), std::invalid_argument) << bad;
}

}  // namespace
}  // namespace tolvane::blocks
