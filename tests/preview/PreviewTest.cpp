#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "host/files/ProjectFiles.h"
#include "model/CodeVariant.h"
#include "preview/Preview.h"
#include "tests/support/Files.h"
#include "vb/Names.h"

namespace tolvane::preview {
namespace {

using host::memory::ComponentData;
using host::memory::ControlData;

FormLayout ExampleForm(const std::string& name) {
    const auto read = host::files::ReadProject(testing::SourcePath("examples/Example.vbp"));
    for (const auto& component : read.project.components)
        if (component.name == name) return LayoutOf(component);
    throw std::runtime_error("no form " + name);
}

// The window's outer size around a 4680 x 3195 client area.
struct FrameCase {
    std::vector<std::pair<std::string, std::string>> properties;
    const char* menuVisible;  // nullptr: no menu
    double width, height;
};

const FrameCase kFrames[] = {
    {{}, nullptr, 4800, 3600},  // sizable: 4-pixel frame, 19-pixel title bar
    {{}, "-1", 4800, 3885},     // and a menu bar
    {{}, "0", 4800, 3600},      // whose menus are all hidden
    {{{"MDIChild", "-1"}}, "-1", 4800, 3600},
    {{{"BorderStyle", "0"}}, nullptr, 4680, 3195},
    {{{"BorderStyle", "1"}}, nullptr, 4770, 3570},
    {{{"BorderStyle", "3"}}, nullptr, 4770, 3570},
    {{{"BorderStyle", "4"}}, nullptr, 4770, 3525},
    {{{"BorderStyle", "5"}}, nullptr, 4800, 3555},
    {{{"Caption", ""}, {"ControlBox", "0"}}, nullptr, 4800, 3315},
};

class FrameMetrics : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameMetrics, GiveTheOuterSizeTheCodeReads) {
    ComponentData form;
    form.name = "Form1";
    form.properties = {{"ClientWidth", std::string("4680")}, {"ClientHeight", std::string("3195")}};
    for (const auto& [name, value] : GetParam().properties) form.properties[name] = value;
    if (GetParam().menuVisible) form.controls.push_back(ControlData{"mnuFile", -1, "VB.Menu", {}, {{"Visible", std::string(GetParam().menuVisible)}}});
    const FormLayout layout = LayoutOf(form);
    EXPECT_EQ(layout.OuterWidth(), GetParam().width);
    EXPECT_EQ(layout.OuterHeight(), GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Table, FrameMetrics, ::testing::ValuesIn(kFrames));

// A pixel form holding a picture box with a user scale of 100 x 50 units inside its 3-D border.
TEST(FormRun, ReadsAndPlacesInEachContainersUnits) {
    ComponentData form;
    form.name = "F";
    form.properties = {{"ClientWidth", std::string("6000")}, {"ClientHeight", std::string("4500")},
                       {"ScaleMode", std::string("3")}, {"BorderStyle", std::string("0")}};
    ControlData child{"Text1", -1, "VB.TextBox", {}, {{"Left", std::string("294")}, {"Top", std::string("0")},
                                                       {"Width", std::string("588")}, {"Height", std::string("300")}}};
    form.controls.push_back(ControlData{"Picture1", -1, "VB.PictureBox", {child},
                                        {{"Left", std::string("150")}, {"Top", std::string("300")},
                                         {"Width", std::string("3000")}, {"Height", std::string("1560")},
                                         {"ScaleMode", std::string("0")}, {"ScaleWidth", std::string("100")},
                                         {"ScaleHeight", std::string("50")}}});
    const FormLayout layout = LayoutOf(form);
    FormRun run(layout);
    EXPECT_EQ(run.Get("picture1", "Left"), 10.0);  // pixels
    EXPECT_DOUBLE_EQ(*run.Get("Picture1", "ScaleWidth"), 100.0);
    EXPECT_DOUBLE_EQ(*run.Get("Text1", "Left"), 10.0);  // of 100 units over 2940 twips
    EXPECT_DOUBLE_EQ(*run.Get("Text1", "Width"), 20.0);
    EXPECT_EQ(run.Get("F", "Width"), 6000.0);  // twips, always
    const Rect text = run.Placement(1);
    EXPECT_DOUBLE_EQ(text.x, 150 + 30 + 294);
    EXPECT_DOUBLE_EQ(text.width, 588);

    run.Set("Picture1", "Width", 100);  // pixels: the inner area is 1500 - 60 twips
    EXPECT_DOUBLE_EQ(*run.Get("Picture1", "ScaleWidth"), 1440.0 / 29.4);
    run.Minimize();
    EXPECT_EQ(run.Get("F", "ScaleWidth"), 0.0);
    EXPECT_EQ(run.Get("F", "WindowState"), 1.0);
}

// Every placed control of a form picked with options from `random`.
std::vector<ControlRow> PickEverything(const FormLayout& layout, std::mt19937& random) {
    std::vector<ControlRow> rows;
    for (const LayoutControl& control : layout.controls) {
        if (!control.placed) continue;
        ControlRow row;
        row.controlRef = control.ref;
        row.included = 1;
        for (CheckState* option : {&row.moveH, &row.sizeH, &row.scaleH, &row.moveV, &row.sizeV, &row.scaleV})
            *option = static_cast<CheckState>(random() % 2);
        rows.push_back(row);
    }
    return rows;
}

std::vector<RowPlacement> Placement(const FormLayout& layout, const std::vector<ControlRow>& rows) {
    std::vector<RowPlacement> placement(rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int container = layout.controls[*layout.Find(rows[row].controlRef)].container;
        for (std::size_t other = 0; other < rows.size() && container >= 0; ++other)
            if (rows[other].controlRef == layout.controls[static_cast<std::size_t>(container)].ref) {
                placement[row].container = static_cast<int>(other);
                placement[other].scaled = layout.controls[static_cast<std::size_t>(container)].pictureBox;
            }
    }
    return placement;
}

std::vector<TargetSize> Sizes(const FormLayout& layout) {
    std::vector<TargetSize> sizes = {{true, 0, 0}, {false, 40000, 40000}};
    for (int percent = 10; percent <= 300; percent += 10)
        sizes.push_back({false, std::round(layout.OuterWidth() * percent / 100),
                         std::round(layout.OuterHeight() * (310 - percent) / 100)});
    return sizes;
}

// On the example forms, robust code raises no error at any size, whether controls follow
// the form or their containers, and keeps every control where it is at the design size.
TEST(RobustCode, RaisesNoErrorOnTheExampleForms) {
    std::mt19937 random(12);
    int plainErrors = 0;
    for (const char* name : {"Form1", "frmOptions", "frmDocument"}) {
        const FormLayout layout = ExampleForm(name);
        for (int round = 0; round < 8; ++round) {
            const auto rows = PickEverything(layout, random);
            const std::vector<RowPlacement> placement = round % 2 ? Placement(layout, rows) : std::vector<RowPlacement>{};
            const GeneratedCode robust = GenerateResizeCode(name, rows, CodeVariant{true, placement});
            const GeneratedCode plain = GenerateResizeCode(name, rows, CodeVariant{false, placement});
            const FormRun untouched(layout);
            for (const TargetSize& size : Sizes(layout)) {
                const Simulation simulation = Simulate(layout, robust, size);
                ASSERT_TRUE(simulation.loadErrors.empty() && simulation.shownErrors.empty() && simulation.resizeErrors.empty())
                    << name << " at " << size.width << ": " << (simulation.resizeErrors.empty() ? "" : simulation.resizeErrors[0].statement);
                for (std::size_t i = 0; i < layout.controls.size(); ++i)
                    for (const char* property : {"Left", "Top", "Width", "Height"})
                        ASSERT_EQ(simulation.design.Get(layout.controls[i].ref, property), untouched.Get(layout.controls[i].ref, property));
                plainErrors += static_cast<int>(Simulate(layout, plain, size).resizeErrors.size());
            }
        }
    }
    EXPECT_GT(plainErrors, 0);  // the same check finds the add-in's code failing
}

// fraOptions holds chkBold; chkBold moves and stretches with the frame's right edge, and
// keeps its distance to the frame's bottom edge.
TEST(ContainerCode, KeepsAControlsMarginsToItsFrame) {
    const FormLayout layout = ExampleForm("Form1");
    const std::size_t frame = *layout.Find("fraOptions"), check = *layout.Find("chkBold");
    auto margins = [&](const FormRun& run) {
        const Rect f = run.Placement(frame), c = run.Placement(check);
        return std::array<double, 3>{c.x - f.x, f.x + f.width - (c.x + c.width), f.y + f.height - c.y};
    };
    for (const bool framePicked : {true, false}) {
        std::vector<ControlRow> rows(2);
        rows[0].controlRef = "fraOptions";
        rows[0].included = rows[0].sizeH = rows[0].sizeV = framePicked;
        rows[1].controlRef = "chkBold";
        rows[1].included = rows[1].sizeH = rows[1].moveV = 1;
        const std::vector<RowPlacement> placement = {{-1, false}, {0, false}};
        for (const bool robust : {false, true}) {
            const GeneratedCode code = GenerateResizeCode("Form1", rows, CodeVariant{robust, placement});
            for (const double scale : {0.9, 1.3, 2.0}) {
                const TargetSize size{false, layout.OuterWidth() * scale, layout.OuterHeight() * scale};
                const Simulation simulation = Simulate(layout, code, size);
                EXPECT_TRUE(simulation.resizeErrors.empty());
                EXPECT_EQ(margins(simulation.resized), margins(simulation.design)) << framePicked << robust << scale;
            }
        }
        // Following the form instead, the check box leaves a frame that keeps its size.
        const GeneratedCode formCode = GenerateResizeCode("Form1", rows);
        const Simulation simulation = Simulate(layout, formCode, {false, layout.OuterWidth() * 1.3, layout.OuterHeight()});
        if (!framePicked) {
            EXPECT_NE(margins(simulation.resized), margins(simulation.design));
        }
    }
}

}  // namespace
}  // namespace tolvane::preview
