#include "WindowFixture.h"

#include <algorithm>
#include <ostream>

namespace tolvane::testing {

ComponentData FlatForm(std::string name, int count, const std::string& prefix) {
    ComponentData form{std::move(name), host::ComponentType::VBForm, {}, true};
    for (int i = 1; i <= count; ++i) form.controls.push_back(ControlNamed(prefix + std::to_string(i)));
    return form;
}

ControlData OfClass(std::string name, std::string className, std::int32_t index) {
    ControlData control = ControlNamed(std::move(name), index);
    control.className = std::move(className);
    return control;
}

ProjectData SampleProject() {
    ProjectData project;
    project.components.push_back({"Module1", host::ComponentType::StdModule, {}, false});
    ComponentData form1{"Form1", host::ComponentType::VBForm, {}, true};
    form1.controls = {
        ControlNamed("Command1"),
        ControlNamed("Frame1", -1, {ControlNamed("Option1", 0), ControlNamed("Option1", 1)}),
        ControlNamed("Picture1", -1, {ControlNamed("Frame2", -1, {ControlNamed("Label1")})}),
        ControlNamed("Text1"),
    };
    project.components.push_back(form1);
    project.components.push_back({"Class1", host::ComponentType::ClassModule, {}, false});
    project.components.push_back({"MDIForm1", host::ComponentType::VBMDIForm, {}, true});
    project.components.push_back(FlatForm("Form2", 20));
    project.components.push_back(FlatForm("Form3", 5));
    project.components.push_back(FlatForm("Big", 60, "Ctl"));
    ComponentData nested{"Nested", host::ComponentType::VBForm, {}, true};
    nested.controls = {ControlNamed("cmdGo"), ControlNamed("fraBox", -1, {ControlNamed("txtA"), ControlNamed("txtB")})};
    project.components.push_back(nested);
    project.components.push_back({"Empty", host::ComponentType::VBForm, {}, true});
    ComponentData mixed{"Mixed", host::ComponentType::VBForm, {}, true};
    mixed.controls = {OfClass("mnuFile", "VB.Menu"),        OfClass("Timer1", "VB.Timer"),
                      OfClass("Line1", "VB.Line"),          OfClass("cmdOK", "VB.CommandButton"),
                      OfClass("Option1", "VB.OptionButton", 0), OfClass("Option1", "VB.OptionButton", 1),
                      OfClass("Option1", "VB.OptionButton", 2), OfClass("picLogo", "VB.PictureBox")};
    // An Align that does not read as a number: the listing falls back to its assumption.
    mixed.controls.back().properties["Align"] = host::PropertyValue(std::string("top"));
    project.components.push_back(mixed);
    project.components.push_back(FlatForm("Long", 520, "txt"));
    return project;
}

std::ostream& operator<<(std::ostream& out, const RowView& row) {
    out << "{\"" << row.caption << "\" left " << row.left << (row.visible ? " shown" : " hidden") << " value "
        << row.value << " options";
    for (std::size_t i = 0; i < row.options.size(); ++i)
        out << ' ' << row.options[i] << (row.optionsEnabled[i] ? "e" : "d") << (row.optionsVisible[i] ? "" : "h");
    return out << '}';
}

void WindowTest::SetUp() {
    forms::SetErrorReporter({});
    forms::ClearRecordedErrors();
    host = MemoryHost::Create(SampleProject());
    window = std::make_unique<frmAddIn>();
    owner.window = window.get();
    ShowWindow();
}

void WindowTest::TearDown() {
    if (window) window->Unload();
    forms::ClearRecordedErrors();
}

void WindowTest::ShowWindow() {
    window->SetVBInstance(host);
    window->SetConnect(&owner);
    window->Show();
}

int WindowTest::Slot(int r) {
    const auto& view = window->Grid().InView();
    const auto at = std::find(view.begin(), view.end(), static_cast<std::size_t>(r));
    if (at == view.end()) return -1;
    const int slot = window->SlotOfRow(static_cast<std::size_t>(r));
    if (slot >= 0 && window->Check1[static_cast<std::size_t>(slot)]->VisiblePart().bottom -
                             window->Check1[static_cast<std::size_t>(slot)]->VisiblePart().top ==
                         window->Check1[static_cast<std::size_t>(slot)]->Height())
        return slot;
    // Drag the thumb so that the row stands at the top, or as near as the bar goes.
    const int position = static_cast<int>(at - view.begin()) * frmAddIn::RowPitch;
    EXPECT_TRUE(driver.DragThumb(*window->VScroll1, -position)) << driver.Refusal();
    return window->SlotOfRow(static_cast<std::size_t>(r));
}

RowView WindowTest::Row(int r) {
    RowView view;
    const int slot = Slot(r);
    if (slot < 0) return view;
    const forms::Control& box = *window->Check1[static_cast<std::size_t>(slot)];
    view.caption = box.Caption();
    view.left = box.Left();
    view.visible = box.Visible();
    view.value = box.Value();
    view.enabled = box.Enabled();
    for (const forms::Control* option : window->OptionBoxes(slot)) {
        view.options.push_back(option->Value());
        view.optionsEnabled.push_back(option->Enabled());
        view.optionsVisible.push_back(option->Visible());
    }
    return view;
}

int WindowTest::RowOf(const std::string& caption) const {
    for (std::size_t row : window->Grid().InView())
        if (window->Grid().Row(row).controlRef == caption) return static_cast<int>(row);
    return -1;
}

std::vector<std::string> WindowTest::Captions() const {
    std::vector<std::string> captions;
    for (std::size_t row : window->Grid().InView()) captions.push_back(window->Grid().Row(row).controlRef);
    return captions;
}

std::vector<std::string> WindowTest::ListOf(const forms::Control& combo) const {
    std::vector<std::string> entries;
    for (int i = 0; i < combo.ListCount(); ++i) entries.push_back(combo.List(i));
    return entries;
}

}  // namespace tolvane::testing
