// What every object the simulator serves shares: the simulator's state, the positional
// arguments of a call, the conversions of results, and the object that turns an IDispatch call
// into a call of the member's handler. Each interface states its members once, in a table of
// rows: the IDE's member (name and DISPID, from winapi/IdeInterfaces.h), how it may be called,
// and the handler that answers it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include "host/Host.h"
#include "tools/ide-sim/IdeObjects.h"
#include "vb/Errors.h"
#include "winapi/Com.h"
#include "winapi/ComObject.h"
#include "winapi/IdeInterfaces.h"

namespace tolvane::idesim {

namespace ide = winapi::ide;
using winapi::UniqueVariant;

struct SimulatorState {
    std::shared_ptr<host::Root> root;
    host::Editor editor = host::Editor::kVb6;  // the root's
    // The classes that served MSForms objects tell through IProvideClassInfo, by "Library.Class".
    std::map<std::string, winapi::ComPtr<ITypeInfo>> classes;
    std::map<std::string, winapi::ComPtr<ICreateTypeLib2>> libraries;
    SimulatorOptions options;
    std::vector<JournalEntry> journal;
    std::map<std::string, int> lookups;
    int live = 0;
    int advised = 0;
    std::vector<HRESULT> failedClicks;
    // One served object per menu item while it is alive, so the item keeps its identity.
    std::map<const host::CommandBarControl*, IDispatch*> items;
};

using State = std::shared_ptr<SimulatorState>;

// A call the simulator refuses the way an Automation object does, with a plain HRESULT.
struct Refusal {
    HRESULT hr;
    UINT argument = 0;
};

// The positional arguments of one Invoke, in the member's order (rgvarg holds them reversed,
// after any named ones).
class Args {
public:
    explicit Args(const DISPPARAMS* params) : params_(params) {}

    UINT Positional() const { return params_ ? params_->cArgs - params_->cNamedArgs : 0; }
    bool Missing(UINT i) const;
    // The argument with any reference taken off; Refusal when it is missing.
    UniqueVariant Get(UINT i) const;
    void AtMost(UINT count) const;
    // The value of a property put (the named argument DISPID_PROPERTYPUT).
    UniqueVariant PutValue() const;
    // The types as received: the positional arguments in the member's order, then the named.
    std::vector<VARTYPE> Types() const;

private:
    const VARIANT& Raw(UINT i) const { return params_->rgvarg[params_->cArgs - 1 - i]; }
    UINT ArgErr(UINT i) const { return params_->cArgs - 1 - i; }
    const DISPPARAMS* params_;
};

// Conversions of an argument; Refusal (DISP_E_TYPEMISMATCH at `argument`) when it has none.
std::int32_t ToInt32(const UniqueVariant& value, UINT argument);
std::string ToText(const UniqueVariant& value, UINT argument);
inline bool IsText(const UniqueVariant& value) { return value->vt == VT_BSTR; }

// Results. An object is handed out with a new reference; null is Nothing.
void ReturnText(VARIANT* result, const std::string& text);
void ReturnLong(VARIANT* result, std::int32_t value);
void ReturnObject(VARIANT* result, const winapi::ComPtr<IDispatch>& object);

// How a member is called. Visual Basic sends DISPATCH_METHOD | DISPATCH_PROPERTYGET for a
// late-bound call whose result it uses, so that either a method or a property get answers.
enum class Access { Get, Put, Method, GetOrMethod };

// What a member is: a property that is only read (VB may call it as a method too), a property
// that may also be put, or a method (never read as a property alone).
enum class MemberKind { Property, PutProperty, Method };

// Root of every served object: the identity the simulator recognises its objects by, the
// journal, the count of live objects, and the boundary of every call (no exception leaves it).
class ServedObject : public winapi::DispatchObject<> {
public:
    // The host's menu item behind this object, if it serves one.
    virtual std::shared_ptr<host::CommandBarControl> MenuItem() const { return nullptr; }

    // The served object behind an object the add-in hands back, or null when it is not one of
    // ours (a pointer valid in this process only). The caller gets a reference.
    static winapi::ComPtr<IDispatch> Recognise(IUnknown* object, ServedObject*& served);

protected:
    ServedObject(State state, const char* kind);
    ~ServedObject() override;

    void* InterfaceFor(REFIID iid) noexcept override;

    using Body = std::function<void(Access access, const Args& args, VARIANT* result)>;
    // One call of `member` (null: not a member): refuses what the member's kind does not allow,
    // notes the call in the journal, runs `body`, and turns what it throws into the HRESULT
    // (and EXCEPINFO) an Automation object answers.
    HRESULT Answer(const winapi::DispatchMember* member, MemberKind kind, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* error, UINT* argError, const Body& body) noexcept;
    void NoteLookup(LPOLESTR* names, UINT count) noexcept;

