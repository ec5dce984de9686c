// The COM class Connect: reference counting, the two IDispatch halves, and the members of
// _Connect and _IDTExtensibility2, each a thin call into tolvane::Connect inside one boundary.
#include "connect/server/ConnectObject.h"

#include <oleauto.h>

#include <span>
#include <string_view>

#include "connect/server/ComSupport.h"
#include "host/com/ComHost.h"
#include "vb/Errors.h"
#include "winapi/Com.h"
#include "winapi/Text.h"

namespace tolvane::server {

namespace {

namespace ide = winapi::ide;
namespace events = winapi::ide::extensibility;

// The COM object behind an adapter object, queried for the interface the property declares.
// An empty member gives Nothing.
template <class T, class Interface>
HRESULT NativeAs(const std::shared_ptr<T>& object, REFIID iid, Interface** out) {
    *out = nullptr;
    if (!object) return S_OK;
    auto* native = dynamic_cast<host::com::NativeObject*>(object.get());
    if (!native || !native->Native()) throw ComError(E_UNEXPECTED, "the object did not come from the IDE");
    return native->Native()->QueryInterface(iid, reinterpret_cast<void**>(out));
}

// Property get of an object property: the IDE's object behind what `read` gives, or Nothing.
template <class Interface, class Read>
HRESULT GetIdeObject(REFIID iid, Interface** value, Read read) noexcept {
    if (!value) return E_POINTER;
    *value = nullptr;
    return ComBoundary(IID__Connect, [&] { return NativeAs(read(), iid, value); });
}

// Property put by reference: `keep` gets the adapter `wrap` makes over the IDE's object, or
// null for Nothing. An object the adapter cannot use is an invalid argument.
template <class Wrap, class Keep>
HRESULT PutIdeObject(IUnknown* value, Wrap wrap, Keep keep) noexcept {
    return ComBoundary(IID__Connect, [&] {
        decltype(wrap()) adapter;
        try {
            if (value) adapter = wrap();
        } catch (const host::HostError& e) {
            throw ComError(E_INVALIDARG, e.what());
        }
        keep(std::move(adapter));
        return S_OK;
    });
}

// The five events, each with how many arguments it takes.
struct EventMember : winapi::DispatchMember {
    UINT argumentCount;
};

constexpr EventMember kEvents[] = {
    {events::kOnConnection, 4},     {events::kOnDisconnection, 2}, {events::kOnAddInsUpdate, 1},
    {events::kOnStartupComplete, 1}, {events::kOnBeginShutdown, 1},
};

}  // namespace

// ---- creation and identity ----

HRESULT ConnectObject::Create(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return ComBoundary(IID__Connect, [&]() -> HRESULT {
        auto* object = new ConnectObject(ModuleServices());
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();  // the creation reference; the caller's QI reference remains
        return hr;
    });
}

void* ConnectObject::InterfaceFor(REFIID iid) noexcept {
    auto* connect = static_cast<_Connect*>(this);
    return winapi::FindInterface(iid, {{IID__Connect, connect},
                                       {IID_IDispatch, connect},
                                       {IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this)},
                                       {ide::kIidExtensibility2, static_cast<ide::IDTExtensibility2*>(&extensibility_)}});
}

// ---- IDispatch of _Connect ----

IFACEMETHODIMP ConnectObject::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

IFACEMETHODIMP ConnectObject::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    return ComBoundary(IID__Connect, [&] {
        ITypeInfo& info = ConnectTypeInfo();
        info.AddRef();
        *ppTInfo = &info;
        return S_OK;
    });
}

IFACEMETHODIMP ConnectObject::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return ComBoundary(IID__Connect, [&] { return ConnectTypeInfo().GetIDsOfNames(rgszNames, cNames, rgDispId); });
}

IFACEMETHODIMP ConnectObject::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return ComBoundary(IID__Connect, [&] {
        return ConnectTypeInfo().Invoke(static_cast<_Connect*>(this), dispIdMember, wFlags, pDispParams, pVarResult,
                                        pExcepInfo, puArgErr);
    });
}

// ---- _Connect ----

