// Owners for what COM hands out and takes back (BSTR, VARIANT, SAFEARRAY, EXCEPINFO, a COM
// object's first reference, a thread's apartment), and the few conversions every COM edge of
// the product makes: each owner is a one-line alias of one of two templates, as in WIL.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <utility>

#include "winapi/Handles.h"

namespace tolvane::winapi {

using Microsoft::WRL::ComPtr;

// A struct that owns what it refers to (VARIANT, EXCEPINFO), as WIL's unique_struct: set up
// by `Init(&value)`, cleaned up by `Close(&value)` on destruction and reset; move-only. The
// struct itself is reached through get().
template <class T, auto Close, auto Init>
class UniqueStruct {
public:
    UniqueStruct() noexcept { Init(&value_); }
    ~UniqueStruct() { Close(&value_); }
    UniqueStruct(UniqueStruct&& other) noexcept : value_(other.release()) {}
    UniqueStruct& operator=(UniqueStruct&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = other.release();
        }
        return *this;
    }
    UniqueStruct(const UniqueStruct&) = delete;
    UniqueStruct& operator=(const UniqueStruct&) = delete;

    T* get() noexcept { return &value_; }
    const T* get() const noexcept { return &value_; }
    T* operator->() noexcept { return &value_; }
    const T* operator->() const noexcept { return &value_; }
    T* put() noexcept {  // for out parameters: cleans up what is held first
        reset();
        return &value_;
    }
    T release() noexcept {  // ownership goes to the caller
        T out = value_;
        Init(&value_);
        return out;
    }
    void reset() noexcept {
        Close(&value_);
        Init(&value_);
    }

private:
    T value_;
};

// What IDispatch::Invoke may have put into an EXCEPINFO, and an empty one.
void FreeExcepInfo(EXCEPINFO* info) noexcept;
inline void ZeroExcepInfo(EXCEPINFO* info) noexcept { *info = EXCEPINFO{}; }

using UniqueBstr = UniqueHandle<BSTR, CloseWith<::SysFreeString>>;
using UniqueSafeArray = UniqueHandle<SAFEARRAY*, CloseWith<::SafeArrayDestroy>>;
using UniqueVariant = UniqueStruct<VARIANT, ::VariantClear, ::VariantInit>;
using UniqueExcepInfo = UniqueStruct<EXCEPINFO, FreeExcepInfo, ZeroExcepInfo>;

// A BSTR holding the text; throws std::bad_alloc.
UniqueBstr MakeBstr(std::wstring_view text);
// The text of a BSTR, which may be null (the empty string), as it is and as UTF-8.
std::wstring_view BstrView(BSTR text) noexcept;
std::string BstrToUtf8(BSTR text);

// Variants as COM callers and objects pass them. Text is UTF-8 here; a BSTR is made for it
// (std::bad_alloc when there is no memory). An object is AddRef'd; null is Nothing.
UniqueVariant VariantOfShort(short value) noexcept;
UniqueVariant VariantOfLong(long value) noexcept;
UniqueVariant VariantOfText(std::string_view utf8);
UniqueVariant VariantOfObject(IDispatch* object) noexcept;

// Takes over the first reference of an object just made with `new` (MinGW's ComPtr::Attach
// would add one of its own).
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    ComPtr<T> object;
    *object.GetAddressOf() = new T(std::forward<Args>(args)...);
    return object;
}

// COM on this thread, in a single-threaded apartment (where the IDE's objects live), for as
// long as the owner lives. Left alone when COM could not start.
class ComApartment {
public:
    ComApartment() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Entered() const noexcept { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace tolvane::winapi
