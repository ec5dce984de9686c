#include "tools/ide-sim/IdeObjects.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>
#include <map>
#include <new>
#include <utility>

#include <ocidl.h>
#include <olectl.h>

#include "host/com/ComSupport.h"
#include "vb/Errors.h"

namespace tolvane::idesim {

using host::HostError;
using host::com::Bstr;
using host::com::Variant;
using host::com::WideToUtf8;
using host::com::Utf8ToWide;

namespace {

// Answered by every served object, so that an object the add-in hands back (the menu item
// passed to Events.CommandBarEvents) can be recognised as ours. Not a COM interface: the
// pointer returned is the object itself, valid in this process only.
constexpr IID kIidServed = {0x6A1D3C52, 0x77E4, 0x4E0B, {0x9C, 0x51, 0x2B, 0x7F, 0x18, 0xD0, 0x44, 0xA3}};
// CommandBarEvents {0002E197}: the event source's (member-less) default interface.
constexpr IID kIidCommandBarEventsDefault = {
    0x0002E197, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A call the simulator refuses the way an Automation object does, with a plain HRESULT.
struct Refusal {
    HRESULT hr;
    UINT argument = 0;
};

}  // namespace

struct SimulatorState {
    std::shared_ptr<host::Root> root;
    SimulatorOptions options;
    std::vector<std::string> journal;
    int live = 0;
    int advised = 0;
    std::vector<HRESULT> failedClicks;
    // One served object per menu item while it is alive, so the item keeps its identity.
    std::map<const host::CommandBarControl*, IDispatch*> items;
};

namespace {

using State = std::shared_ptr<SimulatorState>;

// ---- arguments ----

// The positional arguments of one Invoke, in the member's order (rgvarg holds them reversed,
// after any named ones).
class Args {
public:
    explicit Args(const DISPPARAMS* params) : params_(params) {}

