#include "host/memory/MemoryHost.h"

#include "host/memory/MemoryCodeModule.h"

#include <algorithm>

#include "vb/Controls.h"
#include "vb/Errors.h"
#include "vb/Names.h"

namespace tolvane::host::memory {

// Operation names for FaultPlan, one per host call:
//   Root.ActiveVBProject Root.CommandBars Root.Events
//   Project.VBComponents Components.Count Components.Item
//   Component.Type Component.Name Component.Designer Component.CodeModule FormDesigner.VBControls
//   Controls.Count Controls.Item Control.ProgId Control.Properties Control.ContainedVBControls
//   Properties.Item Property.Value
//   CommandBars.Item CommandBar.Controls CommandBarControls.Add
//   CommandBarControl.Caption CommandBarControl.SetCaption CommandBarControl.SetTag CommandBarControl.Delete
//   Events.CommandBarEvents CommandBarEvents.SetClickHandler
//   CodeModule.CountOfLines CodeModule.CountOfDeclarationLines CodeModule.Lines CodeModule.ProcStartLine
//   CodeModule.ProcBodyLine CodeModule.ProcCountLines CodeModule.CreateEventProc CodeModule.InsertLines
//   CodeModule.DeleteLines (MemoryCodeModule.cpp)

void FaultPlan::Fail(const std::string& operation, std::string description, int skip, int times) {
    rules_[operation] = Rule{std::move(description), skip, times};
}

void FaultPlan::Check(const std::string& operation) {
    ++calls_[operation];
    auto found = rules_.find(operation);
    if (found == rules_.end()) return;
    Rule& rule = found->second;
    if (rule.skip > 0) {
        --rule.skip;
        return;
    }
    if (rule.times == 0) return;
    if (rule.times > 0) --rule.times;
    throw HostError(rule.description);
}

int FaultPlan::Calls(const std::string& operation) const {
    auto found = calls_.find(operation);
    return found == calls_.end() ? 0 : found->second;
}

namespace {

// Keeps the project alive for as long as any object served from it.
using ProjectRef = std::shared_ptr<ProjectData>;
using Faults = std::shared_ptr<FaultPlan>;

class PropertyImpl final : public Property {
public:
    PropertyImpl(Faults faults, PropertyValue value) : faults_(std::move(faults)), value_(std::move(value)) {}
    PropertyValue Value() override {
        faults_->Check("Property.Value");
        return value_;
    }

private:
    Faults faults_;
    PropertyValue value_;
};

class PropertiesImpl final : public Properties {
public:
    PropertiesImpl(Faults faults, ProjectRef project, const ControlData* control)
        : faults_(std::move(faults)), project_(std::move(project)), control_(control) {}
    std::shared_ptr<Property> Item(const std::string& name) override {
        faults_->Check("Properties.Item");
        // Property names are case-insensitive in VB.
        auto same = [&](const std::string& other) { return vb::SameNameIgnoringCase(name, other); };
        if (same("Name")) return std::make_shared<PropertyImpl>(faults_, PropertyValue(control_->name));
        if (same("Index")) return std::make_shared<PropertyImpl>(faults_, PropertyValue(control_->index));
        for (const auto& [key, value] : control_->properties)
            if (same(key)) return std::make_shared<PropertyImpl>(faults_, value);
        // A file holds only what differs from VB's defaults; the IDE serves the rest.
        if (const auto setting = vb::DefaultSetting(control_->className, name))
            return std::make_shared<PropertyImpl>(faults_, PropertyValue(*setting));
        throw HostError(vb::kInvalidCall);
    }

private:
    Faults faults_;
    ProjectRef project_;
    const ControlData* control_;
};

class ControlsImpl;

class ControlImpl final : public Control {
public:
    ControlImpl(Faults faults, ProjectRef project, const ControlData* control)
        : faults_(std::move(faults)), project_(std::move(project)), control_(control) {}
    std::string ProgId() override {
        faults_->Check("Control.ProgId");
        return control_->className;
    }
    std::shared_ptr<Properties> GetProperties() override {
        faults_->Check("Control.Properties");
        return std::make_shared<PropertiesImpl>(faults_, project_, control_);
    }
    std::shared_ptr<Controls> ContainedVBControls() override;

private:
    Faults faults_;
    ProjectRef project_;
    const ControlData* control_;
};

class ControlsImpl final : public Controls {
public:
    ControlsImpl(Faults faults, ProjectRef project, std::vector<const ControlData*> items)
        : faults_(std::move(faults)), project_(std::move(project)), items_(std::move(items)) {}
    int Count() override {
        faults_->Check("Controls.Count");
        return static_cast<int>(items_.size());
    }
    std::shared_ptr<Control> Item(int position) override {
        faults_->Check("Controls.Item");
        if (position < 1 || position > static_cast<int>(items_.size())) throw HostError(vb::kSubscriptOutOfRange);
        return std::make_shared<ControlImpl>(faults_, project_, items_[position - 1]);
    }

private:
    Faults faults_;
    ProjectRef project_;
    std::vector<const ControlData*> items_;
};

std::shared_ptr<Controls> ControlImpl::ContainedVBControls() {
    faults_->Check("Control.ContainedVBControls");
    std::vector<const ControlData*> children;
    for (const auto& child : control_->children) children.push_back(&child);
    return std::make_shared<ControlsImpl>(faults_, project_, std::move(children));
}

void CollectEveryControl(const std::vector<ControlData>& controls, std::vector<const ControlData*>& out) {
    for (const auto& control : controls) {
        out.push_back(&control);
        CollectEveryControl(control.children, out);
    }
}

class FormDesignerImpl final : public FormDesigner {
public:
    FormDesignerImpl(Faults faults, ProjectRef project, const ComponentData* component, FormCollection collection)
        : faults_(std::move(faults)), project_(std::move(project)), component_(component), collection_(collection) {}
    std::shared_ptr<Controls> VBControls() override {
        faults_->Check("FormDesigner.VBControls");
        std::vector<const ControlData*> items;
        if (collection_ == FormCollection::EveryControl) {
            CollectEveryControl(component_->controls, items);
        } else {
            for (const auto& control : component_->controls) items.push_back(&control);
        }
        return std::make_shared<ControlsImpl>(faults_, project_, std::move(items));
    }

private:
    Faults faults_;
    ProjectRef project_;
    const ComponentData* component_;
    FormCollection collection_;
};

class ComponentImpl final : public Component {
public:
    ComponentImpl(Faults faults, ProjectRef project, ComponentData* component, FormCollection collection)
        : faults_(std::move(faults)), project_(std::move(project)), component_(component), collection_(collection) {}
    std::int32_t Type() override {
        faults_->Check("Component.Type");
        return component_->type;
    }
    std::string Name() override {
        faults_->Check("Component.Name");
        return component_->name;
    }
    std::shared_ptr<FormDesigner> Designer() override {
        faults_->Check("Component.Designer");
        if (!component_->hasFormDesigner) throw HostError(vb::kObjectNotSet);
        return std::make_shared<FormDesignerImpl>(faults_, project_, component_, collection_);
    }
    std::shared_ptr<host::CodeModule> CodeModule() override {
        faults_->Check("Component.CodeModule");
        return MakeCodeModule(faults_, project_, component_->code);
    }

private:
    Faults faults_;
    ProjectRef project_;
    ComponentData* component_;
    FormCollection collection_;
};

class ComponentsImpl final : public Components {
public:
    ComponentsImpl(Faults faults, ProjectRef project, FormCollection collection)
        : faults_(std::move(faults)), project_(std::move(project)), collection_(collection) {}
    int Count() override {
        faults_->Check("Components.Count");
        return static_cast<int>(project_->components.size());
    }
    std::shared_ptr<Component> Item(int position) override {
        faults_->Check("Components.Item");
        if (position < 1 || position > static_cast<int>(project_->components.size()))
            throw HostError(vb::kSubscriptOutOfRange);
        return Serve(project_->components[position - 1]);
    }
    std::shared_ptr<Component> Item(const std::string& name) override {
        faults_->Check("Components.Item");
        // Component names are case-insensitive, as everywhere in VB.
        for (auto& component : project_->components)
            if (vb::SameNameIgnoringCase(name, component.name)) return Serve(component);
        throw HostError(vb::kSubscriptOutOfRange);
    }

private:
    std::shared_ptr<Component> Serve(ComponentData& component) {
        return std::make_shared<ComponentImpl>(faults_, project_, &component, collection_);
    }
    Faults faults_;
    ProjectRef project_;
    FormCollection collection_;
};

class ProjectImpl final : public Project {
public:
    ProjectImpl(Faults faults, ProjectRef project, FormCollection collection)
        : faults_(std::move(faults)), project_(std::move(project)), collection_(collection) {}
    std::shared_ptr<Components> VBComponents() override {
        faults_->Check("Project.VBComponents");
        return std::make_shared<ComponentsImpl>(faults_, project_, collection_);
    }

private:
    Faults faults_;
    ProjectRef project_;
    FormCollection collection_;
};

}  // namespace

// ---- menu model ----

class MenuEventsImpl final : public host::CommandBarEventSource {
public:
    explicit MenuEventsImpl(Faults faults) : faults_(std::move(faults)) {}
    void SetClickHandler(ClickHandler handler) override {
        faults_->Check("CommandBarEvents.SetClickHandler");
        handler_ = std::move(handler);
    }
    ClickHandler handler_;

private:
    Faults faults_;
};

class MenuItemImpl final : public CommandBarControl {
public:
    MenuItemImpl(Faults faults, std::weak_ptr<MenuBarImpl> bar) : faults_(std::move(faults)), bar_(std::move(bar)) {}
    std::string Caption() override {
        faults_->Check("CommandBarControl.Caption");
        return caption_;
    }
    void SetCaption(const std::string& caption) override {
        faults_->Check("CommandBarControl.SetCaption");
        caption_ = caption;
    }
    void SetTag(const std::string& tag) override {
        faults_->Check("CommandBarControl.SetTag");
        tag_ = tag;
    }
    void Delete() override;

