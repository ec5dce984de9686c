// Small pieces for talking to Automation objects: owners for BSTR and VARIANT, UTF-8 <-> UTF-16
// at this edge, HRESULT/EXCEPINFO -> HostError, and one late-bound call routine with a DISPID
// cache so that each member name is looked up once per interface.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "host/Host.h"
#include "vb/Errors.h"

namespace tolvane::host::com {

using Microsoft::WRL::ComPtr;

std::wstring Utf8ToWide(std::string_view text);   // throws std::runtime_error on invalid UTF-8
std::string WideToUtf8(std::wstring_view text);   // unpaired surrogates become U+FFFD

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text);  // throws std::bad_alloc
    static Bstr FromUtf8(std::string_view text) { return Bstr(Utf8ToWide(text)); }
    ~Bstr() { Reset(); }
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const noexcept { return value_; }
    BSTR* Out() noexcept {  // for [out] parameters: frees what is held first
        Reset();
        return &value_;
    }
    BSTR Detach() noexcept { return std::exchange(value_, nullptr); }
    void Reset() noexcept {
        if (value_) SysFreeString(value_);
        value_ = nullptr;
    }
    std::wstring Wide() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }
    std::string Utf8() const { return WideToUtf8(Wide()); }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(Variant&& other) noexcept {
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.value_;
            VariantInit(&other.value_);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    static Variant I2(short value) noexcept;
    static Variant Text(std::string_view utf8);
    static Variant Dispatch(IDispatch* object) noexcept;  // AddRefs

    VARIANT* Get() noexcept { return &value_; }
    const VARIANT* Get() const noexcept { return &value_; }
    VARIANT* Out() noexcept {  // for [out,retval]: clears what is held first
        VariantClear(&value_);
        return &value_;
    }
    VARTYPE Type() const noexcept { return value_.vt; }

private:
    VARIANT value_;
};

// The description the user would see for a failed call: EXCEPINFO's description when the
// object gave one, else Visual Basic's text for the common Automation codes, else the system's.
std::string DescribeFailure(HRESULT hr, const EXCEPINFO* info = nullptr);
[[noreturn]] void ThrowFailure(HRESULT hr, const EXCEPINFO* info = nullptr);
inline void Check(HRESULT hr) {
    if (FAILED(hr)) ThrowFailure(hr);
}

// Visual Basic's texts for failures raised by the adapter itself.

// The interfaces the adapter talks to; DISPIDs are cached per interface and member name.
enum class Interface {
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
};

// Shared by every object reached from one root. All of them live on the IDE's thread.
class DispatchCache {
public:
    DISPID Lookup(IDispatch* object, Interface kind, const wchar_t* name);
    int Lookups() const { return lookups_; }  // GetIDsOfNames calls made, for tests

private:
    std::map<std::pair<Interface, std::wstring>, DISPID> ids_;
    int lookups_ = 0;
};

// One late-bound call. `args` are in the member's order; they are passed reversed, as
// IDispatch::Invoke wants them. A property put passes its value as the named argument.
Variant Call(DispatchCache& cache, IDispatch* object, Interface kind, const wchar_t* name, WORD flags,
             std::vector<Variant*> args = {});

inline Variant Get(DispatchCache& cache, IDispatch* object, Interface kind, const wchar_t* name,
                   std::vector<Variant*> args = {}) {
    return Call(cache, object, kind, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}

// Result conversions. An object result that is Nothing gives null.
ComPtr<IDispatch> AsDispatch(Variant& value);
ComPtr<IDispatch> AsRequiredDispatch(Variant& value);  // Nothing -> HostError vb::kObjectNotSet
std::int32_t AsInt32(const Variant& value);
std::string AsText(const Variant& value);
PropertyValue AsPropertyValue(const Variant& value);

}  // namespace tolvane::host::com
