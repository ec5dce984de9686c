#include "WindowFixture.h"

#include <ostream>

namespace tolvane::testing {

ComponentData FlatForm(std::string name, int count, const std::string& prefix) {
    ComponentData form{std::move(name), host::ComponentType::VBForm, {}, true};
    for (int i = 1; i <= count; ++i) form.controls.push_back(ControlNamed(prefix + std::to_string(i)));
    return form;
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

RowView WindowTest::Row(int r) const {
    RowView view;
    const forms::Control& box = *window->Check1.at(static_cast<std::size_t>(r));
    view.caption = box.Caption();
    view.left = box.Left();
    view.visible = box.Visible();
    view.value = box.Value();
    for (const forms::Control* option : window->OptionBoxes(r)) {
        view.options.push_back(option->Value());
        view.optionsEnabled.push_back(option->Enabled());
        view.optionsVisible.push_back(option->Visible());
    }
    return view;
}

int WindowTest::RowOf(const std::string& caption) const {
    for (int r = 0; r < RowCapacity; ++r) {
        const forms::Control& box = *window->Check1[static_cast<std::size_t>(r)];
        if (box.Visible() && box.Caption() == caption) return r;
    }
    return -1;
}

std::vector<std::string> WindowTest::Captions() const {
    std::vector<std::string> captions;
    for (const forms::Control* box : window->Check1)
        if (box->Visible()) captions.push_back(box->Caption());
    return captions;
}

std::vector<std::string> WindowTest::ListOf(const forms::Control& combo) const {
    std::vector<std::string> entries;
    for (int i = 0; i < combo.ListCount(); ++i) entries.push_back(combo.List(i));
    return entries;
}

}  // namespace tolvane::testing
