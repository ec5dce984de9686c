// The IDE simulator's object model: a host::Root served as VBIDE-shaped IDispatch objects (VBE,
// project, components, form designers, controls, properties, Office command bars, and the
// click event source with its connection point), so that an add-in built against the real IDE
// can be connected to a project read from disk. It is the reverse of host/com: that adapter
// calls these names, this one answers them.
//
// Members answer by name (GetIDsOfNames, case-insensitive) and by the IDE's own DISPIDs. A
// failing host call becomes DISP_E_EXCEPTION with the host's description in the EXCEPINFO.
// Everything lives on one apartment thread, as the IDE's objects do.
//
// Files: Served.h/.cpp (what every served object shares), ProjectObjects.cpp (the project,
// its components, forms, controls and properties), CommandBarObjects.cpp (command bars, menu
// items, Events), EventSource.cpp (the click event source and its connection point), and
// IdeObjects.cpp (VBE and the Simulator).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "host/Host.h"

namespace tolvane::idesim {

using Microsoft::WRL::ComPtr;

struct SimulatorOptions {
    // Events.CommandBarEvents answers VT_UNKNOWN instead of VT_DISPATCH (its default interface
    // has no members, so a real IDE may do either).
    bool eventSourceAsUnknown = false;
    // Click passes handled and CancelDefault as VT_VARIANT|VT_BYREF (around a VT_BOOL) instead
    // of VT_BOOL|VT_BYREF, as some hosts do.
    bool clickFlagsAsVariants = false;
};

// One call made on the served objects.
struct JournalEntry {
    // "Object.Member"; a property put also as "Object.Member=value"; connection point traffic
    // as "CommandBarEvents.Advise" / ".Unadvise"; each Click delivered as "Click->sink N".
    std::string call;
    WORD flags = 0;  // how a member was invoked (DISPATCH_*); 0 for the rest
    // As received: the positional arguments in the member's order, then the named ones.
    std::vector<VARTYPE> argumentTypes;
    std::vector<DISPID> namedArguments;
};

struct SimulatorState;

class Simulator {
public:
    explicit Simulator(std::shared_ptr<host::Root> root, SimulatorOptions options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The VBE object to pass as OnConnection's Application. The same object on every call.
    ComPtr<IDispatch> Vbe() const;

    // The calls made on the served objects, in order.
    std::vector<JournalEntry> Journal() const;
    // GetIDsOfNames calls per "Object.Member" (the name as asked).
    std::map<std::string, int> Lookups() const;

    // Served objects still alive (the VBE this simulator holds counts as one).
    int LiveObjects() const;
    // Sinks currently advised on any click event source.
    int AdvisedSinks() const;
    // HRESULTs of Click calls that the sinks failed (a sink must not fail towards the IDE).
    std::vector<HRESULT> FailedClicks() const;

private:
    std::shared_ptr<SimulatorState> state_;
    ComPtr<IDispatch> vbe_;
};

}  // namespace tolvane::idesim
