// Small RAII holders and the error boundary shared by the module's COM code.
//
// Every method that COM, the loader or the registry code calls runs its body through
// ComBoundary: nothing thrown inside (std::bad_alloc, HostError, anything) may unwind into
// the caller's frames, and on i686 (DWARF unwinding) it could not even get there intact.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace tolvane::server {

// ---- text at the COM edge: the portable code holds UTF-8 ----

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// ---- exceptions that carry an HRESULT out of helper code ----

class ComError : public std::runtime_error {
public:
    ComError(HRESULT hr, const std::string& what) : std::runtime_error(what), hr_(hr) {}
    HRESULT Result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// Throws ComError when hr is a failure; `what` names the step for the error description.
void ThrowIfFailed(HRESULT hr, const char* what);

// ---- BSTR ----

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text);
    ~Bstr() { Reset(); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }

    BSTR Get() const noexcept { return value_; }
    BSTR* Put() noexcept {  // for [out] parameters: frees what was held first
        Reset();
        return &value_;
    }
    BSTR Detach() noexcept { return std::exchange(value_, nullptr); }
    void Reset() noexcept {
        if (value_) SysFreeString(std::exchange(value_, nullptr));
    }
    std::wstring_view View() const noexcept { return value_ ? std::wstring_view(value_, SysStringLen(value_)) : L""; }

private:
    BSTR value_ = nullptr;
};

// ---- VARIANT ----

class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Get() noexcept { return &value_; }
    const VARIANT* Get() const noexcept { return &value_; }
    VARIANT* Put() noexcept {  // for [out] parameters
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// ---- registry key ----

class UniqueHKey {
public:
    UniqueHKey() noexcept = default;
    explicit UniqueHKey(HKEY key) noexcept : key_(key) {}
    ~UniqueHKey() { Reset(); }
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;
    UniqueHKey(UniqueHKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    UniqueHKey& operator=(UniqueHKey&& other) noexcept {
        if (this != &other) {
            Reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }

    HKEY Get() const noexcept { return key_; }
    HKEY* Put() noexcept {
        Reset();
        return &key_;
    }
    void Reset() noexcept {
        if (key_) RegCloseKey(std::exchange(key_, nullptr));
    }

private:
    HKEY key_ = nullptr;
};

// ---- the boundary ----

// Records the failure as the thread's error information (source, description, interface)
// so that ISupportErrorInfo callers and late-bound callers (DISP_E_EXCEPTION) see the text.
void SetComErrorInfo(REFIID iid, std::wstring_view description) noexcept;

// Turns the exception being handled into an HRESULT and error information.
HRESULT HResultFromCurrentException(REFIID iid) noexcept;

template <class Body>
HRESULT ComBoundary(REFIID iid, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return HResultFromCurrentException(iid);
    }
}

}  // namespace tolvane::server
