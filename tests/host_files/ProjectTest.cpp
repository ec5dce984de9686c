#include <gtest/gtest.h>

#include "TestSupport.h"

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

std::string Kinds(const memory::ProjectSpec& project) {
    std::string out;
    for (const auto& component : project.components) {
        if (!out.empty()) out += " ";
        out += component.name + ":" + std::to_string(component.type) + (component.hasFormDesigner ? "" : "-");
    }
    return out;
}

TEST(Project, ReadsTheExampleProjectInProjectOrder) {
    const auto project = ReadProject(testing::SourceDir() / "examples" / "Example.vbp", CodePage());
    EXPECT_EQ(Kinds(project), "Form1:5 frmOptions:5 MDIMain:6 frmDocument:5 modMain:1- clsSettings:2-");
    EXPECT_EQ(Tree(project.components[0].controls),
              "tmrClock,fraOptions[chkBold,chkItalic,picColours[optColour(0),optColour(1),optColour(2)]],txtNotes,"
              "lblStatus,linSeparator,cmdCancel,Command1,"
              "mnuFile[mnuFileOpen,mnuFileRecent[mnuRecent(0)],mnuFileSep,mnuFileExit]");
}

TEST(Project, ServesTheExampleThroughTheHostAsTheIdeDoes) {
    auto host = OpenProject(testing::SourceDir() / "examples" / "Example.vbp", CodePage());
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
    auto host = OpenProject(testing::Fixture("Nested3.frm"), CodePage());
    EXPECT_EQ(Listing(*host, "frmNested"),
              (std::vector<std::string>{"0:cmdTop", "0:lblItem(2)", "0:fraOuter", "1:cmdOuter", "1:fraMiddle",
                                        "2:lblItem(1)", "2:picInner", "3:lblItem(0)", "3:txtDeep"}));
}

TEST(Project, GivesUserControlsPagesAndDesignersTheirTypes) {
    auto host = OpenProject(testing::Fixture("Parts.vbp"), CodePage());
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
    EXPECT_EQ(Kinds(ReadProject(testing::Fixture("Nested3.frm"), CodePage())), "frmNested:5");
    EXPECT_EQ(Kinds(ReadProject(testing::Fixture("ucPanel.ctl"), CodePage())), "ucPanel:8");
    EXPECT_EQ(Kinds(ReadProject(testing::SourceDir() / "examples" / "MDIMain.frm", CodePage())), "MDIMain:6");
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
    EXPECT_EQ(Kinds(ReadProject(vbp, CodePage())), "frmMain:5 frmA:5 frmB:5 Util:1-");
}

TEST(Project, DecodesPathsBeforeSplittingThemOnBackslashes) {
    TempDir dir;
    // 表 is 95 5C in cp932: split on bytes, the path would break inside the character.
    dir.Write("\xE8\xA1\xA8/\xE8\xA1\xA8\xE7\xA4\xBA.frm", FormNamed("frmView"));
    const auto vbp = dir.Write("J.vbp", "Type=Exe\r\nForm=\x95\x5C\\\x95\x5C\x8E\xA6.frm\r\n");
    EXPECT_EQ(Kinds(ReadProject(vbp, CodePage(932))), "frmView:5");
    // Read as cp1252 the same bytes name another file, reported on the .vbp line.
    try {
        ReadProject(vbp, CodePage(1252));
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Line(), 2);
        EXPECT_NE(error.Problem().find("file not found"), std::string::npos) << error.what();
    }
}

struct ProjectErrorCase {
    const char* what;
    std::string vbp;
    std::string file;  // the file named in the error, relative to the folder
    int line;
    std::string problem;
};

