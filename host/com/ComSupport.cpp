#include "host/com/ComSupport.h"

#include <cstdio>

#include "vb/Errors.h"
#include "winapi/Failure.h"
#include "winapi/Text.h"

namespace tolvane::host::com {

void ThrowFailure(HRESULT hr, const EXCEPINFO* info) { throw HostError(winapi::DescribeFailure(hr, info)); }

DISPID DispatchCache::Lookup(IDispatch* object, IdeInterface kind, const wchar_t* name) {
    const auto key = std::make_pair(kind, std::wstring(name));
    if (auto found = ids_.find(key); found != ids_.end()) return found->second;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    ids_.emplace(key, id);
    return id;
}

std::optional<DISPID> FindDispId(IDispatch* object, const wchar_t* name) {
    if (!object) throw HostError(vb::kObjectNotSet);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) return std::nullopt;
    Check(hr);
    return id;
}

UniqueVariant Call(DispatchCache& cache, IDispatch* object, IdeInterface kind, const winapi::ide::Member& member,
                   WORD flags, std::vector<UniqueVariant*> args) {
    if (!object) throw HostError(vb::kObjectNotSet);
    return CallId(object, cache.Lookup(object, kind, member.name), flags, std::move(args));
}

UniqueVariant CallId(IDispatch* object, DISPID id, WORD flags, std::vector<UniqueVariant*> args) {
    if (!object) throw HostError(vb::kObjectNotSet);

    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*(*it)->get());  // borrowed, not copied

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    UniqueVariant result;
    winapi::UniqueExcepInfo error;
    UINT argError = 0;
    const bool wantsResult = !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                      wantsResult ? result.get() : nullptr, error.get(), &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (error->pfnDeferredFillIn) error->pfnDeferredFillIn(error.get());
        ThrowFailure(hr, error.get());
    }
    if (FAILED(hr)) ThrowFailure(hr);
    return result;
}

ComPtr<IDispatch> AsDispatch(const VARIANT& value) {
    const VARIANT* v = &value;
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

ComPtr<IDispatch> AsRequiredDispatch(const VARIANT& value) {
    auto object = AsDispatch(value);
    if (!object) throw HostError(vb::kObjectNotSet);
    return object;
}

namespace {

UniqueVariant Converted(const VARIANT& value, VARTYPE type) {
    UniqueVariant converted;
    const HRESULT hr = VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, type);
    if (FAILED(hr)) ThrowFailure(hr);
    return converted;
}

}  // namespace

std::int32_t AsInt32(const VARIANT& value) { return Converted(value, VT_I4)->lVal; }

std::string AsText(const VARIANT& value) { return winapi::BstrToUtf8(Converted(value, VT_BSTR)->bstrVal); }

PropertyValue AsPropertyValue(const VARIANT& value) {
    const VARIANT* v = &value;
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
            UniqueVariant copy;
            Check(VariantCopyInd(copy.get(), const_cast<VARIANT*>(v)));
            return PropertyValue(AsInt32(*copy.get()));
        }
        case VT_BSTR: {
            UniqueVariant copy;
            Check(VariantCopyInd(copy.get(), const_cast<VARIANT*>(v)));
            return PropertyValue(AsText(*copy.get()));
        }
        default: throw HostError(vb::kTypeMismatch);
    }
}

}  // namespace tolvane::host::com
