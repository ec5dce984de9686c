// _IDTExtensibility2, the add-in designer's event interface through which the IDE connects
// and disconnects an add-in. Its library (MSADDNDR) is not one we build against, so the
// interface is declared here by hand in its vtable order.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tolvane::server {

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID kIID_IDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// DISPIDs of the five events.
enum ExtensibilityDispId : DISPID {
    kDispOnConnection = 1,
    kDispOnDisconnection = 2,
    kDispOnAddInsUpdate = 3,
    kDispOnStartupComplete = 4,
    kDispOnBeginShutdown = 5,
};

// Dual: IDispatch's seven slots, then the events. ConnectMode and RemoveMode are the
// designer's 32-bit enums; `custom` is borrowed and may be null.
struct IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch* AddInInst,
                                                   SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

}  // namespace tolvane::server