    UINT Positional() const { return params_ ? params_->cArgs - params_->cNamedArgs : 0; }
    bool Missing(UINT i) const {
        if (i >= Positional()) return true;
        const VARIANT& v = Raw(i);
        return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
    }
    // The argument with any reference taken off; an error when it is missing.
    Variant Get(UINT i) const {
        if (Missing(i)) throw Refusal{DISP_E_PARAMNOTOPTIONAL, ArgErr(i)};
        Variant copy;
        if (FAILED(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(&Raw(i))))) throw Refusal{DISP_E_TYPEMISMATCH, ArgErr(i)};
        return copy;
    }
    void AtMost(UINT count) const {
        if (Positional() > count) throw Refusal{DISP_E_BADPARAMCOUNT};
    }
    // The value of a property put (the named argument DISPID_PROPERTYPUT).
    Variant PutValue() const {
        if (!params_ || params_->cNamedArgs != 1 || !params_->rgdispidNamedArgs ||
            params_->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params_->cArgs < 1)
            throw Refusal{DISP_E_PARAMNOTOPTIONAL};
        Variant copy;
        if (FAILED(VariantCopyInd(copy.Get(), &params_->rgvarg[0]))) throw Refusal{DISP_E_TYPEMISMATCH, 0};
        return copy;
    }

private:
    const VARIANT& Raw(UINT i) const { return params_->rgvarg[params_->cArgs - 1 - i]; }
    UINT ArgErr(UINT i) const { return params_->cArgs - 1 - i; }
    const DISPPARAMS* params_;
};

std::int32_t ToInt32(Variant value, UINT argument) {
    Variant converted;
    if (FAILED(VariantChangeType(converted.Get(), value.Get(), 0, VT_I4))) throw Refusal{DISP_E_TYPEMISMATCH, argument};
    return converted.Get()->lVal;
}

std::string ToText(Variant value, UINT argument) {
    Variant converted;
    if (FAILED(VariantChangeType(converted.Get(), value.Get(), 0, VT_BSTR))) throw Refusal{DISP_E_TYPEMISMATCH, argument};
    const BSTR text = converted.Get()->bstrVal;
    return text ? WideToUtf8(std::wstring_view(text, SysStringLen(text))) : std::string();
}

bool IsText(const Variant& value) { return value.Get()->vt == VT_BSTR; }

void ReturnText(VARIANT* result, const std::string& text) {
    if (!result) return;
    Bstr value = Bstr::FromUtf8(text);
    result->vt = VT_BSTR;
    result->bstrVal = value.Detach();
}

void ReturnLong(VARIANT* result, std::int32_t value) {
    if (!result) return;
    result->vt = VT_I4;
    result->lVal = value;
}

// Hands out the object (a new reference) or Nothing.
void ReturnObject(VARIANT* result, const ComPtr<IDispatch>& object) {
    if (!result) return;
    result->vt = VT_DISPATCH;
    result->pdispVal = object.Get();
    if (object) object->AddRef();
}

// How a member is called. Visual Basic sends DISPATCH_METHOD | DISPATCH_PROPERTYGET for a
// late-bound call whose result it uses, so that either a method or a property get answers.
enum class Access { Get, Put, Method, GetOrMethod };

Access AccessOf(WORD flags) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return Access::Put;
    const bool get = (flags & DISPATCH_PROPERTYGET) != 0, method = (flags & DISPATCH_METHOD) != 0;
    if (get && method) return Access::GetOrMethod;
    if (get) return Access::Get;
    if (method) return Access::Method;
    throw Refusal{E_INVALIDARG};
}

// ---- the served objects ----

struct MemberName {
    const wchar_t* name;
    DISPID id;
};

// Base of every served object: reference count, name lookup, the Invoke boundary (no
// exception leaves it), the journal and the count of live objects.
class Served : public IDispatch {
public:
    Served(State state, const char* kind, std::vector<MemberName> members, std::vector<IID> interfaces = {})
        : state_(std::move(state)), kind_(kind), members_(std::move(members)), interfaces_(std::move(interfaces)) {
        ++state_->live;
    }
    Served(const Served&) = delete;
    Served& operator=(const Served&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == kIidServed) {
            *object = this;
        } else if (riid == IID_IUnknown || riid == IID_IDispatch ||
                   std::find(interfaces_.begin(), interfaces_.end(), riid) != interfaces_.end()) {
            *object = static_cast<IDispatch*>(this);
        } else {
            return QueryOther(riid, object);
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: no type information; names and DISPIDs from the member table.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        if (count == 0) return S_OK;
        HRESULT hr = S_OK;
        // Named parameters are not offered: every member here is called positionally.
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        ids[0] = DISPID_UNKNOWN;
        for (const auto& member : members_) {
            if (names[0] && CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL) {
                ids[0] = member.id;
                return hr;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT* argError) override {
        if (result) VariantInit(result);
        if (params && params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
        if (params && params->cNamedArgs > params->cArgs) return E_INVALIDARG;
        const MemberName* known = nullptr;
        for (const auto& each : members_)
            if (each.id == member) known = &each;
        if (!known) return DISP_E_MEMBERNOTFOUND;
        // Keep the object alive through the call: a member may make the caller drop it.
        ComPtr<IDispatch> self(this);
        try {
            const Access access = AccessOf(flags);
            // Named arguments other than a put's value are not supported.
            const UINT named = params ? params->cNamedArgs : 0;
            if (named > (access == Access::Put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
            Note(std::string(kind_) + "." + WideToUtf8(known->name));
            Variant answer;
            Call(member, access, Args(params), answer.Get());
            if (result) {
                *result = *answer.Get();  // ownership moves to the caller
                VariantInit(answer.Get());
            }
            return S_OK;
        } catch (const Refusal& refusal) {
            if (argError) *argError = refusal.argument;
            return refusal.hr;
        } catch (const HostError& failure) {
            return Raise(error, failure.what());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const std::exception& failure) {
            return Raise(error, failure.what());
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

protected:
    virtual ~Served() { --state_->live; }

    // One call of a member found in the table. Throws Refusal, HostError or std::exception.
    virtual void Call(DISPID member, Access access, const Args& args, VARIANT* result) = 0;
    virtual HRESULT QueryOther(REFIID, void** object) {
        *object = nullptr;
        return E_NOINTERFACE;
    }

    // A property get may also be called as a method (VB allows both); a method may not be read
    // as a property alone, nor a property be put unless it says so.
    static void Only(Access access, Access wanted) {
        const bool fits = access == wanted || access == Access::GetOrMethod ||
                          (wanted == Access::Get && access == Access::Method);
        if (!fits || (wanted == Access::Put) != (access == Access::Put)) throw Refusal{DISP_E_MEMBERNOTFOUND};
    }
    void Note(std::string entry) { state_->journal.push_back(std::move(entry)); }

    State state_;

private:
    static HRESULT Raise(EXCEPINFO* error, const char* description) {
        if (error) {
            *error = EXCEPINFO{};
            try {
                error->bstrSource = SysAllocString(L"ide-sim");
                error->bstrDescription = SysAllocString(Utf8ToWide(description).c_str());
            } catch (...) {
                // A description that is no UTF-8 is left out rather than failing the report.
            }
            error->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }

    std::atomic<ULONG> references_{1};
    const char* kind_;
    std::vector<MemberName> members_;
    std::vector<IID> interfaces_;
};

// Makes a served object, its first reference taken over by the ComPtr.
template <class T, class... A>
ComPtr<IDispatch> Make(A&&... args) {
    ComPtr<IDispatch> object;
    *object.GetAddressOf() = static_cast<IDispatch*>(new T(std::forward<A>(args)...));
    return object;
}

// DISPIDs as the IDE's type libraries assign them.
constexpr DISPID kItem = 0, kValue = 0, kName0 = 0;

class PropertyObject final : public Served {
public:
    PropertyObject(State state, std::shared_ptr<host::Property> property, std::string name)
        : Served(std::move(state), "Property", {{L"Value", kValue}, {L"Name", 40}}), property_(std::move(property)),
          name_(std::move(name)) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        args.AtMost(0);
        if (member == 40) {
            Only(access, Access::Get);
            return ReturnText(result, name_);
        }
        // Value: the designer's properties are read-only here.
        Only(access, Access::Get);
        const host::PropertyValue value = property_->Value();
        if (value.IsNumber()) return ReturnLong(result, value.AsNumber());
        if (value.IsText()) return ReturnText(result, value.AsText());
    }
    std::shared_ptr<host::Property> property_;
    std::string name_;
};

class PropertiesObject final : public Served {
public:
    PropertiesObject(State state, std::shared_ptr<host::Properties> properties)
        : Served(std::move(state), "Properties", {{L"Item", kItem}}), properties_(std::move(properties)) {}

private:
    void Call(DISPID, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(1);
        const std::string name = ToText(args.Get(0), 0);
        auto property = properties_->Item(name);
        if (!property) throw HostError(vb::kObjectNotSet);
        ReturnObject(result, Make<PropertyObject>(state_, std::move(property), name));
    }
    std::shared_ptr<host::Properties> properties_;
};

ComPtr<IDispatch> ServeControl(const State& state, std::shared_ptr<host::Control> control);

// VBControls of a form designer or ContainedVBControls of a control: same members.
class ControlsObject final : public Served {
public:
    ControlsObject(State state, std::shared_ptr<host::Controls> controls, const char* kind)
        : Served(std::move(state), kind, {{L"Item", kItem}, {L"Count", 40}}), controls_(std::move(controls)) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        if (member == 40) {
            args.AtMost(0);
            return ReturnLong(result, controls_->Count());
        }
        args.AtMost(2);
        Variant index = args.Get(0);
        if (!IsText(index)) {
            if (!args.Missing(1)) throw Refusal{DISP_E_TYPEMISMATCH, 0};
            const std::int32_t position = ToInt32(std::move(index), 0);
            return ReturnObject(result, ServeControl(state_, Item(position)));
        }
        // By name, and by control-array index when one is given.
        const std::string name = ToText(std::move(index), 0);
        const bool byElement = !args.Missing(1);
        const std::int32_t element = byElement ? ToInt32(args.Get(1), 1) : 0;
        const int count = controls_->Count();
        for (int position = 1; position <= count; ++position) {
            auto control = Item(position);
            auto properties = control->GetProperties();
            if (!SameName(properties->Item("Name")->Value().AsText(), name)) continue;
            const std::int32_t arrayIndex = properties->Item("Index")->Value().AsNumber();
            if (byElement ? arrayIndex == element : arrayIndex < 0) return ReturnObject(result, ServeControl(state_, control));
            if (!byElement) throw HostError(vb::kArrayElementNeeded);  // name of an array
        }
        throw HostError(vb::kSubscriptOutOfRange);
    }
    std::shared_ptr<host::Control> Item(std::int32_t position) {
        auto control = controls_->Item(position);
        if (!control) throw HostError(vb::kObjectNotSet);
        return control;
    }
    static bool SameName(const std::string& a, const std::string& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
        });
    }
    std::shared_ptr<host::Controls> controls_;
};

class ControlObject final : public Served {
public:
    ControlObject(State state, std::shared_ptr<host::Control> control)
        : Served(std::move(state), "VBControl", {{L"Properties", 42}, {L"ContainedVBControls", 43}}),
          control_(std::move(control)) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(0);
        if (member == 42) {
            auto properties = control_->GetProperties();
            if (!properties) throw HostError(vb::kObjectNotSet);
            return ReturnObject(result, Make<PropertiesObject>(state_, std::move(properties)));
        }
        auto contained = control_->ContainedVBControls();
        if (!contained) throw HostError(vb::kObjectNotSet);
        ReturnObject(result, Make<ControlsObject>(state_, std::move(contained), "ContainedVBControls"));
    }
    std::shared_ptr<host::Control> control_;
};

ComPtr<IDispatch> ServeControl(const State& state, std::shared_ptr<host::Control> control) {
    return Make<ControlObject>(state, std::move(control));
}

class FormObject final : public Served {
public:
    FormObject(State state, std::shared_ptr<host::FormDesigner> form)
        : Served(std::move(state), "VBForm", {{L"VBControls", 47}}), form_(std::move(form)) {}

private:
    void Call(DISPID, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(0);
        auto controls = form_->VBControls();
        if (!controls) throw HostError(vb::kObjectNotSet);
        ReturnObject(result, Make<ControlsObject>(state_, std::move(controls), "VBControls"));
    }
    std::shared_ptr<host::FormDesigner> form_;
};

class ComponentObject final : public Served {
public:
    ComponentObject(State state, std::shared_ptr<host::Component> component)
        : Served(std::move(state), "VBComponent", {{L"Name", 48}, {L"Designer", 49}, {L"Type", 51}}),
          component_(std::move(component)) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(0);
        switch (member) {
            case 48: return ReturnText(result, component_->Name());
            case 51: return ReturnLong(result, component_->Type());
            default: {
                auto designer = component_->Designer();
                ReturnObject(result, designer ? Make<FormObject>(state_, std::move(designer)) : nullptr);
            }
        }
    }
    std::shared_ptr<host::Component> component_;
};

class ComponentsObject final : public Served {
public:
    ComponentsObject(State state, std::shared_ptr<host::Components> components)
        : Served(std::move(state), "VBComponents", {{L"Item", kItem}, {L"Count", 10}}),
          components_(std::move(components)) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        if (member == 10) {
            Only(access, Access::Get);
            args.AtMost(0);
            return ReturnLong(result, components_->Count());
        }
        // Item is a method in the type library; VB calls it either way.
        Only(access, Access::Get);
        args.AtMost(1);
        Variant index = args.Get(0);
        std::shared_ptr<host::Component> component =
            IsText(index) ? components_->Item(ToText(std::move(index), 0)) : components_->Item(ToInt32(std::move(index), 0));
        if (!component) throw HostError(vb::kSubscriptOutOfRange);
        ReturnObject(result, Make<ComponentObject>(state_, std::move(component)));
    }
    std::shared_ptr<host::Components> components_;
};

class ProjectObject final : public Served {
public:
    ProjectObject(State state, std::shared_ptr<host::Project> project)
        : Served(std::move(state), "VBProject", {{L"VBComponents", 135}}), project_(std::move(project)) {}

private:
    void Call(DISPID, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(0);
        auto components = project_->VBComponents();
        if (!components) throw HostError(vb::kObjectNotSet);
        ReturnObject(result, Make<ComponentsObject>(state_, std::move(components)));
    }
    std::shared_ptr<host::Project> project_;
};

// ---- command bars ----

constexpr DISPID kCaption = 0x60040003, kDelete = 0x60040007, kControls = 0x60040003, kAdd = 0x60030000;

class CommandBarControlObject final : public Served {
public:
    CommandBarControlObject(State state, std::shared_ptr<host::CommandBarControl> item)
        : Served(std::move(state), "CommandBarControl", {{L"Caption", kCaption}, {L"Delete", kDelete}}),
          item_(std::move(item)) {
        state_->items[item_.get()] = static_cast<IDispatch*>(this);
    }
    const std::shared_ptr<host::CommandBarControl>& Item() const { return item_; }

private:
    ~CommandBarControlObject() override { state_->items.erase(item_.get()); }

    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        if (member == kDelete) {
            Only(access, Access::Method);
            args.AtMost(1);  // Temporary: every item here is as temporary as the session
            return item_->Delete();
        }
        if (access == Access::Put) {
            args.AtMost(1);
            const std::string caption = ToText(args.PutValue(), 0);
            Note("CommandBarControl.Caption=" + caption);
            return item_->SetCaption(caption);
        }
        Only(access, Access::Get);
        args.AtMost(0);
        ReturnText(result, item_->Caption());
    }
    std::shared_ptr<host::CommandBarControl> item_;
};

// The served object of a menu item: the one already alive, else a new one.
ComPtr<IDispatch> ServeItem(const State& state, std::shared_ptr<host::CommandBarControl> item) {
    if (!item) return nullptr;
    if (auto found = state->items.find(item.get()); found != state->items.end())
        return ComPtr<IDispatch>(found->second);
    return Make<CommandBarControlObject>(state, std::move(item));
}

class CommandBarControlsObject final : public Served {
public:
    CommandBarControlsObject(State state, std::shared_ptr<host::CommandBarControls> controls)
        : Served(std::move(state), "CommandBarControls", {{L"Add", kAdd}}), controls_(std::move(controls)) {}

private:
    void Call(DISPID, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Method);
        // Add([Type], [Id], [Parameter], [Before], [Temporary]); only Type means anything here.
        args.AtMost(5);
        std::int32_t type = 1;  // msoControlButton
        if (!args.Missing(0)) type = ToInt32(args.Get(0), 0);
        if (type < SHRT_MIN || type > SHRT_MAX) throw HostError(vb::kOverflow);
        auto item = controls_->Add(static_cast<std::int16_t>(type));
        if (!item) throw HostError("Method 'Add' of object 'CommandBarControls' failed");
        ReturnObject(result, ServeItem(state_, std::move(item)));
    }
    std::shared_ptr<host::CommandBarControls> controls_;
};

