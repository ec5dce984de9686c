// quenlow on Office UserForms: an exported .frm with its .frx, a folder of exported modules,
// workbooks and documents; controls --json for scripts; the UserForm target.
#include <gtest/gtest.h>

#include "tests/support/Files.h"
#include "tests/support/Quenlow.h"

namespace tolvane::cli {
namespace {

using testing::Quenlow;

std::string Fixture(const std::string& name) {
    return host::files::Utf8FromPath(testing::SourcePath("tests/host_files_office/fixtures/" + name));
}

TEST(UserForms, EveryKindOfSourceListsItsForms) {
    const struct {
        std::string source;
        std::string forms;
    } cases[] = {
        {Fixture("Panel.frm"), "Panel\n"},
        {Fixture("Book.xlsm"), "Panel\nEmpty\n"},
        {Fixture("Book.xls"), "Panel\n"},
        {Fixture("Plain.xlsx"), ""},
        {host::files::Utf8FromPath(testing::SourcePath("examples")), "Form1\nfrmOptions\n"},
    };
    for (const auto& c : cases) {
        const auto result = Quenlow({"forms", c.source});
        EXPECT_EQ(result.status, 0) << c.source << ": " << result.err;
        EXPECT_EQ(result.out, c.forms) << c.source;
    }
    // A form of the folder that does not read is left out with a warning, as a .vbp's would be.
    const auto folder = Quenlow({"forms", host::files::Utf8FromPath(testing::SourcePath("tests/host_files_office/fixtures"))});
    EXPECT_EQ(folder.out, "Panel\nPanel4096\nPanelDifat\n");
    EXPECT_NE(folder.err.find("Short.frx: warning: stream \"o\""), std::string::npos) << folder.err;
}

TEST(UserForms, ControlsAsJsonGiveClassContainerAndGeometryInTheFilesUnits) {
    const auto userForm = Quenlow({"controls", Fixture("Panel.frm"), "Panel", "--json"});
    ASSERT_EQ(userForm.status, 0) << userForm.err;
    EXPECT_NE(userForm.out.find("{\"name\": \"lstItems\", \"class\": \"MSForms.ListBox\", \"container\": \"fraInner\""),
              std::string::npos)
        << userForm.out;
    EXPECT_NE(userForm.out.find("{\"name\": \"cmdOK\", \"class\": \"MSForms.CommandButton\", \"container\": \"\", "
                                "\"left\": 6.01, \"top\": 6.75, \"width\": 72, \"height\": 24.01}"),
              std::string::npos);
    const auto vb6 = Quenlow({"controls", testing::ExampleProject(), "Form1", "--json"});
    EXPECT_NE(vb6.out.find("{\"name\": \"optColour(0)\", \"class\": \"VB.OptionButton\", \"container\": \"picColours\""),
              std::string::npos)
        << vb6.out;
    EXPECT_NE(vb6.out.find("{\"name\": \"tmrClock\", \"class\": \"VB.Timer\", \"container\": \"\", \"left\": "),
              std::string::npos);
    EXPECT_EQ(vb6.out.front(), '[');
}

TEST(UserForms, GenerateWritesUserFormCodeForAUserForm) {
    const auto code = Quenlow({"generate", Fixture("Panel.frm"), "--form", "Panel", "--pick", "cmdOK=LM", "--block", "resize"});
    ASSERT_EQ(code.status, 0) << code.err;
    EXPECT_EQ(code.out, "If bSizesRecorded And Me.InsideWidth > 0 And Me.InsideHeight > 0 Then\r\n"
                        "    cmdOK.Left = Me.InsideWidth - (iFormInsideWidth - icmdOK_Left)\r\nEnd If\r\n");
    const auto pages = Quenlow({"generate", Fixture("Panel.frm"), "--form", "Panel", "--pick", "fraInner=LR",
                                "--relative", "container", "--block", "load"});
    EXPECT_NE(pages.out.find("iPage1_InsideWidth = mpgMain.Pages(\"Page1\").InsideWidth\r\n"), std::string::npos)
        << pages.out;
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } refused[] = {
        {{"generate", Fixture("Panel.frm"), "--form", "Panel", "--target", "form"}, 2, "--target form: Panel is a UserForm"},
        {{"generate", testing::ExampleProject(), "--form", "Form1", "--resizable"}, 2, "--resizable: only a UserForm"},
        {{"generate", "--form", "U", "--target", "userform", "--plain"}, 2, "--plain: the original text is for VB6 forms"},
        {{"generate", Fixture("Panel.frm"), "--form", "Panel", "--pick", "Page1=LM"}, 1,
         "Page1 (MSForms.Page) cannot be placed: a page fills its MultiPage"},
    };
    for (const auto& c : refused) {
        const auto result = Quenlow(c.args);
        EXPECT_EQ(result.status, c.status) << c.says;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    const auto typed = Quenlow({"generate", "--form", "U", "--target", "userform", "--pick", "A=UR", "--resizable"});
    EXPECT_NE(typed.out.find("Private Declare PtrSafe Function FindWindowA"), std::string::npos);
}

}  // namespace
}  // namespace tolvane::cli
