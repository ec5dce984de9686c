#include "host/com/ComSupport.h"
#include "vb/Errors.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace tolvane::host::com {

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) throw std::runtime_error("Text is not valid UTF-8");
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) throw std::runtime_error("Text cannot be converted to UTF-8");
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

Bstr::Bstr(std::wstring_view text) {
    value_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value_) throw std::bad_alloc();
}

Variant Variant::I2(short value) noexcept {
    Variant v;
    v.value_.vt = VT_I2;
    v.value_.iVal = value;
    return v;
}

Variant Variant::Text(std::string_view utf8) {
    Bstr text = Bstr::FromUtf8(utf8);
    Variant v;
    v.value_.vt = VT_BSTR;
    v.value_.bstrVal = text.Detach();
    return v;
}

Variant Variant::Dispatch(IDispatch* object) noexcept {
    Variant v;
    v.value_.vt = VT_DISPATCH;
    v.value_.pdispVal = object;
    if (object) object->AddRef();
    return v;
}

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
        if (info->bstrDescription && SysStringLen(info->bstrDescription) > 0)
            return WideToUtf8(std::wstring_view(info->bstrDescription, SysStringLen(info->bstrDescription)));
        if (FAILED(info->scode)) hr = info->scode;
    }
    switch (hr) {
        case DISP_E_BADINDEX: return vb::kSubscriptOutOfRange;
        case DISP_E_TYPEMISMATCH: return vb::kTypeMismatch;
        case DISP_E_OVERFLOW: return vb::kOverflow;
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND: return "Object doesn't support this property or method";
        case DISP_E_PARAMNOTOPTIONAL: return "Argument not optional";
        case DISP_E_BADPARAMCOUNT: return "Wrong number of arguments or invalid property assignment";
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

void ThrowFailure(HRESULT hr, const EXCEPINFO* info) { throw HostError(DescribeFailure(hr, info)); }

DISPID DispatchCache::Lookup(IDispatch* object, Interface kind, const wchar_t* name) {
    const auto key = std::make_pair(kind, std::wstring(name));
    if (auto found = ids_.find(key); found != ids_.end()) return found->second;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    ++lookups_;
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    ids_.emplace(key, id);
    return id;
}

namespace {

// Frees what Invoke may have put into an EXCEPINFO.
struct ExcepInfo {
    EXCEPINFO info{};
    ~ExcepInfo() {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};

}  // namespace

Variant Call(DispatchCache& cache, IDispatch* object, Interface kind, const wchar_t* name, WORD flags,
             std::vector<Variant*> args) {
    if (!object) throw HostError(vb::kObjectNotSet);
    const DISPID id = cache.Lookup(object, kind, name);

    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*(*it)->Get());  // borrowed, not copied

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    Variant result;
    ExcepInfo error;
    UINT argError = 0;
    const bool wantsResult = !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                      wantsResult ? result.Get() : nullptr, &error.info, &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (error.info.pfnDeferredFillIn) error.info.pfnDeferredFillIn(&error.info);
        ThrowFailure(hr, &error.info);
    }
    if (FAILED(hr)) ThrowFailure(hr);
    return result;
}

ComPtr<IDispatch> AsDispatch(Variant& value) {
    VARIANT* v = value.Get();
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
    ComPtr<IDispatch> object;
    switch (v->vt) {
        case VT_EMPTY:
        case VT_NULL: return nullptr;
        case VT_DISPATCH: object = v->pdispVal; return object;
        case VT_DISPATCH | VT_BYREF: object = v->ppdispVal ? *v->ppdispVal : nullptr; return object;
        case VT_UNKNOWN:
        case VT_UNKNOWN | VT_BYREF: {
            IUnknown* unknown = v->vt == VT_UNKNOWN ? v->punkVal : (v->ppunkVal ? *v->ppunkVal : nullptr);
            if (!unknown) return nullptr;
            Check(unknown->QueryInterface(IID_PPV_ARGS(&object)));
            return object;
        }
        default: throw HostError(vb::kTypeMismatch);
    }
}

ComPtr<IDispatch> AsRequiredDispatch(Variant& value) {
    auto object = AsDispatch(value);
    if (!object) throw HostError(vb::kObjectNotSet);
    return object;
}

std::int32_t AsInt32(const Variant& value) {
    Variant converted;
    const HRESULT hr = VariantChangeType(converted.Get(), const_cast<VARIANT*>(value.Get()), 0, VT_I4);
    if (FAILED(hr)) ThrowFailure(hr);
    return converted.Get()->lVal;
}

std::string AsText(const Variant& value) {
    Variant converted;
    const HRESULT hr = VariantChangeType(converted.Get(), const_cast<VARIANT*>(value.Get()), 0, VT_BSTR);
    if (FAILED(hr)) ThrowFailure(hr);
    const BSTR text = converted.Get()->bstrVal;
    return text ? WideToUtf8(std::wstring_view(text, SysStringLen(text))) : std::string();
}

PropertyValue AsPropertyValue(const Variant& value) {
    const VARIANT* v = value.Get();
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
    switch (v->vt & ~VT_BYREF) {
        case VT_EMPTY:
        case VT_NULL: return PropertyValue();
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_I8:
        case VT_UI8:
        case VT_BOOL:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DECIMAL: {
            Variant copy;
            Check(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(v)));
            return PropertyValue(AsInt32(copy));
        }
        case VT_BSTR: {
            Variant copy;
            Check(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(v)));
            return PropertyValue(AsText(copy));
        }
        default: throw HostError(vb::kTypeMismatch);
    }
}

}  // namespace tolvane::host::com