class CommandBarObject final : public Served {
public:
    CommandBarObject(State state, std::shared_ptr<host::CommandBar> bar, std::string name)
        : Served(std::move(state), "CommandBar", {{L"Controls", kControls}, {L"Name", 0x6004000E}}),
          bar_(std::move(bar)), name_(std::move(name)) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(0);
        if (member == 0x6004000E) return ReturnText(result, name_);
        auto controls = bar_->Controls();
        if (!controls) throw HostError(vb::kObjectNotSet);
        ReturnObject(result, Make<CommandBarControlsObject>(state_, std::move(controls)));
    }
    std::shared_ptr<host::CommandBar> bar_;
    std::string name_;
};

class CommandBarsObject final : public Served {
public:
    CommandBarsObject(State state, std::shared_ptr<host::CommandBars> bars)
        : Served(std::move(state), "CommandBars", {{L"Item", kItem}}), bars_(std::move(bars)) {}

private:
    void Call(DISPID, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(1);
        const std::string name = ToText(args.Get(0), 0);
        auto bar = bars_->Item(name);
        // A bar the host does not have is Nothing, as the host interface answers it.
        ReturnObject(result, bar ? Make<CommandBarObject>(state_, std::move(bar), name) : nullptr);
    }
    std::shared_ptr<host::CommandBars> bars_;
};

