// The host interface served by the IDE's real objects, reached late-bound through IDispatch.
#pragma once

#include <memory>

#include <windows.h>
#include <oaidl.h>

#include "host/Host.h"

namespace tolvane::host::com {

// Views the connection event's Application as the IDE root: VB6's (QueryInterface for VBE
// {0002E100-0000-0000-C000-000000000046}) or the VBA editor's ({0002E166-...}), which Kind()
// tells; throws HostError with a description on failure.
std::shared_ptr<Root> RootFromDispatch(IDispatch* application);

// Every object made by this adapter derives from NativeObject, so callers that hand objects
// back to COM (the _Connect properties VBInstance and MenuHandler) can get the COM object
// behind them. The pointer is borrowed: AddRef it to keep it.
class NativeObject {
public:
    virtual ~NativeObject() = default;
    virtual IUnknown* Native() const noexcept = 0;
};

// Wraps an event source the host gave us (the _Connect MenuHandler property put); throws
// HostError if it has no connection point for the click events.
std::shared_ptr<CommandBarEventSource> EventSourceFromUnknown(IUnknown* source);

}  // namespace tolvane::host::com
