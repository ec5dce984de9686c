// The host interface over the IDE's own objects. Everything is late-bound by member name
// through IDispatch (the VBIDE and Office vtables differ between versions and carry hidden
// members); the DISPIDs are cached per interface in a DispatchCache shared by all objects
// reached from one root.
#include "host/com/ComHost.h"

#include <atomic>
#include <climits>
#include <utility>

#include <ocidl.h>
#include <olectl.h>

#include "host/com/ComSupport.h"
#include "vb/Errors.h"

namespace tolvane::host::com {

namespace {

// VBE, the IDE's root object.
constexpr IID kIidVBE = {0x0002E100, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// _dispCommandBarControlEvents: the click events of a command-bar control.
constexpr IID kIidCommandBarEvents = {0x0002E198, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kDispidClick = 1;

using Cache = std::shared_ptr<DispatchCache>;

short ToIndex(int position) {
    if (position < SHRT_MIN || position > SHRT_MAX) throw HostError(vb::kOverflow);
    return static_cast<short>(position);
}

// Base of every adapter object: the IDispatch behind it and the shared DISPID cache.
class Adapter : public NativeObject {
public:
    Adapter(ComPtr<IDispatch> object, Cache cache, Interface kind)
        : object_(std::move(object)), cache_(std::move(cache)), kind_(kind) {}
    IUnknown* Native() const noexcept override { return object_.Get(); }

protected:
    Variant GetMember(const wchar_t* name, std::vector<Variant*> args = {}) {
        return Get(*cache_, object_.Get(), kind_, name, std::move(args));
    }
    ComPtr<IDispatch> GetObject(const wchar_t* name, std::vector<Variant*> args = {}) {
        Variant result = GetMember(name, std::move(args));
        return AsRequiredDispatch(result);
    }

    ComPtr<IDispatch> object_;
    Cache cache_;
    Interface kind_;
};

class PropertyImpl final : public Property, public Adapter {
public:
    PropertyImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::Property) {}
    PropertyValue Value() override { return AsPropertyValue(GetMember(L"Value")); }
};

class PropertiesImpl final : public Properties, public Adapter {
public:
    PropertiesImpl(ComPtr<IDispatch> object, Cache cache)
        : Adapter(std::move(object), std::move(cache), Interface::Properties) {}
    std::shared_ptr<Property> Item(const std::string& name) override {
        Variant index = Variant::Text(name);
        return std::make_shared<PropertyImpl>(GetObject(L"Item", {&index}), cache_);
    }
};

class ControlImpl;

class ControlsImpl final : public Controls, public Adapter {
public:
    // VBControls of a form and ContainedVBControls of a control: alike, but two interfaces.
    ControlsImpl(ComPtr<IDispatch> object, Cache cache, Interface kind) : Adapter(std::move(object), std::move(cache), kind) {}
    int Count() override { return AsInt32(GetMember(L"Count")); }
    std::shared_ptr<Control> Item(int position) override;
};

class ControlImpl final : public Control, public Adapter {
public:
    ControlImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::VBControl) {}
    std::shared_ptr<Properties> GetProperties() override {
        return std::make_shared<PropertiesImpl>(GetObject(L"Properties"), cache_);
    }
    std::shared_ptr<Controls> ContainedVBControls() override {
        return std::make_shared<ControlsImpl>(GetObject(L"ContainedVBControls"), cache_, Interface::ContainedVBControls);
    }
};

std::shared_ptr<Control> ControlsImpl::Item(int position) {
    // The control-array index, the second argument, is left out altogether.
    Variant index = Variant::I2(ToIndex(position));
    return std::make_shared<ControlImpl>(GetObject(L"Item", {&index}), cache_);
}

class FormDesignerImpl final : public FormDesigner, public Adapter {
public:
    FormDesignerImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::VBForm) {}
    std::shared_ptr<Controls> VBControls() override {
        return std::make_shared<ControlsImpl>(GetObject(L"VBControls"), cache_, Interface::VBControls);
    }
};

class ComponentImpl final : public Component, public Adapter {
public:
    ComponentImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::VBComponent) {}
    std::int32_t Type() override { return AsInt32(GetMember(L"Type")); }
    std::string Name() override { return AsText(GetMember(L"Name")); }
    std::shared_ptr<FormDesigner> Designer() override {
        return std::make_shared<FormDesignerImpl>(GetObject(L"Designer"), cache_);
    }
};