// ---- click events ----

struct SinkList {
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks;
    DWORD nextCookie = 1;
};

// Raises Click on each sink as the IDE does: the item, then handled and CancelDefault by
// reference, each sink seeing what the ones before it left.
void FireClick(const State& state, const std::shared_ptr<SinkList>& list,
               const std::shared_ptr<host::CommandBarControl>& item, bool& handled, bool& cancelDefault) {
    const auto sinks = list->sinks;  // a sink may unadvise while it runs
    ComPtr<IDispatch> control = ServeItem(state, item);
    VARIANT_BOOL handledFlag = handled ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT_BOOL cancelFlag = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
    for (const auto& [cookie, sink] : sinks) {
        VARIANT args[3];
        args[2].vt = VT_DISPATCH;
        args[2].pdispVal = control.Get();  // borrowed for the call
        args[1].vt = VT_BOOL | VT_BYREF;
        args[1].pboolVal = &handledFlag;
        args[0].vt = VT_BOOL | VT_BYREF;
        args[0].pboolVal = &cancelFlag;
        DISPPARAMS params{args, nullptr, 3, 0};
        state->journal.push_back("Click->sink " + std::to_string(cookie));
        EXCEPINFO error{};
        const HRESULT hr = sink->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &error, nullptr);
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        if (FAILED(hr)) state->failedClicks.push_back(hr);
    }
    handled = handledFlag != VARIANT_FALSE;
    cancelDefault = cancelFlag != VARIANT_FALSE;
}

