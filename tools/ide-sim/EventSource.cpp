// What Events.CommandBarEvents returns: the member-less CommandBarEvents object with one
// connection point for the click events (_dispCommandBarControlEvents). While a sink is
// advised, the host's event source delivers each click, and the object raises Click on every
// sink as the IDE does.
#include <algorithm>
#include <new>

#include <ocidl.h>
#include <olectl.h>

#include "tools/ide-sim/Served.h"

namespace tolvane::idesim {

namespace {

// The interface of a source's connection point, and whether its Click passes `handled`:
// VBIDE's CommandBarEvents (VB6's or the VBA editor's) raise Click(control, handled,
// CancelDefault), a button's own events Click(control, CancelDefault).
struct ClickInterface {
    const IID& iid;
    bool withHandled;
};

struct SinkList {
    std::vector<std::pair<DWORD, winapi::ComPtr<IDispatch>>> sinks;
    DWORD nextCookie = 1;
};

// A flag passed by reference: VT_BOOL|VT_BYREF, or VT_VARIANT|VT_BYREF around a VT_BOOL.
class FlagArgument {
public:
    FlagArgument(bool value, bool asVariant) : flag_(value ? VARIANT_TRUE : VARIANT_FALSE), asVariant_(asVariant) {}
    VARIANT Argument() {
        VARIANT argument{};
        if (asVariant_) {
            boxed_.vt = VT_BOOL;
            boxed_.boolVal = flag_;
            argument.vt = VT_VARIANT | VT_BYREF;
            argument.pvarVal = &boxed_;
        } else {
            argument.vt = VT_BOOL | VT_BYREF;
            argument.pboolVal = &flag_;
        }
        return argument;
    }
    // What the sink left, for the next sink.
    void Collect() {
        if (asVariant_) flag_ = boxed_.vt == VT_BOOL ? boxed_.boolVal : flag_;
    }
    bool Value() const { return flag_ != VARIANT_FALSE; }

private:
    VARIANT_BOOL flag_;
    VARIANT boxed_{};
    bool asVariant_;
};

// Raises Click on each sink as the IDE does: the item, then handled and CancelDefault by
// reference, each sink seeing what the ones before it left.
void FireClick(const State& state, const std::shared_ptr<SinkList>& list, bool withHandled,
               const std::shared_ptr<host::CommandBarControl>& item, bool& handled, bool& cancelDefault) {
    const auto sinks = list->sinks;  // a sink may unadvise while it runs
    winapi::ComPtr<IDispatch> control = Serve(state, item);
    const bool asVariants = state->options.clickFlagsAsVariants;
    FlagArgument handledFlag(handled, asVariants), cancelFlag(cancelDefault, asVariants);
    for (const auto& [cookie, sink] : sinks) {
        const UINT count = withHandled ? 3 : 2;
        VARIANT args[3] = {cancelFlag.Argument(), handledFlag.Argument(), {}};
        args[count - 1] = VARIANT{};
        args[count - 1].vt = VT_DISPATCH;
        args[count - 1].pdispVal = control.Get();  // borrowed for the call
        DISPPARAMS params{args, nullptr, count, 0};
        state->journal.push_back({"Click->sink " + std::to_string(cookie), 0, {}, {}});
        winapi::UniqueExcepInfo error;
        const HRESULT hr = sink->Invoke(ide::clickevents::kClick.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &params, nullptr, error.get(), nullptr);
        if (FAILED(hr)) state->failedClicks.push_back(hr);
        handledFlag.Collect();
        cancelFlag.Collect();
    }
    handled = handledFlag.Value();
    cancelDefault = cancelFlag.Value();
}

class EventSourceObject final : public ServedOf<host::CommandBarEventSource>, public IConnectionPointContainer {
public:
    EventSourceObject(State state, std::shared_ptr<host::CommandBarEventSource> source, const char* kind,
                      ClickInterface events)
        : ServedOf(std::move(state), kind, {}, std::move(source)), events_(events), list_(std::make_shared<SinkList>()),
          point_(*this) {}

    // IUnknown through the container face
    IFACEMETHODIMP QueryInterface(REFIID riid, void** object) override { return ServedOf::QueryInterface(riid, object); }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ServedOf::AddRef(); }
    IFACEMETHODIMP_(ULONG) Release() override { return ServedOf::Release(); }

