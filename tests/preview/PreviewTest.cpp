#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <random>

#include "host/files/ProjectFiles.h"
#include "model/ResizeCode.h"
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

// Every drawn control of a form picked with options from `random`, and where each sits.
struct Picks {
    std::vector<ControlRow> rows;  // one per control of the layout, in its order
    CodeOptions options;
};

Picks PickEverything(const FormLayout& layout, std::mt19937& random, bool followContainers = false) {
    Picks picks;
    picks.options.followContainers = followContainers;
    picks.options.formScaleMode = layout.scale.mode;
    for (const LayoutControl& control : layout.controls) {
        ControlRow row;
        row.controlRef = control.ref;
        row.included = control.noPlace == vb::NoPlace::kNone;
        for (CheckState* option : {&row.moveH, &row.sizeH, &row.scaleH, &row.moveV, &row.sizeV, &row.scaleV})
            *option = static_cast<CheckState>(random() % 2);
        picks.rows.push_back(row);
        picks.options.places.push_back({control.container, ContainerKindOf(control.className), control.scale.mode});
    }
    return picks;
}

std::vector<TargetSize> Sizes(const FormLayout& layout) {
    std::vector<TargetSize> sizes = {{true, 0, 0}, {false, 40000, 30000}};
    for (int percent = 10; percent <= 300; percent += 10)
        sizes.push_back({false, std::round(layout.OuterWidth() * percent / 100),
                         std::round(layout.OuterHeight() * (310 - percent) / 100)});
    return sizes;
}

std::string FirstError(const Simulation& simulation) {
    for (const auto* errors : {&simulation.loadErrors, &simulation.shownErrors, &simulation.resizeErrors})
        if (!errors->empty()) return (*errors)[0].statement;
    return {};
}

// A form of random controls: the form in twips, pixels, points or a user scale; frames,
// picture boxes in twips, pixels or a user scale, and a tab control with controls on hidden
// pages (75,000 twips to the left).
FormLayout RandomForm(std::mt19937& random) {
    auto uniform = [&](double low, double high) { return std::round(std::uniform_real_distribution<double>(low, high)(random)); };
    FormLayout layout;
    layout.name = "F";
    layout.clientWidth = uniform(1500, 16000), layout.clientHeight = uniform(1200, 12000);
    layout.frame = 60, layout.titleBar = 285;
    const Scale kinds[] = {{1, 1, 0, 0, 1}, {15, 15, 0, 0, 3}, {20, 20, 0, 0, 2}, {layout.clientWidth / 100, 7.5, 0, 0, 0}};
    layout.scale = kinds[random() % 4];
    const int count = std::uniform_int_distribution<int>(2, 10)(random);
    for (int i = 0; i < count; ++i) {
        const int holder = random() % 3 == 0 && i > 0 ? static_cast<int>(random() % layout.controls.size()) : -1;
        LayoutControl control;
        control.ref = (i % 4 == 3 ? "A(" + std::to_string(i) + ")" : "C" + std::to_string(i));
        control.className = "VB.CommandButton";
        control.container = holder >= 0 && layout.controls[static_cast<std::size_t>(holder)].className != "VB.CommandButton"
                                ? holder : -1;
        const double width = control.container >= 0 ? layout.controls[static_cast<std::size_t>(control.container)].width
                                                    : layout.clientWidth;
        const double height = control.container >= 0 ? layout.controls[static_cast<std::size_t>(control.container)].height
                                                     : layout.clientHeight;
        control.left = uniform(0, width * 0.8), control.top = uniform(0, height * 0.8);
        control.width = uniform(0, width / 2), control.height = uniform(0, height / 2);
        if (control.container >= 0 && layout.controls[static_cast<std::size_t>(control.container)].tabs && random() % 2)
            control.left -= kTabParkedOffset;
        switch (random() % 5) {
            case 0: control.className = "VB.Frame"; break;
            case 1:
                control.className = "VB.PictureBox", control.pictureBox = true, control.border = 30;
                control.scale = kinds[random() % 2 ? 1 : 0];
                break;
            case 2: control.className = "TabDlg.SSTab", control.tabs = true; break;
            default: break;
        }
        layout.controls.push_back(control);
    }
    return layout;
}

// The units a control's geometry is in: its container's.
const Scale& UnitsOf(const FormLayout& layout, const LayoutControl& control) {
    static const Scale kTwips{};
    if (control.container < 0 || layout.userForm) return layout.scale;
    const LayoutControl& holder = layout.controls[static_cast<std::size_t>(control.container)];
    return holder.pictureBox ? holder.scale : kTwips;
}

