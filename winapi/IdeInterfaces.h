// The VB6 IDE's interfaces as an add-in meets them, stated once for the whole product: the
// interface IDs, each member the product calls with its name and the DISPID the IDE's type
// libraries give it, and _IDTExtensibility2, through which the IDE connects an add-in.
//
// host/com calls the members by name and asks the object for the DISPID (the IDE's versions
// and Office's differ); the IDE simulator answers with the DISPIDs stated here. The libraries
// these come from (VBIDE, Office, the add-in designer's) are not ones we build against.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "winapi/ComObject.h"

namespace tolvane::winapi::ide {

using Member = DispatchMember;

// {0002E100-0000-0000-C000-000000000046} VBE, the IDE's root object (dual).
inline constexpr IID kIidVbe = {0x0002E100, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0002E166-0000-0000-C000-000000000046} VBE of the Office VBA editor (VBIDE 5.3 for
// Applications): the same members under another interface ID.
inline constexpr IID kIidVbaVbe = {0x0002E166, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0002E131-0000-0000-C000-000000000046} the VBA editor's _dispCommandBarControlEvents.
inline constexpr IID kIidVbaCommandBarControlEvents = {
    0x0002E131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C0351-0000-0000-C000-000000000046} _CommandBarButtonEvents: Office's own click events of a
// button (Office 2000 on), Click(Ctrl, ByRef CancelDefault), raised on the button's connection
// point. The VBA editor's click path: VBE.Events is not to be used in 64-bit VBA.
inline constexpr IID kIidCommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0002E16D-...} VB6's _CodeModule and {0002E16E-...} VBA's: the same members.
inline constexpr IID kIidCodeModule = {0x0002E16D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidVbaCodeModule = {
    0x0002E16E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// {0002E197-0000-0000-C000-000000000046} CommandBarEvents: what Events.CommandBarEvents returns;
// its default interface has no members, only a connection point for the click events.
inline constexpr IID kIidCommandBarEvents = {
    0x0002E197, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0002E198-0000-0000-C000-000000000046} _dispCommandBarControlEvents: the click events, the
// interface of that connection point and of the sinks advised on it.
inline constexpr IID kIidCommandBarControlEvents = {
    0x0002E198, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C0308-0000-0000-C000-000000000046} Office's CommandBarControl, a menu item.
inline constexpr IID kIidCommandBarControl = {
    0x000C0308, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The members, one interface to a line. VBControls (a form's) and ContainedVBControls (a
// control's) are two interfaces with the same members. VBComponents.Item is a method in the
// library; VB calls it either way.
namespace vbe {
inline constexpr Member kName{L"Name", 0}, kVersion{L"Version", 100}, kCommandBars{L"CommandBars", 108},
    kEvents{L"Events", 111}, kActiveVBProject{L"ActiveVBProject", 201};
}
namespace vbproject { inline constexpr Member kVBComponents{L"VBComponents", 135}; }
namespace vbcomponents { inline constexpr Member kItem{L"Item", 0}, kCount{L"Count", 10}; }
namespace vbcomponent {
inline constexpr Member kName{L"Name", 48}, kDesigner{L"Designer", 49}, kCodeModule{L"CodeModule", 50},
    kType{L"Type", 51};
}
// _CodeModule (MIDL's numbers). Lines, CountOfLines, CountOfDeclarationLines and the Proc...
// members are properties, with arguments; ProcKind 0 is vbext_pk_Proc (a Sub or Function).
namespace codemodule {
inline constexpr Member kLines{L"Lines", 0x60020006}, kCountOfLines{L"CountOfLines", 0x60020007},
    kInsertLines{L"InsertLines", 0x60020008}, kDeleteLines{L"DeleteLines", 0x60020009},
    kProcStartLine{L"ProcStartLine", 0x6002000B}, kProcCountLines{L"ProcCountLines", 0x6002000C},
    kProcBodyLine{L"ProcBodyLine", 0x6002000D}, kCountOfDeclarationLines{L"CountOfDeclarationLines", 0x6002000F},
    kCreateEventProc{L"CreateEventProc", 0x60020010};
inline constexpr LONG kProcKindProc = 0;
}
namespace vbform { inline constexpr Member kVBControls{L"VBControls", 47}; }
namespace vbcontrols { inline constexpr Member kItem{L"Item", 0}, kCount{L"Count", 40}; }
namespace vbcontrol {
inline constexpr Member kProperties{L"Properties", 42}, kContainedVBControls{L"ContainedVBControls", 43},
    kProgId{L"ProgId", 48};
}
namespace properties { inline constexpr Member kItem{L"Item", 0}; }
namespace property { inline constexpr Member kValue{L"Value", 0}, kName{L"Name", 40}; }

// Office's command bars. CommandBarControls.Add([Type], [Id], [Parameter], [Before], [Temporary]).
namespace commandbars { inline constexpr Member kItem{L"Item", 0}; }
namespace commandbar { inline constexpr Member kControls{L"Controls", 0x60040003}, kName{L"Name", 0x6004000E}; }
namespace commandbarcontrols { inline constexpr Member kAdd{L"Add", 0x60030000}; }
namespace commandbarcontrol {
inline constexpr Member kCaption{L"Caption", 0x60040003}, kDelete{L"Delete", 0x60040007}, kTag{L"Tag", 0x60040023};
}

// A UserForm in the VBA editor (MSForms): VBComponent.Designer is the form, whose Controls
// hold every control of it (those in Frames and on Pages too, not the Pages); each control's
// Parent is the form, a Frame or a Page, and a MultiPage's Pages hold its Pages. Controls and
// Pages count from 0. The adapter asks MSForms objects for every member by name; these
// numbers are the simulator's own.
namespace msforms {
inline constexpr Member kName{L"Name", 0x100}, kControls{L"Controls", 0x101}, kPages{L"Pages", 0x102},
    kParent{L"Parent", 0x103}, kCount{L"Count", 0x60020000}, kItem{L"Item", 0};
}

// Events.CommandBarEvents(menu item) gives the item's event source, whose sinks get
// Click(CommandBarControl, ByRef handled, ByRef CancelDefault) of _dispCommandBarControlEvents.
namespace events { inline constexpr Member kCommandBarEvents{L"CommandBarEvents", 205}; }
namespace clickevents { inline constexpr Member kClick{L"Click", 1}; }

// ---- the add-in designer's _IDTExtensibility2 ----

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID kIidExtensibility2 = {0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// Dual: IDispatch's seven slots, then the events in this order. ConnectMode and RemoveMode are
// the designer's 32-bit enums; `custom` is borrowed and may be null.
struct IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch* AddInInst,
                                                   SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

namespace extensibility {
inline constexpr Member kOnConnection{L"OnConnection", 1}, kOnDisconnection{L"OnDisconnection", 2},
    kOnAddInsUpdate{L"OnAddInsUpdate", 3}, kOnStartupComplete{L"OnStartupComplete", 4},
    kOnBeginShutdown{L"OnBeginShutdown", 5};
}

// ext_ConnectMode and ext_DisconnectMode.
enum ConnectMode : LONG { AfterStartup = 0, Startup = 1, External = 2, CommandLine = 3 };
enum DisconnectMode : LONG { HostShutdown = 0, UserClosed = 1 };

}  // namespace tolvane::winapi::ide
