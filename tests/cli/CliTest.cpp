// quenlow's commands run in-process through cli::Run, on the bundled example project and
// on projects written for the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "host/files/Text.h"
#include "model/ResizeCode.h"
#include "tests/support/Files.h"
#include "tests/support/Quenlow.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tolvane::cli {
namespace {

using Result = testing::QuenlowResult;
using testing::Crlf;
using testing::Quenlow;
using testing::TempDir;

std::string Example() { return testing::ExampleProject(); }
std::string Text(const std::filesystem::path& path) { return host::files::Utf8FromPath(path); }

// A path given with '/' as messages show it: with the system's separators.
std::string Shown(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A form whose three frames hold `perFrame` labels each (3 + 3 * perFrame controls).
std::string FramesForm(int perFrame) {
    std::string text = "VERSION 5.00\nBegin VB.Form frmBig\n";
    for (int f = 1; f <= 3; ++f) {
        text += "   Begin VB.Frame fra" + std::to_string(f) + "\n";
        for (int i = 0; i < perFrame; ++i)
            text += "      Begin VB.Label lbl" + std::to_string(f) + "\n         Index = " + std::to_string(i) +
                    "\n      End\n";
        text += "   End\n";
    }
    return Crlf(text + "End\nAttribute VB_Name = \"frmBig\"\n");
}

ControlRow Row(const std::string& ref, bool moveH, bool sizeV) {
    ControlRow row;
    row.controlRef = ref;
    row.included = 1;
    row.moveH = moveH;
    row.sizeV = sizeV;
    return row;
}

TEST(Generate, TypicalRequestPrintsTheThreeBlocksUnderTheirCaptions) {
    const auto result = Quenlow({"generate", "--form", "Form1", "--pick", "Command1=LM", "--plain"});
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

// Each --block is exactly what the generator returns for the same rows, nothing added;
// without a project the picks are the rows, as many as given (here 60).
TEST(Generate, PicksAreTheRowsAndEachBlockIsWrittenByteForByte) {
    std::vector<std::string> args = {"generate", "--form", "frmMain"};
    std::vector<ControlRow> rows;
    for (int i = 0; i < 60; ++i) {
        const std::string ref = "Label1(" + std::to_string(60 - i) + ")";
        args.insert(args.end(), {"--pick", ref + (i % 2 ? "=lm,UR" : "=UR,LM")});
        rows.push_back(Row(ref, true, true));
    }
    args.insert(args.end(), {"--pick=Text1"});
    rows.push_back(Row("Text1", false, false));
    const GeneratedCode expected = GenerateResizeCode("frmMain", rows, CodeOptions{});
    const struct {
        const char* block;
        const std::string& text;
    } blocks[] = {{"declarations", expected.declarations}, {"load", expected.onLoad}, {"resize", expected.onResize}};
    for (const auto& block : blocks) {
        auto withBlock = args;
        withBlock.insert(withBlock.end(), {"--block", block.block});
        const auto result = Quenlow(withBlock);
        EXPECT_EQ(result.status, 0) << block.block << ": " << result.err;
        EXPECT_EQ(result.out, block.text) << block.block;
    }
}

// VB takes names of up to 255 characters: the longest variable, i + name + _ScaleHeight, must fit.
TEST(Generate, NamesUpToTheLongestThatLeavesRoomForTheVariables) {
    const std::string name(242, 'n');
    const auto result = Quenlow({"generate", "--form", "F", "--pick", name + "=UR", "--block", "declarations"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Dim i" + name + "_Height As Single"), std::string::npos);
    // Read from a project, such a name is the form's, not a mistake on the command line.
    TempDir dir;
    const auto form = dir.Write("Long.frm", Crlf("VERSION 5.00\nBegin VB.Form frmLong\n   Begin VB.Label " + name +
                                                 "nn\n   End\nEnd\n"));
    EXPECT_EQ(Quenlow({"generate", Text(form), "--form", "frmLong", "--pick", name + "nn"}).status, 1);
}

TEST(Generate, EmptyFormNameWithoutAProjectIsTheAddInWithNoFormPicked) {
    const auto result = Quenlow({"generate", "--form", "", "--pick", "Command1=UM", "--block", "resize", "--plain"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Command1.Top = .Height - (iFormHeight - iCommand1_Top)\r\n");
    const auto bare = Quenlow({"generate", "--form", "Form1", "--block", "resize"});
    EXPECT_EQ(bare.status, 0);
    EXPECT_EQ(bare.out, "");
}

// A control array element and a control named like its stem: each keeps its own variables.
TEST(Generate, StemsThatClashGetVariablesOfTheirOwn) {
    const auto result =
        Quenlow({"generate", "--form", "F", "--pick", "Option1(3)=LM", "--pick", "Option1_3_=LM", "--block", "declarations"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = LinesOf(result.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[5], lines[6]);
}

TEST(Project, FormsListsStandardFormsInProjectOrder) {
    const Result result = Quenlow({"forms", Example()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Form1\nfrmOptions\nfrmDocument\n");  // not MDIMain, modMain, clsSettings
    EXPECT_EQ(result.err, "");
}

TEST(Project, ControlsListsAsTheGridDoesIndentedByNesting) {
    const Result form1 = Quenlow({"controls", Example(), "Form1"});
    EXPECT_EQ(form1.status, 0);
    EXPECT_EQ(form1.out,
              "mnuFile\n  mnuFileExit\n  mnuFileSep\n  mnuFileRecent\n    mnuRecent(0)\n  mnuFileOpen\n"
              "Command1\ncmdCancel\nlinSeparator\nlblStatus\ntxtNotes\nfraOptions\n  picColours\n"
              "    optColour(2)\n    optColour(1)\n    optColour(0)\n  chkItalic\n  chkBold\ntmrClock\n");
    const Result options = Quenlow({"controls", Example(), "FRMOPTIONS"});
    EXPECT_EQ(options.out, "cmdOK\nfraPaths\n  lblPath(2)\n  txtPath\n  fraInner\n    lblPath(0)\n    lblPath(1)\n");
    // Any designer with controls can be listed, the MDI form too.
    EXPECT_EQ(Quenlow({"controls", Example(), "MDIMain"}).out, "mnuWindow\n  mnuWindowCascade\npicToolbar\n  cmdNew\n");
}

// Every control, in grid order, and nothing else: a script may read each line as a control.
TEST(Project, ControlsListsEveryControlAndNothingElse) {
    TempDir dir;
    const auto form = dir.Write("Big.frm", FramesForm(19));
    const Result result = Quenlow({"controls", Text(form), "frmBig"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = LinesOf(result.out);
    ASSERT_EQ(lines.size(), 3 + 3 * 19u);
    EXPECT_EQ(lines[1], "  lbl3(18)");
    EXPECT_EQ(lines[50], "  lbl1(9)");
    EXPECT_EQ(lines.back(), "  lbl1(0)");
}

TEST(Project, GenerateTicksTheListedRowsAsTheFormSpellsThem) {
    const Result plain = Quenlow({"generate", "--form", "Form1", "--pick", "Command1=LM"});
    const Result project = Quenlow({"generate", Example(), "--form", "Form1", "--pick", "Command1=LM"});
    ASSERT_EQ(project.status, 0) << project.err;
    EXPECT_EQ(project.out, plain.out);

    // Names as the form spells them, whatever the case typed; rows in listing order.
    const Result typed = Quenlow({"generate", Example(), "--form", "form1", "--pick", "OPTCOLOUR(1)=lr,us", "--pick",
                                  "fraOptions=UR", "--block", "resize"});
    const Result spelled = Quenlow({"generate", Example(), "--form", "Form1", "--pick", "fraOptions=UR", "--pick",
                                    "optColour(1)=LR,US", "--block", "resize"});
    ASSERT_EQ(typed.status, 0) << typed.err;
    EXPECT_EQ(typed.out, spelled.out);
}

// 50 rows is the add-in window's limit: the command picks any control of the form.
TEST(Project, GeneratePicksControlsPastTheFiftiethRow) {
    TempDir dir;
    const auto form = dir.Write("Big.frm", FramesForm(19));  // lbl1(0) is row 60
    const Result result =
        Quenlow({"generate", Text(form), "--form", "frmBig", "--pick", "lbl1(0)=LM", "--block", "resize", "--plain"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "lbl1(0).Left = frmBig.Width - (iFormWidth - ilbl1_0__Left)\r\n");
}

struct FailureCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string err;  // the whole of standard error
};

void ExpectFailures(const std::vector<FailureCase>& cases) {
    for (const auto& c : cases) {
        const Result result = Quenlow(c.args);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.out, "") << c.what;
    }
}

TEST(Project, FailuresExitOneWithOneLineNamingTheProblem) {
    TempDir dir;
    const auto bad = Text(dir.Write("Bad.frm", Crlf("VERSION 5.00\nBegin VB.Form Bad\n   Begin VB.Label 1abc\n   End\nEnd\n")));
    const std::string example = Example();
    const std::string unplaced = " has no position or size at run time\n";
    ExpectFailures({
        {"unknown control", {"generate", example, "--form", "Form1", "--pick", "Command9=LM"}, 1,
         "quenlow: " + Shown(example) + ": --pick \"Command9\": form Form1 has no control \"Command9\"\n"},
        {"menu", {"generate", example, "--form", "Form1", "--pick", "mnuRecent(0)"}, 1,
         "quenlow: " + Shown(example) + ": --pick \"mnuRecent(0)\": mnuRecent(0) (VB.Menu) cannot be placed: a menu" + unplaced},
        {"timer", {"generate", example, "--form", "Form1", "--pick", "TMRCLOCK=LM"}, 1,
         "quenlow: " + Shown(example) + ": --pick \"TMRCLOCK\": tmrClock (VB.Timer) cannot be placed: a timer" + unplaced},
        {"line", {"generate", example, "--form", "Form1", "--pick", "linSeparator=LR"}, 1,
         "quenlow: " + Shown(example) + ": --pick \"linSeparator\": linSeparator (VB.Line) cannot be placed: a line has "
         "no Left, Top, Width or Height (it has X1, Y1, X2, Y2)\n"},
        {"unknown form", {"controls", example, "Form9"}, 1,
         "quenlow: " + Shown(example) + ": no form named \"Form9\" (its forms: Form1, frmOptions, frmDocument)\n"},
        {"MDI form for generate", {"generate", example, "--form", "MDIMain"}, 1,
         "quenlow: " + Shown(example) + ": \"MDIMain\" is an MDI form; the add-in offers standard forms only\n"},
        {"module for controls", {"controls", example, "modMain"}, 1,
         "quenlow: " + Shown(example) + ": \"modMain\" is a module, not a form\n"},
        {"bad file", {"forms", bad}, 1, "quenlow: " + Shown(bad) + ":3: control name \"1abc\" is not a Visual Basic identifier\n"},
        {"missing project", {"forms", Text(dir.Path() / "Nothing.vbp")}, 1,
         "quenlow: " + Shown(Text(dir.Path() / "Nothing.vbp")) + ": file not found\n"},
        {"path longer than Windows takes", {"forms", std::string(40000, 'p') + ".vbp"}, 1,
         "quenlow: " + std::string(80, 'p') + "...: path longer than 32767 characters\n"},
    });
}

#ifndef _WIN32
// Opening a FIFO for reading waits for a writer: it must be refused before it is opened.
TEST(Project, AFifoGivenAsTheProjectIsRefusedAtOnce) {
    TempDir dir;
    const auto fifo = dir.Path() / "P.vbp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Result result = Quenlow({"forms", Text(fifo)});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "quenlow: " + Text(fifo) + ": is a FIFO (named pipe), not a file\n");
}
#endif

// A project as people have it: files missing, misnamed in letter case, on another drive,
// broken. It opens with a warning for each; only the form the command needs must read.
TEST(Project, OpensWithWarningsForFilesItCannotRead) {
    TempDir dir;
    const std::string form1 = "VERSION 5.00\nBegin VB.Form Form1\n   Begin VB.CommandButton cmdOK\n   End\nEnd\n";
    dir.Write("Forms/Form1.frm", Crlf(form1));
    dir.Write("Bad.frm", Crlf("VERSION 5.00\nBegin VB.Form frmBad\n   Begin VB.Label 1abc\n   End\nEnd\n"));
    const std::string vbp = Text(dir.Write("P.vbp", Crlf("Type=Exe\n"
                                                         "Form=FORMS\\form1.FRM\n"
                                                         "Form=Backup\\frmOld.frm\n"
                                                         "Form=D:\\Shared\\frmCommon.frm\n"
                                                         "Form=Bad.frm\n"
                                                         "Module=modUtil; modUtil.bas\n")));
    const std::string shown = Shown(vbp);
    const std::string bad = Shown(Text(dir.Path() / "Bad.frm"));
    const std::string missing = shown + ":3: warning: Form \"Backup\\frmOld.frm\": file not found\n";
#ifdef _WIN32
    const std::string drive = shown + ":4: warning: Form \"D:\\Shared\\frmCommon.frm\": file not found\n";
#else
    const std::string drive =
        shown + ":4: warning: Form \"D:\\Shared\\frmCommon.frm\": a path on drive D: cannot be followed here\n";
#endif
    const std::string module = shown + ":6: warning: Module \"modUtil.bas\": file not found\n";
    const std::string badName = bad + ":3: control name \"1abc\" is not a Visual Basic identifier";
    const std::string badWarning = bad + ":3: warning: control name \"1abc\" is not a Visual Basic identifier\n";

    const Result forms = Quenlow({"forms", vbp});
    EXPECT_EQ(forms.status, 0);
    EXPECT_EQ(forms.out, "Form1\n");
    EXPECT_EQ(forms.err, missing + drive + badWarning + module);  // in project order

    const Result generated = Quenlow({"generate", vbp, "--form", "form1", "--pick", "cmdok=LM", "--block", "load", "--plain"});
    EXPECT_EQ(generated.status, 0);
    EXPECT_NE(generated.out.find("iFormWidth = Form1.Width\r\n"), std::string::npos) << generated.out;

    // The form needed is the one that cannot be read: an error, the others stay warnings.
    const Result needed = Quenlow({"controls", vbp, "FRMBAD"});
    EXPECT_EQ(needed.status, 1);
    EXPECT_EQ(needed.err, missing + drive + module + "quenlow: " + badName + "\n");
    const Result gone = Quenlow({"controls", vbp, "frmOld"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(LinesOf(gone.err).back(),
              "quenlow: " + shown + ": no form named \"frmOld\" (its forms: Form1); files left out are listed above");
}

// Japanese forms read without --codepage when their fonts say so, or the .vbp's paths
// only name files in that code page; names that still do not read point at --codepage.
TEST(Project, CodePagesComeFromTheFilesAndTheHintFromTheCommandLine) {
    TempDir dir;
    // 設定 (cp932 90 DD 92 E8) with a control 表示 whose first character has the trail byte 0x5C.
    dir.Write("\xE7\x94\xBB\xE9\x9D\xA2/Main.frm",
              Crlf("VERSION 5.00\nBegin VB.Form \x90\xDD\x92\xE8\n   Begin VB.CommandButton \x95\x5C\x8E\xA6\n   End\n"
                   "End\nAttribute VB_Name = \"\x90\xDD\x92\xE8\"\n"));
    const auto vbp = Text(dir.Write("J.vbp", "Type=Exe\r\nForm=\x89\xE6\x96\xCA\\Main.frm\r\n"));  // 画面\Main.frm
    const Result forms = Quenlow({"forms", vbp});
    EXPECT_EQ(forms.status, 0) << forms.err;
    EXPECT_EQ(forms.out, "\xE8\xA8\xAD\xE5\xAE\x9A\n");
    const Result generated = Quenlow({"generate", vbp, "--form", "\xE8\xA8\xAD\xE5\xAE\x9A", "--pick",
                                      "\xE8\xA1\xA8\xE7\xA4\xBA=LM", "--block", "resize", "--plain"});
    EXPECT_EQ(generated.status, 0) << generated.err;
    EXPECT_EQ(generated.out.rfind("\xE8\xA1\xA8\xE7\xA4\xBA.Left", 0), 0u) << generated.out;
    // Told 1252, the path names no file: the project opens without the form.
    const Result western = Quenlow({"forms", vbp, "--codepage", "1252"});
    EXPECT_EQ(western.status, 0);
    EXPECT_EQ(western.out, "");
    EXPECT_EQ(western.err.rfind(Shown(vbp) + ":2: warning: Form \"", 0), 0u) << western.err;

    // A lone form whose fonts say nothing, with a name only code pages 932 and 936 read.
    const auto lone = Text(dir.Write("Lone.frm", Crlf("VERSION 5.00\nBegin VB.Form frmLone\n"
                                                      "   Begin VB.Label \x81\x9B\x81\x7Eox1\n   End\nEnd\n")));
    const Result hinted = Quenlow({"controls", lone, "frmLone"});
    EXPECT_EQ(hinted.status, 1);
    EXPECT_EQ(hinted.err, "quenlow: " + Shown(lone) +
                              ":3: control name \"\\x81\\x9B\\x81~ox1\" cannot be read in code page 1252 "
                              "(try --codepage 932 or 936)\n");
    const Result told = Quenlow({"controls", lone, "frmLone", "--codepage", "932"});
    EXPECT_EQ(told.out, "\xE2\x97\x8B\xC3\x97ox1\n");  // ○×ox1
    // Picked by that name: with the project it names the form's control; without one it
    // would go into the code as typed, where × is no letter.
    const Result picked = Quenlow({"generate", lone, "--codepage", "932", "--form", "frmLone", "--pick",
                                   "\xE2\x97\x8B\xC3\x97OX1=LM", "--block", "resize", "--plain"});
    EXPECT_EQ(picked.out, "\xE2\x97\x8B\xC3\x97ox1.Left = frmLone.Width - (iFormWidth - i\xE2\x97\x8B\xC3\x97ox1_Left)\r\n");
    EXPECT_EQ(Quenlow({"generate", "--form", "frmLone", "--pick", "\xE2\x97\x8B\xC3\x97ox1=LM"}).status, 2);
}

// Everything that reaches the generated code from the command line is a checked name;
// every mistake is one escaped line, exit status 2, and nothing on standard output.
TEST(Usage, HostileAndMistakenCommandLinesAreRefused) {
    const std::string example = Example();
    const std::string longPick(100000, 'x');
    ExpectFailures({
        {"statement in the form name", {"generate", "--form", "F\r\nShell \"calc\""}, 2,
         "quenlow: --form \"F\\x0D\\x0AShell \"calc\"\": not a form name (a Visual Basic identifier: a letter, then "
         "letters, digits or _, at most 255 characters)\n"},
        {"form name too long", {"generate", "--form", std::string(256, 'F')}, 2,
         "quenlow: --form \"" + std::string(60, 'F') + "...\": not a form name (a Visual Basic identifier: a letter, "
         "then letters, digits or _, at most 255 characters)\n"},
        {"empty form name with a project", {"generate", example, "--form", ""}, 2,
         "quenlow: --form \"\": not a form name (a Visual Basic identifier: a letter, then letters, digits or _, at "
         "most 255 characters)\n"},
        {"FORM of controls", {"controls", example, "Form1;x"}, 2,
         "quenlow: FORM \"Form1;x\": not a form name (a Visual Basic identifier: a letter, then letters, digits or "
         "_, at most 255 characters)\n"},
        {"invalid UTF-8", {"generate", "--form", "F", "--pick", "a\xFF"}, 2,
         "quenlow: --pick \"a\\xFF\": \"a\\xFF\" is not a control reference (a name such as Command1, or an array "
         "element such as Option1(3))\n"},
        {"line separator", {"generate", "--form", "F", "--pick", "a\xE2\x80\xA8" "b"}, 2,
         "quenlow: --pick \"a\\xE2\\x80\\xA8b\": \"a\\xE2\\x80\\xA8b\" is not a control reference (a name such as "
         "Command1, or an array element such as Option1(3))\n"},
        {"right-to-left override", {"generate", "--form", "F", "--pick", "a\xE2\x80\xAE" "b=LM"}, 2,
         "quenlow: --pick \"a\xE2\x80\xAE" "b=LM\": \"a\xE2\x80\xAE" "b\" is not a control reference (a name such as "
         "Command1, or an array element such as Option1(3))\n"},
        {"full-width colon", {"generate", "--form", "F", "--pick", "a\xEF\xBC\x9A" "b"}, 2,
         "quenlow: --pick \"a\xEF\xBC\x9A" "b\": \"a\xEF\xBC\x9A" "b\" is not a control reference (a name such as "
         "Command1, or an array element such as Option1(3))\n"},
        {"long value", {"generate", "--form", "F", "--pick", longPick + "=LX"}, 2,
         "quenlow: --pick \"" + std::string(60, 'x') + "...\": \"" + std::string(60, 'x') +
             "...\" is not a control reference (a name such as Command1, or an array element such as Option1(3))\n"},
        {"name too long for its variables", {"generate", "--form", "F", "--pick", std::string(243, 'n') + "=LM"}, 2,
         "quenlow: --pick \"" + std::string(60, 'n') + "...\": too long to name variables after (at most 242 "
         "characters, so that i + name + _ScaleHeight stays within the 255 Visual Basic allows)\n"},
        {"one control twice", {"generate", "--form", "F", "--pick", "Text1=LM", "--pick", "TEXT1"}, 2,
         "quenlow: --pick \"TEXT1\": that control is picked twice (letter case ignored)\n"},
        {"one element twice, with a project", {"generate", example, "--form", "Form1", "--pick", "optColour(1)", "--pick", "OPTCOLOUR(1)=LM"}, 2,
         "quenlow: --pick \"OPTCOLOUR(1)\": that control is picked twice (letter case ignored)\n"},
        {"block twice", {"generate", "--form", "F", "--block", "load", "--block", "load"}, 2,
         "quenlow: --block: given more than once\n"},
        {"value that is an option", {"generate", "--form", "--pick", "Command1"}, 2,
         "quenlow: --form: missing value (\"--pick\" is an option)\n"},
        {"inline value that is an option", {"forms", example, "--codepage=--help2"}, 2,
         "quenlow: --codepage: missing value (\"--help2\" is an option)\n"},
        {"unknown option", {"generate", "--form", "F", "--pick", "Command1=LX"}, 2,
         "quenlow: --pick \"Command1=LX\": unknown option \"LX\" (use LM, LR, LS, UM, UR, US)\n"},
        {"empty option", {"generate", "--form", "F", "--pick", "Command1=LM,,UM"}, 2,
         "quenlow: --pick \"Command1=LM,,UM\": unknown option \"\" (use LM, LR, LS, UM, UR, US)\n"},
        {"index out of range", {"generate", "--form", "F", "--pick", "Option1(40000)"}, 2,
         "quenlow: --pick \"Option1(40000)\": \"Option1(40000)\" is not a control reference (a name such as Command1, "
         "or an array element such as Option1(3))\n"},
        {"no --form", {"generate", "--pick", "Command1"}, 2, "quenlow: generate: --form NAME is required\n"},
        {"no FORM", {"controls", example}, 2, "quenlow: usage: quenlow controls PROJECT FORM [--json] [--codepage N]\n"},
        {"two projects", {"forms", "a.vbp", "b.vbp"}, 2,
         "quenlow: \"b.vbp\": unexpected argument (usage: quenlow forms PROJECT [--codepage N])\n"},
        {"code page not a number", {"forms", example, "--codepage", "sjis"}, 2,
         "quenlow: --codepage \"sjis\": give a code page number such as 1252 or 932\n"},
        {"code page unknown", {"forms", example, "--codepage=12345"}, 2,
         "quenlow: --codepage: code page 12345 is not available\n"},
        {"code page without project", {"generate", "--form", "Form1", "--codepage", "932"}, 2,
         "quenlow: --codepage: only with a PROJECT to read\n"},
        {"unknown command", {"frobnicate\x1B[2J"}, 2, "quenlow: \"frobnicate\\x1B[2J\": unknown command (try quenlow --help)\n"},
    });
}

TEST(Usage, HelpAndVersion) {
    const auto help = Quenlow({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* mentioned : {"--form", "--pick", "--block", "--codepage", "warning", "Charset", "255", "Examples",
                                  "' Tolvane:", "--remove", "--dry-run"})
        EXPECT_NE(help.out.find(mentioned), std::string::npos) << mentioned;
    const auto version = Quenlow({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("quenlow 1.", 0), 0u) << version.out;
}

}  // namespace
}  // namespace tolvane::cli
