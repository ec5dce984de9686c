#include <gtest/gtest.h>

#include "TestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tolvane::host::files {
namespace {

using testing::Crlf;
using testing::Listing;
using testing::TempDir;
using testing::Tree;

const std::string kForm =
    "VERSION 5.00\nBegin VB.Form %\n   Begin VB.CommandButton cmdOK\n   End\nEnd\nAttribute VB_Name = \"%\"\n";

// A small form file named `name`.
std::string FormNamed(const std::string& name) {
    std::string text = kForm;
    for (std::size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, name);
    return Crlf(text);
}

// "Name:type" per component ("-" without a form designer), then anything left out.
std::string Kinds(const ProjectRead& read) {
    std::string out;
    for (const auto& component : read.project.components) {
        if (!out.empty()) out += " ";
        out += component.name + ":" + std::to_string(component.type) + (component.hasFormDesigner ? "" : "-");
    }
    for (const auto& left : read.leftOut) out += " | left out " + left.name + ": " + left.reason.what();
    return out;
}

TEST(Project, ReadsTheExampleProjectInProjectOrder) {
    const auto read = ReadProject(tolvane::testing::SourcePath("examples/Example.vbp"));
    const auto& project = read.project;
    EXPECT_EQ(Kinds(read), "Form1:5 frmOptions:5 MDIMain:6 frmDocument:5 modMain:1- clsSettings:2-");
    EXPECT_EQ(Tree(project.components[0].controls),
              "tmrClock,fraOptions[chkBold,chkItalic,picColours[optColour(0),optColour(1),optColour(2)]],txtNotes,"
              "lblStatus,linSeparator,cmdCancel,Command1,"
              "mnuFile[mnuFileOpen,mnuFileRecent[mnuRecent(0)],mnuFileSep,mnuFileExit]");
}

TEST(Project, ServesTheExampleThroughTheHostAsTheIdeDoes) {
    auto host = OpenProject(tolvane::testing::SourcePath("examples/Example.vbp")).host;
    EXPECT_EQ(host->Menu().Captions("Add-Ins"), std::vector<std::string>{});
    auto components = host->ActiveVBProject()->VBComponents();
    ASSERT_EQ(components->Count(), 6);
    EXPECT_EQ(components->Item(3)->Type(), ComponentType::VBMDIForm);
    EXPECT_THROW(components->Item("modMain")->Designer(), HostError);

    auto controls = components->Item("form1")->Designer()->VBControls();
    ASSERT_EQ(controls->Count(), 19);  // every control, containers before their contents
    auto nameOf = [](Control& control) { return control.GetProperties()->Item("Name")->Value().AsText(); };
    auto indexOf = [](Control& control) { return control.GetProperties()->Item("Index")->Value().AsNumber(); };
    EXPECT_EQ(nameOf(*controls->Item(2)), "fraOptions");
    EXPECT_EQ(nameOf(*controls->Item(5)), "picColours");
    EXPECT_EQ(nameOf(*controls->Item(7)), "optColour");
    EXPECT_EQ(indexOf(*controls->Item(7)), 1);
    EXPECT_EQ(indexOf(*controls->Item(1)), -1);
    auto inFrame = controls->Item(2)->ContainedVBControls();
    ASSERT_EQ(inFrame->Count(), 3);  // directly inside only
    EXPECT_EQ(nameOf(*inFrame->Item(3)), "picColours");

    EXPECT_EQ(Listing(*host, "Form1"),
              (std::vector<std::string>{"0:mnuFile", "1:mnuFileExit", "1:mnuFileSep", "1:mnuFileRecent",
                                        "2:mnuRecent(0)", "1:mnuFileOpen", "0:Command1", "0:cmdCancel",
                                        "0:linSeparator", "0:lblStatus", "0:txtNotes", "0:fraOptions",
                                        "1:picColours", "2:optColour(2)", "2:optColour(1)", "2:optColour(0)",
                                        "1:chkItalic", "1:chkBold", "0:tmrClock"}));
    EXPECT_EQ(Listing(*host, "frmOptions"),
              (std::vector<std::string>{"0:cmdOK", "0:fraPaths", "1:lblPath(2)", "1:txtPath", "1:fraInner",
                                        "2:lblPath(0)", "2:lblPath(1)"}));
}

TEST(Project, ListsAFormNestedThreeDeep) {
    auto host = OpenProject(testing::Fixture("Nested3.frm")).host;
    EXPECT_EQ(Listing(*host, "frmNested"),
              (std::vector<std::string>{"0:cmdTop", "0:lblItem(2)", "0:fraOuter", "1:cmdOuter", "1:fraMiddle",
                                        "2:lblItem(1)", "2:picInner", "3:lblItem(0)", "3:txtDeep"}));
}

TEST(Project, GivesUserControlsPagesAndDesignersTheirTypes) {
    auto host = OpenProject(testing::Fixture("Components.vbp")).host;
    auto components = host->ActiveVBProject()->VBComponents();
    ASSERT_EQ(components->Count(), 4);
    EXPECT_EQ(components->Item(1)->Type(), ComponentType::UserControl);
    EXPECT_EQ(components->Item(2)->Type(), ComponentType::PropPage);
    EXPECT_EQ(components->Item(3)->Type(), ComponentType::ActiveXDesigner);
    EXPECT_EQ(components->Item(3)->Name(), "Connect");
    EXPECT_THROW(components->Item(3)->Designer(), HostError);  // no form designer
    EXPECT_EQ(Listing(*host, "ucPanel"), std::vector<std::string>{"0:lblCaption"});
    EXPECT_EQ(Listing(*host, "ppGeneral"), std::vector<std::string>{"0:txtCaption"});
}

TEST(Project, LoneDesignerFilesAreOneComponentProjects) {
    EXPECT_EQ(Kinds(ReadProject(testing::Fixture("Nested3.frm"))), "frmNested:5");
    EXPECT_EQ(Kinds(ReadProject(testing::Fixture("ucPanel.ctl"))), "ucPanel:8");
    EXPECT_EQ(Kinds(ReadProject(tolvane::testing::SourcePath("examples/MDIMain.frm"))), "MDIMain:6");
}

TEST(Project, FindsFilesThroughBackslashesDotDotAndLetterCase) {
    TempDir dir;
    dir.Write("Forms/Sub/frmA.frm", FormNamed("frmA"));
    dir.Write("Shared/FRMB.FRM", FormNamed("frmB"));
    dir.Write("Shared/Util.bas", "Attribute VB_Name = \"Util\"\r\n");
    dir.Write("proj/Main.frm", FormNamed("frmMain"));
    const auto vbp = dir.Write("proj/P.vbp", Crlf("Type=Exe\n"
                                                  "Form=Main.frm\n"
                                                  "Form=..\\forms\\SUB\\frma.frm\n"
                                                  "Form=.\\..\\Shared\\\\frmb.frm\n"
                                                  "Module=Util; ../shared/util.BAS\n"
                                                  "Startup=\"frmMain\"\n"
                                                  "[MS Transaction Server]\n"
                                                  "AutoRefresh=1\n"
                                                  "anything at all in a section\n"));
    EXPECT_EQ(Kinds(ReadProject(vbp)), "frmMain:5 frmA:5 frmB:5 Util:1-");
}

TEST(Project, DecodesPathsBeforeSplittingThemOnBackslashes) {
    TempDir dir;
    // 表 is 95 5C in cp932: split on bytes, the path would break inside the character.
    dir.Write("\xE8\xA1\xA8/\xE8\xA1\xA8\xE7\xA4\xBA.frm", FormNamed("frmView"));
    const auto vbp = dir.Write("J.vbp", "Type=Exe\r\nForm=\x95\x5C\\\x95\x5C\x8E\xA6.frm\r\n");
    EXPECT_EQ(Kinds(ReadProject(vbp, CodePages(932))), "frmView:5");
    // Read as cp1252 the same bytes name another file: left out, on the .vbp line.
    const auto western = ReadProject(vbp, CodePages(1252));
    ASSERT_EQ(western.leftOut.size(), 1u);
    EXPECT_EQ(western.leftOut[0].reason.Line(), 2);
    EXPECT_EQ(western.leftOut[0].reason.Problem(),
              "Form \"\xE2\x80\xA2\\\\\xE2\x80\xA2\\\xC5\xBD\xC2\xA6.frm\": file not found");  // "•\\•\Ž¦.frm"
}

// A Japanese project: the form at an ASCII path declares code page 932 in its font; the
// .vbp's other paths, a module's name and a form that declares nothing follow it.
TEST(Project, PathsAndNamesFollowTheCodePageTheFormsDeclare) {
    const std::string font = "   BeginProperty Font\n      Name = \"MS UI Gothic\"\n      Charset = 128\n   EndProperty\n";
    const std::string tail = "End\nAttribute VB_Name = \"%\"\n";
    auto form = [&](const std::string& name, const std::string& body) {
        std::string text = "VERSION 5.00\nBegin VB.Form %\n" + body + tail;
        for (std::size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, name);
        return Crlf(text);
    };
    const std::string control = "   Begin VB.CommandButton \x95\x5C\x8E\xA6\n   End\n";  // 表示
    const std::string vbp = "Type=Exe\r\nForm=\x89\xE6\x96\xCA\\Sub.frm\r\nForm=Main.frm\r\nModule=\x95\x5C; m.bas\r\n";
    TempDir dir;
    dir.Write("Main.frm", form("frmMain", control + font));  // the font comes after the first name
    dir.Write("\xE7\x94\xBB\xE9\x9D\xA2/Sub.frm", form("frmSub", control));  // 画面/Sub.frm, no font
    dir.Write("m.bas", "Attribute VB_Name = \"x\"\r\n");
    const auto read = ReadProject(dir.Write("J.vbp", vbp));
    EXPECT_EQ(Kinds(read), "frmSub:5 frmMain:5 \xE8\xA1\xA8:1-");
    EXPECT_EQ(read.project.components[0].controls.at(0).name, "\xE8\xA1\xA8\xE7\xA4\xBA");
    EXPECT_EQ(read.project.components[1].controls.at(0).name, "\xE8\xA1\xA8\xE7\xA4\xBA");

    // No form at an ASCII path: the code page in which the path names a file is the project's.
    TempDir only;
    only.Write("\xE7\x94\xBB\xE9\x9D\xA2/Sub.frm", form("frmSub", control));
    const auto found = ReadProject(only.Write("J.vbp", "Type=Exe\r\nForm=\x89\xE6\x96\xCA\\Sub.frm\r\n"));
    EXPECT_EQ(Kinds(found), "frmSub:5");
    EXPECT_EQ(found.project.components.at(0).controls.at(0).name, "\xE8\xA1\xA8\xE7\xA4\xBA");
}

struct LeftOutCase {
    const char* what;
    std::string entry;  // the .vbp line after "Type=Exe" and "Form=Form1.frm"
    std::string file;   // the file named in the warning, relative to the folder
    int line;
    std::string problem;
    std::string name = "";  // the component's name, when its file told it
};

// The IDE opens such projects without the component, and so does the reader.
TEST(Project, LeavesOutComponentsItCannotReadAndReadsTheRest) {
    TempDir dir;
    dir.Write("Form1.frm", FormNamed("Form1"));
    dir.Write("Copy.frm", FormNamed("form1"));
    dir.Write("Bad.frm", Crlf("VERSION 5.00\nBegin VB.Form Bad\n   Begin VB.Label 1abc\n   End\nEnd\n"));
    dir.Write("Loader.ctl", "options (errors=200)\nload data\n");
    dir.Write("uc.ctl", Crlf("VERSION 5.00\nBegin VB.UserControl uc\nEnd\n"));
    dir.Write("Util.bas", "Attribute VB_Name = \"Util\"\r\n");
    dir.Write("twin/a.frm", FormNamed("a"));
    const std::string longPath(40000, 'a');
    const LeftOutCase cases[] = {
        {"missing form", "Form=Form9.frm", "P.vbp", 3, "Form \"Form9.frm\": file not found"},
        {"missing folder", "Form=x\\Form1.frm", "P.vbp", 3, "Form \"x\\Form1.frm\": file not found"},
        {"a folder", "Form=twin", "P.vbp", 3, "Form \"twin\": not a file"},
        {"drive-rooted", "Form=C:\\Proj\\Form1.frm", "P.vbp", 3,
#ifdef _WIN32
         "Form \"C:\\Proj\\Form1.frm\": file not found"},
#else
         "Form \"C:\\Proj\\Form1.frm\": a path on drive C: cannot be followed here"},
#endif
        {"path longer than Windows takes", "Form=" + longPath, "P.vbp", 3,
         "Form \"" + longPath.substr(0, 80) + "...\": longer than 32767 characters"},
        {"form without path", "Form=", "P.vbp", 3, "Form= entry without a path"},
        {"missing module", "Module=Util; Utils.bas", "P.vbp", 3, "Module \"Utils.bas\": file not found", "Util"},
        {"module without path", "Module=Util", "P.vbp", 3, "Module= entry must be \"Name; path\""},
        {"module name", "Module=2Util; Util.bas", "P.vbp", 3, "Module name \"2Util\" is not a Visual Basic identifier"},
        {"duplicate component", "Form=Copy.frm", "P.vbp", 3, "component name \"form1\" is used twice (also at line 2)",
         "form1"},
        {"the same file twice, read once", "Form=.\\FORM1.FRM", "P.vbp", 3,
         "Form \".\\FORM1.FRM\": the same file as line 2"},
        {"module named like a form", "Module=FORM1; Util.bas", "P.vbp", 3,
         "component name \"FORM1\" is used twice (also at line 2)", "FORM1"},
        {"bad control name", "Form=Bad.frm", "Bad.frm", 3, "control name \"1abc\" is not a Visual Basic identifier", "Bad"},
        {"SQL*Loader file as a user control", "UserControl=Loader.ctl", "Loader.ctl", 1,
         "not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {"user control listed as a form", "Form=uc.ctl", "uc.ctl", 2,
         "the designer is VB.UserControl, but the project lists it as Form= (VB.Form or VB.MDIForm)", "uc"},
    };
    for (const auto& c : cases) {
        const auto read = ReadProject(dir.Write("P.vbp", Crlf("Type=Exe\nForm=Form1.frm\n" + c.entry + "\n")));
        ASSERT_EQ(read.project.components.size(), 1u) << c.what;
        EXPECT_EQ(read.project.components[0].name, "Form1") << c.what;
        ASSERT_EQ(read.leftOut.size(), 1u) << c.what;
        const LeftOutComponent& left = read.leftOut[0];
        EXPECT_EQ(left.reason.File(), DisplayPath(dir.Path() / c.file)) << c.what;
        EXPECT_EQ(left.reason.Line(), c.line) << c.what;
        EXPECT_EQ(left.reason.Problem(), c.problem) << c.what;
        EXPECT_EQ(left.name, c.name) << c.what;
    }
}