// What Events.CommandBarEvents returns: the member-less CommandBarEvents object, with one
// connection point for the click events. The point shares the source's reference count.
class EventSourceObject final : public Served, public IConnectionPointContainer {
public:
    EventSourceObject(State state, std::shared_ptr<host::CommandBarEventSource> source)
        : Served(std::move(state), "CommandBarEvents", {}, {kIidCommandBarEventsDefault}), source_(std::move(source)),
          list_(std::make_shared<SinkList>()), point_(*this) {}

    // IUnknown through the container face
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override { return Served::QueryInterface(riid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Served::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Served::Release(); }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points) *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = nullptr;
        if (riid != kIidCommandBarEvents) return CONNECT_E_NOCONNECTION;
        *point = &point_;
        point_.AddRef();
        return S_OK;
    }

private:
    ~EventSourceObject() override {
        // Sinks still advised are let go; the host stops delivering to this object.
        if (!list_->sinks.empty()) {
            state_->advised -= static_cast<int>(list_->sinks.size());
            try {
                source_->SetClickHandler({});
            } catch (...) {
                // The host's source is about to be released anyway.
            }
        }
    }

    void Call(DISPID, Access, const Args&, VARIANT*) override { throw Refusal{DISP_E_MEMBERNOTFOUND}; }
    HRESULT QueryOther(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid != IID_IConnectionPointContainer) return E_NOINTERFACE;
        *object = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT Advise(IUnknown* unknown, DWORD* cookie) {
        if (!cookie) return E_POINTER;
        *cookie = 0;
        if (!unknown) return E_POINTER;
        // The sink must answer the events interface, as the IDE's connection point demands.
        ComPtr<IDispatch> sink;
        if (FAILED(unknown->QueryInterface(kIidCommandBarEvents, reinterpret_cast<void**>(sink.GetAddressOf()))) || !sink)
            return CONNECT_E_CANNOTCONNECT;
        try {
            if (list_->sinks.empty()) {
                std::weak_ptr<SinkList> weak = list_;
                std::weak_ptr<SimulatorState> state = state_;
                source_->SetClickHandler([weak, state](const std::shared_ptr<host::CommandBarControl>& item, bool& handled,
                                                       bool& cancelDefault) {
                    auto list = weak.lock();
                    auto alive = state.lock();
                    if (list && alive) FireClick(alive, list, item, handled, cancelDefault);
                });
            }
            const DWORD given = list_->nextCookie++;
            list_->sinks.emplace_back(given, sink);
            *cookie = given;
            ++state_->advised;
            Note("CommandBarEvents.Advise");
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT Unadvise(DWORD cookie) {
        auto& sinks = list_->sinks;
        auto found = std::find_if(sinks.begin(), sinks.end(), [&](const auto& each) { return each.first == cookie; });
        if (found == sinks.end()) return CONNECT_E_NOCONNECTION;
        ComPtr<IDispatch> leaving = found->second;  // released after the list is consistent
        sinks.erase(found);
        --state_->advised;
        Note("CommandBarEvents.Unadvise");
        if (sinks.empty()) {
            try {
                source_->SetClickHandler({});
            } catch (...) {
                // Nothing is advised: a delivery that still comes finds no sink.
            }
        }
        return S_OK;
    }

    class Point final : public IConnectionPoint {
    public:
        explicit Point(EventSourceObject& outer) : outer_(outer) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
            if (!object) return E_POINTER;
            *object = nullptr;
            if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
            *object = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
            if (!iid) return E_POINTER;
            *iid = kIidCommandBarEvents;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
            if (!container) return E_POINTER;
            *container = &outer_;
            outer_.AddRef();
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override { return outer_.Advise(sink, cookie); }
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override { return outer_.Unadvise(cookie); }
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
            if (connections) *connections = nullptr;
            return E_NOTIMPL;
        }

    private:
        EventSourceObject& outer_;
    };

    std::shared_ptr<host::CommandBarEventSource> source_;
    std::shared_ptr<SinkList> list_;
    Point point_;
};

