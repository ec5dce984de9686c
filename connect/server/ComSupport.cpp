#include "connect/server/ComSupport.h"

#include <wrl/client.h>

#include <exception>
#include <new>

#include "vb/Errors.h"
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
        static const std::wstring outOfMemory = winapi::Utf8ToWide(vb::kOutOfMemory);
        create->SetDescription(const_cast<LPOLESTR>(outOfMemory.c_str()));
    }
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

HRESULT HResultFromCurrentException(REFIID iid) noexcept {
    // The HRESULT by the kind of failure, the text as every boundary words it.
    HRESULT hr = E_UNEXPECTED;
    try {
        throw;
    } catch (const ComError& e) {
        hr = e.Result();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (const std::exception&) {
        hr = E_FAIL;
    } catch (...) {
    }
    try {
        SetComErrorInfo(iid, winapi::Utf8ToWide(vb::DescribeCaught()));
    } catch (...) {
        SetComErrorInfo(iid, L"");  // no memory for the text; the HRESULT still goes out
    }
    return hr;
}

}  // namespace tolvane::server
