// An IDE stand-in that serves a project held in memory through the host interface.
// Tests build one by hand and can make any chosen call fail; the project read from disk
// (host/files) is served through the same classes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/Host.h"

namespace tolvane::host::memory {

struct ControlData {
    std::string name;
    std::int32_t index = -1;  // control-array index, -1 when no array element
    std::string className;    // "VB.Frame", "VB.Menu", ... (informative)
    std::vector<ControlData> children;  // placed directly inside this control
    // Further properties served by Properties(name); "Name" and "Index" come from the fields.
    std::map<std::string, PropertyValue> properties;
};

struct ComponentData {
    std::string name;
    std::int32_t type = ComponentType::VBForm;
    std::vector<ControlData> controls;  // top-level controls in file order
    bool hasFormDesigner = true;        // false: Designer() fails (modules, classes)
    // The designer's own properties (a form's ClientWidth, BorderStyle, ...), where read.
    std::map<std::string, PropertyValue> properties{};
    // The code module's lines (UTF-8, without line ends), as the IDE's CodeModule serves them.
    std::vector<std::string> code{};
};

struct ProjectData {
    std::vector<ComponentData> components;
};

// What a form designer's VBControls holds. The IDE's holds every control of the form
// (containers before their contents); some hosts hold only the top level.
enum class FormCollection { EveryControl, TopLevelOnly };

// Failure injection by operation name, e.g. "Components.Item" or "CommandBarControl.SetCaption".
// The names are the interface class and member, as listed in MemoryHost.cpp.
class FaultPlan {
public:
    // After `skip` successful calls, the next `times` calls (all when negative) fail.
    void Fail(const std::string& operation, std::string description, int skip = 0, int times = -1);
    void Clear() { rules_.clear(); }
    // Counts the call and throws HostError if a rule says so.
    void Check(const std::string& operation);
    int Calls(const std::string& operation) const;

private:
    struct Rule {
        std::string description;
        int skip = 0;
        int times = -1;
    };
    std::map<std::string, Rule> rules_;
    std::map<std::string, int> calls_;
};

class MenuBarImpl;
class MenuItemImpl;

// The IDE's command bars as an in-memory menu model.
class MenuModel : public std::enable_shared_from_this<MenuModel> {
public:
    explicit MenuModel(std::shared_ptr<FaultPlan> faults);
    void AddBar(const std::string& name);
    // Captions of the items on a bar, in order (deleted items are gone).
    std::vector<std::string> Captions(const std::string& bar) const;
    std::vector<std::string> Tags(const std::string& bar) const;  // the same items' tags
    // Clicks the first item on `bar` with that caption; returns false when there is none.
    // Raises Click on every event source obtained for the item, with handled and
    // cancelDefault starting false; their final values are returned through the pointers.
    bool Click(const std::string& bar, const std::string& caption, bool* handled = nullptr,
               bool* cancelDefault = nullptr);

    std::shared_ptr<CommandBars> Bars();
    std::shared_ptr<host::CommandBarEventSource> EventsFor(const std::shared_ptr<CommandBarControl>& control);

private:
    friend class MenuBarImpl;
    friend class MenuItemImpl;
    std::shared_ptr<FaultPlan> faults_;
    std::vector<std::shared_ptr<MenuBarImpl>> bars_;
};

class MemoryHost : public Root, public std::enable_shared_from_this<MemoryHost> {
public:
    // A host with an "Add-Ins" bar unless told otherwise.
    static std::shared_ptr<MemoryHost> Create(ProjectData project,
                                              FormCollection collection = FormCollection::EveryControl,
                                              bool withAddInsBar = true);

    // No active project: ActiveVBProject fails as the IDE's would when used.
    void CloseProject();
    void OpenProject(ProjectData project);

    FaultPlan& Faults() { return *faults_; }
    // The editor this host stands in for (VB6's unless told).
    void SetKind(Editor editor) { editor_ = editor; }
    MenuModel& Menu() { return *menu_; }

    // Root
    Editor Kind() override { return editor_; }
    std::shared_ptr<Project> ActiveVBProject() override;
    std::shared_ptr<host::CommandBars> CommandBars() override;
    std::shared_ptr<host::Events> Events() override;

private:
    MemoryHost(FormCollection collection, bool withAddInsBar);

    FormCollection collection_;
    std::shared_ptr<FaultPlan> faults_;
    std::shared_ptr<MenuModel> menu_;
    std::shared_ptr<ProjectData> project_;
    Editor editor_ = Editor::kVb6;
};

}  // namespace tolvane::host::memory
