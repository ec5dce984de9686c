// A small IDE made of hand-written IDispatch objects: each answers GetIDsOfNames and Invoke by
// member name, records every call with its argument types, and counts its references, so the
// tests can check what the adapter sends and that it gives back every reference it took.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>
#include <wrl/client.h>

namespace fake {

using Microsoft::WRL::ComPtr;

struct Call {
    std::wstring object;
    std::wstring member;
    WORD flags = 0;
    std::vector<VARTYPE> argTypes;  // as received, rgvarg order (last argument first)
    std::vector<VARIANT> args;      // copies, rgvarg order
    std::vector<DISPID> named;
};

struct Journal {
    std::vector<Call> calls;
    std::map<std::wstring, int> lookups;  // GetIDsOfNames per "object.member"
    ~Journal() { Clear(); }
    void Clear() {
        for (auto& call : calls)
            for (auto& arg : call.args) VariantClear(&arg);
        calls.clear();
        lookups.clear();
    }
    const Call* Last(const std::wstring& member) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->member == member) return &*it;
        return nullptr;
    }
    int Count(const std::wstring& member) const {
        int n = 0;
        for (const auto& call : calls) n += call.member == member;
        return n;
    }
};

// What a member answers: fill `result`, or fail (return an HRESULT; DISP_E_EXCEPTION with `error` filled).
using Member = std::function<HRESULT(const DISPPARAMS& params, WORD flags, VARIANT* result, EXCEPINFO* error)>;

inline HRESULT Raise(EXCEPINFO* error, const wchar_t* description, HRESULT scode = E_FAIL) {
    if (error) {
        *error = EXCEPINFO{};
        error->bstrSource = SysAllocString(L"FakeIde");
        error->bstrDescription = description ? SysAllocString(description) : nullptr;
        error->scode = scode;
    }
    return DISP_E_EXCEPTION;
}

class Object : public IDispatch {
public:
    Object(std::wstring name, Journal& journal) : name_(std::move(name)), journal_(journal) {}
    virtual ~Object() = default;

    // Members get DISPIDs in the order they are added, from 100 on; "Item" and "Value" are 0.
    void Add(const std::wstring& member, Member answer) {
        DISPID id = (member == L"Item" || member == L"Value") ? 0 : 100 + static_cast<DISPID>(members_.size());
        members_[member] = {id, std::move(answer)};
    }
    void AlsoAnswer(const IID& iid) { extraIids_.push_back(iid); }
    ULONG Refs() const { return references_; }
    const std::wstring& Name() const { return name_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *object = static_cast<IDispatch*>(this);
        } else {
            for (const auto& iid : extraIids_)
                if (iid == riid) *object = static_cast<IDispatch*>(this);
            if (!*object) return QueryOther(riid, object);
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        ++journal_.lookups[name_ + L"." + names[0]];
        auto found = members_.find(names[0]);
        if (found == members_.end()) {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        ids[0] = found->second.id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT*) override {
        for (auto& [member, entry] : members_) {
            if (entry.id != id) continue;
            Call call{name_, member, flags, {}, {}, {}};
            for (UINT i = 0; i < params->cArgs; ++i) {
                call.argTypes.push_back(params->rgvarg[i].vt);
                VARIANT copy;
                VariantInit(&copy);
                VariantCopy(&copy, &params->rgvarg[i]);
                call.args.push_back(copy);
            }
            for (UINT i = 0; i < params->cNamedArgs; ++i) call.named.push_back(params->rgdispidNamedArgs[i]);
            journal_.calls.push_back(std::move(call));
            if (result) VariantInit(result);
            return entry.answer(*params, flags, result, error);
        }
        return DISP_E_MEMBERNOTFOUND;
    }

protected:
    virtual HRESULT QueryOther(REFIID, void**) { return E_NOINTERFACE; }

private:
    struct Entry {
        DISPID id;
        Member answer;
    };
    std::wstring name_;
    Journal& journal_;
    std::map<std::wstring, Entry> members_;
    std::vector<IID> extraIids_;
    ULONG references_ = 1;
};

template <class T = Object>
ComPtr<T> Make(const std::wstring& name, Journal& journal) {
    ComPtr<T> object;
    *object.GetAddressOf() = new T(name, journal);  // MinGW's Attach would add a reference
    return object;
}

// An event source with one connection point (for the command-bar click events).
class EventSource final : public Object, public IConnectionPointContainer, public IConnectionPoint {
public:
    EventSource(std::wstring name, Journal& journal) : Object(std::move(name), journal) {}
    ~EventSource() override = default;

    IID pointIid{};
    ComPtr<IDispatch> sink;
    int advises = 0, unadvises = 0;
    ComPtr<IDispatch> unadvised;

