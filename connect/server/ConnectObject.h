// The COM class Connect (ProgID "Quenlow.Connect"): the COM face of tolvane::Connect.
//
// It answers two dual interfaces. _Connect is the class's own, and its IDispatch is served from
// the type library embedded in this module. _IDTExtensibility2 is the add-in designer's event
// interface through which the IDE connects and disconnects the add-in; the IDE may call it
// through the vtable or late-bound, so it gets a hand-written IDispatch that needs no library.
// Because both are IDispatch-derived and their IDispatch halves differ, the second one lives
// in a member object that shares the outer object's identity and reference count.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>

#include "Quenlow.h"
#include "connect/Connect.h"
#include "connect/server/Module.h"
#include "winapi/ComObject.h"
#include "winapi/IdeInterfaces.h"

namespace tolvane::server {

// What the COM class needs from its surroundings: the settings in the registry, the add-in
// window, MessageBoxW (ModuleServices.cpp).
ConnectServices ModuleServices();

class ConnectObject final : public winapi::ComObject<_Connect, ISupportErrorInfo> {
public:
    // Creates an object and hands out `riid`; the class factory's CreateInstance.
    static HRESULT Create(REFIID riid, void** ppv) noexcept;

    // IDispatch, from the embedded type library (ConnectTypeInfo)
    IFACEMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    IFACEMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                 DISPID* rgDispId) override;
    IFACEMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                          VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // _Connect
    IFACEMETHODIMP get_FormDisplayed(VARIANT_BOOL* value) override;
    IFACEMETHODIMP put_FormDisplayed(VARIANT_BOOL value) override;
    IFACEMETHODIMP get_VBInstance(VBE** value) override;
    IFACEMETHODIMP VBInstanceByValueSlot() override;
    IFACEMETHODIMP putref_VBInstance(VBE* value) override;
    IFACEMETHODIMP get_MenuHandler(CommandBarEvents** value) override;
    IFACEMETHODIMP MenuHandlerByValueSlot() override;
    IFACEMETHODIMP putref_MenuHandler(CommandBarEvents* value) override;
    IFACEMETHODIMP Hide() override;
    IFACEMETHODIMP Show() override;
    IFACEMETHODIMP AddToAddInCommandBar(BSTR* sCaption, CommandBarControl** result) override;

    // ISupportErrorInfo
    IFACEMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    // _IDTExtensibility2 with its own IDispatch (no type information: the five event names,
    // positional arguments); IUnknown is the outer object's.
    class Extensibility final : public winapi::InnerFace<winapi::WithoutTypeInfo<winapi::ide::IDTExtensibility2>> {
    public:
        explicit Extensibility(ConnectObject& outer) noexcept
            : InnerFace(static_cast<_Connect&>(outer)), connect_(outer.connect_) {}

        IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                     DISPID* rgDispId) override;
        IFACEMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                              VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

        IFACEMETHODIMP OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch* AddInInst,
                                    SAFEARRAY** custom) override;
        IFACEMETHODIMP OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) override;
        IFACEMETHODIMP OnAddInsUpdate(SAFEARRAY** custom) override;
        IFACEMETHODIMP OnStartupComplete(SAFEARRAY** custom) override;
        IFACEMETHODIMP OnBeginShutdown(SAFEARRAY** custom) override;

    private:
        HRESULT InvokeEvent(DISPID dispIdMember, DISPPARAMS& params, UINT* puArgErr);

        tolvane::Connect& connect_;
    };

    explicit ConnectObject(ConnectServices services) : connect_(std::move(services)) {}
    ~ConnectObject() override = default;
    void* InterfaceFor(REFIID iid) noexcept override;

    ModuleLock lock_;
    tolvane::Connect connect_;
    Extensibility extensibility_{*this};
};

}  // namespace tolvane::server