class EventsObject final : public Served {
public:
    EventsObject(State state, std::shared_ptr<host::Events> events)
        : Served(std::move(state), "Events", {{L"CommandBarEvents", 205}}), events_(std::move(events)) {}

private:
    void Call(DISPID, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(1);
        Variant argument = args.Get(0);
        std::shared_ptr<host::CommandBarControl> item;
        const VARIANT* v = argument.Get();
        IUnknown* given = v->vt == VT_DISPATCH ? v->pdispVal : v->vt == VT_UNKNOWN ? v->punkVal : nullptr;
        if (v->vt != VT_DISPATCH && v->vt != VT_UNKNOWN && v->vt != VT_EMPTY) throw Refusal{DISP_E_TYPEMISMATCH, 0};
        if (given) {
            // Only a menu item this IDE served can have click events.
            Served* ours = nullptr;
            if (FAILED(given->QueryInterface(kIidServed, reinterpret_cast<void**>(&ours))) || !ours)
                throw Refusal{DISP_E_TYPEMISMATCH, 0};
            ComPtr<IDispatch> keep;
            *keep.GetAddressOf() = ours;  // QueryInterface added the reference
            auto* served = dynamic_cast<CommandBarControlObject*>(ours);
            if (!served) throw Refusal{DISP_E_TYPEMISMATCH, 0};
            item = served->Item();
        }
        auto source = events_->CommandBarEvents(item);
        if (!source) throw HostError(vb::kObjectNotSet);
        ComPtr<IDispatch> object = Make<EventSourceObject>(state_, std::move(source));
        if (!result) return;
        if (state_->options.eventSourceAsUnknown) {
            result->vt = VT_UNKNOWN;
            result->punkVal = object.Detach();
        } else {
            ReturnObject(result, object);
        }
    }
    std::shared_ptr<host::Events> events_;
};