TEST(Project, RefusesWhatIsNotAProjectNamingFileAndLine) {
    TempDir dir;
    const struct {
        const char* what;
        std::string vbp;
        int line;
        std::string problem;
    } cases[] = {
        {"no Type line", "Form=Form1.frm\n", 0, "not a Visual Basic project file (no Type= line)"},
        {"not key=value", "Type=Exe\nthis is not a project\n", 2,
         "malformed line (expected Key=Value): not a Visual Basic project file"},
        {"binary", std::string("Type=Exe\n\0\0\0", 12), 2, "binary data (a NUL byte): not a Visual Basic project file"},
    };
    for (const auto& c : cases) {
        const auto vbp = dir.Write("P.vbp", Crlf(c.vbp));
        try {
            ReadProject(vbp);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const FileError& error) {
            EXPECT_EQ(error.File(), DisplayPath(vbp)) << c.what;
            EXPECT_EQ(error.Line(), c.line) << c.what;
            EXPECT_EQ(error.Problem(), c.problem) << c.what;
        }
    }
}

// The project cannot say which of two files it means: neither is taken, the rest is read.
TEST(Project, LeavesOutAPathThatMatchesTwoFilesIgnoringCase) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file systems cannot hold two names that differ only in case";
#else
    TempDir dir;
    dir.Write("Form1.frm", FormNamed("Form1"));
    dir.Write("twin/a.frm", FormNamed("a"));
    dir.Write("Twin/a.frm", FormNamed("a"));
    const auto read = ReadProject(dir.Write("P.vbp", Crlf("Type=Exe\nForm=TWIN\\a.frm\nForm=Form1.frm\n")));
    ASSERT_EQ(read.project.components.size(), 1u);
    EXPECT_EQ(read.project.components[0].name, "Form1");
    ASSERT_EQ(read.leftOut.size(), 1u);
    const FileError& reason = read.leftOut[0].reason;
    EXPECT_EQ(reason.Line(), 2);
    // Both are named, in the order the folder lists them.
    const std::string problem = reason.Problem();
    EXPECT_EQ(problem.rfind("Form \"TWIN\\a.frm\": more than one file matches \"TWIN\" when letter case is ignored: ", 0), 0u)
        << problem;
    EXPECT_NE(problem.find(DisplayPath(dir.Path() / "twin")), std::string::npos) << problem;
    EXPECT_NE(problem.find(DisplayPath(dir.Path() / "Twin")), std::string::npos) << problem;