    std::string caption_ = "Custom";  // the caption the host gives a new button
    std::string tag_;
    std::vector<std::weak_ptr<MenuEventsImpl>> sources_;
    Faults faults_;
    std::weak_ptr<MenuBarImpl> bar_;  // expired once deleted (or once the host is gone)
    const MenuModel* owner_ = nullptr;  // identity only, never dereferenced
};

class MenuBarImpl final : public CommandBar, public CommandBarControls, public std::enable_shared_from_this<MenuBarImpl> {
public:
    MenuBarImpl(Faults faults, const MenuModel* owner, std::string name)
        : faults_(std::move(faults)), owner_(owner), name_(std::move(name)) {}
    std::shared_ptr<CommandBarControls> Controls() override {
        faults_->Check("CommandBar.Controls");
        return std::shared_ptr<CommandBarControls>(shared_from_this(), static_cast<CommandBarControls*>(this));
    }
    std::shared_ptr<CommandBarControl> Add(std::int16_t type) override {
        faults_->Check("CommandBarControls.Add");
        if (type != 1) throw HostError(vb::kInvalidCall);
        auto item = std::make_shared<MenuItemImpl>(faults_, weak_from_this());
        item->owner_ = owner_;
        items_.push_back(item);
        return item;
    }

    Faults faults_;
    const MenuModel* owner_;
    std::string name_;
    std::vector<std::shared_ptr<MenuItemImpl>> items_;
};

void MenuItemImpl::Delete() {
    faults_->Check("CommandBarControl.Delete");
    auto bar = bar_.lock();
    if (!bar) throw HostError("Method 'Delete' of object 'CommandBarControl' failed");
    auto& items = bar->items_;
    items.erase(std::remove_if(items.begin(), items.end(), [this](const auto& item) { return item.get() == this; }),
                items.end());
    bar_.reset();
}

namespace {
class BarsImpl final : public CommandBars {
public:
    BarsImpl(Faults faults, std::shared_ptr<const MenuModel> menu, const std::vector<std::shared_ptr<MenuBarImpl>>* bars)
        : faults_(std::move(faults)), menu_(std::move(menu)), bars_(bars) {}
    std::shared_ptr<CommandBar> Item(const std::string& name) override {
        faults_->Check("CommandBars.Item");
        for (const auto& bar : *bars_)
            if (bar->name_ == name) return bar;
        return nullptr;
    }

private:
    Faults faults_;
    std::shared_ptr<const MenuModel> menu_;  // keeps *bars_ alive
    const std::vector<std::shared_ptr<MenuBarImpl>>* bars_;
};
}  // namespace

MenuModel::MenuModel(std::shared_ptr<FaultPlan> faults) : faults_(std::move(faults)) {}

void MenuModel::AddBar(const std::string& name) { bars_.push_back(std::make_shared<MenuBarImpl>(faults_, this, name)); }

std::vector<std::string> MenuModel::Captions(const std::string& bar) const {
    std::vector<std::string> captions;
    for (const auto& each : bars_)
        if (each->name_ == bar)
            for (const auto& item : each->items_) captions.push_back(item->caption_);
    return captions;
}

std::vector<std::string> MenuModel::Tags(const std::string& bar) const {
    std::vector<std::string> tags;
    for (const auto& each : bars_)
        if (each->name_ == bar)
            for (const auto& item : each->items_) tags.push_back(item->tag_);
    return tags;
}

bool MenuModel::Click(const std::string& bar, const std::string& caption, bool* handled, bool* cancelDefault) {
    for (const auto& each : bars_) {
        if (each->name_ != bar) continue;
        for (const auto& item : each->items_) {
            if (item->caption_ != caption) continue;
            bool handledValue = false, cancelValue = false;
            // Copy first: a handler may connect or drop sources while it runs.
            auto sources = item->sources_;
            std::shared_ptr<CommandBarControl> control = item;
            for (const auto& weak : sources)
                if (auto source = weak.lock(); source && source->handler_)
                    source->handler_(control, handledValue, cancelValue);
            if (handled) *handled = handledValue;
            if (cancelDefault) *cancelDefault = cancelValue;
            return true;
        }
    }
    return false;
}

std::shared_ptr<CommandBars> MenuModel::Bars() {
    return std::make_shared<BarsImpl>(faults_, shared_from_this(), &bars_);
}

std::shared_ptr<host::CommandBarEventSource> MenuModel::EventsFor(const std::shared_ptr<CommandBarControl>& control) {
    auto item = std::dynamic_pointer_cast<MenuItemImpl>(control);
    if (!item || item->owner_ != this) throw HostError(vb::kInvalidCall);
    auto source = std::make_shared<MenuEventsImpl>(faults_);
    item->sources_.push_back(source);
    return source;
}

namespace {
class EventsImpl final : public host::Events {
public:
    EventsImpl(Faults faults, std::shared_ptr<MenuModel> menu) : faults_(std::move(faults)), menu_(std::move(menu)) {}
    std::shared_ptr<host::CommandBarEventSource> CommandBarEvents(const std::shared_ptr<CommandBarControl>& control) override {
        faults_->Check("Events.CommandBarEvents");
        return menu_->EventsFor(control);
    }

private:
    Faults faults_;
    std::shared_ptr<MenuModel> menu_;
};
}  // namespace

// ---- host ----

MemoryHost::MemoryHost(FormCollection collection, bool withAddInsBar)
    : collection_(collection), faults_(std::make_shared<FaultPlan>()), menu_(std::make_shared<MenuModel>(faults_)) {
    if (withAddInsBar) menu_->AddBar("Add-Ins");
}

std::shared_ptr<MemoryHost> MemoryHost::Create(ProjectData project, FormCollection collection, bool withAddInsBar) {
    std::shared_ptr<MemoryHost> host(new MemoryHost(collection, withAddInsBar));
    host->OpenProject(std::move(project));
    return host;
}

void MemoryHost::CloseProject() { project_.reset(); }

void MemoryHost::OpenProject(ProjectData project) {
    project_ = std::make_shared<ProjectData>(std::move(project));
}

std::shared_ptr<Project> MemoryHost::ActiveVBProject() {
    faults_->Check("Root.ActiveVBProject");
    if (!project_) throw HostError(vb::kObjectNotSet);
    return std::make_shared<ProjectImpl>(faults_, project_, collection_);
}

std::shared_ptr<host::CommandBars> MemoryHost::CommandBars() {
    faults_->Check("Root.CommandBars");
    return menu_->Bars();
}

std::shared_ptr<host::Events> MemoryHost::Events() {
    faults_->Check("Root.Events");
    return std::make_shared<EventsImpl>(faults_, menu_);
}

}  // namespace tolvane::host::memory
