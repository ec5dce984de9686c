// quenlow apply and picks in-process, on forms written for the test in a scratch folder:
// the file keeps every byte outside our lines, its line ends and its code page.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/files/Text.h"
#include "tests/support/Files.h"
#include "tests/support/Quenlow.h"

namespace tolvane::cli {
namespace {

namespace fs = std::filesystem;
using testing::Quenlow;
using testing::ReadBytes;
using testing::TempDir;
using testing::WithLineEnds;

std::string Text(const fs::path& path) { return host::files::Utf8FromPath(path); }
std::string Shown(const fs::path& path) { return host::files::DisplayPath(path); }  // as messages show it

// Generated text (CR LF) with `lineEnd` instead.
std::string Ends(std::string text, const std::string& lineEnd) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return WithLineEnds(text, lineEnd);
}

// A form with a button and a text box, then `code` (LF line ends).
std::string Form(const std::string& name, const std::string& code) {
    return "VERSION 5.00\nBegin VB.Form " + name + "\n   Caption = \"x\"\n   Begin VB.CommandButton Command1\n      Left = 100\n"
           "   End\n   Begin VB.TextBox txtNotes\n   End\nEnd\nAttribute VB_Name = \"" + name + "\"\n" + code;
}

const std::string kUserCode =
    "Option Explicit\n\n' Fills the notes.\nPrivate Sub Form_Load()\n    txtNotes.Text = \"End Sub\"\nEnd Sub\n";

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Written, written again as recorded, picked anew, taken out: each step through the same
// generator as generate, and the last gives back the file as it was, whatever its line ends.
TEST(Apply, WritesRefreshesAndTakesOutKeepingEveryOtherByte) {
    const struct {
        const char* what;
        std::string lineEnd;
        bool finalEnd;
    } cases[] = {{"CR LF", "\r\n", true}, {"CR LF, no final line end", "\r\n", false}, {"LF", "\n", true}};
    for (const auto& c : cases) {
        TempDir dir;
        std::string original = WithLineEnds(Form("frmMain", kUserCode), c.lineEnd);
        if (!c.finalEnd) original.resize(original.size() - c.lineEnd.size());
        const fs::path file = dir.Write("frmMain.frm", original);
        const std::string form = Text(file);
        const std::vector<std::string> picks{"--pick", "txtNotes=LR,UR", "--pick", "command1=LM"};
        auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin() + 1, {form, "--form", "frmMain"});
            return Quenlow(args);
        };

        auto written = run({"apply", picks[0], picks[1], picks[2], picks[3]});
        ASSERT_EQ(written.status, 0) << c.what << written.err;
        EXPECT_EQ(written.out, Shown(file) + ": Tolvane code written for 2 picks\n");
        const std::string once = ReadBytes(file);
        EXPECT_EQ(once.rfind(original.substr(0, original.find("Option Explicit")), 0), 0u) << c.what;
        const std::string resize = run({"generate", picks[0], picks[1], picks[2], picks[3], "--block", "resize"}).out;
        EXPECT_NE(once.find(Ends("' Tolvane resize (Sub added)\r\n" + resize, c.lineEnd)), std::string::npos) << c.what;
        // In the grid's order, whatever the order typed: the form's controls last first.
        EXPECT_NE(once.find(Ends("' Tolvane: txtNotes=LR,UR Command1=LM\r\n", c.lineEnd)), std::string::npos);
        EXPECT_EQ(once.back() == '\n', c.finalEnd) << c.what;
        EXPECT_EQ(once.find('\r') == std::string::npos, c.lineEnd == "\n") << c.what;

        EXPECT_EQ(run({"picks"}).out, "txtNotes=LR,UR\nCommand1=LM\n") << c.what;
        EXPECT_EQ(run({"apply"}).out, Shown(file) + ": unchanged\n") << c.what;
        EXPECT_EQ(ReadBytes(file), once) << c.what;
        ASSERT_EQ(run({"apply", "--pick", "Command1=UM"}).status, 0) << c.what;
        EXPECT_EQ(run({"picks"}).out, "Command1=UM\n") << c.what;
        EXPECT_EQ(run({"apply", "--remove"}).out, Shown(file) + ": Tolvane code taken out\n") << c.what;
        EXPECT_EQ(ReadBytes(file), original) << c.what;
        EXPECT_EQ(run({"picks"}).out, "") << c.what;
        EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"frmMain.frm"}) << c.what;
    }
}

