#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/files/UserForms.h"

namespace tolvane::host::files {
namespace {

std::filesystem::path OfficeFixture(const std::string& name) {
    return tolvane::testing::SourcePath("tests/host_files_office/fixtures/" + name);
}

std::string Property(const std::map<std::string, PropertyValue>& properties, const std::string& name) {
    const auto found = properties.find(name);
    return found == properties.end() ? "<none>" : found->second.AsText();
}

// A lone UserForm .frm opens as a project of one MSForm component, its controls from the
// .frx, every number in points, and lists as the add-in lists a VB6 form.
TEST(UserForms, ExportedFormOpensAsAnMSFormComponent) {
    const OpenedProject opened = OpenProject(OfficeFixture("Panel.frm"));
    auto project = opened.host->ActiveVBProject();
    auto component = project->VBComponents()->Item("Panel");
    EXPECT_EQ(component->Type(), ComponentType::MSForm);
    const std::vector<std::string> rows = testing::Listing(*opened.host, "Panel");
    ASSERT_EQ(rows.size(), 20u);  // every control but the MultiPage's own tab strip, Pages included
    EXPECT_EQ(rows.front(), "0:ctlOther");
    // The code module as the editor serves it: the lines under the Attribute lines.
    EXPECT_EQ(component->CodeModule()->Lines(1, component->CodeModule()->CountOfLines()),
              "Private Sub UserForm_Initialize()\r\nEnd Sub");

    const ProjectRead read = ReadProject(OfficeFixture("Panel.frm"));
    const memory::ComponentData& form = read.project.components.at(0);
    EXPECT_EQ(Property(form.properties, "Caption"), "Control Panel");
    EXPECT_EQ(Property(form.properties, "InsideWidth"), "380.01");
    const memory::ControlData& button = form.controls.at(0);
    EXPECT_EQ(button.className, "MSForms.CommandButton");
    EXPECT_EQ(Property(button.properties, "Top") + " " + Property(button.properties, "Height"), "6.75 24.01");
    const memory::ControlData& page = form.controls.at(4).children.at(0);
    EXPECT_EQ(page.name + " " + Property(page.properties, "InsideWidth") + " " + Property(page.properties, "Left"),
              "Page1 195.99 <none>");
    EXPECT_EQ(Property(form.controls.back().properties, "Width"), "<none>");  // another ActiveX control
}

// Each kind of document gives its project's UserForms in PROJECT's order, the same tree as
// the exported form's.
TEST(UserForms, DocumentsGiveTheirProjectsUserForms) {
    const UserFormRead exported = ReadExportedUserForm(OfficeFixture("Panel.frm"));
    const std::pair<const char*, std::vector<std::string>> documents[] = {
        {"Book.xlsm", {"Panel", "Empty"}}, {"Report.docm", {"Panel", "Empty"}}, {"Book.xls", {"Panel"}}, {"Plain.xlsx", {}}};
    for (const auto& [file, names] : documents) {
        const std::vector<UserFormRead> forms = ReadDocumentUserForms(OfficeFixture(file));
        std::vector<std::string> read;
        for (const auto& form : forms) read.push_back(form.name);
        EXPECT_EQ(read, names) << file;
        if (forms.empty()) continue;
        EXPECT_EQ(forms[0].caption, exported.caption) << file;
        EXPECT_EQ(UserFormComponent(forms[0]).controls.size(), UserFormComponent(exported).controls.size()) << file;
        EXPECT_EQ(testing::Tree(UserFormComponent(forms[0]).controls), testing::Tree(UserFormComponent(exported).controls));
    }
}

TEST(UserForms, ProblemsNameTheFileAndThePlace) {
    const tolvane::testing::TempDir dir;
    const auto lone = dir.Write("Lone.frm", tolvane::testing::ReadBytes(OfficeFixture("Panel.frm")));
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {lone, "Lone.frm:2: OleObjectBlob \"Panel.frx\": file not found"},
        {OfficeFixture("Short.frm"), "Short.frx: stream \"o\": offset 24: control \"lblName\": its 4220 bytes run past the end"},
        {OfficeFixture("zip-bomb.xlsm"), "zip-bomb.xlsm: entry \"xl/vbaProject.bin\": offset "},
    };
    for (const auto& [file, expected] : cases) {
        try {
            if (file.extension() == ".frm") ReadProject(file);
            else ReadDocumentUserForms(file);
            ADD_FAILURE() << "no error for " << file;
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
        }
    }
}

TEST(UserForms, PointsText) {
    const std::pair<double, const char*> cases[] = {{12.75, "12.75"}, {30, "30"}, {-0.5, "-0.5"}, {6.0094, "6.01"}, {0.004, "0"}};
    for (const auto& [points, text] : cases) EXPECT_EQ(PointsText(points), text);
}

}  // namespace
}  // namespace tolvane::host::files