// The control is where it was, to a hundredth of a pixel: VB holds positions as Single, so a
// value read and written back may differ in its last digits.
bool Unmoved(const FormRun& run, const FormRun& before, const FormLayout& layout, std::size_t index,
             const char* property) {
    const auto now = run.Get(layout.controls[index].ref, property), was = before.Get(layout.controls[index].ref, property);
    if (!now || !was) return now == was;
    const Scale& units = UnitsOf(layout, layout.controls[index]);
    const bool horizontal = property[0] == 'L' || property[0] == 'W';
    return std::fabs(*now - *was) <= 0.15 / (horizontal ? units.twipsPerUnitX : units.twipsPerUnitY);
}

// Where a control should be after the Resize: its design geometry in its container's units,
// moved by the change of the client area or scaled by it, on whichever tab page is shown now.
std::array<double, 4> Expected(const FormLayout& layout, const Simulation& simulation, const ControlRow& row,
                               std::size_t index) {
    const LayoutControl& control = layout.controls[index];
    const FormRun& design = simulation.design;
    const Scale& units = UnitsOf(layout, control);
    const Rect before = design.ClientArea(), after = simulation.resized.ClientArea();
    const double dx = (after.width - before.width) / units.twipsPerUnitX;
    const double dy = (after.height - before.height) / units.twipsPerUnitY;
    const double rx = after.width / before.width, ry = after.height / before.height;
    double left = *design.Get(control.ref, "Left"), top = *design.Get(control.ref, "Top");
    double width = *design.Get(control.ref, "Width"), height = *design.Get(control.ref, "Height");
    const bool tabPage = control.container >= 0 && layout.controls[static_cast<std::size_t>(control.container)].tabs;
    const bool parkedAtDesign = tabPage && left < -kTabParkedOffset / 2;
    const bool parkedNow = tabPage && simulation.otherPagesShown != parkedAtDesign;
    if (parkedAtDesign) left += kTabParkedOffset;
    if (IsSet(row.moveH)) left = IsSet(row.scaleH) ? left * rx : left + dx;
    if (IsSet(row.sizeH)) width = IsSet(row.scaleH) ? width * rx : std::max(0.0, width + dx);
    if (IsSet(row.moveV)) top = IsSet(row.scaleV) ? top * ry : top + dy;
    if (IsSet(row.sizeV)) height = IsSet(row.scaleV) ? height * ry : std::max(0.0, height + dy);
    return {parkedNow ? left - kTabParkedOffset : left, top, width, height};
}

// The default code on random forms in every unit, with random picks: no run-time error
// minimised, from 10% to 300% or very large; nothing moves at the design size or while
// minimised; each control keeps its distance or margin to the form's far edge in its own
// units, or its proportion, within a pixel, whichever tab page is shown.
// Every scenario on one form: no run-time error; nothing moves at the design size, while
// minimised, or unpicked; each picked control where Expected says, within a pixel. Returns
// whether the plain text (on a VB6 form) raised an error in some scenario.
bool CheckScenarios(const FormLayout& layout, const Picks& picks, int n) {
    const GeneratedCode code = GenerateResizeCode("F", picks.rows, picks.options);
    CodeOptions plainOptions = picks.options;
    plainOptions.style = CodeStyle::kPlain;
    const GeneratedCode plain = GenerateResizeCode("F", picks.rows, plainOptions);
    const FormRun untouched(layout);
    bool plainFailed = false;
    for (const TargetSize& size : Sizes(layout)) {
        const Simulation simulation = Simulate(layout, code, size);
        EXPECT_EQ(FirstError(simulation), "") << "form " << n << " at " << size.width << " x " << size.height;
        FormRun shown = untouched;
        if (simulation.otherPagesShown) shown.ShowOtherPages();
        for (std::size_t i = 0; i < layout.controls.size(); ++i) {
            const std::string& ref = layout.controls[i].ref;
            const char* properties[] = {"Left", "Top", "Width", "Height"};
            // A UserForm's code waits while its inside is empty.
            const Rect inside = simulation.resized.ClientArea();
            const bool waits = layout.userForm && (inside.width <= 0 || inside.height <= 0);
            const bool still = size.minimized || waits || !IsSet(picks.rows[i].included);
            for (const char* property : properties) {
                EXPECT_TRUE(Unmoved(simulation.design, untouched, layout, i, property)) << n << " " << ref << "." << property;
                if (still) {
                    EXPECT_TRUE(Unmoved(simulation.resized, shown, layout, i, property)) << n << " " << ref;
                }
            }
            if (still) continue;
            const auto expected = Expected(layout, simulation, picks.rows[i], i);
            const Scale& units = UnitsOf(layout, layout.controls[i]);
            for (int p = 0; p < 4; ++p)
                EXPECT_NEAR(*simulation.resized.Get(ref, properties[p]), expected[p],
                            15 / (p % 2 == 0 ? units.twipsPerUnitX : units.twipsPerUnitY))
                    << "form " << n << " " << ref << "." << properties[p] << " at " << size.width << " x " << size.height;
        }
        if (!layout.userForm) plainFailed = plainFailed || FirstError(Simulate(layout, plain, size)) != "";
    }
    return plainFailed;
}

