// The host interface: the part of the VB6 IDE's object model the add-in uses, as plain
// C++ interfaces. The real IDE (late-bound COM, Windows only), a project read from disk
// and the in-memory test host all serve it.
//
// Every object is held by shared_ptr, as the IDE's objects are reference counted.
// Collections are 1-based. Any failing call throws HostError carrying the description
// text the user would see; callers take the error mode their handler states.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

#include "vb/Errors.h"

namespace tolvane::host {

// A failed host call. what() is the description text (for example "Subscript out of range").
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The Value of a control property. The add-in reads "Name" (text) and "Index" (a number,
// negative for a control that is no array element).
class PropertyValue {
public:
    PropertyValue() = default;
    PropertyValue(std::int32_t number) : value_(number) {}
    PropertyValue(std::string text) : value_(std::move(text)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsNumber() const { return std::holds_alternative<std::int32_t>(value_); }
    bool IsText() const { return std::holds_alternative<std::string>(value_); }

    // As Visual Basic would coerce: a number from decimal text, text from a number.
    // Throws HostError ("Type mismatch") when the value cannot be coerced.
    std::int32_t AsNumber() const;
    std::string AsText() const;

    bool operator==(const PropertyValue& other) const = default;

private:
    std::variant<std::monostate, std::int32_t, std::string> value_;
};

class Property {
public:
    virtual ~Property() = default;
    virtual PropertyValue Value() = 0;
};

class Properties {
public:
    virtual ~Properties() = default;
    // Item by property name ("Name", "Index"); throws HostError for an unknown name.
    virtual std::shared_ptr<Property> Item(const std::string& name) = 0;
};

class Control;

// VBControls of a form designer, or ContainedVBControls of a control.
class Controls {
public:
    virtual ~Controls() = default;
    virtual int Count() = 0;
    // 1-based position, second argument (control-array index) omitted.
    virtual std::shared_ptr<Control> Item(int position) = 0;
};

class Control {
public:
    virtual ~Control() = default;
    // The class as a ProgID: "VB.CommandButton", "MSComDlg.CommonDialog".
    virtual std::string ProgId() = 0;
    virtual std::shared_ptr<Properties> GetProperties() = 0;
    // The controls placed directly inside this one; possibly empty, never null.
    virtual std::shared_ptr<Controls> ContainedVBControls() = 0;
};

class FormDesigner {
public:
    virtual ~FormDesigner() = default;
    // Every control of the form, as the IDE returns them.
    virtual std::shared_ptr<Controls> VBControls() = 0;
};

// Component type numbers as the IDE defines them.
enum ComponentType : std::int32_t {
    StdModule = 1,
    ClassModule = 2,
    MSForm = 3,
    ResFile = 4,
    VBForm = 5,
    VBMDIForm = 6,
    PropPage = 7,
    UserControl = 8,
    DocObject = 9,
    RelatedDocument = 10,
    ActiveXDesigner = 11,
};

// A component's code module. Lines are numbered from 1, as the IDE numbers them; text is
// UTF-8, lines are joined with CR LF. A line or count out of range fails ("Invalid procedure
// call or argument").
class CodeModule {
public:
    virtual ~CodeModule() = default;
    virtual int CountOfLines() = 0;
    // The lines of the declarations section: those before the first procedure's own lines.
    virtual int CountOfDeclarationLines() = 0;
    // `count` lines from `start`, joined with CR LF (none after the last); "" for count 0.
    virtual std::string Lines(int start, int count) = 0;
    // Of the Sub or Function `name` (the IDE's procedure kind vbext_pk_Proc): its first line
    // (the blank and comment lines above its header are its own), the line of its header,
    // and its count of lines from the first through its End (through the module's end for the
    // last procedure). A name the module does not define fails ("Sub or Function not defined").
    virtual int ProcStartLine(const std::string& name) = 0;
    virtual int ProcBodyLine(const std::string& name) = 0;
    virtual int ProcCountLines(const std::string& name) = 0;
    // Writes an empty event procedure Private Sub object_event() where the IDE puts one, and
    // returns the line where its body starts.
    virtual int CreateEventProc(const std::string& event, const std::string& object) = 0;
    // Puts the text's lines (split at CR LF, LF or CR) before `line`; CountOfLines() + 1 appends.
    virtual void InsertLines(int line, const std::string& text) = 0;
    virtual void DeleteLines(int start, int count) = 0;
};

class Component {
public:
    virtual ~Component() = default;
    virtual std::int32_t Type() = 0;
    virtual std::string Name() = 0;
    // The component's designer viewed as a form designer; throws HostError when the
    // component has none or it is no form designer.
    virtual std::shared_ptr<FormDesigner> Designer() = 0;
    virtual std::shared_ptr<host::CodeModule> CodeModule() = 0;
};

class Components {
public:
    virtual ~Components() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<Component> Item(int position) = 0;          // 1-based
    virtual std::shared_ptr<Component> Item(const std::string& name) = 0;  // by name
};

class Project {
public:
    virtual ~Project() = default;
    virtual std::shared_ptr<Components> VBComponents() = 0;
};

// An item on a command bar (a menu item).
class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual std::string Caption() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Office raises a button's own Click for every button with the same Tag: ours has its own.
    virtual void SetTag(const std::string& tag) = 0;
    // Removes the item from its bar.
    virtual void Delete() = 0;
};

class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    // Adds an item of the given type (1 = plain button) after the existing ones.
    virtual std::shared_ptr<CommandBarControl> Add(std::int16_t type) = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual std::shared_ptr<CommandBarControls> Controls() = 0;
};

class CommandBars {
public:
    virtual ~CommandBars() = default;
    // The bar of that name, or null when there is none.
    virtual std::shared_ptr<CommandBar> Item(const std::string& name) = 0;
};

// The event source of one command-bar control. Its Click fires on each click of the item.
class CommandBarEventSource {
public:
    using ClickHandler = std::function<void(const std::shared_ptr<CommandBarControl>& control,
                                            bool& handled, bool& cancelDefault)>;
    virtual ~CommandBarEventSource() = default;
    // Connects the handler (replacing any earlier one); an empty function disconnects.
    virtual void SetClickHandler(ClickHandler handler) = 0;
};

class Events {
public:
    virtual ~Events() = default;
    // The event source for a command-bar control. The control may be null (the IDE then
    // decides whether that fails); implementations must not crash on it.
    virtual std::shared_ptr<CommandBarEventSource> CommandBarEvents(
        const std::shared_ptr<CommandBarControl>& control) = 0;
};

// The editor a root object belongs to. Both serve this same interface; they differ in where
// the menu item goes, how its click arrives and the kind of forms they hold (VB6 forms, or
// UserForms in points).
enum class Editor { kVb6, kVba };

// The IDE root object (VBE): where every host read starts.
class Root {
public:
    virtual ~Root() = default;
    virtual Editor Kind() = 0;
    virtual std::shared_ptr<Project> ActiveVBProject() = 0;
    virtual std::shared_ptr<host::CommandBars> CommandBars() = 0;
    virtual std::shared_ptr<host::Events> Events() = 0;
};

}  // namespace tolvane::host