class ComponentsImpl final : public Components, public Adapter {
public:
    ComponentsImpl(ComPtr<IDispatch> object, Cache cache)
        : Adapter(std::move(object), std::move(cache), Interface::VBComponents) {}
    int Count() override { return AsInt32(GetMember(L"Count")); }
    std::shared_ptr<Component> Item(int position) override {
        Variant index = Variant::I2(ToIndex(position));
        return std::make_shared<ComponentImpl>(GetObject(L"Item", {&index}), cache_);
    }
    std::shared_ptr<Component> Item(const std::string& name) override {
        Variant index = Variant::Text(name);
        return std::make_shared<ComponentImpl>(GetObject(L"Item", {&index}), cache_);
    }
};

class ProjectImpl final : public Project, public Adapter {
public:
    ProjectImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::VBProject) {}
    std::shared_ptr<Components> VBComponents() override {
        return std::make_shared<ComponentsImpl>(GetObject(L"VBComponents"), cache_);
    }
};

class CommandBarControlImpl final : public CommandBarControl, public Adapter {
public:
    CommandBarControlImpl(ComPtr<IDispatch> object, Cache cache)
        : Adapter(std::move(object), std::move(cache), Interface::CommandBarControl) {}
    std::string Caption() override { return AsText(GetMember(L"Caption")); }
    void SetCaption(const std::string& caption) override {
        Variant value = Variant::Text(caption);
        Call(*cache_, object_.Get(), kind_, L"Caption", DISPATCH_PROPERTYPUT, {&value});
    }
    void Delete() override { Call(*cache_, object_.Get(), kind_, L"Delete", DISPATCH_METHOD); }
};

class CommandBarControlsImpl final : public CommandBarControls, public Adapter {
public:
    CommandBarControlsImpl(ComPtr<IDispatch> object, Cache cache)
        : Adapter(std::move(object), std::move(cache), Interface::CommandBarControls) {}
    std::shared_ptr<CommandBarControl> Add(std::int16_t type) override {
        // Only the type: the host then puts a permanent item after the existing ones.
        Variant kind = Variant::I2(type);
        Variant result = Call(*cache_, object_.Get(), kind_, L"Add", DISPATCH_METHOD, {&kind});
        return std::make_shared<CommandBarControlImpl>(AsRequiredDispatch(result), cache_);
    }
};

class CommandBarImpl final : public CommandBar, public Adapter {
public:
    CommandBarImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::CommandBar) {}
    std::shared_ptr<CommandBarControls> Controls() override {
        return std::make_shared<CommandBarControlsImpl>(GetObject(L"Controls"), cache_);
    }
};

class CommandBarsImpl final : public CommandBars, public Adapter {
public:
    CommandBarsImpl(ComPtr<IDispatch> object, Cache cache)
        : Adapter(std::move(object), std::move(cache), Interface::CommandBars) {}
    std::shared_ptr<CommandBar> Item(const std::string& name) override {
        Variant index = Variant::Text(name);
        Variant result = GetMember(L"Item", {&index});
        auto bar = AsDispatch(result);
        if (!bar) return nullptr;
        return std::make_shared<CommandBarImpl>(std::move(bar), cache_);
    }
};

// ---- click events ----

// The sink the event source calls. It holds the handler only; the source holds the sink
// (through its connection point), never the other way round.
class ClickSink final : public IDispatch {
public:
    explicit ClickSink(Cache cache) : cache_(std::move(cache)) {}

