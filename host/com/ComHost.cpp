// The host interface over the IDE's own objects. Everything is late-bound by member name
// through IDispatch (the VBIDE and Office vtables differ between versions and carry hidden
// members); the DISPIDs are cached per interface in a DispatchCache shared by all objects
// reached from one root.
#include "host/com/ComHost.h"

#include <utility>

#include <ocidl.h>
#include <olectl.h>

#include "host/com/Adapter.h"
#include "winapi/ComObject.h"

namespace tolvane::host::com {

namespace {

using winapi::VariantOfObject;
using winapi::VariantOfShort;
using winapi::VariantOfText;

class PropertyImpl final : public AdapterOf<Property, IdeInterface::Property> {
public:
    using AdapterOf::AdapterOf;
    PropertyValue Value() override { return AsPropertyValue(*Read(ide::property::kValue).get()); }
};

class PropertiesImpl final : public AdapterOf<Properties, IdeInterface::Properties> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<Property> Item(const std::string& name) override {
        UniqueVariant index = VariantOfText(name);
        return Child<PropertyImpl>(ide::properties::kItem, {&index});
    }
};

// VBControls of a form and ContainedVBControls of a control: alike, but two interfaces.
class ControlsImpl final : public Controls, public Adapter {
public:
    ControlsImpl(ComPtr<IDispatch> object, Cache cache, IdeInterface kind) : Adapter(std::move(object), std::move(cache), kind) {}
    int Count() override { return ReadInt32(ide::vbcontrols::kCount); }
    std::shared_ptr<Control> Item(int position) override;
};

class ControlImpl final : public AdapterOf<Control, IdeInterface::VBControl> {
public:
    using AdapterOf::AdapterOf;
    std::string ProgId() override { return ReadText(ide::vbcontrol::kProgId); }
    std::shared_ptr<Properties> GetProperties() override {
        return Child<PropertiesImpl>(ide::vbcontrol::kProperties);
    }
    std::shared_ptr<Controls> ContainedVBControls() override {
        return Child<ControlsImpl>(ide::vbcontrol::kContainedVBControls, {}, IdeInterface::ContainedVBControls);
    }
};

std::shared_ptr<Control> ControlsImpl::Item(int position) {
    // The control-array index, the second argument, is left out altogether.
    UniqueVariant index = VariantOfShort(ToIndex(position));
    return Child<ControlImpl>(ide::vbcontrols::kItem, {&index});
}

class FormDesignerImpl final : public AdapterOf<FormDesigner, IdeInterface::VBForm> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<Controls> VBControls() override {
        return Child<ControlsImpl>(ide::vbform::kVBControls, {}, IdeInterface::VBControls);
    }
};

class ComponentImpl final : public AdapterOf<Component, IdeInterface::VBComponent> {
public:
    using AdapterOf::AdapterOf;
    std::int32_t Type() override { return ReadInt32(ide::vbcomponent::kType); }
    std::string Name() override { return ReadText(ide::vbcomponent::kName); }
    // The VBA editor's designers are UserForms, whose controls are reached another way.
    std::shared_ptr<FormDesigner> Designer() override {
        if (cache_->editor == Editor::kVba)
            return UserFormDesigner(AsRequiredDispatch(*Read(ide::vbcomponent::kDesigner).get()), cache_);
        return Child<FormDesignerImpl>(ide::vbcomponent::kDesigner);
    }
    std::shared_ptr<host::CodeModule> CodeModule() override {
        return CodeModuleOf(AsRequiredDispatch(*Read(ide::vbcomponent::kCodeModule).get()), cache_);
    }
};

class ComponentsImpl final : public AdapterOf<Components, IdeInterface::VBComponents> {
public:
    using AdapterOf::AdapterOf;
    int Count() override { return ReadInt32(ide::vbcomponents::kCount); }
    std::shared_ptr<Component> Item(int position) override {
        UniqueVariant index = VariantOfShort(ToIndex(position));
        return Child<ComponentImpl>(ide::vbcomponents::kItem, {&index});
    }
    std::shared_ptr<Component> Item(const std::string& name) override {
        UniqueVariant index = VariantOfText(name);
        return Child<ComponentImpl>(ide::vbcomponents::kItem, {&index});
    }
};

class ProjectImpl final : public AdapterOf<Project, IdeInterface::VBProject> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<Components> VBComponents() override { return Child<ComponentsImpl>(ide::vbproject::kVBComponents); }
};

class CommandBarControlImpl final : public AdapterOf<CommandBarControl, IdeInterface::CommandBarControl> {
public:
    using AdapterOf::AdapterOf;
    std::string Caption() override { return ReadText(ide::commandbarcontrol::kCaption); }
    void SetCaption(const std::string& caption) override {
        UniqueVariant value = VariantOfText(caption);
        Invoke(ide::commandbarcontrol::kCaption, DISPATCH_PROPERTYPUT, {&value});
    }
    void SetTag(const std::string& tag) override {
        UniqueVariant value = VariantOfText(tag);
        Invoke(ide::commandbarcontrol::kTag, DISPATCH_PROPERTYPUT, {&value});
    }
    void Delete() override { Invoke(ide::commandbarcontrol::kDelete, DISPATCH_METHOD); }
};