TEST(Project, RefusesBrokenProjectsNamingFileAndLine) {
    TempDir dir;
    dir.Write("Form1.frm", FormNamed("Form1"));
    dir.Write("Copy.frm", FormNamed("form1"));
    dir.Write("Bad.frm", Crlf("VERSION 5.00\nBegin VB.Form Bad\n   Begin VB.Label 1abc\n   End\nEnd\n"));
    dir.Write("Loader.ctl", "options (errors=200)\nload data\n");
    dir.Write("uc.ctl", Crlf("VERSION 5.00\nBegin VB.UserControl uc\nEnd\n"));
    dir.Write("Util.bas", "Attribute VB_Name = \"Util\"\r\n");
    dir.Write("twin/a.frm", FormNamed("a"));
    const ProjectErrorCase cases[] = {
        {"missing form", "Type=Exe\nForm=Form1.frm\nForm=Form9.frm\n", "P.vbp", 3, "Form \"Form9.frm\": file not found"},
        {"missing folder", "Type=Exe\nForm=x\\Form1.frm\n", "P.vbp", 2, "Form \"x\\Form1.frm\": file not found"},
        {"missing module", "Type=Exe\nModule=Util; Utils.bas\n", "P.vbp", 2, "Module \"Utils.bas\": file not found"},
        {"module without path", "Type=Exe\nModule=Util\n", "P.vbp", 2, "Module= entry must be \"Name; path\""},
        {"module name", "Type=Exe\nModule=2Util; Util.bas\n", "P.vbp", 2,
         "Module name \"2Util\" is not a Visual Basic identifier"},
        {"form without path", "Type=Exe\nForm=\n", "P.vbp", 2, "Form= entry without a path"},
        {"a folder", "Type=Exe\nForm=twin\n", "P.vbp", 2, "Form \"twin\": not a file"},
        {"duplicate component", "Type=Exe\nForm=Form1.frm\nForm=Copy.frm\n", "P.vbp", 3,
         "component name \"form1\" is used twice (also at line 2)"},
        {"module named like a form", "Type=Exe\nForm=Form1.frm\nModule=FORM1; Util.bas\n", "P.vbp", 3,
         "component name \"FORM1\" is used twice (also at line 2)"},
        {"no Type line", "Form=Form1.frm\n", "P.vbp", 0, "not a Visual Basic project file (no Type= line)"},
        {"not key=value", "Type=Exe\nthis is not a project\n", "P.vbp", 2,
         "malformed line (expected Key=Value): not a Visual Basic project file"},
        {"binary", std::string("Type=Exe\n\0\0\0", 12), "P.vbp", 2,
         "binary data (a NUL byte): not a Visual Basic project file"},
        {"bad control name", "Type=Exe\nForm=Bad.frm\n", "Bad.frm", 3,
         "control name \"1abc\" is not a Visual Basic identifier"},
        {"SQL*Loader file as a user control", "Type=Control\nUserControl=Loader.ctl\n", "Loader.ctl", 1,
         "not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {"user control listed as a form", "Type=Exe\nForm=uc.ctl\n", "uc.ctl", 2,
         "the designer is VB.UserControl, but the project lists it as Form= (VB.Form or VB.MDIForm)"},
        {"form listed as a user control", "Type=Control\nUserControl=Form1.frm\n", "Form1.frm", 2,
         "the designer is VB.Form, but the project lists it as UserControl= (VB.UserControl)"},
    };
    for (const auto& c : cases) {
        const auto vbp = dir.Write("P.vbp", Crlf(c.vbp));
        try {
            ReadProject(vbp, CodePage());
            ADD_FAILURE() << c.what << ": no error";
        } catch (const FileError& error) {
            EXPECT_EQ(error.File(), Utf8FromPath(dir.Path() / c.file)) << c.what;
            EXPECT_EQ(error.Line(), c.line) << c.what;
            EXPECT_EQ(error.Problem(), c.problem) << c.what;
        }
    }
}

TEST(Project, RefusesAPathThatMatchesTwoFilesIgnoringCase) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file systems cannot hold two names that differ only in case";
#else
    TempDir dir;
    dir.Write("twin/a.frm", FormNamed("a"));
    dir.Write("Twin/a.frm", FormNamed("a"));
    const auto vbp = dir.Write("P.vbp", Crlf("Type=Exe\nForm=TWIN\\a.frm\n"));
    try {
        ReadProject(vbp, CodePage());
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Line(), 2);
        EXPECT_EQ(error.Problem(), "Form \"TWIN\\a.frm\": more than one file matches \"TWIN\" when letter case is ignored");
    }
#endif
}

TEST(Project, RefusesMissingAndForeignFilesGivenDirectly) {
    TempDir dir;
    const auto table = dir.Write("customers.frm", std::string("\x0D\x0A\xFE\x01\x00\x10\x01\x00", 8));
    const struct {
        std::filesystem::path path;
        std::string message;
    } cases[] = {
        {dir.Path() / "none.vbp", Utf8FromPath(dir.Path() / "none.vbp") + ": file not found"},
        {dir.Path() / "none.frm", Utf8FromPath(dir.Path() / "none.frm") + ": file not found"},
        {table, Utf8FromPath(table) + ":2: binary data (a NUL byte): not a Visual Basic designer file"},
        {testing::Fixture("Loader.ctl"),
         Utf8FromPath(testing::Fixture("Loader.ctl").lexically_normal()) +
             ":1: not a Visual Basic designer file (the first line is not \"VERSION 5.00\")"},
        {dir.Path() / "notes.txt",
         Utf8FromPath(dir.Path() / "notes.txt") +
             ": not a project: give a .vbp file or a designer file (.frm, .ctl, .pag, .dob, .dsr)"},
    };
    for (const auto& c : cases) {
        try {
            ReadProject(c.path, CodePage());
            ADD_FAILURE() << c.message << ": no error";
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

}  // namespace
}  // namespace tolvane::host::files
