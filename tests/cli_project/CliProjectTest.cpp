#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "../host_files/TestSupport.h"

namespace tolvane::cli {
namespace {

using host::files::testing::Crlf;
using host::files::testing::ReadBytes;
using host::files::testing::TempDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the built quenlow in the source folder (so that examples/... paths work as in the README).
Result Quenlow(const std::vector<std::string>& args) {
    TempDir capture;
    std::string command = "cd " + ShellQuoted(TOLVANE_SOURCE_DIR) + " && " + ShellQuoted(QUENLOW_PATH);
    for (const auto& arg : args) command += " " + ShellQuoted(arg);
    const auto out = capture.Path() / "out";
    const auto err = capture.Path() / "err";
    command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
    const int raw = std::system(command.c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    return result;
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

TEST(CliProject, FormsListsStandardFormsInProjectOrder) {
    const Result result = Quenlow({"forms", "examples/Example.vbp"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Form1\nfrmOptions\nfrmDocument\n");  // not MDIMain, modMain, clsSettings
    EXPECT_EQ(result.err, "");
}

TEST(CliProject, ControlsListsAsTheGridDoesIndentedByNesting) {
    const Result form1 = Quenlow({"controls", "examples/Example.vbp", "Form1"});
    EXPECT_EQ(form1.status, 0);
    EXPECT_EQ(form1.out,
              "mnuFile\n  mnuFileExit\n  mnuFileSep\n  mnuFileRecent\n    mnuRecent(0)\n  mnuFileOpen\n"
              "Command1\ncmdCancel\nlinSeparator\nlblStatus\ntxtNotes\nfraOptions\n  picColours\n"
              "    optColour(2)\n    optColour(1)\n    optColour(0)\n  chkItalic\n  chkBold\ntmrClock\n");
    const Result options = Quenlow({"controls", "examples/Example.vbp", "FRMOPTIONS"});
    EXPECT_EQ(options.status, 0);
    EXPECT_EQ(options.out, "cmdOK\nfraPaths\n  lblPath(2)\n  txtPath\n  fraInner\n    lblPath(0)\n    lblPath(1)\n");
    // Any designer with controls can be listed, the MDI form too.
    EXPECT_EQ(Quenlow({"controls", "examples/Example.vbp", "MDIMain"}).out,
              "mnuWindow\n  mnuWindowCascade\npicToolbar\n  cmdNew\n");
}

TEST(CliProject, ControlsSaysHowManyTheGridCannotShow) {
    TempDir dir;
    const struct {
        int perFrame;
        std::string moreLine;  // empty: none
    } cases[] = {
        {19, "(10 more controls: the add-in's grid shows the first 50)"},
        {16, "(1 more control: the add-in's grid shows the first 50)"},
        {15, ""},
    };
    for (const auto& c : cases) {
        const auto form = dir.Write("Big" + std::to_string(c.perFrame) + ".frm", FramesForm(c.perFrame));
        const Result result = Quenlow({"controls", form.string(), "frmBig"});
        ASSERT_EQ(result.status, 0) << result.err;
        const auto lines = LinesOf(result.out);
        const std::size_t controls = 3 + 3 * static_cast<std::size_t>(c.perFrame);
        ASSERT_EQ(lines.size(), controls + (c.moreLine.empty() ? 0 : 1)) << c.perFrame;
        EXPECT_EQ(lines[0], "fra3");
        EXPECT_EQ(lines[1], "  lbl3(" + std::to_string(c.perFrame - 1) + ")");
        if (!c.moreLine.empty()) {
            EXPECT_EQ(lines[50], c.moreLine);  // right after the 50th row, then the rest
            EXPECT_EQ(lines.back(), "  lbl1(0)");
        }
    }
}

TEST(CliProject, GenerateFromAProjectTicksTheListedRows) {
    const Result plain = Quenlow({"generate", "--form", "Form1", "--pick", "Command1=LM"});
    const Result project = Quenlow({"generate", "examples/Example.vbp", "--form", "Form1", "--pick", "Command1=LM"});
    ASSERT_EQ(project.status, 0) << project.err;
    EXPECT_EQ(project.out, plain.out);
    EXPECT_NE(project.out.find("Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)"), std::string::npos);

    // Names as the form spells them, whatever the case typed; rows in listing order.
    const Result typed = Quenlow({"generate", "examples/Example.vbp", "--form", "form1", "--pick", "OPTCOLOUR(1)=lr,us",
                                  "--pick", "fraOptions=UR", "--block", "resize"});
    const Result spelled = Quenlow({"generate", "--form", "Form1", "--pick", "fraOptions=UR", "--pick",
                                    "optColour(1)=LR,US", "--block", "resize"});
    ASSERT_EQ(typed.status, 0) << typed.err;
    EXPECT_EQ(typed.out, spelled.out);
    EXPECT_NE(typed.out.find("optColour(1)"), std::string::npos);
}

struct FailureCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string err;  // the whole of standard error
};

TEST(CliProject, FailuresExitWithOneLineNamingTheProblem) {
    TempDir dir;
    const auto bad = dir.Write("Bad.frm", Crlf("VERSION 5.00\nBegin VB.Form Bad\n   Begin VB.Label 1abc\n   End\nEnd\n"));
    const auto big = dir.Write("Big.frm", FramesForm(19));
    const FailureCase cases[] = {
        {"unknown control", {"generate", "examples/Example.vbp", "--form", "Form1", "--pick", "Command9=LM"}, 1,
         "quenlow: examples/Example.vbp: --pick \"Command9\": form Form1 has no control \"Command9\"\n"},
        {"control past the grid", {"generate", big.string(), "--form", "frmBig", "--pick", "lbl1(0)"}, 1,
         "quenlow: " + big.string() +
             ": --pick \"lbl1(0)\": control lbl1(0) of form frmBig is row 60; the add-in's grid shows the first 50\n"},
        {"unknown form", {"controls", "examples/Example.vbp", "Form9"}, 1,
         "quenlow: examples/Example.vbp: no form named \"Form9\" (its forms: Form1, frmOptions, frmDocument)\n"},
        {"MDI form for generate", {"generate", "examples/Example.vbp", "--form", "MDIMain"}, 1,
         "quenlow: examples/Example.vbp: \"MDIMain\" is an MDI form; the add-in offers standard forms only\n"},
        {"module for controls", {"controls", "examples/Example.vbp", "modMain"}, 1,
         "quenlow: examples/Example.vbp: \"modMain\" is a module, not a form\n"},
        {"bad file", {"forms", bad.string()}, 1,
         "quenlow: " + bad.string() + ":3: control name \"1abc\" is not a Visual Basic identifier\n"},
        {"missing project", {"forms", "examples/Nothing.vbp"}, 1, "quenlow: examples/Nothing.vbp: file not found\n"},
        {"no FORM", {"controls", "examples/Example.vbp"}, 2,
         "quenlow: usage: quenlow controls PROJECT FORM [--codepage N]\n"},
        {"no PROJECT", {"forms"}, 2, "quenlow: usage: quenlow forms PROJECT [--codepage N]\n"},
        {"two projects", {"forms", "a.vbp", "b.vbp"}, 2,
         "quenlow: \"b.vbp\": unexpected argument (usage: quenlow forms PROJECT [--codepage N])\n"},
        {"unknown option", {"forms", "a.vbp", "--all"}, 2, "quenlow: \"--all\": unknown option for forms\n"},
        {"code page not a number", {"forms", "examples/Example.vbp", "--codepage", "sjis"}, 2,
         "quenlow: --codepage \"sjis\": give a code page number such as 1252 or 932\n"},
        {"code page unknown", {"forms", "examples/Example.vbp", "--codepage=12345"}, 2,
         "quenlow: --codepage: code page 12345 is not available\n"},
        {"code page without project", {"generate", "--form", "Form1", "--codepage", "932"}, 2,
         "quenlow: --codepage: only with a PROJECT to read\n"},
        {"row picked twice", {"generate", "examples/Example.vbp", "--form", "Form1", "--pick", "Command1=LM", "--pick", "command1"}, 2,
         "quenlow: --pick \"command1\": row picked twice\n"},
    };
    for (const auto& c : cases) {
        const Result result = Quenlow(c.args);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.err, c.err) << c.what;
        EXPECT_EQ(result.out, "") << c.what;
    }
}

TEST(CliProject, CodePageOptionReadsDbcsProjects) {
    TempDir dir;
    // 設定 (cp932 90 DD 92 E8) with a control 表示 whose first character has the trail byte 0x5C.
    dir.Write("\xE7\x94\xBB\xE9\x9D\xA2/Main.frm",
              Crlf("VERSION 5.00\nBegin VB.Form \x90\xDD\x92\xE8\n   Begin VB.CommandButton \x95\x5C\x8E\xA6\n   End\n"
                   "End\nAttribute VB_Name = \"\x90\xDD\x92\xE8\"\n"));
    const auto vbp = dir.Write("J.vbp", "Type=Exe\r\nForm=\x89\xE6\x96\xCA\\Main.frm\r\n");  // 画面\Main.frm
    const Result forms = Quenlow({"forms", vbp.string(), "--codepage", "932"});
    EXPECT_EQ(forms.status, 0) << forms.err;
    EXPECT_EQ(forms.out, "\xE8\xA8\xAD\xE5\xAE\x9A\n");
    const Result controls = Quenlow({"controls", vbp.string(), "\xE8\xA8\xAD\xE5\xAE\x9A", "--codepage", "932"});
    EXPECT_EQ(controls.out, "\xE8\xA1\xA8\xE7\xA4\xBA\n");
    const Result generated = Quenlow({"generate", vbp.string(), "--codepage", "932", "--form",
                                      "\xE8\xA8\xAD\xE5\xAE\x9A", "--pick", "\xE8\xA1\xA8\xE7\xA4\xBA=LM"});
    EXPECT_EQ(generated.status, 0) << generated.err;
    EXPECT_NE(generated.out.find("\xE8\xA1\xA8\xE7\xA4\xBA.Left"), std::string::npos);
    // In the default code page the .vbp's path bytes do not name the folder.
    const Result western = Quenlow({"forms", vbp.string()});
    EXPECT_EQ(western.status, 1);
    EXPECT_EQ(western.out, "");
    EXPECT_NE(western.err.find(vbp.string() + ":2: "), std::string::npos) << western.err;
}

}  // namespace
}  // namespace tolvane::cli