    void SetHandler(CommandBarEventSource::ClickHandler handler) {
        handler_ = std::make_shared<CommandBarEventSource::ClickHandler>(std::move(handler));
    }
    void ClearHandler() noexcept { handler_.reset(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidCommandBarEvents) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (i == 0 && names[0] && CompareStringOrdinal(names[0], -1, L"Click", -1, TRUE) == CSTR_EQUAL)
                ids[0] = kDispidClick;
            else
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argError) override {
        if (member != kDispidClick) return DISP_E_MEMBERNOTFOUND;
        if (!params || !params->rgvarg) return E_INVALIDARG;
        if (params->cArgs != 3) return DISP_E_BADPARAMCOUNT;
        if (result) VariantInit(result);
        try {
            auto handler = handler_;  // the handler may replace or drop itself while it runs
            if (!handler || !*handler) return S_OK;
            std::shared_ptr<CommandBarControl> control;
            {
                Variant clicked;
                if (FAILED(VariantCopyInd(clicked.Get(), &params->rgvarg[2]))) {
                    if (argError) *argError = 2;
                    return DISP_E_TYPEMISMATCH;
                }
                if (auto object = AsDispatch(clicked)) control = std::make_shared<CommandBarControlImpl>(std::move(object), cache_);
            }
            bool handled = ReadFlag(params->rgvarg[1]);
            bool cancelDefault = ReadFlag(params->rgvarg[0]);
            const bool handledBefore = handled, cancelBefore = cancelDefault;
            (*handler)(control, handled, cancelDefault);
            if (handled != handledBefore) WriteFlag(params->rgvarg[1], handled);
            if (cancelDefault != cancelBefore) WriteFlag(params->rgvarg[0], cancelDefault);
        } catch (...) {
            // A click never fails towards the IDE.
        }
        return S_OK;
    }

private:
    ~ClickSink() = default;

    // The flags come as VT_BOOL|VT_BYREF; some hosts send VT_VARIANT|VT_BYREF or a plain value.
    static bool ReadFlag(const VARIANT& v) {
        if (v.vt == (VT_BOOL | VT_BYREF)) return v.pboolVal && *v.pboolVal != VARIANT_FALSE;
        Variant copy, converted;
        if (FAILED(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(&v)))) return false;
        if (FAILED(VariantChangeType(converted.Get(), copy.Get(), 0, VT_BOOL))) return false;
        return converted.Get()->boolVal != VARIANT_FALSE;
    }
    static void WriteFlag(VARIANT& v, bool value) {
        const VARIANT_BOOL flag = value ? VARIANT_TRUE : VARIANT_FALSE;
        if (v.vt == (VT_BOOL | VT_BYREF)) {
            if (v.pboolVal) *v.pboolVal = flag;
        } else if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal) {
            if (v.pvarVal->vt == (VT_BOOL | VT_BYREF)) {
                if (v.pvarVal->pboolVal) *v.pvarVal->pboolVal = flag;
            } else {
                VariantClear(v.pvarVal);
                v.pvarVal->vt = VT_BOOL;
                v.pvarVal->boolVal = flag;
            }
        }
        // A flag passed by value cannot be answered.
    }

    std::atomic<ULONG> references_{1};
    Cache cache_;
    std::shared_ptr<CommandBarEventSource::ClickHandler> handler_;
};

class EventSourceImpl final : public CommandBarEventSource, public NativeObject {
public:
    EventSourceImpl(ComPtr<IUnknown> source, Cache cache) : source_(std::move(source)), cache_(std::move(cache)) {
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(source_.As(&container))) throw HostError(vb::kNoEvents);
        if (FAILED(container->FindConnectionPoint(kIidCommandBarEvents, &point_)) || !point_) throw HostError(vb::kNoEvents);
    }
    ~EventSourceImpl() override { Disconnect(); }

    IUnknown* Native() const noexcept override { return source_.Get(); }

    void SetClickHandler(ClickHandler handler) override {
        if (!handler) {
            Disconnect();
            return;
        }
        if (sink_) {
            sink_->SetHandler(std::move(handler));
            return;
        }
        // Take over the new object's first reference. (MinGW's ComPtr::Attach adds one of its own.)
        ComPtr<ClickSink> sink;
        *sink.GetAddressOf() = new ClickSink(cache_);
        sink->SetHandler(std::move(handler));
        DWORD cookie = 0;
        Check(point_->Advise(static_cast<IDispatch*>(sink.Get()), &cookie));
        sink_ = sink;  // MinGW's ComPtr move assignment copies anyway
        cookie_ = cookie;
    }

