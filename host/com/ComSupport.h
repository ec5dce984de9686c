// Small pieces for talking to Automation objects: HRESULT/EXCEPINFO -> HostError, and one
// late-bound call routine with a DISPID cache so that each member name is looked up once per
// interface. (The BSTR and VARIANT owners and the text conversions are winapi's.)
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <oaidl.h>

#include "host/Host.h"
#include "winapi/Com.h"
#include "winapi/IdeInterfaces.h"

namespace tolvane::host::com {

using winapi::ComPtr;
using winapi::UniqueVariant;

// The description the user would see for a failed call: EXCEPINFO's description when the
// object gave one, else Visual Basic's text for the common Automation codes, else the system's.

[[noreturn]] void ThrowFailure(HRESULT hr, const EXCEPINFO* info = nullptr);
inline void Check(HRESULT hr) {
    if (FAILED(hr)) ThrowFailure(hr);
}

// The interfaces the adapter talks to; DISPIDs are cached per interface and member name.
enum class IdeInterface {
    VBE,
    VBProject,
    VBComponents,
    VBComponent,
    VBForm,
    VBControls,
    ContainedVBControls,
    VBControl,
    Properties,
    Property,
    CommandBars,
    CommandBar,
    CommandBarControls,
    CommandBarControl,
    Events,
    CodeModule,
    UserForm,
    MSFormsControls,
    MSFormsPages,
};

// Shared by every object reached from one root, with the editor the root belongs to. All of
// them live on the IDE's thread.
class DispatchCache {
public:
    DISPID Lookup(IDispatch* object, IdeInterface kind, const wchar_t* name);
    Editor editor = Editor::kVb6;

private:
    std::map<std::pair<IdeInterface, std::wstring>, DISPID> ids_;
};

// One late-bound call of a member by its name (the DISPID is the object's answer, cached).
// `args` are in the member's order; they are passed reversed, as IDispatch::Invoke wants
// them. A property put passes its value as the named argument.
UniqueVariant Call(DispatchCache& cache, IDispatch* object, IdeInterface kind, const winapi::ide::Member& member,
                   WORD flags, std::vector<UniqueVariant*> args = {});

// The same call by DISPID, for objects whose members differ from one object to the next (a
// control's own properties).
UniqueVariant CallId(IDispatch* object, DISPID id, WORD flags, std::vector<UniqueVariant*> args = {});
// The object's DISPID for a member name, asked every time; nothing when it has no such member.
std::optional<DISPID> FindDispId(IDispatch* object, const wchar_t* name);

inline UniqueVariant Get(DispatchCache& cache, IDispatch* object, IdeInterface kind, const winapi::ide::Member& member,
                         std::vector<UniqueVariant*> args = {}) {
    return Call(cache, object, kind, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}

// Result conversions. An object result that is Nothing gives null.
ComPtr<IDispatch> AsDispatch(const VARIANT& value);
ComPtr<IDispatch> AsRequiredDispatch(const VARIANT& value);  // Nothing -> HostError vb::kObjectNotSet
std::int32_t AsInt32(const VARIANT& value);
std::string AsText(const VARIANT& value);
PropertyValue AsPropertyValue(const VARIANT& value);

}  // namespace tolvane::host::com
