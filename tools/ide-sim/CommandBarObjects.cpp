// Office's command bars as the IDE serves them (CommandBars, CommandBar, CommandBarControls,
// CommandBarControl: the menu items), and VBE.Events, which hands out a menu item's click
// event source.
#include <climits>
#include <cstdint>

#include "tools/ide-sim/Served.h"

namespace tolvane::idesim {

namespace {

using host::HostError;

void Caption(const Call<host::CommandBarControl>& call) {
    if (call.access != Access::Put) {
        call.args.AtMost(0);
        return ReturnText(call.result, call.object.Caption());
    }
    const std::string caption = ToText(call.args.PutValue(), 0);
    Note(call.state, "CommandBarControl.Caption=" + caption);
    call.object.SetCaption(caption);
}

// Tag is only put here.
void Tag(const Call<host::CommandBarControl>& call) {
    if (call.access != Access::Put) throw Refusal{DISP_E_MEMBERNOTFOUND};
    const std::string tag = ToText(call.args.PutValue(), 0);
    Note(call.state, "CommandBarControl.Tag=" + tag);
    call.object.SetTag(tag);
}

const Member<host::CommandBarControl> kMenuItemMembers[] = {
    {ide::commandbarcontrol::kCaption, MemberKind::PutProperty, 1, Caption},
    {ide::commandbarcontrol::kTag, MemberKind::PutProperty, 1, Tag},
    // Delete([Temporary]): every item here is as temporary as the session.
    {ide::commandbarcontrol::kDelete, MemberKind::Method, 1, [](const auto& call) { call.object.Delete(); }},
};

// A menu item keeps one served object while that is alive, so that the item keeps its identity.
class MenuItemObject final : public ServedOf<host::CommandBarControl> {
public:
    MenuItemObject(State state, std::shared_ptr<host::CommandBarControl> item)
        : ServedOf(std::move(state), "CommandBarControl", kMenuItemMembers, std::move(item)) {
        state_->items[Object().get()] = static_cast<IDispatch*>(this);
    }
    std::shared_ptr<host::CommandBarControl> MenuItem() const override { return Object(); }

    // In the VBA editor a button raises its own click events (Office's _CommandBarButtonEvents):
    // it answers their connection point container, an object of its own.
    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IConnectionPointContainer || state_->editor != host::Editor::kVba)
            return ServedOf::QueryInterface(iid, object);
        if (!object) return E_POINTER;
        *object = nullptr;
        try {
            if (!events_) events_ = ServeButtonEvents(state_, state_->root->Events()->CommandBarEvents(Object()));
        } catch (...) {
            return E_NOINTERFACE;
        }
        return events_.CopyTo(reinterpret_cast<IConnectionPointContainer**>(object));
    }

private:
    ~MenuItemObject() override { state_->items.erase(Object().get()); }

    winapi::ComPtr<IConnectionPointContainer> events_;
};

// Add([Type], [Id], [Parameter], [Before], [Temporary]); only Type means anything here.
void AddMenuItem(const Call<host::CommandBarControls>& call) {
    std::int32_t type = 1;  // msoControlButton
    if (!call.args.Missing(0)) type = ToInt32(call.args.Get(0), 0);
    if (type < SHRT_MIN || type > SHRT_MAX) throw HostError(vb::kOverflow);
    auto item = call.object.Add(static_cast<std::int16_t>(type));
    if (!item) throw HostError("Method 'Add' of object 'CommandBarControls' failed");
    ReturnObject(call.result, Serve(call.state, std::move(item)));
}

const Member<host::CommandBarControls> kMenuItemsMembers[] = {
    {ide::commandbarcontrols::kAdd, MemberKind::Method, 5, AddMenuItem}};

const Member<host::CommandBar> kBarMembers[] = {
    {ide::commandbar::kControls, MemberKind::Property, 0, RequiredChild<host::CommandBar, &host::CommandBar::Controls>},
    {ide::commandbar::kName, MemberKind::Property, 0, [](const auto& call) { ReturnText(call.result, call.name); }},
};

// A bar the host does not have is Nothing, as the host interface answers it.
void BarByName(const Call<host::CommandBars>& call) {
    const std::string name = ToText(call.args.Get(0), 0);
    ReturnObject(call.result, Serve(call.state, call.object.Item(name), name));
}

const Member<host::CommandBars> kBarsMembers[] = {{ide::commandbars::kItem, MemberKind::Property, 1, BarByName}};

// Only a menu item this IDE served can have click events; Empty is no item.
std::shared_ptr<host::CommandBarControl> MenuItemOf(const UniqueVariant& argument) {
    const VARIANT& v = *argument.get();
    if (v.vt == VT_EMPTY) return nullptr;
    if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) throw Refusal{DISP_E_TYPEMISMATCH, 0};
    IUnknown* given = v.vt == VT_DISPATCH ? v.pdispVal : v.punkVal;
    if (!given) return nullptr;
    ServedObject* served = nullptr;
    const auto keep = ServedObject::Recognise(given, served);
    auto item = served ? served->MenuItem() : nullptr;
    if (!item) throw Refusal{DISP_E_TYPEMISMATCH, 0};
    return item;
}

// CommandBarEvents(menu item): the item's click event source.
void ClickEventsOf(const Call<host::Events>& call) {
    auto source = Required(call.object.CommandBarEvents(MenuItemOf(call.args.Get(0))));
    winapi::ComPtr<IDispatch> object = Serve(call.state, std::move(source));
    if (!call.result) return;
    if (call.state->options.eventSourceAsUnknown) {
        call.result->vt = VT_UNKNOWN;
        call.result->punkVal = object.Detach();
    } else {
        ReturnObject(call.result, object);
    }
}

const Member<host::Events> kEventsMembers[] = {{ide::events::kCommandBarEvents, MemberKind::Property, 1, ClickEventsOf}};

}  // namespace

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBarControl> item) {
    if (!item) return nullptr;
    if (auto found = state->items.find(item.get()); found != state->items.end())
        return winapi::ComPtr<IDispatch>(found->second);
    return MakeServed<MenuItemObject>(state, std::move(item));
}

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBarControls> items) {
    return ServeWith<host::CommandBarControls>(state, "CommandBarControls", kMenuItemsMembers, std::move(items));
}

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBar> bar, std::string name) {
    return ServeWith<host::CommandBar>(state, "CommandBar", kBarMembers, std::move(bar), std::move(name));
}

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBars> bars) {
    return ServeWith<host::CommandBars>(state, "CommandBars", kBarsMembers, std::move(bars));
}

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::Events> events) {
    return ServeWith<host::Events>(state, "Events", kEventsMembers, std::move(events));
}

}  // namespace tolvane::idesim