private:
    void Disconnect() noexcept {
        if (!sink_) return;
        // A source that keeps the sink after all must not reach the old handler.
        sink_->ClearHandler();
        point_->Unadvise(cookie_);
        sink_.Reset();
        cookie_ = 0;
    }

    ComPtr<IUnknown> source_;
    Cache cache_;
    ComPtr<IConnectionPoint> point_;
    ComPtr<ClickSink> sink_;
    DWORD cookie_ = 0;
};

class EventsImpl final : public Events, public Adapter {
public:
    EventsImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::Events) {}
    std::shared_ptr<CommandBarEventSource> CommandBarEvents(const std::shared_ptr<CommandBarControl>& control) override {
        // Handing the IDE an empty reference here is not safe; refuse it ourselves.
        if (!control) throw HostError(vb::kInvalidCall);
        auto* native = dynamic_cast<NativeObject*>(control.get());
        if (!native || !native->Native()) throw HostError(vb::kTypeMismatch);
        ComPtr<IDispatch> item;
        if (FAILED(native->Native()->QueryInterface(IID_PPV_ARGS(&item)))) throw HostError(vb::kTypeMismatch);
        Variant argument = Variant::Dispatch(item.Get());
        Variant result = GetMember(L"CommandBarEvents", {&argument});
        // Its default interface has no members, so the IDE may answer with an IUnknown.
        ComPtr<IUnknown> source;
        VARIANT* v = result.Get();
        if (v->vt == VT_UNKNOWN)
            source = v->punkVal;
        else if (v->vt == VT_DISPATCH)
            source = v->pdispVal;
        else if (v->vt != VT_EMPTY && v->vt != VT_NULL)
            throw HostError(vb::kTypeMismatch);
        if (!source) throw HostError(vb::kObjectNotSet);
        return std::make_shared<EventSourceImpl>(std::move(source), cache_);
    }
};

class RootImpl final : public Root, public Adapter {
public:
    RootImpl(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Interface::VBE) {}
    std::shared_ptr<Project> ActiveVBProject() override {
        return std::make_shared<ProjectImpl>(GetObject(L"ActiveVBProject"), cache_);
    }
    std::shared_ptr<host::CommandBars> CommandBars() override {
        return std::make_shared<CommandBarsImpl>(GetObject(L"CommandBars"), cache_);
    }
    std::shared_ptr<host::Events> Events() override {
        return std::make_shared<EventsImpl>(GetObject(L"Events"), cache_);
    }
};

}  // namespace

std::shared_ptr<Root> RootFromDispatch(IDispatch* application) {
    if (!application) throw HostError(vb::kObjectNotSet);
    // The VBE interface is dual, so what the query answers is itself an IDispatch.
    ComPtr<IDispatch> root;
    if (FAILED(application->QueryInterface(kIidVBE, reinterpret_cast<void**>(root.GetAddressOf()))) || !root)
        throw HostError(vb::kTypeMismatch);
    return std::make_shared<RootImpl>(std::move(root), std::make_shared<DispatchCache>());
}

std::shared_ptr<CommandBarEventSource> EventSourceFromUnknown(IUnknown* source) {
    if (!source) throw HostError(vb::kObjectNotSet);
    return std::make_shared<EventSourceImpl>(ComPtr<IUnknown>(source), std::make_shared<DispatchCache>());
}

}  // namespace tolvane::host::com