TEST(Apply, DryRunShowsTheChangeAsADiffAndWritesNothing) {
    TempDir dir;
    const std::string original = WithLineEnds(Form("F", "Option Explicit\n"), "\r\n");
    const fs::path file = dir.Write("F.frm", original);
    const auto result = Quenlow({"apply", Text(file), "--form", "F", "--pick", "Command1", "--dry-run"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string name = Shown(file);
    EXPECT_EQ(result.out, "--- " + name + "\n+++ " + name + "\n@@ -9,3 +9,25 @@\n End\n Attribute VB_Name = \"F\"\n"
                          " Option Explicit\n+' Tolvane: Command1=\n+Dim iFormWidth As Single\n+Dim iFormHeight As Single\n"
                          "+Dim iFormScaleWidth As Single\n+Dim iFormScaleHeight As Single\n+\n+' Tolvane end\n"
                          "+\n+Private Sub Form_Load()\n+' Tolvane load (Sub added)\n"
                          "+iFormWidth = Me.Width\n+iFormHeight = Me.Height\n+iFormScaleWidth = Me.ScaleWidth\n"
                          "+iFormScaleHeight = Me.ScaleHeight\n+\n+' Tolvane end\n+End Sub\n+\n+Private Sub Form_Resize()\n"
                          "+' Tolvane resize (Sub added)\n+' Tolvane end\n+End Sub\n");
    EXPECT_EQ(ReadBytes(file), original);
}

// Every refusal: exit 1, one line naming the file and line, the file as it was.
TEST(Apply, RefusalsLeaveTheFileAsItWas) {
    const std::string resizeOfItsOwn = "Private Sub Form_Resize()\n    txtNotes.Width = ScaleWidth\nEnd Sub\n";
    const struct {
        const char* what;
        std::string code;
        std::vector<std::string> args;
        std::string says;  // after "quenlow: FILE"
    } cases[] = {
        {"no record", kUserCode, {}, ": holds no recorded picks: give them with --pick"},
        {"a begin without an end", "' Tolvane: Command1=LM\nDim x\nSub Form_Load()\nEnd Sub\n", {},
         ":11: the Tolvane block that begins here has no \"' Tolvane end\" before line 13"},
        {"a control gone from the form", "' Tolvane: cmdGone=LM\n' Tolvane end\n", {},
         ":11: the picks recorded here: --pick \"cmdGone\": form F has no control \"cmdGone\""},
        {"an unknown flag recorded", "' Tolvane: Command1=LM --sideways\n' Tolvane end\n", {},
         ":11: the picks recorded here: \"--sideways\": unknown option for apply"},
        {"read-only", kUserCode, {"--pick", "Command1=LM"},
         ": is read-only: not written (check it out, or clear its read-only flag, first)"},
    };
    // Before lines of the user's own in Form_Resize, our block If cannot skip them.
    {
        TempDir dir;
        const fs::path file = dir.Write("F.frm", WithLineEnds(Form("F", resizeOfItsOwn), "\r\n"));
        const auto result = Quenlow({"apply", Text(file), "--form", "F", "--pick", "Command1=LM"});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::string after = ReadBytes(file);
        EXPECT_EQ(after.find("Exit Sub"), std::string::npos);
        EXPECT_LT(after.find("' Tolvane end", after.find("' Tolvane resize")), after.find("txtNotes.Width = ScaleWidth"));
    }
    for (const auto& c : cases) {
        TempDir dir;
        const std::string original = WithLineEnds(Form("F", c.code), "\r\n");
        const fs::path file = dir.Write("F.frm", original);
        if (std::string(c.what) == "read-only")
            fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        std::vector<std::string> args{"apply", Text(file), "--form", "F"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = Quenlow(args);
        EXPECT_EQ(result.status, 1) << c.what;
        EXPECT_EQ(result.err, "quenlow: " + Shown(file) + c.says + "\n") << c.what;
        EXPECT_EQ(ReadBytes(file), original) << c.what;
        EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"F.frm"}) << c.what;
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST(Apply, MistakenCommandLinesAreUsageErrors) {
    const std::string project = testing::ExampleProject();
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"apply", "--form", "Form1", "--pick", "Command1"}, "apply: a PROJECT is needed"},
        {{"apply", project}, "apply: --form NAME or --all is required"},
        {{"apply", project, "--all", "--form", "Form1"}, "--all: not with --form"},
        {{"apply", project, "--form", "Form1", "--remove", "--pick", "Command1"}, "--remove: not with --pick"},
        {{"apply", project, "--form", "Form1", "--robust"}, "--plain, --robust and --relative go with --pick"},
        {{"apply", project, "--form", "Form1", "--dry-run=yes"}, "--dry-run: takes no value"},
        {{"apply", project, "--form", "Form1", "--block", "load"}, "--block: apply writes all three blocks"},
        {{"picks", project, "--form", "Form1", "--pick", "Command1"}, "usage: quenlow picks PROJECT --form NAME"},
    };
    for (const auto& c : cases) {
        const auto result = Quenlow(c.args);
        EXPECT_EQ(result.status, 2) << c.says;
        EXPECT_EQ(result.err.rfind(std::string("quenlow: ") + c.says, 0), 0u) << result.err;
    }
}

