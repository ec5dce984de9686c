#include "winapi/Failure.h"

#include <cstdio>

#include "vb/Errors.h"
#include "winapi/Com.h"
#include "winapi/Text.h"

namespace tolvane::winapi {

namespace {

std::string SystemMessage(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return WideToUtf8(text);
}

}  // namespace

std::string DescribeFailure(HRESULT hr, const EXCEPINFO* info) {
    if (info) {
        if (!BstrView(info->bstrDescription).empty()) return BstrToUtf8(info->bstrDescription);
        if (FAILED(info->scode)) hr = info->scode;
    }
    switch (hr) {
        case DISP_E_BADINDEX: return vb::kSubscriptOutOfRange;
        case DISP_E_TYPEMISMATCH: return vb::kTypeMismatch;
        case DISP_E_OVERFLOW: return vb::kOverflow;
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND: return vb::kNoSuchMember;
        case DISP_E_PARAMNOTOPTIONAL: return vb::kArgumentNotOptional;
        case DISP_E_BADPARAMCOUNT: return vb::kWrongArguments;
        case E_OUTOFMEMORY: return vb::kOutOfMemory;
        case E_INVALIDARG: return vb::kInvalidCall;
        case E_NOINTERFACE: return vb::kTypeMismatch;
        default: break;
    }
    std::string text = SystemMessage(hr);
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return text.empty() ? "Automation error " + std::string(code) : "Automation error " + std::string(code) + ": " + text;
}

}  // namespace tolvane::winapi