#endif
}

TEST(Project, RefusesMissingForeignAndSpecialFilesGivenDirectly) {
    TempDir dir;
    const auto table = dir.Write("customers.frm", std::string("\x0D\x0A\xFE\x01\x00\x10\x01\x00", 8));
    std::filesystem::create_directories(dir.Path() / "folder.vbp");
    const std::string longName = Utf8FromPath(dir.Path()) + "/" + std::string(33000, 'x') + ".vbp";
    struct Case {
        std::filesystem::path path;
        std::string message;
    };
    std::vector<Case> cases = {
        {dir.Path() / "none.vbp", DisplayPath(dir.Path() / "none.vbp") + ": file not found"},
        {dir.Path() / "none.frm", DisplayPath(dir.Path() / "none.frm") + ": file not found"},
        {dir.Path() / "folder.vbp", DisplayPath(dir.Path() / "folder.vbp") + ": is a folder, not a file"},
        {PathFromUtf8(longName), DisplayPath(PathFromUtf8(longName)).substr(0, 80) + "...: path longer than 32767 characters"},
        {table, DisplayPath(table) + ":2: binary data (a NUL byte): not a Visual Basic designer file"},
        {testing::Fixture("Loader.ctl"),
         DisplayPath(testing::Fixture("Loader.ctl").lexically_normal()) +
             ":1: not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {dir.Path() / "notes.txt",
         DisplayPath(dir.Path() / "notes.txt") +
             ": not a project: give a .vbp file, a designer file (.frm, .ctl, .pag, .dob, .dsr), a folder of exported "
             "forms or an Office document with macros (.xlsm, .docm, ...)"},
    };
#ifndef _WIN32
    // Refused by type, before opening: opening a FIFO would wait for a writer forever.
    const auto fifo = dir.Path() / "pipe.vbp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.push_back({fifo, DisplayPath(fifo) + ": is a FIFO (named pipe), not a file"});
    const auto device = dir.Path() / "zero.frm";
    std::filesystem::create_symlink("/dev/zero", device);
    cases.push_back({device, DisplayPath(device) + ": is a device, not a file"});
#endif
    for (const auto& c : cases) {
        try {
            ReadProject(c.path);
            ADD_FAILURE() << c.message << ": no error";
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

}  // namespace
}  // namespace tolvane::host::files