    // True when the last unadvised sink is held by this fake alone; lets it go.
    bool UnadvisedSinkFreed() {
        if (!unadvised) return false;
        unadvised->AddRef();
        const ULONG others = unadvised->Release() - 1;
        unadvised.Reset();
        return others == 0;
    }

    // Raises Click as the IDE does; `flagType` is VT_BOOL or VT_VARIANT (both by reference).
    HRESULT Fire(IDispatch* control, VARIANT_BOOL& handled, VARIANT_BOOL& cancelDefault, VARTYPE flagType = VT_BOOL) {
        if (!sink) return E_UNEXPECTED;
        VARIANT args[3];
        VARIANT handledBox, cancelBox;
        for (auto& arg : args) VariantInit(&arg);
        VariantInit(&handledBox);
        VariantInit(&cancelBox);
        args[2].vt = VT_DISPATCH;
        args[2].pdispVal = control;  // borrowed
        if (flagType == VT_BOOL) {
            args[1].vt = VT_BOOL | VT_BYREF;
            args[1].pboolVal = &handled;
            args[0].vt = VT_BOOL | VT_BYREF;
            args[0].pboolVal = &cancelDefault;
        } else {
            handledBox.vt = VT_BOOL;
            handledBox.boolVal = handled;
            cancelBox.vt = VT_BOOL;
            cancelBox.boolVal = cancelDefault;
            args[1].vt = VT_VARIANT | VT_BYREF;
            args[1].pvarVal = &handledBox;
            args[0].vt = VT_VARIANT | VT_BYREF;
            args[0].pvarVal = &cancelBox;
        }
        DISPPARAMS params{args, nullptr, 3, 0};
        ComPtr<IDispatch> keep = sink;
        const HRESULT hr = keep->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        if (flagType != VT_BOOL) {
            handled = handledBox.boolVal;
            cancelDefault = cancelBox.boolVal;
        }
        return hr;
    }

    // IUnknown, shared by all three faces
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override { return Object::QueryInterface(riid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        *point = nullptr;
        if (riid != pointIid) return CONNECT_E_NOCONNECTION;
        *point = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }

    // IConnectionPoint
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        *iid = pointIid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
        *container = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* unknown, DWORD* cookie) override {
        if (sink) return CONNECT_E_ADVISELIMIT;
        ComPtr<IDispatch> dispatch;
        // The sink must answer the events interface itself.
        ComPtr<IUnknown> events;
        if (FAILED(unknown->QueryInterface(pointIid, reinterpret_cast<void**>(events.GetAddressOf())))) return CONNECT_E_CANNOTCONNECT;
        if (FAILED(unknown->QueryInterface(IID_PPV_ARGS(&dispatch)))) return CONNECT_E_CANNOTCONNECT;
        sink = dispatch;
        ++advises;
        *cookie = 77;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (cookie != 77 || !sink) return CONNECT_E_NOCONNECTION;
        unadvised = sink;  // kept, so a test can count who else still holds it
        sink.Reset();      // (MinGW's ComPtr move assignment copies, so no std::move here)
        ++unadvises;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOther(REFIID riid, void** object) override {
        if (riid == IID_IConnectionPointContainer) {
            *object = static_cast<IConnectionPointContainer*>(this);
            AddRef();
            return S_OK;
        }
        if (riid == IID_IConnectionPoint) {
            *object = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
};

// Answers for the common member shapes.
inline Member Returns(IDispatch* object) {
    ComPtr<IDispatch> kept(object);
    return [kept](const DISPPARAMS&, WORD, VARIANT* result, EXCEPINFO*) {
        if (!result) return E_POINTER;
        result->vt = VT_DISPATCH;
        result->pdispVal = kept.Get();
        if (kept) kept->AddRef();
        return S_OK;
    };
}

inline Member ReturnsLong(long value) {
    return [value](const DISPPARAMS&, WORD, VARIANT* result, EXCEPINFO*) {
        result->vt = VT_I4;
        result->lVal = value;
        return S_OK;
    };
}

inline Member ReturnsText(const wchar_t* text) {
    std::wstring kept(text);
    return [kept](const DISPPARAMS&, WORD, VARIANT* result, EXCEPINFO*) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(kept.c_str());
        return S_OK;
    };
}

inline Member ReturnsVariant(VARTYPE type, std::function<void(VARIANT&)> fill = {}) {
    return [type, fill](const DISPPARAMS&, WORD, VARIANT* result, EXCEPINFO*) {
        result->vt = type;
        if (fill) fill(*result);
        return S_OK;
    };
}

}  // namespace fake