    // IConnectionPointContainer
    IFACEMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points) *points = nullptr;
        return E_NOTIMPL;
    }
    IFACEMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = nullptr;
        if (riid != events_.iid) return CONNECT_E_NOCONNECTION;
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
                Object()->SetClickHandler({});
            } catch (...) {
                // The host's source is about to be released anyway.
            }
        }
    }

    void* InterfaceFor(REFIID iid) noexcept override {
        if (void* face = ServedObject::InterfaceFor(iid)) return face;
        return winapi::FindInterface(iid, {{ide::kIidCommandBarEvents, static_cast<IDispatch*>(this)},
                                           {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)}});
    }

    HRESULT Advise(IUnknown* unknown, DWORD* cookie);
    HRESULT Unadvise(DWORD cookie);

    // The connection point: an object of its own for COM, alive as long as its container.
    class Point final : public IConnectionPoint {
    public:
        explicit Point(EventSourceObject& outer) : outer_(outer) {}
        IFACEMETHODIMP QueryInterface(REFIID riid, void** object) override {
            if (!object) return E_POINTER;
            *object = winapi::FindInterface(riid, {{IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}});
            if (!*object) return E_NOINTERFACE;
            AddRef();
            return S_OK;
        }
        IFACEMETHODIMP_(ULONG) AddRef() override { return outer_.AddRef(); }
        IFACEMETHODIMP_(ULONG) Release() override { return outer_.Release(); }
        IFACEMETHODIMP GetConnectionInterface(IID* iid) override {
            if (!iid) return E_POINTER;
            *iid = outer_.events_.iid;
            return S_OK;
        }
        IFACEMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
            if (!container) return E_POINTER;
            *container = &outer_;
            outer_.AddRef();
            return S_OK;
        }
        IFACEMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override { return outer_.Advise(sink, cookie); }
        IFACEMETHODIMP Unadvise(DWORD cookie) override { return outer_.Unadvise(cookie); }
        IFACEMETHODIMP EnumConnections(IEnumConnections** connections) override {
            if (connections) *connections = nullptr;
            return E_NOTIMPL;
        }

    private:
        EventSourceObject& outer_;
    };

    ClickInterface events_;
    std::shared_ptr<SinkList> list_;
    Point point_;
};

HRESULT EventSourceObject::Advise(IUnknown* unknown, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!unknown) return E_POINTER;
    // The sink must answer the events interface, as the IDE's connection point demands.
    winapi::ComPtr<IDispatch> sink;
    if (FAILED(unknown->QueryInterface(events_.iid, reinterpret_cast<void**>(sink.GetAddressOf()))) ||
        !sink)
        return CONNECT_E_CANNOTCONNECT;
    try {
        if (list_->sinks.empty()) {
            std::weak_ptr<SinkList> weak = list_;
            std::weak_ptr<SimulatorState> state = state_;
            const bool withHandled = events_.withHandled;
            Object()->SetClickHandler([weak, state, withHandled](const std::shared_ptr<host::CommandBarControl>& item,
                                                                bool& handled, bool& cancelDefault) {
                auto list = weak.lock();
                auto alive = state.lock();
                if (list && alive) FireClick(alive, list, withHandled, item, handled, cancelDefault);
            });
        }
        const DWORD given = list_->nextCookie++;
        list_->sinks.emplace_back(given, sink);
        *cookie = given;
        ++state_->advised;
        Note(state_, std::string(kind_) + ".Advise");
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT EventSourceObject::Unadvise(DWORD cookie) {
    auto& sinks = list_->sinks;
    auto found = std::find_if(sinks.begin(), sinks.end(), [&](const auto& each) { return each.first == cookie; });
    if (found == sinks.end()) return CONNECT_E_NOCONNECTION;
    winapi::ComPtr<IDispatch> leaving = found->second;  // released after the list is consistent
    sinks.erase(found);
    --state_->advised;
    Note(state_, std::string(kind_) + ".Unadvise");
    if (sinks.empty()) {
        try {
            Object()->SetClickHandler({});
        } catch (...) {
            // Nothing is advised: a delivery that still comes finds no sink.
        }
    }
    return S_OK;
}

}  // namespace

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CommandBarEventSource> source) {
    if (!source) return nullptr;
    const bool vba = state->editor == host::Editor::kVba;
    return MakeServed<EventSourceObject>(state, std::move(source), "CommandBarEvents",
                                         ClickInterface{vba ? ide::kIidVbaCommandBarControlEvents : ide::kIidCommandBarControlEvents, true});
}

winapi::ComPtr<IConnectionPointContainer> ServeButtonEvents(const State& state,
                                                           std::shared_ptr<host::CommandBarEventSource> source) {
    if (!source) return nullptr;
    auto object = winapi::MakeComObject<EventSourceObject>(state, std::move(source), "CommandBarButton",
                                                           ClickInterface{ide::kIidCommandBarButtonEvents, false});
    return winapi::ComPtr<IConnectionPointContainer>(static_cast<IConnectionPointContainer*>(object.Get()));
}

}  // namespace tolvane::idesim