class VbeObject final : public Served {
public:
    explicit VbeObject(State state)
        : Served(std::move(state), "VBE",
                 {{L"Name", kName0},
                  {L"Version", 100},
                  {L"CommandBars", 108},
                  {L"Events", 111},
                  {L"ActiveVBProject", 201}},
                 {kIidVbe}) {}

private:
    void Call(DISPID member, Access access, const Args& args, VARIANT* result) override {
        Only(access, Access::Get);
        args.AtMost(0);
        auto& root = *state_->root;
        switch (member) {
            case kName0: return ReturnText(result, "Microsoft Visual Basic");
            case 100: return ReturnText(result, "6.00");
            case 108: {
                auto bars = root.CommandBars();
                return ReturnObject(result, bars ? Make<CommandBarsObject>(state_, std::move(bars)) : nullptr);
            }
            case 111: {
                auto events = root.Events();
                return ReturnObject(result, events ? Make<EventsObject>(state_, std::move(events)) : nullptr);
            }
            default: {
                auto project = root.ActiveVBProject();
                return ReturnObject(result, project ? Make<ProjectObject>(state_, std::move(project)) : nullptr);
            }
        }
    }
};

}  // namespace

Simulator::Simulator(std::shared_ptr<host::Root> root, SimulatorOptions options)
    : state_(std::make_shared<SimulatorState>()) {
    if (!root) throw HostError(vb::kObjectNotSet);
    state_->root = std::move(root);
    state_->options = options;
    vbe_ = Make<VbeObject>(state_);
}

Simulator::~Simulator() = default;

ComPtr<IDispatch> Simulator::Vbe() const { return vbe_; }

std::vector<std::string> Simulator::Journal() const { return state_->journal; }

void Simulator::ClearJournal() { state_->journal.clear(); }

int Simulator::LiveObjects() const { return state_->live; }

int Simulator::AdvisedSinks() const { return state_->advised; }

std::vector<HRESULT> Simulator::FailedClicks() const { return state_->failedClicks; }

}  // namespace tolvane::idesim
