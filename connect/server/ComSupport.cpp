#include "connect/server/ComSupport.h"

#include <wrl/client.h>

#include <exception>
#include <new>

#include "winapi/Text.h"

namespace tolvane::server {

namespace {

constexpr const wchar_t* kErrorSource = L"Quenlow.Connect";

}  // namespace

void ThrowIfFailed(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw ComError(hr, what);
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
            description = winapi::Utf8ToWide(e.what());
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
            description = L"Out of memory";
        } catch (const std::exception& e) {
            hr = E_FAIL;
            description = winapi::Utf8ToWide(e.what());
        } catch (...) {
            // keeps E_UNEXPECTED and its text
        }
    } catch (...) {
        // No memory for the text; the HRESULT still goes out.
        SetComErrorInfo(iid, L"Unexpected failure");
        return hr;
    }
    SetComErrorInfo(iid, description);
    return hr;
}

}  // namespace tolvane::server
