// The active project as the IDE serves it: VBProject, its VBComponents, each VBComponent's
// form designer (VBForm), the designer's controls (VBControls, ContainedVBControls, VBControl)
// and their Properties. Every member is a read-only property.
#include <cstdint>

#include "tools/ide-sim/Served.h"
#include "vb/Names.h"

namespace tolvane::idesim {

namespace {

using host::HostError;
constexpr MemberKind kProperty = MemberKind::Property;

// The designer's properties are read-only here.
void PropertyValue(const Call<host::Property>& call) {
    const host::PropertyValue value = call.object.Value();
    if (value.IsNumber()) return ReturnLong(call.result, value.AsNumber());
    if (value.IsText()) return ReturnText(call.result, value.AsText());
}

const Member<host::Property> kPropertyMembers[] = {
    {ide::property::kValue, kProperty, 0, PropertyValue},
    {ide::property::kName, kProperty, 0, [](const auto& call) { ReturnText(call.result, call.name); }},
};

void PropertyByName(const Call<host::Properties>& call) {
    const std::string name = ToText(call.args.Get(0), 0);
    ReturnObject(call.result, Serve(call.state, Required(call.object.Item(name)), name));
}

const Member<host::Properties> kPropertiesMembers[] = {{ide::properties::kItem, kProperty, 1, PropertyByName}};

std::shared_ptr<host::Control> ControlAt(host::Controls& controls, std::int32_t position) {
    return Required(controls.Item(position));
}

// Item(position), or Item(name[, control-array index]).
void ControlItem(const Call<host::Controls>& call) {
    UniqueVariant index = call.args.Get(0);
    if (!IsText(index)) {
        if (!call.args.Missing(1)) throw Refusal{DISP_E_TYPEMISMATCH, 0};
        return ReturnObject(call.result, Serve(call.state, ControlAt(call.object, ToInt32(index, 0))));
    }
    const std::string name = ToText(index, 0);
    const bool byElement = !call.args.Missing(1);
    const std::int32_t element = byElement ? ToInt32(call.args.Get(1), 1) : 0;
    const int count = call.object.Count();
    for (int position = 1; position <= count; ++position) {
        auto control = ControlAt(call.object, position);
        auto properties = control->GetProperties();
        if (!vb::SameNameIgnoringCase(properties->Item("Name")->Value().AsText(), name)) continue;
        const std::int32_t arrayIndex = properties->Item("Index")->Value().AsNumber();
        if (byElement ? arrayIndex == element : arrayIndex < 0) return ReturnObject(call.result, Serve(call.state, control));
        if (!byElement) throw HostError(vb::kArrayElementNeeded);  // name of an array
    }
    throw HostError(vb::kSubscriptOutOfRange);
}

// VBControls of a form designer and ContainedVBControls of a control: the same members.
const Member<host::Controls> kControlsMembers[] = {
    {ide::vbcontrols::kItem, kProperty, 2, ControlItem},
    {ide::vbcontrols::kCount, kProperty, 0, CountOf<host::Controls>},
};

const Member<host::Control> kControlMembers[] = {
    {ide::vbcontrol::kProgId, kProperty, 0, [](const auto& call) { ReturnText(call.result, call.object.ProgId()); }},
    {ide::vbcontrol::kProperties, kProperty, 0, RequiredChild<host::Control, &host::Control::GetProperties>},
    {ide::vbcontrol::kContainedVBControls, kProperty, 0,
     [](const auto& call) {
         ReturnObject(call.result,
                      Serve(call.state, Required(call.object.ContainedVBControls()), "ContainedVBControls"));
     }},
};

const Member<host::FormDesigner> kFormMembers[] = {
    {ide::vbform::kVBControls, kProperty, 0,
     [](const auto& call) {
         ReturnObject(call.result, Serve(call.state, Required(call.object.VBControls()), "VBControls"));
     }},
};

// The VBA editor's designers are UserForms.
void Designer(const Call<host::Component>& call) {
    if (call.state->editor == host::Editor::kVba)
        return ReturnObject(call.result, ServeUserForm(call.state, call.object.Designer()));
    Child<host::Component, &host::Component::Designer>(call);
}

const Member<host::Component> kComponentMembers[] = {
    {ide::vbcomponent::kName, kProperty, 0, [](const auto& call) { ReturnText(call.result, call.object.Name()); }},
    {ide::vbcomponent::kDesigner, kProperty, 0, Designer},
    {ide::vbcomponent::kCodeModule, kProperty, 0, RequiredChild<host::Component, &host::Component::CodeModule>},
    {ide::vbcomponent::kType, kProperty, 0, [](const auto& call) { ReturnLong(call.result, call.object.Type()); }},
};

// Item(position) or Item(name); a method in the IDE's library, which VB calls either way.
void ComponentItem(const Call<host::Components>& call) {
    UniqueVariant index = call.args.Get(0);
    auto component = IsText(index) ? call.object.Item(ToText(index, 0)) : call.object.Item(ToInt32(index, 0));
    if (!component) throw HostError(vb::kSubscriptOutOfRange);
    ReturnObject(call.result, Serve(call.state, std::move(component)));
}

const Member<host::Components> kComponentsMembers[] = {
    {ide::vbcomponents::kItem, kProperty, 1, ComponentItem},
    {ide::vbcomponents::kCount, kProperty, 0, CountOf<host::Components>},
};

const Member<host::Project> kProjectMembers[] = {
    {ide::vbproject::kVBComponents, kProperty, 0, RequiredChild<host::Project, &host::Project::VBComponents>}};

}  // namespace

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Property> property, std::string name) {
    return ServeWith<host::Property>(state, "Property", kPropertyMembers, std::move(property), std::move(name));
}
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Properties> properties) {
    return ServeWith<host::Properties>(state, "Properties", kPropertiesMembers, std::move(properties));
}
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Controls> controls, const char* kind) {
    return ServeWith<host::Controls>(state, kind, kControlsMembers, std::move(controls));
}
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Control> control) {
    return ServeWith<host::Control>(state, "VBControl", kControlMembers, std::move(control));
}
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::FormDesigner> form) {
    return ServeWith<host::FormDesigner>(state, "VBForm", kFormMembers, std::move(form));
}
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Component> component) {
    return ServeWith<host::Component>(state, "VBComponent", kComponentMembers, std::move(component));
}
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Components> components) {
    return ServeWith<host::Components>(state, "VBComponents", kComponentsMembers, std::move(components));
}

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Project> project) {
    return ServeWith<host::Project>(state, "VBProject", kProjectMembers, std::move(project));
}

}  // namespace tolvane::idesim