class CommandBarControlsImpl final : public AdapterOf<CommandBarControls, IdeInterface::CommandBarControls> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<CommandBarControl> Add(std::int16_t type) override {
        // Only the type: the host then puts a permanent item after the existing ones.
        UniqueVariant kind = VariantOfShort(type);
        UniqueVariant item = Invoke(ide::commandbarcontrols::kAdd, DISPATCH_METHOD, {&kind});
        return std::make_shared<CommandBarControlImpl>(AsRequiredDispatch(*item.get()), cache_);
    }
};

class CommandBarImpl final : public AdapterOf<CommandBar, IdeInterface::CommandBar> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<CommandBarControls> Controls() override {
        return Child<CommandBarControlsImpl>(ide::commandbar::kControls);
    }
};

class CommandBarsImpl final : public AdapterOf<CommandBars, IdeInterface::CommandBars> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<CommandBar> Item(const std::string& name) override {
        // A bar the IDE does not have is Nothing.
        UniqueVariant index = VariantOfText(name);
        auto bar = AsDispatch(*Read(ide::commandbars::kItem, {&index}).get());
        return bar ? std::make_shared<CommandBarImpl>(std::move(bar), cache_) : nullptr;
    }
};

// ---- click events ----

// The sink the event source calls. It holds the handler only; the source holds the sink
// (through its connection point), never the other way round.
// How a source raises Click: VBIDE's CommandBarEvents as Click(CommandBarControl, ByRef handled,
// ByRef CancelDefault), on _dispCommandBarControlEvents (VB6's or the VBA editor's); Office's
// button events as Click(Ctrl, ByRef CancelDefault), on _CommandBarButtonEvents.
struct ClickEvents {
    const IID& iid;
    UINT arguments;  // 3: with handled; 2: without
};
constexpr ClickEvents kVb6Clicks{ide::kIidCommandBarControlEvents, 3};
constexpr ClickEvents kButtonClicks{ide::kIidCommandBarButtonEvents, 2};

class ClickSink final : public winapi::DispatchObject<> {
public:
    ClickSink(Cache cache, ClickEvents events) : cache_(std::move(cache)), events_(events) {}

    void SetHandler(CommandBarEventSource::ClickHandler handler) {
        handler_ = std::make_shared<CommandBarEventSource::ClickHandler>(std::move(handler));
    }
    void ClearHandler() noexcept { handler_.reset(); }

    // IDispatch: the one member Click.
    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return winapi::IdsOfNames(std::span(kMembers), riid, names, count, ids);
    }
    IFACEMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                          UINT* argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (member != ide::clickevents::kClick.id) return DISP_E_MEMBERNOTFOUND;
        if (!params || !params->rgvarg) return E_INVALIDARG;
        if (params->cArgs != events_.arguments) return DISP_E_BADPARAMCOUNT;
        if (result) VariantInit(result);
        const UINT item = events_.arguments - 1;  // the clicked control comes first
        try {
            auto handler = handler_;  // the handler may replace or drop itself while it runs
            if (!handler || !*handler) return S_OK;
            std::shared_ptr<CommandBarControl> control;
            {
                UniqueVariant clicked;
                if (FAILED(VariantCopyInd(clicked.get(), &params->rgvarg[item]))) {
                    if (argError) *argError = item;
                    return DISP_E_TYPEMISMATCH;
                }
                if (auto object = AsDispatch(*clicked.get())) control = std::make_shared<CommandBarControlImpl>(std::move(object), cache_);
            }
            bool handled = item == 2 && ReadFlag(params->rgvarg[1]);
            bool cancelDefault = ReadFlag(params->rgvarg[0]);
            const bool handledBefore = handled, cancelBefore = cancelDefault;
            (*handler)(control, handled, cancelDefault);
            if (item == 2 && handled != handledBefore) WriteFlag(params->rgvarg[1], handled);
            if (cancelDefault != cancelBefore) WriteFlag(params->rgvarg[0], cancelDefault);
        } catch (...) {
            // A click never fails towards the IDE.
        }
        return S_OK;
    }

private:
    static constexpr winapi::DispatchMember kMembers[] = {ide::clickevents::kClick};

    ~ClickSink() override = default;
    void* InterfaceFor(REFIID iid) noexcept override {
        return winapi::FindInterface(iid, {{IID_IDispatch, static_cast<IDispatch*>(this)},
                                           {events_.iid, static_cast<IDispatch*>(this)}});
    }

    // The flags come as VT_BOOL|VT_BYREF; some hosts send VT_VARIANT|VT_BYREF or a plain value.
    static bool ReadFlag(const VARIANT& v) {
        if (v.vt == (VT_BOOL | VT_BYREF)) return v.pboolVal && *v.pboolVal != VARIANT_FALSE;
        UniqueVariant copy, converted;
        if (FAILED(VariantCopyInd(copy.get(), const_cast<VARIANT*>(&v)))) return false;
        if (FAILED(VariantChangeType(converted.get(), copy.get(), 0, VT_BOOL))) return false;
        return converted->boolVal != VARIANT_FALSE;
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

    Cache cache_;
    ClickEvents events_;
    std::shared_ptr<CommandBarEventSource::ClickHandler> handler_;
};