// --all writes again every form that holds our code from its own record, and takes it out.
TEST(Apply, AllTakesEveryFormThatHoldsOurCode) {
    TempDir dir;
    const std::string one = WithLineEnds(Form("frmOne", kUserCode), "\r\n");
    const std::string two = WithLineEnds(Form("frmTwo", ""), "\r\n");
    const std::string three = WithLineEnds(Form("frmThree", "Option Explicit\n"), "\r\n");
    const fs::path files[] = {dir.Write("frmOne.frm", one), dir.Write("frmTwo.frm", two), dir.Write("frmThree.frm", three)};
    const std::string project =
        Text(dir.Write("P.vbp", "Type=Exe\r\nForm=frmOne.frm\r\nForm=frmTwo.frm\r\nForm=frmThree.frm\r\n"));
    ASSERT_EQ(Quenlow({"apply", project, "--form", "frmOne", "--pick", "Command1=LM"}).status, 0);
    ASSERT_EQ(Quenlow({"apply", project, "--form", "frmTwo", "--pick", "txtNotes=UR"}).status, 0);
    const std::string twoWritten = ReadBytes(files[1]);
    // A record changed by hand: the next refresh writes the code it asks for.
    std::string oneEdited = ReadBytes(files[0]);
    oneEdited.replace(oneEdited.find("Command1=LM"), 11, "Command1=UM");
    dir.Write("frmOne.frm", oneEdited);

    const auto refreshed = Quenlow({"apply", project, "--all"});
    ASSERT_EQ(refreshed.status, 0) << refreshed.err;
    EXPECT_EQ(refreshed.out, Shown(files[0]) + ": Tolvane code written for 1 pick\n" + Shown(files[1]) + ": unchanged\n");
    EXPECT_NE(ReadBytes(files[0]).find("Command1.Top = Me.ScaleHeight"), std::string::npos);
    EXPECT_EQ(ReadBytes(files[1]), twoWritten);

    ASSERT_EQ(Quenlow({"apply", project, "--all", "--remove"}).status, 0);
    EXPECT_EQ(ReadBytes(files[0]), one);
    EXPECT_EQ(ReadBytes(files[1]), two);
    EXPECT_EQ(ReadBytes(files[2]), three);
    const auto none = Quenlow({"apply", project, "--all"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "quenlow: note: no form of " + Shown(dir.Path() / "P.vbp") + " holds Tolvane code\n");
}

// A Japanese form (its fonts say Shift-JIS): the names go into the code and the record in
// cp932 bytes, the user's lines keep theirs, and taking the code out gives back every byte.
TEST(Apply, AFormInADoubleByteCodePageKeepsItsBytes) {
    TempDir dir;
    // 設定 with a button 表示 (cp932 95 5C 8E A6: the trail byte is "\") and a comment ソ (83 5C).
    const std::string original = WithLineEnds(
        "VERSION 5.00\nBegin VB.Form \x90\xDD\x92\xE8\n   BeginProperty Font\n      Charset = 128\n   EndProperty\n"
        "   Begin VB.CommandButton \x95\x5C\x8E\xA6\n   End\nEnd\nAttribute VB_Name = \"\x90\xDD\x92\xE8\"\n"
        "Option Explicit\n' \x83\x5C\nPrivate Sub Form_Resize()\n    \x95\x5C\x8E\xA6.Caption = \"\x83\x5C\"\nEnd Sub\n",
        "\r\n");
    const fs::path file = dir.Write("Main.frm", original);
    const auto result = Quenlow({"apply", Text(file), "--form", "\xE8\xA8\xAD\xE5\xAE\x9A", "--pick",
                                 "\xE8\xA1\xA8\xE7\xA4\xBA=LM"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string written = ReadBytes(file);
    EXPECT_NE(written.find("' Tolvane: \x95\x5C\x8E\xA6=LM\r\n"), std::string::npos);
    EXPECT_NE(written.find("    \x95\x5C\x8E\xA6.Left = Me.ScaleWidth - (iFormScaleWidth - i\x95\x5C\x8E\xA6_Left)\r\n"
                           "End If\r\n' Tolvane end\r\n    \x95\x5C\x8E\xA6.Caption"),
              std::string::npos);
    EXPECT_EQ(Quenlow({"picks", Text(file), "--form", "\xE8\xA8\xAD\xE5\xAE\x9A"}).out, "\xE8\xA1\xA8\xE7\xA4\xBA=LM\n");
    EXPECT_EQ(Quenlow({"apply", Text(file), "--form", "\xE8\xA8\xAD\xE5\xAE\x9A"}).status, 0);
    EXPECT_EQ(ReadBytes(file), written);
    EXPECT_EQ(Quenlow({"apply", Text(file), "--form", "\xE8\xA8\xAD\xE5\xAE\x9A", "--remove"}).status, 0);
    EXPECT_EQ(ReadBytes(file), original);
}

}  // namespace
}  // namespace tolvane::cli