TEST(WorkingCode, KeepsEveryControlRightInEveryUnitAndNeverFails) {
    std::mt19937 random(20261209);
    int plainFailures = 0;
    for (int n = 0; n < 150 && !::testing::Test::HasFailure(); ++n) {
        const FormLayout layout = RandomForm(random);
        plainFailures += CheckScenarios(layout, PickEverything(layout, random), n);
    }
    EXPECT_GT(plainFailures, 0);  // the same scenarios find the plain text failing
}

// A UserForm of random controls: frames and a MultiPage whose pages hold controls, in points.
FormLayout RandomUserForm(std::mt19937& random) {
    auto uniform = [&](double low, double high) { return std::round(std::uniform_real_distribution<double>(low, high)(random)); };
    FormLayout layout;
    layout.name = "F";
    layout.userForm = true;
    layout.clientWidth = uniform(100, 800) * 20, layout.clientHeight = uniform(80, 600) * 20;
    layout.frame = 45, layout.titleBar = 285;
    layout.scale = {20, 20, 0, 0, 2};
    const int count = std::uniform_int_distribution<int>(2, 10)(random);
    for (int i = 0; i < count; ++i) {
        LayoutControl control;
        control.ref = "C" + std::to_string(i);
        control.className = random() % 3 ? "MSForms.CommandButton" : "MSForms.Frame";
        control.container = -1;
        for (int holder = i - 1; holder >= 0 && random() % 2; --holder)
            if (layout.controls[static_cast<std::size_t>(holder)].className == "MSForms.Frame") {
                control.container = holder;
                break;
            }
        const double width = control.container >= 0 ? layout.controls[static_cast<std::size_t>(control.container)].width
                                                    : layout.clientWidth;
        const double height = control.container >= 0 ? layout.controls[static_cast<std::size_t>(control.container)].height
                                                     : layout.clientHeight;
        control.left = uniform(0, width * 0.8), control.top = uniform(0, height * 0.8);
        control.width = uniform(0, width / 2), control.height = uniform(0, height / 2);
        if (control.className == "MSForms.Frame") control.border = 40;
        layout.controls.push_back(control);
    }
    return layout;
}

TEST(UserFormCode, KeepsEveryControlRightAndNeverFails) {
    std::mt19937 random(72);
    for (int n = 0; n < 80 && !::testing::Test::HasFailure(); ++n) {
        const FormLayout layout = RandomUserForm(random);
        Picks picks = PickEverything(layout, random);
        picks.options.target = CodeTarget::kUserForm;
        CheckScenarios(layout, picks, n);
    }
}

// On the example forms, the default code raises no error at any size, whether controls follow
// the form or their containers, and keeps every control where it is at the design size.
TEST(WorkingCode, RaisesNoErrorOnTheExampleForms) {
    std::mt19937 random(12);
    for (const char* name : {"Form1", "frmOptions", "frmDocument"}) {
        const FormLayout layout = ExampleForm(name);
        for (int round = 0; round < 8; ++round) {
            const Picks picks = PickEverything(layout, random, round % 2);
            const GeneratedCode code = GenerateResizeCode(name, picks.rows, picks.options);
            const FormRun untouched(layout);
            for (const TargetSize& size : Sizes(layout)) {
                const Simulation simulation = Simulate(layout, code, size);
                ASSERT_EQ(FirstError(simulation), "") << name << " at " << size.width;
                for (std::size_t i = 0; i < layout.controls.size(); ++i)
                    for (const char* property : {"Left", "Top", "Width", "Height"})
                        ASSERT_TRUE(Unmoved(simulation.design, untouched, layout, i, property))
                            << layout.controls[i].ref << "." << property;
            }
        }
    }
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
        for (const CodeStyle style : {CodeStyle::kPlain, CodeStyle::kWorking}) {
            const CodeOptions options{style, true, vb::kTwips, {{-1}, {0}}};
            const GeneratedCode code = GenerateResizeCode("Form1", rows, options);
            for (const double scale : {0.9, 1.3, 2.0}) {
                const TargetSize size{false, layout.OuterWidth() * scale, layout.OuterHeight() * scale};
                const Simulation simulation = Simulate(layout, code, size);
                EXPECT_TRUE(simulation.resizeErrors.empty());
                EXPECT_EQ(margins(simulation.resized), margins(simulation.design))
                    << framePicked << static_cast<int>(style) << scale;
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
