// The COM class Connect: reference counting, the two IDispatch halves, and the members of
// _Connect and _IDTExtensibility2, each a thin call into tolvane::Connect inside one boundary.
#include "connect/server/ConnectObject.h"

#include <oleauto.h>

#include <array>
#include <new>
#include <string_view>

#include "connect/server/ComSupport.h"
#include "connect/server/Module.h"
#include "host/com/ComHost.h"
#include "vb/Errors.h"

using Microsoft::WRL::ComPtr;

namespace tolvane::server {

namespace {

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

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

struct EventName {
    const wchar_t* name;
    DISPID id;
    UINT argumentCount;
};

constexpr std::array<EventName, 5> kEvents = {{
    {L"OnConnection", kDispOnConnection, 4},
    {L"OnDisconnection", kDispOnDisconnection, 2},
    {L"OnAddInsUpdate", kDispOnAddInsUpdate, 1},
    {L"OnStartupComplete", kDispOnStartupComplete, 1},
    {L"OnBeginShutdown", kDispOnBeginShutdown, 1},
}};

}  // namespace

// ---- creation and lifetime ----

ConnectObject::ConnectObject(ConnectServices services) : connect_(std::move(services)) { ModuleAddRef(); }

ConnectObject::~ConnectObject() { ModuleRelease(); }

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

// ---- IUnknown ----

IFACEMETHODIMP ConnectObject::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Connect) {
        *ppv = static_cast<_Connect*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *ppv = static_cast<ISupportErrorInfo*>(this);
    } else if (riid == kIID_IDTExtensibility2) {
        *ppv = static_cast<IDTExtensibility2*>(&extensibility_);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

IFACEMETHODIMP_(ULONG) ConnectObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

IFACEMETHODIMP_(ULONG) ConnectObject::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

// ---- IDispatch of _Connect ----

ITypeInfo& ConnectObject::TypeInfo() {
    if (!typeInfo_) {
        ComPtr<ITypeLib> library;
        ThrowIfFailed(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library),
                      "loading the type library of Quenlow_AddIn.dll");
        ThrowIfFailed(library->GetTypeInfoOfGuid(IID__Connect, &typeInfo_), "finding _Connect in the type library");
    }
    return *typeInfo_.Get();
}

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
        ITypeInfo& info = TypeInfo();
        info.AddRef();
        *ppTInfo = &info;
        return S_OK;
    });
}

IFACEMETHODIMP ConnectObject::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return ComBoundary(IID__Connect, [&] { return TypeInfo().GetIDsOfNames(rgszNames, cNames, rgDispId); });
}

IFACEMETHODIMP ConnectObject::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return ComBoundary(IID__Connect, [&] {
        return TypeInfo().Invoke(static_cast<_Connect*>(this), dispIdMember, wFlags, pDispParams, pVarResult,
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
    if (!value) return E_POINTER;
    *value = nullptr;
    return ComBoundary(IID__Connect, [&] {
        const auto root = connect_.VBInstance();
        return NativeAs(root, IID_VBE, value);
    });
}

// Placeholders for the vtable slots of the by-value assignments: objects are assigned by
// reference only.
IFACEMETHODIMP ConnectObject::VBInstanceByValueSlot() { return E_NOTIMPL; }
IFACEMETHODIMP ConnectObject::MenuHandlerByValueSlot() { return E_NOTIMPL; }

IFACEMETHODIMP ConnectObject::putref_VBInstance(VBE* value) {
    return ComBoundary(IID__Connect, [&] {
        if (!value) {
            connect_.SetVBInstance(nullptr);
            return S_OK;
        }
        std::shared_ptr<host::Root> root;
        try {
            root = host::com::RootFromDispatch(value);
        } catch (const host::HostError& e) {
            throw ComError(E_INVALIDARG, e.what());
        }
        connect_.SetVBInstance(std::move(root));
        return S_OK;
    });
}

IFACEMETHODIMP ConnectObject::get_MenuHandler(CommandBarEvents** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return ComBoundary(IID__Connect, [&] {
        const auto source = connect_.MenuHandler();
        return NativeAs(source, IID_CommandBarEvents, value);
    });
}

IFACEMETHODIMP ConnectObject::putref_MenuHandler(CommandBarEvents* value) {
    return ComBoundary(IID__Connect, [&] {
        if (!value) {
            connect_.SetMenuHandler(nullptr);
            return S_OK;
        }
        std::shared_ptr<host::CommandBarEventSource> source;
        try {
            source = host::com::EventSourceFromUnknown(value);
        } catch (const host::HostError& e) {
            throw ComError(E_INVALIDARG, e.what());
        }
        connect_.SetMenuHandler(std::move(source));
        return S_OK;
    });
}

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
        const UINT length = *sCaption ? SysStringLen(*sCaption) : 0;
        const std::string caption = WideToUtf8(std::wstring_view(*sCaption ? *sCaption : L"", length));
        const auto item = connect_.AddToAddInCommandBar(caption);
        return NativeAs(item, IID_CommandBarControl, result);
    });
}