IFACEMETHODIMP ConnectObject::get_FormDisplayed(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = connect_.FormDisplayed() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

IFACEMETHODIMP ConnectObject::put_FormDisplayed(VARIANT_BOOL value) {
    connect_.SetFormDisplayed(value != VARIANT_FALSE);
    return S_OK;
}

IFACEMETHODIMP ConnectObject::get_VBInstance(VBE** value) {
    return GetIdeObject(ide::kIidVbe, value, [&] { return connect_.VBInstance(); });
}

IFACEMETHODIMP ConnectObject::get_MenuHandler(CommandBarEvents** value) {
    return GetIdeObject(ide::kIidCommandBarEvents, value, [&] { return connect_.MenuHandler(); });
}

IFACEMETHODIMP ConnectObject::putref_VBInstance(VBE* value) {
    return PutIdeObject(value, [&] { return host::com::RootFromDispatch(value); },
                        [&](std::shared_ptr<host::Root> root) { connect_.SetVBInstance(std::move(root)); });
}

IFACEMETHODIMP ConnectObject::putref_MenuHandler(CommandBarEvents* value) {
    return PutIdeObject(value, [&] { return host::com::EventSourceFromUnknown(value); },
                        [&](std::shared_ptr<host::CommandBarEventSource> source) { connect_.SetMenuHandler(std::move(source)); });
}

// Placeholders for the vtable slots of the by-value assignments: objects are assigned by
// reference only.
IFACEMETHODIMP ConnectObject::VBInstanceByValueSlot() { return E_NOTIMPL; }
IFACEMETHODIMP ConnectObject::MenuHandlerByValueSlot() { return E_NOTIMPL; }

IFACEMETHODIMP ConnectObject::Hide() {
    return ComBoundary(IID__Connect, [&] {
        connect_.Hide();
        return S_OK;
    });
}

IFACEMETHODIMP ConnectObject::Show() {
    return ComBoundary(IID__Connect, [&] {
        connect_.Show();
        return S_OK;
    });
}

IFACEMETHODIMP ConnectObject::AddToAddInCommandBar(BSTR* sCaption, CommandBarControl** result) {
    if (!sCaption || !result) return E_POINTER;
    *result = nullptr;
    return ComBoundary(IID__Connect, [&] {
        const std::string caption = winapi::BstrToUtf8(*sCaption);
        const auto item = connect_.AddToAddInCommandBar(caption);
        return NativeAs(item, ide::kIidCommandBarControl, result);
    });
}

// ---- ISupportErrorInfo ----

IFACEMETHODIMP ConnectObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return (riid == IID__Connect || riid == ide::kIidExtensibility2) ? S_OK : S_FALSE;
}

// ---- _IDTExtensibility2 ----

IFACEMETHODIMP ConnectObject::Extensibility::OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch*,
                                                          SAFEARRAY**) {
    // The IDE is always told success: Connect reports its own failures in a message box.
    ComBoundary(ide::kIidExtensibility2, [&] {
        connect_.AddinInstance_OnConnection(
            [Application]() -> std::shared_ptr<host::Root> {
                if (!Application) throw host::HostError(vb::kObjectNotSet);
                return host::com::RootFromDispatch(Application);
            },
            static_cast<std::int32_t>(ConnectMode));
        return S_OK;
    });
    return S_OK;
}

IFACEMETHODIMP ConnectObject::Extensibility::OnDisconnection(LONG RemoveMode, SAFEARRAY**) {
    ComBoundary(ide::kIidExtensibility2, [&] {
        connect_.AddinInstance_OnDisconnection(static_cast<std::int32_t>(RemoveMode));
        return S_OK;
    });
    return S_OK;
}

IFACEMETHODIMP ConnectObject::Extensibility::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }
IFACEMETHODIMP ConnectObject::Extensibility::OnStartupComplete(SAFEARRAY**) { return S_OK; }
IFACEMETHODIMP ConnectObject::Extensibility::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

IFACEMETHODIMP ConnectObject::Extensibility::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                                           DISPID* rgDispId) {
    return winapi::IdsOfNames(std::span(kEvents), riid, rgszNames, cNames, rgDispId);
}

IFACEMETHODIMP ConnectObject::Extensibility::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                                    DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*,
                                                    UINT* puArgErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!pDispParams) return E_POINTER;
    if (!(wFlags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (pDispParams->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (pVarResult) VariantInit(pVarResult);  // the events return nothing
    return ComBoundary(ide::kIidExtensibility2, [&] { return InvokeEvent(dispIdMember, *pDispParams, puArgErr); });
}

HRESULT ConnectObject::Extensibility::InvokeEvent(DISPID dispIdMember, DISPPARAMS& params, UINT* puArgErr) {
    const EventMember* event = winapi::FindMember(std::span(kEvents), dispIdMember);
    if (!event) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != event->argumentCount) return DISP_E_BADPARAMCOUNT;

    // `custom` is not used by any event, so it is not coerced (and cannot be rejected).
    switch (dispIdMember) {
        case events::kOnConnection.id: {
            winapi::UniqueVariant application;
            winapi::UniqueVariant mode;
            HRESULT hr = DispGetParam(&params, 0, VT_DISPATCH, application.get(), puArgErr);
            if (FAILED(hr)) return hr;
            hr = DispGetParam(&params, 1, VT_I4, mode.get(), puArgErr);
            if (FAILED(hr)) return hr;
            return OnConnection(V_DISPATCH(application.get()), V_I4(mode.get()), nullptr, nullptr);
        }
        case events::kOnDisconnection.id: {
            winapi::UniqueVariant mode;
            const HRESULT hr = DispGetParam(&params, 0, VT_I4, mode.get(), puArgErr);
            if (FAILED(hr)) return hr;
            return OnDisconnection(V_I4(mode.get()), nullptr);
        }
        case events::kOnAddInsUpdate.id:
            return OnAddInsUpdate(nullptr);
        case events::kOnStartupComplete.id:
            return OnStartupComplete(nullptr);
        default:
            return OnBeginShutdown(nullptr);
    }
}

}  // namespace tolvane::server