class EventSourceImpl final : public CommandBarEventSource, public NativeObject {
public:
    EventSourceImpl(ComPtr<IUnknown> source, Cache cache, ClickEvents events)
        : source_(std::move(source)), cache_(std::move(cache)), events_(events) {
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(source_.As(&container))) throw HostError(vb::kNoEvents);
        if (FAILED(container->FindConnectionPoint(events_.iid, &point_)) || !point_) throw HostError(vb::kNoEvents);
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
        ComPtr<ClickSink> sink = winapi::MakeComObject<ClickSink>(cache_, events_);
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
    ClickEvents events_;
    ComPtr<IConnectionPoint> point_;
    ComPtr<ClickSink> sink_;
    DWORD cookie_ = 0;
};

// The IDE's own object behind a menu item we were given. Handing the IDE an empty reference
// is not safe; it is refused here.
ComPtr<IDispatch> MenuItemObject(const std::shared_ptr<CommandBarControl>& control) {
    if (!control) throw HostError(vb::kInvalidCall);
    auto* native = dynamic_cast<NativeObject*>(control.get());
    if (!native || !native->Native()) throw HostError(vb::kTypeMismatch);
    ComPtr<IDispatch> item;
    if (FAILED(native->Native()->QueryInterface(IID_PPV_ARGS(&item)))) throw HostError(vb::kTypeMismatch);
    return item;
}

// The VBA editor's click path: the button's own events. VBE.Events is never read there, as
// using it crashes 64-bit VBA.
class ButtonEventsImpl final : public Events {
public:
    explicit ButtonEventsImpl(Cache cache) : cache_(std::move(cache)) {}
    std::shared_ptr<CommandBarEventSource> CommandBarEvents(const std::shared_ptr<CommandBarControl>& control) override {
        return std::make_shared<EventSourceImpl>(MenuItemObject(control), cache_, kButtonClicks);
    }

private:
    Cache cache_;
};

class EventsImpl final : public AdapterOf<Events, IdeInterface::Events> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<CommandBarEventSource> CommandBarEvents(const std::shared_ptr<CommandBarControl>& control) override {
        ComPtr<IDispatch> item = MenuItemObject(control);
        UniqueVariant argument = VariantOfObject(item.Get());
        UniqueVariant result = Read(ide::events::kCommandBarEvents, {&argument});
        // Its default interface has no members, so the IDE may answer with an IUnknown.
        ComPtr<IUnknown> source;
        const VARIANT* v = result.get();
        if (v->vt == VT_UNKNOWN)
            source = v->punkVal;
        else if (v->vt == VT_DISPATCH)
            source = v->pdispVal;
        else if (v->vt != VT_EMPTY && v->vt != VT_NULL)
            throw HostError(vb::kTypeMismatch);
        if (!source) throw HostError(vb::kObjectNotSet);
        return std::make_shared<EventSourceImpl>(std::move(source), cache_, kVb6Clicks);
    }
};

class RootImpl final : public AdapterOf<Root, IdeInterface::VBE> {
public:
    using AdapterOf::AdapterOf;
    Editor Kind() override { return cache_->editor; }
    std::shared_ptr<Project> ActiveVBProject() override {
        return Child<ProjectImpl>(ide::vbe::kActiveVBProject);
    }
    std::shared_ptr<host::CommandBars> CommandBars() override { return Child<CommandBarsImpl>(ide::vbe::kCommandBars); }
    std::shared_ptr<host::Events> Events() override {
        if (cache_->editor == Editor::kVba) return std::make_shared<ButtonEventsImpl>(cache_);
        return Child<EventsImpl>(ide::vbe::kEvents);
    }
};

}  // namespace

std::shared_ptr<Root> RootFromDispatch(IDispatch* application) {
    if (!application) throw HostError(vb::kObjectNotSet);
    // The editor is known by its root's interface, VB6's VBE or the VBA editor's; both are
    // dual, so what the query answers is itself an IDispatch.
    auto cache = std::make_shared<DispatchCache>();
    ComPtr<IDispatch> root;
    if (FAILED(application->QueryInterface(ide::kIidVbe, reinterpret_cast<void**>(root.GetAddressOf()))) || !root) {
        root.Reset();
        if (FAILED(application->QueryInterface(ide::kIidVbaVbe, reinterpret_cast<void**>(root.GetAddressOf()))) || !root)
            throw HostError(vb::kTypeMismatch);
        cache->editor = Editor::kVba;
    }
    return std::make_shared<RootImpl>(std::move(root), std::move(cache));
}

std::shared_ptr<CommandBarEventSource> EventSourceFromUnknown(IUnknown* source) {
    if (!source) throw HostError(vb::kObjectNotSet);
    return std::make_shared<EventSourceImpl>(ComPtr<IUnknown>(source), std::make_shared<DispatchCache>(), kVb6Clicks);
}

}  // namespace tolvane::host::com