    State state_;
    const char* kind_;
};

// Adds a call to the journal.
void Note(const State& state, std::string call, WORD flags = 0, std::vector<VARTYPE> types = {},
          std::vector<DISPID> named = {});

// One call of a member as its handler sees it.
template <class HostObject>
struct Call {
    HostObject& object;
    const std::string& name;  // the name the object was reached by (a property's, a bar's)
    Access access;
    const Args& args;
    VARIANT* result;
    const State& state;
};

// A row of a member table: the IDE's member, what it is, how many positional arguments it
// takes at most, and its handler.
template <class HostObject>
struct Member : winapi::DispatchMember {
    MemberKind kind;
    UINT maxArguments;
    void (*handler)(const Call<HostObject>& call);
};

template <class HostObject>
using MemberTable = std::span<const Member<HostObject>>;

// A host object served through IDispatch with the members of its table.
template <class HostObject>
class ServedOf : public ServedObject {
public:
    ServedOf(State state, const char* kind, MemberTable<HostObject> members, std::shared_ptr<HostObject> object,
             std::string name = {})
        : ServedObject(std::move(state), kind), members_(members), object_(std::move(object)), name_(std::move(name)) {}

    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        NoteLookup(names, count);
        return winapi::IdsOfNames(members_, riid, names, count, ids);
    }
    IFACEMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* error, UINT* argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const Member<HostObject>* row = winapi::FindMember(members_, id);
        return Answer(row, row ? row->kind : MemberKind::Property, flags, params, result, error, argError,
                      [&](Access access, const Args& args, VARIANT* answer) {
                          args.AtMost(row->maxArguments);
                          row->handler({*object_, name_, access, args, answer, state_});
                      });
    }

protected:
    const std::shared_ptr<HostObject>& Object() const { return object_; }

private:
    MemberTable<HostObject> members_;
    std::shared_ptr<HostObject> object_;
    std::string name_;
};

// Makes a served object, its first reference taken over by the ComPtr.
template <class T, class... A>
winapi::ComPtr<IDispatch> MakeServed(A&&... args) {
    return winapi::MakeComObject<T>(std::forward<A>(args)...);
}

// The host object, which the IDE would never answer with Nothing; HostError when it is null.
template <class T>
std::shared_ptr<T> Required(std::shared_ptr<T> object) {
    if (!object) throw host::HostError(vb::kObjectNotSet);
    return object;
}

// The served object of each kind of host object; Nothing for null. A menu item keeps its
// served object while that is alive, so the item keeps its identity. A property and a bar
// know the name they were reached by; VBControls and ContainedVBControls are two kinds.
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Project> project);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Components> components);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Component> component);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::FormDesigner> form);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Controls> controls, const char* kind);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Control> control);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Properties> properties);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Property> property, std::string name);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBars> bars);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBar> bar, std::string name);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBarControls> items);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBarControl> item);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Events> events);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBarEventSource> source);
winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CodeModule> module);
// The VBA editor's designer of a UserForm: the MSForms form with flat Controls (UserFormObjects.cpp).
winapi::ComPtr<IDispatch> ServeUserForm(const State& state, std::shared_ptr<host::FormDesigner> form);
// A menu button's own click events (_CommandBarButtonEvents), the VBA editor's: the connection
// point container the button answers.
winapi::ComPtr<IConnectionPointContainer> ServeButtonEvents(const State& state,
                                                           std::shared_ptr<host::CommandBarEventSource> source);

// Handlers of a property whose value is another host object, `Get` being the host's member:
// Child answers Nothing for a null one, RequiredChild refuses it (the IDE never answers
// Nothing there).
template <class HostObject, auto Get>
void Child(const Call<HostObject>& call) {
    ReturnObject(call.result, Serve(call.state, (call.object.*Get)()));
}
template <class HostObject, auto Get>
void RequiredChild(const Call<HostObject>& call) {
    ReturnObject(call.result, Serve(call.state, Required((call.object.*Get)())));
}
template <class Collection>
void CountOf(const Call<Collection>& call) {
    ReturnLong(call.result, call.object.Count());
}

// A host object served with the members of `members`, as `kind`; Nothing for null.
template <class HostObject>
winapi::ComPtr<IDispatch> ServeWith(const State& state, const char* kind, MemberTable<HostObject> members,
                                    std::shared_ptr<HostObject> object, std::string name = {}) {
    if (!object) return nullptr;
    return MakeServed<ServedOf<HostObject>>(state, kind, members, std::move(object), std::move(name));
}

}  // namespace tolvane::idesim
