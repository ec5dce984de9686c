// Text conversion and the error boundary of ComSupport.h.
#include "connect/server/ComSupport.h"

#include <wrl/client.h>

#include <climits>

namespace tolvane::server {

namespace {

constexpr const wchar_t* kErrorSource = L"Quenlow.Connect";

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long");
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) throw ComError(HRESULT_FROM_WIN32(GetLastError()), "UTF-8 conversion failed");
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long");
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) throw ComError(HRESULT_FROM_WIN32(GetLastError()), "UTF-16 conversion failed");
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

void ThrowIfFailed(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw ComError(hr, what);
}

Bstr::Bstr(std::wstring_view text) {
    if (text.size() > static_cast<std::size_t>(UINT_MAX / sizeof(wchar_t))) throw std::length_error("text too long");
    value_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value_) throw std::bad_alloc();
}

void SetComErrorInfo(REFIID iid, std::wstring_view description) noexcept {
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create))) return;
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(kErrorSource));
    // SetDescription needs a terminated string; the view may not be one.
    try {
        const std::wstring text(description);
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    } catch (...) {
        create->SetDescription(const_cast<LPOLESTR>(L"Out of memory"));
    }
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

HRESULT HResultFromCurrentException(REFIID iid) noexcept {
    HRESULT hr = E_UNEXPECTED;
    std::wstring description;
    try {
        description = L"Unexpected failure";
        try {
            throw;
        } catch (const ComError& e) {
            hr = e.Result();
            description = Utf8ToWide(e.what());
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
            description = L"Out of memory";
        } catch (const std::exception& e) {
            hr = E_FAIL;
            description = Utf8ToWide(e.what());
        } catch (...) {
            // keeps E_UNEXPECTED and its text
        }
    } catch (...) {
        // Converting the text failed (out of memory); the HRESULT still goes out.
        SetComErrorInfo(iid, L"Out of memory");
        return hr;
    }
    SetComErrorInfo(iid, description);
    return hr;
}

}  // namespace tolvane::server