// ---- ISupportErrorInfo ----

IFACEMETHODIMP ConnectObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return (riid == IID__Connect || riid == kIID_IDTExtensibility2) ? S_OK : S_FALSE;
}

// ---- _IDTExtensibility2 ----

IFACEMETHODIMP ConnectObject::Extensibility::OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch*,
                                                          SAFEARRAY**) {
    // The IDE is always told success: Connect reports its own failures in a message box.
    ComBoundary(kIID_IDTExtensibility2, [&] {
        outer_.connect_.AddinInstance_OnConnection(
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
    ComBoundary(kIID_IDTExtensibility2, [&] {
        outer_.connect_.AddinInstance_OnDisconnection(static_cast<std::int32_t>(RemoveMode));
        return S_OK;
    });
    return S_OK;
}

IFACEMETHODIMP ConnectObject::Extensibility::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }
IFACEMETHODIMP ConnectObject::Extensibility::OnStartupComplete(SAFEARRAY**) { return S_OK; }
IFACEMETHODIMP ConnectObject::Extensibility::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

// Hand-written IDispatch: no type information, the five event names, positional arguments.

IFACEMETHODIMP ConnectObject::Extensibility::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

IFACEMETHODIMP ConnectObject::Extensibility::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

IFACEMETHODIMP ConnectObject::Extensibility::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                                           DISPID* rgDispId) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0) return S_OK;
    if (!rgszNames || !rgDispId) return E_POINTER;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    if (!rgszNames[0]) return DISP_E_UNKNOWNNAME;
    for (const EventName& event : kEvents) {
        if (EqualsIgnoringAsciiCase(rgszNames[0], event.name)) {
            rgDispId[0] = event.id;
            // Arguments are taken by position only, so parameter names are not known.
            return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

IFACEMETHODIMP ConnectObject::Extensibility::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                                    DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*,
                                                    UINT* puArgErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!pDispParams) return E_POINTER;
    if (!(wFlags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (pDispParams->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (pVarResult) VariantInit(pVarResult);  // the events return nothing
    return ComBoundary(kIID_IDTExtensibility2, [&] { return InvokeEvent(dispIdMember, *pDispParams, puArgErr); });
}

HRESULT ConnectObject::Extensibility::InvokeEvent(DISPID dispIdMember, DISPPARAMS& params, UINT* puArgErr) {
    const EventName* event = nullptr;
    for (const EventName& candidate : kEvents)
        if (candidate.id == dispIdMember) event = &candidate;
    if (!event) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != event->argumentCount) return DISP_E_BADPARAMCOUNT;

    // `custom` is not used by any event, so it is not coerced (and cannot be rejected).
    switch (dispIdMember) {
        case kDispOnConnection: {
            Variant application;
            Variant mode;
            HRESULT hr = DispGetParam(&params, 0, VT_DISPATCH, application.Get(), puArgErr);
            if (FAILED(hr)) return hr;
            hr = DispGetParam(&params, 1, VT_I4, mode.Get(), puArgErr);
            if (FAILED(hr)) return hr;
            return OnConnection(V_DISPATCH(application.Get()), V_I4(mode.Get()), nullptr, nullptr);
        }
        case kDispOnDisconnection: {
            Variant mode;
            const HRESULT hr = DispGetParam(&params, 0, VT_I4, mode.Get(), puArgErr);
            if (FAILED(hr)) return hr;
            return OnDisconnection(V_I4(mode.Get()), nullptr);
        }
        case kDispOnAddInsUpdate:
            return OnAddInsUpdate(nullptr);
        case kDispOnStartupComplete:
            return OnStartupComplete(nullptr);
        default:
            return OnBeginShutdown(nullptr);
    }
}

}  // namespace tolvane::server
