// The IDE simulator's object model: a host::Root served as VBIDE-shaped IDispatch objects (VBE,
// project, components, form designers, controls, properties, Office command bars, and the
// click event source with its connection point), so that an add-in built against the real IDE
// can be connected to a project read from disk. It is the reverse of host/com: that adapter
// calls these names, this one answers them.
//
// Members answer by name (GetIDsOfNames, case-insensitive) and by the IDE's own DISPIDs. A
// failing host call becomes DISP_E_EXCEPTION with the host's description in the EXCEPINFO.
// Everything lives on one apartment thread, as the IDE's objects do.
#pragma once

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

    // The calls made on the served objects, in order: "Object.Member", property puts as
    // "Object.Member=value", connection point traffic as "EventSource.Advise" / ".Unadvise",
    // and each Click delivered as "Click->sink".
    std::vector<std::string> Journal() const;
    void ClearJournal();

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

// {0002E198-0000-0000-C000-000000000046}: _dispCommandBarControlEvents, the click events.
inline constexpr IID kIidCommandBarEvents = {
    0x0002E198, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0002E100-0000-0000-C000-000000000046}: VBE.
inline constexpr IID kIidVbe = {0x0002E100, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace tolvane::idesim
